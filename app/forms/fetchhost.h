#pragma once
// The main window's side of the real-time fetches and their timers (fetch/fetchops.h): the
// race list, the list of race days, the status line, the automatic-odds box, the time displays
// and the odds timer. The window owns it, fills `ui` as it builds those widgets and gives it
// the day, the owner of long operations, the JV-Link control and what to run to show a race or
// load a day again.

#include "fetch/fetchops.h"
#include "fetch/fetchstate.h"

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;

namespace fetch {
class FetchTimers;
}

namespace app {

class MainFetchHost final : public fetch::FetchHost {
public:
    struct Widgets {
        QListWidget* DatList = nullptr;
        QComboBox* DateCombo = nullptr;
        QLabel* DLlabel = nullptr;
        QCheckBox* AutoOzCheck = nullptr;
        QLabel* RestTimeLabel = nullptr;
        QLabel* NowTimLabel = nullptr;
        fetch::FetchTimers* timers = nullptr;
    } ui;

    struct Commands {
        std::function<void()> showSelectedRace; // DatListClick
        std::function<void()> reloadDay;        // DateComboChange
    };

    // `errorLog` is the window's list of this run's error lines.
    MainFetchHost(raceday::RaceDay& day, keiba::OperationOwner& operations, jvdata::TJVLink* link,
                  const keiba::ProgramContext& context, std::vector<std::string>& errorLog,
                  Commands commands);

    raceday::RaceDay& Day() override { return day_; }
    fetch::FetchFlags& Flags() override { return flags_; }
    keiba::OperationOwner& Operations() override { return operations_; }
    jvdata::TJVLink* JvLink() override { return link_; }
    const keiba::ProgramContext& Context() const override { return context_; }
    int SelectedRace() const override;
    int RaceCount() const override;
    void SelectRace(int index) override;
    int LoadedDayIndex() const override;
    std::string LoadedDayStem() const override;
    void ShowStatus(const std::string& text) override;
    void ProcessMessages() override;
    void SetBusyCursor(bool busy) override;
    void ShowSelectedRace() override { commands_.showSelectedRace(); }
    void ErrorLogAppended(const std::string& line) override { errorLog_.push_back(line); }
    bool AutoOddsOn() const override;
    void SetAutoOddsOn(bool on) override;
    void RunOddsTimer(bool run) override;
    void ShowTimeToPost(const std::string& text) override;
    void ShowClock(const std::string& text) override;
    void ReloadDay() override { commands_.reloadDay(); }

private:
    raceday::RaceDay& day_;
    // Shared with the import dialog, which answers the same cancel.
    fetch::FetchFlags flags_;
    keiba::OperationOwner& operations_;
    jvdata::TJVLink* link_;
    const keiba::ProgramContext& context_;
    std::vector<std::string>& errorLog_;
    Commands commands_;
    int busyCursors_ = 0;
};

} // namespace app
