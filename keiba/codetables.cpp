#include "keiba/codetables.h"

#include "keiba/sjis.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <vector>

namespace keiba {
namespace {

// How a column fills its texts out to a fixed width.
enum class Blank { None, Half, Zen };
struct Pad {
    std::size_t bytes = 0;
    Blank blank = Blank::None;
};
constexpr Pad kBare{};
constexpr Pad Half(std::size_t bytes) {
    return {bytes, Blank::Half};
}
// Full-width blanks; an odd byte left over takes a half-width blank.
constexpr Pad Zen(std::size_t bytes) {
    return {bytes, Blank::Zen};
}

// The text of a code the table lacks: a text, then full-width, then half-width blanks. It is
// taken as it stands, not padded to the column's width.
struct Fallback {
    std::string_view text;
    std::size_t zen = 0;
    std::size_t han = 0;
};
constexpr Fallback kEmpty{};
constexpr Fallback kBar{"－"};
constexpr Fallback Blanks(std::size_t zen, std::size_t han) {
    return {{}, zen, han};
}

struct Column {
    int style = 0;
    Pad pad;
    Fallback fallback;
};

// Source rows, written in UTF-8.
template <std::size_t N> struct Row {
    std::string_view code;
    std::array<std::string_view, N> texts;
};
struct Pair {
    std::string_view code;
    std::string_view text;
};

std::string Padded(std::string text, Pad pad) {
    switch (pad.blank) {
    case Blank::None: return text;
    case Blank::Half: return PadRightBytes(text, pad.bytes);
    case Blank::Zen: return PadRightBytes(PadRightZenkaku(text, pad.bytes), pad.bytes);
    }
    return text;
}

// A code table held as CP932, its texts already padded: converted once when first used, so a
// lookup only compares bytes and copies its result.
template <std::size_t N> class Table {
public:
    explicit Table(const std::array<Column, N>& columns) {
        for (std::size_t c = 0; c < N; ++c) {
            styles_[c] = columns[c].style;
            pads_[c] = columns[c].pad;
            const Fallback& f = columns[c].fallback;
            fallbacks_[c] = Sj(f.text) + Repeat(kZenkakuSpace, f.zen) + std::string(f.han, ' ');
        }
    }
    template <class Rows>
    Table(const Rows& rows, const std::array<Column, N>& columns)
        : Table(columns) {
        for (const auto& row : rows) AddRow(row);
    }
    template <class Rows>
    Table(const Rows& rows, Pad pad, Fallback fallback) requires(N == 1)
        : Table(rows, {Column{0, pad, fallback}}) {}

    void Add(std::string_view code, const std::array<std::string_view, N>& texts) {
        Entry& e = entries_.emplace_back();
        e.code = Sj(code);
        for (std::size_t c = 0; c < N; ++c) e.texts[c] = Padded(Sj(texts[c]), pads_[c]);
    }

    // The text of `code` in `style`; a style the table lacks gives the empty text.
    std::string_view View(std::string_view code, int style) const {
        const auto column = std::find(styles_.begin(), styles_.end(), style);
        if (column == styles_.end()) return {};
        const auto c = static_cast<std::size_t>(column - styles_.begin());
        for (const Entry& e : entries_)
            if (e.code == code) return e.texts[c];
        return fallbacks_[c];
    }
    std::string_view View(std::string_view code) const requires(N == 1) { return View(code, 0); }
    std::string Get(std::string_view code, int style) const {
        return std::string(View(code, style));
    }
    std::string Get(std::string_view code) const requires(N == 1) {
        return std::string(View(code));
    }

private:
    struct Entry {
        std::string code;
        std::array<std::string, N> texts;
    };
    void AddRow(const Row<N>& row) { Add(row.code, row.texts); }
    void AddRow(const Pair& row) requires(N == 1) { Add(row.code, {row.text}); }

    std::array<int, N> styles_{};
    std::array<Pad, N> pads_{};
    std::array<std::string, N> fallbacks_;
    std::vector<Entry> entries_;
};

// A numbered code in its plain decimal form ("007" and " 7" give "7"), so that tables that
// compare the number are looked up like the others. Lookups return views into the table, never
// into the key, so a temporary key is enough.
class NumberKey {
public:
    explicit NumberKey(std::int64_t value) {
        len_ = static_cast<std::size_t>(std::to_chars(buf_, buf_ + sizeof buf_, value).ptr - buf_);
    }
    explicit NumberKey(std::string_view code)
        : NumberKey(DigitValue(code)) {}
    operator std::string_view() const { return {buf_, len_}; }

private:
    char buf_[24]{};
    std::size_t len_ = 0;
};

// Racecourses and countries. Columns in the order of kJyoColumns (styles 9, 0, 1, 2, 3).
constexpr Row<5> kJyo[] = {
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
    {"A2", {"日本", "日本", "日 ", "日本", "日本"}},
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
    {"C4", {"", "", "  ", "", ""}},
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
    {"F4", {"", "", "  ", "", ""}},
    {"F6", {"", "", "  ", "", ""}},
    {"F8", {"パナマ", "パナマ", "巴", "パナ", "パナマ"}},
    {"G0", {"香港", "香港", "香", "香港", "香港"}},
    {"G2", {"スペイン", "ｽﾍﾟｲﾝ", "西", "スペ", "スペイ"}},
    {"G4", {"", "", "  ", "", ""}},
    {"G6", {"", "", "  ", "", ""}},
    {"G8", {"", "", "  ", "", ""}},
    {"H0", {"西ドイツ", "西ﾄﾞｲﾂ", "独", "西独", "西独\u3000"}},
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
    {"L0", {"タイ", "タイ\u3000", "泰", "タイ", "タイ\u3000"}},
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
constexpr std::array<Column, 5> kJyoColumns{{
    {9, Zen(20), Blanks(0, 6)},
    {0, Half(6), Blanks(0, 6)},
    {1, kBare, Blanks(0, 2)},
    {2, Half(4), Blanks(0, 4)},
    {3, Half(6), Blanks(0, 6)},
}};
constexpr auto kJyoCodes = [] {
    std::array<std::string_view, std::size(kJyo)> codes{};
    for (std::size_t i = 0; i < codes.size(); ++i) codes[i] = kJyo[i].code;
    return codes;
}();

constexpr Pair kJyoNames[] = {
    {"札幌", "01"}, {"函館", "02"}, {"福島", "03"}, {"新潟", "04"}, {"東京", "05"},
    {"中山", "06"}, {"中京", "07"}, {"京都", "08"}, {"阪神", "09"}, {"小倉", "10"},
};

// Race types; styles 2, 4, 6, 8, 9.
constexpr Row<5> kSyubetu[] = {
    {"11", {"２歳", "サラ２歳", "サラ系２歳", "サラ系２歳", "サラブレット系2歳"}},
    {"12", {"３歳", "サラ３歳", "サラ系３歳", "サラ系３歳", "サラブレット系3歳"}},
    {"13", {"３上", "サラ３上", "サラ系３歳上", "サラ系３歳以上", "サラブレット系3歳以上"}},
    {"14", {"４上", "サラ４上", "サラ系４歳上", "サラ系４歳以上", "サラブレット系4歳以上"}},
    {"18", {"３上", "障害３上", "障害３歳上", "サラ障害３歳以上", "サラブレット系障害3歳以上"}},
    {"19", {"４上", "障害４上", "障害４歳上", "サラ障害４歳以上", "サラブレット系障害4歳以上"}},
    {"21", {"２歳", "アラ２歳", "アラ系２歳", "アラブ系２歳", "アラブ系2歳"}},
    {"22", {"３歳", "アラ３歳", "アラ系３歳", "アラブ系３歳", "アラブ系3歳"}},
    {"23", {"３上", "アラ３上", "アラ系３歳上", "アラブ系３歳以上", "アラブ系3歳以上"}},
    {"24", {"４上", "アラ４上", "アラ系４歳上", "アラブ系４歳以上", "アラブ系4歳以上"}},
};
constexpr std::array<Column, 5> kSyubetuColumns{{
    {2, kBare, Blanks(4, 0)},
    {4, kBare, Blanks(4, 0)},
    {6, Zen(12), Blanks(6, 0)},
    {8, Zen(16), Blanks(8, 0)},
    {9, Zen(25), Blanks(12, 1)},
}};

constexpr Pair kSyubetuHankaku[] = {
    {"11", "ｻﾗ系2歳"},     {"12", "ｻﾗ系3歳"},         {"13", "ｻﾗ系3歳以上"},
    {"14", "ｻﾗ系4歳以上"}, {"18", "ｻﾗ系障害3歳以上"}, {"19", "ｻﾗ系障害4歳以上"},
    {"21", "ｱﾗ系2歳"},     {"22", "ｱﾗ系3歳"},         {"23", "ｱﾗ系3歳以上"},
    {"24", "ｱﾗ系4歳以上"},
};

// Race symbols: the known codes; each text is built from the code's three characters.
constexpr std::string_view kKigoCodes[] = {
    "001", "002", "003", "004", "020", "021", "023", "024", "030", "031", "033", "034", "040",
    "041", "043", "044", "A00", "A01", "A02", "A03", "A04", "A10", "A11", "A13", "A14", "A20",
    "A21", "A23", "A24", "A30", "A31", "A33", "A34", "A40", "A41", "B00", "B01", "B03", "B04",
    "C00", "C01", "C03", "C04", "D00", "D01", "D03", "E00", "E01", "E03", "F00", "F01", "F03",
    "F04", "G00", "G01", "G03", "H00", "H01", "I00", "I01", "I03", "J00", "J01", "K00", "K01",
    "K03", "L00", "L01", "L03", "M00", "M01", "M03", "M04", "N00", "N01", "N03", "N04", "N20",
    "N21", "N23", "N24", "N30", "N31", "N40", "N41", "N44"};
constexpr Pair kKigoPrefix[] = {
    {"A", "(混合)"},
    {"B", "(父)"},
    {"C", "(市)"},
    {"D", "(抽)"},
    {"E", "[抽]"},
    {"F", "(市)(抽)"},
    {"G", "(抽)関西配布馬"},
    {"H", "(抽)関東配布馬"},
    {"I", "[抽]関西配布馬"},
    {"J", "[抽]関東配布馬"},
    {"K", "(市)(抽)関西配布馬"},
    {"L", "(市)(抽)関東配布馬"},
    {"M", "九州産馬"},
    {"N", "(国際)"},
};
constexpr Pair kKigoSex[] = {{"1", "牡"}, {"2", "牝"}, {"3", "牡・ｾﾝ"}, {"4", "牡・牝"}};
constexpr Pair kKigoDesignation[] = {
    {"1", "(指定)"}, {"2", "若手騎手"}, {"3", "[指定]"}, {"4", "(特指)"}};

std::string_view KigoPart(std::span<const Pair> rows, char code) {
    for (const Pair& p : rows)
        if (p.code.size() == 1 && p.code[0] == code) return p.text;
    return {};
}

// `code` is one of kKigoCodes: prefix, sexes admitted, designation.
std::string KigoUtf8(std::string_view code) {
    std::string text(KigoPart(kKigoPrefix, code[0]));
    text += KigoPart(kKigoSex, code[1]);
    const std::string_view designation = KigoPart(kKigoDesignation, code[2]);
    // The young-jockey designation is joined to a prefix with a middle dot.
    if (code[2] == '2' && !text.empty()) text += "・";
    text += designation;
    return text;
}

// Grades; styles 1, 2, 8, 9.
// clang-format off
constexpr Row<4> kGrade[] = {
    {"A", {"G1", "G1", "G1", "G1(平地競走)"}},
    {"B", {"G2", "G2", "G2", "G2(平地競走)"}},
    {"C", {"G3", "G3", "G3", "G3(平地競走)"}},
    {"D", {"重賞", "", "重", "ｸﾞﾚｰﾄﾞのない重賞"}},
    {"E", {"特別", "", "特", "重賞以外の特別競走"}},
    {"F", {"JG1", "JG1", "JG1", "JG1(障害競走)"}},
    {"G", {"JG2", "JG2", "JG2", "JG2(障害競走)"}},
    {"H", {"JG3", "JG3", "JG3", "JG3(障害競走)"}},
    {"L", {"List", "LST", "LST", "リステッド"}},
};
// clang-format on
constexpr std::array<Column, 4> kGradeColumns{{
    {1, Half(5), Blanks(2, 1)},
    {2, kBare, kEmpty},
    {8, Half(3), Blanks(1, 1)},
    {9, Zen(18), Blanks(9, 0)},
}};

constexpr Pair kJoken[] = {
    {"5", "1勝ｸﾗｽ"}, {"10", "2勝ｸﾗｽ"},  {"16", "3勝ｸﾗｽ"},  {"100", "1億下"},
    {"701", "新馬"}, {"702", "未出走"}, {"703", "未勝利"}, {"999", "オープン"},
};
constexpr Pair kJokenAge[] = {
    {"11", "2歳"},   {"12", "3歳"},   {"13", "3歳上"},
    {"18", "3歳上"}, {"14", "4歳上"}, {"19", "4歳上"},
};
constexpr Pair kLabelGrade[] = {{"A", "GⅠ"}, {"B", "GⅡ"}, {"C", "GⅢ"}, {"L", "Lst"}};
constexpr Pair kLabelJoken[] = {
    {"701", "新馬"},   {"702", "未出走"}, {"703", "未勝利"},
    {"005", "1勝ｸﾗｽ"}, {"010", "2勝ｸﾗｽ"}, {"016", "3勝ｸﾗｽ"},
};
constexpr Pair kLabelUnnamed[] = {{"D", "重賞"}, {"E", "特別"}};

// Weekdays, numbered; styles 1, 2, 3 and 4.
constexpr Row<4> kYoubi[] = {
    {"0", {"\u3000", "\u3000\u3000", "\u3000\u3000\u3000", ""}},
    {"1", {"土", "土曜", "土曜日", "月曜日"}},
    {"2", {"日", "日曜", "日曜日", "火曜日"}},
    {"3", {"祝", "祝日", "祝日\u3000", "水曜日"}},
    {"4", {"月", "月曜", "月曜日", "木曜日"}},
    {"5", {"火", "火曜", "火曜日", "金曜日"}},
    {"6", {"水", "水曜", "水曜日", "土曜日"}},
    {"7", {"木", "木曜", "木曜日", "日曜日"}},
    {"8", {"金", "金曜", "金曜日", ""}},
};

constexpr Pair kKeiro[] = {
    {"01", "栗毛"},   {"02", "栃栗毛"}, {"03", "鹿毛"}, {"04", "黒鹿毛"},
    {"05", "青鹿毛"}, {"06", "青毛"},   {"07", "芦毛"}, {"08", "栗粕毛"},
    {"09", "鹿粕毛"}, {"10", "青粕毛"}, {"11", "白毛"},
};

constexpr Pair kUmaKigo[] = {
    {"1", "(抽)"},          {"2", "[抽]"},      {"3", "(父)"},          {"4", "(市)"},
    {"5", "(地)"},          {"6", "(外)"},      {"7", "(父)(抽)"},      {"8", "(父)(市)"},
    {"9", "(父)(地)"},      {"10", "(市)(地)"}, {"11", "(外)(地)"},     {"12", "(父)(市)(地)"},
    {"15", "(招)"},         {"16", "(招)(外)"}, {"17", "(招)(父)"},     {"18", "(招)(市)"},
    {"19", "(招)(父)(市)"}, {"20", "(父)(外)"}, {"21", "[地]"},         {"22", "(外)[地]"},
    {"23", "(父)[地]"},     {"24", "(市)[地]"}, {"25", "(父)(市)[地]"}, {"26", "[外]"},
    {"27", "(父)[外]"},     {"31", "(特)"},     {"40", "(父)(外)(地)"}, {"41", "(父)(外)[地]"},
};

constexpr Pair kJyuryo[] = {{"1", "ﾊﾝﾃﾞ"}, {"2", "別定"}, {"3", "馬齢"}, {"4", "定量"}};

constexpr Pair kTrack[] = {
    {"10", "芝 直線"},
    {"11", "芝 左回り"},
    {"12", "芝 左回り 外回り"},
    {"13", "芝 左回り 内→外回り"},
    {"14", "芝 左回り 外→内回り"},
    {"15", "芝 左回り 内２周"},
    {"16", "芝 左回り 外２周"},
    {"17", "芝 右回り"},
    {"18", "芝 右回り 外回り"},
    {"19", "芝 右回り 内→外回り"},
    {"20", "芝 右回り 外→内回り"},
    {"21", "芝 右回り 内２周"},
    {"22", "芝 右回り 外２周"},
    {"23", "ﾀﾞｰﾄ 左回り"},
    {"24", "ﾀﾞｰﾄ 右回り"},
    {"25", "ﾀﾞｰﾄ 左回り 内回り"},
    {"26", "ﾀﾞｰﾄ 右回り 外回り"},
    {"27", "ｻﾝﾄﾞ 左回り"},
    {"28", "ｻﾝﾄﾞ 右回り"},
    {"29", "ﾀﾞｰﾄ 直線"},
    {"51", "障害 芝\u3000襷"},
    {"52", "障害 芝→ﾀﾞｰﾄ"},
    {"53", "障害 芝\u3000左"},
    {"54", "障害 芝"},
    {"55", "障害 芝 外回り"},
    {"56", "障害 芝 外→内回り"},
    {"57", "障害 芝 内→外回り"},
    {"58", "障害 内２周"},
    {"59", "障害 外２周"},
};

// Short track texts by ranges of track numbers.
struct TrackRange {
    int first;
    int last;
    std::string_view text;
};
constexpr TrackRange kTrackShort[] = {
    {10, 10, "芝直"}, {11, 16, "芝左"}, {17, 22, "芝右"}, {23, 23, "ダ左"},
    {24, 24, "ダ右"}, {29, 29, "ダ直"}, {51, 59, "障害"},
};

constexpr Pair kTenko[] = {{"1", "晴"},   {"2", "曇"}, {"3", "雨"},
                           {"4", "小雨"}, {"5", "雪"}, {"6", "小雪"}};

// Going; styles 0, 1 (turf) and 2 (dirt).
constexpr Row<3> kBaba[] = {
    {"1", {"良", "芝:良", "ダ:良"}},
    {"2", {"稍重", "芝:稍重", "ダ:稍重"}},
    {"3", {"重", "芝:重", "ダ:重"}},
    {"4", {"不良", "芝:不良", "ダ:不良"}},
};

constexpr Pair kSex[] = {{"1", "牡"}, {"2", "牝"}, {"3", "ｾﾝ"}};

// Affiliation; styles 1 to 7.
constexpr Row<7> kTozai[] = {
    {"1", {"東", "関東", "美浦", "関東馬", "[東]", "美浦", "美"}},
    {"2", {"西", "関西", "栗東", "関西馬", "[西]", "栗東", "栗"}},
    {"3", {"招待", "地方招待", "招待", "地方招待馬", "[地]", "地方", "地"}},
    {"4", {"招待", "外国招待", "招待", "外国招待馬", "[外]", "外国", "外"}},
};
constexpr int kTozaiDefaultStyle = 6;

constexpr Pair kMinarai[] = {
    {"1", "1kg減"}, {"2", "2kg減"}, {"3", "3kg減"}, {"4", "4kg減"}, {"9", "2kg減"}};

constexpr Pair kIjyoKubun[] = {
    {"1", "出走取消"}, {"2", "発走除外"}, {"3", "競争除外"},         {"4", "競争中止"},
    {"5", "失格    "}, {"6", "落馬再騎"}, {"7", "降着\u3000\u3000"},
};

constexpr Pair kKyakusitu[] = {{"1", "逃"}, {"2", "先"}, {"3", "差"}, {"4", "追"}};

constexpr Pair kRecordKubun[] = {{"1", "(ｺｰｽﾚｺｰﾄﾞ)"}, {"2", "(GIﾚｺｰﾄﾞ)"}};
constexpr Pair kTimeKubun[] = {
    {"1", "(基準ﾀｲﾑ)"}, {"2", "(ﾚｺｰﾄﾞﾀｲﾑ)"}, {"3", "(参考ﾀｲﾑ)"}, {"4", "(備考ﾀｲﾑ)"}};

constexpr Pair kMaruNum[] = {
    {"1", "①"},  {"2", "②"},  {"3", "③"},  {"4", "④"},  {"5", "⑤"},  {"6", "⑥"},
    {"7", "⑦"},  {"8", "⑧"},  {"9", "⑨"},  {"10", "⑩"}, {"11", "⑪"}, {"12", "⑫"},
    {"13", "⑬"}, {"14", "⑭"}, {"15", "⑮"}, {"16", "⑯"}, {"17", "⑰"}, {"18", "⑱"},
};

const Table<1>& JokenTable() {
    static const Table<1> table(kJoken, kBare, kEmpty);
    return table;
}

const Table<1>& MaruNumTable() {
    static const Table<1> table(kMaruNum, kBare, kBar);
    return table;
}

// Condition texts of the age bands joined into one line.
class JokenLine {
public:
    explicit JokenLine(std::string_view syubetu)
        : age_(AgeTable().View(NumberKey(syubetu))) {
        line_.reserve(64);
    }
    JokenLine& Band(std::string_view joken) {
        if (bands_++ > 0) line_ += "  ";
        line_ += age_;
        line_ += JokenTable().View(NumberKey(joken));
        return *this;
    }
    std::string Take() { return std::move(line_); }

private:
    static const Table<1>& AgeTable() {
        static const Table<1> table(kJokenAge, kBare, kEmpty);
        return table;
    }
    std::string_view age_;
    std::string line_;
    int bands_ = 0;
};

bool InLowerClasses(std::string_view joken) {
    const std::int64_t n = DigitValue(joken);
    return n >= 1 && n <= 100;
}

} // namespace

std::string JyoCodeToName(std::string_view code, int style) {
    static const Table<5> table(kJyo, kJyoColumns);
    return table.Get(code, style);
}

std::string JyoNameToCode(std::string_view name) {
    static const Table<1> table(kJyoNames, kBare, Blanks(0, 2));
    return table.Get(name);
}

std::span<const std::string_view> JyoCodes() {
    return kJyoCodes;
}

std::string SyubetuToText(std::string_view code, int style) {
    static const Table<5> table(kSyubetu, kSyubetuColumns);
    return table.Get(code, style);
}

std::string SyubetuToTextHankaku(std::string_view code) {
    static const Table<1> table(kSyubetuHankaku, Half(15), kEmpty);
    return table.Get(NumberKey(code));
}

std::string KigoToText(std::string_view code) {
    static const Table<1> table = [] {
        Table<1> t({Column{0, Zen(24), Blanks(12, 0)}});
        for (std::string_view c : kKigoCodes) t.Add(c, {KigoUtf8(c)});
        return t;
    }();
    return table.Get(code);
}

std::span<const std::string_view> KigoCodes() {
    return kKigoCodes;
}

std::string GradeToText(std::string_view code, int style) {
    static const Table<4> table(kGrade, kGradeColumns);
    return table.Get(code, style);
}

std::string JokenToText(std::string_view code) {
    return JokenTable().Get(NumberKey(code));
}

std::string RaceJokenText(std::string_view syubetu, std::string_view joken2,
                          std::string_view joken3, std::string_view joken4,
                          std::string_view joken5) {
    JokenLine line(syubetu);
    switch (DigitValue(syubetu)) {
    case 11:
    case 21: return line.Band(joken2).Take();
    case 12:
    case 22: return line.Band(joken3).Take();
    case 13:
    case 18:
    case 23:
        if (InLowerClasses(joken3)) return line.Band(joken3).Band(joken4).Band(joken5).Take();
        return line.Band(joken3).Take();
    case 14:
    case 19:
    case 24:
        if (InLowerClasses(joken4)) return line.Band(joken4).Band(joken5).Take();
        return line.Band(joken4).Take();
    default: return {};
    }
}

std::string GradeJokenLabel(std::string_view joken, std::string_view grade,
                            std::string_view raceName) {
    static const Table<1> grades(kLabelGrade, kBare, kEmpty);
    static const Table<1> conditions(kLabelJoken, kBare, kEmpty);
    static const Table<1> unnamed(kLabelUnnamed, kBare, Blanks(0, 1));
    static const std::string open = Sj("ｵｰﾌﾟﾝ");
    static const std::string under = Sj("下");

    if (std::string_view g = grades.View(grade); !g.empty()) {
        std::string label;
        label.reserve(g.size() + raceName.size());
        label.append(g).append(raceName);
        return label;
    }
    if (std::string_view c = conditions.View(joken); !c.empty()) return std::string(c);
    const bool named = !IsBlankText(raceName);
    if (joken == "999") return named ? std::string(raceName) : open;
    const std::int64_t hundreds = IsBlankText(joken) ? 0 : DigitValue(joken);
    if (hundreds != 0) {
        // A code longer than its three digits must not overflow the multiplication.
        constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max() / 100;
        return FormatInt(std::min(hundreds, kMax) * 100, 4) + under;
    }
    // A blank or zero condition says nothing; the race name or the kind of race stands for it.
    return named ? std::string(raceName) : unnamed.Get(grade);
}

std::string YoubiToText(std::string_view code, int style) {
    static const Table<4> table(kYoubi, {Column{1, kBare, kEmpty}, Column{2, kBare, kEmpty},
                                         Column{3, kBare, kEmpty}, Column{4, kBare, kEmpty}});
    return table.Get(NumberKey(code), style);
}

std::string KeiroToText(std::string_view code) {
    static const Table<1> table(kKeiro, kBare, kBar);
    return table.Get(code);
}

std::string UmaKigoToText(std::string_view code) {
    static const Table<1> table(kUmaKigo, kBare, Blanks(1, 0));
    return table.Get(NumberKey(code));
}

std::string JyuryoToText(std::string_view code) {
    static const Table<1> table(kJyuryo, kBare, kEmpty);
    return table.Get(code);
}

std::string TrackToText(std::string_view code) {
    static const Table<1> table(kTrack, kBare, kEmpty);
    return table.Get(NumberKey(code));
}

std::string TrackShortText(std::string_view code) {
    static const Table<1> table = [] {
        Table<1> t({Column{0, kBare, kEmpty}});
        for (const TrackRange& r : kTrackShort)
            for (int n = r.first; n <= r.last; ++n) t.Add(NumberKey(n), {r.text});
        return t;
    }();
    return table.Get(NumberKey(code));
}

std::string TenkoToText(std::string_view code) {
    static const Table<1> table(kTenko, kBare, kEmpty);
    return table.Get(code);
}

std::string BabaToText(std::string_view code, int style) {
    static const Table<3> table(
        kBaba, {Column{0, kBare, kEmpty}, Column{1, kBare, kEmpty}, Column{2, kBare, kEmpty}});
    return table.Get(code, style);
}

std::string SexToText(std::string_view code) {
    static const Table<1> table(kSex, kBare, kEmpty);
    return table.Get(code);
}

std::string TozaiToText(std::string_view code, int style) {
    static const Table<7> table(kTozai, {Column{1, kBare, kBar}, Column{2, kBare, kBar},
                                         Column{3, kBare, kBar}, Column{4, kBare, kBar},
                                         Column{5, kBare, kBar}, Column{6, kBare, kBar},
                                         Column{7, kBare, kBar}});
    return table.Get(code, style >= 1 && style <= 7 ? style : kTozaiDefaultStyle);
}

std::string MinaraiToText(std::string_view code) {
    static const Table<1> table(kMinarai, kBare, Blanks(1, 0));
    return table.Get(code);
}

std::string BlinkerToText(std::string_view flag) {
    static const Table<1> table(std::array{Pair{"1", "ﾌﾞﾘﾝ"}}, kBare, Blanks(0, 1));
    return table.Get(flag);
}

std::string FlagToMaruOrBar(std::string_view flag) {
    static const Table<1> table(std::array{Pair{"1", "○"}}, kBare, kBar);
    return table.Get(flag);
}

std::string IjyoKubunToText(std::string_view code) {
    static const Table<1> table(kIjyoKubun, kBare, Blanks(0, 8));
    return table.Get(code);
}

std::string KyakusituToText(std::string_view code) {
    static const Table<1> table(kKyakusitu, kBare, Blanks(0, 2));
    return table.Get(code);
}

std::string RecordKubunToText(std::string_view code) {
    static const Table<1> table(kRecordKubun, kBare, kEmpty);
    return table.Get(code);
}

std::string TimeKubunToText(std::string_view code) {
    static const Table<1> table(kTimeKubun, kBare, kEmpty);
    return table.Get(code);
}

std::string IntToMaruNum(int value) {
    return MaruNumTable().Get(NumberKey(value));
}

std::string StrToMaruNum(std::string_view text) {
    return MaruNumTable().Get(NumberKey(text));
}

} // namespace keiba
