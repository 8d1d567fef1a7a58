#include "keiba/sjis.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

namespace keiba {
namespace {

bool IsAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

std::size_t Utf8SequenceLength(unsigned char c) {
    if (c < 0xC0) return 1;
    if (c < 0xE0) return 2;
    if (c < 0xF0) return 3;
    return 4;
}

// iconv descriptors are costly to open and carry shift state, so each thread keeps its own
// pair and resets them before every conversion.
class Converter {
public:
    Converter(const char* to, const char* from)
        : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; an input sequence that cannot be converted is skipped by `skip` bytes
    // (its own length for UTF-8, one byte otherwise) and `replacement` is written instead.
    std::string Run(std::string_view in, std::string_view replacement, bool utf8Input,
                    bool* lossless) {
        std::string out;
        if (lossless) *lossless = true;
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::string(in);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        out.resize(in.size() * 2 + 8);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        std::size_t used = 0;
        while (srcLeft > 0) {
            char* dst = out.data() + used;
            std::size_t dstLeft = out.size() - used;
            std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            used = out.size() - dstLeft;
            if (r != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ or EINVAL (a truncated sequence at the end): replace and go on.
            if (lossless) *lossless = false;
            std::size_t skip = utf8Input ? Utf8SequenceLength(static_cast<unsigned char>(*src)) : 1;
            if (skip > srcLeft || skip == 0) skip = 1;
            src += skip;
            srcLeft -= skip;
            if (out.size() - used < replacement.size()) out.resize(out.size() * 2 + 8);
            out.replace(used, replacement.size(), replacement);
            used += replacement.size();
            iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t cd_;
};

Converter& ToUtf8() {
    thread_local Converter c("UTF-8", "CP932");
    return c;
}

Converter& ToCp932() {
    thread_local Converter c("CP932", "UTF-8");
    return c;
}

} // namespace

std::size_t SjisCharLength(std::string_view s, std::size_t i) {
    if (i >= s.size()) return 0;
    if (IsSjisLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) return 2;
    return 1;
}

std::string Cp932ToUtf8(std::string_view sjis) {
    if (IsAscii(sjis)) return std::string(sjis);
    return ToUtf8().Run(sjis, "\xEF\xBF\xBD", false, nullptr);
}

std::string Utf8ToCp932(std::string_view utf8, bool* lossless) {
    if (IsAscii(utf8)) {
        if (lossless) *lossless = true;
        return std::string(utf8);
    }
    return ToCp932().Run(utf8, "?", true, lossless);
}

std::optional<std::string> Utf8ToCp932Exact(std::string_view utf8) {
    bool lossless = true;
    std::string out = Utf8ToCp932(utf8, &lossless);
    if (!lossless) return std::nullopt;
    return out;
}

std::string Cp932ReadBack(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    bool lossless = true;
    const std::string whole = Utf8ToCp932(utf8, &lossless);
    if (lossless) return Cp932ToUtf8(whole);
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t len =
            std::min(Utf8SequenceLength(static_cast<unsigned char>(utf8[i])), utf8.size() - i);
        const std::string_view ch = utf8.substr(i, len);
        if (std::optional<std::string> sj = Utf8ToCp932Exact(ch))
            out += Cp932ToUtf8(*sj);
        else
            out += ch;
        i += len;
    }
    return out;
}

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian) {
    auto unit = [&](std::size_t i) -> char32_t {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? char32_t(a << 8 | b) : char32_t(b << 8 | a);
    };
    auto put = [](std::string& out, char32_t c) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    };
    constexpr char32_t kReplacement = 0xFFFD;
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                put(out, 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        put(out, c >= 0xD800 && c <= 0xDFFF ? kReplacement : c);
    }
    if (i < bytes.size()) put(out, kReplacement);
    return out;
}

std::string_view CutBytes(std::string_view s, std::size_t bytes) {
    if (s.size() <= bytes) return s;
    std::size_t i = 0;
    while (i < s.size()) {
        std::size_t len = SjisCharLength(s, i);
        if (i + len > bytes) break;
        i += len;
    }
    return s.substr(0, i);
}

std::string FitBytes(std::string_view s, std::size_t bytes) {
    return PadRightBytes(CutBytes(s, bytes), bytes);
}

std::string PadRightBytes(std::string_view s, std::size_t bytes) {
    std::string out(s);
    if (out.size() < bytes) out.append(bytes - out.size(), ' ');
    return out;
}

std::string PadRightZenkaku(std::string_view s, std::size_t bytes) {
    std::string out(s);
    while (out.size() + 2 <= bytes) out.append(kZenkakuSpace);
    return out;
}

std::string Repeat(std::string_view piece, std::size_t n) {
    std::string out;
    out.reserve(piece.size() * n);
    for (std::size_t i = 0; i < n; ++i) out.append(piece);
    return out;
}

std::string_view TrimBlanks(std::string_view s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}

bool IsBlankText(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        std::size_t len = SjisCharLength(s, i);
        std::string_view ch = s.substr(i, len);
        if (ch != " " && ch != kZenkakuSpace) return false;
        i += len;
    }
    return true;
}

std::int64_t DigitValue(std::string_view field) {
    std::size_t i = 0;
    while (i < field.size() && field[i] == ' ') ++i;
    std::int64_t v = 0;
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max() / 10 - 9;
    for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
        if (v > kMax) return std::numeric_limits<std::int64_t>::max();
        v = v * 10 + (field[i] - '0');
    }
    return v;
}

std::optional<std::int64_t> StrictInteger(std::string_view text) {
    std::string_view t = TrimBlanks(text);
    if (t.empty()) return std::nullopt;
    bool negative = false;
    if (t[0] == '-' || t[0] == '+') {
        negative = t[0] == '-';
        t.remove_prefix(1);
    }
    if (t.empty() || t.size() > 18) return std::nullopt;
    std::int64_t v = 0;
    for (char c : t) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return negative ? -v : v;
}

int StrToIntDef(std::string_view text, int def) {
    auto v = StrictInteger(text);
    if (!v || *v > std::numeric_limits<int>::max() || *v < std::numeric_limits<int>::min())
        return def;
    return static_cast<int>(*v);
}

std::string FormatInt(std::int64_t value, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*lld", width, static_cast<long long>(value));
    return buf;
}

std::string FormatFixedDecimal(double value, int width, int decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > 18) decimals = 18;
    std::string body;
    if (std::isnan(value)) {
        body = "NAN";
    } else if (std::isinf(value)) {
        body = value < 0 ? "-INF" : "INF";
    } else {
        // The decimal value to 15 significant digits: d.dddddddddddddde±x.
        char sci[40];
        std::snprintf(sci, sizeof sci, "%.14e", std::fabs(value));
        std::string digits;
        digits.push_back(sci[0]);
        digits.append(sci + 2, 14);
        int exponent = std::atoi(sci + 17);
        // Digits of the result, counted from the first significant digit.
        int integerDigits = exponent + 1;
        int keep = integerDigits + decimals;
        std::string kept;
        if (keep < 0) {
            kept = "";
        } else {
            kept = digits.substr(0, static_cast<std::size_t>(std::min(keep, 15)));
            kept.append(static_cast<std::size_t>(std::max(0, keep - 15)), '0');
            if (keep < 15 && digits[static_cast<std::size_t>(keep)] >= '5') {
                // Half away from zero on the decimal digits.
                int i = static_cast<int>(kept.size()) - 1;
                while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') {
                    kept[static_cast<std::size_t>(i)] = '0';
                    --i;
                }
                if (i >= 0) {
                    ++kept[static_cast<std::size_t>(i)];
                } else {
                    kept.insert(kept.begin(), '1');
                    ++integerDigits;
                }
            }
        }
        // `all` holds the value times 10^decimals as a digit string of at least `decimals`
        // digits; the last `decimals` of them are the fraction.
        std::string all(
            static_cast<std::size_t>(std::max(0, decimals - static_cast<int>(kept.size()))), '0');
        all += kept;
        std::string_view digitsView(all);
        std::size_t split = digitsView.size() - static_cast<std::size_t>(decimals);
        std::string_view intView = digitsView.substr(0, split);
        std::string_view fracView = digitsView.substr(split);
        std::size_t nz = intView.find_first_not_of('0');
        intView = nz == std::string_view::npos ? std::string_view("0") : intView.substr(nz);
        bool isZero = intView == "0" && fracView.find_first_not_of('0') == std::string_view::npos;
        body.clear();
        if (value < 0 && !isZero) body.push_back('-');
        body.append(intView);
        if (decimals > 0) {
            body.push_back('.');
            body.append(fracView);
        }
    }
    if (static_cast<int>(body.size()) < width)
        body.insert(0, static_cast<std::size_t>(width) - body.size(), ' ');
    return body;
}

namespace {

// FormatFixed's common case, away from a half, needs no detour through the decimal digits: there
// both roundings agree. The digits are written right to left, ending at `end` (with room for 20
// bytes before it); nullptr leaves the value to the decimal detour.
char* PlainFixed(double value, int decimals, char* end) {
    static constexpr double kScale[] = {1.0, 10.0, 100.0};
    if (decimals < 0 || decimals > 2 || std::signbit(value) || !(value < 1e12)) return nullptr;
    const double scaled = value * kScale[decimals];
    // Below 1e14 and not negative: the conversion truncates, which is the floor.
    const double whole = static_cast<double>(static_cast<std::uint64_t>(scaled));
    const double frac = scaled - whole;
    if (!(std::fabs(frac - 0.5) > std::max(1e-9, scaled * 1e-12))) return nullptr;
    auto n = static_cast<std::uint64_t>(whole) + (frac > 0.5 ? 1 : 0);
    char* p = end;
    for (int i = 0; i < decimals; ++i) {
        *--p = static_cast<char>('0' + n % 10);
        n /= 10;
    }
    if (decimals > 0) *--p = '.';
    return PutDigitsBackward(p, n);
}

} // namespace

std::string FormatFixed(double value, int width, int decimals) {
    char buf[24];
    char* end = buf + sizeof buf;
    if (const char* p = PlainFixed(value, decimals, end)) {
        const auto used = static_cast<std::size_t>(end - p);
        const auto pad = width > 0 && static_cast<std::size_t>(width) > used
                             ? static_cast<std::size_t>(width) - used
                             : 0;
        std::string text(pad, ' ');
        text.append(p, used);
        return text;
    }
    return FormatFixedDecimal(value, width, decimals);
}

std::string_view FixedText::Format(double value, int width, int decimals) {
    char* end = text_ + sizeof text_;
    // The digits take at most 16 bytes: room for a width up to the buffer's size.
    if (width <= static_cast<int>(sizeof text_))
        if (char* p = PlainFixed(value, decimals, end)) {
            while (end - p < width) *--p = ' ';
            return {p, static_cast<std::size_t>(end - p)};
        }
    long_ = FormatFixed(value, width, decimals);
    return long_;
}

} // namespace keiba
