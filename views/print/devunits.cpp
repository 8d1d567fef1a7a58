#include "views/print/devunits.h"

#include <algorithm>
#include <limits>

namespace views::print {

std::int64_t RoundHalfEven(std::int64_t num, std::int64_t den) {
    std::int64_t q = num / den;
    std::int64_t r = num % den;
    if (r < 0) {
        r += den;
        --q;
    }
    if (2 * r > den || (2 * r == den && (q & 1) != 0)) ++q;
    return q;
}

namespace {

int ClampToInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(),
                                                     std::numeric_limits<int>::max()));
}

} // namespace

int ToDevice(int v, int margin, int dpi, TPrevMapModes mode) {
    const std::int64_t units = static_cast<std::int64_t>(v) + margin;
    const std::int64_t perTenth = mode == TPrevMapModes::pmmLo ? 10 : 1;
    return ClampToInt(RoundHalfEven(units * dpi * perTenth, 254));
}

int FontSizeToHeight(int n, int printerDpi, int screenPpi) {
    if (screenPpi <= 0) return 1;
    const std::int64_t h =
        RoundHalfEven(static_cast<std::int64_t>(n) * printerDpi, std::int64_t{screenPpi} * 10);
    return ClampToInt(std::max<std::int64_t>(h, 1));
}

int PointsToPixels(int points, int dpi) {
    const std::int64_t p = static_cast<std::int64_t>(points) * dpi;
    return ClampToInt(p >= 0 ? (p + 36) / 72 : -((-p + 36) / 72));
}

} // namespace views::print
