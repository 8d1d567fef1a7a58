#pragma once
// A generator of damaged day files for the differential damage check. It knows the bytes of a
// kind's files cut into their records, and the layout of those records as the data's makers
// define it (where the key sits, which fields hold digits or two-byte text, whether a record ends
// in CR LF); it knows nothing of how the program checks or places a record. From a damage, a
// place and a seed it makes one damaged file, named and placed so that a failure can be found
// again.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// Bytes of a record, 1-based as the layouts count them.
struct Span {
    std::size_t pos = 0, width = 0;
};

// What the generator knows of the records of one kind of file.
struct DamageLayout {
    bool lineEnds = true; // each record ends in CR LF
    // A file that ends at any record end is sound: its later races have not come, or its horse
    // has fewer runs. A cut there cannot be seen; a cut inside a record has lost that record and
    // no later one.
    bool mayEndAtRecordEnd = false;
    // Where the key sits (width 0 where the kind has no such part).
    Span date, venue, meeting, day, raceNo, pedigreeId;
    // Fields of digits, and text fields that hold two-byte characters.
    std::vector<Span> numbers, texts;
    // Where a byte cut, put in or lost can be seen: empty for every byte of the record (a record
    // of fixed length, whose length then no longer reads).
    std::vector<Span> visible;
};

struct DamageRecord {
    std::string bytes;
    std::size_t venue = 0; // the place of its racecourse among the day's (0 the first)
    bool holds = true;     // false for a blank runner slot, which no damage aims at
    // The same record of another day, where there is one.
    std::string otherDay;
    // Overrides of the layout for a record of variable length (a race comment): empty to take
    // the layout's.
    std::vector<Span> texts, visible;
};

struct DamageFile {
    std::string name; // the file's name, as a failure names it
    std::vector<DamageRecord> records;
    // The whole file as another day has it (of a horse's files: another horse's), or empty.
    std::string otherDay;
    std::string Bytes() const;
};

// One kind of file of a day: its layout, its files and the day they belong to.
struct DamageKind {
    DamageLayout layout;
    std::vector<DamageFile> files;
    std::vector<std::string> dayVenues; // the racecourse codes that run that day
    // Whether each file holds the records of one unit alone (a horse's files): a record of
    // another unit is then taken from another file.
    bool filePerUnit = false;
};

enum class Damage {
    BytesCut,    // a run of bytes taken out, every later byte moved back
    BytesPutIn,  // bytes put in, every later byte moved on
    ByteLost,    // one byte taken out
    CrLost,      // a CR of a line end gone
    LfLost,      // an LF of a line end gone
    CrAdded,     // a lone CR put in
    LfAdded,     // a lone LF put in
    NulInNumber, // 0x00 over a digit
    FfInNumber,  // 0xFF over a digit
    LetterInNumber,
    HalfCharacter, // the second byte of a two-byte character gone from under the first
    Bom,           // a byte order mark before the file's first record
    CutAtRecord,   // the file ends where the record starts
    CutInside,     // the file ends inside the record
    OtherRecord,   // another race's (another unit's) record of the same day in its place
    Swapped,       // the record and another of the file swapped
    OtherDayRecord,
    OtherDayFile,
    OtherVenue,    // its key names a racecourse that runs no race that day
    OtherMeeting,  // another meeting number
    OtherDayDigit, // another day of the meeting
    OtherRaceNo,
    OtherDate,
    OtherHorse, // another pedigree id
    Doubled,    // the whole file twice
    CrLfToLf,   // every CR LF of the file turned into LF
    kCount,
};

enum class Place { First, Middle, Last, Random, OtherVenue, kCount };

std::string_view DamageName(Damage d);
std::string_view PlaceName(Place p);

struct DamageCase {
    Damage damage;
    Place place;
    std::uint64_t seed;
    std::size_t file = 0, record = 0; // the file damaged and the record the damage aims at
    std::string bytes;                // the damaged file
    // The file as the undamaged day would hold it where that is not the file as it was: a cut
    // inside a record of a file that may end at any record end has lost that record, and the
    // records after it may simply not have come yet, so the day it is judged against ends there.
    std::optional<std::string> reference;
    std::string where; // what was done where, for a failure to name
};

// The damage at the place, its random parts drawn from `seed`; nothing where it cannot be made
// there or could not be seen (a cut at a record end of a file that may end at one, a CR lost
// from a record without line ends, a swap in a file of one record).
std::optional<DamageCase> MakeDamage(const DamageKind& kind, Damage damage, Place place,
                                     std::uint64_t seed);

// A seed of its own for every case of a run: the run's seed mixed with the case's parts.
std::uint64_t CaseSeed(std::uint64_t runSeed, std::initializer_list<std::uint64_t> parts);

} // namespace testsupport
