#include "betfixture.h"

#include "betting/forms/betpage.h"
#include "controls/label3d.h"
#include "controls/numedit.h"
#include "tests/support/clicks.h"
#include "tests/support/fakes.h"
#include "tests/support/modelchecks.h"
#include "tests/support/tempdir.h"
#include "tests/support/widgets.h"
#include "views/grid.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

using betting::BetKind;
using betting::LabelSlot;

class BetPageTest : public testsupport::BetDay {
protected:
    void SetUp() override {
        BetDay::SetUp();
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
        page = std::make_unique<betting::BetPage>(context, day(), host);
        checks.WatchAll(*page);
        // The race display's part: a row per runner in the mark grid.
        page->MarkGrid()->Model()->SetRowCount(6);
    }
    void TearDown() override {
        checks.Clear();
        page.reset();
    }
    QString Mark(int col, int row) const { return page->MarkGrid()->Model()->Cells(col, row); }
    QString Cell(BetKind k, int col, int row) const {
        return page->BetModel(k)->index(row, col).data().toString();
    }

    testsupport::FakeHost host;
    std::unique_ptr<betting::BetPage> page;
    testsupport::ModelChecks checks;
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

// The stake is drawn in blue bold ＭＳ Ｐゴシック 13 pixels high on white, the largest one whole.
TEST_F(BetPageTest, TheStakeIsBlueBoldOnWhite) {
    page->AfterRaceShown();
    controls::TSaNumEditExC* stake = page->AmountEdit();
    page->resize(600, 400);
    page->show();
    QApplication::processEvents();
    EXPECT_LE(stake->fontMetrics().horizontalAdvance(QStringLiteral("99,999,999")) + 8,
              stake->width());
    EXPECT_EQ(stake->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(stake->font().pixelSize(), 13);
    EXPECT_TRUE(stake->font().bold());
    const QImage shot = stake->grab().toImage();
    const QRect inside = stake->contentsRect();
    int blue = 0, white = 0, other = 0;
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (c == QColor(Qt::white))
                ++white;
            else if (c.blue() > std::max(c.red(), c.green())) // blue, or blue blended with white
                ++blue;
            else
                ++other;
        }
    EXPECT_GT(blue, 40);
    EXPECT_GT(white, blue);
    EXPECT_EQ(other, 0);
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

// Where a cell of a grid showing any model starts, in the grid's coordinates.
QPoint CellOrigin(const views::StringGrid& grid, int col, int row) {
    return grid.viewport()->mapTo(&grid, grid.visualRect(grid.model()->index(row, col)).topLeft());
}

// The bet lists run to thousands of rows: scrolled down, a 三連単 list still shows its
// headings where they were, and a press on one sorts the list by that column.
TEST_F(BetPageTest, ALongListKeepsItsHeadingsInViewAndTheirSorts) {
    SetRace(12);
    LoadOdds(6);
    for (int i = 1; i <= 4896; ++i)
        calc().SanrentanOdds[static_cast<std::size_t>(i)] = i % 97 + 1.5;

    views::GridModel& markCells = *page->MarkGrid()->Model();
    markCells.SetRowCount(13);
    page->AfterRaceShown();
    // Axis 1, second leg 2 to 6, third leg 2 to 12: fifty bets.
    for (int row = 1; row <= 12; ++row)
        for (int col = 8; col <= 10; ++col) markCells.SetCells(col, row, QString());
    markCells.SetCells(8, 1, QStringLiteral("◎"));
    for (int row = 2; row <= 12; ++row) {
        if (row <= 6) markCells.SetCells(9, row, QStringLiteral("△"));
        markCells.SetCells(10, row, QStringLiteral("△"));
    }
    testsupport::Find<QPushButton>(*page, "KaimeMakeBtn")->click();
    page->Pages()->setCurrentIndex(betting::PageOf(BetKind::Sanrentan));
    views::StringGrid* grid = page->BetGrid(BetKind::Sanrentan);
    const int rows = page->BetModel(BetKind::Sanrentan)->rowCount();
    ASSERT_GT(rows, 40);
    page->resize(1300, 600);
    page->show();
    QApplication::processEvents();
    const QPoint heading = CellOrigin(*grid, 3, 0);
    grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
    QApplication::processEvents();
    EXPECT_EQ(CellOrigin(*grid, 3, 0), heading);
    EXPECT_EQ(grid->indexAt(grid->viewport()->mapFrom(grid, heading + QPoint(2, 2))).row(), 0);

    testsupport::ClickOn(*grid, heading + QPoint(2, 2)); // descending odds
    std::vector<double> odds;
    for (int row = 1; row < rows; ++row)
        odds.push_back(Cell(BetKind::Sanrentan, 3, row).toDouble());
    EXPECT_TRUE(std::is_sorted(odds.rbegin(), odds.rend()));
    EXPECT_GT(odds.front(), odds.back());
}

// Row of the first pixel of `cell` that is not `background`, from the cell's top; -1 if none.
int FirstInkRow(const QImage& img, const QRect& cell, const QColor& background) {
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x)
            if (img.pixelColor(x, y) != background) return y - cell.top();
    return -1;
}

// The mark grid and the bet grids draw their texts with the top of the text two pixels below
// the cell's top edge: the ink starts where a plain text drawn at that height starts.
TEST_F(BetPageTest, CellTextsStartTwoPixelsBelowTheCellTop) {
    page->AfterRaceShown();
    page->MarkGrid()->setMinimumWidth(page->MarkGrid()->FullWidth());
    page->Pages()->setCurrentIndex(betting::PageOf(BetKind::Umaren));
    page->resize(1300, 600);
    page->show();
    QApplication::processEvents();
    auto check = [](views::StringGrid& grid, int col, int row, bool bold) {
        const QImage img = grid.grab().toImage();
        const QRect cell(CellOrigin(grid, col, row),
                         grid.visualRect(grid.model()->index(row, col)).size() - QSize(1, 1));
        ASSERT_TRUE(img.rect().contains(cell));
        const QString text = grid.model()->index(row, col).data().toString();
        ASSERT_FALSE(text.trimmed().isEmpty());
        QImage plain(cell.size(), QImage::Format_RGB32);
        plain.fill(Qt::white);
        QPainter p(&plain);
        QFont f = grid.font();
        f.setBold(bold);
        p.setFont(f);
        p.setPen(Qt::black);
        p.drawText(QRect(0, 2, cell.width(), cell.height() - 2), Qt::AlignHCenter | Qt::AlignTop,
                   text);
        p.end();
        EXPECT_EQ(FirstInkRow(img, cell, Qt::white), FirstInkRow(plain, plain.rect(), Qt::white))
            << grid.objectName().toStdString() << " " << text.toStdString();
    };
    check(*page->MarkGrid(), 9, 2, true); // ヒモ1 △
    check(*page->BetGrid(BetKind::Umaren), 3, 1, true);
}

} // namespace
