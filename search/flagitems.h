#pragma once
// The items of the condition flag groups as bits (item i is bit i - 1), for the target
// conditions and the R-horse search: both test the same groups, on different records, and a
// group passes a record when one of the record's items is chosen. Inline: both searches call
// them once per runner and group.

#include <cstdint>
#include <string_view>

namespace search::flagitems {

constexpr std::uint32_t Bit(int item) {
    return std::uint32_t{1} << (item - 1);
}

// Item i for a value i within 1..n, nothing otherwise.
inline std::uint32_t Numbered(int value, int n) {
    return value >= 1 && value <= n ? Bit(value) : 0;
}

// 芝, ダート; jump races are neither.
inline std::uint32_t TrackItems(int trackCode) {
    if (trackCode >= 10 && trackCode <= 22) return Bit(1);
    if (trackCode >= 23 && trackCode <= 29) return Bit(2);
    return 0;
}

inline std::uint32_t AgeItems(int raceTypeCode) {
    switch (raceTypeCode) {
    case 11: return Bit(1);
    case 12: return Bit(2);
    case 13:
    case 18: return Bit(3);
    case 14:
    case 19: return Bit(4);
    default: return 0;
    }
}

// The race condition's item and the grade letter's; a race may have both.
inline std::uint32_t ClassItems(int conditionCode, std::string_view grade) {
    std::uint32_t items = 0;
    switch (conditionCode) {
    case 703: items = Bit(1); break;
    case 5: items = Bit(2); break;
    case 10: items = Bit(3); break;
    case 16: items = Bit(4); break;
    case 999: items = Bit(5); break;
    default: break;
    }
    if (grade.size() != 1) return items;
    switch (grade.front()) {
    case 'C': return items | Bit(6);
    case 'B': return items | Bit(7);
    case 'A': return items | Bit(8);
    default: return items;
    }
}

// R+ for code 1, R- for 2, 非 for 0 (a blank or anything that is not a number).
inline std::uint32_t RUmaItems(int rCode) {
    switch (rCode) {
    case 1: return Bit(1);
    case 2: return Bit(2);
    case 0: return Bit(3);
    default: return 0;
    }
}

// A pedigree or jockey rank letter, S to D.
inline std::uint32_t RankItems(std::string_view letter) {
    if (letter.size() != 1) return 0;
    switch (letter.front()) {
    case 'S': return Bit(1);
    case 'A': return Bit(2);
    case 'B': return Bit(3);
    case 'C': return Bit(4);
    case 'D': return Bit(5);
    default: return 0;
    }
}

} // namespace search::flagitems
