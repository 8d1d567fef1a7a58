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
    , columns_(static_cast<std::size_t>(cols_),
               std::vector<std::string>(static_cast<std::size_t>(rows_)))
    , dirty_(0) {}

void PlainTable::SetRowCount(int rows) {
    rows = std::max(rows, 1);
    if (rows > rows_) {
        const auto kept = static_cast<std::size_t>(rows_);
        const auto stale = static_cast<std::size_t>(std::min(rows, dirty_));
        for (auto& column : columns_) {
            for (std::size_t r = kept; r < stale; ++r) column[r].clear();
            if (static_cast<std::size_t>(rows) > column.size())
                column.resize(static_cast<std::size_t>(rows));
        }
    }
    rows_ = rows;
}

void PlainTable::ClearFrom(int first) {
    first = std::clamp(first, 0, rows_);
    for (auto& column : columns_)
        for (auto r = static_cast<std::size_t>(first); r < static_cast<std::size_t>(dirty_); ++r)
            column[r].clear();
    dirty_ = std::min(dirty_, first);
}

void PlainTable::SwapRows(int a, int b) {
    if (a == b || !InRange(0, a) || !InRange(0, b)) return;
    for (auto& column : columns_)
        column[static_cast<std::size_t>(a)].swap(column[static_cast<std::size_t>(b)]);
    dirty_ = std::max(dirty_, std::max(a, b) + 1);
}

void PlainTable::ReorderRows(int first, const std::vector<int>& order) {
    std::vector<std::string> moved(order.size());
    for (auto& column : columns_) {
        for (std::size_t i = 0; i < order.size(); ++i)
            moved[i] = std::move(column[static_cast<std::size_t>(order[i])]);
        std::move(moved.begin(), moved.end(), column.begin() + static_cast<std::ptrdiff_t>(first));
    }
    dirty_ = std::max(dirty_, rows_);
}

} // namespace betting
