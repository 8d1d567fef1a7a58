#pragma once
// Mouse presses delivered as the window system delivers a user's: to the deepest widget under
// the point, in its own coordinates.

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace testsupport {

// `at` is in `top`'s coordinates.
inline void ClickOn(QWidget& top, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QWidget* target = top.childAt(at);
    if (target == nullptr) target = &top;
    const QPoint local = target->mapFrom(&top, at);
    const QPoint global = target->mapToGlobal(local);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

} // namespace testsupport
