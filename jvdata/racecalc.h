#pragma once
// The per-race numbers derived from the odds and payout records of the loaded day.

#include <array>
#include <cstdint>
#include <string>

namespace jvdata {

inline constexpr int kMaxRaces = 36;
inline constexpr int kMaxRunners = 18;

// Combination counts of the bet types for runners 1 to 18.
inline constexpr int kQuinellaCount = 153;
inline constexpr int kExactaCount = 306;
inline constexpr int kTrioCount = 816;
inline constexpr int kTrifectaCount = 4896;

// Per-runner arrays are indexed by runner slot h = 0..17 (runner number - 1). Combination
// arrays are indexed by the 1-based combination index k; element 0 is never used.
struct TRaceCalc {
    template <typename T> using PerRunner = std::array<T, kMaxRunners>;
    template <typename T, int N> using ByIndex = std::array<T, N + 1>;

    std::string OzTime1; // "hhmm": post time minus AutoOzGet minutes
    std::string OzTime2; // one minute later
    std::string DeliverTime;
    PerRunner<std::uint8_t> Tracked{};
    PerRunner<double> HorseValue{};
    PerRunner<double> SupportRate{}; // 80 / win odds while they are above 0; else 0
    // Eight tables (all, <=1600 m, 1601-2200 m, >=2201 m, turf, turf heavy, dirt, dirt heavy)
    // of 1st, 2nd, 3rd and unplaced counts per runner; survives the clear.
    std::array<PerRunner<std::array<int, 4>>, 8> PlaceCounts{};
    PerRunner<std::array<std::uint8_t, 4>> NeraiMatch{};
    PerRunner<std::array<std::uint8_t, 3>> UserNeraiMatch{};
    PerRunner<std::uint8_t> AxisFlag{};
    PerRunner<int> PartnerFlag1{};
    PerRunner<int> PartnerFlag2{};
    // Odds: decimal odds; -1.0 no sale (dashes or stars), -2.0 blank, 0.0 not read.
    PerRunner<double> WinOdds{};
    PerRunner<double> PlaceOddsMin{};
    PerRunner<double> PlaceOddsMax{};
    ByIndex<double, kQuinellaCount> UmarenOdds{};
    ByIndex<double, kQuinellaCount> WideOdds{};
    ByIndex<double, kExactaCount> UmatanOdds{};
    ByIndex<double, kTrioCount> SanrenpukuOdds{};
    ByIndex<double, kTrifectaCount> SanrentanOdds{};
    // Popularity ranks; 0 = none.
    PerRunner<int> WinPop{};
    PerRunner<int> PlaceMinPop{};
    PerRunner<int> PlaceMaxPop{};
    ByIndex<int, kQuinellaCount> UmarenPop{};
    ByIndex<int, kQuinellaCount> WidePop{};
    ByIndex<int, kExactaCount> UmatanPop{};
    ByIndex<int, kTrioCount> SanrenpukuPop{};
    ByIndex<int, kTrifectaCount> SanrentanPop{};
    std::uint8_t PayoutSeen = 0;
    // What the combination arrays above hold. Their only reader (the bet builder) converts them
    // on first use (ConvertPendingCombinationOdds): a read of the odds records leaves them to be
    // converted from the records, a clear leaves them to be zeroed.
    enum class Combinations : std::uint8_t { Current, FromRecords, Cleared };
    Combinations CombinationOdds = Combinations::Current;

    // The clear of a day load: every field but PlaceCounts to zero.
    void Clear();
    // The odds outputs of the odds reader, and the support rates derived from them, to zero (the
    // combination arrays when first read).
    void ClearOdds();
    // The combination arrays to zero now.
    void ZeroCombinationOdds();
};

// Payout tables of the loaded day: [race slot][entry j], j 1-based (element 0 unused).
struct PayoutTables {
    template <typename T, int N> using Table = std::array<std::array<T, N + 1>, kMaxRaces>;

    Table<int, 3> gPayKeyWin{};
    Table<int, 5> gPayKeyPlace{};
    Table<std::string, 3> gPayKeyWakuren{};
    Table<std::string, 3> gPayKeyUmaren{};
    Table<std::string, 7> gPayKeyWide{};
    Table<std::string, 6> gPayKeyUmatan{};
    Table<std::string, 3> gPayKeySanrenpuku{};
    Table<std::string, 6> gPayKeySanrentan{};
    Table<int, 3> gPayPopWin{};
    Table<int, 5> gPayPopPlace{};
    Table<int, 3> gPayPopWakuren{};
    Table<int, 3> gPayPopUmaren{};
    Table<int, 7> gPayPopWide{};
    Table<int, 6> gPayPopUmatan{};
    Table<int, 3> gPayPopSanrenpuku{};
    Table<int, 6> gPayPopSanrentan{};
    // Yen per 100 yen. 64-bit: a trifecta can pay millions, and stakes multiply it.
    Table<std::int64_t, 3> gPayYenWin{};
    Table<std::int64_t, 5> gPayYenPlace{};
    Table<std::int64_t, 3> gPayYenWakuren{};
    Table<std::int64_t, 3> gPayYenUmaren{};
    Table<std::int64_t, 7> gPayYenWide{};
    Table<std::int64_t, 6> gPayYenUmatan{};
    Table<std::int64_t, 3> gPayYenSanrenpuku{};
    Table<std::int64_t, 6> gPayYenSanrentan{};
};

} // namespace jvdata
