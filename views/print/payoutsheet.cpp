// The printed payout list: one A4 page per venue, up to twelve races one under another, each a
// race line and the paid combinations of the eight bet types as the payout record holds them.

#include "keiba/codetables.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "raceday/daymodel.h"
#include "views/print/sheetparts.h"
#include "views/print/sheets.h"

#include <vector>

namespace views::print {

namespace {

using jvdata::BetType;
using keiba::Sj;

struct BetLine {
    BetType type;
    const char* label;
    int dy;
    int numbers;    // runners (or brackets) in a combination
    int digitsEach; // width of each number in the combination field
};

constexpr BetLine kBetLines[] = {
    {BetType::Win, "【単勝】", 165, 1, 2},
    {BetType::Place, "【複勝】", 187, 1, 2},
    {BetType::BracketQuinella, "【枠連】", 209, 2, 1},
    {BetType::Quinella, "【馬連】", 231, 2, 2},
    {BetType::Wide, "【ﾜｲﾄﾞ】", 253, 2, 2},
    {BetType::Exacta, "【馬単】", 275, 2, 2},
    {BetType::Trio, "【三連複】", 297, 3, 2},
    {BetType::Trifecta, "【三連単】", 319, 3, 2},
};

std::string GoingText(const jvdata::TJvRA& ra) {
    const std::optional<int> track = FieldInt(ra.TrackCode());
    const int t = track.value_or(0);
    if (t < 23) return keiba::BabaToText(ra.TurfGoingCode(), 1);
    if (t <= 29) return keiba::BabaToText(ra.DirtGoingCode(), 2);
    return Sj("　　　");
}

// The entry's text, or nothing when a number of its combination is not 1 or more.
std::optional<std::string> EntryText(const BetLine& bet, const jvdata::PayoutEntry& e) {
    std::string numbers;
    for (int i = 0; i < bet.numbers; ++i) {
        const std::optional<int> n =
            FieldInt(e.combination.substr(static_cast<std::size_t>(i * bet.digitsEach),
                                          static_cast<std::size_t>(bet.digitsEach)));
        if (!n || *n < 1) return std::nullopt;
        if (i > 0) numbers += "-";
        numbers += keiba::IntToMaruNum(*n);
    }
    const std::string prefix = bet.numbers == 1 ? Sj("　") + numbers + " " : numbers;
    return prefix + "[" + NumText(e.payout, 8) + "]";
}

void DrawRace(Drawer& d, const jvdata::TJvRA& ra, const jvdata::TJvHR& hr, int runners, int yk) {
    d.Size(6);
    d.Pen(Qt::black, 5);
    d.Brush(Qt::white);
    d.Line(100, yk + 133, 1900, yk + 133);
    // Each item of the race line ends where the next begins: a race name of ten full-width
    // characters is wider than its place.
    const int y = yk + 140;
    d.Text(100, y, 395, "///// " + NumText(ra.RaceNo(), 2) + " R ///// ");
    d.Text(400, y, 595, IntText(runners, 2) + Sj("頭"));
    d.Text(600, y, 795, ra.ShortName10());
    d.Text(800, y, 895, keiba::GradeToText(ra.GradeCode(), 1));
    d.Text(900, y, 1095, keiba::JokenToText(ra.ClassCode()));
    d.Text(1100, y, 1295, keiba::JyuryoToText(ra.WeightRuleCode()));
    d.Text(1300, y, 1595,
           keiba::TrackShortText(ra.TrackCode()) + NumText(ra.DistanceText(), 4) + "m ");
    d.Text(1600, y, 1900, GoingText(ra) + keiba::TenkoToText(ra.WeatherCode()));
    for (const BetLine& bet : kBetLines) {
        d.Text(100, yk + bet.dy, Sj(bet.label));
        const int entries = static_cast<int>(jvdata::PayoutGroupOf(bet.type).entries);
        for (int j = 0; j < entries; ++j)
            if (std::optional<std::string> text = EntryText(bet, hr.Entry(bet.type, j + 1)))
                d.Text(220 + 240 * j, yk + bet.dy, 215 + 240 * (j + 1), *text);
    }
}

} // namespace

std::vector<std::string> DrawPayoutList(const raceday::RaceDay& day, Document& doc,
                                        std::string_view credit) {
    Drawer d(doc);
    return DrawVenuePages(day, d, credit, 2660, [&](const std::vector<int>& races) {
        for (std::size_t k = 0; k < races.size(); ++k) {
            const auto ur = static_cast<std::size_t>(races[k]);
            DrawRace(d, day.gDayRaces[ur], day.gDayPayouts[ur], raceday::FieldSize(day, races[k]),
                     210 * static_cast<int>(k));
        }
        d.Pen(Qt::black, 5);
        d.Line(100, 2653, 1900, 2653);
    });
}

} // namespace views::print
