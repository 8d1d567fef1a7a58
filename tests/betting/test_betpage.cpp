#include "betfixture.h"

#include "betting/forms/betpage.h"
#include "controls/label3d.h"
#include "controls/numedit.h"
#include "keiba/appdir.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"
#include "tests/support/widgets.h"
#include "views/grid.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

using betting::BetKind;
using betting::LabelSlot;

class BetPageTest : public testsupport::BetDay {
protected:
    void SetUp() override {
        BetDay::SetUp();
        keiba::SetAppDirForTest(dir.path());
        SetRace(5);
        raceday::TOutData2& t = day().gRaceTexts[0];
        t.YosoMark[0] = keiba::Sj("◎");
        t.KettoRank[0] = "A";
        t.RJunText[0] = " 1";
        for (int h = 1; h < 5; ++h)
            t.RJunText[static_cast<std::size_t>(h)] = keiba::FormatInt(h + 1, 2);
        LoadOdds(2);
        for (int b = 2; b <= 5; ++b) calc().UmarenOdds[keiba::QuinellaIndex(1, b)] = 2.0 * b;
        day().RaceAmounts.fill(2000);
        day().gPayoutTables.gPayKeyUmaren[0][1] = " 1- 3";
        day().gPayoutTables.gPayYenUmaren[0][1] = 600;
        page = std::make_unique<betting::BetPage>(day(), host);
        // The race display's part: a row per runner in the mark grid.
        page->MarkGrid()->Model()->SetRowCount(6);
    }
    void TearDown() override {
        page.reset();
        keiba::SetAppDirForTest({});
    }
    QString Mark(int col, int row) const { return page->MarkGrid()->Model()->Cells(col, row); }
    QString Cell(BetKind k, int col, int row) const {
        return page->BetModel(k)->index(row, col).data().toString();
    }

    testsupport::TempDir dir;
    testsupport::FakeHost host;
    testsupport::RecordingNotifier notifier;
    testsupport::ScopedPlatform platform{&notifier};
    std::unique_ptr<betting::BetPage> page;
};

TEST_F(BetPageTest, RaceSelectionFillsMarksGridsAndLabels) {
    page->AfterRaceShown();
    EXPECT_EQ(page->AmountEdit()->GetTextAsInteger(), 2000);
    EXPECT_EQ(Mark(8, 1), QStringLiteral("◎"));
    EXPECT_EQ(Mark(9, 2), QStringLiteral("△"));
    auto* model = page->BetModel(BetKind::Umaren);
    ASSERT_EQ(model->rowCount(), 5);
    EXPECT_EQ(Cell(BetKind::Umaren, 2, 2), QStringLiteral(" 1- 3"));
    EXPECT_EQ(Cell(BetKind::Umaren, 6, 1), QStringLiteral("   500"));
    EXPECT_EQ(page->Label(BetKind::Umaren, LabelSlot::Total)->Caption(), QStringLiteral("  2000"));
    EXPECT_EQ(page->Label(BetKind::Umaren, LabelSlot::Kaishu)->Caption(),
              QStringLiteral("    3000"));
    // The winning key is drawn in fuchsia, its neighbour in white.
    EXPECT_EQ(model->PaintOf(2, 2).background, QColor(255, 0, 255));
    EXPECT_EQ(model->PaintOf(2, 1).background, QColor(Qt::white));
    EXPECT_EQ(model->PaintOf(1, 1).background, QColor(193, 255, 193));
    EXPECT_EQ(page->MarkGrid()->Model()->PaintOf(0, 0).background, QColor(0, 255, 255));
}

TEST_F(BetPageTest, MarkGridPressTogglesAndRebuilds) {
    page->AfterRaceShown();
    Q_EMIT page->MarkGrid()->CellClicked(11, 3); // 消 on runner 3
    EXPECT_EQ(Mark(11, 3), QStringLiteral("消"));
    EXPECT_EQ(page->BetModel(BetKind::Umaren)->rowCount(), 4);
    Q_EMIT page->MarkGrid()->CellClicked(8, 1); // the axis mark goes: no bets at all
    EXPECT_EQ(page->BetModel(BetKind::Umaren)->rowCount(), 2);
    EXPECT_EQ(Cell(BetKind::Umaren, 2, 1), QString());
}

TEST_F(BetPageTest, GridClicksAndModesReachTheTab) {
    page->AfterRaceShown();
    views::StringGrid* grid = page->BetGrid(BetKind::Umaren);
    Q_EMIT grid->CellClicked(0, 1);
    EXPECT_EQ(Cell(BetKind::Umaren, 0, 1), QStringLiteral("消"));
    EXPECT_EQ(page->Label(BetKind::Umaren, LabelSlot::Tensu)->Caption(), QStringLiteral("  3"));
    page->Pages()->setCurrentIndex(betting::PageOf(BetKind::Umaren));
    EXPECT_EQ(page->Label(BetKind::Umaren, LabelSlot::Total)->Color(), QColor(172, 181, 255));
    Q_EMIT grid->CellClicked(3, 0); // heading: descending odds
    EXPECT_EQ(Cell(BetKind::Umaren, 2, 1), QStringLiteral(" 1- 5"));

    testsupport::Find<QRadioButton>(*page, "RadioGroup1Item1")->click();
    EXPECT_EQ(page->Tab().Ini().ReadInteger("KaimeSet", "HaibunSet", 0), 1);
    testsupport::Find<QRadioButton>(*page, "RadioGroup2Item1")->click();
    EXPECT_EQ(page->Tab().Ini().ReadInteger("KaimeSet", "KaimeRogic", 0), 1);
    EXPECT_EQ(Mark(8, 1), QString()); // no user matches
}

} // namespace
