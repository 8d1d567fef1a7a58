#pragma once
// The 51 tests of a target condition set against one runner of the loaded day: 6 on the race,
// 19 on the runner in it (analysis block A, odds and popularity) and 26 on its previous run
// (the past-run race and runner records and analysis block B). The user combination settings
// run the same tests on their own sets.

#include "raceday/daymodel.h"
#include "search/nerairecord.h"

#include <cstdint>

namespace search {

// What the tests read of one runner. A runner without a previous run has blank past records.
struct NeraiRunner {
    const jvdata::TJvRA& race;
    int winPop;     // 0 while no odds are loaded
    double winOdds; // decimal odds
    const jvdata::TAnalysisRecord& analysis;
    const jvdata::TJvRA& pastRace;
    const jvdata::TJvSE& pastRunner;
};

// Runner slot h of race slot r of the day.
NeraiRunner NeraiRunnerOf(const raceday::RaceDay& day, int r, int h);

// A condition set read once, so that a search over a day reads the record's texts once per set
// rather than once per runner.
class NeraiConditions {
public:
    explicit NeraiConditions(const TNeraiRecord& record);

    // The six tests of half 1 on the race of the day (track, racecourse, race type, class,
    // distance, field size); the same for every runner of the race.
    bool RaceMatches(const jvdata::TJvRA& race) const;
    // The 19 runner tests of half 1 and the 26 tests of half 2.
    bool RunnerMatches(const NeraiRunner& runner) const;
    bool Matches(const NeraiRunner& runner) const {
        return RaceMatches(runner.race) && RunnerMatches(runner);
    }

    // A flag group: the items marked '1' as bits, and whether every character is '0' (then the
    // group restricts nothing). Blanks are neither, so a blank group passes nothing.
    struct Flags {
        std::uint32_t chosen = 0;
        bool open = false;
        bool Pass(std::uint32_t items) const { return open || (chosen & items) != 0; }
    };
    struct Half {
        int tosuMin = 0, tosuMax = 0, kyoriMin = 0, kyoriMax = 0;
        Flags basho, ruma, yoso, rlevel, klass, track, age, zogen, lvZokusei;
        Flags josho, senzai, kieken, course, kyori, hiLvKoso, hi1st, ketto, kishu;
        std::int64_t ozMinTenths = 0, ozMaxTenths = 0;
        int ninMin = 0, ninMax = 0, cjMin = 0, cjMax = 0;
        double hiLvMin = 0, loLvMin = 0;
        int r5soMin = 0;
    };

private:
    Half halves_[2];
};

// The whole test of one runner against one set.
bool NeraiMatches(const TNeraiRecord& record, const NeraiRunner& runner);

} // namespace search
