#include "keiba/sjis.h"

#include <gtest/gtest.h>

using namespace keiba;

TEST(Sjis, ConvertsWindowsOnlyCharactersBothWays) {
    // Plain SHIFT_JIS lacks these or maps them elsewhere; CP932 must keep them.
    struct Case {
        const char* utf8;
        const char* sjis;
    } cases[] = {
        {"①", "\x87\x40"},  {"Ⅰ", "\x87\x54"}, {"－", "\x81\x7C"},
        {"～", "\x81\x60"}, {"｢", "\xA2"},     {"東京", "\x93\x8C\x8B\x9E"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Utf8ToCp932(c.utf8), c.sjis) << c.utf8;
        EXPECT_EQ(Cp932ToUtf8(c.sjis), c.utf8) << c.utf8;
    }
}

TEST(Sjis, UnconvertibleInputIsReplacedAndReported) {
    bool lossless = true;
    EXPECT_EQ(Utf8ToCp932("a😀b", &lossless), "a?b");
    EXPECT_FALSE(lossless);
    EXPECT_FALSE(Utf8ToCp932Exact("😀").has_value());
    EXPECT_EQ(Utf8ToCp932Exact("ab").value(), "ab");
    // A lone lead byte at the end and an undefined byte do not stop the conversion.
    EXPECT_EQ(Cp932ToUtf8("A\x82"), "A\xEF\xBF\xBD");
    EXPECT_EQ(Cp932ToUtf8("\xFF"
                          "B"),
              "\xEF\xBF\xBD"
              "B");
}

namespace {

std::string Utf8Of(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

} // namespace

// The characters that come back from CP932 in another form are found by the converter itself:
// every character of the basic plane that CP932 holds, sent there and back.
TEST(Sjis, TypedTextIsTakenInTheFormItReadsBackAs) {
    std::string changed, readBack;
    for (char32_t c = 0x80; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::string typed = Utf8Of(c);
        const std::optional<std::string> sj = Utf8ToCp932Exact(typed);
        if (!sj) {
            // Left for the exact conversions to refuse, not turned into '?'.
            ASSERT_EQ(Cp932ReadBack(typed), typed) << std::hex << static_cast<unsigned>(c);
            continue;
        }
        const std::string back = Cp932ToUtf8(*sj);
        ASSERT_EQ(Cp932ReadBack(typed), back) << std::hex << static_cast<unsigned>(c);
        if (back != typed) {
            changed += typed;
            readBack += back;
        }
    }
    // The wave dash that input methods on Linux give is one of them.
    EXPECT_NE(changed.find("〜"), std::string::npos);
    // Also inside a text, beside characters CP932 lacks; and what reads back stays as it is.
    EXPECT_EQ(Cp932ReadBack("名" + changed + "😀"), "名" + readBack + "😀");
    EXPECT_EQ(Cp932ReadBack(readBack), readBack);
}

TEST(Sjis, CuttingNeverSplitsADoubleByteCharacter) {
    const std::string name = Sj("ア") + "B" + Sj("イ"); // 2 + 1 + 2 bytes
    EXPECT_EQ(CutBytes(name, 5), name);
    EXPECT_EQ(CutBytes(name, 4), Sj("ア") + "B");
    EXPECT_EQ(CutBytes(name, 1), "");
    EXPECT_EQ(FitBytes(name, 4), Sj("ア") + "B ");
    EXPECT_EQ(FitBytes(name, 1), " ");
    EXPECT_EQ(FitBytes("ab", 4), "ab  ");
    // A lone lead byte is one character of its own.
    EXPECT_EQ(CutBytes("ab\x82", 3), "ab\x82");
    EXPECT_EQ(SjisCharLength("ab\x82", 2), 1u);
}

TEST(Sjis, PaddingCountsBytes) {
    EXPECT_EQ(PadRightBytes(Sj("東京"), 6), Sj("東京") + "  ");
    EXPECT_EQ(PadRightBytes("toolong", 3), "toolong");
    EXPECT_EQ(PadRightZenkaku(Sj("東京"), 8), Sj("東京　　"));
    EXPECT_EQ(PadRightZenkaku("abc", 8), "abc" + Sj("　　")); // odd remainder stays unfilled
    EXPECT_TRUE(IsBlankText(Sj(" 　 ")));
    EXPECT_FALSE(IsBlankText(Sj("　a")));
    // 0x81 0x40 hidden as the trail of another character is not a blank.
    EXPECT_FALSE(IsBlankText("\x83\x81\x40"));
}

TEST(Sjis, DigitFieldsReadLikeRecordNumbers) {
    EXPECT_EQ(DigitValue("  7"), 7);
    EXPECT_EQ(DigitValue("12ab"), 12);
    EXPECT_EQ(DigitValue("ab"), 0);
    EXPECT_EQ(DigitValue("-5"), 0);
    EXPECT_EQ(DigitValue("99999999999999999999999"), INT64_MAX);

    EXPECT_EQ(StrictInteger(" -12 ").value(), -12);
    EXPECT_FALSE(StrictInteger("12abc"));
    EXPECT_FALSE(StrictInteger(""));
    EXPECT_FALSE(StrictInteger("-"));
    EXPECT_EQ(StrToIntDef("12abc", 7), 7);
    EXPECT_EQ(StrToIntDef("99999999999", 7), 7);
    EXPECT_EQ(StrToIntDef("+40", 7), 40);
}

TEST(Sjis, FixedFormatRoundsHalfAwayFromZeroOnTheDecimalValue) {
    struct Case {
        double v;
        int width, decimals;
        const char* text;
    } cases[] = {
        {360.5, 3, 0, "361"},  {-2.5, 0, 0, "-3"},           {2.675, 0, 2, "2.68"},
        {1.005, 0, 2, "1.01"}, {-0.04, 0, 1, "0.0"},         {999.95, 5, 1, "1000.0"},
        {9.99, 4, 1, "10.0"},  {1234567.0, 3, 0, "1234567"}, {1e20, 0, 0, "100000000000000000000"},
    };
    FixedText buffer;
    for (const Case& c : cases) {
        EXPECT_EQ(FormatFixed(c.v, c.width, c.decimals), c.text) << c.v;
        EXPECT_EQ(buffer.Format(c.v, c.width, c.decimals), c.text) << c.v;
    }
    // The buffer's own texts: padded to their width, also past the buffer's size.
    EXPECT_EQ(buffer.Format(12.3, 7, 1), "   12.3");
    EXPECT_EQ(buffer.Format(12.3, 60, 1), std::string(56, ' ') + "12.3");
    EXPECT_EQ(FormatInt(5, 2), " 5");
    EXPECT_EQ(FormatInt(123, 2), "123");
}

// The short way of FormatFixed must give the decimal rounding's text for every value it meets: odds
// in tenths, stakes times odds, shares and rates, near-halves included.
TEST(Sjis, FixedFormatShortWayAgreesWithTheDecimalRounding) {
    auto same = [](double v, int width, int decimals) {
        ASSERT_EQ(FormatFixed(v, width, decimals), FormatFixedDecimal(v, width, decimals))
            << v << " " << decimals;
    };
    for (int tenths = 0; tenths <= 99999; tenths += 7) same(tenths / 10.0, 7, 1);
    for (int stake = 100; stake <= 5000; stake += 300)
        for (int tenths = 10; tenths <= 20000; tenths += 13) {
            const double payout = stake * (tenths / 10.0);
            same(payout, 7, 0);
            same(payout / 3500.0 * 100.0, 7, 1);
            same(payout / 7.0 / 2900.0 * 100.0, 7, 1);
        }
    for (double v : {0.0, 0.05, 0.15, 0.25, 2.675, 360.5, 1.005, 99.95, 0.95, 1e11 + 0.5,
                     123456789.25, -1.0, -2.0, 5e12})
        for (int d : {0, 1, 2}) same(v, 6, d);
}

// UTF-16 code units as an editor writes them: 馬 U+99AC, 😀 U+1F600 as a surrogate pair.
TEST(Sjis, Utf16ReadsInEitherByteOrderAndReplacesWhatIsBroken) {
    const struct {
        std::string_view bytes;
        bool bigEndian;
        std::string_view utf8;
    } kCases[] = {
        {std::string_view("a\0\xAC\x99", 4), false, "a馬"},
        {std::string_view("\0a\x99\xAC", 4), true, "a馬"},
        {std::string_view("\x3D\xD8\x00\xDE", 4), false, "😀"},
        {std::string_view("\x3D\xD8x\0", 4), false, "\xEF\xBF\xBDx"}, // a high surrogate alone
        {std::string_view("\x00\xDEx\0", 4), false, "\xEF\xBF\xBDx"}, // a low one alone
        {std::string_view("x\0y", 3), false, "x\xEF\xBF\xBD"},        // an odd byte at the end
    };
    for (const auto& c : kCases) EXPECT_EQ(Utf16ToUtf8(c.bytes, c.bigEndian), c.utf8) << c.utf8;
}
