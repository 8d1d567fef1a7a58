// The timers' decisions under a set clock.

#include "jvdata/fetchschedule.h"
#include "tests/jvdata/recordmaker.h"

#include <gtest/gtest.h>

using namespace jvdata;
using keiba::MakeLocalTime;

namespace {

constexpr const char* kToday = "2026年12月06日";

struct Day {
    DayRaces races;
    DayRunners runners;
    DayOddsO1 odds;
    DayCalcs calcs;

    Day() {
        races[0].Assign(testsupport::MakeRecord("RA", "2026120605051101", '2'));
        races[0].SetField(874, 4, "1525");
        calcs[0].OzTime1 = "1515";
        calcs[0].OzTime2 = "1516";
    }
    void Announce(std::string_view mmdd, std::string_view hhmm) {
        odds[0].Assign(testsupport::MakeRecord("O1", "2026120605051101", '1'));
        odds[0].SetField(28, 4, mmdd);
        odds[0].SetField(32, 4, hhmm);
    }
    std::size_t Due(int hh, int mm, const char* day = kToday, int d = 6) const {
        return DueOddsRaces(MakeLocalTime(2026, 12, d, hh, mm, 20), day, races, odds, calcs).size();
    }
};

} // namespace

TEST(FetchTimers, ARaceIsDueAtItsTwoFetchMinutesUntilItsOddsAreFresh) {
    Day day;
    EXPECT_EQ(day.Due(15, 14), 0u);
    EXPECT_EQ(day.Due(15, 15), 1u);
    EXPECT_EQ(day.Due(15, 16), 1u);
    EXPECT_EQ(day.Due(15, 17), 0u);
    EXPECT_EQ(
        DueOddsRaces(MakeLocalTime(2026, 12, 6, 15, 15), kToday, day.races, day.odds, day.calcs),
        std::vector<std::string>{"2026120605051101 0"});

    day.Announce("1206", "1514"); // 15:14 + 5 is not before 15:15
    EXPECT_EQ(day.Due(15, 15), 0u);
    day.Announce("1206", "1509");
    EXPECT_EQ(day.Due(15, 15), 1u);
    day.Announce("1205", "1514"); // the day before: not fresh, whatever the time
    EXPECT_EQ(day.Due(15, 15), 1u);
}

TEST(FetchTimers, TheOddsTimerWorksOnlyInItsHoursAndForAnArmedDay) {
    Day day;
    day.calcs[0].OzTime1 = day.calcs[0].OzTime2 = "0859";
    EXPECT_EQ(day.Due(8, 59), 0u);
    day.calcs[0].OzTime1 = day.calcs[0].OzTime2 = "1800";
    EXPECT_EQ(day.Due(18, 0), 1u);
    day.calcs[0].OzTime1 = day.calcs[0].OzTime2 = "1801";
    EXPECT_EQ(day.Due(18, 1), 0u);
    day.calcs[0].OzTime1 = day.calcs[0].OzTime2 = "1515";
    EXPECT_EQ(day.Due(15, 15, ""), 0u);
    EXPECT_EQ(day.Due(15, 15, "2026年12月07日"), 0u); // tomorrow, before 18:00
    EXPECT_EQ(day.Due(15, 15, "2026年12月05日"), 0u); // an earlier day
    // A blank slot has no fetch times and is never due.
    day.calcs[0].OzTime1 = day.calcs[0].OzTime2 = "";
    EXPECT_EQ(day.Due(15, 15), 0u);
}

TEST(FetchTimers, TheResultsTimerStartsHalfAnHourAndOneIntervalBeforeTheFirstPost) {
    TJvRA first;
    first.SetField(874, 4, "1005");
    auto at = [&](int hh, int mm) {
        return ResultsTimerDue(MakeLocalTime(2026, 12, 6, hh, mm), first, 10);
    };
    EXPECT_FALSE(at(9, 25));
    EXPECT_TRUE(at(9, 26));
    EXPECT_TRUE(at(18, 0));
    EXPECT_FALSE(at(18, 1));
    first.SetField(874, 4, "0700");
    EXPECT_FALSE(at(7, 59));
    EXPECT_TRUE(at(8, 0));
}

TEST(FetchTimers, ArmingTheOddsTimerChecksTheDayInOrder) {
    Day day;
    auto check = [&](int hh, const char* text) {
        return CheckAutoOdds(MakeLocalTime(2026, 12, 6, hh, 0), text, day.races, day.runners)
            .message;
    };
    EXPECT_EQ(check(12, " "), "ﾃﾞｰﾀを読み込んでください。");
    EXPECT_EQ(check(17, "2026年12月07日"), "翌日のﾃﾞｰﾀは１８時過ぎに読み込んでください。");
    EXPECT_EQ(check(18, "2026年12月07日"), "");
    EXPECT_EQ(check(12, "2026年12月05日"), "本日のﾃﾞｰﾀを読み込んでください。");
    EXPECT_EQ(check(12, kToday), "");
    // An early card anywhere: the last runner's, an earlier runner's before a final last one,
    // the race's own before final runners.
    const std::string early = "出走表データが最新でありません。JVデータ取得ボタンより"
                              "データを取得してからオッズを取得してください。";
    day.runners[3][17].Assign(testsupport::MakeRecord("SE", "2026120605051104", '1'));
    EXPECT_EQ(check(12, kToday), early);
    day.runners[3][17].Assign(testsupport::MakeRecord("SE", "2026120605051104", '2'));
    day.runners[3][4].Assign(testsupport::MakeRecord("SE", "2026120605051104", '1'));
    EXPECT_EQ(check(12, kToday), early);
    day.runners[3][4].Assign(testsupport::MakeRecord("SE", "2026120605051104", '2'));
    day.races[3].Assign(testsupport::MakeRecord("RA", "2026120605051104", '1'));
    for (auto& se : day.runners[3])
        se.Assign(testsupport::MakeRecord("SE", "2026120605051104", '2'));
    EXPECT_EQ(check(12, kToday), early);
    EXPECT_TRUE(FetchDayArmed(MakeLocalTime(2026, 12, 6, 18, 0), "2026年12月07日"));
    EXPECT_FALSE(FetchDayArmed(MakeLocalTime(2026, 12, 6, 17, 59), "2026年12月07日"));
}

TEST(FetchTimers, DisplaysAndTheNextRace) {
    Day day;
    day.races[0].SetField(874, 4, "1300");
    EXPECT_EQ(RestTimeText(MakeLocalTime(2026, 12, 6, 11, 57, 57), &day.races[0]),
              "発走までの残り時間：01:02:03");
    EXPECT_EQ(RestTimeText(MakeLocalTime(2026, 12, 6, 13, 0, 0), &day.races[0]), "発走済み");
    EXPECT_EQ(RestTimeText(MakeLocalTime(2026, 12, 6, 13, 0, 0), nullptr), "");
    EXPECT_EQ(ClockText(MakeLocalTime(2026, 12, 6, 9, 5, 30)), "09時05分30秒");

    day.races[0].SetField(874, 4, "1150");
    day.races[1].Assign(testsupport::MakeRecord("RA", "2026120605051102"));
    day.races[1].SetField(874, 4, "1205");
    day.races[2].Assign(testsupport::MakeRecord("RA", "2026120609051101"));
    day.races[2].SetField(874, 4, "1205");
    EXPECT_EQ(NextRaceIndex(MakeLocalTime(2026, 12, 6, 12, 0), day.races, 3), 1);
    EXPECT_EQ(NextRaceIndex(MakeLocalTime(2026, 12, 7, 12, 0), day.races, 3), -1);
    EXPECT_EQ(NextRaceIndex(MakeLocalTime(2026, 12, 6, 12, 5), day.races, 3), -1);
}

// Races of three venues posting at different times, listed out of time order: the next race is
// the one with the earliest post time still ahead, wherever it stands in the list.
TEST(FetchTimers, TheNextRaceIsTheEarliestPostStillAhead) {
    DayRaces races;
    const std::pair<const char*, const char*> list[] = {
        {"2026120605051101", "1010"}, {"2026120605051102", "1045"}, {"2026120609051101", "1005"},
        {"2026120609051102", "1120"}, {"2026120610051101", "1100"}, {"2026120605051112", "1530"},
    };
    for (std::size_t i = 0; i < std::size(list); ++i) {
        races[i].Assign(testsupport::MakeRecord("RA", list[i].first));
        races[i].SetField(874, 4, list[i].second);
    }
    const struct {
        int hh, mm, count, next;
    } cases[] = {
        {0, 0, 6, 2},
        {9, 0, 6, 2},
        {10, 4, 6, 2},
        {10, 5, 6, 0},
        {10, 9, 6, 0},
        {10, 10, 6, 1},
        {10, 44, 6, 1},
        {10, 45, 6, 4},
        {11, 0, 6, 3},
        {11, 19, 6, 3},
        {11, 20, 6, 5},
        {15, 29, 6, 5},
        {15, 30, 6, -1},
        {23, 59, 6, -1},
        // Only the races of the list are candidates.
        {11, 20, 5, -1},
        {9, 0, 2, 0},
        {9, 0, 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NextRaceIndex(MakeLocalTime(2026, 12, 6, c.hh, c.mm, 30), races, c.count), c.next)
            << c.hh << ":" << c.mm << " of " << c.count;
}
