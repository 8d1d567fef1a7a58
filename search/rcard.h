#pragma once
// A hit's race opened for the race card form: the race record, its runners and their analysis
// records read from the day's files, and the captions of the form. The race is found by the
// hit's own identity (date, racecourse, race number, horse), never by reading a grid's text.

#include "raceday/cardrace.h"
#include "search/rscan.h"

#include <filesystem>
#include <memory>
#include <string>

namespace search {

using raceday::RCardRace;

enum class RCardStatus {
    Opened,
    NotARace,     // the hit's date, racecourse or race number (1..12) names no race
    NoRaceFile,   // Data/<stem>.jvRA is missing
    RaceNotFound, // the race file does not hold the race
    RaceDamaged,  // nor does it hold it soundly, and it shows damage that may have held it
    NoRunnerFile, // Data/<stem><racecourse>.jvSEr is missing
    Unreadable,   // one of those two is there but cannot be read
};

struct RCardLoad {
    RCardStatus status = RCardStatus::NotARace;
    std::unique_ptr<RCardRace> race; // set when Opened
    // UTF-8, set when not Opened, and when it opened without some of its data: runners or
    // analysis records lost to damage (counted in runners, a line a file) or an analysis file
    // that is there but cannot be read
    std::string message;
};

// Reads the race of `hit` from the files of `appDir`, each through the day load's reader of its
// kind: only sound records are shown, and a damaged one costs only its own runner. A missing
// analysis file opens the race without analysis data; so does one that cannot be read, which
// the message says.
RCardLoad LoadRCardRace(const std::filesystem::path& appDir, const RHit& hit);

} // namespace search
