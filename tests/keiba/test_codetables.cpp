#include "keiba/codetables.h"

#include "keiba/sjis.h"

#include <gtest/gtest.h>

#include <limits>
#include <set>
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

TEST(CodeTables, KnownCodeListsHaveNoDuplicates) {
    const std::set<std::string_view> jyo(JyoCodes().begin(), JyoCodes().end());
    const std::set<std::string_view> kigo(KigoCodes().begin(), KigoCodes().end());
    EXPECT_EQ(jyo.size(), JyoCodes().size());
    EXPECT_EQ(kigo.size(), 86u);
    EXPECT_EQ(KigoCodes().size(), 86u);
}

TEST(CodeTables, RacecourseWidthsPerStyle) {
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
    EXPECT_EQ(JyoCodeToName("05", 9), Sj("東京競馬場") + Zen(5));
    EXPECT_EQ(JyoCodeToName("05", 2), Sj("東京"));
    EXPECT_EQ(JyoCodeToName("58", 9), Sj("札幌競馬場(地方競馬)"));
    EXPECT_EQ(JyoCodeToName("A4", 0), Sj("ｱﾒﾘｶ") + "  ");
    EXPECT_EQ(JyoCodeToName("M6", 2), Sj("約") + "  ");
    EXPECT_EQ(JyoCodeToName("49", 0), Sj("紀三井"));
    EXPECT_EQ(JyoCodeToName("49", 3), Sj("紀三寺"));
    EXPECT_EQ(JyoCodeToName("48", 1), Sj("古"));
    EXPECT_EQ(JyoCodeToName("61", 1), Sj("名"));
    EXPECT_EQ(JyoCodeToName("A2", 1), Sj("日") + " ");
    EXPECT_EQ(JyoCodeToName("L0", 0), Sj("タイ") + Zen(1));
    EXPECT_EQ(JyoCodeToName("H0", 3), Sj("西独") + Zen(1));
    EXPECT_EQ(JyoCodeToName("H0", 0), Sj("西ﾄﾞｲﾂ"));
    // Codes kept without a name, and codes not in the table at all.
    EXPECT_EQ(JyoCodeToName("C4", 9), Zen(10));
    EXPECT_EQ(JyoCodeToName("G8", 1), "  ");
    EXPECT_EQ(JyoCodeToName("5", 9), "      ");
    EXPECT_EQ(JyoCodeToName("5", 0), "      ");
    EXPECT_EQ(JyoCodeToName("5", 1), "  ");
    EXPECT_EQ(JyoCodeToName("5", 2), "    ");
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

TEST(CodeTables, RaceTypeWidths) {
    const char* known[] = {"11", "12", "13", "14", "18", "19", "21", "22", "23", "24"};
    std::vector<const char*> probes(std::begin(known), std::end(known));
    probes.push_back("15");
    for (const char* code : probes) {
        EXPECT_EQ(SyubetuToText(code, 6).size(), 12u) << code;
        EXPECT_EQ(SyubetuToText(code, 8).size(), 16u) << code;
        EXPECT_EQ(SyubetuToText(code, 9).size(), 25u) << code;
        EXPECT_EQ(SyubetuToText(code, 5), "") << code;
    }
    for (const char* code : known) EXPECT_EQ(SyubetuToTextHankaku(code).size(), 15u) << code;
    EXPECT_EQ(SyubetuToText("18", 9), Sj("サラブレット系障害3歳以上"));
    EXPECT_EQ(SyubetuToText("11", 9), Sj("サラブレット系2歳") + Zen(4));
    EXPECT_EQ(SyubetuToText("011", 4), Zen(4)) << "compared exactly";
    EXPECT_EQ(SyubetuToText("99", 9), Zen(12) + " ");
    EXPECT_EQ(SyubetuToTextHankaku("011"), Sj("ｻﾗ系2歳") + "        ");
    EXPECT_EQ(SyubetuToTextHankaku("15"), "");
}

TEST(CodeTables, RaceSymbols) {
    for (std::string_view code : KigoCodes())
        EXPECT_EQ(KigoToText(code).size(), 24u) << std::string(code);
    EXPECT_EQ(KigoToText("A10"), Sj("(混合)牡") + Zen(8));
    EXPECT_EQ(KigoToText("K01"), Sj("(市)(抽)関西配布馬(指定)"));
    EXPECT_EQ(KigoToText("A02"), Sj("(混合)・若手騎手") + Zen(4));
    EXPECT_EQ(KigoToText("002"), Sj("若手騎手") + Zen(8));
    EXPECT_EQ(KigoToText("N30"), Sj("(国際)牡・ｾﾝ") + Zen(6));
    EXPECT_EQ(KigoToText("000"), Zen(12));
    EXPECT_EQ(KigoToText("A12"), Zen(12)) << "composable but not a known code";
}

TEST(CodeTables, GradeWidths) {
    for (const char* code : {"A", "B", "C", "D", "E", "F", "G", "H", "L", "Z", ""}) {
        EXPECT_EQ(GradeToText(code, 1).size(), 5u) << code;
        EXPECT_EQ(GradeToText(code, 8).size(), 3u) << code;
        EXPECT_EQ(GradeToText(code, 9).size(), 18u) << code;
    }
    EXPECT_EQ(GradeToText("A", 1), "G1   ");
    EXPECT_EQ(GradeToText("D", 1), Sj("重賞") + " ");
    EXPECT_EQ(GradeToText("Z", 1), Zen(2) + " ");
    EXPECT_EQ(GradeToText("D", 8), Sj("重") + " ");
    EXPECT_EQ(GradeToText("Z", 8), Zen(1) + " ");
    EXPECT_EQ(GradeToText("F", 9), Sj("JG1(障害競走)") + Zen(2) + " ");
    EXPECT_EQ(GradeToText("A", 9), Sj("G1(平地競走)") + Zen(3));
    EXPECT_EQ(GradeToText("L", 2), "LST");
    EXPECT_EQ(GradeToText("D", 2), "");
    EXPECT_EQ(GradeToText("A", 3), "");
}

TEST(CodeTables, ConditionLines) {
    const std::string line = Sj("3歳上1勝ｸﾗｽ  3歳上2勝ｸﾗｽ  3歳上2勝ｸﾗｽ");
    EXPECT_EQ(RaceJokenText("13", "000", "005", "010", "010"), line);
    EXPECT_EQ(RaceJokenText("13", "000", "703", "703", "703"), Sj("3歳上未勝利"));
    EXPECT_EQ(RaceJokenText("19", "000", "000", "999", "999"), Sj("4歳上オープン"));
    EXPECT_EQ(RaceJokenText("14", "000", "000", "016", "999"), Sj("4歳上3勝ｸﾗｽ  4歳上オープン"));
    EXPECT_EQ(RaceJokenText("11", "701", "000", "000", "000"), Sj("2歳新馬"));
    EXPECT_EQ(RaceJokenText("22", "000", "100", "000", "000"), Sj("1億下"));
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
        {"010", " ", blank, Sj("2勝ｸﾗｽ")},
        {"030", "E", name, Sj("3000下")},
        {"10", " ", blank, Sj("1000下")},
        {"999", "E", blank, Sj("ｵｰﾌﾟﾝ")},
        {"999", "E", name, name},
        {"   ", "E", blank, Sj("特別")},
        {"000", "D", blank, Sj("重賞")},
        {"000", "E", name, name},
        {"", "B", "", Sj("GⅡ")},
        {"   ", "F", blank, " "},
        {"99999999999999999999", " ", blank, FormatInt(kHuge / 100 * 100, 4) + Sj("下")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GradeJokenLabel(c.joken, c.grade, c.raceName), c.label)
            << c.joken << "/" << c.grade;
}

TEST(CodeTables, WeekdaysCompareTheNumber) {
    for (int n = 0; n <= 8; ++n) {
        const std::string code = std::to_string(n);
        EXPECT_EQ(YoubiToText(code, 1).size(), 2u) << n;
        EXPECT_EQ(YoubiToText(code, 2).size(), 4u) << n;
        EXPECT_EQ(YoubiToText(code, 3).size(), 6u) << n;
        EXPECT_EQ(YoubiToText(code, 4).size(), n >= 1 && n <= 7 ? 6u : 0u) << n;
    }
    EXPECT_EQ(YoubiToText("01", 1), Sj("土"));
    EXPECT_EQ(YoubiToText("3", 3), Sj("祝日") + Zen(1));
    EXPECT_EQ(YoubiToText("1", 4), Sj("月曜日"));
    EXPECT_EQ(YoubiToText("9", 1), "");
    EXPECT_EQ(YoubiToText("1", 5), "");
}

TEST(CodeTables, SmallTablesAndTheirFallbacks) {
    EXPECT_EQ(KeiroToText("01"), Sj("栗毛"));
    EXPECT_EQ(KeiroToText("1"), Sj("－")) << "compared exactly";
    EXPECT_EQ(UmaKigoToText("01"), Sj("(抽)"));
    EXPECT_EQ(UmaKigoToText("13"), Zen(1));
    EXPECT_EQ(TrackToText("051"), Sj("障害 芝") + Zen(1) + Sj("襷"));
    EXPECT_EQ(TrackToText("30"), "");
    EXPECT_EQ(TrackShortText("16"), Sj("芝左"));
    EXPECT_EQ(TrackShortText("25"), "");
    EXPECT_EQ(BabaToText("2", 2), Sj("ダ:稍重"));
    EXPECT_EQ(BabaToText("2", 3), "");
    EXPECT_EQ(TozaiToText("1", 0), Sj("美浦"));
    EXPECT_EQ(TozaiToText("4", 5), "[" + Sj("外") + "]");
    EXPECT_EQ(TozaiToText("5", 2), Sj("－"));
    EXPECT_EQ(MinaraiToText("9"), Sj("2kg減"));
    EXPECT_EQ(MinaraiToText("5"), Zen(1));
    EXPECT_EQ(BlinkerToText("1"), Sj("ﾌﾞﾘﾝ"));
    EXPECT_EQ(BlinkerToText("0"), " ");
    EXPECT_EQ(FlagToMaruOrBar("1"), Sj("○"));
    EXPECT_EQ(FlagToMaruOrBar(" "), Sj("－"));
    EXPECT_EQ(KyakusituToText("0"), "  ");
    EXPECT_EQ(RecordKubunToText("2"), Sj("(GIﾚｺｰﾄﾞ)"));
    EXPECT_EQ(TimeKubunToText("5"), "");
}

TEST(CodeTables, AbnormalityTextsAreEightBytes) {
    for (const char* code : {"0", "1", "2", "3", "4", "5", "6", "7", "8", "01", ""})
        EXPECT_EQ(IjyoKubunToText(code).size(), 8u) << code;
    EXPECT_EQ(IjyoKubunToText("5"), Sj("失格") + "    ");
    EXPECT_EQ(IjyoKubunToText("7"), Sj("降着") + Zen(2));
    EXPECT_EQ(IjyoKubunToText("0"), "        ");
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
