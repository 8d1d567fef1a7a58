#pragma once
// `TDeSplForm` (caption "出馬表"): the race card of one race of any day, the race of a hit of
// the R-horse search. It keeps its own copy of the race, its runners and their analysis records
// and draws every runner cell from them; the search sets the captions. Created at start-up,
// alive for the run, on top of the other windows and not modal.

#include "controls/formbounds.h"
#include "keiba/context.h"
#include "raceday/cardrace.h"
#include "views/grid.h"

#include <QDialog>

#include <memory>

namespace controls {
class TLabel3Dj;
}

namespace views {

inline constexpr int kDeSplColumns = 20;

class TDeSplForm : public QDialog, public controls::BoundsSavedAtQuit {
    Q_OBJECT
public:
    // Opens at the bounds of [locateDeSplForm], with the column widths set.
    explicit TDeSplForm(const keiba::ProgramContext& context, QWidget* parent = nullptr);

    // The race of a hit: copied, the grid given its runners' rows, the captions set, the form
    // shown without waiting.
    void ShowRace(const raceday::RCardRace& race);

    // `StringGrid6DrawCell`: what a cell shows, for the grid and for tests.
    void StringGrid6DrawCell(int col, int row, CellPaint& paint) const;
    // `StringGrid6MouseUp`: no row stays selected.
    void StringGrid6MouseUp();

    StringGrid* Grid() const { return StringGrid6; }
    const raceday::RCardRace& Race() const { return *race_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DrawHeading(int col, CellPaint& paint) const;
    void DrawRunner(int col, int h, CellPaint& paint) const;

    std::unique_ptr<raceday::RCardRace> race_ = std::make_unique<raceday::RCardRace>();
    StringGrid* StringGrid6 = nullptr;
    controls::TLabel3Dj* SelBameiLabel = nullptr;
    controls::TLabel3Dj* T1Label = nullptr;
    controls::TLabel3Dj* T2Label = nullptr;
    controls::TLabel3Dj* RLevelLabel = nullptr;
    controls::TLabel3Dj* RplsTouLabel = nullptr;
    controls::TLabel3Dj* RmnsTouLabel = nullptr;
    keiba::TIniGT& IniGT1;
};

} // namespace views
