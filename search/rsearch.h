#pragma once
// The tests of the R-horse search and of the R-level statistics on one members' analysis
// record (378 bytes): the runners no search counts, and the two sets of conditions.
//
// The conditions are read and checked once, before a walk starts; the tests then run on the
// worker thread of the walk, so a filter holds nothing but its own compiled values.

#include "search/nerairecord.h"
#include "search/rfields.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace search {

// A record no search counts: a jump race (this run's track code starting with "5"), a
// newcomers' race (condition "701") or status "0". `rec` is one whole record; a shorter one is
// skipped too.
inline bool RSkipped(std::string_view rec) {
    using namespace rfields;
    if (!Whole(rec)) return true;
    const std::string_view a = Block(rec, 0);
    return At(a, jvdata::TAnalysisRun::kTrack).front() == '5' ||
           At(a, jvdata::TAnalysisRun::kCondition) == "701" ||
           At(rec, jvdata::TAnalysisRecord::kStatus) == "0";
}
// A record the searches can count at all: this run's field size and racecourse both at least 1.
inline bool RCountable(std::string_view rec) {
    using namespace rfields;
    if (!Whole(rec)) return false;
    const std::string_view a = Block(rec, 0);
    return Int(At(a, jvdata::TAnalysisRun::kFieldSize)) >= 1 &&
           Int(At(a, jvdata::TAnalysisRun::kVenue)) >= 1;
}
// This run's race R level as a number (0 when it is not one).
inline int RRaceLevel(std::string_view rec) {
    using namespace rfields;
    return Whole(rec) ? Int(At(Block(rec, 0), jvdata::TAnalysisRun::kRaceRLevel)) : 0;
}
// A payout's nine bytes as rfields::Int reads them. A payout is nine digits as the service
// writes it, and a walk of hits reads two of every record: those are read eight at a time
// (the digits' bytes held to '0'..'9' and joined pairwise), anything else as Int reads it.
inline std::int64_t RPayout(std::string_view nine) {
    static_assert(jvdata::TAnalysisRecord::kWinPayout.width == 9 &&
                  jvdata::TAnalysisRecord::kPlacePayout.width == 9);
    static_assert(std::endian::native == std::endian::little); // the first byte the lowest
    std::uint64_t x;
    std::memcpy(&x, nine.data(), 8);
    const std::uint64_t d = x - 0x3030303030303030u;
    const unsigned last = static_cast<unsigned>(nine[8]) - '0';
    if ((x & 0xF0F0F0F0F0F0F0F0u) != 0x3030303030303030u ||
        ((d + 0x0606060606060606u) & 0xF0F0F0F0F0F0F0F0u) != 0 || last > 9)
        return rfields::Int(nine);
    // The first byte is the highest digit: bytes joined into pairs, fours, then eight.
    std::uint64_t v = (d * 10 + (d >> 8)) & 0x00FF00FF00FF00FFu;
    v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFu;
    v = (v * 10000 + (v >> 32)) & 0xFFFFFFFFu;
    return static_cast<std::int64_t>(v * 10 + last);
}

// The win and place payouts as numbers (0 when not a number).
inline std::int64_t RWinPayout(std::string_view rec) {
    using namespace rfields;
    return Whole(rec) ? RPayout(At(rec, jvdata::TAnalysisRecord::kWinPayout)) : 0;
}
inline std::int64_t RPlacePayout(std::string_view rec) {
    using namespace rfields;
    return Whole(rec) ? RPayout(At(rec, jvdata::TAnalysisRecord::kPlacePayout)) : 0;
}

class RFilter {
public:
    virtual ~RFilter() = default;
    // Whether a record that is neither skipped nor uncountable is a hit.
    virtual bool Matches(std::string_view rec) const = 0;
};

// A list condition: the items chosen, one bit per item (item 1 is bit 0); none chosen passes
// everything.
struct RListCondition {
    std::uint32_t chosen = 0;
    bool Pass(std::uint32_t items) const { return chosen == 0 || (chosen & items) != 0; }
};

// The conditions of the 成績検索 tab: the lists and ranges of this run (half 0, block at +226)
// and of the previous run (half 1, block at +301).
class RSearchConditions : public RFilter {
public:
    struct Half {
        RListCondition track, basho, age, klass, rlevel, ruma, yoso, zogen, lvZokusei;
        RListCondition josho, senzai, kieken, course, kyori, hiLvKoso, hi1st, ketto, kishu;
        int tosuMin = 0, tosuMax = 0, kyoriMin = 0, kyoriMax = 0, ninMin = 0, ninMax = 0;
        std::int64_t ozMinTenths = 0, ozMaxTenths = 0;
        double hiLvMin = 0, loLvMin = 0;
        int r5soMin = 0;
        bool hasFinish = false; // the previous run only
        int cjMin = 0, cjMax = 0;
        bool anyList = false; // any list with a selection
    };

    // The editor's values read and checked: a decimal edit that is empty or not a number is
    // named in the message and nothing is searched.
    struct Read;
    static Read FromValues(const NeraiValues& values);

    bool Matches(std::string_view rec) const override;
    const Half& HalfOf(int half) const { return halves_[half == 0 ? 0 : 1]; }

private:
    Half halves_[2];
};

struct RSearchConditions::Read {
    std::optional<RSearchConditions> conditions;
    std::string message; // UTF-8, empty when the conditions are there
};

// The conditions of the R馬統計 tab, all on this run: TrackListT, AgeListT, ClassListT and
// RUmaListT, each given as the selected flags of its items.
class RStatsConditions : public RFilter {
public:
    RStatsConditions(const std::vector<bool>& track, const std::vector<bool>& age,
                     const std::vector<bool>& klass, const std::vector<bool>& ruma);
    bool Matches(std::string_view rec) const override;

private:
    RListCondition track_, age_, klass_, ruma_;
};

} // namespace search
