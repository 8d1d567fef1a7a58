#include "controls/label3dgeometry.h"

#include <gtest/gtest.h>

using namespace controls;

TEST(Label3DGeometry, EscapementIsKeptWithin0To360) {
    const int cases[][2] = {{-90, 270}, {450, 90},   {-360, 0}, {360, 360},
                            {0, 0},     {-450, 270}, {721, 1},  {-720, 0}};
    for (const auto& c : cases) EXPECT_EQ(NormalizeEscapement(c[0]), c[1]) << c[0];
}

TEST(Label3DGeometry, RotatedBoxAndStartPoint) {
    struct Case {
        int degrees;
        RotatedTextBox expected;
    } cases[] = {
        {45, {0, 71, 85, 85}},     {90, {0, 100, 20, 100}}, // upward from the bottom-left corner
        {180, {100, 20, 100, 20}}, // upside down from the bottom-right corner
        {270, {20, 0, 20, 100}},   // downward from the top-right corner
        {360, {0, 0, 100, 20}},
    };
    for (const Case& c : cases) {
        const RotatedTextBox b = RotateTextBox(c.degrees, 100, 20);
        EXPECT_EQ(b.dx, c.expected.dx) << c.degrees;
        EXPECT_EQ(b.dy, c.expected.dy) << c.degrees;
        EXPECT_EQ(b.width, c.expected.width) << c.degrees;
        EXPECT_EQ(b.height, c.expected.height) << c.degrees;
    }
}

// Both ends and the middle of each quarter of the turn, each quarter with its own corner and
// formula (figures worked out apart from the control, halves to even).
TEST(Label3DGeometry, EveryQuarterOfTheTurnAtItsEndsAndMiddle) {
    struct Case {
        int degrees;
        RotatedTextBox expected;
    } cases[] = {
        {1, {0, 2, 100, 22}},    {89, {0, 100, 22, 100}},   {91, {2, 100, 22, 100}},
        {135, {71, 85, 85, 85}}, {179, {100, 22, 100, 22}}, {181, {100, 20, 100, 22}},
        {225, {85, 14, 85, 85}}, {269, {22, 0, 22, 100}},   {271, {20, 0, 22, 100}},
        {315, {14, 0, 85, 85}},  {359, {0, 0, 100, 22}},
    };
    for (const Case& c : cases) {
        const RotatedTextBox b = RotateTextBox(c.degrees, 100, 20);
        EXPECT_EQ(b.dx, c.expected.dx) << c.degrees;
        EXPECT_EQ(b.dy, c.expected.dy) << c.degrees;
        EXPECT_EQ(b.width, c.expected.width) << c.degrees;
        EXPECT_EQ(b.height, c.expected.height) << c.degrees;
    }
}
