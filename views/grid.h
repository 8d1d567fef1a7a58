#pragma once
// The owner-drawn string grid of the screens: a table of texts addressed (column, row) with
// fixed heading rows and columns, column widths in pixels, and a paint description per cell
// that the owner computes (its DrawCell) and a thin delegate paints. Tests read the paint
// description through the model instead of pixels.
//
// Sizes are the cells' own, as the layouts give them: a one-pixel grid line follows every
// column and row, so a 15-pixel row keeps 15 pixels for its text. The fixed rows and columns
// stay in view while the rest scrolls.

#include <QAbstractTableModel>
#include <QColor>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>
#include <vector>

namespace views {

// A piece of text in its own colour within one cell (marks drawn after the text, "R+" in red).
struct TextRun {
    QString text;
    QColor color; // invalid: the cell's text colour
};

// A text placed at its own position in the cell, in its own size (the detailed race card's
// blocks of lines). Positions count from the cell's top-left, or from its right edge.
struct PlacedText {
    int x = 0;
    int y = 0;
    bool fromRight = false; // x counts back from the cell's right edge
    QString text;
    QColor color;      // invalid: black
    int pointSize = 0; // 0: the grid's font size
    bool bold = false;
};

// A filled rectangle with a one-pixel outline, drawn last (the target-slot bars). left, top and
// right count from the cell's top-left, the bottom edge from the cell's bottom; the right and
// bottom edges are exclusive, as a canvas rectangle's are.
struct CellBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottomInset = 0;
    QColor fill;
    QColor outline;
};

// The grid's own drawing of a cell: the text at the top left, two pixels in from the left and
// top edges.
struct CellPaint {
    QColor background; // invalid: the grid's own (fixed cells grey, others white)
    QColor textColor;  // invalid: black
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    int textInset = 2; // pixels kept free left and right of the cell text
    int textTop = 2;   // pixels between the cell's top edge and the text's
    bool bold = false;
    std::vector<TextRun> runs; // when set, drawn instead of the cell text, left to right
    double bar = 0.0;          // 0..1: a bar of that share of the width under the text
    QColor barColor;
    QColor leftEdge; // valid: a 3-pixel edge of this colour at the cell's left
    std::vector<PlacedText> texts;
    std::vector<CellBox> boxes;
};

// Role under which the model hands out the CellPaint of a cell.
inline constexpr int kCellPaintRole = Qt::UserRole + 1;

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using DrawCellFn = std::function<void(int col, int row, CellPaint& paint)>;

    explicit GridModel(QObject* parent = nullptr);

    int ColCount() const { return cols_; }
    int RowCount() const { return rows_; }
    void SetColCount(int cols);
    void SetRowCount(int rows);
    int FixedRows() const { return fixedRows_; }
    int FixedCols() const { return fixedCols_; }
    // Clamped to the current counts.
    void SetFixedRows(int n);
    void SetFixedCols(int n);

    QString Cells(int col, int row) const;
    void SetCells(int col, int row, const QString& text);
    // Every cell of a row, or of the whole grid, emptied.
    void ClearRow(int row);
    void ClearAll();
    // Whole rows exchanged (the row sort moves rows together).
    void SwapRows(int a, int b);

    // The owner's DrawCell: fills the paint description of a cell. A DrawCell that throws
    // leaves the cell in its plain paint; nothing escapes into the paint event.
    void SetDrawCell(DrawCellFn fn) { drawCell_ = std::move(fn); }
    CellPaint PaintOf(int col, int row) const;
    // Repaint after the owner's data changed.
    void Repaint();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

Q_SIGNALS:
    void FixedChanged();

private:
    bool InRange(int col, int row) const {
        return col >= 0 && row >= 0 && col < cols_ && row < rows_;
    }
    int cols_ = 5, rows_ = 5, fixedRows_ = 1, fixedCols_ = 1;
    std::vector<QString> cells_; // row-major
    DrawCellFn drawCell_;
};

class GridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

class FixedHeader;
class FixedCorner;

// The view. The fixed rows are drawn in a pane above the scrolled cells and the fixed columns in
// one to their left (both take the grid's delegate); the scrolled part never shows them, so
// scrolling moves only the other rows and columns, a whole row or column at a time. A press
// on a fixed cell reaches the viewport like any other, at a position above or left of it, so
// `indexAt`, `visualRect` and every filter on the viewport see every cell alike.
class StringGrid : public QTableView {
    Q_OBJECT
public:
    explicit StringGrid(QWidget* parent = nullptr);
    GridModel* Model() const { return model_; }

    // The counts of the grid's own model (`Model()`), held to the shown model's counts.
    int FixedRows() const;
    int FixedCols() const;

    // Width of a column's cells, without its grid line; -1 hides the column.
    void SetColWidth(int col, int px);
    int ColWidth(int col) const;
    // Every row's height but row 0's when that has its own.
    void SetDefaultRowHeight(int px);
    // Height of row 0 when it differs from the others; kept across row-count changes.
    void SetHeadingRowHeight(int px);
    int RowHeight(int row) const;
    // Width of the visible columns with their grid lines, frame and vertical scroll bar
    // included: the width that shows every column.
    int FullWidth() const;

    // No cell selected (the grid's selection set to -1 on all four sides).
    void ClearSelection();
    // From now on, releasing a mouse button over the cells leaves no row painted highlighted.
    void ClearSelectionOnRelease();
    // The selected cell: its column and row.
    int Col() const;
    int Row() const;
    void SetRow(int row);

    // One cell through the delegate, into a rectangle of the painter's device (the panes of the
    // fixed cells). Fixed cells never show as selected.
    void PaintCell(QPainter& painter, const QRect& rect, const QModelIndex& index) const;

    void setModel(QAbstractItemModel* model) override;
    QModelIndex indexAt(const QPoint& point) const override;
    QRect visualRect(const QModelIndex& index) const override;

Q_SIGNALS:
    void CellClicked(int col, int row);
    void CellRightClicked(int col, int row);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void updateGeometries() override;
    void changeEvent(QEvent* event) override;

private:
    friend class FixedHeader;
    friend class FixedCorner;
    // The panes' sizes: fixed rows' heights and fixed columns' widths with their grid lines.
    int FixedHeight() const;
    int FixedWidth() const;
    // Fixed row or column under a coordinate measured from the pane's top or left, or -1.
    int FixedRowAt(int y) const;
    int FixedColAt(int x) const;
    // The scrolled part hides the fixed rows and columns and the columns hidden by width.
    void ApplyFixed();
    void RepaintFixed();
    void ApplyHeadingRowHeight();
    // Sends a mouse event on a pane to the viewport, at the same place in viewport coordinates.
    void ForwardMouse(QWidget* from, QMouseEvent* event);

    GridModel* model_;
    FixedHeader* top_;
    FixedHeader* left_;
    FixedCorner* corner_;
    std::vector<int> colWidths_; // as set; columns never set are 64 wide
    int rowHeight_ = 18;
    int headingRowHeight_ = -1;
    int hiddenRows_ = 0; // rows 0..hiddenRows_-1 are hidden in the scrolled part
    std::vector<QMetaObject::Connection> modelLinks_;
};

} // namespace views

Q_DECLARE_METATYPE(views::CellPaint)
