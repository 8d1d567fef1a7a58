#pragma once
// The computations that complete a bet grid after its bets are listed: the stake
// distribution, the appearance rates and the results against the race's payouts. They keep no
// state: the grid cells are the data, and every run recomputes the columns it owns.

#include "betting/layout.h"
#include "betting/table.h"
#include "jvdata/racecalc.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace betting {

// "消" in CP932: the erase mark of a bet row and the exclusion mark of the mark grid.
const std::string& EraseMark();

inline constexpr int kMaxBetRows = 4896;

// Distribution modes of `RadioGroup1`.
inline constexpr int kModeEqual = 0;
inline constexpr int kModeProportional = 1;

// A cell's number as the grids write them: right-aligned digits with an optional fraction.
double CellDouble(std::string_view cell);

// "%Nd" of a whole number, the text keiba::FormatInt gives, without a detour through printf:
// a build writes tens of thousands of them. PutInt writes it at `out`, which has room for
// max(width, 20) characters, and returns its end; `width` is at least 0.
std::string IntText(std::int64_t value, int width);
char* PutInt(char* out, std::int64_t value, int width);

// `CalcFundDistribution`: spreads `budget` yen over the counted rows (a row number, not
// erased, odds present) in 100-yen units and fills the type's count, total and expected-return
// labels. A budget under 100 clears the stakes, payouts, shares and those labels; empty grids
// and grids without odds are left as they are.
void CalcFundDistribution(BetKind kind, int mode, std::int64_t budget, PlainTable& grid,
                          int payoutCol, int stakeCol, int eraseCol, int oddsCol, int numberCol,
                          LabelBoard& labels);

// Appearance rates: per field size 4..18 and column 1..54 (three blocks of 18 popularities) the
// share of races a runner of that popularity appeared in. Nothing supplies the table yet, so it
// holds 0.0 throughout; the bet book carries one.
struct AppearRateTable {
    std::array<std::array<double, 55>, 19> rate{};
};

// Percent; 0.0 for a popularity below 1. Nothing for a field size or popularity the table does
// not cover.
std::optional<double> GetAppearRate(const AppearRateTable& table, int block, int fieldSize,
                                    int popularity);

// `FillAppearRateColumn`: rows 1..rows, the runner at `position` (1..3) of the source text.
// Rows whose runner has no rate in the table keep their text.
void FillAppearRateColumn(const AppearRateTable& table, int block, int position, int fieldSize,
                          int rows, PlainTable& grid, int destCol, int srcCol);
// The same for up to three columns of one source in one pass over the rows; the columns written
// are not the source.
void FillAppearRateColumns(const AppearRateTable& table, std::span<const AppearCall> calls,
                           int fieldSize, int rows, PlainTable& grid, int srcCol);

// The payout entries of a type for race slot `race`: key as the grids write it (" 3", " 3-12",
// " 1- 5- 9"; empty while not published), yen per 100 yen, popularity.
struct PayoutEntryView {
    std::string key;
    std::int64_t yen = 0;
    int popularity = 0;
};
std::vector<PayoutEntryView> PayoutEntries(BetKind kind, const jvdata::PayoutTables& tables,
                                           int race);
// Whether a key cell wins one of the entries (single types by the number's value).
bool KeyHits(BetKind kind, std::string_view keyCell, const PayoutEntryView& entry);

// `SetKaimeResults`: the payout, return and popularity of every winning row and the type's
// result label. 枠連 writes nothing.
void SetKaimeResults(BetKind kind, int keyCol, int stakeCol, PlainTable& grid, int popCol,
                     int returnCol, int payoutCol, const jvdata::PayoutTables& tables, int race,
                     LabelBoard& labels);

} // namespace betting
