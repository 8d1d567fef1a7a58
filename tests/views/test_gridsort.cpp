#include "views/gridsort.h"

#include "tests/support/modelchecks.h"
#include "tests/views/viewsfixture.h"

#include <QAction>
#include <QClipboard>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <vector>

using testsupport::App;
using testsupport::Q;

namespace {

// A grid whose rows 1.. hold the given cells, column by column; row 0 holds headings.
void Fill(views::GridModel& m, const std::vector<std::vector<const char*>>& rows) {
    m.SetRowCount(static_cast<int>(rows.size()) + 1);
    m.SetColCount(static_cast<int>(rows.front().size()));
    for (int c = 0; c < m.ColCount(); ++c) m.SetCells(c, 0, QStringLiteral("h%1").arg(c));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < m.ColCount(); ++c)
            m.SetCells(c, r + 1, Q(rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]));
}

std::vector<QString> Column(const views::GridModel& m, int col) {
    std::vector<QString> out;
    for (int r = 1; r < m.RowCount(); ++r) out.push_back(m.Cells(col, r));
    return out;
}

std::vector<QString> Qs(std::initializer_list<const char*> texts) {
    std::vector<QString> out;
    for (const char* t : texts) out.push_back(Q(t));
    return out;
}

class GridSort : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        checks.Watch(&m);
    }
    views::GridModel m;
    views::GridSortState sorts;
    testsupport::ModelChecks checks;
};

} // namespace

TEST_F(GridSort, ClipboardHoldsTitleThenTabbedRows) {
    m.SetColCount(2);
    m.SetRowCount(2);
    m.SetCells(0, 0, QStringLiteral("A"));
    m.SetCells(1, 0, QStringLiteral("B"));
    m.SetCells(0, 1, QStringLiteral("C"));
    m.SetCells(1, 1, QStringLiteral("D"));
    views::CopyWholeGrid(m, QStringLiteral("T"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("T\r\nA\tB\r\nC\tD\r\n"));
    // A range reaching past the grid is held to it; an inverted or outside one copies nothing.
    EXPECT_EQ(views::GridClipboardText(m, -3, -1, 9, 9, QStringLiteral("T")),
              QStringLiteral("T\r\nA\tB\r\nC\tD\r\n"));
    EXPECT_EQ(views::GridClipboardText(m, 1, 1, 1, 1, QString()), QStringLiteral("\r\nD\r\n"));
    const int bad[][4] = {{1, 0, 0, 1}, {0, 1, 1, 0}, {-2, 0, -1, 1}, {0, 2, 1, 3}};
    for (const auto& r : bad) {
        QGuiApplication::clipboard()->setText(QStringLiteral("old"));
        views::CopyGridToClipboard(m, r[0], r[1], r[2], r[3], QStringLiteral("T"));
        EXPECT_EQ(QGuiApplication::clipboard()->text(), QString()) << r[0] << r[1] << r[2] << r[3];
    }
}

TEST_F(GridSort, PopupCopiesTheGridItWasOpenedOn) {
    views::StringGrid a, b;
    a.Model()->SetColCount(1);
    a.Model()->SetRowCount(1);
    a.Model()->SetCells(0, 0, QStringLiteral("card"));
    b.Model()->SetColCount(1);
    b.Model()->SetRowCount(1);
    b.Model()->SetCells(0, 0, QStringLiteral("odds"));
    views::GridCopyMenu menu([] { return QStringLiteral("L1\r\nL2"); });
    menu.Attach(a);
    menu.Attach(b);

    menu.OpenOn(a);
    menu.CopyAction()->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("L1\r\nL2\r\ncard\r\n"));
    menu.OpenOn(b);
    menu.CopyAction()->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("L1\r\nL2\r\nodds\r\n"));
}

TEST_F(GridSort, RowsSortByTheirShiftJisBytes) {
    Fill(m, {{"10", "a"}, {"　", "b"}, {" 2", "c"}, {"18", "d"}, {" 1", "e"}});
    views::QuickSortGridRows(m, 1, 5, 0, false);
    EXPECT_EQ(Column(m, 0), Qs({" 1", " 2", "10", "18", "　"}));
    EXPECT_EQ(Column(m, 1), Qs({"e", "c", "a", "d", "b"})); // whole rows moved
    views::QuickSortGridRows(m, 1, 5, 0, true);
    EXPECT_EQ(Column(m, 0), Qs({"　", "18", "10", " 2", " 1"}));

    // UTF-16 puts ① (U+2460) before あ (U+3042); CP932 puts あ (82 A0) before ① (87 40).
    Fill(m, {{"①"}, {"あ"}, {"ｱ"}, {"東"}});
    views::QuickSortGridRows(m, 1, 4, 0, false);
    EXPECT_EQ(Column(m, 0), Qs({"あ", "①", "東", "ｱ"}));

    // Only the rows of the range move.
    Fill(m, {{"b"}, {"a"}, {"0"}});
    views::QuickSortGridRows(m, 1, 2, 0, false);
    EXPECT_EQ(Column(m, 0), Qs({"a", "b", "0"}));
}

TEST_F(GridSort, TwoKeySortOrdersTiesByTheSecondKeyAscendingInBothDirections) {
    const std::vector<std::vector<const char*>> rows = {
        {" 3", "サ", " 2"}, {" 1", "イ", " 1"}, {" 7", "シ", " 2"}, {" 5", "ア", "　"},
        {" 2", "ロ", " 1"}, {" 4", "ハ", " 2"}, {" 6", "ニ", "　"}};
    Fill(m, rows);
    views::SortGridRowsTwoKey(m, 2, false, 0);
    EXPECT_EQ(Column(m, 2), Qs({" 1", " 1", " 2", " 2", " 2", "　", "　"}));
    EXPECT_EQ(Column(m, 0), Qs({" 1", " 2", " 3", " 4", " 7", " 5", " 6"}));
    EXPECT_EQ(Column(m, 1), Qs({"イ", "ロ", "サ", "ハ", "シ", "ア", "ニ"}));

    Fill(m, rows);
    views::SortGridRowsTwoKey(m, 2, true, 0);
    EXPECT_EQ(Column(m, 2), Qs({"　", "　", " 2", " 2", " 2", " 1", " 1"}));
    EXPECT_EQ(Column(m, 0), Qs({" 5", " 6", " 3", " 4", " 7", " 1", " 2"}));
}

TEST_F(GridSort, HeadingPressesFlipTheDirectionOfSortableColumnsOnly) {
    m.SetColCount(32);
    const std::vector<std::pair<const char*, const char*>> runners = {
        {" 1", " 3"}, {" 2", " 1"}, {" 3", "　"}, {" 4", " 2"}};
    m.SetRowCount(5);
    for (int r = 1; r <= 4; ++r) {
        m.SetCells(1, r, Q(runners[static_cast<std::size_t>(r - 1)].first));
        m.SetCells(12, r, Q(runners[static_cast<std::size_t>(r - 1)].second));
    }
    views::SetAllCardSortDirs(sorts, 1); // as a race selection leaves them
    EXPECT_TRUE(views::StringGrid10MouseDown(sorts, m, 12, 0));
    EXPECT_EQ(Column(m, 12), Qs({" 1", " 2", " 3", "　"}));
    EXPECT_EQ(Column(m, 1), Qs({" 2", " 4", " 1", " 3"}));
    EXPECT_EQ(sorts.gSortCol, 12);
    EXPECT_TRUE(views::StringGrid10MouseDown(sorts, m, 12, 0));
    EXPECT_EQ(Column(m, 12), Qs({"　", " 3", " 2", " 1"}));

    const auto before = Column(m, 1);
    const auto dirs = sorts.gCardSortDir;
    EXPECT_FALSE(views::StringGrid10MouseDown(sorts, m, 11, 0)); // 単ｵｯｽﾞ does not sort
    EXPECT_FALSE(views::StringGrid10MouseDown(sorts, m, 1, 2));  // not a heading
    EXPECT_EQ(Column(m, 1), before);
    EXPECT_EQ(sorts.gCardSortDir, dirs);
    EXPECT_EQ(sorts.gSortCol, 12);

    // The horse number sorts with the name as its second key.
    EXPECT_TRUE(views::StringGrid10MouseDown(sorts, m, 1, 0));
    EXPECT_EQ(Column(m, 1), Qs({" 1", " 2", " 3", " 4"}));
}

TEST_F(GridSort, IndexTableDirectionsStartAtZeroAndLastTheWholeRun) {
    m.SetColCount(31);
    m.SetRowCount(4);
    const char* pops[] = {" 2", " 1", " 3"};
    for (int r = 1; r <= 3; ++r) {
        m.SetCells(1, r, QStringLiteral(" %1").arg(r));
        m.SetCells(7, r, Q(pops[r - 1]));
    }
    EXPECT_TRUE(views::StringGrid9MouseDown(sorts, m, 7, 0));
    EXPECT_EQ(Column(m, 7), Qs({" 3", " 2", " 1"}));
    views::SetAllCardSortDirs(sorts, 1); // a race selection leaves the index table's alone
    EXPECT_TRUE(views::StringGrid9MouseDown(sorts, m, 7, 0));
    EXPECT_EQ(Column(m, 7), Qs({" 1", " 2", " 3"}));
    EXPECT_EQ(sorts.gIndexSortCol, 7);
    EXPECT_EQ(sorts.gSortCol, 0);
    EXPECT_FALSE(views::StringGrid9MouseDown(sorts, m, 8, 0));
}

TEST_F(GridSort, PressOnAHeadingOfTheAttachedGridSortsAndTheHandShowsOverIt) {
    views::StringGrid card;
    card.Model()->SetColCount(32);
    card.Model()->SetRowCount(3);
    card.Model()->SetCells(1, 1, QStringLiteral(" 2"));
    card.Model()->SetCells(1, 2, QStringLiteral(" 1"));
    views::AttachCardHeadingSort(card, sorts);
    card.resize(800, 200);
    card.show();
    // Delivered to the widget under the pointer, as a user's moves and presses are: the heading
    // row is the pane above the scrolled cells.
    QWidget* target = nullptr;
    auto send = [&](QEvent::Type type, int col, int row, Qt::MouseButton button) {
        const QPoint at =
            card.viewport()->mapTo(&card, card.visualRect(card.Model()->index(row, col)).center());
        target = card.childAt(at);
        ASSERT_NE(target, nullptr);
        const QPoint local = target->mapFrom(&card, at);
        QMouseEvent e(type, local, target->mapToGlobal(local), button, button, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    };
    send(QEvent::MouseMove, 1, 0, Qt::NoButton);
    EXPECT_EQ(target->cursor().shape(), Qt::PointingHandCursor);
    send(QEvent::MouseMove, 2, 0, Qt::NoButton);
    EXPECT_EQ(target->cursor().shape(), Qt::ArrowCursor);
    send(QEvent::MouseButtonPress, 1, 0, Qt::RightButton); // any button
    EXPECT_EQ(Column(*card.Model(), 1), Qs({" 2", " 1"})); // 0 became 1: descending
    EXPECT_EQ(sorts.gCardSortDir[1], 1);
    send(QEvent::MouseButtonPress, 1, 0, Qt::LeftButton);
    EXPECT_EQ(Column(*card.Model(), 1), Qs({" 1", " 2"}));
}
