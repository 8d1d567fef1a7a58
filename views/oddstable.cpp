#include "views/oddstable.h"

#include "controls/speedbutton.h"
#include "views/gridsort.h"
#include "views/indexcard.h"

#include <QHBoxLayout>

namespace views {

namespace {

using namespace cellcolors;

const QColor kAqua(0x00FFFF);

constexpr int kOddsHandColumns[] = {1, 7, 9, 11, 13, 15, 17, 18, 19};

constexpr OddsSortButton kSortButtons[8] = {
    {"SpeedButton14", u"馬番", 1, 10},      {"SpeedButton15", u"人気指数", 9, 13},
    {"SpeedButton17", u"勝敗指数", 11, 13}, {"SpeedButton18", u"能力指数", 13, 9},
    {"SpeedButton20", u"総合指数", 15, 11}, {"SpeedButton3", u"人気", 18, 1},
    {"SpeedButton16", u"着順", 19, 1},      {"SpeedButton2", u"確定人気", 20, 1},
};

} // namespace

void StringGrid26DrawCell(const raceday::RaceDay& day, const GridModel& grid, int col, int row,
                          CellPaint& p) {
    p.alignment = Qt::AlignHCenter | Qt::AlignTop;
    p.textInset = 0;
    if (row == 0) {
        p.background = kSilver;
        return;
    }
    const QColor own = p.background;
    p.background = kWhite;
    auto rank = [&](QColor background) {
        p.background = background;
        p.bold = true;
        p.textColor = RankColor(CellNumber(grid, col, row));
    };
    switch (col) {
    case kOddsBracket: {
        const QColor c = BracketColor(CellNumber(grid, col, row));
        p.background = c.isValid() ? c : own;
        break;
    }
    case kOddsNumber: {
        p.background =
            ShownRunnerTracked(day, CellNumber(grid, col, row)) ? kRed : InfoBackground();
        break;
    }
    case kOddsName: p.alignment = Qt::AlignLeft | Qt::AlignTop; break;
    case 7:
    case 9:
    case 11:
    case 13:
    case 15:
    case 17: rank(kWhite); break;
    case kOddsFinish:
    case kOddsPopularity: rank(kCyan); break;
    case kOddsConfirmed: p.background = kCyan; break;
    default: break;
    }
}

void StringGrid27DrawCell(const GridModel& grid, int col, int row, CellPaint& p) {
    p.alignment = Qt::AlignHCenter | Qt::AlignTop;
    p.textInset = 0;
    if (row == 0) {
        p.background = kSilver;
        return;
    }
    switch (col) {
    case 1:
    case 5: p.background = kAqua; break;
    case 2:
    case 6:
        p.background = grid.Cells(col, row) == QStringLiteral("的中") ? kRed : InfoBackground();
        break;
    case 3:
    case 7: p.background = kWhite; break;
    case 4: p.background = kSilver; break;
    default: break; // column 0 keeps the fixed cells' colour
    }
}

void SetupOddsTable(StringGrid& grid) {
    grid.setFont(RunnerGridFont());
}

void AttachOddsTable(StringGrid& grid, const raceday::RaceDay& day) {
    const GridModel* model = grid.Model();
    grid.Model()->SetDrawCell([model, &day](int col, int row, CellPaint& p) {
        StringGrid26DrawCell(day, *model, col, row, p);
    });
    // Only the pointer: a press on the table does nothing.
    new HeadingSort(grid, kOddsHandColumns, [](GridModel&, int, int) { return false; });
}

void AttachReferenceBets(StringGrid& grid) {
    const GridModel* model = grid.Model();
    grid.Model()->SetDrawCell(
        [model](int col, int row, CellPaint& p) { StringGrid27DrawCell(*model, col, row, p); });
}

std::span<const OddsSortButton, 8> OddsSortButtons() {
    return kSortButtons;
}

OddsSortBar::OddsSortBar(GridModel& oddsTable, QWidget* parent)
    : QWidget(parent)
    , grid_(oddsTable) {
    setObjectName(QStringLiteral("OddsSortBar"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        auto* b = new controls::TLbSpeedButton(this);
        b->setObjectName(QString::fromLatin1(kSortButtons[i].name));
        b->SetCaption(QString::fromUtf16(kSortButtons[i].caption));
        b->SetGroupIndex(1);
        b->setFixedWidth(70);
        connect(b, &controls::TLbSpeedButton::OnClick, this, &OddsSortBar::SpeedButton14Click);
        buttons_[i] = b;
        row->addWidget(b);
    }
    buttons_[0]->SetDown(true);
    row->addStretch(1);
}

void OddsSortBar::SpeedButton14Click() {
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        if (!buttons_[i]->Down()) continue;
        SortGridRowsTwoKey(grid_, kSortButtons[i].primary, false, kSortButtons[i].secondary);
        return;
    }
}

} // namespace views
