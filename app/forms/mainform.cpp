// The main window's wiring: construction, the creation handler, the forms attached after it,
// showing and closing. mainform.h tells which file holds the rest.

#include "app/forms/mainform.h"

#include "app/forms/bethost.h"
#include "app/forms/datacheckpage.h"
#include "app/forms/dayloadhost.h"
#include "app/forms/fetchhost.h"
#include "app/forms/raceheaderview.h"
#include "betting/forms/betpage.h"
#include "betting/forms/userkaimeform.h"
#include "controls/formbounds.h"
#include "controls/qtext.h"
#include "fetch/forms/fetchtimers.h"
#include "jvdata/jvresult.h"
#include "keiba/errorlog.h"
#include "keiba/fileio.h"
#include "keiba/platform.h"
#include "raceday/jockeytable.h"
#include "search/forms/neraislotpanel.h"
#include "search/forms/rinputform.h"
#include "search/forms/shutugenform.h"
#include "views/grid.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace app {

TMainForm::TMainForm(const keiba::ProgramContext& context, std::unique_ptr<jvdata::TJVLink> jvLink,
                     QWidget* parent)
    : QMainWindow(parent)
    , jvLink_(std::move(jvLink))
    , context_(context)
    , appDir_(context.folder)
    , ini_(context.settings) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("ケストレーン "));
    // The hosts come first: the parts fill their widgets as they are built.
    header_ = std::make_unique<RaceHeaderView>();
    fetchHost_ = std::make_unique<MainFetchHost>(
        Day(), operations_, jvLink_.get(), context_, ErrorLog,
        MainFetchHost::Commands{[this] { DatListClick(); }, [this] { DateComboChange(); }});
    loadView_ = std::make_unique<MainDayLoadView>(operations_, *header_);
    loadSteps_ = std::make_unique<MainDayLoadSteps>(*fetchHost_);
    betHost_ = std::make_unique<MainBetHost>(operations_, [this] { DatListClick(); });
    BuildUi();
    WireHosts();
    operations_.SetListener([this](std::optional<keiba::Operation> running) {
        EnableDayCommands(!running);
        // Once the operation's own handler has returned: nothing of it runs in a closed window.
        if (!running && closeWhenFree_) QTimer::singleShot(0, this, [this] { close(); });
    });
    FormCreate();
}

TMainForm::~TMainForm() {
    // The search form may still hold the owner with a walk: it goes while the owner is there.
    operations_.SetListener(nullptr);
    delete shutugenForm_;
}

void TMainForm::AttachForms(TPrgrsForm* prgrs, search::TShutugenForm* shutugen,
                            search::TRInputForm* rinput, search::TNeraiGaitoForm* gaito,
                            betting::TUserKaimeForm* userKaime) {
    shutugenForm_ = shutugen;
    rinputForm_ = rinput;
    gaitoForm_ = gaito;
    userKaimeForm_ = userKaime;
    loadView_->ui.progress = prgrs;
    loadView_->ui.searchRaceList = rinput ? rinput->DatList() : nullptr;
    loadSteps_->ui.userKaime = userKaime;
    if (shutugenForm_) {
        shutugenForm_->AttachTargetCombos(neraiSlots_->Combos());
        shutugenForm_->SetUserKaimeMakeList([this] { MakeUserKaimeList(); });
        AttachDataCheckPage();
    }
    if (userKaimeForm_) userKaimeForm_->SetRaceListCount([this] { return DatList->count(); });
    MakeUserKaimeList();
}

void TMainForm::MakeUserKaimeList() {
    if (userKaimeForm_) userKaimeForm_->MakeListBtnClick();
}

views::StringGrid* TMainForm::Grid(const QString& name) const {
    auto it = grids_.find(name);
    return it == grids_.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------------------------
// Building and creating the window

void TMainForm::BuildUi() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("CentralPanel"));
    setCentralWidget(central);
    BuildMenus();
    auto* outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(BuildToolBar());
    outer->addWidget(BuildHeader());
    auto* body = new QHBoxLayout;
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(2);
    // At the left also while no race is shown and the pages are hidden.
    body->addWidget(BuildListPanel(), 0, Qt::AlignLeft);
    body->addWidget(BuildPages(), 1);
    outer->addLayout(body, 1);
    BuildHiddenButtons(central);
    BuildMembersCommands();
    WirePrinting();
    statusBar()->setObjectName(QStringLiteral("StatusLine"));
}

void TMainForm::WireHosts() {
    MainFetchHost::Widgets& fetch = fetchHost_->ui;
    fetch.DatList = DatList;
    fetch.DateCombo = DateCombo;
    fetch.RestTimeLabel = header_->ui.RestTimeLabel;
    fetch.timers = timers_;
    MainDayLoadView::Widgets& load = loadView_->ui;
    load.DatList = DatList;
    load.DateCombo = DateCombo;
    load.StringGrid6 = Grid(QStringLiteral("StringGrid6"));
    load.PageControl3 = PageControl3;
    load.PageControl1 = PageControl1;
    load.timers = timers_;
    MainDayLoadSteps::Widgets& steps = loadSteps_->ui;
    steps.timers = timers_;
    steps.N30 = N30;
    steps.DeliverTimer = DeliverTimer;
    steps.neraiSlots = neraiSlots_;
    betHost_->ui.DateCombo = DateCombo;
    betHost_->ui.DatList = DatList;
    betHost_->ui.FolderViewerEx1 = FolderViewerEx1;
}

void TMainForm::FormCreate() {
    keiba::Notifier& notifier = context_.notifier;
    // Said once here: every setting then reads as its default, and every change is refused.
    if (keiba::IoResult io = ini_.Readable(); !io)
        notifier.Information(io.message + "設定は既定の値になり、変更は保存されません。");
    else if (const std::size_t unread = ini_.UnreadLines(); unread > 0)
        notifier.Information(keiba::UnreadLinesText(ini_.FullPath(), unread) +
                             "設定を保存するときも、その行はそのまま残します。");
    for (const std::string& message : FillOutsideProgramFolders(ini_))
        notifier.Information(message);
    std::vector<std::string> folderFailures = CreateDataFolders(appDir_);
    for (const std::string& message : folderFailures) notifier.Information(message);
    RemoveLeftoverTempFiles(appDir_, OutsideBetFolders(ini_));

    for (const char* name : {"TabSheet1", "TabSheet7", "TabSheet5"}) {
        HideTab(PageControl1, name);
        HideTab(PageControl3, name);
    }
    MarkerFiles markers = ReadMarkerFiles(appDir_);
    ApplyMarkers(markers);

    QRect bounds = controls::ReadBounds(ini_, "locate", QRect(10, 10, 900, 600));
    bounds.setSize(bounds.size().expandedTo(QSize(200, 150)));
    controls::RestoreBounds(*this, bounds, controls::SavedOrigin::Frame);

    SetUpGrids();
    Grid(QStringLiteral("StringGrid6"))->hide();
    PageControl3->hide();

    LoadJockeyTable();
    if (keiba::IoResult io = keiba::StartErrorLog(appDir_, context_.clock.Now()); !io)
        notifier.Information(io.message);
    if (markers.keeper) findChild<QWidget*>(QStringLiteral("DirectReadBtn"))->show();
    RestoreOptions();

    findChild<QPushButton*>(QStringLiteral("MakeDataListBtn"))->click();

    for (const char* name : {"TabSheet6", "TabSheet10", "TabSheet8"}) HideTab(PageControl3, name);
    for (const char* name : {"TabSheet15", "TabSheet9", "TabSheet3"}) HideTab(PageControl1, name);
    HideTab(betPage_->Pages(), "TabSheet37");
    // Until a race is shown there is nothing for the race pages to show.
    PageControl1->hide();
}

namespace {

// The commands that read the day or write a file from it, write the members' folder or start a
// long operation of their own: disabled while one runs. The menu items, then the buttons.
constexpr const char* kDayActions[] = {
    "JV1", "N1O1", "T1",  "FilePrintItem", "N37",        "GiveGet1",      "N50", "K1",  "N18",
    "R1",  "N13",  "N14", "N16",           "N17",        "N19",           "N20", "N21", "N22",
    "N23", "N24",  "N25", "N26",           "GetXQdata1", "GetXQdataKako", "N47", "N49"};
constexpr const char* kDayButtons[] = {
    "JVBtn",         "KekkaGetBtn", "SokuhoOddsBtn", "NextRaceBtn", "HdInputBtn", "PrintBtn",
    "DirectReadBtn", "XQDataBtn",   "NeraiGaitoBtn", "TohyoCSVBtn", "TohyouBtn"};

} // namespace

void TMainForm::EnableDayCommands(bool enabled) {
    for (const char* name : kDayActions)
        if (auto* a = findChild<QAction*>(QString::fromLatin1(name))) a->setEnabled(enabled);
    for (const char* name : kDayButtons)
        if (auto* w = findChild<QWidget*>(QString::fromLatin1(name))) w->setEnabled(enabled);
    if (dataCheckPage_) dataCheckPage_->MakeCPDB()->setEnabled(enabled);
}

bool TMainForm::Free() {
    if (!Busy()) return true;
    context_.notifier.Beep();
    context_.notifier.Information(keiba::kOtherOperationRunning);
    return false;
}

void TMainForm::HideTab(QTabWidget* tabs, const char* pageName) {
    if (auto* page = tabs->findChild<QWidget*>(QString::fromLatin1(pageName)))
        tabs->setTabVisible(tabs->indexOf(page), false);
}

void TMainForm::ApplyMarkers(const MarkerFiles& markers) {
    auto showAction = [&](const char* name) {
        if (auto* a = findChild<QAction*>(QString::fromLatin1(name))) a->setVisible(true);
    };
    auto showMenu = [&](const char* name) {
        if (auto* m = findChild<QMenu*>(QString::fromLatin1(name)))
            m->menuAction()->setVisible(true);
    };
    auto showWidget = [&](const char* name) {
        if (auto* w = findChild<QWidget*>(QString::fromLatin1(name))) w->show();
    };
    if (markers.soloReviewers) showAction("N39");
    if (markers.primaryToggle) {
        for (const char* name : {"TekiAnaBtn", "TekiAnaBtn2", "ShukeiBtn", "DeliverBtn"})
            showWidget(name);
        showMenu("MenuMaster");
        PageControl1->setTabVisible(
            PageControl1->indexOf(findChild<QWidget*>(QStringLiteral("TabSheet1"))), true);
    }
    if (markers.supervisorPanels) {
        showWidget("TekiTextBtn");
        showWidget("TekiText2Btn");
        showAction("MailMenu");
        showMenu("MailSetMenu");
    }
}

void TMainForm::LoadJockeyTable() {
    const keiba::FileRead file = keiba::ReadFileOrMissing(appDir_ / "jockdata.kcsv");
    if (!file.read) context_.notifier.Information(file.read.message);
    if (!file.bytes) return;
    raceday::JockeyTable table = raceday::ParseJockeyTable(*file.bytes);
    if (table.rows.empty()) return;
    views::StringGrid* g = Grid(QStringLiteral("StringGrid11"));
    views::GridModel* m = g->Model();
    m->SetRowCount(static_cast<int>(table.rows.size()));
    for (std::size_t i = 0; i < table.rows.size(); ++i)
        for (std::size_t c = 0; c < raceday::kJockeyFields; ++c)
            m->SetCells(static_cast<int>(c), static_cast<int>(i),
                        controls::SjToQ(table.rows[i][c]));
}

// ---------------------------------------------------------------------------------------------
// Showing and closing

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TMainForm::FormShow() {
    versionText_ = std::string(kVersionText);
    if (!jvLink_) return;
    keiba::Notifier& notifier = context_.notifier;
    int code = jvLink_->JVInit(SoftwareId());
    if (code != 0) {
        notifier.Information("JVInitエラー：" + jvdata::JvResultMessage("JVInit", code));
        return;
    }
    if (auto message = JvVersionMessage(jvLink_->JVVersion())) {
        notifier.Beep();
        notifier.Information(*message);
    }
}

// Closed while a long operation runs, the window stays in front of the user, with the work
// it shows, until the operation has ended at its next pass; then it closes.
void TMainForm::closeEvent(QCloseEvent* event) {
    if (operations_.Busy()) {
        event->ignore();
        closeWhenFree_ = true;
        operations_.RequestCancel();
        // The search walks beside the screen and ends on its form's stop.
        if (operations_.Running() == keiba::Operation::Search && shutugenForm_)
            shutugenForm_->CancelBtnClick();
        return;
    }
    closeWhenFree_ = false;
    FormCloseQuery();
    event->accept();
}

void TMainForm::FormCloseQuery() {
    // The forms the window owns store their bounds with its own, here rather than one by one as
    // they go: a read-only disk that stops them all is said once.
    std::vector<keiba::IoResult> saves{controls::SaveBounds(ini_, "locate", QRect(pos(), size()))};
    for (const BoundsAtQuit& kept : boundsAtQuit_)
        if (kept.form) saves.push_back(kept.bounds->SaveBounds());
    controls::SayEachFailureOnce(context_.notifier, saves);
}

void TMainForm::SayIfNotSaved(const keiba::IoResult& io) {
    // A read-only disk or a settings file saved as UTF-16 keeps the old value: the user hears
    // it now rather than finding the setting back as it was at the next start.
    if (!io) context_.notifier.Information(io.message);
}

void TMainForm::QuitButtonClick() {
    close();
}

void TMainForm::ShowHint(const QString& hint) {
    statusBar()->showMessage(hint);
}

} // namespace app
