#include "betfixture.h"

#include "jvdata/oddsreader.h"
#include "tests/jvdata/recordmaker.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

namespace {

using betting::BetKind;
using betting::kKeyCol;
using testsupport::BetDay;
using V = std::vector<std::string>;

constexpr int kAxis = betting::kMarkAxisCol, kLeg1 = betting::kMarkLeg1Col,
              kLeg2 = betting::kMarkLeg2Col, kErase = betting::kMarkEraseCol;

class Builder : public BetDay {};

TEST_F(Builder, AxisAndPartnersGiveEveryTypeItsKeysInIndexOrder) {
    SetRace(5);
    Mark(kAxis, {1}, "◎");
    Mark(kLeg1, {2, 3}, "▲");
    Mark(kLeg2, {2, 3}, "△");
    Build();
    EXPECT_EQ(Column(BetKind::Tan, kKeyCol), V{" 1"});
    EXPECT_EQ(Column(BetKind::Umaren, kKeyCol), (V{" 1- 2", " 1- 3"}));
    EXPECT_EQ(Column(BetKind::Umatan, kKeyCol), (V{" 1- 2", " 1- 3"}));
    EXPECT_EQ(Column(BetKind::Sanrenpuku, kKeyCol), V{" 1- 2- 3"});
    EXPECT_EQ(Column(BetKind::Sanrentan, kKeyCol),
              (V{" 1- 2- 3", " 1- 3- 2", " 2- 1- 3", " 2- 3- 1", " 3- 1- 2", " 3- 2- 1"}));
    EXPECT_EQ(Column(BetKind::Sanrentan, betting::kNumberCol),
              (V{"   1", "   2", "   3", "   4", "   5", "   6"}));
    // No odds record: blank odds and popularity of the line's widths, no stakes.
    EXPECT_EQ(Column(BetKind::Umaren, betting::kOddsCol), (V{"       ", "       "}));
    EXPECT_EQ(Column(BetKind::Sanrentan, betting::kOddsCol)[0], "        ");
    EXPECT_EQ(Column(BetKind::Umaren, 6), (V{"", ""}));

    // One runner in each column: the one triple is bought in all six orders, partner 2 -
    // partner 1 - axis included.
    SetRace(5);
    Mark(kAxis, {4}, "◎");
    Mark(kLeg1, {2}, "▲");
    Mark(kLeg2, {5}, "△");
    Build();
    EXPECT_EQ(Column(BetKind::Sanrenpuku, kKeyCol), V{" 2- 4- 5"});
    EXPECT_EQ(Column(BetKind::Sanrentan, kKeyCol),
              (V{" 2- 4- 5", " 2- 5- 4", " 4- 2- 5", " 4- 5- 2", " 5- 2- 4", " 5- 4- 2"}));
}

TEST_F(Builder, ExcludedRunnersTakePartInNoBet) {
    SetRace(6);
    Mark(kAxis, {1, 2}, "◎");
    Mark(kLeg1, {1, 2, 3, 4}, "▲");
    Mark(kLeg2, {3, 4}, "▲");
    Mark(kErase, {2, 4}, "消");
    Build();
    EXPECT_EQ(Column(BetKind::Tan, kKeyCol), V{" 1"});
    EXPECT_EQ(Column(BetKind::Umaren, kKeyCol), V{" 1- 3"});
    EXPECT_EQ(Column(BetKind::Umatan, kKeyCol), V{" 1- 3"});
    EXPECT_EQ(Column(BetKind::Sanrenpuku, kKeyCol), V{""}); // one empty row
    EXPECT_EQ(book.Grid(BetKind::Sanrenpuku).RowCount(), 2);
}

TEST_F(Builder, OddsLoadedShowLinesAndDropKeysNotOnSale) {
    SetRace(12);
    Mark(kAxis, {3}, "◎");
    Mark(kLeg1, {1, 2, 12}, "▲");
    LoadOdds(2);
    calc().UmarenOdds[keiba::CombIndexQuinella(" 3-12")] = 45.3;
    calc().UmarenPop[keiba::CombIndexQuinella(" 3-12")] = 12;
    calc().UmarenOdds[keiba::CombIndexQuinella(" 1- 3")] = -1.0;
    calc().UmarenOdds[keiba::CombIndexQuinella(" 2- 3")] = -2.0;
    calc().WinPop[2] = 4;
    calc().WinPop[11] = 9;
    Build();
    const betting::PlainTable& g = book.Grid(BetKind::Umaren);
    ASSERT_EQ(g.RowCount(), 2);
    EXPECT_EQ(g.Cells(1, 1), "  1");
    EXPECT_EQ(g.Cells(2, 1), " 3-12");
    EXPECT_EQ(g.Cells(3, 1), "   45.3");
    EXPECT_EQ(g.Cells(4, 1), " 12");
    EXPECT_EQ(g.Cells(5, 1), " 4- 9");
    // The wide record is missing: all three keys with blank odds.
    EXPECT_EQ(Column(BetKind::Wide, kKeyCol), (V{" 1- 3", " 2- 3", " 3-12"}));
    EXPECT_EQ(Column(BetKind::Wide, 5), (V{"", "", " 4- 9"})); // popularities of both known
}

// The odds of the race's quinella file as the read left them: the build converts them itself.
TEST_F(Builder, CombinationOddsJustReadFromTheFilesAreListed) {
    SetRace(3);
    Mark(kAxis, {1}, "◎");
    Mark(kLeg1, {2, 3}, "▲");
    jvdata::OddsDayFiles files;
    for (std::size_t k = 0; k < 6; ++k) files.paths[k] = dir / ("d.jvO" + std::to_string(k + 1));
    std::string o2 = testsupport::MakeRecord("O2", testsupport::kRaceKey);
    // Quinellas 1-2 and 1-3 (positions 41 and 54): odds 123.4 and 5.6, popularities 5 and 1.
    jvdata::SetField(o2, 41, 26, "01020012340050103000056001");
    testsupport::WriteBytes(files.paths[1], o2);
    jvdata::OddsFileCache cache;
    jvdata::ReadRaceOdds(day().gDayRaces[0], files, cache, day().OddsSlots(0), calc());
    Build();
    EXPECT_EQ(Column(BetKind::Umaren, kKeyCol), (V{" 1- 2", " 1- 3"}));
    EXPECT_EQ(Column(BetKind::Umaren, betting::kOddsCol), (V{"  123.4", "    5.6"}));
    EXPECT_EQ(Column(BetKind::Umaren, betting::kPopCol), (V{"  5", "  1"}));
}

// A place line shows the place rank, by the lower place odds, of its runner: here neither its
// win rank nor its rank by the upper odds (runner 1: win 1st, lower 3rd, upper 2nd).
TEST_F(Builder, APlaceLineShowsTheRankOfItsLowerPlaceOdds) {
    SetRace(3);
    Mark(kAxis, {1, 2, 3}, "◎");
    jvdata::OddsDayFiles files;
    for (std::size_t k = 0; k < 6; ++k) files.paths[k] = dir / ("d.jvO" + std::to_string(k + 1));
    std::string o1 = testsupport::MakeRecord("O1", testsupport::kRaceKey);
    const char* win[] = {"0020", "0050", "0090"};
    const char* lower[] = {"0030", "0015", "0022"};
    const char* upper[] = {"0035", "0099", "0025"};
    for (std::size_t h = 0; h < 3; ++h) {
        jvdata::SetField(o1, 46 + 8 * h, 4, win[h]);
        jvdata::SetField(o1, 270 + 12 * h, 4, lower[h]);
        jvdata::SetField(o1, 274 + 12 * h, 4, upper[h]);
    }
    testsupport::WriteBytes(files.paths[0], o1);
    jvdata::OddsFileCache cache;
    jvdata::ReadRaceOdds(day().gDayRaces[0], files, cache, day().OddsSlots(0), calc());
    Build();
    EXPECT_EQ(Column(BetKind::Fuku, betting::kOddsCol), (V{"   3.0", "   1.5", "   2.2"}));
    EXPECT_EQ(Column(BetKind::Fuku, betting::kPopCol), (V{" 3", " 1", " 2"}));
}

// What a build leaves (erasures, stakes, rates, results, rows) is gone after the next: the grids
// read as those of a build from nothing.
TEST_F(Builder, ARebuildLeavesNothingOfTheBuildBefore) {
    SetRace(6);
    for (int kind = 1; kind <= 6; ++kind) LoadOdds(kind);
    for (std::size_t h = 0; h < 6; ++h) {
        calc().WinOdds[h] = calc().PlaceOddsMin[h] = 2.0 + static_cast<double>(h);
        calc().WinPop[h] = calc().PlaceMinPop[h] = static_cast<int>(h) + 1;
    }
    calc().UmarenOdds.fill(5.0);
    calc().WideOdds.fill(3.0);
    calc().UmatanOdds.fill(7.0);
    calc().SanrenpukuOdds.fill(9.0);
    calc().SanrentanOdds.fill(11.0);
    jvdata::PayoutTables& pay = day().gPayoutTables;
    pay.gPayKeyWin[0][1] = 1;
    pay.gPayYenWin[0][1] = 200;
    pay.gPayKeyUmaren[0][1] = " 1- 2";
    pay.gPayYenUmaren[0][1] = 500;
    pay.gPayKeySanrentan[0][1] = " 1- 2- 3";
    pay.gPayYenSanrentan[0][1] = 5000;
    Mark(kAxis, {1, 2, 3}, "◎");
    Mark(kLeg1, {1, 2, 3, 4, 5, 6}, "▲");
    Mark(kLeg2, {1, 2, 3, 4, 5, 6}, "▲");
    Build(1, 10000);
    book.Grid(BetKind::Umaren).SetCell(betting::kEraseCol, 1, betting::EraseMark());
    ASSERT_FALSE(book.Grid(BetKind::Sanrentan).Cells(13, 1).empty()); // a result was written

    // No third leg: the triple grids keep one empty row.
    marks = betting::PlainTable(14, 7);
    Mark(kAxis, {4}, "◎");
    Mark(kLeg1, {5, 6}, "▲");
    Build(0, 3000);
    betting::BetBook fresh;
    betting::BuildBets(day(), marks, {0, 3000}, fresh);
    for (BetKind k : betting::kAllKinds) {
        const betting::PlainTable &got = book.Grid(k), &want = fresh.Grid(k);
        ASSERT_EQ(got.RowCount(), want.RowCount()) << betting::LayoutOf(k).name;
        for (int row = 0; row < want.RowCount(); ++row)
            for (int col = 0; col < want.ColCount(); ++col)
                EXPECT_EQ(got.Cells(col, row), want.Cells(col, row))
                    << betting::LayoutOf(k).name << " col " << col << " row " << row;
    }
}

TEST_F(Builder, CombinationsAtOddsOfExactlyZeroAreNotListed) {
    SetRace(5);
    Mark(kAxis, {1}, "◎");
    Mark(kLeg1, {2, 3}, "▲");
    Mark(kLeg2, {2, 3, 4}, "▲");
    for (int kind = 2; kind <= 6; ++kind) LoadOdds(kind);
    // Every array holds 0.0 but for the one priced combination of each type.
    calc().UmarenOdds[keiba::CombIndexQuinella(" 1- 3")] = 5.0;
    calc().WideOdds[keiba::CombIndexQuinella(" 1- 2")] = 2.0;
    calc().UmatanOdds[keiba::CombIndexExacta(" 1- 3")] = 9.0;
    calc().SanrenpukuOdds[keiba::CombIndexTrio(" 1- 2- 4")] = 7.0;
    calc().SanrentanOdds[keiba::CombIndexTrifecta(" 2- 4- 1")] = 30.0;
    Build();
    EXPECT_EQ(Column(BetKind::Umaren, kKeyCol), V{" 1- 3"});
    EXPECT_EQ(Column(BetKind::Wide, kKeyCol), V{" 1- 2"});
    EXPECT_EQ(Column(BetKind::Umatan, kKeyCol), V{" 1- 3"});
    EXPECT_EQ(Column(BetKind::Sanrenpuku, kKeyCol), V{" 1- 2- 4"});
    EXPECT_EQ(Column(BetKind::Sanrentan, kKeyCol), V{" 2- 4- 1"});
}

TEST_F(Builder, WinAndPlaceLinesFollowPopularityAndPlaceOdds) {
    SetRace(4);
    Mark(kAxis, {1, 2, 3}, "◎");
    LoadOdds(1);
    calc().WinOdds = {2.5, 8.0, 30.1};
    calc().WinPop = {1, 2, 0}; // runner 3 has no popularity with the odds loaded
    calc().PlaceOddsMin = {1.2, 0.0, 0.0};
    calc().PlaceMinPop = {1, 0, 0};
    Build();
    EXPECT_EQ(Column(BetKind::Tan, kKeyCol), (V{" 1", " 2"}));
    EXPECT_EQ(Column(BetKind::Tan, betting::kOddsCol), (V{"   2.5", "   8.0"}));
    EXPECT_EQ(Column(BetKind::Tan, betting::kPopCol), (V{" 1", " 2"}));
    // Runner 2 has no place odds: no place line to put money on.
    EXPECT_EQ(Column(BetKind::Fuku, kKeyCol), V{" 1"});
    EXPECT_EQ(Column(BetKind::Fuku, betting::kOddsCol), V{"   1.2"});
}

// --- automatic marks ---

class AutoMarks : public BetDay {
protected:
    void Runner(int horse, std::string_view mark, std::string_view pedigree, int order,
                std::string_view r = "", std::string_view jockey = "") {
        raceday::TOutData2& t = day().gRaceTexts[0];
        const auto h = static_cast<std::size_t>(horse - 1);
        t.YosoMark[h] = keiba::Sj(mark);
        t.KettoRank[h] = std::string(pedigree);
        t.RJunText[h] = order > 0 ? keiba::FormatInt(order, 2) : "";
        t.RUmaMark[h] = std::string(r);
        t.KishuRank[h] = std::string(jockey);
    }
    V Col(int col) const {
        V v;
        for (int r = 1; r < marks.RowCount(); ++r)
            v.push_back(keiba::Cp932ToUtf8(marks.Cells(col, r)));
        return v;
    }
};

TEST_F(AutoMarks, AxisRanksPedigreeThenROrderThenMarkThenNumber) {
    struct Case {
        const char* what;
        std::vector<std::tuple<int, const char*, const char*, int>> runners;
        V axis;
    };
    const Case cases[] = {
        {"pedigree first", {{1, "◎", "B", 1}, {2, "×", "A", 9}, {3, "○", "C", 1}}, {"◎", "◎", ""}},
        {"R order breaks a pedigree tie",
         {{1, "◎", "S", 5}, {2, "◎", "S", 2}, {3, "◎", "S", 3}},
         {"", "◎", "◎"}},
        {"mark breaks an R-order tie",
         {{1, "△", "A", 2}, {2, "◎", "A", 2}, {3, "○", "A", 2}},
         {"", "◎", "◎"}},
        {"number last", {{1, "◎", "A", 2}, {2, "◎", "A", 2}, {3, "◎", "A", 2}}, {"◎", "◎", ""}},
        {"all three needed", {{1, "", "S", 1}, {2, "◎", "", 1}, {3, "◎", "S", 0}}, {"", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        SetRace(3);
        for (auto& [h, m, p, o] : c.runners) Runner(h, m, p, o);
        betting::FillAxisAndPartners(day(), marks, betting::kLogicSystem);
        EXPECT_EQ(Col(kAxis), c.axis);
    }
}

TEST_F(AutoMarks, RankCStillMakesATrianglePartnerAndRankDNever) {
    SetRace(6);
    Runner(1, "", "C", 0, "R+", "C");
    Runner(2, "", "S", 0, "R-", "C");
    Runner(3, "", "C", 0, "R-", "S");
    Runner(4, "", "C", 0, "R+", "D");
    Runner(5, "", "D", 0, "R+", "C");
    Runner(6, "", "C", 0, "", "C"); // no R mark
    betting::FillAxisAndPartners(day(), marks, betting::kLogicSystem);
    EXPECT_EQ(Col(kLeg1), (V{"▲", "▲", "▲", "", "", ""}));
    EXPECT_EQ(Col(kLeg2), Col(kLeg1));
}

TEST_F(AutoMarks, TrianglePartnersFillUpToSix) {
    for (int strong : {0, 4, 5}) {
        SCOPED_TRACE(strong);
        SetUp();
        SetRace(12);
        for (int h = 1; h <= 12; ++h)
            Runner(h, "", "C", 13 - h, h <= strong ? "R+" : "", h <= strong ? "B" : "D");
        Mark(kErase, {12}, "消");
        betting::FillAxisAndPartners(day(), marks, betting::kLogicSystem);
        V leg1 = Col(kLeg1);
        EXPECT_EQ(std::count(leg1.begin(), leg1.end(), "▲"), strong);
        EXPECT_EQ(std::count(leg1.begin(), leg1.end(), "△"), strong < 5 ? 6 - strong : 0);
        EXPECT_EQ(Col(kLeg2), leg1);
        // Best R order first: runner 12 has order 1 and is taken despite its 消.
        if (strong < 5) {
            EXPECT_EQ(leg1[11], "△");
        }
        EXPECT_EQ(keiba::Cp932ToUtf8(marks.Cells(kErase, 12)), "消");
        EXPECT_EQ(calc().PartnerFlag1[11], strong < 5 ? 2 : 0);
    }
}

TEST_F(AutoMarks, UserModeShowsAxisAndTrianglesOnly) {
    SetRace(4);
    Runner(1, "◎", "S", 1, "R+", "S"); // ignored in this mode
    calc().UserNeraiMatch[1] = {1, 0, 1};
    calc().UserNeraiMatch[2] = {0, 1, 0};
    Mark(kLeg1, {4}, "×");
    betting::FillAxisAndPartners(day(), marks, betting::kLogicUser);
    EXPECT_EQ(Col(kAxis), (V{"", "◎", "", ""}));
    EXPECT_EQ(Col(kLeg1), (V{"", "", "▲", ""}));
    EXPECT_EQ(Col(kLeg2), (V{"", "▲", "", ""}));
    EXPECT_EQ(calc().AxisFlag[1], 1);
}

TEST_F(AutoMarks, TogglesSetTheMarkOfTheModeAndClearAgain) {
    SetRace(3);
    calc().PartnerFlag1 = {1, 2, 0};
    struct Case {
        int logic, col, row;
        const char* mark;
    };
    const Case cases[] = {{0, kAxis, 1, "◎"}, {0, kLeg1, 1, "▲"}, {0, kLeg1, 2, "△"},
                          {0, kLeg1, 3, "×"}, {1, kLeg1, 2, "×"}, {1, kErase, 3, "消"}};
    for (const Case& c : cases) {
        EXPECT_TRUE(betting::ToggleMark(day(), marks, c.logic, c.col, c.row));
        EXPECT_EQ(keiba::Cp932ToUtf8(marks.Cells(c.col, c.row)), c.mark);
        EXPECT_TRUE(betting::ToggleMark(day(), marks, c.logic, c.col, c.row));
        EXPECT_EQ(marks.Cells(c.col, c.row), "");
    }
    EXPECT_FALSE(betting::ToggleMark(day(), marks, 2, kAxis, 1));
    EXPECT_FALSE(betting::ToggleMark(day(), marks, 0, 7, 1));
    EXPECT_FALSE(betting::ToggleMark(day(), marks, 0, kAxis, 0));
}

// Runner slot 17, the last of a full field: the automatic marks of both modes, the toggles and
// the bets reach it like any other.
TEST_F(AutoMarks, TheEighteenthRunnerOfAFullFieldIsMarkedAndBet) {
    SetRace(18);
    Runner(18, "◎", "S", 1, "R+", "S");
    betting::FillAxisAndPartners(day(), marks, betting::kLogicSystem);
    EXPECT_EQ(Col(kAxis)[17], "◎");
    EXPECT_EQ(Col(kLeg1)[17], "▲");
    EXPECT_TRUE(betting::ToggleMark(day(), marks, betting::kLogicSystem, kLeg2, 18));
    EXPECT_TRUE(betting::ToggleMark(day(), marks, betting::kLogicSystem, kLeg2, 18));
    EXPECT_EQ(Col(kLeg2)[17], "▲");

    SetRace(18);
    calc().UserNeraiMatch[17] = {1, 1, 1};
    betting::FillAxisAndPartners(day(), marks, betting::kLogicUser);
    EXPECT_EQ(Col(kAxis)[17], "◎");
    EXPECT_EQ(Col(kLeg2)[17], "▲");

    SetRace(18);
    calc().WinPop[15] = 3;
    calc().WinPop[16] = 2;
    calc().WinPop[17] = 1;
    Mark(kAxis, {18}, "◎");
    Mark(kLeg1, {17}, "▲");
    Mark(kLeg2, {16}, "▲");
    Build();
    EXPECT_EQ(Column(BetKind::Tan, kKeyCol), V{"18"});
    EXPECT_EQ(Column(BetKind::Sanrentan, kKeyCol),
              (V{"16-17-18", "16-18-17", "17-16-18", "17-18-16", "18-16-17", "18-17-16"}));
    EXPECT_EQ(Column(BetKind::Sanrentan, betting::kRenPopCol).back(), " 1- 2- 3");
}

} // namespace
