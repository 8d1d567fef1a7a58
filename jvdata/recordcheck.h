#pragma once
// Whether a piece of a day or horse file of fixed-length records is a record as its layout says.
// The readers of those files take only such records: a record damaged inside (its length whole)
// is neither shown nor taken for its race's or horse's, but counted as lost like a record cut off.

#include <span>
#include <string_view>
#include <vector>

namespace jvdata {

// A race (RA), runner (SE), horse-master (UM), payout (HR) or odds (O1 to O6) record of a file:
// a line of its kind's length ending in CR LF and holding no other line break, its own record
// id, a data kind its records are delivered with, and digits or blanks in every field the layout
// gives a number or a code that is shown or reckoned with (odds and popularities may also hold the
// runs of "-" and "*" that mark them as not sold; a time difference starts with its sign). The
// records of a race carry a race key that follows the one rule of a race key (IsRaceKey: races
// abroad have letters in their venue code). A horse master carries a pedigree id of ten letters or
// digits. The names that are shown are CP932 text (IsCp932Text); a grade or a course division is a
// letter or blank. Whether the record is the one its place in the file says (the race, the runner,
// the horse) is for the reader to see. False for any other id.
bool IsSoundRecord(std::string_view piece, std::string_view id);

// The ways the check reads the many bytes of odds entries: a plain loop, or 16 bytes at a time
// (SSE2, which every x86-64 processor has). IsSoundRecord takes the last of CheckPaths(); the
// others are there so that tests hold every path to the plain loop.
enum class CheckPath { Plain, Sse2 };
std::span<const CheckPath> CheckPaths();
bool IsSoundRecordBy(std::string_view piece, std::string_view id, CheckPath path);

// Text as a name field holds it: no control bytes, and every byte or double-byte character one
// that CP932 converts (half-width katakana, the user-defined rows and blanks included).
bool IsCp932Text(std::string_view text);

// The lines of a file of fixed-length records of `length` bytes, CR LF included, in file order,
// into `lines` (emptied first): each ends with its CR LF but the last, which may lack it. A line
// of another length than `length` is damage. A line longer than that whose CR LF was lost inside
// it may still end in a whole record: that is given as a line of its own after the rest of it,
// so that a lost line end costs only the record it ended. The readers go on from one line to the
// next, so a record cut short, or split by a line break, costs only itself.
void SplitRecordLines(std::string_view file, std::size_t length,
                      std::vector<std::string_view>& lines);

} // namespace jvdata
