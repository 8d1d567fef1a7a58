#include "betting/table.h"

#include <algorithm>

namespace betting {

const std::string& PlainTable::Empty() {
    static const std::string empty;
    return empty;
}

PlainTable::PlainTable(int cols, int rows)
    : cols_(std::max(cols, 1))
    , rows_(std::max(rows, 1))
    , cells_(At(0, rows_))
    , dirty_(0) {}

void PlainTable::SetRowCount(int rows) {
    rows = std::max(rows, 1);
    if (rows > rows_) {
        for (std::size_t i = At(0, rows_); i < At(0, std::min(rows, dirty_)); ++i)
            cells_[i].clear();
        if (At(0, rows) > cells_.size()) cells_.resize(At(0, rows));
    }
    rows_ = rows;
}

void PlainTable::ClearFrom(int first) {
    first = std::clamp(first, 0, rows_);
    for (std::size_t i = At(0, first); i < At(0, dirty_); ++i) cells_[i].clear();
    dirty_ = std::min(dirty_, first);
}

void PlainTable::SwapRows(int a, int b) {
    if (a == b || !InRange(0, a) || !InRange(0, b)) return;
    std::swap_ranges(cells_.begin() + static_cast<std::ptrdiff_t>(At(0, a)),
                     cells_.begin() + static_cast<std::ptrdiff_t>(At(0, a + 1)),
                     cells_.begin() + static_cast<std::ptrdiff_t>(At(0, b)));
    dirty_ = std::max(dirty_, std::max(a, b) + 1);
}

void PlainTable::ReorderRows(int first, const std::vector<int>& order) {
    std::vector<std::string> moved;
    moved.reserve(order.size() * static_cast<std::size_t>(cols_));
    for (int from : order)
        for (int c = 0; c < cols_; ++c) moved.push_back(std::move(cells_[At(c, from)]));
    std::move(moved.begin(), moved.end(),
              cells_.begin() + static_cast<std::ptrdiff_t>(At(0, first)));
    dirty_ = std::max(dirty_, rows_);
}

} // namespace betting
