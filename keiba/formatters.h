#pragma once
// Fixed-width texts from JV-Data digit fields, for fixed-pitch grid columns and printed sheets.
//
// Arguments and results are CP932 bytes; positions and widths count bytes. No formatter throws:
// a field that cannot be read gives blanks of the width the column expects.

#include <string>
#include <string_view>

namespace keiba {

// hhmm plus `minutes`, written as hhmm with no wrap at midnight ("2350" + 20 gives "2410").
// A blank time, or a total below zero, gives the empty string.
std::string AddMinutesHHMM(std::string_view hhmm, int minutes);

// `s` with `piece` written over it from the 1-based `position`; the text grows where the piece
// runs past its end. A position past the end appends, one before the start counts as 1.
std::string OverwriteStr(std::string_view s, std::string_view piece, int position);

// Sign, two digits of seconds and one of tenths ("-105") as five characters ("-10.5");
// "999", "9999", "0000" and unreadable fields give five blanks.
std::string FormatTimeDiff(std::string_view diff);

// The value right-aligned in the field's own width; 0 gives blanks of that width.
std::string FormatIntBlankZero(std::string_view digits);
// The same followed by its unit ("18" and "頭" give "18頭"): a unit is never shown without its
// number, so 0 gives blanks as wide as both.
std::string FormatIntWithUnit(std::string_view digits, std::string_view unit);

// The value in tenths with one decimal in the field's width less one ("0550" gives "55.0");
// 0 gives blanks of the field's width.
std::string FormatTenthsSameWidth(std::string_view digits);

// The value in tenths with one decimal in the field's width plus one ("550" gives "55.0",
// "0035" gives "  3.5"); 0 gives blanks of the field's own width.
std::string FormatTenthsWider(std::string_view digits);

// An MSSF race time as six characters: "1345" gives "1.34.5", "0593" gives "  59.3", "0000" and
// unreadable fields six blanks.
std::string FormatRaceTime(std::string_view mssf);

// Every full-width blank removed, scanning whole characters so that a 0x81 0x40 pair made of
// another character's trail byte and the next byte stays. Half-width blanks stay.
std::string DeleteZenkakuSpaces(std::string_view s);

// Pace of the race before the last 600 m, scaled to 600 m, in tenths of a second as three
// characters: race time MSSF, last 600 m in tenths (3 digits), distance in metres (4 digits).
// Blank or zero fields, unreadable fields and distances of 600 m or less give three blanks.
std::string CalcZenhanPace(std::string_view raceTime, std::string_view last600,
                           std::string_view distance);

} // namespace keiba
