#pragma once
// The drawing interface of the printed sheets. Coordinates are tenths of a millimetre from the
// top-left corner of the printer's printable area; font sizes are points; pen widths are the
// sheets' own unit (tenths of a screen pixel, see TPrevX::FontSizeToHeight) unless given in
// printer pixels. Texts are CP932, drawn with their top-left corner at the point given.

#include <QColor>
#include <QString>

#include <string_view>

namespace views::print {

enum FontStyle : unsigned { kRegular = 0, kBold = 1u << 0, kUnderline = 1u << 1 };

struct TextFont {
    QString family;
    int size = 10; // points
    unsigned style = kRegular;
    QColor color = Qt::black;
    bool operator==(const TextFont&) const = default;
};

struct LinePen {
    QColor color = Qt::black;
    int width = 1;
    // `width` is already in printer pixels rather than in the sheets' unit.
    bool devicePixels = false;
    // A pen that draws nothing: rectangles are filled without an outline.
    bool visible = true;
    bool operator==(const LinePen&) const = default;
};

struct FillBrush {
    QColor color = Qt::white;
    bool solid = true;
    bool operator==(const FillBrush&) const = default;
};

// One page being drawn. Texts never paint a background: the cells they sit on are filled by
// their own rectangles.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void SetFont(const TextFont& font) = 0;
    virtual void SetPen(const LinePen& pen) = 0;
    virtual void SetBrush(const FillBrush& brush) = 0;
    virtual void TextOut(int x, int y, std::string_view cp932) = 0;
    // A text in a cell that ends at x `right`: drawn condensed across when it would run past.
    virtual void FitText(int x, int y, int right, std::string_view cp932) = 0;
    virtual void MoveTo(int x, int y) = 0;
    virtual void LineTo(int x, int y) = 0;
    // Outlined with the pen and filled with the brush, corner to corner.
    virtual void Rectangle(int x1, int y1, int x2, int y2) = 0;
};

// A document of pages: the sheets draw the first page, then call NewPage before each further
// one.
class Document : public Canvas {
public:
    virtual void NewPage() = 0;
    // The lowest y (same unit and origin as the drawing calls) that still lies on the printable
    // area of the page.
    virtual int PageBottom() const = 0;
};

} // namespace views::print
