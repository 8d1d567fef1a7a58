// The race header of a selection: texts, payout labels and the comment memo.

#include "raceday/raceheader.h"

#include "tests/raceday/dayfixture.h"

using namespace testsupport;
using keiba::Sj;

TEST(RaceHeader, RaceCommentLines) {
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
        EXPECT_EQ(raceday::RaceCommentLines(c.comment), c.lines) << c.comment;
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

TEST_F(RaceHeaderTest, BothPrizeLinesCarryEveryPlace) {
    // Five main prizes, three added ones; the sixth main prize and the fourth added prize of the
    // record are not shown. A prize of 0 leaves its eight columns blank.
    LoadRace(8, {{714, "00015000"},
                 {722, "00006000"},
                 {730, "00003800"},
                 {738, "00002300"},
                 {746, "00000000"},
                 {754, "00000900"},
                 {810, "00000700"},
                 {818, "00000200"},
                 {826, "00000150"},
                 {834, "00000099"}});
    const raceday::RaceHeader h = raceday::SelectRaceHeader(Day(), 0).header;
    EXPECT_EQ(h.label6, Sj("【本 賞 金】1着:   15000/2着:    6000/3着:    3800/4着:    2300/5着:"
                           "        "));
    EXPECT_EQ(h.label7, Sj("【付加賞金】1着:     700/2着:     200/3着:     150"
                           "　　　　　　　　(単位：百円)"));
}

// Turf is track codes 10 to 22: the header panel is green for them and maroon for the rest.
TEST_F(RaceHeaderTest, ThePanelIsGreenForTurfTracksOnly) {
    LoadRace(8, {});
    const std::pair<const char*, bool> tracks[] = {{"00", false}, {"09", false}, {"10", true},
                                                   {"17", true},  {"22", true},  {"23", false},
                                                   {"29", false}, {"51", false}, {"  ", false}};
    for (const auto& [code, turf] : tracks) {
        Day().gDayRaces[0].SetField(706, 2, code);
        EXPECT_EQ(raceday::SelectRaceHeader(Day(), 0).header.turf, turf) << code;
    }
}

// Every payout entry of every bet type has its own label triple: win 3, place 5, bracket
// quinella 3, quinella 3 and wide 7 on the 3-D labels, then exacta 6, trio 3 and trifecta 6.
TEST_F(RaceHeaderTest, EveryPayoutEntryHasItsOwnLabels) {
    LoadRace(8, {});
    jvdata::PayoutTables& t = Day().gPayoutTables;
    struct Entry {
        bool threeD;
        int index;
        raceday::PayoutTriple labels;
    };
    std::vector<Entry> expected;
    int label3D = 0, label = 0;
    // Bet type b, entry j: popularity 10 b + j, payout 1000 b + j.
    auto add = [&](bool threeD, int b, int j, std::string number) {
        expected.push_back({threeD,
                            threeD ? label3D++ : label++,
                            {std::move(number), std::to_string(10 * b + j),
                             "    " + std::to_string(1000 * b + j)}});
    };
    auto pair = [](int j) { return " " + std::to_string(j) + "-1" + std::to_string(j); };
    auto triple = [](int j) { return " " + std::to_string(j) + "-1" + std::to_string(j) + "-18"; };
    for (int j = 1; j <= 3; ++j) {
        t.gPayKeyWin[0][j] = j;
        t.gPayPopWin[0][j] = 10 + j;
        t.gPayYenWin[0][j] = 1000 + j;
        add(true, 1, j, " " + std::to_string(j));
    }
    for (int j = 1; j <= 5; ++j) {
        t.gPayKeyPlace[0][j] = j;
        t.gPayPopPlace[0][j] = 20 + j;
        t.gPayYenPlace[0][j] = 2000 + j;
        add(true, 2, j, " " + std::to_string(j));
    }
    for (int j = 1; j <= 3; ++j) {
        t.gPayKeyWakuren[0][j] = " " + std::to_string(j) + "- 8";
        t.gPayPopWakuren[0][j] = 30 + j;
        t.gPayYenWakuren[0][j] = 3000 + j;
        add(true, 3, j, t.gPayKeyWakuren[0][j]);
    }
    for (int j = 1; j <= 3; ++j) {
        t.gPayKeyUmaren[0][j] = pair(j);
        t.gPayPopUmaren[0][j] = 40 + j;
        t.gPayYenUmaren[0][j] = 4000 + j;
        add(true, 4, j, pair(j));
    }
    for (int j = 1; j <= 7; ++j) {
        t.gPayKeyWide[0][j] = pair(j);
        t.gPayPopWide[0][j] = 50 + j;
        t.gPayYenWide[0][j] = 5000 + j;
        add(true, 5, j, pair(j));
    }
    for (int j = 1; j <= 6; ++j) {
        t.gPayKeyUmatan[0][j] = pair(j);
        t.gPayPopUmatan[0][j] = 60 + j;
        t.gPayYenUmatan[0][j] = 6000 + j;
        add(false, 6, j, pair(j));
    }
    for (int j = 1; j <= 3; ++j) {
        t.gPayKeySanrenpuku[0][j] = triple(j);
        t.gPayPopSanrenpuku[0][j] = 70 + j;
        t.gPayYenSanrenpuku[0][j] = 7000 + j;
        add(false, 7, j, triple(j));
    }
    for (int j = 1; j <= 6; ++j) {
        t.gPayKeySanrentan[0][j] = triple(j);
        t.gPayPopSanrentan[0][j] = 80 + j;
        t.gPayYenSanrentan[0][j] = 8000 + j;
        add(false, 8, j, triple(j));
    }
    ASSERT_EQ(label3D, raceday::kLabel3DTriples);
    ASSERT_EQ(label, raceday::kPayoutLabelTriples);
    const raceday::RaceHeader h = raceday::SelectRaceHeader(Day(), 0).header;
    for (const Entry& e : expected) {
        const auto i = static_cast<std::size_t>(e.index);
        EXPECT_EQ(e.threeD ? h.label3D[i] : h.payoutLabels[i], e.labels)
            << (e.threeD ? "3-D label " : "label ") << e.index;
    }
}

// Every field of the header lines distinct from its neighbours, so that a line built from the
// wrong field, or with the wrong style of a code text, shows.
TEST_F(RaceHeaderTest, EveryHeaderLabelReadsItsOwnFields) {
    LoadRace(8, {});
    jvdata::TJvRA& ra = Day().gDayRaces[0];
    const std::pair<int, std::string> fields[] = {
        {22, "04"},   {24, "07"},    {28, "1"},    {33, Sj("ジャパンカップ")},
        {612, "044"}, {615, "B"},    {617, "13"},  {619, "A10"},
        {622, "2"},   {623, "000"},  {626, "005"}, {629, "010"},
        {632, "016"}, {698, "2400"}, {706, "12"},  {710, "A "},
        {874, "15"},  {876, "40"},   {886, "07"},  {888, "2"},
        {889, "3"},   {890, "4"}};
    for (const auto& [pos, value] : fields)
        ra.SetField(static_cast<std::size_t>(pos), value.size(), value);
    Day().gDayOddsO1[0].SetField(32, 2, "14");
    Day().gDayOddsO1[0].SetField(34, 2, "55");
    raceday::TOutData2& texts = Day().gRaceTexts[0];
    texts.RaceRLevelText = Sj("高＋");
    texts.RplsTou = " 3";
    texts.RmnsTou = " 1";

    const raceday::RaceHeader h = raceday::SelectRaceHeader(Day(), 0).header;
    EXPECT_EQ(h.basho, Sj("東京"));
    EXPECT_EQ(h.race, "3");
    EXPECT_EQ(h.label1, Sj("2026年11月28日(土)東京04回07日03R   15.40発走  曇　芝:重　ダ:不良"));
    EXPECT_EQ(h.label2, Sj("第44回 ジャパンカップ") + std::string(60 - 14, ' '));
    EXPECT_EQ(h.label3, Sj(" 8頭[入線: 7頭] 2400ﾒｰﾄﾙ 芝 左回り 外回り(A) G2    サラ系３歳以上　 "
                           "(混合)牡　　　　　　　　"));
    EXPECT_EQ(h.label4, Sj("別定 3歳上1勝ｸﾗｽ  3歳上2勝ｸﾗｽ  3歳上3勝ｸﾗｽ"));
    EXPECT_EQ(h.tfwTime, "14:55");
    EXPECT_EQ(h.rLevel, Sj("高＋"));
    EXPECT_EQ(h.rPlus, " 3");
    EXPECT_EQ(h.rMinus, " 1");
    EXPECT_TRUE(h.turf);
}
