#include "views/grid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>

namespace views {

GridModel::GridModel(QObject* parent)
    : QAbstractTableModel(parent) {
    cells_.resize(static_cast<std::size_t>(cols_ * rows_));
}

void GridModel::SetColCount(int cols) {
    cols = std::max(cols, 1);
    if (cols == cols_) return;
    beginResetModel();
    std::vector<QString> next(static_cast<std::size_t>(cols * rows_));
    for (int r = 0; r < rows_; ++r)
        for (int c = 0; c < std::min(cols, cols_); ++c)
            next[static_cast<std::size_t>(r * cols + c)] =
                cells_[static_cast<std::size_t>(r * cols_ + c)];
    cells_ = std::move(next);
    cols_ = cols;
    endResetModel();
}

void GridModel::SetRowCount(int rows) {
    rows = std::max(rows, 1);
    if (rows == rows_) return;
    beginResetModel();
    cells_.resize(static_cast<std::size_t>(cols_ * rows));
    rows_ = rows;
    endResetModel();
}

void GridModel::SetFixedRows(int n) {
    fixedRows_ = std::clamp(n, 0, rows_);
    Repaint();
}

void GridModel::SetFixedCols(int n) {
    fixedCols_ = std::clamp(n, 0, cols_);
    Repaint();
}

QString GridModel::Cells(int col, int row) const {
    if (!InRange(col, row)) return {};
    return cells_[static_cast<std::size_t>(row * cols_ + col)];
}

void GridModel::SetCells(int col, int row, const QString& text) {
    if (!InRange(col, row)) return;
    QString& cell = cells_[static_cast<std::size_t>(row * cols_ + col)];
    if (cell == text) return;
    cell = text;
    QModelIndex i = index(row, col);
    Q_EMIT dataChanged(i, i);
}

void GridModel::ClearRow(int row) {
    if (row < 0 || row >= rows_) return;
    for (int c = 0; c < cols_; ++c) cells_[static_cast<std::size_t>(row * cols_ + c)].clear();
    Q_EMIT dataChanged(index(row, 0), index(row, cols_ - 1));
}

void GridModel::ClearAll() {
    for (QString& s : cells_) s.clear();
    Repaint();
}

void GridModel::SwapRows(int a, int b) {
    if (a == b || a < 0 || b < 0 || a >= rows_ || b >= rows_) return;
    for (int c = 0; c < cols_; ++c)
        std::swap(cells_[static_cast<std::size_t>(a * cols_ + c)],
                  cells_[static_cast<std::size_t>(b * cols_ + c)]);
    Q_EMIT dataChanged(index(std::min(a, b), 0), index(std::max(a, b), cols_ - 1));
}

CellPaint GridModel::PaintOf(int col, int row) const {
    CellPaint p;
    if (row < fixedRows_ || col < fixedCols_) p.background = QColor(0xF0, 0xF0, 0xF0);
    if (!drawCell_ || !InRange(col, row)) return p;
    try {
        CellPaint drawn = p;
        drawCell_(col, row, drawn);
        return drawn;
    } catch (...) {
        return p;
    }
}

void GridModel::Repaint() {
    if (rows_ > 0 && cols_ > 0) Q_EMIT dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}
int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return Cells(index.column(), index.row());
    if (role == kCellPaintRole) return QVariant::fromValue(PaintOf(index.column(), index.row()));
    return {};
}

void GridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    CellPaint p = index.data(kCellPaintRole).value<CellPaint>();
    QRect r = option.rect;
    painter->save();
    painter->fillRect(r, p.background.isValid() ? p.background : QColor(Qt::white));
    if (option.state & QStyle::State_Selected) painter->fillRect(r, QColor(0x33, 0x99, 0xFF, 60));
    if (p.bar > 0.0) {
        QRect bar = r.adjusted(1, r.height() / 2, 0, -1);
        bar.setWidth(static_cast<int>(std::min(p.bar, 1.0) * (r.width() - 2)));
        painter->fillRect(bar, p.barColor.isValid() ? p.barColor : QColor(Qt::green));
    }
    QFont f = option.font;
    f.setBold(p.bold);
    painter->setFont(f);
    QRect text = r.adjusted(p.textInset, 0, -p.textInset, 0);
    if (!p.runs.empty()) {
        int x = text.left();
        for (const TextRun& run : p.runs) {
            painter->setPen(run.color.isValid()
                                ? run.color
                                : (p.textColor.isValid() ? p.textColor : QColor(Qt::black)));
            QRect piece(x, text.top(), text.right() - x, text.height());
            painter->drawText(piece, Qt::AlignLeft | Qt::AlignVCenter, run.text);
            x += painter->fontMetrics().horizontalAdvance(run.text);
        }
    } else {
        painter->setPen(p.textColor.isValid() ? p.textColor : QColor(Qt::black));
        painter->drawText(text, static_cast<int>(p.alignment),
                          index.data(Qt::DisplayRole).toString());
    }
    for (const PlacedText& t : p.texts) {
        QFont tf = option.font;
        if (t.pointSize > 0) tf.setPointSize(t.pointSize);
        tf.setBold(t.bold);
        painter->setFont(tf);
        painter->setPen(t.color.isValid() ? t.color : QColor(Qt::black));
        int x = t.fromRight ? r.right() + 1 - t.x : r.left() + t.x;
        QRect box(x, r.top() + t.y, std::max(r.right() + 1 - x, 0), r.bottom() + 1 - r.top() - t.y);
        painter->drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, t.text);
    }
    painter->setClipRect(r);
    for (const CellBox& b : p.boxes) {
        // A canvas rectangle covers left..right-1 and top..bottom-1, outline included.
        QRect box(QPoint(r.left() + b.left, r.top() + b.top),
                  QPoint(r.left() + b.right - 1, r.bottom() + 1 - b.bottomInset - 1));
        if (box.width() < 1 || box.height() < 1) continue;
        painter->setPen(b.outline.isValid() ? b.outline : QColor(Qt::black));
        painter->setBrush(b.fill.isValid() ? b.fill : QColor(Qt::white));
        painter->drawRect(box.adjusted(0, 0, -1, -1));
    }
    painter->setBrush(Qt::NoBrush);
    if (p.leftEdge.isValid())
        painter->fillRect(QRect(r.left(), r.top(), 3, r.height()), p.leftEdge);
    painter->setPen(QColor(0xC0, 0xC0, 0xC0));
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->restore();
}

StringGrid::StringGrid(QWidget* parent)
    : QTableView(parent)
    , model_(new GridModel(this)) {
    setModel(model_);
    setItemDelegate(new GridDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setShowGrid(false);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    SetDefaultRowHeight(18);
    horizontalHeader()->setMinimumSectionSize(0);
}

void StringGrid::SetColWidth(int col, int px) {
    setColumnWidth(col, std::max(px, 0));
}
int StringGrid::ColWidth(int col) const {
    return columnWidth(col);
}

void StringGrid::SetDefaultRowHeight(int px) {
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(px);
}

void StringGrid::SetHeadingRowHeight(int px) {
    if (headingRowHeight_ < 0)
        connect(model_, &QAbstractItemModel::modelReset, this, &StringGrid::ApplyHeadingRowHeight);
    headingRowHeight_ = px;
    ApplyHeadingRowHeight();
}

void StringGrid::ApplyHeadingRowHeight() {
    if (headingRowHeight_ >= 0 && model_->RowCount() > 0) setRowHeight(0, headingRowHeight_);
}

void StringGrid::ClearSelection() {
    selectionModel()->clearSelection();
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

int StringGrid::Col() const {
    return currentIndex().isValid() ? currentIndex().column() : 0;
}
int StringGrid::Row() const {
    return currentIndex().isValid() ? currentIndex().row() : 0;
}
void StringGrid::SetRow(int row) {
    setCurrentIndex(model_->index(row, Col()));
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
    QModelIndex i = indexAt(event->position().toPoint());
    QTableView::mousePressEvent(event);
    if (!i.isValid()) return;
    if (event->button() == Qt::RightButton)
        Q_EMIT CellRightClicked(i.column(), i.row());
    else
        Q_EMIT CellClicked(i.column(), i.row());
}

} // namespace views
