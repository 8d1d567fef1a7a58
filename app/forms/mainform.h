#pragma once
// The main window `TMainForm`: the race-day list and race list on the left, the race header on
// top, the race pages below. It shows the selected race from what raceday/raceheader.h computes
// and what the race cards (views/) draw. What the day load (raceday/dayload.h), the real-time
// fetches (fetch/fetchops.h) and the bet tab (betting/forms/betpage.h) ask of the window is
// answered by host objects it owns (dayloadhost.h, fetchhost.h, bethost.h), each holding only
// the widgets and state it needs; the race header and the payouts are shown by
// raceheaderview.h.
//
// Handlers keep the names of the operations they stand for (`DatListClick`, `FoldHyoClick`);
// hidden buttons that other parts of the system click are real, hidden QPushButtons, so the
// order of the clicks can be observed.
//
// The class is defined across files named after their part: mainform.cpp wires the window
// (construction, creation, the hosts, showing and closing), mainform_<part>.cpp builds each part
// and fills the hosts' widgets as it makes them, and the commands are grouped in
// mainform_daylist.cpp, mainform_fetches.cpp, mainform_raceview.cpp, mainform_dialogs.cpp and
// mainform_options.cpp. The declarations below follow the same grouping.

#include "app/startup.h"
#include "controls/formbounds.h"
#include "keiba/context.h"
#include "keiba/fileio.h"
#include "keiba/operations.h"
#include "members/downloads.h"
#include "raceday/chasehorse.h"
#include "raceday/daymodel.h"
#include "views/gridsort.h"
#include "views/print/printer.h"

#include <QMainWindow>
#include <QPointer>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QDialog;
class QFrame;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;

namespace controls {
class TFolderViewerEx;
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
class MainBetHost;
class MainDayLoadSteps;
class MainDayLoadView;
class MainFetchHost;
class RaceHeaderView;
class TPrgrsForm;

class TMainForm : public QMainWindow {
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
    // A form whose bounds the window saves with its own when it closes (FormCloseQuery); the
    // form saves none itself.
    template <class Form> void SaveBoundsAtQuit(Form& form) {
        boundsAtQuit_.push_back({&form, &form});
    }

    jvdata::TJVLink* JVLink1() const { return jvLink_.get(); }
    const keiba::ProgramContext& Context() const { return context_; }
    // The loaded day, and the owner of the program's long operations (keiba/operations.h):
    // while one runs, the commands that read the day or write a file from it are disabled and
    // refuse.
    raceday::RaceDay& Day() { return *day_; }
    keiba::OperationOwner& Operations() { return operations_; }
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
    // mainform_fetches.cpp: the real-time fetches and the time-series import (fetch/fetchops.h)
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
    // A folder of days that cannot be listed, said once while it stays so.
    keiba::TellOnce tellListFailure_;
    // mainform.cpp
    void FormCreate();
    // The hosts get the widgets they share with the window and the forms made after it.
    void WireHosts();
    // A long operation runs: commands that read the day do nothing.
    bool Busy() const { return operations_.Busy(); }
    // The commands that read the day or write a file from it, disabled while an operation runs.
    void EnableDayCommands(bool enabled);
    // Says why a command that missed the disabled state does nothing; true when it may run.
    bool Free();
    // A setting that could not be saved is said, with its cause.
    void SayIfNotSaved(const keiba::IoResult& io);
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

    // The loaded day, the owner of long operations and the race cards' sort state: one each for
    // the window and everything it hosts.
    std::unique_ptr<raceday::RaceDay> day_ = std::make_unique<raceday::RaceDay>();
    keiba::OperationOwner operations_;
    views::GridSortState sorts_;
    std::unique_ptr<jvdata::TJVLink> jvLink_;
    // The program folder and its settings store are the context's.
    const keiba::ProgramContext& context_;
    const std::filesystem::path& appDir_;
    keiba::TIniGT& ini_;
    bool shown_ = false;
    // Closed while an operation ran: the window closes once the operation has ended.
    bool closeWhenFree_ = false;
    std::string versionText_; // the about box's version, set when the window is first shown
    std::function<void(QDialog&)> modalHook_;
    // Made on the first print: the printer list is then asked afresh at every print.
    std::unique_ptr<views::print::Printer> printer_;

    // What the day load, the fetches and the bet tab ask of the window, and what a race
    // selection shows in the header and on the result page.
    std::unique_ptr<RaceHeaderView> header_;
    std::unique_ptr<MainFetchHost> fetchHost_;
    std::unique_ptr<MainDayLoadView> loadView_;
    std::unique_ptr<MainDayLoadSteps> loadSteps_;
    std::unique_ptr<MainBetHost> betHost_;

    search::TShutugenForm* shutugenForm_ = nullptr;
    search::TRInputForm* rinputForm_ = nullptr;
    search::TNeraiGaitoForm* gaitoForm_ = nullptr;
    betting::TUserKaimeForm* userKaimeForm_ = nullptr;
    members::TDLDataForm* dlDataForm_ = nullptr;
    // The forms whose bounds are saved at the quit, in the order they were given; a form gone
    // before then is passed over.
    struct BoundsAtQuit {
        QPointer<QWidget> form;
        controls::BoundsSavedAtQuit* bounds;
    };
    std::vector<BoundsAtQuit> boundsAtQuit_;
    std::unique_ptr<members::Downloads> downloads_;
    DataCheckPage* dataCheckPage_ = nullptr;

    betting::BetPage* betPage_ = nullptr;
    search::NeraiSlotPanel* neraiSlots_ = nullptr;
    fetch::FetchTimers* timers_ = nullptr;
    views::GridCopyMenu* copyMenu_ = nullptr;
    views::DetailFilterBar* filterBar_ = nullptr;
    views::OddsSortBar* oddsSort_ = nullptr;
    QLineEdit* StatsFileEdit = nullptr; // Edit1 of the 統計 tab

    std::map<QString, views::StringGrid*> grids_;
    QTabWidget* PageControl1 = nullptr;
    QTabWidget* PageControl3 = nullptr; // 分析諸表
    QFrame* Panel6 = nullptr;
    QComboBox* DateCombo = nullptr;
    QListWidget* DatList = nullptr;
    QComboBox* ComboBox1 = nullptr; // 検証
    controls::TFolderViewerEx* FolderViewerEx1 = nullptr;
    controls::TMsgDlg* MsgDlg1 = nullptr;
    QAction* hidelist = nullptr;
    QAction* FoldHyo = nullptr;
    QAction* N30 = nullptr;
    QTimer* DeliverTimer = nullptr;
};

} // namespace app
