#include "views/abnormaltable.h"

#include "views/gridsort.h"
#include "views/indexcard.h"

namespace views {

namespace {

using namespace cellcolors;

const QColor kPaleYellow(0xFFFF80);
const QColor kRoseGrey(0xDEBCBC);

constexpr int kAbnormalHandColumns[] = {1,  9,  10, 11, 12, 13, 14, 15, 16, 17,
                                        18, 19, 20, 21, 22, 23, 24, 25, 26};

// Heading silver, data white and top-aligned, centred but for the name; the bracket column in
// its bracket's colour. Returns false for the heading row, which needs nothing more.
bool Common(const GridModel& grid, int col, int row, CellPaint& p) {
    p.alignment = Qt::AlignHCenter | Qt::AlignTop;
    p.textInset = 0;
    if (row == 0) {
        p.background = kSilver;
        return false;
    }
    const QColor own = p.background;
    p.background = kWhite;
    if (col == 2) p.alignment = Qt::AlignLeft | Qt::AlignTop;
    if (col == 0) {
        const QColor c = BracketColor(CellNumber(grid, col, row));
        p.background = c.isValid() ? c : own;
    }
    return true;
}

void Rank(const GridModel& grid, int col, int row, CellPaint& p, QColor background) {
    p.background = background;
    p.bold = true;
    p.textColor = RankColor(CellNumber(grid, col, row));
}

} // namespace

void StringGrid8DrawCell(const raceday::RaceDay& day, const GridModel& grid, int col, int row,
                         CellPaint& p) {
    if (!Common(grid, col, row, p)) return;
    switch (col) {
    case 1: p.background = InfoBackground(); break;
    case 9:
    case 10:
    case 11: Rank(grid, col, row, p, kPaleYellow); break;
    case 12:
    case 13:
    case 14: Rank(grid, col, row, p, kWhite); break;
    case 20:
    case 22: p.background = kRoseGrey; break;
    case 21:
    case 23: Rank(grid, col, row, p, kRoseGrey); break;
    case 24:
    case 25: Rank(grid, col, row, p, kCyan); break;
    case 26: p.background = kCyan; break;
    case 6:
    case 7:
    case 8: {
        const int race = day.gCurRace;
        const int h = row - 1;
        if (race < 0 || race >= raceday::kMaxRaces || h >= raceday::kMaxRunners) break;
        const int pop =
            day.gRaceCalc[static_cast<std::size_t>(race)].WinPop[static_cast<std::size_t>(h)];
        if (pop >= 1 && pop <= 5) p.leftEdge = kBlue;
        break;
    }
    default: break;
    }
}

void StringGrid9DrawCell(const raceday::RaceDay& day, const GridModel& grid, int col, int row,
                         CellPaint& p) {
    const QColor own = p.background;
    if (!Common(grid, col, row, p)) return;
    switch (col) {
    case 1: {
        p.background =
            ShownRunnerTracked(day, CellNumber(grid, col, row)) ? kRed : InfoBackground();
        break;
    }
    case 7:
    case 9:
    case 11:
    case 13:
    case 20:
    case 23:
    case 26: Rank(grid, col, row, p, kWhite); break;
    case 19:
    case 22:
    case 27: p.background = own; break; // the grid's own background
    case 28:
    case 29: Rank(grid, col, row, p, kCyan); break;
    case 30: p.background = kCyan; break;
    default: break;
    }
}

void AttachAbnormalTable(StringGrid& grid, const raceday::RaceDay& day) {
    const GridModel* model = grid.Model();
    grid.Model()->SetDrawCell([model, &day](int col, int row, CellPaint& p) {
        StringGrid8DrawCell(day, *model, col, row, p);
    });
    // Only the pointer: the table has no sort.
    new HeadingSort(grid, kAbnormalHandColumns, [](GridModel&, int, int) { return false; });
}

void AttachIndexTablePainter(StringGrid& grid, const raceday::RaceDay& day) {
    const GridModel* model = grid.Model();
    grid.Model()->SetDrawCell([model, &day](int col, int row, CellPaint& p) {
        StringGrid9DrawCell(day, *model, col, row, p);
    });
}

} // namespace views
