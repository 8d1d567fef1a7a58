#pragma once
// Shift-JIS (code page 932) text: the one place that converts, and the byte-width rules.
//
// Records, day files and the texts built from them are kept as CP932 bytes in std::string.
// Widths count bytes: a full-width character is two, a half-width one.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace keiba {

// The full-width blank U+3000 as CP932 bytes.
inline constexpr std::string_view kZenkakuSpace = "\x81\x40";

// CP932 lead bytes: 0x81-0x9F and 0xE0-0xFC. Half-width katakana (0xA1-0xDF) are single bytes.
constexpr bool IsSjisLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Byte length of the character that starts at s[i]: 2 for a lead byte followed by anything,
// 1 otherwise (a lone lead byte at the end counts as one byte).
std::size_t SjisCharLength(std::string_view s, std::size_t i);

// CP932 to UTF-8. Bytes that are not CP932 become U+FFFD; never fails.
std::string Cp932ToUtf8(std::string_view sjis);

// UTF-8 to CP932. Characters CP932 lacks (and bad UTF-8) become '?'; `lossless` tells whether
// any were replaced.
std::string Utf8ToCp932(std::string_view utf8, bool* lossless = nullptr);

// UTF-8 to CP932, or nothing when a character has no CP932 form.
std::optional<std::string> Utf8ToCp932Exact(std::string_view utf8);

// The text as it reads back after a trip through CP932. A few characters share one CP932 code
// with another form (〜 U+301C and ～ U+FF5E are both 81 60) and come back in that form; a name
// or setting typed with them must be taken in that form, or it no longer matches itself once
// saved. Characters CP932 lacks stay as they are, so that an exact conversion still refuses them.
std::string Cp932ReadBack(std::string_view utf8);

// UTF-16 text (without its byte-order mark) to UTF-8. Unpaired surrogates and a last odd byte
// become U+FFFD; never fails.
std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian);

// Shorthand for literals in code tables and tests: the CP932 bytes of a UTF-8 text.
inline std::string Sj(std::string_view utf8) {
    return Utf8ToCp932(utf8);
}

// The longest prefix of at most `bytes` bytes that does not end inside a double-byte character.
std::string_view CutBytes(std::string_view s, std::size_t bytes);

// Cut to `bytes` as above, then pad with half-width blanks to exactly `bytes`.
std::string FitBytes(std::string_view s, std::size_t bytes);

// Append half-width blanks until the text is `bytes` long (longer texts stay as they are).
std::string PadRightBytes(std::string_view s, std::size_t bytes);

// Append full-width blanks while one more fits in `bytes`; an odd remainder is left unfilled.
std::string PadRightZenkaku(std::string_view s, std::size_t bytes);

// Repeat a piece n times (blanks of a field's width).
std::string Repeat(std::string_view piece, std::size_t n);

// Leading and trailing half-width blanks and control characters removed; full-width blanks stay.
std::string_view TrimBlanks(std::string_view s);

// True when the text holds nothing but half-width and full-width blanks (scanned by character).
bool IsBlankText(std::string_view sjis);

// The value of a digit field: leading blanks skipped, digits read until the first other
// character; an empty or non-numeric field is 0. Saturates instead of overflowing.
std::int64_t DigitValue(std::string_view field);

// A whole number, optionally signed, with blanks around it allowed; anything else is nothing.
std::optional<std::int64_t> StrictInteger(std::string_view text);

// StrictInteger with a default, clamped to int.
int StrToIntDef(std::string_view text, int def);

// "%N.Mf" rounded on the decimal value: the value is taken to 15 significant decimal digits and
// rounded half away from zero there, so 360.5 gives "361" and 2.675 gives "2.68".
// The result is right-aligned in at least `width` characters.
std::string FormatFixed(double value, int width, int decimals);

// FormatFixed always through the 15-digit decimal form; FormatFixed takes a shorter way where
// the rounding is plain and must agree with this one.
std::string FormatFixedDecimal(double value, int width, int decimals);

// FormatFixed into a buffer of its own, for grids that write thousands of numbers a click: the
// text stays valid until the next Format.
class FixedText {
public:
    std::string_view Format(double value, int width, int decimals);

private:
    char text_[48];
    std::string long_; // a text that does not fit `text_`
};

// "%Nd": right-aligned in at least `width` characters.
std::string FormatInt(std::int64_t value, int width);

// The decimal digits of `n` written backward, ending just before `end` (room for 20 before it);
// the first digit. For formatters of thousands of numbers: two digits a step.
inline char* PutDigitsBackward(char* end, std::uint64_t n) {
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930"
        "31323334353637383940414243444546474849505152535455565758596061"
        "6263646566676869707172737475767778798081828384858687888990919293"
        "949596979899";
    while (n >= 100) {
        const std::size_t pair = static_cast<std::size_t>(n % 100) * 2;
        n /= 100;
        end -= 2;
        end[0] = kPairs[pair];
        end[1] = kPairs[pair + 1];
    }
    if (n >= 10) {
        end -= 2;
        end[0] = kPairs[n * 2];
        end[1] = kPairs[n * 2 + 1];
    } else {
        *--end = static_cast<char>('0' + n);
    }
    return end;
}

} // namespace keiba
