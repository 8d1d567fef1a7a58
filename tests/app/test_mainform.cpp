// The main window on the offscreen platform: start-up, set-up, the day load's screens, race
// selection, commands, and the window as a user sees it; then the parts it hosts, each checked only
// for being handed the right grids, lists and hosts (what a part does is its own tests' business).
// Every message goes through the recording notifier.

#include "app/forms/aboutbox.h"
#include "app/forms/prgrsform.h"
#include "betting/forms/betpage.h"
#include "controls/folderviewer.h"
#include "controls/label3d.h"
#include "controls/msgdlg.h"
#include "controls/numedit.h"
#include "controls/speedbutton.h"
#include "fetch/forms/fetchtimers.h"
#include "fetch/forms/getdataform.h"
#include "fetch/forms/ozgettimeform.h"
#include "keiba/formatters.h"
#include "search/forms/hitgrid.h"
#include "search/forms/neraigaitoform.h"
#include "search/forms/neraislotpanel.h"
#include "search/forms/rinputform.h"
#include "search/forms/shutugenform.h"
#include "search/nerairecord.h"
#include "tests/app/mainfixture.h"
#include "tests/search/neraifixture.h"
#include "tests/support/numericfields.h"
#include "tests/support/readonly.h"
#include "tests/support/unreadable.h"
#include "tests/support/waits.h"
#include "views/forms/desplform.h"
#include "views/indexcard.h"
#include "views/print/allprintform.h"
#include "views/print/fakeprinter.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEnterEvent>
#include <QFileDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <unistd.h>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

// --- start-up ---------------------------------------------------------------------------------

TEST_F(MainFormTest, WithoutJvLinkNothingStarts) {
    forms = app::StartApplication(Context(), [] { return std::unique_ptr<jvdata::TJVLink>(); });
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

    Start(0, "0480").show(); // an old control: its version message, once
    EXPECT_EQ(lastJv->CallNames(), (std::vector<std::string>{"JVInit", "JVVersion"}));
    EXPECT_NE(notifier.messages.back().find("[4.8.0]です。"), std::string::npos);
}

// Files and folders read at the start that are there but cannot be read are said, with the
// cause, each once however often the start lists it: the settings (every setting then reads as
// its default), the jockey table, and the folders of days, of target sets and of analysis files,
// which would otherwise list as holding none.
TEST_F(MainFormTest, FilesThatCannotBeReadAreSaidAtTheStart) {
    ASSERT_TRUE(Ini().WriteInteger("locate", "top", 40));
    WriteBytes(dir / "jockdata.kcsv", "01002,b,c,d,e\r\n");
    const fs::path folders[] = {dir / "Data", search::NeraiFolder(dir.path()), dir / "VZK"};
    for (const fs::path& f : folders) fs::create_directories(f);
    {
        const UnreadableFile unreadable(
            {Ini().FullPath(), dir / "jockdata.kcsv", folders[0], folders[1], folders[2]});
        Start();
    }
    const std::string cause = " を読み込めません（読み込む権限がありません）。";
    std::vector<std::string> expected = {Ini().FullPath().string() + cause +
                                             "設定は既定の値になり、変更は保存されません。",
                                         (dir / "jockdata.kcsv").string() + cause};
    for (const fs::path& f : folders) expected.push_back(f.string() + cause);
    std::sort(expected.begin() + 2, expected.end());
    std::sort(notifier.messages.begin() +
                  std::min<std::ptrdiff_t>(2, std::ssize(notifier.messages)),
              notifier.messages.end());
    EXPECT_EQ(notifier.messages, expected);
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
    EXPECT_EQ(VisibleTabs("PageControl1"),
              (QStringList{QStringLiteral("出馬表"), QStringLiteral("詳細出馬表"),
                           QStringLiteral("結果"), QStringLiteral("買い目")}));
    EXPECT_EQ(VisibleTabs("PageControl4"),
              (QStringList{QStringLiteral("単勝"), QStringLiteral("複勝"), QStringLiteral("馬連"),
                           QStringLiteral("ワイド"), QStringLiteral("馬単"),
                           QStringLiteral("三連複"), QStringLiteral("三連単")}));

    views::StringGrid* card = Grid("StringGrid10");
    ASSERT_EQ(card->Model()->ColCount(), 32);
    QStringList headings;
    for (int c = 0; c < 32; ++c) headings << card->Model()->Cells(c, 0);
    EXPECT_EQ(
        headings.join(QLatin1Char('|')),
        QStringLiteral("枠|馬|馬名|性齢|騎手|R騎|負担|血統|印|R馬|楽厳|単ｵｯｽﾞ|順|複ｵｯｽﾞ|順|"
                       "前1|前2|前3|増減|上昇|潜在|経験|ｺｰｽ|距離|LV属|高好|高勝率|低勝率|初高|"
                       "前５|着|人"));
    EXPECT_EQ(card->ColWidth(2), 155);
    EXPECT_TRUE(Find<views::StringGrid>("StringGrid33")->isColumnHidden(11)); // a width of -1
    // The reference bets: a heading and five rows.
    EXPECT_EQ(Grid("StringGrid27")->Model()->RowCount(), 6);
    EXPECT_EQ(Grid("StringGrid27")->Model()->Cells(5, 0), QStringLiteral("馬単"));
    // Grids of 15-pixel rows show their texts whole below the cell's top margin.
    for (const char* name : {"StringGrid27", "StringGrid22"}) {
        views::StringGrid* g = Grid(name);
        EXPECT_LE(QFontMetrics(g->font()).height() + views::CellPaint{}.textTop, g->RowHeight(1))
            << name;
    }

    EXPECT_EQ(main.geometry(), QRect(10, 10, 900, 600));
    // The window's message-box settings, with the sound on and the rest as the box defaults.
    auto* msg = Find<controls::TMsgDlg>("MsgDlg1");
    ASSERT_NE(msg, nullptr);
    EXPECT_TRUE(msg->Sound);
    EXPECT_EQ(msg->MsgLeft, -1);
    EXPECT_EQ(msg->MsgDlgType, controls::TMsgDlgType::mtInformation);
    EXPECT_EQ(msg->VisibleButtons, controls::TMsgDlgButtons{controls::MsgDlgButton::mbOK});
    EXPECT_TRUE(Find<QTabWidget>("PageControl1")->isHidden());

    main.move(30, 40);
    main.resize(1000, 700);
    main.close();
    EXPECT_EQ(Ini().ReadInteger("locate", "width", 0), 1000);
    app::TMainForm& again = Start();
    EXPECT_EQ(again.pos(), QPoint(30, 40));
    EXPECT_EQ(again.size(), QSize(1000, 700));
}

// The buttons the window holds for other parts to click stay hidden, with their captions and
// hints.
TEST_F(MainFormTest, TheHiddenButtonsCarryTheirCaptionsAndHints) {
    Start();
    struct Button {
        const char* name;
        const char* caption;
        const char* hint;
    };
    const Button buttons[] = {
        {"AOzBtn", "朝ｵｯｽﾞ", "朝オッズを取得します"},
        {"MOzBtn", "中間ｵｯｽﾞ", "中間オッズを取得します"},
        {"GetDMBtn", "ﾏｲﾆﾝｸﾞ", "ﾏｲﾆﾝｸﾞを取得します"},
        {"OzGetLoopBtn", "ｵｯｽﾞ取得（自動）", ""},
        {"LOzBtn", "直前オッズ", ""},
        {"DMReadBtn", "ﾏｲﾆﾝｸﾞ読込", ""},
        {"IniBtn", "初期化", ""},
        {"UMConvertBtn", "UMConvert", ""},
        {"OzReadBtn", "オッズ取込", ""},
        {"CalcBtn", "Calc", ""},
        {"HrReadBtn", "払戻取込", ""},
        {"PicKohobaBtn", "候補馬抽出", ""},
    };
    for (const Button& b : buttons) {
        SCOPED_TRACE(b.name);
        auto* button = Find<QPushButton>(b.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text().toStdString(), b.caption);
        EXPECT_EQ(button->toolTip().toStdString(), b.hint);
        EXPECT_TRUE(button->isHidden());
    }
}

// The tool bar's buttons answer the mouse: under it a button takes the hot-track colour and its
// caption turns bold and red; after it leaves, the colour fades back over a quarter second.
TEST_F(MainFormTest, ToolBarButtonsLightUpUnderTheMouseAndFadeOut) {
    app::TMainForm& main = Start();
    main.show();
    auto redInk = [](QWidget* w) {
        const QImage img = w->grab().toImage();
        int red = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QColor c = img.pixelColor(x, y);
                red += c.red() > 200 && c.green() < 90 && c.blue() < 90;
            }
        return red;
    };
    for (const char* name :
         {"SpeedButton1", "JVBtn", "KekkaGetBtn", "SokuhoOddsBtn", "NextRaceBtn", "RSerchBtn",
          "HdInputBtn", "PrintBtn", "HelpButton", "VerButton1", "QuitButton"}) {
        SCOPED_TRACE(name);
        auto* b = Find<controls::TLbSpeedButton>(name);
        const QColor face = b->FaceColor();
        EXPECT_EQ(redInk(b), 0);
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QApplication::sendEvent(b, &enter);
        EXPECT_TRUE(b->Hot());
        EXPECT_EQ(b->FaceColor(), QColor(182, 189, 210));
        EXPECT_TRUE(b->HotTrackFont().bold());
        EXPECT_GT(redInk(b), 10);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(b, &leave);
        EXPECT_TRUE(b->Fading());
        EXPECT_EQ(redInk(b), 0); // the font goes back at once, the colour fades
        EXPECT_TRUE(QTest::qWaitFor([&] { return !b->Fading(); }, kHangGuardMs));
        EXPECT_EQ(b->FaceColor(), face);
    }
}

// A writer killed before its rename left a partial file beside its target.
TEST_F(MainFormTest, TheStartRemovesWhatAKilledWriterLeft) {
    fs::create_directories(dir / "Data");
    const std::string leftover = "2026年11月28日.jvO6.ktmp" + std::to_string(::getpid()) + "-7";
    WriteBytes(dir / "Data" / leftover, "partial odds");
    Start();
    EXPECT_FALSE(fs::exists(dir / "Data" / leftover));
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
    views::GridModel* jockeys = Grid("StringGrid11")->Model();
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
    EXPECT_EQ(notifier.beeps, 1);
    // No program to show it: said, not left to the console.
    shell.succeed = false;
    main.HelpButtonClick();
    EXPECT_EQ(notifier.beeps, 2);
    EXPECT_EQ(notifier.messages.back(), "使用解説書[" + (dir / "Kestrane.pdf").string() +
                                            "]を開けませんでした。\nPDFを表示するソフトを確かめて"
                                            "ください。");
    shell.succeed = true;

    main.show(); // the version text is set when the window is first shown
    QString version;
    main.SetModalHookForTest([&](QDialog& d) {
        version = testsupport::Find<QLabel>(d, "Version")->text();
        d.reject();
    });
    main.VerButton1Click();
    EXPECT_EQ(version, QStringLiteral("Ver.1.20"));

    app::TAboutBox box(Context());
    shell.succeed = false;
    int beeps = notifier.beeps;
    box.HomePageBtnClick();
    EXPECT_EQ(shell.opened.back(), app::kMakerHomePage);
    EXPECT_EQ(notifier.messages.back(), "ホームページの表示に失敗しました。");
    EXPECT_EQ(notifier.beeps, beeps);
}

TEST_F(MainFormTest, FoldTogglesAndFolderChoices) {
    Start();
    views::StringGrid* card = Grid("StringGrid10");
    QAction* fold = Find<QAction>("FoldHyo");
    fold->trigger();
    EXPECT_EQ(card->ColWidth(2), -1);
    EXPECT_TRUE(card->isColumnHidden(2));
    EXPECT_EQ(card->ColWidth(4), 60);
    EXPECT_TRUE(Ini().ReadBool("FoldGrid", "IjoHyo", false));
    fold->trigger();
    EXPECT_EQ(card->ColWidth(2), 125);
    EXPECT_EQ(card->ColWidth(3), 30);
    EXPECT_FALSE(Ini().ReadBool("FoldGrid", "IjoHyo", true));

    Find<QAction>("hidelist")->trigger();
    EXPECT_TRUE(Ini().ReadBool("datalist", "close", false));

    auto* viewer = Find<controls::TFolderViewerEx>("FolderViewerEx1");
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

// The window's folder commands, the bet tab's voting plug-in folder among them, share the
// window's one folder picker, so each opens where the last one was left.
TEST_F(MainFormTest, TheFolderCommandsShareOnePickerThatOpensWhereItWasLeft) {
    app::TMainForm& main = Start();
    const QList<controls::TFolderViewerEx*> viewers =
        main.findChildren<controls::TFolderViewerEx*>();
    EXPECT_EQ(viewers.size(), 1);
    const QString plugin = QStringLiteral("QVX投票プラグイン２フォルダの指定");
    QStringList titles;
    std::vector<QRect> opened, left;
    for (controls::TFolderViewerEx* viewer : viewers)
        viewer->SetExecHook([&](QFileDialog& d) {
            titles << d.windowTitle();
            opened.push_back(d.geometry());
            d.setGeometry(QRect(40 + 10 * int(left.size()), 30, 700, 480));
            left.push_back(d.geometry());
            if (d.windowTitle() != plugin) return int(QDialog::Rejected);
            d.setDirectory(Q((dir / "CSV").string()));
            return int(QDialog::Accepted);
        });
    Find<QAction>("N29")->trigger();
    Find<QAction>("QVX1")->trigger();
    Find<QAction>("N28")->trigger();
    ASSERT_EQ(titles, (QStringList{QStringLiteral("朝時系列ｵｯｽﾞﾃﾞｰﾀﾌｫﾙﾀﾞの指定"), plugin,
                                   QStringLiteral("BRIVEL買い目ﾌｫﾙﾀﾞの指定")}));
    EXPECT_EQ(opened[1], left[0]);
    EXPECT_EQ(opened[2], left[1]);
    EXPECT_EQ(Ini().ReadString("Dir", "QVXTohyo2", ""), (dir / "CSV").string());
    EXPECT_TRUE(notifier.messages.empty());
}

// A setting the window cannot save (here: a settings file an editor saved as UTF-16, which is
// never written over) is said with its cause, for a toggle at once and for the window's place
// when it closes, instead of coming back as it was at the next start.
TEST_F(MainFormTest, ASettingThatCannotBeSavedIsSaidWithItsCause) {
    app::TMainForm& main = Start();
    main.show();
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string_view("[datalist]\r\nclose=0\r\n")) utf16 += std::string{c, '\0'};
    WriteBytes(dir / "kestrane.ini", utf16);
    notifier.messages.clear();
    const std::string refused = (dir / "kestrane.ini").string() +
                                " はUTF-16で保存されているため、設定を書き込めません。Shift-JISか"
                                "UTF-8で保存し直してください。";

    Find<QAction>("hidelist")->trigger();
    EXPECT_EQ(notifier.messages, std::vector<std::string>{refused});
    main.move(main.x() + 7, main.y());
    main.close();
    EXPECT_EQ(notifier.messages, (std::vector<std::string>{refused, refused}));
    EXPECT_EQ(Slurp(dir / "kestrane.ini"), utf16);
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
    main.SetModalHookForTest([&](QDialog& d) {
        shownRow = static_cast<search::TRInputForm&>(d).DatList()->currentRow();
    });
    main.HdInputBtnClick();
    EXPECT_EQ(shownRow, 0);
}

// --- the sample folder ------------------------------------------------------------------------

TEST_F(SampleTest, DaysNewestFirstAndTheHeaderOfTheFirstRace) {
    Start();
    auto* combo = Find<QComboBox>("DateCombo");
    ASSERT_GE(combo->count(), 10);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("2026年12月05日"));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("2026年11月29日"));
    EXPECT_EQ(combo->itemText(2), QStringLiteral("2026年11月28日"));
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
    // The last step of the load said what it placed, in readable text.
    const QString progress = forms->PrgrsForm->StaticText1()->text();
    EXPECT_TRUE(progress.startsWith(QStringLiteral("過去走配置中:阪神12R 3走:⑧")))
        << progress.toStdString();
    EXPECT_FALSE(progress.contains(QChar(0xFFFD)));
    EXPECT_TRUE(notifier.messages.empty());

    EXPECT_EQ(Find<QLabel>("Label1")->text().toStdString(),
              "2026年11月28日(土)東京05回09日01R   09.50発走  曇　芝:良　ダ:良");
    EXPECT_EQ(Find<QLabel>("BashoLabel")->text(), QStringLiteral("東京"));
    EXPECT_TRUE(
        Find<QLabel>("Label3")->text().startsWith(QStringLiteral("16頭[入線:16頭] 2100ﾒｰﾄﾙ ")));
    EXPECT_FALSE(Find<QTabWidget>("PageControl1")->isHidden());
}

// A newcomer's first R-horse search over the sample: the walk starts at the newest members'
// file, and its first hit opens its race instead of saying the race has no data.
TEST_F(SampleTest, TheFirstHitOfAnRHorseSearchOpensItsRace) {
    Start();
    auto* search = Main().findChild<search::TShutugenForm*>();
    search->RSerchBtnClick();
    ASSERT_TRUE(WaitUntil([&] {
        search->PollSearch();
        return !search->Searching();
    }));
    search->HitListMouseDown(Find<search::HitGrid>("StringGrid8"), 0);
    EXPECT_TRUE(notifier.messages.empty()) << notifier.messages.front();
    auto* card = Main().findChild<views::TDeSplForm*>();
    ASSERT_NE(card, nullptr);
    EXPECT_TRUE(card->isVisible());
    EXPECT_TRUE(card->Race().race.KeyText().starts_with("20261205")) << card->Race().race.KeyText();
    EXPECT_GE(card->Race().runners, 8);
    EXPECT_FALSE(keiba::IsBlankText(card->Race().horses[0].HorseName()));
}

TEST_F(SampleTest, AnEightRunnerRaceFillsEveryGridInOrder) {
    app::TMainForm& main = Start();
    ChooseDay(QStringLiteral("2026年11月28日"));
    std::vector<std::string> clicks;
    auto* stake = Find<controls::TSaNumEditExC>("SaNumEditExC1");
    auto record = [&](const char* name) {
        clicks.push_back(name + (":" + stake->Text()));
        EXPECT_TRUE(Grid("StringGrid10")->isHidden()); // never shown half-filled
    };
    for (const char* name : {"sisushutubaBtn", "JikuHimoBtn", "KaimeMakeBtn"})
        QObject::connect(Find<QPushButton>(name), &QPushButton::clicked, &main,
                         [&, name] { record(name); });
    QObject::connect(Find<controls::TLbSpeedButton>("SpeedButton14"),
                     &controls::TLbSpeedButton::OnClick, &main, [&] { record("SpeedButton14"); });
    auto* list = Find<QListWidget>("DatList");
    Day().RaceAmounts[9] = 1200;
    list->setCurrentRow(9); // 東京10R, eight runners
    // The stake is set between the odds table and the automatic marks.
    EXPECT_EQ(clicks, (std::vector<std::string>{"sisushutubaBtn:3000", "SpeedButton14:3000",
                                                "JikuHimoBtn:1200", "KaimeMakeBtn:1200"}));
    for (const char* name : {"StringGrid6", "StringGrid26", "StringGrid1", "StringGrid8",
                             "StringGrid9", "StringGrid2", "StringGrid10"}) {
        EXPECT_EQ(Grid(name)->Model()->RowCount(), 9) << name;
        EXPECT_FALSE(Grid(name)->isHidden()) << name;
    }
    views::GridModel* cardList = Grid("StringGrid6")->Model();
    for (int row = 1; row <= 8; ++row)
        EXPECT_EQ(cardList->Cells(1, row), QString::asprintf("%2d", row));
    EXPECT_EQ(Day().gCurRace, 9);
    EXPECT_EQ(Grid("StringGrid10")->ColWidth(2), 155); // widths outlive the new row count
    EXPECT_EQ(Find<QLabel>("RaceLabel")->text(), QStringLiteral("10"));
    EXPECT_TRUE(Find<QLabel>("Label2")->text().contains(QStringLiteral("紅葉特別")));

    // The payouts of the race as its results file has them.
    const jvdata::PayoutTables& t = Day().gPayoutTables;
    EXPECT_EQ(Find<controls::TLabel3Dj>("Label3D19")->Caption(),
              QString::asprintf("%2d", t.gPayKeyWin[9][1]));
    EXPECT_EQ(Find<controls::TLabel3Dj>("Label3D25")->Caption(), QString()); // no second winner
    EXPECT_EQ(Find<QLabel>("STlabel1")->text(), Q(t.gPayKeySanrentan[9][1]));

    QColor panel = Find<QFrame>("Panel3")->palette().color(QPalette::Window);
    std::int64_t track = Day().gDayRaces[9].Number(706, 2);
    EXPECT_EQ(panel, track >= 10 && track <= 22 ? QColor(0, 128, 0) : QColor(128, 0, 0));

    // The cards and the bet tab are filled by their own parts from the shown race.
    EXPECT_EQ(Grid("StringGrid10")->Model()->PaintOf(views::kCardBracket, 1).background,
              views::BracketColor(Day().gDayHorses[9][0].Bracket()));
    betting::BetPage* bets = main.BetPage();
    EXPECT_EQ(bets->MarkGrid(), Grid("StringGrid1"));
    EXPECT_EQ(bets->Tab().Amount(), 1200);
    EXPECT_GT(bets->BetModel(betting::BetKind::Tan)->rowCount(), 1);
    EXPECT_TRUE(notifier.messages.empty());
}

// What the window shows of 東京11R, read off the window's own picture: the header and the
// bracket colours of the race card. Fourteen runners fill the eight brackets with one runner in
// each of brackets 1 and 2 and two in the others.
TEST_F(SampleTest, TheShownRaceAsAUserSeesIt) {
    app::TMainForm& main = Start();
    main.resize(1200, 720);
    main.show();
    ChooseDay(QStringLiteral("2026年11月28日"));
    Find<QListWidget>("DatList")->setCurrentRow(10);
    QApplication::processEvents();
    EXPECT_EQ(Find<QLabel>("BashoLabel")->text(), QStringLiteral("東京"));
    EXPECT_EQ(Find<QLabel>("RaceLabel")->text(), QStringLiteral("11"));
    EXPECT_TRUE(Find<QLabel>("Label1")->text().startsWith(
        QStringLiteral("2026年11月28日(土)東京05回09日11R   15.00発走")));
    EXPECT_TRUE(Find<QLabel>("Label2")->text().contains(QStringLiteral("キャピタルステークス")));

    const QImage shot = main.grab().toImage();
    views::StringGrid* card = Grid("StringGrid10");
    ASSERT_TRUE(card->isVisible());
    auto bracketCell = [&](int row) {
        QRect r = card->visualRect(card->Model()->index(row, 0));
        return QColor(shot.pixel(card->viewport()->mapTo(&main, r.topLeft() + QPoint(3, 3))));
    };
    EXPECT_EQ(bracketCell(1), QColor(255, 255, 255));
    EXPECT_EQ(bracketCell(2), QColor(128, 128, 128));
    EXPECT_EQ(bracketCell(3), QColor(255, 0, 0));
    EXPECT_EQ(bracketCell(4), QColor(255, 0, 0));
    EXPECT_EQ(bracketCell(5), QColor(0, 0, 255));
    EXPECT_EQ(bracketCell(14), QColor(255, 0, 255));
}

// Before a day is loaded, with a race shown and after the import dialog has closed, the list
// panel stands at the window's left edge; the race number's white tile shows only with a race.
TEST_F(SampleTest, TheListStandsAtTheLeftAndTheNumberTileShowsOnlyWithARace) {
    app::TMainForm& main = Start();
    main.show();
    auto* panel = Find<QFrame>("Panel6");
    auto* header = Find<QFrame>("Panel3");
    auto* number = Find<QLabel>("RaceLabel");
    auto look = [&](const char* when, const QColor& tile) {
        SCOPED_TRACE(when);
        QApplication::processEvents();
        EXPECT_LE(panel->mapTo(&main, QPoint(0, 0)).x(), 4);
        const QImage shot = header->grab().toImage();
        EXPECT_EQ(shot.pixelColor(number->geometry().topLeft() + QPoint(3, 3)), tile);
    };
    look("before a day is loaded", QColor(0, 128, 0));
    ChooseDay(QStringLiteral("2026年11月28日"));
    look("with a race shown", QColor(255, 255, 255));
    main.SetModalHookForTest([](QDialog& d) { d.reject(); });
    main.JVBtnClick();
    look("after the import dialog", QColor(0, 128, 0));
    EXPECT_TRUE(Find<QLabel>("Label1")->text().isEmpty());
}

// The window keeps its default size, and at that size the bet tab's totals, its amount and its
// vote button can each be brought into view whole.
TEST_F(SampleTest, AtTheDefaultSizeTheBetTabsTotalsAndVoteButtonAreReachable) {
    app::TMainForm& main = Start();
    main.show();
    ChooseDay(QStringLiteral("2026年11月28日"));
    Find<QListWidget>("DatList")->setCurrentRow(10);
    auto* pages = Find<QTabWidget>("PageControl1");
    pages->setCurrentWidget(Find<QWidget>("TabSheet12"));
    QApplication::processEvents();
    ASSERT_EQ(main.size(), QSize(900, 600));
    auto* scroll = Find<QScrollArea>("BetScroll");
    std::vector<QWidget*> wanted{Find<QWidget>("TohyoCSVBtn"), main.BetPage()->AmountEdit()};
    for (betting::BetKind k : betting::kBuiltKinds)
        for (int s = 0; s < betting::kLabelSlots; ++s)
            wanted.push_back(main.BetPage()->Label(k, static_cast<betting::LabelSlot>(s)));
    for (QWidget* w : wanted) {
        scroll->ensureWidgetVisible(w, 0, 0);
        const QRect shown(w->mapTo(scroll->viewport(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(w->isVisible()) << w->objectName().toStdString();
        EXPECT_TRUE(scroll->viewport()->rect().contains(shown))
            << w->objectName().toStdString() << " " << shown.x() << "," << shown.y() << " "
            << shown.width() << "x" << shown.height();
        // Nothing but the scroll area's own bars covers it.
        const QPoint centre = w->mapTo(&main, w->rect().center());
        QWidget* top = main.childAt(centre);
        EXPECT_TRUE(top == w || w->isAncestorOf(top)) << w->objectName().toStdString();
    }
}

// On a 1280-pixel laptop screen, with the window as wide as the screen lets it be, the bet tab
// shows its totals whole without scrolling the page sideways.
TEST_F(SampleTest, OnALaptopScreenTheBetTabsTotalsShowWithoutScrolling) {
    app::TMainForm& main = Start();
    main.resize(1278, 760);
    main.show();
    ChooseDay(QStringLiteral("2026年11月28日"));
    Find<QListWidget>("DatList")->setCurrentRow(10);
    Find<QTabWidget>("PageControl1")->setCurrentWidget(Find<QWidget>("TabSheet12"));
    QApplication::processEvents();
    ASSERT_LE(main.width(), 1278); // what the frame leaves of the screen, no more
    auto* scroll = Find<QScrollArea>("BetScroll");
    EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible());
    for (betting::BetKind k : betting::kBuiltKinds)
        for (int s = 0; s < betting::kLabelSlots; ++s) {
            QWidget* l = main.BetPage()->Label(k, static_cast<betting::LabelSlot>(s));
            const QRect shown(l->mapTo(scroll->viewport(), QPoint(0, 0)), l->size());
            EXPECT_TRUE(scroll->viewport()->rect().contains(shown))
                << l->objectName().toStdString() << " at " << shown.x();
        }
}

// --- the parts it hosts -----------------------------------------------------------------------

constexpr int kEightRunners = 9; // 東京10R of the sample's 2026年11月28日

class WiringTest : public SampleTest {
protected:
    // The sample's target folder is shared by every test: sets are saved in a folder of ours.
    void OwnTargetFolder() {
        fs::remove(dir / "nerai");
        fs::create_directory(dir / "nerai");
    }
    void ShowRace(int row) {
        ChooseDay(QStringLiteral("2026年11月28日"));
        Find<QListWidget>("DatList")->setCurrentRow(row);
        ASSERT_EQ(Day().gCurRace, row);
    }
    void Press(const char* button) {
        auto* b = Find<controls::TLbSpeedButton>(button);
        ASSERT_NE(b, nullptr) << button;
        b->Click();
    }
    std::vector<std::vector<std::string>> RtOpens() const {
        std::vector<std::vector<std::string>> out;
        for (const FakeJvLink::Call& c : lastJv->calls)
            if (c.method == "JVRTOpen") out.push_back(c.args);
        return out;
    }
};

TEST_F(WiringTest, ATargetSlotMarksTheRunnersAndTheHitListShowsThem) {
    OwnTargetFolder();
    ASSERT_TRUE(search::WriteNeraiFile(dir.path(), "open", OpenSet()));
    app::TMainForm& main = Start();
    ShowRace(kEightRunners);
    int cardRepaints = 0;
    QObject::connect(Grid("StringGrid10")->Model(), &QAbstractItemModel::dataChanged, &main,
                     [&] { ++cardRepaints; });
    QComboBox* slot1 = Find<QComboBox>("NeraiCombo1");
    ASSERT_EQ(slot1->findText(QStringLiteral("open")), 0); // listed by the R-horse search form
    slot1->setCurrentIndex(0);
    Q_EMIT slot1->activated(0);
    EXPECT_EQ(Day().gRaceCalc[kEightRunners].NeraiMatch[2][0], 1);
    EXPECT_GE(cardRepaints, 1);
    views::CellPaint name = Grid("StringGrid10")->Model()->PaintOf(views::kCardName, 3);
    ASSERT_EQ(name.boxes.size(), 1u);
    EXPECT_EQ(name.boxes[0].fill, views::TargetSlotColor(1));

    // The hit list counts the runners of every listed race.
    QString count;
    int hitRows = 0;
    main.SetModalHookForTest([&](QDialog& d) {
        auto* gaito = qobject_cast<search::TNeraiGaitoForm*>(&d);
        ASSERT_NE(gaito, nullptr);
        count = gaito->NeraiLabels[0]->text();
        for (int row = 1; row < gaito->StringGrid8->Model()->RowCount(); ++row)
            if (!gaito->StringGrid8->Model()->Cells(0, row).isEmpty()) ++hitRows;
    });
    Find<QPushButton>("NeraiGaitoBtn")->click();
    EXPECT_GT(hitRows, 8);
    EXPECT_EQ(count.trimmed().toInt(), hitRows);
}

TEST_F(WiringTest, TheDayLoadSearchesTheUserSetsBeforeTheFirstMarks) {
    OwnTargetFolder();
    ASSERT_TRUE(search::WriteNeraiFile(dir.path(), "open", OpenSet()));
    // The bet tab in user mode from the start: the day load must search the user sets before
    // the first race's marks are made.
    ASSERT_TRUE(Ini().WriteInteger("KaimeSet", "KaimeRogic", 1));
    ASSERT_TRUE(Ini().WriteString("MyfavoKai", "nerai1", "open"));
    Start();
    ChooseDay(QStringLiteral("2026年11月28日"));
    views::GridModel* marks = Grid("StringGrid1")->Model();
    const int runners = raceday::FieldSize(Day(), 0);
    ASSERT_GT(runners, 1);
    for (int row = 1; row <= runners; ++row)
        EXPECT_EQ(marks->Cells(8, row), QStringLiteral("◎")) << row;
    EXPECT_EQ(marks->Cells(9, 1), QString());

    EXPECT_TRUE(notifier.messages.empty());
}

// The day load searches every target slot again with the set its combo holds, the last too.
TEST_F(WiringTest, TheDayLoadSearchesTheFourthTargetSlot) {
    OwnTargetFolder();
    ASSERT_TRUE(search::WriteNeraiFile(dir.path(), "open", OpenSet()));
    ASSERT_TRUE(Ini().WriteString("Myfavo", "nerai4", "open"));
    Start();
    ChooseDay(QStringLiteral("2026年11月28日"));
    EXPECT_EQ(Day().gRaceCalc[kEightRunners].NeraiMatch[2],
              (std::array<std::uint8_t, 4>{0, 0, 0, 1}));
}

// Input methods on Linux type the wave dash as 〜, which the settings file gives back as ～: the
// set chosen in slot 1 under such a name must be the slot's set again after a restart.
TEST_F(WiringTest, ATargetNameTypedWithAWaveDashIsChosenAgainAfterARestart) {
    OwnTargetFolder();
    Start();
    testsupport::Find<QLineEdit>(*forms->ShutugenForm, "NeraiEdit")->setText(Q("本命〜穴"));
    forms->ShutugenForm->NeraiSaveBtnClick();
    QComboBox* slot1 = Find<QComboBox>("NeraiCombo1");
    ASSERT_EQ(slot1->count(), 1);
    slot1->setCurrentIndex(0);
    Q_EMIT slot1->activated(0);
    const QString chosen = slot1->currentText();

    forms.reset();
    Start();
    ChooseDay(QStringLiteral("2026年11月28日"));
    EXPECT_EQ(Find<QComboBox>("NeraiCombo1")->currentText(), chosen);
    EXPECT_FALSE(Day().gNeraiSlots[1].IsBlank());
    EXPECT_EQ(notifier.messages, std::vector<std::string>{"結果を狙い馬ファイルに保存しました。"});
}

// A program folder on a read-only disk shows its days: loading one writes no setting it
// already holds, so no box says the settings cannot be written. The newer horse masters a day
// needs made from the older files are shown, and that they could not be kept is said on one line
// for the day.
TEST_F(WiringTest, AReadOnlyProgramFolderShowsItsDaysWithoutABox) {
    OwnTargetFolder();
    ASSERT_TRUE(search::WriteNeraiFile(dir.path(), "open", OpenSet()));
    ASSERT_TRUE(Ini().WriteString("Myfavo", "nerai1", "open"));
    ASSERT_TRUE(Ini().WriteString("MyfavoKai", "nerai1", "open"));
    // A run in the writable folder first leaves it as a user's would be.
    Start();
    ChooseDay(QStringLiteral("2026年11月28日"));
    forms.reset();
    notifier.messages.clear();
    const std::string settings = Slurp(dir / "kestrane.ini");
    {
        const ReadOnlyFolder readOnly(dir.path());
        ASSERT_FALSE(keiba::WriteFileAtomic(dir / "probe", "x").ok);
        Start();
        // The error log cannot be kept, and that is said once at the start.
        const std::size_t atStart = notifier.messages.size();
        EXPECT_LE(atStart, 1u);
        for (const char* day : {"2026年11月28日", "2026年11月29日", "2026年11月28日"})
            ChooseDay(QString::fromUtf8(day));
        EXPECT_EQ(Day().gNeraiSlots[1].IsBlank(), false);
        const std::vector<std::string> told(notifier.messages.begin() +
                                                static_cast<std::ptrdiff_t>(atStart),
                                            notifier.messages.end());
        ASSERT_EQ(told.size(), 1u); // 11月29日's
        EXPECT_TRUE(told[0].starts_with(keiba::PathToUtf8(dir / "UM2"))) << told[0];
        EXPECT_TRUE(
            told[0].ends_with(".jvUM2 を書き込めません（書き込む権限がありません）。ほかに1件"
                              "の競走馬データも書き込めませんでした。"))
            << told[0];
        // The horse named has its master all the same.
        ChooseDay(QStringLiteral("2026年11月29日"));
        const std::string id = fs::path(told[0].substr(0, told[0].find(".jvUM2"))).filename();
        int shown = 0;
        for (std::size_t r = 0; r < raceday::kMaxRaces; ++r)
            for (std::size_t h = 0; h < raceday::kMaxRunners; ++h)
                if (Day().gDayHorses[r][h].PedigreeId() == id)
                    shown += Day().gDayHorseMasters[r][h].PedigreeId() == id;
        EXPECT_EQ(shown, 1) << id;
        forms.reset();
    }
    EXPECT_EQ(Slurp(dir / "kestrane.ini"), settings);
}

// The hand input of a day without members' analysis: what is entered shows on the race card once
// the dialog has closed and the day is read again.
TEST_F(WiringTest, HandInputShowsOnTheRaceCardAfterClosing) {
    // A Data folder of this test's own (the sample is shared) holding the day's files but its
    // hand input, and no analysis files.
    fs::remove(dir / "Data");
    fs::create_directory(dir / "Data");
    for (const auto& e : fs::directory_iterator(SampleFolder() / "Data")) {
        const std::string name = keiba::PathToUtf8(e.path().filename());
        if (name.starts_with("2026年11月28日") && !name.ends_with(".ruma"))
            fs::copy_file(e.path(), dir / "Data" / e.path().filename());
    }
    fs::remove(dir / "VZK");
    fs::create_directory(dir / "VZK");
    Start();
    ShowRace(0);
    EXPECT_EQ(Grid("StringGrid10")->Model()->Cells(views::kCardRUma, 3), QString());

    Main().SetModalHookForTest([](QDialog& d) {
        auto* form = qobject_cast<search::TRInputForm*>(&d);
        ASSERT_NE(form, nullptr);
        EXPECT_EQ(form->DatList()->currentRow(), 0);
        auto choose = [](QComboBox* combo, int item) {
            combo->setCurrentIndex(item);
            Q_EMIT combo->activated(item);
        };
        choose(form->RLVCombo(), 6);
        choose(form->RumaCombo(3), 1);
    });
    Press("HdInputBtn");
    const std::string ruma = Slurp(dir / "Data" / "2026年11月28日.ruma");
    EXPECT_EQ(std::count(ruma.begin(), ruma.end(), '\n'), 36);
    // The day was read again and its first race shown: horse 3 is R- and the race 高＋.
    ASSERT_EQ(Day().gCurRace, 0);
    EXPECT_EQ(Grid("StringGrid10")->Model()->Cells(views::kCardRUma, 3), QStringLiteral("R-"));
    EXPECT_EQ(Find<QLabel>("RLevelLabel")->text(), QStringLiteral("高＋"));
    EXPECT_TRUE(notifier.messages.empty());
}

// The race card list: painted from the records and, on a press, naming its runner in the pop-up.
TEST_F(WiringTest, TheRaceCardListPaintsItsRunnersAndNamesThemInThePopup) {
    Start();
    ShowRace(kEightRunners);
    views::StringGrid* list = Grid("StringGrid6");
    EXPECT_EQ(list->RowHeight(0), 18);
    EXPECT_EQ(list->RowHeight(1), 27);
    const jvdata::TJvSE& se = Day().gDayHorses[kEightRunners][2];
    const views::CellPaint number = list->Model()->PaintOf(1, 3);
    ASSERT_EQ(number.texts.size(), 1u);
    EXPECT_EQ(number.texts[0].text, QString::asprintf("%2d", se.HorseNumber()));

    Q_EMIT list->CellClicked(4, 3);
    const QString name =
        Q(keiba::Cp932ToUtf8(keiba::DeleteZenkakuSpaces(se.HorseName()))).trimmed();
    EXPECT_EQ(Find<QAction>("R1")->text(), QStringLiteral("追跡馬に登録:") + name);
    EXPECT_EQ(Find<QAction>("UmaInfo1")->text(), QStringLiteral("馬情報:") + name);
    EXPECT_EQ(Find<QAction>("KishuInfo1")->text(),
              QStringLiteral("騎手情報:") + Q(keiba::Cp932ToUtf8(se.JockeyName())));
    EXPECT_EQ(Find<QAction>("ChokyoInfo1")->text(),
              QStringLiteral("調教師情報:") + Q(keiba::Cp932ToUtf8(se.TrainerName())));
    EXPECT_EQ(Day().gCurHorse, 2);
}

TEST_F(WiringTest, TheDataDialogsOpenThroughTheHookWithoutBlocking) {
    forms = app::StartApplication(Context(),
                                  [this] { return jvdata::CreateReplayJvLink(dir / "feed"); });
    ASSERT_TRUE(forms);
    ShowRace(0);
    const int days = Find<QComboBox>("DateCombo")->count();
    QStringList shown;
    Main().SetModalHookForTest([&](QDialog& d) {
        shown << d.objectName() + QLatin1Char(':') + d.windowTitle();
        d.reject();
    });
    Press("JVBtn");
    Find<QAction>("N8")->trigger();
    Find<QAction>("N18")->trigger();
    EXPECT_EQ(shown, (QStringList{QStringLiteral("GetDataForm:ＪＶデータ取込"),
                                  QStringLiteral("OzGetTimeForm:データﾞ自動取得時刻指定"),
                                  QStringLiteral("KaimeSetForm:買い目設定")}));
    // After the import dialog the race list is emptied and the days listed again.
    EXPECT_EQ(Find<QListWidget>("DatList")->count(), 0);
    EXPECT_EQ(Find<QComboBox>("DateCombo")->count(), days);
    EXPECT_EQ(Find<QComboBox>("DateCombo")->currentIndex(), -1);
    EXPECT_TRUE(notifier.messages.empty());
}

// The spin boxes, date pickers and numeric edits of the window, of the forms it holds and of
// the dialogs it opens: a number typed, committed by the input method or pasted in full width
// goes in as it does in half width.
TEST_F(WiringTest, EveryNumericFieldTakesFullWidthDigitsAsHalfWidthOnes) {
    app::TMainForm& main = Start();
    QStringList formsWithFields;
    auto probe = [&](QWidget& form) {
        QList<QWidget*> fields;
        for (QWidget* w : form.findChildren<QAbstractSpinBox*>()) fields << w;
        for (QWidget* w : form.findChildren<controls::TSaNumEdit*>()) fields << w;
        if (!fields.isEmpty()) formsWithFields << form.objectName();
        for (QWidget* field : fields) {
            const QString number = NumberFor(*field);
            for (Route route : kRoutes) {
                SCOPED_TRACE(testing::Message() << form.objectName().toStdString() << " "
                                                << field->objectName().toStdString() << " "
                                                << field->metaObject()->className() << " route "
                                                << static_cast<int>(route));
                EXPECT_EQ(EnteredInto(*field, FullWidth(number), route),
                          EnteredInto(*field, number, route));
            }
        }
    };
    main.SetModalHookForTest([&](QDialog& d) {
        probe(d);
        if (auto* minutes = Lookup<QSpinBox>(d, "SpinEdit3")) {
            EXPECT_EQ(EnteredInto(*minutes, QStringLiteral("５"), Route::Keys), "5");
        }
        if (auto* from = Lookup<QDateTimeEdit>(d, "DateTimePicker1")) {
            EXPECT_EQ(EnteredInto(*from, QStringLiteral("２８"), Route::Paste).substr(8), "28");
        }
        d.reject();
    });
    Press("JVBtn");
    Find<QAction>("N8")->trigger();
    Find<QAction>("N18")->trigger();
    {
        views::print::FakePrinter printer;
        views::print::TAllPrintForm print(Context(), printer, &main);
        probe(print);
    }
    probe(main);
    EXPECT_EQ(
        EnteredInto(*Find<QSpinBox>("TosuEdit01"), QStringLiteral("１０"), Route::InputMethod),
        "10");
    EXPECT_EQ(formsWithFields,
              (QStringList{QStringLiteral("GetDataForm"), QStringLiteral("OzGetTimeForm"),
                           QStringLiteral("KaimeSetForm"), QStringLiteral("AllPrintForm"),
                           QStringLiteral("MainForm")}));
}

// Tab and Shift+Tab leave a table for the next and previous control, as they leave any other
// field, and the arrow keys move between its cells: on the race card, the bet tab's runner
// table and its bet list.
TEST_F(WiringTest, TabLeavesEachTableWhileTheArrowsMoveWithinIt) {
    app::TMainForm& main = Start();
    ShowRace(kEightRunners);
    main.show();
    auto* pages = Find<QTabWidget>("PageControl1");
    const std::pair<const char*, const char*> tables[] = {{"TabSheet2", "StringGrid10"},
                                                          {"TabSheet12", "StringGrid1"},
                                                          {"TabSheet12", "StringGrid3"}};
    for (const auto& [page, name] : tables) {
        SCOPED_TRACE(name);
        pages->setCurrentWidget(Find<QWidget>(page));
        auto* grid = Find<views::StringGrid>(name);
        const QModelIndex start = grid->model()->index(grid->FixedRows(), grid->FixedCols());
        for (Qt::KeyboardModifiers mods : {Qt::NoModifier, Qt::ShiftModifier}) {
            grid->setFocus();
            grid->setCurrentIndex(start);
            ASSERT_EQ(main.focusWidget(), grid);
            QTest::keyClick(grid, mods ? Qt::Key_Backtab : Qt::Key_Tab, mods);
            EXPECT_NE(main.focusWidget(), grid);
            EXPECT_EQ(grid->currentIndex(), start);
        }
        grid->setCurrentIndex(start);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Right);
        QTest::keyClick(grid, Qt::Key_Down);
        EXPECT_EQ(main.focusWidget(), grid);
        EXPECT_GT(grid->currentIndex().column(), start.column());
        EXPECT_EQ(grid->currentIndex().row(), start.row() + 1);
    }
}

TEST_F(WiringTest, FetchButtonsGoThroughTheJvLinkAndNothingStartsWhileOneRuns) {
    Start();
    ShowRace(10);
    const std::string key(Day().gDayRaces[10].Field(12, 16));
    lastJv->calls.clear();
    Press("SokuhoOddsBtn");
    EXPECT_EQ(RtOpens(), (std::vector<std::vector<std::string>>{{"0B30", key}}));
    // A failed results fetch: the error log keeps the line.
    Press("KekkaGetBtn");
    EXPECT_EQ(RtOpens().back(), (std::vector<std::string>{"0B12", key.substr(0, 8)}));
    ASSERT_FALSE(Main().ErrorLog.empty());
    std::string log = Slurp(dir / "ErrorLog.txt");
    EXPECT_NE(log.find(keiba::Utf8ToCp932(Main().ErrorLog.back()) + "\r\n"), std::string::npos);

    // The date combo keeps the loaded day while a fetch runs.
    const std::size_t calls = lastJv->calls.size();
    {
        const auto fetch = Main().Operations().Take(keiba::Operation::Fetch);
        Press("SokuhoOddsBtn");
        ChooseDay(QStringLiteral("2026年11月29日"));
    }
    EXPECT_EQ(lastJv->calls.size(), calls);
    EXPECT_EQ(Find<QComboBox>("DateCombo")->currentText(), QStringLiteral("2026年11月28日"));
}

// A load pumps events while it fills the day: commands that read the day wait for it.
TEST_F(WiringTest, CommandsThatReadTheDayDoNothingWhileItIsBusy) {
    clock.now = keiba::MakeLocalTime(2026, 11, 28, 12, 0);
    app::TMainForm& main = Start();
    ShowRace(0);
    int modals = 0;
    main.SetModalHookForTest([&](QDialog& d) {
        ++modals;
        d.reject();
    });
    for (keiba::Operation op :
         {keiba::Operation::DayLoad, keiba::Operation::Import, keiba::Operation::Fetch}) {
        const auto hold = Main().Operations().Take(op);
        Press("NextRaceBtn");
        Press("HdInputBtn");
        Find<QAction>("K1")->trigger();
        Find<QAction>("N18")->trigger();
        // Disabled as they are, their handlers still refuse.
        main.K1Click();
        main.N18Click();
    }
    EXPECT_EQ(Day().gCurRace, 0);
    EXPECT_EQ(Find<QListWidget>("DatList")->currentRow(), 0);
    EXPECT_EQ(modals, 0);
    EXPECT_TRUE(notifier.messages.empty());

    Press("NextRaceBtn");
    EXPECT_GT(Day().gCurRace, 0);
    Find<QAction>("K1")->trigger();
    EXPECT_EQ(modals, 1);
}

// The batch load selects each day before it loads it, so the checks that follow a load of
// today's day see that day and arm the automatic odds.
TEST_F(SampleTest, TheBatchLoadThroughTodayArmsTheAutomaticOdds) {
    clock.now = keiba::MakeLocalTime(2026, 11, 28, 9, 0);
    app::TMainForm& main = Start();
    main.DirectReadBtnClick();
    EXPECT_TRUE(notifier.messages.empty()) << notifier.messages.front();
    EXPECT_TRUE(Find<QCheckBox>("AutoOzCheck")->isChecked());
    EXPECT_TRUE(main.FetchTimers()->Timer1->isActive());
    EXPECT_EQ(Find<QComboBox>("DateCombo")->currentText().toStdString(), Day().dayStem);
}

TEST_F(WiringTest, TimersFollowTheBoxAndTheClock) {
    clock.now = keiba::MakeLocalTime(2026, 11, 28, 9, 0);
    app::TMainForm& main = Start();
    ChooseDay(QStringLiteral("2026年11月28日"));
    fetch::FetchTimers* timers = main.FetchTimers();
    auto* autoOz = Find<QCheckBox>("AutoOzCheck");
    // The day load ticked the box; its checks passed once, silently.
    EXPECT_TRUE(autoOz->isChecked());
    EXPECT_TRUE(timers->Timer1->isActive());
    EXPECT_EQ(timers->Timer4->interval(), 600000);
    autoOz->click();
    EXPECT_FALSE(timers->Timer1->isActive());

    // Tomorrow's day before 18:00: the box refuses.
    ChooseDay(QStringLiteral("2026年11月29日"));
    EXPECT_FALSE(timers->Timer4->isActive());
    autoOz->click();
    EXPECT_FALSE(autoOz->isChecked());
    EXPECT_EQ(notifier.messages,
              std::vector<std::string>{"翌日のﾃﾞｰﾀは１８時過ぎに読み込んでください。"});
}

} // namespace
