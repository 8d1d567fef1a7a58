#include "keiba/codetables.h"

#include "keiba/sjis.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>
#include <map>
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

// --- every entry of every table, as the tables are published ---

namespace {

// `text` (UTF-8) in CP932, with `blank` appended until it is `width` bytes long.
std::string Padded(std::string_view utf8, std::size_t width, std::string_view blank) {
    std::string s = Sj(utf8);
    while (s.size() < width) s += blank;
    return s;
}
std::string PadHan(std::string_view utf8, std::size_t width) {
    return Padded(utf8, width, " ");
}
std::string PadZen(std::string_view utf8, std::size_t width) {
    return Padded(utf8, width, kZenkakuSpace);
}

struct JyoRow {
    const char* code;
    // Style 9, 0, 1, 2, 3; all empty for a code kept without a name.
    std::array<const char*, 5> names;
};

const JyoRow kJyoRows[] = {
    {"01", {"札幌競馬場", "札幌", "札", "札幌", "札幌"}},
    {"02", {"函館競馬場", "函館", "函", "函館", "函館"}},
    {"03", {"福島競馬場", "福島", "福", "福島", "福島"}},
    {"04", {"新潟競馬場", "新潟", "新", "新潟", "新潟"}},
    {"05", {"東京競馬場", "東京", "東", "東京", "東京"}},
    {"06", {"中山競馬場", "中山", "中", "中山", "中山"}},
    {"07", {"中京競馬場", "中京", "名", "中京", "中京"}},
    {"08", {"京都競馬場", "京都", "京", "京都", "京都"}},
    {"09", {"阪神競馬場", "阪神", "阪", "阪神", "阪神"}},
    {"10", {"小倉競馬場", "小倉", "小", "小倉", "小倉"}},
    {"30", {"門別競馬場", "門別", "門", "門別", "門別"}},
    {"31", {"北見競馬場", "北見", "北", "北見", "北見"}},
    {"32", {"岩見沢競馬場", "岩見沢", "岩", "岩見", "岩見沢"}},
    {"33", {"帯広競馬場", "帯広", "帯", "帯広", "帯広"}},
    {"34", {"旭川競馬場", "旭川", "旭", "旭川", "旭川"}},
    {"35", {"盛岡競馬場", "盛岡", "盛", "盛岡", "盛岡"}},
    {"36", {"水沢競馬場", "水沢", "水", "水沢", "水沢"}},
    {"37", {"上山競馬場", "上山", "上", "上山", "上山"}},
    {"38", {"三条競馬場", "三条", "三", "三条", "三条"}},
    {"39", {"足利競馬場", "足利", "足", "足利", "足利"}},
    {"40", {"宇都宮競馬場", "宇都宮", "宇", "宇都", "宇都宮"}},
    {"41", {"高崎競馬場", "高崎", "高", "高崎", "高崎"}},
    {"42", {"浦和競馬場", "浦和", "浦", "浦和", "浦和"}},
    {"43", {"船橋競馬場", "船橋", "船", "船橋", "船橋"}},
    {"44", {"大井競馬場", "大井", "大", "大井", "大井"}},
    {"45", {"川崎競馬場", "川崎", "川", "川崎", "川崎"}},
    {"46", {"金沢競馬場", "金沢", "金", "金沢", "金沢"}},
    {"47", {"笠松競馬場", "笠松", "笠", "笠松", "笠松"}},
    {"48", {"名古屋競馬場", "名古屋", "古", "名古", "名古屋"}},
    {"49", {"紀三井寺競馬場", "紀三井", "紀", "紀三", "紀三寺"}},
    {"50", {"園田競馬場", "園田", "園", "園田", "園田"}},
    {"51", {"姫路競馬場", "姫路", "姫", "姫路", "姫路"}},
    {"52", {"益田競馬場", "益田", "益", "益田", "益田"}},
    {"53", {"福山競馬場", "福山", "福", "福山", "福山"}},
    {"54", {"高知競馬場", "高知", "高", "高知", "高知"}},
    {"55", {"佐賀競馬場", "佐賀", "佐", "佐賀", "佐賀"}},
    {"56", {"荒尾競馬場", "荒尾", "荒", "荒尾", "荒尾"}},
    {"57", {"中津競馬場", "中津", "中", "中津", "中津"}},
    {"58", {"札幌競馬場(地方競馬)", "札幌", "札", "札幌", "札幌"}},
    {"59", {"函館競馬場(地方競馬)", "函館", "函", "函館", "函館"}},
    {"60", {"新潟競馬場(地方競馬)", "新潟", "新", "新潟", "新潟"}},
    {"61", {"中京競馬場(地方競馬)", "中京", "名", "中京", "中京"}},
    {"A0", {"その他の外国", "他外国", "外", "他外", "他外国"}},
    {"A2", {"日本", "日本", "日", "日本", "日本"}},
    {"A4", {"アメリカ", "ｱﾒﾘｶ", "米", "アメ", "アメリ"}},
    {"A6", {"イギリス", "ｲｷﾞﾘｽ", "英", "イギ", "イギリ"}},
    {"A8", {"フランス", "ﾌﾗﾝｽ", "仏", "フラ", "フラン"}},
    {"B0", {"インド", "インド", "印", "イン", "インド"}},
    {"B2", {"アイルランド", "ｱｲﾙﾗﾝﾄ", "愛", "アイ", "アイル"}},
    {"B4", {"ニュージーランド", "ﾆｭｰｼﾞｰ", "新", "ニュ", "ニュー"}},
    {"B6", {"オーストラリア", "ｵｰｽﾄﾗﾘ", "豪", "オー", "オース"}},
    {"B8", {"カナダ", "カナダ", "加", "カナ", "カナダ"}},
    {"C0", {"イタリア", "ｲﾀﾘｱ", "伊", "イタ", "イタリ"}},
    {"C2", {"ドイツ", "ドイツ", "独", "ドイ", "ドイツ"}},
    {"C4", {"", "", "", "", ""}},
    {"C5", {"オマーン", "ｵﾏｰﾝ", "オ", "オマ", "オマー"}},
    {"C6", {"イラク", "イラク", "イ", "イラ", "イラク"}},
    {"C7", {"アラブ首長国連邦", "ｱﾗﾌﾞ首", "首", "ア首", "アラブ"}},
    {"C8", {"シリア", "シリア", "叙", "シリ", "シリア"}},
    {"D0", {"スウェーデン", "ｽｳｪｰﾃﾞ", "瑞", "スウ", "スウェ"}},
    {"D2", {"ハンガリー", "ﾊﾝｶﾞﾘｰ", "洪", "ハン", "ハンガ"}},
    {"D4", {"ポルトガル", "ﾎﾟﾙﾄｶﾞ", "葡", "ポル", "ポルト"}},
    {"D6", {"ロシア", "ロシア", "露", "ロシ", "ロシア"}},
    {"D8", {"ウルグアイ", "ｳﾙｸﾞｱｲ", "ウ", "ウル", "ウルグ"}},
    {"E0", {"ペルー", "ペルー", "秘", "ペル", "ペルー"}},
    {"E2", {"アルゼンチン", "ｱﾙｾﾞﾝﾁ", "亜", "アル", "アルゼ"}},
    {"E4", {"ブラジル", "ﾌﾞﾗｼﾞﾙ", "伯", "ブラ", "ブラジ"}},
    {"E6", {"ベルギー", "ﾍﾞﾙｷﾞｰ", "白", "ベル", "ベルギ"}},
    {"E8", {"トルコ", "トルコ", "土", "トル", "トルコ"}},
    {"F0", {"韓国", "韓国", "韓", "韓国", "韓国"}},
    {"F1", {"中国", "中国", "中", "中国", "中国"}},
    {"F2", {"チリ", "チリ", "智", "チリ", "チリ"}},
    {"F4", {"", "", "", "", ""}},
    {"F6", {"", "", "", "", ""}},
    {"F8", {"パナマ", "パナマ", "巴", "パナ", "パナマ"}},
    {"G0", {"香港", "香港", "香", "香港", "香港"}},
    {"G2", {"スペイン", "ｽﾍﾟｲﾝ", "西", "スペ", "スペイ"}},
    {"G4", {"", "", "", "", ""}},
    {"G6", {"", "", "", "", ""}},
    {"G8", {"", "", "", "", ""}},
    {"H0", {"西ドイツ", "西ﾄﾞｲﾂ", "独", "西独", "西独"}},
    {"H2", {"南アフリカ", "南ｱﾌﾘｶ", "南", "南ア", "南アフ"}},
    {"H4", {"スイス", "スイス", "ス", "スイ", "スイス"}},
    {"H6", {"モナコ", "モナコ", "モ", "モナ", "モナコ"}},
    {"H8", {"フィリピン", "ﾌｨﾘﾋﾟﾝ", "比", "フィ", "フィリ"}},
    {"I0", {"プエルトリコ", "ﾌﾟｴﾙﾄﾘ", "プ", "プエ", "プエル"}},
    {"I2", {"コロンビア", "ｺﾛﾝﾋﾞｱ", "コ", "コロ", "コロン"}},
    {"I4", {"チェコスロバキア", "ﾁｪｺｽﾛﾊ", "チ", "チェ", "チェコ"}},
    {"I6", {"チェコ", "チェコ", "チ", "チェ", "チェコ"}},
    {"I8", {"スロバキア", "ｽﾛﾊﾞｷｱ", "ス", "スロ", "スロバ"}},
    {"J0", {"エクアドル", "ｴｸｱﾄﾞﾙ", "エ", "エク", "エクア"}},
    {"J2", {"ギリシャ", "ｷﾞﾘｼｬ", "ギ", "ギリ", "ギリシ"}},
    {"J4", {"マレーシア", "ﾏﾚｰｼｱ", "馬", "マレ", "マレー"}},
    {"J6", {"メキシコ", "ﾒｷｼｺ", "墨", "メキ", "メキシ"}},
    {"J8", {"モロッコ", "ﾓﾛｯｺ", "摩", "モロ", "モロッ"}},
    {"K0", {"パキスタン", "ﾊﾟｷｽﾀﾝ", "基", "パキ", "パキス"}},
    {"K2", {"ポーランド", "ﾎﾟｰﾗﾝﾄ", "波", "ポー", "ポーラ"}},
    {"K4", {"パラグアイ", "ﾊﾟﾗｸﾞｱ", "拉", "パラ", "パラグ"}},
    {"K6", {"サウジアラビア", "ｻｳｼﾞｱﾗ", "サ", "サウ", "サウジ"}},
    {"K8", {"キプロス", "ｷﾌﾟﾛｽ", "キ", "キプ", "キプロ"}},
    {"L0", {"タイ", "タイ", "泰", "タイ", "タイ"}},
    {"L2", {"ウクライナ", "ｳｸﾗｲﾅ", "烏", "ウク", "ウクラ"}},
    {"L4", {"ベネズエラ", "ﾍﾞﾈｽﾞｴ", "ベ", "ベネ", "ベネゼ"}},
    {"L6", {"ユーゴスラビア", "ﾕｰｺﾞｽﾗ", "ユ", "ユー", "ユーゴ"}},
    {"L8", {"デンマーク", "ﾃﾞﾝﾏｰｸ", "丁", "デン", "デンマ"}},
    {"M0", {"シンガポール", "ｼﾝｶﾞﾎﾟ", "嘉", "シン", "シンガ"}},
    {"M2", {"マカオ", "マカオ", "澳", "澳門", "マカオ"}},
    {"M4", {"オーストリア", "ｵｰｽﾄﾘｱ", "墺", "墺国", "墺国"}},
    {"M6", {"ヨルダン", "ﾖﾙﾀﾞﾝ", "約", "約", "ヨルダ"}},
    {"M8", {"カタール", "ｶﾀｰﾙ", "華", "華", "カタル"}},
    {"N0", {"東ドイツ", "ﾋｶﾞｼﾄﾞ", "ド", "東ド", "東ドイ"}},
    {"N2", {"バーレーン", "ﾊﾞｰﾚｰﾝ", "バ", "バレ", "バレン"}},
};

} // namespace

TEST(CodeTables, EveryRacecourseAndCountryHasItsFiveForms) {
    std::vector<std::string> published;
    for (const JyoRow& row : kJyoRows) {
        const std::string code = row.code;
        published.push_back(code);
        const bool blank = std::string_view(row.names[0]).empty();
        EXPECT_EQ(JyoCodeToName(code, 9), blank ? Zen(10) : PadZen(row.names[0], 20)) << code;
        std::string style0 = PadHan(row.names[1], 6), style3 = PadHan(row.names[4], 6);
        if (code == "L0") style0 = style3 = Sj("タイ　");
        if (code == "H0") style3 = Sj("西独　");
        EXPECT_EQ(JyoCodeToName(code, 0), style0) << code;
        EXPECT_EQ(JyoCodeToName(code, 3), style3) << code;
        EXPECT_EQ(JyoCodeToName(code, 2), PadHan(row.names[3], 4)) << code;
        EXPECT_EQ(JyoCodeToName(code, 1), code == "A2" ? Sj("日 ")
                                          : blank      ? "  "
                                                       : Sj(row.names[2]))
            << code;
    }
    // The codes the form lists offer are the published ones, in the same order.
    EXPECT_EQ(std::vector<std::string>(JyoCodes().begin(), JyoCodes().end()), published);
    // A code outside the table, or one written another way, gives the fallback blanks.
    for (const char* code : {"00", "11", "29", "62", "A1", "C9", "N4", "1", "5", " 5", "a0", ""}) {
        EXPECT_EQ(JyoCodeToName(code, 9), "      ") << code;
        EXPECT_EQ(JyoCodeToName(code, 0), "      ") << code;
        EXPECT_EQ(JyoCodeToName(code, 3), "      ") << code;
        EXPECT_EQ(JyoCodeToName(code, 2), "    ") << code;
        EXPECT_EQ(JyoCodeToName(code, 1), "  ") << code;
    }
    // The ten JRA racecourses, and only they, go back to their codes.
    const char* jra[] = {"札幌", "函館", "福島", "新潟", "東京",
                         "中山", "中京", "京都", "阪神", "小倉"};
    for (int n = 1; n <= 10; ++n) {
        const std::string code = (n < 10 ? "0" : "") + std::to_string(n);
        EXPECT_EQ(JyoNameToCode(Sj(jra[n - 1])), code) << jra[n - 1];
    }
    for (const char* other : {"門別", "大井", "札幌競馬場", "東", ""})
        EXPECT_EQ(JyoNameToCode(Sj(other)), "  ") << other;
}

TEST(CodeTables, EveryRaceTypeInEachStyle) {
    struct Row {
        const char* code;
        std::array<const char*, 5> texts; // styles 2, 4, 6, 8, 9
        const char* hankaku;
    } rows[] = {
        {"11", {"２歳", "サラ２歳", "サラ系２歳", "サラ系２歳", "サラブレット系2歳"}, "ｻﾗ系2歳"},
        {"12", {"３歳", "サラ３歳", "サラ系３歳", "サラ系３歳", "サラブレット系3歳"}, "ｻﾗ系3歳"},
        {"13",
         {"３上", "サラ３上", "サラ系３歳上", "サラ系３歳以上", "サラブレット系3歳以上"},
         "ｻﾗ系3歳以上"},
        {"14",
         {"４上", "サラ４上", "サラ系４歳上", "サラ系４歳以上", "サラブレット系4歳以上"},
         "ｻﾗ系4歳以上"},
        {"18",
         {"３上", "障害３上", "障害３歳上", "サラ障害３歳以上", "サラブレット系障害3歳以上"},
         "ｻﾗ系障害3歳以上"},
        {"19",
         {"４上", "障害４上", "障害４歳上", "サラ障害４歳以上", "サラブレット系障害4歳以上"},
         "ｻﾗ系障害4歳以上"},
        {"21", {"２歳", "アラ２歳", "アラ系２歳", "アラブ系２歳", "アラブ系2歳"}, "ｱﾗ系2歳"},
        {"22", {"３歳", "アラ３歳", "アラ系３歳", "アラブ系３歳", "アラブ系3歳"}, "ｱﾗ系3歳"},
        {"23",
         {"３上", "アラ３上", "アラ系３歳上", "アラブ系３歳以上", "アラブ系3歳以上"},
         "ｱﾗ系3歳以上"},
        {"24",
         {"４上", "アラ４上", "アラ系４歳上", "アラブ系４歳以上", "アラブ系4歳以上"},
         "ｱﾗ系4歳以上"},
    };
    for (const Row& row : rows) {
        const std::string code = row.code;
        EXPECT_EQ(SyubetuToText(code, 2), Sj(row.texts[0])) << code;
        EXPECT_EQ(SyubetuToText(code, 4), Sj(row.texts[1])) << code;
        EXPECT_EQ(SyubetuToText(code, 6), PadZen(row.texts[2], 12)) << code;
        EXPECT_EQ(SyubetuToText(code, 8), PadZen(row.texts[3], 16)) << code;
        EXPECT_EQ(SyubetuToText(code, 9), PadZen(row.texts[4], 25)) << code;
        // The half-width table compares the number.
        for (const std::string& same : {code, "0" + code, " " + code})
            EXPECT_EQ(SyubetuToTextHankaku(same), PadHan(row.hankaku, 15)) << same;
        EXPECT_EQ(SyubetuToText("0" + code, 4), Zen(4)) << code;
    }
    for (const char* other : {"10", "15", "17", "20", "25", "31", "", "  "}) {
        EXPECT_EQ(SyubetuToText(other, 2), Zen(4)) << other;
        EXPECT_EQ(SyubetuToText(other, 4), Zen(4)) << other;
        EXPECT_EQ(SyubetuToText(other, 6), Zen(6)) << other;
        EXPECT_EQ(SyubetuToText(other, 8), Zen(8)) << other;
        EXPECT_EQ(SyubetuToText(other, 9), Zen(12) + " ") << other;
        EXPECT_EQ(SyubetuToTextHankaku(other), "") << other;
    }
}

// Every known race symbol is its prefix, sexes and designation; a code that could be built the
// same way but is not among the known ones gives blanks.
TEST(CodeTables, EveryRaceSymbolIsBuiltFromItsThreeParts) {
    const std::map<char, const char*> prefix = {{'0', ""},
                                                {'A', "(混合)"},
                                                {'B', "(父)"},
                                                {'C', "(市)"},
                                                {'D', "(抽)"},
                                                {'E', "[抽]"},
                                                {'F', "(市)(抽)"},
                                                {'G', "(抽)関西配布馬"},
                                                {'H', "(抽)関東配布馬"},
                                                {'I', "[抽]関西配布馬"},
                                                {'J', "[抽]関東配布馬"},
                                                {'K', "(市)(抽)関西配布馬"},
                                                {'L', "(市)(抽)関東配布馬"},
                                                {'M', "九州産馬"},
                                                {'N', "(国際)"}};
    const std::map<char, const char*> sexes = {
        {'0', ""}, {'1', "牡"}, {'2', "牝"}, {'3', "牡・ｾﾝ"}, {'4', "牡・牝"}};
    const std::map<char, const char*> designation = {
        {'0', ""}, {'1', "(指定)"}, {'2', "若手騎手"}, {'3', "[指定]"}, {'4', "(特指)"}};
    const std::set<std::string> known = {
        "001", "002", "003", "004", "020", "021", "023", "024", "030", "031", "033", "034", "040",
        "041", "043", "044", "A00", "A01", "A02", "A03", "A04", "A10", "A11", "A13", "A14", "A20",
        "A21", "A23", "A24", "A30", "A31", "A33", "A34", "A40", "A41", "B00", "B01", "B03", "B04",
        "C00", "C01", "C03", "C04", "D00", "D01", "D03", "E00", "E01", "E03", "F00", "F01", "F03",
        "F04", "G00", "G01", "G03", "H00", "H01", "I00", "I01", "I03", "J00", "J01", "K00", "K01",
        "K03", "L00", "L01", "L03", "M00", "M01", "M03", "M04", "N00", "N01", "N03", "N04", "N20",
        "N21", "N23", "N24", "N30", "N31", "N40", "N41", "N44"};
    ASSERT_EQ(known.size(), 86u);
    EXPECT_EQ(std::set<std::string>(KigoCodes().begin(), KigoCodes().end()), known);
    for (const auto& [p, pText] : prefix)
        for (const auto& [s, sText] : sexes)
            for (const auto& [d, dText] : designation) {
                const std::string code = {p, s, d};
                std::string text = std::string(pText) + sText;
                if (d == '2' && p != '0') text += "・";
                text += dText;
                EXPECT_EQ(KigoToText(code), known.count(code) ? PadZen(text, 24) : Zen(12)) << code;
            }
    EXPECT_EQ(KigoToText("K01"), Sj("(市)(抽)関西配布馬(指定)"));
    for (const char* other : {"A1", "A100", "a10", " 01", "", "P00"})
        EXPECT_EQ(KigoToText(other), Zen(12)) << other;
}

TEST(CodeTables, EveryGradeInEachStyle) {
    struct Row {
        const char* code;
        const char *style1, *style2, *style8;
        std::string style9;
    } rows[] = {
        {"A", "G1   ", "G1", "G1 ", Sj("G1(平地競走)") + Zen(3)},
        {"B", "G2   ", "G2", "G2 ", Sj("G2(平地競走)") + Zen(3)},
        {"C", "G3   ", "G3", "G3 ", Sj("G3(平地競走)") + Zen(3)},
        {"D", "重賞 ", "", "重 ", Sj("ｸﾞﾚｰﾄﾞのない重賞") + Zen(1)},
        {"E", "特別 ", "", "特 ", Sj("重賞以外の特別競走")},
        {"F", "JG1  ", "JG1", "JG1", Sj("JG1(障害競走)") + Zen(2) + " "},
        {"G", "JG2  ", "JG2", "JG2", Sj("JG2(障害競走)") + Zen(2) + " "},
        {"H", "JG3  ", "JG3", "JG3", Sj("JG3(障害競走)") + Zen(2) + " "},
        {"L", "List ", "LST", "LST", Sj("リステッド") + Zen(4)},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(GradeToText(row.code, 1), Sj(row.style1)) << row.code;
        EXPECT_EQ(GradeToText(row.code, 2), row.style2) << row.code;
        EXPECT_EQ(GradeToText(row.code, 8), Sj(row.style8)) << row.code;
        EXPECT_EQ(GradeToText(row.code, 9), row.style9) << row.code;
    }
    for (const char* other : {"I", "K", "M", "a", "AA", " ", ""}) {
        EXPECT_EQ(GradeToText(other, 1), Zen(2) + " ") << other;
        EXPECT_EQ(GradeToText(other, 2), "") << other;
        EXPECT_EQ(GradeToText(other, 8), Zen(1) + " ") << other;
        EXPECT_EQ(GradeToText(other, 9), Zen(9)) << other;
    }
}

TEST(CodeTables, EveryWeekdayInEachStyle) {
    const char* rows[9][4] = {
        {"　", "　　", "　　　", ""},       {"土", "土曜", "土曜日", "月曜日"},
        {"日", "日曜", "日曜日", "火曜日"}, {"祝", "祝日", "祝日　", "水曜日"},
        {"月", "月曜", "月曜日", "木曜日"}, {"火", "火曜", "火曜日", "金曜日"},
        {"水", "水曜", "水曜日", "土曜日"}, {"木", "木曜", "木曜日", "日曜日"},
        {"金", "金曜", "金曜日", ""},
    };
    for (int n = 0; n <= 8; ++n)
        for (int style = 1; style <= 4; ++style)
            for (const std::string& code : {std::to_string(n), "0" + std::to_string(n)})
                EXPECT_EQ(YoubiToText(code, style), Sj(rows[n][style - 1]))
                    << code << " style " << style;
    for (const char* other : {"9", "10", "99"})
        for (int style = 1; style <= 4; ++style) EXPECT_EQ(YoubiToText(other, style), "") << other;
}

TEST(CodeTables, EveryTrackAndItsShortForm) {
    const std::map<int, const char*> track = {
        {10, "芝 直線"},
        {11, "芝 左回り"},
        {12, "芝 左回り 外回り"},
        {13, "芝 左回り 内→外回り"},
        {14, "芝 左回り 外→内回り"},
        {15, "芝 左回り 内２周"},
        {16, "芝 左回り 外２周"},
        {17, "芝 右回り"},
        {18, "芝 右回り 外回り"},
        {19, "芝 右回り 内→外回り"},
        {20, "芝 右回り 外→内回り"},
        {21, "芝 右回り 内２周"},
        {22, "芝 右回り 外２周"},
        {23, "ﾀﾞｰﾄ 左回り"},
        {24, "ﾀﾞｰﾄ 右回り"},
        {25, "ﾀﾞｰﾄ 左回り 内回り"},
        {26, "ﾀﾞｰﾄ 右回り 外回り"},
        {27, "ｻﾝﾄﾞ 左回り"},
        {28, "ｻﾝﾄﾞ 右回り"},
        {29, "ﾀﾞｰﾄ 直線"},
        {51, "障害 芝　襷"},
        {52, "障害 芝→ﾀﾞｰﾄ"},
        {53, "障害 芝　左"},
        {54, "障害 芝"},
        {55, "障害 芝 外回り"},
        {56, "障害 芝 外→内回り"},
        {57, "障害 芝 内→外回り"},
        {58, "障害 内２周"},
        {59, "障害 外２周"},
    };
    auto shortText = [](int n) -> std::string {
        if (n == 10) return Sj("芝直");
        if (n >= 11 && n <= 16) return Sj("芝左");
        if (n >= 17 && n <= 22) return Sj("芝右");
        if (n == 23) return Sj("ダ左");
        if (n == 24) return Sj("ダ右");
        if (n == 29) return Sj("ダ直");
        if (n >= 51 && n <= 59) return Sj("障害");
        return "";
    };
    for (int n = 0; n <= 99; ++n) {
        const auto it = track.find(n);
        const std::string text = it == track.end() ? "" : Sj(it->second);
        for (const std::string& code :
             {std::to_string(n), (n < 10 ? "0" : "") + std::to_string(n)}) {
            EXPECT_EQ(TrackToText(code), text) << code;
            EXPECT_EQ(TrackShortText(code), shortText(n)) << code;
        }
    }
    EXPECT_EQ(TrackToText(" 17"), Sj("芝 右回り"));
    EXPECT_EQ(TrackShortText(""), "");
}

TEST(CodeTables, EveryAffiliationInEachStyle) {
    const char* rows[][4] = {
        {"東", "西", "招待", "招待"},                     // style 1
        {"関東", "関西", "地方招待", "外国招待"},         // style 2
        {"美浦", "栗東", "招待", "招待"},                 // style 3
        {"関東馬", "関西馬", "地方招待馬", "外国招待馬"}, // style 4
        {"[東]", "[西]", "[地]", "[外]"},                 // style 5
        {"美浦", "栗東", "地方", "外国"},                 // style 6
        {"美", "栗", "地", "外"},                         // style 7
    };
    for (int style = 1; style <= 7; ++style)
        for (int code = 1; code <= 4; ++code)
            EXPECT_EQ(TozaiToText(std::to_string(code), style), Sj(rows[style - 1][code - 1]))
                << code << " style " << style;
    // Any other style reads as style 6; any other code is a bar in every style.
    for (int style : {-1, 0, 8, 9, 100})
        for (int code = 1; code <= 4; ++code)
            EXPECT_EQ(TozaiToText(std::to_string(code), style), Sj(rows[5][code - 1])) << style;
    for (const char* other : {"0", "5", "01", " 1", ""})
        for (int style = 0; style <= 8; ++style)
            EXPECT_EQ(TozaiToText(other, style), Sj("－")) << other << " style " << style;
}

// The one-style tables: each code as published, the code written another way, and the fallback.
TEST(CodeTables, EveryEntryOfTheSmallTables) {
    using Plain = std::string (*)(std::string_view);
    struct Table {
        const char* name;
        Plain f;
        std::vector<std::pair<std::string, std::string>> entries; // code, UTF-8 text
        std::vector<std::string> others;
        std::string fallback; // CP932
    };
    std::vector<std::pair<std::string, std::string>> umaKigo = {
        {"1", "(抽)"},          {"2", "[抽]"},      {"3", "(父)"},          {"4", "(市)"},
        {"5", "(地)"},          {"6", "(外)"},      {"7", "(父)(抽)"},      {"8", "(父)(市)"},
        {"9", "(父)(地)"},      {"10", "(市)(地)"}, {"11", "(外)(地)"},     {"12", "(父)(市)(地)"},
        {"15", "(招)"},         {"16", "(招)(外)"}, {"17", "(招)(父)"},     {"18", "(招)(市)"},
        {"19", "(招)(父)(市)"}, {"20", "(父)(外)"}, {"21", "[地]"},         {"22", "(外)[地]"},
        {"23", "(父)[地]"},     {"24", "(市)[地]"}, {"25", "(父)(市)[地]"}, {"26", "[外]"},
        {"27", "(父)[外]"},     {"31", "(特)"},     {"40", "(父)(外)(地)"}, {"41", "(父)(外)[地]"}};
    std::vector<std::string> umaKigoOthers = {"0", "", "x"};
    for (int n : {13, 14, 28, 29, 30, 32, 35, 39, 42, 99})
        umaKigoOthers.push_back(std::to_string(n));
    const std::vector<Table> tables = {
        {"Keiro",
         KeiroToText,
         {{"01", "栗毛"},
          {"02", "栃栗毛"},
          {"03", "鹿毛"},
          {"04", "黒鹿毛"},
          {"05", "青鹿毛"},
          {"06", "青毛"},
          {"07", "芦毛"},
          {"08", "栗粕毛"},
          {"09", "鹿粕毛"},
          {"10", "青粕毛"},
          {"11", "白毛"}},
         {"00", "12", "1", " 1", ""},
         Sj("－")},
        {"UmaKigo", UmaKigoToText, umaKigo, umaKigoOthers, Zen(1)},
        {"Jyuryo",
         JyuryoToText,
         {{"1", "ﾊﾝﾃﾞ"}, {"2", "別定"}, {"3", "馬齢"}, {"4", "定量"}},
         {"0", "5", "01", ""},
         ""},
        {"Tenko",
         TenkoToText,
         {{"1", "晴"}, {"2", "曇"}, {"3", "雨"}, {"4", "小雨"}, {"5", "雪"}, {"6", "小雪"}},
         {"0", "7", "01", ""},
         ""},
        {"Sex", SexToText, {{"1", "牡"}, {"2", "牝"}, {"3", "ｾﾝ"}}, {"0", "4", "01", ""}, ""},
        {"Minarai",
         MinaraiToText,
         {{"1", "1kg減"}, {"2", "2kg減"}, {"3", "3kg減"}, {"4", "4kg減"}, {"9", "2kg減"}},
         {"0", "5", "8", "01", ""},
         Zen(1)},
        {"Blinker", BlinkerToText, {{"1", "ﾌﾞﾘﾝ"}}, {"0", "2", "01", ""}, " "},
        {"Flag", FlagToMaruOrBar, {{"1", "○"}}, {"0", "2", "01", ""}, Sj("－")},
        {"Ijyo",
         IjyoKubunToText,
         {{"1", "出走取消"},
          {"2", "発走除外"},
          {"3", "競争除外"},
          {"4", "競争中止"},
          {"5", "失格    "},
          {"6", "落馬再騎"},
          {"7", "降着　　"}},
         {"0", "8", "01", ""},
         "        "},
        {"Kyakusitu",
         KyakusituToText,
         {{"1", "逃"}, {"2", "先"}, {"3", "差"}, {"4", "追"}},
         {"0", "5", "01", ""},
         "  "},
        {"Record",
         RecordKubunToText,
         {{"1", "(ｺｰｽﾚｺｰﾄﾞ)"}, {"2", "(GIﾚｺｰﾄﾞ)"}},
         {"0", "3", "01", ""},
         ""},
        {"Time",
         TimeKubunToText,
         {{"1", "(基準ﾀｲﾑ)"}, {"2", "(ﾚｺｰﾄﾞﾀｲﾑ)"}, {"3", "(参考ﾀｲﾑ)"}, {"4", "(備考ﾀｲﾑ)"}},
         {"0", "5", "01", ""},
         ""},
    };
    for (const Table& t : tables) {
        for (const auto& [code, text] : t.entries)
            EXPECT_EQ(t.f(code), Sj(text)) << t.name << " " << code;
        for (const std::string& code : t.others)
            EXPECT_EQ(t.f(code), t.fallback) << t.name << " " << code;
    }
    // The horse-symbol table compares the number.
    EXPECT_EQ(UmaKigoToText("01"), Sj("(抽)"));
    EXPECT_EQ(UmaKigoToText(" 41"), Sj("(父)(外)[地]"));
}

TEST(CodeTables, EveryGoingInEachStyle) {
    const char* goings[] = {"良", "稍重", "重", "不良"};
    for (int n = 1; n <= 4; ++n) {
        const std::string code = std::to_string(n);
        EXPECT_EQ(BabaToText(code, 0), Sj(goings[n - 1])) << n;
        EXPECT_EQ(BabaToText(code, 1), Sj("芝:") + Sj(goings[n - 1])) << n;
        EXPECT_EQ(BabaToText(code, 2), Sj("ダ:") + Sj(goings[n - 1])) << n;
        EXPECT_EQ(BabaToText(code, 3), "") << n;
    }
    for (const char* other : {"0", "5", "01", " ", ""})
        for (int style = 0; style <= 2; ++style) EXPECT_EQ(BabaToText(other, style), "") << other;
}

TEST(CodeTables, EveryRaceConditionAndTheConditionLine) {
    const std::map<int, const char*> joken = {{5, "1勝ｸﾗｽ"},   {10, "2勝ｸﾗｽ"},   {16, "3勝ｸﾗｽ"},
                                              {100, "1億下"},  {701, "新馬"},    {702, "未出走"},
                                              {703, "未勝利"}, {999, "オープン"}};
    for (int n = 0; n <= 999; ++n) {
        const auto it = joken.find(n);
        const std::string digits = std::to_string(n);
        const std::string padded = std::string(3 - digits.size(), '0') + digits;
        EXPECT_EQ(JokenToText(padded), it == joken.end() ? "" : Sj(it->second)) << padded;
    }
    // The age text of each race type, on the band its line takes.
    struct Line {
        const char* type;
        const char* j2;
        const char* j3;
        const char* j4;
        const char* j5;
        const char* line;
    } lines[] = {
        {"11", "701", "005", "010", "016", "2歳新馬"},
        {"21", "703", "005", "010", "016", "未勝利"},
        {"12", "701", "702", "010", "016", "3歳未出走"},
        {"22", "701", "999", "010", "016", "オープン"},
        {"13", "000", "703", "010", "016", "3歳上未勝利"},
        {"18", "000", "999", "010", "016", "3歳上オープン"},
        {"23", "000", "016", "016", "100", "3勝ｸﾗｽ  3勝ｸﾗｽ  1億下"},
        {"14", "000", "000", "005", "010", "4歳上1勝ｸﾗｽ  4歳上2勝ｸﾗｽ"},
        {"19", "000", "000", "701", "702", "4歳上新馬"},
        {"24", "000", "000", "016", "999", "3勝ｸﾗｽ  オープン"},
        // The 3-year-old condition decides between one band and three: 1 to 100 inclusive.
        {"13", "000", "001", "010", "016", "3歳上  3歳上2勝ｸﾗｽ  3歳上3勝ｸﾗｽ"},
        {"13", "000", "100", "010", "016", "3歳上1億下  3歳上2勝ｸﾗｽ  3歳上3勝ｸﾗｽ"},
        {"13", "000", "101", "010", "016", "3歳上"},
        {"13", "000", "000", "010", "016", "3歳上"},
        {"14", "000", "000", "001", "016", "4歳上  4歳上3勝ｸﾗｽ"},
        {"14", "000", "000", "100", "999", "4歳上1億下  4歳上オープン"},
        {"14", "000", "000", "101", "999", "4歳上"},
        {"15", "701", "701", "701", "701", ""},
        {"20", "701", "701", "701", "701", ""},
    };
    for (const Line& l : lines)
        EXPECT_EQ(RaceJokenText(l.type, l.j2, l.j3, l.j4, l.j5), Sj(l.line))
            << l.type << " " << l.j3 << " " << l.j4;
}

TEST(CodeTables, EveryGradeAndConditionOfTheClassLabel) {
    const std::string name = Sj("有馬記念");
    const std::string blank = "  " + Zen(3);
    struct Case {
        const char* joken;
        const char* grade;
        std::string raceName;
        std::string label;
    } cases[] = {
        {"999", "A", name, Sj("GⅠ") + name},
        {"999", "B", name, Sj("GⅡ") + name},
        {"999", "C", name, Sj("GⅢ") + name},
        {"999", "L", name, Sj("Lst") + name},
        {"701", " ", name, Sj("新馬")},
        {"702", " ", name, Sj("未出走")},
        {"703", " ", name, Sj("未勝利")},
        {"005", " ", name, Sj("1勝ｸﾗｽ")},
        {"010", " ", name, Sj("2勝ｸﾗｽ")},
        {"016", " ", name, Sj("3勝ｸﾗｽ")},
        {"001", " ", name, Sj(" 100下")},
        {"100", " ", name, Sj("10000下")},
        {"000", " ", name, name},
        {"000", "E", blank, Sj("特別")},
        {"999", "D", blank, Sj("ｵｰﾌﾟﾝ")},
        {"   ", "D", blank, Sj("重賞")},
        {"   ", "F", name, name},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GradeJokenLabel(c.joken, c.grade, c.raceName), c.label)
            << c.joken << "/" << c.grade;
}
