#pragma once
// System colours the forms were laid out in, fixed here: a desktop theme's own (a dark tooltip,
// say) would make their texts unreadable.

#include <QColor>

namespace controls {

// The tooltip background: pale yellow.
inline QColor InfoBackground() {
    return QColor(0xFF, 0xFF, 0xE1);
}

} // namespace controls
