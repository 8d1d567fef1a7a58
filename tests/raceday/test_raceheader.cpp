// The race header of a selection: texts, payout labels and the comment memo.

#include "raceday/raceheader.h"

#include "tests/raceday/dayfixture.h"

using namespace testsupport;
using keiba::Sj;

TEST(RaceHeader, CommentMemoLines) {
    struct Case {
        std::string comment;
        std::vector<std::string> lines;
    } cases[] = {
        {"one", {}},
        {"a,b,c,d", {"ab", "cd"}},
        {Sj("【見解】") + ",b", {Sj("【見解】"), "b"}},
        {Sj("【見解】") + ",b,c,d", {Sj("【見解】"), "bc", "d"}},
        // The comment file's lines are items of their own.
        {"a\r\nb\r\nc", {"ab"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(raceday::CommentMemoLines(c.comment), c.lines) << c.comment;
}

using RaceHeaderTest = OneRaceFixture;

TEST_F(RaceHeaderTest, HeaderTextsOfARace) {
    LoadRace(8, {{28, "6"},
                 {612, "003"},
                 {33, Sj("テスト特別")},
                 {698, "1600"},
                 {706, "23"},
                 {714, "00015000"},
                 {886, "08"}});
    raceday::RaceSelection sel = raceday::SelectRaceHeader(Day(), 0);
    ASSERT_EQ(sel.status, raceday::SelectStatus::Ok);
    const raceday::RaceHeader& h = sel.header;
    EXPECT_EQ(h.race, "3");
    EXPECT_EQ(h.gridRows, 9);
    ASSERT_EQ(h.cardRows.size(), 8u);
    EXPECT_EQ(h.cardRows[6][1], " 7");
    EXPECT_EQ(h.label2.substr(0, Sj("第3回 テスト特別").size()), Sj("第3回 テスト特別"));
    EXPECT_EQ(h.label3.substr(0, Sj(" 8頭[入線: 8頭] 1600ﾒｰﾄﾙ ").size()),
              Sj(" 8頭[入線: 8頭] 1600ﾒｰﾄﾙ "));
    EXPECT_EQ(h.label6.substr(0, Sj("【本 賞 金】1着:   15000/2着:        ").size()),
              Sj("【本 賞 金】1着:   15000/2着:        "));
    EXPECT_FALSE(h.turf); // dirt: maroon
}

TEST_F(RaceHeaderTest, PayoutLabelsShowOnlyWhatWasPaid) {
    LoadRace(8, {});
    jvdata::PayoutTables& t = Day().gPayoutTables;
    t.gPayKeyWin[0][1] = 7;
    t.gPayPopWin[0][1] = 1;
    t.gPayYenWin[0][1] = 350;
    t.gPayKeyWide[0][2] = " 3- 7";
    t.gPayPopWide[0][2] = 12;
    t.gPayYenWide[0][2] = 1230;
    t.gPayKeySanrentan[0][1] = " 7- 3- 1";
    t.gPayPopSanrentan[0][1] = 101;
    t.gPayYenSanrentan[0][1] = 1234560;
    raceday::RaceHeader h = raceday::SelectRaceHeader(Day(), 0).header;
    EXPECT_EQ(h.label3D[0], (raceday::PayoutTriple{" 7", " 1", "     350"}));
    EXPECT_EQ(h.label3D[1], raceday::PayoutTriple{});
    EXPECT_EQ(h.label3D[3 + 5 + 3 + 3 + 1], (raceday::PayoutTriple{" 3- 7", "12", "    1230"}));
    EXPECT_EQ(h.payoutLabels[6 + 3], (raceday::PayoutTriple{" 7- 3- 1", "101", " 1234560"}));
    for (std::size_t i : {0u, 5u, 8u}) EXPECT_EQ(h.payoutLabels[i], raceday::PayoutTriple{});
}

TEST_F(RaceHeaderTest, ARaceWithoutRunnersAndSlotsOutOfRange) {
    LoadRace(6, {});
    raceday::RaceSelection sel =
        raceday::SelectRaceHeader(Day(), 1); // race 4 has no runner records
    EXPECT_EQ(sel.status, raceday::SelectStatus::NoRunners);
    EXPECT_EQ(raceday::NoRunnersMessage(sel.raceNumber), "4レースはデータが不十分です。");
    EXPECT_EQ(raceday::SelectRaceHeader(Day(), -1).status, raceday::SelectStatus::NoRace);
    EXPECT_EQ(raceday::SelectRaceHeader(Day(), 36).status, raceday::SelectStatus::NoRace);
}
