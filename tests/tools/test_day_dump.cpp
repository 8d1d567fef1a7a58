// The whole race-day model of a sample day, as the day-dump tool prints it, against a golden
// file. A change of the load, the odds reader, the payout parser or the decoding shows here.

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
    std::string dump = RunCommand(
        std::string(KESTRANE_DAY_DUMP) + " '" + folder.path().string() + "' 20261128", &status);
    ASSERT_EQ(status, 0);
    std::string golden = testsupport::Slurp(testsupport::TestData("tools/sample_day_20261128.txt"));
    // On a mismatch, write the new dump beside the build for a diff.
    if (dump != golden) {
        EXPECT_TRUE(keiba::WriteFileAtomic("sample_day_20261128.actual.txt", dump));
    }
    EXPECT_TRUE(dump == golden) << "see sample_day_20261128.actual.txt in the test's folder";
}
