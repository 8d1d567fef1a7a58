// The members' analysis day files: which names take part, how a date's file is found, and the
// data-check view of one file (race list, titles, the 54 columns).

#include "raceday/vzkcheck.h"

#include "keiba/sjis.h"
#include "tests/raceday/dayfixture.h"
#include "tests/support/analysismaker.h"
#include "tests/support/tempdir.h"
#include "tests/support/unreadable.h"

#include <gtest/gtest.h>

using namespace testsupport;
using keiba::Sj;
namespace fs = std::filesystem;

namespace {

void Touch(const fs::path& p, std::string_view bytes = "") {
    fs::create_directories(p.parent_path());
    WriteBytes(p, bytes);
}

std::vector<std::string> Names(const std::vector<raceday::VzkDay>& days) {
    std::vector<std::string> out;
    for (const auto& d : days) out.push_back(d.date8 + ":" + d.path.filename().string());
    return out;
}

} // namespace

TEST(VzkFiles, OnlyXqEightDigitsVzkdTakePartInAnyCaseOnePerDate) {
    TempDir dir;
    for (const char* name : {"XQ20240107.vzkd", "xq20240106.VZKD", "XQ20240105.vzkd",
                             "Xq20240105.vzkd", "XQ2024010.vzkd", "XQ2024010a.vzkd",
                             "XQ20240108.vzkd.bak", "RCOM20240107.CSV", "YQ20240109.vzkd"})
        Touch(dir / name);
    fs::create_directories(dir / "XQ20240110.vzkd"); // a folder, not a file
    EXPECT_EQ(Names(raceday::ListVzkDays(dir.path())),
              (std::vector<std::string>{"20240105:XQ20240105.vzkd", "20240106:xq20240106.VZKD",
                                        "20240107:XQ20240107.vzkd"}));
    // A file added afterwards is seen by the next listing.
    Touch(dir / "XQ20240104.vzkd");
    EXPECT_EQ(raceday::ListVzkDays(dir.path()).front().date8, "20240104");
    // No folder holds no days; a file where the folder should be cannot be listed.
    keiba::IoResult listed;
    EXPECT_TRUE(raceday::ListVzkDays(dir / "none", &listed).empty() && listed);
    EXPECT_TRUE(raceday::ListVzkDays(dir / "XQ20240104.vzkd", &listed).empty() && !listed);

    EXPECT_EQ(raceday::CheckDateItems(dir.path()),
              (std::vector<std::string>{"2024年01月07日", "2024年01月06日", "2024年01月05日",
                                        "2024年01月04日"}));
    EXPECT_EQ(raceday::CheckItemDate("2024年01月06日"), "20240106");
    EXPECT_EQ(raceday::CheckItemDate("2024/01/06"), std::nullopt);
}

TEST(VzkFiles, AMembersFileIsFoundWithoutRegardToCase) {
    TempDir dir;
    Touch(dir / "rcom20240106.csv");
    Touch(dir / "xq20240106.vzkd");
    Touch(dir / "XQ20240107.VZKD");
    Touch(dir / "XQ20240107.vzkd");
    EXPECT_EQ(raceday::FindMembersFile(dir.path(), "RCOM", "20240106", ".CSV").path,
              dir / "rcom20240106.csv");
    EXPECT_EQ(raceday::FindMembersFile(dir.path(), "XQ", "20240106", ".vzkd").path,
              dir / "xq20240106.vzkd");
    // The name as spelled wins over another case of it.
    EXPECT_EQ(raceday::FindMembersFile(dir.path(), "XQ", "20240107", ".vzkd").path,
              dir / "XQ20240107.vzkd");
    const raceday::MembersFileFound none =
        raceday::FindMembersFile(dir.path(), "XQ", "20240108", ".vzkd");
    EXPECT_TRUE(!none && none.look);
    EXPECT_EQ(raceday::MembersFilePath(dir.path(), "XQ", "20240108", ".vzkd"),
              dir / "XQ20240108.vzkd");
    // A folder that cannot be listed hides a file of another case: no missing file.
    const UnreadableFile unlisted(dir.path());
    const raceday::MembersFileFound shut =
        raceday::FindMembersFile(dir.path(), "XQ", "20240106", ".vzkd");
    EXPECT_EQ(shut.look.message,
              keiba::PathToUtf8(dir.path()) + " を読み込めません（読み込む権限がありません）。");
}

// A missing file and one that is there but cannot be read are told apart, the second with its
// cause, as every reader of whole files tells them.
TEST(VzkFiles, TheReaderReusesItsBufferAndFailsEmpty) {
    TempDir dir;
    Touch(dir / "a.vzkd", std::string(378 * 2 + 5, 'a'));
    Touch(dir / "b.vzkd", "bb");
    std::string buffer;
    ASSERT_TRUE(raceday::ReadAnalysisFile(dir / "a.vzkd", buffer));
    EXPECT_EQ(buffer.size(), 378u * 2 + 5);
    ASSERT_TRUE(raceday::ReadAnalysisFile(dir / "b.vzkd", buffer));
    EXPECT_EQ(buffer, "bb");
    const raceday::AnalysisFileRead missing = raceday::ReadAnalysisFile(dir / "m.vzkd", buffer);
    EXPECT_TRUE(!missing && missing.Missing());
    EXPECT_TRUE(buffer.empty());
    const raceday::AnalysisFileRead folder = raceday::ReadAnalysisFile(dir.path(), buffer);
    EXPECT_TRUE(!folder && !folder.Missing());
    EXPECT_EQ(folder.read.message.find(keiba::PathToUtf8(dir.path()) + " を読み込めません（"), 0u);
    {
        const UnreadableFile unreadable(dir / "b.vzkd");
        const raceday::AnalysisFileRead denied = raceday::ReadAnalysisFile(dir / "b.vzkd", buffer);
        EXPECT_EQ(denied.read.message, keiba::PathToUtf8(dir / "b.vzkd") +
                                           " を読み込めません（読み込む権限がありません）。");
    }
}

TEST(DataCheck, RacesListInKeyOrderAndMapToTheSlotOfTheirKey) {
    std::string file = AnalysisMaker("20241124", "05", 12, 1).Slot(2).Bytes() +
                       AnalysisMaker("20241124", "05", 11, 1).Slot(0).Bytes() +
                       AnalysisMaker("20241124", "05", 11, 2).Slot(0).Bytes() +
                       // no runner, or a slot beyond the day: listed nowhere, placed nowhere
                       AnalysisMaker("20241124", "05", 10, 0).Slot(40).Bytes() +
                       AnalysisMaker("20241124", "05", 11, 0).Slot(0).Bytes() +
                       std::string(100, '9'); // a trailing partial record
    raceday::CheckDay day;
    raceday::LoadCheckDay(file, "20241124", day);
    ASSERT_EQ(day.races.size(), 2u);
    EXPECT_EQ(day.races[0].item, Sj("東京11R"));
    EXPECT_EQ(day.races[0].slot, 0);
    // The second item is slot 2 although it is the second race listed.
    EXPECT_EQ(day.races[1].item, Sj("東京12R"));
    EXPECT_EQ(day.races[1].slot, 2);
    EXPECT_EQ((*day.table)[2][0].RaceNo(), "12");
    EXPECT_EQ((*day.table)[0][1].HorseNumberText(), "02");
    EXPECT_TRUE((*day.table)[1][0].IsBlank());

    // Loading again starts from blanks.
    raceday::LoadCheckDay(AnalysisMaker("20241124", "08", 1, 1).Bytes(), "20241124", day);
    ASSERT_EQ(day.races.size(), 1u);
    EXPECT_EQ(day.races[0].item, Sj("京都 1R"));
    EXPECT_TRUE((*day.table)[2][0].IsBlank());
}

TEST(DataCheck, TitlesAndRunnerCountComeFromTheFirstRunner) {
    raceday::CheckDay day;
    raceday::LoadCheckDay(AnalysisMaker("20241124", "05", 11, 1)
                              .This(1, 2, "25")
                              .This(5, 2, "24")
                              .This(7, 4, "2100")
                              .This(11, 2, "13")
                              .This(13, 3, "999")
                              .This(16, 1, "B")
                              .Bytes(),
                          "20241124", day);
    EXPECT_EQ(raceday::CheckRunnerCount(*day.table, 0), 18); // 25 runners cannot be shown
    EXPECT_EQ(raceday::CheckRunnerCount(*day.table, 1), 0);
    auto t = raceday::CheckTitles(*day.table, 0);
    EXPECT_EQ(t[0], Sj("2024年11月24日東京11R"));
    EXPECT_EQ(t[1], Sj("ダ2100m"));
    EXPECT_EQ(t[2].substr(0, 4), Sj("３上"));
    EXPECT_NE(t[2].find(" G2"), std::string::npos) << keiba::Cp932ToUtf8(t[2]);
}

// The runners a file lost, as the tab tells them: the day's race file names every runner the file
// should hold; without it the file tells by itself (its races' field sizes, what damage took).
// A race whose first record is damaged still shows by its next one.
TEST(DataCheck, TheRunnersLostAreCountedFromTheRaceFileOrTheFileItself) {
    const std::string date = "20241124";
    std::vector<std::string> recs; // 東京11R runners 1 to 3, then 東京12R runners 1 and 2
    for (auto [race, runners] : {std::pair{11, 3}, std::pair{12, 2}})
        for (int h = 1; h <= runners; ++h)
            recs.push_back(AnalysisMaker(date, "05", race, h)
                               .Slot(race - 11)
                               .This(1, 2, Two(runners))
                               .Set(377, 2, "\r\n"));
    auto join = [&](std::size_t from, std::size_t to) {
        std::string out;
        for (std::size_t i = from; i < to; ++i) out += recs[i];
        return out;
    };
    const std::string all = join(0, 5);
    std::string rate = all, otherDay = all, putIn = all;
    rate.replace(226 + 40 - 1, 5, "ab.cd");
    otherDay.replace(2 * 378 + 5, 8, "20241123");
    putIn.insert(378 + 100, "x");
    const std::string raceFile = Ra(date, "05", 11, 3) + Ra(date, "05", 12, 2);
    const struct {
        const char* damage;
        std::string file;
        std::size_t lost, lostAlone; // told with the race file, and without it
    } rows[] = {
        {"none", all, 0, 0},
        {"ab.cd over a rate of a race's first record", rate, 1, 1},
        {"a record of another day", otherDay, 1, 1},
        {"a byte put in", putIn, 1, 1},
        {"the file twice", all + all, 0, 0},
        {"cut at a record end inside the last race", join(0, 4), 1, 1},
        {"cut at a record end before the last race", join(0, 3), 2, 0},
        {"empty", "", 5, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.damage);
        raceday::CheckDay day;
        raceday::LoadCheckDay(row.file, date, day, raceFile);
        EXPECT_EQ(day.lost, row.lost);
        if (!row.file.empty()) {
            EXPECT_EQ(raceday::CheckRunnerCount(*day.table, 0), 3);
            EXPECT_EQ(keiba::Cp932ToUtf8(raceday::CheckTitles(*day.table, 0)[0]),
                      "2024年11月24日東京11R");
        }
        raceday::LoadCheckDay(row.file, date, day);
        EXPECT_EQ(day.lost, row.lostAlone);
    }
    // A file that shows nothing says so, where it cannot count what it lost.
    raceday::CheckDay empty;
    raceday::LoadCheckDay("", date, empty);
    EXPECT_EQ(raceday::CheckDayText(empty, "VZK/XQ20241124.vzkd"),
              "分析データ（XQ20241124.vzkd）に表示できる記録がありません。");
}

TEST(DataCheck, CellsDecodeBothRunsAndTheResult) {
    AnalysisMaker m("20241124", "05", 11, 3);
    m.Set(5, 1, "2").Name("ミスターアイウエオカキクケコ").Win("000000350").Place("   abc   ");
    m.This(17, 2, "07").This(21, 2, "03").This(23, 2, "01").This(25, 4, "0035");
    m.This(29, 1, "1").This(30, 2, "06").This(32, 1, "4").This(33, 1, "1").This(38, 1, "2");
    m.This(40, 5, "0.125").This(50, 1, "S").This(52, 1, "1").This(53, 3, "-12");
    m.WithPrevious().Prev(3, 2, "08").Prev(25, 4, "0000").Prev(29, 1, "x");
    jvdata::TAnalysisRecord rec;
    rec.Assign(m.Bytes());
    auto cell = [&](int c) { return keiba::Cp932ToUtf8(raceday::CheckCellText(rec, c)); };
    EXPECT_EQ(cell(0), "2");
    EXPECT_EQ(cell(1), " 3");
    EXPECT_EQ(cell(3), "16");
    EXPECT_EQ(cell(4), "高★");
    EXPECT_EQ(cell(5), " 3");
    EXPECT_EQ(cell(6), " 1");
    EXPECT_EQ(cell(7), "  3.5");
    EXPECT_EQ(cell(8), "R+");
    EXPECT_EQ(cell(9), "×");
    EXPECT_EQ(cell(10), "昇続増");
    EXPECT_EQ(cell(11), "↑");
    EXPECT_EQ(cell(16).substr(0, 9), "低巧者");
    EXPECT_EQ(cell(18), "0.125");
    EXPECT_EQ(cell(20), "S");
    EXPECT_EQ(cell(22), "危");
    EXPECT_EQ(cell(23), "-12");
    // The previous run: its racecourse, field size and race.
    EXPECT_EQ(cell(24), "京都");
    EXPECT_EQ(cell(25), "16");
    EXPECT_EQ(cell(26), "芝");
    EXPECT_EQ(cell(27), "1600");
    EXPECT_EQ(cell(31), "普通");
    EXPECT_EQ(cell(34), "     "); // odds 0000
    EXPECT_EQ(cell(35), "  ");    // an R code that is not a number
    EXPECT_EQ(cell(51), "  350");
    EXPECT_EQ(cell(52), "    0");
    EXPECT_EQ(cell(53), "ν");
    EXPECT_EQ(keiba::Sj(cell(2)).size(), 18u);
    rec.SetField(156, 1, "0");
    EXPECT_EQ(cell(53), "");
}
