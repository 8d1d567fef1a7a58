#pragma once
// The page split of a string grid printed at the printer's resolution: which rows start each
// page down and which columns start each page across. Fixed rows and columns repeat on every
// page when the fixed area is drawn.

#include <vector>

namespace views::print {

struct GridPageInput {
    // Margins in millimetres.
    int leftMargin = 10, topMargin = 10, rightMargin = 5, bottomMargin = 10;
    int printerDpiX = 600, printerDpiY = 600;
    int screenDpiX = 96, screenDpiY = 96;
    // The printer's page in printer pixels.
    int pageWidth = 0, pageHeight = 0;
    // The grid in screen pixels.
    std::vector<int> rowHeights;
    std::vector<int> colWidths;
    int fixedRows = 1, fixedCols = 1;
    bool drawFixedArea = true;
};

struct GridPageSplit {
    std::vector<int> rowStarts; // first row of each page down
    std::vector<int> colStarts; // first column of each page across
    int PagesDown() const { return static_cast<int>(rowStarts.size()); }
    int PagesAcross() const { return static_cast<int>(colStarts.size()); }
    int PageTotal() const { return PagesDown() * PagesAcross(); }
};

// A row that does not fit the rest of a page starts the next one, with its height counted
// there; a row taller than a page stands alone; a page that is full after the last row adds
// no empty page.
GridPageSplit CalcPages(const GridPageInput& in);

} // namespace views::print
