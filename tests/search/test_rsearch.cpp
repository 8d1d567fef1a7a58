// The tests of the R-horse search and the statistics on one analysis record: the runners no
// search counts, the list conditions of both runs, the inclusive ranges, and the checks made
// before a walk starts.

#include "search/rsearch.h"

#include "tests/support/analysismaker.h"

#include <gtest/gtest.h>

using namespace search;
using testsupport::AnalysisMaker;

namespace {

// A runner the start values let through: priced this run, with a previous run.
AnalysisMaker Runner() {
    AnalysisMaker m("20240107", "05", 11, 1);
    m.Priced().WithPrevious();
    return m;
}

RSearchConditions Conditions(const NeraiValues& values) {
    RSearchConditions::Read read = RSearchConditions::FromValues(values);
    EXPECT_TRUE(read.conditions) << read.message;
    return read.conditions.value_or(
        *RSearchConditions::FromValues(InitialNeraiValues()).conditions);
}

void Select(NeraiValues& v, int half, NeraiFieldId id, std::initializer_list<int> items) {
    auto& sel = v[static_cast<std::size_t>(half)][static_cast<std::size_t>(id)].selected;
    for (int i : items) sel[static_cast<std::size_t>(i)] = true;
}

bool Matches(const NeraiValues& v, const std::string& rec) {
    return Conditions(v).Matches(rec);
}

} // namespace

TEST(RSearchFilter, JumpNewcomersAndStatusZeroAreSkippedAndEmptyRacesNeverCount) {
    EXPECT_FALSE(RSkipped(Runner()));
    EXPECT_TRUE(RSkipped(Runner().This(5, 2, "52")));
    EXPECT_TRUE(RSkipped(Runner().This(13, 3, "701")));
    EXPECT_TRUE(RSkipped(Runner().Status("0")));
    EXPECT_FALSE(RSkipped(Runner().Status(" ")));
    EXPECT_FALSE(RSkipped(Runner().This(13, 3, "703")));
    EXPECT_TRUE(RCountable(Runner()));
    EXPECT_FALSE(RCountable(Runner().This(1, 2, "00")));
    EXPECT_FALSE(RCountable(Runner().This(3, 2, "  ")));
}

// The payouts, which a walk of hits reads eight digits at a time, read as every number field is
// (leading blanks, a sign, then digits only; 0 otherwise), each digit in its place.
TEST(RSearchFilter, PayoutsReadAsNumbersEachDigitInItsPlace) {
    const struct {
        const char* field;
        std::int64_t value;
    } rows[] = {
        {"000000350", 350}, {"123456789", 123456789}, {"987654321", 987654321}, {"     1234", 1234},
        {"-00000012", -12}, {"+12345678", 12345678},  {"12345678 ", 0},         {"1234 5678", 0},
        {"00000012A", 0},   {"         ", 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RWinPayout(Runner().Win(row.field)), row.value) << row.field;
        EXPECT_EQ(RPlacePayout(Runner().Place(row.field)), row.value) << row.field;
    }
}

TEST(RSearchFilter, TheStartValuesNeedAPreviousRunAndAPricedRun) {
    const NeraiValues start = InitialNeraiValues();
    EXPECT_TRUE(Matches(start, Runner()));
    // No previous run: its distance 0 is below every minimum.
    AnalysisMaker fresh("20240107", "05", 11, 1);
    EXPECT_FALSE(Matches(start, fresh.Priced()));
    // No popularity this run.
    EXPECT_FALSE(Matches(start, Runner().This(21, 2, "  ")));
    // A previous finish outside 1..18.
    EXPECT_FALSE(Matches(start, Runner().Prev(23, 2, "00")));
}

TEST(RSearchFilter, OddsBoundsAreInclusiveTenths) {
    NeraiValues v = InitialNeraiValues();
    v[0][kTanOzMax].text = "12.3";
    EXPECT_TRUE(Matches(v, Runner().This(25, 4, "0123")));
    EXPECT_FALSE(Matches(v, Runner().This(25, 4, "0124")));
    v[0][kTanOzMin].text = "12.3";
    EXPECT_TRUE(Matches(v, Runner().This(25, 4, "0123")));
    EXPECT_FALSE(Matches(v, Runner().This(25, 4, "0122")));
    // The previous run's bounds apply to its own block.
    NeraiValues p = InitialNeraiValues();
    p[1][kTanOzMin].text = "5.1";
    EXPECT_FALSE(Matches(p, Runner()));
    EXPECT_TRUE(Matches(p, Runner().Prev(25, 4, "0051")));
}

TEST(RSearchFilter, ListsCombineByOrWithinAndByAndAcross) {
    NeraiValues v = InitialNeraiValues();
    Select(v, 0, kYosoFlags, {4}); // ×
    EXPECT_TRUE(Matches(v, Runner().This(30, 2, "05")));
    EXPECT_FALSE(Matches(v, Runner().This(30, 2, "06"))); // mark 6 is shown as × but is not one
    Select(v, 0, kYosoFlags, {0});                        // ◎ or ×
    EXPECT_TRUE(Matches(v, Runner().This(30, 2, "01")));

    NeraiValues r = InitialNeraiValues();
    Select(r, 0, kRUmaFlags, {2}); // 非
    EXPECT_TRUE(Matches(r, Runner().This(29, 1, " ")));
    EXPECT_TRUE(Matches(r, Runner().This(29, 1, "x")));
    EXPECT_FALSE(Matches(r, Runner().This(29, 1, "1")));
    EXPECT_FALSE(Matches(r, Runner().This(29, 1, "3")));

    NeraiValues c = InitialNeraiValues();
    Select(c, 1, kClassFlags, {1, 6}); // previous run 500万 or G２
    EXPECT_TRUE(Matches(c, Runner())); // condition 005 compared as a number
    EXPECT_FALSE(Matches(c, Runner().Prev(13, 3, "010")));
    EXPECT_TRUE(Matches(c, Runner().Prev(13, 3, "999").Prev(16, 1, "B")));
    Select(c, 0, kTrackFlags, {1}); // and this run on dirt
    EXPECT_FALSE(Matches(c, Runner()));
    EXPECT_TRUE(Matches(c, Runner().This(5, 2, "24")));

    NeraiValues f = InitialNeraiValues();
    Select(f, 0, kBashoFlags, {7});     // 京都: racecourse 08
    Select(f, 1, kKettoFlags, {1});     // previous run's pedigree rank A
    Select(f, 1, kHi1stFlag, {0});      // previous run's 初高 flag
    Select(f, 0, kLvZokuseiFlags, {2}); // 自在
    AnalysisMaker m = Runner().This(3, 2, "08").This(38, 1, "3");
    EXPECT_FALSE(Matches(f, m));
    m.Prev(50, 1, "A").Prev(52, 1, "1");
    EXPECT_TRUE(Matches(f, m));
    EXPECT_FALSE(Matches(f, m.Prev(52, 1, "0")));
}

TEST(RSearchFilter, RatesAndTheFiveRunTotalAreMinimums) {
    NeraiValues v = InitialNeraiValues();
    v[0][kHiLvShorituMin].text = "0.2";
    v[1][kR5soTotalMin].number = -5;
    EXPECT_FALSE(Matches(v, Runner().This(40, 5, "0.125")));
    EXPECT_TRUE(Matches(v, Runner().This(40, 5, "0.200")));
    EXPECT_FALSE(Matches(v, Runner().This(40, 5, "0.200").Prev(53, 3, " -6")));
    EXPECT_TRUE(Matches(v, Runner().This(40, 5, "0.200").Prev(53, 3, " -5")));
    // At the start values a negative rate still fails its minimum of 0.
    EXPECT_FALSE(Matches(InitialNeraiValues(), Runner().Prev(45, 5, "-0.10")));
}

TEST(RSearchFilter, BadBoundsAreNamedBeforeAnyWalk) {
    NeraiValues v = InitialNeraiValues();
    v[0][kTanOzMin].text = "";
    auto read = RSearchConditions::FromValues(v);
    EXPECT_FALSE(read.conditions);
    EXPECT_EQ(read.message, "本走条件指定の単勝オッズ(下限)が未入力です。");
    v = InitialNeraiValues();
    v[1][kLoLvShorituMin].text = "1.2.3";
    read = RSearchConditions::FromValues(v);
    EXPECT_FALSE(read.conditions);
    EXPECT_EQ(read.message, "前走条件指定の低LV勝率が数値ではありません。");
    v[1][kLoLvShorituMin].text = "12.";
    EXPECT_TRUE(RSearchConditions::FromValues(v).conditions);
}

TEST(RStatsFilter, FourListsOnThisRunOnly) {
    AnalysisMaker m("20240107", "05", 11, 1); // no previous run, no odds: the tab has no ranges
    EXPECT_TRUE(RStatsConditions({}, {}, {}, {}).Matches(m));
    RStatsConditions rPlusOnTurf({true, false}, {}, {}, {true, false});
    EXPECT_FALSE(rPlusOnTurf.Matches(m));
    EXPECT_TRUE(rPlusOnTurf.Matches(m.This(29, 1, "1")));
    EXPECT_FALSE(rPlusOnTurf.Matches(m.This(5, 2, "23")));
    RStatsConditions olderG1({}, {false, false, false, true},
                             {false, false, false, false, false, false, false, true}, {});
    EXPECT_FALSE(olderG1.Matches(m));
    EXPECT_TRUE(olderG1.Matches(m.This(11, 2, "19").This(16, 1, "A")));
}

// Each item of each list, chosen alone, takes exactly the values it stands for, on this run's
// block and on the previous run's.
TEST(RSearchFilter, EachItemOfAListTakesItsOwnValues) {
    struct Group {
        NeraiFieldId field;
        std::size_t pos, width; // within the run block, 1-based
        // A value and the items (1-based) it matches; an empty list for none.
        std::vector<std::pair<std::string, std::vector<int>>> values;
    };
    const std::vector<std::pair<std::string, std::vector<int>>> oneFlag = {
        {"1", {1}}, {"0", {}}, {" ", {}}};
    const Group groups[] = {
        {kBashoFlags,
         3,
         2,
         {{"01", {1}},
          {"02", {2}},
          {"03", {3}},
          {"04", {4}},
          {"05", {5}},
          {"06", {6}},
          {"07", {7}},
          {"08", {8}},
          {"09", {9}},
          {"10", {10}},
          {"11", {}},
          {"30", {}}}},
        {kTrackFlags,
         5,
         2,
         {{"10", {1}}, {"22", {1}}, {"23", {2}}, {"29", {2}}, {"09", {}}, {"30", {}}}},
        {kAgeFlags,
         11,
         2,
         {{"11", {1}},
          {"12", {2}},
          {"13", {3}},
          {"18", {3}},
          {"14", {4}},
          {"19", {4}},
          {"15", {}}}},
        {kRLevelFlags,
         17,
         2,
         {{"01", {1}},
          {"02", {2}},
          {"03", {3}},
          {"04", {4}},
          {"05", {5}},
          {"06", {6}},
          {"07", {7}},
          {"00", {}},
          {"08", {}}}},
        {kRUmaFlags, 29, 1, {{"1", {1}}, {"2", {2}}, {" ", {3}}, {"0", {3}}}},
        {kYosoFlags,
         30,
         2,
         {{"01", {1}}, {"02", {2}}, {"03", {3}}, {"04", {4}}, {"05", {5}}, {"06", {}}, {"00", {}}}},
        {kZogenFlags, 32, 1, {{"1", {1}}, {"2", {2}}, {"3", {3}}, {"4", {4}}, {"5", {}}}},
        {kLvZokuseiFlags, 38, 1, {{"1", {1}}, {"2", {2}}, {"3", {3}}, {"4", {}}}},
        {kKettoFlags,
         50,
         1,
         {{"S", {1}}, {"A", {2}}, {"B", {3}}, {"C", {4}}, {"D", {5}}, {"E", {}}}},
        {kKishuFlags,
         51,
         1,
         {{"S", {1}}, {"A", {2}}, {"B", {3}}, {"C", {4}}, {"D", {5}}, {" ", {}}}},
        {kJoshoFlag, 33, 1, oneFlag},
        {kSenzaiFlag, 34, 1, oneFlag},
        {kKiekenFlag, 35, 1, oneFlag},
        {kCourseFlag, 36, 1, oneFlag},
        {kKyoriFlag, 37, 1, oneFlag},
        {kHiLvKosoFlag, 39, 1, oneFlag},
        {kHi1stFlag, 52, 1, oneFlag},
    };
    for (const Group& g : groups) {
        const NeraiField& f = NeraiFieldOf(g.field);
        for (int half = 0; half < 2; ++half)
            for (int item = 1; item <= static_cast<int>(f.width); ++item) {
                NeraiValues v = InitialNeraiValues();
                Select(v, half, g.field, {item - 1});
                const RSearchConditions conditions = Conditions(v);
                for (const auto& [value, items] : g.values) {
                    AnalysisMaker m = Runner();
                    if (half == 0)
                        m.This(g.pos, g.width, value);
                    else
                        m.Prev(g.pos, g.width, value);
                    const bool takes = std::find(items.begin(), items.end(), item) != items.end();
                    EXPECT_EQ(conditions.Matches(m), takes)
                        << f.name << " half " << half + 1 << " item " << item << " \"" << value
                        << '"';
                }
            }
    }
}

// The class list: items 1 to 5 by the condition (as a number), items 6 to 8 by the grade.
TEST(RSearchFilter, EachClassItemTakesItsConditionOrGrade) {
    const struct {
        const char* condition;
        const char* grade;
        const char* items;
    } cases[] = {
        {"703", " ", "10000000"}, {"005", " ", "01000000"}, {"010", " ", "00100000"},
        {"016", " ", "00010000"}, {"999", " ", "00001000"}, {"000", "C", "00000100"},
        {"000", "B", "00000010"}, {"000", "A", "00000001"}, {"999", "A", "00001001"},
        {"702", "D", "00000000"}, {"100", "L", "00000000"},
    };
    for (const auto& c : cases)
        for (int half = 0; half < 2; ++half)
            for (int item = 1; item <= 8; ++item) {
                NeraiValues v = InitialNeraiValues();
                Select(v, half, kClassFlags, {item - 1});
                AnalysisMaker m = Runner();
                if (half == 0)
                    m.This(13, 3, c.condition).This(16, 1, c.grade);
                else
                    m.Prev(13, 3, c.condition).Prev(16, 1, c.grade);
                EXPECT_EQ(Matches(v, m), c.items[item - 1] == '1')
                    << c.condition << c.grade << " half " << half + 1 << " item " << item;
            }
}

// Every range holds both bounds and nothing beyond, on both runs.
TEST(RSearchFilter, RangesHoldBothBoundsAndNothingBeyond) {
    struct Range {
        const char* name;
        int half;
        NeraiFieldId minField, maxField;
        int min, max;
        std::size_t pos, width;
        std::vector<std::string> values; // below, min, inside, max, above
    };
    const Range ranges[] = {
        {"field size", 0, kTosuMin, kTosuMax, 8, 12, 1, 2, {"07", "08", "10", "12", "13"}},
        {"field size", 1, kTosuMin, kTosuMax, 8, 12, 1, 2, {"07", "08", "10", "12", "13"}},
        {"distance",
         0,
         kKyoriMin,
         kKyoriMax,
         1200,
         2000,
         7,
         4,
         {"1199", "1200", "1600", "2000", "2001"}},
        {"distance",
         1,
         kKyoriMin,
         kKyoriMax,
         1200,
         2000,
         7,
         4,
         {"1199", "1200", "1600", "2000", "2001"}},
        {"popularity", 0, kTanNinMin, kTanNinMax, 3, 5, 21, 2, {"02", "03", "04", "05", "06"}},
        {"popularity", 1, kTanNinMin, kTanNinMax, 3, 5, 21, 2, {"02", "03", "04", "05", "06"}},
        {"finishing position",
         1,
         kChakujunMin,
         kChakujunMax,
         2,
         4,
         23,
         2,
         {"01", "02", "03", "04", "05"}},
    };
    for (const Range& r : ranges) {
        NeraiValues v = InitialNeraiValues();
        v[static_cast<std::size_t>(r.half)][r.minField].number = r.min;
        v[static_cast<std::size_t>(r.half)][r.maxField].number = r.max;
        for (int i = 0; i < 5; ++i) {
            AnalysisMaker m = Runner();
            const std::string& value = r.values[static_cast<std::size_t>(i)];
            if (r.half == 0)
                m.This(r.pos, r.width, value);
            else
                m.Prev(r.pos, r.width, value);
            EXPECT_EQ(Matches(v, m), i >= 1 && i <= 3)
                << r.name << " half " << r.half + 1 << " " << value;
        }
    }
}
