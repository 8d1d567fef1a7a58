#include "jvdata/recordcheck.h"

#include "jvdata/dayfilekinds.h"
#include "keiba/codetables.h"
#include "keiba/sjis.h"

#include "tests/jvdata/recordmaker.h"
#include "tests/support/analysismaker.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>

using namespace jvdata;
using testsupport::MakeRecord;
using testsupport::MakeRunner;
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

// Every path of the check gives the plain loop's answer, over records of every kind, sound and
// damaged at random places, the edges of the odds entries among them, with bytes at the edges of
// what a number or a marker may be.
TEST(RecordCheck, EveryPathAgreesWithThePlainLoop) {
#if defined(__SSE2__)
    EXPECT_EQ(CheckPaths().back(), CheckPath::Sse2); // the path IsSoundRecord takes
#endif
    const char kBytes[] = {'0', '9', '/',  ':',  ' ',    '-',    '*',    '+',   ',',
                           'a', 'Z', '\r', '\n', '\x00', '\x7f', '\x80', '\xff'};
    const char kEntries[] = "0123456789 -*";
    std::mt19937 random(20261206);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    for (const auto& [id, length] : KnownRecords()) {
        if (id == "RC" || id == "DM") continue; // records no day load reads
        SCOPED_TRACE(std::string(id));
        std::string sound = MakeRecord(id, RaceKey16("20261206", "05", 11));
        if (id == "UM") SetField(sound, 12, 16, "2020100001");
        const bool odds = id[0] == 'O';
        // Odds entries of digits and markers, from the first entry's first byte to the last's.
        const std::size_t from = id == "O1" ? 44 : 41, to = sound.size() - 14;
        if (odds)
            for (std::size_t i = from - 1; i < to; ++i) sound[i] = kEntries[pick(13)];
        int agreed[2] = {};
        for (int round = 0; round < 300; ++round) {
            std::string r = sound;
            for (std::size_t n = pick(3); n > 0; --n) {
                // Anywhere, or within 20 bytes of either end of the entries.
                std::size_t at = pick(r.size());
                if (odds && round % 3 == 1) at = from - 1 + pick(20);
                if (odds && round % 3 == 2) at = to - 1 - pick(20);
                r[at] = kBytes[pick(std::size(kBytes))];
            }
            const bool plain = IsSoundRecordBy(r, id, CheckPath::Plain);
            ++agreed[plain];
            for (CheckPath path : CheckPaths())
                ASSERT_EQ(IsSoundRecordBy(r, id, path), plain) << static_cast<int>(path);
        }
        // Both answers came up often enough to mean something.
        EXPECT_GT(agreed[0], 30);
        EXPECT_GT(agreed[1], 30);
    }
}

// Names are CP932 text, checked as characters: full-width and half-width ones and the rows CP932
// adds to Shift-JIS pass; control bytes, an unassigned row, a byte no character ends with and a
// character cut in two do not. Keys: a race abroad has letters in its venue code, a horse master
// carries a pedigree id of ten letters or digits.
TEST(RecordCheck, NamesAreCp932TextAndKeysAreKeys) {
    const struct {
        const char* id;
        std::size_t name, width; // 1-based
    } kinds[] = {{"RA", 33, 60}, {"SE", 41, 36}, {"UM", 47, 36}, {"UM", 215, 36}};
    const struct {
        std::string bytes;
        bool text;
    } names[] = {{keiba::Sj("トウキョウ"), true},
                 {"\xB1\xB2", true},
                 {"\x87\x40", true},
                 {"\xED\x40", true},
                 {"\xFA\x40", true},
                 {"\x01", false},
                 {"\x7F", false},
                 {"\x85\x40", false},
                 {"\x81\x7F", false},
                 {"\x82 ", false}};
    for (const auto& k : kinds) {
        std::string r = MakeRecord(k.id, RaceKey16("20261206", "05", 11));
        if (k.id == std::string_view("UM")) SetField(r, 12, 16, "2020100001");
        ASSERT_TRUE(IsSoundRecord(r, k.id)) << k.id;
        for (const auto& n : names) {
            for (std::size_t at : {k.name, k.name + 17}) { // at a field's start, and inside it
                std::string named = r;
                SetField(named, at, n.bytes.size(), n.bytes);
                EXPECT_EQ(IsSoundRecord(named, k.id), n.text) << k.id << " " << at;
            }
        }
        // The first byte of a character as the field's last.
        EXPECT_FALSE(IsSoundRecord(With(r, k.name + k.width - 1, '\x82'), k.id)) << k.id;
    }
    std::string ra = MakeRecord("RA", RaceKey16("20261206", "A4", 11));
    EXPECT_TRUE(IsSoundRecord(ra, "RA"));
    EXPECT_FALSE(IsSoundRecord(With(ra, 20, '#'), "RA"));
    EXPECT_FALSE(IsSoundRecord(With(ra, 17, '3'), "RA")); // month 13
    std::string um = MakeRecord("UM", "2020100001      ");
    EXPECT_TRUE(IsSoundRecord(um, "UM"));
    EXPECT_FALSE(IsSoundRecord(With(um, 15, '#'), "UM"));
    EXPECT_FALSE(IsSoundRecord(With(um, 12, ' '), "UM"));
}

namespace {

// A sound record of each kind a day load reads, keyed to 東京11R of 2026-12-06, with the 1-based
// place of its venue code; positions as the record layouts give them.
struct SoundShape {
    std::string record;
    std::size_t venueAt;
};
std::optional<SoundShape> SoundOf(const DayFileKindInfo& kind) {
    const std::string key = RaceKey16("20261206", "05", 11);
    switch (kind.kind) {
    case DayFileKind::Races:
    case DayFileKind::Payouts:
    case DayFileKind::Odds1:
    case DayFileKind::Odds2:
    case DayFileKind::Odds3:
    case DayFileKind::Odds4:
    case DayFileKind::Odds5:
    case DayFileKind::Odds6: return SoundShape{MakeRecord(kind.id, key), 20};
    case DayFileKind::Runners:
    case DayFileKind::HorseRuns: return SoundShape{MakeRunner(key, 3, "2020100001"), 20};
    case DayFileKind::HorseMaster: return SoundShape{MakeRecord("UM", "2020100001      "), 0};
    case DayFileKind::OldHorseMaster: {
        std::string uma(kUmaLength - 2, ' ');
        uma.replace(0, 3, "UM1");
        uma.replace(11, 10, "2020100001");
        return SoundShape{uma + "\r\n", 0};
    }
    case DayFileKind::Analysis:
        return SoundShape{testsupport::AnalysisMaker("20261206", "05", 11, 3), 14};
    case DayFileKind::Comments:
        return SoundShape{key + ",\"" + keiba::Sj("先行有利") + "\r\n\"\r\n", 9};
    case DayFileKind::HandInput:
        return SoundShape{key.substr(0, 10) + "11" + "3" + std::string(18, ' '), 9};
    }
    return std::nullopt;
}

} // namespace

// The shapes real data takes are sound in every kind that can hold them: every venue code there
// is, races abroad with letters in theirs among them, numbers left blank where nothing is known
// yet, the marks of odds not sold, and every data kind the records are delivered with (a day
// file's "0" among them). A venue code that is no code, a data kind outside a kind's values and a
// byte no number holds in a field that is shown are not.
TEST(RecordCheck, EveryKindTakesTheShapesRealDataTakes) {
    for (const DayFileKindInfo& kind : DayFileKinds()) {
        SCOPED_TRACE(std::string(kind.what) + " " + std::to_string(static_cast<int>(kind.kind)));
        const std::optional<SoundShape> sound = SoundOf(kind);
        ASSERT_TRUE(sound) << "no sound record for this kind";
        ASSERT_TRUE(kind.sound(sound->record));
        if (!kind.id.empty()) {
            // Race and runner records: entries, cards, results (A, B: races not of JRA).
            // Payouts: at the finish, on Monday; horse masters: new, renamed, registered again,
            // updated; odds: in the course of the sale, the day before, final, confirmed, on
            // Monday. Then a race called off (9) and a record withdrawn (0).
            const std::string_view kinds = kind.id == "RA" || kind.id == "SE" ? "1234567AB90"
                                           : kind.id == "HR"                  ? "1290"
                                           : kind.id == "UM"                  ? "123490"
                                                                              : "1234590";
            for (char c : std::string_view("0123456789ABZ \xFF")) {
                std::string r = sound->record;
                r[2] = c;
                EXPECT_EQ(kind.sound(r), kinds.find(c) != std::string_view::npos) << "kind " << c;
            }
        }
        if (sound->venueAt == 0) continue;
        for (std::string_view venue : keiba::JyoCodes()) {
            std::string r = sound->record;
            r.replace(sound->venueAt - 1, 2, venue);
            EXPECT_TRUE(kind.sound(r)) << venue;
        }
        for (std::string_view venue : {"  ", "5 ", "#5", "\x82\xa0"}) {
            std::string r = sound->record;
            r.replace(sound->venueAt - 1, 2, venue);
            EXPECT_FALSE(kind.sound(r)) << venue;
        }
    }
    const struct {
        const char* id;
        std::size_t pos;
        const char* bytes;
        bool sound;
    } shapes[] = {
        {"SE", 289, "   ", true},
        {"SE", 325, "   ", true},
        {"SE", 360, "    ", true},
        {"SE", 360, "----", true},
        {"SE", 360, "****", true},
        {"SE", 364, "  ", true},
        {"O1", 44, "      ", true},
        {"O1", 46, "----", true},
        {"O1", 46, "****", true},
        {"O1", 50, "  ", true},
        {"O2", 45, "------", true},
        {"O6", 47, "*******", true},
        {"HR", 103, "  ", true},
        {"HR", 105, "         ", true},
        // The time difference to the winner: the winner's lead, a loser's gap, no time.
        {"SE", 532, "-003", true},
        {"SE", 532, "+012", true},
        {"SE", 532, "9999", true},
        {"SE", 532, "    ", true},
        {"SE", 532,
         "\xFF"
         "012",
         false},
        {"SE", 532, "+0a2", false},
        {"SE", 532, "*012", false},
        // The odds' announcement: month, day, hour and minute.
        {"O1", 28, "12061035", true},
        {"O1", 32, "1\xFF", false},
        {"O3", 30, "a", false},
    };
    for (const auto& b : shapes) {
        std::string r = MakeRecord(b.id, RaceKey16("20261206", "A8", 11));
        SetField(r, b.pos, std::string_view(b.bytes).size(), b.bytes);
        EXPECT_EQ(IsSoundRecord(r, b.id), b.sound)
            << b.id << " " << b.pos << " '" << b.bytes << "'";
    }
}
