#include "search/forms/hitgrid.h"

#include "controls/qtext.h"
#include "keiba/sjis.h"
#include "search/rresults.h"
#include "views/grid.h"
#include "views/indexcard.h"

#include <QHeaderView>
#include <QMouseEvent>

#include <array>

namespace search {
namespace {

constexpr std::array<int, kHitListColumns> kListWidths = {72, 43, 20, 130, 30, 30, 70, 70, 70, 70};
constexpr std::array<const char*, kHitListColumns> kListHeadings = {
    "開催日", "場所R",    "馬",       "馬名",     "着順",
    "掛金",   "単勝払戻", "複勝払戻", "単勝収支", "複勝収支"};

// Columns 9..28 and 36..55 share the run block's headings and widths.
constexpr std::array<const char*, 20> kRunHeadings = {
    "RLev", "人",   "着",     "ｵｯｽﾞ", "R馬",    "予想",   "増減理", "上昇", "潜在", "経験",
    "ｺｰｽ",  "距離", "LV属性", "高LV", "高勝率", "低勝率", "血統",   "騎手", "初高", "5走"};
constexpr std::array<int, 20> kRunWidths = {30, 20, 20, 40, 25, 30, 45, 30, 30, 30,
                                            30, 30, 45, 30, 45, 45, 30, 30, 30, 30};
constexpr std::array<const char*, 5> kRaceHeadings = {"ﾄﾗｯｸ", "距離", "種別", "競走条件", "Grade"};
constexpr std::array<int, 5> kRaceWidths = {30, 30, 30, 60, 35};

const char* DetailHeading(int col) {
    if (col >= 4 && col < 9) return kRaceHeadings[static_cast<std::size_t>(col - 4)];
    if (col >= 9 && col < 29) return kRunHeadings[static_cast<std::size_t>(col - 9)];
    if (col >= 31 && col < 36) return kRaceHeadings[static_cast<std::size_t>(col - 31)];
    if (col >= 36 && col < 56) return kRunHeadings[static_cast<std::size_t>(col - 36)];
    switch (col) {
    case 0: return "開催日";
    case 1: return "場所R";
    case 2: return "馬名";
    case 3: return "頭";
    case 29: return "場所";
    case 30: return "頭";
    case 56: return "単回収";
    case 57: return "複回収";
    default: return "";
    }
}

int DetailWidth(int col) {
    if (col >= 4 && col < 9) return kRaceWidths[static_cast<std::size_t>(col - 4)];
    if (col >= 9 && col < 29) return kRunWidths[static_cast<std::size_t>(col - 9)];
    if (col >= 31 && col < 36) return kRaceWidths[static_cast<std::size_t>(col - 31)];
    if (col >= 36 && col < 56) return kRunWidths[static_cast<std::size_t>(col - 36)];
    switch (col) {
    case 0: return 72;
    case 1: return 43;
    case 2: return 130;
    case 3: return 20;
    case 29: return 30;
    case 30: return 20;
    default: return 40;
    }
}

const QColor kLightRed(255, 200, 200);
const QColor kLightGreen(176, 255, 176);
const QColor kLightCyan(162, 255, 255);

views::CellPaint ListPaint(const RHit& hit, int col) {
    views::CellPaint p;
    p.alignment = (col == 2 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter;
    if (col <= 1) {
        p.background = views::InfoBackground();
    } else if (col == 4) {
        p.background = QColor(Qt::white);
        p.bold = true;
        p.textColor = views::RankColor(static_cast<int>(keiba::DigitValue(hit.ThisRun().Finish())));
    } else if (col <= 3) {
        p.background = QColor(Qt::white);
    } else {
        p.background = kLightRed;
    }
    return p;
}

views::CellPaint DetailPaint(int col) {
    views::CellPaint p;
    p.alignment = (col == 2 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter;
    p.background = col <= 28 ? kLightRed : col <= 55 ? kLightGreen : kLightCyan;
    return p;
}

} // namespace

HitGridModel::HitGridModel(HitLayout layout, QObject* parent)
    : QAbstractTableModel(parent)
    , layout_(layout) {}

void HitGridModel::SetStore(std::shared_ptr<const RHitStore> store) {
    beginResetModel();
    store_ = std::move(store);
    rows_ = 0;
    endResetModel();
}

void HitGridModel::Refresh() {
    if (!store_) return;
    const int published = static_cast<int>(std::min<std::size_t>(store_->Size(), INT32_MAX));
    if (published <= rows_) return;
    beginInsertRows({}, rows_, published - 1);
    rows_ = published;
    endInsertRows();
}

const RHit* HitGridModel::HitAt(int row) const {
    if (!store_ || row < 0 || row >= rows_) return nullptr;
    return &store_->At(static_cast<std::size_t>(row));
}

int HitGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int HitGridModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return layout_ == HitLayout::List ? kHitListColumns : kHitDetailColumns;
}

QVariant HitGridModel::data(const QModelIndex& index, int role) const {
    const RHit* hit = HitAt(index.row());
    if (!hit || !index.isValid()) return {};
    const int col = index.column();
    if (role == Qt::DisplayRole)
        return controls::SjToQ(layout_ == HitLayout::List ? HitListCell(*hit, col)
                                                          : HitDetailCell(*hit, col));
    if (role == views::kCellPaintRole)
        return QVariant::fromValue(layout_ == HitLayout::List ? ListPaint(*hit, col)
                                                              : DetailPaint(col));
    return {};
}

QVariant HitGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (layout_ == HitLayout::List)
        return section >= 0 && section < kHitListColumns
                   ? QString::fromUtf8(kListHeadings[static_cast<std::size_t>(section)])
                   : QVariant();
    return QString::fromUtf8(DetailHeading(section));
}

HitGrid::HitGrid(HitLayout layout, QWidget* parent)
    : QTableView(parent)
    , model_(new HitGridModel(layout, this)) {
    setModel(model_);
    setItemDelegate(new views::GridDelegate(this));
    setFont(views::RunnerGridFont());
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(18);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStyleSheet(QStringLiteral(
        "QHeaderView::section { background-color: silver; border: 0px; "
        "border-right: 1px solid gray; border-bottom: 1px solid gray; padding: 0px; }"));
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab leaves the list for the next control, as it leaves the string grids.
    setTabKeyNavigation(false);
    setMouseTracking(true);
    // A click opens a race; the view keeps its place instead of scrolling to the cell.
    setAutoScroll(false);
    // Rows are all the same height, so the view need not measure hundreds of thousands of them.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int c = 0; c < model_->columnCount(); ++c)
        setColumnWidth(c, layout == HitLayout::List ? kListWidths[static_cast<std::size_t>(c)]
                                                    : DetailWidth(c));
}

void HitGrid::mouseMoveEvent(QMouseEvent* event) {
    QTableView::mouseMoveEvent(event);
    if (model_->Layout() != HitLayout::List) return;
    const bool onRow = indexAt(event->position().toPoint()).isValid();
    viewport()->setCursor(onRow ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void HitGrid::mousePressEvent(QMouseEvent* event) {
    QTableView::mousePressEvent(event);
    const QModelIndex i = indexAt(event->position().toPoint());
    if (i.isValid() && event->button() == Qt::LeftButton && model_->Layout() == HitLayout::List)
        Q_EMIT HitClicked(i.row());
}

} // namespace search
