#pragma once
// The list of race days and the day load.
//
// The load drives the operations of other parts of the system in a fixed order. What it shows
// while it runs goes to a DayLoadProgress; the steps it asks of the window that holds the day go
// to a DayLoadSteps, whose defaults do the data work, so that a load runs headless with the two
// plain classes. Texts given to the progress are UTF-8, but for the progress text, which changes
// per runner and is CP932 (the window converts it only when it shows it).

#include "keiba/context.h"
#include "keiba/fileio.h"
#include "raceday/daymodel.h"
#include "raceday/dayreport.h"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace raceday {

// What a load shows while it runs: the progress form and the lists it fills.
class DayLoadProgress {
public:
    virtual ~DayLoadProgress() = default;

    virtual void PrepareForLoad(bool /*isToday*/) {} // hide the race panels, stop Timer4
    virtual void ShowProgress(int /*max*/, const std::string& /*heading*/,
                              const std::string& /*status*/) {}
    virtual void SetProgressPosition(int /*position*/) {}
    virtual void StepProgress() {}
    virtual void SetProgressText(const std::string& /*cp932*/) {}
    virtual void HideProgress() {}
    // The lists of the day's races (the window's DatList and the R-horse search form's): emptied,
    // then one caption a race.
    virtual void ClearRaces() {}
    virtual void AddRace(const std::string& /*caption*/) {}
    // The day's three venues: their codes and their first race slots, "%2d" (BashoLabel1..3
    // and BashoIdx1..3).
    virtual void ShowVenues(const std::array<std::string, 3>& /*codes*/,
                            const std::array<std::string, 3>& /*firstSlots*/) {}
    // The batch load selects each day's item in the date combo before it loads the day, so
    // that what the load runs (the automatic-odds checks) sees the day being loaded.
    virtual void SelectDateItem(const std::string& /*stem*/) {}
    // The load ended without a day to show (no race file, a damaged one, a cancel): nothing of
    // an earlier day may stay on the screen, the race header included.
    virtual void ShowNoDay() {}
    // True once the one who watches the load wants it to end (the window is closing). The load
    // looks after each step that lets the screen handle its events, and ends there.
    virtual bool CancelRequested() const { return false; }
};

// The steps a load asks of the window, in the order of first use.
class DayLoadSteps {
public:
    virtual ~DayLoadSteps() = default;

    // The work of the window's hidden buttons IniBtn, UMConvertBtn, OzReadBtn (for
    // day.gOddsRaceIndex), CalcBtn and SisuStatBtn2.
    virtual void ClearDay(RaceDay& day);
    // Makes the horse's .jvUM2 from its older .jvUMA when it has none yet (jvdata::ConvertUmaFile).
    struct HorseMasterConversion {
        // Fails, naming the file, when a horse file is there but cannot be read (the load tells
        // it).
        keiba::IoResult failure;
        // Fails, naming the file and the cause, when the newer file could not be written (the
        // load tells it once for the day, and shows `master` all the same).
        keiba::IoResult writeFailure;
        // Whether the older file held damage, which was not copied, and whether it stood where
        // the master would be, so that no master is shown (the load tells it against the older
        // file).
        bool damaged = false, masterLost = false;
        // The horse's master as converted, CR LF included; empty when there is none.
        std::string master;
    };
    virtual HorseMasterConversion ConvertHorseMaster(const std::filesystem::path& um2File,
                                                     const std::filesystem::path& umaFile);
    virtual void ReadRaceOdds(RaceDay& day);
    virtual void MakePayoutTables(RaceDay& day);
    virtual void SaveIndexStats() {}

    // Timers: armed for today's date, or tomorrow's from 18:00. The results timer is Timer4;
    // the automatic odds are on when AutoOzCheck is ticked.
    virtual void StartResultsTimer(int /*intervalMs*/) {}
    virtual bool AutoOddsOn() const { return false; }
    // Ticks the automatic-odds box, runs its click and enables the delivery timer when the
    // forwarding menu item is checked.
    virtual void ArmAutoOdds() {}

    // Target searches and user combination settings (NeraiCombo1Change..NeraiCombo4Change and
    // TUserKaimeForm::NeraiKaimeComboChange); the window looks at its own combos.
    virtual void MatchTargetSlot(int /*slot 1..4*/) {}
    virtual void ApplyUserBetSet(int /*set 1..3*/) {}
    // DatList item 0 selected and shown.
    virtual void SelectFirstRace() {}
};

// The day stems ("2026年12月06日", UTF-8) of the race files in <appDir>/Data, newest first. A
// folder that is there but cannot be listed gives no days and fails `listed` (keiba::ListFolder):
// the user's days are not gone, and are not to be shown as if they were.
std::vector<std::string> MakeDataList(const std::filesystem::path& appDir,
                                      keiba::IoResult* listed = nullptr);

// The date of a stem, or nothing when the name is not one.
std::optional<std::chrono::year_month_day> StemDate(std::string_view stem);

enum class DayLoadResult { Loaded, NoRaceFile, Damaged, Unreadable, Cancelled, BadStem };

// Loads the day of `stem` from the program folder of `context` into `day`, with that folder's
// settings (the date combo's `DateComboChange` handler's work). A missing race file, or an empty
// one while no other file of the day holds a race, beeps and says
// "データ作成が未完了のようです。"; one that is there but cannot be read says so, naming it and
// the cause, and nothing loads. Every kind of file the load reads is read as the kinds table says
// (raceday/dayfilekinds.h): only records that read as their layout says are taken, a damaged
// one costs its own race or runner alone, and the user is told, in one message after the day is
// shown, which file lost how many races or runners of the day. The race file's sound races take
// the race slots in file order; the races the day's runner and win odds files hold that it lacks
// are lost too, and with no sound race nothing loads. A day file, members' file or horse file
// that is there but cannot be read is told in the same message (a missing one is not: most days
// lack some), and the horse master is not made again over one that cannot be read.
// A day that does not load, or a cancelled load, leaves the day blank. The caller holds the
// owner of long operations for the load (keiba/operations.h): nothing else may touch the day
// while the load pumps events.
DayLoadResult LoadDay(RaceDay& day, const std::string& stem, DayLoadProgress& progress,
                      DayLoadSteps& steps, const keiba::ProgramContext& context);

// Loads, oldest first, every listed day without a statistics marker (the `DirectReadBtnClick`
// handler's work); a cancelled load ends the batch.
void LoadDaysWithoutStats(RaceDay& day, const std::vector<std::string>& dateList,
                          DayLoadProgress& progress, DayLoadSteps& steps,
                          const keiba::ProgramContext& context);

// The odds step of a day load: every race's odds records are replaced. Each odds file is first
// read straight into the slots of the races it holds in the order of the race slots; then
// the steps' ReadRaceOdds for every race slot reads what that left (each of the day's odds files
// looked at once, since nothing rewrites them while the load runs) and converts the odds. Slots
// still holding the previous day's odds afterwards are blanked. Returns the races each file (O1
// to O6) lost of the day (OddsFileLoss), for the load to tell: found from the pieces the reads
// found, so no file is read for it again.
using OddsLosses = std::array<std::size_t, 6>;
OddsLosses ReadDayOdds(RaceDay& day, DayLoadSteps& steps);

// The races of the loaded day the kind's odds file lost, from its pieces as the day's odds cache
// holds them (jvdata::OddsFileCache::ForEachPiece): a race without a sound record of its own
// (jvdata::NamesRace) where damage, a record of another day or race, a second record of a race or
// the file's empty end stands in its place (LostRaces). A record put in twice beside the others
// is taken once and costs nothing. 0 for a file that is missing or cannot be read.
std::size_t OddsFileLoss(RaceDay& day, jvdata::DayFileKind kind, const std::filesystem::path& path);

// What the odds files read since the day load or the last call could not give, into `report`: the
// files the odds cache could not read, and the races each file it read lost of the day
// (OddsFileLoss). The re-read of a race's odds after a fetch tells its files' damage through it.
// Returns how many files were read, or could not be.
std::size_t ReportOddsFilesRead(RaceDay& day, DayReport& report);

// The results re-read of the day of `stem` (the hidden `HrReadBtn`'s work), through the load's
// readers of the race, runner and payout files. Returns true when the shown race has just got its
// payouts (the caller then shows it again). The races whose payouts the file lost to damage are
// counted in `report`, with the files that are there but cannot be read, for the caller to tell.
bool RereadResults(RaceDay& day, const std::string& stem, DayLoadSteps& steps,
                   const std::filesystem::path& appDir, DayReport& report);

} // namespace raceday
