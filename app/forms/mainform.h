#pragma once
// The main window `TMainForm`: the race-day list and race list on the left, the race header on
// top, the race pages below. It hosts the day load (app/dayload.h), the real-time fetches
// (jvdata/fetch/fetchops.h) and the bet tab (betting/forms/betpage.h), and shows the selected
// race from what app/raceheader.h computes and what the race cards (views/) draw.
//
// Handlers keep the names of the operations they stand for (`DatListClick`, `FoldHyoClick`);
// hidden buttons that other parts of the system click are real, hidden QPushButtons, so the
// order of the clicks can be observed.

#include "app/startup.h"
#include "betting/host.h"
#include "fetch/fetchops.h"
#include "fetch/fetchstate.h"
#include "keiba/inigt.h"
#include "raceday/chasehorse.h"
#include "raceday/dayload.h"
#include "views/gridsort.h"

#include <QMainWindow>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTimer;

namespace controls {
class TFolderViewerEx;
class TLabel3Dj;
class TLbSpeedButton;
} // namespace controls

namespace jvdata {
class TJVLink;
}

namespace raceday {
struct RaceHeader;
}

namespace views {
class TDetailFilterBar;
class TGridCopyMenu;
class TStringGrid;
} // namespace views

namespace betting {
class TBetPage;
}

namespace search {
class TNeraiGaitoForm;
class TNeraiSlotPanel;
class TShutugenForm;
} // namespace search

namespace fetch {
class TFetchTimers;
}

namespace app {

class TPrgrsForm;
class TRInputForm;
class TUserKaimeForm;

class TMainForm : public QMainWindow,
                  public raceday::DayLoadHost,
                  public fetch::FetchHost,
                  public betting::BetHost {
    Q_OBJECT
public:
    // `jvLink` is the window's JV-Link control (`JVLink1`); it may be null in a test that never
    // shows the window. Runs the creation handler.
    explicit TMainForm(std::unique_ptr<jvdata::TJVLink> jvLink, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The forms created after this one that the window's handlers use.
    // The R-horse search form gets the four target combos and refreshes the user settings'
    // lists; the hit list is filled by NeraiGaitoBtnClick.
    void AttachForms(TPrgrsForm* prgrs, search::TShutugenForm* shutugen, TRInputForm* rinput,
                     search::TNeraiGaitoForm* gaito, TUserKaimeForm* userKaime);

    jvdata::TJVLink* JVLink1() const { return jvLink_.get(); }
    const std::filesystem::path& AppDir() const { return appDir_; }
    views::TStringGrid* Grid(const QString& name) const;
    betting::TBetPage* BetPage() const { return betPage_; }
    search::TNeraiSlotPanel* NeraiSlots() const { return neraiSlots_; }
    fetch::TFetchTimers* FetchTimers() const { return timers_; }
    views::TGridCopyMenu* CopyMenu() const { return copyMenu_; }

    // --- handlers ---
    void FormShow();
    void FormCloseQuery();
    void MakeDataListBtnClick();
    void DateComboChange() override;
    void DateComboClick() {}
    void DirectReadBtnClick();
    void DatListClick() override;
    void SpeedButton1Click();
    void R1Click();
    void JVBtnClick();
    void K1Click();
    void RSerchBtnClick();
    void HdInputBtnClick();
    void HelpButtonClick();
    void VerButton1Click();
    void QuitButtonClick();
    void N28Click();
    void N29Click();
    void hidelistClick();
    void FoldHyoClick();
    void N30Click();
    void AutoOzCheckClick();
    void ShowHint(const QString& hint);
    void N8Click();
    void N12Click();
    void N18Click();
    void NeraiGaitoBtnClick();
    void LbSpeedButton1Click();
    void ClipBtn1Click();
    void LbSpeedButton2Click();
    void StringGrid6MouseDown(int col, int row);

    // --- raceday::DayLoadHost ---
    void PrepareForLoad(bool isToday) override;
    void ShowProgress(int max, const std::string& heading, const std::string& status) override;
    void SetProgressPosition(int position) override;
    void StepProgress() override;
    void SetProgressText(const std::string& text) override;
    void HideProgress() override;
    void ClearRaceLists() override;
    void AddRaceListItem(const std::string& item) override;
    void SetVenueLabels(const std::array<std::string, 3>& codes,
                        const std::array<std::string, 3>& firstSlots) override;
    void SisuStatBtn2Click() override;
    void StartTimer4(int intervalMs) override;
    bool AutoOzChecked() const override; // and FetchHost's
    void ArmAutoOdds() override;
    void NeraiComboChange(int slot) override;
    void NeraiKaimeComboChange(int set) override;
    void SelectFirstRace() override;

    // --- fetch::FetchHost ---
    raceday::TRaceDay& RaceDay() override { return *day_; }
    fetch::FetchFlags& Flags() override { return flags_; }
    jvdata::TJVLink* JvLink() override { return jvLink_.get(); }
    std::filesystem::path ProgramDir() const override { return appDir_; }
    int RaceListIndex() const override;
    int RaceListCount() const override;
    void SelectRace(int index) override;
    int DateComboIndex() const override;
    std::string DateComboText() const override;
    void SetDLlabel(const std::string& text) override;
    void ProcessMessages() override;
    void SetBusyCursor(bool busy) override;
    void ErrorLogAppended(const std::string& line) override;
    void SetAutoOzChecked(bool checked) override;
    void SetTimer1Enabled(bool enabled) override;
    void SetRestTimeLabel(const std::string& text) override;
    void SetNowTimLabel(const std::string& text) override;

    // --- betting::BetHost ---
    std::string DateText() const override;
    int DateIndex() const override;
    int RaceCount() const override;
    int SelectedRace() const override;
    std::string RaceCaption(int item) const override;
    void ShowRace(int item) override;

    // Runs instead of QDialog::exec for the modal forms this window opens, so that no test
    // waits for a person.
    void SetModalHookForTest(std::function<void(QDialog&)> hook) { modalHook_ = std::move(hook); }

    // Work lists of the window, shared with the fetches and the bet builder.
    std::vector<std::string> WorkList, ErrorLog, VoteLines, AsaOzRaces, ChukanOzRaces,
        ChokuzenOzRaces, RealtimeOddsLines, MiningLines;
    std::set<std::string> KeyList, OddsSortList, AnalysisKeys, BetLines, BetKeys;
    raceday::TChaseHorses ChaseHorses;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void BuildUi();
    void BuildMenus();
    QWidget* BuildToolBar();
    QWidget* BuildHeader();
    QWidget* BuildListPanel();
    QWidget* BuildPages();
    QWidget* BuildResultPage();
    QWidget* BuildCardPage();
    QWidget* BuildDetailPage();
    QWidget* BuildCheckPage();
    void BuildHiddenButtons(QWidget* holder);
    views::TStringGrid* NewGrid(const char* name, QWidget* parent);
    void SetUpGrids();
    void ApplyMarkers(const TMarkerFiles& markers);
    void LoadJockeyTable();
    void RestoreOptions();
    void HideTab(QTabWidget* tabs, const char* pageName);
    int ExecModal(QDialog& dialog);
    void ChooseFolder(const QString& title, const char* key);
    QPushButton* HiddenButton(const char* name, const QString& caption);
    controls::TLbSpeedButton* ToolButton(const char* name, const QString& caption,
                                         const QString& hint);
    QAction* MenuItem(QMenu* menu, const char* name, const QString& caption);
    void ShowRaceHeader(int r, const raceday::RaceHeader& h);
    void sisushutubaBtnClick();
    void RepaintRaceCards();
    void AfterDataImport();
    void MakeUserKaimeList();
    QString HeaderTitle() const;
    std::vector<std::string> DateList() const;

    // Busy: a day load, batch load, import or fetch is running.
    bool Busy() const { return fetch::AnyBusy(*day_, flags_); }

    // The loaded day, the fetches' busy flags and the race cards' sort state: one each for the
    // window and everything it hosts.
    std::unique_ptr<raceday::TRaceDay> day_ = std::make_unique<raceday::TRaceDay>();
    fetch::FetchFlags flags_;
    views::TGridSortState sorts_;
    std::unique_ptr<jvdata::TJVLink> jvLink_;
    std::filesystem::path appDir_;
    keiba::TIniGT ini_;
    bool shown_ = false;
    std::string versionText_; // gVersionText, set when the window is first shown
    std::function<void(QDialog&)> modalHook_;

    TPrgrsForm* prgrsForm_ = nullptr;
    search::TShutugenForm* shutugenForm_ = nullptr;
    TRInputForm* rinputForm_ = nullptr;
    search::TNeraiGaitoForm* gaitoForm_ = nullptr;
    TUserKaimeForm* userKaimeForm_ = nullptr;

    betting::TBetPage* betPage_ = nullptr;
    search::TNeraiSlotPanel* neraiSlots_ = nullptr;
    fetch::TFetchTimers* timers_ = nullptr;
    views::TGridCopyMenu* copyMenu_ = nullptr;
    views::TDetailFilterBar* filterBar_ = nullptr;
    int busyCursors_ = 0;

    std::map<QString, views::TStringGrid*> grids_;
    QTabWidget* PageControl1 = nullptr;
    QTabWidget* PageControl3 = nullptr; // 分析諸表
    QFrame* Panel3 = nullptr;
    QFrame* Panel6 = nullptr;
    QFrame* Panel8 = nullptr;
    QComboBox* DateCombo = nullptr;
    QListWidget* DatList = nullptr;
    QLabel* DLlabel = nullptr;
    QLabel* BashoLabel = nullptr;
    QLabel* RaceLabel = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    controls::TLabel3Dj* Label3Dj1 = nullptr;
    controls::TLabel3Dj* Label3Dj2 = nullptr;
    QLabel* TFWtimeLabel = nullptr;
    QLabel* RLevelLabel = nullptr;
    QLabel* RplsTouLabel = nullptr;
    QLabel* RmnsTouLabel = nullptr;
    QLabel* RestTimeLabel = nullptr;
    QLabel* NowTimLabel = nullptr;
    std::array<QLabel*, 3> BashoLabels{};
    std::array<QLabel*, 3> BashoIdxs{};
    QPlainTextEdit* Memo1 = nullptr;
    std::array<QComboBox*, 4> gNeraiCombos{};
    std::vector<controls::TLabel3Dj*> gLabel3DTable; // 63
    std::vector<QLabel*> gPayoutLabels;              // 45
    QComboBox* ComboBox1 = nullptr;                  // 検証
    QCheckBox* AutoOzCheck = nullptr;
    controls::TFolderViewerEx* FolderViewerEx1 = nullptr;
    QAction* hidelist = nullptr;
    QAction* FoldHyo = nullptr;
    QAction* N30 = nullptr;
    QTimer* DeliverTimer = nullptr;
};

} // namespace app
