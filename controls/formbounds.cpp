#include "controls/formbounds.h"

#include "keiba/inigt.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <string>

namespace controls {
namespace {

// Moves [start, start + length) inside [low, low + room), then cuts it to the room.
void FitSpan(int& start, int& length, int low, int room) {
    start = std::max(std::min(start, low + room - length), low);
    length = std::min(length, room);
}

// The frame's margins of `window`: its own once the window system has given it a frame, else
// those of a shown window of the program (the window manager decorates them alike), else none.
QMargins FrameMargins(const QWidget& window) {
    auto margins = [](const QWidget& w) {
        const QRect f = w.frameGeometry(), g = w.geometry();
        return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                        f.bottom() - g.bottom());
    };
    if (const QMargins own = margins(window); !own.isNull()) return own;
    for (const QWidget* w : QApplication::topLevelWidgets())
        if (w != &window && w->isVisible())
            if (const QMargins shown = margins(*w); !shown.isNull()) return shown;
    return {};
}

QRect AvailableFor(const QWidget& window, const QRect& frame) {
    QScreen* screen = QGuiApplication::screenAt(frame.center());
    if (!screen) screen = window.parentWidget() ? window.parentWidget()->screen() : window.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : frame;
}

// A window gets its frame from the window system only when it is first shown: the bounds are
// fitted again then, frame included, and left alone at later showings (where the user put the
// window is the user's).
class FitWhenShown final : public QObject {
public:
    explicit FitWhenShown(QWidget& window)
        : QObject(&window)
        , window_(window) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Show) {
            window_.removeEventFilter(this);
            const QMargins m = FrameMargins(window_);
            const QRect frame(window_.pos(), window_.size().grownBy(m));
            if (const QRect fitted = FitInside(frame, AvailableFor(window_, frame));
                fitted != frame) {
                window_.move(fitted.topLeft());
                window_.resize(fitted.size().shrunkBy(m));
            }
            deleteLater();
        }
        return false;
    }

private:
    QWidget& window_;
};

} // namespace

QRect FitInside(const QRect& frame, const QRect& available) {
    int x = frame.x(), y = frame.y(), w = frame.width(), h = frame.height();
    FitSpan(x, w, available.x(), available.width());
    FitSpan(y, h, available.y(), available.height());
    return {x, y, w, h};
}

void RestoreBounds(QWidget& window, const QRect& saved, SavedOrigin origin) {
    const QMargins m = FrameMargins(window);
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
    new FitWhenShown(window);
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

} // namespace controls
