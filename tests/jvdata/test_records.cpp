#include "jvdata/records.h"

#include "tests/jvdata/recordmaker.h"

#include <gtest/gtest.h>

using namespace jvdata;
using testsupport::MakeRecord;

TEST(Records, EveryKnownIdIsFramedAtItsOwnLength) {
    struct Case {
        std::string_view id;
        std::size_t length;
    } cases[] = {{"RA", 1272},  {"SE", 555},   {"HR", 719},  {"UM", 1609},
                 {"O1", 962},   {"O2", 2042},  {"O3", 2654}, {"O4", 4031},
                 {"O5", 12293}, {"O6", 83285}, {"RC", 501},  {"DM", 303}};
    for (const Case& c : cases) {
        std::string r = MakeRecord(c.id, "2026120605050811");
        ASSERT_EQ(r.size(), c.length) << c.id;
        EXPECT_TRUE(CheckFraming(r)) << c.id;
        EXPECT_TRUE(CheckFraming(r, c.id)) << c.id;
        EXPECT_EQ(CheckFraming(r.substr(0, r.size() - 1)).code, Framing::WrongLength) << c.id;
        EXPECT_EQ(CheckFraming(r + "\r\n").code, Framing::WrongLength) << c.id;
    }
}

TEST(Records, FramingNamesWhatIsWrong) {
    std::string ra = MakeRecord("RA", "2026120605050811");
    std::string noCrLf = ra;
    noCrLf[ra.size() - 2] = ' ';
    std::string inner = ra;
    inner[500] = '\r';
    struct Case {
        std::string record;
        std::string_view expected;
        Framing code;
    } cases[] = {
        {"", "", Framing::Empty},
        {MakeRecord("XX", "2026120605050811"), "", Framing::UnknownId},
        {ra, "SE", Framing::WrongId},
        {noCrLf, "RA", Framing::NoCrLf},
        {inner, "RA", Framing::NoCrLf},
    };
    for (const Case& c : cases) {
        FramingResult r = CheckFraming(c.record, c.expected);
        EXPECT_EQ(r.code, c.code) << c.record.substr(0, 2);
        EXPECT_FALSE(r.reason.empty());
    }
}

TEST(Records, FieldsAreReadByPositionAndNeverPastTheEnd) {
    TJvRA ra;
    ra.Assign(MakeRecord("RA", "2026120605050811"));
    ra.SetField(698, 4, "1600");
    ra.SetField(882, 2, "16");
    ra.SetField(874, 4, "1540");
    ra.SetField(714, 8, "00055000");
    EXPECT_EQ(ra.RecordId(), "RA");
    EXPECT_EQ(ra.Distance(), 1600);
    EXPECT_EQ(ra.RunnerCount(), 16);
    EXPECT_EQ(ra.PostTime(), "1540");
    EXPECT_EQ(ra.Prize(1), 55000);
    EXPECT_EQ(ra.RaceNumber(), 11);
    EXPECT_EQ(ra.VenueCode(), "05");
    EXPECT_EQ(ra.Bytes().substr(kRaLength - 2), "\r\n");
    EXPECT_EQ(ra.Field(1271, 10), "\r\n");
    EXPECT_EQ(ra.Field(1273, 2), "");
    EXPECT_EQ(ra.Field(0, 2), "");
    ra.SetField(1270, 10, "XYZ"); // cut at the end, never past it
    EXPECT_EQ(ra.Bytes().substr(1269), "XYZ");
    TJvRA blank;
    EXPECT_TRUE(blank.IsBlank());
    EXPECT_EQ(blank.RunnerCount(), 0);
    EXPECT_FALSE(blank.Key().IsWellFormed());
}

TEST(Records, RaceKeyPartsAndShorterKeys) {
    RaceKey k = RaceKey::Of(MakeRecord("SE", "2026120605050811"));
    EXPECT_EQ(k.Text(), "2026120605050811");
    EXPECT_EQ(k.Date8(), "20261206");
    EXPECT_EQ(k.Venue(), "05");
    EXPECT_EQ(k.Meeting(), "05");
    EXPECT_EQ(k.Day(), "08");
    EXPECT_EQ(k.Key12(), "202612060511");
    EXPECT_EQ(k.RaceNumber(), 11);
    EXPECT_TRUE(k.IsWellFormed());
    EXPECT_FALSE(RaceKey::FromText("2026023005050811")->IsWellFormed()) << "no 30 February";
    EXPECT_FALSE(RaceKey::FromText("202612060505081"));
    EXPECT_LT(*RaceKey::FromText("2026120605050802"), *RaceKey::FromText("2026120605050811"));
    EXPECT_FALSE(ParseYyyymmdd("2026120"));
    EXPECT_FALSE(ParseYyyymmdd("2026-1-06"));
    EXPECT_EQ(FormatYyyymmdd(*ParseYyyymmdd("20240229")), "20240229");
}

TEST(Records, PayoutEntriesFollowTheirGroups) {
    TJvHR hr;
    hr.Assign(MakeRecord("HR", "2026120605050811"));
    hr.SetField(103, 13, "0500000034001");             // win: horse 05, 340 yen, 1st favourite
    hr.SetField(604 + 19, 19, "0102030001234560012");  // trifecta entry 2
    hr.SetField(294 + 16 * 6, 16, "0718000002340045"); // wide entry 7
    EXPECT_EQ(hr.Entry(BetType::Win, 1).combination, "05");
    EXPECT_EQ(hr.Entry(BetType::Win, 1).payout, "000000340");
    EXPECT_EQ(hr.Entry(BetType::Win, 1).popularity, "01");
    EXPECT_EQ(hr.Entry(BetType::Trifecta, 2).combination, "010203");
    EXPECT_EQ(hr.Entry(BetType::Trifecta, 2).payout, "000123456");
    EXPECT_EQ(hr.Entry(BetType::Trifecta, 2).popularity, "0012");
    EXPECT_EQ(hr.Entry(BetType::Wide, 7).combination, "0718");
    EXPECT_EQ(hr.Entry(BetType::Wide, 7).popularity, "045");
    EXPECT_EQ(hr.Entry(BetType::Wide, 8).combination, "") << "no eighth wide entry";
    // The last trifecta entry ends where the record's text ends.
    const PayoutGroup& g = PayoutGroupOf(BetType::Trifecta);
    EXPECT_LE(g.firstPos + g.entries * g.entryWidth - 1, kHrLength - 2);
}

TEST(Records, OddsEntriesFillTheirRecordsExactly) {
    // Each layout plus the 11-byte vote total and CR LF makes the record's length.
    EXPECT_EQ(TJvO2::kEntries.firstPos - 1 + 153 * 13 + 11 + 2, kO2Length);
    EXPECT_EQ(TJvO3::kEntries.firstPos - 1 + 153 * 17 + 11 + 2, kO3Length);
    EXPECT_EQ(TJvO4::kEntries.firstPos - 1 + 306 * 13 + 11 + 2, kO4Length);
    EXPECT_EQ(TJvO5::kEntries.firstPos - 1 + 816 * 15 + 11 + 2, kO5Length);
    EXPECT_EQ(TJvO6::kEntries.firstPos - 1 + 4896 * 17 + 11 + 2, kO6Length);
    TJvO1 o1;
    o1.SetField(46 + 8 * 17, 4, "0123");
    o1.SetField(274 + 12 * 17, 4, "0045");
    EXPECT_EQ(o1.WinOdds(18), "0123");
    EXPECT_EQ(o1.PlaceOddsHigh(18), "0045");
}

TEST(Records, AnalysisRecordFieldsAndRunBlocks) {
    TAnalysisRecord a;
    a.SetField(1, 2, "35");
    a.SetField(3, 2, "18");
    a.SetField(6, 8, "20261206");
    a.SetField(185 + 14, 14, "20261115050811");
    a.SetField(227 + 16, 2, "07");
    a.SetField(302 + 28, 1, "2");
    EXPECT_EQ(a.RaceSlot(), 35);
    EXPECT_EQ(a.HorseNumber(), 18);
    EXPECT_EQ(a.Date8(), "20261206");
    EXPECT_EQ(a.PastRun(1), "20261115050811");
    EXPECT_EQ(a.ThisRun().RaceRLevel(), "07");
    EXPECT_EQ(a.PreviousRun().RCode(), "2");
    EXPECT_EQ(a.Bytes().size(), 378u);
}

TEST(Records, FilesReadAsWholeRecordsOnly) {
    std::string two = MakeRecord("SE", "2026120605050811") + MakeRecord("SE", "2026120605050812");
    EXPECT_EQ(RecordCount(two, kSeLength), 2u);
    EXPECT_EQ(RecordCount(two + "SE00", kSeLength), 2u) << "a partial record is not one";
    EXPECT_EQ(RaceKey::Of(RecordAt(two, kSeLength, 1)).RaceNumber(), 12);
    EXPECT_EQ(RecordAt(two, kSeLength, 2), "");
}
