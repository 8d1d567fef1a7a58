#include "views/gridsort.h"

#include "controls/qtext.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalBlocker>

#include <algorithm>
#include <string>
#include <vector>

namespace views {

namespace {

constexpr int kCardSortColumns[] = {1, 9, 10, 12, 14, 30, 31};
constexpr int kIndexSortColumns[] = {1, 7, 9, 11, 13, 20, 23, 26, 27, 28};

// The sort column's CP932 bytes, taken once per sort and exchanged with their rows, so that a
// comparison never converts.
class RowSorter {
public:
    RowSorter(GridModel& grid, int L, int R, int col)
        : grid_(grid)
        , first_(L) {
        keys_.reserve(static_cast<std::size_t>(R - L + 1));
        for (int row = L; row <= R; ++row) keys_.push_back(controls::QToSj(grid.Cells(col, row)));
    }

    // The Hoare partition as the grids have always sorted: pivot taken once from the middle
    // row, both scans strict, rows exchanged whole.
    void Sort(int L, int R, bool descending) {
        const std::string pivot = Key((L + R) / 2);
        int i = L, j = R;
        do {
            if (descending) {
                while (Key(i) > pivot) ++i;
                while (pivot > Key(j)) --j;
            } else {
                while (Key(i) < pivot) ++i;
                while (pivot < Key(j)) --j;
            }
            if (i <= j) {
                Swap(i, j);
                ++i;
                --j;
            }
        } while (i <= j);
        if (L < j) Sort(L, j, descending);
        if (i < R) Sort(i, R, descending);
    }

private:
    // std::string compares its bytes as unsigned char: the ordinal byte order.
    const std::string& Key(int row) const { return keys_[static_cast<std::size_t>(row - first_)]; }
    void Swap(int a, int b) {
        if (a == b) return;
        grid_.SwapRows(a, b);
        std::swap(keys_[static_cast<std::size_t>(a - first_)],
                  keys_[static_cast<std::size_t>(b - first_)]);
    }

    GridModel& grid_;
    int first_;
    std::vector<std::string> keys_;
};

void SortRowsQuietly(GridModel& grid, int L, int R, int col, bool descending) {
    RowSorter(grid, L, R, col).Sort(L, R, descending);
}

bool Contains(std::span<const int> cols, int col) {
    return std::find(cols.begin(), cols.end(), col) != cols.end();
}

bool HeadingPress(int col, int row, std::span<const int> sortable,
                  std::array<std::uint8_t, 32>& dirs, int& stored) {
    if (row != 0 || !Contains(sortable, col)) return false;
    std::uint8_t& dir = dirs[static_cast<std::size_t>(col)];
    dir = dir == 0 ? 1 : 0;
    stored = col;
    return true;
}

void SortByStored(GridModel& grid, int col, const std::array<std::uint8_t, 32>& dirs) {
    if (col < 0 || col >= static_cast<int>(dirs.size()) || col >= grid.ColCount()) return;
    SortGridRowsTwoKey(grid, col, dirs[static_cast<std::size_t>(col)] != 0,
                       SecondaryColumnFor(col));
}

} // namespace

void QuickSortGridRows(GridModel& grid, int L, int R, int col, bool descending) {
    L = std::max(L, 0);
    R = std::min(R, grid.RowCount() - 1);
    if (L >= R || col < 0 || col >= grid.ColCount()) return;
    {
        const QSignalBlocker quiet(grid);
        SortRowsQuietly(grid, L, R, col, descending);
    }
    grid.Repaint();
}

void SortGridRowsTwoKey(GridModel& grid, int primaryCol, bool descending, int secondaryCol) {
    const int rows = grid.RowCount();
    if (rows < 3 || primaryCol < 0 || primaryCol >= grid.ColCount()) return;
    {
        const QSignalBlocker quiet(grid);
        SortRowsQuietly(grid, 1, rows - 1, primaryCol, descending);
        if (secondaryCol >= 0 && secondaryCol < grid.ColCount()) {
            int start = 1;
            for (int row = 2; row <= rows; ++row) {
                if (row < rows && grid.Cells(primaryCol, row) == grid.Cells(primaryCol, start))
                    continue;
                if (row - start >= 2) SortRowsQuietly(grid, start, row - 1, secondaryCol, false);
                start = row;
            }
        }
    }
    grid.Repaint();
}

int SecondaryColumnFor(int primaryCol) {
    return primaryCol == 1 ? 2 : 1;
}

void SetAllCardSortDirs(GridSortState& sorts, std::uint8_t dir) {
    sorts.gCardSortDir.fill(dir);
}

std::span<const int> CardSortColumns() {
    return kCardSortColumns;
}
std::span<const int> IndexSortColumns() {
    return kIndexSortColumns;
}

void SortDeHyoBtnClick(const GridSortState& sorts, GridModel& card) {
    SortByStored(card, sorts.gSortCol, sorts.gCardSortDir);
}

void SortDeHyoBtn2Click(const GridSortState& sorts, GridModel& index) {
    SortByStored(index, sorts.gIndexSortCol, sorts.gIndexSortDir);
}

bool StringGrid10MouseDown(GridSortState& sorts, GridModel& card, int col, int row) {
    if (!HeadingPress(col, row, kCardSortColumns, sorts.gCardSortDir, sorts.gSortCol)) return false;
    SortDeHyoBtnClick(sorts, card);
    return true;
}

bool StringGrid9MouseDown(GridSortState& sorts, GridModel& index, int col, int row) {
    if (!HeadingPress(col, row, kIndexSortColumns, sorts.gIndexSortDir, sorts.gIndexSortCol))
        return false;
    SortDeHyoBtn2Click(sorts, index);
    return true;
}

HeadingSort::HeadingSort(StringGrid& grid, std::span<const int> sortable, PressFn press)
    : QObject(&grid)
    , grid_(grid)
    , sortable_(sortable)
    , press_(std::move(press))
    , viewport_(grid.viewport()) {
    grid.viewport()->setMouseTracking(true);
    grid.viewport()->installEventFilter(this);
}

bool HeadingSort::IsSortableHeading(int col, int row) const {
    return row == 0 && Contains(sortable_, col);
}

bool HeadingSort::eventFilter(QObject* watched, QEvent* event) {
    // The viewport kept at start: the grid may be half destroyed when its viewport's last
    // events arrive.
    if (watched != viewport_) return false;
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseMove)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    QModelIndex i = grid_.indexAt(mouse->position().toPoint());
    const bool heading = i.isValid() && IsSortableHeading(i.column(), i.row());
    if (event->type() == QEvent::MouseMove) {
        if (heading)
            grid_.viewport()->setCursor(Qt::PointingHandCursor);
        else
            grid_.viewport()->unsetCursor();
    } else if (heading) {
        press_(*grid_.Model(), i.column(), i.row());
    }
    return false;
}

HeadingSort* AttachCardHeadingSort(StringGrid& card, GridSortState& sorts) {
    return new HeadingSort(card, CardSortColumns(), [&sorts](GridModel& m, int col, int row) {
        return StringGrid10MouseDown(sorts, m, col, row);
    });
}

HeadingSort* AttachIndexHeadingSort(StringGrid& index, GridSortState& sorts) {
    return new HeadingSort(index, IndexSortColumns(), [&sorts](GridModel& m, int col, int row) {
        return StringGrid9MouseDown(sorts, m, col, row);
    });
}

QString GridClipboardText(const GridModel& grid, int left, int top, int right, int bottom,
                          const QString& title) {
    if (left > right || bottom < top || right < 0 || bottom < 0 || left >= grid.ColCount() ||
        top >= grid.RowCount())
        return {};
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, grid.ColCount() - 1);
    bottom = std::min(bottom, grid.RowCount() - 1);
    const QString crlf = QStringLiteral("\r\n");
    QString text = title + crlf;
    for (int row = top; row <= bottom; ++row) {
        for (int col = left; col < right; ++col) text += grid.Cells(col, row) + QChar(u'\t');
        text += grid.Cells(right, row) + crlf;
    }
    return text;
}

void CopyGridToClipboard(const GridModel& grid, int left, int top, int right, int bottom,
                         const QString& title) {
    QGuiApplication::clipboard()->setText(GridClipboardText(grid, left, top, right, bottom, title));
}

void CopyWholeGrid(const GridModel& grid, const QString& title) {
    CopyGridToClipboard(grid, 0, 0, grid.ColCount() - 1, grid.RowCount() - 1, title);
}

GridCopyMenu::GridCopyMenu(TitleFn title, QObject* parent)
    : QObject(parent)
    , title_(std::move(title))
    , menu_(new QMenu)
    , copy_(menu_->addAction(QStringLiteral("クリップボードへコピー"))) {
    copy_->setVisible(false);
    connect(copy_, &QAction::triggered, this, &GridCopyMenu::Clip1Click);
}

GridCopyMenu::~GridCopyMenu() {
    delete menu_;
}

void GridCopyMenu::Attach(StringGrid& grid) {
    grid.setContextMenuPolicy(Qt::CustomContextMenu);
    QPointer<StringGrid> g(&grid);
    connect(&grid, &QWidget::customContextMenuRequested, this, [this, g](const QPoint& pos) {
        if (g) OpenOn(*g, g->viewport()->mapToGlobal(pos));
    });
}

void GridCopyMenu::OpenOn(StringGrid& grid, const QPoint& globalPos) {
    popupGrid_ = &grid;
    if (copy_->isVisible()) menu_->popup(globalPos);
}

void GridCopyMenu::Clip1Click() {
    if (!popupGrid_) return;
    CopyWholeGrid(*popupGrid_->Model(), title_ ? title_() : QString());
}

} // namespace views
