#pragma once
// Colours the forms take from the system of the platform they were drawn on, fixed here: a
// desktop theme's own (a dark tooltip, say) would make their texts unreadable.

#include <QColor>

namespace controls {

// The tooltip background (clInfoBk): pale yellow.
inline QColor InfoBackground() {
    return QColor(0xFF, 0xFF, 0xE1);
}

} // namespace controls
