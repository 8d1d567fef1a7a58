// The import dialog on the offscreen platform, against the scripted JV-Link.

#include "controls/label3d.h"
#include "controls/speedbutton.h"
#include "fetch/forms/getdataform.h"
#include "tests/fetch/fetchfixture.h"
#include "tests/support/waits.h"
#include "tests/support/widgets.h"

#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QTimer>

#include <chrono>
#include <set>

using namespace testsupport;

using GetDataForm = FetchFixture;

TEST_F(GetDataForm, FirstUseAndAClosingWhileDownloading) {
    int closedCalls = 0;
    fetch::TGetDataForm form(context, &link, Flags(), fetchHost.operations, [&] { ++closedCalls; });
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

namespace {

// The label shows a caption that begins with `start` whole: visible, wide and tall enough for
// it, and with its blue text on the screen.
void ExpectShown(controls::TLabel3Dj* label, const QString& start) {
    ASSERT_NE(label, nullptr);
    const QString caption = label->Caption().trimmed();
    EXPECT_TRUE(caption.startsWith(start)) << caption.toStdString();
    EXPECT_TRUE(label->isVisible());
    const QFontMetrics fm(label->font());
    EXPECT_GE(label->width(), fm.horizontalAdvance(caption)) << caption.toStdString();
    EXPECT_GE(label->height(), fm.height()) << caption.toStdString();
    const QImage shot = label->grab().toImage();
    int blue = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            blue += c.blue() > 160 && c.red() < 90 && c.green() < 90;
        }
    EXPECT_GT(blue, 20) << caption.toStdString();
}

} // namespace

// What the user reads during and after an import: the status line and the record label show
// every text the import gives them, and the record label is the recessed box on the tooltip
// yellow.
TEST_F(GetDataForm, TheStatusLineAndTheRecordLabelShowTheImport) {
    fetch::TGetDataForm form(context, &link, Flags(), fetchHost.operations, [] {});
    auto* status = Find<controls::TLabel3Dj>(form, "ProgressLabel");
    auto* record = Find<controls::TLabel3Dj>(form, "MkDataLabel");
    link.readCount = 1;
    link.downloadCount = 0;
    link.lastFileTimestamp = "20261206120000";
    link.AddFile("RAVM2026120620261206120000.jvd", {Ra("20261206", "05", 1, 8)});
    QString duringRead;
    link.onCall = [&](const FakeJvLink::Call& c) {
        if (c.method == "JVRead" && duringRead.isEmpty()) duringRead = status->Caption();
    };
    form.show();
    Find<controls::TLbSpeedButton>(form, "ButtonStart")->Click();
    EXPECT_EQ(duringRead, QStringLiteral("データ読込み中．．．(0/1)"));
    ExpectShown(status, QStringLiteral("データ作成が完了しました。"));
    ExpectShown(record, QStringLiteral("開催:2026年12月06日東京"));
    EXPECT_TRUE(record->Border());
    EXPECT_EQ(record->BorderType(), controls::TBorderType::btRecessed);
    const QImage box = record->grab().toImage();
    EXPECT_EQ(box.pixelColor(0, 0), QColor(128, 128, 128));
    EXPECT_EQ(box.pixelColor(box.width() - 1, box.height() - 1), QColor(255, 255, 255));
    EXPECT_EQ(box.pixelColor(box.width() - 3, 3), QColor(0xFF, 0xFF, 0xE1));

    // One cancelled while it downloads.
    link.readCount = 2;
    link.downloadCount = 2;
    Find<controls::TLbSpeedButton>(form, "ButtonStart")->Click();
    ExpectShown(status, QStringLiteral("ダウンロード中・・・"));
    notifier.answers = {true};
    Find<controls::TLbSpeedButton>(form, "ButtonCancel")->Click();
    ExpectShown(status, QStringLiteral("JVCancel:キャンセルされました"));
}

// "作成データ" follows the import while it runs, not only once it has ended: a user watching a
// long import sees the records go by. The import reads on until the label has shown two names,
// however fast or slow the machine, and then its last record comes.
TEST_F(GetDataForm, TheRecordLabelFollowsTheImportWhileItRuns) {
    fetch::TGetDataForm form(context, &link, Flags(), fetchHost.operations, [] {});
    auto* record = Find<controls::TLabel3Dj>(form, "MkDataLabel");
    link.readCount = 1;
    link.lastFileTimestamp = "20261206120000";
    const std::string file = "RAVM2026120620261206120000.jvd";
    std::vector<std::string> races;
    for (int day = 1; day <= 5; ++day)
        for (int race = 1; race <= 12; ++race)
            races.push_back(Ra("2026120" + std::to_string(day), "05", race, 8));
    link.AddFile(file, {races[0]});
    std::set<QString> shownWhileReading;
    std::size_t next = 1;
    bool last = false;
    const auto until = std::chrono::steady_clock::now() + kHangGuard;
    link.onCall = [&](const FakeJvLink::Call& c) {
        if (c.method != "JVRead" || last) return;
        if (!record->Caption().isEmpty()) shownWhileReading.insert(record->Caption());
        last = shownWhileReading.size() >= 2 || std::chrono::steady_clock::now() >= until;
        const std::string& r = last ? races.back() : races[next++ % (races.size() - 1)];
        link.reads.push_back({static_cast<int>(r.size()), r, file});
    };
    form.show();
    Find<controls::TLbSpeedButton>(form, "ButtonStart")->Click();
    EXPECT_GE(shownWhileReading.size(), 2u);
    for (const QString& t : shownWhileReading)
        EXPECT_TRUE(t.startsWith(QStringLiteral("開催:2026年12月0"))) << t.toStdString();
    EXPECT_EQ(record->Caption(), QStringLiteral("開催:2026年12月05日東京12R"));
}
