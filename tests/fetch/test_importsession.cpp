// The import dialog's session: its messages, the wait for the download, the cancel, refused
// records, settings and files it cannot write, and an import of the sample feed end to end.

#include "fetch/importsession.h"
#include "keiba/fileio.h"
#include "raceday/dayload.h"
#include "tests/fetch/fetchfixture.h"
#include "tests/support/sample.h"
#include "tests/support/unreadable.h"

#include <array>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class RecordingView : public fetch::ImportView {
public:
    void SetStatus(const std::string& t) override {
        statuses.push_back(t);
        if (onStatus) onStatus(t);
    }
    void SetDownloadProgress(int position, int) override { bars[0] = position; }
    void SetReadProgress(int position, int) override { bars[1] = position; }
    void ResetProgress() override { bars = {0, 0}; }
    void ShowFromTime(keiba::LocalTime t) override { shown = t; }
    void SelectSetupMode() override { setup = true; }
    void StartStatusTimer() override { timer = true; }
    void StopStatusTimer() override { timer = false; }
    void SetRunning(bool r) override { running.push_back(r); }
    void CloseNow() override { closed = true; }
    void ProcessMessages() override {
        if (onPump) onPump();
    }

    std::vector<std::string> statuses;
    keiba::LocalTime shown{};
    bool setup = false, timer = false, closed = false;
    std::vector<bool> running;
    std::function<void()> onPump;
    std::function<void(const std::string&)> onStatus;
    std::array<int, 2> bars{}; // ProgressBar1 and ProgressBar2
};

const std::string kStartBox =
    "2017年01月01日00時00分00秒以降のデータ取込を開始します。データ作成が終了するまで本ソフトを"
    "操作したり他のアプリケーションを操作することは極力避けてください。";

class ImportSessionTest : public FetchFixture {
protected:
    fetch::ImportRequest FirstUse() {
        keiba::LocalTime t = session.Open();
        return {t, view.setup, false};
    }
    int Closes() const {
        auto names = link.CallNames();
        return static_cast<int>(std::count(names.begin(), names.end(), "JVClose"));
    }
    std::string Setting(std::string_view key) {
        return context.settings.ReadString("JvDataGet", key, "absent");
    }

    RecordingView view;
    fetch::ImportSession session{&link, view, Flags(), context, fetchHost.operations};
};

} // namespace

TEST_F(ImportSessionTest, FirstUseStartsASetupFrom2017AndReportsAnEmptyOpen) {
    fetch::ImportRequest req = FirstUse();
    EXPECT_TRUE(view.setup);
    EXPECT_EQ(view.shown, keiba::MakeLocalTime(2017, 1, 1));
    {
        // Another operation holds the owner: nothing is said and nothing opened.
        const auto load = fetchHost.operations.Take(keiba::Operation::DayLoad);
        session.Start(req);
        EXPECT_TRUE(link.calls.empty());
        EXPECT_TRUE(notifier.messages.empty());
    }
    link.openResults = {-1};
    session.Start(req);
    EXPECT_EQ(notifier.messages,
              (std::vector<std::string>{kStartBox, "最新のデータがありません。"}));
    EXPECT_EQ(link.calls[0].args, (std::vector<std::string>{"RACEDIFN", "20170101000000", "3"}));
    EXPECT_EQ(Closes(), 1);

    link.calls.clear();
    link.openResults = {-301};
    session.Start(req);
    EXPECT_EQ(notifier.messages.back(), "JVOpenエラー:認証エラーが発生しました。(-301)");
    EXPECT_EQ(Closes(), 1);
    EXPECT_FALSE(fetchHost.operations.Busy());
}

// The saved from-time is read and written in the last hour of a day (23:xx) as in any other.
TEST_F(ImportSessionTest, TheDownloadWaitEndsAtTheCountOrAtAnError) {
    keiba::TIniGT& ini = context.settings;
    ASSERT_TRUE(ini.WriteString("JvDataGet", "LastTime", "2026/12/01 23:59:59"));
    fetch::ImportRequest req = FirstUse();
    EXPECT_FALSE(req.setupMode);
    link.readCount = 1;
    link.downloadCount = 3;
    link.lastFileTimestamp = "20261206233456";
    link.AddFile("RADW", {Ra("20261205", "05", 1, 12)});
    link.statusResults = {1, 5}; // past the count also ends the wait
    session.Start(req);
    EXPECT_EQ(link.calls[0].args[1], "20261201235959");
    EXPECT_EQ(link.calls[0].args[2], "1");
    EXPECT_TRUE(view.timer);
    // The owner is held from the start to the end, the download wait among it.
    EXPECT_EQ(fetchHost.operations.Running(), keiba::Operation::Import);
    EXPECT_EQ(view.statuses.back(), "ダウンロード中・・・");
    session.StatusTick();
    EXPECT_EQ(view.statuses.back(), "ダウンロード中．．．(1/3)");
    session.StatusTick();
    EXPECT_FALSE(view.timer);
    EXPECT_EQ(view.statuses.back(), "データ作成が完了しました。");
    EXPECT_EQ(Setting("LastTime"), "2026/12/06 23:34:56");
    EXPECT_EQ(view.shown, keiba::MakeLocalTime(2026, 12, 6, 23, 34, 56));
    EXPECT_TRUE(fs::exists(DataFile(Stem("20261205") + ".jvRA")));
    EXPECT_EQ(view.running, (std::vector<bool>{true, false}));
    EXPECT_FALSE(fetchHost.operations.Busy());

    link.calls.clear();
    link.statusResults = {-502};
    session.Start(req);
    session.StatusTick();
    EXPECT_EQ(
        notifier.messages.back(),
        "JVStatusエラー:ダウンロードに失敗しました。（通信エラーやディスクエラーなど）(-502)");
    EXPECT_EQ(Closes(), 1);
}

TEST_F(ImportSessionTest, CancelAsksStopsAndClosesTheConnection) {
    fetch::ImportRequest req = FirstUse();
    link.readCount = 2;
    link.downloadCount = 2;
    session.Start(req);
    notifier.answers = {false};
    session.Cancel();
    EXPECT_EQ(notifier.questions.back(), "データ取込を中止します。実行しますか？");
    EXPECT_EQ(session.CurrentPhase(), fetch::ImportSession::Phase::Downloading);
    notifier.answers = {true};
    session.Cancel();
    auto names = link.CallNames();
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(names.end() - 2, names.end()),
              (std::vector<std::string>{"JVCancel", "JVClose"}));
    EXPECT_EQ(notifier.messages.back(), "JVCancel:キャンセルされました");
    EXPECT_EQ(Flags().gJvCancel, 0);
    EXPECT_FALSE(fetchHost.operations.Busy());
}

TEST_F(ImportSessionTest, ACancelDuringTheFilingStopsTheLoopAndAskedCloseFollows) {
    fetch::ImportRequest req = FirstUse();
    link.readCount = 2;
    link.lastFileTimestamp = "20261206123456";
    link.AddFile("F1", {Ra("20261205", "05", 1, 12)});
    link.AddFile("F2", {Ra("20261205", "05", 2, 12)});
    link.onCall = [&](const FakeJvLink::Call& c) {
        if (c.method == "JVRead" && c.result > 0 && c.args.size() == 1 &&
            session.CurrentPhase() == fetch::ImportSession::Phase::Reading && !view.closed) {
            EXPECT_FALSE(session.RequestClose());
        }
    };
    session.Start(req);
    EXPECT_TRUE(view.closed);
    EXPECT_EQ(Closes(), 1);
    EXPECT_EQ(Setting("LastTime"), "absent");
    EXPECT_EQ(Setting("SetUpLapFile"), "F1");
    EXPECT_EQ(Flags().gJvCancel, 0);
}

// A cancel answered in the middle of the filing: what was taken in is written first (the status
// line says so meanwhile), and the line then says the import was cancelled, not that it reads.
TEST_F(ImportSessionTest, ACancelInTheMiddleWritesWhatCameAndTheLineSaysItEnded) {
    fetch::ImportRequest req = FirstUse();
    link.readCount = 2;
    link.AddFile("F1", {Ra("20261205", "05", 1, 12)});
    link.AddFile("F2", {Ra("20261205", "05", 2, 12)});
    bool filed = false;
    link.onCall = [&](const FakeJvLink::Call& c) { filed = filed || c.result > 0; };
    view.onPump = [&] {
        if (!filed || !notifier.questions.empty()) return;
        notifier.answers = {true};
        session.Cancel();
    };
    session.Start(req);
    ASSERT_EQ(session.LastExit(), jvdata::FilingLoopExit::Cancelled);
    EXPECT_EQ(keiba::SplitLines(Slurp(dir / "Data/2026年12月05日.jvRA")).size(), 1u);
    const auto cancelled =
        std::find(view.statuses.begin(), view.statuses.end(), "JVCancel:キャンセルされました");
    ASSERT_NE(cancelled, view.statuses.end());
    EXPECT_TRUE(std::any_of(cancelled, view.statuses.end(),
                            [](const std::string& s) { return s.starts_with("データ書込み中"); }));
    EXPECT_EQ(view.statuses.back(), "JVCancel:キャンセルされました");
}

// The download ended and the filing ran to its end while the cancel box was open: the answer
// said "キャンセルされました" after "データ作成が完了しました。" for an import that had completed.
TEST_F(ImportSessionTest, ACancelAnsweredAfterTheImportEndedSaysItHadCompleted) {
    fetch::ImportRequest req = FirstUse();
    link.readCount = 1;
    link.downloadCount = 2;
    link.lastFileTimestamp = "20261206123456";
    link.AddFile("F1", {Ra("20261205", "05", 1, 12)});
    link.statusResults = {2};
    session.Start(req);
    int beeps = 0;
    notifier.whileAsking = [&] {
        EXPECT_FALSE(view.timer); // the download's end waits for the answer
        session.StatusTick();     // a poll already under way ends the import regardless
        beeps = notifier.beeps;
    };
    notifier.answers = {true};
    session.Cancel();
    EXPECT_EQ(notifier.messages.back(), "データ取込は既に完了しています。");
    EXPECT_EQ(std::count(notifier.messages.begin(), notifier.messages.end(),
                         "JVCancel:キャンセルされました"),
              0);
    EXPECT_EQ(notifier.beeps, beeps);
    EXPECT_EQ(view.statuses.back(), "データ作成が完了しました。");
    EXPECT_EQ(Setting("LastTime"), "2026/12/06 12:34:56");
    const auto names = link.CallNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "JVCancel"), 0);

    // Answered No, the wait for the download goes on.
    link.statusResults = {0};
    notifier.whileAsking = nullptr;
    session.Start(req);
    notifier.answers = {false};
    session.Cancel();
    EXPECT_TRUE(view.timer);
    EXPECT_EQ(session.CurrentPhase(), fetch::ImportSession::Phase::Downloading);
}

// A cancel answered at the filing's last pass, once every record was read: the cancel was told,
// and then the import still completed, saved its from-time and moved the date picker on.
TEST_F(ImportSessionTest, ACancelAnsweredDuringTheFilingWinsToTheEnd) {
    fetch::ImportRequest req = FirstUse();
    const keiba::LocalTime shown = view.shown;
    link.readCount = 1;
    link.lastFileTimestamp = "20261206123456";
    link.AddFile("F1", {Ra("20261205", "05", 1, 12)});
    bool allRead = false;
    link.onCall = [&](const FakeJvLink::Call& c) {
        if (c.method == "JVRead" && c.result == 0) allRead = true;
    };
    view.onPump = [&] {
        if (!allRead || !notifier.questions.empty()) return;
        notifier.answers = {true};
        session.Cancel();
    };
    session.Start(req);
    ASSERT_EQ(notifier.questions.size(), 1u);
    EXPECT_EQ(session.LastExit(), jvdata::FilingLoopExit::Cancelled);
    EXPECT_EQ(notifier.messages.back(), "JVCancel:キャンセルされました");
    const auto cancelled =
        std::find(view.statuses.begin(), view.statuses.end(), "JVCancel:キャンセルされました");
    ASSERT_NE(cancelled, view.statuses.end());
    EXPECT_EQ(std::find(cancelled, view.statuses.end(), "データ作成が完了しました。"),
              view.statuses.end());
    EXPECT_EQ(Setting("LastTime"), "absent");
    EXPECT_EQ(view.shown, shown);
    EXPECT_FALSE(fetchHost.operations.Busy());
}

TEST_F(ImportSessionTest, TheSampleFeedsThirdDayBecomesTheNewestDay) {
    // A copy of the shared sample: the import writes into its folders.
    ASSERT_TRUE(fs::exists(SampleFolder() / "done")) << "the sample generator failed";
    fs::copy(SampleFolder(), dir.path(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::remove(dir / "done");
    // The sample holds the feed day as after its morning races: without them the day comes
    // from the import alone.
    for (const auto& e : fs::directory_iterator(dir / "Data"))
        if (keiba::PathToUtf8(e.path().filename()).starts_with("2026年12月05日"))
            fs::remove(e.path());
    ASSERT_NE(raceday::MakeDataList(dir.path()).front(), "2026年12月05日");
    std::unique_ptr<jvdata::TJVLink> replay = jvdata::CreateReplayJvLink(dir / "feed");
    ASSERT_TRUE(replay);
    ASSERT_EQ(replay->JVInit("UNKNOWN"), 0);
    fetch::ImportSession sampleSession(replay.get(), view, Flags(), context, fetchHost.operations);
    clock.now = keiba::MakeLocalTime(2026, 12, 6, 9, 0, 0);
    sampleSession.Start({sampleSession.Open(), true, false});
    EXPECT_EQ(view.statuses.back(), "データ作成が完了しました。");
    std::vector<std::string> days = raceday::MakeDataList(dir.path());
    ASSERT_FALSE(days.empty());
    EXPECT_EQ(days[0], "2026年12月05日");
    ASSERT_EQ(raceday::LoadDay(Day(), days[0], host, host, context),
              raceday::DayLoadResult::Loaded);
    EXPECT_GT(Day().gDayRaceCount, 0);
    EXPECT_EQ(host.raceList.size(), static_cast<std::size_t>(Day().gDayRaceCount));
    EXPECT_FALSE(keiba::IsBlankText(Day().gDayHorses[0][0].HorseName()));
}

// The settings file refuses the import's writes: the import stops and says which file, and the
// date picker keeps the from-time that is saved.
TEST_F(ImportSessionTest, ASettingsFileThatCannotBeWrittenStopsTheImport) {
    keiba::TIniGT& ini = context.settings;
    ASSERT_TRUE(ini.WriteString("JvDataGet", "LastTime", "2026/12/01 10:00:00"));
    fetch::ImportRequest req = FirstUse();
    link.readCount = 1;
    link.lastFileTimestamp = "20261206123456";
    link.AddFile("RADW", {Ra("20261205", "05", 1, 12)});
    keiba::SetBeforeRenameHookForTest(
        [](const fs::path& temp) { return !temp.filename().string().starts_with("kestrane.ini"); });
    session.Start(req);
    keiba::SetBeforeRenameHookForTest(nullptr);
    EXPECT_EQ(session.LastExit(), jvdata::FilingLoopExit::WriteError);
    EXPECT_EQ(view.shown, keiba::MakeLocalTime(2026, 12, 1, 10, 0, 0));
    EXPECT_EQ(Setting("LastTime"), "2026/12/01 10:00:00");
    EXPECT_NE(view.statuses.back(), "データ作成が完了しました。");
    ASSERT_GE(notifier.messages.size(), 2u);
    EXPECT_NE(notifier.messages[1].find("kestrane.ini"), std::string::npos) << notifier.messages[1];
    EXPECT_FALSE(fetchHost.operations.Busy());
}

// A settings file saved as UTF-16 can be read but not written, so the import could never save
// its end: it is refused before JV-Link is asked for anything, and nothing is filed.
TEST_F(ImportSessionTest, ASettingsFileSavedAsUtf16IsRefusedBeforeAnythingIsFiled) {
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string_view("[JvDataGet]\r\nLastTime=2026/12/01 10:00:00\r\n")) {
        utf16 += c;
        utf16 += '\0';
    }
    WriteBytes(context.settings.FullPath(), utf16);
    fetch::ImportRequest req = FirstUse();
    EXPECT_EQ(req.fromTime, keiba::MakeLocalTime(2026, 12, 1, 10, 0, 0));
    link.readCount = 1;
    link.lastFileTimestamp = "20261206123456";
    link.AddFile("RADW", {Ra("20261205", "05", 1, 12)});
    session.Start(req);
    EXPECT_TRUE(link.calls.empty());
    EXPECT_FALSE(fs::exists(DataFile(Stem("20261205") + ".jvRA")));
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_NE(notifier.messages[0].find("kestrane.ini はUTF-16で保存されているため"),
              std::string::npos)
        << notifier.messages[0];
    EXPECT_EQ(Slurp(context.settings.FullPath()), utf16);
    EXPECT_FALSE(fetchHost.operations.Busy());
}

// Its from-time reads as the first use's, and its end could not be saved: refused before the
// import is announced.
TEST_F(ImportSessionTest, ASettingsFileThatCannotBeReadIsRefusedBeforeTheAnnouncement) {
    const UnreadableFile unreadable(context.settings.FullPath());
    session.Start(FirstUse());
    EXPECT_TRUE(link.calls.empty());
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_TRUE(notifier.messages[0].starts_with(
        context.settings.FullPath().string() + " を読み込めません（読み込む権限がありません）。"));
}

// The end of a setup import is one settings write: when it fails, the from-time does not move
// on beside a resume point that still names the last file (the next setup would then resume
// there and pass over everything before it).
TEST_F(ImportSessionTest, TheEndOfAnImportIsSavedWholeOrNotAtAll) {
    keiba::TIniGT& ini = context.settings;
    ASSERT_TRUE(ini.WriteString("JvDataGet", "LastTime", "2026/12/01 10:00:00"));
    fetch::ImportRequest req = FirstUse();
    req.setupMode = true;
    link.readCount = 2;
    link.lastFileTimestamp = "20261206123456";
    link.AddFile("RADW1", {Ra("20261205", "05", 1, 12)});
    link.AddFile("RADW2", {Ra("20261205", "05", 2, 12)});
    // The disk fills as the resume point is cleared.
    keiba::SetBeforeRenameHookForTest([](const fs::path& temp) {
        return !(temp.filename().string().starts_with("kestrane.ini") &&
                 Slurp(temp).find("SetUpLapFile=\r\n") != std::string::npos);
    });
    session.Start(req);
    keiba::SetBeforeRenameHookForTest(nullptr);
    EXPECT_EQ(session.LastExit(), jvdata::FilingLoopExit::WriteError);
    EXPECT_EQ(Setting("LastTime"), "2026/12/01 10:00:00");
    // The two files were written together, so the resume point stays at the first.
    EXPECT_EQ(Setting("SetUpLapFile"), "RADW1");
    EXPECT_EQ(view.shown, keiba::MakeLocalTime(2026, 12, 1, 10, 0, 0));
    EXPECT_NE(view.statuses.back(), "データ作成が完了しました。");

    // Saved: both at once.
    link.reads.clear();
    link.AddFile("RADW1", {Ra("20261205", "05", 1, 12)});
    link.AddFile("RADW2", {Ra("20261205", "05", 2, 12)});
    session.Start(req);
    EXPECT_EQ(session.LastExit(), jvdata::FilingLoopExit::Finished);
    EXPECT_EQ(Setting("LastTime"), "2026/12/06 12:34:56");
    EXPECT_EQ(Setting("SetUpLapFile"), "");
    EXPECT_EQ(view.shown, keiba::MakeLocalTime(2026, 12, 6, 12, 34, 56));
}

// Refused records: their count ends the status line, and each reason is logged once.
TEST_F(ImportSessionTest, RefusedRecordsAreCountedAndEachReasonLoggedOnce) {
    fetch::ImportRequest req = FirstUse();
    link.readCount = 1;
    link.lastFileTimestamp = "20261206123456";
    std::string cut = Ra("20261205", "05", 2, 12).substr(0, 900) + "\r\n";
    std::string badId = Se("20261205", "05", 1, 2, "2020/00002");
    jvdata::SetField(badId, 3, 1, "7");
    link.AddFile("RADW", {Ra("20261205", "05", 1, 12), cut, cut, badId});
    session.Start(req);
    EXPECT_EQ(view.statuses.back(),
              "データ作成が完了しました。（取り込めないレコード 3件：ErrorLog.txt参照）");
    std::string log = keiba::Cp932ToUtf8(Slurp(dir / "ErrorLog.txt"));
    std::vector<std::string_view> lines = keiba::SplitLines(log);
    ASSERT_EQ(lines.size(), 2u) << log;
    EXPECT_TRUE(lines[0].ends_with("取込で除外したレコード：レコード長が不正 2件（最初のレコード "
                                   "RA 902バイト 2026120505050802）"))
        << lines[0];
    EXPECT_TRUE(lines[1].ends_with("血統登録番号が不正 1件（最初のレコード SE 555バイト "
                                   "2026120505050801）"))
        << lines[1];
    EXPECT_TRUE(fs::exists(DataFile(Stem("20261205") + ".jvRA")));
}

// A kill leaves a writer's temporary file beside its target; the next import clears it first.
TEST_F(ImportSessionTest, AnImportRemovesWhatAKilledOneLeftBehind) {
    fetch::ImportRequest req = FirstUse();
    link.readCount = 1;
    link.AddFile("RADW", {Ra("20261205", "05", 1, 12)});
    keiba::SetBeforeRenameHookForTest([](const fs::path&) { return false; });
    session.Start(req);
    keiba::SetBeforeRenameHookForTest(nullptr);
    std::vector<fs::path> left;
    for (const auto& e : fs::recursive_directory_iterator(dir.path()))
        if (keiba::IsTempFileName(e.path().filename().string())) left.push_back(e.path());
    ASSERT_FALSE(left.empty());
    fs::create_directories(dir / "SEI" / "2020");
    fs::copy_file(left[0], dir / "SEI" / "2020" / left[0].filename());

    link.reads.clear();
    link.AddFile("RADW", {Ra("20261205", "05", 1, 12)});
    session.Start(req);
    EXPECT_EQ(view.statuses.back(), "データ作成が完了しました。");
    for (const auto& e : fs::recursive_directory_iterator(dir.path()))
        EXPECT_FALSE(keiba::IsTempFileName(e.path().filename().string())) << e.path();
}

// A full disk, a read error and a failed download each end the import: the status line says
// so and both bars are empty before the message box explains it, rather than the dialog still
// reading "データ読込み中．．．(9/10)" behind the box.
TEST_F(ImportSessionTest, AFailedImportShowsThatItEnded) {
    enum class Failure { FullDisk, ReadError, DownloadError };
    for (Failure failure : {Failure::FullDisk, Failure::ReadError, Failure::DownloadError}) {
        SCOPED_TRACE(static_cast<int>(failure));
        link.calls.clear();
        link.reads.clear();
        notifier.messages.clear();
        view.statuses.clear();
        fetch::ImportRequest req = FirstUse();
        link.readCount = 3;
        link.downloadCount = failure == Failure::DownloadError ? 3 : 0;
        link.statusResults = {2, -502};
        link.AddFile("F1", {Ra("20261205", "05", 1, 12)});
        link.AddFile("F2", {Ra("20261205", "05", 2, 12)});
        link.AddFile("F3", {Ra("20261205", "05", 3, 12)});
        if (failure == Failure::ReadError) link.reads.push_back({-402, {}, "F3"});
        if (failure == Failure::FullDisk)
            keiba::SetBeforeRenameHookForTest([](const fs::path&) { return false; });
        std::size_t toldWhenEnded = 99;
        view.onStatus = [&](const std::string& t) {
            if (t == "データ取込はエラーで終了しました。") toldWhenEnded = notifier.messages.size();
        };
        session.Start(req);
        if (failure == Failure::DownloadError) {
            session.StatusTick();
            session.StatusTick();
        }
        keiba::SetBeforeRenameHookForTest(nullptr);
        EXPECT_EQ(view.statuses.back(), "データ取込はエラーで終了しました。");
        EXPECT_EQ(view.bars, (std::array<int, 2>{0, 0}));
        // The start box came first, then the ended status, then the box that says why.
        EXPECT_EQ(toldWhenEnded, 1u);
        EXPECT_EQ(notifier.messages.size(), 2u);
        EXPECT_FALSE(fetchHost.operations.Busy());
    }
}
