#pragma once
// The bounds a window keeps in the settings file from one run to the next: restored inside the
// screen it opens on, whatever screen they were saved on, and saved in one replacement of the
// file.

#include "keiba/fileio.h"

#include <QMargins>
#include <QRect>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace keiba {
class Notifier;
class TIniGT;
} // namespace keiba

namespace controls {

// `frame` (a window's outer bounds) brought inside `available`: moved in first, and shrunk only
// where it is still larger than the room there is.
QRect FitInside(const QRect& frame, const QRect& available);

// Where a window's saved top-left lies: at its client area, or (the main window) at its frame.
// The size is the client area's either way.
enum class SavedOrigin { Client, Frame };

// Gives `window` its saved bounds, brought inside the available area of the screen they lie on
// (the screen the window opens on when they lie on none), frame included: with the frame of a
// window already shown now, and with its own once the window system has framed it
// (`FitWhenFramed`).
void RestoreBounds(QWidget& window, const QRect& saved, SavedOrigin origin = SavedOrigin::Client);

// The frame the window system has put around `window`; none before it has framed it, which on
// X11 is some time after the window is shown.
QMargins WindowFrame(const QWidget& window);
using FrameOf = std::function<QMargins(const QWidget&)>;

// Fits `window`, frame included, inside its screen when it is first shown, and again once its
// own frame is known: at its showing when the window system has framed it by then, else at the
// first move, resize or paint that finds it framed, among the first few after the showing. Until
// then the frame of another shown window stands in for its own. Later showings are left alone:
// where the user put the window is the user's.
void FitWhenFramed(QWidget& window, FrameOf frameOf = WindowFrame);

// The keys top, left, width and height of `section`, each with its default from `defaults`.
QRect ReadBounds(const keiba::TIniGT& ini, std::string_view section, const QRect& defaults);
// Writes the four keys in one replacement of the file, or top and left alone for a window that
// keeps only its place.
keiba::IoResult SaveBounds(keiba::TIniGT& ini, std::string_view section, const QRect& bounds);
keiba::IoResult SavePosition(keiba::TIniGT& ini, std::string_view section, const QPoint& at);

// A window whose owner saves its bounds with its own when the program quits, so that one cause
// stopping every save (a read-only disk) is said once (`SayEachFailureOnce`). The window never
// saves them itself: nothing is written, and no box opens, while it is destroyed.
class BoundsSavedAtQuit {
public:
    keiba::IoResult SaveBounds();

protected:
    enum class Keeps { Bounds, Position };
    BoundsSavedAtQuit(const QWidget& window, keiba::TIniGT& ini, std::string section,
                      Keeps keeps = Keeps::Bounds);
    ~BoundsSavedAtQuit() = default;

private:
    const QWidget& window_;
    keiba::TIniGT& ini_;
    const std::string section_;
    const Keeps keeps_;
};

// Tells the failures of saves made together, each message once.
void SayEachFailureOnce(keiba::Notifier& notifier, const std::vector<keiba::IoResult>& saves);

} // namespace controls
