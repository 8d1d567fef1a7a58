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
