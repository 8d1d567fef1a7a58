#pragma once
// The 買い目 tab of the main window: the mark grid StringGrid1 at the left, the top panel with
// the amount, the two mode groups, the vote button and the 28 summary labels, and PageControl4
// with one bet grid per bet type. Every event goes to the headless KaimeTab; this widget only
// shows its state.
//
// The main window creates one page with its BetHost, puts it on its bet tab, hands
// MarkGrid()'s model to the race card's fill, and at each race selection calls
// AfterRaceShown() after the race card is filled.

#include "betting/forms/betgridmodel.h"
#include "betting/kaimetab.h"
#include "keiba/context.h"

#include <QWidget>

#include <array>
#include <memory>

class QButtonGroup;
class QGroupBox;
class QMenu;
class QPushButton;
class QTabWidget;

namespace controls {
class TLabel3Dj;
class TSaNumEditExC;
} // namespace controls

namespace views {
class StringGrid;
}

namespace betting {

class BetPage : public QWidget {
    Q_OBJECT
public:
    // `sortCol` is the race card's gSortCol, which the bet grids' sorts share; without it the
    // page keeps its own.
    BetPage(const keiba::ProgramContext& context, raceday::RaceDay& day, BetHost& host,
            int* sortCol = nullptr, QWidget* parent = nullptr);
    ~BetPage() override;

    KaimeTab& Tab() { return *tab_; }
    views::StringGrid* MarkGrid() const { return StringGrid1; }
    views::StringGrid* BetGrid(BetKind k) const {
        return grids_[static_cast<std::size_t>(PageOf(k))];
    }
    BetGridModel* BetModel(BetKind k) const { return models_[static_cast<std::size_t>(PageOf(k))]; }
    controls::TLabel3Dj* Label(BetKind k, LabelSlot slot) const;
    controls::TSaNumEditExC* AmountEdit() const { return SaNumEditExC1; }
    QTabWidget* Pages() const { return PageControl4; }
    QMenu* PopupMenu() const { return PopupTohyo; }

    // `DatListClick`'s last steps, after the mark grid's rows are filled: the race's amount
    // into SaNumEditExC1, then JikuHimoBtn, then KaimeMakeBtn.
    void AfterRaceShown();
    // The amount of the race shown into the edit (no change event).
    void ShowRaceAmount();

    // Menu CSV出力 > 印 and ﾌｫﾙﾀﾞ指定 > QVX投票プラグイン２フォルダ指定 (through the host's
    // folder picker).
    void N50Click(); // 印
    void QVX1Click();

    // Every grid and label shown anew from the tab's state.
    void Refresh();

private:
    QWidget* BuildTopPanel();
    QWidget* BuildPages();
    void BuildHiddenButtons();
    void SetUpBetGrid(BetKind k, views::StringGrid& grid);
    void MarkGridDrawCell(int col, int row, views::CellPaint& p) const;
    void BetGridDrawCell(BetKind k, int col, int row, views::CellPaint& p) const;
    void RefreshGrid(BetKind k);
    void RefreshLabels();
    void RefreshMarks();

    BetHost& host_;
    std::unique_ptr<GridModelCells> marks_;
    std::unique_ptr<KaimeTab> tab_;
    views::StringGrid* StringGrid1 = nullptr;
    QTabWidget* PageControl4 = nullptr;
    std::array<views::StringGrid*, kBetKinds> grids_{};
    std::array<BetGridModel*, kBetKinds> models_{};
    std::array<std::array<controls::TLabel3Dj*, kLabelSlots>, kBetKinds> labels_{};
    controls::TSaNumEditExC* SaNumEditExC1 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QGroupBox* RadioGroup2 = nullptr;
    QButtonGroup* group1_ = nullptr;
    QButtonGroup* group2_ = nullptr;
    QPushButton* TohyoCSVBtn = nullptr;
    QPushButton* TohyouBtn = nullptr;
    QPushButton* JikuHimoBtn = nullptr;
    QPushButton* KaimeMakeBtn = nullptr;
    QPushButton* SortKaimeHyoTanBtn = nullptr;
    QPushButton* SortKaimeHyoRenBtn = nullptr;
    QPushButton* SortKaimeHyoSanBtn = nullptr;
    QMenu* PopupTohyo = nullptr;
};

} // namespace betting
