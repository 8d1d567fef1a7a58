// The read step of the results fetch against the scripted JV-Link.

#include "jvdata/rtfetch.h"

#include "tests/jvdata/recordmaker.h"
#include "tests/support/fakejvlink.h"
#include "tests/support/tempdir.h"
#include "tests/support/unreadable.h"

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

// Each record is on disk before the next read, so a fetch that ends after its n-th record, be it
// killed, holds the first n: looked at as every read begins, the results of a day arrive in the
// race, runner and payout files one by one.
TEST(RtFetch, EachRecordIsFiledBeforeTheNextRead) {
    testsupport::TempDir app;
    const std::filesystem::path data = app / "Data";
    std::filesystem::create_directories(data);
    const std::string key = RaceKey16("20261206", "05", 1);
    std::string oldRa = MakeRecord("RA", key), ra = MakeRecord("RA", key);
    SetField(ra, 874, 4, "1540");
    const std::string se = testsupport::MakeRunner(key, 1, "2020100001");
    const std::string hr = MakeRecord("HR", key, '2');
    // The race file takes lines with their data kind and creation date zeroed.
    auto line = [](std::string record) {
        return record.replace(2, 9, "000000000").substr(0, record.size() - 2);
    };
    testsupport::WriteBytes(data / "2026年12月06日.jvRA", line(oldRa) + "\r\n");
    std::string blankSlots;
    for (int i = 0; i < 216; ++i) blankSlots += std::string(553, ' ') + "\r\n";
    testsupport::WriteBytes(data / "2026年12月06日東京.jvSEr", blankSlots);

    testsupport::FakeJvLink link;
    link.AddRealtime("0B12", "20261206", {ra, se, hr});
    link.rtReads["0B12/20261206"].push_back({-502, {}, {}});
    std::vector<std::string> filedAtRead; // race, runner, payout: 1 when on disk
    link.onCall = [&](const testsupport::FakeJvLink::Call& c) {
        if (c.method != "JVRead") return;
        auto read = [&](const char* name) {
            return keiba::ReadFileOrMissing(data / name).bytes.value_or(std::string());
        };
        const std::string raFile = read("2026年12月06日.jvRA");
        const std::string seFile = read("2026年12月06日東京.jvSEr");
        const std::string hrFile = read("2026年12月06日.jvHR");
        filedAtRead.push_back(std::string(1, raFile == line(ra) + "\r\n" ? '1' : '0') +
                              (seFile.substr(0, 555) == se ? '1' : '0') +
                              (hrFile == hr ? '1' : '0'));
    };
    ASSERT_EQ(link.JVRTOpen("0B12", "20261206"), 0);

    ReadStepResult r = RunReadStep(link, ReadStep::Results, app.path(), nullptr, nullptr);
    EXPECT_EQ(r.readError, -502);
    EXPECT_EQ(r.filed, 3);
    EXPECT_TRUE(r.written.ok);
    EXPECT_EQ(filedAtRead, (std::vector<std::string>{"000", "100", "110", "111"}));
}

// An odds file that cannot be read is left whole and the step says which; a record counts as
// filed only once its write has succeeded.
TEST(RtFetch, AFileThatCannotBeReadOrWrittenEndsTheStepWithNothingFiled) {
    testsupport::TempDir app;
    std::filesystem::create_directories(app / "Data");
    const std::filesystem::path odds = app / "Data" / "2026年12月06日.jvO1";
    testsupport::WriteBytes(odds, "the odds of 36 races\r\n");
    const std::string key = RaceKey16("20261206", "05", 1);
    auto fetch = [&] {
        testsupport::FakeJvLink link;
        link.AddRealtime("0B30", key, {MakeRecord("O1", key, '1')});
        EXPECT_EQ(link.JVRTOpen("0B30", key), 0);
        return RunReadStep(link, ReadStep::Odds, app.path(), nullptr, nullptr);
    };
    ReadStepResult unread;
    {
        const testsupport::UnreadableFile unreadable(odds);
        unread = fetch();
    }
    EXPECT_NE(unread.written.message.find("2026年12月06日.jvO1 を読み込めません"),
              std::string::npos)
        << unread.written.message;
    EXPECT_EQ(unread.filed, 0);
    EXPECT_EQ(testsupport::Slurp(odds), "the odds of 36 races\r\n");

    keiba::SetBeforeRenameHookForTest([](const std::filesystem::path&) { return false; });
    const ReadStepResult unwritten = fetch();
    keiba::SetBeforeRenameHookForTest(nullptr);
    EXPECT_FALSE(unwritten.written.ok);
    EXPECT_EQ(unwritten.filed, 0);
}

// A record whose fields do not read as its layout says is not put over the race's sound line: it
// is refused and counted, for the fetch to log.
TEST(RtFetch, ADamagedRecordIsRefusedAndCountedNotFiled) {
    testsupport::TempDir app;
    const std::string key = RaceKey16("20261206", "05", 1);
    const std::string sound = MakeRecord("O1", key);
    std::string damaged = sound;
    damaged[TJvO1::kWin.firstPos - 1] = '\xFF';
    testsupport::FakeJvLink link;
    link.AddRealtime("0B30", key, {sound, damaged});
    ASSERT_EQ(link.JVRTOpen("0B30", key), 0);

    ReadStepResult r = RunReadStep(link, ReadStep::Odds, app.path(), nullptr, nullptr);
    EXPECT_EQ(r.filed, 1);
    EXPECT_EQ(r.refused.Total(), 1);
    EXPECT_EQ(r.refused.first[static_cast<std::size_t>(RefuseReason::Content)],
              "O1 " + std::to_string(sound.size()) + "バイト " + key);
    std::string line = sound.substr(0, sound.size() - 2);
    line.replace(2, 9, "000000000");
    EXPECT_EQ(testsupport::Slurp(app / "Data" / "2026年12月06日.jvO1"), line + "\r\n");
}
