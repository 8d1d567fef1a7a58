#pragma once
// Small helpers shared by the main window's source files (mainform*.cpp) and nobody else.

#include <QByteArray>
#include <QColor>
#include <QPalette>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <string>

namespace app::mainform_parts {

inline QString U(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

inline std::string ToUtf8(const QString& s) {
    QByteArray b = s.toUtf8();
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

inline void SetPanelColor(QWidget* w, const QColor& c) {
    QPalette p = w->palette();
    p.setColor(QPalette::Window, c);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

} // namespace app::mainform_parts
