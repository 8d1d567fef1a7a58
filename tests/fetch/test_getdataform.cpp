// The import dialog on the offscreen platform, against the scripted JV-Link.

#include "controls/speedbutton.h"
#include "fetch/forms/getdataform.h"
#include "tests/fetch/fetchfixture.h"
#include "tests/support/widgets.h"

#include <QLabel>
#include <QRadioButton>
#include <QTimer>

using namespace testsupport;

using GetDataForm = FetchFixture;

TEST_F(GetDataForm, FirstUseAndAClosingWhileDownloading) {
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
