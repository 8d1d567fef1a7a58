// The real-time fetches, the timers' ticks and the time-series import as the main window runs
// them, against the fake JV-Link.

#include "jvdata/dayfiles.h"
#include "search/nerairecord.h"
#include "search/neraislots.h"
#include "tests/fetch/fetchfixture.h"
#include "tests/support/readonly.h"
#include "tests/support/unreadable.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

std::string Odds(int kind, std::string_view key, char dataKind = '1') {
    return MakeRecord("O" + std::to_string(kind), key, dataKind);
}

int Count(const std::vector<std::string>& v, std::string_view what) {
    return static_cast<int>(std::count(v.begin(), v.end(), what));
}

} // namespace

TEST_F(FetchFixture, QuickOddsFetchFilesOneLinePerKindAndShowsTheRaceAgain) {
    LoadRaces(11);
    fetchHost.raceIndex = 10;
    fetchHost.ShowSelectedRace();
    std::vector<std::string> records;
    for (int k = 1; k <= 6; ++k) records.push_back(Odds(k, Key(11)));
    records.push_back(Odds(1, Key(11), '9')); // never filed
    link.AddRealtime("0B30", Key(11), records);
    link.rtReads["0B30/" + Key(11)].push_front({-2, {}, ""}); // "not yet" is read past
    fetchHost.ops.clear();
    fetch::FetchShownRaceOdds(fetchHost);
    link.AddRealtime("0B30", Key(11), records);
    fetch::FetchShownRaceOdds(fetchHost);

    ASSERT_GE(link.calls.size(), 1u);
    EXPECT_EQ(link.calls[0].method, "JVRTOpen");
    EXPECT_EQ(link.calls[0].args, (std::vector<std::string>{"0B30", Key(11)}));
    EXPECT_EQ(Count(link.CallNames(), "JVClose"), 4); // after the read and in the clean-up
    for (auto ext : {".jvO1", ".jvO2", ".jvO3", ".jvO4", ".jvO5", ".jvO6"}) {
        std::string bytes = Slurp(DataFile(Stem("20261206") + ext));
        ASSERT_EQ(keiba::SplitLines(bytes).size(), 1u) << ext;
        EXPECT_EQ(bytes.substr(2, 9), "000000000") << ext;
    }
    EXPECT_EQ(fetchHost.ops, (std::vector<std::string>{"odds10", "show10", "odds10", "show10"}));
    EXPECT_EQ(fetchHost.labels,
              (std::vector<std::string>{"東京11オッズ取得中", "", "東京11オッズ取得中", ""}));
    // The fetch held the owner while it ran, and gave it back.
    for (const auto& held : fetchHost.heldAtLabels) EXPECT_EQ(held, keiba::Operation::Fetch);
    EXPECT_FALSE(fetchHost.operations.Busy());
}

// The combination odds a bet build has already read are read again after a fetch of the race's
// odds: the fetch's new quinella odds are what the next reader gets.
TEST_F(FetchFixture, AnOddsFetchRenewsTheCombinationOddsAlreadyRead) {
    LoadRaces(11);
    fetchHost.raceIndex = 10;
    fetchHost.ShowSelectedRace();
    ASSERT_DOUBLE_EQ(raceday::CombinationOdds(Day(), 10).UmarenOdds[1], -2.0);
    std::string o2 = Odds(2, Key(11));
    // The quinella 1-2 (positions 41 to 44) at odds 123.4, popularity 5.
    jvdata::SetField(o2, 41, 13, "0102001234005");
    link.AddRealtime("0B30", Key(11), {Odds(1, Key(11)), o2});
    fetch::FetchShownRaceOdds(fetchHost);
    EXPECT_DOUBLE_EQ(raceday::CombinationOdds(Day(), 10).UmarenOdds[1], 123.4);
    EXPECT_EQ(raceday::CombinationOdds(Day(), 10).UmarenPop[1], 5);
}

TEST_F(FetchFixture, AFailedOpenGoesToTheLabelAndTheErrorLog) {
    LoadRaces(11);
    fetchHost.raceIndex = 10;
    fetchHost.ShowSelectedRace();
    link.rtOpenResults["0B30/" + Key(11)] = -504;
    clock.now = keiba::MakeLocalTime(2026, 12, 6, 14, 3, 9);
    fetch::FetchShownRaceOdds(fetchHost);
    const std::string text = "東京11R:ｵｯｽﾞ取得エラー：サーバーがメンテナンス中です。(-504)";
    EXPECT_EQ(fetchHost.labels, (std::vector<std::string>{"東京11オッズ取得中", text, ""}));
    EXPECT_EQ(Slurp(dir / "ErrorLog.txt"), keiba::Sj("【エラー】14:03:09：" + text) + "\r\n");
    EXPECT_EQ(notifier.beeps, 1);
    // The odds reader still runs on the files as they were.
    EXPECT_EQ(fetchHost.ops.back(), "show10");
    EXPECT_TRUE(notifier.messages.empty());

    // A log the disk no longer takes: the user hears that the error was not kept.
    {
        const ReadOnlyFolder readOnly(dir.path());
        fetch::FetchShownRaceOdds(fetchHost);
    }
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_NE(notifier.messages[0].find("ErrorLog.txt"), std::string::npos) << notifier.messages[0];
}

// What the re-read after a fetch could not take goes to the label and the error log, as a failed
// fetch does: a damaged payout record, and the races an odds file lost, counted as the day load
// counts them. A file is told once, when it is read, not at every re-read of a race, nor again
// when a fetch rewrites it with the same damage.
TEST_F(FetchFixture, AReReadTellsWhatTheFilesItReadLost) {
    LoadRaces(2);
    const std::string lost = "の一部が壊れているため、";
    const struct {
        fs::path file;
        std::string bytes;
        std::function<void()> reread;
        std::string text;
    } cases[] = {
        {DataFile(Stem("20261206") + ".jvHR"), MakeRecord("HR", Key(1)).substr(0, 300),
         [&] { fetchHost.FetchHost::RereadResults(); },
         "払戻データ（2026年12月06日.jvHR）" + lost + "2レース分を読み込めませんでした。"},
        {DataFile(Stem("20261206") + ".jvO1"), Odds(1, Key(1)) + Odds(1, Key(2)).substr(0, 500),
         [&] { fetchHost.FetchHost::ReadRaceOdds(); },
         "オッズデータ（2026年12月06日.jvO1）" + lost + "1レース分を読み込めませんでした。"},
    };
    clock.now = keiba::MakeLocalTime(2026, 12, 6, 14, 3, 9);
    Day().gOddsRaceIndex = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteBytes(c.file, c.bytes);
        // Filed a while ago: what was read of it holds until it changes.
        fs::last_write_time(c.file, fs::file_time_type::clock::now() - std::chrono::hours(1));
        fs::remove(dir / "ErrorLog.txt");
        fetchHost.labels.clear();
        c.reread();
        EXPECT_EQ(fetchHost.labels, std::vector<std::string>{c.text});
        EXPECT_EQ(Slurp(dir / "ErrorLog.txt"), keiba::Sj("【エラー】14:03:09：" + c.text) + "\r\n");
    }
    fetchHost.labels.clear();
    fetchHost.FetchHost::ReadRaceOdds();
    EXPECT_EQ(fetchHost.labels, std::vector<std::string>{});
    // A fetch that rewrites the file keeping its damaged piece has nothing new to tell.
    WriteBytes(cases[1].file, cases[1].bytes + "");
    fs::last_write_time(cases[1].file, fs::file_time_type::clock::now() - std::chrono::hours(1));
    fetchHost.FetchHost::ReadRaceOdds();
    EXPECT_EQ(fetchHost.labels, std::vector<std::string>{});
}

TEST_F(FetchFixture, ResultsFetchFilesIntoExistingFilesAndBeepsOnlyWhenAskedFor) {
    LoadRaces(2);
    std::string hr = MakeRecord("HR", Key(1), '2');
    std::string ra = Ra("20261206", "05", 1, 12, "1005");
    jvdata::SetField(ra, 33, 6, "RESULT");
    link.AddRealtime("0B12", "20261206",
                     {ra, Se("20261206", "05", 1, 1, "2020100001"),
                      Se("20261206", "06", 1, 1, "2020100002"), hr});
    fetch::FetchResults(fetchHost);
    EXPECT_EQ(link.calls[0].args, (std::vector<std::string>{"0B12", "20261206"}));
    EXPECT_EQ(notifier.beeps, 2); // one from each closing
    EXPECT_EQ(fetchHost.ops, (std::vector<std::string>{"results", "show0"}));
    // The race file existed and is updated; no runner file existed, so none is made; the
    // payouts keep their head as delivered.
    EXPECT_EQ(jvdata::Field(Slurp(DataFile(Stem("20261206") + ".jvRA")), 33, 6), "RESULT");
    EXPECT_FALSE(fs::exists(DataFile(Stem("20261206") + "東京.jvSEr")));
    EXPECT_EQ(Slurp(DataFile(Stem("20261206") + ".jvHR")), hr);

    // Started by the timer: results then mining, without a beep.
    notifier.beeps = 0;
    link.calls.clear();
    clock.now = keiba::MakeLocalTime(2026, 12, 6, 9, 26, 0);
    fetch::ResultsTimerTick(fetchHost);
    EXPECT_EQ(notifier.beeps, 0);
    std::vector<std::string> opened;
    for (const auto& c : link.calls)
        if (c.method == "JVRTOpen") opened.push_back(c.args[0]);
    EXPECT_EQ(opened, (std::vector<std::string>{"0B12", "0B13"}));
    EXPECT_FALSE(Flags().gAutoKekkaBusy || Flags().gAutoMiningBusy);
}

TEST_F(FetchFixture, NothingStartsWhileSomethingElseRuns) {
    LoadRaces(2);
    {
        const auto load = fetchHost.operations.Take(keiba::Operation::DayLoad);
        fetch::FetchShownRaceOdds(fetchHost);
        fetch::FetchResults(fetchHost);
        clock.now = keiba::MakeLocalTime(2026, 12, 6, 12, 0, 0);
        fetch::ResultsTimerTick(fetchHost);
    }
    {
        const auto import = fetchHost.operations.Take(keiba::Operation::Import);
        fetch::ResultsTimerTick(fetchHost);
    }
    EXPECT_TRUE(link.calls.empty());
    // A blank first race gives no date key.
    Day().gDayRaces[0].Clear();
    fetch::FetchResults(fetchHost);
    EXPECT_TRUE(link.calls.empty());
}

TEST_F(FetchFixture, TheOddsTimerFetchesTheDueRaceOnceItsOddsAreFresh) {
    LoadRaces(2, "1525"); // race 1 posts 15:25, race 2 too
    fetchHost.raceIndex = 0;
    fetchHost.ShowSelectedRace();
    std::string o1 = Odds(1, Key(1));
    jvdata::SetField(o1, 28, 8, "12061515");
    link.AddRealtime("0B30", Key(1), {o1});
    link.AddRealtime("0B30", Key(2), {});
    fetchHost.ops.clear();
    clock.now = keiba::MakeLocalTime(2026, 12, 6, 15, 15, 10);
    fetch::OddsTimerTick(fetchHost);
    EXPECT_EQ(Count(link.CallNames(), "JVRTOpen"), 2);
    EXPECT_EQ(fetchHost.ops, (std::vector<std::string>{"odds0", "odds1", "show0"}));
    // Race 1's re-read odds are fresh now; race 2 got none and is fetched again.
    link.calls.clear();
    clock.now = keiba::MakeLocalTime(2026, 12, 6, 15, 16, 0);
    fetch::OddsTimerTick(fetchHost);
    ASSERT_EQ(Count(link.CallNames(), "JVRTOpen"), 1);
    EXPECT_EQ(link.calls[0].args[1], Key(2));
    EXPECT_EQ(notifier.beeps, 0);
}

TEST_F(FetchFixture, WholeDayOddsAndNextRaceMoveTheSelection) {
    LoadRaces(3);
    fetch::FetchDayOdds(fetchHost);
    EXPECT_EQ(Count(link.CallNames(), "JVRTOpen"), 3);
    EXPECT_EQ(fetchHost.raceIndex, 2);
    clock.now = keiba::MakeLocalTime(2026, 12, 6, 12, 0, 0);
    // While a load fills the races, or an import or fetch runs, it waits.
    for (keiba::Operation op : {keiba::Operation::DayLoad, keiba::Operation::Import}) {
        const auto hold = fetchHost.operations.Take(op);
        fetch::ShowNextRace(fetchHost);
    }
    EXPECT_EQ(fetchHost.raceIndex, 2);
    fetch::ShowNextRace(fetchHost);
    EXPECT_EQ(fetchHost.raceIndex, 1); // the first to post after 12:00
    fetchHost.dateText.clear();
    fetch::FetchDayOdds(fetchHost);
    EXPECT_EQ(notifier.messages.back(), "ﾃﾞｰﾀを読み込んでください。");
}

TEST_F(FetchFixture, TimeSeriesImportNeedsItsFolderAndADay) {
    LoadRaces(3, "1500");
    fetch::ImportTimeSeriesOdds(fetchHost);
    EXPECT_EQ(notifier.messages.back(), "時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定をしてください。");
    keiba::TIniGT& ini = context.settings;
    ASSERT_TRUE(ini.WriteString("Dir", "jikeiretu", "  "));
    fetch::ImportTimeSeriesOdds(fetchHost);
    EXPECT_EQ(notifier.messages.back(), "時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定をしてください。");

    TempDir temp;
    const fs::path series = temp / "odds "; // a name that ends in a blank
    ASSERT_TRUE(ini.WriteString("Dir", "jikeiretu", keiba::PathToUtf8(series)));
    fs::create_directories(series / "20261206");
    for (int r = 1; r <= 3; ++r) {
        std::string line = Odds(1, Key(r));
        jvdata::SetField(line, 28, 8, "12061450");
        WriteBytes(series / ("20261206/050508" + Two(r) + ".jvO1"), line);
    }
    fetchHost.ops.clear();
    fetch::ImportTimeSeriesOdds(fetchHost);
    EXPECT_EQ(notifier.messages.back(), "3ﾚｰｽ分のｵｯｽﾞ\r\nを取りこみました。");
    EXPECT_EQ(fetchHost.ops, std::vector<std::string>{"reload"});
    fetchHost.dateText.clear();
    fetch::ImportTimeSeriesOdds(fetchHost);
    EXPECT_EQ(notifier.messages.back(), "ｵｯｽﾞを読み込みたい当日の開催日ﾃﾞｰﾀを読み込んでください。");
}

// An import that cannot write on says why, then how many races it filed before, which stay
// filed, and reloads the day to show them: whether the disk fills or one odds file cannot be
// written.
TEST_F(FetchFixture, ATimeSeriesImportThatFailsPartwayTellsWhatItFiledAndReloads) {
    LoadRaces(3, "1500");
    TempDir temp;
    const fs::path series = temp / "odds";
    ASSERT_TRUE(context.settings.WriteString("Dir", "jikeiretu", keiba::PathToUtf8(series)));
    fs::create_directories(series / "20261206");
    for (int r = 1; r <= 3; ++r) {
        std::string line = Odds(1, Key(r));
        jvdata::SetField(line, 28, 8, "12061450");
        WriteBytes(series / ("20261206/050508" + Two(r) + ".jvO1"), line);
    }
    std::string quinella = Odds(2, Key(2));
    jvdata::SetField(quinella, 28, 8, "12061450");
    WriteBytes(series / "20261206/05050802.jvO2", quinella);

    const fs::path o1 = DataFile(Stem("20261206") + ".jvO1"),
                   o2 = DataFile(Stem("20261206") + ".jvO2");
    const struct {
        const char* what;
        std::function<void()> fail, mend;
        int filed;
        std::string told;
    } cases[] = {
        {"the disk fills after the first write",
         [] {
             keiba::SetBeforeRenameHookForTest(
                 [writes = 0](const fs::path&) mutable { return ++writes == 1; });
         },
         [] { keiba::SetBeforeRenameHookForTest(nullptr); }, 1,
         o1.string() + " を書き込めません（ディスクの読み書きに失敗しました）。"},
        {"a folder stands where the quinella file goes", [&] { fs::create_directory(o2); },
         [&] { fs::remove(o2); }, 2,
         o2.string() + " を読み込めません（同じ名前のフォルダがあります）。"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(o1);
        notifier.messages.clear();
        fetchHost.ops.clear();
        c.fail();
        fetch::ImportTimeSeriesOdds(fetchHost);
        c.mend();
        EXPECT_EQ(notifier.messages,
                  (std::vector<std::string>{c.told, std::to_string(c.filed) +
                                                        "ﾚｰｽ分のｵｯｽﾞ\r\nを取りこみました。"}));
        EXPECT_EQ(keiba::SplitLines(Slurp(o1)).size(), static_cast<std::size_t>(c.filed));
        EXPECT_EQ(fetchHost.ops, std::vector<std::string>{"reload"});
        EXPECT_FALSE(fetchHost.operations.Busy());
    }
}

namespace {

class OneSlotView : public search::NeraiSlotView {
    std::string ChosenSetName(int k) const override { return k == 1 ? "本命" : ""; }
    int RaceCount() const override { return 1; }
    void RepaintRaceCards() override {}
};

} // namespace

// A file the user keeps that is there but cannot be read is said with its cause, never taken
// for a missing one: the odds read again after a fetch, the time-series import's snapshot and
// the odds file it would rewrite, and a target set chosen.
TEST_F(FetchFixture, AFileThatCannotBeReadIsSaidAndNotTakenForAMissingOne) {
    const fs::path o1File = DataFile(Stem("20261206") + ".jvO1"), series = dir / "series";
    std::string o1 = Odds(1, Key(1));
    jvdata::SetField(o1, 46, 4, "0123"); // horse 1's win odds: 12.3
    WriteBytes(o1File, o1);
    LoadRaces(1, "1500");
    ASSERT_TRUE(keiba::WriteFileAtomic(o1File, o1)); // as a fetch files it
    ASSERT_TRUE(context.settings.WriteString("Dir", "jikeiretu", series.string()));
    fs::create_directories(series / "20261206");
    jvdata::SetField(o1, 28, 8, "12061450");
    WriteBytes(series / "20261206/05050801.jvO1", o1);
    ASSERT_TRUE(search::WriteNeraiFile(dir.path(), "本命", search::TNeraiRecord()));
    OneSlotView view;
    search::NeraiSlots slots(view, Day(), context);
    const auto reread = [&] { fetchHost.FetchHost::ReadRaceOdds(); };
    const auto import = [&] { fetch::ImportTimeSeriesOdds(fetchHost); };
    const struct {
        fs::path file;
        std::function<void()> read;
        const std::vector<std::string>& told;
    } cases[] = {
        {o1File, reread, fetchHost.labels},
        {series / "20261206/05050801.jvO1", import, notifier.messages},
        {o1File, import, notifier.messages},
        {search::NeraiPath(dir.path(), "本命"), [&] { slots.LoadSlot(1); }, notifier.messages}};
    Day().gOddsRaceIndex = 0;
    for (const auto& c : cases) {
        const std::string before = Slurp(c.file);
        fetchHost.labels.clear();
        notifier.messages.clear();
        {
            const UnreadableFile unreadable(c.file);
            c.read();
        }
        EXPECT_EQ(c.told, std::vector<std::string>{c.file.string() + " を読み込めません（読み込む権"
                                                                     "限がありません）。"});
        EXPECT_EQ(Slurp(c.file), before);
    }
    // The odds shown stay those read before; no race counts as imported.
    EXPECT_DOUBLE_EQ(Day().gRaceCalc[0].WinOdds[0], 12.3);
    EXPECT_EQ(Count(fetchHost.ops, "reload"), 0);
}
