// What the R-horse screens show of a walk: the result labels, the level table and the texts of
// the two hit grids.

#include "search/rresults.h"

#include "keiba/sjis.h"
#include "tests/support/analysismaker.h"

#include <gtest/gtest.h>

using namespace search;
using testsupport::AnalysisMaker;

namespace {

std::string U8(const std::string& sjis) {
    return keiba::Cp932ToUtf8(sjis);
}

} // namespace

TEST(RResults, ResultLabelsOfThreeHitsOneOfThemWinning) {
    RTally t;
    t.Add(4, 0, 0);
    t.Add(4, 350, 0);
    t.Add(2, 0, 0);
    RResultLabels l = ResultLabels(t, false);
    EXPECT_EQ(l.gaitoSu, "       3");
    EXPECT_EQ(l.tanBuy, "     300");
    EXPECT_EQ(l.tanGet, "     350");
    EXPECT_EQ(l.tanTeki, "    33.3");
    EXPECT_EQ(l.tanKaishu, "   116.7");
    EXPECT_EQ(l.fukBuy, "     300");
    EXPECT_EQ(l.fukGet, "       0");
    EXPECT_EQ(l.fukTeki, "     0.0");
    EXPECT_EQ(l.fukKaishu, "     0.0");

    // A cancelled walk shows nothing, one without hits only the count.
    RResultLabels cancelled = ResultLabels(t, true);
    EXPECT_EQ(cancelled.gaitoSu + cancelled.tanBuy + cancelled.tanTeki + cancelled.fukKaishu, "");
    RResultLabels none = ResultLabels(RTally{}, false);
    EXPECT_EQ(none.gaitoSu, "       0");
    EXPECT_EQ(none.tanBuy + none.tanGet + none.tanTeki + none.tanKaishu, "");

    EXPECT_EQ(ProgressText(1, 12), "検索済:1開催日/12頭");
}

// A box names ten files of a kind, damaged or unreadable, and says how many more past them.
TEST(RResults, TenFilesOfAKindAreNamedAndThoseBeyondCounted) {
    const std::pair<int, std::string> rows[] = {{10, ""}, {11, "\nほか1件"}};
    for (const auto& [files, more] : rows) {
        RScanResult damaged, unreadable;
        std::string damagedText = "一部が壊れているため、検索できなかった分析データがあります。",
                    unreadableText;
        for (int i = 1; i <= files; ++i) {
            const std::string name = "XQ202401" + std::to_string(10 + i) + ".vzkd";
            damaged.damaged.push_back("/p/VZK/" + name);
            unreadable.unreadable.push_back(name + " を読み込めません");
            if (i > 10) continue;
            damagedText += "\n" + name;
            unreadableText += (i > 1 ? "\n" : "") + name + " を読み込めません";
        }
        EXPECT_EQ(UnsearchedFilesText(damaged), damagedText + more) << files;
        EXPECT_EQ(UnsearchedFilesText(unreadable), unreadableText + more) << files;
    }
}

TEST(RResults, PayoutSumsDoNotOverflow) {
    RTally t;
    for (int i = 0; i < 3; ++i) t.Add(1, 999'999'999, 999'999'999);
    EXPECT_EQ(t.winSum[0], 2'999'999'997);
    EXPECT_EQ(ResultLabels(t, false).tanGet, "2999999997");
}

TEST(RResults, LevelTableSumsGroupsBeforeDividing) {
    RTally t;
    // Level 7: N=2, WH=1, WS=500, PH=2, PS=300. Level 6: N=3, WH=0, PH=1, PS=150.
    t.Add(7, 500, 100);
    t.Add(7, 0, 200);
    t.Add(6, 0, 150);
    t.Add(6, 0, 0);
    t.Add(6, 0, 0);
    // A blank level and level 9 count in 総合 only.
    t.Add(0, 1000, 0);
    t.Add(9, 0, 0);
    auto table = LevelTable(t);
    EXPECT_EQ(std::vector<std::string>(table[9].begin() + 1, table[9].end()),
              (std::vector<std::string>{"     500", "       1", "     500", "    20.0", "   100.0",
                                        "       3", "     450", "    60.0", "    90.0"}));
    EXPECT_EQ(LevelRowLabel(9), "高＋以上");
    EXPECT_EQ(table[1][1], "     200"); // 高★
    EXPECT_EQ(table[2][3], "       0"); // 高＋: no win payout
    EXPECT_EQ(table[8][1], "     700"); // 総合: all seven runners
    EXPECT_EQ(table[8][3], "    1500");
    EXPECT_EQ(table[10][1], "     500"); // 高－以上: level 5 has nobody
    EXPECT_EQ(table[4][1], "       0");  // 普通
    EXPECT_EQ(table[4][4], "");          // no runners: no rates
    EXPECT_EQ(table[4][9], "");
    EXPECT_EQ(LevelHeading(5), "単回収率");

    // The low groups: 低＋以下 sums levels 1 to 3, 低－以下 levels 1 and 2.
    t.Add(3, 0, 0);
    t.Add(2, 0, 0);
    t.Add(1, 0, 0);
    auto low = LevelTable(t);
    EXPECT_EQ(LevelRowLabel(11), "低＋以下");
    EXPECT_EQ(low[11][1], "     300");
    EXPECT_EQ(low[12][1], "     200");

    auto empty = LevelTable(RTally{});
    for (int row = 1; row < kLevelRows; ++row) {
        EXPECT_EQ(empty[static_cast<std::size_t>(row)][1], "       0");
        EXPECT_EQ(empty[static_cast<std::size_t>(row)][5], "");
    }
}

TEST(RResults, TheLowGroupsSumTheLowLevels) {
    // One runner at level 1, two at 2, four at 3, eight at 4: each sum is its own number.
    RTally t;
    for (int level = 1; level <= 4; ++level)
        for (int i = 0; i < 1 << (level - 1); ++i) t.Add(level, 0, 0);
    auto table = LevelTable(t);
    EXPECT_EQ(LevelRowLabel(11), "低＋以下");
    EXPECT_EQ(table[11][1], "     700"); // levels 1, 2 and 3
    EXPECT_EQ(LevelRowLabel(12), "低－以下");
    EXPECT_EQ(table[12][1], "     300"); // levels 1 and 2
}

TEST(RResults, HitGridTextsComeFromTheRowAndItsTwoBlocks) {
    AnalysisMaker m("20240107", "05", 1, 3);
    m.Name("サンプルホース").Win("000000350").Place("000000120");
    m.This(23, 2, "01").This(25, 4, "0035").This(17, 2, "06").This(29, 1, "1");
    m.WithPrevious().Prev(3, 2, "08");
    RHit h = RHit::Of(m.Bytes());
    auto list = [&](int c) { return U8(HitListCell(h, c)); };
    EXPECT_EQ(list(0), "2024/01/07");
    EXPECT_EQ(list(1), "東京 1");
    EXPECT_EQ(list(2), " 3");
    EXPECT_EQ(list(3), "サンプルホース    ");
    EXPECT_EQ(list(4), " 1");
    EXPECT_EQ(list(5), "100");
    EXPECT_EQ(list(6), "      350");
    EXPECT_EQ(list(7), "      120");
    EXPECT_EQ(list(8), " 350.0");
    EXPECT_EQ(list(9), " 120.0");
    h.placePayout = 0;
    EXPECT_EQ(list(7), "         ");
    EXPECT_EQ(list(9), "   0.0");

    auto detail = [&](int c) { return U8(HitDetailCell(h, c)); };
    EXPECT_EQ(detail(2), list(3));
    EXPECT_EQ(detail(3), "16");
    EXPECT_EQ(detail(4), "芝");
    EXPECT_EQ(detail(5), "1600");
    EXPECT_EQ(detail(9), "高＋");
    EXPECT_EQ(detail(12), "  3.5");
    EXPECT_EQ(detail(13), "R+");
    EXPECT_EQ(detail(29), "京都");
    EXPECT_EQ(detail(30), "16");
    EXPECT_EQ(detail(32), "1600");
    EXPECT_EQ(detail(36), "普通");
    EXPECT_EQ(detail(38), " 3"); // previous finish
    EXPECT_EQ(detail(56), "  350");
    EXPECT_EQ(detail(57), "    0");

    // A win payout of 0 is a blank, not "0".
    h.winPayout = 0;
    EXPECT_EQ(list(6), "         ");
}
