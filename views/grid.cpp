#include "views/grid.h"

#include "views/textsetting.h"

#include <QCoreApplication>
#include <QFontInfo>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QWheelEvent>

namespace views {

namespace {

constexpr int kGridLine = 1; // after every column and row
constexpr int kDefaultColWidth = 64;
const QColor kGridLineColor(0xC0, 0xC0, 0xC0);

// The setting of a placed text's font: the cell's font at the text's size (0: the cell's own)
// and weight, made once for each. Kept for the life of the process: fonts must not outlive the
// application object, as they would as static objects.
const TextSetting& SettingFor(const QFont& base, int pointSize, bool bold) {
    struct Held {
        QString family;
        double points;
        int pixels;
        int pointSize;
        bool bold;
        TextSetting* setting;
    };
    static std::vector<Held>& held = *new std::vector<Held>;
    for (const Held& h : held)
        if (h.pointSize == pointSize && h.bold == bold && h.points == base.pointSizeF() &&
            h.pixels == base.pixelSize() && h.family == base.family())
            return *h.setting;
    QFont font = base;
    if (pointSize > 0) font.setPointSize(pointSize);
    held.push_back({base.family(), base.pointSizeF(), base.pixelSize(), pointSize, bold,
                    new TextSetting(font.family(), QFontInfo(font).pixelSize(), bold)});
    return *held.back().setting;
}

} // namespace

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
    Q_EMIT FixedChanged();
    Repaint();
}

void GridModel::SetFixedCols(int n) {
    fixedCols_ = std::clamp(n, 0, cols_);
    Q_EMIT FixedChanged();
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
    CellPaint drawn = p;
    drawCell_(col, row, drawn);
    return drawn;
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
    // The cell's own pixels; its grid lines lie right of and below them.
    const QRect r = option.rect.adjusted(0, 0, -kGridLine, -kGridLine);
    painter->save();
    painter->setClipRect(r);
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
    const QRect text = r.adjusted(p.textInset, p.textTop, -p.textInset, 0);
    if (!p.runs.empty()) {
        const Qt::Alignment vertical = p.alignment & Qt::AlignVertical_Mask;
        int x = text.left();
        for (const TextRun& run : p.runs) {
            painter->setPen(run.color.isValid()
                                ? run.color
                                : (p.textColor.isValid() ? p.textColor : QColor(Qt::black)));
            QRect piece(x, text.top(), text.right() - x, text.height());
            painter->drawText(piece, static_cast<int>(Qt::AlignLeft | vertical), run.text);
            x += painter->fontMetrics().horizontalAdvance(run.text);
        }
    } else {
        painter->setPen(p.textColor.isValid() ? p.textColor : QColor(Qt::black));
        painter->drawText(text, static_cast<int>(p.alignment),
                          index.data(Qt::DisplayRole).toString());
    }
    // Placed texts keep the widths their positions were laid out for (see textsetting.h).
    const QFont* current = nullptr;
    for (const PlacedText& t : p.texts) {
        const TextSetting& setting = SettingFor(option.font, t.pointSize, t.bold);
        painter->setPen(t.color.isValid() ? t.color : QColor(Qt::black));
        const int x = t.fromRight ? r.right() + 1 - t.x : r.left() + t.x;
        setting.Draw(*painter, current, QPointF(x, r.top() + t.y + setting.Ascent()), t.text);
    }
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
    painter->setClipping(false);
    const QRect all = option.rect;
    painter->setPen(kGridLineColor);
    painter->drawLine(all.bottomLeft(), all.bottomRight());
    painter->drawLine(all.topRight(), all.bottomRight());
    painter->restore();
}

// The pane of the fixed rows (horizontal: one section a column, the fixed rows stacked in it)
// or of the fixed columns (vertical: one section a row, the fixed columns side by side). The
// table view keeps its place beside the scrolled cells and its offset with theirs.
class FixedHeader : public QHeaderView {
public:
    FixedHeader(Qt::Orientation orientation, StringGrid* grid)
        : QHeaderView(orientation, grid)
        , grid_(grid) {
        setMinimumSectionSize(0);
        setSectionsClickable(false);
        setHighlightSections(false);
        setFocusPolicy(Qt::NoFocus);
        viewport()->setMouseTracking(true);
    }

    QSize sizeHint() const override {
        return orientation() == Qt::Horizontal ? QSize(0, grid_->FixedHeight())
                                               : QSize(grid_->FixedWidth(), 0);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(viewport());
        const QRect area = event->rect();
        p.fillRect(area, grid_->palette().color(QPalette::Base));
        const QAbstractItemModel* m = grid_->model();
        if (m == nullptr || count() == 0) return;
        const bool across = orientation() == Qt::Horizontal;
        const int first = visualIndexAt(across ? area.left() : area.top());
        if (first < 0) return;
        int last = visualIndexAt(across ? area.right() : area.bottom());
        if (last < 0) last = count() - 1;
        for (int v = first; v <= last; ++v) {
            const int section = logicalIndex(v);
            if (section < 0 || isSectionHidden(section)) continue;
            const int at = sectionViewportPosition(section);
            const int size = sectionSize(section);
            if (across) {
                int y = 0;
                for (int row = 0; row < grid_->FixedRows(); ++row) {
                    const int h = grid_->RowHeight(row) + kGridLine;
                    grid_->PaintCell(p, QRect(at, y, size, h), m->index(row, section));
                    y += h;
                }
            } else {
                int x = 0;
                for (int col = 0; col < grid_->FixedCols(); ++col) {
                    const int w = grid_->ColWidth(col);
                    if (w < 0) continue;
                    grid_->PaintCell(p, QRect(x, at, w + kGridLine, size), m->index(section, col));
                    x += w + kGridLine;
                }
            }
        }
    }
    void mousePressEvent(QMouseEvent* e) override { grid_->ForwardMouse(viewport(), e); }
    void mouseReleaseEvent(QMouseEvent* e) override { grid_->ForwardMouse(viewport(), e); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { grid_->ForwardMouse(viewport(), e); }
    void mouseMoveEvent(QMouseEvent* e) override { grid_->ForwardMouse(viewport(), e); }
    void wheelEvent(QWheelEvent* e) override { QCoreApplication::sendEvent(grid_->viewport(), e); }

private:
    StringGrid* grid_;
};

// The fixed cells where the fixed rows and columns cross: they never move.
class FixedCorner : public QWidget {
public:
    explicit FixedCorner(StringGrid* grid)
        : QWidget(grid)
        , grid_(grid) {
        setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter p(this);
        p.fillRect(event->rect(), grid_->palette().color(QPalette::Base));
        const QAbstractItemModel* m = grid_->model();
        if (m == nullptr) return;
        int y = 0;
        for (int row = 0; row < grid_->FixedRows(); ++row) {
            const int h = grid_->RowHeight(row) + kGridLine;
            int x = 0;
            for (int col = 0; col < grid_->FixedCols(); ++col) {
                const int w = grid_->ColWidth(col);
                if (w < 0) continue;
                grid_->PaintCell(p, QRect(x, y, w + kGridLine, h), m->index(row, col));
                x += w + kGridLine;
            }
            y += h;
        }
    }
    void mousePressEvent(QMouseEvent* e) override { grid_->ForwardMouse(this, e); }
    void mouseReleaseEvent(QMouseEvent* e) override { grid_->ForwardMouse(this, e); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { grid_->ForwardMouse(this, e); }
    void mouseMoveEvent(QMouseEvent* e) override { grid_->ForwardMouse(this, e); }

private:
    StringGrid* grid_;
};

StringGrid::StringGrid(QWidget* parent)
    : QTableView(parent)
    , model_(new GridModel(this))
    , top_(new FixedHeader(Qt::Horizontal, this))
    , left_(new FixedHeader(Qt::Vertical, this))
    , corner_(new FixedCorner(this)) {
    setHorizontalHeader(top_);
    setVerticalHeader(left_);
    top_->setDefaultSectionSize(kDefaultColWidth + kGridLine);
    setModel(model_);
    setItemDelegate(new GridDelegate(this));
    setShowGrid(false);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Tab and Shift+Tab go on to the next and previous control, as from any other field; the
    // arrow keys move between the cells.
    setTabKeyNavigation(false);
    SetDefaultRowHeight(rowHeight_);
    connect(model_, &GridModel::FixedChanged, this, [this] {
        ApplyFixed();
        RepaintFixed();
    });
}

int StringGrid::FixedRows() const {
    return model() ? std::clamp(model_->FixedRows(), 0, model()->rowCount(rootIndex())) : 0;
}

int StringGrid::FixedCols() const {
    return model() ? std::clamp(model_->FixedCols(), 0, model()->columnCount(rootIndex())) : 0;
}

void StringGrid::setModel(QAbstractItemModel* m) {
    for (const QMetaObject::Connection& c : modelLinks_) disconnect(c);
    modelLinks_.clear();
    QTableView::setModel(m);
    hiddenRows_ = 0;
    if (m != nullptr) {
        auto reshape = [this] {
            ApplyFixed();
            RepaintFixed();
        };
        modelLinks_ = {
            connect(m, &QAbstractItemModel::modelReset, this, reshape),
            connect(m, &QAbstractItemModel::layoutChanged, this, reshape),
            connect(m, &QAbstractItemModel::rowsInserted, this, reshape),
            connect(m, &QAbstractItemModel::rowsRemoved, this, reshape),
            connect(m, &QAbstractItemModel::columnsInserted, this, reshape),
            connect(m, &QAbstractItemModel::columnsRemoved, this, reshape),
            connect(m, &QAbstractItemModel::dataChanged, this, [this] { RepaintFixed(); }),
        };
    }
    ApplyFixed();
}

void StringGrid::ApplyFixed() {
    const QAbstractItemModel* m = model();
    if (m == nullptr) return;
    const int fixedRows = FixedRows();
    const int fixedCols = FixedCols();
    for (int col = 0; col < m->columnCount(rootIndex()); ++col) {
        const int w = ColWidth(col);
        const bool hidden = col < fixedCols || w < 0;
        if (isColumnHidden(col) != hidden) setColumnHidden(col, hidden);
        if (!hidden && columnWidth(col) != w + kGridLine) setColumnWidth(col, w + kGridLine);
    }
    const int rows = std::min(m->rowCount(rootIndex()), std::max(fixedRows, hiddenRows_));
    for (int row = 0; row < rows; ++row)
        if (isRowHidden(row) != (row < fixedRows)) setRowHidden(row, row < fixedRows);
    hiddenRows_ = fixedRows;
    ApplyHeadingRowHeight();
    top_->setVisible(fixedRows > 0);
    left_->setVisible(fixedCols > 0);
    updateGeometries();
}

void StringGrid::RepaintFixed() {
    top_->viewport()->update();
    left_->viewport()->update();
    corner_->update();
}

int StringGrid::FixedHeight() const {
    int h = 0;
    for (int row = 0; row < FixedRows(); ++row) h += RowHeight(row) + kGridLine;
    return h;
}

int StringGrid::FixedWidth() const {
    int w = 0;
    for (int col = 0; col < FixedCols(); ++col)
        if (ColWidth(col) >= 0) w += ColWidth(col) + kGridLine;
    return w;
}

int StringGrid::FixedRowAt(int y) const {
    if (y < 0) return -1;
    for (int row = 0; row < FixedRows(); ++row) {
        y -= RowHeight(row) + kGridLine;
        if (y < 0) return row;
    }
    return -1;
}

int StringGrid::FixedColAt(int x) const {
    if (x < 0) return -1;
    for (int col = 0; col < FixedCols(); ++col) {
        if (ColWidth(col) < 0) continue;
        x -= ColWidth(col) + kGridLine;
        if (x < 0) return col;
    }
    return -1;
}

QModelIndex StringGrid::indexAt(const QPoint& point) const {
    if (model() == nullptr) return {};
    const int row = point.y() < 0 ? FixedRowAt(point.y() + FixedHeight()) : rowAt(point.y());
    const int col = point.x() < 0 ? FixedColAt(point.x() + FixedWidth()) : columnAt(point.x());
    if (row < 0 || col < 0) return {};
    return model()->index(row, col, rootIndex());
}

QRect StringGrid::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != model()) return {};
    const int row = index.row();
    const int col = index.column();
    const bool fixedRow = row < FixedRows();
    const bool fixedCol = col < FixedCols();
    if (!fixedRow && !fixedCol) return QTableView::visualRect(index);
    QRect r;
    if (fixedCol) {
        if (ColWidth(col) < 0) return {};
        int x = -FixedWidth();
        for (int c = 0; c < col; ++c)
            if (ColWidth(c) >= 0) x += ColWidth(c) + kGridLine;
        r.setLeft(x);
        r.setWidth(ColWidth(col) + kGridLine);
    } else {
        if (isColumnHidden(col)) return {};
        r.setLeft(columnViewportPosition(col));
        r.setWidth(columnWidth(col));
    }
    if (fixedRow) {
        int y = -FixedHeight();
        for (int rr = 0; rr < row; ++rr) y += RowHeight(rr) + kGridLine;
        r.setTop(y);
        r.setHeight(RowHeight(row) + kGridLine);
    } else {
        if (isRowHidden(row)) return {};
        r.setTop(rowViewportPosition(row));
        r.setHeight(rowHeight(row));
    }
    return r;
}

void StringGrid::PaintCell(QPainter& painter, const QRect& rect, const QModelIndex& index) const {
    QAbstractItemDelegate* delegate = itemDelegateForIndex(index);
    if (delegate == nullptr || !index.isValid()) return;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = rect;
    option.index = index;
    option.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
    painter.save();
    delegate->paint(&painter, option, index);
    painter.restore();
}

void StringGrid::ForwardMouse(QWidget* from, QMouseEvent* event) {
    event->accept();
    // A drag from a fixed cell selects nothing further and scrolls nothing.
    if (event->type() == QEvent::MouseMove && event->buttons() != Qt::NoButton) return;
    const QPointF at = viewport()->mapFromGlobal(from->mapToGlobal(event->position().toPoint()));
    QMouseEvent copy(event->type(), at, event->globalPosition(), event->button(), event->buttons(),
                     event->modifiers());
    // A handler of the press may close the form the grid is on.
    const QPointer<QWidget> pane(from);
    QCoreApplication::sendEvent(viewport(), &copy);
    if (pane) pane->setCursor(viewport()->cursor());
}

void StringGrid::updateGeometries() {
    QTableView::updateGeometries();
    const bool both = !top_->isHidden() && !left_->isHidden();
    if (both) {
        const QRect vg = viewport()->geometry();
        corner_->setGeometry(vg.left() - FixedWidth(), vg.top() - FixedHeight(), FixedWidth(),
                             FixedHeight());
        corner_->raise();
    }
    corner_->setVisible(both);
}

void StringGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange)
        RepaintFixed();
}

void StringGrid::SetColWidth(int col, int px) {
    if (col < 0) return;
    if (static_cast<std::size_t>(col) >= colWidths_.size())
        colWidths_.resize(static_cast<std::size_t>(col) + 1, kDefaultColWidth);
    colWidths_[static_cast<std::size_t>(col)] = std::max(px, -1);
    ApplyFixed();
    RepaintFixed();
}

int StringGrid::ColWidth(int col) const {
    if (col < 0) return -1;
    return static_cast<std::size_t>(col) < colWidths_.size()
               ? colWidths_[static_cast<std::size_t>(col)]
               : kDefaultColWidth;
}

int StringGrid::FullWidth() const {
    int w = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
    const int cols = model() ? model()->columnCount(rootIndex()) : 0;
    for (int col = 0; col < cols; ++col)
        if (ColWidth(col) >= 0) w += ColWidth(col) + kGridLine;
    return w;
}

void StringGrid::SetDefaultRowHeight(int px) {
    rowHeight_ = std::max(px, 0);
    left_->setMinimumSectionSize(0);
    left_->setDefaultSectionSize(rowHeight_ + kGridLine);
    ApplyHeadingRowHeight();
    updateGeometries();
    RepaintFixed();
}

void StringGrid::SetHeadingRowHeight(int px) {
    headingRowHeight_ = std::max(px, 0);
    ApplyHeadingRowHeight();
    updateGeometries();
    RepaintFixed();
}

int StringGrid::RowHeight(int row) const {
    return row == 0 && headingRowHeight_ >= 0 ? headingRowHeight_ : rowHeight_;
}

void StringGrid::ApplyHeadingRowHeight() {
    // Row 0 in the scrolled part (no fixed row) takes its height there.
    if (headingRowHeight_ >= 0 && model() && model()->rowCount(rootIndex()) > 0 && !isRowHidden(0))
        setRowHeight(0, headingRowHeight_ + kGridLine);
}

void StringGrid::ClearSelection() {
    selectionModel()->clearSelection();
    selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

namespace {

class SelectionClearer : public QObject {
public:
    explicit SelectionClearer(StringGrid& grid)
        : QObject(&grid)
        , grid_(grid)
        , viewport_(grid.viewport()) {
        viewport_->installEventFilter(this);
    }

protected:
    // Compares with the viewport kept at start: the grid may be half destroyed when its
    // viewport's last events arrive.
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == viewport_ && event->type() == QEvent::MouseButtonRelease)
            grid_.ClearSelection();
        return false;
    }

private:
    StringGrid& grid_;
    QObject* viewport_;
};

} // namespace

void StringGrid::ClearSelectionOnRelease() {
    new SelectionClearer(*this);
}

int StringGrid::Col() const {
    return currentIndex().isValid() ? currentIndex().column() : 0;
}
int StringGrid::Row() const {
    return currentIndex().isValid() ? currentIndex().row() : 0;
}
void StringGrid::SetRow(int row) {
    setCurrentIndex(model()->index(row, Col()));
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
