// The main window on the offscreen platform: start-up, set-up, the day load's screens, race
// selection, commands, and a screenshot. Every message goes through the recording notifier.

#include "app/forms/aboutbox.h"
#include "app/forms/prgrsform.h"
#include "app/forms/rinputform.h"
#include "controls/folderviewer.h"
#include "controls/label3d.h"
#include "controls/numedit.h"
#include "tests/app/mainfixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// --- start-up ---------------------------------------------------------------------------------

TEST_F(MainFormTest, WithoutJvLinkNothingStarts) {
    forms = app::StartApplication([] { return std::unique_ptr<jvdata::TJVLink>(); });
    EXPECT_FALSE(forms);
    EXPECT_EQ(notifier.beeps, 1);
    EXPECT_EQ(notifier.messages,
              (std::vector<std::string>{"JRA-VANのホームページより【JV-Link】を入手し、インスト"
                                        "ールしてください。"}));
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<app::TMainForm*>(w), nullptr);
}

TEST_F(MainFormTest, FormsInOrderAndAFailedJvInitOnlySaysSo) {
    app::TMainForm& main = Start(-101);
    QStringList dialogs;
    for (QObject* child : main.children())
        if (qobject_cast<QDialog*>(child)) dialogs << child->objectName();
    EXPECT_EQ(dialogs, (QStringList{QStringLiteral("PrgrsForm"), QStringLiteral("ShutugenForm"),
                                    QStringLiteral("RInputForm"), QStringLiteral("NeraiGaitoForm"),
                                    QStringLiteral("DeSplForm"), QStringLiteral("DLDataForm"),
                                    QStringLiteral("UserKaimeForm")}));
    EXPECT_EQ(main.windowTitle(), QStringLiteral("ケストレーン "));
    EXPECT_TRUE(notifier.messages.empty());

    main.show();
    ASSERT_EQ(lastJv->CallNames(), std::vector<std::string>{"JVInit"});
    EXPECT_EQ(lastJv->calls[0].args[0], "SA514290/SD608173/Kestrane/Ver.1.20");
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_TRUE(notifier.messages[0].starts_with("JVInitエラー："));
    EXPECT_TRUE(notifier.messages[0].ends_with("(-101)"));
    EXPECT_EQ(notifier.beeps, 0);
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(Find<QComboBox>("DateCombo")->isEnabled());
}

TEST_F(MainFormTest, OnlyAnOldJvLinkVersionIsReported) {
    Start(0, "0490").show();
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_EQ(lastJv->CallNames(), (std::vector<std::string>{"JVInit", "JVVersion"}));
    Start(0, "0480").show();
    EXPECT_EQ(notifier.beeps, 1);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_NE(notifier.messages[0].find("[4.8.0]です。\r\n"), std::string::npos);
}

TEST_F(MainFormTest, EachMarkerFileShowsExactlyItsControls) {
    const char* all[] = {"N39",        "TekiAnaBtn",  "TekiAnaBtn2",  "ShukeiBtn",
                         "MenuMaster", "DeliverBtn",  "TekiTextBtn",  "TekiText2Btn",
                         "MailMenu",   "MailSetMenu", "DirectReadBtn"};
    struct Case {
        const char* marker;
        std::set<std::string> shown;
        bool statTab;
    } cases[] = {
        {nullptr, {}, false},
        {"SoloReviewersFeatures.key", {"N39"}, false},
        {"PrimaryToggleQuib.key",
         {"TekiAnaBtn", "TekiAnaBtn2", "ShukeiBtn", "MenuMaster", "DeliverBtn"},
         true},
        {"MereSupervisorsExtraPanels.key",
         {"TekiTextBtn", "TekiText2Btn", "MailMenu", "MailSetMenu"},
         false},
        {"Keeper.key", {"DirectReadBtn"}, false},
    };
    for (const Case& c : cases) {
        TempDir folder;
        UseFolder(folder.path());
        if (c.marker) WriteBytes(folder / c.marker, "");
        Start();
        for (const char* name : all)
            EXPECT_EQ(Shown(name), c.shown.count(name) == 1)
                << name << " with " << (c.marker ? c.marker : "no marker");
        EXPECT_EQ(VisibleTabs("PageControl1").contains(QStringLiteral("統計")), c.statTab);
    }
}

TEST_F(MainFormTest, WindowSetUpOfAFreshProgramFolder) {
    app::TMainForm& main = Start();
    for (const char* name : {"Data", "kaime", "CSV", "SEI", "UMA", "UM2", "nerai", "VZK"})
        EXPECT_TRUE(fs::is_directory(dir / name)) << name;
    EXPECT_FALSE(fs::exists(dir / "STAT"));
    EXPECT_FALSE(fs::exists(dir / "HPupload"));

    EXPECT_EQ(VisibleTabs("PageControl1"),
              (QStringList{QStringLiteral("出馬表"), QStringLiteral("詳細出馬表"),
                           QStringLiteral("結果"), QStringLiteral("買い目")}));
    EXPECT_EQ(VisibleTabs("PageControl4"),
              (QStringList{QStringLiteral("単勝"), QStringLiteral("複勝"), QStringLiteral("馬連"),
                           QStringLiteral("ワイド"), QStringLiteral("馬単"),
                           QStringLiteral("三連複"), QStringLiteral("三連単")}));

    views::TStringGrid* card = Grid("StringGrid10");
    ASSERT_EQ(card->Model()->ColCount(), 32);
    QStringList headings;
    for (int c = 0; c < 32; ++c) headings << card->Model()->Cells(c, 0);
    EXPECT_EQ(
        headings.join(QLatin1Char('|')),
        QStringLiteral("枠|馬|馬名|性齢|騎手|R騎|負担|血統|印|R馬|楽厳|単ｵｯｽﾞ|順|複ｵｯｽﾞ|順|"
                       "前1|前2|前3|増減|上昇|潜在|経験|ｺｰｽ|距離|LV属|高好|高勝率|低勝率|初高|"
                       "前５|着|人"));
    EXPECT_EQ(card->ColWidth(2), 155);
    EXPECT_TRUE(Find<views::TStringGrid>("StringGrid33")->isColumnHidden(11)); // a width of -1
    EXPECT_EQ(Grid("StringGrid2")->Model()->FixedCols(), 3);
    EXPECT_EQ(Grid("StringGrid27")->Model()->Cells(1, 0), QStringLiteral("馬連"));

    EXPECT_EQ(main.x(), 10);
    EXPECT_EQ(main.y(), 10);
    EXPECT_EQ(main.width(), 900);
    EXPECT_EQ(main.height(), 600);
    EXPECT_EQ(Find<QComboBox>("DateCombo")->count(), 0);
    EXPECT_TRUE(Find<QTabWidget>("PageControl1")->isHidden());

    main.move(30, 40);
    main.resize(1000, 700);
    main.close();
    app::TIniGT ini = Ini();
    EXPECT_EQ(ini.ReadInteger("locate", "left", 0), 30);
    EXPECT_EQ(ini.ReadInteger("locate", "top", 0), 40);
    EXPECT_EQ(ini.ReadInteger("locate", "width", 0), 1000);
    EXPECT_EQ(ini.ReadInteger("locate", "height", 0), 700);

    app::TMainForm& again = Start();
    EXPECT_EQ(again.pos(), QPoint(30, 40));
    EXPECT_EQ(again.size(), QSize(1000, 700));
}

TEST_F(MainFormTest, BadInputNeverStopsTheSetUp) {
    WriteBytes(dir / "jockdata.kcsv", "01002,b,c,d,e\r\n01001,short\r\n");
    std::string oldLog;
    for (int i = 1; i <= 250; ++i) oldLog += "old " + std::to_string(i) + "\r\n";
    WriteBytes(dir / "ErrorLog.txt", oldLog);
    WriteBytes(dir / "kestrane.ini", "");
    WriteBytes(dir / "UMA", "a file where a folder should be");
    Start();
    ASSERT_EQ(notifier.messages.size(), 1u); // the folder, and nothing else
    EXPECT_NE(notifier.messages[0].find("UMA"), std::string::npos);
    views::TGridModel* jockeys = Grid("StringGrid11")->Model();
    ASSERT_EQ(jockeys->RowCount(), 2);
    EXPECT_EQ(jockeys->Cells(1, 0), QStringLiteral("short"));
    EXPECT_EQ(jockeys->Cells(2, 1), QStringLiteral("c"));
    // Every later step ran: the log, the options, the list of days.
    std::string log = Slurp(dir / "ErrorLog.txt");
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 102);
    EXPECT_TRUE(fs::is_directory(dir / "VZK"));

    // Selection with no race and an index past the slots: nothing at all.
    Main().DatListClick();
    Main().HdInputBtnClick();
    EXPECT_EQ(notifier.messages.back(), "開催日ﾃﾞｰﾀを読み込んでください。");
}

// --- commands ---------------------------------------------------------------------------------

TEST_F(MainFormTest, ManualAndAboutBox) {
    app::TMainForm& main = Start();
    main.HelpButtonClick();
    EXPECT_EQ(notifier.beeps, 1);
    EXPECT_EQ(notifier.messages.back(), "使用解説書[Kestrane.pdf]が見つかりません。");
    WriteBytes(dir / "Kestrane.pdf", "%PDF");
    main.HelpButtonClick();
    EXPECT_EQ(shell.opened, std::vector<std::string>{(dir / "Kestrane.pdf").string()});

    main.show(); // the version text is set when the window is first shown
    QString version;
    QSize size;
    main.SetModalHookForTest([&](QDialog& d) {
        version = d.findChild<QLabel*>(QStringLiteral("Version"))->text();
        size = d.size();
        d.reject();
    });
    main.VerButton1Click();
    EXPECT_EQ(version, QStringLiteral("Ver.1.20"));
    EXPECT_EQ(size, QSize(384, 292));

    app::TAboutBox box;
    shell.succeed = false;
    int beeps = notifier.beeps;
    box.HomePageBtnClick();
    EXPECT_EQ(shell.opened.back(), app::kMakerHomePage);
    EXPECT_EQ(notifier.messages.back(), "ホームページの表示に失敗しました。");
    EXPECT_EQ(notifier.beeps, beeps);
}

TEST_F(MainFormTest, FoldTogglesAndFolderChoices) {
    Start();
    views::TStringGrid* card = Grid("StringGrid10");
    QAction* fold = Find<QAction>("FoldHyo");
    fold->trigger();
    EXPECT_EQ(card->ColWidth(2), 0);
    EXPECT_EQ(card->ColWidth(3), 0);
    EXPECT_EQ(card->ColWidth(5), 0);
    EXPECT_EQ(card->ColWidth(4), 60);
    EXPECT_TRUE(Ini().ReadBool("FoldGrid", "IjoHyo", false));
    fold->trigger();
    EXPECT_EQ(card->ColWidth(2), 125);
    EXPECT_EQ(card->ColWidth(3), 30);
    EXPECT_EQ(card->ColWidth(5), 30);
    EXPECT_FALSE(Ini().ReadBool("FoldGrid", "IjoHyo", true));

    Find<QAction>("N30")->trigger();
    EXPECT_TRUE(Main().findChild<QTimer*>(QStringLiteral("DeliverTimer"))->isActive());
    EXPECT_TRUE(Ini().ReadBool("alarm", "mail", false));
    Find<QAction>("hidelist")->trigger();
    EXPECT_TRUE(Ini().ReadBool("datalist", "close", false));

    auto* viewer = Main().findChild<controls::TFolderViewerEx*>(QStringLiteral("FolderViewerEx1"));
    const std::string before = Slurp(dir / "kestrane.ini");
    QString title, start;
    viewer->SetExecHook([&](QFileDialog& d) {
        title = d.windowTitle();
        start = d.directory().absolutePath();
        return int(QDialog::Rejected);
    });
    Find<QAction>("N28")->trigger();
    EXPECT_EQ(title, QStringLiteral("BRIVEL買い目ﾌｫﾙﾀﾞの指定"));
    EXPECT_EQ(start, Q(dir.path().string()));
    EXPECT_EQ(Slurp(dir / "kestrane.ini"), before);

    viewer->SetExecHook([&](QFileDialog& d) {
        d.setDirectory(Q((dir / "CSV").string()));
        return int(QDialog::Accepted);
    });
    Find<QAction>("N29")->trigger();
    EXPECT_EQ(Ini().ReadString("Dir", "jikeiretuAsa", ""), (dir / "CSV").string());
    EXPECT_EQ(Ini().ReadString("Dir", "kaime", "unset"), "unset");
    EXPECT_TRUE(notifier.messages.empty());
}

TEST_F(MainFormTest, HandInputNeedsALoadedDayWithRaces) {
    fs::create_directories(dir / "Data");
    WriteBytes(dir / "Data" / "2026年11月28日.jvRA", Ra("20261128", "05", 1, 2));
    WriteBytes(dir / "Data" / "2026年11月29日.jvHR", "");
    app::TMainForm& main = Start();
    main.HdInputBtnClick();
    EXPECT_EQ(notifier.messages.back(), "開催日ﾃﾞｰﾀを読み込んでください。");
    auto* combo = Find<QComboBox>("DateCombo");
    combo->addItem(QStringLiteral("2026年11月29日"));
    ChooseDay(QStringLiteral("2026年11月29日"));
    EXPECT_EQ(notifier.messages.back(), "データ作成が未完了のようです。");
    main.HdInputBtnClick();
    EXPECT_EQ(notifier.messages.back(), "ﾃﾞｰﾀが不十分のようです。");
    EXPECT_EQ(notifier.beeps, 3);

    // A listed race without runner records.
    ChooseDay(QStringLiteral("2026年11月28日"));
    EXPECT_EQ(notifier.messages.back(), "1レースはデータが不十分です。");
    int shownRow = -2;
    main.SetModalHookForTest(
        [&](QDialog& d) { shownRow = static_cast<app::TRInputForm&>(d).DatList()->currentRow(); });
    main.HdInputBtnClick();
    EXPECT_EQ(shownRow, 0);
}

// --- the sample folder ------------------------------------------------------------------------

TEST_F(SampleTest, DaysNewestFirstAndTheHeaderOfTheFirstRace) {
    Start();
    auto* combo = Find<QComboBox>("DateCombo");
    ASSERT_GE(combo->count(), 10);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("2026年11月29日"));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("2026年11月28日"));
    EXPECT_EQ(combo->itemText(combo->count() - 1), QStringLiteral("2026年10月31日"));
    EXPECT_EQ(combo->currentIndex(), -1);

    ChooseDay(QStringLiteral("2026年11月28日"));
    auto* list = Find<QListWidget>("DatList");
    ASSERT_EQ(list->count(), 36);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("東京 1R"));
    EXPECT_EQ(list->item(35)->text(), QStringLiteral("阪神12R"));
    EXPECT_EQ(forms->RInputForm->DatList()->count(), 36);
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_FALSE(forms->PrgrsForm->isVisible());
    EXPECT_TRUE(notifier.messages.empty());

    EXPECT_EQ(Find<QLabel>("Label1")->text().toStdString(),
              "2026年11月28日(土)東京05回09日01R   09.50発走  曇　芝:良　ダ:良");
    EXPECT_EQ(Find<QLabel>("BashoLabel")->text(), QStringLiteral("東京"));
    EXPECT_EQ(Find<QLabel>("RaceLabel")->text(), QStringLiteral("1"));
    EXPECT_TRUE(
        Find<QLabel>("Label3")->text().startsWith(QStringLiteral("16頭[入線:16頭] 2100ﾒｰﾄﾙ ")));
    EXPECT_EQ(Find<QLabel>("BashoLabel1")->text(), QStringLiteral("05"));
    EXPECT_EQ(Find<QLabel>("BashoIdx2")->text(), QStringLiteral("12"));
    EXPECT_FALSE(Find<QTabWidget>("PageControl1")->isHidden());
}

TEST_F(SampleTest, AnEightRunnerRaceSizesEveryGridAndClicksInOrder) {
    app::TMainForm& main = Start();
    ChooseDay(QStringLiteral("2026年11月28日"));
    std::vector<std::string> clicks;
    auto* stake = Find<controls::TSaNumEditExC>("SaNumEditExC1");
    for (const char* name : {"sisushutubaBtn", "SpeedButton14", "JikuHimoBtn", "KaimeMakeBtn"}) {
        QObject::connect(Find<QPushButton>(name), &QPushButton::clicked, &main, [&, name] {
            clicks.push_back(name + (":" + stake->Text()));
            EXPECT_TRUE(Grid("StringGrid10")->isHidden()); // never shown half-filled
        });
    }
    auto* list = Find<QListWidget>("DatList");
    app::Day().RaceAmounts[9] = 1200;
    list->setCurrentRow(9); // 東京10R, eight runners
    // The stake is set between the odds table and the automatic marks.
    EXPECT_EQ(clicks, (std::vector<std::string>{"sisushutubaBtn:3000", "SpeedButton14:3000",
                                                "JikuHimoBtn:1200", "KaimeMakeBtn:1200"}));
    for (const char* name : {"StringGrid6", "StringGrid26", "StringGrid1", "StringGrid8",
                             "StringGrid9", "StringGrid2", "StringGrid10"}) {
        EXPECT_EQ(Grid(name)->Model()->RowCount(), 9) << name;
        EXPECT_FALSE(Grid(name)->isHidden()) << name;
    }
    views::TGridModel* cardList = Grid("StringGrid6")->Model();
    for (int row = 1; row <= 8; ++row)
        EXPECT_EQ(cardList->Cells(1, row), QString::asprintf("%2d", row));
    EXPECT_EQ(app::Day().gCurRace, 9);
    EXPECT_EQ(Grid("StringGrid10")->ColWidth(2), 155); // widths outlive the new row count
    EXPECT_EQ(Find<QLabel>("RaceLabel")->text(), QStringLiteral("10"));
    EXPECT_TRUE(Find<QLabel>("Label2")->text().contains(QStringLiteral("紅葉特別")));

    // The payouts of the race as its results file has them.
    const jvdata::TPayoutTables& t = app::Day().gPayoutTables;
    auto* win = Find<controls::TLabel3Dj>("Label3D19");
    EXPECT_EQ(win->Caption(), QString::asprintf("%2d", t.gPayKeyWin[9][1]));
    EXPECT_EQ(Find<controls::TLabel3Dj>("Label3D23")->Caption(),
              QString::asprintf("%8lld", static_cast<long long>(t.gPayYenWin[9][1])));
    EXPECT_EQ(Find<controls::TLabel3Dj>("Label3D25")->Caption(), QString()); // no second winner
    EXPECT_EQ(Find<QLabel>("STlabel1")->text(), Q(t.gPayKeySanrentan[9][1]));

    QColor panel = Find<QFrame>("Panel3")->palette().color(QPalette::Window);
    std::int64_t track = app::Day().gDayRaces[9].Number(706, 2);
    EXPECT_EQ(panel, track >= 10 && track <= 22 ? QColor(0, 128, 0) : QColor(128, 0, 0));
}

TEST_F(SampleTest, ResultsTimerIsArmedByTheInjectedClock) {
    struct Case {
        keiba::LocalTime now;
        bool armed;
    } cases[] = {
        {keiba::MakeLocalTime(2026, 11, 28, 9, 0), true},
        {keiba::MakeLocalTime(2026, 11, 27, 17, 59), false},
        {keiba::MakeLocalTime(2026, 11, 27, 18, 0), true},
        {keiba::MakeLocalTime(2026, 11, 30, 9, 0), false},
    };
    Start();
    auto* timer4 = Main().findChild<QTimer*>(QStringLiteral("Timer4"));
    auto* autoOz = Find<QCheckBox>("AutoOzCheck");
    for (const Case& c : cases) {
        clock.now = c.now;
        autoOz->setChecked(false);
        ChooseDay(QStringLiteral("2026年11月28日"));
        EXPECT_EQ(timer4->isActive(), c.armed) << keiba::Yyyymmdd(c.now) << keiba::Hhnn(c.now);
        EXPECT_EQ(autoOz->isChecked(), c.armed);
        if (c.armed) {
            EXPECT_EQ(timer4->interval(), 600000);
        }
        EXPECT_EQ(Find<QLabel>("RestTimeLabel")->isHidden(), c.now != cases[0].now);
    }
}

TEST_F(SampleTest, Screenshot) {
    app::TMainForm& main = Start();
    main.resize(1200, 720);
    main.show();
    ChooseDay(QStringLiteral("2026年11月28日"));
    Find<QListWidget>("DatList")->setCurrentRow(10);
    QApplication::processEvents();
    QPixmap shot = main.grab();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QStringLiteral("mainform.png")));
    EXPECT_GT(QFileInfo(QStringLiteral("mainform.png")).size(), 10000);
    Find<QTabWidget>("PageControl1")->setCurrentIndex(2); // 結果
    QApplication::processEvents();
    EXPECT_TRUE(main.grab().save(QStringLiteral("mainform-result.png")));

    // The header's date line is drawn: white text on the header panel.
    QImage label = Find<QLabel>("Label1")->grab().toImage();
    int light = 0;
    for (int y = 0; y < label.height(); ++y)
        for (int x = 0; x < label.width(); ++x)
            if (qGray(label.pixel(x, y)) > 200) ++light;
    EXPECT_GT(light, 100);
}

} // namespace
