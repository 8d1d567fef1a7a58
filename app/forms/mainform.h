#pragma once
// The main window `TMainForm`: the race-day list and race list on the left, the race header on
// top, the race pages below. It hosts the day load (raceday/dayload.h), the real-time fetches
// (fetch/fetchops.h) and the bet tab (betting/forms/betpage.h), and shows the selected race from
// what raceday/raceheader.h computes and what the race cards (views/) draw.
//
// Handlers keep the names of the operations they stand for (`DatListClick`, `FoldHyoClick`);
// hidden buttons that other parts of the system click are real, hidden QPushButtons, so the
// order of the clicks can be observed.
//
// The class is defined across files named after their part: mainform.cpp wires the window
// (construction, creation, showing and closing), mainform_<part>.cpp builds each part,
// mainform_<interface>host.cpp implements each host interface, and the commands are grouped in
// mainform_daylist.cpp, mainform_raceview.cpp, mainform_dialogs.cpp and mainform_options.cpp.
// The declarations below follow the same grouping.

#include "app/startup.h"
#include "betting/host.h"
#include "fetch/fetchops.h"
#include "fetch/fetchstate.h"
#include "keiba/context.h"
#include "keiba/operations.h"
#include "members/downloads.h"
#include "raceday/chasehorse.h"
#include "raceday/dayload.h"
#include "views/gridsort.h"
#include "views/print/printer.h"

#include <QMainWindow>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QFrame;
class QLabel;
class QLineEdit;
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
class TMsgDlg;
} // namespace controls

namespace jvdata {
class TJVLink;
}

namespace raceday {
struct RaceHeader;
}

namespace views::print {
enum class Sheet;
}

namespace views {
class DetailFilterBar;
class GridCopyMenu;
class OddsSortBar;
class StringGrid;
} // namespace views

namespace betting {
class BetPage;
class TUserKaimeForm;
} // namespace betting

namespace search {
class TNeraiGaitoForm;
class NeraiSlotPanel;
class TRInputForm;
class TShutugenForm;
} // namespace search

namespace fetch {
class FetchTimers;
}

namespace members {
class TDLDataForm;
}

namespace app {

class DataCheckPage;
class TPrgrsForm;

class TMainForm : public QMainWindow,
                  public raceday::DayLoadProgress,
                  public raceday::DayLoadSteps,
                  public fetch::FetchHost,
                  public betting::BetHost {
    Q_OBJECT
public:
    // `jvLink` is the window's JV-Link control (`JVLink1`); it may be null in a test that never
    // shows the window. Runs the creation handler.
    TMainForm(const keiba::ProgramContext& context, std::unique_ptr<jvdata::TJVLink> jvLink,
              QWidget* parent = nullptr);
    ~TMainForm() override;

    // The forms created after this one that the window's handlers use.
    // The R-horse search form gets the four target combos and refreshes the user settings'
    // lists; the hit list is filled by NeraiGaitoBtnClick.
    void AttachForms(TPrgrsForm* prgrs, search::TShutugenForm* shutugen,
                     search::TRInputForm* rinput, search::TNeraiGaitoForm* gaito,
                     betting::TUserKaimeForm* userKaime);

    jvdata::TJVLink* JVLink1() const { return jvLink_.get(); }
    const keiba::ProgramContext& Context() const override { return context_; }
    views::StringGrid* Grid(const QString& name) const;
    betting::BetPage* BetPage() const { return betPage_; }
    search::NeraiSlotPanel* NeraiSlots() const { return neraiSlots_; }
    fetch::FetchTimers* FetchTimers() const { return timers_; }
    views::GridCopyMenu* CopyMenu() const { return copyMenu_; }

    // --- handlers ---
    // mainform.cpp
    void FormShow();
    void FormCloseQuery();
    void QuitButtonClick();
    void ShowHint(const QString& hint);
    // mainform_daylist.cpp: the race days
    void MakeDataListBtnClick();
    void DateComboChange();
    void DateComboClick() {}
    void DirectReadBtnClick();
    void SisuStatBtn2Click(); // 指数統計保存(新): no action
    void SpeedButton1Click();
    // the real-time fetches and the time-series import (fetch/fetchops.h)
    void SokuhoOddsBtnClick();
    void KekkaGetBtnClick();
    void GetDMBtnClick();
    void N1O1Click(); // 1日分の全オッズを一括取得(&O)
    void NextRaceBtnClick();
    void T1Click(); // 時系列オッズより取得(&T)
    // mainform_raceview.cpp: the race shown
    void DatListClick();
    void StringGrid6MouseDown(int col, int row);
    void R1Click();
    void LbSpeedButton1Click();
    void ClipBtn1Click();
    void LbSpeedButton2Click();
    // mainform_dialogs.cpp: the forms and documents it opens
    void JVBtnClick();
    void N8Click();  // データ自動取得時刻設定(&T)
    void N18Click(); // 投資金額設定
    void K1Click();
    void RSerchBtnClick();
    void HdInputBtnClick();
    void NeraiGaitoBtnClick();
    void HelpButtonClick();
    void VerButton1Click();
    // mainform_members.cpp: the members site
    // The past-data dialog, created at start-up after this window.
    void AttachDownloadForm(members::TDLDataForm* form) { dlDataForm_ = form; }
    void GetXQdata1Click(); // 予想(最新)データ and the tool button ｹｽﾄﾚｰﾝﾃﾞｰﾀ
    void N47Click();        // サンプルデータ
    void N48Click();        // ケストレーンデータ購入 > 予想(最新)データ
    void GetXQdataKakoClick();
    void N49Click(); // ケストレーンデータ購入 > 過去データ (hidden)
    void ID1Click(); // ｹｽﾄﾚｰﾝﾃﾞｰﾀ取得ID,ﾊﾟｽﾜｰﾄﾞ設定
    // The window's downloads (made at first use), with `gLastUnzippedName`.
    members::Downloads& MembersDownloads();
    // mainform_options.cpp: folders and toggles
    void N12Click(); // 時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定(&T)
    void N28Click(); // BRIVEL買い目ﾌｫﾙﾀﾞ指定
    void N29Click(); // 朝時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定
    void hidelistClick();
    void FoldHyoClick();
    void N30Click(); // 携帯へ転送する
    void AutoOzCheckClick();
    // mainform_statspage.cpp: the 統計 tab
    void Shukei2BtnClick() {} // 集計: no action
    void SaveBtnClick();
    void LoadBtnClick();
    void CalcBtn2Click();
    // mainform_exports.cpp: the R-horse CSV files
    void N37Click();      // R馬, Rレベル
    void GiveGet1Click(); // Get・Give
    void N39Click() {}    // 勝ち上り馬: no action
    void CSV2Click();     // CSVﾌｧｲﾙ出力先ﾌｫﾙﾀﾞ指定
    // mainform_print.cpp: the printed sheets
    void FilePrintItemClick(); // 出馬表印刷(&P)
    void PrintBtnClick();
    void N13Click(); // 新聞形式印刷
    void N14Click(); // 指数表印刷
    void N16Click(); // 払戻印刷
    void N17Click(); // 過去成績表印刷
    // mainform_checkpage.cpp: the R-horse search form's data-check tab
    void MakeCPDBClick();

    // --- raceday::DayLoadProgress and raceday::DayLoadSteps (mainform_dayloadhost.cpp) ---
    void PrepareForLoad(bool isToday) override;
    void ShowProgress(int max, const std::string& heading, const std::string& status) override;
    void SetProgressPosition(int position) override;
    void StepProgress() override;
    void SetProgressText(const std::string& text) override;
    void HideProgress() override;
    void ClearRaces() override;
    void AddRace(const std::string& item) override;
    void ShowVenues(const std::array<std::string, 3>& codes,
                    const std::array<std::string, 3>& firstSlots) override;
    void SelectDateItem(const std::string& stem) override;
    void ShowNoDay() override;
    bool CancelRequested() const override { return operations_.CancelRequested(); }
    void SaveIndexStats() override { SisuStatBtn2Click(); }
    void StartResultsTimer(int intervalMs) override;
    bool AutoOddsOn() const override; // and FetchHost's
    void ArmAutoOdds() override;
    void MatchTargetSlot(int slot) override;
    void ApplyUserBetSet(int set) override;
    void SelectFirstRace() override;

    // --- fetch::FetchHost (mainform_fetchhost.cpp; the first four here) ---
    raceday::RaceDay& Day() override { return *day_; }
    fetch::FetchFlags& Flags() override { return flags_; }
    // The owner of the program's long operations (keiba/operations.h): while one runs, the
    // commands that read the day or write a file from it are disabled and refuse.
    keiba::OperationOwner& Operations() override { return operations_; }
    jvdata::TJVLink* JvLink() override { return jvLink_.get(); }
    int SelectedRace() const override;
    int RaceCount() const override;
    void SelectRace(int index) override;
    int LoadedDayIndex() const override;
    std::string LoadedDayStem() const override;
    void ShowStatus(const std::string& text) override;
    void ProcessMessages() override;
    void SetBusyCursor(bool busy) override;
    void ErrorLogAppended(const std::string& line) override;
    void SetAutoOddsOn(bool checked) override;
    void RunOddsTimer(bool run) override;
    void ShowTimeToPost(const std::string& text) override;
    void ShowClock(const std::string& text) override;
    void ShowSelectedRace() override { DatListClick(); }
    void ReloadDay() override { DateComboChange(); }

    // --- betting::BetHost (mainform_bethost.cpp) ---
    std::string DateText() const override;
    int DateIndex() const override;
    // RaceCount and SelectedRace are FetchHost's.
    std::string RaceCaption(int item) const override;
    void ShowRace(int item) override;
    // A long operation runs: commands that read the day do nothing.
    bool Busy() const override { return operations_.Busy(); }

    // Runs instead of QDialog::exec for the modal forms this window opens, so that no test
    // waits for a person.
    void SetModalHookForTest(std::function<void(QDialog&)> hook) { modalHook_ = std::move(hook); }
    // The application's printer; a test puts its own in.
    views::print::Printer& Printer();
    void SetPrinterForTest(std::unique_ptr<views::print::Printer> printer) {
        printer_ = std::move(printer);
    }

    // Work lists of the window: the races of the odds buttons' loops, the error lines of this
    // run and the tracked horses.
    std::vector<std::string> WorkList, ErrorLog, AsaOzRaces, ChukanOzRaces, ChokuzenOzRaces;
    raceday::ChaseHorseList ChaseHorses;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // mainform.cpp
    void FormCreate();
    // The commands that read the day or write a file from it, disabled while an operation runs.
    void EnableDayCommands(bool enabled);
    // Says why a command that missed the disabled state does nothing; true when it may run.
    bool Free();
    void BuildUi();
    void HideTab(QTabWidget* tabs, const char* pageName);
    void ApplyMarkers(const MarkerFiles& markers);
    void LoadJockeyTable();
    void MakeUserKaimeList();
    // mainform_checkpage.cpp
    void AttachDataCheckPage();
    // The parts, each in mainform_<part>.cpp (the card, detail and check pages in
    // mainform_pages.cpp), with the factories they share.
    void BuildMenus();
    QAction* MenuItem(QMenu* menu, const char* name, const QString& caption);
    QWidget* BuildToolBar();
    controls::TLbSpeedButton* ToolButton(const char* name, const QString& caption,
                                         const QString& hint);
    QWidget* BuildHeader();
    // The header as before any race was shown: no texts, the turf colour, no number tile.
    void ClearRaceHeader();
    QWidget* BuildListPanel();
    QWidget* BuildPages();
    QWidget* BuildCardPage();
    QWidget* BuildDetailPage();
    QWidget* BuildCheckPage();
    QWidget* BuildStatsPage();
    QWidget* BuildOddsPage();
    void BuildExportMenuItems(QMenu* csv);
    void BuildExportFolderItem(QMenu* option);
    QWidget* BuildResultPage();
    void BuildHiddenButtons(QWidget* holder);
    QPushButton* HiddenButton(const char* name, const QString& caption,
                              const QString& hint = QString());
    views::StringGrid* NewGrid(const char* name, QWidget* parent);
    void SetUpGrids();
    // mainform_daylist.cpp
    void AfterDataImport();
    std::vector<std::string> DateList() const;
    // mainform_raceview.cpp
    void ShowRaceHeader(int r, const raceday::RaceHeader& h);
    void sisushutubaBtnClick();
    void RepaintRaceCards();
    QString HeaderTitle() const;
    // mainform_dialogs.cpp
    int ExecModal(QDialog& dialog);
    // mainform_members.cpp
    void BuildMembersCommands();
    void RereadShutugenDay();
    // mainform_options.cpp
    void RestoreOptions();
    void ChooseFolder(const QString& title, const char* key);
    // mainform_print.cpp
    void WirePrinting();
    void PrintSheet(views::print::Sheet sheet);

    // The loaded day, the owner of long operations, the fetches' flags and the race cards' sort
    // state: one each for the window and everything it hosts.
    std::unique_ptr<raceday::RaceDay> day_ = std::make_unique<raceday::RaceDay>();
    keiba::OperationOwner operations_;
    fetch::FetchFlags flags_;
    views::GridSortState sorts_;
    std::unique_ptr<jvdata::TJVLink> jvLink_;
    // The program folder and its settings store are the context's.
    const keiba::ProgramContext& context_;
    const std::filesystem::path& appDir_;
    keiba::TIniGT& ini_;
    bool shown_ = false;
    // Closed while an operation ran: the window closes once the operation has ended.
    bool closeWhenFree_ = false;
    std::string versionText_; // gVersionText, set when the window is first shown
    std::function<void(QDialog&)> modalHook_;
    // Made on the first print: the printer list is then asked afresh at every print.
    std::unique_ptr<views::print::Printer> printer_;

    TPrgrsForm* prgrsForm_ = nullptr;
    search::TShutugenForm* shutugenForm_ = nullptr;
    search::TRInputForm* rinputForm_ = nullptr;
    search::TNeraiGaitoForm* gaitoForm_ = nullptr;
    betting::TUserKaimeForm* userKaimeForm_ = nullptr;
    members::TDLDataForm* dlDataForm_ = nullptr;
    std::unique_ptr<members::Downloads> downloads_;
    DataCheckPage* dataCheckPage_ = nullptr;

    betting::BetPage* betPage_ = nullptr;
    search::NeraiSlotPanel* neraiSlots_ = nullptr;
    fetch::FetchTimers* timers_ = nullptr;
    views::GridCopyMenu* copyMenu_ = nullptr;
    views::DetailFilterBar* filterBar_ = nullptr;
    views::OddsSortBar* oddsSort_ = nullptr;
    QLineEdit* StatsFileEdit = nullptr; // Edit1 of the 統計 tab
    int busyCursors_ = 0;

    std::map<QString, views::StringGrid*> grids_;
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
    controls::TMsgDlg* MsgDlg1 = nullptr;
    QAction* hidelist = nullptr;
    QAction* FoldHyo = nullptr;
    QAction* N30 = nullptr;
    QTimer* DeliverTimer = nullptr;
};

} // namespace app
