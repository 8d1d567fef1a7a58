#pragma once
// The spin boxes and date pickers of the forms. A Japanese input method types digits full-width
// ("１０" for 10), so these fields take the full-width forms of the ASCII characters as the
// characters they stand for, whether they come as key presses, as the input method's committed
// text or pasted: a field takes what a user types in either width.

#include <QDateEdit>
#include <QDateTimeEdit>
#include <QSpinBox>
#include <QString>

#include <utility>

namespace controls {

// A full-width form (U+FF01..U+FF5E: "０".."９", "－", "．", "／", letters), the ideographic space
// or the minus sign as its ASCII character; any other character as it is.
QChar HalfWidth(QChar c);
// Every character of `text` through HalfWidth: the length, and so a cursor position, is kept.
QString HalfWidth(QString text);

template <class Box> class HalfWidthInput : public Box {
public:
    using Box::Box;

protected:
    // Typed keys, the input method's commits and pasted text all reach the field's text through
    // here; the text handed back is the one the field keeps.
    QValidator::State validate(QString& text, int& pos) const override {
        text = HalfWidth(std::move(text));
        return Box::validate(text, pos);
    }
};

using TSpinEdit = HalfWidthInput<QSpinBox>;
using TDateEdit = HalfWidthInput<QDateEdit>;
using TDateTimeEdit = HalfWidthInput<QDateTimeEdit>;

} // namespace controls
