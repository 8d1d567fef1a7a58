#include "controls/label3d.h"

#include "controls/label3dgeometry.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

namespace controls {
namespace {

// A rotated caption is measured and drawn up to this length.
constexpr qsizetype kMaxRotatedChars = 255;

const QColor kFrameGrey(128, 128, 128);
const QColor kFrameWhite(255, 255, 255);
const QColor kLinkHover(255, 0, 0);

// Four lines of a 3-D frame on (0, 0, w - 1, h - 1): top and left from the top-left corner,
// right and bottom from the bottom-right corner, each without its end point.
void Paint3DFrame(QPainter& p, int w, int h, const QColor& first, const QColor& second) {
    const int r = w - 1;
    const int b = h - 1;
    p.setPen(QPen(first, 1));
    if (r > 0) p.drawLine(0, 0, r - 1, 0);
    if (b > 0) p.drawLine(0, 0, 0, b - 1);
    p.setPen(QPen(second, 1));
    if (b > 0) p.drawLine(r, b, r, 1);
    if (r > 0) p.drawLine(r, b, 1, b);
}

} // namespace

TLabel3Dj::TLabel3Dj(QWidget* parent)
    : QWidget(parent) {
    QFont f = font();
    f.setFamily(QStringLiteral("Arial"));
    setFont(f);
    color_ = palette().color(QPalette::Window);
    AdjustBounds();
}

void TLabel3Dj::SetCaption(const QString& value) {
    if (value == caption_) return;
    caption_ = value;
    AdjustBounds();
    update();
}

void TLabel3Dj::SetAlignment(TAlignment value) {
    alignment_ = value;
    update();
}

void TLabel3Dj::SetLayout(TextLayout value) {
    layout_ = value;
    update();
}

void TLabel3Dj::SetAutoSize(bool value) {
    autoSize_ = value;
    AdjustBounds();
}

void TLabel3Dj::SetWordWrap(bool value) {
    wordWrap_ = value;
    AdjustBounds();
    update();
}

void TLabel3Dj::SetShowAccelChar(bool value) {
    showAccelChar_ = value;
    AdjustBounds();
    update();
}

void TLabel3Dj::SetTransparent(bool value) {
    transparent_ = value;
    update();
}

void TLabel3Dj::SetColor(const QColor& value) {
    color_ = value;
    update();
}

QColor TLabel3Dj::FontColor() const {
    return palette().color(QPalette::Active, QPalette::WindowText);
}

void TLabel3Dj::SetFontColor(const QColor& value) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, value);
    setPalette(p);
}

void TLabel3Dj::SetEscapement(int value) {
    value = NormalizeEscapement(value);
    if (value == escapement_) return;
    escapement_ = value;
    AdjustBounds();
    update();
}

void TLabel3Dj::SetTextStyle(TTextStyle value) {
    if (value == textStyle_) return;
    textStyle_ = value;
    update();
}

void TLabel3Dj::SetShift(int value) {
    if (value == shift_) return;
    shift_ = value;
    update();
}

void TLabel3Dj::SetBorder(bool value) {
    border_ = value;
    update();
}

void TLabel3Dj::SetBorderType(TBorderType value) {
    if (value == borderType_) return;
    borderType_ = value;
    update();
}

void TLabel3Dj::SetBorderColor(const QColor& value) {
    borderColor_ = value;
    update();
}

void TLabel3Dj::SetBorderWidth(int value) {
    borderWidth_ = value;
    update();
}

void TLabel3Dj::SetBorderPenStyle(Qt::PenStyle value) {
    borderPenStyle_ = value;
    update();
}

void TLabel3Dj::SetEllipsesStyle(TEllipsesStyle value) {
    if (value == ellipsesStyle_) return;
    if (value != TEllipsesStyle::esNone) autoSize_ = false;
    ellipsesStyle_ = value;
    update();
}

int TLabel3Dj::TextFlags() const {
    int flags = Qt::TextExpandTabs;
    switch (alignment_) {
    case TAlignment::taLeftJustify: flags |= Qt::AlignLeft; break;
    case TAlignment::taRightJustify: flags |= Qt::AlignRight; break;
    case TAlignment::taCenter: flags |= Qt::AlignHCenter; break;
    }
    if (showAccelChar_) flags |= Qt::TextShowMnemonic;
    // Vertical centring and bottom placement only work on one line, so those layouts never wrap.
    if (layout_ == TextLayout::tlCenter) {
        flags |= Qt::AlignVCenter | Qt::TextSingleLine;
    } else if (layout_ == TextLayout::tlBottom) {
        flags |= Qt::AlignBottom | Qt::TextSingleLine;
    } else {
        flags |= Qt::AlignTop;
        if (wordWrap_) flags |= Qt::TextWordWrap;
    }
    return flags;
}

QString TLabel3Dj::ShownText(int width) const {
    const QFontMetrics fm(font());
    switch (ellipsesStyle_) {
    case TEllipsesStyle::esEnd: return fm.elidedText(caption_, Qt::ElideRight, width);
    case TEllipsesStyle::esPath: return fm.elidedText(caption_, Qt::ElideMiddle, width);
    case TEllipsesStyle::esNone: break;
    }
    return caption_;
}

QSize TLabel3Dj::sizeHint() const {
    const QFontMetrics fm(font());
    if (escapement_ != 0) {
        const QString text = caption_.left(kMaxRotatedChars);
        const RotatedTextBox box =
            RotateTextBox(escapement_, fm.horizontalAdvance(text), fm.height());
        return {box.width, box.height};
    }
    const int wrapWidth = wordWrap_ ? std::max(width(), 1) : 32767;
    QSize size = fm.boundingRect(QRect(0, 0, wrapWidth, 32767),
                                 TextFlags() & ~Qt::AlignBottom & ~Qt::AlignVCenter, caption_)
                     .size();
    if (caption_.isEmpty()) size = QSize(0, fm.height());
    return size;
}

void TLabel3Dj::AdjustBounds() {
    if (!autoSize_) return;
    resize(sizeHint());
}

void TLabel3Dj::PaintText(QPainter& p, QPoint offset, const QColor& color) {
    p.setPen(color);
    if (escapement_ == 0) {
        const QRect r = rect().translated(offset);
        p.drawText(r, TextFlags(), ShownText(r.width()));
        return;
    }
    const QFontMetrics fm(font());
    const QString text = caption_.left(kMaxRotatedChars);
    const RotatedTextBox box = RotateTextBox(escapement_, fm.horizontalAdvance(text), fm.height());
    QPoint at(box.dx, box.dy);
    if (!autoSize_) {
        if (alignment_ == TAlignment::taCenter) at.rx() += (width() - box.width) / 2;
        if (alignment_ == TAlignment::taRightJustify) at.rx() += width() - box.width;
    }
    p.save();
    p.translate(at + offset);
    p.rotate(-escapement_);
    p.drawText(QPoint(0, fm.ascent()), text);
    p.restore();
}

void TLabel3Dj::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int h = height();
    if (!transparent_) p.fillRect(rect(), color_);

    if (border_ && borderWidth_ >= 1) {
        switch (borderType_) {
        case TBorderType::btDefault: {
            QPen pen(borderColor_, borderWidth_, borderPenStyle_);
            pen.setJoinStyle(Qt::MiterJoin);
            p.setPen(pen);
            p.setBrush(Qt::NoBrush);
            p.drawRect(0, 0, w - 1, h - 1);
            break;
        }
        case TBorderType::btRecessed: Paint3DFrame(p, w, h, kFrameGrey, kFrameWhite); break;
        case TBorderType::btRaised: Paint3DFrame(p, w, h, kFrameWhite, kFrameGrey); break;
        }
    }

    p.setFont(font());
    // The effect passes keep their colours when the label is disabled; only the text greys.
    const QColor shadow = palette().color(QPalette::Active, QPalette::Dark);
    const QColor highlight = palette().color(QPalette::Active, QPalette::Light);
    switch (textStyle_) {
    case TTextStyle::tsRaised: PaintText(p, {1, 1}, shadow); break;
    case TTextStyle::tsLightRaised:
        PaintText(p, {1, 1}, shadow);
        PaintText(p, {-1, -1}, highlight);
        break;
    case TTextStyle::tsRecessed: PaintText(p, {1, 1}, highlight); break;
    case TTextStyle::tsHeavyRecessed:
        PaintText(p, {1, 1}, highlight);
        PaintText(p, {-1, -1}, shadow);
        break;
    case TTextStyle::tsShadow: PaintText(p, {shift_, shift_}, shadow); break;
    case TTextStyle::tsNone: break;
    }
    // Disabled text is the system's grey whatever font colour the label was given: the label's
    // own palette holds that colour in every state.
    PaintText(p, {0, 0},
              isEnabled()
                  ? FontColor()
                  : QApplication::palette().color(QPalette::Disabled, QPalette::WindowText));
}

void TLabel3Dj::enterEvent(QEnterEvent* e) {
    if (IsLink()) {
        savedFontColor_ = FontColor();
        QFont f = font();
        f.setUnderline(true);
        setFont(f);
        setCursor(Qt::PointingHandCursor);
        SetFontColor(kLinkHover);
    }
    Q_EMIT OnMouseEnter();
    QWidget::enterEvent(e);
}

void TLabel3Dj::leaveEvent(QEvent* e) {
    if (IsLink()) {
        unsetCursor();
        QFont f = font();
        f.setUnderline(false);
        setFont(f);
        if (savedFontColor_.isValid()) SetFontColor(savedFontColor_);
    }
    Q_EMIT OnMouseExit();
    QWidget::leaveEvent(e);
}

void TLabel3Dj::Click() {
    if (IsLink() && !address_.isEmpty()) {
        setCursor(Qt::BusyCursor);
        const QString target = labelStyle_ == TLabelStyle::lsEMailAddress
                                   ? QStringLiteral("mailto:") + address_
                                   : address_;
        // A failed open is not the label's to report.
        if (shell_)
            shell_->Open(target.toStdString());
        else
            QDesktopServices::openUrl(QUrl(target));
        setCursor(Qt::PointingHandCursor);
    }
    Q_EMIT OnClick();
}

void TLabel3Dj::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) Click();
    QWidget::mouseReleaseEvent(e);
}

void TLabel3Dj::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) Q_EMIT OnDblClick();
    QWidget::mouseDoubleClickEvent(e);
}

void TLabel3Dj::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) AdjustBounds();
    if (e->type() == QEvent::EnabledChange) update();
    QWidget::changeEvent(e);
}

} // namespace controls
