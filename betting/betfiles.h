#pragma once
// The files that hand bets to outside programs: the voting plug-in's CSV (and the plug-in's
// start), the .BET file of an outside betting tool, and the day's forecast marks as CSV.
//
// The line builders are pure; the writers around them check, ask, write and report through the
// platform layers. Every file is CP932 with CR LF and replaces its predecessor whole.

#include "betting/host.h"
#include "betting/table.h"
#include "keiba/context.h"
#include "raceday/daymodel.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace betting {

// The columns a writer reads of a grid.
struct VoteColumns {
    int stakeCol, eraseCol, oddsCol, keyCol;
};

// A row is handed on when its key, odds and stake are present and it is not erased.
bool IsVoteRow(const PlainTable& grid, int row, const VoteColumns& cols);

// The plug-in CSV lines of every vote row, in grid order: date, venue, race, code, "NORMAL",
// stake, combination and an empty field.
std::string QvxCsvBytes(std::string_view code, const PlainTable& grid, const VoteColumns& cols,
                        const jvdata::TJvRA& race);
// The .BET file: the header of the race's meeting, then one line per vote row. `betTypeName`
// is UTF-8 ("馬連").
std::string BrivelBytes(std::string_view betTypeName, const PlainTable& grid,
                        const VoteColumns& cols, const jvdata::TJvRA& race);

enum class VoteResult { Refused, Cancelled, WriteFailed, Written, LaunchFailed, Launched };

// `WriteQvxTohyoCsv`: the three checks, the plug-in folder, the confirmation, the file
// `<QVXTohyo2>/kaime/<yymmdd>.csv` and the start of `QVXTohyoPlugIn2.exe` with the file's path.
// `amount` is passed by the callers and not used.
VoteResult WriteQvxTohyoCsv(std::string_view code, std::int64_t amount, const PlainTable& grid,
                            const VoteColumns& cols, const raceday::RaceDay& day,
                            const BetHost& host, const keiba::ProgramContext& context);

// `WriteBrivelFile`: the same checks and a confirmation, then `<kaime folder>/<yymmdd>.BET`.
VoteResult WriteBrivelFile(std::string_view betTypeName, std::int64_t amount,
                           const PlainTable& grid, const VoteColumns& cols,
                           const raceday::RaceDay& day, const BetHost& host,
                           const keiba::ProgramContext& context);

// The marks CSV lines of races 0..raceCount-1: race key, horse number, ",", forecast mark;
// sorted, CR LF.
std::string MarksCsvBytes(const raceday::RaceDay& day, int raceCount);

// `N50Click`: `<program folder>/CSV/Sirusi<yyyymmdd>.csv` and its confirmation. Nothing without
// a day. Returns the file written, or an empty path.
std::filesystem::path WriteMarksCsv(const raceday::RaceDay& day, const BetHost& host,
                                    const keiba::ProgramContext& context);

} // namespace betting
