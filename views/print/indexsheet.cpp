// The printed index table: one A4 page per venue, up to twelve races in two columns of six,
// each a coloured bar and one line per runner.

#include "keiba/codetables.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "raceday/daymodel.h"
#include "views/print/sheetparts.h"
#include "views/print/sheets.h"

namespace views::print {

namespace {

using keiba::Sj;

const QColor kTurfBar{166, 255, 166};
const QColor kDirtBar{210, 105, 0};
const QColor kSilver{192, 192, 192};

std::string RaceLine(const jvdata::TJvRA& ra, int runners) {
    return Sj("【") + NumText(ra.RaceNo(), 2) + Sj("R】") + IntText(runners, 2) + Sj("頭") + " " +
           std::string(ra.ShortName3()) + " " + keiba::GradeToText(ra.GradeCode(), 1) + " " +
           keiba::JokenToText(ra.ClassCode()) + " " + keiba::JyuryoToText(ra.WeightRuleCode()) +
           " " + keiba::TrackShortText(ra.TrackCode()) + NumText(ra.DistanceText(), 4) + "m";
}

// A runner lost to damage has a blank line.
std::string RunnerLine(const jvdata::TJvSE& se) {
    if (se.HorseNumber() < 1) return {};
    return keiba::StrToMaruNum(se.HorseNumberText()) + keiba::FitBytes(se.HorseName(), 18) + " " +
           keiba::SexToText(se.SexCode()) + keiba::FormatIntBlankZero(se.AgeText()) + " " +
           std::string(se.JockeyName()) + " " + TenthsText(se.WeightCarriedText(), 4);
}

void DrawRace(Drawer& d, const raceday::RaceDay& day, int r, int x0, int yb) {
    const auto ur = static_cast<std::size_t>(r);
    const jvdata::TJvRA& ra = day.gDayRaces[ur];
    d.Brush(IsTurf(ra.TrackCode()) ? kTurfBar : kDirtBar);
    d.NoPen();
    d.Rect(x0, yb + 138, x0 + 925, yb + 167);
    d.Pen(Qt::black, 5);
    d.Line(70, yb + 133, 1930, yb + 133);
    const int runners = raceday::FieldSize(day, r);
    d.Size(7);
    d.Text(x0, yb + 140, x0 + 925, RaceLine(ra, runners));
    d.Size(6);
    for (int h = 0; h < runners; ++h) {
        const jvdata::TJvSE& se = day.gDayHorses[ur][static_cast<std::size_t>(h)];
        const int y = yb + 167 + 21 * h;
        const int bracket = se.Bracket();
        if (std::optional<QColor> fill = BracketFill(bracket)) {
            d.Brush(*fill);
            d.PenColor(*fill);
            d.Rect(x0, y, x0 + 11, y + 20);
        }
        d.Brush(kNumberCell);
        d.PenColor(kNumberCell);
        d.Rect(x0 + 12, y, x0 + 34, y + 20);
        d.TextColor(BracketTextColor(bracket));
        d.Text(x0, y, se.BracketText());
        d.TextColor(Qt::black);
        d.Text(x0 + 12, y, x0 + 925, RunnerLine(se));
    }
    d.PenPixels(kSilver, 1);
    for (int h = 0; h < runners; ++h) {
        const int y = yb + 167 + 21 * (h + 1);
        d.Line(x0, y, x0 + 925, y);
    }
    d.Pen(Qt::black, 5);
}

} // namespace

std::vector<std::string> DrawIndexTable(const raceday::RaceDay& day, Document& doc,
                                        std::string_view credit) {
    Drawer d(doc);
    return DrawVenuePages(day, d, credit, 2690, [&](const std::vector<int>& races) {
        d.Size(6);
        d.Text(80, 2660,
               Sj("※各馬の表示内容は左から、枠番、馬番、馬名、性別馬齢、騎手、斤量、人気指数、"
                  "勝敗指数、能力指数、総合指数です。"));
        d.Size(8);
        for (std::size_t k = 0; k < races.size(); ++k) {
            const int x0 = k < 6 ? 70 : 1005;
            const int row = static_cast<int>(k < 6 ? k : k - 6);
            DrawRace(d, day, races[k], x0, 420 * row);
        }
        d.Pen(Qt::black, 5);
        d.Line(70, 2653, 1930, 2653);
        d.Line(1000, 133, 1000, 2653);
    });
}

} // namespace views::print
