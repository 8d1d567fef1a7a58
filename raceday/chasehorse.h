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

// `ChaseHorses`: sorted, duplicates ignored.
class ChaseHorseList {
public:
    // False when the line was there already or is not a 46-byte line.
    bool Add(std::string_view line);
    // Every 46-byte line of a file's bytes; the other lines (but empty ones), which are no
    // tracked horse it can read, are given back as they were, in file order, for the file to
    // keep.
    std::vector<std::string> Merge(std::string_view fileBytes);
    // The horses in order, then `unread` as it is, each line with CR LF.
    std::string Bytes(const std::vector<std::string>& unread = {}) const;
    std::size_t Count() const { return lines_.size(); }

private:
    std::set<std::string> lines_;
};

std::filesystem::path ChaseHorseFile(const std::filesystem::path& appDir);

struct ChaseSave {
    keiba::IoResult written = keiba::IoResult::Ok();
    // Lines of the file it could not read, written back after the horses as they were.
    std::size_t keptUnread = 0;
};

// The list merged with the file of `appDir`, written back whole; a file that is there but
// cannot be read is left as it is, and the result says so.
ChaseSave SaveChaseHorses(ChaseHorseList& list, const std::filesystem::path& appDir);

enum class ChaseResult { OutOfRange, NoRunner, Declined, Registered, WriteFailed };

// `R1Click` on runner slot `h` of race slot `r`: asks, flags the runner, adds it to the list,
// rewrites the file of the context's folder and says so, with the lines of the file it could not
// read and kept. The caller shows the race again when it was registered.
ChaseResult RegisterChaseHorse(RaceDay& day, int r, int h, ChaseHorseList& list,
                               const keiba::ProgramContext& context);

} // namespace raceday
