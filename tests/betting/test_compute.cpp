// The computations that complete a bet grid: stakes, and results against the payouts.

#include "betfixture.h"

#include "betting/compute.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

namespace {

using betting::BetKind;
using betting::LabelSlot;
using betting::PlainTable;
using testsupport::GridColumn;
using V = std::vector<std::string>;

// A 馬連 grid of bets at the given odds ("" for a row without odds).
PlainTable PairGrid(const std::vector<std::string>& odds) {
    PlainTable g(14, static_cast<int>(odds.size()) + 1);
    for (std::size_t i = 0; i < odds.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        g.SetCell(1, row, keiba::FormatInt(row, 3));
        g.SetCell(2, row, keiba::PairKey(1, row + 1));
        g.SetCell(3, row, odds[i]);
    }
    return g;
}

struct Distributed {
    PlainTable grid;
    betting::LabelBoard labels;
    std::string Label(LabelSlot s) const { return labels.Find(BetKind::Umaren, s)->caption; }
    betting::Rgb RateColor() const {
        return labels.Find(BetKind::Umaren, LabelSlot::YosoKaishu)->font;
    }
};

Distributed Distribute(std::vector<std::string> odds, int mode, std::int64_t budget) {
    Distributed d{PairGrid(odds), {}};
    betting::CalcFundDistribution(BetKind::Umaren, mode, budget, d.grid, 7, 6, 0, 3, 1, d.labels);
    return d;
}

// The numbers the grids write, as printf writes "%Nd", and the odds they read back.
TEST(Stakes, CellNumbers) {
    for (std::int64_t v : {0LL, 7LL, -7LL, 100LL, 4896LL, 123456789LL, -9223372036854775807LL - 1})
        for (int width : {0, 2, 3, 6, 8, 21}) {
            char expected[64];
            std::snprintf(expected, sizeof expected, "%*lld", width, static_cast<long long>(v));
            EXPECT_EQ(betting::IntText(v, width), expected) << v << " " << width;
        }
    struct Case {
        const char* cell;
        double value;
    } cases[] = {{"   12.3", 12.3}, {"0.1", 0.1},    {"999999.9", 999999.9}, {"  -1.0", -1.0},
                 {"1.25", 1.25},    {"12.3x", 12.3}, {"1.2.3", 1.2},         {"", 0.0},
                 {"  .5", 0.5},     {"abc", 0.0},    {"   1530", 1530.0}};
    for (const Case& c : cases) EXPECT_EQ(betting::CellDouble(c.cell), c.value) << c.cell;
}

TEST(Stakes, EqualModeRoundsUpToTheNextUnitAboveATenth) {
    Distributed d =
        Distribute({"   6.2", "   3.1", "  12.0", "   8.5", "  20.3", "   4.4", "  15.0"},
                   betting::kModeEqual, 3000);
    EXPECT_EQ(GridColumn(d.grid, 6), V(7, "   500"));
    EXPECT_EQ(d.Label(LabelSlot::Tensu), "  7");
    EXPECT_EQ(d.Label(LabelSlot::Total), "  3500");
    EXPECT_EQ(GridColumn(d.grid, 7)[0], "   3100");
    EXPECT_EQ(GridColumn(d.grid, 8)[0], "   88.6");
    EXPECT_EQ(d.Label(LabelSlot::YosoKaishu), "  141.8");
    EXPECT_EQ(d.RateColor(), betting::kBlack);

    struct Case {
        int bets;
        std::int64_t budget;
        const char* stake;
        const char* total;
    };
    for (Case c : {Case{29, 3000, "   100", "  2900"}, Case{27, 3000, "   200", "  5400"},
                   Case{30, 3000, "   100", "  3000"}, Case{3, 100, "   100", "   300"}}) {
        Distributed e = Distribute(V(static_cast<std::size_t>(c.bets), "   2.0"),
                                   betting::kModeEqual, c.budget);
        EXPECT_EQ(GridColumn(e.grid, 6)[0], c.stake) << c.bets;
        EXPECT_EQ(e.Label(LabelSlot::Total), c.total) << c.bets;
    }
}

TEST(Stakes, ProportionalModeWeighsByInverseOdds) {
    Distributed d = Distribute({"   2.0", "   4.0"}, betting::kModeProportional, 1000);
    EXPECT_EQ(GridColumn(d.grid, 6), (V{"   700", "   400"}));
    EXPECT_EQ(d.Label(LabelSlot::Total), "  1100");

    // A share under one unit is still staked with the 100-yen minimum.
    Distributed tiny = Distribute({"   2.0", " 400.0"}, betting::kModeProportional, 1000);
    EXPECT_EQ(GridColumn(tiny.grid, 6), (V{"  1000", "   100"}));
    EXPECT_EQ(tiny.Label(LabelSlot::Total), "  1100");

    // A counted bet at odds 0.0 weighs nothing but is counted and staked at the minimum.
    Distributed zero = Distribute({"   2.0", "   0.0", "   4.0"}, betting::kModeProportional, 1000);
    EXPECT_EQ(GridColumn(zero.grid, 6), (V{"   700", "   100", "   400"}));
    EXPECT_EQ(GridColumn(zero.grid, 7), (V{"   1400", "      0", "   1600"}));
    EXPECT_EQ(zero.Label(LabelSlot::Tensu), "  3");
    EXPECT_EQ(zero.Label(LabelSlot::Total), "  1200");
    EXPECT_EQ(zero.Label(LabelSlot::YosoKaishu), "   83.3");

    Distributed even = Distribute({"   2.0", "   3.0", "   6.0"}, betting::kModeProportional, 3000);
    EXPECT_EQ(GridColumn(even.grid, 6), (V{"  1500", "  1000", "   500"}));
    EXPECT_EQ(even.Label(LabelSlot::YosoKaishu), "  100.0");
    EXPECT_EQ(even.RateColor(), betting::kRed);
}

TEST(Stakes, AGridWithoutOddsIsLeftAlone) {
    PlainTable g = PairGrid({"      "});
    g.SetCell(6, 1, "   700");
    betting::LabelBoard labels;
    betting::CalcFundDistribution(BetKind::Umaren, 0, 3000, g, 7, 6, 0, 3, 1, labels);
    EXPECT_EQ(g.Cells(6, 1), "   700");
    EXPECT_EQ(labels.Find(BetKind::Umaren, LabelSlot::Total)->caption, "");
}

// A budget under 100 (or none) stakes nothing: what an earlier budget wrote must go.
TEST(Stakes, ABudgetUnder100ClearsTheStakesAndTheSummary) {
    for (std::int64_t budget : {99, 0}) {
        Distributed d = Distribute({"   2.0", "   4.0"}, betting::kModeEqual, 3000);
        ASSERT_EQ(GridColumn(d.grid, 6), (V{"  1500", "  1500"}));
        betting::CalcFundDistribution(BetKind::Umaren, betting::kModeEqual, budget, d.grid, 7, 6, 0,
                                      3, 1, d.labels);
        for (int col : {6, 7, 8}) EXPECT_EQ(GridColumn(d.grid, col), (V{"", ""})) << budget;
        for (LabelSlot s : {LabelSlot::Tensu, LabelSlot::Total, LabelSlot::YosoKaishu})
            EXPECT_EQ(d.Label(s), "") << budget;
        EXPECT_EQ(GridColumn(d.grid, 3), (V{"   2.0", "   4.0"})) << "the bets stay";
    }
}

// A full trifecta grid of an 18-runner field is 4896 bets, the most a grid holds: it is staked
// to its last row. A grid with one row more is no bet grid and is left as it is.
TEST(Stakes, AFullTrifectaGridIsStakedToItsLastRowAndOneRowMoreIsLeftAlone) {
    Distributed full = Distribute(V(4896, "   2.0"), betting::kModeEqual, 489600);
    EXPECT_EQ(full.grid.Cells(6, 4896), "   100");
    EXPECT_EQ(full.Label(LabelSlot::Tensu), "4896");
    EXPECT_EQ(full.Label(LabelSlot::Total), "489600");

    Distributed over = Distribute(V(4897, "   2.0"), betting::kModeEqual, 489700);
    EXPECT_EQ(over.grid.Cells(6, 1), "");
    EXPECT_EQ(over.Label(LabelSlot::Total), "");
}

// The trifecta's three calls in an 18-runner field: the third runner, the 18th favourite,
// reads the last of the table's 54 columns.
TEST(AppearRates, TheEighteenthFavouriteOfAFullFieldReadsTheLastColumn) {
    betting::AppearRateTable table;
    table.rate[18][16] = 0.123;     // block 1, popularity 16
    table.rate[18][18 + 17] = 0.5;  // block 2, popularity 17
    table.rate[18][36 + 18] = 0.25; // block 3, popularity 18
    PlainTable g(14, 2);
    g.SetCell(5, 1, "16-17-18");
    betting::FillAppearRateColumn(table, 1, 1, 18, 1, g, 9, 5);
    betting::FillAppearRateColumn(table, 2, 2, 18, 1, g, 10, 5);
    betting::FillAppearRateColumn(table, 3, 3, 18, 1, g, 11, 5);
    EXPECT_EQ(g.Cells(9, 1), " 12.3");
    EXPECT_EQ(g.Cells(10, 1), " 50.0");
    EXPECT_EQ(g.Cells(11, 1), " 25.0");
}

class Results : public testsupport::BetDay {
protected:
    jvdata::PayoutTables& pay() { return day().gPayoutTables; }
};

TEST_F(Results, PairKeysHitOnlyInTheirWrittenOrder) {
    pay().gPayKeyUmaren[0][1] = " 2- 5";
    pay().gPayYenUmaren[0][1] = 1230;
    pay().gPayPopUmaren[0][1] = 5;
    PlainTable g = PairGrid({"   9.0", "   9.0"});
    g.SetCell(2, 1, " 5- 2");
    g.SetCell(2, 2, " 2- 5");
    g.SetCell(6, 1, "   500");
    g.SetCell(6, 2, "   500");
    betting::LabelBoard labels;
    labels.Find(BetKind::Umaren, LabelSlot::Total)->caption = "  1000";
    betting::SetKaimeResults(BetKind::Umaren, 2, 6, g, 13, 12, 11, pay(), 0, labels);
    EXPECT_EQ(GridColumn(g, 11), (V{"", "   1230"}));
    EXPECT_EQ(GridColumn(g, 12), (V{"", "   6150"}));
    EXPECT_EQ(GridColumn(g, 13), (V{"", "  5"}));
    const betting::LabelState* result = labels.Find(BetKind::Umaren, LabelSlot::Kaishu);
    EXPECT_EQ(result->caption, "    6150");
    EXPECT_EQ(result->font, betting::kBlack);
}

TEST_F(Results, ReturnsAreSixtyFourBitAndRedBelowTheStake) {
    pay().gPayKeySanrentan[0][1] = " 7- 1-12";
    pay().gPayYenSanrentan[0][1] = 5000000;
    PlainTable g(15, 2);
    g.SetCell(1, 1, "   1");
    g.SetCell(2, 1, " 7- 1-12");
    g.SetCell(6, 1, "   500");
    betting::LabelBoard labels;
    labels.Find(BetKind::Sanrentan, LabelSlot::Total)->caption = "25000000";
    betting::SetKaimeResults(BetKind::Sanrentan, 2, 6, g, 14, 13, 12, pay(), 0, labels);
    EXPECT_EQ(g.Cells(13, 1), "25000000");
    EXPECT_EQ(labels.Find(BetKind::Sanrentan, LabelSlot::Kaishu)->font, betting::kBlack);
    labels.Find(BetKind::Sanrentan, LabelSlot::Total)->caption = "25000001";
    betting::SetKaimeResults(BetKind::Sanrentan, 2, 6, g, 14, 13, 12, pay(), 0, labels);
    EXPECT_EQ(labels.Find(BetKind::Sanrentan, LabelSlot::Kaishu)->font, betting::kRed);
}

// Every payout entry of every bet type is looked at: the last ones carry dead heats.
TEST_F(Results, EveryPayoutEntryOfEveryTypeCanHit) {
    using Set = std::function<void(jvdata::PayoutTables&, int j)>;
    struct Kind {
        BetKind kind;
        int entries;
        const char* key; // the grid key, as the builder writes it
        Set set;         // puts that key into entry j, paying 1000 + j at popularity j
        int stakeCol, popCol, returnCol, payoutCol;
    };
    const Kind kinds[] = {
        {BetKind::Tan, 3, " 7",
         [](jvdata::PayoutTables& t, int j) {
             t.gPayKeyWin[0][j] = 7, t.gPayYenWin[0][j] = 1000 + j, t.gPayPopWin[0][j] = j;
         },
         5, 11, 10, 9},
        {BetKind::Fuku, 5, " 7",
         [](jvdata::PayoutTables& t, int j) {
             t.gPayKeyPlace[0][j] = 7, t.gPayYenPlace[0][j] = 1000 + j, t.gPayPopPlace[0][j] = j;
         },
         5, 11, 10, 9},
        {BetKind::Umaren, 3, " 2- 5",
         [](jvdata::PayoutTables& t, int j) {
             t.gPayKeyUmaren[0][j] = " 2- 5", t.gPayYenUmaren[0][j] = 1000 + j,
             t.gPayPopUmaren[0][j] = j;
         },
         6, 13, 12, 11},
        {BetKind::Wide, 7, " 2- 5",
         [](jvdata::PayoutTables& t, int j) {
             t.gPayKeyWide[0][j] = " 2- 5", t.gPayYenWide[0][j] = 1000 + j, t.gPayPopWide[0][j] = j;
         },
         6, 13, 12, 11},
        {BetKind::Umatan, 6, " 5- 2",
         [](jvdata::PayoutTables& t, int j) {
             t.gPayKeyUmatan[0][j] = " 5- 2", t.gPayYenUmatan[0][j] = 1000 + j,
             t.gPayPopUmatan[0][j] = j;
         },
         6, 13, 12, 11},
        {BetKind::Sanrenpuku, 3, " 2- 5-12",
         [](jvdata::PayoutTables& t, int j) {
             t.gPayKeySanrenpuku[0][j] = " 2- 5-12", t.gPayYenSanrenpuku[0][j] = 1000 + j,
             t.gPayPopSanrenpuku[0][j] = j;
         },
         6, 14, 13, 12},
        {BetKind::Sanrentan, 6, "12- 5- 2",
         [](jvdata::PayoutTables& t, int j) {
             t.gPayKeySanrentan[0][j] = "12- 5- 2", t.gPayYenSanrentan[0][j] = 1000 + j,
             t.gPayPopSanrentan[0][j] = j;
         },
         6, 14, 13, 12},
    };
    for (const Kind& k : kinds)
        for (int j = 1; j <= k.entries; ++j) {
            pay() = {};
            k.set(pay(), j);
            PlainTable g(15, 2);
            g.SetCell(1, 1, "  1");
            g.SetCell(2, 1, k.key);
            g.SetCell(k.stakeCol, 1, "   200");
            betting::LabelBoard labels;
            betting::SetKaimeResults(k.kind, 2, k.stakeCol, g, k.popCol, k.returnCol, k.payoutCol,
                                     pay(), 0, labels);
            const std::string yen = std::to_string(1000 + j);
            SCOPED_TRACE(std::string(k.key) + " entry " + std::to_string(j));
            EXPECT_EQ(g.Cells(k.payoutCol, 1), "   " + yen);
            EXPECT_EQ(g.Cells(k.returnCol, 1), "   " + std::to_string(2 * (1000 + j)));
            EXPECT_EQ(g.Cells(k.popCol, 1), "  " + std::to_string(j));
            EXPECT_EQ(labels.Find(k.kind, LabelSlot::Kaishu)->caption,
                      "    " + std::to_string(2 * (1000 + j)));
        }
}

TEST_F(Results, PlaceHitsMatchTheHorseNumber) {
    pay().gPayKeyPlace[0] = {0, 3, 12, 7, 0, 0};
    pay().gPayYenPlace[0] = {0, 150, 320, 180, 0, 0};
    PlainTable g(12, 4);
    for (int r = 1; r <= 3; ++r) g.SetCell(1, r, keiba::FormatInt(r, 2));
    g.SetCell(2, 1, " 3");
    g.SetCell(2, 2, " 5");
    g.SetCell(2, 3, "12");
    g.SetCell(0, 3, betting::EraseMark()); // erased rows still show their payout
    betting::LabelBoard labels;
    betting::SetKaimeResults(BetKind::Fuku, 2, 5, g, 11, 10, 9, pay(), 0, labels);
    EXPECT_EQ(GridColumn(g, 9), (V{"    150", "", "    320"}));
    EXPECT_EQ(GridColumn(g, 10), (V{"      0", "", "      0"}));
    EXPECT_EQ(labels.Find(BetKind::Fuku, LabelSlot::Kaishu)->caption, "");
}

} // namespace
