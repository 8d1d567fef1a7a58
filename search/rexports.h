#pragma once
// The R-horse CSV exports of the loaded day: per runner of every race of the race list, the
// 16-character race key, the horse number and, after a comma, a value (CP932, CR LF, no
// heading line). `RUma<yyyymmdd>.csv` carries the R mark ("1" R+, "2" R-), `RLevel<yyyymmdd>.csv`
// the race's R level 1..7, and the Get and Give files nothing.

#include "keiba/fileio.h"
#include "raceday/daymodel.h"

#include <filesystem>
#include <optional>
#include <string>

namespace search {

enum class RExportKind { RUma, RLevel, Empty };

// The lines of races 0..raceCount-1, runners 1..field size (at most 18) each.
std::string RExportBytes(const raceday::RaceDay& day, int raceCount, RExportKind kind);

// The "yyyymmdd" of the first race of the day; nothing when its date is not a real day.
std::optional<std::string> RExportDate(const raceday::RaceDay& day);

// The confirmation after both files of an export were written.
std::string RExportMessage(const std::filesystem::path& first, const std::filesystem::path& second);

// The two files of an export written in turn into `folder` (which must exist); the first
// failure stops the export and is returned (its message names the file).
keiba::IoResult WriteRExportPair(const std::filesystem::path& first, const std::string& firstBytes,
                                 const std::filesystem::path& second,
                                 const std::string& secondBytes);

} // namespace search
