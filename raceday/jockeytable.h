#pragma once
// The jockey table `jockdata.kcsv` of the program folder: CSV lines, shown sorted on the 資料
// page, five fields a row.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace raceday {

inline constexpr std::size_t kJockeyFields = 5;
using JockeyRow = std::array<std::string, kJockeyFields>; // CP932

struct JockeyTable {
    std::vector<JockeyRow> rows; // in the sorted order of the lines
    int shortLines = 0;          // lines with fewer than five fields (their missing cells blank)
};

// The rows of the file's bytes: lines sorted by their bytes, each split at commas.
JockeyTable ParseJockeyTable(std::string_view bytes);

} // namespace raceday
