// The read step of the results fetch against the scripted JV-Link.

#include "jvdata/rtfetch.h"

#include "tests/jvdata/recordmaker.h"
#include "tests/support/fakejvlink.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <map>

using namespace jvdata;
using testsupport::MakeRecord;
using testsupport::RaceKey16;

TEST(RtFetch, AResultsFetchForADayWithoutARaceFileMakesNoRaceOrRunnerFile) {
    testsupport::TempDir app;
    std::filesystem::create_directories(app / "Data");
    const std::string key = RaceKey16("20261206", "05", 1);
    std::string se = testsupport::MakeRunner(key, 1, "2020100001");
    std::string hr = MakeRecord("HR", key, '2');
    testsupport::FakeJvLink link;
    link.AddRealtime("0B12", "20261206", {MakeRecord("RA", key), se, hr});
    ASSERT_EQ(link.JVRTOpen("0B12", "20261206"), 0);

    ReadStepResult r = RunReadStep(link, ReadStep::Results, app.path(), nullptr, nullptr);
    EXPECT_EQ(r.readError, 0);
    EXPECT_TRUE(r.written.ok);
    EXPECT_EQ(r.filed, 1);
    // Only the payouts are filed, as delivered; the race and its runners wait for a race file.
    EXPECT_EQ(testsupport::Tree(app.path()),
              (std::map<std::string, std::string>{{"Data/2026年12月06日.jvHR", hr}}));
}
