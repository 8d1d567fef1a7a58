// The members commands of the main window: where they are, what they open, and the forecast
// download with the refresh of the R-horse form's analysis day, which keeps the day chosen.

#include "controls/speedbutton.h"
#include "members/forms/dldataform.h"
#include "members/forms/idpassform.h"
#include "search/forms/shutugenform.h"
#include "tests/app/mainfixture.h"
#include "tests/members/downloadfixture.h"
#include "tests/support/analysismaker.h"

#include <QComboBox>
#include <QLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class MainFormMembers : public MainFormTest {
protected:
    void SetUp() override {
        MainFormTest::SetUp();
        Start();
        Main().MembersDownloads().Site().baseUrl = server.BaseUrl();
        keiba::TIniGT& ini = Ini();
        ASSERT_TRUE(ini.WriteString(members::kLisenceSection, members::kIdKey, "abcd"));
        ASSERT_TRUE(ini.WriteString(members::kLisenceSection, members::kPassKey,
                                    members::UnscramblePassword("pass1")));
    }
    QAction* Action(const char* name) { return Find<QAction>(name); }
    QStringList MenuTexts(const char* menu) {
        QStringList texts;
        for (QAction* a : Find<QMenu>(menu)->actions())
            texts << a->text() + (a->isVisible() ? QString() : QStringLiteral(" (hidden)"));
        return texts;
    }

    std::function<HttpReply(const HttpRequest&)> answer;
    HttpServer server{[this](const HttpRequest& r) { return answer(r); }};
};

} // namespace

TEST_F(MainFormMembers, CommandsSitInTheMenusAndTheToolBar) {
    QStringList bar;
    for (QAction* a : Main().menuBar()->actions()) bar << a->text();
    EXPECT_EQ(bar.mid(0, 3), (QStringList{QStringLiteral("ﾌｧｲﾙ(&F)"),
                                          QStringLiteral("ケストレーンデータダウンロード"),
                                          QStringLiteral("ケストレーンデータ購入")}));
    EXPECT_EQ(MenuTexts("XQDataMenu"),
              (QStringList{QStringLiteral("予想(最新)データ"), QStringLiteral("過去データ"),
                           QStringLiteral("サンプルデータ (hidden)")}));
    EXPECT_EQ(MenuTexts("XQBuyMenu"), (QStringList{QStringLiteral("予想(最新)データ"),
                                                   QStringLiteral("過去データ (hidden)")}));
    EXPECT_EQ(MenuTexts("OptionMenu").back(), QStringLiteral("ｹｽﾄﾚｰﾝﾃﾞｰﾀ取得ID,ﾊﾟｽﾜｰﾄﾞ設定"));

    auto* panel = Find<QWidget>("Panel1");
    auto* row = panel->layout();
    int jv = row->indexOf(Find<QWidget>("JVBtn"));
    EXPECT_EQ(row->itemAt(jv + 1)->widget(), Find<QWidget>("XQDataBtn"));
    EXPECT_EQ(Find<controls::TLbSpeedButton>("XQDataBtn")->Caption(), QStringLiteral("ｹｽﾄﾚｰﾝﾃﾞｰﾀ"));

    std::vector<QString> opened;
    Main().SetModalHookForTest([&](QDialog& d) { opened.push_back(d.objectName()); });
    Action("GetXQdataKako")->trigger();
    Action("N49")->trigger();
    Action("ID1")->trigger();
    EXPECT_EQ(opened,
              (std::vector<QString>{QStringLiteral("DLDataForm"), QStringLiteral("DLDataForm"),
                                    QStringLiteral("IDPASSForm")}));
    EXPECT_EQ(Main().findChildren<members::TDLDataForm*>().size(), 1);

    Action("N48")->trigger();
    EXPECT_EQ(shell.opened,
              std::vector<std::string>{server.BaseUrl() + "/authz_gw/kestrane_data_agree.cgi"});
}

TEST_F(MainFormMembers, ForecastRefreshesTheAnalysisDayOfTheSearchForm) {
    // The R-horse form's data-check day list: VZK holds no day before the download.
    auto* days = forms->ShutugenForm->findChild<QComboBox*>(QStringLiteral("DateCombo"));
    ASSERT_NE(days, nullptr);
    EXPECT_EQ(days->count(), 0);

    answer = [](const HttpRequest&) { return HttpReply::Text(ForecastZip()); };
    Find<controls::TLbSpeedButton>("XQDataBtn")->Click();
    ASSERT_EQ(days->count(), 1); // the downloaded day is listed and shown
    EXPECT_EQ(days->currentIndex(), 0);
    Action("GetXQdata1")->trigger();
    EXPECT_EQ(server.Requests().back().target, "/members/veltro/data/download.cgi?I=abcd&p=pass1");
    // The day is read again on the data-check tab, which tells that the fixture's records are
    // no analysis records.
    ASSERT_GE(notifier.messages.size(), 2u);
    EXPECT_EQ(notifier.messages.end()[-2],
              "最新のデータをダウンロードしました。同開催日の再読込で反映されます。\r\n"
              "[2files are existed inside yosou.zip.]");
    EXPECT_EQ(notifier.messages.back(),
              "分析データ（XQ20240105.vzkd）の一部が壊れているため、3頭分を読み込めませんでした。");
    EXPECT_TRUE(fs::exists(appDir / "VZK/XQ20240105.vzkd"));
    EXPECT_FALSE(fs::exists(appDir / "VZK/yosou.zip"));
    for (const char* name : {"GetXQdata1", "GetXQdataKako"})
        EXPECT_TRUE(Action(name)->isEnabled()) << name;
    EXPECT_TRUE(Find<QWidget>("XQDataBtn")->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The sample tells nobody.
    Action("N47")->trigger();
    EXPECT_EQ(server.Requests().back().target, "/members/veltro/sample_data/yosou.zip");
    EXPECT_EQ(notifier.messages.back(),
              "最新のサンプルデータをダウンロードしました。同開催日の再読込で反映されます。\r\n"
              "サンプルファイル：2024年01月05日");
    EXPECT_EQ(Main().MembersDownloads().gLastUnzippedName, "RCOM20240105.CSV");
}

// A forecast lists its new day on the data-check tab and reads the day the user had chosen
// there again, instead of jumping to the newest.
TEST_F(MainFormMembers, AForecastKeepsTheDayChosenOnTheDataCheckTab) {
    auto* page = forms->ShutugenForm->findChild<QWidget*>(QStringLiteral("DataCheckSheet"));
    ASSERT_NE(page, nullptr);
    auto* days = page->findChild<QComboBox*>(QStringLiteral("DateCombo"));
    auto* races = page->findChild<QListWidget*>(QStringLiteral("DatList"));
    fs::create_directories(appDir / "VZK");
    WriteBytes(appDir / "VZK/XQ20240103.vzkd", AnalysisMaker("20240103", "06", 1, 1).Bytes());
    WriteBytes(appDir / "VZK/XQ20240104.vzkd", AnalysisMaker("20240104", "06", 2, 1).Bytes());
    page->findChild<QPushButton*>(QStringLiteral("MakeDataListBtn"))->click();
    ASSERT_EQ(days->count(), 2);
    days->setCurrentIndex(1);
    Q_EMIT days->activated(1);
    ASSERT_EQ(races->item(0)->text(), QStringLiteral("中山 1R"));
    // The chosen day's file changes meanwhile: read again, it shows its new race.
    WriteBytes(appDir / "VZK/XQ20240103.vzkd", AnalysisMaker("20240103", "06", 5, 1).Bytes());

    answer = [](const HttpRequest&) { return HttpReply::Text(ForecastZip()); };
    Action("GetXQdata1")->trigger();
    ASSERT_EQ(days->count(), 3);
    EXPECT_EQ(days->itemText(0), QStringLiteral("2024年01月05日"));
    EXPECT_EQ(days->currentText(), QStringLiteral("2024年01月03日"));
    ASSERT_EQ(races->count(), 1);
    EXPECT_EQ(races->item(0)->text(), QStringLiteral("中山 5R"));
}

// The forecast and the sample have no gauge, but the window stays painted while they run; closed
// meanwhile, the window ends the download, keeps what VZK held, says nothing and then closes.
TEST_F(MainFormMembers, TheWindowStaysLiveDuringADownloadAndItsCloseEndsIt) {
    app::TMainForm& main = Main();
    HttpReply slow = HttpReply::Text(ForecastZip() + std::string(60000, 'x'));
    slow.chunk = 1000;
    slow.pause = std::chrono::milliseconds(200); // twelve seconds in all
    answer = [&](const HttpRequest&) { return slow; };
    fs::create_directories(appDir / "VZK");
    for (const char* command : {"GetXQdata1", "N47"}) {
        main.show();
        WriteBytes(appDir / "VZK/yosou.zip", "RETURN=1\r\n");
        const std::size_t said = notifier.messages.size();
        bool downloadingAtClose = false;
        QTimer::singleShot(0, &main, [&] {
            downloadingAtClose = main.Operations().Running() == keiba::Operation::Download;
            main.close();
        });
        Action(command)->trigger();
        EXPECT_TRUE(downloadingAtClose) << command;
        EXPECT_EQ(notifier.messages.size(), said) << command;
        EXPECT_EQ(Slurp(appDir / "VZK/yosou.zip"), "RETURN=1\r\n") << command;
        EXPECT_FALSE(fs::exists(appDir / "VZK/XQ20240105.vzkd")) << command;
        QCoreApplication::processEvents();
        EXPECT_FALSE(main.isVisible()) << command;
    }
}
