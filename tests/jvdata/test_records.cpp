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
    EXPECT_EQ(ra.Distance(), 1600);
    EXPECT_EQ(ra.RunnerCount(), 16);
    EXPECT_EQ(ra.PostTime(), "1540");
    EXPECT_EQ(ra.Prize(1), 55000);
    EXPECT_EQ(ra.RaceNumber(), 11);
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
    EXPECT_EQ(k.Date8(), "20261206");
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

TEST(Records, FilesReadAsWholeRecordsOnly) {
    std::string two = MakeRecord("SE", "2026120605050811") + MakeRecord("SE", "2026120605050812");
    EXPECT_EQ(RecordCount(two, kSeLength), 2u);
    EXPECT_EQ(RecordCount(two + "SE00", kSeLength), 2u) << "a partial record is not one";
    EXPECT_EQ(RaceKey::Of(RecordAt(two, kSeLength, 1)).RaceNumber(), 12);
    EXPECT_EQ(RecordAt(two, kSeLength, 2), "");
}
