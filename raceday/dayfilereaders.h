#pragma once
// The readers of a day's race and payout files and of its runners' horse files. Each takes a
// file's bytes and gives its sound records (views into the bytes) and what damage cost, counted
// in the unit the user knows. Every record is checked as the kinds table says
// (raceday/dayfilekinds.h); a reader goes on from one line to the next, so a damaged record
// costs only itself.

#include "raceday/daymodel.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace raceday {

// The races of a race file of the day `date8` ("yyyymmdd"): its sound records of that day, the
// first of each race, in file order, at most kMaxRaces. `lost` is what the day lost: the races
// the damaged lines held (reckoned from their length where nothing else tells), the races the
// day's other files hold that the file lacks (`heldElsewhere`: race keys, such as those of the
// day's runner and odds files; a race file cut at a record end lacks them without any damage
// left to see), and sound races beyond the day's kMaxRaces slots.
struct RaceFileRead {
    std::vector<std::string_view> races;
    std::size_t lost = 0;
};
RaceFileRead ReadRaceFile(std::string_view bytes, std::string_view date8,
                          const std::vector<std::string_view>& heldElsewhere);

// The payouts of the races of `day` from its payout file: the first sound record of each race
// (matched by date, venue and race number), and the races the damage took (LostRaces: the file is
// filed race by race, so it may end at a record end without a word). An empty file has lost them
// all.
struct PayoutFileRead {
    std::array<std::string_view, kMaxRaces> records{};
    std::size_t lost = 0;
};
PayoutFileRead ReadPayoutFile(std::string_view bytes, const RaceDay& day);

// A runner's past runs from its horse's .jvSEI file: the last kPastRunsRead runs before
// `raceDate` (yyyymmdd as a number), the newest first, in the order of their dates (of one day,
// of their race keys) whatever the order of the file, a run put in twice taken once. A run is
// taken as the k-th only when every run between it and the race day is known: damage (a piece
// that is no sound run of this horse) whose day still reads is the run of that day, and the runs
// older than it are not taken; damage whose day cannot be read could be any run, and no run is
// taken. `lost` when that cost a run that would be shown, or the file is empty. Damage of a run
// on or after the race day, or older than the runs taken, or on the day of a sound run (a horse
// runs once a day: a copy), costs nothing shown. A file cut at a record end cannot be told from a
// horse with fewer runs.
struct HorseRunsRead {
    std::array<std::string_view, kPastRunsRead> runs{};
    std::size_t count = 0;
    bool lost = false;
};
HorseRunsRead ReadHorseRuns(std::string_view bytes, std::string_view pedigreeId,
                            std::int64_t raceDate);

// The horse master of a .jvUM2 file: its first sound UM record of the horse `pedigreeId`, or an
// empty view and `*lost` set when the file holds none (empty, cut or damaged) or damage stands
// before it, where the master may have been: a later record never stands in its place.
std::string_view ReadHorseMaster(std::string_view bytes, std::string_view pedigreeId, bool* lost);

} // namespace raceday
