#pragma once
// Tracked horses: `ChaseHorse.dat` in the program folder, one 46-byte line per horse (pedigree
// number, 10 bytes, then the horse name as stored, 36 bytes), CR LF, sorted, no duplicates. The
// file keeps the horses of earlier runs: each registration reads it, merges and rewrites it.

#include "keiba/context.h"
#include "keiba/fileio.h"
#include "raceday/daymodel.h"

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace raceday {

inline constexpr std::size_t kChaseLineLength = 46;

// Whether a line of the file (without its line end) is a tracked horse's: 46 bytes, a pedigree
// number of ten letters or digits, then a name of CP932 text (whole characters).
bool IsChaseHorseLine(std::string_view line);

// `ChaseHorses`: the horses registered since the program started, sorted, duplicates ignored.
class ChaseHorseList {
public:
    // False when the line was there already or is not a tracked horse's.
    bool Add(std::string_view line);
    // The file `fileBytes` with the list's horses it lacks put in among its own, which are sorted
    // and each kept once; a line that is no tracked horse it can read stays as it was, with its
    // own line end, in its place among the lines around it (dayfiles.h: a new horse goes after
    // the last horse before it, at the start when none is). `unread` receives how many such
    // lines there are, empty ones aside.
    std::string MergedInto(std::string_view fileBytes, std::size_t* unread = nullptr) const;
    std::size_t Count() const { return lines_.size(); }

private:
    std::set<std::string> lines_;
};

std::filesystem::path ChaseHorseFile(const std::filesystem::path& appDir);

struct ChaseSave {
    keiba::IoResult written = keiba::IoResult::Ok();
    // Lines of the file it could not read, written back in their places as they were.
    std::size_t keptUnread = 0;
};

// The file of `appDir` as it stands with the list merged into it, written back whole; a file
// that is there but cannot be read is left as it is, and the result says so.
ChaseSave SaveChaseHorses(ChaseHorseList& list, const std::filesystem::path& appDir);

enum class ChaseResult { OutOfRange, NoRunner, Declined, Registered, WriteFailed };

// `R1Click` on runner slot `h` of race slot `r`: asks, flags the runner, adds it to the list,
// rewrites the file of the context's folder and says so, with the lines of the file it could not
// read and kept. The caller shows the race again when it was registered.
ChaseResult RegisterChaseHorse(RaceDay& day, int r, int h, ChaseHorseList& list,
                               const keiba::ProgramContext& context);

} // namespace raceday
