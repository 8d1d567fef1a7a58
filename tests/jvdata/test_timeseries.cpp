// Odds from the time-series viewer's snapshot files.

#include "jvdata/dayfiles.h"
#include "jvdata/timeseries.h"
#include "tests/jvdata/recordmaker.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

using namespace jvdata;
using namespace testsupport;

namespace {

constexpr const char* kKey = "2026120605051101";

// A snapshot line (no CR LF) of odds kind `kind` announced on `mmdd` at `hhmm`.
std::string Snap(int kind, std::string_view mmdd, std::string_view hhmm,
                 std::string_view key = kKey) {
    std::string r = MakeRecord("O" + std::to_string(kind), key, '1');
    SetField(r, 28, 4, mmdd);
    SetField(r, 32, 4, hhmm);
    return r.substr(0, r.size() - 2);
}

} // namespace

TEST(TimeSeries, TheNearestSnapshotOfRaceDayWinsAndTheFirstOfATie) {
    std::string a = Snap(1, "1206", "1445"), b = Snap(1, "1206", "1455");
    EXPECT_EQ(ChooseSnapshot(a + "\r\n" + b + "\r\n", 1, kKey, "1450"), a);
    EXPECT_EQ(ChooseSnapshot(b + "\r\n" + a + "\r\n", 1, kKey, "1450"), b);
    std::string near = Snap(1, "1206", "1449");
    EXPECT_EQ(ChooseSnapshot(a + "\r\n" + near + "\r\n", 1, kKey, "1450"), near);
    // The day before, another race, a cut line or the wrong kind are no candidates.
    EXPECT_EQ(ChooseSnapshot(Snap(1, "1205", "1450") + "\r\n", 1, kKey, "1450"), std::nullopt);
    EXPECT_EQ(ChooseSnapshot(Snap(1, "1206", "1450", "2026120605051102"), 1, kKey, "1450"),
              std::nullopt);
    EXPECT_EQ(ChooseSnapshot(a.substr(0, 500), 1, kKey, "1450"), std::nullopt);
    EXPECT_EQ(ChooseSnapshot(Snap(2, "1206", "1450"), 1, kKey, "1450"), std::nullopt);
    EXPECT_EQ(ChooseSnapshot(a, 1, kKey, ""), std::nullopt);
}

TEST(TimeSeries, EveryLineOfTheRaceIsReplacedAndTheOrderKept) {
    std::string other = Snap(1, "1206", "1000", "2026120605051102");
    std::string old = Snap(1, "1206", "1000");
    std::string fresh = Snap(1, "1206", "1449");
    EXPECT_EQ(ReplaceRaceLines(other + "\r\n" + old + "\r\n" + old + "\r\n", fresh),
              other + "\r\n" + fresh + "\r\n" + fresh + "\r\n");
    EXPECT_EQ(ReplaceRaceLines(other + "\r\n", fresh), other + "\r\n" + fresh + "\r\n");
    EXPECT_EQ(ReplaceRaceLines("", fresh), fresh + "\r\n");
}

TEST(TimeSeries, ImportCountsOnlyTheRacesWhoseWinOddsWereFiled) {
    TempDir src, app;
    DayRaces races;
    DayCalcs calcs;
    for (int r = 0; r < 4; ++r) {
        std::string key = RaceKey16("20261206", "05", r + 1);
        races[static_cast<std::size_t>(r)].Assign(MakeRecord("RA", key));
        calcs[static_cast<std::size_t>(r)].OzTime1 = "1450";
        // The first three races have win odds only, the fourth every kind but the win odds.
        const int first = r < 3 ? 1 : 2, last = r < 3 ? 1 : 6;
        for (int kind = first; kind <= last; ++kind) {
            std::filesystem::path file = *TimeSeriesOddsFile(src.path(), key, kind);
            std::filesystem::create_directories(file.parent_path());
            WriteBytes(file, Snap(kind, "1206", "1440", key) + "\r\n");
        }
    }
    TimeSeriesResult result = ImportTimeSeriesOdds(src.path(), app.path(), races, calcs);
    ASSERT_TRUE(result.written);
    EXPECT_EQ(result.races, 3);
    auto day = *ParseYyyymmdd("20261206");
    EXPECT_EQ(keiba::SplitLines(Slurp(DayFilePath(app.path(), day, DayFile::O1))).size(), 3u);
    const std::string key4 = RaceKey16("20261206", "05", 4);
    for (auto [kind, file] : {std::pair{2, DayFile::O2},
                              {3, DayFile::O3},
                              {4, DayFile::O4},
                              {5, DayFile::O5},
                              {6, DayFile::O6}})
        EXPECT_TRUE(Slurp(DayFilePath(app.path(), day, file)) ==
                    Snap(kind, "1206", "1440", key4) + "\r\n")
            << kind;
}
