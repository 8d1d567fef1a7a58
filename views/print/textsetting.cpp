#include "views/print/textsetting.h"

#include "controls/fonts.h"

#include <QPainter>

#include <algorithm>
#include <array>

namespace views::print {

namespace {

QFont Face(const QString& family, const PageFont& f) {
    controls::InstallFontSubstitutes();
    QFont font(family);
    if (family == controls::GothicFamily()) font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(std::max(1, f.pixelHeight));
    font.setBold(f.bold);
    font.setUnderline(f.underline);
    // Widths must be those of the outlines at the page's size, not of hinted screen glyphs.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

constexpr char16_t kFirstAscii = 0x20, kLastAscii = 0x7e;

// The printable ASCII characters the proportional face draws wider than half an em; the same
// at every size, so asked once per weight.
const std::array<bool, kLastAscii - kFirstAscii + 1>& WideInProportional(bool bold) {
    static std::array<std::array<bool, kLastAscii - kFirstAscii + 1>, 2> wide;
    static std::array<bool, 2> known{};
    const auto w = static_cast<std::size_t>(bold);
    if (!known[w]) {
        PageFont probe{controls::PGothicFamily(), 0, 1000, bold};
        const QFontMetricsF metrics(Face(controls::PGothicFamily(), probe));
        for (char16_t c = kFirstAscii; c <= kLastAscii; ++c)
            wide[w][c - kFirstAscii] = metrics.horizontalAdvance(QChar(c)) > 500.5;
        known[w] = true;
    }
    return wide[w];
}

} // namespace

PageTextFont::PageTextFont(const PageFont& font)
    : main_(Face(font.family, font))
    , half_(Face(controls::GothicFamily(), font))
    , mainMetrics_(main_)
    , halfMetrics_(half_)
    , ascent_(mainMetrics_.ascent())
    , proportional_(font.family == controls::PGothicFamily())
    , bold_(font.bold) {}

template <typename Emit>
double PageTextFont::Set(const QString& text, bool measure, Emit&& emit) const {
    if (!proportional_) {
        emit(main_, QStringView(text), 0.0);
        return measure ? mainMetrics_.horizontalAdvance(text) : 0.0;
    }
    const auto& wide = WideInProportional(bold_);
    auto halfFace = [&wide](QChar c) {
        return c.unicode() >= kFirstAscii && c.unicode() <= kLastAscii &&
               wide[c.unicode() - kFirstAscii];
    };
    double x = 0;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        const bool half = halfFace(text[start]);
        qsizetype end = start + 1;
        while (end < n && halfFace(text[end]) == half) ++end;
        const QStringView run = QStringView(text).mid(start, end - start);
        emit(half ? half_ : main_, run, x);
        if (measure || end < n)
            x += (half ? halfMetrics_ : mainMetrics_).horizontalAdvance(run.toString());
        start = end;
    }
    return x;
}

double PageTextFont::Advance(const QString& text) const {
    return Set(text, true, [](const QFont&, QStringView, double) {});
}

void PageTextFont::Draw(QPainter& painter, QPointF at, const QString& text) const {
    Set(text, false, [&](const QFont& face, QStringView run, double x) {
        if (painter.font() != face) painter.setFont(face);
        painter.drawText(at + QPointF(x, 0), run.toString());
    });
}

} // namespace views::print
