// The newspaper-style race card: one A4 page per race with the race header, prize money and
// course record, and one row per runner with its connections, placing counts and last six runs.

#include "keiba/codetables.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "raceday/daymodel.h"
#include "views/print/sheetparts.h"
#include "views/print/sheets.h"

namespace views::print {

namespace {

using keiba::Sj;

constexpr int kTop = 280;
constexpr int kBand = 406;
constexpr int kRow = 126;
constexpr int kRight = 1990;
constexpr int kPastRuns = 6;

std::string S(std::string_view v) {
    return std::string(v);
}

std::string GoingOf(std::string_view track, std::string_view turf, std::string_view dirt) {
    if (IsDirt(track)) return keiba::BabaToText(dirt, 0);
    const std::optional<int> t = FieldInt(track);
    if (t.value_or(0) < 23) return keiba::BabaToText(turf, 0);
    return {};
}

std::string CourseRecordLine(const jvdata::TJvRC& rc) {
    if (keiba::TrimBlanks(rc.Year()).empty()) return {};
    const std::string_view time = rc.RecordTime();
    return Sj("ﾚｺｰﾄﾞ:") + S(rc.Year()) + Sj("年") + S(rc.Month()) + Sj("月") + S(rc.DayOfMonth()) +
           Sj("日") + keiba::JyoCodeToName(rc.VenueCode(), 2) + S(rc.Meeting()) + Sj("回") +
           S(rc.MeetingDay()) + Sj("日") + S(rc.RaceNo()) + "R " + NameText(rc.RaceName()) + " " +
           keiba::GradeToText(rc.GradeCode(), 1) + keiba::SyubetuToText(rc.RaceTypeCode(), 4) +
           " " + keiba::TrackShortText(rc.TrackCode()) + S(rc.DistanceText()) +
           keiba::TimeKubunToText(rc.TimeKindCode()) + S(time.substr(0, 1)) + "." +
           S(time.substr(1, 2)) + "." + S(time.substr(3, 1)) + " " +
           keiba::TenkoToText(rc.WeatherCode()) +
           GoingOf(rc.TrackCode(), rc.TurfGoingCode(), rc.DirtGoingCode());
}

std::string HolderLine(const jvdata::TJvRC& rc) {
    if (keiba::TrimBlanks(rc.Year()).empty()) return {};
    const std::string_view w = rc.WeightCarriedText();
    const std::string weight = keiba::TrimBlanks(w).empty()
                                   ? std::string()
                                   : S(w.substr(0, 2)) + "." + S(w.substr(2, 1)) + "kg";
    return NameText(rc.HorseName()) + " " + keiba::SexToText(rc.SexCode()) +
           S(rc.HolderBirthYear()) + Sj("年生") + keiba::UmaKigoToText(rc.HorseSymbolCode()) +
           Sj(" 騎手:") + S(rc.JockeyName()) + "[" + weight + Sj("]  調教師:") +
           S(rc.TrainerName());
}

void DrawHeader(Drawer& d, const raceday::RaceDay& day, std::size_t r) {
    const jvdata::TJvRA& ra = day.gDayRaces[r];
    DrawRaceHeader(d, ra, kPortraitHeader);
    // The course-record lines end before the prize block.
    d.Gothic(8);
    d.Text(50, 215, 1640, CourseRecordLine(day.gRcRecords[r]));
    d.Text(130, 245, 1640, HolderLine(day.gRcRecords[r]));
    DrawPrizes(d, ra,
               {1650, 80, "　　　　　　単位（千円）", 1650, 100, "　　本賞金　　　付加賞金", 120, 7,
                kRegular});
}

std::string Counts(const std::array<int, 4>& c) {
    return IntText(c[0], 2) + "-" + IntText(c[1], 2) + "-" + IntText(c[2], 2) + "-" +
           IntText(c[3], 2);
}

void DrawPastRun(Drawer& d, const jvdata::TJvRA& ra, const jvdata::TJvSE& se, int x0, int yT) {
    // The cell ends just before the column's rule; the time line ends where the finish is
    // printed.
    const int right = x0 + 214;
    const std::string_view year = se.Year();
    d.PGothic(6);
    const std::string yy = year.size() >= 2 ? S(year.substr(year.size() - 2)) : S(year);
    const std::string_view meeting = se.Meeting();
    const std::string cls = keiba::TrimBlanks(ra.ShortName3()).empty()
                                ? keiba::JokenToText(ra.ClassCode())
                                : S(ra.ShortName3());
    d.Text(x0, yT + 2, right,
           S(meeting.substr(meeting.size() - 1)) + keiba::JyoCodeToName(ra.VenueCode(), 2) + " " +
               yy + "." + S(se.Month()) + "." + S(se.DayOfMonth()) + " " + cls);

    // A run whose race record is not at hand (abroad) keeps its key alone: no unit without its
    // number.
    const int horse = FieldInt(se.HorseNumberText()).value_or(0);
    d.Text(x0, yT + 22, right,
           keiba::FormatIntWithUnit(ra.RunnerCountText(), Sj("頭")) +
               (horse >= 1 ? keiba::IntToMaruNum(horse) : std::string()) +
               keiba::FormatIntBlankZero(ra.DistanceText()) +
               keiba::TrackShortText(ra.TrackCode()) + keiba::TenkoToText(ra.WeatherCode()) +
               GoingOf(ra.TrackCode(), ra.TurfGoingCode(), ra.DirtGoingCode()));

    const int weight = FieldInt(se.WeightCarriedText()).value_or(0);
    const int pop = FieldInt(se.WinPopularityText()).value_or(0);
    d.Text(
        x0, yT + 42, right,
        S(se.JockeyName()) +
            (weight >= 1 ? keiba::FormatFixed(weight / 10.0, 1, 1) + "Kg " : std::string(6, ' ')) +
            (pop >= 1 ? IntText(pop, 2) + Sj("人") : std::string()));

    const std::string_view last3 = se.Last3F();
    const bool noLast3 = last3 == "000" || last3 == "999";
    const std::string time = RunTimeText(se.FinishTime());
    // The first half is the time less the last 3F: without either, or the distance, there is
    // none.
    const std::string half = noLast3 || time == "----"
                                 ? std::string()
                                 : keiba::CalcZenhanPace(se.FinishTime(), last3, ra.DistanceText());
    const std::string pace = keiba::TrimBlanks(half).empty() ? Sj("前---") : Sj("前") + half;
    d.Text(x0, yT + 62, x0 + 178,
           time + " " + pace + " " + (noLast3 ? Sj("後---") : Sj("後") + S(last3)));

    std::string corners;
    for (int c = 1; c <= 4; ++c) corners += keiba::StrToMaruNum(se.CornerPosition(c));
    const int body = FieldInt(se.BodyWeight()).value_or(0);
    d.Text(x0, yT + 82, right,
           corners + (body >= 1 ? IntText(body, 3) + "Kg" : std::string()) +
               IntText((se.PrizeWon() + se.AddedPrizeWon()) / 10, 7));

    const int finish = FieldInt(se.FinalPositionText()).value_or(0);
    std::string diff = keiba::FormatTimeDiff(se.TimeDifference());
    if (diff == "999.9") diff = "     ";
    d.Text(x0, yT + 102, right, (finish >= 1 ? NameText(se.OpponentName()) : std::string()) + diff);

    d.PGothic(8, kBold);
    d.TextColor(RankColor(finish));
    d.Text(x0 + 180, yT + 60, finish >= 1 ? IntText(finish, 2) : "-");
    d.TextColor(Qt::black);
}

void DrawRunner(Drawer& d, const raceday::RaceDay& day, std::size_t r, std::size_t h,
                BracketRules& rules) {
    const jvdata::TJvSE& se = day.gDayHorses[r][h];
    const jvdata::TJvUM& um = day.gDayHorseMasters[r][h];
    const int yT = kBand + kRow * static_cast<int>(h);
    const int bracket = se.Bracket();
    DrawNumberCells(d, bracket, yT, yT + kRow);
    d.Gothic(9);
    rules.Row(d, bracket, yT, {20, 70, kRight});
    d.Pen(Qt::black, 1);
    d.Line(550, yT, 550, yT + 75);
    d.Line(430, yT + 75, 670, yT + 75);
    // A runner lost to damage shows nothing of its record, nor of its connections' figures.
    if (se.HorseNumber() < 1) return;

    d.Gothic(11);
    d.Text(107, yT + 20, keiba::StrToMaruNum(se.HorseNumberText()));
    // The runner's texts end at the rule before the placing counts.
    d.PGothic(9);
    d.Text(155, yT + 5, 428, NameText(se.HorseName()));
    d.PGothic(6);
    d.Text(155, yT + 35, keiba::SexToText(se.SexCode()) + keiba::FormatIntBlankZero(se.AgeText()));
    // A horse without its master has no career prize to show, rather than 0.
    if (!um.IsBlank()) d.Text(230, yT + 35, IntText(CareerPrize(um), 7) + Sj("千円"));
    if (se.BlinkersCode() == "1") d.Text(360, yT + 35, Sj("ﾌﾞﾘﾝｶ"));

    d.Gothic(5);
    const Rates jockey = RatesOf(day.gPrintStatsA[r][h]);
    const Rates trainer = RatesOf(day.gPrintStatsB[r][h]);
    d.Text(155, yT + 60, 428,
           Sj("騎　手:") + S(se.JockeyName()) + "[" + jockey.win + "/" + jockey.topTwo + "]");
    d.Text(155, yT + 80,
           Sj("　　 　") + TenthsText(se.WeightCarriedText(), 4) + "kg" + Sj("　") +
               keiba::MinaraiToText(se.ApprenticeCode()));
    d.Text(155, yT + 100, 428,
           Sj("調教師:") + S(se.TrainerName()) + "[" + trainer.win + "/" + trainer.topTwo + "]");
    if (!keiba::TrimBlanks(um.DataKind()).empty()) {
        const auto& counts = day.gRaceCalc[r].PlaceCounts;
        for (int t = 0; t < 4; ++t) {
            d.Text(435, yT + 5 + 16 * t, Counts(counts[static_cast<std::size_t>(t)][h]));
            d.Text(555, yT + 5 + 16 * t, Counts(counts[static_cast<std::size_t>(t + 4)][h]));
        }
    }

    for (int n = 1; n <= kPastRuns; ++n) {
        const auto k = static_cast<std::size_t>(n - 1);
        const jvdata::TJvRA& pra = day.gPastRunRaces[r][h][k];
        if (keiba::TrimBlanks(pra.Year()).empty()) continue;
        DrawPastRun(d, pra, day.gPastRunHorses[r][h][k], 220 * n + 453, yT);
    }
}

void DrawFrame(Drawer& d, int n) {
    const int bottom = kBand + kRow * n;
    d.ClearBrush();
    d.Pen(Qt::black, 20);
    d.Rect(50, kTop, kRight, bottom);
    d.Rect(50, kTop, kRight, kBand);
    d.Pen(Qt::black, 5);
    for (int x : {100, 150, 430, 670}) d.Line(x, kTop, x, bottom);
    for (int x : {890, 1110, 1330, 1550, 1770}) d.Line(x, 380, x, bottom);
    d.Line(670, 380, kRight, 380);
    d.Line(550, kTop, 550, 370);
    d.Line(430, 370, 670, 370);
}

void DrawBandTexts(Drawer& d) {
    d.Gothic(11);
    d.Text(55, 300, Sj("枠"));
    d.Text(105, 300, Sj("馬"));
    d.Text(55, 340, Sj("番"));
    d.Text(105, 340, Sj("番"));
    d.Gothic(10);
    d.Text(155, 285, Sj("馬名"));
    d.PGothic(6);
    d.Text(155, 317, Sj("性齢・賞金・ﾌﾞﾘﾝｶ"));
    d.Gothic(5);
    d.Text(155, 340, Sj("騎手　名[勝率/連対率]"));
    d.Text(155, 360, Sj("負担重量・見習区分"));
    d.Text(155, 380, Sj("調教師名[勝率/連対率]"));
    const char* const left[] = {"距離別入着", "全ﾚｰｽ", "1600以下", "1601-2200", "2201以上"};
    const char* const right[] = {"馬場別入着", "芝・全", "芝・重", "ダ・全", "ダ・重"};
    for (int i = 0; i < 5; ++i) {
        d.Text(435, 285 + 16 * i, Sj(left[i]));
        d.Text(555, 285 + 16 * i, Sj(right[i]));
    }
    d.Text(435, 369, Sj("人気指数"));
    d.Text(435, 385, Sj("勝敗指数"));
    d.Text(555, 369, Sj("能力指数"));
    d.Text(555, 385, Sj("総合指数"));
    d.Text(675, 282, Sj("１行目＝開催回次・開催場所・開催日・条件又はレース名"));
    d.Text(675, 304,
           Sj("２行目＝頭数・ｹﾞｰﾄ・距離・トラック・天候・馬場状態　　３行目＝騎手・負担重量・"
              "単勝人気"));
    d.Text(675, 326,
           Sj("４行目＝走破ﾀｲﾑ・前半3Fﾀｲﾑ・後半3Fﾀｲﾑ・着順(右端大字)　　５行目＝ｺｰﾅｰ順位・"
              "馬体重・賞金"));
    d.Text(675, 348,
           Sj("６行目＝１着馬(当該馬が１着の場合は２着馬)・１着馬との着差[当該馬１着の時は２着"
              "馬との着差]"));
    for (int n = 1; n <= kPastRuns; ++n)
        d.Text(220 * n + 453, 382, Sj("前走-") + std::to_string(n));
}

} // namespace

std::vector<std::string> DrawNewspaperCards(const raceday::RaceDay& day, Document& doc) {
    std::vector<std::string> names;
    Drawer d(doc);
    const int races = DayRaceCount(day);
    for (int r = 0; r < races; ++r) {
        const auto ur = static_cast<std::size_t>(r);
        if (r > 0) d.NewPage();
        names.push_back(RacePageName(day.gDayRaces[ur]));
        DrawHeader(d, day, ur);
        const int n = raceday::FieldSize(day, r);
        d.Brush(kHeaderBand);
        d.Pen(Qt::black, 20);
        d.Rect(50, kTop, kRight, kBand);
        BracketRules rules;
        for (int h = 0; h < n; ++h) DrawRunner(d, day, ur, static_cast<std::size_t>(h), rules);
        DrawFrame(d, n);
        DrawBandTexts(d);
    }
    return names;
}

} // namespace views::print
