#pragma once
// How texts in the two layout fonts are set, on the screens' owner-drawn cells and on the printed
// sheets alike. The layouts were measured for a fixed-pitch font, where a half-width character
// takes half the width of a full-width one, and a proportional one whose figures still take that
// half width while its blanks and narrow signs take less. IPAGothic stands in for the first.
// IPAPGothic stands in for the second with its full-width characters and its narrow half-width
// ones; its figures and wide letters are a good quarter wider than half an em, so those come
// from IPAGothic, the same design on the half width. Set in IPAPGothic alone, a past run's line
// runs a character or two into the next column.

#include <QFont>
#include <QPointF>
#include <QString>

class QPainter;

namespace views {

class AdvanceTable;

class TextSetting {
public:
    // `pixelHeight`: the em in pixels of the device the text is drawn on.
    TextSetting(const QString& family, int pixelHeight, bool bold, bool underline = false);

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
    AdvanceTable* mainAdvances_;
    AdvanceTable* halfAdvances_;
    bool proportional_ = false;
};

} // namespace views
