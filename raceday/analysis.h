#pragma once
// The members' analysis records, race comments and hand-input R horses of a day, and their
// decoding into the race texts.

#include "raceday/daymodel.h"

#include <string>
#include <string_view>

namespace raceday {

// A line of a `.ruma` file: the 12-character race key (date, venue, race number), the race's R
// level digit (0 none, 1..7), then one character per runner 1..18 ("1" R+, "2" R-).
struct RumaLine {
    static constexpr std::size_t kKeyLength = 12;
    static constexpr jvdata::FieldPos kLevel{13, 1};
    static constexpr std::size_t kFirstRunnerPos = 14;
};

// Hand-input R horses (`.ruma`): race level and R marks of the races whose 12-character key
// (date, venue, race number) a line names.
void ApplyHandInput(RaceDay& day, std::string_view rumaBytes);

// Race comments (`RCOM<yyyymmdd>.CSV`): each comment to the race of its 16-character key.
void ApplyRaceComments(RaceDay& day, std::string_view csvBytes);

// The analysis records (`XQ<yyyymmdd>.vzkd`) into gDayHorseAnalysis. Records whose race slot
// or runner number is not a number in range are skipped; returns how many were skipped.
int StoreAnalysisRecords(RaceDay& day, std::string_view vzkdBytes);

// The analysis records into gRaceTexts of every race with a field size.
void DecodeAnalysis(RaceDay& day);

// All three files of the loaded day (names in the model), each skipped when missing.
void LoadMembersData(RaceDay& day);

} // namespace raceday
