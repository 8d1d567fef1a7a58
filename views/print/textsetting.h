#pragma once
// How the printed sheets' texts are set. The sheets' columns were measured for two fonts: a
// fixed-pitch one, where a half-width character takes half the width of a full-width one, and a
// proportional one whose figures still take that half width while its blanks and narrow signs
// take less. IPAGothic stands in for the first. IPAPGothic stands in for the second with its
// full-width characters and its narrow half-width ones; its figures and wide letters are a good
// quarter wider than half an em, so those come from IPAGothic, the same design on the half
// width. Set in IPAPGothic alone, a past-run line of the race card runs a character into the
// next column.

#include "views/print/page.h"

#include <QFont>
#include <QPointF>
#include <QString>

class QPainter;

namespace views::print {

class PageTextFont {
public:
    explicit PageTextFont(const PageFont& font);

    // The face the font's texts start in.
    const QFont& Font() const { return main_; }
    double Ascent() const { return ascent_; }
    // The width the text takes, in the font's pixels.
    double Advance(const QString& text) const;
    // Draws the text with the left end of its baseline at `at`. `current` names the face the
    // painter holds (nullptr: unknown) and is kept up to date.
    void Draw(QPainter& painter, const QFont*& current, QPointF at, const QString& text) const;

private:
    // Calls emit(face, run, x) for each run of one face, x from the text's start; the width.
    template <typename Emit> double Set(const QString& text, Emit&& emit) const;

    QFont main_;
    QFont half_;
    double ascent_ = 0;
    double scale_ = 1;
    bool proportional_ = false;
    bool bold_ = false;
};

} // namespace views::print
