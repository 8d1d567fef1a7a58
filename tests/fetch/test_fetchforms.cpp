// The acquisition screens on the offscreen platform.

#include "controls/folderviewer.h"
#include "controls/label3d.h"
#include "controls/speedbutton.h"
#include "fetch/forms/fetchtimers.h"
#include "fetch/forms/getdataform.h"
#include "fetch/forms/ozgettimeform.h"
#include "fetch/forms/timeseriesfolder.h"
#include "tests/fetch/fetchfixture.h"
#include "tests/support/widgets.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

using namespace testsupport;

namespace {

class JvFormsTest : public FetchFixture {};

} // namespace

TEST_F(JvFormsTest, TheImportFormOnFirstUseAndWhileDownloading) {
    int closedCalls = 0;
    fetch::TGetDataForm form(&link, Day(), Flags(), [&] { ++closedCalls; });
    EXPECT_TRUE(Find<QRadioButton>(form, "rbtSetup")->isChecked());
    EXPECT_EQ(Find<QLabel>(form, "Label5")->text(), QStringLiteral("2017/01/01 00:00:00"));

    link.readCount = 2;
    link.downloadCount = 2;
    form.show();
    Find<controls::TLbSpeedButton>(form, "ButtonStart")->Click();
    EXPECT_EQ(notifier.messages.size(), 1u);
    EXPECT_TRUE(Find<QTimer>(form, "TimerJVStatus")->isActive());
    for (const char* name : {"ButtonStart", "SpeedButton1", "GroupBox1", "DateTimePicker1"})
        EXPECT_FALSE(Find<QWidget>(form, name)->isEnabled()) << name;
    EXPECT_TRUE(Find<QWidget>(form, "ButtonCancel")->isEnabled());

    // Closing during the download cancels it first; the close still happens.
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(closedCalls, 1);
    auto names = link.CallNames();
    EXPECT_EQ(std::vector<std::string>(names.end() - 2, names.end()),
              (std::vector<std::string>{"JVCancel", "JVClose"}));
    EXPECT_FALSE(Find<QTimer>(form, "TimerJVStatus")->isActive());
    EXPECT_TRUE(Find<QWidget>(form, "ButtonStart")->isEnabled());
}

TEST_F(JvFormsTest, TheFetchTimeFormSavesOnlyOnOk) {
    keiba::TIniGT ini = Ini();
    ini.WriteInteger("Time", "AutoOzGet", 99);
    {
        fetch::TOzGetTimeForm form;
        EXPECT_EQ(form.SpinEdit3->value(), 59); // held to its range
        form.SpinEdit1->setValue(3);
        EXPECT_EQ(form.SpinEdit1->value(), 5);
        form.SpinEdit3->setValue(12);
        form.reject();
    }
    EXPECT_EQ(ini.ReadInteger("Time", "AutoOzGet", 0), 99);
    fetch::TOzGetTimeForm form;
    form.SpinEdit3->setValue(12);
    form.BitBtn1->click();
    EXPECT_EQ(ini.ReadInteger("Time", "AutoOzGet", 0), 12);
    EXPECT_EQ(ini.ReadInteger("Time", "AutoRdataGet", 0), 10);
}

TEST_F(JvFormsTest, TheTimeSeriesFolderChoice) {
    std::filesystem::create_directories(dir / "series");
    controls::TFolderViewerEx viewer;
    QString preselected;
    viewer.SetExecHook([&](QFileDialog& d) {
        preselected = viewer.SelectedFolder();
        d.setDirectory(QString::fromStdString((dir / "series").string()));
        return int(QDialog::Accepted);
    });
    ASSERT_TRUE(fetch::N12Click(viewer));
    EXPECT_EQ(preselected, QString::fromStdString(dir.path().string()));
    EXPECT_EQ(Ini().ReadString("Dir", "jikeiretu", ""), (dir / "series").string());

    viewer.SetExecHook([&](QFileDialog&) { return int(QDialog::Rejected); });
    EXPECT_FALSE(fetch::N12Click(viewer));
    EXPECT_EQ(Ini().ReadString("Dir", "jikeiretu", ""), (dir / "series").string());
}

TEST_F(JvFormsTest, TheTimersCallTheOperations) {
    LoadRaces(1, "1300");
    fetch::TFetchTimers timers(fetchHost);
    EXPECT_TRUE(timers.Timer2->isActive());
    EXPECT_TRUE(timers.Timer3->isActive());
    EXPECT_FALSE(timers.Timer1->isActive());
    EXPECT_EQ(timers.Timer1->interval(), 40000);
    clock.now = keiba::MakeLocalTime(2026, 12, 6, 12, 59, 0);
    timers.Timer3->setInterval(1);
    QTest::qWait(30);
    EXPECT_EQ(fetchHost.restTime, "発走までの残り時間：00:01:00");
}
