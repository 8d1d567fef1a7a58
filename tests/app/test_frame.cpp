// The headless pieces of the application frame: CSV split, error log, jockey table, tracked
// horses, start-up folders and version check, and the race header of a selection.

#include "app/chasehorse.h"
#include "app/csvsplit.h"
#include "app/errorlog.h"
#include "app/jockeytable.h"
#include "app/raceheader.h"
#include "app/startup.h"

#include "tests/app/dayfixture.h"

using namespace testsupport;
using app::Day;
using keiba::Sj;

namespace {

std::string Lines(int from, int to) {
    std::string s;
    for (int i = from; i <= to; ++i) s += "line " + std::to_string(i) + "\r\n";
    return s;
}

std::vector<std::string> SplitCrLf(const std::string& s) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t nl = s.find("\r\n", pos);
        if (nl == std::string::npos) {
            out.push_back(s.substr(pos));
            break;
        }
        out.push_back(s.substr(pos, nl - pos));
        pos = nl + 2;
    }
    return out;
}

} // namespace

TEST(CsvSplit, CommasAndQuotes) {
    struct Case {
        std::string line;
        std::vector<std::string> fields;
    } cases[] = {
        {"", {}},
        {"a,,b", {"a", "", "b"}},
        {"\"x,y\",z", {"x,y", "z"}},
        {"\"say \"\"hi\"\"\",", {"say \"hi\"", ""}},
        {Sj("【注目】,本命"), {Sj("【注目】"), Sj("本命")}},
    };
    for (const Case& c : cases) EXPECT_EQ(app::SplitCsvLine(c.line), c.fields) << c.line;
}

TEST(ErrorLog, KeepsTheLastHundredLinesAndAddsTheStartLines) {
    TempDir dir;
    WriteBytes(dir / "ErrorLog.txt", Lines(1, 250));
    keiba::LocalTime now = keiba::MakeLocalTime(2026, 11, 28, 9, 5, 7);
    ASSERT_TRUE(app::StartErrorLog(dir.path(), now));
    std::vector<std::string> lines = SplitCrLf(Slurp(dir / "ErrorLog.txt"));
    ASSERT_EQ(lines.size(), 102u);
    EXPECT_EQ(lines.front(), "line 151");
    EXPECT_EQ(lines[99], "line 250");
    EXPECT_EQ(lines[100], Sj("ソフト起動：2026/11/28 09:05:07"));
    EXPECT_EQ(lines[101], dir.path().string());

    TempDir fresh;
    ASSERT_TRUE(app::StartErrorLog(fresh.path(), now));
    EXPECT_EQ(SplitCrLf(Slurp(fresh / "ErrorLog.txt")).size(), 2u);
    ASSERT_TRUE(app::AppendErrorLog(fresh.path(), keiba::MakeLocalTime(2026, 11, 28, 13, 2, 3),
                                    "東京 1R:ｵｯｽﾞ取得エラー：(-1)"));
    EXPECT_EQ(SplitCrLf(Slurp(fresh / "ErrorLog.txt")).back(),
              Sj("【エラー】13:02:03：東京 1R:ｵｯｽﾞ取得エラー：(-1)"));
}

TEST(JockeyTable, SortedRowsAndShortLinesLeftBlank) {
    app::JockeyTable t =
        app::ParseJockeyTable("01003,b,c,d,e\r\n01001,a\r\n01002,x,y,z,w,extra\r\n");
    ASSERT_EQ(t.rows.size(), 3u);
    EXPECT_EQ(t.rows[0], (app::JockeyRow{"01001", "a", "", "", ""}));
    EXPECT_EQ(t.rows[1], (app::JockeyRow{"01002", "x", "y", "z", "w"}));
    EXPECT_EQ(t.rows[2][0], "01003");
    EXPECT_EQ(t.shortLines, 1);
    EXPECT_TRUE(app::ParseJockeyTable("").rows.empty());
}

TEST(StartUp, VersionMessageOnlyBelow0490) {
    auto m = app::JvVersionMessage("0480");
    ASSERT_TRUE(m);
    EXPECT_EQ(*m, "ご利用中のJV-Linkのバージョンは[4.8.0]です。\r\n"
                  "本ソフトのご利用にはバージョン[4.9.0]以上が必要です。\r\n"
                  "JRA-VANのホームページより最新のJV-Linkを入手し、インストールしてください。");
    EXPECT_FALSE(app::JvVersionMessage("0490"));
}

TEST(StartUp, DataFoldersAreCreatedAndAFailureIsReported) {
    TempDir dir;
    EXPECT_TRUE(app::CreateDataFolders(dir.path()).empty());
    for (const char* name : {"Data", "kaime", "CSV", "SEI", "UMA", "UM2", "nerai", "VZK"})
        EXPECT_TRUE(std::filesystem::is_directory(dir / name)) << name;
    EXPECT_FALSE(std::filesystem::exists(dir / "STAT"));
    EXPECT_FALSE(std::filesystem::exists(dir / "HPupload"));

    TempDir blocked;
    WriteBytes(blocked / "CSV", "a file where a folder should be");
    std::vector<std::string> failures = app::CreateDataFolders(blocked.path());
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("CSV"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(blocked / "VZK")); // the later folders still come
}

TEST(RaceHeader, CommentMemoLines) {
    struct Case {
        std::string comment;
        std::vector<std::string> lines;
    } cases[] = {
        {"one", {}},
        {"a,b,c,d", {"ab", "cd"}},
        {Sj("【見解】") + ",b", {Sj("【見解】"), "b"}},
        {Sj("【見解】") + ",b,c,d", {Sj("【見解】"), "bc", "d"}},
    };
    for (const Case& c : cases) EXPECT_EQ(app::CommentMemoLines(c.comment), c.lines) << c.comment;
}

class RaceHeaderTest : public DayFixture {
protected:
    // Race 3 of Tokyo with `runners` runners; its record fields as given.
    void LoadRace(int runners, const std::vector<std::pair<int, std::string>>& fields) {
        std::string ra = Ra("20261128", "05", 3, runners, "1540");
        for (const auto& [pos, value] : fields)
            jvdata::SetField(ra, static_cast<std::size_t>(pos), value.size(), value);
        std::vector<std::string> runnersSe;
        for (int h = 1; h <= runners; ++h)
            runnersSe.push_back(
                Se("20261128", "05", 3, h, "20201000" + Two(h), "ウマ" + std::to_string(h)));
        WriteRaces("20261128", {ra, Ra("20261128", "05", 4, 5)});
        WriteRunners("20261128", "東京", runnersSe);
        ASSERT_EQ(Load("20261128"), app::DayLoadResult::Loaded);
    }
};

TEST_F(RaceHeaderTest, HeaderTextsOfARace) {
    LoadRace(8, {{28, "6"},
                 {612, "003"},
                 {33, Sj("テスト特別")},
                 {698, "1600"},
                 {706, "23"},
                 {714, "00015000"},
                 {886, "08"}});
    app::RaceSelection sel = app::SelectRaceHeader(Day(), 0);
    ASSERT_EQ(sel.status, app::SelectStatus::Ok);
    const app::RaceHeader& h = sel.header;
    EXPECT_EQ(h.race, "3");
    EXPECT_EQ(h.gridRows, 9);
    ASSERT_EQ(h.cardRows.size(), 8u);
    EXPECT_EQ(h.cardRows[6][1], " 7");
    EXPECT_EQ(h.label2.substr(0, Sj("第3回 テスト特別").size()), Sj("第3回 テスト特別"));
    EXPECT_EQ(h.label3.substr(0, Sj(" 8頭[入線: 8頭] 1600ﾒｰﾄﾙ ").size()),
              Sj(" 8頭[入線: 8頭] 1600ﾒｰﾄﾙ "));
    EXPECT_EQ(h.label6.substr(0, Sj("【本 賞 金】1着:   15000/2着:        ").size()),
              Sj("【本 賞 金】1着:   15000/2着:        "));
    EXPECT_FALSE(h.turf); // dirt: maroon
}

TEST_F(RaceHeaderTest, PayoutLabelsShowOnlyWhatWasPaid) {
    LoadRace(8, {});
    jvdata::TPayoutTables& t = Day().gPayoutTables;
    t.gPayKeyWin[0][1] = 7;
    t.gPayPopWin[0][1] = 1;
    t.gPayYenWin[0][1] = 350;
    t.gPayKeyWide[0][2] = " 3- 7";
    t.gPayPopWide[0][2] = 12;
    t.gPayYenWide[0][2] = 1230;
    t.gPayKeySanrentan[0][1] = " 7- 3- 1";
    t.gPayPopSanrentan[0][1] = 101;
    t.gPayYenSanrentan[0][1] = 1234560;
    app::RaceHeader h = app::SelectRaceHeader(Day(), 0).header;
    EXPECT_EQ(h.label3D[0], (app::PayoutTriple{" 7", " 1", "     350"}));
    EXPECT_EQ(h.label3D[1], app::PayoutTriple{});
    EXPECT_EQ(h.label3D[3 + 5 + 3 + 3 + 1], (app::PayoutTriple{" 3- 7", "12", "    1230"}));
    EXPECT_EQ(h.payoutLabels[6 + 3], (app::PayoutTriple{" 7- 3- 1", "101", " 1234560"}));
    for (std::size_t i : {0u, 5u, 8u}) EXPECT_EQ(h.payoutLabels[i], app::PayoutTriple{});
}

TEST_F(RaceHeaderTest, ARaceWithoutRunnersAndSlotsOutOfRange) {
    LoadRace(6, {});
    app::RaceSelection sel = app::SelectRaceHeader(Day(), 1); // race 4 has no runner records
    EXPECT_EQ(sel.status, app::SelectStatus::NoRunners);
    EXPECT_EQ(app::NoRunnersMessage(sel.raceNumber), "4レースはデータが不十分です。");
    EXPECT_EQ(app::SelectRaceHeader(Day(), -1).status, app::SelectStatus::NoRace);
    EXPECT_EQ(app::SelectRaceHeader(Day(), 36).status, app::SelectStatus::NoRace);
}

class ChaseHorseTest : public RaceHeaderTest {
protected:
    std::string Line(int h) {
        const jvdata::TJvSE& se = Day().gDayHorses[0][static_cast<std::size_t>(h)];
        return std::string(se.PedigreeId()) + std::string(se.HorseName());
    }
    std::string File() { return Slurp(dir / "ChaseHorse.dat"); }
};

TEST_F(ChaseHorseTest, RegisteringTwiceWritesOneSortedLine) {
    LoadRace(8, {});
    app::TChaseHorses list;
    notifier.answers = {true, true, true};
    EXPECT_EQ(app::RegisterChaseHorse(Day(), 0, 4, list, dir.path()), app::ChaseResult::Registered);
    EXPECT_EQ(app::RegisterChaseHorse(Day(), 0, 4, list, dir.path()), app::ChaseResult::Registered);
    EXPECT_EQ(File(), Line(4) + "\r\n");
    EXPECT_EQ(Line(4).size(), 46u);
    EXPECT_EQ(app::RegisterChaseHorse(Day(), 0, 1, list, dir.path()), app::ChaseResult::Registered);
    EXPECT_EQ(File(), Line(1) + "\r\n" + Line(4) + "\r\n"); // by pedigree number
    EXPECT_EQ(Day().gRaceCalc[0].Tracked[4], 1);
    EXPECT_EQ(notifier.questions, (std::vector<std::string>{"ウマ5を追跡馬に登録しますか？",
                                                            "ウマ5を追跡馬に登録しますか？",
                                                            "ウマ2を追跡馬に登録しますか？"}));
    EXPECT_EQ(notifier.messages.back(), "ウマ2を追跡馬に登録しました。");
}

TEST_F(ChaseHorseTest, EarlierRunsSurviveAndNoChangesNothing) {
    LoadRace(8, {});
    {
        app::TChaseHorses earlierRun;
        notifier.answers = {true};
        app::RegisterChaseHorse(Day(), 0, 6, earlierRun, dir.path());
    }
    const std::string before = File();
    app::TChaseHorses thisRun;
    notifier.answers = {false};
    EXPECT_EQ(app::RegisterChaseHorse(Day(), 0, 2, thisRun, dir.path()),
              app::ChaseResult::Declined);
    EXPECT_EQ(File(), before);
    EXPECT_EQ(Day().gRaceCalc[0].Tracked[2], 0);

    notifier.answers = {true};
    EXPECT_EQ(app::RegisterChaseHorse(Day(), 0, 2, thisRun, dir.path()),
              app::ChaseResult::Registered);
    EXPECT_EQ(File(), Line(2) + "\r\n" + Line(6) + "\r\n");

    std::size_t asked = notifier.questions.size();
    EXPECT_EQ(app::RegisterChaseHorse(Day(), 0, 18, thisRun, dir.path()),
              app::ChaseResult::OutOfRange);
    EXPECT_EQ(app::RegisterChaseHorse(Day(), 36, 0, thisRun, dir.path()),
              app::ChaseResult::OutOfRange);
    EXPECT_EQ(app::RegisterChaseHorse(Day(), 0, 12, thisRun, dir.path()),
              app::ChaseResult::NoRunner);
    EXPECT_EQ(notifier.questions.size(), asked);
}

TEST_F(ChaseHorseTest, AFailedWriteIsReportedNotConfirmed) {
    LoadRace(3, {});
    std::filesystem::create_directory(dir / "ChaseHorse.dat"); // nothing can replace it
    app::TChaseHorses list;
    notifier.answers = {true};
    EXPECT_EQ(app::RegisterChaseHorse(Day(), 0, 0, list, dir.path()),
              app::ChaseResult::WriteFailed);
    EXPECT_EQ(Day().gRaceCalc[0].Tracked[0], 1);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].find("を追跡馬に登録しました。"), std::string::npos);
}
