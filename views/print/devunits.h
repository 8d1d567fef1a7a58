#pragma once
// Conversions of the print preview between the sheets' units and printer pixels. Products are
// formed in 64 bits, so no coordinate or resolution overflows them; quotients round to the
// nearest integer, halves to even.

#include <cstdint>

namespace views::print {

// Unit of every coordinate a sheet gives: tenths of a millimetre or millimetres.
enum class TPrevMapModes { pmmHi = 0, pmmLo = 1 };

// num / den rounded to the nearest integer, halves to even; den must be above 0.
std::int64_t RoundHalfEven(std::int64_t num, std::int64_t den);

// (v + margin) in printer pixels at `dpi`.
int ToDevice(int v, int margin, int dpi, TPrevMapModes mode);

// A width in tenths of a screen pixel (at `screenPpi`) in printer pixels at `printerDpi`; at
// least 1.
int FontSizeToHeight(int n, int printerDpi, int screenPpi);

// A font size in points as the em height in pixels at `dpi`, rounded half away from zero.
int PointsToPixels(int points, int dpi);

} // namespace views::print
