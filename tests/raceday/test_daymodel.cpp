// The race-day model's clear, what a day load empties first in every race of the day, and the
// field size read from a race record.

#include "raceday/daymodel.h"

#include <gtest/gtest.h>

#include <memory>

// Every race of the day, not only the first: the last slot is the one a loop bound would miss.
// (What the clear does to each race's calculation record is checked in test_racecalc.)
TEST(RaceDayClear, EmptiesEveryRacesCalculationsTextsAndDeliveryFlag) {
    auto day = std::make_unique<raceday::RaceDay>();
    for (std::size_t r : {std::size_t{0}, std::size_t{35}}) {
        day->gDeliverDoneFlags[r] = 1;
        day->gRaceCalc[r].PayoutSeen = 1;
        day->gRaceCalc[r].SanrentanOdds[4895] = 1234.5;
        day->gRaceTexts[r].RaceRLevelText = "x";
        day->gRaceTexts[r].Past5Total[17] = "123";
    }
    raceday::ClearRaceDay(*day);
    for (int r : {0, 35}) {
        const auto s = static_cast<std::size_t>(r);
        EXPECT_EQ(day->gDeliverDoneFlags[s], 0) << r;
        EXPECT_EQ(day->gRaceCalc[s].PayoutSeen, 0) << r;
        EXPECT_EQ(raceday::CombinationOdds(*day, r).SanrentanOdds[4895], 0.0) << r;
        EXPECT_EQ(day->gRaceTexts[s].RaceRLevelText, "") << r;
        EXPECT_EQ(day->gRaceTexts[s].Past5Total[17], "") << r;
    }
}

TEST(RaceDayFieldSize, RunnersOfTheRaceRecordHeldTo18) {
    auto day = std::make_unique<raceday::RaceDay>();
    const std::pair<const char*, int> cases[] = {{"16", 16}, {"25", 18}, {"  ", 0}};
    for (const auto& [field, want] : cases) {
        day->gDayRaces[35].SetField(882, 2, field);
        EXPECT_EQ(raceday::FieldSize(*day, 35), want) << field;
    }
    EXPECT_EQ(raceday::FieldSize(*day, 36), 0);
    EXPECT_EQ(raceday::FieldSize(*day, -1), 0);
}
