#pragma once
// The members' analysis records, race comments and hand-input R horses of a day, and their
// decoding into the race texts.

#include "jvdata/recordcheck.h"
#include "keiba/fileio.h"
#include "raceday/daymodel.h"
#include "raceday/dayreport.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace raceday {

// A day of analysis records: [race slot 0..35][runner number - 1].
using AnalysisDay = RaceDay::PerRunner<jvdata::TAnalysisRecord>;

// --- the members' day files of <AppDir>/VZK ---

// The members' file <prefix><yyyymmdd><extension> of `folder` ("XQ", ".vzkd"; "RCOM", ".CSV"),
// found without regard to letter case, since the files arrive from archives made on a system
// that ignores it. When several names differ only in case, the one spelled as given wins, then
// the first in byte order. Nothing when there is none.
std::optional<std::filesystem::path> FindMembersFile(const std::filesystem::path& folder,
                                                     std::string_view prefix,
                                                     std::string_view date8,
                                                     std::string_view extension);
// FindMembersFile, or the name as given when there is none (a path that does not exist).
std::filesystem::path MembersFilePath(const std::filesystem::path& folder, std::string_view prefix,
                                      std::string_view date8, std::string_view extension);

// One analysis day file: its date ("yyyymmdd") and path.
struct VzkDay {
    std::string date8;
    std::filesystem::path path;
};
// Every analysis day file of `folder`: the names "XQ" + 8 digits + ".vzkd" in any letter case
// and nothing else, one per date (chosen as FindMembersFile chooses), oldest first. Listed
// afresh on every call. A folder that is there but cannot be listed gives no days and fails
// `listed` (keiba::ListFolder), for the caller to say.
std::vector<VzkDay> ListVzkDays(const std::filesystem::path& folder,
                                keiba::IoResult* listed = nullptr);

// What ReadAnalysisFile found: as keiba::ReadFileOrMissing tells them, a file read (`found`), a
// missing file (`read` ok, nothing found) and one that is there but cannot be read (`read` names
// it and the cause).
struct AnalysisFileRead {
    keiba::IoResult read;
    bool found = false;
    bool Missing() const { return read.ok && !found; }
    explicit operator bool() const { return found; }
};
// Reads a whole analysis file into `buffer`, reusing its storage: the reader opens, reads and
// closes the file itself on every call. `buffer` is empty unless the file was found. A partial
// record at the end is left for the record view to ignore.
AnalysisFileRead ReadAnalysisFile(const std::filesystem::path& path, std::string& buffer);
// The reader under ReadAnalysisFile, for callers with buffers of their own: `place(n)` gives
// room for the file's n bytes. Returns how many were read (fewer when the file shrank
// meanwhile), or nothing when the file is missing or cannot be read.
std::optional<std::size_t> ReadAnalysisBytes(const std::filesystem::path& path,
                                             const std::function<char*(std::size_t)>& place);

// Whether a 378-byte analysis record reads as its layout says, as far as that does not depend on
// a loaded day: race slot 00..35 and runner number 00..18 (00: no runner) in two digits, a date
// naming a real day, digits or blanks in the numbers and codes of its head and past runs and of
// both run blocks, a grade letter, rates that read as decimal numbers, ranks S to E, a signed past
// total, the names CP932 text, no line break but a CR LF (or two blanks) as its last two bytes.
bool IsSoundAnalysisRecord(std::string_view record);
// The ways the check reads a record's bytes: each looked up in a table of byte classes, or
// sixteen at a time (SSE2). IsSoundAnalysisRecord takes the last of AnalysisCheckPaths(); the
// others are there so that tests hold every path to the plain one.
std::span<const jvdata::CheckPath> AnalysisCheckPaths();
bool IsSoundAnalysisRecordBy(std::string_view record, jvdata::CheckPath path);

// The records of an analysis file of the day `date8` ("yyyymmdd") that are sound and of that
// day, in file order (views into `bytes`), and how many records the damage between them took,
// reckoned from its length. The file has no line breaks of its own to find the next record by:
// after damage, the reader goes on at the next place where a sound record of the day starts, so
// a record cut short, or bytes put into one, cost that record alone.
struct AnalysisRecords {
    std::vector<std::string_view> records;
    std::size_t lost = 0;
};
AnalysisRecords ReadAnalysisRecords(std::string_view bytes, std::string_view date8);

// Whether a race comment, from its first line to its closing line of '"' (line ends CR LF, the
// last one optional), reads as its layout says: the race key (sixteen digits naming a real day),
// ',' and '"', then text on every line. Text is CP932 with no control characters but the tab.
bool IsSoundRaceComment(std::string_view comment);

// A line of a `.ruma` file: the 12-character race key (date, venue, race number), the race's R
// level digit (0 none, 1..7), then one character per runner 1..18 ("1" R+, "2" R-).
struct RumaLine {
    static constexpr std::size_t kKeyLength = 12;
    static constexpr jvdata::FieldPos kLevel{13, 1};
    static constexpr std::size_t kFirstRunnerPos = 14;
};

// Whether a line of a `.ruma` file (without its line end) reads as its layout says: 31
// characters, the key's date a real day and its venue and race number digits, the level '0' to
// '7' or blank, each runner's character '0', '1', '2' or blank.
bool IsSoundHandInputLine(std::string_view line);

// Hand-input R horses (`.ruma`): race level and R marks of the races whose 12-character key
// (date, venue, race number) a sound line names.
void ApplyHandInput(RaceDay& day, std::string_view rumaBytes);

// Race comments (`RCOM<yyyymmdd>.CSV`): each comment to the race of its 16-character key.
void ApplyRaceComments(RaceDay& day, std::string_view csvBytes);

// The analysis records (`XQ<yyyymmdd>.vzkd`) into gDayHorseAnalysis, or into a table of their
// own, in file order (a later record for the same place replaces an earlier one). Records whose
// race slot or runner number is not a number in range are skipped; returns how many were
// skipped. Records without a runner (number 00) are passed over without counting.
int StoreAnalysisRecords(RaceDay& day, std::string_view vzkdBytes);
int StoreAnalysisRecords(AnalysisDay& table, std::string_view vzkdBytes);

// The analysis records into gRaceTexts of every race with a field size.
void DecodeAnalysis(RaceDay& day);

// All three files of the loaded day `date8` (names in the model), each skipped when missing.
// Hand input, race comments and analysis records that are damaged are not taken, and the report
// is told what was lost, a file that is there but cannot be read with its cause. The analysis
// records go to the runners they name (date, venue, race number and runner number), whatever
// slot they give. The analysis file covers every runner of the day, so each runner of the day
// without a sound record of its own counts, wherever the file lost it; the hand input and the
// comments need not hold every race, so a race of theirs is lost only where damage stands.
void LoadMembersData(RaceDay& day, std::string_view date8, DayReport& report);

} // namespace raceday
