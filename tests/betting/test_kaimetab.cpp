// The bet tab's handlers over the builder and the computations: erase clicks, stakes per
// race, the distribution mode, the active labels and the heading sorts.

#include "betfixture.h"

#include "betting/kaimetab.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

namespace {

using betting::BetKind;
using betting::kKeyCol;
using betting::LabelSlot;
using betting::PlainTable;
using testsupport::GridColumn;
using V = std::vector<std::string>;

class TabStakes : public testsupport::BetDay {
protected:
    void SetUp() override {
        BetDay::SetUp();
        SetRace(3);
        Mark(betting::kMarkAxisCol, {1}, "◎");
        Mark(betting::kMarkLeg1Col, {2, 3}, "▲");
        LoadOdds(2);
        calc().UmarenOdds[keiba::QuinellaIndex(1, 2)] = 2.0;
        calc().UmarenOdds[keiba::QuinellaIndex(1, 3)] = 4.0;
        day().RaceAmounts.fill(3000);
    }
    testsupport::FakeHost host;
};

TEST_F(TabStakes, EraseClicksToggleAndRecompute) {
    betting::KaimeTab tab(day(), host, marks, context);
    tab.ShowRaceAmount();
    tab.BuildBets();
    const PlainTable& g = tab.Book().Grid(BetKind::Umaren);
    EXPECT_EQ(GridColumn(g, 6), (V{"  1500", "  1500"}));
    tab.ToggleRowErase(BetKind::Umaren, 0, 1);
    EXPECT_EQ(GridColumn(g, 6), (V{"", "  3000"}));
    tab.ToggleRowErase(BetKind::Umaren, 3, 2); // recomputes, toggles nothing
    EXPECT_EQ(GridColumn(g, 6), (V{"", "  3000"}));
    tab.ToggleRowErase(BetKind::Umaren, 0, 1);
    EXPECT_EQ(GridColumn(g, 6), (V{"  1500", "  1500"}));
    // The empty 枠連 grid: the click changes neither grid nor mode.
    tab.ToggleRowErase(BetKind::Waku, 2, 1);
    EXPECT_EQ(tab.HaibunMode(), betting::kModeEqual);
}

TEST_F(TabStakes, AmountsAreKeptPerRaceAndIgnoredWithoutARace) {
    betting::KaimeTab tab(day(), host, marks, context);
    tab.ShowRaceAmount();
    tab.BuildBets();
    tab.SetAmount(1000);
    EXPECT_EQ(day().RaceAmounts[0], 1000);
    EXPECT_EQ(GridColumn(tab.Book().Grid(BetKind::Umaren), 6), (V{"   500", "   500"}));
    day().gCurRace = 4;
    EXPECT_EQ(tab.ShowRaceAmount(), 3000);
    day().gCurRace = 0;
    EXPECT_EQ(tab.ShowRaceAmount(), 1000);

    tab.SetHaibunMode(betting::kModeProportional);
    EXPECT_EQ(GridColumn(tab.Book().Grid(BetKind::Umaren), 6), (V{"   700", "   400"}));
    EXPECT_EQ(tab.Ini().ReadInteger("KaimeSet", "HaibunSet", 0), 1);

    host.selected = -1;
    tab.SetAmount(5000);
    EXPECT_EQ(day().RaceAmounts[0], 1000);
    EXPECT_EQ(GridColumn(tab.Book().Grid(BetKind::Umaren), 6), (V{"   700", "   400"}));
}

TEST_F(TabStakes, AnAmountUnder100LeavesNothingToVote) {
    betting::KaimeTab tab(day(), host, marks, context);
    tab.ShowRaceAmount();
    tab.BuildBets();
    tab.SetPage(betting::PageOf(BetKind::Umaren));
    for (std::int64_t typed : {50, 0}) {
        tab.SetAmount(3000);
        ASSERT_EQ(GridColumn(tab.Book().Grid(BetKind::Umaren), 6), (V{"  1500", "  1500"}));
        tab.SetAmount(typed);
        EXPECT_EQ(GridColumn(tab.Book().Grid(BetKind::Umaren), 6), (V{"", ""})) << typed;
        EXPECT_EQ(tab.Book().labels.Find(BetKind::Umaren, LabelSlot::Total)->caption, "");
        notifier.messages.clear();
        EXPECT_EQ(tab.WriteActiveBetFile(), betting::VoteResult::Refused) << typed;
        EXPECT_EQ(notifier.messages,
                  (V{"買い目が作成されていないか、オッズ未取得のため資金配分ができていません。"}));
        EXPECT_TRUE(notifier.questions.empty()) << "nothing is offered for voting";
    }
}

// While a load, import or fetch fills the day, the tab's commands leave the bets and files alone.
TEST_F(TabStakes, CommandsWaitWhileTheDayIsBusy) {
    betting::KaimeTab tab(day(), host, marks, context);
    tab.ShowRaceAmount();
    tab.BuildBets();
    tab.SetPage(betting::PageOf(BetKind::Umaren));
    const PlainTable& g = tab.Book().Grid(BetKind::Umaren);
    host.busy = true;
    tab.ToggleRowErase(BetKind::Umaren, 0, 1);
    EXPECT_FALSE(tab.SortByHeading(BetKind::Umaren, 3, 0));
    EXPECT_EQ(tab.WriteActiveBetFile(), betting::VoteResult::Refused);
    EXPECT_TRUE(tab.WriteMarks().empty());
    EXPECT_EQ(GridColumn(g, 0), (V{"", ""}));
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_TRUE(notifier.questions.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "CSV"));
    host.busy = false;
    tab.ToggleRowErase(BetKind::Umaren, 0, 1);
    EXPECT_EQ(GridColumn(g, 0), (V{betting::EraseMark(), ""}));
    EXPECT_EQ(tab.WriteActiveBetFile(), betting::VoteResult::Cancelled);
}

TEST_F(TabStakes, TabChangeHighlightsTheActiveLabels) {
    betting::KaimeTab tab(day(), host, marks, context);
    tab.SetPage(betting::PageOf(BetKind::Wide));
    const betting::LabelBoard& l = tab.Book().labels;
    EXPECT_EQ(l.Find(BetKind::Wide, LabelSlot::Total)->background, betting::kActiveLabel);
    EXPECT_EQ(l.Find(BetKind::Tan, LabelSlot::Total)->background, betting::kCream);
    tab.SetPage(betting::PageOf(BetKind::Waku));
    EXPECT_EQ(l.Find(BetKind::Wide, LabelSlot::Total)->background, betting::kCream);
}

// --- heading sorts ---

class Sorts : public testsupport::BetDay {};

TEST_F(Sorts, HeadingClicksSortDescendingThenAscendingWithTiesByRowNumber) {
    testsupport::FakeHost host;
    betting::KaimeTab tab(day(), host, marks, context);
    SetRace(5);
    Mark(betting::kMarkAxisCol, {1}, "◎");
    Mark(betting::kMarkLeg1Col, {2, 3, 4, 5}, "▲");
    LoadOdds(2);
    LoadOdds(3);
    const double odds[] = {5.0, 3.0, 5.0, 9.0};
    for (int b = 2; b <= 5; ++b) {
        calc().UmarenOdds[keiba::QuinellaIndex(1, b)] = odds[b - 2];
        calc().WideOdds[keiba::QuinellaIndex(1, b)] = odds[b - 2];
    }
    tab.BuildBets();
    tab.SetPage(betting::PageOf(BetKind::Umaren));
    ASSERT_TRUE(tab.SortByHeading(BetKind::Umaren, 3, 0));
    auto keys = [&](BetKind k) {
        V v;
        for (int r = 1; r < tab.Book().Grid(k).RowCount(); ++r)
            v.push_back(tab.Book().Grid(k).Cells(kKeyCol, r));
        return v;
    };
    EXPECT_EQ(keys(BetKind::Umaren), (V{" 1- 5", " 1- 2", " 1- 4", " 1- 3"}));
    EXPECT_EQ(tab.SortColumn(), 3);
    ASSERT_TRUE(tab.SortByHeading(BetKind::Umaren, 3, 0));
    EXPECT_EQ(keys(BetKind::Umaren), (V{" 1- 3", " 1- 2", " 1- 4", " 1- 5"}));
    // The pair grids share their directions: ワイド's first click on column 3 now descends.
    tab.SetPage(betting::PageOf(BetKind::Wide));
    ASSERT_TRUE(tab.SortByHeading(BetKind::Wide, 3, 0));
    EXPECT_EQ(keys(BetKind::Wide), (V{" 1- 5", " 1- 2", " 1- 4", " 1- 3"}));
    // Column 0 and data rows do not sort.
    EXPECT_FALSE(tab.SortByHeading(BetKind::Wide, 0, 0));
    EXPECT_FALSE(tab.SortByHeading(BetKind::Wide, 3, 1));
    // The row numbers sort like any column, descending first.
    ASSERT_TRUE(tab.SortByHeading(BetKind::Wide, 1, 0));
    EXPECT_EQ(keys(BetKind::Wide), (V{" 1- 5", " 1- 4", " 1- 3", " 1- 2"}));
}

// Two bets are the smallest grid a sort changes.
TEST(SortBetRows, TwoBetsSortBothWays) {
    PlainTable g(14, 3);
    g.SetCell(kKeyCol, 1, " 1- 2");
    g.SetCell(betting::kOddsCol, 1, "   3.0");
    g.SetCell(kKeyCol, 2, " 1- 3");
    g.SetCell(betting::kOddsCol, 2, "  12.5");
    betting::SortBetRows(g, betting::kOddsCol, true);
    EXPECT_EQ(GridColumn(g, kKeyCol), (V{" 1- 3", " 1- 2"}));
    betting::SortBetRows(g, betting::kOddsCol, false);
    EXPECT_EQ(GridColumn(g, kKeyCol), (V{" 1- 2", " 1- 3"}));
}

} // namespace
