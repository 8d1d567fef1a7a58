// The tests of the R-horse search and the statistics on one analysis record: the runners no
// search counts, the list conditions of both runs, the inclusive ranges, and the checks made
// before a walk starts.

#include "search/rsearch.h"

#include "tests/support/analysismaker.h"

#include <gtest/gtest.h>

using namespace search;
using testsupport::AnalysisMaker;

namespace {

// A runner the start values let through: priced this run, with a previous run.
AnalysisMaker Runner() {
    AnalysisMaker m("20240107", "05", 11, 1);
    m.Priced().WithPrevious();
    return m;
}

RSearchConditions Conditions(const NeraiValues& values) {
    RSearchConditions::Read read = RSearchConditions::FromValues(values);
    EXPECT_TRUE(read.conditions) << read.message;
    return read.conditions.value_or(
        *RSearchConditions::FromValues(InitialNeraiValues()).conditions);
}

void Select(NeraiValues& v, int half, NeraiFieldId id, std::initializer_list<int> items) {
    auto& sel = v[static_cast<std::size_t>(half)][static_cast<std::size_t>(id)].selected;
    for (int i : items) sel[static_cast<std::size_t>(i)] = true;
}

bool Matches(const NeraiValues& v, const std::string& rec) {
    return Conditions(v).Matches(rec);
}

} // namespace

TEST(RSearchFilter, JumpNewcomersAndStatusZeroAreSkippedAndEmptyRacesNeverCount) {
    EXPECT_FALSE(RSkipped(Runner()));
    EXPECT_TRUE(RSkipped(Runner().This(5, 2, "52")));
    EXPECT_TRUE(RSkipped(Runner().This(13, 3, "701")));
    EXPECT_TRUE(RSkipped(Runner().Status("0")));
    EXPECT_FALSE(RSkipped(Runner().Status(" ")));
    EXPECT_FALSE(RSkipped(Runner().This(13, 3, "703")));
    EXPECT_TRUE(RCountable(Runner()));
    EXPECT_FALSE(RCountable(Runner().This(1, 2, "00")));
    EXPECT_FALSE(RCountable(Runner().This(3, 2, "  ")));
}

TEST(RSearchFilter, TheStartValuesNeedAPreviousRunAndAPricedRun) {
    const NeraiValues start = InitialNeraiValues();
    EXPECT_TRUE(Matches(start, Runner()));
    // No previous run: its distance 0 is below every minimum.
    AnalysisMaker fresh("20240107", "05", 11, 1);
    EXPECT_FALSE(Matches(start, fresh.Priced()));
    // No popularity this run.
    EXPECT_FALSE(Matches(start, Runner().This(21, 2, "  ")));
    // A previous finish outside 1..18.
    EXPECT_FALSE(Matches(start, Runner().Prev(23, 2, "00")));
}

TEST(RSearchFilter, OddsBoundsAreInclusiveTenths) {
    NeraiValues v = InitialNeraiValues();
    v[0][kTanOzMax].text = "12.3";
    EXPECT_TRUE(Matches(v, Runner().This(25, 4, "0123")));
    EXPECT_FALSE(Matches(v, Runner().This(25, 4, "0124")));
    v[0][kTanOzMin].text = "12.3";
    EXPECT_TRUE(Matches(v, Runner().This(25, 4, "0123")));
    EXPECT_FALSE(Matches(v, Runner().This(25, 4, "0122")));
    // The previous run's bounds apply to its own block.
    NeraiValues p = InitialNeraiValues();
    p[1][kTanOzMin].text = "5.1";
    EXPECT_FALSE(Matches(p, Runner()));
    EXPECT_TRUE(Matches(p, Runner().Prev(25, 4, "0051")));
}

TEST(RSearchFilter, ListsCombineByOrWithinAndByAndAcross) {
    NeraiValues v = InitialNeraiValues();
    Select(v, 0, kYosoFlags, {4}); // ×
    EXPECT_TRUE(Matches(v, Runner().This(30, 2, "05")));
    EXPECT_FALSE(Matches(v, Runner().This(30, 2, "06"))); // mark 6 is shown as × but is not one
    Select(v, 0, kYosoFlags, {0});                        // ◎ or ×
    EXPECT_TRUE(Matches(v, Runner().This(30, 2, "01")));

    NeraiValues r = InitialNeraiValues();
    Select(r, 0, kRUmaFlags, {2}); // 非
    EXPECT_TRUE(Matches(r, Runner().This(29, 1, " ")));
    EXPECT_TRUE(Matches(r, Runner().This(29, 1, "x")));
    EXPECT_FALSE(Matches(r, Runner().This(29, 1, "1")));
    EXPECT_FALSE(Matches(r, Runner().This(29, 1, "3")));

    NeraiValues c = InitialNeraiValues();
    Select(c, 1, kClassFlags, {1, 6}); // previous run 500万 or G２
    EXPECT_TRUE(Matches(c, Runner())); // condition 005 compared as a number
    EXPECT_FALSE(Matches(c, Runner().Prev(13, 3, "010")));
    EXPECT_TRUE(Matches(c, Runner().Prev(13, 3, "999").Prev(16, 1, "B")));
    Select(c, 0, kTrackFlags, {1}); // and this run on dirt
    EXPECT_FALSE(Matches(c, Runner()));
    EXPECT_TRUE(Matches(c, Runner().This(5, 2, "24")));

    NeraiValues f = InitialNeraiValues();
    Select(f, 0, kBashoFlags, {7});     // 京都: racecourse 08
    Select(f, 1, kKettoFlags, {1});     // previous run's pedigree rank A
    Select(f, 1, kHi1stFlag, {0});      // previous run's 初高 flag
    Select(f, 0, kLvZokuseiFlags, {2}); // 自在
    AnalysisMaker m = Runner().This(3, 2, "08").This(38, 1, "3");
    EXPECT_FALSE(Matches(f, m));
    m.Prev(50, 1, "A").Prev(52, 1, "1");
    EXPECT_TRUE(Matches(f, m));
    EXPECT_FALSE(Matches(f, m.Prev(52, 1, "0")));
}

TEST(RSearchFilter, RatesAndTheFiveRunTotalAreMinimums) {
    NeraiValues v = InitialNeraiValues();
    v[0][kHiLvShorituMin].text = "0.2";
    v[1][kR5soTotalMin].number = -5;
    EXPECT_FALSE(Matches(v, Runner().This(40, 5, "0.125")));
    EXPECT_TRUE(Matches(v, Runner().This(40, 5, "0.200")));
    EXPECT_FALSE(Matches(v, Runner().This(40, 5, "0.200").Prev(53, 3, " -6")));
    EXPECT_TRUE(Matches(v, Runner().This(40, 5, "0.200").Prev(53, 3, " -5")));
    // At the start values a negative rate still fails its minimum of 0.
    EXPECT_FALSE(Matches(InitialNeraiValues(), Runner().Prev(45, 5, "-0.10")));
}

TEST(RSearchFilter, BadBoundsAreNamedBeforeAnyWalk) {
    NeraiValues v = InitialNeraiValues();
    v[0][kTanOzMin].text = "";
    auto read = RSearchConditions::FromValues(v);
    EXPECT_FALSE(read.conditions);
    EXPECT_EQ(read.message, "本走条件指定の単勝オッズ(下限)が未入力です。");
    v = InitialNeraiValues();
    v[1][kLoLvShorituMin].text = "1.2.3";
    read = RSearchConditions::FromValues(v);
    EXPECT_FALSE(read.conditions);
    EXPECT_EQ(read.message, "前走条件指定の低LV勝率が数値ではありません。");
    v[1][kLoLvShorituMin].text = "12.";
    EXPECT_TRUE(RSearchConditions::FromValues(v).conditions);
}

TEST(RStatsFilter, FourListsOnThisRunOnly) {
    AnalysisMaker m("20240107", "05", 11, 1); // no previous run, no odds: the tab has no ranges
    EXPECT_TRUE(RStatsConditions({}, {}, {}, {}).Matches(m));
    RStatsConditions rPlusOnTurf({true, false}, {}, {}, {true, false});
    EXPECT_FALSE(rPlusOnTurf.Matches(m));
    EXPECT_TRUE(rPlusOnTurf.Matches(m.This(29, 1, "1")));
    EXPECT_FALSE(rPlusOnTurf.Matches(m.This(5, 2, "23")));
    RStatsConditions olderG1({}, {false, false, false, true},
                             {false, false, false, false, false, false, false, true}, {});
    EXPECT_FALSE(olderG1.Matches(m));
    EXPECT_TRUE(olderG1.Matches(m.This(11, 2, "19").This(16, 1, "A")));
}
