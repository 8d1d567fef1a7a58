#pragma once
// The members' analysis records, race comments and hand-input R horses of a day, and their
// decoding into the race texts.

#include "jvdata/memberrecords.h"
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
