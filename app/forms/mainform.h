#pragma once
// The main window `TMainForm`: the race-day list and race list on the left, the race header on
// top, the race pages below. It hosts the day load (app/dayload.h) and shows the selected race
// from what app/raceheader.h computes.
//
// Handlers keep the names of the operations they stand for (`DatListClick`, `FoldHyoClick`);
// hidden buttons that other parts of the system click are real, hidden QPushButtons, so the
// order of the clicks can be observed.

#include "app/chasehorse.h"
#include "app/dayload.h"
#include "app/inigt.h"
#include "app/startup.h"

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
class QGroupBox;
class QLabel;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTimer;

namespace controls {
class TFolderViewerEx;
class TLabel3Dj;
class TLbSpeedButton;
class TSaNumEditExC;
} // namespace controls

namespace jvdata {
class TJVLink;
}

namespace views {
class TStringGrid;
}

namespace app {

class TPrgrsForm;
class TRInputForm;
class TShutugenForm;
class TUserKaimeForm;
struct RaceHeader;

class TMainForm : public QMainWindow, public DayLoadHost {
    Q_OBJECT
public:
    // `jvLink` is the window's JV-Link control (`JVLink1`); it may be null in a test that never
    // shows the window. Runs the creation handler.
    explicit TMainForm(std::unique_ptr<jvdata::TJVLink> jvLink, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The forms created after this one that the window's handlers use.
    void AttachForms(TPrgrsForm* prgrs, TShutugenForm* shutugen, TRInputForm* rinput,
                     TUserKaimeForm* userKaime);

    jvdata::TJVLink* JVLink1() const { return jvLink_.get(); }
    const std::filesystem::path& AppDir() const { return appDir_; }
    views::TStringGrid* Grid(const QString& name) const;

    // --- handlers ---
    void FormShow();
    void FormCloseQuery();
    void MakeDataListBtnClick();
    void DateComboChange();
    void DateComboClick() {}
    void DirectReadBtnClick();
    void DatListClick();
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

    // --- DayLoadHost ---
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
    bool AutoOzChecked() const override;
    void ArmAutoOdds() override;
    void NeraiComboChange(int slot) override;
    void NeraiKaimeComboChange(int set) override;
    void SelectFirstRace() override;

    // Runs instead of QDialog::exec for the modal forms this window opens, so that no test
    // waits for a person.
    void SetModalHookForTest(std::function<void(QDialog&)> hook) { modalHook_ = std::move(hook); }

    // Work lists of the window, shared with the fetches and the bet builder.
    std::vector<std::string> WorkList, ErrorLog, VoteLines, AsaOzRaces, ChukanOzRaces,
        ChokuzenOzRaces, RealtimeOddsLines, MiningLines;
    std::set<std::string> KeyList, OddsSortList, AnalysisKeys, BetLines, BetKeys;
    TChaseHorses ChaseHorses;

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
    QWidget* BuildBetPage();
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
    void ShowRace(int r, const RaceHeader& h);
    std::vector<std::string> DateList() const;

    std::unique_ptr<jvdata::TJVLink> jvLink_;
    std::filesystem::path appDir_;
    TIniGT ini_;
    bool shown_ = false;
    std::string versionText_; // gVersionText, set when the window is first shown
    std::function<void(QDialog&)> modalHook_;

    TPrgrsForm* prgrsForm_ = nullptr;
    TShutugenForm* shutugenForm_ = nullptr;
    TRInputForm* rinputForm_ = nullptr;
    TUserKaimeForm* userKaimeForm_ = nullptr;

    std::map<QString, views::TStringGrid*> grids_;
    QTabWidget* PageControl1 = nullptr;
    QTabWidget* PageControl2 = nullptr; // bet types
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
    controls::TSaNumEditExC* SaNumEditExC1 = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QGroupBox* RadioGroup2 = nullptr;
    std::array<QRadioButton*, 2> radioGroup1Items{};
    std::array<QRadioButton*, 2> radioGroup2Items{};
    QCheckBox* AutoOzCheck = nullptr;
    controls::TFolderViewerEx* FolderViewerEx1 = nullptr;
    QAction* hidelist = nullptr;
    QAction* FoldHyo = nullptr;
    QAction* N30 = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;
    QTimer* Timer4 = nullptr;
    QTimer* DeliverTimer = nullptr;
};

} // namespace app
