#include "search/neraihits.h"

#include "keiba/codetables.h"
#include "keiba/sjis.h"

#include <gtest/gtest.h>

using namespace search;
using keiba::Sj;

namespace {

void Race(app::TRaceDay& day, int r, std::string_view venue, std::string_view raceNo,
          std::string_view post, int runners) {
    jvdata::TJvRA& ra = day.gDayRaces[static_cast<std::size_t>(r)];
    ra.SetField(20, 2, venue);
    ra.SetField(26, 2, raceNo);
    ra.SetField(605, 6, Sj("天皇賞"));
    ra.SetField(617, 2, "13");
    ra.SetField(635, 3, "999");
    ra.SetField(698, 4, "2000");
    ra.SetField(706, 2, "11");
    ra.SetField(874, 4, post);
    ra.SetField(882, 2, runners < 10 ? "0" + std::to_string(runners) : std::to_string(runners));
}

void Runner(app::TRaceDay& day, int r, int h, std::string_view name,
            std::array<std::uint8_t, 4> match) {
    jvdata::TJvSE& se = day.gDayHorses[static_cast<std::size_t>(r)][static_cast<std::size_t>(h)];
    se.SetField(28, 1, std::to_string(h / 2 + 1));
    se.SetField(29, 2, (h < 9 ? "0" : "") + std::to_string(h + 1));
    se.SetField(41, 36, Sj(name));
    day.gRaceCalc[static_cast<std::size_t>(r)].NeraiMatch[static_cast<std::size_t>(h)] = match;
}

} // namespace

TEST(NeraiHits, ListedByPostTimeThenRacecourseWithTheirSlots) {
    auto day = std::make_unique<app::TRaceDay>();
    Race(*day, 0, "08", "11", "1540", 3);
    Race(*day, 1, "05", "11", "1540", 2);
    Race(*day, 2, "06", "01", "1000", 1);
    Race(*day, 3, "06", "02", "1030", 1); // outside the race list
    Runner(*day, 0, 2, "キョウトノウマ", {1, 0, 0, 0});
    Runner(*day, 0, 0, "ナシ", {0, 0, 0, 0});
    Runner(*day, 1, 1, "トウキョウノウマ", {1, 0, 1, 0});
    Runner(*day, 2, 0, "ナカヤマノウマ", {0, 0, 0, 1});
    Runner(*day, 3, 0, "ソト", {1, 1, 1, 1});
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
    auto day = std::make_unique<app::TRaceDay>();
    Race(*day, 0, "05", "01", "1000", 2);
    Runner(*day, 0, 0, "アイウエオカキクケコサシスセソタチツ", {1, 0, 0, 0}); // 36 bytes
    Runner(*day, 0, 1, "Aアイウエオカキクケコ", {1, 0, 0, 0});
    NeraiHitList list = BuildNeraiHitList(*day, 1);
    ASSERT_EQ(list.lines.size(), 2u);
    EXPECT_EQ(NeraiHitCells(list.lines[0])[14], Sj("アイウエオカキクケ"));
    EXPECT_EQ(NeraiHitCells(list.lines[1])[14], Sj("Aアイウエオカキク") + " ");
}
