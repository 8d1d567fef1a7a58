#pragma once
// `TNeraiGaitoForm` (caption 狙い馬該当リスト): the runners of the loaded day that match a
// target slot, by post time, with their slots, race and runner, and the count of each slot.
// Created at start-up and kept for the run; it only displays.
//
// The main window's `NeraiGaitoBtnClick`: nothing without a selected date; otherwise
// `FillHits(day, DateCombo->currentText(), DatList->count())`, then the form modally.

#include "controls/formbounds.h"
#include "keiba/context.h"
#include "raceday/daymodel.h"

#include <QDialog>

#include <array>

class QLabel;

namespace views {
class StringGrid;
struct CellPaint;
} // namespace views

namespace search {

class TNeraiGaitoForm : public QDialog, public controls::BoundsSavedAtQuit {
    Q_OBJECT
public:
    // Restores the bounds, sets the column widths and the header row.
    explicit TNeraiGaitoForm(const keiba::ProgramContext& context, QWidget* parent = nullptr);

    // Steps 2 to 6 of `NeraiGaitoBtnClick`: clears the rows, sets the title, and lists the hits
    // of races 0..raceListCount-1. With no hit the grid keeps its row count, all blank, and the
    // count labels stay empty.
    void FillHits(const raceday::RaceDay& day, const QString& dateText, int raceListCount);

    // `StringGrid8DrawCell`.
    void StringGrid8DrawCell(int col, int row, views::CellPaint& paint) const;

    views::StringGrid* StringGrid8 = nullptr;
    QLabel* TitleLabel1 = nullptr;
    std::array<QLabel*, 4> NeraiLabels{}; // NeraiLabel1..4
    QLabel* SosuLabel = nullptr;

private:
    const keiba::ProgramContext& context_;
    keiba::TIniGT& ini_;
};

} // namespace search
