#include "views/grid.h"

#include "tests/views/viewsfixture.h"

#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

#include <stdexcept>

using testsupport::App;

TEST(Grid, CellsResizeAndRowsMoveWhole) {
    App();
    views::GridModel m;
    m.SetColCount(3);
    m.SetRowCount(3);
    m.SetCells(0, 1, QStringLiteral("a"));
    m.SetCells(2, 1, QStringLiteral("b"));
    m.SetCells(0, 2, QStringLiteral("c"));
    m.SetCells(5, 5, QStringLiteral("ignored"));
    m.SwapRows(1, 2);
    EXPECT_EQ(m.Cells(0, 1), QStringLiteral("c"));
    EXPECT_EQ(m.Cells(2, 2), QStringLiteral("b"));
    m.SetColCount(2); // narrower keeps what fits
    EXPECT_EQ(m.Cells(0, 2), QStringLiteral("a"));
    EXPECT_EQ(m.Cells(2, 2), QString());
    m.SetRowCount(2);
    EXPECT_EQ(m.Cells(0, 2), QString());
}

TEST(Grid, OwnerDrawnCellsPaintTheirDescription) {
    App();
    views::StringGrid grid;
    grid.resize(200, 100);
    grid.Model()->SetColCount(2);
    grid.Model()->SetRowCount(2);
    grid.SetColWidth(0, 40);
    grid.SetColWidth(1, 60);
    grid.Model()->SetDrawCell([](int col, int row, views::CellPaint& p) {
        if (col == 1 && row == 1) p.background = QColor(Qt::red);
    });
    EXPECT_EQ(grid.Model()->PaintOf(1, 1).background, QColor(Qt::red));
    EXPECT_EQ(grid.Model()->PaintOf(0, 0).background, QColor(0xF0, 0xF0, 0xF0));
    grid.show();
    QImage img = grid.grab().toImage();
    EXPECT_EQ(img.pixelColor(40 + 30, 18 + 9), QColor(Qt::red));
    EXPECT_EQ(grid.ColWidth(1), 60);
}

TEST(Grid, APainterThatThrowsLeavesThePlainCell) {
    App();
    views::StringGrid grid;
    grid.Model()->SetColCount(2);
    grid.Model()->SetRowCount(2);
    grid.Model()->SetDrawCell([](int col, int, views::CellPaint& p) {
        p.background = QColor(Qt::red);
        if (col == 1) throw std::runtime_error("bad field");
    });
    EXPECT_EQ(grid.Model()->PaintOf(0, 1).background, QColor(Qt::red));
    EXPECT_FALSE(grid.Model()->PaintOf(1, 1).background.isValid());
    grid.resize(200, 100);
    grid.show();
    EXPECT_FALSE(grid.grab().isNull());
}
