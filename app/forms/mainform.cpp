#include "app/forms/mainform.h"

#include "app/forms/aboutbox.h"
#include "app/forms/prgrsform.h"
#include "app/forms/rinputform.h"
#include "app/forms/userkaimeform.h"
#include "betting/forms/betpage.h"
#include "betting/forms/kaimesetform.h"
#include "controls/folderviewer.h"
#include "controls/label3d.h"
#include "controls/qtext.h"
#include "controls/speedbutton.h"
#include "fetch/fetchstate.h"
#include "fetch/forms/fetchtimers.h"
#include "fetch/forms/getdataform.h"
#include "fetch/forms/ozgettimeform.h"
#include "fetch/forms/timeseriesfolder.h"
#include "jvdata/jvlink.h"
#include "jvdata/jvresult.h"
#include "keiba/appdir.h"
#include "keiba/errorlog.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/platform.h"
#include "keiba/sjis.h"
#include "raceday/jockeytable.h"
#include "raceday/raceheader.h"
#include "search/forms/neraigaitoform.h"
#include "search/forms/neraislotpanel.h"
#include "search/forms/shutugenform.h"
#include "views/detailcard.h"
#include "views/grid.h"
#include "views/gridsort.h"
#include "views/indexcard.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace app {
namespace fs = std::filesystem;

namespace {

QString U(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string ToUtf8(const QString& s) {
    QByteArray b = s.toUtf8();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

struct GridSpec {
    const char* name;
    int cols;
    int fixedCols;
    int row0Height;
    int rowHeight;
    std::vector<int> widths;
    std::vector<const char*> headings;
};

// The grids of the window whose set-up is the window's own, in the order of their set-up. A width
// of -1 hides the column. The race cards, the analysis tables and the bet grids are set up by
// the parts that draw them (views/, betting/forms/).
const std::vector<GridSpec>& GridSpecs() {
    static const std::vector<GridSpec> specs = {
        {"StringGrid6",
         14,
         0,
         18,
         27,
         {20, 20, 180, 60, 35, 40, 50, 90, 50, 60, 70, 40, 90, 60},
         {"枠", "馬", "馬名/騎手/斤量/性齢", "調教師", "ﾌﾞﾘﾝｶ", "見習", "着順", "人気/確ｵｯｽﾞ",
          "走破ﾀｲﾑ", "3Fﾀｲﾑ", "ｺｰﾅｰ順位", "馬体重", "本賞金/付加賞金", "異常区分"}},
        {"StringGrid26",
         21,
         0,
         15,
         15,
         {20, 20, 130, 35, 60, 35, 50, 20, 50, 20, 50, 20, 50, 20, 50, 20, 50, 20, 20, 20, 40},
         {"枠",      "馬",      "馬名",    "性齢",    "騎手", "斤量",    "朝単ｵｽﾞ",
          "順",      "朝複ｵｽﾞ", "順",      "中単ｵｽﾞ", "順",   "中複ｵｽﾞ", "順",
          "直単ｵｽﾞ", "順",      "直複ｵｽﾞ", "順",      "着",   "人",      "確ｵｯｽﾞ"}},
        {"StringGrid27",
         8,
         1,
         15,
         15,
         {10, 60, 40, 70, 2, 60, 40, 70},
         {"", "馬連", "結果", "配当", "", "馬単", "結果", "配当"}},
        {"StringGrid22",
         39,
         0,
         15,
         15,
         {70, 60, 30, 60, 60, 60, 60, 60, 30, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60,
          60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60, 60},
         {}},
        {"StringGrid7",
         7,
         0,
         15,
         15,
         {60, 30, 20, 130, 60, 20, 20},
         {"レース", "頭数", "ゲ", "馬名", "異常値", "人", "着"}},
    };
    return specs;
}

// The grids a race selection sizes, in its order.
constexpr const char* kRaceGrids[] = {"StringGrid6", "StringGrid26", "StringGrid1", "StringGrid8",
                                      "StringGrid9", "StringGrid2",  "StringGrid10"};

// The 3-D payout labels in their table order: win, place, bracket quinella, quinella, wide.
std::vector<int> Label3DNumbers() {
    std::vector<int> n;
    auto run = [&](int from, int to) {
        for (int i = from; i <= to; ++i) n.push_back(i);
    };
    for (int i : {19, 21, 23}) n.push_back(i);
    run(25, 30);
    for (int i : {32, 34, 36}) n.push_back(i);
    run(38, 49);
    for (int i : {51, 53, 55}) n.push_back(i);
    run(57, 62);
    for (int i : {64, 66, 68}) n.push_back(i);
    run(70, 75);
    for (int i : {77, 79, 81}) n.push_back(i);
    run(83, 100);
    return n;
}

void SetPanelColor(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QLabel* HeaderLabel(QWidget* parent, const char* name, int pointSize, bool bold) {
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    QFont f = l->font();
    f.setPointSize(pointSize);
    f.setBold(bold);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, Qt::white);
    l->setPalette(p);
    l->setTextFormat(Qt::PlainText);
    return l;
}

} // namespace

TMainForm::TMainForm(std::unique_ptr<jvdata::TJVLink> jvLink, QWidget* parent)
    : QMainWindow(parent)
    , jvLink_(std::move(jvLink)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("ケストレーン "));
    BuildUi();
    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::AttachForms(TPrgrsForm* prgrs, search::TShutugenForm* shutugen, TRInputForm* rinput,
                            search::TNeraiGaitoForm* gaito, TUserKaimeForm* userKaime) {
    prgrsForm_ = prgrs;
    shutugenForm_ = shutugen;
    rinputForm_ = rinput;
    gaitoForm_ = gaito;
    userKaimeForm_ = userKaime;
    if (shutugenForm_) {
        shutugenForm_->AttachTargetCombos(neraiSlots_->Combos());
        shutugenForm_->SetUserKaimeMakeList([this] { MakeUserKaimeList(); });
    }
    MakeUserKaimeList();
}

void TMainForm::MakeUserKaimeList() {
    if (userKaimeForm_) userKaimeForm_->MakeListBtnClick();
}

views::TStringGrid* TMainForm::Grid(const QString& name) const {
    auto it = grids_.find(name);
    return it == grids_.end() ? nullptr : it->second;
}

// ---------------------------------------------------------------------------------------------
// Building the window

QPushButton* TMainForm::HiddenButton(const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, centralWidget());
    b->setObjectName(QString::fromLatin1(name));
    b->hide();
    return b;
}

controls::TLbSpeedButton* TMainForm::ToolButton(const char* name, const QString& caption,
                                                const QString& hint) {
    auto* b = new controls::TLbSpeedButton;
    b->setObjectName(QString::fromLatin1(name));
    b->SetCaption(caption);
    b->SetColorStyle(controls::TLbColorStyle::lcsDefault);
    b->setFixedSize(std::max(64, b->fontMetrics().horizontalAdvance(caption) + 16), 26);
    if (!hint.isEmpty()) {
        b->setToolTip(hint);
        b->setStatusTip(hint);
    }
    return b;
}

QAction* TMainForm::MenuItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

views::TStringGrid* TMainForm::NewGrid(const char* name, QWidget* parent) {
    auto* g = new views::TStringGrid(parent);
    g->setObjectName(QString::fromLatin1(name));
    grids_[g->objectName()] = g;
    return g;
}

void TMainForm::BuildMenus() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    QMenu* file = bar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    file->setObjectName(QStringLiteral("FileMenu"));
    QAction* jv = MenuItem(file, "JV1", QStringLiteral("JVデータ取得(&J)"));
    jv->setVisible(false);
    connect(jv, &QAction::triggered, this, &TMainForm::JVBtnClick);
    connect(MenuItem(file, "N1O1", QStringLiteral("1日分の全オッズを一括取得(&O)")),
            &QAction::triggered, this, [this] { fetch::N1O1Click(*this); });
    connect(MenuItem(file, "T1", QStringLiteral("時系列オッズより取得(&T)")), &QAction::triggered,
            this, [this] { fetch::T1Click(*this); });
    MenuItem(file, "FilePrintItem", QStringLiteral("印刷(&P)"));
    file->addSeparator();
    connect(MenuItem(file, "Exit1", QStringLiteral("終了(&X)")), &QAction::triggered, this,
            &TMainForm::QuitButtonClick);

    QMenu* csv = bar->addMenu(QStringLiteral("CSV出力(&S)"));
    csv->setObjectName(QStringLiteral("CsvMenu"));
    connect(MenuItem(csv, "N50", QStringLiteral("印")), &QAction::triggered, this, [this] {
        if (betPage_) betPage_->N50Click();
    });
    MenuItem(csv, "N39", QStringLiteral("勝ち上り馬"))->setVisible(false);

    QMenu* user = bar->addMenu(QStringLiteral("ﾕｰｻﾞｰ設定(&U)"));
    user->setObjectName(QStringLiteral("UserMenu"));
    connect(MenuItem(user, "K1", QStringLiteral("買い目設定(&K)")), &QAction::triggered, this,
            &TMainForm::K1Click);
    connect(MenuItem(user, "N18", QStringLiteral("投資金額設定")), &QAction::triggered, this,
            &TMainForm::N18Click);

    QMenu* folders = bar->addMenu(QStringLiteral("ﾌｫﾙﾀﾞ指定(&F)"));
    folders->setObjectName(QStringLiteral("FolderMenu"));
    connect(MenuItem(folders, "N12", QStringLiteral("時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定(&T)")),
            &QAction::triggered, this, &TMainForm::N12Click);
    connect(MenuItem(folders, "QVX1", QStringLiteral("QVX投票プラグイン２フォルダ指定")),
            &QAction::triggered, this, [this] {
                if (betPage_) betPage_->QVX1Click();
            });

    QMenu* option = bar->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    option->setObjectName(QStringLiteral("OptionMenu"));
    connect(MenuItem(option, "N8", QStringLiteral("データ自動取得時刻設定(&T)")),
            &QAction::triggered, this, &TMainForm::N8Click);
    QAction* n28 = MenuItem(option, "N28", QStringLiteral("BRIVEL買い目ﾌｫﾙﾀﾞ指定"));
    n28->setVisible(false);
    connect(n28, &QAction::triggered, this, &TMainForm::N28Click);
    QAction* n29 = MenuItem(option, "N29", QStringLiteral("朝時系列ｵｯｽﾞﾌｫﾙﾀﾞ指定"));
    n29->setVisible(false);
    connect(n29, &QAction::triggered, this, &TMainForm::N29Click);
    MenuItem(option, "QVXFolder", QStringLiteral("投票プラグインﾌｫﾙﾀﾞ指定"))->setVisible(false);
    hidelist = MenuItem(option, "hidelist", QStringLiteral("ﾃﾞｰﾀ読込後ﾘｽﾄを消す(&P)"));
    hidelist->setCheckable(true);
    hidelist->setVisible(false);
    connect(hidelist, &QAction::triggered, this, &TMainForm::hidelistClick);
    FoldHyo = MenuItem(option, "FoldHyo", QStringLiteral("異常数値表を折りたたむ"));
    FoldHyo->setCheckable(true);
    FoldHyo->setVisible(false);
    connect(FoldHyo, &QAction::triggered, this, &TMainForm::FoldHyoClick);

    // The mail menus are a maintainer's: the marker file shows them.
    QAction* mail = bar->addAction(QStringLiteral("ﾒｰﾙ設定"));
    mail->setObjectName(QStringLiteral("MailMenu"));
    mail->setVisible(false);
    QMenu* mailSet = bar->addMenu(QStringLiteral("メール設定"));
    mailSet->setObjectName(QStringLiteral("MailSetMenu"));
    mailSet->menuAction()->setVisible(false);
    N30 = MenuItem(mailSet, "N30", QStringLiteral("携帯へ転送する"));
    N30->setCheckable(true);
    connect(N30, &QAction::triggered, this, &TMainForm::N30Click);

    QMenu* master = bar->addMenu(QStringLiteral("開発用"));
    master->setObjectName(QStringLiteral("MenuMaster"));
    master->menuAction()->setVisible(false);
    MenuItem(master, "MenuDev", QStringLiteral("オッズ分布単日"));

    QMenu* help = bar->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    help->setObjectName(QStringLiteral("HelpMenu"));
    connect(MenuItem(help, "C1", QStringLiteral("使用解説書(&C)")), &QAction::triggered, this,
            &TMainForm::HelpButtonClick);
    connect(MenuItem(help, "A1", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)...")), &QAction::triggered, this,
            &TMainForm::VerButton1Click);

    // The printed sheets' menu: nothing in this window opens it.
    auto* print = new QMenu(this);
    print->setObjectName(QStringLiteral("PrintMenu"));

    // The race card list's pop-up: the list's press chooses the runner and sets the captions.
    auto* popup = new QMenu(this);
    popup->setObjectName(QStringLiteral("PopupMenu1"));
    connect(MenuItem(popup, "R1", QStringLiteral("追跡馬に登録(&R)")), &QAction::triggered, this,
            &TMainForm::R1Click);
    MenuItem(popup, "UmaInfo1", QStringLiteral("馬情報:"));
    MenuItem(popup, "KishuInfo1", QStringLiteral("騎手情報:"));
    MenuItem(popup, "ChokyoInfo1", QStringLiteral("調教師情報:"));
}

QWidget* TMainForm::BuildToolBar() {
    auto* bar = new QFrame;
    bar->setObjectName(QStringLiteral("Panel1"));
    bar->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(3);
    auto add = [&](const char* name, const char* caption, const char* hint, auto handler) {
        controls::TLbSpeedButton* b =
            ToolButton(name, QString::fromUtf8(caption), QString::fromUtf8(hint));
        if (handler) connect(b, &controls::TLbSpeedButton::OnClick, this, handler);
        row->addWidget(b);
        return b;
    };
    using H = void (TMainForm::*)();
    add("SpeedButton1", "ﾘｽﾄ", "開催日とレースの一覧を表示・非表示します",
        H(&TMainForm::SpeedButton1Click));
    add("JVBtn", "JVデータ取得", "JRA-VANからデータを取得します", H(&TMainForm::JVBtnClick));
    connect(add("KekkaGetBtn", "結果情報", "レース結果データを取得します", H(nullptr)),
            &controls::TLbSpeedButton::OnClick, this, [this] { fetch::KekkaGetBtnClick(*this); });
    connect(add("SokuhoOddsBtn", "速報ｵｯｽﾞ", "速報オッズを取得します", H(nullptr)),
            &controls::TLbSpeedButton::OnClick, this, [this] { fetch::SokuhoOddsBtnClick(*this); });
    connect(
        add("NextRaceBtn", "直前ﾚｰｽ", "開催当日発走時刻の最も迫ったレースへ移動します", H(nullptr)),
        &controls::TLbSpeedButton::OnClick, this, [this] { fetch::NextRaceBtnClick(*this); });
    add("RSerchBtn", "R馬検索", "R馬を検索します", H(&TMainForm::RSerchBtnClick));
    add("HdInputBtn", "R馬手入力", "R馬を手入力します", H(&TMainForm::HdInputBtnClick));
    add("PrintBtn", "印刷", "出馬表を印刷します", H(nullptr));
    add("DirectReadBtn", "一気読み", "統計のない開催日をまとめて読み込みます",
        H(&TMainForm::DirectReadBtnClick))
        ->hide();
    for (auto [name, caption] : {std::pair{"TekiAnaBtn", "的中"},
                                 {"TekiAnaBtn2", "穴的中"},
                                 {"ShukeiBtn", "集計"},
                                 {"DeliverBtn", "配信"},
                                 {"TekiTextBtn", "的中TEXT1"},
                                 {"TekiText2Btn", "的中TEXT2"}})
        add(name, caption, "", H(nullptr))->hide();
    row->addStretch(1);
    add("HelpButton", "ヘルプ", "使用解説書を開きます", H(&TMainForm::HelpButtonClick));
    add("VerButton1", "ﾊﾞｰｼﾞｮﾝ情報", "バージョン情報を表示します", H(&TMainForm::VerButton1Click));
    add("QuitButton", "終了", "終了します", H(&TMainForm::QuitButtonClick));
    return bar;
}

QWidget* TMainForm::BuildHeader() {
    Panel3 = new QFrame;
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFrameShape(QFrame::Panel);
    Panel3->setFrameShadow(QFrame::Sunken);
    Panel3->setFixedHeight(112);
    SetPanelColor(Panel3, QColor(0, 128, 0));
    auto* grid = new QGridLayout(Panel3);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(1);

    BashoLabel = HeaderLabel(Panel3, "BashoLabel", 20, true);
    BashoLabel->setAlignment(Qt::AlignCenter);
    BashoLabel->setMinimumWidth(70);
    RaceLabel = HeaderLabel(Panel3, "RaceLabel", 20, true);
    RaceLabel->setAlignment(Qt::AlignCenter);
    RaceLabel->setMinimumWidth(50);
    Label1 = HeaderLabel(Panel3, "Label1", 10, true);
    Label2 = HeaderLabel(Panel3, "Label2", 13, true);
    Label3 = HeaderLabel(Panel3, "Label3", 9, false);
    Label4 = HeaderLabel(Panel3, "Label4", 9, false);
    Label6 = HeaderLabel(Panel3, "Label6", 8, false);
    Label7 = HeaderLabel(Panel3, "Label7", 8, false);
    TFWtimeLabel = HeaderLabel(Panel3, "TFWtimeLabel", 9, false);
    RLevelLabel = HeaderLabel(Panel3, "RLevelLabel", 11, true);
    RplsTouLabel = HeaderLabel(Panel3, "RplsTouLabel", 9, false);
    RmnsTouLabel = HeaderLabel(Panel3, "RmnsTouLabel", 9, false);
    RestTimeLabel = HeaderLabel(Panel3, "RestTimeLabel", 10, true);
    RestTimeLabel->setStyleSheet(QStringLiteral("color: yellow;"));
    RestTimeLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label3Dj1 = new controls::TLabel3Dj(Panel3);
    Label3Dj1->setObjectName(QStringLiteral("Label3Dj1"));
    Label3Dj1->SetTransparent(true);
    Label3Dj1->SetFontColor(QColor(255, 255, 160));
    Label3Dj2 = new controls::TLabel3Dj(Panel3);
    Label3Dj2->setObjectName(QStringLiteral("Label3Dj2"));
    Label3Dj2->SetTransparent(true);
    Label3Dj2->SetFontColor(QColor(255, 255, 160));

    auto* caption = [&](const char* text) {
        QLabel* l = HeaderLabel(Panel3, "", 8, false);
        l->setText(QString::fromUtf8(text));
        return l;
    }("ｵｯｽﾞ時刻");
    auto* levelBox = new QHBoxLayout;
    levelBox->setSpacing(6);
    levelBox->addWidget(caption);
    levelBox->addWidget(TFWtimeLabel);
    levelBox->addSpacing(10);
    levelBox->addWidget(RLevelLabel);
    levelBox->addWidget(RplsTouLabel);
    levelBox->addWidget(RmnsTouLabel);
    levelBox->addStretch(1);
    levelBox->addWidget(RestTimeLabel);

    // The race number sits on its own tile so that it reads at a glance.
    RaceLabel->setAutoFillBackground(true);
    QPalette rp = RaceLabel->palette();
    rp.setColor(QPalette::Window, QColor(255, 255, 255));
    rp.setColor(QPalette::WindowText, QColor(0, 0, 0));
    RaceLabel->setPalette(rp);

    grid->addWidget(BashoLabel, 0, 0, 2, 1);
    grid->addWidget(RaceLabel, 0, 1, 2, 1);
    grid->addWidget(Label1, 0, 2);
    grid->addLayout(levelBox, 0, 3);
    grid->addWidget(Label2, 1, 2, 1, 2);
    grid->addWidget(Label3, 2, 0, 1, 3);
    grid->addWidget(Label3Dj1, 2, 3);
    grid->addWidget(Label4, 3, 0, 1, 3);
    grid->addWidget(Label3Dj2, 3, 3);
    grid->addWidget(Label6, 4, 0, 1, 3);
    grid->addWidget(Label7, 5, 0, 1, 4);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);
    return Panel3;
}

QWidget* TMainForm::BuildListPanel() {
    Panel6 = new QFrame;
    Panel6->setObjectName(QStringLiteral("Panel6"));
    Panel6->setFrameShape(QFrame::StyledPanel);
    Panel6->setMinimumWidth(130);
    Panel6->setMaximumWidth(220);
    auto* box = new QVBoxLayout(Panel6);
    box->setContentsMargins(3, 3, 3, 3);
    box->setSpacing(3);
    auto* dayCaption = new QLabel(QStringLiteral("開催日"), Panel6);
    box->addWidget(dayCaption);
    DateCombo = new QComboBox(Panel6);
    DateCombo->setObjectName(QStringLiteral("DateCombo"));
    DateCombo->setMaxVisibleItems(36);
    connect(DateCombo, &QComboBox::activated, this, [this](int) { DateComboChange(); });
    box->addWidget(DateCombo);
    DatList = new QListWidget(Panel6);
    DatList->setObjectName(QStringLiteral("DatList"));
    // While a load pumps events the list fills item by item; the load shows its first race
    // itself when it is done.
    connect(DatList, &QListWidget::currentRowChanged, this, [this](int) {
        if (!Busy()) DatListClick();
    });
    box->addWidget(DatList, 1);
    DLlabel = new QLabel(Panel6);
    DLlabel->setObjectName(QStringLiteral("DLlabel"));
    DLlabel->setWordWrap(true);
    DLlabel->setMinimumHeight(32);
    box->addWidget(DLlabel);
    neraiSlots_ = new search::TNeraiSlotPanel(RaceDay(), Panel6);
    box->addWidget(neraiSlots_);
    for (int k = 1; k <= 4; ++k)
        gNeraiCombos[static_cast<std::size_t>(k - 1)] = neraiSlots_->NeraiCombo(k);
    neraiSlots_->SetRaceListCount([this] { return DatList->count(); });
    neraiSlots_->SetRepaintRaceCards([this] { RepaintRaceCards(); });
    auto* gaito = new QPushButton(QStringLiteral("当日該当馬"), Panel6);
    gaito->setObjectName(QStringLiteral("NeraiGaitoBtn"));
    gaito->setToolTip(QStringLiteral("狙い馬に該当する当日の出走馬を一覧表示します"));
    connect(gaito, &QPushButton::clicked, this, &TMainForm::NeraiGaitoBtnClick);
    box->addWidget(gaito);
    return Panel6;
}

QWidget* TMainForm::BuildResultPage() {
    auto* page = new QWidget;
    auto* columns = new QHBoxLayout(page);
    const std::vector<int> numbers = Label3DNumbers();
    std::size_t next3D = 0;

    auto section = [&](QGridLayout* grid, int& row, const char* title, int rows,
                       const std::function<QWidget*(int row, int col)>& make) {
        auto* head = new QLabel(QString::fromUtf8(title), page);
        head->setAutoFillBackground(true);
        SetPanelColor(head, QColor(0, 0, 128));
        QPalette p = head->palette();
        p.setColor(QPalette::WindowText, Qt::white);
        head->setPalette(p);
        grid->addWidget(head, row++, 0, 1, 3);
        for (int i = 0; i < rows; ++i, ++row)
            for (int c = 0; c < 3; ++c) grid->addWidget(make(i, c), row, c);
    };
    auto make3D = [&](int, int c) -> QWidget* {
        auto* l = new controls::TLabel3Dj(page);
        l->setObjectName(QStringLiteral("Label3D%1").arg(numbers[next3D++]));
        l->SetAutoSize(false);
        l->SetTextStyle(controls::TTextStyle::tsNone);
        l->SetBorder(true);
        l->SetBorderType(controls::TBorderType::btRecessed);
        l->SetColor(Qt::white);
        l->SetAlignment(c == 2 ? controls::TAlignment::taRightJustify
                               : controls::TAlignment::taCenter);
        l->SetLayout(controls::TTextLayout::tlCenter);
        l->setMinimumSize(c == 2 ? 80 : 44, 18);
        l->setFont(QFont(QStringLiteral("Noto Sans Mono CJK JP"), 9));
        gLabel3DTable.push_back(l);
        return l;
    };
    auto makePlain = [&](const char* prefix) {
        return [&, prefix](int i, int c) -> QWidget* {
            static const char* kinds[] = {"", "N", "H"};
            auto* l = new QLabel(page);
            l->setObjectName(QString::fromLatin1(prefix).arg(QString::fromLatin1(kinds[c])) +
                             QString::number(i + 1));
            l->setFrameShape(QFrame::Panel);
            l->setFrameShadow(QFrame::Sunken);
            l->setAutoFillBackground(true);
            SetPanelColor(l, Qt::white);
            l->setAlignment(c == 2 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignCenter);
            l->setMinimumSize(c == 2 ? 80 : (c == 0 ? 70 : 44), 18);
            l->setFont(QFont(QStringLiteral("Noto Sans Mono CJK JP"), 9));
            gPayoutLabels.push_back(l);
            return l;
        };
    };

    auto* left = new QGridLayout;
    left->setSpacing(2);
    int row = 0;
    section(left, row, "単勝", 3, make3D);
    section(left, row, "複勝", 5, make3D);
    section(left, row, "枠連", 3, make3D);
    auto* middle = new QGridLayout;
    middle->setSpacing(2);
    row = 0;
    section(middle, row, "馬連", 3, make3D);
    section(middle, row, "ワイド", 7, make3D);
    auto* right = new QGridLayout;
    right->setSpacing(2);
    row = 0;
    section(right, row, "馬単", 6, makePlain("UT%1Label"));
    section(right, row, "三連複", 3, makePlain("SF%1Label"));
    section(right, row, "三連単", 6, makePlain("ST%1label"));
    for (QGridLayout* g : {left, middle, right}) {
        auto* holder = new QVBoxLayout;
        holder->addLayout(g);
        holder->addStretch(1);
        columns->addLayout(holder);
    }
    columns->addStretch(1);
    return page;
}

QWidget* TMainForm::BuildCardPage() {
    auto* card = new QWidget;
    auto* cardBox = new QVBoxLayout(card);
    cardBox->setContentsMargins(0, 0, 0, 0);
    // The copy button is created hidden and nothing shows it.
    auto* copy = ToolButton("LbSpeedButton1", QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"), QString());
    copy->setParent(card);
    copy->hide();
    connect(copy, &controls::TLbSpeedButton::OnClick, this, &TMainForm::LbSpeedButton1Click);
    cardBox->addWidget(NewGrid("StringGrid10", card), 1);
    Memo1 = new QPlainTextEdit(card);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setFixedHeight(64);
    cardBox->addWidget(Memo1);
    return card;
}

QWidget* TMainForm::BuildDetailPage() {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    box->setContentsMargins(0, 0, 0, 0);
    filterBar_ = new views::TDetailFilterBar([this] { DatListClick(); }, page);
    filterBar_->setObjectName(QStringLiteral("DetailFilterBar"));
    box->addWidget(filterBar_);
    box->addWidget(NewGrid("StringGrid2", page), 1);
    return page;
}

QWidget* TMainForm::BuildCheckPage() {
    auto* page = new QWidget;
    auto* box = new QVBoxLayout(page);
    box->setContentsMargins(0, 0, 0, 0);
    auto* row = new QHBoxLayout;
    ComboBox1 = new QComboBox(page);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    row->addWidget(ComboBox1);
    auto* copy = ToolButton("LbSpeedButton2", QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"), QString());
    connect(copy, &controls::TLbSpeedButton::OnClick, this, &TMainForm::LbSpeedButton2Click);
    row->addWidget(copy);
    row->addStretch(1);
    box->addLayout(row);
    box->addWidget(NewGrid("StringGrid7", page), 1);
    return page;
}

QWidget* TMainForm::BuildPages() {
    PageControl1 = new QTabWidget;
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto page = [&](QTabWidget* tabs, const char* name, const char* title, QWidget* content) {
        auto* w = new QWidget;
        w->setObjectName(QString::fromLatin1(name));
        auto* l = new QVBoxLayout(w);
        l->setContentsMargins(2, 2, 2, 2);
        l->addWidget(content);
        tabs->addTab(w, QString::fromUtf8(title));
        return w;
    };

    page(PageControl1, "TabSheet2", "出馬表", BuildCardPage());
    page(PageControl1, "TabSheet4", "詳細出馬表", BuildDetailPage());
    page(PageControl1, "TabSheet11", "結果", BuildResultPage());
    betPage_ = new betting::TBetPage(RaceDay(), *this, &sorts_.gSortCol);
    grids_[QStringLiteral("StringGrid1")] = betPage_->MarkGrid();
    // The mark columns at the right are the ones clicked: the mark grid is never narrower than
    // its columns.
    views::TStringGrid* marks = betPage_->MarkGrid();
    int marksWidth = 2 * marks->frameWidth() + marks->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < marks->Model()->ColCount(); ++c) marksWidth += marks->ColWidth(c);
    marks->setMinimumWidth(marksWidth);
    // The bet tab is wider than the window's default bounds: it scrolls rather than widening
    // the window.
    auto* betScroll = new QScrollArea;
    betScroll->setObjectName(QStringLiteral("BetScroll"));
    betScroll->setFrameShape(QFrame::NoFrame);
    betScroll->setWidgetResizable(true);
    betScroll->setWidget(betPage_);
    page(PageControl1, "TabSheet12", "買い目", betScroll);

    auto* stat = new QTabWidget;
    stat->setObjectName(QStringLiteral("StatPageControl"));
    page(stat, "TabSheet13", "データ", NewGrid("StringGrid22", nullptr));
    page(stat, "TabSheet14", "集計", NewGrid("StringGrid4", nullptr));
    page(PageControl1, "TabSheet1", "統計", stat);
    page(PageControl1, "TabSheet5", "検証", BuildCheckPage());

    PageControl3 = new QTabWidget;
    PageControl3->setObjectName(QStringLiteral("PageControl3"));
    page(PageControl3, "TabSheet6", "異常数値表", NewGrid("StringGrid8", nullptr));
    auto* odds = new QWidget;
    auto* oddsBox = new QVBoxLayout(odds);
    oddsBox->setContentsMargins(0, 0, 0, 0);
    // The odds table's button panel is created hidden and nothing shows it.
    auto* oddsButtons = new QFrame(odds);
    oddsButtons->setObjectName(QStringLiteral("OddsButtonPanel"));
    auto* oddsRow = new QHBoxLayout(oddsButtons);
    auto* clip = ToolButton("ClipBtn1", QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"), QString());
    connect(clip, &controls::TLbSpeedButton::OnClick, this, &TMainForm::ClipBtn1Click);
    oddsRow->addWidget(clip);
    oddsButtons->hide();
    oddsBox->addWidget(oddsButtons);
    oddsBox->addWidget(NewGrid("StringGrid26", odds), 1);
    page(PageControl3, "TabSheet7", "オッズ表", odds);
    page(PageControl3, "TabSheet8", "参考買い目", NewGrid("StringGrid27", nullptr));
    page(PageControl3, "TabSheet10", "指数", NewGrid("StringGrid9", nullptr));
    page(PageControl1, "TabSheet3", "分析諸表", PageControl3);
    page(PageControl1, "TabSheet15", "出馬表(一覧)", NewGrid("StringGrid6", nullptr));
    page(PageControl1, "TabSheet9", "資料", NewGrid("StringGrid11", nullptr));
    return PageControl1;
}

void TMainForm::BuildHiddenButtons(QWidget* holder) {
    Q_UNUSED(holder);
    connect(HiddenButton("MakeDataListBtn", QStringLiteral("リスト作成")), &QPushButton::clicked,
            this, &TMainForm::MakeDataListBtnClick);
    // The day load reaches these through the host; the buttons stand for them on the form.
    for (const char* name : {"IniBtn", "UMConvertBtn", "OzReadBtn", "CalcBtn", "HrReadBtn"})
        HiddenButton(name, QString::fromLatin1(name));
    connect(HiddenButton("SisuStatBtn2", QStringLiteral("指数統計保存(新)")), &QPushButton::clicked,
            this, &TMainForm::SisuStatBtn2Click);
    // Clicked by every race selection: the index race card and the odds table by runner number
    // (the bet tab's own hidden buttons follow them).
    connect(HiddenButton("sisushutubaBtn", QStringLiteral("指数出馬表")), &QPushButton::clicked,
            this, &TMainForm::sisushutubaBtnClick);
    HiddenButton("SpeedButton14", QStringLiteral("馬番"));
    connect(HiddenButton("NeraiSearchBtn", QStringLiteral("狙い馬判定")), &QPushButton::clicked,
            this, [this] { neraiSlots_->NeraiSearchBtnClick(); });
    // Commands without effect.
    HiddenButton("KaimeCalcBtn", QStringLiteral("買い目算出"));
    HiddenButton("SisuStatBtn", QStringLiteral("指数統計保存"));
    HiddenButton("SaveCheckBtn", QStringLiteral("Saveチェック"));
    // The real-time fetches the timers and the odds lists start.
    connect(HiddenButton("GetDMBtn", QStringLiteral("ﾏｲﾆﾝｸﾞ")), &QPushButton::clicked, this,
            [this] { fetch::GetDMBtnClick(*this); });
    struct OddsButton {
        const char* name;
        const char* caption;
        std::vector<std::string>* races;
        jvdata::ReadStep step;
    };
    const OddsButton oddsButtons[] = {
        {"OzGetLoopBtn", "ｵｯｽﾞ取得（自動）", &WorkList, jvdata::ReadStep::Odds},
        {"LOzBtn", "直前オッズ", &ChokuzenOzRaces, jvdata::ReadStep::Odds},
        {"AOzBtn", "朝ｵｯｽﾞ", &AsaOzRaces, jvdata::ReadStep::MorningOdds},
        {"MOzBtn", "中間ｵｯｽﾞ", &ChukanOzRaces, jvdata::ReadStep::MiddleOdds},
    };
    for (const OddsButton& b : oddsButtons)
        connect(HiddenButton(b.name, QString::fromUtf8(b.caption)), &QPushButton::clicked, this,
                [this, races = b.races, step = b.step] { fetch::OddsLoop(*this, *races, step); });
    HiddenButton("DMReadBtn", QStringLiteral("ﾏｲﾆﾝｸﾞ読込"));

    AutoOzCheck = new QCheckBox(QStringLiteral("ｵｯｽﾞ自動取得"), centralWidget());
    AutoOzCheck->setObjectName(QStringLiteral("AutoOzCheck"));
    AutoOzCheck->setToolTip(QStringLiteral("チェックしておくとオッズを自動取得します"));
    AutoOzCheck->hide();
    connect(AutoOzCheck, &QCheckBox::clicked, this, &TMainForm::AutoOzCheckClick);

    NowTimLabel = new QLabel(centralWidget());
    NowTimLabel->setObjectName(QStringLiteral("NowTimLabel"));
    NowTimLabel->hide();
    for (std::size_t i = 0; i < 3; ++i) {
        BashoLabels[i] = new QLabel(centralWidget());
        BashoLabels[i]->setObjectName(QStringLiteral("BashoLabel%1").arg(i + 1));
        BashoLabels[i]->hide();
        BashoIdxs[i] = new QLabel(centralWidget());
        BashoIdxs[i]->setObjectName(QStringLiteral("BashoIdx%1").arg(i + 1));
        BashoIdxs[i]->hide();
    }
    Panel8 = new QFrame(centralWidget());
    Panel8->setObjectName(QStringLiteral("Panel8"));
    Panel8->hide();

    FolderViewerEx1 = new controls::TFolderViewerEx(this);
    FolderViewerEx1->setObjectName(QStringLiteral("FolderViewerEx1"));
    FolderViewerEx1->SetOpenDefault(true);

    // Timer1 to Timer4; the clock and the time to post run from here on.
    timers_ = new fetch::TFetchTimers(*this, this);
    timers_->setObjectName(QStringLiteral("FetchTimers"));
    // The forwarding timer's work has no effect: no race carries a forwarding time.
    DeliverTimer = new QTimer(this);
    DeliverTimer->setObjectName(QStringLiteral("DeliverTimer"));
    DeliverTimer->setInterval(40000);
}

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
    body->addWidget(BuildListPanel());
    body->addWidget(BuildPages(), 1);
    outer->addLayout(body, 1);
    BuildHiddenButtons(central);
    statusBar()->setObjectName(QStringLiteral("StatusLine"));
}

// ---------------------------------------------------------------------------------------------
// Creation

void TMainForm::HideTab(QTabWidget* tabs, const char* pageName) {
    if (auto* page = tabs->findChild<QWidget*>(QString::fromLatin1(pageName)))
        tabs->setTabVisible(tabs->indexOf(page), false);
}

void TMainForm::SetUpGrids() {
    for (const GridSpec& spec : GridSpecs()) {
        views::TStringGrid* g = Grid(QString::fromLatin1(spec.name));
        if (!g) continue;
        views::TGridModel* m = g->Model();
        m->SetColCount(spec.cols);
        m->SetRowCount(2);
        m->SetFixedRows(1);
        m->SetFixedCols(spec.fixedCols);
        g->SetDefaultRowHeight(spec.rowHeight);
        g->verticalHeader()->resizeSection(0, spec.row0Height);
        for (std::size_t c = 0; c < spec.widths.size(); ++c)
            g->SetColWidth(static_cast<int>(c), spec.widths[c]);
        for (std::size_t c = 0; c < spec.headings.size(); ++c)
            m->SetCells(static_cast<int>(c), 0, QString::fromUtf8(spec.headings[c]));
    }

    // Set-up before attaching: the painters and sorts read the columns the set-up made.
    views::TStringGrid* card = Grid(QStringLiteral("StringGrid10"));
    views::SetupIndexRaceCard(*card);
    views::AttachIndexRaceCard(*card, RaceDay());
    views::AttachCardHeadingSort(*card, sorts_);
    views::SetupAbnormalTable(*Grid(QStringLiteral("StringGrid8")));
    views::TStringGrid* index = Grid(QStringLiteral("StringGrid9"));
    views::SetupIndexTable(*index);
    views::AttachIndexHeadingSort(*index, sorts_);
    views::TStringGrid* detail = Grid(QStringLiteral("StringGrid2"));
    views::SetupDetailedRaceCard(*detail);
    views::AttachDetailedRaceCard(*detail, RaceDay(), [this] { return DatList->count() == 0; });

    copyMenu_ = new views::TGridCopyMenu([this] { return HeaderTitle(); }, this);
    for (const char* name : {"StringGrid10", "StringGrid8", "StringGrid26", "StringGrid9"})
        copyMenu_->Attach(*Grid(QString::fromLatin1(name)));

    // The race card list's press chooses the runner of the tracked-horse pop-up.
    views::TStringGrid* list = Grid(QStringLiteral("StringGrid6"));
    connect(list, &views::TStringGrid::CellClicked, this, &TMainForm::StringGrid6MouseDown);
    connect(list, &views::TStringGrid::CellRightClicked, this, [this](int col, int row) {
        StringGrid6MouseDown(col, row);
        if (row >= 1)
            if (auto* popup = findChild<QMenu*>(QStringLiteral("PopupMenu1")))
                popup->popup(QCursor::pos());
    });
}

void TMainForm::ApplyMarkers(const TMarkerFiles& markers) {
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
    auto bytes = keiba::ReadWholeFile(appDir_ / "jockdata.kcsv");
    if (!bytes) return;
    raceday::JockeyTable table = raceday::ParseJockeyTable(*bytes);
    if (table.rows.empty()) return;
    views::TStringGrid* g = Grid(QStringLiteral("StringGrid11"));
    views::TGridModel* m = g->Model();
    m->SetRowCount(static_cast<int>(table.rows.size()));
    for (std::size_t i = 0; i < table.rows.size(); ++i)
        for (std::size_t c = 0; c < raceday::kJockeyFields; ++c)
            m->SetCells(static_cast<int>(c), static_cast<int>(i),
                        controls::SjToQ(table.rows[i][c]));
}

// The bet tab restores its own two mode groups (KaimeSet/HaibunSet and KaimeRogic).
void TMainForm::RestoreOptions() {
    hidelist->setChecked(ini_.ReadBool("datalist", "close", false));
    N30->setChecked(ini_.ReadBool("alarm", "mail", false));
}

void TMainForm::FormCreate() {
    ini_.Loaded();
    FillOutsideProgramFolders(ini_);
    // Every path is built from the program folder, so the process's own folder never changes.
    appDir_ = keiba::AppDir();
    keiba::Notifier& notifier = keiba::CurrentNotifier();
    std::vector<std::string> folderFailures = CreateDataFolders(appDir_);
    for (const std::string& message : folderFailures) notifier.Information(message);

    for (const char* name : {"TabSheet1", "TabSheet7", "TabSheet5"}) {
        HideTab(PageControl1, name);
        HideTab(PageControl3, name);
    }
    TMarkerFiles markers = ReadMarkerFiles(appDir_);
    ApplyMarkers(markers);

    move(ini_.ReadInteger("locate", "left", 10), ini_.ReadInteger("locate", "top", 10));
    resize(std::max(ini_.ReadInteger("locate", "width", 900), 200),
           std::max(ini_.ReadInteger("locate", "height", 600), 150));

    SetUpGrids();
    Grid(QStringLiteral("StringGrid6"))->hide();
    PageControl3->hide();

    LoadJockeyTable();
    if (keiba::IoResult io = keiba::StartErrorLog(appDir_, keiba::CurrentClock().Now()); !io)
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
    keiba::Notifier& notifier = keiba::CurrentNotifier();
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

void TMainForm::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    event->accept();
}

void TMainForm::FormCloseQuery() {
    ini_.WriteInteger("locate", "top", y());
    ini_.WriteInteger("locate", "left", x());
    ini_.WriteInteger("locate", "width", width());
    ini_.WriteInteger("locate", "height", height());
}

void TMainForm::ShowHint(const QString& hint) {
    statusBar()->showMessage(hint);
}

// ---------------------------------------------------------------------------------------------
// Race days and the day load

std::vector<std::string> TMainForm::DateList() const {
    std::vector<std::string> list;
    for (int i = 0; i < DateCombo->count(); ++i) list.push_back(ToUtf8(DateCombo->itemText(i)));
    return list;
}

void TMainForm::MakeDataListBtnClick() {
    DateCombo->clear();
    for (const std::string& stem : raceday::MakeDataList(appDir_)) DateCombo->addItem(U(stem));
    DateCombo->setCurrentIndex(-1);
}

void TMainForm::DateComboChange() {
    if (Busy()) {
        // The combo goes back to the day that stays loaded.
        QSignalBlocker block(DateCombo);
        DateCombo->setCurrentIndex(DateCombo->findText(U(RaceDay().gDayStem)));
        return;
    }
    std::string stem = ToUtf8(DateCombo->currentText());
    raceday::DateComboChange(RaceDay(), stem, *this, appDir_);
}

void TMainForm::DirectReadBtnClick() {
    raceday::DirectReadBtnClick(RaceDay(), DateList(), *this, appDir_);
    // The combo shows the day left loaded.
    int i = DateCombo->findText(U(RaceDay().gDayStem));
    if (i >= 0) DateCombo->setCurrentIndex(i);
}

void TMainForm::PrepareForLoad(bool isToday) {
    RestTimeLabel->setVisible(isToday);
    Grid(QStringLiteral("StringGrid6"))->hide();
    PageControl3->hide();
    Panel8->hide();
    PageControl1->hide();
    {
        QSignalBlocker block(DatList);
        DatList->clear();
    }
    RestTimeLabel->clear();
    timers_->StopTimer4();
}

void TMainForm::ShowProgress(int max, const std::string& heading, const std::string& status) {
    if (!prgrsForm_) return;
    prgrsForm_->ProgressBar1()->setRange(0, max);
    prgrsForm_->ProgressBar1()->setValue(0);
    prgrsForm_->Label3Dj1()->SetCaption(U(heading));
    prgrsForm_->StaticText1()->setText(U(status));
    prgrsForm_->show();
    QCoreApplication::processEvents();
}

void TMainForm::SetProgressPosition(int position) {
    if (prgrsForm_) prgrsForm_->ProgressBar1()->setValue(position);
}

void TMainForm::StepProgress() {
    if (!prgrsForm_) return;
    QProgressBar* bar = prgrsForm_->ProgressBar1();
    bar->setValue(std::min(bar->value() + 1, bar->maximum()));
    QCoreApplication::processEvents();
}

void TMainForm::SetProgressText(const std::string& text) {
    if (prgrsForm_) prgrsForm_->StaticText1()->setText(U(text));
}

void TMainForm::HideProgress() {
    if (prgrsForm_) prgrsForm_->hide();
}

void TMainForm::ClearRaceLists() {
    QSignalBlocker block(DatList);
    DatList->clear();
    if (rinputForm_) rinputForm_->DatList()->clear();
}

void TMainForm::AddRaceListItem(const std::string& item) {
    DatList->addItem(U(item));
    if (rinputForm_) rinputForm_->DatList()->addItem(U(item));
}

void TMainForm::SetVenueLabels(const std::array<std::string, 3>& codes,
                               const std::array<std::string, 3>& firstSlots) {
    for (std::size_t i = 0; i < 3; ++i) {
        BashoLabels[i]->setText(U(codes[i]));
        BashoIdxs[i]->setText(U(firstSlots[i]));
    }
}

void TMainForm::SisuStatBtn2Click() {}

void TMainForm::StartTimer4(int intervalMs) {
    timers_->StartTimer4(intervalMs);
}

bool TMainForm::AutoOzChecked() const {
    return AutoOzCheck->isChecked();
}

// The checks run once per load: ticking the box here is not a click.
void TMainForm::ArmAutoOdds() {
    SetAutoOzChecked(true);
    AutoOzCheckClick();
    if (N30->isChecked())
        DeliverTimer->start();
    else
        DeliverTimer->stop();
}

void TMainForm::AutoOzCheckClick() {
    fetch::AutoOzCheckClick(*this);
}

void TMainForm::NeraiComboChange(int slot) {
    if (slot < 1 || slot > 4) return;
    neraiSlots_->NeraiComboChange(slot);
}

void TMainForm::NeraiKaimeComboChange(int set) {
    if (!userKaimeForm_) return;
    QComboBox* combo = userKaimeForm_->NeraiKaimeCombo(set);
    if (!combo || keiba::IsBlankText(controls::QToSj(combo->currentText()))) return;
    userKaimeForm_->NeraiKaimeComboChange(set);
}

void TMainForm::SelectFirstRace() {
    if (DatList->count() == 0) return;
    {
        QSignalBlocker block(DatList);
        DatList->setCurrentRow(0);
    }
    DatListClick();
}

// ---------------------------------------------------------------------------------------------
// What the fetches and the bet tab ask of the window

int TMainForm::RaceListIndex() const {
    return DatList->currentRow();
}

int TMainForm::RaceListCount() const {
    return DatList->count();
}

void TMainForm::SelectRace(int index) {
    QSignalBlocker block(DatList);
    DatList->setCurrentRow(index);
}

int TMainForm::DateComboIndex() const {
    return DateCombo->currentIndex();
}

std::string TMainForm::DateComboText() const {
    return ToUtf8(DateCombo->currentText());
}

void TMainForm::SetDLlabel(const std::string& text) {
    DLlabel->setText(U(text));
}

void TMainForm::ProcessMessages() {
    QCoreApplication::processEvents();
}

// Balanced: a fetch may say "not busy" on more than one way out.
void TMainForm::SetBusyCursor(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++busyCursors_;
    } else if (busyCursors_ > 0) {
        QApplication::restoreOverrideCursor();
        --busyCursors_;
    }
}

void TMainForm::ErrorLogAppended(const std::string& line) {
    ErrorLog.push_back(line);
}

void TMainForm::SetAutoOzChecked(bool checked) {
    QSignalBlocker block(AutoOzCheck);
    AutoOzCheck->setChecked(checked);
}

void TMainForm::SetTimer1Enabled(bool enabled) {
    timers_->SetTimer1Enabled(enabled);
}

void TMainForm::SetRestTimeLabel(const std::string& text) {
    RestTimeLabel->setText(U(text));
}

void TMainForm::SetNowTimLabel(const std::string& text) {
    NowTimLabel->setText(U(text));
}

std::string TMainForm::DateText() const {
    return DateComboText();
}

int TMainForm::DateIndex() const {
    return DateCombo->currentIndex();
}

int TMainForm::RaceCount() const {
    return DatList->count();
}

int TMainForm::SelectedRace() const {
    return DatList->currentRow();
}

std::string TMainForm::RaceCaption(int item) const {
    QListWidgetItem* i = DatList->item(item);
    return i ? ToUtf8(i->text()) : std::string();
}

void TMainForm::ShowRace(int item) {
    SelectRace(item);
    DatListClick();
}

// ---------------------------------------------------------------------------------------------
// Race selection

void TMainForm::DatListClick() {
    int r = DatList->currentRow();
    raceday::RaceSelection sel = raceday::SelectRaceHeader(RaceDay(), r);
    if (sel.status == raceday::SelectStatus::NoRace) return;
    if (sel.status == raceday::SelectStatus::NoRunners) {
        if (!RaceDay().gBatchBusy)
            keiba::CurrentNotifier().Information(raceday::NoRunnersMessage(sel.raceNumber));
        return;
    }
    ShowRaceHeader(r, sel.header);
}

void TMainForm::ShowRaceHeader(int r, const raceday::RaceHeader& h) {
    raceday::TRaceDay& day = RaceDay();
    const auto ur = static_cast<std::size_t>(r);
    std::vector<views::TStringGrid*> grids;
    for (const char* name : kRaceGrids) grids.push_back(Grid(QString::fromLatin1(name)));
    views::SetAllCardSortDirs(sorts_, 0);
    for (views::TStringGrid* g : grids) g->hide();
    day.gCurRaceRec = day.gDayRaces[ur];
    for (views::TStringGrid* g : grids) {
        g->Model()->SetRowCount(h.gridRows);
        for (int row = 1; row < h.gridRows; ++row) g->Model()->ClearRow(row);
    }
    day.gCurRace = r;

    SetPanelColor(Panel3, h.turf ? QColor(0, 128, 0) : QColor(128, 0, 0));
    BashoLabel->setText(controls::SjToQ(h.basho));
    RaceLabel->setText(controls::SjToQ(h.race));
    Label1->setText(controls::SjToQ(h.label1));
    Label2->setText(controls::SjToQ(h.label2));
    Label3->setText(controls::SjToQ(h.label3));
    Label4->setText(controls::SjToQ(h.label4));
    Label6->setText(controls::SjToQ(h.label6));
    Label7->setText(controls::SjToQ(h.label7));
    Label3Dj1->SetCaption(controls::SjToQ(h.label3Dj1));
    Label3Dj2->SetCaption(controls::SjToQ(h.label3Dj2));
    TFWtimeLabel->setText(controls::SjToQ(h.tfwTime));
    RLevelLabel->setText(controls::SjToQ(h.rLevel));
    RplsTouLabel->setText(controls::SjToQ(h.rPlus));
    RmnsTouLabel->setText(controls::SjToQ(h.rMinus));

    QStringList memo;
    for (const std::string& line : h.memoLines) memo << controls::SjToQ(line);
    Memo1->setPlainText(memo.join(QLatin1Char('\n')));

    views::TGridModel* list = Grid(QStringLiteral("StringGrid6"))->Model();
    for (std::size_t i = 0; i < h.cardRows.size(); ++i)
        for (std::size_t c = 0; c < h.cardRows[i].size(); ++c)
            list->SetCells(static_cast<int>(c), static_cast<int>(i + 1),
                           controls::SjToQ(h.cardRows[i][c]));

    for (std::size_t i = 0; i < h.label3D.size(); ++i) {
        gLabel3DTable[3 * i]->SetCaption(controls::SjToQ(h.label3D[i].number));
        gLabel3DTable[3 * i + 1]->SetCaption(controls::SjToQ(h.label3D[i].popularity));
        gLabel3DTable[3 * i + 2]->SetCaption(controls::SjToQ(h.label3D[i].payout));
    }
    for (std::size_t i = 0; i < h.payoutLabels.size(); ++i) {
        gPayoutLabels[3 * i]->setText(controls::SjToQ(h.payoutLabels[i].number));
        gPayoutLabels[3 * i + 1]->setText(controls::SjToQ(h.payoutLabels[i].popularity));
        gPayoutLabels[3 * i + 2]->setText(controls::SjToQ(h.payoutLabels[i].payout));
    }

    findChild<QPushButton*>(QStringLiteral("sisushutubaBtn"))->click();
    findChild<QPushButton*>(QStringLiteral("SpeedButton14"))->click();
    // The race's stake, then the automatic marks and the bet builder.
    betPage_->AfterRaceShown();

    views::SetAllCardSortDirs(sorts_, 1);
    PageControl1->show();
    for (views::TStringGrid* g : grids) g->show();
    PageControl3->show();
    // The detailed card holds no text below its headings: its paint reads the day.
    Grid(QStringLiteral("StringGrid2"))->Model()->Repaint();
    for (const char* name : {"StringGrid6", "StringGrid26", "StringGrid1", "StringGrid2"})
        Grid(QString::fromLatin1(name))->ClearSelection();
}

void TMainForm::sisushutubaBtnClick() {
    views::FillIndexRaceCard(RaceDay(),
                             {Grid(QStringLiteral("StringGrid10"))->Model(),
                              Grid(QStringLiteral("StringGrid8"))->Model(),
                              betPage_->MarkGrid()->Model(),
                              Grid(QStringLiteral("StringGrid9"))->Model()},
                             Grid(QStringLiteral("StringGrid26"))->Model()->RowCount() - 1);
}

// The target marks appear at once: both cards are painted again from the match bytes.
void TMainForm::RepaintRaceCards() {
    for (const char* name : {"StringGrid2", "StringGrid10"}) {
        views::TStringGrid* g = Grid(QString::fromLatin1(name));
        const bool shown = !g->isHidden();
        g->hide();
        g->Model()->Repaint();
        if (shown) g->show();
    }
}

QString TMainForm::HeaderTitle() const {
    return QStringList{Label1->text(), Label2->text(), Label3->text(), Label4->text()}.join(
        QStringLiteral("\r\n"));
}

// ---------------------------------------------------------------------------------------------
// Commands

void TMainForm::SpeedButton1Click() {
    Panel6->setVisible(Panel6->isHidden());
}

void TMainForm::R1Click() {
    raceday::TRaceDay& day = RaceDay();
    if (raceday::RegisterChaseHorse(day, day.gCurRace, day.gCurHorse, ChaseHorses, appDir_) ==
        raceday::ChaseResult::Registered)
        DatListClick();
}

// The dialog is created on each command and freed when it has closed.
void TMainForm::JVBtnClick() {
    if (Busy()) return;
    fetch::TGetDataForm form(
        jvLink_.get(), RaceDay(), flags_, [this] { AfterDataImport(); }, this);
    ExecModal(form);
}

// What the import added shows up as days in the list; the race shown may be gone.
void TMainForm::AfterDataImport() {
    {
        QSignalBlocker block(DatList);
        DatList->clear();
    }
    PageControl1->hide();
    MakeDataListBtnClick();
}

void TMainForm::N8Click() {
    fetch::TOzGetTimeForm form(this);
    ExecModal(form);
}

void TMainForm::N12Click() {
    fetch::N12Click(*FolderViewerEx1);
}

// The dialog frees itself when it closes.
void TMainForm::N18Click() {
    auto* form = new betting::TKaimeSetForm(RaceDay(), this, this);
    ExecModal(*form);
}

void TMainForm::NeraiGaitoBtnClick() {
    if (DateCombo->currentIndex() < 0 || !gaitoForm_) return;
    gaitoForm_->FillHits(RaceDay(), DateCombo->currentText(), DatList->count());
    ExecModal(*gaitoForm_);
}

void TMainForm::LbSpeedButton1Click() {
    views::CopyWholeGrid(*Grid(QStringLiteral("StringGrid10"))->Model(), HeaderTitle());
}

void TMainForm::ClipBtn1Click() {
    views::CopyWholeGrid(*Grid(QStringLiteral("StringGrid26"))->Model(), HeaderTitle());
}

void TMainForm::LbSpeedButton2Click() {
    views::CopyWholeGrid(*Grid(QStringLiteral("StringGrid7"))->Model(), ComboBox1->currentText());
}

void TMainForm::StringGrid6MouseDown(int /*col*/, int row) {
    raceday::TRaceDay& day = RaceDay();
    const int h = row - 1;
    if (row < 1 || h >= raceday::kMaxRunners || day.gCurRace < 0 ||
        day.gCurRace >= raceday::kMaxRaces)
        return;
    const jvdata::TJvSE& se =
        day.gDayHorses[static_cast<std::size_t>(day.gCurRace)][static_cast<std::size_t>(h)];
    const QString name = controls::SjToQ(keiba::DeleteZenkakuSpaces(se.Field(41, 36))).trimmed();
    auto caption = [this](const char* item, const QString& text) {
        if (auto* a = findChild<QAction*>(QString::fromLatin1(item))) a->setText(text);
    };
    caption("R1", QStringLiteral("追跡馬に登録:") + name);
    caption("UmaInfo1", QStringLiteral("馬情報:") + name);
    caption("KishuInfo1", QStringLiteral("騎手情報:") + controls::SjToQ(se.Field(307, 8)));
    caption("ChokyoInfo1", QStringLiteral("調教師情報:") + controls::SjToQ(se.Field(91, 8)));
    day.gCurHorse = h;
}

int TMainForm::ExecModal(QDialog& dialog) {
    if (modalHook_) {
        modalHook_(dialog);
        return dialog.result();
    }
    return dialog.exec();
}

void TMainForm::K1Click() {
    if (!userKaimeForm_) return;
    ExecModal(*userKaimeForm_);
    if (DatList->count() > 0) DatListClick();
}

void TMainForm::RSerchBtnClick() {
    if (shutugenForm_) shutugenForm_->show();
}

void TMainForm::HdInputBtnClick() {
    keiba::Notifier& notifier = keiba::CurrentNotifier();
    if (keiba::IsBlankText(controls::QToSj(DateCombo->currentText()))) {
        notifier.Beep();
        notifier.Information("開催日ﾃﾞｰﾀを読み込んでください。");
        return;
    }
    if (DatList->count() == 0) {
        notifier.Beep();
        notifier.Information("ﾃﾞｰﾀが不十分のようです。");
        return;
    }
    if (!rinputForm_) return;
    rinputForm_->DatList()->setCurrentRow(DatList->currentRow());
    rinputForm_->DatListClick();
    ExecModal(*rinputForm_);
    // The hand input changes the day's R marks: the day is read again.
    DateComboChange();
}

void TMainForm::HelpButtonClick() {
    fs::path manual = appDir_ / "Kestrane.pdf";
    std::error_code ec;
    if (fs::exists(manual, ec)) {
        keiba::CurrentShell().Open(keiba::PathToUtf8(manual));
        return;
    }
    keiba::CurrentNotifier().Beep();
    keiba::CurrentNotifier().Information("使用解説書[Kestrane.pdf]が見つかりません。");
}

void TMainForm::VerButton1Click() {
    auto* box = new TAboutBox(this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->Version()->setText(U(versionText_));
    ExecModal(*box);
}

void TMainForm::QuitButtonClick() {
    close();
}

void TMainForm::ChooseFolder(const QString& title, const char* key) {
    FolderViewerEx1->SetCaption(title);
    FolderViewerEx1->SetSelectedFolder(U(ini_.ReadString("Dir", key, keiba::PathToUtf8(appDir_))));
    if (!FolderViewerEx1->Execute()) return;
    if (keiba::IoResult io = ini_.WriteString("Dir", key, ToUtf8(FolderViewerEx1->Folder())); !io)
        keiba::CurrentNotifier().Information(io.message);
}

void TMainForm::N28Click() {
    ChooseFolder(QStringLiteral("BRIVEL買い目ﾌｫﾙﾀﾞの指定"), "kaime");
}

void TMainForm::N29Click() {
    ChooseFolder(QStringLiteral("朝時系列ｵｯｽﾞﾃﾞｰﾀﾌｫﾙﾀﾞの指定"), "jikeiretuAsa");
}

// The toggles' actions are checkable: the menu has inverted the check mark before these run.
void TMainForm::hidelistClick() {
    ini_.WriteBool("datalist", "close", hidelist->isChecked());
}

void TMainForm::FoldHyoClick() {
    const bool folded = FoldHyo->isChecked();
    views::TStringGrid* card = Grid(QStringLiteral("StringGrid10"));
    card->SetColWidth(2, folded ? -1 : 125);
    card->SetColWidth(3, folded ? -1 : 30);
    card->SetColWidth(5, folded ? -1 : 30);
    ini_.WriteBool("FoldGrid", "IjoHyo", folded);
}

void TMainForm::N30Click() {
    if (N30->isChecked())
        DeliverTimer->start();
    else
        DeliverTimer->stop();
    ini_.WriteBool("alarm", "mail", N30->isChecked());
}

} // namespace app
