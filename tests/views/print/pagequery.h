#pragma once
// A recorded page read back as what it draws: texts with their font, rectangles with their pen
// and brush, lines with their pen, in the page's own pixels.

#include "views/print/page.h"
#include "views/print/prevx.h"

#include <QString>

#include <optional>
#include <vector>

namespace testsupport {

struct PageText {
    QString text;
    int x, y;
    views::print::PageFont font;
};
struct PageRect {
    int x1, y1, x2, y2;
    views::print::PagePen pen;
    views::print::PageBrush brush;
};
struct PageLine {
    int x1, y1, x2, y2;
    views::print::PagePen pen;
};

struct PageContent {
    std::vector<PageText> texts;
    std::vector<PageRect> rects;
    std::vector<PageLine> lines;

    // The texts that are exactly `text`.
    std::vector<PageText> TextsOf(const QString& text) const {
        std::vector<PageText> out;
        for (const PageText& t : texts)
            if (t.text == text) out.push_back(t);
        return out;
    }
    std::optional<PageText> TextAt(int x, int y) const {
        for (const PageText& t : texts)
            if (t.x == x && t.y == y) return t;
        return std::nullopt;
    }
    std::vector<PageText> TextsAtX(int x) const {
        std::vector<PageText> out;
        for (const PageText& t : texts)
            if (t.x == x) out.push_back(t);
        return out;
    }
    std::optional<PageRect> RectAt(int x1, int y1, int x2, int y2) const {
        for (const PageRect& r : rects)
            if (r.x1 == x1 && r.y1 == y1 && r.x2 == x2 && r.y2 == y2) return r;
        return std::nullopt;
    }
    bool HasLine(int x1, int y1, int x2, int y2) const {
        for (const PageLine& l : lines)
            if (l.x1 == x1 && l.y1 == y1 && l.x2 == x2 && l.y2 == y2) return true;
        return false;
    }
};

inline PageContent ReadPage(const views::print::RecordedPage& page) {
    using views::print::OpKind;
    PageContent out;
    views::print::PageFont font;
    views::print::PagePen pen;
    views::print::PageBrush brush;
    int atX = 0, atY = 0;
    for (const views::print::PageOp& op : page.Ops()) {
        switch (op.kind) {
        case OpKind::Font: font = page.FontAt(op.index); break;
        case OpKind::Pen: pen = page.PenAt(op.index); break;
        case OpKind::Brush: brush = page.BrushAt(op.index); break;
        case OpKind::Text: out.texts.push_back({page.TextAt(op.index), op.x1, op.y1, font}); break;
        case OpKind::MoveTo:
            atX = op.x1;
            atY = op.y1;
            break;
        case OpKind::LineTo:
            out.lines.push_back({atX, atY, op.x1, op.y1, pen});
            atX = op.x1;
            atY = op.y1;
            break;
        case OpKind::Rectangle:
            out.rects.push_back({op.x1, op.y1, op.x2, op.y2, pen, brush});
            break;
        }
    }
    return out;
}

} // namespace testsupport
