#pragma once
// The index race card StringGrid10 (出馬表): one row per runner of the shown race with its card
// data, the members' marks, odds and result. Its fill also writes the first columns of the
// abnormal-value table StringGrid8, the bet builder's mark grid StringGrid1 and the index table
// StringGrid9.

#include "raceday/daymodel.h"
#include "views/grid.h"

#include <QColor>
#include <QFont>

namespace views {

// Columns of the index race card.
enum CardCol : int {
    kCardBracket = 0,
    kCardNumber = 1,
    kCardName = 2,
    kCardSexAge = 3,
    kCardJockey = 4,
    kCardJockeyRank = 5,
    kCardWeight = 6,
    kCardPedigreeRank = 7,
    kCardForecast = 8,
    kCardRUma = 9,
    kCardRakuGen = 10,
    kCardWinOdds = 11,
    kCardWinPop = 12,
    kCardPlaceOdds = 13,
    kCardPlacePop = 14,
    kCardPast1 = 15,
    kCardPast2 = 16,
    kCardPast3 = 17,
    kCardZogen = 18,
    kCardJosho = 19,
    kCardSenzai = 20,
    kCardKeiken = 21,
    kCardCourse = 22,
    kCardKyori = 23,
    kCardLvZokusei = 24,
    kCardHiLvKoso = 25,
    kCardHiRate = 26,
    kCardLoRate = 27,
    kCardHatsuKo = 28,
    kCardPast5 = 29,
    kCardFinish = 30,
    kCardFinalPop = 31,
    kCardColumns = 32,
};

inline constexpr int kAbnormalColumns = 27; // StringGrid8
inline constexpr int kMarkColumns = 14;     // StringGrid1
inline constexpr int kIndexColumns = 31;    // StringGrid9

// The cell colours the runner grids and cards share.
namespace cellcolors {
inline const QColor kBlack(Qt::black);
inline const QColor kWhite(0xFFFFFF);
inline const QColor kSilver(0xC0C0C0); // heading rows
inline const QColor kRed(0xFF0000);    // a marked or tracked runner
inline const QColor kBlue(0x0000FF);
inline const QColor kCyan(0xA2FFFF); // result columns
} // namespace cellcolors

// A cell's number as the painters read it: the trimmed text as a whole number, else 0.
int CellNumber(const GridModel& grid, int col, int row);
// Whether runner `number` (1-based) of the shown race is a tracked horse; false for a number or
// a race outside the day.
bool ShownRunnerTracked(const raceday::RaceDay& day, int number);
// Bracket colours 1..8 on screen; nothing for another number.
QColor BracketColor(int bracket);
// Rank colour of a popularity or position: 1 red, 2 and 3 blue, else black.
QColor RankColor(int rank);
// The tooltip background (FFFFE1) the horse-number cells use.
QColor InfoBackground();
// The fixed-pitch font of the runner grids (ＭＳ ゴシック, 13 pixels high).
QFont RunnerGridFont();

// Column count, widths, headings, row heights, font and whole-row selection. The race selection
// then sets the row count to the field size + 1 and clears the data rows.
void SetupIndexRaceCard(StringGrid& grid);
void SetupAbnormalTable(StringGrid& grid); // StringGrid8
void SetupMarkGrid(StringGrid& grid);      // StringGrid1
void SetupIndexTable(StringGrid& grid);    // StringGrid9

// The grids the fill writes; any may be missing.
struct IndexCardGrids {
    GridModel* card = nullptr;     // StringGrid10
    GridModel* abnormal = nullptr; // StringGrid8
    GridModel* marks = nullptr;    // StringGrid1
    GridModel* index = nullptr;    // StringGrid9
};

// The fill of `sisushutubaBtnClick`: rows 1..runners from runner slots 0..runners-1 of the shown
// race `day.gCurRace`. `runners` is the odds table's RowCount - 1 (every race grid has the same
// row count); it is held to the grids' rows and to 18 runners. Nothing happens below 1.
void FillIndexRaceCard(const raceday::RaceDay& day, const IndexCardGrids& grids, int runners);

// `StringGrid10DrawCell`: the paint of one cell. The runner of a data row is found from that
// row's own horse number, so the target marks follow the runner through a sort.
void StringGrid10DrawCell(const raceday::RaceDay& day, const GridModel& grid, int col, int row,
                          CellPaint& paint);
// Installs StringGrid10DrawCell as the grid's painter, reading `day` at every paint; the day
// must outlive the grid.
void AttachIndexRaceCard(StringGrid& grid, const raceday::RaceDay& day);

// Colours of the target slots 1..4 (blue, yellow, lime, fuchsia).
QColor TargetSlotColor(int slot);

} // namespace views
