#include "views/gridsort.h"
#include "views/indexcard.h"

#include "tests/support/modelchecks.h"
#include "tests/views/sampleday.h"
#include "tests/views/viewsfixture.h"

#include <QPalette>
#include <gtest/gtest.h>

using testsupport::App;
using testsupport::Q;
using testsupport::SampleDay;

namespace {

class IndexCard : public testsupport::RaceDayTest {
protected:
    void SetUp() override {
        App();
        for (views::StringGrid* g : {&card, &abnormal, &marks, &index}) checks.Watch(g->Model());
        views::SetupIndexRaceCard(card);
        views::SetupAbnormalTable(abnormal);
        views::SetupMarkGrid(marks);
        views::SetupIndexTable(index);
        views::AttachIndexRaceCard(card, Day());
    }
    // As the race selection sizes the grids, then the fill.
    void Show(int runners) {
        for (views::StringGrid* g : {&card, &abnormal, &marks, &index}) {
            g->Model()->SetRowCount(runners + 1);
            for (int r = 1; r <= runners; ++r) g->Model()->ClearRow(r);
        }
        views::FillIndexRaceCard(
            Day(), {card.Model(), abnormal.Model(), marks.Model(), index.Model()}, runners);
    }
    int RowOf(int horse) const {
        for (int r = 1; r < card.Model()->RowCount(); ++r)
            if (card.Model()->Cells(1, r).trimmed().toInt() == horse) return r;
        return -1;
    }
    views::StringGrid card, abnormal, marks, index;
    views::GridSortState sorts;
    testsupport::ModelChecks checks;
};

} // namespace

TEST_F(IndexCard, FillWritesFixedWidthNumbersAndTheOtherGridsFirstColumns) {
    raceday::RaceDay& day = FreshRace(3);
    jvdata::TJvSE& se = day.gDayHorses[0][0];
    se.SetField(28, 1, "3");
    se.SetField(29, 2, "05");
    se.SetField(289, 3, "560");
    se.SetField(79, 1, "2");
    se.SetField(83, 2, "04");
    se.SetField(335, 2, "01");
    se.SetField(360, 4, "0035");
    day.gRaceCalc[0].WinOdds = {3.5, -1.0, 0.0};
    day.gRaceCalc[0].WinPop = {1, 0, 0};
    day.gRaceCalc[0].PlaceOddsMin = {1.25, -2.0, 0.0};
    day.gRaceTexts[0].PastRLevel[0] = {keiba::Sj("高★"), "", ""};
    day.gRaceTexts[0].PastRUma[0] = {"R+", "", ""};
    day.gRaceTexts[0].YosoMark[0] = keiba::Sj("◎");
    day.gDayHorses[0][1].SetField(289, 3, "   "); // no weight carried yet
    day.gDayHorses[0][2].Clear();                 // lost to damage: nothing known
    Show(3);

    const views::GridModel& m = *card.Model();
    struct Cell {
        int col;
        const char* text;
    };
    for (Cell c : {Cell{0, " 3"},
                   {1, " 5"},
                   {3, "牝 4"},
                   {6, "56.0"},
                   {8, "◎"},
                   {11, "  3.5"},
                   {12, " 1"},
                   {13, "  1.3"},
                   {15, " 高★ R+"},
                   {16, "  "},
                   {30, " 1"}})
        EXPECT_EQ(m.Cells(c.col, 1), Q(c.text)) << "column " << c.col;
    EXPECT_EQ(m.PaintOf(30, 1).textColor, QColor(0xFF0000)); // finishing first
    EXPECT_EQ(m.Cells(11, 2), QStringLiteral("     "));      // no sale
    EXPECT_EQ(m.Cells(13, 2), QStringLiteral("     "));      // blank
    EXPECT_EQ(m.Cells(12, 2), Q("　"));
    EXPECT_EQ(m.Cells(6, 2), QStringLiteral("    ")); // no weight: no lone point
    EXPECT_EQ(m.Cells(0, 3), QStringLiteral("  "));
    EXPECT_EQ(m.Cells(1, 3), QStringLiteral("  "));

    // The other grids' first columns.
    EXPECT_EQ(abnormal.Model()->Cells(26, 1), QStringLiteral("  3.5"));
    EXPECT_EQ(marks.Model()->Cells(5, 1), Q("◎"));
    EXPECT_EQ(marks.Model()->Cells(8, 1), QString()); // left as the selection cleared it
    EXPECT_EQ(index.Model()->Cells(30, 1), QStringLiteral("  3.5"));
}

TEST_F(IndexCard, PaintRulesByColumn) {
    raceday::RaceDay& day = FreshRace(4);
    day.gRaceTexts[0].RUmaMark = {"R+", "R-"};
    day.gRaceCalc[0].WinPop = {1, 2, 4, 0};
    Show(4);
    const views::GridModel& m = *card.Model();
    // The tooltip yellow stays pale under a desktop theme whose tooltips are dark.
    const QPalette desktop = QApplication::palette();
    QPalette dark = desktop;
    dark.setColor(QPalette::ToolTipBase, QColor(0x20, 0x20, 0x20));
    QApplication::setPalette(dark);
    EXPECT_EQ(m.PaintOf(5, 0).background, QColor(0xC0C0C0));
    EXPECT_EQ(m.PaintOf(0, 3).background, QColor(0x808080)); // runner 3 in bracket 2
    EXPECT_EQ(m.PaintOf(1, 1).background, QColor(0xFFFFE1));
    EXPECT_EQ(m.PaintOf(9, 1).textColor, QColor(0xFF0000)); // R+
    EXPECT_EQ(m.PaintOf(9, 2).textColor, QColor(Qt::black));
    const QColor rank[] = {{}, QColor(0xFF0000), QColor(0x0000FF), QColor(Qt::black)};
    for (int row : {1, 2, 3}) EXPECT_EQ(m.PaintOf(12, row).textColor, rank[row]) << row;

    // Bad cells paint plain: a bracket that is no number keeps the grid's own background, a
    // number that is no number draws no marks.
    day.gRaceCalc[0].NeraiMatch[0] = {1, 1, 1, 1};
    card.Model()->SetCells(0, 1, Q("ｘ"));
    card.Model()->SetCells(1, 1, Q("？"));
    EXPECT_FALSE(m.PaintOf(0, 1).background.isValid());
    EXPECT_EQ(m.PaintOf(1, 1).background, QColor(0xFFFFE1));
    EXPECT_TRUE(m.PaintOf(2, 1).boxes.empty());
    card.Model()->SetCells(1, 1, QStringLiteral("19"));
    EXPECT_TRUE(m.PaintOf(2, 1).boxes.empty());
    QApplication::setPalette(desktop);
}

TEST_F(IndexCard, TargetMarksFollowTheirRunnerThroughASort) {
    raceday::RaceDay& day = FreshRace(5);
    day.gRaceCalc[0].WinPop = {5, 4, 3, 2, 1};
    day.gRaceCalc[0].NeraiMatch[1] = {1, 0, 1, 0}; // runner 2: slots 1 and 3
    Show(5);
    views::SetAllCardSortDirs(sorts, 1);
    ASSERT_TRUE(views::StringGrid10MouseDown(sorts, *card.Model(), 12, 0));
    const int row = RowOf(2);
    ASSERT_EQ(row, 4); // popularity 4 of five

    const views::GridModel& m = *card.Model();
    EXPECT_EQ(m.PaintOf(1, row).background, QColor(0xFF0000));
    EXPECT_EQ(m.PaintOf(1, 2).background, QColor(0xFFFFE1)); // runner 2's old row
    const auto boxes = m.PaintOf(2, row).boxes;
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].fill, QColor(0x0000FF));
    EXPECT_EQ(boxes[1].fill, QColor(0x00FF00));
    EXPECT_TRUE(m.PaintOf(2, 2).boxes.empty());
}

// Horse 18, the last runner a mark is drawn for, matching only the last of the four slots:
// its number cell turns red and its name carries the fourth bar alone, in fuchsia.
TEST_F(IndexCard, TheLastRunnerMatchingTheLastSlotShowsTheFourthBar) {
    raceday::RaceDay& day = FreshRace(18);
    day.gRaceCalc[0].NeraiMatch[17] = {0, 0, 0, 1};
    Show(18);
    const views::GridModel& m = *card.Model();
    ASSERT_EQ(m.Cells(1, 18), QStringLiteral("18"));
    EXPECT_EQ(m.PaintOf(1, 18).background, QColor(0xFF0000));
    const auto boxes = m.PaintOf(2, 18).boxes;
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].fill, QColor(0xFF00FF));
    EXPECT_EQ(boxes[0].left, 130 + 6 * 3);
    EXPECT_EQ(boxes[0].right, 135 + 6 * 3);
    EXPECT_EQ(m.PaintOf(1, 17).background, QColor(0xFFFFE1));
}

TEST_F(IndexCard, OffscreenPixelsShowBracketTargetCellAndBar) {
    raceday::RaceDay& day = FreshRace(6);
    day.gRaceCalc[0].NeraiMatch[2] = {1, 0, 1, 0}; // runner 3
    day.gRaceCalc[0].WinOdds = {2.1, 5.5, 12.0, 33.3, 7.7, 4.4};
    day.gRaceCalc[0].WinPop = {1, 3, 5, 6, 4, 2};
    Show(6);
    card.resize(900, 140);
    card.show();
    QImage img = card.grab().toImage();
    testsupport::SaveShot(img, "index_card.png");
    auto at = [&](int col, int row, int dx, int dy) {
        return img.pixelColor(testsupport::CellOrigin(card, col, row) + QPoint(dx, dy));
    };
    EXPECT_EQ(at(0, 3, 2, 13), QColor(0x808080)); // runner 3, bracket 2
    EXPECT_EQ(at(1, 3, 2, 13), QColor(0xFF0000)); // runner 3's number: a target match
    EXPECT_EQ(at(1, 2, 2, 13), QColor(0xFFFFE1));
    EXPECT_EQ(at(2, 3, 132, 7), QColor(0x0000FF));  // slot 1 bar, inside
    EXPECT_EQ(at(2, 3, 130, 7), QColor(Qt::black)); // its outline
    EXPECT_EQ(at(2, 3, 144, 7), QColor(0x00FF00));  // slot 3
    EXPECT_EQ(at(2, 3, 138, 7), QColor(0xFFFFFF));  // slot 2 not matched
}

// Every race of the sample day: each cell paints, the brackets follow the official rule in
// their colours, and 東京1R shows what the day's files hold: runner 1 サンフビミジパ at odds
// 8.1 (5th) and 2.1 (5th), mark ×, finished 12th; runner 2 パゴスウ, the favourite, an R+ horse.
TEST_F(SampleDay, TheIndexCardOverEveryRace) {
    views::StringGrid card;
    views::SetupIndexRaceCard(card);
    views::AttachIndexRaceCard(card, Day());
    views::GridModel& c = *card.Model();
    auto show = [&](int race) {
        Day().gCurRace = race;
        const int n = raceday::FieldSize(Day(), race);
        c.SetRowCount(n + 1);
        views::FillIndexRaceCard(Day(), {&c, nullptr, nullptr, nullptr}, n);
        return n;
    };
    for (int race = 0; race < Day().gDayRaceCount; ++race) {
        SCOPED_TRACE(race);
        const int n = show(race);
        ASSERT_GE(n, 8);
        for (int r = 0; r <= n; ++r)
            for (int col = 0; col < c.ColCount(); ++col) c.PaintOf(col, r);
        for (int r = 1; r <= n; ++r) {
            const int b = testsupport::OfficialBracket(r, n);
            EXPECT_EQ(c.Cells(0, r), QString::asprintf("%2d", b)) << r;
            EXPECT_EQ(c.Cells(1, r), QString::asprintf("%2d", r));
            EXPECT_EQ(c.PaintOf(0, r).background, testsupport::kBracketColors[b]) << r;
        }
    }

    show(0);
    EXPECT_TRUE(c.Cells(2, 1).startsWith(QStringLiteral("サンフビミジパ")));
    EXPECT_EQ(c.Cells(11, 1), QStringLiteral("  8.1"));
    EXPECT_EQ(c.Cells(12, 1), QStringLiteral(" 5"));
    EXPECT_EQ(c.Cells(13, 1), QStringLiteral("  2.1"));
    EXPECT_EQ(c.Cells(8, 1), QStringLiteral("×"));
    EXPECT_EQ(c.Cells(30, 1), QStringLiteral("12"));
    EXPECT_EQ(c.Cells(9, 2), QStringLiteral("R+"));
    EXPECT_EQ(c.PaintOf(9, 2).textColor, QColor(0xFF0000));
    EXPECT_EQ(c.Cells(12, 2), QStringLiteral(" 1"));
    EXPECT_EQ(c.PaintOf(12, 2).textColor, QColor(0xFF0000));
    EXPECT_EQ(c.PaintOf(11, 2).background, QColor(0xFFFFA6));
    card.resize(1100, 300);
    card.show();
    testsupport::SaveShot(card.grab().toImage(), "sample_index_card.png");
}

// The card's 15-pixel rows show their texts whole in the fonts the card names: no glyph of the
// headings or of a runner's row is cut at the top or bottom of its cell ("負担" stays 負担).
TEST_F(SampleDay, TextsOfThe15PixelRowsKeepClearOfTheCellEdges) {
    views::StringGrid card;
    views::SetupIndexRaceCard(card);
    views::AttachIndexRaceCard(card, Day());
    Day().gCurRace = 0;
    const int n = raceday::FieldSize(Day(), 0);
    card.Model()->SetRowCount(n + 1);
    views::FillIndexRaceCard(Day(), {card.Model(), nullptr, nullptr, nullptr}, n);
    card.resize(1300, 400);
    card.show();
    const QImage img = card.grab().toImage();
    testsupport::SaveShot(img, "index_card_edges.png");
    for (int row = 0; row <= n; ++row)
        for (int col = 0; col < card.Model()->ColCount(); ++col) {
            if (col == views::kCardName && row > 0) continue; // the target bars reach down
            const testsupport::EdgeInk ink = testsupport::InkOnEdges(img, card, col, row);
            EXPECT_EQ(ink.top, 0) << "col " << col << " row " << row;
            EXPECT_EQ(ink.bottom, 0) << "col " << col << " row " << row;
        }
}
