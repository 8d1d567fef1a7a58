// The race cards of one full race (18 runners, every text and past run filled), as every race
// selection and every fetch shows them: the index race card's fill with the three grids it
// also writes, one full paint of it, and one full paint of the detailed race card, offscreen.

#include "keiba/sjis.h"
#include "raceday/daymodel.h"
#include "views/detailcard.h"
#include "views/indexcard.h"

#include <QApplication>
#include <QPixmap>
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

using keiba::Sj;

std::string Two(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

void FullRace(raceday::RaceDay& day) {
    day.gCurRace = 0;
    day.gDayRaceCount = 1;
    day.gDayRaces[0].SetField(882, 2, "18");
    auto& texts = day.gRaceTexts[0];
    auto& calc = day.gRaceCalc[0];
    for (int h = 0; h < 18; ++h) {
        const auto hh = static_cast<std::size_t>(h);
        jvdata::TJvSE& se = day.gDayHorses[0][hh];
        se.SetField(28, 1, std::to_string(h / 2 + 1 > 8 ? 8 : h / 2 + 1));
        se.SetField(29, 2, Two(h + 1));
        se.SetField(41, 36, Sj("ベンチマークホース") + Two(h + 1));
        se.SetField(79, 1, "1");
        se.SetField(83, 2, "04");
        se.SetField(85, 1, "1");
        se.SetField(91, 8, Sj("調教師"));
        se.SetField(289, 3, "560");
        se.SetField(307, 8, Sj("騎手名"));
        se.SetField(335, 2, Two(h + 1));
        se.SetField(360, 4, "0123");
        se.SetField(364, 2, Two(18 - h));
        jvdata::TJvUM& um = day.gDayHorseMasters[0][hh];
        um.SetField(203, 2, "01");
        um.SetField(215, 36, Sj("サイアー　ネーム"));
        um.SetField(261, 36, Sj("ダム"));
        um.SetField(307, 36, Sj("ダムサイアー"));
        calc.WinOdds[hh] = 1.5 + h;
        calc.WinPop[hh] = h + 1;
        calc.PlaceOddsMin[hh] = 1.1 + h / 2.0;
        calc.PlaceMinPop[hh] = h + 1;
        calc.Tracked[hh] = h % 5 == 0;
        calc.NeraiMatch[hh] = {static_cast<std::uint8_t>(h % 2), 0, 1, 0};
        texts.YosoMark[hh] = Sj("◎");
        texts.RUmaMark[hh] = h % 3 ? "R-" : "R+";
        texts.RakuGenText[hh] = Sj("楽");
        texts.ZogenText[hh] = Sj("昇続増");
        texts.KettoRank[hh] = "A";
        texts.KishuRank[hh] = "B";
        texts.RJunText[hh] = Two(h + 1);
        for (int j = 0; j < 3; ++j) {
            const auto jj = static_cast<std::size_t>(j);
            texts.PastRLevel[hh][jj] = Sj(j == 0 ? "高★" : "低＋");
            texts.PastRUma[hh][jj] = "R+";
            texts.PastRaceNo[hh][jj] = "03";
            jvdata::TJvRA& ra = day.gPastRunRaces[0][hh][jj];
            ra.SetField(12, 16, "2026110" + std::to_string(j + 1) + "05010203");
            ra.SetField(635, 3, "005");
            ra.SetField(698, 4, "1600");
            ra.SetField(706, 2, "11");
            ra.SetField(882, 2, "16");
            ra.SetField(889, 2, "11");
            jvdata::TJvSE& past = day.gPastRunHorses[0][hh][jj];
            past.SetField(29, 2, "05");
            past.SetField(335, 2, "02");
            past.SetField(339, 4, "1345");
            past.SetField(356, 4, "0302");
            past.SetField(532, 4, "-105");
        }
    }
}

struct Grids {
    explicit Grids(const raceday::RaceDay& d)
        : day(d) {
        views::SetupIndexRaceCard(card);
        views::SetupAbnormalTable(abnormal);
        views::SetupMarkGrid(marks);
        views::SetupIndexTable(index);
        views::AttachIndexRaceCard(card, day);
        views::SetupDetailedRaceCard(detail);
        views::AttachDetailedRaceCard(detail, day);
        for (views::StringGrid* g : {&card, &abnormal, &marks, &index, &detail})
            g->Model()->SetRowCount(19);
        card.resize(1300, 300);
        detail.resize(1300, 1000);
    }
    void Fill() {
        views::FillIndexRaceCard(
            day, {card.Model(), abnormal.Model(), marks.Model(), index.Model()}, 18);
    }
    const raceday::RaceDay& day;
    views::StringGrid card, abnormal, marks, index, detail;
};

void BM_IndexCardFill(benchmark::State& state) {
    auto day = std::make_unique<raceday::RaceDay>();
    FullRace(*day);
    Grids g(*day);
    for (auto _ : state) g.Fill();
}
BENCHMARK(BM_IndexCardFill)->Unit(benchmark::kMicrosecond);

void BM_IndexCardFillAndPaint(benchmark::State& state) {
    auto day = std::make_unique<raceday::RaceDay>();
    FullRace(*day);
    Grids g(*day);
    for (auto _ : state) {
        g.Fill();
        QPixmap shot = g.card.grab();
        benchmark::DoNotOptimize(shot);
    }
}
BENCHMARK(BM_IndexCardFillAndPaint)->Unit(benchmark::kMillisecond);

void BM_DetailCardPaint(benchmark::State& state) {
    auto day = std::make_unique<raceday::RaceDay>();
    FullRace(*day);
    Grids g(*day);
    for (auto _ : state) {
        QPixmap shot = g.detail.grab();
        benchmark::DoNotOptimize(shot);
    }
}
BENCHMARK(BM_DetailCardPaint)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
