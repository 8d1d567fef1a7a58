#include "keiba/platform.h"

#include <gtest/gtest.h>

using namespace keiba;

TEST(Platform, ScreenlessLayersNeverBlock) {
    SilentNotifier silent;
    NoShell noShell;
    EXPECT_FALSE(silent.YesNo("?"));
    EXPECT_FALSE(noShell.Open("x"));
}
