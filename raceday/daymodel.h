#pragma once
// The race-day data model: one loaded day of at most 36 races of at most 18 runners, in
// fixed arrays allocated once for the whole run.
//
// Indexes: race slot r = 0..35 (the race's place in the day's race list), runner slot
// h = 0..17 (runner number - 1), past-run slot k = 0..19 (0 = most recent; 0..2 are filled).

#include "jvdata/oddsreader.h"
#include "jvdata/racecalc.h"
#include "jvdata/records.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace raceday {

using jvdata::kMaxRaces;
using jvdata::kMaxRunners;
inline constexpr int kPastRunSlots = 20;
inline constexpr int kPastRunsRead = 3;

// A target condition set: one 214-character line and CR LF.
using TNeraiRecord = jvdata::FixedRecord<216>;

// The texts the grids show for one race, decoded from the members' records and hand input.
// CP932. Per-runner fields [h]; past-run fields [h][k], k = 0..2.
struct TOutData2 {
    template <typename T> using PerRunner = std::array<T, kMaxRunners>;
    using PastTexts = PerRunner<std::array<std::string, kPastRunsRead>>;

    std::string RaceRLevelText;
    std::string RplsTou;
    std::string RmnsTou;
    std::string RaceComment;
    PerRunner<std::string> YosoMark;
    PerRunner<std::string> RUmaMark;
    PerRunner<std::string> RakuGenText;
    PastTexts PastDate;
    PastTexts PastVenue;
    PastTexts PastRaceNo;
    PastTexts PastRLevel;
    PastTexts PastRUma;
    PerRunner<std::string> ZogenText;
    PerRunner<std::string> JoshoMark;
    PerRunner<std::string> SenzaiMark;
    PerRunner<std::string> LvZokuseiText;
    PerRunner<std::string> CourseMark;
    PerRunner<std::string> KyoriMark;
    PerRunner<std::string> HiLvKosoMark;
    PerRunner<std::string> HiLvRate;
    PerRunner<std::string> LoLvRate;
    PerRunner<std::string> KeikenMark;
    PerRunner<std::string> RJunText;
    PerRunner<std::string> KettoRank;
    PerRunner<std::string> KishuRank;
    PerRunner<std::string> HatsuKoMark;
    PerRunner<std::string> Past5Total;

    void Clear() { *this = TOutData2{}; }
};

// One loaded day. It is large (about 25 MB of fixed records): the application holds one, on
// the heap, and hands it to the load, the fetches, the painters, the bets and the searches.
struct RaceDay {
    template <typename T> using PerRace = std::array<T, kMaxRaces>;
    template <typename T> using PerRunner = PerRace<std::array<T, kMaxRunners>>;
    template <typename T> using PerPastRun = PerRunner<std::array<T, kPastRunSlots>>;

    PerRace<jvdata::TJvRA> gDayRaces;
    PerRunner<jvdata::TJvSE> gDayHorses;
    PerPastRun<jvdata::TJvSE> gPastRunHorses;
    PerPastRun<jvdata::TJvRA> gPastRunRaces;
    PerRace<jvdata::TJvHR> gDayPayouts;
    PerRunner<jvdata::TJvUM> gDayHorseMasters;
    PerRace<jvdata::TJvO1> gDayOddsO1;
    PerRace<jvdata::TJvO2> gDayOddsO2;
    PerRace<jvdata::TJvO3> gDayOddsO3;
    PerRace<jvdata::TJvO4> gDayOddsO4;
    PerRace<jvdata::TJvO5> gDayOddsO5;
    PerRace<jvdata::TJvO6> gDayOddsO6;
    PerRunner<jvdata::TAnalysisRecord> gDayHorseAnalysis;
    PerRace<jvdata::TJvRC> gRcRecords;
    PerRunner<std::array<int, 6>> gPrintStatsA{};
    PerRunner<std::array<int, 6>> gPrintStatsB{};
    jvdata::TJvRA gCurRaceRec;
    PerRace<jvdata::TRaceCalc> gRaceCalc;
    PerRace<TOutData2> gRaceTexts;
    std::array<TNeraiRecord, 5> gNeraiSlots; // 1..4 used
    PerRace<std::uint8_t> gDeliverDoneFlags{};
    jvdata::PayoutTables gPayoutTables;

    int gCurRace = 0;
    int gCurHorse = 0;
    int gDayRaceCount = 0;
    int gOddsRaceIndex = 0;
    int gAutoRdataMinutes = 10;

    std::filesystem::path gRaFileName;
    std::filesystem::path gHrFileName;
    std::filesystem::path gDmFileName;
    std::filesystem::path gO1FileName, gO2FileName, gO3FileName, gO4FileName, gO5FileName,
        gO6FileName;
    std::filesystem::path gVzkXqFileName;
    std::filesystem::path gVzkRcomCsvName;
    std::filesystem::path rumaFileName;
    std::string dayStem; // UTF-8, "2026年12月06日"
    // BashoLabel1..3: the day's venue codes in ascending order; BashoIdx1..3: the race slot
    // ("%2d") of each venue's first race.
    std::array<std::string, 3> venueCodes;
    std::array<std::string, 3> venueFirstSlots;
    // The stake of each race in yen, set from DefaultAmount by the day load.
    PerRace<std::int64_t> RaceAmounts{};

    // The odds files of the loaded day, each read once per change.
    jvdata::OddsFileCache oddsCache;
    // Races whose odds records are still the previous day's: a day load leaves them to its odds
    // step, which copies each record once and blanks the slots it finds nothing for.
    PerRace<std::uint8_t> StaleOdds{};
    // Odds records the load's odds step has read straight into their slots: bit k for O(k+1).
    PerRace<std::uint8_t> PlacedOdds{};

    jvdata::OddsDayFiles OddsFiles() const;
    jvdata::RaceOddsSlots OddsSlots(int r);
};

// The day load's first step (the hidden IniBtn): clears every race's calculation record (but its
// placing counts; the support rates go with the odds they derive from), its texts and its
// delivery flag.
void ClearRaceDay(RaceDay& day);

// Blank fill of the day records of every race, as a load that finds no race file leaves them.
void BlankDayRecords(RaceDay& day);
// Blank fill of the records of runner slot h of race slot r: entry, horse master and past runs.
void BlankRunnerRecords(RaceDay& day, std::size_t r, std::size_t h);
// Blank fill of the six odds records of race slot r.
void BlankOddsRecords(RaceDay& day, std::size_t r);

// The calculation record of race slot r with its combination odds converted from the race's
// odds slots: reads of the odds leave that to the first reader of them.
const jvdata::TRaceCalc& CombinationOdds(RaceDay& day, int r);

// Field size of race slot r, clamped to 0..18.
int FieldSize(const RaceDay& day, int r);

} // namespace raceday
