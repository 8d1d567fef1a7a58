#include "betting/table.h"

#include <gtest/gtest.h>

namespace {

using betting::PlainTable;

PlainTable Filled(int rows) {
    PlainTable t(3, rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 3; ++c) t.SetCell(c, r, std::to_string(r) + "." + std::to_string(c));
    return t;
}

bool RowEmpty(const PlainTable& t, int row) {
    for (int c = 0; c < t.ColCount(); ++c)
        if (!t.Cells(c, row).empty()) return false;
    return true;
}

// Rows keep their storage when dropped; whatever way text reached a row, it is gone when the row
// comes back.
TEST(PlainTable, RowsThatComeBackAreEmpty) {
    PlainTable t = Filled(5);
    t.SetRowCount(2);
    EXPECT_EQ(t.Cells(0, 3), ""); // outside the table
    t.SetCell(0, 3, "dropped");
    t.SetRowCount(6);
    EXPECT_EQ(t.Cells(2, 1), "1.2");
    for (int r = 2; r < 6; ++r) EXPECT_TRUE(RowEmpty(t, r)) << r;

    t = Filled(4);
    t.ClearFrom(1);
    t.SetRowCount(1);
    t.SetRowCount(4);
    EXPECT_EQ(t.Cells(0, 0), "0.0");
    for (int r = 1; r < 4; ++r) EXPECT_TRUE(RowEmpty(t, r)) << r;

    // A swap and a reorder move text into rows that were empty.
    t = PlainTable(3, 4);
    t.SetCell(1, 1, "a");
    t.SwapRows(1, 3);
    EXPECT_EQ(t.Cells(1, 3), "a");
    t.SetRowCount(2);
    t.SetRowCount(4);
    EXPECT_TRUE(RowEmpty(t, 3));

    t = PlainTable(3, 4);
    t.SetCell(2, 1, "b");
    t.ReorderRows(1, {3, 2, 1});
    EXPECT_EQ(t.Cells(2, 3), "b");
    t.SetRowCount(3);
    t.SetRowCount(4);
    EXPECT_TRUE(RowEmpty(t, 3));
    t.ClearFrom(2);
    EXPECT_TRUE(RowEmpty(t, 2));
}

} // namespace
