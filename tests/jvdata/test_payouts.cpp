#include "jvdata/payouts.h"

#include "tests/jvdata/recordmaker.h"

#include <gtest/gtest.h>

#include <cstring>
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
    auto t = std::make_unique<PayoutTables>();
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

// Where every entry of every bet type stands in the 719-byte record, written out from the
// record layout: the first and the last entry of each group (the last ones carry dead heats).
TEST(Payouts, EveryGroupIsReadFromItsOwnBytes) {
    struct Entry {
        BetType type;
        int j;
        std::size_t comb, yen, pop;
        const char* combination; // the bytes written at `comb`
        std::size_t popWidth;
    };
    const Entry entries[] = {
        {BetType::Win, 1, 103, 105, 114, "07", 2},
        {BetType::Win, 3, 129, 131, 140, "11", 2},
        {BetType::Place, 1, 142, 144, 153, "07", 2},
        {BetType::Place, 5, 194, 196, 205, "16", 2},
        {BetType::BracketQuinella, 1, 207, 209, 218, "36", 2},
        {BetType::BracketQuinella, 3, 233, 235, 244, "78", 2},
        {BetType::Quinella, 1, 246, 250, 259, "0112", 3},
        {BetType::Quinella, 3, 278, 282, 291, "0918", 3},
        {BetType::Wide, 1, 294, 298, 307, "0203", 3},
        {BetType::Wide, 7, 390, 394, 403, "1517", 3},
        {BetType::Exacta, 1, 454, 458, 467, "1204", 3},
        {BetType::Exacta, 6, 534, 538, 547, "1706", 3},
        {BetType::Trio, 1, 550, 556, 565, "010203", 3},
        {BetType::Trio, 3, 586, 592, 601, "041618", 3},
        {BetType::Trifecta, 1, 604, 610, 619, "120305", 4},
        {BetType::Trifecta, 6, 699, 705, 714, "181716", 4},
    };
    std::string hr = testsupport::MakeRecord("HR", testsupport::RaceKey16("20261206", "05", 11));
    int n = 0;
    for (const Entry& e : entries) {
        ++n; // yen and popularity tell the entries apart
        SetField(hr, e.comb, std::strlen(e.combination), e.combination);
        SetField(hr, e.yen, 9, "00000" + std::to_string(1000 + n));
        std::string pop = std::to_string(n);
        SetField(hr, e.pop, e.popWidth, std::string(e.popWidth - pop.size(), '0') + pop);
    }
    ASSERT_EQ(hr.size(), 719u);
    ASSERT_EQ(hr.substr(717), "\r\n"); // the last popularity ends right before CR LF

    TJvHR rec;
    rec.Assign(hr);
    n = 0;
    for (const Entry& e : entries) {
        ++n;
        PayoutEntry got = rec.Entry(e.type, e.j);
        SCOPED_TRACE(std::string(e.combination) + " entry " + std::to_string(e.j));
        EXPECT_EQ(got.combination, e.combination);
        EXPECT_EQ(got.payout, "00000" + std::to_string(1000 + n));
        EXPECT_EQ(got.popularity.size(), e.popWidth);
    }

    auto t = std::make_unique<PayoutTables>();
    ParseRacePayouts(rec, 0, *t);
    EXPECT_EQ(t->gPayKeyWin[0][1], 7);
    EXPECT_EQ(t->gPayKeyWin[0][3], 11);
    EXPECT_EQ(t->gPayYenWin[0][3], 1002);
    EXPECT_EQ(t->gPayPopWin[0][3], 2);
    EXPECT_EQ(t->gPayKeyPlace[0][5], 16);
    EXPECT_EQ(t->gPayYenPlace[0][5], 1004);
    EXPECT_EQ(t->gPayPopPlace[0][5], 4);
    EXPECT_EQ(t->gPayKeyWakuren[0][1], " 3- 6");
    EXPECT_EQ(t->gPayKeyWakuren[0][3], " 7- 8");
    EXPECT_EQ(t->gPayPopWakuren[0][3], 6);
    EXPECT_EQ(t->gPayKeyUmaren[0][1], " 1-12");
    EXPECT_EQ(t->gPayKeyUmaren[0][3], " 9-18");
    EXPECT_EQ(t->gPayYenUmaren[0][3], 1008);
    EXPECT_EQ(t->gPayKeyWide[0][1], " 2- 3");
    EXPECT_EQ(t->gPayYenWide[0][1], 1009);
    EXPECT_EQ(t->gPayPopWide[0][1], 9);
    EXPECT_EQ(t->gPayKeyWide[0][7], "15-17");
    EXPECT_EQ(t->gPayYenWide[0][7], 1010);
    EXPECT_EQ(t->gPayPopWide[0][7], 10);
    EXPECT_EQ(t->gPayKeyUmatan[0][1], "12- 4");
    EXPECT_EQ(t->gPayYenUmatan[0][1], 1011);
    EXPECT_EQ(t->gPayKeyUmatan[0][6], "17- 6");
    EXPECT_EQ(t->gPayYenUmatan[0][6], 1012);
    EXPECT_EQ(t->gPayPopUmatan[0][6], 12);
    EXPECT_EQ(t->gPayKeySanrenpuku[0][1], " 1- 2- 3");
    EXPECT_EQ(t->gPayYenSanrenpuku[0][1], 1013);
    EXPECT_EQ(t->gPayKeySanrenpuku[0][3], " 4-16-18");
    EXPECT_EQ(t->gPayYenSanrenpuku[0][3], 1014);
    EXPECT_EQ(t->gPayPopSanrenpuku[0][3], 14);
    EXPECT_EQ(t->gPayKeySanrentan[0][1], "12- 3- 5");
    EXPECT_EQ(t->gPayKeySanrentan[0][6], "18-17-16");
    EXPECT_EQ(t->gPayYenSanrentan[0][6], 1016);
    EXPECT_EQ(t->gPayPopSanrentan[0][6], 16);
    // Entries between the first and the last were left blank.
    EXPECT_EQ(t->gPayKeyWide[0][4], "");
    EXPECT_EQ(t->gPayYenWide[0][4], 0);
}
