#pragma once
// The one row sort of the main window's grids, the two-key sort over it, heading-click sorting
// of the race card and the index table, and the copy of a grid to the clipboard.
//
// Cells compare by their CP932 bytes, never by QString order: numbers sort numerically only
// because every filler writes them at a fixed width, and a full-width blank (81 40) sorts after
// every digit.

#include "views/grid.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <span>

class QAction;
class QMenu;

namespace views {

// Sorts rows L..R of the grid in place by the text of column `col`; whole rows move. A Hoare
// partition with the middle row's text as pivot: not stable.
void QuickSortGridRows(GridModel& grid, int L, int R, int col, bool descending);

// Rows 1..RowCount-1 by the primary column and direction, then each run of rows with equal
// primary text by the secondary column, ascending.
void SortGridRowsTwoKey(GridModel& grid, int primaryCol, bool descending, int secondaryCol);

// The secondary key of a heading sort: the name when the primary key is the horse number,
// else the horse number.
int SecondaryColumnFor(int primaryCol);

// Direction bytes (0 ascending, 1 descending) and stored columns of the heading sorts. The main
// window holds one and shares gSortCol with the bet grids.
struct GridSortState {
    std::array<std::uint8_t, 32> gCardSortDir{};
    std::array<std::uint8_t, 32> gIndexSortDir{};
    int gSortCol = 0;
    int gIndexSortCol = 0;
};

// The race selection sets every race-card direction to 0 when it begins and to 1 when it ends.
void SetAllCardSortDirs(GridSortState& sorts, std::uint8_t dir);

// Sortable heading columns of the race card (StringGrid10) and the index table (StringGrid9).
std::span<const int> CardSortColumns();
std::span<const int> IndexSortColumns();

// The sort commands: a two-key sort by the stored column and its direction byte.
void SortDeHyoBtnClick(const GridSortState& sorts, GridModel& card);
void SortDeHyoBtn2Click(const GridSortState& sorts, GridModel& index);

// A press on a heading cell: flips the column's direction byte, stores the column and sorts.
// Presses elsewhere, or on a column that does not sort, change nothing; returns whether it
// sorted.
bool StringGrid10MouseDown(GridSortState& sorts, GridModel& card, int col, int row);
bool StringGrid9MouseDown(GridSortState& sorts, GridModel& index, int col, int row);

// Heading-click sorting attached to a grid: a press with any button on a sortable heading
// sorts, and the pointer is the pointing hand over those headings only.
class HeadingSort : public QObject {
    Q_OBJECT
public:
    using PressFn = std::function<bool(GridModel&, int col, int row)>;
    HeadingSort(StringGrid& grid, std::span<const int> sortable, PressFn press);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsSortableHeading(int col, int row) const;
    StringGrid& grid_;
    std::span<const int> sortable_;
    PressFn press_;
    QObject* viewport_;
};
// The two grids' heading sorts (owned by the grid).
HeadingSort* AttachCardHeadingSort(StringGrid& card, GridSortState& sorts);
HeadingSort* AttachIndexHeadingSort(StringGrid& index, GridSortState& sorts);

// The text CopyGridToClipboard puts on the clipboard: the title and CR LF, then each row of
// the range with cells joined by TAB and ended by CR LF. An empty or inverted range, or one
// wholly outside the grid, gives the empty text.
QString GridClipboardText(const GridModel& grid, int left, int top, int right, int bottom,
                          const QString& title);
void CopyGridToClipboard(const GridModel& grid, int left, int top, int right, int bottom,
                         const QString& title);
// Every cell, heading row included: what every copy command copies.
void CopyWholeGrid(const GridModel& grid, const QString& title);

// The popup menu shared by several grids, with its item "クリップボードへコピー". The item
// copies the grid the menu was opened on. Created hidden, as the window has it; the owner
// shows the item when it wants the copy offered.
class GridCopyMenu : public QObject {
    Q_OBJECT
public:
    using TitleFn = std::function<QString()>;
    explicit GridCopyMenu(TitleFn title, QObject* parent = nullptr);
    ~GridCopyMenu() override;

    // The grid's context menu becomes this one.
    void Attach(StringGrid& grid);
    // The grid the menu was last opened on, which its items act on; the menu shows only when
    // its item is visible.
    void OpenOn(StringGrid& grid, const QPoint& globalPos = {});
    StringGrid* PopupGrid() const { return popupGrid_; }
    QAction* CopyAction() const { return copy_; }
    QMenu* Menu() const { return menu_; }

    // `Clip1Click`: copies the grid the menu was opened on, whole.
    void Clip1Click();

private:
    TitleFn title_;
    QMenu* menu_;
    QAction* copy_;
    QPointer<StringGrid> popupGrid_;
};

} // namespace views
