// Every file the program rewrites from what it read, each with a line in it that cannot be read:
// the rewrite keeps that line as it was, or refuses and leaves the file as it is, and either way
// the user is told the file and how many lines.

#include "jvdata/filingloop.h"
#include "jvdata/rtfetch.h"
#include "jvdata/timeseries.h"
#include "raceday/chasehorse.h"
#include "search/usersets.h"
#include "tests/jvdata/recordmaker.h"
#include "tests/support/fakejvlink.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kDate = "20261205";

std::string Key(int race) {
    return RaceKey16(kDate, "05", race);
}

std::string Line(const std::string& record) {
    return record.substr(0, record.size() - 2);
}

// The import's loop over one JV file of `records`, as the data import runs it: what it told.
std::string Import(const fs::path& dir, const std::vector<std::string>& records) {
    struct Host : jvdata::FilingLoopHost {
        bool CancelRequested() const override { return false; }
        std::string SetUpLapFile() const override { return {}; }
        keiba::IoResult SetSetUpLapFile(const std::string&) override { return {}; }
        keiba::IoResult SetCompleted(const std::optional<std::string>&) override { return {}; }
        void Tell(const std::string& text) override { told += text + "\n"; }
        std::string told;
    } host;
    FakeJvLink link;
    link.AddFile("F1", records);
    jvdata::FilingLoopParams p;
    p.appDir = dir;
    p.readCount = 1;
    p.filter = {20170101, "2011", false};
    jvdata::ReadAndFileJvRecords(link, p, host);
    return host.told;
}

// `bytes` with a line break put in at `at`, as a damaged copy leaves one.
std::string Broken(std::string bytes, std::size_t at) {
    return bytes.insert(at, "\r\n");
}

using Run = std::function<std::string(const fs::path& dir)>; // a rewrite; what it told

Run Importing(const std::string& record) {
    return [record](const fs::path& dir) { return Import(dir, {record}); };
}

std::string KeptLines(int n) {
    return " の一部が壊れているため、読めない" + std::to_string(n) + "行をそのまま残しました。";
}

struct Rewrite {
    const char* kind;
    std::string file; // in the program folder
    std::string before;
    std::string kept; // bytes the file still holds after the rewrite
    Run run;
    std::string told;       // what was told, after the file's path
    std::string stays = {}; // bytes that keep their place in the file
};

} // namespace

TEST(Rewrites, NothingTheyCannotReadIsDroppedWithoutAWord) {
    const std::string horse = "2019100001" + std::string(36, 'a');
    const std::string o1 = Line(MakeRecord("O1", Key(2)));
    // A runner file of race 1 with runners 1 and 2 filed, and blank slots after them.
    std::string runners = jvdata::PutRunnerSlot("", Line(MakeRunner(Key(1), 1, "2020100001")), 0);
    runners = jvdata::PutRunnerSlot(runners, Line(MakeRunner(Key(1), 2, "2020100002")), 1);
    const std::string odds = "Data/2026年12月05日.jvO1",
                      runnerFile = "Data/2026年12月05日東京.jvSEr";
    const Rewrite rows[] = {
        {"tracked horses", "ChaseHorse.dat", horse + "\r\n" + horse.substr(1) + "\r\n",
         horse.substr(1) + "\r\n",
         [](const fs::path& dir) {
             auto day = std::make_unique<raceday::RaceDay>();
             day->gDayHorses[0][0].Assign(MakeRunner(Key(1), 1, "2020100009"));
             RecordingNotifier notifier;
             TestClock clock;
             RecordingShell shell;
             notifier.answers = {true};
             raceday::ChaseHorseList list;
             raceday::RegisterChaseHorse(*day, 0, 0, list, {dir, notifier, clock, shell});
             return notifier.messages.at(0);
         },
         KeptLines(1)},
        {"user sets", "UserSet.usd", "\"A\",\"X\",\"Y\",\"Z\"\r\n\"B\",\"X\r\n", "\"B\",\"X\r\n",
         [](const fs::path& dir) {
             search::UserSetList list;
             list.Load(dir / "UserSet.usd");
             EXPECT_TRUE(list.Put(-1, {"C", "X", "Y", "Z"}, dir / "UserSet.usd"));
             return keiba::UnreadLinesKeptText(dir / "UserSet.usd", list.Unreadable());
         },
         KeptLines(1)},
        // The snapshot file has a line of another length too: it is passed over, and told.
        {"time-series odds", odds, o1 + "\r\n" + o1.substr(0, 500) + "\r\n",
         o1.substr(0, 500) + "\r\n",
         [](const fs::path& dir) {
             jvdata::DayRaces races;
             jvdata::DayCalcs calcs;
             races[0].Assign(MakeRecord("RA", Key(1)));
             calcs[0].OzTime1 = "1450";
             std::string snap = Line(MakeRecord("O1", Key(1)));
             jvdata::SetField(snap, 28, 8, "12051440");
             const fs::path snaps = dir / "series/20261205/05050801.jvO1";
             fs::create_directories(snaps.parent_path());
             WriteBytes(snaps, snap + "\r\n" + snap.substr(3) + "\r\n");
             std::string told;
             for (const std::string& note :
                  jvdata::ImportTimeSeriesOdds(dir / "series", dir, races, calcs).notes)
                 told += note + "\n";
             EXPECT_NE(told.find(keiba::PathToUtf8(snaps) +
                                 " の一部が壊れているため、1行を読み込めませんでした。"),
                       std::string::npos);
             return told;
         },
         KeptLines(1)},
        {"imported races", "Data/2026年12月06日.jvRA",
         Slurp(TestData("jvdata/short_and_empty_lines.jvRA")), "RA0000000002026120605\r\n",
         Importing(filing::Ra("20261206", 1)), KeptLines(3)},
        // The first runner's line is split: the second stays where it was.
        {"imported runners", runnerFile, Broken(runners, 100), runners.substr(0, 100) + "\r\n",
         Importing(filing::Se(kDate, 1, 3, "2020100003", '7')), KeptLines(2),
         runners.substr(555, 555)},
        // A file cut after two runners, both lines split: what lies in the first runner's place
        // runs into the second's, and nothing is put.
        {"a runner over damage", runnerFile, Broken(Broken(runners.substr(0, 1110), 655), 100),
         Broken(Broken(runners.substr(0, 1110), 655), 100),
         Importing(filing::Se(kDate, 1, 1, "2020100001", '7')),
         " の一部が壊れているため、1レース1番を書き込めません"},
        {"horse runs", "SEI/2020/2020100001.jvSEI",
         Line(filing::Se("20250105", 1, 1, "2020100001", '7')) + "\r\nSE7\r\n", "SE7\r\n",
         Importing(filing::Se(kDate, 1, 1, "2020100001", '7')), KeptLines(1)},
        {"real-time odds", odds, o1.substr(0, 300) + "\r\n" + o1 + "\r\n",
         o1.substr(0, 300) + "\r\n",
         [](const fs::path& dir) {
             FakeJvLink link;
             link.AddRealtime("0B30", Key(1), {MakeRecord("O1", Key(1))});
             EXPECT_EQ(link.JVRTOpen("0B30", Key(1)), 0);
             std::string told;
             for (const jvdata::KeptLines& k :
                  jvdata::RunReadStep(link, jvdata::ReadStep::Odds, dir, {}, {}).kept)
                 told += keiba::UnreadLinesKeptText(k.path, k.lines) + "\n";
             return told;
         },
         KeptLines(1)},
    };
    for (const Rewrite& row : rows) {
        TempDir dir;
        const fs::path file = dir.path() / keiba::Utf8Path(row.file);
        fs::create_directories(file.parent_path());
        WriteBytes(file, row.before);
        const std::string told = row.run(dir.path());
        const std::string after = Slurp(file);
        EXPECT_NE(after.find(row.kept), std::string::npos) << row.kind;
        EXPECT_NE(told.find(keiba::PathToUtf8(file) + row.told), std::string::npos)
            << row.kind << ": " << told;
        if (!row.stays.empty()) {
            EXPECT_EQ(after.find(row.stays), row.before.find(row.stays)) << row.kind;
        }
    }
}
