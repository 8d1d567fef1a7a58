#pragma once
// What the bet tab needs of the main window: the day and race lists, the race display and the
// folder picker. Texts are UTF-8.

#include <optional>
#include <string>

namespace betting {

class BetHost {
public:
    virtual ~BetHost() = default;
    // `DateCombo`: its text and item index (-1 while no day is chosen).
    virtual std::string DateText() const = 0;
    virtual int DateIndex() const = 0;
    // `DatList`: the number of races, the selected item (-1 for none) and an item's caption.
    virtual int RaceCount() const = 0;
    virtual int SelectedRace() const = 0;
    virtual std::string RaceCaption(int item) const = 0;
    // Selects race `item` of `DatList` and runs `DatListClick`.
    virtual void ShowRace(int item) = 0;
    // A day load, import or fetch is filling the day: the tab's commands do nothing meanwhile.
    virtual bool Busy() const { return false; }
    // The window's folder picker, titled `caption` and opened on `start`: the folder chosen, or
    // nothing when the user cancels. The window's folder commands share the picker, so it opens
    // where the user last left it. A host without a window has none to offer.
    virtual std::optional<std::string> ChooseFolder(const std::string& /*caption*/,
                                                    const std::string& /*start*/) {
        return std::nullopt;
    }
};

} // namespace betting
