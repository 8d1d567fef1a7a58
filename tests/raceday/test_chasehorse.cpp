// Tracked horses: the question, ChaseHorse.dat merged and rewritten whole, the race flag.

#include "raceday/chasehorse.h"

#include "tests/raceday/dayfixture.h"

using namespace testsupport;

class ChaseHorseTest : public OneRaceFixture {
protected:
    std::string Line(int h) {
        const jvdata::TJvSE& se = Day().gDayHorses[0][static_cast<std::size_t>(h)];
        return std::string(se.PedigreeId()) + std::string(se.HorseName());
    }
    std::string File() { return Slurp(dir / "ChaseHorse.dat"); }
};

TEST_F(ChaseHorseTest, RegisteringTwiceWritesOneSortedLine) {
    LoadRace(8, {});
    raceday::ChaseHorseList list;
    notifier.answers = {true, true, true};
    EXPECT_EQ(raceday::RegisterChaseHorse(Day(), 0, 4, list, context),
              raceday::ChaseResult::Registered);
    EXPECT_EQ(raceday::RegisterChaseHorse(Day(), 0, 4, list, context),
              raceday::ChaseResult::Registered);
    EXPECT_EQ(File(), Line(4) + "\r\n");
    EXPECT_EQ(Line(4).size(), 46u);
    EXPECT_EQ(raceday::RegisterChaseHorse(Day(), 0, 1, list, context),
              raceday::ChaseResult::Registered);
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
        raceday::ChaseHorseList earlierRun;
        notifier.answers = {true};
        raceday::RegisterChaseHorse(Day(), 0, 6, earlierRun, context);
    }
    const std::string before = File();
    raceday::ChaseHorseList thisRun;
    notifier.answers = {false};
    EXPECT_EQ(raceday::RegisterChaseHorse(Day(), 0, 2, thisRun, context),
              raceday::ChaseResult::Declined);
    EXPECT_EQ(File(), before);
    EXPECT_EQ(Day().gRaceCalc[0].Tracked[2], 0);

    notifier.answers = {true};
    EXPECT_EQ(raceday::RegisterChaseHorse(Day(), 0, 2, thisRun, context),
              raceday::ChaseResult::Registered);
    EXPECT_EQ(File(), Line(2) + "\r\n" + Line(6) + "\r\n");

    std::size_t asked = notifier.questions.size();
    EXPECT_EQ(raceday::RegisterChaseHorse(Day(), 0, 18, thisRun, context),
              raceday::ChaseResult::OutOfRange);
    EXPECT_EQ(raceday::RegisterChaseHorse(Day(), 36, 0, thisRun, context),
              raceday::ChaseResult::OutOfRange);
    EXPECT_EQ(raceday::RegisterChaseHorse(Day(), 0, 12, thisRun, context),
              raceday::ChaseResult::NoRunner);
    EXPECT_EQ(notifier.questions.size(), asked);
}

TEST_F(ChaseHorseTest, AFailedWriteIsReportedNotConfirmed) {
    LoadRace(3, {});
    std::filesystem::create_directory(dir / "ChaseHorse.dat"); // nothing can replace it
    raceday::ChaseHorseList list;
    notifier.answers = {true};
    EXPECT_EQ(raceday::RegisterChaseHorse(Day(), 0, 0, list, context),
              raceday::ChaseResult::WriteFailed);
    EXPECT_EQ(Day().gRaceCalc[0].Tracked[0], 1);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_EQ(notifier.messages[0].find("を追跡馬に登録しました。"), std::string::npos);
}

// The file keeps its lines whatever line ends an editor saved it with, each its own.
TEST(ChaseHorseList, EarlierHorsesSavedWithOtherLineEndsAreKept) {
    const std::string a = "2019101234" + std::string(36, 'a');
    const std::string b = "2020105678" + std::string(36, 'b');
    const std::string c = "2021109999" + std::string(36, 'c');
    raceday::ChaseHorseList list;
    list.Add(b);
    EXPECT_EQ(list.MergedInto(c + "\n" + a + "\n"), a + "\n" + b + "\r\n" + c + "\n");
    EXPECT_EQ(list.MergedInto(c + "\r" + a + "\r"), a + "\r" + b + "\r" + c + "\r");
}
