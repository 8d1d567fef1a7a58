#pragma once
// The odds reader: one race's odds records of the loaded day into its calculation record.

#include "jvdata/dayfilekinds.h"
#include "jvdata/filestamp.h"
#include "jvdata/racecalc.h"
#include "jvdata/records.h"
#include "keiba/fileio.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace jvdata {

// One odds field: -1.0 for a run of "-" or "*" as wide as the field, -2.0 for blanks,
// otherwise the digits divided by 10. A field that is none of these (damaged bytes) reads as
// blank rather than ending the whole read.
double ConvertOddsField(std::string_view field);

// The odds kind of O(k+1), k 0 to 5: the kinds table holds them in that order.
constexpr DayFileKind OddsKind(std::size_t k) {
    return static_cast<DayFileKind>(static_cast<std::size_t>(DayFileKind::Odds1) + k);
}
static_assert(OddsKind(5) == DayFileKind::Odds6);

// The odds day files of a day, each read once and walked into its pieces (ForEachOddsPiece) as
// the kinds table says its records are. A file is read again when it is another file or has
// changed since (its FileStamp), so a day load reads each file once and a fetch that rewrote a
// file is seen at once. A file read within the file system's time step of its last change is read
// again at the next look (see Settled).
class OddsFileCache {
public:
    // The first sound record of the kind's file that names the race `race` (NamesRace: its date,
    // venue, meeting, day and race number), or an empty view: a record of another day or race is
    // never taken for it, and of two records of the race the first is. `exists` is false when
    // there is no such file, and when there is one that cannot be read, which `unreadable` tells.
    std::string_view Find(const std::filesystem::path& path, DayFileKind kind, const RaceKey& race,
                          bool* exists, bool* unreadable = nullptr);
    // The pieces of the kind's file in file order, as the cache read it (read now when it holds
    // the file not as it stands): each sound record, and each stretch that holds none, as a view
    // of its bytes; together they are the whole file. False, with nothing given, when there is no
    // such file or it cannot be read.
    bool ForEachPiece(const std::filesystem::path& path, DayFileKind kind,
                      const std::function<void(std::string_view piece, bool sound)>& piece);
    // The failures of the reads since the last call, one for each file (its path and cause).
    // Within a Hold a file that could not be read is not read again until it changes.
    std::vector<keiba::IoResult> TakeReadFailures();
    // The files (native paths) read since the last call, each once: the ones whose damage may not
    // have been told yet.
    std::vector<std::string> TakeFilesRead();
    // Whether something is at `path`.
    bool Exists(const std::filesystem::path& path);
    void Clear() {
        files_.clear();
        looked_.clear();
        failures_.clear();
        read_.clear();
    }

    // While a Hold lives, each path is looked at once: for a run of reads during which nothing
    // can rewrite the files (the odds step of a day load reads six files for every race).
    class Hold {
    public:
        explicit Hold(OddsFileCache& cache)
            : cache_(cache) {
            if (cache_.holds_++ == 0) {
                cache_.looked_.clear();
                ++cache_.holdNumber_;
            }
        }
        ~Hold() {
            if (--cache_.holds_ == 0) cache_.looked_.clear();
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        OddsFileCache& cache_;
    };

private:
    struct Look {
        std::string path; // native
        bool exists = false, regular = false;
        bool absent = true; // nothing there: not something that could not be looked at
        FileStamp stamp;
        std::int64_t lookedAt = 0; // FileClockNow before the look
    };
    struct File {
        std::string path; // native
        DayFileKind kind = DayFileKind::Odds1;
        FileStamp stamp;
        bool settled = false; // good while the stamp holds; otherwise for its own hold only
        unsigned hold = 0;    // the hold it was read in, 0 for none
        std::string bytes;
        // Where each piece starts, and whether it is a sound record; in file order.
        std::vector<std::pair<std::size_t, bool>> pieces;
        // The venue and race number of each sound record packed in four bytes, and its offset;
        // sorted by key, the records of one key in file order.
        std::vector<std::pair<std::uint32_t, std::size_t>> index;
    };
    struct Failure {
        std::string path; // native
        FileStamp stamp;
        keiba::IoResult read;
    };
    Look LookAt(const std::filesystem::path& path);
    File* Load(const std::filesystem::path& path, DayFileKind kind, bool* unreadable);
    // The odds files of two days: the loaded one and the one before.
    static constexpr std::size_t kFiles = 12;
    std::vector<File> files_;       // the last read last
    std::vector<Look> looked_;      // during a hold
    std::vector<Failure> failures_; // one for each path, until taken
    std::vector<std::string> read_; // the files read, until taken
    int holds_ = 0;
    unsigned holdNumber_ = 0;
};

// The pieces of a day file of the kind's fixed-length records (the kinds table gives their length
// and their check), in file order, as every reader here takes them: each sound record goes to
// `sound` with its offset, and each stretch that holds none (before the first sound record,
// between two, or after the last: damage inside, a cut, a line break) to `damaged` once, with the
// offset it starts at. A damaged record costs only its own race: after it a record is looked for
// wherever one may start, after a CR or an LF (a line end that lost the other byte still ends its
// line) or where the fixed length puts one, so a line break put in or a line end's byte lost,
// which shift every later record, lose none of them. Nothing for a kind of text lines.
void ForEachOddsPiece(std::string_view bytes, DayFileKind kind,
                      const std::function<void(std::size_t offset)>& sound,
                      const std::function<void(std::size_t offset)>& damaged);

struct OddsDayFiles {
    std::array<std::filesystem::path, 6> paths; // .jvO1 to .jvO6
};

// The race's odds slots of the day arrays.
struct RaceOddsSlots {
    TJvO1& o1;
    TJvO2& o2;
    TJvO3& o3;
    TJvO4& o4;
    TJvO5& o5;
    TJvO6& o6;
};

// What becomes of a slot whose file holds no record of the race.
enum class MissingOdds {
    Keep,  // a fetch: the slot keeps the odds it held
    Blank, // a day load: nothing of the previous day may stay
};

// Reads the race's odds records into its slots and converts the win and place odds into `calc`,
// with their ranks and support rates. The combination odds (quinella to trifecta) are left
// pending: only the bet builder reads them, for the race it shows, so they are converted when
// first read (ConvertPendingCombinationOdds), not for every race of every load and fetch.
// `placed`: bit k set when the day load has already read the O(k+1) record of the race straight
// into its slot (ReadOddsInRaceOrder), so that file's reading is skipped.
void ReadRaceOdds(const TJvRA& race, const OddsDayFiles& files, OddsFileCache& cache,
                  RaceOddsSlots slots, TRaceCalc& calc, MissingOdds missing = MissingOdds::Keep,
                  std::uint8_t placed = 0);

// The conversion of ReadRaceOdds, from the slots as they stand, combination odds included.
// `haveO1` is whether the O1 day file exists (win and place odds and ranks are converted only
// then).
void ConvertRaceOdds(const TJvRA& race, bool haveO1, const RaceOddsSlots& slots, TRaceCalc& calc);

// The combination odds and popularities of `calc` as the last read or clear left them: converted
// from the slots after a read, zeroed after a clear; once done, nothing changes until the next.
// Every reader of the combination odds calls it first.
void ConvertPendingCombinationOdds(const RaceOddsSlots& slots, TRaceCalc& calc);

// The day load's read of one odds day file straight into the slots of its races, with no copy:
// record i of the file goes into `slots[i]`, the slot of `races[i]` (the races in the order of
// the day's race file; the day files are kept sorted, so the odds files hold the same races in
// the same order). Returns how many slots from the first now hold their own race's record (sound,
// naming the race as NamesRace checks it, and the first of that race in the file), as the
// race-by-race read would have found it; the slots after them may hold other bytes and must be
// read race by race, in the Blank mode. Races without a number, and a race an earlier race already
// is, end the run. What the record check finds is kept in CheckedDayFiles, so the next read of the
// file as it stands checks nothing again.
std::size_t ReadOddsInRaceOrder(const std::filesystem::path& path, DayFileKind kind,
                                std::span<char* const> slots, std::span<const TJvRA> races);

} // namespace jvdata
