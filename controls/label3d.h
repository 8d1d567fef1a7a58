#pragma once
// The label of the forms: embossed, engraved or shadowed text, an optional flat or 3-D frame,
// text turned by any angle, ellipsis modes, and an optional web or mail link opened through
// the shell layer.

#include "controls/alignment.h"

#include "keiba/platform.h"

#include <QColor>
#include <QString>
#include <QWidget>

namespace controls {

enum class TTextStyle { tsNone, tsRaised, tsLightRaised, tsRecessed, tsHeavyRecessed, tsShadow };
enum class TBorderType { btDefault, btRecessed, btRaised };
enum class TEllipsesStyle { esNone, esEnd, esPath };
enum class TLabelStyle { lsDefault, lsWWWAddress, lsEMailAddress };
enum class TextLayout { tlTop, tlCenter, tlBottom };

class TLabel3Dj : public QWidget {
    Q_OBJECT
public:
    explicit TLabel3Dj(QWidget* parent = nullptr);

    QString Caption() const { return caption_; }
    void SetCaption(const QString& value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TextLayout Layout() const { return layout_; }
    void SetLayout(TextLayout value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    QColor Color() const { return color_; }
    void SetColor(const QColor& value);
    QColor FontColor() const;
    void SetFontColor(const QColor& value);

    // Degrees counter-clockwise, kept in 0..360.
    int Escapement() const { return escapement_; }
    void SetEscapement(int value);
    TTextStyle TextStyle() const { return textStyle_; }
    void SetTextStyle(TTextStyle value);
    int Shift() const { return shift_; }
    void SetShift(int value);
    bool Border() const { return border_; }
    void SetBorder(bool value);
    TBorderType BorderType() const { return borderType_; }
    void SetBorderType(TBorderType value);
    QColor BorderColor() const { return borderColor_; }
    void SetBorderColor(const QColor& value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    Qt::PenStyle BorderPenStyle() const { return borderPenStyle_; }
    void SetBorderPenStyle(Qt::PenStyle value);
    TEllipsesStyle EllipsesStyle() const { return ellipsesStyle_; }
    void SetEllipsesStyle(TEllipsesStyle value);
    TLabelStyle LabelStyle() const { return labelStyle_; }
    void SetLabelStyle(TLabelStyle value) { labelStyle_ = value; }
    // What opens the address of a link label; without a shell, the desktop's handler.
    void SetShell(keiba::Shell* shell) { shell_ = shell; }
    QString Address() const { return address_; }
    void SetAddress(const QString& value) { address_ = value; }

    // Opens the link (for a link label with an address), then fires OnClick.
    void Click();

    QSize sizeHint() const override;

Q_SIGNALS:
    void OnClick();
    void OnDblClick();
    void OnMouseEnter();
    void OnMouseExit();

protected:
    void paintEvent(QPaintEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    bool IsLink() const { return labelStyle_ != TLabelStyle::lsDefault; }
    void AdjustBounds();
    int TextFlags() const;
    QString ShownText(int width) const;
    void PaintText(QPainter& p, QPoint offset, const QColor& color);

    QString caption_;
    TAlignment alignment_ = TAlignment::taLeftJustify;
    TextLayout layout_ = TextLayout::tlTop;
    bool autoSize_ = true;
    bool wordWrap_ = false;
    bool showAccelChar_ = true;
    bool transparent_ = false;
    QColor color_;
    int escapement_ = 0;
    TTextStyle textStyle_ = TTextStyle::tsRaised;
    int shift_ = 1;
    bool border_ = false;
    TBorderType borderType_ = TBorderType::btDefault;
    QColor borderColor_{255, 0, 0};
    int borderWidth_ = 1;
    Qt::PenStyle borderPenStyle_ = Qt::SolidLine;
    TEllipsesStyle ellipsesStyle_ = TEllipsesStyle::esNone;
    TLabelStyle labelStyle_ = TLabelStyle::lsDefault;
    keiba::Shell* shell_ = nullptr;
    QString address_;
    QColor savedFontColor_;
};

} // namespace controls
