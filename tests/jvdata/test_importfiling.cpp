// The import's filing table: what is kept, where it goes, and the last time of an import.

#include "jvdata/importfiling.h"
#include "keiba/sjis.h"
#include "tests/jvdata/recordmaker.h"
#include "tests/support/fakejvlink.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace jvdata;
using namespace testsupport;
using namespace testsupport::filing;
namespace fs = std::filesystem;

namespace {

const ImportFilter kFilter{20261215, "2011", false};

} // namespace

TEST(ImportFiling, TheFilingTableKeepsWhatTheDayAndHorseFilesNeed) {
    struct Case {
        const char* what;
        std::string record;
        ImportFilter filter;
        std::vector<std::string> files; // what the record leaves behind
    };
    ImportFilter odds = kFilter;
    odds.finalOdds = true;
    std::string shortRa = Ra("20261205", 1).substr(0, 1000) + "\r\n";
    const std::vector<Case> cases = {
        {"race in the window", Ra("20261205", 1), kFilter, {"Data/2026年12月05日.jvRA"}},
        {"race before the window", Ra("20261204", 1), kFilter, {}},
        {"race of 0 runners", Ra("20261205", 1, "00"), kFilter, {}},
        {"race of 19 runners", Ra("20261205", 1, "19"), kFilter, {}},
        {"race of kind A", Ra("20261205", 1, "12", 'A'), kFilter, {}},
        {"race of the wrong length", shortRa, kFilter, {}},
        {"final result before the window",
         Se("20261101", 3, 4, "2020100001", '7'),
         kFilter,
         {"SEI/2020/2020100001.jvSEI"}},
        {"entry in the window",
         Se("20261205", 3, 4, "2020100001", '2'),
         kFilter,
         {"Data/2026年12月05日東京.jvSEr"}},
        {"runner of kind A", Se("20261205", 3, 4, "2020100001", 'A'), kFilter, {}},
        {"horse at the year floor", Se("20261101", 3, 4, "2011100001", '7'), kFilter, {}},
        {"horse above the year floor",
         Se("20261101", 3, 4, "2012100001", '7'),
         kFilter,
         {"SEI/2012/2012100001.jvSEI"}},
        {"master at the year floor", Um("2011100001"), kFilter, {}},
        {"master above the year floor", Um("2012100001"), kFilter, {"UM2/2012/2012100001.jvUM2"}},
        {"odds without the box",
         MakeRecord("O1", RaceKey16("20200101", "05", 1), '4'),
         kFilter,
         {}},
        {"odds with the box, any date",
         MakeRecord("O1", RaceKey16("20200101", "05", 1), '4'),
         odds,
         {"Data/2020年01月01日.jvO1"}},
        {"odds of kind 9", MakeRecord("O1", RaceKey16("20200101", "05", 1), '9'), odds, {}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        FilingBatch batch(dir.path());
        ImportFiling f = FileImportRecord(batch, c.record, c.filter);
        ASSERT_TRUE(batch.Flush()) << c.what;
        EXPECT_EQ(f.filed, !c.files.empty()) << c.what;
        std::vector<std::string> names;
        for (const auto& [name, bytes] : Tree(dir.path())) names.push_back(name);
        EXPECT_EQ(names, c.files) << c.what;
    }
}

TEST(ImportFiling, LabelsNameTheRecordFiled) {
    TempDir dir;
    FilingBatch batch(dir.path());
    std::string se = Se("20261205", 11, 3, "2020100001", '7');
    SetField(se, 41, 36, keiba::Sj("ハヤテ"));
    EXPECT_EQ(FileImportRecord(batch, Ra("20261205", 11), kFilter).label,
              "開催:2026年12月05日東京11R");
    // Both files take it; the horse file is the last written.
    EXPECT_EQ(keiba::TrimBlanks(FileImportRecord(batch, se, kFilter).label),
              "過去走:2026/12/05東京11R/③ハヤテ");
}

TEST(ImportFiling, LastTimeComesFromTheNewestFileTimestamp) {
    EXPECT_EQ(LastTimeText("20261206123456"), "2026/12/06 12:34:56");
    EXPECT_EQ(LastTimeText("00000000000000"), std::nullopt);
    EXPECT_EQ(LastTimeText("              "), std::nullopt);
    EXPECT_EQ(LastTimeText("2026120612345x"), std::nullopt);
    EXPECT_EQ(HorseYearFloor(2026), "2011");
}

// Every runner of a recent horse gets its SEI folder, also one that is not filed there.
TEST(ImportFiling, AnEntryOfARecentHorseGetsItsHorseFolder) {
    TempDir dir;
    FilingBatch batch(dir.path());
    FileImportRecord(batch, Se("20261205", 3, 4, "2020100001", '2'), kFilter);
    FileImportRecord(batch, Se("20261205", 3, 5, "2011100001", '2'), kFilter); // at the floor
    ASSERT_TRUE(batch.Flush());
    EXPECT_TRUE(fs::is_directory(dir / "SEI/2020"));
    EXPECT_FALSE(fs::exists(dir / "SEI/2020/2020100001.jvSEI"));
    EXPECT_FALSE(fs::exists(dir / "SEI/2011"));
}
