#pragma once
// The main window's four target slots: for k = 1..4 a label 狙い馬k with its colour square
// `Shape<k>` (blue, yellow, lime, fuchsia) over the drop-down list `NeraiCombo<k>`. Choosing a
// set runs `NeraiCombo<k>Change`; the window calls `NeraiComboChange(k)` from its day-load hook
// and `NeraiSearchBtnClick` from its hidden 狙い馬判定 button.

#include "search/neraislots.h"

#include <QWidget>

#include <array>
#include <functional>

class QComboBox;
class QFrame;

namespace search {

class NeraiSlotPanel : public QWidget, public NeraiSlotView {
    Q_OBJECT
public:
    NeraiSlotPanel(const keiba::ProgramContext& context, raceday::RaceDay& day,
                   QWidget* parent = nullptr);

    QComboBox* NeraiCombo(int k) const;
    std::array<QComboBox*, 4> Combos() const { return combos_; }
    QFrame* Shape(int k) const;

    // The race list's item count (default: the races of the loaded day) and the repaint of the
    // two race card grids (default: nothing).
    void SetRaceListCount(std::function<int()> count) { raceListCount_ = std::move(count); }
    void SetRepaintRaceCards(std::function<void()> repaint) { repaint_ = std::move(repaint); }

    // --- handlers ---
    NeraiSlotResult NeraiComboChange(int k) { return slots_.LoadSlot(k); }
    void NeraiCombo1Change() { NeraiComboChange(1); }
    void NeraiCombo2Change() { NeraiComboChange(2); }
    void NeraiCombo3Change() { NeraiComboChange(3); }
    void NeraiCombo4Change() { NeraiComboChange(4); }
    void NeraiSearchBtnClick() { slots_.MatchAllSlots(); }
    const NeraiSlots& Slots() const { return slots_; }

    // --- NeraiSlotView ---
    std::string ChosenSetName(int k) const override;
    int RaceCount() const override;
    void RepaintRaceCards() override;

private:
    raceday::RaceDay& day_;
    std::array<QComboBox*, 4> combos_{};
    std::array<QFrame*, 4> shapes_{};
    std::function<int()> raceListCount_;
    std::function<void()> repaint_;
    NeraiSlots slots_;
};

} // namespace search
