#pragma once
// A self-drawn push button with colour presets, six face styles, a hot-track colour and font
// while the mouse is over it, an optional glyph strip and radio-group behaviour. With
// SlowDecease the hot-track colour fades back over eight 30 ms steps after the mouse leaves.

#include "controls/alignment.h"
#include "controls/lbbuttons.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QWidget>

class QFontMetrics;
class QMenu;
class QPainter;
class QTimer;

namespace controls {

enum class TLbSpeedButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TLbSpeedButton : public QWidget {
    Q_OBJECT
public:
    explicit TLbSpeedButton(QWidget* parent = nullptr);
    ~TLbSpeedButton() override;

    // Colours: an invalid QColor stands for "none" (no hot-track colour, no down colour).
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool value) { allowAllUp_ = value; }
    QString Caption() const { return caption_; }
    void SetCaption(const QString& value);
    QColor Color() const { return color_; }
    void SetColor(const QColor& value);
    QColor ColorWhenDown() const { return colorWhenDown_; }
    void SetColorWhenDown(const QColor& value);
    // A preset is applied at once and not kept: the property always reads lcsCustom.
    TLbColorStyle ColorStyle() const { return TLbColorStyle::lcsCustom; }
    void SetColorStyle(TLbColorStyle value);
    bool Down() const { return down_; }
    void SetDown(bool value);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    QPixmap Glyph() const { return glyph_; }
    void SetGlyph(const QPixmap& value);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int value) { groupIndex_ = value; }
    QColor HotTrackColor() const { return hotTrackColor_; }
    void SetHotTrackColor(const QColor& value);
    QFont HotTrackFont() const { return hotTrackFont_; }
    void SetHotTrackFont(const QFont& value) { hotTrackFont_ = value; }
    // The hot-track font's colour; invalid keeps the normal text colour.
    QColor HotTrackFontColor() const { return hotTrackFontColor_; }
    void SetHotTrackFontColor(const QColor& value) { hotTrackFontColor_ = value; }
    TLbSpeedButtonLayout Layout() const { return layout_; }
    void SetLayout(TLbSpeedButtonLayout value);
    QColor LightColor() const { return lightColor_; }
    void SetLightColor(const QColor& value);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int value);
    QColor ShadowColor() const { return shadowColor_; }
    void SetShadowColor(const QColor& value);
    bool SlowDecease() const { return slowDecease_; }
    void SetSlowDecease(bool value);
    TLbSpeedButtonStyle Style() const { return style_; }
    void SetStyle(TLbSpeedButtonStyle value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool UseHotTrackFont() const { return useHotTrackFont_; }
    void SetUseHotTrackFont(bool value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    QColor FontColor() const;
    void SetFontColor(const QColor& value);
    QMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(QMenu* menu);

    // At most one button of the program is hot at a time.
    bool Hot() const { return hot_; }
    // 8 = full hot-track colour, 0 = normal colour.
    int FadeLevel() const { return fadeLevel_; }
    bool Fading() const;
    // The face colour the next paint uses.
    QColor FaceColor() const;

    // Pops the menu (when there is one) at the bottom-left corner, then fires OnClick.
    void Click();

    QSize sizeHint() const override { return {100, 23}; }

Q_SIGNALS:
    void OnClick();
    void OnMouseEnter();
    void OnMouseExit();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    struct Content;
    // The steps of a paint, in order.
    void PaintBackground(QPainter& p, const QColor& face, bool down) const;
    void PaintFrame(QPainter& p, const QColor& face, bool down) const;
    QFont CaptionFont(bool down) const;
    QColor CaptionColor() const;
    QPixmap GlyphImage(bool down) const;
    void FitCaption(Content& c, const QFontMetrics& fm, int maxWidth) const;
    Content PlaceContent(const QFontMetrics& fm, QPixmap image, bool down) const;
    void PaintContent(QPainter& p, const Content& c) const;
    void PaintMenuArrow(QPainter& p) const;

    void FadeStep();
    void BecomeHot();
    // Ends the hot look: with `fade` as a leave does, otherwise at once; with `clearHint` the
    // hint the button put in the status bar goes too.
    void EndHot(bool fade, bool clearHint);
    bool ShowingOnParent() const;
    void UpdateShortcut();

    TAlignment alignment_ = TAlignment::taLeftJustify;
    bool allowAllUp_ = false;
    QString caption_;
    QColor color_;
    QColor colorWhenDown_;
    bool down_ = false;
    bool flat_ = false;
    QPixmap glyph_;
    int groupIndex_ = 0;
    QColor hotTrackColor_;
    QFont hotTrackFont_;
    QColor hotTrackFontColor_;
    TLbSpeedButtonLayout layout_ = TLbSpeedButtonLayout::blGlyphLeft;
    QColor lightColor_{255, 255, 255};
    int numGlyphs_ = 0;
    QColor shadowColor_{0, 0, 0};
    bool slowDecease_ = false;
    TLbSpeedButtonStyle style_ = TLbSpeedButtonStyle::bsNormal;
    bool transparent_ = false;
    bool useHotTrackFont_ = false;
    bool wordWrap_ = false;
    QMenu* popupMenu_ = nullptr;

    bool hot_ = false;
    int fadeLevel_ = 0;
    QTimer* fadeTimer_ = nullptr; // a child: it dies with the button, so no step outlives it
    int shortcutId_ = 0;
};

// The look the forms give their speed buttons: the caption centred in ＭＳ Ｐゴシック, the
// pointing hand, the flat XP colours with their hot-track colour fading out after the mouse
// leaves, and a bold hot-track font in `hotFontColor` (red on most buttons).
void UseFormButtonLook(TLbSpeedButton& button, int pointSize = 9,
                       const QColor& hotFontColor = QColor(255, 0, 0));

} // namespace controls
