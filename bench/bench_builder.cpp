// The bet builder's worst case: 18 runners in every leg, so all seven grids are full (4896
// trifecta rows), with odds loaded, the distribution, appearance rates and results. It runs on
// every press in the mark grid; the amount's keystrokes rerun only the distribution and results.

#include "betting/kaimetab.h"
#include "keiba/combkeys.h"
#include "keiba/sjis.h"
#include "raceday/daymodel.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct NullHost : betting::BetHost {
    std::string DateText() const override { return "2024年05月05日"; }
    int DateIndex() const override { return 0; }
    int RaceCount() const override { return 1; }
    int SelectedRace() const override { return 0; }
    std::string RaceCaption(int) const override { return "東京11R"; }
    void ShowRace(int) override {}
};

struct WorstCase {
    WorstCase() {
        raceday::RaceDay& d = *day;
        d.gCurRace = 0;
        d.gDayRaces[0].SetField(12, 16, "2024050505020611");
        d.gDayRaces[0].SetField(882, 2, "18");
        d.gDayOddsO1[0].SetField(26, 2, "11");
        d.gDayOddsO2[0].SetField(26, 2, "11");
        d.gDayOddsO3[0].SetField(26, 2, "11");
        d.gDayOddsO4[0].SetField(26, 2, "11");
        d.gDayOddsO5[0].SetField(26, 2, "11");
        d.gDayOddsO6[0].SetField(26, 2, "11");
        jvdata::TRaceCalc& c = d.gRaceCalc[0];
        for (int h = 0; h < 18; ++h) {
            const auto i = static_cast<std::size_t>(h);
            c.WinOdds[i] = 2.0 + h;
            c.WinPop[i] = h + 1;
            c.PlaceOddsMin[i] = 1.1 + h / 10.0;
            c.PlaceMinPop[i] = h + 1;
        }
        for (std::size_t k = 1; k <= 153; ++k) {
            c.UmarenOdds[k] = c.WideOdds[k] = 3.0 + static_cast<double>(k);
            c.UmarenPop[k] = c.WidePop[k] = static_cast<int>(k);
        }
        for (std::size_t k = 1; k <= 306; ++k) {
            c.UmatanOdds[k] = 5.0 + static_cast<double>(k);
            c.UmatanPop[k] = static_cast<int>(k);
        }
        for (std::size_t k = 1; k <= 816; ++k) {
            c.SanrenpukuOdds[k] = 10.0 + static_cast<double>(k);
            c.SanrenpukuPop[k] = static_cast<int>(k);
        }
        for (std::size_t k = 1; k <= 4896; ++k) {
            c.SanrentanOdds[k] = 20.0 + static_cast<double>(k);
            c.SanrentanPop[k] = static_cast<int>(k);
        }
        d.gPayoutTables.gPayKeySanrentan[0][1] = " 3- 1- 2";
        d.gPayoutTables.gPayYenSanrentan[0][1] = 5000000;
        d.RaceAmounts.fill(100000);
        for (int h = 1; h <= 18; ++h)
            for (int col = betting::kMarkAxisCol; col <= betting::kMarkLeg2Col; ++col)
                marks.SetCell(col, h, keiba::Sj("▲"));
        tab.ShowRaceAmount();
    }
    // Made before the tab takes its reference.
    std::unique_ptr<raceday::RaceDay> day = std::make_unique<raceday::RaceDay>();
    betting::PlainTable marks{14, 19};
    NullHost host;
    keiba::SilentNotifier notifier;
    keiba::SystemClock clock;
    keiba::NoShell shell;
    // Nothing the bench runs reads the settings or writes a file.
    keiba::ProgramContext context{"/nonexistent/kestrane", notifier, clock, shell};
    betting::KaimeTab tab{*day, host, marks, context};
};

void BM_BuildAllGrids(benchmark::State& state) {
    WorstCase w;
    for (auto _ : state) {
        w.tab.BuildBets();
        benchmark::DoNotOptimize(w.tab.Book().Grid(betting::BetKind::Sanrentan).RowCount());
    }
}
BENCHMARK(BM_BuildAllGrids)->Unit(benchmark::kMillisecond);

void BM_AmountKeystroke(benchmark::State& state) {
    WorstCase w;
    w.tab.BuildBets();
    std::int64_t amount = 100000;
    for (auto _ : state) {
        w.tab.SetAmount(amount);
        amount = amount == 100000 ? 99999 : 100000;
    }
}
BENCHMARK(BM_AmountKeystroke)->Unit(benchmark::kMillisecond);

void BM_SortTrifecta(benchmark::State& state) {
    WorstCase w;
    w.tab.BuildBets();
    w.tab.SetPage(betting::PageOf(betting::BetKind::Sanrentan));
    for (auto _ : state) w.tab.SortByHeading(betting::BetKind::Sanrentan, 3, 0);
}
BENCHMARK(BM_SortTrifecta)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
