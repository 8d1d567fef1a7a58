#include "controls/lbbuttons.h"

#include <gtest/gtest.h>

using namespace controls;

TEST(LbButtons, MixIsExactAtTheEndsAndRoundsHalvesToEven) {
    const Rgb normal{219, 216, 209};
    const Rgb hot{182, 189, 210};
    EXPECT_EQ(MixColor(normal, hot, 8), hot);
    EXPECT_EQ(MixColor(normal, hot, 0), normal);
    // 0 -> 4, 12, 20, 28 at level 1 gives 0.5, 1.5, 2.5, 3.5.
    EXPECT_EQ(MixColor({0, 0, 0}, {4, 12, 20}, 1), (Rgb{0, 2, 2}));
    EXPECT_EQ(MixColor({0, 0, 0}, {28, 255, 8}, 1), (Rgb{4, 32, 1}));
    // 219 x 4/8 + 182 x 4/8 = 200.5 -> 200; 216/189 -> 202.5 -> 202; 209/210 -> 209.5 -> 210.
    EXPECT_EQ(MixColor(normal, hot, 4), (Rgb{200, 202, 210}));
}
