#include "views/gridlayout.h"

#include <QString>

namespace views {

void ApplyGridLayout(StringGrid& grid, const GridLayout& layout) {
    GridModel& m = *grid.Model();
    m.SetColCount(layout.columns);
    m.SetFixedRows(1);
    m.SetFixedCols(layout.fixedCols);
    grid.SetDefaultRowHeight(layout.rowHeight);
    if (layout.headingHeight != layout.rowHeight) grid.SetHeadingRowHeight(layout.headingHeight);
    for (int col = 0; col < layout.columns; ++col) {
        const auto i = static_cast<std::size_t>(col);
        if (i < layout.widths.size()) grid.SetColWidth(col, layout.widths[i]);
        if (i < layout.headings.size()) m.SetCells(col, 0, QString::fromUtf16(layout.headings[i]));
    }
}

} // namespace views
