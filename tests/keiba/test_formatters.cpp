#include "keiba/formatters.h"

#include "keiba/sjis.h"

#include <gtest/gtest.h>

using namespace keiba;

namespace {

struct Case {
    std::string_view in;
    std::string_view out;
};

} // namespace

TEST(Formatters, AddMinutesHHMMCarriesHoursWithoutWrapping) {
    EXPECT_EQ(AddMinutesHHMM("2350", 20), "2410");
    EXPECT_EQ(AddMinutesHHMM("0905", -10), "0855");
    EXPECT_EQ(AddMinutesHHMM("    ", 5), "");
    // Before midnight of the day: no race reaches it, and no "-1:50" text is made.
    EXPECT_EQ(AddMinutesHHMM("0010", -20), "");
}

TEST(Formatters, OverwriteStrPatchesAndGrows) {
    EXPECT_EQ(OverwriteStr("abcdef", "XY", 3), "abXYef");
    EXPECT_EQ(OverwriteStr("abcdef", "XY", 6), "abcdeXY");
    EXPECT_EQ(OverwriteStr("abcdef", "XY", 99), "abcdefXY");
    EXPECT_EQ(OverwriteStr("abcdef", "XY", 0), "XYcdef");
}

TEST(Formatters, FormatTimeDiffIsFiveCharacters) {
    const Case cases[] = {
        {"+012", "+ 1.2"},
        {"-105", "-10.5"},
        {"-000", "- 0.0"},
        {" 003", "  0.3"},
        {"+999", "     "},
        {"9999", "     "},
        {"0000", "     "},
        {"+   ", "     "},
        {"", "     "},
        // Unreadable fields: blanks of the field's width, and the caller goes on.
        {"+1a2", "     "},
        {"+ab2", "     "},
        {"+12a", "     "},
        {"+1", "     "},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatTimeDiff(c.in), c.out) << '"' << c.in << '"';
}

TEST(Formatters, DigitFieldsKeepTheirColumnWidths) {
    const Case blankZero[] = {{"0012", "  12"}, {"0000", "    "}, {"05", " 5"},
                              {"ab", "  "},     {"", ""},         {"12345", "12345"}};
    for (const Case& c : blankZero) EXPECT_EQ(FormatIntBlankZero(c.in), c.out) << c.in;

    const Case sameWidth[] = {{"0550", "55.0"}, {"0055", "5.5"},   {"055", "5.5"},
                              {"0000", "    "}, {"9999", "999.9"}, {"x", " "}};
    for (const Case& c : sameWidth) EXPECT_EQ(FormatTenthsSameWidth(c.in), c.out) << c.in;

    // The wider column: one more than the field, while a zero keeps the field's own width.
    const Case wider[] = {{"550", "55.0"},   {"055", " 5.5"}, {"0035", "  3.5"},
                          {"1234", "123.4"}, {"000", "   "},  {"5", "0.5"}};
    for (const Case& c : wider) EXPECT_EQ(FormatTenthsWider(c.in), c.out) << c.in;
}

TEST(Formatters, FormatRaceTimeIsSixCharacters) {
    const Case cases[] = {
        {"1345", "1.34.5"}, {"0593", "  59.3"},  {" 593", "  59.3"}, {"2001", "2.00.1"},
        {"0000", "      "}, {"    ", "      "},  {"1a45", "      "}, {"593", "      "},
        {"", "      "},     {"13450", "      "},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatRaceTime(c.in), c.out) << '"' << c.in << '"';
}

TEST(Formatters, DeleteZenkakuSpacesRemovesWholeCharactersOnly) {
    EXPECT_EQ(DeleteZenkakuSpaces(Sj("ディープ　インパクト　　　")), Sj("ディープインパクト"));
    EXPECT_EQ(DeleteZenkakuSpaces(Sj("　a b　")), "a b");
    // ャ (83 83) then "@": the 81 40 inside is not a blank. So is a trail byte 81 before "@".
    EXPECT_EQ(DeleteZenkakuSpaces("\x83\x81\x40"), "\x83\x81\x40");
    EXPECT_EQ(DeleteZenkakuSpaces("\x83\x81\x40\x81\x40"), "\x83\x81\x40");
    // A lone lead byte at the end is kept as it is.
    EXPECT_EQ(DeleteZenkakuSpaces("a\x81"), "a\x81");
}

TEST(Formatters, CalcZenhanPaceScalesTheEarlyPartTo600Metres) {
    struct Pace {
        std::string_view time, last600, distance, out;
    } cases[] = {
        {"1345", "345", "1600", "360"},
        // 243 / 4 * 6 = 364.5 exactly: half away from zero, where "%3.0f" here would give 364.
        {"0593", "350", "1000", "365"},
        {"1345", "000", "1600", "   "},
        {"1345", "345", "0600", "   "},
        {"1345", "34a", "1600", "   "},
        {"1a45", "345", "1600", "   "},
    };
    for (const Pace& c : cases)
        EXPECT_EQ(CalcZenhanPace(c.time, c.last600, c.distance), c.out)
            << c.time << ' ' << c.last600 << ' ' << c.distance;
}
