// The grid printer's page split: rows and columns scaled to the printer, fixed rows and columns
// repeated on every page, a row that does not fit starting the next page.

#include "views/print/calcpages.h"

#include <gtest/gtest.h>

using views::print::CalcPages;
using views::print::GridPageInput;

namespace {

// Printer and screen at the same resolution and no margins: sizes are pixels of the page.
GridPageInput Plain(std::vector<int> rows, std::vector<int> cols = {10}) {
    GridPageInput in;
    in.leftMargin = in.topMargin = in.rightMargin = in.bottomMargin = 0;
    in.printerDpiX = in.printerDpiY = in.screenDpiX = in.screenDpiY = 96;
    in.pageWidth = 100;
    in.pageHeight = 100;
    in.rowHeights = std::move(rows);
    in.colWidths = std::move(cols);
    in.fixedCols = 0;
    return in;
}

TEST(CalcPages, RowsThatDoNotFitStartTheNextPage) {
    // A heading row of 20 on every page leaves 80: two rows of 30 each.
    auto split = CalcPages(Plain({20, 30, 30, 30, 30, 30, 30, 30}));
    EXPECT_EQ(split.rowStarts, (std::vector<int>{1, 3, 5, 7}));
    EXPECT_EQ(split.PagesDown(), 4);

    // Rows that fill a page exactly: the next row starts the next page; after the last row no
    // empty page follows.
    EXPECT_EQ(CalcPages(Plain({20, 40, 40, 40})).rowStarts, (std::vector<int>{1, 3}));
    EXPECT_EQ(CalcPages(Plain({20, 40, 40})).rowStarts, (std::vector<int>{1}));

    // A row taller than a page stands alone.
    EXPECT_EQ(CalcPages(Plain({20, 30, 150, 30})).rowStarts, (std::vector<int>{1, 2, 3}));
}

TEST(CalcPages, WithoutTheFixedAreaEveryRowIsOrdinary) {
    GridPageInput in = Plain({20, 30, 30, 30, 30});
    in.drawFixedArea = false;
    EXPECT_EQ(CalcPages(in).rowStarts, (std::vector<int>{0, 3}));
    in.colWidths = {60, 60};
    in.fixedCols = 1;
    EXPECT_EQ(CalcPages(in).colStarts, (std::vector<int>{0, 1}));
}

TEST(CalcPages, ScalesScreenPixelsToThePrinterWithItsMargins) {
    GridPageInput in; // 600 dpi printer, 96 ppi screen, margins 10, 10, 5, 10 mm
    in.pageWidth = 4760;
    in.pageHeight = 6816;
    in.rowHeights.assign(121, 18); // 112.5 printer pixels, counted as 112
    in.rowHeights[0] = 24;         // the heading: 150
    in.colWidths = {64, 200, 200, 200, 200, 200, 200, 200, 200};
    in.fixedCols = 1;
    const auto split = CalcPages(in);
    // Usable height 6816 - 236 - 236 = 6344; 6344 - 150 = 6194 holds 55 rows of 112.
    EXPECT_EQ(split.rowStarts, (std::vector<int>{1, 56, 111}));
    // Usable width 4760 - 236 - 118 = 4406; 4406 - 400 = 4006 holds 3 columns of 1250.
    EXPECT_EQ(split.colStarts, (std::vector<int>{1, 4, 7}));
    EXPECT_EQ(split.PageTotal(), 9);
}

TEST(CalcPages, TheLeftMarginNarrowsThePageAndTheTopMarginShortensIt) {
    // At 254 dpi a millimetre is 10 pixels: 90 across and 70 down are left for the grid.
    GridPageInput in = Plain({40, 40, 40, 40}, {40, 40, 40, 40});
    in.printerDpiX = in.printerDpiY = in.screenDpiX = in.screenDpiY = 254;
    in.leftMargin = 1;
    in.topMargin = 3;
    in.fixedRows = 0;
    const auto split = CalcPages(in);
    EXPECT_EQ(split.colStarts, (std::vector<int>{0, 2}));
    EXPECT_EQ(split.rowStarts, (std::vector<int>{0, 1, 2, 3}));
}

} // namespace
