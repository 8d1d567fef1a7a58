#pragma once
// The main window's side of the day load (raceday/dayload.h), as two objects the window owns:
// what a load shows (the progress form, the race lists, the venue labels, the race panels it
// hides) and the steps it asks for after the data work (the timers, the automatic odds, the
// target slots, the user's bet sets, the first race). Each holds only the widgets it uses; the
// window fills `ui` as it builds them.

#include "raceday/dayload.h"

#include <array>
#include <string>

class QAction;
class QComboBox;
class QLabel;
class QListWidget;
class QTimer;
class QWidget;

namespace betting {
class TUserKaimeForm;
}

namespace fetch {
class FetchHost;
class FetchTimers;
} // namespace fetch

namespace keiba {
class OperationOwner;
}

namespace search {
class NeraiSlotPanel;
}

namespace app {

class RaceHeaderView;
class TPrgrsForm;

class MainDayLoadView final : public raceday::DayLoadProgress {
public:
    struct Widgets {
        QListWidget* DatList = nullptr;
        QComboBox* DateCombo = nullptr;
        // Hidden while a day loads: the race card list, the analysis tabs, Panel8 and the race
        // pages, which a shown race brings back.
        QWidget* StringGrid6 = nullptr;
        QWidget* PageControl3 = nullptr;
        QWidget* Panel8 = nullptr;
        QWidget* PageControl1 = nullptr;
        std::array<QLabel*, 3> BashoLabels{};
        std::array<QLabel*, 3> BashoIdxs{};
        // Created after the window; either may be missing.
        TPrgrsForm* progress = nullptr;
        QListWidget* searchRaceList = nullptr; // the R-horse search form's DatList
        // The results timer stops while a day loads; the load arms it again for its day.
        fetch::FetchTimers* timers = nullptr;
    } ui;

    // `operations` tells when the window wants the load to end; a day that does not load
    // clears `header`, whose time to post shows only for today's races.
    MainDayLoadView(const keiba::OperationOwner& operations, RaceHeaderView& header)
        : operations_(operations)
        , header_(header) {}

    void PrepareForLoad(bool isToday) override;
    void ShowProgress(int max, const std::string& heading, const std::string& status) override;
    void SetProgressPosition(int position) override;
    void StepProgress() override;
    void SetProgressText(const std::string& cp932) override;
    void HideProgress() override;
    void ClearRaces() override;
    void AddRace(const std::string& caption) override;
    void ShowVenues(const std::array<std::string, 3>& codes,
                    const std::array<std::string, 3>& firstSlots) override;
    void SelectDateItem(const std::string& stem) override;
    void ShowNoDay() override;
    bool CancelRequested() const override;

private:
    const keiba::OperationOwner& operations_;
    RaceHeaderView& header_;
};

// The statistics step keeps the interface's empty default: 指数統計保存(新) has no action.
class MainDayLoadSteps final : public raceday::DayLoadSteps {
public:
    struct Widgets {
        fetch::FetchTimers* timers = nullptr;
        // The forwarding menu item (携帯へ転送する) and its timer.
        QAction* N30 = nullptr;
        QTimer* DeliverTimer = nullptr;
        search::NeraiSlotPanel* neraiSlots = nullptr;
        // Created after the window; may be missing.
        betting::TUserKaimeForm* userKaime = nullptr;
    } ui;

    // The automatic odds and the race list are the fetches': the load arms the same odds
    // timer a click of the box does, and shows its first race as a fetch shows one.
    explicit MainDayLoadSteps(fetch::FetchHost& fetch)
        : fetch_(fetch) {}

    void StartResultsTimer(int intervalMs) override;
    bool AutoOddsOn() const override;
    void ArmAutoOdds() override;
    void MatchTargetSlot(int slot) override;
    void ApplyUserBetSet(int set) override;
    void SelectFirstRace() override;

private:
    fetch::FetchHost& fetch_;
};

} // namespace app
