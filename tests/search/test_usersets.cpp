#include "search/usersets.h"

#include "tests/raceday/dayfixture.h"
#include "tests/search/neraifixture.h"
#include "tests/support/unreadable.h"

using namespace search;
using namespace testsupport;

namespace fs = std::filesystem;

// The R code of this run in an analysis record (1-based).
constexpr std::size_t kRCodePos =
    jvdata::TAnalysisRecord::kThisRunPos + jvdata::TAnalysisRun::kRCode.pos - 1;

class UserSetListTest : public ::testing::Test {
protected:
    TempDir dir;
    fs::path path = dir / "UserSet.usd";
};

TEST_F(UserSetListTest, AFailedWriteKeepsTheListAsItWas) {
    UserSetList list;
    ASSERT_TRUE(list.Put(-1, {"A", "X", "Y", "Z"}, path));
    keiba::SetBeforeRenameHookForTest([](const fs::path&) { return false; });
    EXPECT_FALSE(list.Put(-1, {"B", "X", "Y", "Z"}, path));
    EXPECT_FALSE(list.Remove(0, path));
    keiba::SetBeforeRenameHookForTest(nullptr);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.At(0).name, "A");
}

// A file that could not be read is not written over while it still cannot be; once it can, a
// change goes into it as it stands.
TEST_F(UserSetListTest, AFileThatCouldNotBeReadTakesNoChange) {
    WriteBytes(path, "\"A\",\"X\",\"Y\",\"Z\"\r\n");
    UserSetList list;
    {
        const UnreadableFile unreadable(path);
        list.Load(path);
        const keiba::IoResult io = list.Put(-1, {"B", "X", "Y", "Z"}, path);
        EXPECT_NE(io.message.find("UserSet.usd を読み込めません"), std::string::npos) << io.message;
    }
    EXPECT_EQ(Slurp(path), "\"A\",\"X\",\"Y\",\"Z\"\r\n");
    ASSERT_TRUE(list.Put(-1, {"B", "X", "Y", "Z"}, path));
    EXPECT_EQ(Slurp(path), "\"A\",\"X\",\"Y\",\"Z\"\r\n\"B\",\"X\",\"Y\",\"Z\"\r\n");
}

// Two races of three runners; the R code of this run (block A) is R+ for runner 1 of race 0 and
// runner 3 of race 1.
class UserNeraiTest : public DayFixture {
protected:
    void SetUp() override {
        DayFixture::SetUp();
        for (std::size_t r = 0; r < 2; ++r) {
            RunnerData data;
            Day().gDayRaces[r] = data.race;
            Day().gDayRaces[r].SetField(882, 2, "03");
        }
        Day().gDayRaceCount = 2;
        Day().gDayHorseAnalysis[0][0].SetField(kRCodePos, 1, "1");
        Day().gDayHorseAnalysis[1][2].SetField(kRCodePos, 1, "1");
        TNeraiRecord rPlus = OpenSet();
        Put(rPlus, 0, kRUmaFlags, "100");
        fs::create_directories(dir / "nerai");
        ASSERT_TRUE(WriteNeraiFile(dir.path(), "open", OpenSet()));
        ASSERT_TRUE(WriteNeraiFile(dir.path(), "rplus", rPlus));
    }
    // The flags of set u as "race:runner" of the matching runners.
    std::vector<std::string> Flagged(int u) {
        std::vector<std::string> out;
        for (std::size_t r = 0; r < raceday::kMaxRaces; ++r)
            for (std::size_t h = 0; h < raceday::kMaxRunners; ++h)
                if (Day().gRaceCalc[r].UserNeraiMatch[h][static_cast<std::size_t>(u - 1)])
                    out.push_back(std::to_string(r) + ":" + std::to_string(h + 1));
        return out;
    }
};

TEST_F(UserNeraiTest, EachSetFlagsExactlyItsRunners) {
    UserNeraiSets sets(Day(), context);
    ASSERT_EQ(sets.Load(1, "rplus"), NeraiSlotResult::Loaded);
    ASSERT_EQ(sets.Load(2, "open"), NeraiSlotResult::Loaded);
    // A stale flag of an earlier day is cleared by the search.
    Day().gRaceCalc[5].UserNeraiMatch[0] = {1, 1, 1};
    sets.Search({true, true, true}, 2);
    EXPECT_EQ(Flagged(1), (std::vector<std::string>{"0:1", "1:3"}));
    EXPECT_EQ(Flagged(2).size(), 6u); // independent of the axis set
    EXPECT_TRUE(Flagged(3).empty());  // never loaded: a blank set matches nothing

    // An inactive set and races past the race list stay unflagged.
    sets.Search({true, false, false}, 1);
    EXPECT_EQ(Flagged(1), std::vector<std::string>{"0:1"});
    EXPECT_TRUE(Flagged(2).empty());
}

TEST_F(UserSetListTest, SettingsSavedWithLoneCrLineEndsAreEachALine) {
    WriteBytes(path, "\"A\",\"X\",\"Y\",\"Z\"\r\"B\",\"P\",\"Q\",\"R\"\r");
    UserSetList list;
    list.Load(path);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.At(1).name, "B");
    EXPECT_EQ(list.At(0).partner2, "Z");
}

// The last set over the last runner of a full field.
TEST_F(UserNeraiTest, TheThirdSetReachesTheEighteenthRunner) {
    Day().gDayRaces[0].SetField(882, 2, "18");
    Day().gDayHorseAnalysis[0][0].SetField(kRCodePos, 1, " ");
    Day().gDayHorseAnalysis[0][17].SetField(kRCodePos, 1, "1");
    UserNeraiSets sets(Day(), context);
    ASSERT_EQ(sets.Load(3, "rplus"), NeraiSlotResult::Loaded);
    sets.Search({false, false, true}, 1);
    EXPECT_EQ(Flagged(3), std::vector<std::string>{"0:18"});
}
