#pragma once
// The plain tables the bet logic works on: text cells addressed (column, row), row 0 the
// heading row. The bet grids hold their data in PlainTables that the screens show through a
// virtual model; the mark grid is reached through the CellTable interface, so the screens can
// hand over their own grid and the tests a PlainTable.

#include <string>
#include <string_view>
#include <vector>

namespace betting {

class CellTable {
public:
    virtual ~CellTable() = default;
    virtual int RowCount() const = 0;
    // CP932 text of a cell; empty outside the table.
    virtual std::string Cell(int col, int row) const = 0;
    // Writes outside the table are dropped.
    virtual void SetCell(int col, int row, std::string_view text) = 0;
};

class PlainTable final : public CellTable {
public:
    PlainTable(int cols = 1, int rows = 1);

    int ColCount() const { return cols_; }
    int RowCount() const override { return rows_; }
    // New rows are empty; at least one row always stays.
    void SetRowCount(int rows);

    const std::string& Cells(int col, int row) const {
        return InRange(col, row) ? Column(col)[static_cast<std::size_t>(row)] : Empty();
    }
    std::string Cell(int col, int row) const override { return Cells(col, row); }
    void SetCell(int col, int row, std::string_view text) override {
        if (!InRange(col, row)) return;
        Column(col)[static_cast<std::size_t>(row)].assign(text);
        if (row >= dirty_) dirty_ = row + 1;
    }
    void ClearCell(int col, int row) {
        if (InRange(col, row)) Column(col)[static_cast<std::size_t>(row)].clear();
    }
    // Every cell of rows `first` and below emptied.
    void ClearFrom(int first);
    void SwapRows(int a, int b);
    // Rows first.. rearranged: the row at first + i becomes the old row order[i].
    void ReorderRows(int first, const std::vector<int>& order);

private:
    static const std::string& Empty();
    bool InRange(int col, int row) const {
        return col >= 0 && row >= 0 && col < cols_ && row < rows_;
    }
    std::vector<std::string>& Column(int col) { return columns_[static_cast<std::size_t>(col)]; }
    const std::vector<std::string>& Column(int col) const {
        return columns_[static_cast<std::size_t>(col)];
    }
    int cols_, rows_;
    // A column at a time: each step of a bet build reads and writes a few columns over all the
    // rows of a grid of thousands. The cells stay when rows are dropped, so that a grid rebuilt to
    // its size again makes no strings. Rows from `dirty_` on are all empty; those below it that
    // come back are emptied then.
    std::vector<std::vector<std::string>> columns_;
    int dirty_;
};

} // namespace betting
