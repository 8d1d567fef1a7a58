#pragma once
// The numeric edit: a self-drawn box for one decimal number that types like a pocket
// calculator (characters append at the right end, Backspace takes the last one back, the text
// is wholly selected or not). The text rules live in numeditrules.h.

#include "controls/alignment.h"
#include "controls/numeditrules.h"

#include "keiba/platform.h"

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

#include <string>
#include <string_view>

class QMenu;

namespace controls {

enum class TVertAlignment { taTopJustify, taBottomJustify, taVCenter };
enum class TBorderStyle { bsNone, bsSingle };

struct TSaNumEditOptions {
    bool eoMinusOnly = false;     // a lone "-" stays when the focus leaves
    bool eoArrowUp = true;        // Up moves the focus back (with ArrowFocusMove)
    bool eoArrowDown = true;      // Down moves the focus on (with ArrowFocusMove)
    bool eoAutoWidthSize = false; // size the width to the longest possible text
    bool eoORInputStop = false;   // refuse a character after which the number would not fit
};

class TSaNumEdit : public QWidget {
    Q_OBJECT
public:
    explicit TSaNumEdit(QWidget* parent = nullptr);

    // The stored plain text (ASCII). Setting it filters the value and fires no OnChange.
    const std::string& Text() const { return model_.Text(); }
    void SetText(std::string_view sjis);
    // The text as shown: thousands commas and the marks.
    std::string DisplayText() const;
    bool Selected() const { return model_.Selected(); }

    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    TVertAlignment VertAlignment() const { return vertAlignment_; }
    void SetVertAlignment(TVertAlignment value);
    int IntegerLength() const { return model_.Rules().integerLength; }
    void SetIntegerLength(int value);
    int DecimalLength() const { return model_.Rules().decimalLength; }
    void SetDecimalLength(int value);
    bool Minus() const { return model_.Rules().minus; }
    void SetMinus(bool value);
    bool Comma() const { return model_.Rules().comma; }
    void SetComma(bool value);
    bool IntegerFixed() const { return model_.Rules().integerFixed; }
    void SetIntegerFixed(bool value);
    bool DecimalFixed() const { return model_.Rules().decimalFixed; }
    void SetDecimalFixed(bool value);
    // Marks are CP932 like every text of the forms.
    const std::string& LeftMark() const { return leftMark_; }
    void SetLeftMark(std::string_view sjis);
    const std::string& RightMark() const { return rightMark_; }
    void SetRightMark(std::string_view sjis);
    int LeftMargin() const { return margins_[0]; }
    void SetLeftMargin(int value) { SetMargin(0, value); }
    int TopMargin() const { return margins_[1]; }
    void SetTopMargin(int value) { SetMargin(1, value); }
    int RightMargin() const { return margins_[2]; }
    void SetRightMargin(int value) { SetMargin(2, value); }
    int BottomMargin() const { return margins_[3]; }
    void SetBottomMargin(int value) { SetMargin(3, value); }
    bool ErrorBeep() const { return errorBeep_; }
    void SetErrorBeep(bool value) { errorBeep_ = value; }
    // Where the beep of a refused key goes; without a notifier, to the desktop's bell.
    void SetNotifier(keiba::Notifier* notifier) { notifier_ = notifier; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool value) { autoSelect_ = value; }
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool value) { hideSelection_ = value; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle value);
    bool ImageCopy() const { return imageCopy_; }
    void SetImageCopy(bool value) { imageCopy_ = value; }
    bool EnterFocusMove() const { return enterFocusMove_; }
    void SetEnterFocusMove(bool value) { enterFocusMove_ = value; }
    bool ArrowFocusMove() const { return arrowFocusMove_; }
    void SetArrowFocusMove(bool value) { arrowFocusMove_ = value; }
    const TSaNumEditOptions& Options() const { return options_; }
    void SetOptions(const TSaNumEditOptions& value);
    QColor DisabledColor() const { return disabledColor_; }
    void SetDisabledColor(const QColor& value);
    QColor Color() const { return color_; }
    void SetColor(const QColor& value);
    QColor FontColor() const;
    void SetFontColor(const QColor& value);
    bool TabStop() const { return focusPolicy() == Qt::StrongFocus; }
    void SetTabStop(bool value);

    // The control's own menu; the items' data are their tags 0..7.
    QMenu* PopupMenu() const { return popupMenu_; }
    // Enables the items for the current state (run before the menu shows).
    void PopupMenuPopup();

    QSize sizeHint() const override;

Q_SIGNALS:
    // After each edit made by the user; never for SetText.
    void OnChange();

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    struct Layout {
        QRect leftMark, numberBox, numberText, rightMark;
        int caretX = 0;
    };

    void SetRules(const NumEditRules& rules);
    void SetMargin(int index, int value);
    void Relayout();
    void AdjustHeight();
    int BorderWidth() const;
    int LineHeight() const;
    int TextWidth(const QString& s) const;
    int TextWidth(std::string_view sjis) const;
    int AvailableWidth() const;
    bool FitsWidth(const std::string& candidate) const;
    Layout ComputeLayout() const;

    void TypeChar(QChar c);
    void Apply(EditResult result);
    void Beep();
    void SelectAll();
    void DropSelection();
    void Copy();
    void Cut();
    void Paste();
    void PopupItemClick(int tag);

    NumEditModel model_;
    TAlignment alignment_ = TAlignment::taRightJustify;
    TVertAlignment vertAlignment_ = TVertAlignment::taVCenter;
    std::string leftMark_, rightMark_;
    int margins_[4] = {2, 2, 2, 2}; // left, top, right, bottom
    bool errorBeep_ = true;
    keiba::Notifier* notifier_ = nullptr;
    bool readOnly_ = false;
    bool autoSelect_ = true;
    bool hideSelection_ = true;
    bool autoSize_ = true;
    TBorderStyle borderStyle_ = TBorderStyle::bsSingle;
    bool imageCopy_ = false;
    bool enterFocusMove_ = false;
    bool arrowFocusMove_ = false;
    TSaNumEditOptions options_;
    QColor disabledColor_;
    QColor color_;
    QMenu* popupMenu_ = nullptr;
};

// The numeric edit of the forms: read and written as a number.
class TSaNumEditExC : public TSaNumEdit {
    Q_OBJECT
public:
    using TSaNumEdit::TSaNumEdit;

    int GetTextAsInteger() const { return TextAsInteger(Text()); }
    void SetTextAsInteger(int value);
    double GetTextAsFloat() const { return TextAsFloat(Text()); }
    void SetTextAsFloat(double value);
};

// The look the forms give their numeric edits: a bold ＭＳ Ｐゴシック `pixelSize` pixels high, in
// `textColor` on `background`.
void UseNumEditLook(TSaNumEdit& edit, int pixelSize, const QColor& background,
                    const QColor& textColor = QColor(0, 0, 0));

} // namespace controls
