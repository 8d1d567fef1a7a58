#include "controls/speedbutton.h"

#include "controls/fonts.h"

#include <QEnterEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QShortcutEvent>
#include <QStatusTipEvent>
#include <QTimer>

#include <algorithm>

namespace controls {
namespace {

constexpr int kFadeStepMs = 30;

// The button that is hot now; user-interface thread only.
QPointer<TLbSpeedButton> gHotButton;

Rgb ToRgb(const QColor& c) {
    return {c.red(), c.green(), c.blue()};
}

QColor ToQColor(Rgb c) {
    return {c.r, c.g, c.b};
}

// Vertical gradient over [top, bottom) between x = left and x = right (exclusive).
void PaintGradient(QPainter& p, int left, int right, int top, int bottom, const QColor& from,
                   const QColor& to) {
    const int height = bottom - top;
    if (height <= 0 || right <= left) return;
    const auto bands = GradientBands(ToRgb(from), ToRgb(to));
    const int bandHeight = height / 31 + 1;
    for (int i = 0; i < kGradientBands; ++i) {
        const int y = top + i * height / 31;
        if (y >= bottom) break;
        const int h = std::min(bandHeight, bottom - y);
        p.fillRect(QRect(left, y, right - left, h), ToQColor(bands[static_cast<std::size_t>(i)]));
    }
}

void PaintBevel(QPainter& p, const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
    p.setPen(topLeft);
    p.drawLine(r.left(), r.bottom(), r.left(), r.top());
    p.drawLine(r.left(), r.top(), r.right(), r.top());
    p.setPen(bottomRight);
    p.drawLine(r.right(), r.top(), r.right(), r.bottom());
    p.drawLine(r.right(), r.bottom(), r.left(), r.bottom());
}

QString StripMnemonic(const QString& s) {
    QString out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == u'&' && i + 1 < s.size()) ++i;
        out += s[i];
    }
    return out;
}

} // namespace

TLbSpeedButton::TLbSpeedButton(QWidget* parent)
    : QWidget(parent) {
    resize(100, 23);
    color_ = palette().color(QPalette::Button);
    hotTrackFont_ = parent != nullptr ? parent->window()->font() : font();
    fadeTimer_ = new QTimer(this);
    fadeTimer_->setInterval(kFadeStepMs);
    connect(fadeTimer_, &QTimer::timeout, this, &TLbSpeedButton::FadeStep);
}

TLbSpeedButton::~TLbSpeedButton() {
    if (gHotButton == this && QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(this);
}

void TLbSpeedButton::SetAlignment(TAlignment value) {
    alignment_ = value;
    update();
}

void TLbSpeedButton::SetCaption(const QString& value) {
    caption_ = value;
    UpdateShortcut();
    update();
}

void TLbSpeedButton::SetColor(const QColor& value) {
    color_ = value;
    update();
}

void TLbSpeedButton::SetColorWhenDown(const QColor& value) {
    colorWhenDown_ = value;
    update();
}

void TLbSpeedButton::SetColorStyle(TLbColorStyle value) {
    const ColorPreset* preset = FindColorPreset(value);
    if (preset == nullptr) return;
    auto resolve = [this](const PresetColor& c) {
        switch (c.kind) {
        case PresetColor::Kind::Fixed: return ToQColor(c.rgb);
        case PresetColor::Kind::ButtonFace: return palette().color(QPalette::Button);
        case PresetColor::Kind::None: break;
        }
        return QColor();
    };
    color_ = resolve(preset->color);
    lightColor_ = resolve(preset->lightColor);
    shadowColor_ = resolve(preset->shadowColor);
    hotTrackColor_ = resolve(preset->hotTrackColor);
    colorWhenDown_ = resolve(preset->colorWhenDown);
    flat_ = preset->flat;
    SetStyle(preset->style);
    SetFontColor(ToQColor(preset->fontColor));
    update();
}

void TLbSpeedButton::SetDown(bool value) {
    if (value == down_) return;
    if (groupIndex_ != 0 && parentWidget() != nullptr) {
        const auto siblings =
            parentWidget()->findChildren<TLbSpeedButton*>(Qt::FindDirectChildrenOnly);
        for (TLbSpeedButton* other : siblings) {
            if (other != this && other->groupIndex_ == groupIndex_) other->SetDown(false);
        }
    }
    down_ = value;
    update();
}

void TLbSpeedButton::SetFlat(bool value) {
    flat_ = value;
    update();
}

void TLbSpeedButton::SetGlyph(const QPixmap& value) {
    glyph_ = value;
    numGlyphs_ = value.isNull() || value.height() == 0 ? 0 : value.width() / value.height();
    update();
}

void TLbSpeedButton::SetHotTrackColor(const QColor& value) {
    hotTrackColor_ = value;
    update();
}

void TLbSpeedButton::SetLayout(TLbSpeedButtonLayout value) {
    layout_ = value;
    update();
}

void TLbSpeedButton::SetLightColor(const QColor& value) {
    lightColor_ = value;
    update();
}

void TLbSpeedButton::SetNumGlyphs(int value) {
    numGlyphs_ = value < 0 ? 0 : value;
    update();
}

void TLbSpeedButton::SetShadowColor(const QColor& value) {
    shadowColor_ = value;
    update();
}

// Turning the fade off ends the one in progress and drops the hot colour, even under the
// pointer: the face comes back only with the next entry.
void TLbSpeedButton::SetSlowDecease(bool value) {
    if (!value && slowDecease_) {
        fadeTimer_->stop();
        fadeLevel_ = 0;
    }
    slowDecease_ = value;
    update();
}

// A modern face needs its gradient; on a palette screen it would band badly.
void TLbSpeedButton::SetStyle(TLbSpeedButtonStyle value) {
    if (value == TLbSpeedButtonStyle::bsModern) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        if (screen != nullptr && screen->depth() < 9) value = TLbSpeedButtonStyle::bsNormal;
    }
    style_ = value;
    update();
}

void TLbSpeedButton::SetTransparent(bool value) {
    transparent_ = value;
    update();
}

void TLbSpeedButton::SetUseHotTrackFont(bool value) {
    useHotTrackFont_ = value;
    update();
}

void TLbSpeedButton::SetWordWrap(bool value) {
    wordWrap_ = value;
    update();
}

QColor TLbSpeedButton::FontColor() const {
    return palette().color(QPalette::Active, QPalette::ButtonText);
}

void TLbSpeedButton::SetFontColor(const QColor& value) {
    QPalette p = palette();
    p.setColor(QPalette::ButtonText, value);
    setPalette(p);
}

void TLbSpeedButton::SetPopupMenu(QMenu* menu) {
    popupMenu_ = menu;
    update();
}

bool TLbSpeedButton::Fading() const {
    return fadeTimer_->isActive();
}

QColor TLbSpeedButton::FaceColor() const {
    QColor face = color_;
    if (isEnabled() && hotTrackColor_.isValid())
        face = ToQColor(MixColor(ToRgb(color_), ToRgb(hotTrackColor_), fadeLevel_));
    if (down_ && isEnabled() && colorWhenDown_.isValid()) face = colorWhenDown_;
    return face;
}

bool TLbSpeedButton::ShowingOnParent() const {
    return isEnabled() && isVisible() && (parentWidget() == nullptr || parentWidget()->isVisible());
}

// The mouse is on the button: full hot colour, and no fade left over from an earlier leave
// may take it away while the mouse stays.
void TLbSpeedButton::enterEvent(QEnterEvent* e) {
    if (ShowingOnParent()) {
        BecomeHot();
        Q_EMIT OnMouseEnter();
    }
    QWidget::enterEvent(e);
}

void TLbSpeedButton::leaveEvent(QEvent* e) {
    EndHot(true, false); // the leave takes the button's hint away itself
    if (ShowingOnParent()) Q_EMIT OnMouseExit();
    QWidget::leaveEvent(e);
}

// The window system does not always say when the pointer has gone: a box or menu opened over
// the button takes the pointer without a leave, and after it closes the leave can be lost
// altogether. So while a button is hot it watches the application for the pointer elsewhere
// and for a popup or modal window opening, and only one button is hot at a time.
void TLbSpeedButton::BecomeHot() {
    // The enter has just put this button's hint in the status bar, when it has one.
    if (gHotButton != nullptr && gHotButton != this)
        gHotButton->EndHot(false, statusTip().isEmpty());
    if (gHotButton != this) {
        gHotButton = this;
        if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
    }
    hot_ = true;
    fadeTimer_->stop();
    fadeLevel_ = kFadeLevels;
    update();
}

void TLbSpeedButton::EndHot(bool fade, bool clearHint) {
    if (gHotButton == this) {
        gHotButton = nullptr;
        if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
    }
    const bool wasHot = hot_;
    hot_ = false;
    if (fade && slowDecease_ && fadeLevel_ > 0) {
        if (!fadeTimer_->isActive()) fadeTimer_->start();
    } else {
        fadeTimer_->stop();
        fadeLevel_ = 0;
    }
    update();
    if (wasHot && clearHint && !statusTip().isEmpty()) {
        QStatusTipEvent clear{QString()};
        QCoreApplication::sendEvent(this, &clear);
    }
}

bool TLbSpeedButton::eventFilter(QObject* watched, QEvent* e) {
    if (hot_) {
        switch (e->type()) {
        case QEvent::MouseMove: {
            const QPoint at = static_cast<QMouseEvent*>(e)->globalPosition().toPoint();
            // Seen before the leave it may come with, so this fades as a leave does.
            if (!rect().contains(mapFromGlobal(at))) EndHot(true, true);
            break;
        }
        case QEvent::Show:
            if (watched->isWidgetType()) {
                const auto* w = static_cast<const QWidget*>(watched);
                if (w->isWindow() && w != window() &&
                    (w->windowType() == Qt::Popup || w->isModal()))
                    EndHot(false, true);
            }
            break;
        case QEvent::WindowDeactivate:
            if (watched == window()) EndHot(false, true);
            break;
        case QEvent::ApplicationDeactivate: EndHot(false, true); break;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, e);
}

void TLbSpeedButton::changeEvent(QEvent* e) {
    if (hot_ && e->type() == QEvent::EnabledChange && !isEnabled()) EndHot(false, true);
    QWidget::changeEvent(e);
}

void TLbSpeedButton::hideEvent(QHideEvent* e) {
    if (hot_) EndHot(false, true);
    QWidget::hideEvent(e);
}

void TLbSpeedButton::FadeStep() {
    --fadeLevel_;
    if (fadeLevel_ < 1) {
        fadeTimer_->stop();
        fadeLevel_ = 0;
    }
    update();
}

void TLbSpeedButton::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        if (groupIndex_ != 0 && down_ && allowAllUp_) {
            SetDown(false);
        } else {
            SetDown(true);
        }
    }
    QWidget::mousePressEvent(e);
}

void TLbSpeedButton::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) {
        if (groupIndex_ == 0) SetDown(false);
        if (rect().contains(e->position().toPoint())) Click();
    }
    QWidget::mouseReleaseEvent(e);
}

void TLbSpeedButton::mouseDoubleClickEvent(QMouseEvent* e) {
    mousePressEvent(e);
}

void TLbSpeedButton::Click() {
    if (popupMenu_ != nullptr) popupMenu_->popup(mapToGlobal(QPoint(0, height())));
    Q_EMIT OnClick();
}

void TLbSpeedButton::UpdateShortcut() {
    if (shortcutId_ != 0) releaseShortcut(shortcutId_);
    shortcutId_ = 0;
    const QKeySequence key = QKeySequence::mnemonic(caption_);
    if (!key.isEmpty()) shortcutId_ = grabShortcut(key);
}

bool TLbSpeedButton::event(QEvent* e) {
    if (e->type() == QEvent::Shortcut &&
        static_cast<QShortcutEvent*>(e)->shortcutId() == shortcutId_) {
        if (ShowingOnParent()) {
            const bool wasDown = down_;
            down_ = true;
            repaint();
            Click();
            down_ = wasDown;
            update();
        }
        return true;
    }
    return QWidget::event(e);
}

// Where the glyph and the caption go: the glyph image of the state, the caption as much of it
// as fits, and both places with the press shift already in them.
struct TLbSpeedButton::Content {
    QPixmap image;
    QString caption;
    int textFlags = 0;
    QSize textSize;
    QPoint glyphAt, textAt;
};

void TLbSpeedButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool down = down_ && isEnabled();
    const QColor face = FaceColor();
    if (!transparent_) PaintBackground(p, face, down);
    PaintFrame(p, face, down);
    const QFont font = CaptionFont(down);
    p.setFont(font);
    PaintContent(p, PlaceContent(QFontMetrics(font), GlyphImage(down), down));
    if (popupMenu_ != nullptr) PaintMenuArrow(p);
}

void TLbSpeedButton::PaintBackground(QPainter& p, const QColor& face, bool down) const {
    using S = TLbSpeedButtonStyle;
    const int w = width();
    const int h = height();
    switch (style_) {
    case S::bsNormal:
    case S::bsEncarta:
    case S::bsOld: p.fillRect(rect(), face); break;
    case S::bsModern: {
        const int middle = h / 4 + (down ? 1 : 0);
        PaintGradient(p, 2, w - 2, 2, middle, lightColor_, face);
        PaintGradient(p, 2, w - 2, middle, h - 1, face, lightColor_);
        break;
    }
    case S::bsShape:
    case S::bsQuicken: break;
    }
}

void TLbSpeedButton::PaintFrame(QPainter& p, const QColor& face, bool down) const {
    using S = TLbSpeedButtonStyle;
    const int w = width();
    const int h = height();
    const bool enabled = isEnabled();
    const bool framed = (enabled && (!flat_ || hot_ || down)) || (!enabled && !flat_);
    const QRect r = rect();
    switch (style_) {
    case S::bsNormal:
    case S::bsEncarta:
        if (framed) {
            PaintBevel(p, r, down ? shadowColor_ : lightColor_, down ? lightColor_ : shadowColor_);
        }
        break;
    case S::bsOld:
        if (framed) {
            const QColor dark = palette().color(QPalette::Shadow);
            PaintBevel(p, r, down ? dark : lightColor_, down ? lightColor_ : dark);
            const QRect inner = r.adjusted(1, 1, -1, -1);
            p.setPen(shadowColor_);
            if (down) {
                p.drawLine(inner.topLeft(), inner.topRight());
                p.drawLine(inner.topLeft(), inner.bottomLeft());
            } else {
                p.drawLine(inner.topRight(), inner.bottomRight());
                p.drawLine(inner.bottomLeft(), inner.bottomRight());
            }
        }
        break;
    case S::bsModern:
        p.setBrush(Qt::NoBrush);
        p.setPen(down ? shadowColor_ : face);
        p.drawRect(1, 1, w - 3, h - 3);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(shadowColor_);
        p.drawRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 3, 3);
        p.setRenderHint(QPainter::Antialiasing, false);
        break;
    case S::bsQuicken:
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(face);
        p.drawRoundedRect(QRectF(0, 1, w, h - 1), 2, 2);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setBrush(Qt::NoBrush);
        p.setPen(shadowColor_);
        p.drawLine(4, 0, w - 5, 0);
        p.drawLine(4, h - 1, w - 5, h - 1);
        break;
    case S::bsShape: break;
    }
}

QFont TLbSpeedButton::CaptionFont(bool down) const {
    QFont f = hot_ && useHotTrackFont_ ? hotTrackFont_ : font();
    if (style_ == TLbSpeedButtonStyle::bsEncarta && down) f.setBold(true);
    return f;
}

QColor TLbSpeedButton::CaptionColor() const {
    if (!isEnabled()) return {128, 128, 128};
    if (hot_ && useHotTrackFont_ && hotTrackFontColor_.isValid()) return hotTrackFontColor_;
    return FontColor();
}

// The strip holds up to four images side by side: up, disabled, down, hot; a state without its
// image shows the first.
QPixmap TLbSpeedButton::GlyphImage(bool down) const {
    if (glyph_.isNull() || numGlyphs_ <= 0) return {};
    const int imageWidth = glyph_.width() / numGlyphs_;
    int index = 0;
    if (!isEnabled()) {
        index = 1;
    } else if (down && numGlyphs_ >= 3) {
        index = 2;
    } else if (hot_ && numGlyphs_ >= 4) {
        index = 3;
    }
    if (index >= numGlyphs_) index = 0;
    return glyph_.copy(index * imageWidth, 0, imageWidth, glyph_.height());
}

// The caption cut to `maxWidth` unless it wraps, its drawing flags and the size it takes.
void TLbSpeedButton::FitCaption(Content& c, const QFontMetrics& fm, int maxWidth) const {
    c.caption = caption_;
    if (!wordWrap_) {
        while (!c.caption.isEmpty() && fm.horizontalAdvance(StripMnemonic(c.caption)) > maxWidth)
            c.caption.chop(1);
    }
    const int align = alignment_ == TAlignment::taLeftJustify    ? Qt::AlignLeft
                      : alignment_ == TAlignment::taRightJustify ? Qt::AlignRight
                                                                 : Qt::AlignHCenter;
    c.textFlags = Qt::TextShowMnemonic | align | (wordWrap_ ? Qt::TextWordWrap : 0);
    c.textSize =
        c.caption.isEmpty()
            ? QSize()
            : fm.boundingRect(QRect(0, 0, maxWidth, height()), c.textFlags, c.caption).size();
}

// The glyph and the caption as one block, placed by the alignment across and centred down, the
// glyph beside or above the caption as the layout says; a pressed button shows them one pixel
// lower and to the right (the Encarta style instead makes its caption bold).
TLbSpeedButton::Content TLbSpeedButton::PlaceContent(const QFontMetrics& fm, QPixmap image,
                                                     bool down) const {
    const int w = width();
    const int h = height();
    Content c;
    c.image = std::move(image);
    const bool sideGlyph = layout_ == TLbSpeedButtonLayout::blGlyphLeft ||
                           layout_ == TLbSpeedButtonLayout::blGlyphRight;
    const int gap = 4;
    const int maxTextWidth =
        std::max(0, w - 8 - (!c.image.isNull() && sideGlyph ? c.image.width() + gap : 0));
    FitCaption(c, fm, maxTextWidth);
    const QSize glyphSize = c.image.isNull() ? QSize() : c.image.size();
    const QSize textSize = c.textSize;
    const bool both = !c.image.isNull() && !c.caption.isEmpty();
    const int blockWidth = sideGlyph ? glyphSize.width() + textSize.width() + (both ? gap : 0)
                                     : std::max(glyphSize.width(), textSize.width());
    const int blockHeight = sideGlyph ? std::max(glyphSize.height(), textSize.height())
                                      : glyphSize.height() + textSize.height() + (both ? gap : 0);
    const int shift = down && style_ != TLbSpeedButtonStyle::bsEncarta ? 1 : 0;
    int bx = (w - blockWidth) / 2;
    if (alignment_ == TAlignment::taLeftJustify) bx = 4;
    if (alignment_ == TAlignment::taRightJustify) bx = w - 4 - blockWidth;
    bx += shift;

    switch (layout_) {
    case TLbSpeedButtonLayout::blGlyphLeft:
        c.glyphAt = {bx, (h - glyphSize.height()) / 2};
        c.textAt = {bx + glyphSize.width() + (both ? gap : 0), (h - textSize.height()) / 2};
        break;
    case TLbSpeedButtonLayout::blGlyphRight:
        c.textAt = {bx, (h - textSize.height()) / 2};
        c.glyphAt = {bx + textSize.width() + (both ? gap : 0), (h - glyphSize.height()) / 2};
        break;
    case TLbSpeedButtonLayout::blGlyphTop: {
        const int top = (h - blockHeight) / 2;
        c.glyphAt = {bx + (blockWidth - glyphSize.width()) / 2, top};
        c.textAt = {bx + (blockWidth - textSize.width()) / 2,
                    top + glyphSize.height() + (both ? gap : 0)};
        break;
    }
    case TLbSpeedButtonLayout::blGlyphBottom: {
        const int top = (h - blockHeight) / 2;
        c.textAt = {bx + (blockWidth - textSize.width()) / 2, top};
        c.glyphAt = {bx + (blockWidth - glyphSize.width()) / 2,
                     top + textSize.height() + (both ? gap : 0)};
        break;
    }
    }
    c.glyphAt.ry() += shift;
    c.textAt.ry() += shift;
    return c;
}

void TLbSpeedButton::PaintContent(QPainter& p, const Content& c) const {
    if (!c.image.isNull()) p.drawPixmap(c.glyphAt, c.image);
    if (!c.caption.isEmpty()) {
        p.setPen(CaptionColor());
        p.drawText(QRect(c.textAt, c.textSize), c.textFlags, c.caption);
    }
}

// A small black triangle pointing down at the right: the button opens a menu.
void TLbSpeedButton::PaintMenuArrow(QPainter& p) const {
    const int ax = width() - 11;
    const int ay = height() / 2 - 1;
    p.setPen(Qt::black);
    for (int row = 0; row < 3; ++row) p.drawLine(ax + row, ay + row, ax + 4 - row, ay + row);
}

void UseFormButtonLook(TLbSpeedButton& button, int pointSize, const QColor& hotFontColor) {
    button.SetColorStyle(TLbColorStyle::lcsUltraFlatXP);
    button.SetAlignment(TAlignment::taCenter);
    button.setCursor(Qt::PointingHandCursor);
    button.setFont(PGothicFont(pointSize));
    QFont hot = PGothicFont(pointSize);
    hot.setBold(true);
    button.SetHotTrackFont(hot);
    button.SetHotTrackFontColor(hotFontColor);
    button.SetUseHotTrackFont(true);
    button.SetSlowDecease(true);
}

} // namespace controls
