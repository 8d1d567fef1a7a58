#include "jvdata/oddsreader.h"

#include "keiba/fileio.h"

#include "tests/jvdata/recordmaker.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

using namespace jvdata;
using testsupport::MakeRecord;
using testsupport::RaceKey16;

namespace {

struct Slots {
    TJvO1 o1;
    TJvO2 o2;
    TJvO3 o3;
    TJvO4 o4;
    TJvO5 o5;
    TJvO6 o6;
    RaceOddsSlots View() { return {o1, o2, o3, o4, o5, o6}; }
};

TJvRA Race(int runners, int raceNo = 11) {
    TJvRA ra;
    ra.Assign(MakeRecord("RA", RaceKey16("20261206", "05", raceNo)));
    ra.SetField(882, 2, (runners < 10 ? "0" : "") + std::to_string(runners));
    return ra;
}

std::string O1(int raceNo, const char* day = "20261206") {
    return MakeRecord("O1", RaceKey16(day, "05", raceNo));
}

void SetWin(std::string& o1, int horse, std::string_view win, std::string_view low,
            std::string_view high) {
    SetField(o1, 46 + 8 * static_cast<std::size_t>(horse - 1), 4, win);
    SetField(o1, 270 + 12 * static_cast<std::size_t>(horse - 1), 4, low);
    SetField(o1, 274 + 12 * static_cast<std::size_t>(horse - 1), 4, high);
}

} // namespace

TEST(OddsReader, FieldConversion) {
    struct Case {
        const char* field;
        double value;
    } cases[] = {
        {"0123", 12.3},    {"0035", 3.5},  {"----", -1.0}, {"****", -1.0},
        {"    ", -2.0},    {"", -2.0},     {"0000", 0.0},  {"-------", -1.0},
        {"*******", -1.0}, {"  --", -2.0}, {"12a4", -2.0}, {" 123", 12.3},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(ConvertOddsField(c.field), c.value) << c.field;
}

TEST(OddsReader, WinPlaceAndRanks) {
    auto s = std::make_unique<Slots>();
    std::string o1 = O1(11);
    SetWin(o1, 1, "0035", "----", "----"); // no place sale: no rank at all
    SetWin(o1, 2, "0035", "0014", "0020");
    SetWin(o1, 3, "0035", "0012", "0018"); // equal win odds: lower place odds ranks first
    SetWin(o1, 4, "0000", "0030", "0040"); // zero win odds: no support rate, no win rank
    SetWin(o1, 5, "    ", "    ", "    ");
    s->o1.Assign(o1);
    TRaceCalc calc;
    calc.SupportRate[3] = 9.0; // left by an earlier race or day in the same slots
    calc.SupportRate[4] = 7.0;
    ConvertRaceOdds(Race(5), true, s->View(), calc);
    EXPECT_DOUBLE_EQ(calc.WinOdds[0], 3.5);
    EXPECT_DOUBLE_EQ(calc.PlaceOddsMin[0], -1.0);
    EXPECT_DOUBLE_EQ(calc.PlaceOddsMax[0], -1.0);
    EXPECT_EQ(calc.WinPop[0], 0);
    EXPECT_EQ(calc.WinPop[2], 1);
    EXPECT_EQ(calc.WinPop[1], 2);
    EXPECT_EQ(calc.WinPop[3], 0);
    EXPECT_EQ(calc.PlaceMinPop[2], 1);
    EXPECT_EQ(calc.PlaceMinPop[1], 2);
    EXPECT_NEAR(calc.SupportRate[1], 80.0 / 3.5, 1e-9);
    // Without win odds above 0 there is no support rate, whatever the slot held.
    EXPECT_DOUBLE_EQ(calc.SupportRate[3], 0.0);
    EXPECT_DOUBLE_EQ(calc.SupportRate[4], 0.0);
    EXPECT_DOUBLE_EQ(calc.WinOdds[4], -2.0);
    EXPECT_DOUBLE_EQ(calc.PlaceOddsMin[4], -2.0);
    // The day load's clear takes the support rates with the odds.
    calc.SupportRate[5] = 6.0;
    calc.Clear();
    EXPECT_DOUBLE_EQ(calc.SupportRate[1], 0.0);
    EXPECT_DOUBLE_EQ(calc.SupportRate[5], 0.0);
}

// Equal lower place odds rank by the text of the upper bound: a value under 10 before the
// markers, "  -1.0" before "  -2.0", both before a value from 10 up.
TEST(OddsReader, PlaceRanksBreakTiesByTheUpperBoundsText) {
    auto s = std::make_unique<Slots>();
    std::string o1 = O1(11);
    SetWin(o1, 1, "0100", "0050", "0120");
    SetWin(o1, 2, "0100", "0050", "----");
    SetWin(o1, 3, "0100", "0050", "    ");
    SetWin(o1, 4, "0100", "0050", "0030");
    s->o1.Assign(o1);
    TRaceCalc calc;
    ConvertRaceOdds(Race(4), true, s->View(), calc);
    EXPECT_EQ(calc.PlaceMinPop, (TRaceCalc::PerRunner<int>{4, 2, 3, 1}));
    EXPECT_DOUBLE_EQ(calc.PlaceOddsMax[1], -1.0);
    EXPECT_DOUBLE_EQ(calc.PlaceOddsMax[2], -2.0);
    // Only the priced upper bounds rank.
    EXPECT_EQ(calc.PlaceMaxPop, (TRaceCalc::PerRunner<int>{2, 0, 0, 1}));
}

TEST(OddsReader, CombinationEntriesGoToTheirIndex) {
    auto s = std::make_unique<Slots>();
    std::string o2 = MakeRecord("O2", RaceKey16("20261206", "05", 11));
    SetField(o2, 41, 4, "0102");
    SetField(o2, 45, 6, "000123");
    SetField(o2, 51, 3, "005");
    SetField(o2, 45 + 13, 6, "------");
    SetField(o2, 51 + 13, 3, "007"); // no sale: its popularity is not taken
    s->o2.Assign(o2);
    std::string o6 = MakeRecord("O6", RaceKey16("20261206", "05", 11));
    SetField(o6, 47, 7, "*******");
    SetField(o6, 47 + 17 * 4895, 7, "0123456");
    SetField(o6, 54 + 17 * 4895, 4, "4896");
    s->o6.Assign(o6);
    auto calc = std::make_unique<TRaceCalc>();
    ConvertRaceOdds(Race(18), false, s->View(), *calc);
    EXPECT_DOUBLE_EQ(calc->UmarenOdds[1], 12.3);
    EXPECT_EQ(calc->UmarenPop[1], 5);
    EXPECT_DOUBLE_EQ(calc->UmarenOdds[2], -1.0);
    EXPECT_EQ(calc->UmarenPop[2], 0);
    EXPECT_DOUBLE_EQ(calc->UmarenOdds[3], -2.0);
    EXPECT_DOUBLE_EQ(calc->SanrentanOdds[1], -1.0);
    EXPECT_DOUBLE_EQ(calc->SanrentanOdds[4896], 12345.6);
    EXPECT_EQ(calc->SanrentanPop[4896], 4896);
    // Without an O1 file no win or place value is converted.
    EXPECT_DOUBLE_EQ(calc->WinOdds[0], 0.0);
    // A blank slot converts to -2.0 everywhere.
    EXPECT_DOUBLE_EQ(calc->SanrenpukuOdds[816], -2.0);
}

// The first, second, third and last entries of every kind, each at the place of the record
// layout: a number, a run of "-" and a run of "*" as wide as the field, and the last entry.
TEST(OddsReader, EveryKindReadsEachEntryFromItsOwnBytes) {
    using Read = std::function<std::pair<double, int>(const TRaceCalc&, int k)>;
    struct Kind {
        const char* name;
        int count;
        std::size_t odds, stride, oddsWidth, pop, popWidth;
        Read read;
    };
    const Kind kinds[] = {
        {"O2", 153, 45, 13, 6, 51, 3,
         [](const TRaceCalc& c, int k) {
             return std::pair{c.UmarenOdds[k], c.UmarenPop[k]};
         }},
        {"O3", 153, 45, 17, 5, 55, 3,
         [](const TRaceCalc& c, int k) {
             return std::pair{c.WideOdds[k], c.WidePop[k]};
         }},
        {"O4", 306, 45, 13, 6, 51, 3,
         [](const TRaceCalc& c, int k) {
             return std::pair{c.UmatanOdds[k], c.UmatanPop[k]};
         }},
        {"O5", 816, 47, 15, 6, 53, 3,
         [](const TRaceCalc& c, int k) {
             return std::pair{c.SanrenpukuOdds[k], c.SanrenpukuPop[k]};
         }},
        {"O6", 4896, 47, 17, 7, 54, 4,
         [](const TRaceCalc& c, int k) {
             return std::pair{c.SanrentanOdds[k], c.SanrentanPop[k]};
         }},
    };
    auto s = std::make_unique<Slots>();
    std::string records[5];
    for (int i = 0; i < 5; ++i) {
        const Kind& k = kinds[i];
        std::string r = MakeRecord(k.name, RaceKey16("20261206", "05", 11));
        auto at = [&](std::size_t first, int entry) {
            return first + k.stride * static_cast<std::size_t>(entry - 1);
        };
        SetField(r, at(k.odds, 1), k.oddsWidth, std::string(k.oddsWidth - 3, '0') + "123");
        SetField(r, at(k.pop, 1), k.popWidth, std::string(k.popWidth - 1, '0') + "1");
        SetField(r, at(k.odds, 2), k.oddsWidth, std::string(k.oddsWidth, '-'));
        SetField(r, at(k.pop, 2), k.popWidth, std::string(k.popWidth - 1, '0') + "2");
        SetField(r, at(k.odds, 3), k.oddsWidth, std::string(k.oddsWidth, '*'));
        SetField(r, at(k.odds, k.count), k.oddsWidth, std::string(k.oddsWidth - 4, '0') + "4567");
        const std::string last = std::to_string(k.count % (k.popWidth == 3 ? 1000 : 10000));
        SetField(r, at(k.pop, k.count), k.popWidth,
                 std::string(k.popWidth - last.size(), '0') + last);
        records[i] = r;
    }
    s->o2.Assign(records[0]);
    s->o3.Assign(records[1]);
    s->o4.Assign(records[2]);
    s->o5.Assign(records[3]);
    s->o6.Assign(records[4]);
    std::string o1 = O1(11);
    SetWin(o1, 1, "0021", "0011", "0013");
    SetWin(o1, 18, "9999", "0501", "0999");
    s->o1.Assign(o1);
    auto calc = std::make_unique<TRaceCalc>();
    ConvertRaceOdds(Race(18), true, s->View(), *calc);
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.name);
        EXPECT_EQ(k.read(*calc, 1), (std::pair{12.3, 1}));
        EXPECT_EQ(k.read(*calc, 2), (std::pair{-1.0, 0})); // no sale: its popularity is not taken
        EXPECT_EQ(k.read(*calc, 3), (std::pair{-1.0, 0}));
        EXPECT_EQ(k.read(*calc, 4), (std::pair{-2.0, 0}));
        EXPECT_EQ(k.read(*calc, k.count),
                  (std::pair{456.7, k.count % (k.popWidth == 3 ? 1000 : 10000)}));
    }
    EXPECT_DOUBLE_EQ(calc->WinOdds[0], 2.1);
    EXPECT_DOUBLE_EQ(calc->PlaceOddsMin[0], 1.1);
    EXPECT_DOUBLE_EQ(calc->PlaceOddsMax[0], 1.3);
    EXPECT_DOUBLE_EQ(calc->WinOdds[17], 999.9);
    EXPECT_DOUBLE_EQ(calc->PlaceOddsMin[17], 50.1);
    EXPECT_DOUBLE_EQ(calc->PlaceOddsMax[17], 99.9);
}

TEST(OddsReader, FilesAreMatchedByTheWholeRaceKeyAndReadAgainOnlyWhenChanged) {
    testsupport::TempDir dir;
    OddsDayFiles files;
    for (int i = 0; i < 6; ++i)
        files.paths[static_cast<std::size_t>(i)] = dir / ("d.jvO" + std::to_string(i + 1));
    std::string first = O1(11);
    SetWin(first, 1, "0050", "0011", "0012");
    std::string second = O1(11); // a later record of the same race is not read
    SetWin(second, 1, "0099", "0011", "0012");
    std::string other = O1(10);
    SetWin(other, 1, "0022", "0011", "0012");
    std::string dayBefore = O1(11, "20261205"); // the same venue and race number
    SetWin(dayBefore, 1, "0061", "0011", "0012");
    testsupport::WriteBytes(files.paths[0], dayBefore + other + first + second);

    auto s = std::make_unique<Slots>();
    auto calc = std::make_unique<TRaceCalc>();
    OddsFileCache cache;
    ReadRaceOdds(Race(1), files, cache, s->View(), *calc);
    EXPECT_DOUBLE_EQ(calc->WinOdds[0], 5.0);
    EXPECT_EQ(s->o1.Bytes(), first);

    // A rewritten file (another size) is read again.
    std::string fresh = O1(11);
    SetWin(fresh, 1, "0077", "0011", "0012");
    testsupport::WriteBytes(files.paths[0], fresh + "partial");
    ReadRaceOdds(Race(1), files, cache, s->View(), *calc);
    EXPECT_DOUBLE_EQ(calc->WinOdds[0], 7.7);

    // A refresh of a race already in the file rewrites it at the same size; only the
    // modification time tells the new odds from the old.
    auto stamp = std::filesystem::last_write_time(files.paths[0]);
    std::string refreshed = O1(11);
    SetWin(refreshed, 1, "0123", "0011", "0012");
    testsupport::WriteBytes(files.paths[0], refreshed + "partial");
    std::filesystem::last_write_time(files.paths[0], stamp + std::chrono::seconds(2));
    ReadRaceOdds(Race(1), files, cache, s->View(), *calc);
    EXPECT_DOUBLE_EQ(calc->WinOdds[0], 12.3);

    // A race the file does not hold keeps its slot as it was.
    ReadRaceOdds(Race(1, 12), files, cache, s->View(), *calc);
    EXPECT_EQ(s->o1.Bytes(), refreshed);

    // While a hold lives each file is looked at once; the first read after it sees the change.
    std::string later = O1(11);
    SetWin(later, 1, "0033", "0011", "0012");
    {
        OddsFileCache::Hold hold(cache);
        ReadRaceOdds(Race(1), files, cache, s->View(), *calc);
        testsupport::WriteBytes(files.paths[0], later + "partial!");
        ReadRaceOdds(Race(1), files, cache, s->View(), *calc);
        EXPECT_DOUBLE_EQ(calc->WinOdds[0], 12.3);
    }
    ReadRaceOdds(Race(1), files, cache, s->View(), *calc);
    EXPECT_DOUBLE_EQ(calc->WinOdds[0], 3.3);

    // A file replaced whole by one of the same size and time is another file all the same.
    const auto time = std::filesystem::last_write_time(files.paths[0]);
    std::string replaced = O1(11);
    SetWin(replaced, 1, "0044", "0011", "0012");
    ASSERT_TRUE(keiba::WriteFileAtomic(files.paths[0], replaced + "partial!"));
    std::filesystem::last_write_time(files.paths[0], time);
    ReadRaceOdds(Race(1), files, cache, s->View(), *calc);
    EXPECT_DOUBLE_EQ(calc->WinOdds[0], 4.4);
}

// A writer's rename frees the old file's inode, and the next file may get it back with the same
// size and, within one tick of the clock, the same time: only the write tells them apart.
TEST(OddsReader, ARewriteThatLooksLikeTheOldFileIsReadAgain) {
    testsupport::TempDir dir;
    OddsDayFiles files;
    for (int i = 0; i < 6; ++i)
        files.paths[static_cast<std::size_t>(i)] = dir / ("d.jvO" + std::to_string(i + 1));
    const std::filesystem::path& o1 = files.paths[0];
    std::string old = O1(11), fresh = O1(11);
    SetWin(old, 1, "0050", "0011", "0012");
    SetWin(fresh, 1, "0077", "0011", "0012");
    ASSERT_TRUE(keiba::WriteFileAtomic(o1, old));
    auto s = std::make_unique<Slots>();
    auto calc = std::make_unique<TRaceCalc>();
    OddsFileCache cache;
    ReadRaceOdds(Race(1), files, cache, s->View(), *calc);
    ASSERT_DOUBLE_EQ(calc->WinOdds[0], 5.0);

    // The inode read first, kept aside under another name while the writer replaces the file.
    std::filesystem::create_hard_link(o1, dir / "inode");
    const auto time = std::filesystem::last_write_time(o1);
    ASSERT_TRUE(keiba::WriteFileAtomic(o1, fresh));
    // The file system hands that inode back holding the new bytes, with the old time.
    testsupport::WriteBytes(dir / "inode", fresh);
    std::filesystem::last_write_time(dir / "inode", time);
    std::filesystem::rename(dir / "inode", o1);

    ReadRaceOdds(Race(1), files, cache, s->View(), *calc);
    EXPECT_DOUBLE_EQ(calc->WinOdds[0], 7.7);
}

// What was found in a file is kept only where no later change can keep the file's times: one
// made after the look gets a time of the look's tick or later, cut down to the file system's
// step (vfat keeps every other second, ext2 whole seconds, exFAT steps of 10 ms; finer ones take
// the clock's tick), so a time older than the look by more than the step is left behind by it.
TEST(OddsReader, AVerdictIsKeptOnlyForAFileOlderThanTheLookByItsTimeStep) {
    constexpr std::int64_t kSecond = 1000000000, at = 1796000000 * kSecond;
    const struct {
        const char* what;
        std::int64_t modified, lookedAt;
        bool settled;
    } cases[] = {
        {"fine times, changed in the look's tick", at + 123456789, at + 123456789, false},
        {"fine times, changed in the tick before", at + 123456788, at + 123456789, true},
        {"whole seconds, changed in the look's second", at, at + kSecond / 2, false},
        {"whole seconds, vfat's two seconds before the look", at, at + 2 * kSecond, false},
        {"whole seconds, older than that", at, at + 2 * kSecond + 1, true},
        {"10 ms steps, changed in the look's step", at + 340000000, at + 345000000, false},
        {"a time ahead of the look", at + 5 * kSecond + 7, at, false},
    };
    for (const auto& c : cases) {
        FileStamp stamp;
        stamp.modified = c.modified;
        EXPECT_EQ(Settled(stamp, c.lookedAt), c.settled) << c.what;
    }
}

// The load's straight read takes a slot's record only while the file holds the races in slot
// order: a missing race, a repeated race or a file out of order ends it, and what follows is left
// to the race-by-race read. A record is never placed in another race's slot.
TEST(OddsReader, TheStraightReadPlacesOnlyRecordsOfTheirOwnRace) {
    testsupport::TempDir dir;
    const auto path = dir / "d.jvO1";
    std::vector<TJvRA> races = {Race(12, 1), Race(12, 2), Race(12, 3)};
    auto slots = std::make_unique<std::array<TJvO1, 3>>();
    std::array<char*, 3> buffers = {(*slots)[0].data(), (*slots)[1].data(), (*slots)[2].data()};
    auto read = [&](const std::string& file) {
        testsupport::WriteBytes(path, file);
        for (TJvO1& s : *slots) s.Clear();
        return ReadOddsInRaceOrder(path, DayFileKind::Odds1, buffers, races);
    };

    EXPECT_EQ(read(O1(1) + O1(2) + O1(3) + O1(4)), 3u);
    EXPECT_EQ((*slots)[2].Bytes(), O1(3));
    EXPECT_EQ(read(O1(1) + O1(3)), 1u);                        // race 2 missing
    EXPECT_EQ(read(O1(1) + O1(2, "20261205") + O1(3)), 1u);    // race 2 of another day
    EXPECT_EQ(read(O1(2) + O1(1) + O1(3)), 0u);                // out of order
    EXPECT_EQ(read(O1(1) + O1(2)), 2u);                        // the file ends early
    EXPECT_EQ(read(O1(1) + O1(2) + O1(3).substr(0, 500)), 2u); // a cut last record is none
    EXPECT_EQ(read(""), 0u);

    // Two slots of one race: the second must take the race's first record, not the next one.
    races[1] = Race(12, 1);
    EXPECT_EQ(read(O1(1) + O1(1) + O1(3)), 1u);
    // A race without a number has no record to take.
    races[1] = Race(12, 0);
    EXPECT_EQ(read(O1(1) + O1(2) + O1(3)), 1u);
    EXPECT_EQ(ReadOddsInRaceOrder(dir / "none.jvO1", DayFileKind::Odds1, buffers, races), 0u);
}

// What both reads keep of a file (the straight read which records are sound, the race-by-race read
// the file's records) holds only while the file is as it was: each way of changing it is seen, or
// a damaged record written in would be shown as odds, or a record no longer there still shown.
// The file starts an hour old, as one filed earlier in the day, so what was found in it is kept.
TEST(OddsReader, EveryWayOfChangingAFileIsSeenByTheNextRead) {
    namespace fs = std::filesystem;
    testsupport::TempDir dir;
    OddsDayFiles files;
    for (int i = 1; i < 6; ++i)
        files.paths[static_cast<std::size_t>(i)] = dir / ("d.jvO" + std::to_string(i + 1));
    fs::path& path = files.paths[0]; // a file of its own for each way
    const auto hourAgo = fs::file_time_type::clock::now() - std::chrono::hours(1);
    const std::string r1 = O1(1), r2 = O1(2), r3 = O1(3);
    std::string damaged = r2;
    SetField(damaged, 46, 4, "1x34"); // a letter in runner 1's win odds
    const std::string whole = r1 + r2 + r3;
    auto inPlace = [&](std::size_t at, std::string_view bytes) {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(at));
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    };
    struct Way {
        const char* what;
        std::string before;
        std::function<void()> change;
        bool race3; // whether the changed file holds race 3
    };
    const Way ways[] = {
        {"rewritten in place", whole, [&] { inPlace(kO1Length, damaged); }, true},
        {"replaced by a rename, with the old time", whole,
         [&] {
             testsupport::WriteBytes(dir / "new", r1 + damaged + r3);
             fs::last_write_time(dir / "new", hourAgo);
             fs::rename(dir / "new", path);
         },
         true},
        {"cut inside race 2, with the old time", whole,
         [&] {
             fs::resize_file(path, kO1Length + 500);
             fs::last_write_time(path, hourAgo);
         },
         false},
        {"appended to, with the old time", r1 + damaged.substr(0, 500),
         [&] {
             std::ofstream(path, std::ios::app | std::ios::binary) << damaged.substr(500) + r3;
             fs::last_write_time(path, hourAgo);
         },
         true},
    };
    const std::vector<TJvRA> races = {Race(12, 1), Race(12, 2), Race(12, 3)};
    auto slots = std::make_unique<std::array<TJvO1, 3>>();
    std::array<char*, 3> buffers = {(*slots)[0].data(), (*slots)[1].data(), (*slots)[2].data()};
    auto s = std::make_unique<Slots>();
    auto calc = std::make_unique<TRaceCalc>();
    for (const Way& w : ways) {
        SCOPED_TRACE(w.what);
        path = dir / (std::string(w.what) + ".jvO1");
        testsupport::WriteBytes(path, w.before);
        fs::last_write_time(path, hourAgo);
        OddsFileCache cache;
        // Read twice as it stands, the second time from what the first kept.
        for (int round = 0; round < 2; ++round) {
            ReadOddsInRaceOrder(path, DayFileKind::Odds1, buffers, races);
            ReadRaceOdds(races[1], files, cache, s->View(), *calc, MissingOdds::Blank);
            ReadRaceOdds(races[2], files, cache, s->View(), *calc, MissingOdds::Blank);
        }
        w.change();

        EXPECT_EQ(ReadOddsInRaceOrder(path, DayFileKind::Odds1, buffers, races), 1u);
        ReadRaceOdds(races[1], files, cache, s->View(), *calc, MissingOdds::Blank);
        EXPECT_TRUE(s->o1.IsBlank());
        ReadRaceOdds(races[2], files, cache, s->View(), *calc, MissingOdds::Blank);
        EXPECT_EQ(s->o1.Bytes(), w.race3 ? r3 : TJvO1().Bytes());
    }
}

// A damaged record costs only its own race: after a line break put inside it (which shifts every
// later record), bytes cut out of it, its line end written over or a byte of it lost, a fetch's
// re-read finds the records of the other races, and the file is one damaged stretch among sound
// records; the first record as a middle one.
TEST(OddsReader, ARecordDamagedInsideCostsOnlyItsOwnRace) {
    testsupport::TempDir dir;
    OddsDayFiles files;
    for (int i = 0; i < 6; ++i)
        files.paths[static_cast<std::size_t>(i)] = dir / ("d.jvO" + std::to_string(i + 1));
    std::string r[4];
    for (int n = 1; n <= 4; ++n) {
        r[n - 1] = O1(n);
        SetWin(r[n - 1], 1, "00" + std::to_string(n) + "0", "0011", "0012");
    }
    struct Case {
        std::string_view what;
        int hit; // the race whose record is damaged
        std::string bytes;
    };
    auto damaged = [&](std::string_view what, int hit, std::function<void(std::string&)> damage) {
        std::string rec = r[hit - 1], file = r[0] + r[1] + r[2] + r[3];
        damage(rec);
        return Case{what, hit, file.replace((hit - 1) * kO1Length, kO1Length, rec)};
    };
    const Case cases[] = {
        damaged("a CR LF put in", 2, [](std::string& d) { d.insert(300, "\r\n"); }),
        damaged("an LF put in", 2, [](std::string& d) { d.insert(300, "\n"); }),
        damaged("bytes cut out", 2, [](std::string& d) { d.erase(300, 10); }),
        damaged("its line end written over", 2, [](std::string& d) { d.replace(960, 2, "  "); }),
        damaged("its line end's CR lost", 2, [](std::string& d) { d.erase(960, 1); }),
        damaged("its line end's LF lost", 2, [](std::string& d) { d.erase(961, 1); }),
        damaged("the first line end's CR lost", 1, [](std::string& d) { d.erase(960, 1); }),
        damaged("the first line end's LF lost", 1, [](std::string& d) { d.erase(961, 1); }),
    };
    auto s = std::make_unique<Slots>();
    auto calc = std::make_unique<TRaceCalc>();
    for (const auto& [what, hit, bytes] : cases) {
        SCOPED_TRACE(what);
        testsupport::WriteBytes(files.paths[0], bytes);
        OddsFileCache cache;
        const std::string kept(kO1Length, 'k');
        for (int n = 1; n <= 4; ++n) {
            s->o1.Assign(kept);
            ReadRaceOdds(Race(12, n), files, cache, s->View(), *calc);
            EXPECT_EQ(s->o1.Bytes(), n == hit ? kept : r[n - 1]) << n;
            if (n != hit) {
                EXPECT_DOUBLE_EQ(calc->WinOdds[0], n);
            }
        }
        std::size_t sound = 0, stretches = 0;
        ForEachOddsPiece(
            bytes, DayFileKind::Odds1, [&](std::size_t) { ++sound; },
            [&](std::size_t) { ++stretches; });
        EXPECT_EQ(sound, 3u);
        EXPECT_EQ(stretches, 1u);
    }
}
