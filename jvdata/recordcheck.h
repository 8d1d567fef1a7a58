#pragma once
// Whether a piece of a day file of fixed-length records is a record as its layout says. The
// readers of the day's runner, payout and odds files take only such records: a record damaged
// inside (its length whole) is neither shown nor taken for its race's, but counted as lost like
// a record cut off.

#include <string_view>

namespace jvdata {

// A runner (SE), payout (HR) or odds (O1 to O6) record of a day file: a line of its kind's
// length ending in CR LF and holding no other line break, its own record id, a race key of
// sixteen digits naming a real day, and digits or blanks in every field the layout gives a number
// or a code that is shown or reckoned with: the runner's, every payout entry, every odds entry
// (whose odds and popularities may also hold the runs of "-" and "*" that mark them as not
// sold). Text fields, such as names, may hold any bytes and are not looked at. Whether the record
// is the one of the race its place says is for the reader to see. False for any other id.
bool IsSoundRecord(std::string_view piece, std::string_view id);

} // namespace jvdata
