// The import's read loop: what it files, how a setup import resumes, how it ends and what it
// tells.

#include "jvdata/filingloop.h"
#include "jvdata/importfiling.h"
#include "keiba/fileio.h"
#include "keiba/sjis.h"
#include "tests/jvdata/recordmaker.h"
#include "tests/support/fakejvlink.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"
#include "tests/support/unreadable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

using namespace jvdata;
using namespace testsupport;
using namespace testsupport::filing;
namespace fs = std::filesystem;

namespace {

class LoopHost : public FilingLoopHost {
public:
    bool CancelRequested() const override { return cancel; }
    void SetStatus(const std::string& t) override { statuses.push_back(t); }
    void ShowRecordName(const std::string& t) override {
        labels.push_back(t);
        if (onLabel) onLabel(t);
    }
    std::string SetUpLapFile() const override { return lap; }
    keiba::IoResult SetSetUpLapFile(const std::string& f) override {
        if (lapFails) return keiba::IoResult::Fail("kestrane.ini を書き込めません: disk full");
        lap = f;
        if (onLap) onLap(f);
        return keiba::IoResult::Ok();
    }
    keiba::IoResult SetCompleted(const std::optional<std::string>& t) override {
        if (completionFails)
            return keiba::IoResult::Fail("kestrane.ini を書き込めません: disk full");
        if (t) lastTime = *t;
        lap.clear();
        return keiba::IoResult::Ok();
    }
    void RecordsRefused(const RefusalTally& t) override { tallies.push_back(t); }
    void Tell(const std::string& text) override { told.push_back(text); }

    bool cancel = false, lapFails = false, completionFails = false;
    std::string lap;
    std::string lastTime = "unchanged";
    std::vector<std::string> statuses, labels;
    std::function<void(const std::string&)> onLabel, onLap;
    std::vector<RefusalTally> tallies;
    std::vector<std::string> told; // the messages, each with its beep
};

// Three JV files of a setup import; F3 files race 1 again, so the order of filing matters.
void AddSetupFiles(FakeJvLink& link) {
    link.AddFile("F1", {Ra("20261205", 1), Se("20261205", 1, 1, "2020100001", '7')});
    link.AddFile("F2", {Ra("20261205", 2), Se("20261205", 2, 1, "2020100001", '7'),
                        Se("20261205", 2, 2, "2020100002", '7')});
    std::string again = Ra("20261205", 1);
    SetField(again, 33, 60, "RENAMED");
    link.AddFile("F3", {again, Um("2020100001")});
}

FilingLoopParams SetupParams(const fs::path& dir) {
    FilingLoopParams p;
    p.appDir = dir;
    p.readCount = 3;
    p.lastFileTimestamp = "20261206123456";
    p.setupMode = true;
    p.filter = {20170101, "2011", false};
    return p;
}

} // namespace

TEST(FilingLoop, ASetupResumeFilesFromTheRememberedFileOn) {
    TempDir dir;
    FakeJvLink link;
    AddSetupFiles(link);
    LoopHost host;
    host.lap = "F2";
    EXPECT_EQ(ReadAndFileJvRecords(link, SetupParams(dir.path()), host), FilingLoopExit::Finished);
    std::string ra = Slurp(dir / "Data/2026年12月05日.jvRA");
    ASSERT_EQ(keiba::SplitLines(ra).size(), 2u); // race 1 as F3 left it, and race 2
    EXPECT_EQ(Field(keiba::SplitLines(ra)[0], 33, 7), "RENAMED");
    EXPECT_EQ(Field(keiba::SplitLines(ra)[1], 26, 2), "02");
    // F1's runner never reached the runner file: its slot is blank.
    std::string ser = Slurp(dir / "Data/2026年12月05日東京.jvSEr");
    EXPECT_TRUE(keiba::IsBlankText(keiba::SplitLines(ser)[0]));
    EXPECT_FALSE(keiba::IsBlankText(keiba::SplitLines(ser)[18]));
    EXPECT_EQ(host.lap, "");
    EXPECT_EQ(host.lastTime, "2026/12/06 12:34:56");
    EXPECT_EQ(host.statuses.back(), "データ作成が完了しました。");
}

// A file switch before the resume point announces a file that is not the remembered one: it is
// passed over whole and counted, its records never read one by one.
TEST(FilingLoop, AFileAnnouncedBeforeTheResumePointIsPassedOverWhole) {
    TempDir dir;
    FakeJvLink link;
    link.AddFile("F2", {Ra("20261205", 1), Ra("20261205", 2)});
    link.reads.push_front({-1, {}, "F2"}); // the file before it held no record
    link.AddFile("F3", {Ra("20261205", 3)});
    LoopHost host;
    host.lap = "F3";
    EXPECT_EQ(ReadAndFileJvRecords(link, SetupParams(dir.path()), host), FilingLoopExit::Finished);
    EXPECT_EQ(link.CallNames(),
              (std::vector<std::string>{"JVRead", "SkipCurrentFile", "JVRead", "JVRead"}));
    EXPECT_NE(std::find(host.statuses.begin(), host.statuses.end(), "データ読込み中．．．(1/3)"),
              host.statuses.end());
    const std::string bytes = Slurp(dir / "Data/2026年12月05日.jvRA");
    const auto ra = keiba::SplitLines(bytes);
    ASSERT_EQ(ra.size(), 1u);
    EXPECT_EQ(Field(ra[0], 26, 2), "03");
}

TEST(FilingLoop, ARunCutShortAndResumedEndsLikeOneRun) {
    TempDir whole, resumed;
    {
        FakeJvLink link;
        AddSetupFiles(link);
        LoopHost host;
        ASSERT_EQ(ReadAndFileJvRecords(link, SetupParams(whole.path()), host),
                  FilingLoopExit::Finished);
    }
    LoopHost host;
    for (int cutAfter : {2, 5, 7}) {
        FakeJvLink link;
        AddSetupFiles(link);
        int reads = 0;
        link.onCall = [&](const FakeJvLink::Call& c) {
            if (c.method == "JVRead" && ++reads == cutAfter) host.cancel = true;
        };
        ASSERT_EQ(ReadAndFileJvRecords(link, SetupParams(resumed.path()), host),
                  FilingLoopExit::Cancelled);
        EXPECT_EQ(host.lastTime, "unchanged");
        EXPECT_FALSE(host.lap.empty());
        host.cancel = false;
    }
    FakeJvLink link;
    AddSetupFiles(link);
    ASSERT_EQ(ReadAndFileJvRecords(link, SetupParams(resumed.path()), host),
              FilingLoopExit::Finished);
    EXPECT_EQ(Tree(resumed.path()), Tree(whole.path()));
}

// A kill leaves the files as last written and the resume point as last saved: the point may
// name a file only when everything the files before it filed is on disk, whether the loop
// writes after every JV file, gathers several, or writes the day files alone before the horse
// files.
TEST(FilingLoop, TheResumePointPassesOnlyFilesWhoseRecordsAreWritten) {
    struct Budgets {
        std::size_t all, days;
    };
    const std::size_t gather = FilingLoopParams{}.flushBytes;
    // Written after every file; all gathered; the day files written alone after every file.
    const std::vector<Budgets> budgets = {{1, 1}, {gather, gather}, {gather, 1}};
    std::vector<TempDir> dirs(budgets.size());
    std::vector<std::vector<std::string>> laps(budgets.size());
    for (std::size_t i = 0; i < budgets.size(); ++i) {
        const fs::path folder = dirs[i].path();
        FakeJvLink link;
        AddSetupFiles(link);
        LoopHost host;
        host.onLap = [&](const std::string& f) {
            laps[i].push_back(f);
            // F1 files race 1 and a run of horse 2020100001, F2 race 2.
            const std::size_t races =
                keiba::SplitLines(keiba::ReadFileOrMissing(folder / "Data/2026年12月05日.jvRA")
                                      .bytes.value_or(""))
                    .size();
            EXPECT_GE(races, f >= "F3" ? 2u : (f >= "F2" ? 1u : 0u)) << i << " passed to " << f;
            const bool runWritten = fs::exists(folder / "SEI/2020/2020100001.jvSEI");
            EXPECT_TRUE(f < "F2" || runWritten) << i << " passed to " << f;
        };
        FilingLoopParams p = SetupParams(folder);
        p.flushBytes = budgets[i].all;
        p.dayFlushBytes = budgets[i].days;
        ASSERT_EQ(ReadAndFileJvRecords(link, p, host), FilingLoopExit::Finished);
    }
    EXPECT_EQ(laps[0], (std::vector<std::string>{"F1", "F2", "F3"}));
    EXPECT_EQ(Tree(dirs[1].path()), Tree(dirs[0].path()));
    EXPECT_EQ(Tree(dirs[2].path()), Tree(dirs[0].path()));
}

// A horse runs on many race days: its file is written once per import, not once for every
// batch of day files, and its folder's other files likewise.
TEST(FilingLoop, AHorseFileIsWrittenOnceWhileTheDayFilesGoEarlier) {
    TempDir dir;
    FakeJvLink link;
    AddSetupFiles(link);
    LoopHost host;
    FilingLoopParams p = SetupParams(dir.path());
    p.dayFlushBytes = 1;               // the day files are written at the end of every JV file
    std::map<std::string, int> writes; // by file name
    keiba::SetBeforeRenameHookForTest([&](const fs::path& temp) {
        const std::string name = temp.filename().string();
        ++writes[name.substr(0, name.rfind(".ktmp"))];
        return true;
    });
    const FilingLoopExit exit = ReadAndFileJvRecords(link, p, host);
    keiba::SetBeforeRenameHookForTest(nullptr);
    ASSERT_EQ(exit, FilingLoopExit::Finished);
    // F1 and F2 each file a run of the horse; F1, F2 and F3 each file a race of the day.
    EXPECT_EQ(writes["2020100001.jvSEI"], 1);
    EXPECT_EQ(writes["2026年12月05日.jvRA"], 3);
    const fs::path runs = dir / "SEI/2020/2020100001.jvSEI";
    EXPECT_EQ(keiba::SplitLines(Slurp(runs)).size(), 2u);
}

// The writes of held files can take a minute at the end of a setup import: meanwhile the status
// line says so, and goes back to the reading after a write in the middle of the data.
TEST(FilingLoop, TheStatusLineSaysWhileHeldFilesAreWritten) {
    TempDir dir;
    FakeJvLink link;
    AddSetupFiles(link);
    LoopHost host;
    FilingLoopParams p = SetupParams(dir.path());
    p.dayFlushBytes = 1; // day files are also written in the middle of the data
    std::vector<std::string> duringWrites;
    keiba::SetBeforeRenameHookForTest([&](const fs::path&) {
        duringWrites.push_back(host.statuses.empty() ? "" : host.statuses.back());
        return true;
    });
    const FilingLoopExit exit = ReadAndFileJvRecords(link, p, host);
    keiba::SetBeforeRenameHookForTest(nullptr);
    ASSERT_EQ(exit, FilingLoopExit::Finished);
    ASSERT_FALSE(duringWrites.empty());
    for (const std::string& s : duringWrites) EXPECT_TRUE(s.starts_with("データ書込み中")) << s;
    // after the day files of F1 were written, F2 is read again under the reading's status
    auto written =
        std::find(host.statuses.begin(), host.statuses.end(), "データ書込み中．．．(1/3)");
    ASSERT_NE(written, host.statuses.end());
    EXPECT_EQ(*std::next(written), "データ読込み中．．．(1/3)");
    EXPECT_EQ(host.statuses.back(), "データ作成が完了しました。");
}

TEST(FilingLoop, EndsAndReportsWhenTheDataCannotGoOn) {
    TempDir dir;
    {
        // A remembered file that never comes: the next setup starts from the beginning.
        FakeJvLink link;
        AddSetupFiles(link);
        LoopHost host;
        host.lap = "F9";
        EXPECT_EQ(ReadAndFileJvRecords(link, SetupParams(dir.path()), host),
                  FilingLoopExit::LapNotFound);
        EXPECT_EQ(host.lap, "");
        EXPECT_EQ(host.lastTime, "unchanged");
        EXPECT_FALSE(fs::exists(dir / "Data"));
        // Said in words, not with a beep alone.
        ASSERT_EQ(host.told.size(), 1u);
        EXPECT_NE(host.told[0].find("再開位置"), std::string::npos);
        EXPECT_NE(host.told[0].find("F9"), std::string::npos);
        EXPECT_NE(host.told[0].find("最初から"), std::string::npos);
        EXPECT_NE(host.statuses.back(), "データ作成が完了しました。");
    }
    {
        FakeJvLink link;
        link.AddFile("F1", {Ra("20261205", 1)});
        link.reads.push_back({-403, {}, "F1"});
        LoopHost host;
        FilingLoopParams p = SetupParams(dir.path());
        p.setupMode = false;
        p.lastFileTimestamp = "00000000000000";
        EXPECT_EQ(ReadAndFileJvRecords(link, p, host), FilingLoopExit::ReadError);
        ASSERT_EQ(host.told.size(), 1u);
        EXPECT_TRUE(host.told[0].starts_with("JVReadエラー:"));
        EXPECT_TRUE(host.told[0].ends_with("(-403)"));
        // What was read before the error is written.
        EXPECT_TRUE(fs::exists(dir / "Data/2026年12月05日.jvRA"));
        EXPECT_EQ(host.lastTime, "unchanged");
    }
}

// The label follows the records as they are taken in, and is empty at each file switch; once a
// write has failed it names none, since what it named may not have reached the disk.
TEST(FilingLoop, TheRecordLabelNamesEachRecordAsItIsTakenIn) {
    TempDir dir;
    FakeJvLink link;
    AddSetupFiles(link);
    LoopHost host;
    std::vector<std::string> shownAtRead;
    link.onCall = [&](const FakeJvLink::Call& c) {
        if (c.method == "JVRead")
            shownAtRead.push_back(host.labels.empty() ? "" : host.labels.back());
    };
    ASSERT_EQ(ReadAndFileJvRecords(link, SetupParams(dir.path()), host), FilingLoopExit::Finished);
    // Before each read: the label as the record or file switch before it left it.
    const std::vector<std::string> expected = {
        "",
        "開催:2026年12月05日東京01R",
        "過去走:2026/12/05東京01R/①",
        "", // F2 begins
        "開催:2026年12月05日東京02R",
        "過去走:2026/12/05東京02R/①",
        "過去走:2026/12/05東京02R/②",
        "", // F3 begins
        "開催:2026年12月05日東京01R",
        "競走馬:",
    };
    ASSERT_EQ(shownAtRead.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i].empty())
            EXPECT_EQ(shownAtRead[i], "") << i;
        else
            EXPECT_TRUE(shownAtRead[i].starts_with(expected[i])) << i << ": " << shownAtRead[i];
    }
    ASSERT_FALSE(host.labels.empty());
    EXPECT_TRUE(host.labels.back().starts_with("競走馬:")) << host.labels.back();

    TempDir failing;
    FakeJvLink again;
    again.AddFile("F1", {Ra("20261205", 1)});
    LoopHost failed;
    keiba::SetBeforeRenameHookForTest([](const fs::path&) { return false; });
    EXPECT_EQ(ReadAndFileJvRecords(again, SetupParams(failing.path()), failed),
              FilingLoopExit::WriteError);
    keiba::SetBeforeRenameHookForTest(nullptr);
    ASSERT_FALSE(failed.labels.empty());
    EXPECT_EQ(failed.labels.back(), "");
    ASSERT_FALSE(failed.told.empty());
    EXPECT_NE(failed.told.back().find("2026年12月05日.jvRA"), std::string::npos);
}

// A resume point or from-time the settings file did not take must not look like success: a
// stale resume point would make the next setup pass over almost every file.
TEST(FilingLoop, SettingsThatCannotBeWrittenStopTheImport) {
    for (bool lapFails : {true, false}) {
        TempDir dir;
        FakeJvLink link;
        AddSetupFiles(link);
        LoopHost host;
        host.lapFails = lapFails;
        host.completionFails = !lapFails;
        EXPECT_EQ(ReadAndFileJvRecords(link, SetupParams(dir.path()), host),
                  FilingLoopExit::WriteError)
            << lapFails;
        ASSERT_EQ(host.told.size(), 1u) << lapFails;
        EXPECT_NE(host.told[0].find("kestrane.ini"), std::string::npos);
        EXPECT_NE(host.statuses.back(), "データ作成が完了しました。") << lapFails;
        EXPECT_EQ(host.lastTime, "unchanged");
        if (lapFails) {
            EXPECT_FALSE(fs::exists(dir / "Data")) << "nothing past the first file";
        }
    }
}

// Damaged records are counted by reason and reported once at the end; the good ones are filed.
TEST(FilingLoop, RefusedRecordsAreCountedByReasonAndTold) {
    TempDir dir;
    FakeJvLink link;
    std::string shortSe = Se("20261205", 1, 2, "2020100002", '7').substr(0, 540) + "\r\n";
    std::string badId = Um("20201../01");
    std::string badDate = Ra("20261235", 3);
    link.AddFile("F1", {Ra("20261205", 1), shortSe, Se("20261205", 1, 1, "2020100001", '7'),
                        shortSe, badId, badDate, "\x82\xa0" + std::string(98, ' ') + "\r\n",
                        // a kind of record this system has no use for is left, not refused,
                        "H1" + std::string(100, '0') + "\r\n",
                        // unless its line end is lost
                        "AV" + std::string(100, '0')});
    LoopHost host;
    FilingLoopParams p = SetupParams(dir.path());
    p.readCount = 1;
    ASSERT_EQ(ReadAndFileJvRecords(link, p, host), FilingLoopExit::Finished);
    EXPECT_EQ(host.statuses.back(),
              "データ作成が完了しました。（取り込めないレコード 6件：ErrorLog.txt参照）");
    ASSERT_EQ(host.tallies.size(), 1u);
    const RefusalTally& t = host.tallies[0];
    EXPECT_EQ(t.count[static_cast<std::size_t>(RefuseReason::Length)], 3);
    EXPECT_EQ(t.count[static_cast<std::size_t>(RefuseReason::PedigreeId)], 1);
    EXPECT_EQ(t.count[static_cast<std::size_t>(RefuseReason::Date)], 1);
    EXPECT_EQ(t.count[static_cast<std::size_t>(RefuseReason::RecordId)], 1);
    EXPECT_EQ(t.Total(), 6);
    EXPECT_EQ(t.first[static_cast<std::size_t>(RefuseReason::Length)],
              "SE 542バイト 2026120505050801");
    EXPECT_TRUE(fs::exists(dir / "SEI/2020/2020100001.jvSEI"));
    EXPECT_TRUE(fs::exists(dir / "Data/2026年12月05日.jvRA"));

    // Nothing refused: the plain words, and no report.
    FakeJvLink clean;
    clean.AddFile("F1", {Ra("20261205", 1)});
    LoopHost quiet;
    ASSERT_EQ(ReadAndFileJvRecords(clean, p, quiet), FilingLoopExit::Finished);
    EXPECT_EQ(quiet.statuses.back(), "データ作成が完了しました。");
    EXPECT_TRUE(quiet.tallies.empty());
}

// A payout file the importing user cannot read is no missing one: the import stops, says which
// file and why, and leaves it whole; what the records before took into other files is written.
TEST(FilingLoop, AnUnreadablePayoutFileIsLeftWholeByAnImport) {
    TempDir dir;
    fs::create_directories(dir / "Data");
    const fs::path payouts = dir / "Data/2026年12月05日.jvHR";
    std::string races36;
    for (const char* venue : {"05", "06", "08"})
        for (int race = 1; race <= 12; ++race)
            races36 += MakeRecord("HR", RaceKey16("20261205", venue, race), '2');
    WriteBytes(payouts, races36);
    FakeJvLink link;
    std::vector<std::string> feed = {Ra("20261205", 1)};
    for (int race = 1; race <= 6; ++race)
        feed.push_back(MakeRecord("HR", RaceKey16("20261205", "05", race), '2'));
    link.AddFile("F1", feed);
    LoopHost host;
    FilingLoopExit exit;
    {
        const UnreadableFile unreadable(payouts);
        exit = ReadAndFileJvRecords(link, SetupParams(dir.path()), host);
    }
    EXPECT_EQ(exit, FilingLoopExit::WriteError);
    EXPECT_EQ(Slurp(payouts), races36);
    ASSERT_EQ(host.told.size(), 1u);
    EXPECT_NE(host.told[0].find("2026年12月05日.jvHR を読み込めません（読み込む権限がありません）"),
              std::string::npos)
        << host.told[0];
    EXPECT_EQ(host.lastTime, "unchanged");
    EXPECT_TRUE(fs::exists(dir / "Data/2026年12月05日.jvRA"));
}
