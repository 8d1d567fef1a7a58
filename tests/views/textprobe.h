#pragma once
// A paint device that records where texts are drawn and how far they reach, for tests that hold
// texts against their columns and rules.

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QString>
#include <QTextItem>
#include <QTransform>

#include <cmath>
#include <vector>

namespace testsupport {

// Every text a painter draws, as the paint engine receives it from the real fonts, in units of
// 1/`unitsPerInch` inch (tenths of a millimetre unless told): where it starts, where its advance
// ends and where the ink of its last character ends. A text set in several runs (faces or scripts)
// is one text while each run starts where the one before ended.
class TextProbe : public QPaintDevice {
public:
    struct Drawn {
        QString text;
        double x, y, right, inkRight;
        double em;      // the font's size
        double inkLeft; // after the blanks the text begins with
    };
    explicit TextProbe(int dpi, double unitsPerInch = 254.0)
        : dpi_(dpi)
        , unitsPerInch_(unitsPerInch) {}
    std::vector<Drawn> drawn;
    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric m) const override {
        switch (m) {
        case PdmWidth:
        case PdmHeight: return 20 * dpi_;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return dpi_;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
        default: return QPaintDevice::metric(m);
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextProbe& probe)
            : QPaintEngine(QPaintEngine::AllFeatures)
            , probe_(probe) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& changed) override {
            if (changed.state() & QPaintEngine::DirtyTransform) transform_ = changed.transform();
        }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawLines(const QLineF*, int) override {}
        void drawRects(const QRectF*, int) override {}
        void drawTextItem(const QPointF& p, const QTextItem& item) override {
            const double k = probe_.unitsPerInch_ / probe_.dpi_;
            const QPointF at = transform_.map(p);
            const double across = transform_.m11() * k;
            const double x = at.x() * k, y = at.y() * k, right = x + item.width() * across;
            const QFontMetricsF metrics(item.font());
            const QString text = item.text();
            qsizetype last = text.size() - 1;
            while (last >= 0 && text[last].isSpace()) --last;
            qsizetype blanks = 0;
            while (blanks < text.size() && text[blanks].isSpace()) ++blanks;
            // Trailing blanks and the last character's right bearing carry no ink.
            const QString tail = last >= 0 ? text.mid(last) : QString();
            const double inkRight = last < 0
                                        ? x
                                        : right - (metrics.horizontalAdvance(tail) -
                                                   metrics.boundingRect(text.at(last)).right()) *
                                                      across;
            auto& all = probe_.drawn;
            if (!all.empty() && std::abs(all.back().right - x) < 0.01 && all.back().y == y) {
                all.back().text += text;
                all.back().right = right;
                if (last >= 0) all.back().inkRight = inkRight;
            } else {
                const double inkLeft = x + metrics.horizontalAdvance(text.left(blanks)) * across;
                all.push_back({text, x, y, right, inkRight, item.font().pixelSize() * k, inkLeft});
            }
        }
        Type type() const override { return QPaintEngine::User; }

    private:
        TextProbe& probe_;
        QTransform transform_;
    };
    int dpi_;
    double unitsPerInch_;
    mutable Engine engine_{*this};
};

} // namespace testsupport
