#pragma once
// The texts of one analysis run block as the analysis grids show them, column by column: the
// data-check grid and the R-horse hit details decode the same fields with the same converters,
// so they share these. Texts are CP932.

#include "jvdata/records.h"

#include <array>
#include <string>

namespace raceday {

enum class RunCell {
    Venue,     // 場所: the 2-character racecourse name
    FieldSize, // 頭
    Track,     // ﾄﾗｯｸ: the first character of the short track text
    Distance,  // 距離: the four characters as stored
    RaceType,  // 種別
    Condition, // 競走条件
    Grade,     // Grade
    RLevel,    // RLev
    Popularity,
    Finish,
    Odds, // "%5.1f" of the tenths, five blanks below 1
    RUma,
    Mark,
    Trend, // 増減理
    Josho,
    Senzai,
    Keiken,
    Course,
    Kyori,
    LvAttribute,
    HiLvKoso,
    HiLvRate, // as stored
    LoLvRate,
    Pedigree,
    Jockey,
    FirstHigh, // 初高
    Past5,     // as stored
};

// The race columns ﾄﾗｯｸ 距離 種別 競走条件 Grade and the 20 mark columns RLev .. 5走, in the
// grids' order.
inline constexpr std::array<RunCell, 5> kRunRaceCells = {
    RunCell::Track, RunCell::Distance, RunCell::RaceType, RunCell::Condition, RunCell::Grade};
inline constexpr std::array<RunCell, 20> kRunMarkCells = {
    RunCell::RLevel,      RunCell::Popularity, RunCell::Finish,    RunCell::Odds,
    RunCell::RUma,        RunCell::Mark,       RunCell::Trend,     RunCell::Josho,
    RunCell::Senzai,      RunCell::Keiken,     RunCell::Course,    RunCell::Kyori,
    RunCell::LvAttribute, RunCell::HiLvKoso,   RunCell::HiLvRate,  RunCell::LoLvRate,
    RunCell::Pedigree,    RunCell::Jockey,     RunCell::FirstHigh, RunCell::Past5};

// The text of one cell of a run block. Numbers a converter takes are read as the day load
// reads them; a field that is not a number gives the converter's blank or empty text.
std::string RunCellText(const jvdata::TAnalysisRun& run, RunCell cell);

// "%5d" of a payout field (0 when it is not a number).
std::string PayoutCellText(std::string_view payoutField);

} // namespace raceday
