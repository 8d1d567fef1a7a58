#pragma once
// Column set-up shared by the runner grids: column count, fixed columns, row heights, widths
// (-1 hides a column) and the row-0 headings.

#include "views/grid.h"

#include <span>

namespace views {

struct GridLayout {
    int columns = 0;
    int fixedCols = 0;
    int headingHeight = 0;
    int rowHeight = 0;
    std::span<const int> widths;
    std::span<const char16_t* const> headings;
};

void ApplyGridLayout(StringGrid& grid, const GridLayout& layout);

} // namespace views
