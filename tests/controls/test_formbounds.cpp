// Saved bounds fitted into the room a screen leaves beside its panels.

#include "controls/formbounds.h"

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

} // namespace
