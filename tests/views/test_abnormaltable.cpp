#include "views/abnormaltable.h"

#include "views/gridsort.h"
#include "views/indexcard.h"

#include "tests/support/modelchecks.h"
#include "tests/views/viewsfixture.h"

#include <gtest/gtest.h>

using testsupport::App;

namespace {

class AnalysisTables : public testsupport::RaceDayTest {
protected:
    void SetUp() override {
        App();
        FreshRace(7);
        checks.Watch(abnormal.Model());
        checks.Watch(index.Model());
        views::SetupAbnormalTable(abnormal);
        views::SetupIndexTable(index);
        views::AttachAbnormalTable(abnormal, Day());
        views::AttachIndexTablePainter(index, Day());
        for (views::StringGrid* g : {&abnormal, &index}) {
            g->Model()->SetRowCount(8);
            for (int r = 1; r <= 7; ++r) g->Model()->SetCells(1, r, QString::asprintf("%2d", r));
        }
    }
    views::StringGrid abnormal, index;
    testsupport::ModelChecks checks;
};

} // namespace

TEST_F(AnalysisTables, ThePopularRunnersCarryABarInTheOddsColumns) {
    Day().gRaceCalc[0].WinPop = {1, 2, 3, 4, 5, 6, 0};
    views::GridModel& m = *abnormal.Model();
    for (int row = 1; row <= 7; ++row)
        for (int col = 6; col <= 8; ++col)
            EXPECT_EQ(m.PaintOf(col, row).leftEdge, row <= 5 ? QColor(0x0000FF) : QColor())
                << "row " << row << " col " << col;
    EXPECT_FALSE(m.PaintOf(5, 1).leftEdge.isValid());
    EXPECT_FALSE(m.PaintOf(9, 1).leftEdge.isValid());
}

TEST_F(AnalysisTables, AbnormalValueColumns) {
    views::GridModel& m = *abnormal.Model();
    m.SetCells(0, 1, QStringLiteral(" 8"));
    m.SetCells(9, 1, QStringLiteral(" 1"));
    m.SetCells(21, 1, QStringLiteral(" 3"));
    m.SetCells(24, 1, QStringLiteral("　"));
    EXPECT_EQ(m.PaintOf(3, 0).background, QColor(0xC0C0C0));
    EXPECT_EQ(m.PaintOf(0, 1).background, QColor(0xFF00FF));
    EXPECT_EQ(m.PaintOf(1, 1).background, views::InfoBackground());
    EXPECT_EQ(m.PaintOf(2, 1).alignment, Qt::AlignLeft | Qt::AlignTop);
    const views::CellPaint morning = m.PaintOf(9, 1);
    EXPECT_EQ(morning.background, QColor(0xFFFF80));
    EXPECT_TRUE(morning.bold);
    EXPECT_EQ(morning.textColor, QColor(0xFF0000));
    EXPECT_EQ(m.PaintOf(21, 1).background, QColor(0xDEBCBC));
    EXPECT_EQ(m.PaintOf(21, 1).textColor, QColor(0x0000FF));
    EXPECT_EQ(m.PaintOf(24, 1).textColor, QColor(Qt::black)); // a blank rank
    EXPECT_EQ(m.PaintOf(26, 1).background, QColor(0xA2FFFF));
}

TEST_F(AnalysisTables, TheIndexTablesTrackedColourFollowsItsRunnerThroughASort) {
    views::GridModel& m = *index.Model();
    for (int r = 1; r <= 7; ++r) m.SetCells(7, r, QString::asprintf("%2d", 8 - r));
    Day().gRaceCalc[0].Tracked[0] = 1; // horse 1
    EXPECT_EQ(m.PaintOf(1, 1).background, QColor(0xFF0000));
    views::SortGridRowsTwoKey(m, 7, false, 1);
    ASSERT_EQ(m.Cells(1, 7), QStringLiteral(" 1"));
    EXPECT_EQ(m.PaintOf(1, 7).background, QColor(0xFF0000));
    EXPECT_EQ(m.PaintOf(1, 1).background, views::InfoBackground());
    EXPECT_EQ(m.PaintOf(7, 7).textColor, QColor(Qt::black)); // rank 7
    EXPECT_EQ(m.PaintOf(7, 1).textColor, QColor(0xFF0000));  // rank 1
    EXPECT_EQ(m.PaintOf(28, 1).background, QColor(0xA2FFFF));
    EXPECT_TRUE(m.PaintOf(28, 1).bold);
    EXPECT_FALSE(m.PaintOf(19, 1).background.isValid()); // the grid's own
}
