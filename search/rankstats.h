#pragma once
// The statistics tab's workbench: a table of past races (one row per race, the first row its
// headings) counted by the ranks 1 to 18 of the first three finishers, and its files, which hold
// one line per grid row with every cell in double quotes, separated by commas (CP932, CR LF).

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace search {

using StatsRows = std::vector<std::vector<std::string>>;

// The columns of the data table the computation reads (0-based).
inline constexpr int kStatsRank1 = 9;     // rank of the winner; 10 a second rank of the winner
inline constexpr int kStatsRank2 = 11;    // of the second (12 its second rank)
inline constexpr int kStatsRank3 = 13;    // of the third (14 its second rank)
inline constexpr int kStatsWinPay = 15;   // yen per 100 yen
inline constexpr int kStatsQuinella = 25; // 馬連
inline constexpr int kStatsTrio = 35;     // 3連複
inline constexpr int kStatsDataColumns = 39;
// A file's lines may be wider than the grid's 39 columns: the grid widens to the widest line, up
// to this many columns; a wider file is refused rather than cut.
inline constexpr int kStatsMaxColumns = 256;

// The summary grid: column 0 the row labels, columns 1..18 the ranks; rows 1..9 the first table
// (ranks of columns 9, 11, 13), rows 11..19 the second (ranks of columns 10, 12, 14).
inline constexpr int kStatsSummaryColumns = 19;
inline constexpr int kStatsSummaryRows = 30;
inline constexpr int kStatsRanks = 18;
using StatsSummary =
    std::array<std::array<std::string, kStatsSummaryColumns>, kStatsSummaryRows>; // [row][col]

// `CalcBtn2Click` over the data rows (row 0, the headings, is not read). Texts are UTF-8.
// A row counts when its three ranks and its win payout are at least 1 and its ranks lie within
// 1..18; in the second table a second rank of 0 counts as rank 7. Rates stay empty while no
// row counts, averages while no winner carries the rank.
StatsSummary ComputeRankStats(const StatsRows& rows);

// The file of a grid: one line per row, each cell quoted (quotes inside doubled), CR LF.
std::string StatsFileBytes(const StatsRows& rows);
// The rows of a file, one per line, split as comma text.
StatsRows ParseStatsFile(std::string_view bytes);
// The columns the data grid needs to hold every field of `rows`: 39, or the widest row's count.
int StatsGridColumns(const StatsRows& rows);

} // namespace search
