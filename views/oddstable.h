#pragma once
// The odds table StringGrid26 (オッズ表: morning, midday and last odds with their ranks, the
// result) with its sort by the button group 並べ替え, and the reference-bets grid StringGrid27
// (参考買い目: quinella and exacta suggestions and their results). Nothing fills their data rows;
// the race selection sizes and clears the odds table and sorts it by horse number.

#include "raceday/daymodel.h"
#include "views/grid.h"

#include <QWidget>

#include <array>
#include <span>

namespace controls {
class TLbSpeedButton;
}

namespace views {

enum OddsCol : int {
    kOddsBracket = 0,
    kOddsNumber = 1,
    kOddsName = 2,
    kOddsFinish = 18,
    kOddsPopularity = 19,
    kOddsConfirmed = 20,
    kOddsColumns = 21,
};

// `StringGrid26DrawCell`. The tracked-horse colour of column 1 follows the horse number the row
// shows, so it stays with its runner through a sort.
void StringGrid26DrawCell(const raceday::RaceDay& day, const GridModel& grid, int col, int row,
                          CellPaint& paint);
// `StringGrid27DrawCell`: a result cell reading "的中" is red.
void StringGrid27DrawCell(const GridModel& grid, int col, int row, CellPaint& paint);

// Font of the odds table (ＭＳ ゴシック, 13 pixels); the window's grid set-up gives the rest.
void SetupOddsTable(StringGrid& grid);
// The painters (the day must outlive the grid) and the odds table's pointing hand over the
// headings of columns 1, 7, 9, 11, 13, 15, 17, 18 and 19; a press on either grid does nothing.
void AttachOddsTable(StringGrid& grid, const raceday::RaceDay& day);
void AttachReferenceBets(StringGrid& grid);

// The buttons of the group in the order the handler looks at them.
struct OddsSortButton {
    const char* name;
    const char16_t* caption;
    int primary;
    int secondary;
};
std::span<const OddsSortButton, 8> OddsSortButtons();

// The group 並べ替え: eight speed buttons of one group, "馬番" down at start. Any of them runs
// `SpeedButton14Click`, which sorts the odds table by the first button that is down.
class OddsSortBar : public QWidget {
    Q_OBJECT
public:
    explicit OddsSortBar(GridModel& oddsTable, QWidget* parent = nullptr);
    controls::TLbSpeedButton* Button(int i) const { return buttons_[static_cast<std::size_t>(i)]; }

    // The two-key sort: the down button's primary column ascending, runs of equal text by its
    // secondary column.
    void SpeedButton14Click();

private:
    GridModel& grid_;
    std::array<controls::TLbSpeedButton*, 8> buttons_{};
};

} // namespace views
