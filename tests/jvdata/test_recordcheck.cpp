#include "jvdata/recordcheck.h"

#include "keiba/sjis.h"

#include "tests/jvdata/recordmaker.h"

#include <gtest/gtest.h>

using namespace jvdata;
using testsupport::MakeRecord;
using testsupport::RaceKey16;

namespace {

std::string With(std::string record, std::size_t pos, char c) {
    record[pos - 1] = c;
    return record;
}

} // namespace

// A record is sound with digits, blanks and (in odds) the markers "-" and "*" in its numbers,
// from the first byte of its first entry to the last byte of its last, as the record layouts
// place them; any other byte there, a line break anywhere or a race key that is not one makes it
// unsound. Text fields hold any bytes.
TEST(RecordCheck, NumbersMustReadAsNumbersFromTheFirstEntryToTheLast) {
    const struct {
        const char* id;
        std::size_t first, last; // 1-based
    } kinds[] = {{"O1", 44, 603},   {"O2", 41, 2029},  {"O3", 41, 2641}, {"O4", 41, 4018},
                 {"O5", 41, 12280}, {"O6", 41, 83272}, {"HR", 103, 717}, {"SE", 28, 30}};
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.id);
        std::string r = MakeRecord(k.id, RaceKey16("20261206", "05", 11));
        SetField(r, k.first, 3, "012");
        if (k.id[0] == 'O') SetField(r, k.last - 7, 8, "----****");
        if (k.id[0] == 'S') SetField(r, 41, 36, keiba::Sj("トウキョウ")); // the horse's name
        ASSERT_TRUE(IsSoundRecord(r, k.id));
        for (char bad : {'a', '.', '\x82', '\0'}) {
            EXPECT_FALSE(IsSoundRecord(With(r, k.first, bad), k.id)) << int(bad);
            EXPECT_FALSE(IsSoundRecord(With(r, k.last, bad), k.id)) << int(bad);
        }
        EXPECT_FALSE(IsSoundRecord(With(r, 5, '\n'), k.id));
        EXPECT_FALSE(IsSoundRecord(With(r, 27, 'x'), k.id)); // the race number
        EXPECT_FALSE(IsSoundRecord(r.substr(0, r.size() - 1) + " ", k.id));
    }
}
