#include "raceday/jockeytable.h"

#include <gtest/gtest.h>

TEST(JockeyTable, SortedRowsAndShortLinesLeftBlank) {
    raceday::JockeyTable t =
        raceday::ParseJockeyTable("01003,b,c,d,e\r\n01001,a\r\n01002,x,y,z,w,extra\r\n");
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.rows[0], (raceday::JockeyRow{"01001", "a", "", "", ""}));
    EXPECT_EQ(t.rows[1], (raceday::JockeyRow{"01002", "x", "y", "z", "w"}));
    EXPECT_EQ(t.rows[2][0], "01003");
    EXPECT_EQ(t.shortLines, 1);
    EXPECT_TRUE(raceday::ParseJockeyTable("").rows.empty());
}

TEST(JockeyTable, LinesEndedByALoneCrOrLfAreRowsOfTheirOwn) {
    raceday::JockeyTable t =
        raceday::ParseJockeyTable("01003,b,c,d,e\r01001,a,b,c,d\n01002,x,y,z,w\r");
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.rows[0], (raceday::JockeyRow{"01001", "a", "b", "c", "d"}));
    EXPECT_EQ(t.rows[2], (raceday::JockeyRow{"01003", "b", "c", "d", "e"}));
    EXPECT_EQ(t.shortLines, 0);
}
