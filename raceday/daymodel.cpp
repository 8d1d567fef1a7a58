#include "raceday/daymodel.h"

#include <algorithm>

namespace raceday {
jvdata::OddsDayFiles RaceDay::OddsFiles() const {
    return {{gO1FileName, gO2FileName, gO3FileName, gO4FileName, gO5FileName, gO6FileName}};
}

jvdata::RaceOddsSlots RaceDay::OddsSlots(int r) {
    std::size_t s = static_cast<std::size_t>(std::clamp(r, 0, kMaxRaces - 1));
    return {gDayOddsO1[s], gDayOddsO2[s], gDayOddsO3[s],
            gDayOddsO4[s], gDayOddsO5[s], gDayOddsO6[s]};
}

void ClearRaceDay(RaceDay& day) {
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        day.gDeliverDoneFlags[r] = 0;
        day.gRaceCalc[r].Clear();
        day.gRaceTexts[r].Clear();
    }
}

void BlankRunnerRecords(RaceDay& day, std::size_t r, std::size_t h) {
    day.gDayHorses[r][h].Clear();
    day.gDayHorseMasters[r][h].Clear();
    for (std::size_t k = 0; k < kPastRunsRead; ++k) {
        day.gPastRunHorses[r][h][k].Clear();
        day.gPastRunRaces[r][h][k].Clear();
    }
}

void BlankOddsRecords(RaceDay& day, std::size_t r) {
    day.gDayOddsO1[r].Clear();
    day.gDayOddsO2[r].Clear();
    day.gDayOddsO3[r].Clear();
    day.gDayOddsO4[r].Clear();
    day.gDayOddsO5[r].Clear();
    day.gDayOddsO6[r].Clear();
}

void BlankDayRecords(RaceDay& day) {
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        day.gDayRaces[r].Clear();
        day.gDayPayouts[r].Clear();
        BlankOddsRecords(day, r);
        day.StaleOdds[r] = 0;
        day.PlacedOdds[r] = 0;
        for (std::size_t h = 0; h < kMaxRunners; ++h) {
            BlankRunnerRecords(day, r, h);
            day.gDayHorseAnalysis[r][h].Clear();
        }
    }
    for (TNeraiRecord& n : day.gNeraiSlots) n.Clear();
}

const jvdata::TRaceCalc& CombinationOdds(RaceDay& day, int r) {
    const auto s = static_cast<std::size_t>(std::clamp(r, 0, kMaxRaces - 1));
    jvdata::ConvertPendingCombinationOdds(day.OddsSlots(r), day.gRaceCalc[s]);
    return day.gRaceCalc[s];
}

int FieldSize(const RaceDay& day, int r) {
    if (r < 0 || r >= kMaxRaces) return 0;
    return std::clamp(day.gDayRaces[static_cast<std::size_t>(r)].RunnerCount(), 0, kMaxRunners);
}

} // namespace raceday
