#pragma once
// What every odds conversion must give, shared by the odds reader's and the day load's targets.

#include "jvdata/racecalc.h"
#include "tests/fuzz/fuzzsupport.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace fuzz {

using jvdata::TRaceCalc;

// Decimal odds as the reader gives them: a marker, or tenths of at most `digits` digits.
inline bool OddsLike(double v, int digits) {
    if (v == -1.0 || v == -2.0) return true;
    if (!(v >= 0.0) || v > std::pow(10.0, digits - 1)) return false;
    double tenths = v * 10.0;
    return std::fabs(tenths - std::round(tenths)) < 1e-6;
}

// Ranks 1..m over the ranked runners, in the order of `value` (ties by runner number).
inline void CheckRanks(const TRaceCalc::PerRunner<int>& ranks,
                       const TRaceCalc::PerRunner<double>& value) {
    std::vector<std::size_t> ranked;
    for (std::size_t h = 0; h < ranks.size(); ++h) {
        FUZZ_CHECK(ranks[h] >= 0);
        if (ranks[h] > 0) ranked.push_back(h);
    }
    std::vector<int> seen;
    for (std::size_t h : ranked) seen.push_back(ranks[h]);
    std::sort(seen.begin(), seen.end());
    for (std::size_t i = 0; i < seen.size(); ++i) FUZZ_CHECK(seen[i] == static_cast<int>(i + 1));
    for (std::size_t a : ranked)
        for (std::size_t b : ranked)
            if (value[a] < value[b]) FUZZ_CHECK(ranks[a] < ranks[b]);
}

template <std::size_t N>
inline void CheckCombinations(const std::array<double, N>& odds, const std::array<int, N>& pops,
                              int digits) {
    FUZZ_CHECK(odds[0] == 0.0 && pops[0] == 0);
    for (std::size_t k = 1; k < N; ++k) {
        FUZZ_CHECK(OddsLike(odds[k], digits));
        FUZZ_CHECK(pops[k] >= 0 && pops[k] <= 1000000);
        if (odds[k] < 0.0) FUZZ_CHECK(pops[k] == 0);
    }
}

// The runners' odds and ranks of a race read with a win odds file.
inline void CheckRunnerOdds(const TRaceCalc& calc) {
    CheckRanks(calc.WinPop, calc.WinOdds);
    CheckRanks(calc.PlaceMinPop, calc.PlaceOddsMin);
    CheckRanks(calc.PlaceMaxPop, calc.PlaceOddsMax);
    CheckCombinations(calc.UmarenOdds, calc.UmarenPop, 6);
    CheckCombinations(calc.WideOdds, calc.WidePop, 5);
    CheckCombinations(calc.UmatanOdds, calc.UmatanPop, 6);
    CheckCombinations(calc.SanrenpukuOdds, calc.SanrenpukuPop, 6);
    CheckCombinations(calc.SanrentanOdds, calc.SanrentanPop, 7);
}

} // namespace fuzz
