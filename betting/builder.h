#pragma once
// The bet builder and the marks it works from.
//
// The mark grid (StringGrid1) has one row per runner, row r for horse number r; columns 8 to
// 11 hold the axis (軸), second-leg (ヒモ1), third-leg (ヒモ2) and exclusion (消) marks. The
// automatic marks fill columns 8 to 10 and the runner flags of the race calculation; the
// builder turns the marks into the bets of seven bet types, one grid each.

#include "betting/compute.h"
#include "betting/layout.h"
#include "betting/table.h"
#include "raceday/daymodel.h"

#include <array>
#include <cstdint>

namespace betting {

inline constexpr int kMarkAxisCol = 8;
inline constexpr int kMarkLeg1Col = 9;
inline constexpr int kMarkLeg2Col = 10;
inline constexpr int kMarkEraseCol = 11;

// Mark sources of `RadioGroup2`.
inline constexpr int kLogicSystem = 0; // ヴェルトロ: from the members' analysis texts
inline constexpr int kLogicUser = 1;   // ユーザー: the user combination's match flags

// The eight bet grids (headings in row 0, CP932) and their summary labels.
struct BetBook {
    BetBook();
    PlainTable& Grid(BetKind k) { return grids[static_cast<std::size_t>(PageOf(k))]; }
    const PlainTable& Grid(BetKind k) const { return grids[static_cast<std::size_t>(PageOf(k))]; }
    std::array<PlainTable, kBetKinds> grids;
    LabelBoard labels;
    AppearRateTable appearRates;
};

// What the stake steps read from the bet tab's controls.
struct StakeInputs {
    int mode = kModeEqual;   // RadioGroup1
    std::int64_t amount = 0; // SaNumEditExC1
};

// The seven grids of race `day.gCurRace` rebuilt from the mark grid, each
// followed by its distribution, appearance rates and results. The race's combination odds are
// converted first when a read of the odds left them pending. What the bet page's hidden
// KaimeMakeBtn does.
void BuildBets(raceday::RaceDay& day, const CellTable& marks, StakeInputs in, BetBook& book);

// The steps after a grid's bets are listed. `appearRows` < 0 skips the appearance rates.
void CompleteGrid(BetKind kind, const raceday::RaceDay& day, StakeInputs in, BetBook& book,
                  int appearRows);

// Columns 8 to 10 of the mark grid and the runner flags from the mark source; the exclusion
// column stays (what the bet page's hidden JikuHimoBtn does).
void FillAxisAndPartners(raceday::RaceDay& day, CellTable& marks, int logic);

// The mark toggle of a press on (col, row) of the mark grid; true when a mark changed. The caller
// rebuilds the bets after every press, toggled or not.
bool ToggleMark(const raceday::RaceDay& day, CellTable& marks, int logic, int col, int row);

} // namespace betting
