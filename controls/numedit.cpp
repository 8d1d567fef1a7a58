#include "controls/numedit.h"

#include "controls/fonts.h"
#include "controls/halfwidthinput.h"
#include "controls/qtext.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <qdrawutil.h>

namespace controls {
namespace {

enum PopupTag { kUndo = 0, kCut = 2, kCopy = 3, kPaste = 4, kDelete = 5, kSelectAll = 7 };

} // namespace

TSaNumEdit::TSaNumEdit(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_InputMethodEnabled, true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::IBeamCursor);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    color_ = palette().color(QPalette::Base);
    disabledColor_ = palette().color(QPalette::Disabled, QPalette::Text);

    popupMenu_ = new QMenu(this);
    const char* const items[] = {"元に戻す(&U)", "-", "切り取り(&T)",  "コピー(&C)", "貼り付け(&P)",
                                 "削除(&D)",     "-", "すべて選択(&A)"};
    for (int tag = 0; tag < 8; ++tag) {
        QAction* action = nullptr;
        if (QLatin1StringView(items[tag]) == QLatin1StringView("-")) {
            action = popupMenu_->addSeparator();
        } else {
            action = popupMenu_->addAction(QString::fromUtf8(items[tag]));
            connect(action, &QAction::triggered, this, [this, tag] { PopupItemClick(tag); });
        }
        action->setData(tag);
    }

    resize(121, 20);
    Relayout();
}

void TSaNumEdit::SetText(std::string_view sjis) {
    model_.SetText(sjis);
    update();
}

std::string TSaNumEdit::DisplayText() const {
    return FormatDisplay(model_.Text(), model_.Rules(), leftMark_, rightMark_);
}

void TSaNumEdit::SetRules(const NumEditRules& rules) {
    model_.SetRules(rules);
    update();
}

void TSaNumEdit::SetAlignment(TAlignment value) {
    if (value == alignment_) return;
    alignment_ = value;
    update();
}

void TSaNumEdit::SetVertAlignment(TVertAlignment value) {
    if (value == vertAlignment_) return;
    vertAlignment_ = value;
    update();
}

void TSaNumEdit::SetIntegerLength(int value) {
    if (value < 0 || value == IntegerLength()) return;
    NumEditRules r = model_.Rules();
    r.integerLength = value;
    SetRules(r);
}

void TSaNumEdit::SetDecimalLength(int value) {
    if (value < 0 || value == DecimalLength()) return;
    NumEditRules r = model_.Rules();
    r.decimalLength = value;
    SetRules(r);
}

void TSaNumEdit::SetMinus(bool value) {
    if (value == Minus()) return;
    NumEditRules r = model_.Rules();
    r.minus = value;
    SetRules(r);
}

void TSaNumEdit::SetComma(bool value) {
    if (value == Comma()) return;
    NumEditRules r = model_.Rules();
    r.comma = value;
    SetRules(r);
}

void TSaNumEdit::SetIntegerFixed(bool value) {
    if (value == IntegerFixed()) return;
    NumEditRules r = model_.Rules();
    r.integerFixed = value;
    SetRules(r);
}

void TSaNumEdit::SetDecimalFixed(bool value) {
    if (value == DecimalFixed()) return;
    NumEditRules r = model_.Rules();
    r.decimalFixed = value;
    SetRules(r);
}

void TSaNumEdit::SetLeftMark(std::string_view sjis) {
    if (sjis == leftMark_) return;
    leftMark_ = sjis;
    update();
}

void TSaNumEdit::SetRightMark(std::string_view sjis) {
    if (sjis == rightMark_) return;
    rightMark_ = sjis;
    update();
}

void TSaNumEdit::SetMargin(int index, int value) {
    if (value < 0 || value == margins_[index]) return;
    margins_[index] = value;
    Relayout();
}

void TSaNumEdit::SetAutoSize(bool value) {
    if (value == autoSize_) return;
    autoSize_ = value;
    setSizePolicy(QSizePolicy::Preferred, value ? QSizePolicy::Fixed : QSizePolicy::Preferred);
    Relayout();
}

void TSaNumEdit::SetBorderStyle(TBorderStyle value) {
    if (value == borderStyle_) return;
    borderStyle_ = value;
    Relayout();
}

void TSaNumEdit::SetOptions(const TSaNumEditOptions& value) {
    options_ = value;
    Relayout();
}

void TSaNumEdit::SetDisabledColor(const QColor& value) {
    if (value == disabledColor_) return;
    disabledColor_ = value;
    update();
}

void TSaNumEdit::SetColor(const QColor& value) {
    color_ = value;
    update();
}

QColor TSaNumEdit::FontColor() const {
    return palette().color(QPalette::Active, QPalette::Text);
}

void TSaNumEdit::SetFontColor(const QColor& value) {
    QPalette p = palette();
    p.setColor(QPalette::Text, value);
    setPalette(p);
}

void TSaNumEdit::SetTabStop(bool value) {
    setFocusPolicy(value ? Qt::StrongFocus : Qt::ClickFocus);
}

int TSaNumEdit::BorderWidth() const {
    return borderStyle_ == TBorderStyle::bsSingle ? 2 : 0;
}

int TSaNumEdit::LineHeight() const {
    return fontMetrics().height();
}

int TSaNumEdit::TextWidth(const QString& s) const {
    return s.isEmpty() ? 0 : fontMetrics().horizontalAdvance(s) + 1;
}

int TSaNumEdit::TextWidth(std::string_view sjis) const {
    return TextWidth(SjToQ(sjis));
}

void TSaNumEdit::Relayout() {
    const int b = BorderWidth();
    setContentsMargins(b, b, b, b);
    AdjustHeight();
    if (options_.eoAutoWidthSize && autoSize_) {
        const int w = LeftMargin() + TextWidth(MaxLengthText(model_.Rules())) +
                      TextWidth(leftMark_) + TextWidth(rightMark_) + RightMargin() + 2;
        resize(w + 2 * b, height());
    }
    update();
    updateGeometry();
}

void TSaNumEdit::AdjustHeight() {
    if (!autoSize_) return;
    const int h = LineHeight() + TopMargin() + BottomMargin() + 2 * BorderWidth();
    setFixedHeight(h);
}

QSize TSaNumEdit::sizeHint() const {
    return {121, LineHeight() + TopMargin() + BottomMargin() + 2 * BorderWidth()};
}

// The border is counted once more inside the client area, so the input stop keeps a spare
// pixel or two on each side rather than letting the number touch the frame.
int TSaNumEdit::AvailableWidth() const {
    const int edge = borderStyle_ == TBorderStyle::bsSingle ? 2 : 1;
    return contentsRect().width() - LeftMargin() - RightMargin() - 2 * edge;
}

bool TSaNumEdit::FitsWidth(const std::string& candidate) const {
    return TextWidth(FormatDisplay(candidate, model_.Rules(), leftMark_, rightMark_)) <=
           AvailableWidth();
}

TSaNumEdit::Layout TSaNumEdit::ComputeLayout() const {
    const NumEditRules& rules = model_.Rules();
    const QRect client = contentsRect();
    const int cw = client.width();
    const int ch = client.height();
    const int h = LineHeight();
    const int w = TextWidth(NumberBoxText(model_.Text(), rules));
    const bool marks = !model_.Text().empty() || rules.integerFixed || rules.decimalFixed;
    const int l = marks ? TextWidth(leftMark_) : 0;
    const int r = marks ? TextWidth(rightMark_) : 0;
    const int t = w + l + r;

    int x = LeftMargin();
    if (alignment_ == TAlignment::taRightJustify) {
        x = cw - (r + RightMargin() + 1) - (w + l);
    } else if (alignment_ == TAlignment::taCenter) {
        x = LeftMargin() + (cw - LeftMargin() - RightMargin()) / 2 - t / 2;
    }
    int y = TopMargin();
    if (vertAlignment_ == TVertAlignment::taBottomJustify) {
        y = ch - (h + BottomMargin());
    } else if (vertAlignment_ == TVertAlignment::taVCenter) {
        y = TopMargin() + (ch - h - TopMargin() - BottomMargin()) / 2;
    }
    x += client.left();
    y += client.top();

    Layout lay;
    lay.leftMark = QRect(x, y, l, h);
    lay.numberBox = QRect(x + l, y, w, h);
    const int numberWidth = TextWidth(FormatNumber(model_.Text(), rules));
    lay.numberText = QRect(x + l + w - numberWidth, y, numberWidth, h);
    lay.rightMark = QRect(x + l + w, y, r, h);
    lay.caretX = lay.numberText.left() + TextWidth(DisplayNumberText(model_.Text(), rules)) - 1;
    return lay;
}

void TSaNumEdit::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (borderStyle_ == TBorderStyle::bsSingle) {
        qDrawWinPanel(&p, rect(), palette(), true);
    }
    const QRect client = contentsRect();
    p.fillRect(client, color_);
    p.setClipRect(client);

    const Layout lay = ComputeLayout();
    QColor back = color_;
    QColor fore = FontColor();
    if (!isEnabled()) {
        fore = disabledColor_;
    } else if (model_.Selected()) {
        back = palette().color(QPalette::Active, QPalette::Highlight);
        fore = palette().color(QPalette::Active, QPalette::HighlightedText);
    }
    const QString number = SjToQ(FormatNumber(model_.Text(), model_.Rules()));
    const int left = leftMark_.empty() ? lay.numberText.left() : lay.leftMark.left();
    const int right = rightMark_.empty() ? lay.numberText.right() : lay.rightMark.right();
    if (right >= left)
        p.fillRect(
            QRect(QPoint(left, lay.numberText.top()), QPoint(right, lay.numberText.bottom())),
            back);
    p.setPen(fore);
    const int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    if (!number.isEmpty()) {
        p.drawText(lay.leftMark, flags | Qt::AlignLeft, SjToQ(leftMark_));
        p.drawText(lay.rightMark, flags | Qt::AlignLeft, SjToQ(rightMark_));
    }
    p.drawText(lay.numberBox.adjusted(0, 0, 1, 0), flags | Qt::AlignRight, number);

    if (hasFocus() && isEnabled()) {
        const int caretWidth = font().bold() ? 2 : 1;
        p.fillRect(QRect(lay.caretX, lay.numberText.top(), caretWidth, LineHeight()), FontColor());
    }
}

void TSaNumEdit::Beep() {
    if (!errorBeep_) return;
    if (notifier_)
        notifier_->Beep();
    else
        QApplication::beep();
}

void TSaNumEdit::Apply(EditResult result) {
    if (result == EditResult::Refused) Beep();
    update();
    if (result == EditResult::Changed) Q_EMIT OnChange();
}

void TSaNumEdit::SelectAll() {
    model_.SelectAll();
    update();
}

void TSaNumEdit::DropSelection() {
    model_.DropSelection();
    update();
}

void TSaNumEdit::TypeChar(QChar c) {
    // Full-width digits and signs typed through an input method count as the number keys.
    const QChar h = HalfWidth(c);
    NumEditModel::FitsFn fits;
    if (options_.eoORInputStop) fits = [this](const std::string& s) { return FitsWidth(s); };
    if (h.isDigit() && h.unicode() < 0x80) {
        Apply(model_.InputDigit(static_cast<char>(h.unicode()), fits));
    } else if (h == u'.') {
        Apply(model_.InputPoint(fits));
    } else if (h == u'-') {
        Apply(model_.InputMinus(fits));
    } else {
        Beep();
    }
}

void TSaNumEdit::Copy() {
    if (!model_.Selected()) return;
    QApplication::clipboard()->setText(SjToQ(imageCopy_ ? DisplayText() : model_.Text()));
}

// Without a selection there is nothing to cut: emptying the text then would lose it without
// putting it anywhere.
void TSaNumEdit::Cut() {
    if (!model_.Selected()) return;
    Copy();
    model_.Clear();
    Apply(EditResult::Changed);
}

void TSaNumEdit::Paste() {
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    if (mime == nullptr || !mime->hasText()) return;
    Apply(model_.Paste(QToSj(mime->text())));
}

bool TSaNumEdit::event(QEvent* e) {
    // Keep the edit's own keys away from window shortcuts.
    if (e->type() == QEvent::ShortcutOverride) {
        auto* k = static_cast<QKeyEvent*>(e);
        const auto mods = k->modifiers() & ~Qt::KeypadModifier;
        const int key = k->key();
        if ((mods == Qt::ControlModifier &&
             (key == Qt::Key_A || key == Qt::Key_C || key == Qt::Key_V || key == Qt::Key_X)) ||
            (mods == Qt::NoModifier && (key == Qt::Key_Backspace || key == Qt::Key_Delete))) {
            e->accept();
            return true;
        }
    }
    return QWidget::event(e);
}

void TSaNumEdit::keyPressEvent(QKeyEvent* e) {
    const auto mods = e->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier |
                                        Qt::MetaModifier);
    const int key = e->key();
    if (mods == Qt::ShiftModifier && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        SelectAll();
        return;
    }
    if (mods == Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_A: SelectAll(); return;
        case Qt::Key_C: Copy(); return;
        case Qt::Key_V:
            if (!readOnly_) Paste();
            return;
        case Qt::Key_X:
            if (!readOnly_) Cut();
            return;
        default: break;
        }
    }
    if (mods == Qt::NoModifier) {
        switch (key) {
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_End:
        case Qt::Key_Home:
        case Qt::Key_Left:
        case Qt::Key_Right: DropSelection(); return;
        case Qt::Key_Up:
            DropSelection();
            if (arrowFocusMove_ && options_.eoArrowUp) focusPreviousChild();
            return;
        case Qt::Key_Down:
            DropSelection();
            if (arrowFocusMove_ && options_.eoArrowDown) focusNextChild();
            return;
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
            if (!readOnly_) Apply(model_.DeleteLastChar());
            return;
        default: break;
        }
    }
    if (key == Qt::Key_Escape || key == Qt::Key_Tab || key == Qt::Key_Backtab) {
        e->ignore(); // the dialog's cancel and the focus chain
        return;
    }
    if (readOnly_) return;
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (enterFocusMove_) {
            focusNextChild();
        } else {
            Beep();
        }
        return;
    }
    if (key == Qt::Key_Backspace) return;
    const QString text = e->text();
    if (text.isEmpty()) return; // a modifier or function key: no character
    for (QChar c : text) TypeChar(c);
}

void TSaNumEdit::inputMethodEvent(QInputMethodEvent* e) {
    if (!readOnly_) {
        for (QChar c : e->commitString()) TypeChar(c);
    }
    e->accept();
}

QVariant TSaNumEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled: return true;
    case Qt::ImCursorRectangle: {
        const Layout lay = ComputeLayout();
        return QRect(lay.caretX, lay.numberText.top(), 1, LineHeight());
    }
    case Qt::ImHints: return int(Qt::ImhFormattedNumbersOnly);
    default: return QWidget::inputMethodQuery(query);
    }
}

void TSaNumEdit::focusInEvent(QFocusEvent* e) {
    // The control's own popup menu takes the focus for a moment; that is no new entry.
    if (e->reason() != Qt::PopupFocusReason && autoSelect_) model_.SelectAll();
    update();
    QWidget::focusInEvent(e);
}

void TSaNumEdit::focusOutEvent(QFocusEvent* e) {
    if (e->reason() != Qt::PopupFocusReason) {
        model_.LeaveFocus(options_.eoMinusOnly);
        if (hideSelection_) model_.DropSelection();
    }
    update();
    QWidget::focusOutEvent(e);
}

void TSaNumEdit::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) DropSelection();
    QWidget::mousePressEvent(e);
}

void TSaNumEdit::mouseMoveEvent(QMouseEvent* e) {
    if (e->buttons() & Qt::LeftButton) {
        const Layout lay = ComputeLayout();
        const int x = e->position().toPoint().x();
        if (x >= lay.numberText.left() && x <= lay.numberText.right()) SelectAll();
    }
    QWidget::mouseMoveEvent(e);
}

void TSaNumEdit::mouseDoubleClickEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) SelectAll();
}

void TSaNumEdit::contextMenuEvent(QContextMenuEvent* e) {
    if (!hasFocus()) setFocus(Qt::OtherFocusReason);
    PopupMenuPopup();
    popupMenu_->popup(e->globalPos());
}

void TSaNumEdit::PopupMenuPopup() {
    const bool selected = model_.Selected();
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    const bool clipText = mime != nullptr && mime->hasText();
    for (QAction* action : popupMenu_->actions()) {
        switch (action->data().toInt()) {
        case kUndo: action->setEnabled(model_.UndoAvailable() && !readOnly_); break;
        case kCut: action->setEnabled(selected && !readOnly_); break;
        case kCopy: action->setEnabled(selected); break;
        case kPaste: action->setEnabled(clipText && !readOnly_); break;
        case kDelete: action->setEnabled(selected && !readOnly_); break;
        case kSelectAll: action->setEnabled(!selected && !model_.Text().empty()); break;
        default: break;
        }
    }
}

void TSaNumEdit::PopupItemClick(int tag) {
    // The items are disabled for a read-only edit, but a stale menu must not edit either.
    const bool editable = !readOnly_;
    switch (tag) {
    case kUndo:
        if (editable) Apply(model_.Undo());
        break;
    case kCut:
        if (editable) Cut();
        break;
    case kCopy: Copy(); break;
    case kPaste:
        if (editable) Paste();
        break;
    case kDelete:
        if (editable && model_.Selected()) Apply(model_.Clear());
        break;
    case kSelectAll: SelectAll(); break;
    default: break;
    }
}

void TSaNumEdit::changeEvent(QEvent* e) {
    if (e->type() == QEvent::FontChange) Relayout();
    if (e->type() == QEvent::EnabledChange) update();
    QWidget::changeEvent(e);
}

void TSaNumEditExC::SetTextAsInteger(int value) {
    SetText(std::to_string(value));
}

void TSaNumEditExC::SetTextAsFloat(double value) {
    SetText(FloatToText(value));
}

void UseNumEditLook(TSaNumEdit& edit, int pixelSize, const QColor& background,
                    const QColor& textColor) {
    QFont font = PGothicFont(9);
    font.setPixelSize(pixelSize);
    font.setBold(true);
    edit.setFont(font);
    edit.SetColor(background);
    edit.SetFontColor(textColor);
}

} // namespace controls
