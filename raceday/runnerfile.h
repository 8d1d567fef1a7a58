#pragma once
// A venue's runner file of one day (Data/<stem><venue>.jvSEr): 216 slots of one line each, races
// 1..12 by runners 1..18, a blank line where no runner has been filed yet. The day load reads it
// here, and so may any other reader of these files: the file's bytes in, each runner's sound
// record and what the file lost of a race's runners out.
//
// Each sound record is taken for the runner it names (its race number and runner number), not
// for the slot its line stands in, so a record put in twice, a line split by a line break or a
// record cut short costs no runner but its own.

#include "jvdata/dayfiles.h"

#include <array>
#include <string_view>
#include <vector>

namespace raceday {

class RunnerFile {
public:
    // `bytes` must outlive the reader: the records are views into it.
    explicit RunnerFile(std::string_view bytes);

    // The sound record (jvdata/recordcheck.h) of runner `horse` (1..18) of the race of key
    // `key16`, or an empty view. Of two records of one runner, the first in the file is taken; a
    // record of another race with the same race and runner numbers is passed over.
    std::string_view Runner(std::string_view key16, int horse) const;

    // How many of the race's runners 1..`runners` (races 1..12 only) the file has no sound record
    // of while their slot's line is not a blank one: runners filed and lost to damage, or past
    // the end of a file cut short.
    std::size_t Lost(std::string_view key16, int runners) const;

    // The race keys of the file's sound records, each once, in file order.
    const std::vector<std::string_view>& RaceKeys() const { return raceKeys_; }

private:
    // The slots of blank lines, placed by where the line starts: a line split by damage before
    // it moves it a few bytes, never a whole slot, while its place in the list of lines moves.
    std::vector<bool> blankSlots_ =
        std::vector<bool>(static_cast<std::size_t>(jvdata::kRunnerSlots));
    // The sound records with their slots (by race and runner number), sorted by slot.
    std::vector<std::pair<int, std::string_view>> records_;
    std::vector<std::string_view> raceKeys_;
};

} // namespace raceday
