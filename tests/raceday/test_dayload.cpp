#include "raceday/analysis.h"
#include "raceday/dayload.h"
#include "raceday/runnerfile.h"

#include "tests/raceday/dayfixture.h"
#include "tests/support/analysismaker.h"
#include "tests/support/unreadable.h"

#include <algorithm>

using namespace testsupport;

namespace {

std::vector<std::string> Without(const std::vector<std::string>& ops, std::string_view prefix) {
    std::vector<std::string> out;
    for (const auto& o : ops)
        if (!o.starts_with(prefix)) out.push_back(o);
    return out;
}

} // namespace

// A runner not filed yet is a blank line in its slot, not a runner lost, also where a line break
// put into an earlier record has moved every later line on by one in the list of lines.
TEST(RunnerFile, ABlankSlotAfterASplitLineIsARunnerNotYetFiled) {
    const std::string key = RaceKey16("20261206", "05", 1);
    std::string first = MakeRunner(key, 1, "2020100001");
    first.insert(100, "\r\n");
    const std::string bytes =
        first + MakeRunner(key, 2, "2020100002") + std::string(jvdata::kSeLength - 2, ' ') + "\r\n";
    const raceday::RunnerFile file(bytes);
    EXPECT_TRUE(file.Runner(key, 1).empty());
    EXPECT_FALSE(file.Runner(key, 2).empty());
    EXPECT_EQ(file.Lost(key, 3), 1u); // runner 1; runner 3 is not filed yet
}

TEST_F(DayFixture, DayListIsNewestFirstAndOnlyDayStems) {
    WriteRaces("20240526", {});
    WriteRaces("20240525", {});
    WriteBytes(DataFile("notes.jvRA"), "");
    WriteBytes(DataFile("2024年13月01日.jvRA"), "");
    WriteBytes(DataFile(Stem("20240527") + ".jvHR"), "");
    WriteBytes(DataFile(Stem("20240524") + "東京.jvSEr"), "");
    EXPECT_EQ(raceday::MakeDataList(dir.path()),
              (std::vector<std::string>{"2024年05月26日", "2024年05月25日"}));
    testsupport::TempDir empty;
    EXPECT_TRUE(raceday::MakeDataList(empty.path()).empty());
}

TEST_F(DayFixture, AMissingRaceFileSaysSoAndLeavesNothingOfThePreviousDay) {
    WriteRaces("20240526", {Ra("20240526", "05", 1, 1)});
    WriteRunners("20240526", "東京", {Se("20240526", "05", 1, 1, "2020100001", "アカ")});
    ASSERT_EQ(Load("20240526"), raceday::DayLoadResult::Loaded);
    Day().gRaceTexts[0].RaceRLevelText = "x";
    EXPECT_EQ(Load("20240527"), raceday::DayLoadResult::NoRaceFile);
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"データ作成が未完了のようです。"});
    EXPECT_EQ(notifier.beeps, 1);
    EXPECT_TRUE(Day().gDayRaces[0].IsBlank());
    EXPECT_TRUE(Day().gDayHorses[0][0].IsBlank());
    EXPECT_TRUE(Day().gRaceTexts[0].RaceRLevelText.empty());
    EXPECT_EQ(Day().gDayRaceCount, 0);
    EXPECT_EQ(host.progressShown, host.progressHidden);
}

// A race file loads every sound RA record of its day, one race a slot in file order, and goes on
// past a damaged piece, which costs its own race; with no sound race the day does not load, and
// nothing of the day before stays, on the screen either. A file cut at a record end is told by
// the races a runner file holds that it lacks, at every central racecourse, 01 to 10.
TEST_F(DayFixture, ADamagedRaceRecordCostsOnlyItsRaceAndIsTold) {
    const std::string good = Ra("20261128", "05", 1, 1);
    const std::string ra[] = {Ra("20261206", "05", 1, 2), Ra("20261206", "05", 2, 2),
                              Ra("20261206", "05", 3, 2), Ra("20261206", "05", 4, 2)};
    auto with = [](std::string record, std::size_t at, std::string_view bytes) {
        record.replace(at, bytes.size(), bytes);
        return record;
    };
    std::string garbage(4 * jvdata::kRaLength, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<char>(i * 131 + 7);
    const std::string partial = ra[0] + ra[1] + ra[2] + ra[3].substr(0, 100);
    const std::string kWhole = "レースデータ（2026年12月06日.jvRA）が壊れているため、"
                               "この開催日を読み込めません。";
    auto lost = [](int n) {
        return "レースデータ（2026年12月06日.jvRA）の一部が壊れているため、" + std::to_string(n) +
               "レース分を読み込めませんでした。";
    };
    struct Case {
        const char* what;
        std::string bytes;
        raceday::DayLoadResult result;
        std::vector<std::string> list;
        std::string message;                  // empty: none
        std::vector<std::string> kokura = {}; // 小倉's (10) runners; none: no runner file
    };
    const std::vector<Case> cases = {
        {"sound", ra[0] + ra[1], raceday::DayLoadResult::Loaded, {"東京 1R", "東京 2R"}, ""},
        {"cut at a record end, losing every race of 小倉, whose runner file holds them",
         ra[0] + ra[1],
         raceday::DayLoadResult::Loaded,
         {"東京 1R", "東京 2R"},
         lost(1),
         {Se("20261206", "10", 1, 1, "2020100001"), Se("20261206", "10", 1, 2, "2020100002")}},
        {"garbage", garbage, raceday::DayLoadResult::Damaged, {}, kWhole},
        {"no line end in the first",
         with(ra[0], jvdata::kRaLength - 2, "  ") + ra[1],
         raceday::DayLoadResult::Loaded,
         {"東京 2R"},
         lost(1)},
        {"another record third",
         ra[0] + ra[1] + with(ra[2], 0, "SE") + ra[3],
         raceday::DayLoadResult::Loaded,
         {"東京 1R", "東京 2R", "東京 4R"},
         lost(1)},
        {"a line break inside the second",
         ra[0] + with(ra[1], 300, "\r\n") + ra[2],
         raceday::DayLoadResult::Loaded,
         {"東京 1R", "東京 3R"},
         lost(1)},
        {"cut short at the end",
         partial,
         raceday::DayLoadResult::Loaded,
         {"東京 1R", "東京 2R", "東京 3R"},
         lost(1)},
        {"empty", "", raceday::DayLoadResult::NoRaceFile, {}, "データ作成が未完了のようです。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteRaces("20261128", {good});
        ASSERT_EQ(Load("20261128"), raceday::DayLoadResult::Loaded);
        notifier.messages.clear();
        host.noDayShown = 0;
        WriteBytes(DataFile(Stem("20261206") + ".jvRA"), c.bytes);
        std::filesystem::remove(DataFile(Stem("20261206") + "小倉.jvSEr"));
        if (!c.kokura.empty()) WriteRunners("20261206", "小倉", c.kokura);

        EXPECT_EQ(Load("20261206"), c.result);
        EXPECT_EQ(host.raceList, c.list);
        EXPECT_EQ(Day().gDayRaceCount, static_cast<int>(c.list.size()));
        for (std::size_t r = c.list.size(); r < raceday::kMaxRaces; ++r)
            EXPECT_TRUE(Day().gDayRaces[r].IsBlank()) << r;
        EXPECT_EQ(host.noDayShown, c.list.empty() ? 1 : 0);
        EXPECT_EQ(notifier.messages, c.message.empty() ? std::vector<std::string>{}
                                                       : std::vector<std::string>{c.message});
        EXPECT_EQ(host.progressShown, host.progressHidden);
    }
}

// Bytes that are no record's, in place of `n` bytes at `at`.
std::string Garbled(std::string bytes, std::size_t at, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) bytes[at + i] = static_cast<char>(i * 131 + 7);
    return bytes;
}

// A runner, payout, odds, comment or analysis file cut short, cut inside or damaged inside loads
// the records it holds whole and sound; the others stay blank and the user is told which file
// lost how many races or runners. A record cut inside costs only itself, but in the odds files,
// whose reader takes the records at their places, where a cut shifts every record after it.
TEST_F(DayFixture, ACutDayFileLoadsItsWholeRecordsAndSaysWhatWasLost) {
    const std::string day = "20261206";
    // Three races of two runners at 東京, with all their records.
    std::string hr, o3, xq, rcom;
    std::vector<std::string> runners;
    for (int race = 1; race <= 3; ++race) {
        hr += MakeRecord("HR", RaceKey16(day, "05", race));
        o3 += MakeRecord("O3", RaceKey16(day, "05", race));
        rcom += RaceKey16(day, "05", race) + ",\"" + keiba::Sj("先行有利") + "\r\n\"\r\n";
        for (int h = 1; h <= 2; ++h) {
            runners.push_back(Se(day, "05", race, h, "202010000" + std::to_string(h)));
            xq += AnalysisMaker(day, "05", race, h).Slot(race - 1).Bytes();
        }
    }
    const std::filesystem::path seFile = DataFile(Stem(day) + "東京.jvSEr"),
                                hrFile = DataFile(Stem(day) + ".jvHR"),
                                o3File = DataFile(Stem(day) + ".jvO3"),
                                xqFile = dir / "VZK/XQ20261206.vzkd",
                                rcomFile = dir / "VZK/RCOM20261206.CSV";
    WriteRunners(day, "東京", runners);
    const std::string se = Slurp(seFile);
    auto cutInside = [](std::string bytes, std::size_t at, std::size_t n) {
        return bytes.erase(at, n);
    };
    // Which records hold something: runners and analysis records race by race, then the payout
    // and odds records of the three races.
    auto loaded = [&] {
        const raceday::RaceDay& d = Day();
        std::string out = "SE";
        for (std::size_t r = 0; r < 3; ++r)
            for (std::size_t h = 0; h < 2; ++h) out += d.gDayHorses[r][h].IsBlank() ? '0' : '1';
        out += " XQ";
        for (std::size_t r = 0; r < 3; ++r)
            for (std::size_t h = 0; h < 2; ++h)
                out += d.gDayHorseAnalysis[r][h].IsBlank() ? '0' : '1';
        out += " HR";
        for (std::size_t r = 0; r < 3; ++r) out += d.gDayPayouts[r].IsBlank() ? '0' : '1';
        out += " O3";
        for (std::size_t r = 0; r < 3; ++r) out += d.gDayOddsO3[r].IsBlank() ? '0' : '1';
        out += " RC";
        for (std::size_t r = 0; r < 3; ++r) out += d.gRaceTexts[r].RaceComment.empty() ? '0' : '1';
        return out;
    };
    const std::string lost = "の一部が壊れているため、";
    struct Case {
        const char* what;
        std::filesystem::path file;
        std::string bytes; // empty: the sound file
        std::string loaded;
        std::string message; // empty: none
    };
    const std::vector<Case> cases = {
        {"sound", {}, {}, "SE111111 XQ111111 HR111 O3111 RC111", ""},
        {"runner file cut inside race 2's second runner", seFile,
         cutInside(se, 555 * 19 + 200, 100), "SE111011 XQ111111 HR111 O3111 RC111",
         "出走馬データ（2026年12月06日東京.jvSEr）" + lost +
             "1レースの出走馬1頭分を読み込めませんでした。"},
        {"payout file cut inside race 2", hrFile, cutInside(hr, 719 + 300, 10),
         "SE111111 XQ111111 HR101 O3111 RC111",
         "払戻データ（2026年12月06日.jvHR）" + lost + "1レース分を読み込めませんでした。"},
        {"odds file cut short in race 3", o3File, o3.substr(0, 2 * 2654 + 1000),
         "SE111111 XQ111111 HR111 O3110 RC111",
         "オッズデータ（2026年12月06日.jvO3）" + lost + "1レース分を読み込めませんでした。"},
        {"analysis file cut inside race 2's second runner", xqFile, cutInside(xq, 378 * 3 + 1, 3),
         "SE111111 XQ111011 HR111 O3111 RC111",
         "分析データ（XQ20261206.vzkd）" + lost + "1頭分を読み込めませんでした。"},
        {"analysis file cut short", xqFile, xq.substr(0, 378 * 5 + 100),
         "SE111111 XQ111110 HR111 O3111 RC111",
         "分析データ（XQ20261206.vzkd）" + lost + "1頭分を読み込めませんでした。"},
        {"analysis file cut short by more than a record", xqFile, xq.substr(0, 378 * 4 + 256),
         "SE111111 XQ111100 HR111 O3111 RC111",
         "分析データ（XQ20261206.vzkd）" + lost + "2頭分を読み込めませんでした。"},
        {"analysis file cut at a record's end", xqFile, xq.substr(0, 378 * 4),
         "SE111111 XQ111100 HR111 O3111 RC111",
         "分析データ（XQ20261206.vzkd）" + lost + "2頭分を読み込めませんでした。"},
        {"runner record of race 2's first runner damaged inside", seFile,
         Garbled(se, 555 * 18 + 100, 300), "SE110111 XQ111111 HR111 O3111 RC111",
         "出走馬データ（2026年12月06日東京.jvSEr）" + lost +
             "1レースの出走馬1頭分を読み込めませんでした。"},
        {"analysis record damaged inside", xqFile, Garbled(xq, 378 * 2 + 5, 20),
         "SE111111 XQ110111 HR111 O3111 RC111",
         "分析データ（XQ20261206.vzkd）" + lost + "1頭分を読み込めませんでした。"},
        {"odds record damaged inside", o3File, Garbled(o3, 2654 + 60, 300),
         "SE111111 XQ111111 HR111 O3101 RC111",
         "オッズデータ（2026年12月06日.jvO3）" + lost + "1レース分を読み込めませんでした。"},
        {"comment file cut inside the second comment", rcomFile, rcom.substr(0, 35),
         "SE111111 XQ111111 HR111 O3111 RC100",
         "コメントデータ（RCOM20261206.CSV）" + lost + "2レース分を読み込めませんでした。"},
        {"a comment that is not text", rcomFile, Garbled(rcom, 31 + 18, 4),
         "SE111111 XQ111111 HR111 O3111 RC101",
         "コメントデータ（RCOM20261206.CSV）" + lost + "1レース分を読み込めませんでした。"},
    };
    std::filesystem::create_directories(dir / "VZK");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteRaces(day, {Ra(day, "05", 1, 2), Ra(day, "05", 2, 2), Ra(day, "05", 3, 2)});
        WriteBytes(seFile, se);
        WriteBytes(hrFile, hr);
        WriteBytes(o3File, o3);
        WriteBytes(xqFile, xq);
        WriteBytes(rcomFile, rcom);
        if (!c.bytes.empty()) WriteBytes(c.file, c.bytes);
        notifier.messages.clear();

        EXPECT_EQ(Load(day), raceday::DayLoadResult::Loaded);
        EXPECT_EQ(loaded(), c.loaded);
        EXPECT_EQ(notifier.messages, c.message.empty() ? std::vector<std::string>{}
                                                       : std::vector<std::string>{c.message});
    }
}

// A full day of 36 races, whose odds and payout files run in the order of the race file. Cut
// inside its 19th record, a file has lost the 18 races from there on; a line without a break
// after the 30th, however long, has lost the six races whose records would stand there; a record
// damaged inside, whose line end lost a byte, or of another day or a second one of the race before
// in its race's place is its own race's loss alone. A damaged record is not taken for its race's:
// the race's odds count as not read rather than as odds of -2.0.
TEST_F(DayFixture, ADamagedOddsOrPayoutFileTellsTheRacesItLost) {
    const std::string day = "20261206";
    std::vector<std::string> races;
    std::string o1, hr;
    for (const char* venue : {"05", "06", "08"}) {
        for (int n = 1; n <= 12; ++n) {
            races.push_back(Ra(day, venue, n, 1));
            std::string o = MakeRecord("O1", RaceKey16(day, venue, n));
            jvdata::SetField(o, 44, 8, "01016907");       // runner 1 wins at 16.9, 7th favourite
            jvdata::SetField(o, 268, 12, "010036005807"); // and places at 3.6 to 5.8
            o1 += o;
            hr += MakeRecord("HR", RaceKey16(day, venue, n));
        }
    }
    WriteRaces(day, races);
    const auto date = *jvdata::ParseYyyymmdd(day);
    const auto o1File = jvdata::DayFilePath(dir.path(), date, jvdata::DayFile::O1);
    const auto hrFile = jvdata::DayFilePath(dir.path(), date, jvdata::DayFile::HR);
    const std::string odds = "オッズデータ（2026年12月06日.jvO1）の一部が壊れているため、";
    const std::string payouts = "払戻データ（2026年12月06日.jvHR）の一部が壊れているため、";
    const std::string lost = "レース分を読み込めませんでした。";
    auto held = [&](const auto& slots) {
        std::string out;
        for (std::size_t r = 0; r < 36; ++r) out += slots[r].RaceNumber() > 0 ? '1' : '0';
        return out;
    };
    auto first = [](std::size_t n) { return std::string(n, '1') + std::string(36 - n, '0'); };
    auto but = [](std::size_t r) { return std::string(r, '1') + '0' + std::string(35 - r, '1'); };
    auto without = [&](std::size_t at) { return std::string(o1).erase(at, 1); };
    std::string dayBefore = o1, twice = o1;
    dayBefore.replace(9 * 962 + 11, 8, "20261205");
    twice.replace(20 * 962, 962, o1.substr(19 * 962, 962));
    const struct {
        const char* what;
        std::string o1, hr;
        std::string message;
        std::string o1Held, hrHeld;
    } cases[] = {
        {"odds cut inside record 19", o1.substr(0, 18 * 962 + 500), hr, odds + "18" + lost,
         first(18), first(36)},
        {"payouts cut inside record 19", o1, hr.substr(0, 18 * 719 + 300), payouts + "18" + lost,
         first(36), first(18)},
        {"odds of 30 races and a long line", o1.substr(0, 30 * 962) + std::string(1 << 20, 'x'), hr,
         odds + "6" + lost, first(30), first(36)},
        {"odds record 5 damaged inside", Garbled(o1, 4 * 962 + 40, 300), hr, odds + "1" + lost,
         "111101111111111111111111111111111111", first(36)},
        {"odds record 1's line end without its CR", without(960), hr, odds + "1" + lost, but(0),
         first(36)},
        {"odds record 5's line end without its LF", without(4 * 962 + 961), hr, odds + "1" + lost,
         but(4), first(36)},
        {"odds record 10 of the day before", dayBefore, hr, odds + "1" + lost, but(9), first(36)},
        {"odds record 21 a second record 20", twice, hr, odds + "1" + lost, but(20), first(36)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(o1File, c.o1);
        WriteBytes(hrFile, c.hr);
        notifier.messages.clear();
        ASSERT_EQ(Load(day), raceday::DayLoadResult::Loaded);
        EXPECT_EQ(notifier.messages, std::vector<std::string>{c.message});
        EXPECT_EQ(held(Day().gDayOddsO1), c.o1Held);
        EXPECT_EQ(held(Day().gDayPayouts), c.hrHeld);
        EXPECT_DOUBLE_EQ(Day().gRaceCalc[5].WinOdds[0], 16.9);
        EXPECT_DOUBLE_EQ(Day().gRaceCalc[5].PlaceOddsMax[0], 5.8);
    }
}

// A file that is there but cannot be read is not a missing one: it is named with its cause in the
// day's message, and left as it is; a race file that cannot be read loads no day and says why.
// A whole folder of them is named ten files at most, and the rest counted.
TEST_F(DayFixture, AFileThatIsThereButCannotBeReadIsToldAndLeftAsItIs) {
    const std::string day = "20261206";
    const auto date = *jvdata::ParseYyyymmdd(day);
    auto horseFile = [&](jvdata::HorseFile kind, std::string_view id) {
        return *jvdata::HorseFilePath(dir.path(), kind, id);
    };
    std::vector<std::string> runners;
    for (int h = 1; h <= 12; ++h) runners.push_back(Se(day, "05", 1, h, "20201000" + Two(h)));
    WriteRaces(day, {Ra(day, "05", 1, 12)});
    WriteRunners(day, "東京", runners);
    const std::vector<std::filesystem::path> files = {
        jvdata::DayFilePath(dir.path(), date, jvdata::DayFile::RA),
        DataFile(Stem(day) + "東京.jvSEr"),
        jvdata::DayFilePath(dir.path(), date, jvdata::DayFile::HR),
        jvdata::DayFilePath(dir.path(), date, jvdata::DayFile::O3),
        dir / "VZK/XQ20261206.vzkd",
        dir / "VZK/RCOM20261206.CSV",
        horseFile(jvdata::HorseFile::UM2, "2020100001"),
        horseFile(jvdata::HorseFile::UMA, "2020100002"), // its newer file is made from it
        horseFile(jvdata::HorseFile::SEI, "2020100003"),
    };
    WriteBytes(files[2], MakeRecord("HR", RaceKey16(day, "05", 1)));
    WriteBytes(files[3], MakeRecord("O3", RaceKey16(day, "05", 1)));
    for (const auto& file : files) {
        SCOPED_TRACE(file);
        // The members' and horse files are there only in their own case.
        const bool own = !std::filesystem::exists(file);
        if (own) {
            std::filesystem::create_directories(file.parent_path());
            WriteBytes(file, "x");
        }
        const std::string bytes = Slurp(file);
        notifier.messages.clear();
        {
            const UnreadableFile unreadable(file);
            EXPECT_EQ(Load(day), file == files[0] ? raceday::DayLoadResult::Unreadable
                                                  : raceday::DayLoadResult::Loaded);
        }
        EXPECT_EQ(notifier.messages, std::vector<std::string>{keiba::PathToUtf8(file) +
                                                              " を読み込めません（読み込む権限が"
                                                              "ありません）。"});
        EXPECT_EQ(Slurp(file), bytes);
        if (own) std::filesystem::remove(file);
    }

    keiba::SetReadFailureHookForTest([](const std::filesystem::path& file) {
        return file.extension() == ".jvUM2" ? EACCES : 0;
    });
    notifier.messages.clear();
    EXPECT_EQ(Load(day), raceday::DayLoadResult::Loaded);
    keiba::SetReadFailureHookForTest(nullptr);
    std::string told;
    for (int h = 1; h <= 10; ++h)
        told += keiba::PathToUtf8(horseFile(jvdata::HorseFile::UM2, "20201000" + Two(h))) +
                " を読み込めません（読み込む権限がありません）。\n";
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{told + "ほかに2件のファイルを読み込めませんでした。"});
}

TEST_F(DayFixture, PastRunsAreTheLastThreeBeforeTheRaceDay) {
    WriteRaces("20240526", {Ra("20240526", "05", 11, 2)});
    WriteRunners("20240526", "東京",
                 {Se("20240526", "05", 11, 1, "2020100001", "ハヤテ"),
                  Se("20240526", "05", 11, 2, "2020100002", "ナミ")});
    std::vector<std::string> runs;
    for (std::string md : {"0101", "0201", "0301", "0401", "0526"})
        runs.push_back(Se("2024" + md, "06", 3, 1, "2020100001"));
    WriteHorseRuns("2020100001", runs);
    WriteHorseRuns("2020100002", {Se("20240301", "42", 3, 2, "2020100002")}); // a local course
    std::string pastRace = Ra("20240401", "06", 3, 1);
    jvdata::SetField(pastRace, 33, 60, keiba::Sj("卯月ステークス"));
    WriteRaces("20240401", {Ra("20240401", "06", 1, 1), pastRace});

    ASSERT_EQ(Load("20240526"), raceday::DayLoadResult::Loaded);
    auto& past = Day().gPastRunHorses[0][0];
    EXPECT_EQ(past[0].RaceDate(), "20240401");
    EXPECT_EQ(past[1].RaceDate(), "20240301");
    EXPECT_EQ(past[2].RaceDate(), "20240201");
    EXPECT_TRUE(past[3].IsBlank());
    // The past day's race file gives the whole race record; a day without one keeps the key.
    EXPECT_EQ(Day().gPastRunRaces[0][0][0].Bytes(), pastRace);
    EXPECT_EQ(Day().gPastRunRaces[0][0][1].Key().Text(), "2024030106050803");
    EXPECT_TRUE(Day().gPastRunRaces[0][0][1].RaceName().find_first_not_of(' ') ==
                std::string::npos);
    // A run at a local course keeps only its key fields.
    EXPECT_EQ(Day().gPastRunRaces[0][1][0].Key().Venue(), "42");
    EXPECT_TRUE(Day().gPastRunHorses[0][1][1].IsBlank());
    EXPECT_EQ(host.raceList, std::vector<std::string>{"東京11R"});
}

// A horse's runs are placed by their dates whatever the order of its file, each once, a run abroad
// among them; a run is shown as the k-th only when every run between it and the race day is
// known, and only a loss of what would be shown is told. The older horse master is made the
// newer one only from its sound records of the horse (positions of the old layout: the name 47,
// the sire's name 213 to 248, the breeder's name, not shown, 861); its damage is told against it.
TEST_F(DayFixture, AHorseShowsOnlyRunsKnownToStandInTheirPlace) {
    const std::string id = "2020100001";
    auto run = [&](std::string_view date8, std::string_view venue) {
        return Se(date8, venue, 5, 3, id);
    };
    const std::string r1 = run("20261003", "06"), r2 = run("20261101", "A8"),
                      r3 = run("20261107", "05"), r4 = run("20261114", "05");
    std::string undated = r4, master = filing::Um(id), uma(jvdata::kUmaLength, ' ');
    undated[16] = '#'; // in the month
    uma.replace(0, 3, "UM4");
    uma.replace(jvdata::kUmaLength - 2, 2, "\r\n");
    for (std::string* um : {&master, &uma}) {
        jvdata::SetField(*um, 12, 10, id);
        jvdata::SetField(*um, 47, 36, keiba::Sj("アカ"));
    }
    auto with = [](std::string r, std::size_t pos, std::string_view bytes) {
        return r.replace(pos - 1, bytes.size(), bytes);
    };
    auto noCr = [](std::string r) { return r.erase(r.size() - 2, 1); };
    const std::string lost = "の一部が壊れているため、1頭分を読み込めませんでした。",
                      runs = "過去走データ（2020100001.jvSEI）" + lost,
                      old = "競走馬データ（2020100001.jvUMA）" + lost,
                      oldPart = "競走馬データ（2020100001.jvUMA）には読み込めない記録があったため、"
                                "それを除いて変換しました。";
    const struct {
        const char* what;
        std::string sei, uma; // uma: written in place of the .jvUM2 when not empty
        const char* shown;    // month, day and venue of each run shown
        std::string message;
        const char* master = "アカ";
        std::string um2 = {}; // the newer file, when not the sound master
    } cases[] = {
        {"sound", r1 + r2 + r3 + r4, "", "111405 110705 1101A8", ""},
        {"two runs swapped", r1 + r3 + r2 + r4, "", "111405 110705 1101A8", ""},
        {"a run twice, apart", r1 + r2 + r3 + r2, "", "110705 1101A8 100306", ""},
        {"cut inside the last run", r1 + r2 + r3 + r4.substr(0, 300), "", "", runs},
        {"cut inside a run after one on the day",
         r2 + r3 + r4 + run("20261128", "05") + run("20261205", "05").substr(0, 300), "",
         "111405 110705 1101A8", ""},
        {"a run between damaged", r1 + Garbled(r2, 100, 50) + r3 + r4, "", "111405 110705", runs},
        {"the run before two with its CR lost", noCr(r2) + r3 + r4, "", "111405 110705", runs},
        {"a cut copy of a run", r1 + r2 + r3.substr(0, 300) + r3 + r4, "", "111405 110705 1101A8",
         ""},
        {"the fourth run with its CR lost", noCr(r1) + r2 + r3 + r4, "", "111405 110705 1101A8",
         ""},
        {"damage whose day cannot be read", r1 + r2 + r3 + undated, "", "", runs},
        {"a sound old master", r4, uma, "111405", ""},
        {"0xFF in its name", r4, with(uma, 50, "\xFF"), "111405", old, ""},
        {"half a character ending the sire's name", r4, with(uma, 248, "\x82"), "111405", old, ""},
        {"another horse's", r4, with(uma, 12, "2020100002"), "111405", old, ""},
        {"0xFF where nothing is shown", r4, with(uma, 900, "\xFF"), "111405", ""},
        // Of several records the first is the master: damage after it costs only itself, and
        // damage in its place leaves no record to stand in for it.
        {"a damaged record after the master", r4, uma + with(uma, 50, "\xFF"), "111405", oldPart},
        {"the master damaged, an older record after it", r4,
         with(uma, 50, "\xFF") + with(uma, 47, keiba::Sj("アオ")), "111405", old, ""},
        {"its LF lost, a sound copy after it", r4, uma.substr(0, 1576) + uma, "111405", old, ""},
        {"the newer file's master damaged, an older record after it", r4, "", "111405",
         "競走馬データ（2020100001.jvUM2）" + lost, "",
         with(master, 50, "\xFF") + with(master, 47, keiba::Sj("アオ"))},
    };
    WriteRaces("20261128", {Ra("20261128", "05", 11, 1)});
    WriteRunners("20261128", "東京", {Se("20261128", "05", 11, 1, id)});
    const auto um2 = *jvdata::HorseFilePath(dir.path(), jvdata::HorseFile::UM2, id),
               umaFile = *jvdata::HorseFilePath(dir.path(), jvdata::HorseFile::UMA, id);
    std::filesystem::create_directories(um2.parent_path());
    std::filesystem::create_directories(umaFile.parent_path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WriteHorseRuns(id, {c.sei});
        std::filesystem::remove(um2);
        WriteBytes(c.uma.empty() ? um2 : umaFile, !c.uma.empty()  ? c.uma
                                                  : c.um2.empty() ? master
                                                                  : c.um2);
        notifier.messages.clear();
        ASSERT_EQ(Load("20261128"), raceday::DayLoadResult::Loaded);
        std::string shown;
        for (const jvdata::TJvSE& past : Day().gPastRunHorses[0][0])
            if (!past.IsBlank())
                shown += (shown.empty() ? "" : " ") + std::string(past.RaceDate().substr(4)) +
                         std::string(past.Key().Venue());
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(keiba::Cp932ToUtf8(keiba::TrimBlanks(Day().gDayHorseMasters[0][0].HorseName())),
                  c.master);
        EXPECT_EQ(std::filesystem::exists(um2), std::string_view(c.master) != "" || !c.um2.empty());
        EXPECT_EQ(notifier.messages, c.message.empty() ? std::vector<std::string>{}
                                                       : std::vector<std::string>{c.message});
    }
}

// A damaged race record of an earlier day is no race's: the run keeps its key alone, and the
// earlier day's file is told with what it lost, counted against that day's runner file: a cut
// costs every race after it, not the one record the cut bytes make.
TEST_F(DayFixture, ADamagedPastRaceIsNotPlacedAndItsFileIsToldWithWhatItLost) {
    WriteRaces("20240526", {Ra("20240526", "05", 11, 1)});
    WriteRunners("20240526", "東京", {Se("20240526", "05", 11, 1, "2020100001")});
    WriteHorseRuns("2020100001", {Se("20240401", "06", 1, 1, "2020100001")});
    std::vector<std::string> pastRaces, pastRunners;
    for (int no = 1; no <= 4; ++no) {
        pastRaces.push_back(Ra("20240401", "06", no, 1));
        pastRunners.push_back(Se("20240401", "06", no, 1, "20201000" + Two(10 + no)));
    }
    WriteRunners("20240401", "中山", pastRunners);
    std::string named = pastRaces[0];
    jvdata::SetField(named, 33, 2, "\x01\x02"); // control bytes in its name
    const std::string all = pastRaces[0] + pastRaces[1] + pastRaces[2] + pastRaces[3];
    const std::size_t length = pastRaces[0].size();
    struct Case {
        const char* what;
        std::string file;
        std::size_t lost;
    } cases[] = {
        {"the run's own race damaged", named + pastRaces[1] + pastRaces[2] + pastRaces[3], 1},
        {"cut inside the run's race", all.substr(0, length / 2), 4},
        {"cut inside the second race", all.substr(0, length + length / 2), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(DataFile(Stem("20240401") + ".jvRA"), c.file);
        notifier.messages.clear();
        ASSERT_EQ(Load("20240526"), raceday::DayLoadResult::Loaded);
        const bool placed = c.file.substr(0, length) == pastRaces[0];
        EXPECT_EQ(
            Day().gPastRunRaces[0][0][0].Bytes(), placed ? pastRaces[0] : [&] {
                std::string keyOnly(length, ' ');
                keyOnly.replace(11, 16, RaceKey16("20240401", "06", 1));
                return keyOnly;
            }());
        EXPECT_EQ(
            notifier.messages,
            std::vector<std::string>{"レースデータ（2024年04月01日.jvRA）の一部が壊れているため、" +
                                     std::to_string(c.lost) + "レース分を読み込めませんでした。"});
    }
}

TEST_F(DayFixture, PastRacesArePlacedForEveryCentralVenueFrom01To10) {
    struct Case {
        const char* venue;
        bool placed;
    } cases[] = {{"01", true}, {"10", true}, {"11", false}, {"00", false}, {"A8", false}};
    std::vector<std::string> runners, pastRaces;
    int h = 0;
    for (const Case& c : cases) {
        ++h;
        std::string id = "20201000" + Two(h);
        runners.push_back(Se("20240526", "05", 11, h, id));
        WriteHorseRuns(id, {Se("20240401", c.venue, 3, h, id)});
        std::string race = Ra("20240401", c.venue, 3, 4);
        jvdata::SetField(race, 33, 60, keiba::Sj("卯月ステークス"));
        pastRaces.push_back(race);
    }
    WriteRaces("20240526", {Ra("20240526", "05", 11, h)});
    WriteRunners("20240526", "東京", runners);
    WriteRaces("20240401", pastRaces);

    ASSERT_EQ(Load("20240526"), raceday::DayLoadResult::Loaded);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const jvdata::TJvRA& past = Day().gPastRunRaces[0][i][0];
        EXPECT_EQ(past.Key().Venue(), cases[i].venue);
        EXPECT_EQ(past.Bytes() == pastRaces[i], cases[i].placed) << "venue " << cases[i].venue;
    }
    EXPECT_EQ(notifier.messages, std::vector<std::string>{}); // a run abroad is no damage
}

// A full first day, then a smaller one: every record slot the second day does not fill is blank,
// whichever step of the load would have filled it.
TEST_F(DayFixture, ASmallerDayLeavesNoRecordOfTheDayBefore) {
    auto writeDay = [&](std::string_view date8, int races, int runners, int pastRuns, bool odds) {
        std::vector<std::string> ra, se;
        std::string hr, o[6];
        for (int n = 1; n <= races; ++n) {
            ra.push_back(Ra(date8, "05", n, runners));
            std::string key = RaceKey16(date8, "05", n);
            hr += MakeRecord("HR", key);
            for (int i = 0; i < 6; ++i) o[i] += MakeRecord("O" + std::to_string(i + 1), key);
            for (int h = 1; h <= runners; ++h) {
                std::string id = "2020" + std::string(date8.substr(7)) + Two(n) + "0" + Two(h);
                se.push_back(Se(date8, "05", n, h, id));
                std::vector<std::string> runs; // oldest first, the last on 2026-10-01
                const std::string_view kRunDates[] = {"20260801", "20260901", "20261001"};
                for (int p = 3 - pastRuns; p < 3; ++p)
                    runs.push_back(Se(kRunDates[p], "05", n, h, id));
                WriteHorseRuns(id, runs);
                auto um2 = *jvdata::HorseFilePath(dir.path(), jvdata::HorseFile::UM2, id);
                std::filesystem::create_directories(um2.parent_path());
                WriteBytes(um2, filing::Um(id));
            }
        }
        WriteRaces(date8, ra);
        WriteRunners(date8, "東京", se);
        auto date = *jvdata::ParseYyyymmdd(date8);
        WriteBytes(jvdata::DayFilePath(dir.path(), date, jvdata::DayFile::HR), hr);
        const jvdata::DayFile kinds[] = {jvdata::DayFile::O1, jvdata::DayFile::O2,
                                         jvdata::DayFile::O3, jvdata::DayFile::O4,
                                         jvdata::DayFile::O5, jvdata::DayFile::O6};
        if (odds)
            for (int i = 0; i < 6; ++i)
                WriteBytes(jvdata::DayFilePath(dir.path(), date, kinds[i]), o[i]);
    };
    // The past runs' own race files, so that their race records are read whole.
    std::vector<std::string> pastRaces;
    for (int n = 1; n <= 3; ++n) pastRaces.push_back(Ra("20261001", "05", n, 3));
    WriteRaces("20261001", pastRaces);
    writeDay("20261128", 3, 3, 3, true);
    writeDay("20261205", 1, 2, 1, false);

    ASSERT_EQ(Load("20261128"), raceday::DayLoadResult::Loaded);
    raceday::RaceDay& d = Day();
    ASSERT_FALSE(d.gDayRaces[2].IsBlank());
    ASSERT_FALSE(d.gDayHorses[0][2].IsBlank());
    ASSERT_FALSE(d.gDayHorseMasters[0][2].IsBlank());
    ASSERT_FALSE(d.gPastRunHorses[0][0][2].IsBlank());
    ASSERT_EQ(d.gPastRunRaces[0][0][0].Bytes(), pastRaces[0]);
    ASSERT_FALSE(d.gDayOddsO6[0].IsBlank());
    ASSERT_FALSE(d.gDayPayouts[2].IsBlank());

    ASSERT_EQ(Load("20261205"), raceday::DayLoadResult::Loaded);
    EXPECT_EQ(d.gDayRaceCount, 1);
    EXPECT_EQ(d.gDayHorses[0][1].PedigreeId(), "2020501002");
    EXPECT_EQ(d.gPastRunHorses[0][1][0].RaceDate(), "20261001");
    EXPECT_EQ(d.gPastRunRaces[0][1][0].Bytes(), pastRaces[0]);
    for (std::size_t r = 0; r < raceday::kMaxRaces; ++r) {
        SCOPED_TRACE("race slot " + std::to_string(r));
        EXPECT_EQ(d.gDayRaces[r].IsBlank(), r > 0);
        EXPECT_TRUE(d.gDayPayouts[r].IsBlank() || r == 0);
        EXPECT_TRUE(d.gDayOddsO1[r].IsBlank() && d.gDayOddsO2[r].IsBlank() &&
                    d.gDayOddsO3[r].IsBlank() && d.gDayOddsO4[r].IsBlank() &&
                    d.gDayOddsO5[r].IsBlank() && d.gDayOddsO6[r].IsBlank());
        for (std::size_t h = 0; h < raceday::kMaxRunners; ++h) {
            const bool runner = r == 0 && h < 2;
            EXPECT_EQ(d.gDayHorses[r][h].IsBlank(), !runner) << "runner " << h;
            EXPECT_EQ(d.gDayHorseMasters[r][h].IsBlank(), !runner) << "runner " << h;
            for (std::size_t k = 0; k < raceday::kPastRunsRead; ++k) {
                EXPECT_EQ(d.gPastRunHorses[r][h][k].IsBlank(), !(runner && k == 0))
                    << "runner " << h << " run " << k;
                EXPECT_EQ(d.gPastRunRaces[r][h][k].IsBlank(), !(runner && k == 0))
                    << "runner " << h << " run " << k;
            }
        }
    }
    // Without odds files every value reads as blank, as after any load without them.
    EXPECT_DOUBLE_EQ(raceday::CombinationOdds(d, 0).SanrentanOdds[1], -2.0);
    EXPECT_DOUBLE_EQ(raceday::CombinationOdds(d, 2).UmarenOdds[1], -2.0);
}

TEST_F(DayFixture, FetchTimesStakesAndTheOrderOfTheLoad) {
    WriteBytes(dir / "kestrane.ini",
               "[Time]\r\nAutoOzGet=10\r\n[KaimeSet]\r\nDefaultAmount=500\r\n");
    WriteRaces("20261206",
               {Ra("20261206", "05", 1, 1, "1540"), Ra("20261206", "08", 1, 1, "1005")});
    WriteRunners("20261206", "東京", {Se("20261206", "05", 1, 1, "2020100001")});
    std::filesystem::create_directories(dir / "UMA/2020");
    clock.now = keiba::MakeLocalTime(2026, 12, 6, 9, 0);
    ASSERT_EQ(Load("20261206"), raceday::DayLoadResult::Loaded);
    EXPECT_EQ(Day().gRaceCalc[0].OzTime1, "1530");
    EXPECT_EQ(Day().gRaceCalc[0].OzTime2, "1531");
    EXPECT_EQ(Day().gRaceCalc[1].OzTime1, "0955");
    EXPECT_EQ(Day().RaceAmounts[35], 500);
    EXPECT_EQ(Day().venueCodes, (std::array<std::string, 3>{"05", "08", ""}));
    EXPECT_EQ(Day().venueFirstSlots, (std::array<std::string, 3>{" 0", " 1", ""}));

    std::vector<std::string> expected{"clear", "convert"};
    for (int r = 0; r < 36; ++r) expected.push_back("odds" + std::to_string(r));
    for (std::string s : {"calc", "timer4:600000", "autooz", "nerai1", "nerai2", "nerai3", "nerai4",
                          "user1", "user2", "user3", "select"})
        expected.push_back(s);
    EXPECT_EQ(host.ops, expected);

    // Loaded again with the automatic odds already armed: the timer restarts, the box stays.
    host.ops.clear();
    ASSERT_EQ(Load("20261206"), raceday::DayLoadResult::Loaded);
    EXPECT_EQ(std::count(host.ops.begin(), host.ops.end(), "autooz"), 0);
    EXPECT_EQ(std::count(host.ops.begin(), host.ops.end(), "timer4:600000"), 1);
}

// Two program folders side by side, each with its own context: a load reads the day files and
// the settings of its own folder, and says what is missing through its own notifier.
TEST_F(DayFixture, TwoProgramFoldersEachLoadTheirOwnDayWithTheirOwnSettings) {
    WriteBytes(dir / "kestrane.ini",
               "[Time]\r\nAutoOzGet=20\r\n[KaimeSet]\r\nDefaultAmount=5000\r\n");
    WriteRaces("20261206", {Ra("20261206", "05", 1, 1, "1540")});

    TempDir second;
    RecordingNotifier secondNotifier;
    const keiba::ProgramContext secondContext(second.path(), secondNotifier, clock, shell);
    std::filesystem::create_directories(second / "Data");
    WriteBytes(second / "kestrane.ini",
               "[Time]\r\nAutoOzGet=5\r\n[KaimeSet]\r\nDefaultAmount=1200\r\n");
    WriteBytes(second / ("Data/" + Stem("20261206") + ".jvRA"), Ra("20261206", "08", 2, 1, "1200"));
    WriteBytes(second / ("Data/" + Stem("20261207") + ".jvRA"), Ra("20261207", "08", 1, 1, "1000"));

    auto secondDay = std::make_unique<raceday::RaceDay>();
    raceday::DayLoadProgress progress;
    raceday::DayLoadSteps steps;
    ASSERT_EQ(Load("20261206"), raceday::DayLoadResult::Loaded);
    ASSERT_EQ(raceday::LoadDay(*secondDay, Stem("20261206"), progress, steps, secondContext),
              raceday::DayLoadResult::Loaded);

    EXPECT_EQ(Day().gDayRaces[0].VenueCode(), "05");
    EXPECT_EQ(Day().gRaceCalc[0].OzTime1, "1520");
    EXPECT_EQ(Day().RaceAmounts[0], 5000);
    EXPECT_EQ(secondDay->gDayRaces[0].VenueCode(), "08");
    EXPECT_EQ(secondDay->gRaceCalc[0].OzTime1, "1155");
    EXPECT_EQ(secondDay->RaceAmounts[0], 1200);

    // The next day is only in the second folder.
    EXPECT_EQ(Load("20261207"), raceday::DayLoadResult::NoRaceFile);
    EXPECT_EQ(raceday::LoadDay(*secondDay, Stem("20261207"), progress, steps, secondContext),
              raceday::DayLoadResult::Loaded);
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"データ作成が未完了のようです。"});
    EXPECT_TRUE(secondNotifier.messages.empty());
}

// Minutes read from the settings file are held to the ranges the fetch-time dialog offers: the
// odds are fetched 3 to 59 minutes before the post, the results every 5 to 59 minutes.
TEST_F(DayFixture, FetchMinutesAreHeldToTheirDialogRanges) {
    WriteRaces("20261206", {Ra("20261206", "05", 1, 1, "1540")});
    clock.now = keiba::MakeLocalTime(2026, 12, 6, 9, 0);
    const struct {
        int set, oz;
        const char* ozTime1;
        int rdata, interval;
    } cases[] = {{2, 3, "1537", 4, 5},     {3, 3, "1537", 5, 5},     {4, 4, "1536", 6, 6},
                 {58, 58, "1442", 58, 58}, {59, 59, "1441", 59, 59}, {60, 59, "1441", 60, 59},
                 {-5, 3, "1537", -5, 5}};
    for (const auto& c : cases) {
        ASSERT_TRUE(context.settings.WriteInteger("Time", "AutoOzGet", c.set));
        ASSERT_TRUE(context.settings.WriteInteger("Time", "AutoRdataGet", c.rdata));
        host.ops.clear();
        ASSERT_EQ(Load("20261206"), raceday::DayLoadResult::Loaded);
        EXPECT_EQ(Day().gRaceCalc[0].OzTime1, c.ozTime1) << c.set;
        EXPECT_EQ(Day().gAutoRdataMinutes, c.interval) << c.rdata;
        EXPECT_NE(std::find(host.ops.begin(), host.ops.end(),
                            "timer4:" + std::to_string(c.interval * 60000)),
                  host.ops.end())
            << c.rdata;
    }
}

TEST_F(DayFixture, TimersArmForTodayAndForTomorrowFromSixInTheEvening) {
    WriteRaces("20261207", {Ra("20261207", "05", 1, 0)});
    clock.now = keiba::MakeLocalTime(2026, 12, 6, 17, 59);
    ASSERT_EQ(Load("20261207"), raceday::DayLoadResult::Loaded);
    EXPECT_TRUE(Without(Without(host.ops, "odds"), "nerai") ==
                (std::vector<std::string>{"clear", "calc", "user1", "user2", "user3", "select"}));
    host.ops.clear();
    clock.now = keiba::MakeLocalTime(2026, 12, 6, 18, 0);
    ASSERT_EQ(Load("20261207"), raceday::DayLoadResult::Loaded);
    EXPECT_NE(std::find(host.ops.begin(), host.ops.end(), "timer4:600000"), host.ops.end());
    host.ops.clear();
    clock.now = keiba::MakeLocalTime(2026, 12, 8, 9, 0); // a past day arms nothing
    ASSERT_EQ(Load("20261207"), raceday::DayLoadResult::Loaded);
    EXPECT_EQ(std::find(host.ops.begin(), host.ops.end(), "timer4:600000"), host.ops.end());
}

TEST_F(DayFixture, ResultsReReadTakesThePlaceOrderFromEveryRecord) {
    raceday::DayReport report;
    std::vector<std::string> races;
    for (int n = 1; n <= 12; ++n) races.push_back(Ra("20261206", "05", n, 8));
    WriteRaces("20261206", races);
    std::vector<std::string> runners;
    for (int h = 1; h <= 8; ++h) runners.push_back(Se("20261206", "05", 2, h, "2020100001"));
    WriteRunners("20261206", "東京", runners);
    ASSERT_EQ(Load("20261206"), raceday::DayLoadResult::Loaded);
    Day().gCurRace = 1;

    std::string hr = MakeRecord("HR", RaceKey16("20261206", "05", 2));
    jvdata::SetField(hr, 142, 13, "0700000012001");
    jvdata::SetField(hr, 155, 13, "0300000023002");
    // dead heats: five place entries
    jvdata::SetField(hr, 168, 13, "0500000034003");
    jvdata::SetField(hr, 181, 13, "0100000045004");
    jvdata::SetField(hr, 194, 13, "0800000056005");
    std::string bytes = hr;
    for (int i = 0; i < 35; ++i) bytes += MakeRecord("HR", RaceKey16("20261206", "09", 1));
    // The 37th record: read as every other, however many come before it.
    std::string late = MakeRecord("HR", RaceKey16("20261206", "05", 3));
    jvdata::SetField(late, 142, 13, "0100000012001");
    WriteBytes(DataFile(Stem("20261206") + ".jvHR"), bytes + late);

    EXPECT_TRUE(raceday::RereadResults(Day(), Stem("20261206"), host, dir.path(), report));
    EXPECT_EQ(Day().gDayHorses[1][6].Field(335, 2), "01");
    EXPECT_EQ(Day().gDayHorses[1][2].Field(335, 2), "02");
    EXPECT_EQ(Day().gDayHorses[1][4].Field(335, 2), "03");
    EXPECT_EQ(Day().gDayHorses[1][0].Field(335, 2), "04");
    EXPECT_EQ(Day().gDayHorses[1][7].Field(335, 2), "05");
    EXPECT_EQ(Day().gRaceCalc[1].PayoutSeen, 1);
    EXPECT_EQ(Day().gPayoutTables.gPayKeyPlace[1][1], 7);
    EXPECT_FALSE(Day().gDayPayouts[2].IsBlank());
    // A second re-read brings nothing new for the shown race.
    EXPECT_FALSE(raceday::RereadResults(Day(), Stem("20261206"), host, dir.path(), report));
}

TEST_F(DayFixture, ResultsReReadFilesAPayoutWithoutARaceKeyNowhere) {
    raceday::DayReport report;
    WriteRaces("20261206", {Ra("20261206", "05", 1, 8), Ra("20261206", "05", 2, 8)});
    ASSERT_EQ(Load("20261206"), raceday::DayLoadResult::Loaded);
    Day().gCurRace = 5; // an empty slot is shown
    // A damaged payout file: a record whose race key is blank, placing runner 3 first.
    std::string blankKey = MakeRecord("HR", std::string(16, ' '));
    jvdata::SetField(blankKey, 142, 13, "0300000012001");
    WriteBytes(DataFile(Stem("20261206") + ".jvHR"), blankKey);

    EXPECT_FALSE(raceday::RereadResults(Day(), Stem("20261206"), host, dir.path(), report));
    for (std::size_t r = 0; r < raceday::kMaxRaces; ++r) {
        EXPECT_TRUE(Day().gDayPayouts[r].IsBlank()) << r;
        EXPECT_EQ(Day().gRaceCalc[r].PayoutSeen, 0) << r;
        EXPECT_TRUE(Day().gDayHorses[r][2].IsBlank()) << r;
    }
}

// A damaged payout record is no race's: the re-read writes no finishing positions from it, takes
// the sound records around it and counts it for the caller to tell.
TEST_F(DayFixture, ResultsReReadSkipsADamagedPayoutRecordAndCountsIt) {
    const std::string day = "20261206";
    WriteRaces(day, {Ra(day, "05", 1, 8), Ra(day, "05", 2, 8)});
    std::vector<std::string> runners;
    for (int h = 1; h <= 8; ++h) runners.push_back(Se(day, "05", 1, h, "2020100001"));
    WriteRunners(day, "東京", runners);
    ASSERT_EQ(Load(day), raceday::DayLoadResult::Loaded);
    const std::string position(Day().gDayHorses[0][6].Field(335, 2));
    std::string damaged = MakeRecord("HR", RaceKey16(day, "05", 1));
    jvdata::SetField(damaged, 142, 13, "0700000012001");
    jvdata::SetField(damaged, 155, 13, "03000XX023002"); // a place payout that is no number
    std::string sound = MakeRecord("HR", RaceKey16(day, "05", 2));
    jvdata::SetField(sound, 142, 13, "0500000012001");
    WriteBytes(DataFile(Stem(day) + ".jvHR"), damaged + sound);

    raceday::DayReport report;
    raceday::RereadResults(Day(), Stem(day), host, dir.path(), report);
    EXPECT_TRUE(Day().gDayPayouts[0].IsBlank());
    EXPECT_EQ(Day().gDayHorses[0][6].Field(335, 2), position);
    EXPECT_FALSE(Day().gDayPayouts[1].IsBlank());
    EXPECT_EQ(report.Lines(),
              std::vector<std::string>{"払戻データ（2026年12月06日.jvHR）の一部が壊れ"
                                       "ているため、1レース分を読み込めませんでした。"});
}

TEST_F(DayFixture, HostileFilesLoadWhatIsSound) {
    std::string tooMany = Ra("20261206", "05", 1, 25);
    std::string raceZero = Ra("20261206", "05", 0, 5);
    std::string race13 = Ra("20261206", "05", 13, 5);
    std::string badVenue = Ra("20261206", "../", 2, 3);
    WriteRaces("20261206", {tooMany, raceZero, race13, badVenue, Ra("20261206", "05", 3, 2)});
    // A trailing partial record is not a race.
    std::string ra = testsupport::Slurp(DataFile(Stem("20261206") + ".jvRA"));
    WriteBytes(DataFile(Stem("20261206") + ".jvRA"), ra + "RA7partial");
    WriteRunners("20261206", "東京",
                 {Se("20261206", "05", 1, 1, "../../etc1"),
                  Se("20261206", "05", 3, 1, "2020100001"),
                  Se("20261206", "05", 3, 2, "2020100002")});
    // Truncate the runner file in the middle of race 3's second runner.
    auto runnerPath = DataFile(Stem("20261206") + "東京.jvSEr");
    std::string runnersBytes = testsupport::Slurp(runnerPath);
    WriteBytes(runnerPath, runnersBytes.substr(0, 555 * 37 + 100));
    std::filesystem::create_directories(dir / "VZK");
    std::string rec(378, ' ');
    rec.replace(0, 4, "4001");
    WriteBytes(dir / "VZK/XQ20261206.vzkd", rec + std::string(378, 'x'));

    ASSERT_EQ(Load("20261206"), raceday::DayLoadResult::Loaded);
    // The race whose venue is no code is no race.
    EXPECT_EQ(Day().gDayRaceCount, 4);
    EXPECT_EQ(raceday::FieldSize(Day(), 0), 18);
    EXPECT_EQ(Day().gDayHorses[3][0].PedigreeId(), "2020100001");
    EXPECT_TRUE(Day().gDayHorses[3][1].IsBlank());
    EXPECT_EQ(host.progressShown, 1);
    EXPECT_EQ(host.progressHidden, 1);
    // Nothing was created outside the program folder, nor a folder from a bad id.
    EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "etc1"));
    EXPECT_FALSE(std::filesystem::exists(dir / "UM2/../.." / "etc1.jvUM2"));
    for (auto& e : std::filesystem::recursive_directory_iterator(dir.path()))
        EXPECT_EQ(keiba::PathToUtf8(e.path()).find(".."), std::string::npos) << e.path();
}

// Each race's odds slots hold its own records however the odds files run: in the order of the
// races, with a race missing, a race twice, out of order, or cut short; and the combination odds
// are those of the race's own quinella record.
TEST_F(DayFixture, EveryRaceGetsItsOwnOddsRecordsWhateverTheOrderOfTheFiles) {
    const std::string day = "20261206";
    WriteRaces(day, {Ra(day, "05", 1, 2), Ra(day, "05", 2, 2), Ra(day, "08", 1, 2)});
    auto odds = [&](int kind, std::string_view venue, int race, std::string_view tag) {
        std::string r = MakeRecord("O" + std::to_string(kind), RaceKey16(day, venue, race));
        // A mark of which record this is, after the announcement time, where nothing is read.
        jvdata::SetField(r, 36, tag.size(), tag);
        return r;
    };
    const std::string a = odds(2, "05", 1, "a"), c = odds(2, "08", 1, "c");
    std::string b = odds(2, "05", 2, "b"), b2 = odds(2, "05", 2, "b2");
    // The quinella 1-2 (positions 41 to 44) of race 2 at odds 123.4, popularity 5.
    jvdata::SetField(b, 41, 13, "0102001234005");
    jvdata::SetField(b2, 41, 13, "0102009999001");
    const auto date = *jvdata::ParseYyyymmdd(day);
    auto write = [&](jvdata::DayFile f, const std::string& bytes) {
        WriteBytes(jvdata::DayFilePath(dir.path(), date, f), bytes);
    };
    write(jvdata::DayFile::O1,
          odds(1, "05", 1, "a") + odds(1, "05", 2, "b") + odds(1, "08", 1, "c"));
    write(jvdata::DayFile::O2, a + b + b2 + c);
    write(jvdata::DayFile::O3, odds(3, "05", 2, "b") + odds(3, "08", 1, "c"));
    write(jvdata::DayFile::O4, odds(4, "05", 1, "a") + odds(4, "05", 1, "a2") +
                                   odds(4, "05", 2, "b") + odds(4, "08", 1, "c"));
    write(jvdata::DayFile::O5,
          odds(5, "08", 1, "c") + odds(5, "05", 2, "b") + odds(5, "05", 1, "a"));
    write(jvdata::DayFile::O6, odds(6, "05", 1, "a") + odds(6, "05", 2, "b"));

    ASSERT_EQ(Load(day), raceday::DayLoadResult::Loaded);
    const raceday::RaceDay& d = Day();
    auto tags = [&](const auto& slots) {
        std::vector<std::string> t;
        for (std::size_t r = 0; r < 3; ++r)
            t.push_back(slots[r].IsBlank() ? "-"
                                           : std::string(keiba::TrimBlanks(slots[r].Field(36, 2))));
        return t;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(tags(d.gDayOddsO1), (V{"a", "b", "c"}));
    EXPECT_EQ(tags(d.gDayOddsO2), (V{"a", "b", "c"}));
    EXPECT_EQ(tags(d.gDayOddsO3), (V{"-", "b", "c"}));
    EXPECT_EQ(tags(d.gDayOddsO4), (V{"a", "b", "c"}));
    EXPECT_EQ(tags(d.gDayOddsO5), (V{"a", "b", "c"}));
    EXPECT_EQ(tags(d.gDayOddsO6), (V{"a", "b", "-"}));
    EXPECT_DOUBLE_EQ(raceday::CombinationOdds(Day(), 1).UmarenOdds[1], 123.4);
    EXPECT_EQ(raceday::CombinationOdds(Day(), 1).UmarenPop[1], 5);
    EXPECT_DOUBLE_EQ(raceday::CombinationOdds(Day(), 0).UmarenOdds[1], -2.0);
    // The clear of the next load leaves nothing of them.
    raceday::ClearRaceDay(Day());
    EXPECT_DOUBLE_EQ(raceday::CombinationOdds(Day(), 1).UmarenOdds[1], 0.0);
    EXPECT_EQ(raceday::CombinationOdds(Day(), 1).UmarenPop[1], 0);
}

TEST_F(DayFixture, BatchLoadSkipsDaysWithAStatisticsMarker) {
    WriteRaces("20261205", {Ra("20261205", "05", 1, 0)});
    WriteRaces("20261206", {Ra("20261206", "05", 1, 0)});
    std::filesystem::create_directories(dir / "STAT");
    WriteBytes(dir / ("STAT/" + Stem("20261206") + ".stat1"), "");
    raceday::LoadDaysWithoutStats(Day(), raceday::MakeDataList(dir.path()), host, host, context);
    EXPECT_EQ(std::count(host.ops.begin(), host.ops.end(), "clear"), 1);
    EXPECT_EQ(Day().gDayRaces[0].RaceDate(), "20261205");
}

TEST_F(DayFixture, TheMembersFilesAreFoundWhateverTheCaseOfTheirNames) {
    WriteRaces("20261206", {Ra("20261206", "05", 11, 2)});
    std::filesystem::create_directories(dir / "VZK");
    const std::string rec = AnalysisMaker("20261206", "05", 11, 1).This(17, 2, "07");
    WriteBytes(dir / "VZK/xq20261206.VZKD", rec);
    WriteBytes(dir / "VZK/rcom20261206.csv", "2026120605050811,\"x\r\n\"\r\n");
    ASSERT_EQ(Load("20261206"), raceday::DayLoadResult::Loaded);
    EXPECT_EQ(Day().gRaceTexts[0].RaceRLevelText, keiba::Sj("高★"));
    EXPECT_EQ(Day().gRaceTexts[0].RaceComment, "x");
}
