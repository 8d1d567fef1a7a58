#pragma once
// Geometry of the 3-D label's rotated text, free of widgets.

namespace controls {

// Brings an angle into 0..360: -90 -> 270, 450 -> 90, -360 -> 0, 360 stays 360.
int NormalizeEscapement(int degrees);

// Where rotated text starts and how much room it takes. A text W wide and H high turned by
// `degrees` (1..360, counter-clockwise) is drawn from (dx, dy) relative to the top-left of its
// box, which is width x height.
struct RotatedTextBox {
    int dx = 0, dy = 0;
    int width = 0, height = 0;
};
RotatedTextBox RotateTextBox(int degrees, int textWidth, int textHeight);

} // namespace controls
