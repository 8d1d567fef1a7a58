#pragma once
// `TRInputForm` (R馬手入力): the race R level and the R+ / R- marks of the runners of one race of
// the loaded day, entered by hand. Every change rewrites the day's hand-input file at once; the
// main window reads the day again when the dialog has closed. Created at start-up, kept for the
// run, on top of the main window with a fixed border.

#include "controls/formbounds.h"
#include "keiba/context.h"
#include "raceday/daymodel.h"

#include <QDialog>

#include <array>
#include <string>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace search {

class TRInputForm : public QDialog, public controls::BoundsSavedAtQuit {
    Q_OBJECT
public:
    // Opens at the position of `locateRInputForm`. The races are those of `day`, which must
    // outlive the form; the main window fills `DatList` with them at every day load.
    TRInputForm(const keiba::ProgramContext& context, const raceday::RaceDay& day,
                QWidget* parent = nullptr);

    QListWidget* DatList() const { return DatList_; }
    QComboBox* RLVCombo() const { return RLVCombo_; }
    QComboBox* RumaCombo(int n) const; // n = 1..18
    QLabel* CJlabel(int n) const;

    // --- handlers ---
    void DatListClick();
    // The race selected in DatList into the controls: level and marks from the line of the file
    // the day load takes for it (ReadRumaEntry), 非該当 where the file has none; only the combos of
    // its runners are shown.
    void ReadCompBtnClick();
    // The selected race's line written: the file rewritten whole, its lines that cannot be read
    // kept as they were and told once.
    void SavebtnClick();
    // The change of any runner combo and of the level combo: Savebtn clicked.
    void RumaComboChange();
    void RLVComboChange();

private:
    // The selected race slot, or -1 when the list selects none the day holds.
    int SelectedRace() const;

    const raceday::RaceDay& day_;
    const keiba::ProgramContext& context_;
    keiba::TIniGT& ini_;
    QListWidget* DatList_ = nullptr;
    QComboBox* RLVCombo_ = nullptr;
    std::array<QComboBox*, raceday::kMaxRunners> RumaCombos{};
    std::array<QLabel*, raceday::kMaxRunners> CJlabels{};
    QPushButton* ReadCompBtn = nullptr;
    QPushButton* Savebtn = nullptr;
    std::string toldKept_; // what the last save told of the lines it kept
};

} // namespace search
