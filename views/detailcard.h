#pragma once
// The detailed race card StringGrid2 (詳細出馬表): one tall row per runner of the shown race,
// painted straight from the race-day data (its cells hold no text below the heading row): the
// runner block with pedigree, name, jockey and trainer, odds and marks, and the last three runs
// with their R levels.

#include "raceday/daymodel.h"
#include "views/grid.h"

#include <QWidget>

#include <functional>

class QButtonGroup;
class QToolButton;

namespace views {

enum DetailCol : int {
    kDetailBracket = 0,
    kDetailNumber = 1,
    kDetailName = 2,
    kDetailOdds = 3,
    kDetailRJun = 4,
    kDetailRUma = 5,
    kDetailRakuGen = 6,
    kDetailPast1 = 7,
    kDetailPast2 = 8,
    kDetailPast3 = 9,
    kDetailZogen = 10,
    kDetailJosho = 11,
    kDetailLvZokusei = 16,
    kDetailHiLvKoso = 17,
    kDetailHiRate = 18,
    kDetailLoRate = 19,
    kDetailHatsuKo = 20,
    kDetailPast5 = 21,
    kDetailColumns = 22,
};

// Backgrounds of a past run by the members' R level of that run.
QColor PastRunLevelColor(const std::string& rLevel);

// The three text lines of a past run (CP932), or nothing when the run's cell stays empty (no
// race record, or no race number).
struct PastRunLines {
    bool shown = false;
    std::string line1, line2, line3;
};
PastRunLines PastRunText(const jvdata::TJvRA& ra, const jvdata::TJvSE& se);

// Columns, widths, headings, the row heights (17 heading, 53 runner rows), the form's font and
// whole-row selection; columns 0 to 2 are the fixed ones.
void SetupDetailedRaceCard(StringGrid& grid);

// `StringGrid2DrawCell`. Runner slot h = row - 1 of the shown race. `raceListEmpty` tells that
// the main window's race list holds nothing, and then nothing is painted.
void StringGrid2DrawCell(const raceday::RaceDay& day, bool raceListEmpty, const QFont& font,
                         int col, int row, CellPaint& paint);

// Installs the painter (reading `day`, which must outlive the grid, at every paint) and clears
// the selection whenever a mouse button is released over the grid.
// `raceListEmpty` defaults to "no race loaded".
void AttachDetailedRaceCard(StringGrid& grid, const raceday::RaceDay& day,
                            std::function<bool()> raceListEmpty = {});

// The six buttons above the card: 馬場選択 ("全表示" down at start, "芝", "ﾀﾞｰﾄ") and 距離選択
// ("無指定" down at start, "同距離", "+/-400m"), at most one down per group. Pressing any of
// them shows the selected race again (`selBaBtn1Click`); which one is down changes nothing
// else.
class DetailFilterBar : public QWidget {
    Q_OBJECT
public:
    explicit DetailFilterBar(std::function<void()> showRaceAgain, QWidget* parent = nullptr);
    QToolButton* Button(int i) const { return buttons_[i]; } // 0..2 馬場, 3..5 距離

    void selBaBtn1Click();

private:
    std::function<void()> showRaceAgain_;
    QToolButton* buttons_[6] = {};
};

} // namespace views
