#pragma once
// The hand-input file of a day, `Data/<day stem>.ruma`: one line per race (CP932, CR LF) of the
// 12-character race key (date, racecourse, race number), the race's R level digit ('0' none,
// '1'..'7') and one character per horse number 1 to 18 ('1' R+, '2' R-, '0' none). A line the
// hand input wrote is exactly 31 characters; the key and 19 blanks stand for a race never
// edited. The day load reads the file into the R level texts and R marks of the day.

#include "raceday/daymodel.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace search {

inline constexpr std::size_t kRumaKeyLength = 12;
inline constexpr std::size_t kRumaLineLength = 31;

// What the hand input shows of one race: level 0..7, per horse 0 none, 1 R+, 2 R-.
struct RumaEntry {
    int level = 0;
    std::array<int, raceday::kMaxRunners> marks{};
    bool operator==(const RumaEntry&) const = default;
};

// The entry of the race `key12` as the day load reads the file (raceday::ApplyHandInput): of the
// lines that pass the hand input's check (KindInfo(DayFileKind::HandInput).sound) and whose first
// 12 characters are `key12`, the last; none gives the blank entry. A level or mark left blank
// reads as 0.
RumaEntry ReadRumaEntry(std::string_view fileBytes, std::string_view key12);

// The 19 characters after the key: the level digit and the 18 runner characters.
std::string RumaValue(const RumaEntry& entry);

// The file after the race `key12` was set to `entry`. An existing file (`fileBytes`) has every
// line of the race that passes the check replaced (each keeping its own line end), or the race's
// line added at the end when it has none, or when a reader would still take another line for
// the race; a line that does not pass the check stays as it was, in its place, and `unread`,
// when given, receives how many there are (empty ones aside). Without a file, one line per key
// of `raceKeys` (the race list's order) holds the key and 19 blanks before the race's line is
// replaced.
std::string UpdateRumaFile(const std::optional<std::string>& fileBytes,
                           const std::vector<std::string>& raceKeys, std::string_view key12,
                           const RumaEntry& entry, std::size_t* unread = nullptr);

// The 12-character keys of races 0..raceCount-1 of the day.
std::vector<std::string> DayRumaKeys(const raceday::RaceDay& day, int raceCount);

} // namespace search
