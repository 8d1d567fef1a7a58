#include "keiba/markconv.h"

#include "keiba/sjis.h"

#include <gtest/gtest.h>

using namespace keiba;

TEST(MarkConv, RLevelRoundTripsAndIsCp932) {
    const char* texts[] = {"低★", "低－", "低＋", "普通", "高－", "高＋", "高★"};
    for (int i = 1; i <= 7; ++i) {
        // Through UTF-8 and back, so a character CP932 lacks shows up as a mismatch.
        EXPECT_EQ(Cp932ToUtf8(RLevelToText(i)), texts[i - 1]) << i;
        EXPECT_EQ(TextToRLevel(RLevelToText(i)), i) << i;
    }
    EXPECT_EQ(RLevelToText(0), "");
    EXPECT_EQ(RLevelToText(8), "");
    EXPECT_EQ(RLevelToText(-1), "");
    EXPECT_EQ(TextToRLevel(""), 0);
    EXPECT_EQ(TextToRLevel("低★"), 0); // UTF-8, not the CP932 the grids hold
}

TEST(MarkConv, CodesOutsideTheirTablesKeepTheColumn) {
    struct Case {
        std::string (*f)(int);
        int code;
        const char* utf8;
    } cases[] = {
        {YosoMarkToText, 1, "◎"},   {YosoMarkToText, 4, "△"},   {YosoMarkToText, 5, "×"},
        {YosoMarkToText, 6, "×"},   {YosoMarkToText, 7, ""},    {YosoMarkToText, 0, ""},
        {ZogenToText, 1, "同休減"}, {ZogenToText, 4, "昇続増"}, {ZogenToText, 5, ""},
        {RUmaToText, 1, "R+"},      {RUmaToText, 2, "R-"},      {RUmaToText, 0, "  "},
        {RUmaToText, 3, "  "},
    };
    for (const Case& c : cases) EXPECT_EQ(Cp932ToUtf8(c.f(c.code)), c.utf8) << c.code;
}

TEST(MarkConv, OneCharacterCodesCompareExactly) {
    struct Case {
        std::string (*f)(std::string_view);
        const char* code;
        const char* utf8;
    } cases[] = {
        {LvZokuseiToText, "1", "高巧者"}, {LvZokuseiToText, "2", "低巧者"},
        {LvZokuseiToText, "3", "自在　"}, {LvZokuseiToText, "0", "　　　"},
        {LvZokuseiToText, "", "　　　"},  {LvZokuseiToText, "13", "　　　"},
        {FlagToMaru, "1", "○"},           {FlagToMaru, "2", "　"},
        {FlagToStar, "1", "★"},           {FlagToStar, "01", "　"},
        {FlagToUpArrow, "1", "↑"},        {FlagToUpArrow, " 1", "　"},
        {FlagToKiken, "1", "危"},         {FlagToKiken, "", "　"},
    };
    for (const Case& c : cases) EXPECT_EQ(Cp932ToUtf8(c.f(c.code)), c.utf8) << '"' << c.code << '"';
    // Every aptitude text fills three full-width columns.
    for (const char* code : {"1", "2", "3", "x"}) EXPECT_EQ(LvZokuseiToText(code).size(), 6u);
}

TEST(MarkConv, InverseConvertersTakeShownTexts) {
    for (int mark = 1; mark <= 5; ++mark) EXPECT_EQ(YosoMarkToCode(YosoMarkToText(mark)), mark);
    EXPECT_EQ(YosoMarkToCode(YosoMarkToText(6)), 5);
    EXPECT_EQ(YosoMarkToCode(Sj("☆")), 0);
    EXPECT_EQ(YosoMarkToCode(""), 0);

    const struct {
        const char* text;
        int code;
    } grades[] = {{"S", 1}, {"A", 2}, {"B", 3}, {"C", 4}, {"D", 5},
                  {"s", 0}, {"E", 0}, {"", 0},  {"SA", 0}};
    for (const auto& g : grades) EXPECT_EQ(GradeLetterToCode(g.text), g.code) << g.text;
}

// Every code of each integer table against its published text, and each inverse converter fed
// the published texts themselves (not the converters' own output).
TEST(MarkConv, EveryCodeOfEveryTable) {
    struct Table {
        const char* name;
        std::string (*f)(int);
        std::vector<const char*> texts; // codes 1..n
        const char* other;
    } tables[] = {
        {"RLevel", RLevelToText, {"低★", "低－", "低＋", "普通", "高－", "高＋", "高★"}, ""},
        {"YosoMark", YosoMarkToText, {"◎", "○", "▲", "△", "×", "×"}, ""},
        {"Zogen", ZogenToText, {"同休減", "降休減", "同続増", "昇続増"}, ""},
        {"RUma", RUmaToText, {"R+", "R-"}, "  "},
    };
    for (const Table& t : tables) {
        const int n = static_cast<int>(t.texts.size());
        for (int code = 1; code <= n; ++code)
            EXPECT_EQ(t.f(code), Sj(t.texts[static_cast<std::size_t>(code - 1)]))
                << t.name << " " << code;
        for (int code : {0, n + 1, -1, 99}) EXPECT_EQ(t.f(code), t.other) << t.name << " " << code;
    }
    const char* levels[] = {"低★", "低－", "低＋", "普通", "高－", "高＋", "高★"};
    for (int i = 1; i <= 7; ++i) EXPECT_EQ(TextToRLevel(Sj(levels[i - 1])), i) << levels[i - 1];
    const char* marks[] = {"◎", "○", "▲", "△", "×"};
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(YosoMarkToCode(Sj(marks[i - 1])), i) << marks[i - 1];
    for (const char* other : {"低", "高★ ", "☆", "R+"}) {
        EXPECT_EQ(TextToRLevel(Sj(other)), 0) << other;
        EXPECT_EQ(YosoMarkToCode(Sj(other)), 0) << other;
    }
}
