#include "controls/speedbutton.h"

#include "tests/support/waits.h"

#include <QEnterEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace controls;
using testsupport::kHangGuardMs;

namespace {

void Enter(QWidget* w) {
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(w, &e);
}

void Leave(QWidget* w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

class SpeedButtonTest : public ::testing::Test {
protected:
    SpeedButtonTest() {
        button_ = new TLbSpeedButton(&panel_);
        button_->SetColorStyle(TLbColorStyle::lcsUltraFlatXP);
        button_->SetCaption(QStringLiteral("投票"));
        // Away from the pointer's corner, so only the events a test sends reach the button.
        panel_.resize(300, 200);
        button_->move(150, 120);
        panel_.show();
    }
    QWidget panel_;
    TLbSpeedButton* button_;
};

} // namespace

TEST_F(SpeedButtonTest, LeavingFadesInEightStepsBackToTheFace) {
    button_->SetSlowDecease(true);
    std::vector<int> levels;
    auto* timer = button_->findChild<QTimer*>();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 30);
    QObject::connect(timer, &QTimer::timeout, button_,
                     [&] { levels.push_back(button_->FadeLevel()); });

    Enter(button_);
    EXPECT_EQ(button_->FaceColor(), QColor(182, 189, 210));
    Leave(button_);
    EXPECT_FALSE(button_->Hot());
    EXPECT_EQ(button_->FadeLevel(), 8); // the colour stays until the first step
    EXPECT_TRUE(button_->Fading());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !button_->Fading(); }, kHangGuardMs));
    EXPECT_EQ(levels, (std::vector<int>{7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(button_->FaceColor(), QColor(219, 216, 209));
}

// Switching the fade off drops the hot colour at once, under the pointer or mid-fade, and no
// step runs after it.
TEST_F(SpeedButtonTest, EndingTheFadeTakesTheFaceBackToItsColour) {
    for (bool leave : {false, true}) {
        button_->SetSlowDecease(true);
        Enter(button_);
        if (leave) Leave(button_);
        button_->SetSlowDecease(false);
        EXPECT_EQ(button_->FadeLevel(), 0) << leave;
        EXPECT_EQ(button_->FaceColor(), QColor(219, 216, 209)) << leave;
        EXPECT_FALSE(button_->Fading()) << leave;
        Leave(button_);
    }
}

// The fade's timer belongs to the button, so no step can run after the button is gone (and a
// step that did would touch freed memory, which the sanitizer build reports).
TEST_F(SpeedButtonTest, DestroyingMidFadeEndsTheFade) {
    button_->SetSlowDecease(true);
    Enter(button_);
    Leave(button_);
    QPointer<QTimer> timer = button_->findChild<QTimer*>();
    ASSERT_FALSE(timer.isNull());
    EXPECT_TRUE(QTest::qWaitFor([&] { return button_->FadeLevel() < 8; }, kHangGuardMs));
    ASSERT_TRUE(timer->isActive()); // mid-fade
    const int step = timer->interval();
    delete button_;
    button_ = nullptr;
    EXPECT_TRUE(timer.isNull());
    // Past the time the next step was due: Qt fires its timers in the order they fall due, so
    // once this one has fired, a step left to run anywhere would have run.
    bool past = false;
    QTimer::singleShot(2 * step, Qt::PreciseTimer, [&past] { past = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return past; }, kHangGuardMs));
}

TEST_F(SpeedButtonTest, GroupButtonsRaiseEachOther) {
    auto* other = new TLbSpeedButton(&panel_);
    other->move(150, 60);
    other->show();
    button_->SetGroupIndex(1);
    other->SetGroupIndex(1);
    QTest::mouseClick(button_, Qt::LeftButton);
    EXPECT_TRUE(button_->Down());
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_TRUE(other->Down());
    EXPECT_FALSE(button_->Down());
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_TRUE(other->Down());
    other->SetAllowAllUp(true);
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_FALSE(other->Down());
}

namespace {

// Tool-bar buttons as the main window has them: its look, a hint, a status bar to show it in.
class HotButtonTest : public ::testing::Test {
protected:
    HotButtonTest() {
        auto* bar = new QWidget;
        for (int i = 0; i < 2; ++i) {
            buttons_[i] = new TLbSpeedButton(bar);
            UseFormButtonLook(*buttons_[i]);
            buttons_[i]->SetCaption(i == 0 ? QStringLiteral("ヘルプ") : QStringLiteral("終了"));
            buttons_[i]->setStatusTip(i == 0 ? QStringLiteral("使用解説書を開きます")
                                             : QStringLiteral("終了します"));
            buttons_[i]->setGeometry(10 + 110 * i, 10, 100, 26);
        }
        window_.setCentralWidget(bar);
        window_.statusBar();
        window_.resize(400, 300);
        window_.show();
        normalFace_ = buttons_[0]->Color();
    }
    QString Hint() { return window_.statusBar()->currentMessage(); }
    // Hot as the pointer leaves it: red, bold, the face in its hot colour and the hint shown.
    void ExpectHot(TLbSpeedButton* b, const char* hint) {
        EXPECT_TRUE(b->Hot());
        EXPECT_NE(b->FaceColor(), normalFace_);
        EXPECT_EQ(Hint(), QString::fromUtf8(hint));
    }
    void ExpectCold(TLbSpeedButton* b) {
        EXPECT_FALSE(b->Hot());
        EXPECT_EQ(b->FaceColor(), normalFace_);
        EXPECT_EQ(Hint(), QString());
    }
    QMainWindow window_;
    TLbSpeedButton* buttons_[2] = {};
    QColor normalFace_;
};

} // namespace

// A box or menu opened over the button takes the pointer without a leave: the button stayed red
// and bold with its hint in the status bar behind the box.
TEST_F(HotButtonTest, ABoxOrMenuOpenedOverAHotButtonEndsItsLookAndHint) {
    TLbSpeedButton* help = buttons_[0];
    Enter(help);
    ExpectHot(help, "使用解説書を開きます");
    QMessageBox box(QMessageBox::Information, QStringLiteral("ケストレーン"),
                    QStringLiteral("使用解説書が見つかりません。"), QMessageBox::Ok, &window_);
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    ExpectCold(help);
    box.close();

    Enter(help);
    ExpectHot(help, "使用解説書を開きます");
    QMenu menu;
    menu.addAction(QStringLiteral("開催日"));
    menu.popup(help->mapToGlobal(QPoint(0, help->height())));
    ExpectCold(help);
    menu.close();
}

// A leave lost by the window system left one button red while the next one turned red too.
TEST_F(HotButtonTest, OneButtonIsHotAtATimeAndLeavesWhenThePointerIsElsewhere) {
    auto [help, quit] = buttons_;
    Enter(help);
    Enter(quit); // no leave for the first
    EXPECT_FALSE(help->Hot());
    EXPECT_EQ(help->FaceColor(), normalFace_);
    ExpectHot(quit, "終了します");

    QTest::mouseMove(&window_, QPoint(300, 200)); // and none for the second
    EXPECT_FALSE(quit->Hot());
    EXPECT_EQ(Hint(), QString());
    EXPECT_TRUE(QTest::qWaitFor([&] { return quit->FaceColor() == normalFace_; }, kHangGuardMs));
}

TEST_F(HotButtonTest, HidingDisablingOrDeactivatingEndsTheHotLook) {
    TLbSpeedButton* help = buttons_[0];
    Enter(help);
    help->setEnabled(false);
    ExpectCold(help);
    help->setEnabled(true);

    Enter(help);
    help->hide();
    ExpectCold(help);
    help->show();

    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    Enter(help);
    ExpectHot(help, "使用解説書を開きます");
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ExpectCold(help);
}
