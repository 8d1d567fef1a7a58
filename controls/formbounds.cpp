#include "controls/formbounds.h"

#include "keiba/inigt.h"
#include "keiba/platform.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <string>
#include <utility>

namespace controls {
namespace {

// Moves [start, start + length) inside [low, low + room), then cuts it to the room.
void FitSpan(int& start, int& length, int low, int room) {
    start = std::max(std::min(start, low + room - length), low);
    length = std::min(length, room);
}

// The frame of `window`: its own once the window system has given it one, else that of a shown
// window of the program (the window manager decorates them alike), else none.
QMargins FrameMargins(const QWidget& window, const FrameOf& frameOf) {
    if (const QMargins own = frameOf(window); !own.isNull()) return own;
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w != &window && w->isVisible())
            if (const QMargins shown = frameOf(*w); !shown.isNull()) return shown;
    return {};
}

QRect AvailableFor(const QWidget& window, const QRect& frame) {
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen) screen = window.parentWidget() ? window.parentWidget()->screen() : window.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : frame;
}

// Fits the client area of `window` so that, with `frame` around it, it lies inside its screen.
void FitWithFrame(QWidget& window, const QMargins& frame) {
    const QRect outer = window.geometry().marginsAdded(frame);
    if (const QRect fitted = FitInside(outer, AvailableFor(window, outer)); fitted != outer)
        window.setGeometry(fitted.marginsRemoved(frame));
}

// A window gets its frame from the window system only after it is first shown (on X11 once the
// window manager has reparented it, some events later), and a window fitted without it hangs
// over the screen's edge by the frame: the first window of the program has no other's frame to
// go by.
class FitWhenFramedFilter final : public QObject {
public:
    FitWhenFramedFilter(QWidget& window, FrameOf frameOf)
        : QObject(&window)
        , window_(window)
        , frameOf_(std::move(frameOf)) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &window_) return false;
        switch (event->type()) {
        case QEvent::Show:
            shown_ = true;
            if (!FitIfFramed()) FitWithFrame(window_, FrameMargins(window_, frameOf_));
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Paint:
            if (shown_ && !FitIfFramed() && ++unframed_ >= kMostUnframedChecks) Done();
            break;
        case QEvent::Hide:
            if (shown_) Done();
            break;
        default: break;
        }
        return false;
    }

private:
    bool FitIfFramed() {
        const QMargins own = frameOf_(window_);
        if (own.isNull()) return false;
        Done();
        FitWithFrame(window_, own);
        return true;
    }
    void Done() {
        window_.removeEventFilter(this);
        deleteLater();
    }

    // The window manager frames a window within its first few events after the showing. One
    // that never reports a frame (no decorations, or a platform that keeps frames to itself)
    // is left as fitted at its showing rather than checked at every paint of its life.
    static constexpr int kMostUnframedChecks = 64;

    QWidget& window_;
    const FrameOf frameOf_;
    bool shown_ = false;
    int unframed_ = 0;
};

} // namespace

QRect FitInside(const QRect& frame, const QRect& available) {
    int x = frame.x(), y = frame.y(), w = frame.width(), h = frame.height();
    FitSpan(x, w, available.x(), available.width());
    FitSpan(y, h, available.y(), available.height());
    return {x, y, w, h};
}

void RestoreBounds(QWidget& window, const QRect& saved, SavedOrigin origin) {
    const QMargins m = FrameMargins(window, WindowFrame);
    const QSize size = saved.size().expandedTo(window.minimumSize());
    const QRect frame = origin == SavedOrigin::Frame ? QRect(saved.topLeft(), size.grownBy(m))
                                                     : QRect(saved.topLeft(), size).marginsAdded(m);
    const QRect fitted = FitInside(frame, AvailableFor(window, frame));
    if (origin == SavedOrigin::Frame) {
        window.move(fitted.topLeft());
        window.resize(fitted.size().shrunkBy(m));
    } else {
        window.setGeometry(fitted.marginsRemoved(m));
    }
    FitWhenFramed(window);
}

QMargins WindowFrame(const QWidget& window) {
    // The widget's own frame geometry is cached, and stays without the frame for a window that
    // the window manager framed without moving its client area.
    const QWindow* handle = window.windowHandle();
    return handle ? handle->frameMargins() : QMargins();
}

void FitWhenFramed(QWidget& window, FrameOf frameOf) {
    new FitWhenFramedFilter(window, std::move(frameOf));
}

QRect ReadBounds(const keiba::TIniGT& ini, std::string_view section, const QRect& defaults) {
    return {ini.ReadInteger(section, "left", defaults.left()),
            ini.ReadInteger(section, "top", defaults.top()),
            ini.ReadInteger(section, "width", defaults.width()),
            ini.ReadInteger(section, "height", defaults.height())};
}

keiba::IoResult SaveBounds(keiba::TIniGT& ini, std::string_view section, const QRect& bounds) {
    const std::string top = std::to_string(bounds.top()), left = std::to_string(bounds.left()),
                      width = std::to_string(bounds.width()),
                      height = std::to_string(bounds.height());
    return ini.WriteStrings(section,
                            {{"top", top}, {"left", left}, {"width", width}, {"height", height}});
}

keiba::IoResult SavePosition(keiba::TIniGT& ini, std::string_view section, const QPoint& at) {
    const std::string top = std::to_string(at.y()), left = std::to_string(at.x());
    return ini.WriteStrings(section, {{"top", top}, {"left", left}});
}

BoundsSavedAtQuit::BoundsSavedAtQuit(const QWidget& window, keiba::TIniGT& ini, std::string section,
                                     Keeps keeps)
    : window_(window)
    , ini_(ini)
    , section_(std::move(section))
    , keeps_(keeps) {}

keiba::IoResult BoundsSavedAtQuit::SaveBounds() {
    const QRect bounds = window_.geometry();
    return keeps_ == Keeps::Position ? SavePosition(ini_, section_, bounds.topLeft())
                                     : controls::SaveBounds(ini_, section_, bounds);
}

void SayEachFailureOnce(keiba::Notifier& notifier, const std::vector<keiba::IoResult>& saves) {
    std::vector<std::string> said;
    for (const keiba::IoResult& io : saves)
        if (!io && std::find(said.begin(), said.end(), io.message) == said.end()) {
            said.push_back(io.message);
            notifier.Information(io.message);
        }
}

} // namespace controls
