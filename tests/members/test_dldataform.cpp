// The past-data dialog: its lists on a given date, the download with its gauge, and the stop.

#include "controls/speedbutton.h"
#include "members/forms/dldataform.h"
#include "tests/members/downloadfixture.h"
#include "tests/support/waits.h"
#include "tests/support/widgets.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class DLDataForm : public DownloadFixture {
protected:
    DLDataForm() {
        clock.now = keiba::MakeLocalTime(2026, 5, 15, 10, 0, 0);
        StoreCredentials("abcd", "pass1");
        form = std::make_unique<members::TDLDataForm>(context, operations);
        form->Downloads().Site().baseUrl = server.BaseUrl();
        combo = Find<QComboBox>(*form, "DLCombo");
        gauge = Find<QProgressBar>(*form, "Gauge1");
    }
    QStringList Items() const {
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
        return items;
    }
    void Choose(int kind, int item) {
        Find<QRadioButton>(*form, ("RadioGroup1Item" + std::to_string(kind)).c_str())->click();
        combo->setCurrentIndex(item);
    }
    // Runs `during` once the body has begun to come (the gauge has moved), while it still comes:
    // on the download's progress rather than after a time, which a busy machine stretches.
    void DownloadWith(const std::function<void()>& during) {
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, form.get(), [&] {
            if (gauge->maximum() != 0 && gauge->value() == 0) return;
            poll.stop();
            during();
        });
        poll.start();
        Find<QPushButton>(*form, "DLBtn")->click();
    }

    std::unique_ptr<members::TDLDataForm> form;
    QComboBox* combo = nullptr;
    QProgressBar* gauge = nullptr;
};

HttpReply Slow(std::string body, bool announceLength = true) {
    HttpReply r = HttpReply::Text(std::move(body));
    r.chunk = 1000;
    r.pause = std::chrono::milliseconds(200);
    r.sendLength = announceLength;
    return r;
}

} // namespace

TEST_F(DLDataForm, ListsFollowTheKindAndNothingIsChosen) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("ケストレーン過去データ取得"));
    EXPECT_TRUE(Find<QRadioButton>(*form, "RadioGroup1Item0")->isChecked());
    EXPECT_EQ(Items().size(), 18);
    EXPECT_EQ(Items().front(), QStringLiteral("2008年"));
    EXPECT_EQ(Items().back(), QStringLiteral("2025年"));
    EXPECT_EQ(combo->currentIndex(), -1);
    Choose(1, -1);
    EXPECT_EQ(Items(), (QStringList{QStringLiteral("2026年01月"), QStringLiteral("2026年02月"),
                                    QStringLiteral("2026年03月"), QStringLiteral("2026年04月")}));
    Choose(2, -1);
    EXPECT_EQ(Items(), QStringList{QStringLiteral("2026年01～03月")});
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(combo->maxVisibleItems(), 36);

    bool noted = false;
    for (QLabel* l : form->findChildren<QLabel*>())
        noted = noted ||
                l->text() == QStringLiteral(
                                 "※年単位は前年以前、月単位と３ヶ月単位は本年分のみ取得可能です。");
    EXPECT_TRUE(noted);
    for (const char* hidden : {"BuyPastDataBtn", "BuyYosoDataBtn"})
        EXPECT_TRUE(Find<QWidget>(*form, hidden)->isHidden()) << hidden;

    // In January there is no month yet: a download asks for a period.
    clock.now = keiba::MakeLocalTime(2026, 1, 20);
    Choose(1, -1);
    EXPECT_TRUE(Items().isEmpty());
    Find<QPushButton>(*form, "DLBtn")->click();
    EXPECT_EQ(
        notifier.messages,
        std::vector<std::string>{"[データ選択]メニューより目的のデータ期間を選択してください。。"});
    EXPECT_EQ(notifier.beeps, 1);
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(DLDataForm, DownloadOfAChosenMonth) {
    Reply(Slow(ForecastZip(20, 0)));
    Choose(1, 3);
    bool buttonOffDuring = false;
    int gaugeDuring = -1;
    DownloadWith([&] {
        buttonOffDuring = !Find<QPushButton>(*form, "DLBtn")->isEnabled();
        gaugeDuring = gauge->value();
    });
    EXPECT_EQ(Targets(), std::vector<std::string>{"/members/veltro/past_data/download.cgi?"
                                                  "I=abcd&p=pass1&tp=month&t=202604"});
    EXPECT_TRUE(buttonOffDuring);
    EXPECT_GT(gaugeDuring, 0);
    EXPECT_LT(gaugeDuring, 100);
    EXPECT_EQ(gauge->value(), 100);
    EXPECT_TRUE(Find<QPushButton>(*form, "DLBtn")->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(notifier.messages.size(), 1u);
    EXPECT_TRUE(notifier.messages[0].ends_with("[2files are existed inside yosou.zip.]"));
    EXPECT_TRUE(fs::exists(dir / "VZK/XQ20240105.vzkd"));
    EXPECT_FALSE(fs::exists(dir / "VZK/past.zip"));
}

TEST_F(DLDataForm, StopEndsTheTransfer) {
    // longer in all than the hang guard: a stop honoured only at the end, or by a limit, fails
    // the bound below
    Reply(Slow(ForecastZip() + std::string(800000, 'x'), false));
    Choose(0, 17);
    bool busyGauge = false;
    QElapsedTimer sinceStop;
    DownloadWith([&] {
        busyGauge = gauge->maximum() == 0;
        sinceStop.start();
        Find<controls::TLbSpeedButton>(*form, "SpeedButton1")->Click();
    });
    EXPECT_LT(sinceStop.elapsed(), kHangGuardMs);
    EXPECT_TRUE(busyGauge); // no total was announced
    EXPECT_EQ(gauge->maximum(), 100);
    EXPECT_TRUE(notifier.messages.empty());
    EXPECT_TRUE(VzkFiles().empty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(server.Requests().back().Query("t"), "2025");

    // Closing the dialog stops a download too.
    DownloadWith([&] {
        sinceStop.start();
        form->reject();
    });
    EXPECT_LT(sinceStop.elapsed(), kHangGuardMs);
    EXPECT_TRUE(VzkFiles().empty());
    EXPECT_FALSE(form->Downloads().Running());
}

TEST_F(DLDataForm, PurchasePagesOpenInTheBrowser) {
    // Both are speed buttons like the main window's, though nothing shows them.
    auto* past = Find<controls::TLbSpeedButton>(*form, "BuyPastDataBtn");
    auto* forecast = Find<controls::TLbSpeedButton>(*form, "BuyYosoDataBtn");
    ASSERT_TRUE(past && forecast);
    past->Click();
    EXPECT_EQ(notifier.beeps, 1);
    EXPECT_TRUE(shell.opened.empty());
    Choose(2, 0);
    past->Click();
    forecast->Click();
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{
                  server.BaseUrl() + "/authz_gw/kestrane_past_data.cgi?&tp=three_month&t=20260103",
                  server.BaseUrl() + "/authz_gw/kestrane_data_agree.cgi"}));
    shell.succeed = false;
    forecast->Click();
    EXPECT_EQ(notifier.messages.back(), "ホームページの表示に失敗しました。");
}
