// The target search as every day load and slot change runs it: four slots over a full day of
// 36 races of 18 runners, each runner with a previous run and analysis blocks, so that every
// runner passes all 51 tests (no test cuts the work short). The second case reads the sets'
// records once per runner instead of once per slot, as a plain reading of the record would.

#include "search/neraimatch.h"
#include "search/nerairecord.h"
#include "search/neraislots.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void SetRace(jvdata::TJvRA& ra) {
    ra.SetField(20, 2, "05");
    ra.SetField(615, 1, "A");
    ra.SetField(617, 2, "13");
    ra.SetField(635, 3, "999");
    ra.SetField(698, 4, "1600");
    ra.SetField(706, 2, "17");
    ra.SetField(882, 2, "18");
}

void SetBlock(jvdata::TAnalysisRecord& a, std::size_t start) {
    a.SetField(start + 16, 2, "07");
    a.SetField(start + 28, 1, "1");
    a.SetField(start + 29, 2, " 6");
    a.SetField(start + 31, 7, "3111112");
    a.SetField(start + 38, 1, "1");
    a.SetField(start + 39, 5, " 25.0");
    a.SetField(start + 44, 5, " 12.5");
    a.SetField(start + 49, 2, "SA");
    a.SetField(start + 51, 1, "1");
    a.SetField(start + 52, 3, " 12");
}

std::unique_ptr<raceday::RaceDay> FullDay() {
    auto day = std::make_unique<raceday::RaceDay>();
    for (std::size_t r = 0; r < raceday::kMaxRaces; ++r) {
        SetRace(day->gDayRaces[r]);
        for (std::size_t h = 0; h < raceday::kMaxRunners; ++h) {
            SetRace(day->gPastRunRaces[r][h][0]);
            jvdata::TJvSE& se = day->gPastRunHorses[r][h][0];
            se.SetField(335, 2, "03");
            se.SetField(360, 4, "0123");
            se.SetField(364, 2, "04");
            day->gRaceCalc[r].WinPop[h] = static_cast<int>(h) + 1;
            day->gRaceCalc[r].WinOdds[h] = 2.0 + static_cast<double>(h);
            SetBlock(day->gDayHorseAnalysis[r][h], 227);
            SetBlock(day->gDayHorseAnalysis[r][h], 302);
        }
    }
    // Every flag group restricts, and every runner passes it.
    search::NeraiValues values = search::InitialNeraiValues();
    for (auto& half : values)
        for (search::NeraiFieldValue& v : half)
            for (std::size_t i = 0; i < v.selected.size(); ++i) v.selected[i] = true;
    search::TNeraiRecord set = *search::EncodeNerai(values).record;
    for (int k = 1; k <= 4; ++k) day->gNeraiSlots[static_cast<std::size_t>(k)] = set;
    return day;
}

int Count(const raceday::RaceDay& day) {
    int n = 0;
    for (const auto& calc : day.gRaceCalc)
        for (const auto& runner : calc.NeraiMatch)
            for (std::uint8_t b : runner) n += b;
    return n;
}

void BM_FourSlotsOverAFullDay(benchmark::State& state) {
    auto day = FullDay();
    for (auto _ : state) {
        search::SearchNeraiSlots(*day, {true, true, true, true}, raceday::kMaxRaces);
        benchmark::DoNotOptimize(day->gRaceCalc[35].NeraiMatch[17][3]);
    }
    if (Count(*day) != 4 * raceday::kMaxRaces * raceday::kMaxRunners)
        state.SkipWithError("not every runner matched");
    state.SetItemsProcessed(state.iterations() * 4 * raceday::kMaxRaces * raceday::kMaxRunners);
}
BENCHMARK(BM_FourSlotsOverAFullDay)->Unit(benchmark::kMicrosecond);

void BM_RecordReadPerRunner(benchmark::State& state) {
    auto day = FullDay();
    for (auto _ : state) {
        int n = 0;
        for (int k = 1; k <= 4; ++k)
            for (int r = 0; r < raceday::kMaxRaces; ++r)
                for (int h = 0; h < raceday::kMaxRunners; ++h)
                    n += search::NeraiMatches(day->gNeraiSlots[static_cast<std::size_t>(k)],
                                              search::NeraiRunnerOf(*day, r, h));
        benchmark::DoNotOptimize(n);
    }
}
BENCHMARK(BM_RecordReadPerRunner)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
