#pragma once
// Day files, runner files and horse files: their names, and the rules by which a record is
// filed into them. Every file is replaced whole through keiba::WriteFileAtomic.
//
// A path is built from record bytes only when those bytes are what they must be: a date of
// eight digits naming a real day, a known venue code, a pedigree id of ten ASCII letters or
// digits. Anything else is refused before a folder or file is touched.

#include "jvdata/records.h"
#include "keiba/fileio.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace jvdata {

// "2026年12月06日" (UTF-8, as file names are on disk).
std::string DayStem(std::chrono::year_month_day d);

// The two-character venue name of a runner file ("05" gives "東京"), UTF-8; nothing for a code
// that names no racecourse.
std::optional<std::string> VenueFileName(std::string_view venueCode);

// Ten ASCII letters or digits.
bool IsPedigreeId(std::string_view id);

// The day files that hold one line per race.
enum class DayFile { RA, HR, O1, O2, O3, O4, O5, O6, O1a, O1m, DM };
std::string_view Extension(DayFile f);  // ".jvRA"
std::string_view RecordIdOf(DayFile f); // "RA"; "O1" for the morning and middle files

std::filesystem::path DayFilePath(const std::filesystem::path& appDir,
                                  std::chrono::year_month_day day, DayFile f);
// Data/<stem><venue>.jvSEr; nothing for an unknown venue code.
std::optional<std::filesystem::path> DayRunnerFile(const std::filesystem::path& appDir,
                                                   std::chrono::year_month_day day,
                                                   std::string_view venueCode);

enum class HorseFile { SEI, UM2, UMA };
// SEI/<id4>/<id>.jvSEI and the like; nothing for a pedigree id that is not one.
std::optional<std::filesystem::path> HorseFilePath(const std::filesystem::path& appDir,
                                                   HorseFile kind, std::string_view pedigreeId);

// The horse files of one program folder, their paths built in one reused buffer: a day load
// opens some two thousand of them, and a path object each costs more than the open.
class HorseFilePaths {
public:
    explicit HorseFilePaths(const std::filesystem::path& appDir);
    // The path HorseFilePath gives, in the system's own form, valid until the next call; nullptr
    // for a pedigree id that is not one.
    const char* Of(HorseFile kind, std::string_view pedigreeId);

private:
    std::string buffer_;
    std::size_t folderLength_ = 0; // the program folder and its separator
};

inline constexpr int kRunnerSlots = 216; // races 1..12 x horses 1..18
inline constexpr std::size_t kRunnerLineLength = kSeLength - 2;
// The slot of race 1..12 and horse 1..18, or -1.
int RunnerSlot(int race, int horse);

// The check a line of a file of fixed-length records must pass to be taken as one of its
// records (given with its CR LF): the kinds table's record check of the file's kind
// (KindInfo(kind).sound).
using RecordCheck = bool (*)(std::string_view record);
// The check of the lines of a day file; the mining file, which no reader checks, takes a record
// of its id and length with no line break inside.
RecordCheck RecordCheckOf(DayFile f);
// The runner files' check: a runner record, or a blank slot (553 blanks).
bool IsRunnerSlotLine(std::string_view record);

// A file of fixed-length lines as a rewrite cuts it: at each CR LF, and nowhere else (a lone CR
// or LF is damage inside a line). A whole line is one of the file's length with its CR LF (the
// last may lack the CR LF) that passes the file's check; any other (longer, cut, split by a line
// break, of wrong bytes, empty) is one the rewrites cannot read. They never split or drop one:
// each is written back as it was, byte for byte, in its place among the lines around it, and
// counted. A line longer than a record may end in what reads as one (a lost line end ran two
// together): it stays whole all the same, for a rewrite cannot tell which bytes of it are the
// record's.

struct RecordLine {
    std::string_view bytes; // with its CR LF, where it has one
    bool whole;
};
// The lines of a file of `length`-byte lines (CR LF included) so cut, in file order; joined,
// they give the file back.
std::vector<RecordLine> CutRecordLines(std::string_view file, std::size_t length,
                                       RecordCheck check);
// Appends a line kept as it was to `out`; where `out` does not end a line (it ends in what lost
// its line end), a CR LF goes between them first.
void AppendKeptLine(std::string& out, std::string_view kept);

// The file bytes after the line upsert of `line`, a record that passes `check` (without its CR
// LF): the first whole line with the same race key (positions 12 to 27) is replaced by `line`,
// else `line` goes in at its place in the order of the whole lines, which are sorted,
// case-insensitively, each with CR LF. The lines that are not whole keep their places among them
// as they were; a new line goes before those that follow the whole line it comes after, since
// one of them may hold an older copy of its race that a reader would find first. `unread`, when
// given, receives how many there are.
std::string UpsertRecordLine(std::string_view fileBytes, std::string_view line, RecordCheck check,
                             std::size_t* unread = nullptr);

// A line of a file of fixed-length records as a rewrite holds it: a whole line without its CR LF,
// or one it cannot read, as it was.
struct HeldRecordLine {
    std::string bytes;
    bool whole = true;
};

// A 216-slot runner file as its readers find its slots (raceday/runnerfile.h): a whole line
// stands in the slot where it starts, to the nearest slot. What lies between two whole lines and
// is not one stays there as it was, so that every slot after it keeps its place; whole lines past
// the last slot, and what follows them, stay after the slots.
class RunnerFileLayout {
public:
    explicit RunnerFileLayout(std::string_view fileBytes);

    // Puts `line` (a runner line without its CR LF, and none inside) in `slot`. False, and
    // nothing changes, where the line is no runner record or blank slot (IsRunnerSlotLine), or
    // where the slot's place holds what is not a whole line: the line could go in only by moving
    // that out of its place.
    bool Put(int slot, std::string_view line);
    // The file, padded with blank slots up to the last.
    std::string Bytes() const;
    // The lines kept as they were: not whole, or past the last slot.
    std::size_t Unread() const { return unread_; }
    std::size_t HeldBytes() const;

private:
    struct Segment {
        int slot; // -1: not a whole line
        std::string bytes;
    };
    void Index();

    std::vector<Segment> body_;
    std::vector<int> at_; // the segment of each slot's whole line, or -1
    std::string tail_;
    std::size_t unread_ = 0;
};

// The bytes of a runner file with `line` in slot `slot` (the file unchanged but padded when the
// damage there refuses it); a missing or short file is padded with blank slots up to the last.
std::string PutRunnerSlot(std::string_view fileBytes, std::string_view line, int slot);

// The part of a refused record that is not what it must be.
enum class RefuseReason {
    Length,     // not a whole record of its id: length, line end, a line break inside
    RecordId,   // not a record id, or another id than the file takes
    RaceKey,    // venue, meeting, day or race number of the race key
    Date,       // the race date names no day
    Venue,      // no racecourse has the venue code
    Slot,       // race or horse number beyond the runner file's slots
    PedigreeId, // not ten letters or digits
    Content,    // a field of the record is not what its layout says (the kind's record check)
};
inline constexpr int kRefuseReasons = 8;
// The reason in words, UTF-8 ("レコード長が不正").
std::string_view RefuseReasonText(RefuseReason r);

// What became of one record. Failed: a file it goes to could not be read or written (the
// reason names it and the cause); an unreadable file is left as it is.
struct FileOutcome {
    enum Code { Filed, Refused, Skipped, Failed };
    Code code = Filed;
    std::string reason; // UTF-8; why it was refused, skipped or failed
    std::filesystem::path path;
    RefuseReason refused = RefuseReason::Length; // when Refused
    explicit operator bool() const { return code == Filed; }
};

// The race key of a race record as the files key their lines by: a real date (else Date), a
// venue code of letters or digits (courses abroad have letters), meeting, day and race number
// in digits (else RaceKey). Nothing when it is sound.
std::optional<FileOutcome> RaceKeyRefusal(std::string_view record);

struct DayLineOptions {
    bool zeroHead = true;      // positions 3 to 11 become "000000000"
    bool createMissing = true; // false: only an existing file is updated
};

// A file written back with lines it could not read kept as they were, and how many.
struct KeptLines {
    std::filesystem::path path;
    std::size_t lines = 0;
};
// The user's text of them, a line a file (keiba::UnreadLinesKeptText); past the first few, the
// others are counted.
std::string KeptLinesText(const std::vector<KeptLines>& kept);

// Gathers the changes of many records in memory and writes each touched file once (at Flush),
// so an import does not reload and rewrite a day file per record. Files are read whole on first
// use. The single-record functions below are a batch of one.
//
// Day files (day, runner and odds files) and horse files are held apart: a day's files are
// seldom touched again once its races have come, so they can be written alone to free their
// memory, while a horse's file takes a run from many race days and is best kept until the end.
class FilingBatch {
public:
    explicit FilingBatch(std::filesystem::path appDir);

    // Every record must pass its kind's record check as it is to be written (RecordCheckOf, the
    // kinds table's): one that does not is refused (RefuseReason::Content), and what the file
    // holds of its race or horse stays.
    //
    // An RA, HR, odds or DM record into its day file by the line upsert. `kind` picks the file
    // (the morning and middle O1 files take O1 records).
    FileOutcome UpsertDayLine(DayFile kind, std::string_view record, DayLineOptions opt = {});
    // An SE record into its slot of the venue's runner file, as delivered. Failed where what the
    // file holds at the slot's place is not a whole line (see RunnerFileLayout::Put): the record
    // could go in only by moving that line out of its place, so the file is left as it is, and
    // the reason says so.
    FileOutcome PutRunner(std::string_view record, bool createMissing = true);
    // An SE record (zeroed) into the horse's .jvSEI file by the line upsert.
    FileOutcome UpsertHorseRun(std::string_view record);
    // A UM record as the horse's one-line .jvUM2 file.
    FileOutcome PutHorseMaster(std::string_view record);
    // The folder of a horse's file, made at the next Flush even when no file goes into it;
    // nothing for a pedigree id that is not one.
    void EnsureHorseFolder(HorseFile kind, std::string_view pedigreeId);

    // Makes the folders asked for and writes every changed file; the first failure's message
    // (naming the file or folder and the cause). What failed stays pending. `between`, when
    // given, is called now and then between two files (a window keeps answering).
    keiba::IoResult Flush(const std::function<void()>& between = {});
    // The same for the day files alone; horse files and their folders stay pending.
    keiba::IoResult FlushDayFiles(const std::function<void()>& between = {});
    std::size_t PendingFiles() const { return pending_; }
    bool HasPending() const { return pending_ > 0 || !folders_.empty(); }
    // About the memory the files read and changed since they were last written take (an upper
    // bound): all of them, and the day files among them.
    std::size_t HeldBytes() const { return heldDay_ + heldHorse_; }
    std::size_t HeldDayBytes() const { return heldDay_; }

    // The files written since the last call with lines they could not read kept as they were,
    // each once, with the count of its last write.
    std::vector<KeptLines> TakeKeptLines();

private:
    enum class Kept { Day, Horse };
    struct Image {
        std::filesystem::path path;
        std::vector<HeldRecordLine> lines; // in file order (not a runner file)
        std::optional<RunnerFileLayout> runners;
        std::size_t lineLength = 0;
        RecordCheck check = nullptr;
        Kept kept = Kept::Day;
        bool sorted = true;
        bool dirty = false;
        std::size_t HeldBytes() const;
        std::string Bytes() const;
    };
    // The file's image, loaded on first use; nullptr when it is missing and not to be created,
    // or when it is there but cannot be read (`unread` then says which and why: nothing may be
    // written over it).
    Image* Load(const std::filesystem::path& path, Kept kept, std::size_t lineLength,
                RecordCheck check, bool slotted, bool createMissing, keiba::IoResult& unread);
    FileOutcome Upsert(const std::filesystem::path& path, Kept kept, RecordCheck check,
                       std::string line);
    std::size_t& Held(Kept kept) { return kept == Kept::Day ? heldDay_ : heldHorse_; }
    void MarkChanged(Image& img);
    keiba::IoResult Write(bool horsesToo, const std::function<void()>& between);

    std::filesystem::path appDir_;
    std::unordered_map<std::string, Image> files_; // by native path
    std::set<std::string> folders_;                // "SEI/2020": to be made with the horse files
    std::size_t heldDay_ = 0;
    std::size_t heldHorse_ = 0;
    std::size_t pending_ = 0;               // images changed and not yet written
    std::map<std::string, KeptLines> kept_; // by native path
};

// Removes the temporary files that killed writers left in the folders the import and the
// fetches write: the program folder (its settings), Data, and every folder of SEI and UM2.
// Returns how many were removed.
std::size_t RemoveStaleDataTemps(const std::filesystem::path& appDir);

FileOutcome FileDayRecord(const std::filesystem::path& appDir, DayFile kind,
                          std::string_view record, DayLineOptions opt = {});
FileOutcome FileRunnerSlot(const std::filesystem::path& appDir, std::string_view record,
                           bool createMissing = true);
FileOutcome FileHorseRun(const std::filesystem::path& appDir, std::string_view record);
FileOutcome FileHorseMaster(const std::filesystem::path& appDir, std::string_view record);

} // namespace jvdata
