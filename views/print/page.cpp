#include "views/print/page.h"

#include "controls/fonts.h"
#include "views/textsetting.h"

#include <QPainter>

#include <algorithm>
#include <memory>

namespace views::print {

RecordedPage::RecordedPage(int dpiX, int dpiY, int width, int height)
    : dpiX_(dpiX)
    , dpiY_(dpiY)
    , width_(width)
    , height_(height) {}

template <typename T> int RecordedPage::Intern(std::vector<T>& table, const T& value) {
    auto it = std::find(table.begin(), table.end(), value);
    if (it != table.end()) return static_cast<int>(it - table.begin());
    table.push_back(value);
    return static_cast<int>(table.size()) - 1;
}

void RecordedPage::SetFont(const PageFont& font) {
    const int i = Intern(fonts_, font);
    if (i == font_) return;
    font_ = i;
    ops_.push_back({OpKind::Font, i});
}

void RecordedPage::SetPen(const PagePen& pen) {
    const int i = Intern(pens_, pen);
    if (i == pen_) return;
    pen_ = i;
    ops_.push_back({OpKind::Pen, i});
}

void RecordedPage::SetBrush(const PageBrush& brush) {
    const int i = Intern(brushes_, brush);
    if (i == brush_) return;
    brush_ = i;
    ops_.push_back({OpKind::Brush, i});
}

void RecordedPage::Text(int x, int y, QString text, int right) {
    if (text.isEmpty()) return;
    texts_.push_back(std::move(text));
    ops_.push_back({OpKind::Text, static_cast<int>(texts_.size()) - 1, x, y, right});
}

void RecordedPage::MoveTo(int x, int y) {
    ops_.push_back({OpKind::MoveTo, 0, x, y});
}

void RecordedPage::LineTo(int x, int y) {
    ops_.push_back({OpKind::LineTo, 0, x, y});
}

void RecordedPage::Rectangle(int x1, int y1, int x2, int y2) {
    ops_.push_back({OpKind::Rectangle, 0, x1, y1, x2, y2});
}

namespace {

QPen LinePenOf(const PagePen& p) {
    if (!p.visible) return QPen(Qt::NoPen);
    return QPen(p.color, std::max(1, p.width), Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

TextSetting SettingOf(const PageFont& f) {
    return TextSetting(f.family, f.pixelHeight, f.bold, f.underline);
}

void DrawText(QPainter& painter, const TextSetting& font, const QFont*& current, const PageOp& op,
              const QString& text) {
    const QPointF baseline(op.x1, op.y1 + font.Ascent());
    if (op.x2 != kNoRight) {
        const double room = op.x2 - op.x1;
        const double advance = font.Advance(text);
        if (advance > room && room > 0) {
            painter.save();
            const QFont* saved = current;
            painter.translate(baseline);
            painter.scale(room / advance, 1);
            font.Draw(painter, current, QPointF(0, 0), text);
            painter.restore();
            current = saved;
            return;
        }
    }
    font.Draw(painter, current, baseline, text);
}

} // namespace

void ReplayPage(QPainter& painter, const RecordedPage& page, double sx, double sy) {
    painter.save();
    painter.scale(sx, sy);
    // A fresh page's canvas: black pen of one pixel, white solid brush, the default font.
    QPen linePen = LinePenOf(PagePen{});
    painter.setBrush(QBrush(Qt::white));
    PageFont defaultFont{controls::PGothicFamily(), 10, (10 * page.DpiY() + 36) / 72};
    const TextSetting defaultText = SettingOf(defaultFont);
    const TextSetting* font = &defaultText;
    // Made when first used; a font's place never moves while the page replays.
    std::vector<std::unique_ptr<TextSetting>> fonts;
    QPen textPen(defaultFont.color);
    bool penIsText = false;
    painter.setPen(linePen);
    painter.setFont(font->Font());
    const QFont* current = &font->Font();
    QPointF at(0, 0);

    for (const PageOp& op : page.Ops()) {
        switch (op.kind) {
        case OpKind::Font: {
            const auto i = static_cast<std::size_t>(op.index);
            if (fonts.size() <= i) fonts.resize(i + 1);
            if (!fonts[i])
                fonts[i] = std::make_unique<TextSetting>(SettingOf(page.FontAt(op.index)));
            font = fonts[i].get();
            if (current != &font->Font()) {
                painter.setFont(font->Font());
                current = &font->Font();
            }
            textPen = QPen(page.FontAt(op.index).color);
            if (penIsText) painter.setPen(textPen);
            break;
        }
        case OpKind::Pen:
            linePen = LinePenOf(page.PenAt(op.index));
            if (!penIsText) painter.setPen(linePen);
            break;
        case OpKind::Brush: {
            const PageBrush& b = page.BrushAt(op.index);
            painter.setBrush(b.solid ? QBrush(b.color) : QBrush(Qt::NoBrush));
            break;
        }
        case OpKind::Text:
            if (!penIsText) {
                painter.setPen(textPen);
                penIsText = true;
            }
            DrawText(painter, *font, current, op, page.TextAt(op.index));
            break;
        case OpKind::MoveTo: at = QPointF(op.x1, op.y1); break;
        case OpKind::LineTo: {
            if (penIsText) {
                painter.setPen(linePen);
                penIsText = false;
            }
            const QPointF to(op.x1, op.y1);
            painter.drawLine(at, to);
            at = to;
            break;
        }
        case OpKind::Rectangle:
            if (penIsText) {
                painter.setPen(linePen);
                penIsText = false;
            }
            painter.drawRect(QRectF(QPointF(std::min(op.x1, op.x2), std::min(op.y1, op.y2)),
                                    QPointF(std::max(op.x1, op.x2), std::max(op.y1, op.y2))));
            break;
        }
    }
    painter.restore();
}

} // namespace views::print
