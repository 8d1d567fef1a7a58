#pragma once
// A Qt application for the grid tests and a race of the day model built in place: runner
// records, texts and odds set field by field.

#include "keiba/sjis.h"
#include "raceday/daymodel.h"
#include "tests/support/widgets.h"
#include "views/grid.h"

#include <QApplication>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace testsupport {

// The application tests/views/qtapp.cpp creates before the first test.
inline QApplication& App() {
    return *qApp;
}

// Race slot 0 of a blank day with `runners` runners numbered 1..n in bracket (n+1)/2.
inline raceday::RaceDay& FillRace(raceday::RaceDay& day, int runners) {
    day.gCurRace = 0;
    day.gDayRaceCount = 1;
    day.gDayRaces[0].SetField(882, 2, (runners < 10 ? "0" : "") + std::to_string(runners));
    for (int h = 0; h < runners; ++h) {
        jvdata::TJvSE& se = day.gDayHorses[0][static_cast<std::size_t>(h)];
        std::string n = std::to_string(h + 1);
        se.SetField(28, 1, std::to_string((h + 2) / 2));
        se.SetField(29, 2, n.size() < 2 ? "0" + n : n);
        se.SetField(41, 36, keiba::Sj("ウマ") + n);
    }
    return day;
}

// The top-left pixel of a cell in a grab of the whole grid.
inline QPoint CellOrigin(const views::StringGrid& grid, int col, int row) {
    QRect r = grid.visualRect(grid.Model()->index(row, col));
    return grid.viewport()->mapTo(&grid, r.topLeft());
}

// The columns of a cell's top and bottom pixel rows (its own pixels, without the grid lines)
// that are not its background: text cut by the cell's edge leaves its ink there.
struct EdgeInk {
    int top = 0;
    int bottom = 0;
};
inline EdgeInk InkOnEdges(const QImage& img, const views::StringGrid& grid, int col, int row) {
    const views::CellPaint paint = grid.Model()->PaintOf(col, row);
    const QColor background = paint.background.isValid() ? paint.background : QColor(Qt::white);
    const QRect cell(CellOrigin(grid, col, row),
                     grid.visualRect(grid.Model()->index(row, col)).size() - QSize(1, 1));
    EdgeInk ink;
    for (int x = cell.left(); x <= cell.right(); ++x) {
        ink.top += img.pixelColor(x, cell.top()) != background;
        ink.bottom += img.pixelColor(x, cell.bottom()) != background;
    }
    return ink;
}

// Where a test may leave the pictures of the grids it renders (unset: nowhere).
inline void SaveShot(const QImage& img, const char* name) {
    if (const char* dir = std::getenv("KESTRANE_GRID_SHOTS"))
        img.save(QString::fromUtf8(dir) + QChar(u'/') + QString::fromUtf8(name));
}

// A fresh day for every test, on the heap: the model is large.
class RaceDayTest : public ::testing::Test {
protected:
    raceday::RaceDay& Day() { return *day_; }
    raceday::RaceDay& FreshRace(int runners) { return FillRace(*day_, runners); }
    std::unique_ptr<raceday::RaceDay> day_ = std::make_unique<raceday::RaceDay>();
};

} // namespace testsupport
