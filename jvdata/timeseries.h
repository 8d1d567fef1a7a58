#pragma once
// Odds from the snapshot files of an outside time-series odds viewer: for every race of the
// loaded day and every odds kind, the snapshot announced nearest to the race's first automatic
// odds-fetch time goes into the day's odds file of that kind.
//
// Snapshot files: <folder>/<yyyymmdd>/<venue meeting day race>.jvO1 .. .jvO6, one odds record
// per line without its CR LF, in any order.

#include "jvdata/fetchschedule.h"
#include "keiba/fileio.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jvdata {

// The snapshot file of a race (its 16-character key) and odds kind 1..6; nothing for a key
// that is not sixteen digits.
std::optional<std::filesystem::path> TimeSeriesOddsFile(const std::filesystem::path& folder,
                                                        std::string_view raceKey, int kind);

// The line of `fileBytes` nearest to the fetch time `ozTime1` ("hhmm"): only records of the kind
// (its length and its record check, KindInfo(kind).sound), of the race `raceKey`, announced on
// race day, count; the first of equally near lines wins and one 1000 minutes or more away never
// does. `unread`, when given, receives how many lines (empty ones aside) are no record of the
// kind: damaged, for none of the file's can be.
std::optional<std::string> ChooseSnapshot(std::string_view fileBytes, int kind,
                                          std::string_view raceKey, std::string_view ozTime1,
                                          std::size_t* unread = nullptr);

// The odds file bytes with every whole line (dayfiles.h) of the snapshot's race replaced by it,
// or the snapshot put after the last whole line when none matched; the order of the lines is
// kept, and a line that is not whole stays in its place as it was. `unread`, when given, receives
// how many there are.
std::string ReplaceRaceLines(std::string_view fileBytes, std::string_view snapshot,
                             std::size_t* unread = nullptr);

struct TimeSeriesResult {
    int races = 0; // races whose win odds (O1) were filed
    keiba::IoResult written = keiba::IoResult::Ok();
    // What the user is told besides (UTF-8): the snapshot files with damaged lines, which were
    // passed over, and the odds files written with lines they could not read kept as they were;
    // each file once, with its count.
    std::vector<std::string> notes;
};

// Files the chosen snapshots of every race into <appDir>/Data. Stops at the first file that
// cannot be read or written, snapshot or odds file (`written` says which, with the cause); files
// written before it stay, and an unreadable one is left as it is.
TimeSeriesResult ImportTimeSeriesOdds(const std::filesystem::path& folder,
                                      const std::filesystem::path& appDir, const DayRaces& races,
                                      const DayCalcs& calcs);

} // namespace jvdata
