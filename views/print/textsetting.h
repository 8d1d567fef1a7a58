#pragma once
// How the printed sheets' texts are set. The sheets were laid out for two fonts: a fixed-pitch
// one, where a half-width character takes half the width of a full-width one, and a
// proportional one whose half-width characters are never wider than that half: its figures keep
// the half width, only narrow signs and blanks take less. IPAGothic stands in for the first as
// it is. IPAPGothic stands in for the second for its full-width characters and its narrow
// half-width ones; its figures and wide letters are a good quarter wider than half an em, so
// those are set from IPAGothic, the same design drawn on the half width. Without that the
// lines of the race card's past runs run a character into the next column.

#include "views/print/page.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPointF>
#include <QString>

class QPainter;

namespace views::print {

class PageTextFont {
public:
    explicit PageTextFont(const PageFont& font);

    // The face texts are drawn in; the whole face for the fixed-pitch family.
    const QFont& Font() const { return main_; }
    double Ascent() const { return ascent_; }
    // The width the text takes, in the font's pixels.
    double Advance(const QString& text) const;
    // Draws the text with the left end of its baseline at `at`. The painter's font is left on
    // one of this font's faces.
    void Draw(QPainter& painter, QPointF at, const QString& text) const;

private:
    // Calls emit(face, run, x) for each run of one face, x from the text's start; the width
    // when `measure` or when the text has more than one run.
    template <typename Emit> double Set(const QString& text, bool measure, Emit&& emit) const;

    QFont main_;
    QFont half_;
    QFontMetricsF mainMetrics_;
    QFontMetricsF halfMetrics_;
    double ascent_ = 0;
    bool proportional_ = false;
    bool bold_ = false;
};

} // namespace views::print
