// Saved bounds fitted into the room a screen leaves beside its panels, frame included.

#include "controls/formbounds.h"

#include <QCoreApplication>
#include <QMoveEvent>
#include <QPaintEvent>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A 1280x800 screen with a 28-pixel panel at the top and a 64-pixel dock at the left.
const QRect kRoom(64, 28, 1216, 772);

TEST(FitInside, AWindowIsMovedInsideTheRoomFirstAndShrunkOnlyWhereStillTooLarge) {
    const struct {
        QRect saved, fitted;
    } cases[] = {
        {{100, 50, 600, 400}, {100, 50, 600, 400}},     // inside: as saved
        {{1700, 900, 600, 400}, {680, 400, 600, 400}},  // off to the right and below
        {{-300, 0, 600, 400}, {64, 28, 600, 400}},      // under the dock and the panel
        {{1200, 100, 1600, 1000}, {64, 28, 1216, 772}}, // larger than the room
        {{500, 300, 1600, 200}, {64, 300, 1216, 200}},  // too wide only
    };
    for (const auto& c : cases)
        EXPECT_EQ(controls::FitInside(c.saved, kRoom), c.fitted) << c.saved.x();
}

// On X11 the window manager frames a window some events after it is shown, and the program's
// first window has no other's frame to go by: it is fitted again once framed, frame included.
// (The test screen is 1280x800 with nothing beside it.)
TEST(FitWhenFramed, AWindowFramedOnlyAfterItIsShownIsFittedAgainWithItsFrame) {
    QWidget window;
    window.setGeometry(0, 0, 1280, 800); // the whole screen, as long as it has no frame
    QMargins frame;
    controls::FitWhenFramed(window, [&frame](const QWidget&) { return frame; });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    frame = QMargins(1, 20, 1, 5); // a title bar and borders, and the client area moved in them
    QMoveEvent framed(QPoint(1, 20), QPoint(0, 0));
    QCoreApplication::sendEvent(&window, &framed);
    EXPECT_EQ(window.geometry(), QRect(1, 20, 1278, 775));
}

// Where the window system never reports a frame, the refit stops looking: a window is not
// checked at every paint of its life.
TEST(FitWhenFramed, AWindowNeverFramedIsLeftAloneAfterItsFirstEvents) {
    QWidget window;
    window.setGeometry(100, 100, 400, 300);
    int looks = 0;
    controls::FitWhenFramed(window, [&looks](const QWidget&) {
        ++looks;
        return QMargins();
    });
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto paint = [&window](int times) {
        for (int i = 0; i < times; ++i) {
            QPaintEvent e(window.rect());
            QCoreApplication::sendEvent(&window, &e);
        }
    };
    paint(1000);
    const int settled = looks;
    paint(1000);
    EXPECT_EQ(looks, settled);
    EXPECT_LT(settled, 1000);
}

} // namespace
