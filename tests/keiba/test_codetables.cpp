#include "keiba/codetables.h"

#include "keiba/sjis.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

using namespace keiba;

namespace {

std::string Zen(std::size_t n) {
    return Repeat(kZenkakuSpace, n);
}

// Codes worth probing every table with: the known codes of the big tables, every number up to
// 999 with and without leading zeros, single letters, blanks and the empty code.
std::vector<std::string> ProbeCodes() {
    std::vector<std::string> codes = {"", " ", "  ", "   "};
    for (std::string_view c : JyoCodes()) codes.emplace_back(c);
    for (std::string_view c : KigoCodes()) codes.emplace_back(c);
    for (int n = 0; n <= 999; ++n) {
        const std::string digits = std::to_string(n);
        for (std::size_t width = digits.size(); width <= 3; ++width)
            codes.push_back(std::string(width - digits.size(), '0') + digits);
    }
    for (char c = 'A'; c <= 'Z'; ++c) codes.emplace_back(1, c);
    return codes;
}

// A result is valid CP932 that goes to UTF-8 and back unchanged, and holds no '?' left by a
// table text that CP932 could not take.
void ExpectCleanCp932(const std::string& text, const std::string& what) {
    EXPECT_EQ(Utf8ToCp932Exact(Cp932ToUtf8(text)), text) << what;
    EXPECT_EQ(text.find('?'), std::string::npos) << what;
}

} // namespace

TEST(CodeTables, EveryTextIsCleanCp932) {
    using Styled = std::string (*)(std::string_view, int);
    using Plain = std::string (*)(std::string_view);
    const std::pair<const char*, Styled> styled[] = {
        {"Jyo", JyoCodeToName}, {"Syubetu", SyubetuToText}, {"Grade", GradeToText},
        {"Youbi", YoubiToText}, {"Baba", BabaToText},       {"Tozai", TozaiToText},
    };
    const std::pair<const char*, Plain> plain[] = {
        {"Hankaku", SyubetuToTextHankaku},
        {"Kigo", KigoToText},
        {"Joken", JokenToText},
        {"Keiro", KeiroToText},
        {"UmaKigo", UmaKigoToText},
        {"Jyuryo", JyuryoToText},
        {"Track", TrackToText},
        {"Short", TrackShortText},
        {"Tenko", TenkoToText},
        {"Sex", SexToText},
        {"Minarai", MinaraiToText},
        {"Blinker", BlinkerToText},
        {"Flag", FlagToMaruOrBar},
        {"Ijyo", IjyoKubunToText},
        {"Kyaku", KyakusituToText},
        {"Record", RecordKubunToText},
        {"Time", TimeKubunToText},
        {"Maru", StrToMaruNum},
    };
    for (const std::string& code : ProbeCodes()) {
        for (const auto& [name, f] : styled)
            for (int style = 0; style <= 9; ++style)
                ExpectCleanCp932(f(code, style), name + (" " + code));
        for (const auto& [name, f] : plain) ExpectCleanCp932(f(code), name + (" " + code));
    }
    for (const char* name : {"札幌", "東京", "小倉", "門別", ""})
        ExpectCleanCp932(JyoNameToCode(Sj(name)), name);
    for (const char* grade : {"A", "B", "C", "D", "E", "L", " "})
        for (const char* joken :
             {"   ", "000", "005", "010", "016", "030", "701", "702", "703", "999"})
            ExpectCleanCp932(GradeJokenLabel(joken, grade, ""), grade + std::string(joken));
    for (int type = 11; type <= 24; ++type)
        ExpectCleanCp932(RaceJokenText(std::to_string(type), "701", "005", "010", "999"),
                         std::to_string(type));
}

// Each style promises a width in bytes, for every code of the table and for codes outside it.
TEST(CodeTables, EveryStyleHasItsWidth) {
    for (std::string_view code : JyoCodes()) {
        const std::string c(code);
        EXPECT_EQ(JyoCodeToName(code, 9).size(), 20u) << c;
        EXPECT_EQ(JyoCodeToName(code, 9).find(' '), std::string::npos) << c;
        EXPECT_EQ(JyoCodeToName(code, 0).size(), 6u) << c;
        EXPECT_EQ(JyoCodeToName(code, 3).size(), 6u) << c;
        EXPECT_EQ(JyoCodeToName(code, 2).size(), 4u) << c;
        EXPECT_EQ(JyoCodeToName(code, 1).size(), code == "A2" ? 3u : 2u) << c;
        EXPECT_EQ(JyoCodeToName(code, 4), "") << c;
    }
    for (const char* code : {"11", "12", "13", "14", "18", "19", "21", "22", "23", "24", "15"}) {
        EXPECT_EQ(SyubetuToText(code, 6).size(), 12u) << code;
        EXPECT_EQ(SyubetuToText(code, 8).size(), 16u) << code;
        EXPECT_EQ(SyubetuToText(code, 9).size(), 25u) << code;
        EXPECT_EQ(SyubetuToText(code, 5), "") << code;
        EXPECT_EQ(SyubetuToTextHankaku(code).size(), std::string_view(code) == "15" ? 0u : 15u);
    }
    for (std::string_view code : KigoCodes())
        EXPECT_EQ(KigoToText(code).size(), 24u) << std::string(code);
    for (const char* code : {"A", "B", "C", "D", "E", "F", "G", "H", "L", "Z", ""}) {
        EXPECT_EQ(GradeToText(code, 1).size(), 5u) << code;
        EXPECT_EQ(GradeToText(code, 8).size(), 3u) << code;
        EXPECT_EQ(GradeToText(code, 9).size(), 18u) << code;
    }
    for (int n = 0; n <= 8; ++n) {
        const std::string code = std::to_string(n);
        EXPECT_EQ(YoubiToText(code, 1).size(), 2u) << n;
        EXPECT_EQ(YoubiToText(code, 3).size(), 6u) << n;
        EXPECT_EQ(YoubiToText(code, 4).size(), n >= 1 && n <= 7 ? 6u : 0u) << n;
    }
    for (const char* code : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "01", ""})
        EXPECT_EQ(IjyoKubunToText(code).size(), 8u) << code;
}

TEST(CodeTables, TextsAndFallbacks) {
    struct Case {
        std::string got, want;
    } cases[] = {{JyoCodeToName("05", 9), Sj("東京競馬場") + Zen(5)},
                 {JyoCodeToName("05", 2), Sj("東京")},
                 {JyoCodeToName("A2", 1), Sj("日") + " "},
                 {JyoCodeToName("C4", 9), Zen(10)}, // a code kept without a name
                 {JyoCodeToName("5", 9), "      "}, // not in the table at all
                 {JyoCodeToName("5", 1), "  "},
                 {SyubetuToText("011", 4), Zen(4)}, // codes are compared exactly
                 {SyubetuToText("99", 9), Zen(12) + " "},
                 {SyubetuToTextHankaku("15"), ""},
                 {KigoToText("A10"), Sj("(混合)牡") + Zen(8)},
                 {KigoToText("A12"), Zen(12)}, // composable but not a known code
                 {GradeToText("A", 1), "G1   "},
                 {GradeToText("Z", 1), Zen(2) + " "},
                 {GradeToText("D", 2), ""},
                 {YoubiToText("01", 1), Sj("土")}, // the number is compared
                 {YoubiToText("1", 5), ""},
                 {KeiroToText("1"), Sj("－")},
                 {UmaKigoToText("13"), Zen(1)},
                 {TrackToText("30"), ""},
                 {TozaiToText("4", 5), "[" + Sj("外") + "]"},
                 {TozaiToText("5", 2), Sj("－")},
                 {MinaraiToText("5"), Zen(1)},
                 {BlinkerToText("0"), " "},
                 {FlagToMaruOrBar(" "), Sj("－")},
                 {KyakusituToText("0"), "  "},
                 {TimeKubunToText("5"), ""},
                 {IjyoKubunToText("5"), Sj("失格") + "    "},
                 {IjyoKubunToText("7"), Sj("降着") + Zen(2)},
                 {IjyoKubunToText("0"), "        "}};
    for (const Case& c : cases) EXPECT_EQ(c.got, c.want) << Cp932ToUtf8(c.want);
}

TEST(CodeTables, RacecourseNamesGoBackToTheirCodes) {
    for (int n = 1; n <= 10; ++n) {
        const std::string code = n < 10 ? "0" + std::to_string(n) : "10";
        const std::string name(TrimBlanks(JyoCodeToName(code, 2)));
        EXPECT_EQ(JyoNameToCode(name), code);
        EXPECT_EQ(JyoNameToCode(name + " "), "  ") << "names are compared as they stand";
    }
    EXPECT_EQ(JyoNameToCode(Sj("門別")), "  ");
}

TEST(CodeTables, ConditionLines) {
    EXPECT_EQ(RaceJokenText("13", "000", "005", "010", "010"),
              Sj("3歳上1勝ｸﾗｽ  3歳上2勝ｸﾗｽ  3歳上2勝ｸﾗｽ"));
    EXPECT_EQ(RaceJokenText("13", "000", "703", "703", "703"), Sj("3歳上未勝利"));
    EXPECT_EQ(RaceJokenText("14", "000", "000", "016", "999"), Sj("4歳上3勝ｸﾗｽ  4歳上オープン"));
    EXPECT_EQ(RaceJokenText("31", "701", "701", "701", "701"), "");
    // Bands without a text still take their place in the line.
    EXPECT_EQ(RaceJokenText("23", "000", "030", "000", "010"), "    " + Sj("2勝ｸﾗｽ"));
    EXPECT_EQ(JokenToText(" 5"), Sj("1勝ｸﾗｽ"));
    EXPECT_EQ(JokenToText("004"), "");
}

TEST(CodeTables, ClassLabels) {
    const std::string name = Sj("日本ダービー") + Zen(2);
    const std::string blank = "  " + Zen(3);
    constexpr std::int64_t kHuge = std::numeric_limits<std::int64_t>::max();
    struct Case {
        const char* joken;
        const char* grade;
        std::string raceName;
        std::string label;
    } cases[] = {
        {"005", "A", name, Sj("GⅠ") + name},
        {"703", "E", name, Sj("未勝利")},
        {"030", "E", name, Sj("3000下")},
        {"10", " ", blank, Sj("1000下")},
        {"999", "E", blank, Sj("ｵｰﾌﾟﾝ")},
        {"999", "E", name, name},
        {"   ", "E", blank, Sj("特別")},
        {"000", "D", blank, Sj("重賞")},
        {"", "B", "", Sj("GⅡ")},
        {"   ", "F", blank, " "},
        {"99999999999999999999", " ", blank, FormatInt(kHuge / 100 * 100, 4) + Sj("下")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GradeJokenLabel(c.joken, c.grade, c.raceName), c.label)
            << c.joken << "/" << c.grade;
}

TEST(CodeTables, CircledNumbers) {
    // The circled digits follow each other in CP932 from 0x8740.
    for (int n = 1; n <= 18; ++n) {
        const std::string expected = {'\x87', static_cast<char>(0x40 + n - 1)};
        EXPECT_EQ(IntToMaruNum(n), expected) << n;
        EXPECT_EQ(StrToMaruNum(std::to_string(n)), expected) << n;
    }
    EXPECT_EQ(StrToMaruNum("07"), Sj("⑦"));
    for (int n : {0, 19, -1, -7}) EXPECT_EQ(IntToMaruNum(n), Sj("－")) << n;
    for (const char* text : {"19", "", "x", "-7"}) EXPECT_EQ(StrToMaruNum(text), Sj("－")) << text;
}
