#pragma once
// The main window's side of the bet tab (betting/host.h): the list of race days, the race list
// and the window's folder picker. The window owns it, fills `ui` as it builds its widgets and
// gives it what to run to show the selected race.

#include "betting/host.h"

#include <functional>
#include <string>

class QComboBox;
class QListWidget;

namespace controls {
class TFolderViewerEx;
}

namespace keiba {
class OperationOwner;
}

namespace app {

class MainBetHost final : public betting::BetHost {
public:
    struct Widgets {
        QComboBox* DateCombo = nullptr;
        QListWidget* DatList = nullptr;
        controls::TFolderViewerEx* FolderViewerEx1 = nullptr;
    } ui;

    MainBetHost(const keiba::OperationOwner& operations, std::function<void()> showSelectedRace)
        : operations_(operations)
        , showSelectedRace_(std::move(showSelectedRace)) {}

    std::string DateText() const override;
    int DateIndex() const override;
    int RaceCount() const override;
    int SelectedRace() const override;
    std::string RaceCaption(int item) const override;
    // The selection itself shows nothing: the race is shown once, after it.
    void ShowRace(int item) override;
    bool Busy() const override;
    std::optional<std::string> ChooseFolder(const std::string& caption,
                                            const std::string& start) override;

private:
    const keiba::OperationOwner& operations_;
    std::function<void()> showSelectedRace_; // DatListClick
};

} // namespace app
