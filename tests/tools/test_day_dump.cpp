// The whole race-day model of a sample day, as the day-dump tool prints it, against a golden
// file. A change of the load, the odds reader, the payout parser or the decoding shows here. What
// the load tells the user goes to the tool's error output: nothing for the sound sample day.

#include "keiba/fileio.h"
#include "tests/support/sample.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using testsupport::RunCommand;

TEST(DayDump, SampleDayMatchesTheGoldenFile) {
    ASSERT_TRUE(std::filesystem::exists(testsupport::SampleFolder() / "done"))
        << "the sample generator failed";
    testsupport::TempDir folder;
    testsupport::UseSampleIn(folder.path());
    int status = -1;
    const std::filesystem::path told = folder / "told.txt";
    std::string dump = RunCommand(std::string(KESTRANE_DAY_DUMP) + " '" + folder.path().string() +
                                      "' 20261128 2>'" + told.string() + "'",
                                  &status);
    ASSERT_EQ(status, 0);
    EXPECT_EQ(testsupport::Slurp(told), "");
    std::string golden = testsupport::Slurp(testsupport::TestData("tools/sample_day_20261128.txt"));
    // On a mismatch, write the new dump beside the build for a diff.
    if (dump != golden) {
        EXPECT_TRUE(keiba::WriteFileAtomic("sample_day_20261128.actual.txt", dump));
    }
    EXPECT_TRUE(dump == golden) << "see sample_day_20261128.actual.txt in the test's folder";
}

// A damaged day is told on the error output, with the file and what it lost: here the sample
// day's payout file cut inside its 19th record.
TEST(DayDump, ADamagedDayIsToldOnTheErrorOutput) {
    ASSERT_TRUE(std::filesystem::exists(testsupport::SampleFolder() / "done"))
        << "the sample generator failed";
    testsupport::TempDir folder;
    const std::string stem = "Data/2026年11月28日";
    const std::filesystem::path data = testsupport::SampleFolder() / "Data";
    std::filesystem::create_directories(folder / "Data");
    testsupport::WriteBytes(folder / (stem + ".jvRA"),
                            testsupport::Slurp(data / "2026年11月28日.jvRA"));
    testsupport::WriteBytes(
        folder / (stem + ".jvHR"),
        testsupport::Slurp(data / "2026年11月28日.jvHR").substr(0, 18 * 719 + 300));
    int status = -1;
    const std::string told = RunCommand(std::string(KESTRANE_DAY_DUMP) + " '" +
                                            folder.path().string() + "' 20261128 2>&1 >/dev/null",
                                        &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(told, "払戻データ（2026年11月28日.jvHR）の一部が壊れているため、18レース分を読み込め"
                    "ませんでした。\n");
}
