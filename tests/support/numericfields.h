#pragma once
// Numbers put into the numeric fields of the forms as a user puts them: key presses carrying
// their characters (full-width ones too, which QTest's key clicks cannot carry), an input
// method's committed text, or a paste. A spin box takes the number whole, a date picker in its
// day, a numeric edit from empty.

#include "controls/numedit.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTimeEdit>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QSpinBox>
#include <QString>

#include <string>

namespace testsupport {

enum class Route { Keys, InputMethod, Paste };
inline constexpr Route kRoutes[] = {Route::Keys, Route::InputMethod, Route::Paste};

// "0".."9" and "-" in full width, "０".."９" and "－", as a Japanese input method types them.
inline QString FullWidth(const QString& ascii) {
    QString out;
    for (QChar c : ascii)
        out += c == u'-' ? QChar(0xFF0D) : c.isDigit() ? QChar(0xFF10 + (c.unicode() - u'0')) : c;
    return out;
}

inline void SendKey(QWidget& w, int key, Qt::KeyboardModifiers mods, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(&w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(&w, &release);
}

inline void Enter(QWidget& w, const QString& text, Route route) {
    switch (route) {
    case Route::Keys:
        for (QChar c : text)
            SendKey(w, c.unicode() < 0x80 ? c.toUpper().unicode() : int(Qt::Key_unknown),
                    Qt::NoModifier, QString(c));
        break;
    case Route::InputMethod: {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(&w, &commit);
        break;
    }
    case Route::Paste:
        QApplication::clipboard()->setText(text);
        SendKey(w, Qt::Key_V, Qt::ControlModifier, QString());
        break;
    }
}

// What `field` holds after `text` went in by `route` (a date as yyyy-mm-dd); the field is put
// back as it was found.
inline std::string EnteredInto(QWidget& field, const QString& text, Route route) {
    QString result;
    if (auto* spin = qobject_cast<QSpinBox*>(&field)) {
        const int before = spin->value();
        spin->selectAll();
        Enter(*spin, text, route);
        result = QString::number(spin->value());
        spin->setValue(before);
    } else if (auto* date = qobject_cast<QDateTimeEdit*>(&field)) {
        const QDateTime before = date->dateTime();
        date->setSelectedSection(QDateTimeEdit::DaySection);
        Enter(*date, text, route);
        result = date->date().toString(Qt::ISODate);
        date->setDateTime(before);
    } else if (auto* edit = qobject_cast<controls::TSaNumEdit*>(&field)) {
        const std::string before = edit->Text();
        edit->SetText("");
        Enter(*edit, text, route);
        result = QString::fromStdString(edit->Text());
        edit->SetText(before);
    }
    return result.toStdString();
}

// A number that changes `field` when put in, in the form EnteredInto takes it.
inline QString NumberFor(const QWidget& field) {
    if (auto* spin = qobject_cast<const QSpinBox*>(&field))
        return QString::number(spin->value() == spin->minimum() ? spin->maximum()
                                                                : spin->minimum());
    if (auto* date = qobject_cast<const QDateTimeEdit*>(&field))
        return date->date().day() == 15 ? QStringLiteral("16") : QStringLiteral("15");
    return QStringLiteral("12");
}

} // namespace testsupport
