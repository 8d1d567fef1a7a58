// Every file the program rewrites from what it read, given a line it cannot read (longer than a
// record, a lone CR inside, a NUL or 0xFF, half a character, UTF-8 text) as its first, a middle
// or its last line: the rewrite keeps that line as it was, in its place, makes its change around
// it, and tells the file and the count; where the line stands where the change must go, the
// rewrite refuses, writes nothing and says so. The expected file is built here from the lines
// written before and the change, never read from the code.

#include "jvdata/filingloop.h"
#include "jvdata/rtfetch.h"
#include "jvdata/timeseries.h"
#include "keiba/inigt.h"
#include "raceday/chasehorse.h"
#include "search/handinput.h"
#include "search/nerairecord.h"
#include "search/usersets.h"
#include "tests/jvdata/recordmaker.h"
#include "tests/search/neraifixture.h"
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

std::string Zeroed(std::string record) {
    jvdata::ZeroHead(record);
    return Line(record);
}

std::string With(std::string line, std::size_t at, char c) {
    line[at] = c;
    return line;
}

enum class Damage { Longer, RunTogether, LoneCr, Nul, Ff, HalfChar, Utf8 };
constexpr Damage kDamages[] = {Damage::Longer, Damage::RunTogether, Damage::LoneCr, Damage::Nul,
                               Damage::Ff,     Damage::HalfChar,    Damage::Utf8};
constexpr const char* kDamageNames[] = {"longer", "run together", "lone CR", "NUL",
                                        "0xFF",   "half char",    "UTF-8"};

// `line` damaged at `at`, where a character of a checked field stands.
std::string Damaged(std::string line, std::size_t at, Damage d) {
    switch (d) {
    case Damage::Longer: return line.insert(at, "7");
    // Cut at `at`, its line end lost, and run into a whole copy: a longer line ending in a record.
    case Damage::RunTogether: return line.substr(0, at) + line;
    case Damage::LoneCr: return line.insert(at, "\r");
    case Damage::Nul: return line.replace(at, 1, 1, '\0');
    case Damage::Ff: return line.replace(at, 1, 1, '\xFF');
    case Damage::HalfChar: return line.replace(at, 2, "\x82 "); // a lead byte, then a blank
    case Damage::Utf8: return line.insert(at, "\xC2\xA0");      // a no-break space as UTF-8
    }
    return line;
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
    p.filter = {20170101, "2011", true};
    jvdata::ReadAndFileJvRecords(link, p, host);
    return host.told;
}

std::string KeptLines(std::size_t n) {
    return " の一部が壊れているため、読めない" + std::to_string(n) + "行をそのまま残しました。";
}

using Run = std::function<std::string(const fs::path& dir)>; // a rewrite; what it told

enum class Place { First, Middle, Last, AtTheChange };
constexpr const char* kPlaceNames[] = {"first", "middle", "last", "at the change"};

// One rewritten kind: its sound lines, the line whose damaged copy goes in, and the change the
// rewrite makes.
struct Kind {
    std::string name;
    std::string file; // in the program folder
    std::vector<std::string> lines;
    std::string copy; // the line whose damaged copy goes in
    std::size_t at;   // where in it
    // Where the change goes: sound line `changeAt` replaced by `put`, or `put` put in after it,
    // or, for a target set, `put` first.
    enum { Replace, InsertAfter, First } change;
    std::size_t changeAt;
    std::string put;
    Run run;
    bool fixed = true;    // lines of one length: a longer one is damage
    bool slotted = false; // a runner file: the damaged line stands in place of the line there
    std::string told = KeptLines(1); // after the file's path
};

// The lines with the damaged one at `place`; `damaged` receives its index.
std::vector<std::string> WithDamage(const Kind& k, Place place, Damage d, std::size_t* damaged) {
    std::vector<std::string> lines = k.lines;
    if (k.slotted) {
        const std::size_t slot = place == Place::First         ? 0
                                 : place == Place::Middle      ? 1
                                 : place == Place::AtTheChange ? k.changeAt
                                                               : lines.size() - 1;
        lines[slot] = Damaged(lines[slot], k.at, d);
        *damaged = slot;
        return lines;
    }
    const std::size_t at = place == Place::First ? 0 : place == Place::Middle ? 1 : lines.size();
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Damaged(k.copy, k.at, d));
    *damaged = at;
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    return out;
}

// The lines after the change, and how many lines are kept that are not read.
std::vector<std::string> Changed(const Kind& k, std::vector<std::string> lines, std::size_t damaged,
                                 std::size_t* kept) {
    *kept = 1;
    const std::size_t sound = k.slotted || k.changeAt < damaged ? k.changeAt : k.changeAt + 1;
    switch (k.change) {
    case Kind::Replace: lines[sound] = k.put; break;
    case Kind::InsertAfter:
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(sound) + 1, k.put);
        break;
    case Kind::First:
        // Every reader takes the first line: a set that cannot be read there stays after it.
        if (damaged == 0) {
            lines.insert(lines.begin(), k.put);
            *kept = lines.size() - 1;
        } else {
            lines[0] = k.put;
        }
        break;
    }
    return lines;
}

// The record kinds the import files race by race, with sound records of three races. A new race
// (2, between races 1 and 3) filed, its damaged copy in the file; or race 2 filed again over its
// line (`again`), with '1' at `at`.
Kind Imported(std::string_view id, std::size_t at, bool again = false) {
    std::vector<std::string> lines;
    for (int race : {1, again ? 2 : 3, again ? 3 : 4})
        lines.push_back(Zeroed(id == "RA" ? filing::Ra(kDate, race) : MakeRecord(id, Key(race))));
    const std::string two = id == "RA" ? filing::Ra(kDate, 2) : MakeRecord(id, Key(2));
    const std::string record = With(two, at, '1');
    return {"imported " + std::string(id),
            "Data/2026年12月05日.jv" + std::string(id),
            lines,
            Zeroed(two),
            at,
            again ? Kind::Replace : Kind::InsertAfter,
            again ? 1u : 0u,
            Zeroed(record),
            [record](const fs::path& dir) { return Import(dir, {record}); }};
}

std::vector<Kind> Kinds() {
    std::vector<Kind> kinds;

    // Tracked horses: a horse registered between the first two.
    auto horse = [](std::string_view id) {
        return std::string(id) + keiba::FitBytes(keiba::Sj("ウマ"), 36);
    };
    kinds.push_back(
        {"tracked horses",
         "ChaseHorse.dat",
         {horse("2019100001"), horse("2019100003"), horse("2019100005")},
         horse("2019100003"),
         14,
         Kind::InsertAfter,
         0,
         horse("2019100002"),
         [](const fs::path& dir) {
             auto day = std::make_unique<raceday::RaceDay>();
             std::string runner = MakeRunner(Key(1), 1, "2019100002");
             jvdata::SetField(runner, 41, 36, keiba::FitBytes(keiba::Sj("ウマ"), 36));
             day->gDayHorses[0][0].Assign(runner);
             RecordingNotifier notifier;
             TestClock clock;
             RecordingShell shell;
             notifier.answers = {true};
             raceday::ChaseHorseList list;
             raceday::RegisterChaseHorse(*day, 0, 0, list, {dir, notifier, clock, shell});
             return notifier.messages.at(0);
         }});

    // User sets: the second setting stored again.
    kinds.push_back(
        {"user sets",
         "UserSet.usd",
         {"\"A\",\"X\",\"Y\",\"Z\"", "\"B\",\"X\",\"Y\",\"Z\"", "\"C\",\"X\",\"Y\",\"Z\""},
         "\"B\",\"X\",\"Y\",\"Z\"",
         2,
         Kind::Replace,
         1,
         "\"B\",\"P\",\"Q\",\"R\"",
         [](const fs::path& dir) {
             // The form opened on a file of B alone; the other lines were put in since.
             const fs::path file = dir / "UserSet.usd";
             const std::string now = Slurp(file);
             WriteBytes(file, "\"B\",\"X\",\"Y\",\"Z\"\r\n");
             search::UserSetList list;
             list.Load(file);
             WriteBytes(file, now);
             EXPECT_TRUE(list.Put(0, {"B", "P", "Q", "R"}, file));
             return keiba::UnreadLinesKeptText(file, list.Unreadable());
         },
         false});

    // Settings: a value changed, over a key line damaged in its name (a NUL put in the first line
    // lands in the file's first two bytes) or in its value.
    for (auto [name, at] : {std::pair{"settings, name", 1}, {"settings, value", 7}})
        kinds.push_back({name,
                         "kestrane.ini",
                         {"[Dir]", "kaime=\"a\"", "jikeiretu=\"b\""},
                         "kaime=\"a\"",
                         static_cast<std::size_t>(at),
                         Kind::Replace,
                         1,
                         "kaime=c",
                         [](const fs::path& dir) {
                             keiba::TIniGT store(dir, "kestrane");
                             store.Loaded();
                             EXPECT_EQ(store.ReadString("Dir", "jikeiretu", ""), "b");
                             EXPECT_TRUE(store.WriteString("Dir", "kaime", "c"));
                             EXPECT_EQ(store.ReadString("Dir", "kaime", ""), "c");
                             return keiba::UnreadLinesText(store.FullPath(), store.UnreadLines());
                         },
                         false,
                         false,
                         " の一部が壊れているため、1行を読み込めませんでした。"});

    // Hand input: race 2 entered again.
    const std::string keys[] = {"202612050501", "202612050502", "202612050503"};
    kinds.push_back(
        {"hand input",
         "Data/2026年12月05日.ruma",
         {keys[0] + "1" + std::string(18, '0'), keys[1] + "2" + std::string(18, '1'),
          keys[2] + "3" + std::string(18, '2')},
         keys[1] + "2" + std::string(18, '1'),
         14,
         Kind::Replace,
         1,
         keys[1] + "7" + "2" + std::string(17, '0'),
         [keys](const fs::path& dir) {
             const fs::path file = dir / "Data" / keiba::Utf8Path("2026年12月05日.ruma");
             search::RumaEntry entry;
             entry.level = 7;
             entry.marks[0] = 2;
             std::size_t unread = 0;
             WriteBytes(file, search::UpdateRumaFile(Slurp(file), {}, keys[1], entry, &unread));
             EXPECT_EQ(search::ReadRumaEntry(Slurp(file), keys[1]), entry);
             return keiba::UnreadLinesKeptText(file, unread);
         }});

    // Target sets: a set saved over one of the same name.
    const std::string set(OpenSet().Field(1, search::kNeraiLineLength));
    kinds.push_back({"target sets",
                     "nerai/本命.nri",
                     {std::string(DefaultSet().Field(1, search::kNeraiLineLength))},
                     std::string(DefaultSet().Field(1, search::kNeraiLineLength)),
                     10,
                     Kind::First,
                     0,
                     set,
                     [](const fs::path& dir) {
                         std::size_t kept = 0;
                         EXPECT_TRUE(search::WriteNeraiFile(dir, "本命", OpenSet(), &kept));
                         return keiba::UnreadLinesKeptText(
                             dir / "nerai" / keiba::Utf8Path("本命.nri"), kept);
                     }});

    // The import's day files.
    using jvdata::TJvRA;
    for (auto [id, at] : {std::pair{"RA", TJvRA::kRaceName.pos},
                          {"HR", jvdata::PayoutGroupOf(jvdata::BetType::Win).firstPos},
                          {"O1", jvdata::TJvO1::kWin.firstPos},
                          {"O2", jvdata::TJvO2::kEntries.firstPos},
                          {"O3", jvdata::TJvO3::kEntries.firstPos},
                          {"O4", jvdata::TJvO4::kEntries.firstPos},
                          {"O5", jvdata::TJvO5::kEntries.firstPos},
                          {"O6", jvdata::TJvO6::kEntries.firstPos}})
        kinds.push_back(Imported(id, at - 1));

    // The runs of a horse: a run between the first two filed.
    constexpr std::size_t kName = jvdata::TJvSE::kHorseName.pos - 1;
    {
        std::vector<std::string> lines;
        for (std::string_view date : {"20261114", "20261128", "20261205"})
            lines.push_back(Zeroed(filing::Se(date, 1, 1, "2020100001", '7')));
        const std::string run = filing::Se("20261121", 1, 1, "2020100001", '7');
        const std::string record = With(run, kName, '1');
        kinds.push_back({"horse runs", "SEI/2020/2020100001.jvSEI", lines, Zeroed(run), kName,
                         Kind::InsertAfter, 0, Zeroed(record),
                         [record](const fs::path& dir) { return Import(dir, {record}); }});
    }

    // A runner file of 216 slots: the third runner filed again.
    {
        std::vector<std::string> slots(jvdata::kRunnerSlots,
                                       std::string(jvdata::kRunnerLineLength, ' '));
        for (int h = 1; h <= 3; ++h)
            slots[static_cast<std::size_t>(h - 1)] =
                Line(filing::Se(kDate, 1, h, "202010000" + std::to_string(h), '7'));
        const std::string again = With(filing::Se(kDate, 1, 3, "2020100003", '7'), kName, '1');
        Kind runners{"imported runners",
                     "Data/2026年12月05日東京.jvSEr",
                     slots,
                     {}, // the line in the slot is the one damaged
                     kName,
                     Kind::Replace,
                     2,
                     Line(again),
                     [again](const fs::path& dir) { return Import(dir, {again}); }};
        runners.slotted = true;
        kinds.push_back(runners);
    }

    // The real-time fetch of odds: race 2's win odds again.
    {
        Kind fetched = Imported("O1", jvdata::TJvO1::kWin.firstPos - 1, true);
        fetched.name = "fetched O1";
        const std::string again = With(MakeRecord("O1", Key(2)), fetched.at, '1');
        fetched.run = [again](const fs::path& dir) {
            FakeJvLink link;
            link.AddRealtime("0B30", Key(2), {again});
            EXPECT_EQ(link.JVRTOpen("0B30", Key(2)), 0);
            std::string told;
            for (const jvdata::KeptLines& k :
                 jvdata::RunReadStep(link, jvdata::ReadStep::Odds, dir, {}, {}).kept)
                told += keiba::UnreadLinesKeptText(k.path, k.lines) + "\n";
            return told;
        };
        kinds.push_back(fetched);
    }

    // The time series: race 2's snapshot nearest its fetch time is damaged as the odds file's
    // line is, so it is passed over and told, and the next nearest is filed.
    {
        Kind series = Imported("O1", jvdata::TJvO1::kWin.firstPos - 1, true);
        series.name = "time-series O1";
        std::string snap = With(Line(MakeRecord("O1", Key(2))), series.at, '1');
        jvdata::SetField(snap, 28, 8, "12051440");
        std::string nearer = snap;
        jvdata::SetField(nearer, 28, 8, "12051450");
        series.put = snap;
        const std::size_t at = series.at;
        series.run = [snap, nearer, at](const fs::path& dir) {
            jvdata::DayRaces races;
            jvdata::DayCalcs calcs;
            races[1].Assign(filing::Ra(kDate, 2));
            calcs[1].OzTime1 = "1450";
            std::string told;
            for (Damage d : kDamages) {
                const fs::path snaps = dir / "series" / std::string(kDate) / "05050802.jvO1";
                fs::create_directories(snaps.parent_path());
                WriteBytes(snaps, snap + "\r\n" + Damaged(nearer, at, d) + "\r\n");
                told.clear();
                for (const std::string& note :
                     jvdata::ImportTimeSeriesOdds(dir / "series", dir, races, calcs).notes)
                    told += note + "\n";
                EXPECT_NE(told.find(keiba::UnreadLinesText(snaps, 1)), std::string::npos)
                    << kDamageNames[static_cast<int>(d)] << ": " << told;
            }
            return told;
        };
        kinds.push_back(series);
    }
    return kinds;
}

} // namespace

TEST(Rewrites, EveryLineTheyCannotReadIsKeptInItsPlaceAndTold) {
    for (const Kind& k : Kinds()) {
        for (Place place : {Place::First, Place::Middle, Place::Last, Place::AtTheChange}) {
            if (place == Place::AtTheChange && !k.slotted) continue;
            if (place == Place::Middle && k.lines.size() < 2) continue;
            for (Damage d : kDamages) {
                if ((d == Damage::Longer || d == Damage::RunTogether) && !k.fixed) continue;
                SCOPED_TRACE(k.name + ", " + kPlaceNames[static_cast<int>(place)] + ", " +
                             kDamageNames[static_cast<int>(d)]);
                TempDir dir;
                const fs::path file = dir.path() / keiba::Utf8Path(k.file);
                fs::create_directories(file.parent_path());
                std::size_t damaged = 0;
                const std::vector<std::string> before = WithDamage(k, place, d, &damaged);
                WriteBytes(file, Joined(before));
                const std::string told = k.run(dir.path());
                const std::string path = keiba::PathToUtf8(file);
                if (place == Place::AtTheChange) {
                    // The line could go in only by moving the damaged one: nothing is written.
                    EXPECT_EQ(Slurp(file), Joined(before));
                    EXPECT_NE(
                        told.find(path + " の一部が壊れているため、1レース3番を書き込めません"),
                        std::string::npos)
                        << told;
                    continue;
                }
                std::size_t kept = 0;
                const std::vector<std::string> after = Changed(k, before, damaged, &kept);
                EXPECT_EQ(Slurp(file), Joined(after));
                const std::string expected = k.told == KeptLines(1) ? KeptLines(kept) : k.told;
                EXPECT_NE(told.find(path + expected), std::string::npos) << told;
            }
        }
    }
}
