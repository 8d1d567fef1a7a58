// The window's grids: creation by name and the set-up of those the window sets up itself.

#include "app/forms/mainform.h"

#include "app/forms/raceheaderview.h"

#include "controls/fonts.h"
#include "search/rankstats.h"
#include "views/abnormaltable.h"
#include "views/cardlist.h"
#include "views/detailcard.h"
#include "views/grid.h"
#include "views/gridsort.h"
#include "views/indexcard.h"
#include "views/oddstable.h"

#include <QCursor>
#include <QFontMetrics>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>

namespace app {

namespace {

struct GridSpec {
    const char* name;
    int cols;
    int fixedCols;
    int row0Height;
    int rowHeight;
    std::vector<int> widths;
    std::vector<const char*> headings;
};

// The grids of the window whose set-up is the window's own, in the order of their set-up. A width
// of -1 hides the column. The race cards, the analysis tables and the bet grids are set up by
// the parts that draw them (views/, betting/forms/).
const std::vector<GridSpec>& GridSpecs() {
    static const std::vector<GridSpec> specs = {
        {"StringGrid6",
         14,
         0,
         18,
         27,
         {20, 20, 180, 60, 35, 40, 50, 90, 50, 60, 70, 40, 90, 60},
         {"枠", "馬", "馬名/騎手/斤量/性齢", "調教師", "ﾌﾞﾘﾝｶ", "見習", "着順", "人気/確ｵｯｽﾞ",
          "走破ﾀｲﾑ", "3Fﾀｲﾑ", "ｺｰﾅｰ順位", "馬体重", "本賞金/付加賞金", "異常区分"}},
        {"StringGrid26",
         21,
         0,
         15,
         15,
         {20, 20, 130, 35, 60, 35, 50, 20, 50, 20, 50, 20, 50, 20, 50, 20, 50, 20, 20, 20, 40},
         {"枠",      "馬",      "馬名",    "性齢",    "騎手", "斤量",    "朝単ｵｽﾞ",
          "順",      "朝複ｵｽﾞ", "順",      "中単ｵｽﾞ", "順",   "中複ｵｽﾞ", "順",
          "直単ｵｽﾞ", "順",      "直複ｵｽﾞ", "順",      "着",   "人",      "確ｵｯｽﾞ"}},
        {"StringGrid27",
         8,
         1,
         15,
         15,
         {10, 60, 40, 70, 2, 60, 40, 70},
         {"", "馬連", "結果", "配当", "", "馬単", "結果", "配当"}},
        {"StringGrid22",
         39,
         0,
         15,
         15,
         {70, 60, 30, 60, 60, 60, 60, 60, 30, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60,
          60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60},
         {}},
        {"StringGrid7",
         7,
         0,
         15,
         15,
         {60, 30, 20, 130, 60, 20, 20},
         {"レース", "頭数", "ゲ", "馬名", "異常値", "人", "着"}},
    };
    return specs;
}

} // namespace

views::StringGrid* TMainForm::NewGrid(const char* name, QWidget* parent) {
    auto* g = new views::StringGrid(parent);
    g->setObjectName(QString::fromLatin1(name));
    grids_[g->objectName()] = g;
    return g;
}

void TMainForm::SetUpGrids() {
    for (const GridSpec& spec : GridSpecs()) {
        views::StringGrid* g = Grid(QString::fromLatin1(spec.name));
        if (!g) continue;
        views::GridModel* m = g->Model();
        m->SetColCount(spec.cols);
        m->SetRowCount(2);
        m->SetFixedRows(1);
        m->SetFixedCols(spec.fixedCols);
        g->SetDefaultRowHeight(spec.rowHeight);
        g->SetHeadingRowHeight(spec.row0Height);
        for (std::size_t c = 0; c < spec.widths.size(); ++c)
            g->SetColWidth(static_cast<int>(c), spec.widths[c]);
        for (std::size_t c = 0; c < spec.headings.size(); ++c)
            m->SetCells(static_cast<int>(c), 0, QString::fromUtf8(spec.headings[c]));
    }

    // Set-up before attaching: the painters and sorts read the columns the set-up made.
    views::StringGrid* card = Grid(QStringLiteral("StringGrid10"));
    views::SetupIndexRaceCard(*card);
    views::AttachIndexRaceCard(*card, Day());
    views::AttachCardHeadingSort(*card, sorts_);
    views::StringGrid* abnormal = Grid(QStringLiteral("StringGrid8"));
    views::SetupAbnormalTable(*abnormal);
    views::AttachAbnormalTable(*abnormal, Day());
    views::StringGrid* index = Grid(QStringLiteral("StringGrid9"));
    views::SetupIndexTable(*index);
    views::AttachIndexTablePainter(*index, Day());
    views::AttachIndexHeadingSort(*index, sorts_);
    views::StringGrid* detail = Grid(QStringLiteral("StringGrid2"));
    views::SetupDetailedRaceCard(*detail);
    views::AttachDetailedRaceCard(*detail, Day(), [this] { return DatList->count() == 0; });

    views::StringGrid* odds = Grid(QStringLiteral("StringGrid26"));
    views::SetupOddsTable(*odds);
    views::AttachOddsTable(*odds, Day());
    views::AttachReferenceBets(*Grid(QStringLiteral("StringGrid27")));

    // The reference bets: a heading and five rows, which nothing resizes. It and the statistics
    // table have rows of 15 pixels, which the window's own font overfills: they take the 9-point
    // form font of the layouts.
    Grid(QStringLiteral("StringGrid27"))->Model()->SetRowCount(6);
    for (const char* name : {"StringGrid27", "StringGrid22"})
        Grid(QString::fromLatin1(name))->setFont(controls::PGothicFont(9));

    // The statistics tab's summary: 19 columns of 50 pixels, 30 rows; the labels' column as wide
    // as its longest label in the grid's font, so that none is cut.
    views::StringGrid* summary = Grid(QStringLiteral("StringGrid4"));
    summary->Model()->SetColCount(search::kStatsSummaryColumns);
    summary->Model()->SetRowCount(search::kStatsSummaryRows);
    for (int c = 0; c < search::kStatsSummaryColumns; ++c) summary->SetColWidth(c, 50);
    const QFontMetrics metrics(summary->font());
    int labels = 50;
    for (const auto& row : search::ComputeRankStats({}))
        labels = std::max(labels, metrics.horizontalAdvance(QString::fromStdString(row[0])) +
                                      2 * views::CellPaint{}.textInset + 2);
    summary->SetColWidth(0, labels);

    copyMenu_ = new views::GridCopyMenu([this] { return header_->Title(); }, this);
    for (const char* name : {"StringGrid10", "StringGrid8", "StringGrid26", "StringGrid9"})
        copyMenu_->Attach(*Grid(QString::fromLatin1(name)));

    // The race card list's press chooses the runner of the tracked-horse pop-up.
    views::StringGrid* list = Grid(QStringLiteral("StringGrid6"));
    views::SetupCardList(*list);
    views::AttachCardList(*list, Day(), [this] { return DatList->count() == 0; });
    connect(list, &views::StringGrid::CellClicked, this, &TMainForm::StringGrid6MouseDown);
    connect(list, &views::StringGrid::CellRightClicked, this, [this](int col, int row) {
        StringGrid6MouseDown(col, row);
        if (row >= 1)
            if (auto* popup = findChild<QMenu*>(QStringLiteral("PopupMenu1")))
                popup->popup(QCursor::pos());
    });
}

} // namespace app
