#include "betting/table.h"

#include <algorithm>

namespace betting {

namespace {
const std::string kEmpty;
}

PlainTable::PlainTable(int cols, int rows)
    : cols_(std::max(cols, 1))
    , rows_(std::max(rows, 1))
    , cells_(At(0, rows_)) {}

void PlainTable::SetRowCount(int rows) {
    rows_ = std::max(rows, 1);
    cells_.resize(At(0, rows_));
}

const std::string& PlainTable::Cells(int col, int row) const {
    return InRange(col, row) ? cells_[At(col, row)] : kEmpty;
}

void PlainTable::SetCell(int col, int row, std::string_view text) {
    if (InRange(col, row)) cells_[At(col, row)].assign(text);
}

void PlainTable::ClearFrom(int first) {
    for (std::size_t i = At(0, std::clamp(first, 0, rows_)); i < cells_.size(); ++i)
        cells_[i].clear();
}

void PlainTable::SwapRows(int a, int b) {
    if (a == b || !InRange(0, a) || !InRange(0, b)) return;
    std::swap_ranges(cells_.begin() + static_cast<std::ptrdiff_t>(At(0, a)),
                     cells_.begin() + static_cast<std::ptrdiff_t>(At(0, a + 1)),
                     cells_.begin() + static_cast<std::ptrdiff_t>(At(0, b)));
}

void PlainTable::ReorderRows(int first, const std::vector<int>& order) {
    std::vector<std::string> moved;
    moved.reserve(order.size() * static_cast<std::size_t>(cols_));
    for (int from : order)
        for (int c = 0; c < cols_; ++c) moved.push_back(std::move(cells_[At(c, from)]));
    std::move(moved.begin(), moved.end(),
              cells_.begin() + static_cast<std::ptrdiff_t>(At(0, first)));
}

} // namespace betting
