// The per-race calculation record's clear, as a day load runs it first: every field but the
// placing counts back to zero, the combination odds included once they are read.

#include "jvdata/racecalc.h"

#include "jvdata/oddsreader.h"

#include <gtest/gtest.h>

#include <memory>

TEST(RaceCalcClear, EveryFieldButThePlaceCountsIsZero) {
    auto c = std::make_unique<jvdata::TRaceCalc>();
    c->OzTime1 = "1530";
    c->DeliverTime = "1535";
    c->Tracked[17] = 1;
    c->HorseValue[0] = 5.0;
    c->NeraiMatch[3][1] = 1;
    c->UserNeraiMatch[17][2] = 1;
    c->AxisFlag[0] = 1;
    c->PartnerFlag2[5] = 2;
    c->WinOdds[0] = 3.5;
    c->PlaceOddsMax[17] = 2.5;
    c->WinPop[0] = 1;
    c->UmarenOdds[152] = 10.5;
    c->SanrentanOdds[4895] = 1234.5;
    c->SanrentanPop[4895] = 4896;
    c->PayoutSeen = 1;
    c->PlaceCounts[7][17][3] = 9;
    c->Clear();
    // the combination odds as a reader of them gets them, with no odds record of the race
    auto o1 = std::make_unique<jvdata::TJvO1>();
    auto o2 = std::make_unique<jvdata::TJvO2>();
    auto o3 = std::make_unique<jvdata::TJvO3>();
    auto o4 = std::make_unique<jvdata::TJvO4>();
    auto o5 = std::make_unique<jvdata::TJvO5>();
    auto o6 = std::make_unique<jvdata::TJvO6>();
    jvdata::ConvertPendingCombinationOdds({*o1, *o2, *o3, *o4, *o5, *o6}, *c);
    EXPECT_EQ(c->OzTime1, "");
    EXPECT_EQ(c->DeliverTime, "");
    EXPECT_EQ(c->Tracked[17], 0);
    EXPECT_EQ(c->HorseValue[0], 0.0);
    EXPECT_EQ(c->NeraiMatch[3][1], 0);
    EXPECT_EQ(c->UserNeraiMatch[17][2], 0);
    EXPECT_EQ(c->AxisFlag[0], 0);
    EXPECT_EQ(c->PartnerFlag2[5], 0);
    EXPECT_EQ(c->WinOdds[0], 0.0);
    EXPECT_EQ(c->PlaceOddsMax[17], 0.0);
    EXPECT_EQ(c->WinPop[0], 0);
    EXPECT_EQ(c->UmarenOdds[152], 0.0);
    EXPECT_EQ(c->SanrentanOdds[4895], 0.0);
    EXPECT_EQ(c->SanrentanPop[4895], 0);
    EXPECT_EQ(c->PayoutSeen, 0);
    EXPECT_EQ(c->PlaceCounts[7][17][3], 9);
}
