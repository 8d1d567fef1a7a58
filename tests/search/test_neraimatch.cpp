#include "search/neraimatch.h"

#include "tests/search/neraifixture.h"

#include <functional>

using namespace search;
using testsupport::DefaultSet;
using testsupport::Put;
using testsupport::RunnerData;

namespace {

struct Case {
    const char* name;
    std::function<void(TNeraiRecord&)> set;
    std::function<void(RunnerData&)> runner;
    bool matches;
};

void Nothing(TNeraiRecord&) {}
void Same(RunnerData&) {}

} // namespace

TEST(NeraiMatch, TheTestsOfBothHalves) {
    const std::vector<Case> cases = {
        {"the default set passes a plain runner", Nothing, Same, true},
        // Popularity and odds of the day: popularity 0 (no odds yet) passes whatever the bounds.
        {"popularity 0 passes half 1",
         [](TNeraiRecord& s) {
             Put(s, 0, kTanNinMin, " 5");
             Put(s, 0, kTanNinMax, " 5");
             Put(s, 0, kTanOzMin, " 50.0");
             Put(s, 0, kTanOzMax, " 50.0");
         },
         [](RunnerData& r) { r.winPop = 0, r.winOdds = 0; }, true},
        {"odds bounds are inclusive",
         [](TNeraiRecord& s) {
             Put(s, 0, kTanOzMin, "  6.5");
             Put(s, 0, kTanOzMax, "  6.5");
         },
         Same, true},
        // The previous run's odds are tenths: "0123" is 12.3.
        {"past odds compared in tenths",
         [](TNeraiRecord& s) {
             Put(s, 1, kTanOzMin, " 12.3");
             Put(s, 1, kTanOzMax, " 12.3");
         },
         Same, true},
        {"past odds a tenth above",
         [](TNeraiRecord& s) {
             Put(s, 1, kTanOzMin, " 12.3");
             Put(s, 1, kTanOzMax, " 12.3");
         },
         [](RunnerData& r) { r.pastRunner.SetField(360, 4, "0124"); }, false},
        {"past finishing position outside its range",
         [](TNeraiRecord& s) { Put(s, 1, kChakujunMax, " 1"); }, Same, false},
        // Track: 芝 only.
        {"芝 fails dirt", [](TNeraiRecord& s) { Put(s, 0, kTrackFlags, "10"); },
         [](RunnerData& r) { r.race.SetField(706, 2, "24"); }, false},
        {"芝 fails a jump race", [](TNeraiRecord& s) { Put(s, 0, kTrackFlags, "10"); },
         [](RunnerData& r) { r.race.SetField(706, 2, "51"); }, false},
        {"a jump race passes open track flags", Nothing,
         [](RunnerData& r) { r.race.SetField(706, 2, "51"); }, true},
        // Class: G１ is grade A of any condition; 未勝利 and G１ take either.
        {"G１ matches grade A", [](TNeraiRecord& s) { Put(s, 0, kClassFlags, "00000001"); },
         [](RunnerData& r) {
             r.race.SetField(615, 1, "A");
             r.race.SetField(635, 3, "999");
         },
         true},
        {"未勝利 or G１ takes a maiden race",
         [](TNeraiRecord& s) { Put(s, 0, kClassFlags, "10000001"); },
         [](RunnerData& r) { r.race.SetField(635, 3, "703"); }, true},
        {"racecourse 東京 of the previous run",
         [](TNeraiRecord& s) { Put(s, 1, kBashoFlags, "0000100000"); }, Same, true},
        {"race type ３歳上 takes 18", [](TNeraiRecord& s) { Put(s, 0, kAgeFlags, "0010"); },
         [](RunnerData& r) { r.race.SetField(617, 2, "18"); }, true},
        {"field size above the bound", [](TNeraiRecord& s) { Put(s, 0, kTosuMax, "15"); }, Same,
         false},
        // Forecast mark: × takes 5 and 6.
        {"× takes mark 5", [](TNeraiRecord& s) { Put(s, 0, kYosoFlags, "00001"); },
         [](RunnerData& r) { r.Block('A', 30, " 5"); }, true},
        {"× takes mark 6", [](TNeraiRecord& s) { Put(s, 0, kYosoFlags, "00001"); },
         [](RunnerData& r) { r.Block('A', 30, " 6"); }, true},
        {"非 takes a blank R code", [](TNeraiRecord& s) { Put(s, 0, kRUmaFlags, "001"); }, Same,
         true},
        // R code 1 is R+, 2 is R-; each item takes its own code only.
        {"R+ takes R code 1", [](TNeraiRecord& s) { Put(s, 0, kRUmaFlags, "100"); },
         [](RunnerData& r) { r.Block('A', 29, "1"); }, true},
        {"R+ fails R code 2", [](TNeraiRecord& s) { Put(s, 0, kRUmaFlags, "100"); },
         [](RunnerData& r) { r.Block('A', 29, "2"); }, false},
        {"R+ fails a blank R code", [](TNeraiRecord& s) { Put(s, 0, kRUmaFlags, "100"); }, Same,
         false},
        {"R- takes R code 2", [](TNeraiRecord& s) { Put(s, 0, kRUmaFlags, "010"); },
         [](RunnerData& r) { r.Block('A', 29, "2"); }, true},
        {"R- fails R code 1", [](TNeraiRecord& s) { Put(s, 0, kRUmaFlags, "010"); },
         [](RunnerData& r) { r.Block('A', 29, "1"); }, false},
        {"非 fails R code 1", [](TNeraiRecord& s) { Put(s, 0, kRUmaFlags, "001"); },
         [](RunnerData& r) { r.Block('A', 29, "1"); }, false},
        {"R- of the previous run", [](TNeraiRecord& s) { Put(s, 1, kRUmaFlags, "010"); },
         [](RunnerData& r) { r.Block('B', 29, "2"); }, true},
        {"R- of the previous run reads block B",
         [](TNeraiRecord& s) { Put(s, 1, kRUmaFlags, "010"); },
         [](RunnerData& r) { r.Block('A', 29, "2"); }, false},
        {"R level 高★ of the previous run",
         [](TNeraiRecord& s) { Put(s, 1, kRLevelFlags, "0000001"); },
         [](RunnerData& r) { r.Block('B', 17, "07"); }, true},
        {"a single flag set", [](TNeraiRecord& s) { Put(s, 0, kSenzaiFlag, "1"); },
         [](RunnerData& r) { r.Block('A', 34, "1"); }, true},
        {"jockey rank letter", [](TNeraiRecord& s) { Put(s, 0, kKishuFlags, "01000"); },
         [](RunnerData& r) { r.Block('A', 51, "A"); }, true},
        {"high-LV rate at least", [](TNeraiRecord& s) { Put(s, 0, kHiLvShorituMin, " 20.5"); },
         [](RunnerData& r) { r.Block('A', 40, " 20.4"); }, false},
        {"past-five total at least", [](TNeraiRecord& s) { Put(s, 1, kR5soTotalMin, "  10"); },
         [](RunnerData& r) { r.Block('B', 53, " 10"); }, true},
        // Conditions on the previous run fail for a runner without one.
        {"no previous run", Nothing,
         [](RunnerData& r) {
             r.pastRace = {};
             r.pastRunner = {};
         },
         false},
        {"a set of blanks", [](TNeraiRecord& s) { s.Clear(); }, Same, false},
        {"a flag group of blanks passes nothing",
         [](TNeraiRecord& s) { Put(s, 0, kTrackFlags, "  "); }, Same, false},
    };
    for (const Case& c : cases) {
        TNeraiRecord set = DefaultSet();
        c.set(set);
        RunnerData runner;
        c.runner(runner);
        EXPECT_EQ(NeraiMatches(set, runner.View()), c.matches) << c.name;
    }
}

TEST(NeraiMatch, RaceTestsAreThoseOfTheRaceAlone) {
    TNeraiRecord set = DefaultSet();
    Put(set, 0, kTrackFlags, "01");
    RunnerData runner;
    NeraiConditions conditions(set);
    EXPECT_FALSE(conditions.RaceMatches(runner.race));
    // Dirt on the previous run does not stand in for the race of the day.
    runner.pastRace.SetField(706, 2, "24");
    EXPECT_TRUE(conditions.RunnerMatches(runner.View()));
    EXPECT_FALSE(conditions.Matches(runner.View()));
}

namespace {

// Writes a value where a test of one half reads it: the race of the day or the previous run's
// race, analysis block A or B.
using Place = std::function<void(RunnerData&, int half, std::string_view value)>;

Place RaceField(std::size_t pos) {
    return [pos](RunnerData& r, int half, std::string_view v) {
        (half == 0 ? r.race : r.pastRace).SetField(pos, v.size(), v);
    };
}
Place BlockField(std::size_t pos) {
    return [pos](RunnerData& r, int half, std::string_view v) {
        r.Block(half == 0 ? 'A' : 'B', pos, v);
    };
}

} // namespace

// Each item of each list, chosen alone, takes exactly the values the item stands for, in both
// halves: every racecourse, track, race type, class, R level, R code, mark, trend, aptitude, rank
// and single flag.
TEST(NeraiMatch, EachItemOfAListTakesItsOwnValues) {
    struct Group {
        NeraiFieldId field;
        Place place;
        // A value and the items (1-based) it matches; an empty list for none.
        std::vector<std::pair<std::string, std::vector<int>>> values;
    };
    const std::vector<std::pair<std::string, std::vector<int>>> oneFlag = {
        {"1", {1}}, {"0", {}}, {" ", {}}, {"2", {}}};
    const std::vector<Group> groups = {
        {kBashoFlags,
         RaceField(20),
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
          {"00", {}},
          {"11", {}},
          {"30", {}},
          {"A0", {}}}},
        {kTrackFlags,
         RaceField(706),
         {{"10", {1}},
          {"17", {1}},
          {"22", {1}},
          {"23", {2}},
          {"29", {2}},
          {"09", {}},
          {"30", {}},
          {"51", {}}}},
        {kAgeFlags,
         RaceField(617),
         {{"11", {1}},
          {"12", {2}},
          {"13", {3}},
          {"18", {3}},
          {"14", {4}},
          {"19", {4}},
          {"15", {}},
          {"21", {}}}},
        {kRLevelFlags,
         BlockField(17),
         {{"01", {1}},
          {"02", {2}},
          {"03", {3}},
          {"04", {4}},
          {"05", {5}},
          {"06", {6}},
          {"07", {7}},
          {"00", {}},
          {"08", {}}}},
        {kRUmaFlags, BlockField(29), {{"1", {1}}, {"2", {2}}, {"0", {3}}, {" ", {3}}, {"3", {}}}},
        {kYosoFlags,
         BlockField(30),
         {{" 1", {1}},
          {" 2", {2}},
          {" 3", {3}},
          {" 4", {4}},
          {" 5", {5}},
          {" 6", {5}},
          {" 7", {}},
          {" 0", {}}}},
        {kZogenFlags,
         BlockField(32),
         {{"1", {1}}, {"2", {2}}, {"3", {3}}, {"4", {4}}, {"0", {}}, {"5", {}}}},
        {kLvZokuseiFlags, BlockField(38), {{"1", {1}}, {"2", {2}}, {"3", {3}}, {"4", {}}}},
        {kKettoFlags,
         BlockField(50),
         {{"S", {1}}, {"A", {2}}, {"B", {3}}, {"C", {4}}, {"D", {5}}, {"E", {}}, {"s", {}}}},
        {kKishuFlags,
         BlockField(51),
         {{"S", {1}}, {"A", {2}}, {"B", {3}}, {"C", {4}}, {"D", {5}}, {"E", {}}, {" ", {}}}},
        {kJoshoFlag, BlockField(33), oneFlag},
        {kSenzaiFlag, BlockField(34), oneFlag},
        {kKiekenFlag, BlockField(35), oneFlag},
        {kCourseFlag, BlockField(36), oneFlag},
        {kKyoriFlag, BlockField(37), oneFlag},
        {kHiLvKosoFlag, BlockField(39), oneFlag},
        {kHi1stFlag, BlockField(52), oneFlag},
    };
    for (const Group& g : groups) {
        const NeraiField& f = NeraiFieldOf(g.field);
        for (int half = 0; half < 2; ++half)
            for (int item = 1; item <= static_cast<int>(f.width); ++item) {
                TNeraiRecord set = DefaultSet();
                std::string flags(f.width, '0');
                flags[static_cast<std::size_t>(item - 1)] = '1';
                Put(set, half, g.field, flags);
                for (const auto& [value, items] : g.values) {
                    RunnerData runner;
                    g.place(runner, half, value);
                    const bool takes = std::find(items.begin(), items.end(), item) != items.end();
                    EXPECT_EQ(NeraiMatches(set, runner.View()), takes)
                        << f.name << " half " << half + 1 << " item " << item << " value \""
                        << value << '"';
                }
            }
    }
}

// The class list: items 1 to 5 by the condition, items 6 to 8 (G３ G２ G１) by the grade.
TEST(NeraiMatch, EachClassItemTakesItsConditionOrGrade) {
    const struct {
        const char* condition;
        const char* grade;
        const char* items; // the class flags that match, one character per item
    } cases[] = {
        {"703", " ", "10000000"}, {"005", " ", "01000000"}, {"010", " ", "00100000"},
        {"016", " ", "00010000"}, {"999", " ", "00001000"}, {"000", "C", "00000100"},
        {"000", "B", "00000010"}, {"000", "A", "00000001"}, {"999", "A", "00001001"},
        {"701", " ", "00000000"}, {"702", "D", "00000000"}, {"100", "L", "00000000"},
    };
    for (const auto& c : cases)
        for (int half = 0; half < 2; ++half)
            for (int item = 1; item <= 8; ++item) {
                TNeraiRecord set = DefaultSet();
                std::string flags(8, '0');
                flags[static_cast<std::size_t>(item - 1)] = '1';
                Put(set, half, kClassFlags, flags);
                RunnerData runner;
                jvdata::TJvRA& race = half == 0 ? runner.race : runner.pastRace;
                race.SetField(635, 3, c.condition);
                race.SetField(615, 1, c.grade);
                EXPECT_EQ(NeraiMatches(set, runner.View()), c.items[item - 1] == '1')
                    << c.condition << c.grade << " half " << half + 1 << " item " << item;
            }
}

// Each range holds both of its bounds and nothing beyond; each minimum holds itself.
TEST(NeraiMatch, RangesHoldBothBoundsAndNothingBeyond) {
    struct Range {
        const char* name;
        int half;
        NeraiFieldId minField, maxField;
        const char *min, *max;
        std::function<void(RunnerData&, int)>
            set; // value index 0..4: below, min, inside, max, above
    };
    auto fields = [](jvdata::TJvRA RunnerData::*rec, std::size_t pos,
                     std::vector<std::string> values) {
        return [=](RunnerData& r, int i) {
            const std::string& v = values[static_cast<std::size_t>(i)];
            (r.*rec).SetField(pos, v.size(), v);
        };
    };
    auto past = [](std::size_t pos, std::vector<std::string> values) {
        return [=](RunnerData& r, int i) {
            const std::string& v = values[static_cast<std::size_t>(i)];
            r.pastRunner.SetField(pos, v.size(), v);
        };
    };
    const std::vector<std::string> tosu = {"07", "08", "10", "12", "13"};
    const std::vector<std::string> kyori = {"1199", "1200", "1600", "2000", "2001"};
    const std::vector<Range> ranges = {
        {"field size", 0, kTosuMin, kTosuMax, " 8", "12", fields(&RunnerData::race, 882, tosu)},
        {"field size", 1, kTosuMin, kTosuMax, " 8", "12", fields(&RunnerData::pastRace, 882, tosu)},
        {"distance", 0, kKyoriMin, kKyoriMax, "1200", "2000",
         fields(&RunnerData::race, 698, kyori)},
        {"distance", 1, kKyoriMin, kKyoriMax, "1200", "2000",
         fields(&RunnerData::pastRace, 698, kyori)},
        {"popularity", 0, kTanNinMin, kTanNinMax, " 3", " 5",
         [](RunnerData& r, int i) { r.winPop = 2 + i; }},
        {"popularity", 1, kTanNinMin, kTanNinMax, " 3", " 5",
         past(364, {"02", "03", "04", "05", "06"})},
        {"win odds", 0, kTanOzMin, kTanOzMax, "  6.5", " 12.0",
         [](RunnerData& r, int i) {
             r.winOdds = std::vector{6.4, 6.5, 9.0, 12.0, 12.1}[i];
         }},
        {"win odds", 1, kTanOzMin, kTanOzMax, "  6.5", " 12.0",
         past(360, {"0064", "0065", "0090", "0120", "0121"})},
        {"finishing position", 1, kChakujunMin, kChakujunMax, " 2", " 4",
         past(335, {"01", "02", "03", "04", "05"})},
    };
    for (const Range& range : ranges) {
        TNeraiRecord set = DefaultSet();
        Put(set, range.half, range.minField, range.min);
        Put(set, range.half, range.maxField, range.max);
        for (int i = 0; i < 5; ++i) {
            RunnerData runner;
            range.set(runner, i);
            EXPECT_EQ(NeraiMatches(set, runner.View()), i >= 1 && i <= 3)
                << range.name << " half " << range.half + 1 << " value " << i;
        }
    }
    struct AtLeast {
        NeraiFieldId field;
        const char* min;
        std::size_t pos;
        std::vector<std::pair<std::string, bool>> values;
    } minimums[] = {
        {kHiLvShorituMin, " 20.5", 40, {{" 20.4", false}, {" 20.5", true}, {"999.9", true}}},
        {kLoLvShorituMin, " 20.5", 45, {{" 20.4", false}, {" 20.5", true}, {"999.9", true}}},
        {kR5soTotalMin, "  10", 53, {{"  9", false}, {" 10", true}, {"999", true}}},
    };
    for (const AtLeast& m : minimums)
        for (int half = 0; half < 2; ++half) {
            TNeraiRecord set = DefaultSet();
            Put(set, half, m.field, m.min);
            for (const auto& [value, passes] : m.values) {
                RunnerData runner;
                runner.Block(half == 0 ? 'A' : 'B', m.pos, value);
                EXPECT_EQ(NeraiMatches(set, runner.View()), passes)
                    << NeraiFieldOf(m.field).name << " half " << half + 1 << " " << value;
            }
        }
}
