// The past-performance sheet: one A4 landscape page per race with the race header and one row
// per runner holding its identity, career prize, connections and twenty past-run columns.

#include "keiba/codetables.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "raceday/daymodel.h"
#include "views/print/sheetparts.h"
#include "views/print/sheets.h"

namespace views::print {

namespace {

using keiba::Sj;

constexpr int kTop = 160;
constexpr int kBand = 253;
constexpr int kRow = 93;
constexpr int kColumn = 115;
constexpr int kRight = 2815;
constexpr int kColumns = 20;
const QColor kTurfMark{0, 128, 0};
const QColor kDirtMark{128, 0, 0};

std::string S(std::string_view v) {
    return std::string(v);
}

void DrawPastRun(Drawer& d, const jvdata::TJvRA& ra, const jvdata::TJvSE& se, int x0, int top) {
    d.PGothic(5);
    // A track code below 23 is turf, as is one that is not a number (it reads as 0); one of 30
    // and above (jumps) gets no marker.
    const int track = FieldInt(ra.TrackCode()).value_or(0);
    const bool turf = track < 23;
    const bool dirt = track >= 23 && track <= 29;
    if (turf || dirt) {
        const QColor mark = turf ? kTurfMark : kDirtMark;
        d.Brush(mark);
        d.PenColor(mark);
        d.Rect(x0 + 103, top + 2, x0 + 113, top + 20);
        d.ClearBrush();
        d.PenColor(Qt::black);
    }
    // The column ends at the rule at x0 + 113; the first line ends at the track marker, the
    // race name where the popularity is printed.
    const int right = x0 + 110;
    const std::string_view year = se.Year();
    d.Text(x0, top + 2, x0 + 101,
           S(year.substr(year.size() >= 2 ? year.size() - 2 : 0)) + "." + S(se.Month()) + "." +
               S(se.DayOfMonth()) + keiba::JyoCodeToName(ra.VenueCode(), 2));

    std::string going;
    if (turf) going = FirstChar(keiba::BabaToText(ra.TurfGoingCode(), 0));
    if (dirt) going = FirstChar(keiba::BabaToText(ra.DirtGoingCode(), 0));
    // A run whose race record is not at hand (abroad) keeps its key alone: no unit without its
    // number.
    d.Text(x0, top + 20, right,
           keiba::FormatIntWithUnit(ra.RunnerCountText(), Sj("頭")) +
               keiba::FormatIntBlankZero(ra.DistanceText()) +
               FirstChar(keiba::TrackShortText(ra.TrackCode())) + going);

    const std::string name = NameText(ra.ShortName3());
    const int pop = FieldInt(se.WinPopularityText()).value_or(0);
    d.Text(x0, top + 38, pop > 0 ? x0 + 64 : right,
           name.empty() ? keiba::JokenToText(ra.ClassCode()) : S(ra.ShortName3()));
    if (pop > 0) {
        d.TextColor(RankColor(pop));
        d.Text(x0 + 65, top + 38, IntText(pop, 2) + Sj("人"));
        d.TextColor(Qt::black);
    }

    const int weight = FieldInt(se.WeightCarriedText()).value_or(0);
    const std::string weightText =
        weight > 0 ? keiba::FormatFixed(weight / 10.0, 1, 1) + "Kg " : std::string(6, ' ');
    d.Text(x0, top + 56, right, S(se.JockeyName()) + weightText.substr(0, 4));

    const std::string_view last3 = se.Last3F();
    d.Text(x0, top + 74, x0 + 87,
           RunTimeText(se.FinishTime()) +
               (last3 == "000" || last3 == "999" ? " ---" : " " + S(last3)));

    const int finish = FieldInt(se.FinalPositionText()).value_or(0);
    d.Size(7);
    d.Style(kBold);
    d.TextColor(RankColor(finish));
    d.Text(x0 + 88, top + 70, right, finish > 0 ? IntText(finish, 2) : "-");
    d.TextColor(Qt::black);
    d.Style(kRegular);
}

void DrawRunner(Drawer& d, const raceday::RaceDay& day, std::size_t r, std::size_t h,
                BracketRules& rules) {
    const jvdata::TJvSE& se = day.gDayHorses[r][h];
    const int top = kTop + kRow * (static_cast<int>(h) + 1);
    const int bracket = se.Bracket();
    DrawNumberCells(d, bracket, top, top + kRow);
    rules.Row(d, bracket, top, {10, 45, kRight});
    d.Pen(Qt::black, 1);
    // A runner lost to damage shows nothing of its record, nor of its connections' figures.
    if (se.HorseNumber() < 1) return;
    d.Size(11);
    d.Text(107, top + 25, keiba::StrToMaruNum(se.HorseNumberText()));
    // The runner's texts end at the rule before the index captions.
    d.PGothic(9);
    d.Text(155, top + 5, 413, NameText(se.HorseName()));
    d.Size(6);
    d.Text(155, top + 35, keiba::SexToText(se.SexCode()) + keiba::FormatIntBlankZero(se.AgeText()));
    // A horse without its master has no career prize to show, rather than 0.
    if (const jvdata::TJvUM& um = day.gDayHorseMasters[r][h]; !um.IsBlank())
        d.Text(230, top + 34, IntText(CareerPrize(um), 7) + Sj("千円"));
    d.Text(350, top + 34, TenthsText(se.WeightCarriedText(), 4) + "kg");
    d.Gothic(5);
    const Rates jockey = RatesOf(day.gPrintStatsA[r][h]);
    const Rates trainer = RatesOf(day.gPrintStatsB[r][h]);
    d.Text(155, top + 56, 413,
           Sj("騎　手:") + S(se.JockeyName()) + "[" + jockey.win + "/" + jockey.topTwo + "]");
    d.Text(155, top + 72, 413,
           Sj("調教師:") + S(se.TrainerName()) + "[" + trainer.win + "/" + trainer.topTwo + "]");
    for (int j = 1; j <= kColumns; ++j) {
        const auto k = static_cast<std::size_t>(j - 1);
        const jvdata::TJvRA& pra = day.gPastRunRaces[r][h][k];
        if (keiba::TrimBlanks(pra.Year()).empty()) continue;
        DrawPastRun(d, pra, day.gPastRunHorses[r][h][k], 517 + kColumn * (j - 1), top);
    }
}

void DrawFrame(Drawer& d, int n) {
    const int bottom = kBand + kRow * n;
    d.ClearBrush();
    d.Pen(Qt::black, 12);
    d.Rect(50, kTop, kRight, bottom);
    d.Rect(50, kTop, kRight, kBand);
    d.Pen(Qt::black, 5);
    for (int x : {100, 150, 415, 515}) d.Line(x, kTop, x, bottom);
    for (int k = 1; k <= kColumns; ++k)
        d.Line(515 + kColumn * k, 231, 515 + kColumn * k, bottom + 2);
    d.Line(515, 231, kRight, 231);
}

void DrawLabels(Drawer& d) {
    d.Gothic(11);
    d.Text(55, 170, Sj("枠"));
    d.Text(105, 170, Sj("馬"));
    d.Text(55, 205, Sj("番"));
    d.Text(105, 205, Sj("番"));
    d.Size(10);
    d.Text(155, 165, Sj("馬名"));
    d.PGothic(6);
    d.Text(155, 197, Sj("性齢・賞金・負担重量"));
    d.Gothic(5);
    d.Text(155, 216, Sj("騎手　名[勝率/連対率]"));
    d.Text(155, 232, Sj("調教師名[勝率/連対率]"));
    d.Text(425, 167, Sj("人気指数"));
    d.Text(425, 187, Sj("勝敗指数"));
    d.Text(425, 207, Sj("能力指数"));
    d.Text(425, 227, Sj("総合指数"));
    d.Text(517, 165, Sj("１行目＝開催年月日・開催場所  ２行目＝頭数・距離・トラック・馬場状態"));
    d.Text(517, 185, Sj("３行目＝条件またはレース名・単勝人気  ４行目＝騎手・負担重量"));
    d.Text(517, 205, Sj("５行目＝走破ﾀｲﾑ・後半3Fタイム・着順(右端大字)"));
    for (int k = 0; k < kColumns; ++k)
        d.Text(520 + kColumn * k, 232, Sj("前走-") + std::to_string(k + 1));
}

} // namespace

std::vector<std::string> DrawPastPerformance(const raceday::RaceDay& day, Document& doc) {
    std::vector<std::string> names;
    Drawer d(doc);
    const int races = DayRaceCount(day);
    for (int r = 0; r < races; ++r) {
        const auto ur = static_cast<std::size_t>(r);
        const jvdata::TJvRA& ra = day.gDayRaces[ur];
        if (r > 0) d.NewPage();
        names.push_back(RacePageName(ra));
        DrawRaceHeader(d, ra, kLandscapeHeader);
        DrawPrizes(d, ra,
                   {1800, 0, "　　　　　　(単位:千円)", 1650, 0, "　　本賞金　　　付加賞金", 20, 6,
                    kBold});
        const int n = raceday::FieldSize(day, r);
        d.Pen(Qt::black, 12);
        d.Brush(kHeaderBand);
        d.Rect(50, kTop, kRight, kBand);
        BracketRules rules;
        for (int h = 0; h < n; ++h) DrawRunner(d, day, ur, static_cast<std::size_t>(h), rules);
        DrawFrame(d, n);
        DrawLabels(d);
        d.ClearBrush();
    }
    return names;
}

} // namespace views::print
