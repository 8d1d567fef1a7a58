#include "views/oddstable.h"

#include "controls/speedbutton.h"
#include "views/gridsort.h"
#include "views/indexcard.h"

#include "tests/support/modelchecks.h"
#include "tests/views/viewsfixture.h"

#include <QMouseEvent>

#include <gtest/gtest.h>

using testsupport::App;

namespace {

class OddsTable : public testsupport::RaceDayTest {
protected:
    void SetUp() override {
        App();
        FreshRace(4);
        checks.Watch(grid.Model());
        grid.Model()->SetColCount(views::kOddsColumns);
        grid.Model()->SetRowCount(5);
        grid.Model()->SetFixedCols(0);
        views::SetupOddsTable(grid);
        views::AttachOddsTable(grid, Day());
        // Rows by horse number; popularity (column 18) 3, 1, 3, 2.
        const char* pops[] = {" 3", " 1", " 3", " 2"};
        for (int r = 1; r <= 4; ++r) {
            grid.Model()->SetCells(views::kOddsNumber, r, QString::asprintf("%2d", r));
            grid.Model()->SetCells(views::kOddsFinish, r, QString::fromLatin1(pops[r - 1]));
        }
    }
    std::vector<int> Numbers() const {
        std::vector<int> out;
        for (int r = 1; r < grid.Model()->RowCount(); ++r)
            out.push_back(grid.Model()->Cells(views::kOddsNumber, r).trimmed().toInt());
        return out;
    }
    // A press and release on a button, as the mouse gives it.
    static void Press(controls::TLbSpeedButton* b) {
        const QPointF at(5, 5);
        QMouseEvent down(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(b, &down);
        QMouseEvent up(QEvent::MouseButtonRelease, at, at, Qt::LeftButton, Qt::NoButton,
                       Qt::NoModifier);
        QApplication::sendEvent(b, &up);
    }
    views::StringGrid grid;
    testsupport::ModelChecks checks;
};

} // namespace

TEST_F(OddsTable, TheDownButtonChoosesTheSort) {
    views::OddsSortBar bar(*grid.Model());
    EXPECT_TRUE(bar.Button(0)->Down());
    EXPECT_EQ(bar.Button(5)->Caption(), QStringLiteral("人気"));
    EXPECT_EQ(bar.Button(5)->objectName(), QStringLiteral("SpeedButton3"));

    // 人気: column 18, then the horse number.
    Press(bar.Button(5));
    EXPECT_TRUE(bar.Button(5)->Down());
    EXPECT_FALSE(bar.Button(0)->Down());
    EXPECT_EQ(Numbers(), (std::vector<int>{2, 4, 1, 3}));

    // The race selection's click runs the sort of the button that is down, whichever it is.
    bar.Button(0)->Click();
    EXPECT_EQ(Numbers(), (std::vector<int>{2, 4, 1, 3}));
    Press(bar.Button(0));
    EXPECT_EQ(Numbers(), (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(OddsTable, PaintAndTheTrackedColourFollowingItsRunner) {
    views::GridModel& m = *grid.Model();
    EXPECT_EQ(m.PaintOf(5, 0).background, QColor(0xC0C0C0));
    m.SetCells(views::kOddsBracket, 1, QStringLiteral(" 5"));
    EXPECT_EQ(m.PaintOf(views::kOddsBracket, 1).background, QColor(0xFFFF00));
    EXPECT_EQ(m.PaintOf(views::kOddsBracket, 2).background, QColor()); // no bracket written

    const views::CellPaint pop = m.PaintOf(views::kOddsFinish, 2); // " 1"
    EXPECT_EQ(pop.background, QColor(0xA2FFFF));
    EXPECT_TRUE(pop.bold);
    EXPECT_EQ(pop.textColor, QColor(0xFF0000));
    m.SetCells(7, 1, QStringLiteral(" 4"));
    EXPECT_EQ(m.PaintOf(7, 1).textColor, QColor(Qt::black));
    EXPECT_TRUE(m.PaintOf(7, 1).bold);
    EXPECT_EQ(m.PaintOf(views::kOddsConfirmed, 1).background, QColor(0xA2FFFF));

    Day().gRaceCalc[0].Tracked[3] = 1; // horse 4
    EXPECT_EQ(m.PaintOf(views::kOddsNumber, 4).background, QColor(0xFF0000));
    views::SortGridRowsTwoKey(m, views::kOddsFinish, false, views::kOddsNumber);
    ASSERT_EQ(Numbers(), (std::vector<int>{2, 4, 1, 3}));
    EXPECT_EQ(m.PaintOf(views::kOddsNumber, 2).background, QColor(0xFF0000));
    EXPECT_EQ(m.PaintOf(views::kOddsNumber, 4).background, views::InfoBackground());
}

TEST(ReferenceBets, ResultCellsAreRedOnAHit) {
    App();
    views::StringGrid grid;
    testsupport::ModelChecks checks;
    checks.Watch(grid.Model());
    grid.Model()->SetColCount(8);
    grid.Model()->SetRowCount(6);
    views::AttachReferenceBets(grid);
    views::GridModel& m = *grid.Model();
    m.SetCells(2, 1, QStringLiteral("的中"));
    m.SetCells(6, 1, QStringLiteral("外れ"));
    EXPECT_EQ(m.PaintOf(2, 1).background, QColor(0xFF0000));
    EXPECT_EQ(m.PaintOf(6, 1).background, views::InfoBackground());
    EXPECT_EQ(m.PaintOf(2, 2).background, views::InfoBackground());
    EXPECT_EQ(m.PaintOf(1, 1).background, QColor(0x00FFFF));
    EXPECT_EQ(m.PaintOf(4, 3).background, QColor(0xC0C0C0));
    EXPECT_EQ(m.PaintOf(0, 3).background, QColor(0xF0, 0xF0, 0xF0)); // the fixed column's own
    EXPECT_EQ(m.PaintOf(0, 0).background, QColor(0xC0C0C0));
    EXPECT_EQ(m.PaintOf(3, 2).alignment, Qt::AlignHCenter | Qt::AlignTop);
}
