#pragma once
// The real-time fetches, the fetch timers' ticks, the arming of the odds timer and the
// time-series odds import, as the main window runs them. A host object of the window implements
// FetchHost; the operations do the work headless and call back for what only the window can do.
//
// Every fetch ends by reading again what it fetched and showing the selected race again. A
// fetch holds the owner of long operations while it runs and never starts while another
// operation holds it; asked through the owner to end (the window closing), it stops reading at
// its next pass, files what it read and fetches no further race.

#include "fetch/fetchstate.h"
#include "jvdata/jvlink.h"
#include "jvdata/rtfetch.h"
#include "keiba/context.h"
#include "keiba/operations.h"

#include <filesystem>
#include <string>
#include <vector>

namespace raceday {
struct RaceDay;
}

namespace fetch {

// What the main window provides. Texts are UTF-8.
class FetchHost {
public:
    virtual ~FetchHost() = default;

    // The loaded day the fetches read and fill, the flags they share with the timers and the
    // import, and the owner of long operations a fetch takes.
    virtual raceday::RaceDay& Day() = 0;
    virtual FetchFlags& Flags() = 0;
    virtual keiba::OperationOwner& Operations() = 0;

    // JVLink1; nullptr when the control is missing (every fetch then does nothing).
    virtual jvdata::TJVLink* JvLink() = 0;
    // The program folder the fetches file into, its settings, and the messages and clock.
    virtual const keiba::ProgramContext& Context() const = 0;

    // The race list (DatList): the selected race (-1 none; item i is race slot i), the number
    // of races, and selecting a race without showing it.
    virtual int SelectedRace() const = 0;
    virtual int RaceCount() const = 0;
    virtual void SelectRace(int index) = 0;
    // The day chosen in the list of race days (DateCombo): its place in the list (-1 none) and
    // its stem.
    virtual int LoadedDayIndex() const = 0;
    virtual std::string LoadedDayStem() const = 0;

    // A status line under the race list (DLlabel).
    virtual void ShowStatus(const std::string& text) = 0;
    virtual void ProcessMessages() {}
    // The hourglass cursor on or off.
    virtual void SetBusyCursor(bool /*busy*/) {}
    // Shows the selected race again (Day().gCurRace follows the selection): DatListClick.
    virtual void ShowSelectedRace() = 0;
    // The odds reader for Day().gOddsRaceIndex (the hidden OzReadBtn); the default runs it on
    // the loaded day.
    virtual void ReadRaceOdds();
    // The results re-read of the loaded day (HrReadBtn); the default runs it and its payout
    // tables.
    virtual void RereadResults();
    // The mining data read (DMReadBtn).
    virtual void ReadMining() {}
    // After a line was appended to ErrorLog.txt (the window keeps its ErrorLog list).
    virtual void ErrorLogAppended(const std::string& /*line*/) {}

    // Whether the automatic odds are on (AutoOzCheck), and turning them on or off without
    // running the checks of its click.
    virtual bool AutoOddsOn() const = 0;
    virtual void SetAutoOddsOn(bool on) = 0;
    // Starts or stops the odds timer (Timer1).
    virtual void RunOddsTimer(bool run) = 0;
    // The time left to the next post (RestTimeLabel) and the clock (NowTimLabel).
    virtual void ShowTimeToPost(const std::string& /*text*/) {}
    virtual void ShowClock(const std::string& /*text*/) {}
    // Loads again the day chosen in the list of race days (DateComboChange).
    virtual void ReloadDay() = 0;
};

// The commands, each the work of the button or menu item named after it.
void FetchShownRaceOdds(FetchHost& host); // SokuhoOddsBtnClick: "0B30" for the race shown
void FetchResults(FetchHost& host);       // KekkaGetBtnClick: "0B12" for the loaded day
void FetchMining(FetchHost& host);        // GetDMBtnClick: "0B13" for the loaded day
// The odds loop over lines of RaceKey + race slot "%2d": the hidden OzGetLoopBtn (the odds
// timer's due races) and, with the morning and middle steps, LOzBtn, AOzBtn and MOzBtn.
void OddsLoop(FetchHost& host, const std::vector<std::string>& races,
              jvdata::ReadStep step = jvdata::ReadStep::Odds);
// N1O1Click, 1日分の全オッズを一括取得(&O): the odds of every race of the list.
void FetchDayOdds(FetchHost& host);
// NextRaceBtnClick: selects the race that posts next; not while busy.
void ShowNextRace(FetchHost& host);

// The timers' ticks: Timer1Timer to Timer4Timer.
void OddsTimerTick(FetchHost& host);    // odds, every 40 s while armed
void ClockTick(FetchHost& host);        // clock, every 500 ms
void PostTimeTick(FetchHost& host);     // time to post, every second
void ResultsTimerTick(FetchHost& host); // results and mining, every AutoRdataGet minutes
inline constexpr int kTimer1Interval = 40000;
inline constexpr int kTimer2Interval = 500;
inline constexpr int kTimer3Interval = 1000;

// Arms or disarms the odds timer after its checks (AutoOzCheckClick; also run by the day
// load).
void ArmOddsTimer(FetchHost& host);

// The time-series odds import, ending with the reload of the day (the T1Click handler's work).
void ImportTimeSeriesOdds(FetchHost& host);
// The time-series folder of the settings, or empty when it is unset (blank, or the program
// folder itself).
std::filesystem::path TimeSeriesFolder(const keiba::ProgramContext& context);

} // namespace fetch
