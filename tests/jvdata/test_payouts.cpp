#include "jvdata/payouts.h"

#include "tests/jvdata/recordmaker.h"

#include <gtest/gtest.h>

#include <memory>

using namespace jvdata;

TEST(Payouts, CombinationKeys) {
    EXPECT_EQ(PayoutKey("36", 1), " 3- 6");
    EXPECT_EQ(PayoutKey("0112", 2), " 1-12");
    EXPECT_EQ(PayoutKey("120305", 2), "12- 3- 5");
    EXPECT_EQ(PayoutKey("0100", 2), "");
    EXPECT_EQ(PayoutKey("    ", 2), "");
    EXPECT_EQ(PayoutKey("", 2), "");
}

TEST(Payouts, TablesFromARecord) {
    std::string hr = testsupport::MakeRecord("HR", testsupport::RaceKey16("20261206", "05", 11));
    SetField(hr, 103, 13,
             "07000000350"
             "01");
    SetField(hr, 142, 13,
             "07000000120"
             "01");
    SetField(hr, 142 + 13, 13,
             "03000000230"
             "04");
    SetField(hr, 207, 13,
             "36000001230"
             "02");
    SetField(hr, 246, 16,
             "0007000000980"
             "003");
    SetField(hr, 604, 19,
             "120305005000000"
             "0123");
    SetField(hr, 604 + 19, 19,
             "120005000100000"
             "0321"); // a number 00: no key, values kept
    TJvHR rec;
    rec.Assign(hr);
    auto t = std::make_unique<TPayoutTables>();
    t->gPayKeyUmaren[4][2] = "stale";
    ParseRacePayouts(rec, 4, *t);
    EXPECT_EQ(t->gPayKeyWin[4][1], 7);
    EXPECT_EQ(t->gPayYenWin[4][1], 350);
    EXPECT_EQ(t->gPayKeyPlace[4][2], 3);
    EXPECT_EQ(t->gPayPopPlace[4][2], 4);
    EXPECT_EQ(t->gPayKeyWakuren[4][1], " 3- 6");
    EXPECT_EQ(t->gPayKeyUmaren[4][1], "");  // horse 00 and 07
    EXPECT_EQ(t->gPayYenUmaren[4][1], 980); // but its payout is kept
    EXPECT_EQ(t->gPayKeyUmaren[4][2], "");  // blank entry clears an earlier key
    EXPECT_EQ(t->gPayYenUmaren[4][2], 0);
    EXPECT_EQ(t->gPayKeySanrentan[4][1], "12- 3- 5");
    EXPECT_EQ(t->gPayYenSanrentan[4][1], 5000000); // millions fit
    EXPECT_EQ(t->gPayPopSanrentan[4][1], 123);
    EXPECT_EQ(t->gPayKeySanrentan[4][2], "");
    EXPECT_EQ(t->gPayYenSanrentan[4][2], 100000);
    EXPECT_EQ(t->gPayPopSanrentan[4][2], 321);
}
