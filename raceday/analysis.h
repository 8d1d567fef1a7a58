#pragma once
// The members' analysis records, race comments and hand-input R horses of a day, and their
// decoding into the race texts.

#include "jvdata/dayfilekinds.h"
#include "jvdata/filestamp.h"
#include "jvdata/memberrecords.h"
#include "keiba/fileio.h"
#include "raceday/daymodel.h"
#include "raceday/dayreport.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace raceday {

// A day of analysis records: [race slot 0..35][runner number - 1].
using AnalysisDay = RaceDay::PerRunner<jvdata::TAnalysisRecord>;

// --- the members' day files of <AppDir>/VZK ---

// The members' file <prefix><yyyymmdd><extension> of `folder` ("XQ", ".vzkd"; "RCOM", ".CSV"),
// found without regard to letter case, since the files arrive from archives made on a system
// that ignores it. When several names differ only in case, the one spelled as given wins, then
// the first in byte order. No path when there is none; `look` fails, naming the folder or the
// file and the cause, when the folder is there but cannot be listed or the file cannot be looked
// at, which is no missing file.
struct MembersFileFound {
    std::optional<std::filesystem::path> path;
    keiba::IoResult look;
    explicit operator bool() const { return path.has_value(); }
};
MembersFileFound FindMembersFile(const std::filesystem::path& folder, std::string_view prefix,
                                 std::string_view date8, std::string_view extension);
// FindMembersFile's path, or the name as given when there is none (a path that does not exist,
// or one whose read then tells why the folder cannot be looked at).
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
// room for the file's n bytes, and the file is read once, whatever comes of it. `size` is how
// many were read (fewer when the file shrank meanwhile). `stamp` is set when the bytes are the
// file as it stood at that stamp, nothing having changed it while it was read; `lookedAt` is the
// file clock before the look (jvdata::Settled).
struct AnalysisBytesRead {
    AnalysisFileRead file;
    std::size_t size = 0;
    std::optional<jvdata::FileStamp> stamp;
    std::int64_t lookedAt = 0;
};
AnalysisBytesRead ReadAnalysisBytes(const std::filesystem::path& path,
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
// Whether a piece of an analysis file is a sound record (jvdata::IsSoundAnalysisRecord) of the
// day `date8`: what ReadAnalysisRecords takes where nothing before it is damaged.
bool IsSoundAnalysisRecordOf(std::string_view record, std::string_view date8);
// The same for the many records of one day's file: the kind's place of the date is looked up
// once, and the date compared before the record is checked.
class AnalysisDayCheck {
public:
    explicit AnalysisDayCheck(std::string_view date8);
    bool operator()(std::string_view record) const {
        return record.size() == kind_.recordLength &&
               record.substr(kind_.key.date.pos - 1, kind_.key.date.width) == date8_ &&
               kind_.sound(record);
    }

private:
    const jvdata::DayFileKindInfo& kind_;
    std::string_view date8_;
};

// What reading an analysis file found, kept for as long as the file keeps the stamp it was read
// at, so that a search over years of files that do not change checks each once. Either every
// record is sound and of the file's day, one every kAnalysisLength bytes from the start (the
// file as it arrives), or the file has damage: then the places of its sound records and what
// the damage took. Safe across threads.
class AnalysisVerdicts {
public:
    struct Verdict {
        bool whole = false;
        std::vector<std::uint32_t> starts; // when not whole
        std::size_t lost = 0;
        // The verdict of a file of `bytes` as ReadAnalysisRecords found `records` in it.
        static Verdict Of(std::string_view bytes, const AnalysisRecords& records);
    };
    // What was found in the file at `path` of the day `date8` as it stood at `stamp`, if it
    // stands so still.
    std::optional<Verdict> Find(const std::filesystem::path& path, std::string_view date8,
                                const jvdata::FileStamp& stamp) const;
    // Keeps what a read of the file found. The caller keeps only what is Settled.
    void Keep(const std::filesystem::path& path, std::string_view date8,
              const jvdata::FileStamp& stamp, Verdict verdict);
    // Everything is read and checked again (a benchmark's first walk).
    void Clear();

private:
    struct Entry {
        std::string date8;
        jvdata::FileStamp stamp;
        Verdict verdict;
    };
    // Some decades of race days; past that, all that is known is dropped and found again.
    static constexpr std::size_t kFiles = 16384;
    mutable std::mutex mutex_;
    std::unordered_map<std::string, Entry> entries_; // by native path
};
// The process's one list.
AnalysisVerdicts& CheckedAnalysisFiles();

// Hand-input R horses (`.ruma`): race level and R marks of the races a sound line names by its
// 12-character key (date, venue, race number), as the kinds table places a line (NamesRace).
void ApplyHandInput(RaceDay& day, std::string_view rumaBytes);

// Race comments (`RCOM<yyyymmdd>.CSV`): each comment to the race its 16-character key names
// (NamesRace); of two for one race, the later.
void ApplyRaceComments(RaceDay& day, std::string_view csvBytes);

// The analysis records (`XQ<yyyymmdd>.vzkd`) into gDayHorseAnalysis, or into a table of their
// own, in file order (a later record for the same place replaces an earlier one). Records whose
// race slot or runner number is not a number in range are skipped; returns how many were
// skipped. Records without a runner (number 00) are passed over without counting.
int StoreAnalysisRecords(RaceDay& day, std::string_view vzkdBytes);
int StoreAnalysisRecords(AnalysisDay& table, std::string_view vzkdBytes);

// The record that gives a race's own figures (its R level and its R+ and R- counts, which each
// runner's record repeats): the first runner's that is there, so that a runner lost to damage
// does not take the race's figures with it. A blank record when the race has none.
const jvdata::TAnalysisRecord& RaceFiguresRecord(const AnalysisDay::value_type& runners);

// The analysis records into gRaceTexts of every race with a field size.
void DecodeAnalysis(RaceDay& day);

// All three files of the loaded day `date8` (names in the model), each skipped when missing.
// Hand input, race comments and analysis records that are damaged are not taken, and the report
// is told what was lost, a file that is there but cannot be read with its cause. The analysis
// records go to the runners they name (date, venue, race number and runner number), whatever
// slot they give. The analysis file covers every runner of the day, so each runner of the day
// without a sound record of its own counts, wherever the file lost it; the hand input and the
// comments need not hold every race, so a race of theirs is lost only where damage stands. A
// comment's line end that lost its CR or its LF costs that comment's race alone. Where a
// members' file is missing because its folder is there but cannot be listed, the report says so
// once.
void LoadMembersData(RaceDay& day, std::string_view date8, DayReport& report);

} // namespace raceday
