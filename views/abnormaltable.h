#pragma once
// The painters of the abnormal-value table StringGrid8 (異常数値表) and the index table
// StringGrid9 (指数). The index race card's fill writes their card, odds and result columns;
// their set-up and the index table's heading sort are in indexcard.h and gridsort.h.

#include "raceday/daymodel.h"
#include "views/grid.h"

namespace views {

// `StringGrid8DrawCell`. Columns 6 to 8 of a runner whose win popularity is 1 to 5 carry a blue
// bar at their left edge; the table is never sorted, so row r stands for runner slot r - 1.
void StringGrid8DrawCell(const raceday::RaceDay& day, const GridModel& grid, int col, int row,
                         CellPaint& paint);
// `StringGrid9DrawCell`. The tracked-horse colour of column 1 follows the horse number the row
// shows, so it stays with its runner through a heading sort.
void StringGrid9DrawCell(const raceday::RaceDay& day, const GridModel& grid, int col, int row,
                         CellPaint& paint);

// The painters, reading `day` (which must outlive the grids) at every paint; the abnormal-value
// table also gets its pointing hand over the headings of column 1 and of columns 9 and above
// (a press on it does nothing).
void AttachAbnormalTable(StringGrid& grid, const raceday::RaceDay& day);
void AttachIndexTablePainter(StringGrid& grid, const raceday::RaceDay& day);

} // namespace views
