#pragma once
// The layout checks of the members' day files (analysis records, race comments) and of the hand
// input: whether a record reads as its layout says, as far as that does not depend on a loaded
// day. The readers of those files (raceday/analysis.h) take only such records.

#include "jvdata/recordcheck.h"
#include "jvdata/records.h"

#include <span>
#include <string_view>
#include <vector>

namespace jvdata {

// Whether a 378-byte analysis record reads as its layout says, in the fields the program reads,
// shows or reckons with and no others: race slot 00..35 and runner number 00..18 (00: no runner)
// in two digits, its race named as every race key is (IsRaceKeyParts), digits or blanks in the
// numbers and codes of its head and past runs and of both run blocks (the venue codes of runs
// abroad with letters), a grade letter, rates that read as decimal numbers, ranks S to E, a signed
// past total, the names CP932 text; no line break but a CR LF (or two blanks) as its last two
// bytes. The positions nothing reads may hold any other byte.
bool IsSoundAnalysisRecord(std::string_view record);
// The ways the check reads a record's bytes: each looked up in a table of byte classes, or
// sixteen at a time (SSE2). IsSoundAnalysisRecord takes the last of AnalysisCheckPaths(); the
// others are there so that tests hold every path to the plain one.
std::span<const CheckPath> AnalysisCheckPaths();
bool IsSoundAnalysisRecordBy(std::string_view record, CheckPath path);

// The lines of a race comments file, split at CR LF alone, since a comment's lines are joined so;
// a lone CR or LF stays inside its line, where it is no text.
std::vector<std::string_view> SplitCrLfLines(std::string_view bytes);
// Whether a line starts a race comment: a race key (IsRaceKey), ',' and '"'.
bool StartsRaceComment(std::string_view line);
// Whether a race comment, from its first line to its closing line of '"' (line ends CR LF, the
// last one optional), reads as its layout says: a line that starts a comment, then text on every
// line. Text is CP932 with no control characters but the tab.
bool IsSoundRaceComment(std::string_view comment);

// A line of a `.ruma` file: the 12-character race key (date, venue, race number), the race's R
// level digit (0 none, 1..7), then one character per runner 1..18 ("1" R+, "2" R-).
struct RumaLine {
    static constexpr std::size_t kLength = 31;
    static constexpr std::size_t kKeyLength = 12;
    static constexpr FieldPos kDate{1, 8};
    static constexpr FieldPos kVenue{9, 2};
    static constexpr FieldPos kRaceNo{11, 2};
    static constexpr FieldPos kLevel{13, 1};
    static constexpr std::size_t kFirstRunnerPos = 14;
};

// Whether a line of a `.ruma` file (without its line end) reads as its layout says: 31
// characters, its race named as every race key is (IsRaceKeyParts), the level '0' to '7' or
// blank, each runner's character '0', '1', '2' or blank.
bool IsSoundHandInputLine(std::string_view line);

} // namespace jvdata
