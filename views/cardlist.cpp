#include "views/cardlist.h"

#include "controls/qtext.h"
#include "keiba/codetables.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "views/indexcard.h"

#include <QFontInfo>

#include <string>

namespace views {

namespace {

using controls::SjToQ;

constexpr int kG = 1; // grid line width
using namespace cellcolors;

// The height of a line of text in the grid's font at `pointSize` (0: the grid's own size).
int LineHeight(const QFont& base, int pointSize, bool bold) {
    QFont f = base;
    if (pointSize > 0) f.setPointSize(pointSize);
    f.setBold(bold);
    return QFontInfo(f).pixelSize();
}

// A name field trimmed and without its full-width blanks.
std::string NameText(std::string_view field) {
    return keiba::DeleteZenkakuSpaces(keiba::TrimBlanks(field));
}

// A result field that holds no result: blank, or "00".
bool NoResult(std::string_view field) {
    const std::string_view t = keiba::TrimBlanks(field);
    return t.empty() || t == "00";
}

class Out {
public:
    Out(CellPaint& p, const QFont& font)
        : p_(p)
        , font_(font) {}
    // Text at (x, y) from the cell's top-left; returns the line's height.
    int Text(int x, int y, const std::string& sj, int pt = 0, bool bold = false,
             QColor color = kBlack) {
        p_.texts.push_back({x, y, false, SjToQ(sj), color, pt, bold});
        return LineHeight(font_, pt, bold);
    }
    void FromRight(int x, int y, const std::string& sj, int pt, bool bold = false) {
        p_.texts.push_back({x, y, true, SjToQ(sj), kBlack, pt, bold});
    }
    const QFont& Font() const { return font_; }

private:
    CellPaint& p_;
    const QFont& font_;
};

// "入:%2d" and "確:%2d": a number in its rank colour, or one black blank.
void RankLine(Out& out, int y, const char* label, std::string_view field, bool bold, int* lh) {
    if (NoResult(field)) {
        *lh = out.Text(kG + 1, y, " ", 0, bold);
        return;
    }
    const int v = static_cast<int>(keiba::DigitValue(field));
    *lh = out.Text(kG + 1, y, keiba::Sj(label) + keiba::FormatInt(v, 2), 0, bold, RankColor(v));
}

void PaintRunner(const raceday::RaceDay& day, int race, int h, int col, Out& out, CellPaint& p) {
    const auto rr = static_cast<std::size_t>(race);
    const auto hh = static_cast<std::size_t>(h);
    const jvdata::TJvSE& se = day.gDayHorses[rr][hh];
    const jvdata::TJvRA& ra = day.gDayRaces[rr];
    const int x = kG + 1;
    // A runner lost to damage shows nothing of its record: no units, bars or marks around blanks.
    if (se.HorseNumber() < 1) {
        if (col == kListNumber) p.background = InfoBackground();
        return;
    }
    switch (col) {
    case kListBracket: {
        const int bracket = se.Bracket();
        const QColor c = BracketColor(bracket);
        if (c.isValid()) p.background = c;
        out.Text(kG + 5, kG + 1, bracket > 0 ? keiba::FormatInt(bracket, 1) : " ", 10, true,
                 bracket == 1 || bracket == 5 ? kBlack : kWhite);
        break;
    }
    case kListNumber: {
        p.background = day.gRaceCalc[rr].Tracked[hh] == 1 ? kRed : InfoBackground();
        const int n = se.HorseNumber();
        out.Text(x, kG + 1, n > 0 ? keiba::FormatInt(n, 2) : " ", 10, true);
        break;
    }
    case kListName: {
        const int lh = out.Text(x, kG + 1, NameText(se.HorseName()), 10, true);
        out.FromRight(20, kG + 1, keiba::KyakusituToText(se.RunningStyleCode()), 8);
        const int y2 = kG + 1 + lh;
        out.Text(10, y2,
                 std::string(se.JockeyName()) + " " +
                     keiba::FormatTenthsWider(se.WeightCarriedText()) + "kg",
                 8);
        out.FromRight(50, y2,
                      keiba::SexToText(se.SexCode()) + keiba::FormatIntBlankZero(se.AgeText()), 8);
        break;
    }
    case kListTrainer: out.Text(x, kG + 1, NameText(se.TrainerName()), 9); break;
    case kListBlinkers:
        out.Text(kG + 10, kG + 8, keiba::FlagToMaruOrBar(se.BlinkersCode()), 9);
        break;
    case kListApprentice: out.Text(x, kG + 8, keiba::MinaraiToText(se.ApprenticeCode()), 9); break;
    case kListOrder: {
        int lh = 0;
        RankLine(out, 1, "入:", se.Field(jvdata::TJvSE::kArrivalOrder), true, &lh);
        RankLine(out, 1 + lh, "確:", se.FinalPositionText(), true, &lh);
        break;
    }
    case kListPopularity: {
        const std::string_view pop = se.WinPopularityText();
        int lh = 0;
        if (NoResult(pop)) {
            lh = out.Text(x, 1, " ", 0, true);
        } else {
            const int v = static_cast<int>(keiba::DigitValue(pop));
            lh = out.Text(x, 1, keiba::Sj("人気:") + keiba::FormatInt(v, 4), 0, true, RankColor(v));
        }
        const std::string_view odds = keiba::TrimBlanks(se.WinOddsTenths());
        out.Text(
            x, 1 + lh,
            odds.empty() || odds == "0000"
                ? std::string(" ")
                : keiba::Sj("ｵｯｽﾞ:") +
                      keiba::FormatFixed(
                          static_cast<double>(keiba::DigitValue(se.WinOddsTenths())) / 10.0, 5, 1),
            0, true);
        break;
    }
    case kListTime: {
        const std::string line1 = keiba::FormatRaceTime(se.FinishTime());
        const int lh = out.Text(x, 1, line1);
        out.Text(x, 1 + lh,
                 keiba::TrimBlanks(line1).empty() ? line1
                                                  : keiba::FormatTimeDiff(se.TimeDifference()));
        break;
    }
    case kList3F: {
        const bool jump = ra.Number(jvdata::TJvRA::kTrack) >= 51;
        int lh = LineHeight(out.Font(), 0, false);
        if (!jump) {
            const double value = day.gRaceCalc[rr].HorseValue[hh];
            lh = out.Text(x, 1,
                          value > 0 ? keiba::Sj("前= ") + keiba::FormatFixed(value / 10.0, 4, 1)
                                    : std::string(" "));
        }
        const std::string_view f3 = se.Last3F();
        const std::string_view t = keiba::TrimBlanks(f3);
        out.Text(x, 1 + lh,
                 t.empty() || t == "999" || t == "000"
                     ? std::string(" ")
                     : std::string(jump ? "1F= " : keiba::Sj("後= ")) +
                           std::string(f3.substr(0, 2)) + "." + std::string(f3.substr(2, 1)));
        break;
    }
    case kListCorners:
        for (int i = 0; i < 4; ++i) {
            const std::string_view corner = se.CornerPosition(i + 1);
            const int cx = kG + 18 * i;
            if (NoResult(corner)) {
                out.Text(cx, 1, "  ");
                continue;
            }
            const int v = static_cast<int>(keiba::DigitValue(corner));
            out.Text(cx, 1, keiba::FormatInt(v, 2), 0, false, RankColor(v));
            if (i < 3) out.Text(cx + 13, 1, "-");
        }
        break;
    case kListPrize: {
        auto prize = [](std::string_view field) {
            const std::string t = keiba::FormatTenthsSameWidth(field);
            return keiba::TrimBlanks(t).empty() ? std::string() : t + keiba::Sj("千円");
        };
        const int lh = out.Text(x, 1, prize(se.Field(jvdata::TJvSE::kPrizeWon)));
        out.Text(x, 1 + lh, prize(se.Field(jvdata::TJvSE::kAddedPrizeWon)));
        break;
    }
    case kListAbnormality: out.Text(x, 1, keiba::IjyoKubunToText(se.AbnormalityCode())); break;
    default: break;
    }
}

} // namespace

void StringGrid6DrawCell(const raceday::RaceDay& day, bool raceListEmpty, const QFont& font,
                         int col, int row, CellPaint& p) {
    const int race = day.gCurRace;
    const int h = row - 1;
    if (row < 1 || raceListEmpty || race < 0 || race >= raceday::kMaxRaces ||
        h >= raceday::kMaxRunners)
        return;
    p.background = kWhite;
    // The painting covers the cell: the text the race selection wrote is not drawn.
    p.runs = {TextRun{}};
    Out out(p, font);
    PaintRunner(day, race, h, col, out, p);
}

void SetupCardList(StringGrid& grid) {
    grid.setFont(RunnerGridFont());
    grid.setSelectionBehavior(QAbstractItemView::SelectRows);
}

void AttachCardList(StringGrid& grid, const raceday::RaceDay& day,
                    std::function<bool()> raceListEmpty) {
    if (!raceListEmpty) raceListEmpty = [&day] { return day.gDayRaceCount <= 0; };
    const StringGrid* view = &grid;
    grid.Model()->SetDrawCell(
        [view, &day, empty = std::move(raceListEmpty)](int col, int row, CellPaint& p) {
            StringGrid6DrawCell(day, empty(), view->font(), col, row, p);
        });
    grid.ClearSelectionOnRelease();
}

} // namespace views
