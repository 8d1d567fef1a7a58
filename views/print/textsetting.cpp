#include "views/print/textsetting.h"

#include "controls/fonts.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <unordered_map>

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
constexpr double kProbeEm = 1000;

// The advances of one face's characters at kProbeEm pixels to the em, unhinted: they scale
// with the size, so each character is asked once, and no text is shaped to be measured.
class AdvanceTable {
public:
    AdvanceTable(const QString& family, bool bold)
        : metrics_(Face(family, PageFont{family, 0, static_cast<int>(kProbeEm), bold})) {}
    double Of(QChar c) {
        const char16_t u = c.unicode();
        if (u < ascii_.size()) {
            if (ascii_[u] < 0) ascii_[u] = metrics_.horizontalAdvance(c);
            return ascii_[u];
        }
        auto [at, added] = other_.try_emplace(u, 0.0);
        if (added) at->second = metrics_.horizontalAdvance(c);
        return at->second;
    }

private:
    QFontMetricsF metrics_;
    std::array<double, 128> ascii_ = [] {
        std::array<double, 128> unknown;
        unknown.fill(-1);
        return unknown;
    }();
    std::unordered_map<char16_t, double> other_;
};

// Kept for the life of the process: font metrics must not outlive the application object, as
// they would as static objects.
AdvanceTable& Advances(bool gothic, bool bold) {
    static std::array<std::array<AdvanceTable*, 2>, 2> tables{};
    AdvanceTable*& table = tables[gothic][bold];
    if (!table)
        table =
            new AdvanceTable(gothic ? controls::GothicFamily() : controls::PGothicFamily(), bold);
    return *table;
}

} // namespace

PageTextFont::PageTextFont(const PageFont& font)
    : main_(Face(font.family, font))
    , half_(Face(controls::GothicFamily(), font))
    , ascent_(QFontMetricsF(main_).ascent())
    , scale_(std::max(1, font.pixelHeight) / kProbeEm)
    , proportional_(font.family == controls::PGothicFamily())
    , bold_(font.bold) {}

template <typename Emit> double PageTextFont::Set(const QString& text, Emit&& emit) const {
    AdvanceTable& main = Advances(!proportional_, bold_);
    AdvanceTable& half = Advances(true, bold_);
    // A half-width character the proportional face draws wider than half an em is set from the
    // fixed-pitch face.
    auto fromHalf = [&](QChar c) {
        return proportional_ && c.unicode() >= kFirstAscii && c.unicode() <= kLastAscii &&
               main.Of(c) > kProbeEm / 2 + 0.5;
    };
    double x = 0;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n) {
        const bool inHalf = fromHalf(text[start]);
        AdvanceTable& table = inHalf ? half : main;
        double width = table.Of(text[start]);
        qsizetype end = start + 1;
        for (; end < n && fromHalf(text[end]) == inHalf; ++end) width += table.Of(text[end]);
        emit(inHalf ? half_ : main_, QStringView(text).mid(start, end - start), x);
        x += width * scale_;
        start = end;
    }
    return x;
}

double PageTextFont::Advance(const QString& text) const {
    return Set(text, [](const QFont&, QStringView, double) {});
}

void PageTextFont::Draw(QPainter& painter, const QFont*& current, QPointF at,
                        const QString& text) const {
    Set(text, [&](const QFont& face, QStringView run, double x) {
        if (current != &face) {
            painter.setFont(face);
            current = &face;
        }
        painter.drawText(at + QPointF(x, 0), run.size() == text.size() ? text : run.toString());
    });
}

} // namespace views::print
