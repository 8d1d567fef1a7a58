#pragma once
// What the R-horse screens show of a walk: the texts of the two hit grids (formatted from a hit
// row when a cell is painted), the result labels of the R-horse search and the level table of
// the statistics. Texts are CP932.

#include "search/rscan.h"

#include <array>
#include <string>

namespace search {

// The hit list (StringGrid8, StringGrid1): 開催日 場所R 馬 馬名 着順 掛金 単勝払戻 複勝払戻
// 単勝収支 複勝収支.
inline constexpr int kHitListColumns = 10;
enum HitListColumn { kListDate, kListRace, kListHorse, kListName, kListFinish };
std::string HitListCell(const RHit& hit, int col);

// The hit details (StringGrid7, StringGrid2): date, race, name and this run's field size, then
// this run (4..28), the previous run (29..55) and both payouts (56, 57).
inline constexpr int kHitDetailColumns = 58;
std::string HitDetailCell(const RHit& hit, int col);

// The result labels of the R-horse search, each "%8d" or "%8.1f"; blanks where nothing is
// shown. A cancelled walk shows none, a walk without hits only the hit count.
struct RResultLabels {
    std::string gaitoSu, tanBuy, tanGet, tanTeki, tanKaishu, fukBuy, fukGet, fukTeki, fukKaishu;
};
RResultLabels ResultLabels(const RTally& tally, bool cancelled);

// "検索済:<days>開催日/<hits>頭" (UTF-8).
std::string ProgressText(int daysRead, std::size_t hits);

// What a walk could not search (UTF-8), empty when it searched every file: the files with
// damage named under "一部が壊れているため、検索できなかった分析データがあります。", then each file
// that cannot be read with its cause, the first kNamedFiles of each and how many more.
inline constexpr std::size_t kNamedFiles = 10;
std::string UnsearchedFilesText(const RScanResult& result);

// The level table (StringGrid3): 13 rows of 10 columns.
inline constexpr int kLevelRows = 13;
inline constexpr int kLevelColumns = 10;
// The row labels of column 0 (UTF-8): "Rレベル", "高★" .. "低★", "総合", "高＋以上" ...
std::string_view LevelRowLabel(int row);
// The headings of row 0 (UTF-8).
std::string_view LevelHeading(int col);
// Columns 1..9 of rows 1..12 from the tallies; the rate columns stay empty for a row of no
// runners.
std::array<std::array<std::string, kLevelColumns>, kLevelRows> LevelTable(const RTally& tally);

} // namespace search
