#include "controls/lbbuttons.h"

namespace controls {
namespace {

using K = PresetColor::Kind;

constexpr PresetColor Fixed(int r, int g, int b) {
    return {K::Fixed, {r, g, b}};
}
constexpr PresetColor kFace{K::ButtonFace, {}};
constexpr PresetColor kNone{K::None, {}};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

using S = TLbSpeedButtonStyle;

const ColorPreset kGold{Fixed(192, 192, 0),
                        Fixed(255, 255, 0),
                        Fixed(128, 128, 0),
                        Fixed(223, 223, 0),
                        kNone,
                        false,
                        S::bsModern,
                        kBlack};
const ColorPreset kChrome{Fixed(192, 192, 192),
                          Fixed(255, 255, 255),
                          Fixed(128, 128, 128),
                          kNone,
                          kNone,
                          false,
                          S::bsModern,
                          kBlack};
const ColorPreset kBlue{Fixed(0, 128, 255),
                        Fixed(0, 255, 255),
                        Fixed(0, 0, 255),
                        kNone,
                        kNone,
                        false,
                        S::bsModern,
                        kBlack};
const ColorPreset kRed{Fixed(255, 0, 0),
                       Fixed(255, 192, 192),
                       Fixed(192, 0, 0),
                       kNone,
                       kNone,
                       false,
                       S::bsModern,
                       kBlack};
const ColorPreset kUltraFlat1{kFace,
                              Fixed(132, 146, 181),
                              Fixed(132, 146, 181),
                              Fixed(214, 211, 222),
                              Fixed(132, 146, 181),
                              true,
                              S::bsNormal,
                              kBlack};
const ColorPreset kUltraFlat2{
    kFace, Fixed(0, 0, 0), Fixed(0, 0, 0), Fixed(228, 246, 140), Fixed(188, 218, 36),
    true,  S::bsNormal,    kBlack};
const ColorPreset kUltraFlatXP{Fixed(219, 216, 209), Fixed(132, 146, 181),
                               Fixed(133, 146, 181), Fixed(182, 189, 210),
                               Fixed(133, 146, 181), true,
                               S::bsNormal,          kBlack};
const ColorPreset kAqua{Fixed(148, 206, 236),
                        Fixed(212, 230, 252),
                        Fixed(0, 0, 0),
                        kNone,
                        kNone,
                        false,
                        S::bsModern,
                        kBlack};
const ColorPreset kDefault{
    kFace, Fixed(255, 255, 255), Fixed(128, 128, 128), kNone, kNone, false, S::bsNormal, kBlack};
const ColorPreset kQuicken{Fixed(0, 48, 96),     Fixed(192, 192, 192),
                           Fixed(192, 192, 192), Fixed(156, 174, 206),
                           Fixed(41, 101, 173),  false,
                           S::bsQuicken,         kWhite};

} // namespace

const ColorPreset* FindColorPreset(TLbColorStyle style) {
    switch (style) {
    case TLbColorStyle::lcsGold: return &kGold;
    case TLbColorStyle::lcsChrome: return &kChrome;
    case TLbColorStyle::lcsBlue: return &kBlue;
    case TLbColorStyle::lcsRed: return &kRed;
    case TLbColorStyle::lcsUltraFlat1: return &kUltraFlat1;
    case TLbColorStyle::lcsUltraFlat2: return &kUltraFlat2;
    case TLbColorStyle::lcsUltraFlatXP: return &kUltraFlatXP;
    case TLbColorStyle::lcsAqua: return &kAqua;
    case TLbColorStyle::lcsDefault: return &kDefault;
    case TLbColorStyle::lcsQuicken: return &kQuicken;
    case TLbColorStyle::lcsCustom: break;
    }
    return nullptr;
}

int RoundHalfEvenDiv(long num, long den) {
    const bool negative = num < 0;
    const long a = negative ? -num : num;
    long q = a / den;
    const long twiceRest = 2 * (a % den);
    if (twiceRest > den || (twiceRest == den && (q % 2) == 1)) ++q;
    return static_cast<int>(negative ? -q : q);
}

Rgb MixColor(Rgb normal, Rgb hot, int level) {
    if (level < 0) level = 0;
    if (level > kFadeLevels) level = kFadeLevels;
    auto mix = [level](int n, int h) {
        return RoundHalfEvenDiv(long{n} * (kFadeLevels - level) + long{h} * level, kFadeLevels);
    };
    return {mix(normal.r, hot.r), mix(normal.g, hot.g), mix(normal.b, hot.b)};
}

std::array<Rgb, kGradientBands> GradientBands(Rgb from, Rgb to) {
    std::array<Rgb, kGradientBands> bands{};
    constexpr long steps = kGradientBands - 1;
    for (int i = 0; i < kGradientBands; ++i) {
        auto channel = [i](int a, int b) { return a + RoundHalfEvenDiv(long{i} * (b - a), steps); };
        bands[static_cast<std::size_t>(i)] = {channel(from.r, to.r), channel(from.g, to.g),
                                              channel(from.b, to.b)};
    }
    return bands;
}

} // namespace controls
