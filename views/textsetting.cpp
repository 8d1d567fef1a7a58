#include "views/textsetting.h"

#include "controls/fonts.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <unordered_map>
#include <vector>

namespace views {

namespace {

QFont Face(const QString& family, int pixelHeight, bool bold, bool underline = false) {
    controls::InstallFontSubstitutes();
    QFont font(family);
    if (family == controls::GothicFamily()) font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(std::max(1, pixelHeight));
    font.setBold(bold);
    font.setUnderline(underline);
    // Widths must be those of the outlines at the page's size, not of hinted screen glyphs.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

constexpr char16_t kFirstAscii = 0x20, kLastAscii = 0x7e;
constexpr double kProbeEm = 1000;

} // namespace

// The advances of one face's characters at kProbeEm pixels to the em, unhinted: they scale
// with the size, so each character is asked once, and no text is shaped to be measured.
class AdvanceTable {
public:
    AdvanceTable(const QString& family, bool bold)
        : metrics_(Face(family, static_cast<int>(kProbeEm), bold)) {}
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

namespace {

// Kept for the life of the process: font metrics must not outlive the application object, as
// they would as static objects. Screens and sheets use a handful of families.
AdvanceTable* Advances(const QString& family, bool bold) {
    struct Held {
        QString family;
        bool bold;
        AdvanceTable* table;
    };
    static std::vector<Held>& tables = *new std::vector<Held>;
    for (const Held& h : tables)
        if (h.bold == bold && h.family == family) return h.table;
    tables.push_back({family, bold, new AdvanceTable(family, bold)});
    return tables.back().table;
}

} // namespace

TextSetting::TextSetting(const QString& family, int pixelHeight, bool bold, bool underline)
    : main_(Face(family, pixelHeight, bold, underline))
    , half_(Face(controls::GothicFamily(), pixelHeight, bold, underline))
    , ascent_(QFontMetricsF(main_).ascent())
    , scale_(std::max(1, pixelHeight) / kProbeEm)
    , mainAdvances_(Advances(family, bold))
    , halfAdvances_(Advances(controls::GothicFamily(), bold))
    , proportional_(family == controls::PGothicFamily()) {}

template <typename Emit> double TextSetting::Set(const QString& text, Emit&& emit) const {
    AdvanceTable& main = *mainAdvances_;
    AdvanceTable& half = *halfAdvances_;
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

double TextSetting::Advance(const QString& text) const {
    return Set(text, [](const QFont&, QStringView, double) {});
}

void TextSetting::Draw(QPainter& painter, const QFont*& current, QPointF at,
                       const QString& text) const {
    Set(text, [&](const QFont& face, QStringView run, double x) {
        if (current != &face) {
            painter.setFont(face);
            current = &face;
        }
        painter.drawText(at + QPointF(x, 0), run.size() == text.size() ? text : run.toString());
    });
}

} // namespace views
