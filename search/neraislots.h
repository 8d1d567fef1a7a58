#pragma once
// The four target slots of the main window: choosing a saved set in slot k loads it into
// `gNeraiSlots`[k], reruns the target search over the loaded day and remembers the name under
// `Myfavo`/`nerai<k>`. The search writes `TRaceCalc.NeraiMatch`[r][h][k-1] for every race of the
// race list and every runner, for all four slots at once.

#include "keiba/context.h"
#include "raceday/daymodel.h"

#include <array>
#include <string>

namespace search {

// What the slot logic needs of the window that shows the slots.
class NeraiSlotView {
public:
    virtual ~NeraiSlotView() = default;
    // The name of the saved set chosen for slot k = 1..4 (the text of NeraiCombo<k>, trimmed or
    // not), UTF-8; empty when nothing is chosen.
    virtual std::string ChosenSetName(int k) const = 0;
    // The number of races the main window lists.
    virtual int RaceCount() const = 0;
    // Hide, repaint and show the two race card grids, so that the marks appear at once.
    virtual void RepaintRaceCards() = 0;
};

enum class NeraiSlotResult { NoName, Missing, Unreadable, Loaded };

class NeraiSlots {
public:
    // The sets come from the context's folder and the names chosen go to its settings.
    NeraiSlots(NeraiSlotView& view, raceday::RaceDay& day, const keiba::ProgramContext& context);

    // Loads the set chosen in combo k into slot k and matches the day again (the
    // `NeraiCombo<k>Change` handler's work), also run by the day load for k = 1..4. A missing or
    // unreadable file changes nothing: the slot, the match bytes and the setting stay as they
    // were, and the combo keeps the user's choice. It is told once, until the slot takes a set.
    NeraiSlotResult LoadSlot(int k);
    // All four slots over the loaded day, then the race cards repaint (the
    // `NeraiSearchBtnClick` handler's work).
    void MatchAllSlots();

    // The name of the set slot k holds; empty once the day load has blanked the slot.
    std::string HeldName(int k) const;

private:
    NeraiSlotView& view_;
    raceday::RaceDay& day_;
    const keiba::ProgramContext& context_;
    std::array<std::string, 5> held_;
    std::array<std::string, 5> told_; // the choice last refused and told, by slot
};

// The search itself: match bytes of slot k are cleared for every race and runner, then set for
// the runners of races 0..raceCount-1 that match `gNeraiSlots`[k], for each k whose `active`
// flag (index k-1) is set.
void SearchNeraiSlots(raceday::RaceDay& day, const std::array<bool, 4>& active, int raceCount);

} // namespace search
