#pragma once
// The plain routines behind the speed button's face: colour presets, the hover mix and the
// gradient bands. No widgets here.

#include <array>

namespace controls {

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class TLbSpeedButtonStyle { bsNormal, bsEncarta, bsModern, bsOld, bsShape, bsQuicken };

enum class TLbColorStyle {
    lcsCustom,
    lcsGold,
    lcsChrome,
    lcsBlue,
    lcsRed,
    lcsUltraFlat1,
    lcsUltraFlat2,
    lcsUltraFlatXP,
    lcsAqua,
    lcsDefault,
    lcsQuicken,
};

// A preset colour: a fixed value, the system's button face, or none.
struct PresetColor {
    enum class Kind { Fixed, ButtonFace, None };
    Kind kind = Kind::None;
    Rgb rgb;
};

struct ColorPreset {
    PresetColor color, lightColor, shadowColor, hotTrackColor, colorWhenDown;
    bool flat = false;
    TLbSpeedButtonStyle style = TLbSpeedButtonStyle::bsNormal;
    Rgb fontColor;
};

// The colours a preset assigns; lcsCustom assigns nothing (nullptr).
const ColorPreset* FindColorPreset(TLbColorStyle style);

// The fade level runs from 8 (full hot-track colour) down to 0 (normal colour).
inline constexpr int kFadeLevels = 8;

// normal x (1 - level/8) + hot x level/8 per channel, to the nearest integer, halves to even.
Rgb MixColor(Rgb normal, Rgb hot, int level);

// The 32 bands of a vertical gradient from `from` to `to`: band i has from + i x (to - from)/31
// per channel, to the nearest integer with halves to even.
inline constexpr int kGradientBands = 32;
std::array<Rgb, kGradientBands> GradientBands(Rgb from, Rgb to);

// num / den to the nearest integer, halves to the even one (den > 0).
int RoundHalfEvenDiv(long num, long den);

} // namespace controls
