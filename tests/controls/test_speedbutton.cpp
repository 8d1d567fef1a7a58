#include "controls/speedbutton.h"

#include <QEnterEvent>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace controls;

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
    EXPECT_TRUE(QTest::qWaitFor([&] { return !button_->Fading(); }, 2000));
    EXPECT_EQ(levels, (std::vector<int>{7, 6, 5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(button_->FaceColor(), QColor(219, 216, 209));
}

// The fade's timer belongs to the button, so no step can run after the button is gone (and a
// step that did would touch freed memory, which the sanitizer build reports).
TEST_F(SpeedButtonTest, DestroyingMidFadeEndsTheFade) {
    button_->SetSlowDecease(true);
    Enter(button_);
    Leave(button_);
    QPointer<QTimer> timer = button_->findChild<QTimer*>();
    ASSERT_FALSE(timer.isNull());
    EXPECT_TRUE(QTest::qWaitFor([&] { return button_->FadeLevel() < 8; }, 1000));
    ASSERT_TRUE(timer->isActive()); // mid-fade
    delete button_;
    button_ = nullptr;
    EXPECT_TRUE(timer.isNull());
    QTest::qWait(100);
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
