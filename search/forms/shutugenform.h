#pragma once
// `TShutugenForm` (caption "R馬検索"): created at start-up, alive for the run, shown without
// waiting, on top of the other windows. Its tabs:
// - 成績検索: the condition editor, the saved target sets (save, load, clear, delete, and the
//   lists of saved sets here, in the main window's four target combos and, through a hook, in
//   the user combination settings), and the R-horse search over the members' analysis files
//   (shutugenform_search.cpp);
// - R馬統計: the R-level statistics over the same files (shutugenform_tokei.cpp).
// The application adds the data-check tab between them through `PageControl()`.
//
// Both searches walk the files on a worker thread (search/rscan.h); the form polls the walk ten
// times a second, takes in the rows found so far and shows the count. While a walk runs both
// search buttons are disabled and the walk holds the owner of long operations, so the main
// window loads no day and no download writes the files it reads.

#include "controls/formbounds.h"
#include "keiba/context.h"
#include "keiba/operations.h"
#include "search/rscan.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>
#include <string>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QTimer;

namespace controls {
class TLbSpeedButton;
class TSaNumEditExC;
} // namespace controls

namespace raceday {
struct RaceDay;
struct RCardRace;
} // namespace raceday

namespace views {
class StringGrid;
}

namespace search {

class HitGrid;
class NeraiConditionEditor;

class TShutugenForm : public QDialog, public controls::BoundsSavedAtQuit {
    Q_OBJECT
public:
    // Restores the bounds, sets the date ranges and the days edits, and fills the
    // form's own list of saved sets.
    TShutugenForm(const keiba::ProgramContext& context, keiba::OperationOwner& operations,
                  QWidget* parent = nullptr);
    // A walk still running is cancelled and waited for.
    ~TShutugenForm() override;

    // The main window's NeraiCombo1..4: the list refresh fills them too and reselects the names
    // of `Myfavo`. Attaching runs the refresh once.
    void AttachTargetCombos(const std::array<QComboBox*, 4>& combos);
    // `TUserKaimeForm.MakeListBtnClick`, run after every save and delete.
    void SetUserKaimeMakeList(std::function<void()> makeList) {
        userKaimeMakeList_ = std::move(makeList);
    }
    // Shows a hit's race in the race card form.
    void SetOpenRace(std::function<void(const raceday::RCardRace&)> open) {
        openRace_ = std::move(open);
    }

    // --- handlers: the target sets ---
    void NeraiSaveBtnClick();
    void NeraiComboChange();
    void ClearSetBtnClick();
    void NeraiDelBtnClick();
    void MakeListBtnClick();

    // --- handlers: both searches (shutugenform_search.cpp, shutugenform_tokei.cpp) ---
    void DateTimePicker1Change();
    void DateTimePicker2Change();
    void DateTimePicker3Change();
    void DateTimePicker4Change();
    void SaNumEditExC1Change();
    void SaNumEditExC2Change();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void RSerchBtnClick();
    void RSerchTokeiBtnClick();
    void CancelBtnClick();
    // A click on data row `row` (0-based) of a hit list: its race in the race card form.
    void HitListMouseDown(HitGrid* grid, int row);

    // Tests wrap the conditions of every walk (to slow a walk down); nothing wraps them otherwise.
    using FilterWrapper =
        std::function<std::shared_ptr<const RFilter>(std::shared_ptr<const RFilter>)>;
    void SetFilterWrapperForTest(FilterWrapper wrap) { wrapFilter_ = std::move(wrap); }

    // A walk is running (or cancelled and not yet wound up).
    bool Searching() const { return scan_ != nullptr; }
    // Winds up a finished walk at once instead of at the next poll.
    void PollSearch();

    QTabWidget* PageControl() const { return PageControl1; }
    QWidget* SeisekiPage() const { return seisekiPage_; }
    NeraiConditionEditor* ConditionEditor() const { return editor_; }
    const std::string& SearchFromDate() const { return searchFromDate_; }
    const std::string& SearchToDate() const { return searchToDate_; }
    const std::string& TokeiFromDate() const { return tokeiFromDate_; }
    const std::string& TokeiToDate() const { return tokeiToDate_; }

private:
    enum class Run { Search, Tokei };

    QWidget* BuildSearchControls();
    QWidget* BuildSearchResults();
    QWidget* BuildTokeiPage();
    // The days edit beside a date range: whole days up to 9,999, out of the tab order.
    controls::TSaNumEditExC* NewDaysEdit(const char* name, QWidget* parent);
    // 検索 and 中止: speed buttons like the main window's.
    static controls::TLbSpeedButton* NewRunButton(const char* name, const QString& caption,
                                                  QWidget* parent);
    void SetUpDates();
    // The walk: refused (with a message) while the day is loading or another walk runs.
    bool StartRun(Run run, std::shared_ptr<const RFilter> filter, const std::string& from,
                  const std::string& to);
    void FinishRun();
    // The count label of the walk's tab; it moves only with a hit.
    void ShowCount(const RScanState& state);
    void SetRunning(bool running);
    // The R馬統計 tab's level table (shutugenform_tokei.cpp): emptied at a start, filled by a
    // walk that was not cancelled.
    void ClearLevelTable();
    void ShowLevelTable(const RTally& tally);
    void SayDaysNotSaved(const keiba::IoResult& io);

    QTabWidget* PageControl1 = nullptr;
    QWidget* seisekiPage_ = nullptr;
    NeraiConditionEditor* editor_ = nullptr;
    QLineEdit* NeraiEdit = nullptr;
    QComboBox* NeraiCombo = nullptr;
    QPushButton* NeraiSaveBtn = nullptr;
    QPushButton* NeraiDelBtn = nullptr;
    QPushButton* ClearSetBtn = nullptr;
    QPushButton* MakeListBtn = nullptr;
    std::array<QComboBox*, 4> targetCombos_{};
    std::function<void()> userKaimeMakeList_;
    std::function<void(const raceday::RCardRace&)> openRace_;
    // The list refreshes that follow one another (the form made, the combos attached, a save)
    // say a folder of sets that cannot be listed once, until it can be listed again.
    keiba::TellOnce tellListFailure_;
    FilterWrapper wrapFilter_;
    const keiba::ProgramContext& context_;
    keiba::TIniGT& ini_;
    // The owner of long operations, held by the walk from its start to its end; the owner
    // outlives the form.
    keiba::OperationOwner& operations_;
    keiba::OperationOwner::Hold walkHold_;

    // 成績検索
    QDateEdit* DateTimePicker1 = nullptr;
    QDateEdit* DateTimePicker2 = nullptr;
    controls::TSaNumEditExC* SaNumEditExC1 = nullptr;
    QPushButton* SpeedButton1 = nullptr;
    controls::TLbSpeedButton* RSerchBtn = nullptr;
    controls::TLbSpeedButton* CancelBtn = nullptr;
    QLabel* CtLabel = nullptr;
    QLabel* GaitoSuLabel = nullptr;
    QLabel* TanBuyLabel = nullptr;
    QLabel* TanGetLabel = nullptr;
    QLabel* TanTekiLabel = nullptr;
    QLabel* TanKaishuLabel = nullptr;
    QLabel* FukBuyLabel = nullptr;
    QLabel* FukGetLabel = nullptr;
    QLabel* FukTekiLabel = nullptr;
    QLabel* FukKaishuLabel = nullptr;
    HitGrid* StringGrid8 = nullptr;
    HitGrid* StringGrid7 = nullptr;

    // R馬統計
    QDateEdit* DateTimePicker3 = nullptr;
    QDateEdit* DateTimePicker4 = nullptr;
    controls::TSaNumEditExC* SaNumEditExC2 = nullptr;
    QPushButton* SpeedButton2 = nullptr;
    QListWidget* TrackListT = nullptr;
    QListWidget* AgeListT = nullptr;
    QListWidget* ClassListT = nullptr;
    QListWidget* RUmaListT = nullptr;
    controls::TLbSpeedButton* RSerchTokeiBtn = nullptr;
    controls::TLbSpeedButton* CancelBtn2 = nullptr;
    QLabel* Ct2Label = nullptr;
    views::StringGrid* StringGrid3 = nullptr;
    HitGrid* StringGrid1 = nullptr;
    HitGrid* StringGrid2 = nullptr;

    std::string searchFromDate_, searchToDate_, tokeiFromDate_, tokeiToDate_;
    std::string daysRefusal_; // the last refusal of a days write, said once

    // The walk in progress and what it fills.
    std::unique_ptr<RScan> scan_;
    Run run_ = Run::Search;
    QTimer* poll_ = nullptr;
};

} // namespace search
