#pragma once
// The race card list StringGrid6 (出馬表(一覧)): one row per runner of the shown race with its
// card data and, once run, its result. Every data cell is painted straight from the runner and
// race records, over whatever text the race selection put in it.

#include "raceday/daymodel.h"
#include "views/grid.h"

#include <functional>

namespace views {

enum CardListCol : int {
    kListBracket = 0,
    kListNumber = 1,
    kListName = 2,
    kListTrainer = 3,
    kListBlinkers = 4,
    kListApprentice = 5,
    kListOrder = 6,
    kListPopularity = 7,
    kListTime = 8,
    kList3F = 9,
    kListCorners = 10,
    kListBodyWeight = 11,
    kListPrize = 12,
    kListAbnormality = 13,
    kListColumns = 14,
};

// `StringGrid6DrawCell`: runner slot h = row - 1 of the shown race `day.gCurRace`. Nothing is
// painted for the heading row or while the race list is empty. `font` is the grid's.
void StringGrid6DrawCell(const raceday::RaceDay& day, bool raceListEmpty, const QFont& font,
                         int col, int row, CellPaint& paint);

// Font (ＭＳ ゴシック, 13 pixels) and whole-row selection; the window's grid set-up gives the
// columns, widths, headings and row heights.
void SetupCardList(StringGrid& grid);

// Installs the painter (reading `day`, which must outlive the grid, at every paint) and
// `StringGrid6MouseUp`: releasing any button leaves no cell selected.
void AttachCardList(StringGrid& grid, const raceday::RaceDay& day,
                    std::function<bool()> raceListEmpty);

} // namespace views
