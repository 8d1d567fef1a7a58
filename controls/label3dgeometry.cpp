#include "controls/label3dgeometry.h"

#include <cmath>
#include <numbers>

namespace controls {
namespace {

// The nearest integer; halves go to the even one.
int Nearest(double x) {
    return static_cast<int>(std::nearbyint(x));
}

double Rad(int degrees) {
    return degrees * std::numbers::pi / 180.0;
}

} // namespace

int NormalizeEscapement(int degrees) {
    if (degrees < 0) {
        while (degrees < -360) degrees += 360;
        degrees += 360;
    } else {
        while (degrees > 360) degrees -= 360;
    }
    return degrees;
}

RotatedTextBox RotateTextBox(int degrees, int textWidth, int textHeight) {
    const double a = Rad(degrees);
    const double w = textWidth;
    const double h = textHeight;
    RotatedTextBox box;
    if (degrees <= 90) {
        box.dy = Nearest(std::sin(a) * w);
    } else if (degrees <= 180) {
        box.dx = Nearest(-std::cos(a) * w);
        box.dy = Nearest(std::sin(a) * w + std::cos(Rad(180 - degrees)) * h);
    } else if (degrees <= 270) {
        box.dx = Nearest(-std::cos(a) * w + std::sin(Rad(degrees - 180)) * h);
        box.dy = Nearest(std::sin(Rad(270 - degrees)) * h);
    } else {
        box.dx = Nearest(std::sin(Rad(360 - degrees)) * h);
    }
    box.width = std::abs(Nearest(std::cos(a) * w)) + std::abs(Nearest(std::sin(a) * h));
    box.height = std::abs(Nearest(std::sin(a) * w)) + std::abs(Nearest(std::cos(a) * h));
    return box;
}

} // namespace controls
