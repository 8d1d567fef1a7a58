#include "search/neraihits.h"

#include "keiba/codetables.h"
#include "tests/search/neraifixture.h"

using namespace search;
using keiba::Sj;
using testsupport::HitRace;
using testsupport::HitRunner;

TEST(NeraiHits, ListedByPostTimeThenRacecourseWithTheirSlots) {
    auto day = std::make_unique<raceday::RaceDay>();
    HitRace(*day, 0, "08", "11", "1540", 3);
    HitRace(*day, 1, "05", "11", "1540", 2);
    HitRace(*day, 2, "06", "01", "1000", 1);
    HitRace(*day, 3, "06", "02", "1030", 1); // outside the race list
    HitRunner(*day, 0, 2, "キョウトノウマ", {1, 0, 0, 0});
    HitRunner(*day, 0, 0, "ナシ", {0, 0, 0, 0});
    HitRunner(*day, 1, 1, "トウキョウノウマ", {1, 0, 1, 0});
    HitRunner(*day, 2, 0, "ナカヤマノウマ", {0, 0, 0, 1});
    HitRunner(*day, 3, 0, "ソト", {1, 1, 1, 1});
    // Beyond the race's field size.
    day->gRaceCalc[1].NeraiMatch[5] = {1, 1, 1, 1};

    NeraiHitList list = BuildNeraiHitList(*day, 3);
    ASSERT_EQ(list.lines.size(), 3u);
    EXPECT_EQ(list.slotCounts, (std::array<int, 4>{2, 0, 1, 1}));
    EXPECT_TRUE(list.lines[0].starts_with("1000060101   1"));
    EXPECT_TRUE(list.lines[1].starts_with("15400511021 1 "));
    EXPECT_TRUE(list.lines[2].starts_with("15400811031   "));
    for (const std::string& line : list.lines) EXPECT_EQ(line.size(), kHitLineLength);

    const auto cells = NeraiHitCells(list.lines[1]);
    const std::array<std::string, kHitColumns> expected = {
        Sj("■"),
        "",
        Sj("■"),
        "",
        "15:40",
        Sj("東京"),
        "11R",
        Sj("天皇賞"),
        keiba::SyubetuToText("13", 2),
        keiba::JokenToText("999"),
        std::string(keiba::CutBytes(keiba::TrackShortText("11"), 2)),
        "2000",
        "1",
        " 2",
        keiba::FitBytes(Sj("トウキョウノウマ"), 18)};
    EXPECT_EQ(cells, expected);
    EXPECT_EQ(NeraiHitCells(list.lines[0])[6], " 1R");
    EXPECT_EQ(NeraiHitCells(list.lines[0])[3], Sj("■"));
}

TEST(NeraiHits, NamesAreCutAfter18BytesOnACharacterBoundary) {
    auto day = std::make_unique<raceday::RaceDay>();
    HitRace(*day, 0, "05", "01", "1000", 2);
    HitRunner(*day, 0, 0, "アイウエオカキクケコサシスセソタチツ", {1, 0, 0, 0}); // 36 bytes
    HitRunner(*day, 0, 1, "Aアイウエオカキクケコ", {1, 0, 0, 0});
    NeraiHitList list = BuildNeraiHitList(*day, 1);
    ASSERT_EQ(list.lines.size(), 2u);
    EXPECT_EQ(NeraiHitCells(list.lines[0])[14], Sj("アイウエオカキクケ"));
    EXPECT_EQ(NeraiHitCells(list.lines[1])[14], Sj("Aアイウエオカキク") + " ");
}
