#pragma once
// The bounds a window keeps in the settings file from one run to the next: restored inside the
// screen it opens on, whatever screen they were saved on, and saved in one replacement of the
// file.

#include "keiba/fileio.h"

#include <QRect>

#include <string_view>

class QWidget;

namespace keiba {
class TIniGT;
}

namespace controls {

// `frame` (a window's outer bounds) brought inside `available`: moved in first, and shrunk only
// where it is still larger than the room there is.
QRect FitInside(const QRect& frame, const QRect& available);

// Where a window's saved top-left lies: at its client area, or (the main window) at its frame.
// The size is the client area's either way.
enum class SavedOrigin { Client, Frame };

// Gives `window` its saved bounds, brought inside the available area of the screen they lie on
// (the screen the window opens on when they lie on none), frame included.
void RestoreBounds(QWidget& window, const QRect& saved, SavedOrigin origin = SavedOrigin::Client);

// The keys top, left, width and height of `section`, each with its default from `defaults`.
QRect ReadBounds(const keiba::TIniGT& ini, std::string_view section, const QRect& defaults);
// Writes the four keys in one replacement of the file, or top and left alone for a window that
// keeps only its place.
keiba::IoResult SaveBounds(keiba::TIniGT& ini, std::string_view section, const QRect& bounds);
keiba::IoResult SavePosition(keiba::TIniGT& ini, std::string_view section, const QPoint& at);

} // namespace controls
