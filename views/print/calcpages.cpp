#include "views/print/calcpages.h"

namespace views::print {

namespace {

int MmToPixels(int mm, int dpi) {
    return static_cast<int>(mm / 25.4 * dpi);
}

// The starts of the pages along one axis.
std::vector<int> Split(const std::vector<int>& sizes, int fixedCount, bool drawFixed, double ratio,
                       int usable) {
    const int n = static_cast<int>(sizes.size());
    auto scaled = [&](int i) {
        return static_cast<long long>(sizes[static_cast<std::size_t>(i)] * ratio);
    };
    long long fixed = 0;
    int first = 0;
    if (drawFixed) {
        for (int i = 0; i < fixedCount && i < n; ++i) fixed += scaled(i);
        first = fixedCount < n ? fixedCount : n;
    }
    std::vector<int> starts{first};
    int pageFirst = first;
    long long sum = 0;
    for (int i = first; i < n; ++i) {
        const long long size = scaled(i);
        if (i != pageFirst && fixed + sum + size > usable) {
            starts.push_back(i);
            pageFirst = i;
            sum = 0;
        }
        sum += size;
        if (fixed + sum >= usable && i + 1 < n) {
            starts.push_back(i + 1);
            pageFirst = i + 1;
            sum = 0;
        }
    }
    return starts;
}

} // namespace

GridPageSplit CalcPages(const GridPageInput& in) {
    GridPageSplit out;
    if (in.screenDpiX <= 0 || in.screenDpiY <= 0) return out;
    const double ratioX = double(in.printerDpiX) / in.screenDpiX;
    const double ratioY = double(in.printerDpiY) / in.screenDpiY;
    const int usableWidth = in.pageWidth - MmToPixels(in.leftMargin, in.printerDpiX) -
                            MmToPixels(in.rightMargin, in.printerDpiX);
    const int usableHeight = in.pageHeight - MmToPixels(in.topMargin, in.printerDpiY) -
                             MmToPixels(in.bottomMargin, in.printerDpiY);
    out.rowStarts = Split(in.rowHeights, in.fixedRows, in.drawFixedArea, ratioY, usableHeight);
    out.colStarts = Split(in.colWidths, in.fixedCols, in.drawFixedArea, ratioX, usableWidth);
    return out;
}

} // namespace views::print
