#include "views/grid.h"

#include "tests/support/clicks.h"
#include "tests/views/viewsfixture.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

using testsupport::App;
using testsupport::ClickOn;

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

// A painter's fault must reach the caller (and fail the test that meets it) rather than be
// painted over as a blank cell.
TEST(Grid, APainterThatThrowsIsNotHidden) {
    App();
    views::StringGrid grid;
    grid.Model()->SetColCount(2);
    grid.Model()->SetRowCount(2);
    grid.Model()->SetDrawCell([](int col, int, views::CellPaint& p) {
        p.background = QColor(Qt::red);
        if (col == 1) throw std::runtime_error("bad field");
    });
    EXPECT_EQ(grid.Model()->PaintOf(0, 1).background, QColor(Qt::red));
    EXPECT_THROW(grid.Model()->PaintOf(1, 1), std::runtime_error);
}

namespace {

// Each cell painted in a colour of its own, so a pixel of a grab names the cell it shows.
QColor CellColor(int col, int row) {
    return QColor(20 * col, 5 * row, 200);
}

std::pair<int, int> CellOfColor(const QColor& c) {
    if (c.blue() != 200) return {-1, -1};
    return {c.red() / 20, c.green() / 5};
}

} // namespace

// A grid as the detailed race card has it: a heading row of its own height and three fixed
// columns. Scrolled, the heading row and the fixed columns are where they were, each over the
// scrolled cells of its own column or row; the scrolled part moves by whole rows (the first one
// shown starts right under the heading row), and at the far end shows the last row whole.
TEST(Grid, FixedRowsAndColumnsStayInPlaceWhileTheRestScrolls) {
    App();
    views::StringGrid grid;
    views::GridModel& m = *grid.Model();
    m.SetColCount(12);
    m.SetRowCount(40);
    m.SetFixedRows(1);
    m.SetFixedCols(3);
    grid.SetDefaultRowHeight(20);
    grid.SetHeadingRowHeight(12);
    for (int c = 0; c < 12; ++c) grid.SetColWidth(c, 40);
    m.SetDrawCell(
        [](int col, int row, views::CellPaint& p) { p.background = CellColor(col, row); });
    grid.resize(320, 200);
    grid.show();
    QApplication::processEvents();

    const QPoint origin = testsupport::CellOrigin(grid, 0, 0);
    auto cellAt = [&](const QImage& img, QPoint at) { return CellOfColor(img.pixelColor(at)); };
    const QPoint inCorner = origin + QPoint(45, 5);          // column 1 of the heading row
    const QPoint inHeading = origin + QPoint(3 * 41 + 5, 5); // first scrolled column's heading
    const QPoint inFixedCol = origin + QPoint(5, 13 + 5);    // column 0 of the first data row
    const QPoint inBody = origin + QPoint(3 * 41 + 5, 13 + 5);
    QImage img = grid.grab().toImage();
    EXPECT_EQ(cellAt(img, inCorner), std::make_pair(1, 0));
    EXPECT_EQ(cellAt(img, inHeading), std::make_pair(3, 0));
    EXPECT_EQ(cellAt(img, inFixedCol), std::make_pair(0, 1));
    EXPECT_EQ(cellAt(img, inBody), std::make_pair(3, 1));

    grid.verticalScrollBar()->setValue(5);
    grid.horizontalScrollBar()->setValue(2);
    QApplication::processEvents();
    img = grid.grab().toImage();
    testsupport::SaveShot(img, "grid_scrolled.png");
    const auto [bodyCol, bodyRow] = cellAt(img, inBody);
    EXPECT_GT(bodyCol, 3);
    EXPECT_GT(bodyRow, 1);
    EXPECT_EQ(cellAt(img, inCorner), std::make_pair(1, 0));
    EXPECT_EQ(cellAt(img, inHeading), std::make_pair(bodyCol, 0));
    EXPECT_EQ(cellAt(img, inFixedCol), std::make_pair(0, bodyRow));
    EXPECT_EQ(testsupport::CellOrigin(grid, bodyCol, bodyRow).y(), origin.y() + 13);
    EXPECT_EQ(testsupport::CellOrigin(grid, bodyCol, bodyRow).x(), origin.x() + 3 * 41);

    grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum());
    grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
    QApplication::processEvents();
    img = grid.grab().toImage();
    EXPECT_EQ(cellAt(img, inCorner), std::make_pair(1, 0));
    EXPECT_EQ(cellAt(img, inHeading).second, 0);
    EXPECT_EQ(cellAt(img, inHeading).first, cellAt(img, inBody).first);
    EXPECT_EQ(cellAt(img, inFixedCol).second, cellAt(img, inBody).second);
    const QRect last = grid.visualRect(m.index(39, 11));
    EXPECT_TRUE(grid.viewport()->rect().contains(last.adjusted(0, 0, -1, -1))) << last.y();
}

// A press on a heading cell of a scrolled grid reaches the grid as that cell (the bet grids'
// and race cards' heading sorts), and so does one on a fixed column.
TEST(Grid, PressesOnFixedCellsReachTheGridAsTheirCells) {
    App();
    views::StringGrid grid;
    views::GridModel& m = *grid.Model();
    m.SetColCount(8);
    m.SetRowCount(200);
    m.SetFixedRows(1);
    m.SetFixedCols(1);
    grid.SetDefaultRowHeight(15);
    grid.resize(250, 150);
    grid.show();
    grid.verticalScrollBar()->setValue(150);
    grid.horizontalScrollBar()->setValue(2);
    QApplication::processEvents();

    std::vector<std::pair<int, int>> clicks, rightClicks;
    QObject::connect(&grid, &views::StringGrid::CellClicked,
                     [&](int col, int row) { clicks.emplace_back(col, row); });
    QObject::connect(&grid, &views::StringGrid::CellRightClicked,
                     [&](int col, int row) { rightClicks.emplace_back(col, row); });
    const QPoint heading = testsupport::CellOrigin(grid, 4, 0) + QPoint(3, 3);
    ClickOn(grid, heading);
    ClickOn(grid, heading, Qt::RightButton);
    const int shownRow = grid.indexAt(QPoint(1, 1)).row();
    ClickOn(grid, testsupport::CellOrigin(grid, 0, shownRow) + QPoint(3, 3));
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{4, 0}, {0, shownRow}}));
    EXPECT_EQ(rightClicks, (std::vector<std::pair<int, int>>{{4, 0}}));
    EXPECT_GE(shownRow, 150);
}
