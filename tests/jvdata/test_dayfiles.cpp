#include "jvdata/dayfiles.h"

#include "tests/jvdata/recordmaker.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using namespace jvdata;
using testsupport::MakeRecord;
using testsupport::MakeRunner;
using testsupport::RaceKey16;
using testsupport::Slurp;
namespace fs = std::filesystem;

namespace {

const std::chrono::year_month_day kDay{std::chrono::year(2026), std::chrono::month(12),
                                       std::chrono::day(6)};

std::string DataFile(std::string_view name) {
    return Slurp(testsupport::TestData("jvdata/" + std::string(name)));
}

std::size_t CountEntries(const fs::path& dir) {
    std::size_t n = 0;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::end(it);
         it.increment(ec))
        ++n;
    return n;
}

} // namespace

TEST(DayFiles, NamesComeFromTheDateValueAndKnownCodes) {
    fs::path app = "/app";
    EXPECT_EQ(DayStem(kDay), "2026年12月06日");
    EXPECT_EQ(DayFilePath(app, kDay, DayFile::RA),
              app / "Data" / keiba::Utf8Path("2026年12月06日.jvRA"));
    EXPECT_EQ(DayRunnerFile(app, kDay, "05"),
              app / "Data" / keiba::Utf8Path("2026年12月06日東京.jvSEr"));
    EXPECT_EQ(DayRunnerFile(app, kDay, "32")->filename(),
              keiba::Utf8Path("2026年12月06日岩見.jvSEr"));
    EXPECT_FALSE(DayRunnerFile(app, kDay, "5 "));
    EXPECT_FALSE(DayRunnerFile(app, kDay, "C4"));
    EXPECT_EQ(HorseFilePath(app, HorseFile::SEI, "2023104567"),
              app / "SEI" / "2023" / "2023104567.jvSEI");
    for (std::string_view bad : {"../../etc1", "2023 04567", "20231045678", "202310456", "２０２"})
        EXPECT_FALSE(HorseFilePath(app, HorseFile::SEI, bad)) << bad;
    // The load's paths in one buffer: the same files, whether the folder ends in a separator.
    HorseFilePaths paths(app), slashed("/app/"), here("");
    EXPECT_STREQ(paths.Of(HorseFile::UM2, "2023104567"), "/app/UM2/2023/2023104567.jvUM2");
    EXPECT_STREQ(slashed.Of(HorseFile::SEI, "2023104567"), "/app/SEI/2023/2023104567.jvSEI");
    EXPECT_STREQ(paths.Of(HorseFile::UMA, "2019100001"), "/app/UMA/2019/2019100001.jvUMA");
    EXPECT_STREQ(here.Of(HorseFile::SEI, "2023104567"), "SEI/2023/2023104567.jvSEI");
    EXPECT_EQ(paths.Of(HorseFile::SEI, "../../etc1"), nullptr);
    EXPECT_EQ(RunnerSlot(11, 5), 184);
    EXPECT_EQ(RunnerSlot(13, 1), -1);
    EXPECT_EQ(RunnerSlot(1, 19), -1);
}

TEST(DayFiles, TheSameRaceTwiceLeavesOneLineHoldingTheSecond) {
    testsupport::TempDir dir;
    std::string first = MakeRecord("RA", RaceKey16("20261206", "05", 1));
    std::string second = first;
    SetField(second, 33, 6, "SECOND");
    ASSERT_TRUE(FileDayRecord(dir.path(), DayFile::RA, first));
    FileOutcome out = FileDayRecord(dir.path(), DayFile::RA, second);
    ASSERT_TRUE(out) << out.reason;
    std::string expected = second;
    ZeroHead(expected);
    EXPECT_EQ(Slurp(out.path), expected);
}

TEST(DayFiles, RacesComeOutInKeyOrderZeroedAndWhole) {
    testsupport::TempDir dir;
    for (int race : {3, 1, 2})
        ASSERT_TRUE(FileDayRecord(dir.path(), DayFile::RA,
                                  MakeRecord("RA", RaceKey16("20261206", "05", race))));
    std::string bytes = Slurp(DayFilePath(dir.path(), kDay, DayFile::RA));
    ASSERT_EQ(bytes.size(), 3 * kRaLength);
    for (int i = 0; i < 3; ++i) {
        std::string_view rec = RecordAt(bytes, kRaLength, static_cast<std::size_t>(i));
        EXPECT_EQ(rec.substr(0, 11), "RA000000000");
        EXPECT_EQ(RaceKey::Of(rec).RaceNumber(), i + 1);
        EXPECT_EQ(rec.substr(kRaLength - 2), "\r\n");
    }
}

TEST(DayFiles, HorseRunsComeOutInDateOrder) {
    testsupport::TempDir dir;
    for (std::string_view date : {"20250105", "20231105", "20240105"})
        ASSERT_TRUE(
            FileHorseRun(dir.path(), MakeRunner(RaceKey16(date, "06", 11), 3, "2020104567")));
    std::string bytes = Slurp(*HorseFilePath(dir.path(), HorseFile::SEI, "2020104567"));
    ASSERT_EQ(RecordCount(bytes, kSeLength), 3u);
    EXPECT_EQ(RaceKey::Of(RecordAt(bytes, kSeLength, 0)).Year(), "2023");
    EXPECT_EQ(RaceKey::Of(RecordAt(bytes, kSeLength, 1)).Year(), "2024");
    EXPECT_EQ(RaceKey::Of(RecordAt(bytes, kSeLength, 2)).Year(), "2025");
    EXPECT_EQ(RecordAt(bytes, kSeLength, 0).substr(0, 11), "SE000000000");
}

TEST(DayFiles, ANewRunnerFileHas216SlotsWithTheRecordInItsOwn) {
    testsupport::TempDir dir;
    std::string se = MakeRunner(RaceKey16("20261206", "05", 11), 5, "2023104567");
    FileOutcome out = FileRunnerSlot(dir.path(), se);
    ASSERT_TRUE(out) << out.reason;
    EXPECT_EQ(out.path, dir.path() / "Data" / keiba::Utf8Path("2026年12月06日東京.jvSEr"));
    std::string bytes = Slurp(out.path);
    EXPECT_EQ(bytes.size(), 119880u);
    std::vector<std::string_view> lines = keiba::SplitLines(bytes);
    ASSERT_EQ(lines.size(), 216u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 184)
            EXPECT_EQ(std::string(lines[i]) + "\r\n", se)
                << "line 185 keeps the record as delivered";
        else
            EXPECT_EQ(lines[i], std::string(553, ' ')) << "line " << i + 1;
    }
}

// A runner file cut short keeps its cut line where it was, with a line end put after it; the
// slots after it follow it as blanks, each where its readers find it.
TEST(DayFiles, ATruncatedRunnerFileIsPaddedBackWithoutLosingARecord) {
    testsupport::TempDir dir;
    fs::create_directories(dir.path() / "Data");
    fs::path file = dir.path() / "Data" / keiba::Utf8Path("2026年12月06日東京.jvSEr");
    const std::string cut = DataFile("truncated_runner_file.jvSEr");
    testsupport::WriteBytes(file, cut);
    std::string put = MakeRunner(RaceKey16("20261206", "05", 2), 1, "2023100001");
    ASSERT_TRUE(FileRunnerSlot(dir.path(), put));
    std::string bytes = Slurp(file);
    // The two whole lines, the cut one (100 bytes), then 214 slots of 555 bytes.
    ASSERT_EQ(bytes.size(), 1110 + 102 + 214 * kSeLength);
    EXPECT_EQ(bytes.substr(0, 1210), cut);
    EXPECT_EQ(bytes.substr(1210, 2), "\r\n");
    const std::size_t slot2 = 1212, slot18 = slot2 + 16 * kSeLength;
    EXPECT_EQ(bytes.substr(slot2, kSeLength), std::string(553, ' ') + "\r\n");
    EXPECT_EQ(bytes.substr(slot18, kSeLength), put);
    EXPECT_EQ((slot18 + kSeLength / 2) / kSeLength, 18u) << "the slot its readers find";
}

TEST(DayFiles, BadRecordsAreRefusedAndTouchNothing) {
    testsupport::TempDir dir;
    std::string good = MakeRecord("RA", RaceKey16("20261206", "05", 1));
    std::string noBreak = good;
    noBreak[kRaLength - 1] = ' ';
    std::string lineInside = good;
    lineInside[100] = '\n';
    using R = RefuseReason;
    struct Case {
        const char* what;
        DayFile kind;
        std::string record;
        RefuseReason why;
    } cases[] = {
        {"short", DayFile::RA, good.substr(0, 1000) + "\r\n", R::Length},
        {"empty", DayFile::RA, "", R::Length},
        {"wrong id", DayFile::HR, good, R::RecordId},
        {"no CR LF", DayFile::RA, noBreak, R::Length},
        {"line break inside", DayFile::RA, lineInside, R::Length},
        {"date with letters", DayFile::RA, MakeRecord("RA", "2026I2O605050801"), R::Date},
        {"no such day", DayFile::RA, MakeRecord("RA", RaceKey16("20261306", "05", 1)), R::Date},
        {"blank race number", DayFile::RA, MakeRecord("RA", "2026120605050 1"), R::RaceKey},
        {"meeting with a letter", DayFile::HR, MakeRecord("HR", "20261206050O0801"), R::RaceKey},
    };
    for (const Case& c : cases) {
        FileOutcome out = FileDayRecord(dir.path(), c.kind, c.record);
        EXPECT_EQ(out.code, FileOutcome::Refused) << c.what;
        EXPECT_EQ(out.refused, c.why) << c.what;
        EXPECT_FALSE(out.reason.empty()) << c.what;
    }
    EXPECT_EQ(FileHorseRun(dir.path(), MakeRunner(RaceKey16("20261206", "05", 1), 1, "../../etc1"))
                  .refused,
              R::PedigreeId);
    EXPECT_EQ(FileHorseRun(dir.path(), MakeRunner("20261004A40105 3", 1, "2023104567")).refused,
              R::RaceKey);
    // A course abroad has letters in its venue code: its runs still reach the horse file.
    testsupport::TempDir abroad;
    EXPECT_TRUE(FileHorseRun(abroad.path(), MakeRunner("20261004A4010503", 1, "2023104567")));
    EXPECT_EQ(FileHorseRun(dir.path(), MakeRunner("2026I2O605050801", 1, "2023104567")).code,
              FileOutcome::Refused);
    std::string um = MakeRecord("UM", "");
    SetField(um, 12, 10, "../../etc1");
    EXPECT_EQ(FileHorseMaster(dir.path(), um).code, FileOutcome::Refused);
    EXPECT_EQ(
        FileRunnerSlot(dir.path(), MakeRunner(RaceKey16("20261206", "05", 13), 1, "2023104567"))
            .refused,
        R::Slot)
        << "race 13 has no slot";
    EXPECT_EQ(
        FileRunnerSlot(dir.path(), MakeRunner(RaceKey16("20261206", "X9", 1), 1, "2023104567"))
            .refused,
        R::Venue)
        << "unknown venue";
    EXPECT_EQ(CountEntries(dir.path()), 0u) << "no file or folder was made";
}

TEST(DayFiles, AKillBeforeTheRenameLeavesThePreviousFileAndALeftoverTheCleanUpRemoves) {
    testsupport::TempDir dir;
    std::string first = MakeRecord("RA", RaceKey16("20261206", "05", 1));
    ASSERT_TRUE(FileDayRecord(dir.path(), DayFile::RA, first));
    fs::path file = DayFilePath(dir.path(), kDay, DayFile::RA);
    std::string before = Slurp(file);
    keiba::SetBeforeRenameHookForTest([](const fs::path&) { return false; });
    FileOutcome out =
        FileDayRecord(dir.path(), DayFile::RA, MakeRecord("RA", RaceKey16("20261206", "05", 2)));
    FileOutcome horse =
        FileHorseRun(dir.path(), MakeRunner(RaceKey16("20261206", "05", 1), 1, "2023104567"));
    keiba::SetBeforeRenameHookForTest(nullptr);
    EXPECT_EQ(out.code, FileOutcome::Failed);
    EXPECT_EQ(horse.code, FileOutcome::Failed);
    EXPECT_FALSE(out.reason.empty());
    EXPECT_EQ(Slurp(file), before);
    EXPECT_EQ(CountEntries(dir.path() / "Data"), 2u) << "the killed write's file stays";
    EXPECT_EQ(CountEntries(dir.path() / "SEI" / "2023"), 1u);
    testsupport::WriteBytes(dir / "Data" / ".ztv0a1b2c3d4e", "the zip extractor's");

    EXPECT_EQ(RemoveStaleDataTemps(dir.path()), 2u);
    EXPECT_EQ(CountEntries(dir.path() / "Data"), 2u);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_TRUE(fs::exists(dir / "Data" / ".ztv0a1b2c3d4e"));
    EXPECT_EQ(CountEntries(dir.path() / "SEI" / "2023"), 0u);
}

// The cause of a folder that cannot be made is told (a name taken, for a dangling link), not
// the missing folder the write would then meet.
TEST(DayFiles, AFolderThatCannotBeMadeIsReportedWithItsCause) {
    testsupport::TempDir dir;
    fs::create_directory_symlink(dir / "gone", dir / "SEI");
    FilingBatch batch(dir.path());
    batch.EnsureHorseFolder(HorseFile::UM2, "2023104567");
    ASSERT_TRUE(batch.UpsertHorseRun(MakeRunner(RaceKey16("20261206", "05", 1), 1, "2023104567")));
    keiba::IoResult r = batch.Flush();
    ASSERT_FALSE(r.ok);
    EXPECT_NE(r.message.find("SEI"), std::string::npos) << r.message;
    EXPECT_NE(r.message.find("同じ名前のファイルがあります"), std::string::npos) << r.message;
    EXPECT_EQ(r.message.find("フォルダがありません"), std::string::npos) << r.message;
    EXPECT_TRUE(fs::is_directory(dir / "UM2" / "2023")) << "what could be made was made";
    EXPECT_TRUE(batch.HasPending());
}

TEST(DayFiles, ABatchWritesEachTouchedFileOnce) {
    testsupport::TempDir dir;
    FilingBatch batch(dir.path());
    for (int race = 12; race >= 1; --race) {
        std::string key = RaceKey16("20261206", "05", race);
        ASSERT_TRUE(batch.UpsertDayLine(DayFile::RA, MakeRecord("RA", key)));
        for (int h = 1; h <= 3; ++h) {
            std::string id = "20231000" + std::to_string(race % 10) + std::to_string(h);
            ASSERT_TRUE(batch.PutRunner(MakeRunner(key, h, id)));
            ASSERT_TRUE(batch.UpsertHorseRun(MakeRunner(key, h, id)));
        }
    }
    EXPECT_EQ(batch.PendingFiles(), 2u + 30u);
    int writes = 0;
    std::vector<fs::path> synced;
    keiba::SetBeforeRenameHookForTest([&](const fs::path&) { return ++writes, true; });
    keiba::SetFolderSyncedHookForTest([&](const fs::path& f) { synced.push_back(f); });
    keiba::IoResult r = batch.Flush();
    keiba::SetBeforeRenameHookForTest(nullptr);
    keiba::SetFolderSyncedHookForTest(nullptr);
    ASSERT_TRUE(r) << r.message;
    EXPECT_EQ(writes, 32);
    // Each folder is synced once, after its last rename.
    EXPECT_EQ(synced, (std::vector<fs::path>{dir / "Data", dir / "SEI" / "2023"}));
    EXPECT_EQ(batch.PendingFiles(), 0u);
    std::string ra = Slurp(DayFilePath(dir.path(), kDay, DayFile::RA));
    ASSERT_EQ(RecordCount(ra, kRaLength), 12u);
    EXPECT_EQ(RaceKey::Of(RecordAt(ra, kRaLength, 0)).RaceNumber(), 1);
    EXPECT_EQ(RaceKey::Of(RecordAt(ra, kRaLength, 11)).RaceNumber(), 12);
}
