#pragma once
// Small helpers shared by the main window's source files (mainform*.cpp) and nobody else.

#include "controls/qtext.h"

#include <QColor>
#include <QPalette>
#include <QString>
#include <QWidget>

#include <string>

namespace app::mainform_parts {

using controls::ToUtf8;
using controls::U;

inline void SetPanelColor(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

} // namespace app::mainform_parts
