#pragma once
// The hit list of the target slots: one line per runner of the day that matches at least one
// slot, sorted by post time, racecourse, race number and horse number, and the texts of its
// 15 grid columns.
//
// A hit line (CP932, 50 bytes): post time hhmm, racecourse code, race number, horse number,
// one "1" or blank per slot 1..4, race short name (6), race type (2), condition code (3), track
// code (2), distance (4), bracket (1), horse name (18, cut on a character boundary and padded).

#include "raceday/daymodel.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace search {

inline constexpr int kHitColumns = 15;
inline constexpr std::size_t kHitLineLength = 50;

struct NeraiHitList {
    std::vector<std::string> lines; // sorted, no duplicates
    std::array<int, 4> slotCounts{};
};

// Races 0..raceCount-1 of the race list and their runners.
NeraiHitList BuildNeraiHitList(const raceday::RaceDay& day, int raceCount);

// The cells of one grid row (CP932): 狙1..狙4 ("■" or empty), 発走, 場所, ﾚｰｽ, ﾚｰｽ名, 種別,
// 競走条件, TR, 距離, 枠, 馬, 馬名.
std::array<std::string, kHitColumns> NeraiHitCells(std::string_view line);

} // namespace search
