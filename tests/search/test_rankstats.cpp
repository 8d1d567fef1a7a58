#include "search/rankstats.h"

#include <gtest/gtest.h>

using namespace search;

namespace {

// A data row: ranks of the three finishers (second ranks in columns 10, 12, 14) and the win,
// quinella and trio payouts.
std::vector<std::string> Row(std::array<const char*, 6> ranks, const char* win,
                             const char* quinella, const char* trio) {
    std::vector<std::string> row(kStatsDataColumns);
    for (std::size_t i = 0; i < 6; ++i) row[9 + i] = ranks[i];
    row[15] = win;
    row[25] = quinella;
    row[35] = trio;
    return row;
}

StatsRows Table(std::initializer_list<std::vector<std::string>> rows) {
    StatsRows t = {std::vector<std::string>(kStatsDataColumns, "head")};
    t.insert(t.end(), rows);
    return t;
}

// Column `rank` of rows `first`..`first`+8.
std::vector<std::string> Column(const StatsSummary& s, int rank, int first = 1) {
    std::vector<std::string> out;
    for (int r = first; r < first + 9; ++r)
        out.push_back(s[static_cast<std::size_t>(r)][static_cast<std::size_t>(rank)]);
    return out;
}

using V = std::vector<std::string>;

} // namespace

TEST(RankStats, OneRaceCountedByTheRanksOfItsFinishers) {
    const StatsSummary s =
        ComputeRankStats(Table({Row({"3", "0", "1", "0", "5", "0"}, "450", "1200", "3000")}));
    EXPECT_EQ(s[0][3], " 3位");
    EXPECT_EQ(s[0][18], "18位");
    EXPECT_EQ(s[1][0], "出現数");
    EXPECT_EQ(s[9][0], "3連複配当");
    EXPECT_EQ(s[19][0], "3連複配当");
    EXPECT_EQ(s[10][0], "");
    // The winner's rank takes the win, the top two and the top three and the payouts.
    EXPECT_EQ(Column(s, 3), (V{"      1", " 100.00", "      1", " 100.00", "      1", " 100.00",
                               "    450", "   1200", "   3000"}));
    // The second's rank: no win, so no payouts.
    EXPECT_EQ(Column(s, 1),
              (V{"      0", "   0.00", "      1", " 100.00", "      1", " 100.00", "", "", ""}));
    EXPECT_EQ(Column(s, 5)[4], "      1");
    EXPECT_EQ(Column(s, 5)[2], "      0");
    // The second table reads the second ranks, 0 counting as rank 7 for all three finishers.
    EXPECT_EQ(Column(s, 7, 11), (V{"      1", " 100.00", "      2", " 200.00", "      3", " 300.00",
                                   "    450", "   1200", "   3000"}));
}

TEST(RankStats, RowsThatDoNotCount) {
    const StatsSummary s = ComputeRankStats(Table({
        Row({"1", "2", "2", "3", "3", "4"}, "0", "500", "900"),   // no win payout
        Row({"1", "2", "2", "3", "3", "4"}, "", "500", "900"),    // blank win payout
        Row({"0", "2", "2", "3", "3", "4"}, "300", "500", "900"), // a rank of 0
        Row({"1", "2", "x", "3", "3", "4"}, "300", "500", "900"), // a rank that is no number
    }));
    for (int rank = 1; rank <= 18; ++rank)
        for (int first : {1, 11}) {
            const V col = Column(s, rank, first);
            EXPECT_EQ(col[0], "      0");
            // Nothing counted: no rate, no average.
            EXPECT_EQ(col[1], "");
            EXPECT_EQ(col[6], "");
        }
}

TEST(RankStats, ARankBeyondEighteenLeavesOnlyItsTableAlone) {
    const StatsSummary s = ComputeRankStats(Table({
        Row({"19", "", "1", "", "2", ""}, "300", "500", "900"),
        Row({"4", "25", "1", "1", "2", "2"}, "700", "800", "900"),
    }));
    // First table: the first row is left out, the second counted alone.
    EXPECT_EQ(Column(s, 4)[0], "      1");
    EXPECT_EQ(Column(s, 4)[1], " 100.00");
    EXPECT_EQ(Column(s, 1)[2], "      1");
    // Second table: the first row counts its three finishers as 7; the second has rank 25 and is
    // left out.
    EXPECT_EQ(Column(s, 7, 11)[0], "      1");
    EXPECT_EQ(Column(s, 7, 11)[6], "    300");
    EXPECT_EQ(Column(s, 7, 11)[4], "      3");
    EXPECT_EQ(Column(s, 1, 11)[2], "      0");
}

TEST(RankStats, AStatisticsFileSavedWithLoneCrLineEndsKeepsItsRows) {
    EXPECT_EQ(ParseStatsFile("\"a\",\"b\"\r\"c\",\"d\"\r"), (StatsRows{{"a", "b"}, {"c", "d"}}));
    EXPECT_EQ(ParseStatsFile("\"a\"\n\"c\""), (StatsRows{{"a"}, {"c"}}));
}
