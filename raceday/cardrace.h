#pragma once
// The race of one race card form: a race of any day with its runners and their analysis
// records, and the form's captions. The R-horse search fills it from a hit's day files; the
// race card form draws it.

#include "jvdata/racecalc.h"
#include "jvdata/records.h"

#include <array>
#include <string>

namespace raceday {

// The race the race card form shows (its race record, runners and analysis records) and its
// captions.
// Runner h is at index h; what a file did not give stays blank.
struct RCardRace {
    jvdata::TJvRA race;
    std::array<jvdata::TJvSE, jvdata::kMaxRunners> horses;
    std::array<jvdata::TAnalysisRecord, jvdata::kMaxRunners> analysis;
    int runners = 0; // the race's runner count, 0..18
    // CP932: SelBameiLabel, T1Label, T2Label, RLevelLabel, RplsTouLabel, RmnsTouLabel.
    std::string selBamei, t1, t2, rLevel, rPlus, rMinus;
};

} // namespace raceday
