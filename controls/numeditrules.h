#pragma once
// The text rules of the numeric edit, free of widgets.
//
// The stored text is plain: an optional "-", digits, at most one "." and its decimals, never
// a comma. Inputs that come from outside (clipboard, SetText) are CP932 bytes, so full-width
// digits and signs can be taken over; everything stored is ASCII.

#include <functional>
#include <string>
#include <string_view>

namespace controls {

struct NumEditRules {
    int integerLength = 9; // most digits before the point, the sign not counted
    int decimalLength = 3; // most digits after the point; 0 forbids the point
    bool minus = true;
    bool comma = true;
    bool integerFixed = false;
    bool decimalFixed = false;
};

// The longest acceptable number at the front of `sjis`, or "" when its integer part is too
// long (a number that does not fit is dropped, never truncated).
std::string FilterText(std::string_view sjis, const NumEditRules& rules);

// "007" -> "7", "000" -> "0", "." -> "0.", "-.5" -> "-0.5"; "" and "-" stay.
std::string TrimLeadingZeros(std::string_view text);

struct NumberParts {
    std::string sign;     // "-" or ""
    std::string integer;  // digits before the point
    std::string point;    // "." or ""
    std::string decimals; // digits after the point
};
NumberParts SplitNumber(std::string_view text);
std::string JoinNumber(const NumberParts& parts);

// "1234567" -> "1,234,567".
std::string GroupThousands(std::string_view digits);

// The number as displayed, without marks.
std::string FormatNumber(std::string_view text, const NumEditRules& rules);
// Marks around the number; nothing at all when the number shows nothing.
std::string FormatDisplay(std::string_view text, const NumEditRules& rules,
                          std::string_view leftMark, std::string_view rightMark);
// The widest text the number can take in its box (fixed parts at full length).
std::string NumberBoxText(std::string_view text, const NumEditRules& rules);
// The number as typed so far: like FormatNumber but without the zeros DecimalFixed pads, so
// the caret stands after the last typed character.
std::string DisplayNumberText(std::string_view text, const NumEditRules& rules);
// The longest text the rules allow, for sizing a box to it.
std::string MaxLengthText(const NumEditRules& rules);

// The numeric accessors over a stored text. An integer is 0 when the text is empty, "-",
// holds a point or does not fit 32 bits. A float is 0 for "" and "-" (nothing to convert is
// not an error at a form's edge); "12." reads as 12.
int TextAsInteger(std::string_view text);
double TextAsFloat(std::string_view text);
// A value as the edit's source text: up to 15 significant digits, no grouping, an exponent
// only for very large or small values.
std::string FloatToText(double value);

// What an edit did, so the widget knows whether to beep and whether to report a change.
enum class EditResult {
    Refused,         // beep (when beeping is on); the text may still have lost its selection
    Unchanged,       // nothing to do
    ChangedSilently, // repaint, no change event
    Changed,         // repaint and fire the change event
};

// The calculator-style input of the numeric edit: characters are only appended at the end,
// Backspace removes the last one, and the text is either wholly selected or not at all.
class NumEditModel {
public:
    // Tells whether a candidate text still fits the visible width (the input-stop option).
    using FitsFn = std::function<bool(const std::string& candidate)>;

    const NumEditRules& Rules() const { return rules_; }
    // Re-filters the stored text when a length or the sign rule changes.
    void SetRules(const NumEditRules& rules);

    const std::string& Text() const { return text_; }
    // Stores a filtered text; not a user edit, so no undo and no change event.
    void SetText(std::string_view sjis);
    // The window-text path: the text is only touched when it differs.
    bool SetTextIfDifferent(std::string_view sjis);

    bool Selected() const { return selected_; }
    void SelectAll() { selected_ = !text_.empty(); }
    void DropSelection() { selected_ = false; }
    bool UndoAvailable() const { return undoAvailable_; }

    EditResult InputDigit(char digit, const FitsFn& fits = {});
    EditResult InputPoint(const FitsFn& fits = {});
    EditResult InputMinus(const FitsFn& fits = {});
    EditResult DeleteLastChar();
    // A selection deleted: empties the text without a change event.
    EditResult Clear();
    // The clipboard text (CP932) replaces a selection or is appended.
    EditResult Paste(std::string_view clipboardSjis);
    // Swaps the text with the undo text, so a second Undo redoes.
    EditResult Undo();
    // A lone "-" left behind when the focus goes.
    void LeaveFocus(bool keepLoneMinus);

private:
    void SaveUndo();
    bool ClearSelectionFirst();
    EditResult Accept(std::string candidate, bool undoSaved);

    NumEditRules rules_;
    std::string text_;
    std::string undoText_;
    bool undoAvailable_ = false;
    bool selected_ = false;
};

} // namespace controls
