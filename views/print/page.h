#pragma once
// A recorded page: the drawing calls of one printed page as a display list in printer pixels,
// with the resolution and printable size it was recorded for. Pages are recorded once and
// replayed for every repaint, zoom step and print.

#include <QColor>
#include <QString>

#include <cstdint>
#include <limits>
#include <vector>

class QPainter;

namespace views::print {

// Fonts, pens and brushes as recorded: sizes in printer pixels.
struct PageFont {
    QString family;
    int points = 0;      // the size the sheet asked for
    int pixelHeight = 0; // the em height at the page's vertical resolution
    bool bold = false;
    bool underline = false;
    QColor color = Qt::black;
    bool operator==(const PageFont&) const = default;
};

struct PagePen {
    QColor color = Qt::black;
    int width = 1;
    bool visible = true;
    bool operator==(const PagePen&) const = default;
};

struct PageBrush {
    QColor color = Qt::white;
    bool solid = true;
    bool operator==(const PageBrush&) const = default;
};

enum class OpKind : std::uint8_t { Font, Pen, Brush, Text, MoveTo, LineTo, Rectangle };

// Font, Pen, Brush: `index` into the page's table. Text: `index` into its texts, at (x1, y1),
// condensed to end at x2 when it would run past (kNoRight: never). MoveTo and LineTo: (x1, y1).
// Rectangle: (x1, y1) to (x2, y2).
inline constexpr int kNoRight = std::numeric_limits<int>::max();
struct PageOp {
    OpKind kind;
    int index = 0;
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

class RecordedPage {
public:
    RecordedPage(int dpiX, int dpiY, int width, int height);

    int DpiX() const { return dpiX_; }
    int DpiY() const { return dpiY_; }
    // The printable area the page was recorded for, in its own pixels.
    int Width() const { return width_; }
    int Height() const { return height_; }

    // A state call that changes nothing is not recorded.
    void SetFont(const PageFont& font);
    void SetPen(const PagePen& pen);
    void SetBrush(const PageBrush& brush);
    void Text(int x, int y, QString text, int right = kNoRight);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Rectangle(int x1, int y1, int x2, int y2);

    const std::vector<PageOp>& Ops() const { return ops_; }
    const PageFont& FontAt(int index) const { return fonts_[static_cast<std::size_t>(index)]; }
    const PagePen& PenAt(int index) const { return pens_[static_cast<std::size_t>(index)]; }
    const PageBrush& BrushAt(int index) const { return brushes_[static_cast<std::size_t>(index)]; }
    const QString& TextAt(int index) const { return texts_[static_cast<std::size_t>(index)]; }

private:
    template <typename T> int Intern(std::vector<T>& table, const T& value);

    int dpiX_, dpiY_, width_, height_;
    std::vector<PageOp> ops_;
    std::vector<PageFont> fonts_;
    std::vector<PagePen> pens_;
    std::vector<PageBrush> brushes_;
    std::vector<QString> texts_;
    int font_ = -1, pen_ = -1, brush_ = -1;
};

// Replays `page` onto `painter`, whose coordinates are the page's pixels scaled by (sx, sy) from
// the painter's current origin (the top-left corner of the printable area).
void ReplayPage(QPainter& painter, const RecordedPage& page, double sx, double sy);

} // namespace views::print
