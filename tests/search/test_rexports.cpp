#include "search/rexports.h"

#include "keiba/fileio.h"
#include "keiba/sjis.h"

#include <gtest/gtest.h>

using namespace search;

namespace {

// Race slot r: 2024-01-05 at venue 06, meeting 01, day 01, race r + 1, with `runners` runners.
void Race(raceday::RaceDay& day, int r, int runners) {
    const auto rr = static_cast<std::size_t>(r);
    const std::string n = (r + 1 < 10 ? "0" : "") + std::to_string(r + 1);
    day.gDayRaces[rr].SetField(12, 16, "2024010506" + std::string("0101") + n);
    day.gDayRaces[rr].SetField(882, 2, (runners < 10 ? "0" : "") + std::to_string(runners));
    for (int h = 0; h < std::min(runners, 18); ++h) {
        const std::string horse = (h + 1 < 10 ? "0" : "") + std::to_string(h + 1);
        day.gDayHorses[rr][static_cast<std::size_t>(h)].SetField(29, 2, horse);
    }
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> out;
    for (std::string_view l : keiba::SplitLines(bytes)) out.emplace_back(l);
    return out;
}

class RExports : public ::testing::Test {
protected:
    std::unique_ptr<raceday::RaceDay> day = std::make_unique<raceday::RaceDay>();
};

} // namespace

TEST_F(RExports, OneLinePerRunnerWithItsMarkOrTheRaceLevel) {
    Race(*day, 0, 12);
    Race(*day, 1, 3);
    raceday::TOutData2& t = day->gRaceTexts[0];
    t.RUmaMark[0] = "R+";
    t.RUmaMark[1] = "R-";
    t.RUmaMark[2] = "  "; // what the analysis shows for no mark
    t.RaceRLevelText = keiba::Sj("高＋");

    const std::string ruma = RExportBytes(*day, 2, RExportKind::RUma);
    EXPECT_TRUE(ruma.starts_with("202401050601010101,1\r\n202401050601010102,2\r\n"
                                 "202401050601010103,\r\n"));
    const std::vector<std::string> rumaLines = Lines(ruma);
    ASSERT_EQ(rumaLines.size(), 15u); // no heading line
    EXPECT_EQ(rumaLines[11], "202401050601010112,");
    EXPECT_EQ(rumaLines[12], "202401050601010201,");

    const std::vector<std::string> level = Lines(RExportBytes(*day, 2, RExportKind::RLevel));
    ASSERT_EQ(level.size(), 15u);
    for (int i = 0; i < 12; ++i) EXPECT_TRUE(level[static_cast<std::size_t>(i)].ends_with(",6"));
    EXPECT_EQ(level[12], "202401050601010201,"); // no level: the line ends with the comma

    for (const std::string& line : Lines(RExportBytes(*day, 2, RExportKind::Empty)))
        EXPECT_TRUE(line.ends_with(",")) << line;
}

TEST_F(RExports, RacesAndRunnersStayWithinTheDay) {
    Race(*day, 0, 20); // a field size beyond the model reads as 18
    EXPECT_EQ(Lines(RExportBytes(*day, 1, RExportKind::RUma)).size(), 18u);
    EXPECT_EQ(RExportBytes(*day, 0, RExportKind::RUma), "");
    EXPECT_EQ(RExportBytes(*day, 99, RExportKind::RUma).size(), 18u * 21u);
}

TEST_F(RExports, TheDateOfTheFirstRaceNamesTheFiles) {
    Race(*day, 0, 1);
    EXPECT_EQ(RExportDate(*day), "20240105");
    day->gDayRaces[0].SetField(12, 8, "2024013x");
    EXPECT_EQ(RExportDate(*day), std::nullopt);
    day->gDayRaces[0].SetField(12, 8, "20240231");
    EXPECT_EQ(RExportDate(*day), std::nullopt);
}

// Every R level goes out as its number 1 to 7; a blank or unknown level text as nothing. Likewise
// each R mark as its number.
TEST_F(RExports, EveryRLevelAndEveryRMarkHasItsNumber) {
    const char* levels[] = {"低★", "低－", "低＋", "普通", "高－", "高＋", "高★", "", "高"};
    const char* numbers[] = {"1", "2", "3", "4", "5", "6", "7", "", ""};
    for (int r = 0; r < 9; ++r) {
        Race(*day, r, 2);
        day->gRaceTexts[static_cast<std::size_t>(r)].RaceRLevelText = keiba::Sj(levels[r]);
    }
    const std::vector<std::string> lines = Lines(RExportBytes(*day, 9, RExportKind::RLevel));
    ASSERT_EQ(lines.size(), 18u);
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i].substr(lines[i].find(',')), std::string(",") + numbers[i / 2])
            << levels[i / 2];

    const char* marks[] = {"R+", "R-", "  ", "", "R", "r+"};
    const char* markNumbers[] = {"1", "2", "", "", "", ""};
    Race(*day, 0, 6);
    for (std::size_t h = 0; h < 6; ++h) day->gRaceTexts[0].RUmaMark[h] = marks[h];
    const std::vector<std::string> ruma = Lines(RExportBytes(*day, 1, RExportKind::RUma));
    ASSERT_EQ(ruma.size(), 6u);
    for (std::size_t h = 0; h < 6; ++h)
        EXPECT_EQ(ruma[h].substr(ruma[h].find(',')), std::string(",") + markNumbers[h]) << marks[h];
}
