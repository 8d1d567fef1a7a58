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

TEST(LbButtons, HalfEvenDivisionHandlesBothSigns) {
    const long cases[][3] = {{5, 2, 2},   {7, 2, 4},   {-5, 2, -2},
                             {-7, 2, -4}, {-8, 3, -3}, {8, 3, 3}};
    for (const auto& c : cases)
        EXPECT_EQ(RoundHalfEvenDiv(c[0], c[1]), c[2]) << c[0] << "/" << c[1];
}

TEST(LbButtons, GradientRunsFromStartToEnd) {
    const auto bands = GradientBands({255, 255, 255}, {0, 48, 96});
    EXPECT_EQ(bands.front(), (Rgb{255, 255, 255}));
    EXPECT_EQ(bands.back(), (Rgb{0, 48, 96}));
    // band 1: 255 - 255/31 = 246.77 -> 247
    EXPECT_EQ(bands[1].r, 247);
}

TEST(LbButtons, PresetsCarryTheirColours) {
    EXPECT_EQ(FindColorPreset(TLbColorStyle::lcsCustom), nullptr);
    const ColorPreset* xp = FindColorPreset(TLbColorStyle::lcsUltraFlatXP);
    ASSERT_NE(xp, nullptr);
    EXPECT_EQ(xp->hotTrackColor.rgb, (Rgb{182, 189, 210}));
    EXPECT_EQ(xp->shadowColor.rgb, (Rgb{133, 146, 181}));
    EXPECT_TRUE(xp->flat);
    const ColorPreset* quicken = FindColorPreset(TLbColorStyle::lcsQuicken);
    ASSERT_NE(quicken, nullptr);
    EXPECT_EQ(quicken->style, TLbSpeedButtonStyle::bsQuicken);
    EXPECT_EQ(quicken->fontColor, (Rgb{255, 255, 255}));
    EXPECT_EQ(FindColorPreset(TLbColorStyle::lcsChrome)->hotTrackColor.kind,
              PresetColor::Kind::None);
    EXPECT_EQ(FindColorPreset(TLbColorStyle::lcsDefault)->color.kind,
              PresetColor::Kind::ButtonFace);
}
