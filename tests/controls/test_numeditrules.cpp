#include "controls/numeditrules.h"

#include "keiba/sjis.h"

#include <gtest/gtest.h>

using namespace controls;
using keiba::Sj;

namespace {

NumEditRules Rules(int integerLength, int decimalLength, bool minus) {
    NumEditRules r;
    r.integerLength = integerLength;
    r.decimalLength = decimalLength;
    r.minus = minus;
    return r;
}

} // namespace

TEST(NumEditRules, FilterKeepsTheNumberAtTheFront) {
    struct Case {
        std::string input;
        NumEditRules rules;
        const char* expected;
    } cases[] = {
        {Sj("１，２３４"), Rules(9, 3, true), "1234"},
        {Sj("－５．２"), Rules(9, 3, true), "-5.2"},
        {"12a34", Rules(9, 3, true), "12"},
        {"1,234,567", Rules(9, 3, true), "1234567"},
        {Sj("１２あ３"), Rules(9, 3, true), "12"},
        {"12\x82", Rules(9, 3, true), "12"}, // a lead byte with nothing after it
        {"12.345", Rules(3, 1, false), "12.3"},
        {"12.5", Rules(3, 0, false), "12"},
        {"1.2.3", Rules(3, 2, false), "1.2"},
        {"1000", Rules(3, 0, false), ""},
        {"-1000", Rules(3, 0, true), ""},
        {"-5", Rules(3, 0, false), ""},
        {"5-3", Rules(3, 0, true), "5"},
        {"1E-05", Rules(9, 3, true), "1"},
        {"", Rules(9, 3, true), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(FilterText(c.input, c.rules), c.expected) << c.input;
}

TEST(NumEditRules, LeadingZerosGoButOneBeforeThePoint) {
    const char* cases[][2] = {
        {"007", "7"}, {"000", "0"}, {"-0.5", "-0.5"}, {".", "0."},    {"-.5", "-0.5"},
        {"-", "-"},   {"", ""},     {"100", "100"},   {"-007", "-7"}, {"0012.50", "12.50"}};
    for (const auto& c : cases) EXPECT_EQ(TrimLeadingZeros(c[0]), c[1]) << c[0];
}

TEST(NumEditRules, DisplayGroupsAndPadsWithoutTouchingTheStoredText) {
    NumEditRules plain;
    EXPECT_EQ(FormatNumber("1234567", plain), "1,234,567");
    EXPECT_EQ(FormatNumber("-1234.5", plain), "-1,234.5");
    EXPECT_EQ(FormatNumber("123", plain), "123");
    EXPECT_EQ(FormatDisplay("", plain, "\\", "yen"), "");
    EXPECT_EQ(FormatDisplay("5", plain, "\\", "yen"), "\\5yen");

    NumEditRules fixed = Rules(4, 2, true);
    fixed.decimalFixed = true;
    EXPECT_EQ(FormatNumber("12", fixed), "12.00");
    EXPECT_EQ(FormatNumber("", fixed), "0.00");
    EXPECT_EQ(DisplayNumberText("12", fixed), "12"); // the caret stays after the typed text
    fixed.integerFixed = true;
    EXPECT_EQ(NumberBoxText("5", fixed), "-0,000.00");
    EXPECT_EQ(MaxLengthText(Rules(7, 1, true)), "-0,000,000.0");
}

TEST(NumEditRules, NumericAccessorsNeverFail) {
    EXPECT_EQ(TextAsInteger("1234567"), 1234567);
    EXPECT_EQ(TextAsInteger("-99"), -99);
    for (const char* zero : {"", "-", "1.5", "12.", "99999999999"}) {
        EXPECT_EQ(TextAsInteger(zero), 0) << zero;
    }
    EXPECT_DOUBLE_EQ(TextAsFloat("12."), 12.0);
    EXPECT_DOUBLE_EQ(TextAsFloat("-12.5"), -12.5);
    EXPECT_DOUBLE_EQ(TextAsFloat(""), 0.0);
    EXPECT_DOUBLE_EQ(TextAsFloat("-"), 0.0);
    EXPECT_EQ(FloatToText(2.55), "2.55");
    EXPECT_EQ(FloatToText(-0.0), "0");
    EXPECT_EQ(FloatToText(1234567), "1234567");
}

namespace {

// Feeds keys to a model: digits, '.', '-', 'B' backspace, 'S' select all, 'U' undo.
struct Typed {
    std::string text;
    int refused = 0;
    int changes = 0;
};

Typed Type(NumEditModel& m, std::string_view keys, const NumEditModel::FitsFn& fits = {}) {
    Typed t;
    for (char k : keys) {
        EditResult r = EditResult::Unchanged;
        switch (k) {
        case '.': r = m.InputPoint(fits); break;
        case '-': r = m.InputMinus(fits); break;
        case 'B': r = m.DeleteLastChar(); break;
        case 'S': m.SelectAll(); break;
        case 'U': r = m.Undo(); break;
        default: r = m.InputDigit(k, fits); break;
        }
        if (r == EditResult::Refused) ++t.refused;
        if (r == EditResult::Changed) ++t.changes;
    }
    t.text = m.Text();
    return t;
}

} // namespace

TEST(NumEditModel, TypesLikeAPocketCalculator) {
    struct Case {
        NumEditRules rules;
        const char* keys;
        const char* text;
        int refused;
        int changes;
    } cases[] = {
        {Rules(3, 0, false), "1234", "123", 1, 3},
        {Rules(3, 1, false), "1.55", "1.5", 1, 3},
        {Rules(3, 1, false), ".", "0.", 0, 1},
        {Rules(3, 1, false), "1.5B", "1", 0, 4},
        {Rules(3, 1, false), "1.5..", "1.5", 2, 3},
        {Rules(3, 0, false), "1.", "1", 1, 1},
        {Rules(3, 0, false), "12-", "12", 1, 2},
        {Rules(3, 0, true), "12-", "-12", 0, 3},
        {Rules(3, 0, true), "12--", "12", 0, 4},
        {Rules(3, 1, true), "-.", "-0.", 0, 2},
        {Rules(3, 0, false), "07", "7", 0, 2},
        {Rules(3, 0, false), "00", "0", 0, 2},
        {Rules(3, 0, false), "B", "", 0, 0},
        // Typing over a selection replaces it with one change event.
        {Rules(3, 0, false), "123S5", "5", 0, 4},
        // Backspace on a selection empties it silently; Undo brings it back.
        {Rules(3, 0, false), "123SB", "", 0, 3},
        {Rules(3, 0, false), "123SBU", "123", 0, 4},
        {Rules(3, 0, false), "123S5U", "123", 0, 5},
        {Rules(3, 0, false), "12UU", "12", 0, 4},
    };
    for (const Case& c : cases) {
        NumEditModel m;
        m.SetRules(c.rules);
        const Typed t = Type(m, c.keys);
        EXPECT_EQ(t.text, c.text) << c.keys;
        EXPECT_EQ(t.refused, c.refused) << c.keys;
        EXPECT_EQ(t.changes, c.changes) << c.keys;
    }
}

TEST(NumEditModel, PasteFiltersAppendsOrReplaces) {
    NumEditModel m;
    m.SetRules(Rules(8, 0, false));
    EXPECT_EQ(m.Paste(Sj("１，２３４")), EditResult::Changed);
    EXPECT_EQ(m.Text(), "1234");
    m.Paste("56");
    EXPECT_EQ(m.Text(), "123456");
    m.SelectAll();
    m.Paste("12a34");
    EXPECT_EQ(m.Text(), "12");
    EXPECT_FALSE(m.Selected());
    m.Paste("0000000"); // nine digits do not fit eight: the text is dropped, never cut
    EXPECT_EQ(m.Text(), "");
    m.Undo();
    EXPECT_EQ(m.Text(), "12");
}

TEST(NumEditModel, LoneMinusGoesWithTheFocusUnlessKept) {
    NumEditModel m;
    m.InputMinus();
    m.LeaveFocus(true);
    EXPECT_EQ(m.Text(), "-");
    m.LeaveFocus(false);
    EXPECT_EQ(m.Text(), "");
}

// Each full-width digit, the full-width minus and full stop stand for their ASCII characters and
// the full-width comma is dropped; each is two bytes, so a neighbour is never taken for half of it.
TEST(NumEditRules, EveryFullWidthNumberCharacterIsItsAsciiOne) {
    const char* fullWidth[] = {"０", "１", "２", "３", "４", "５", "６", "７", "８", "９"};
    for (int d = 0; d <= 9; ++d) {
        const std::string digit(1, static_cast<char>('0' + d));
        EXPECT_EQ(FilterText(Sj(fullWidth[d]), Rules(9, 3, true)), digit) << d;
        EXPECT_EQ(FilterText("1" + Sj(fullWidth[d]) + "2", Rules(9, 3, true)), "1" + digit + "2")
            << d;
    }
    EXPECT_EQ(FilterText(Sj("－９８７，６５４．３２１０"), Rules(9, 4, true)), "-987654.3210");
    EXPECT_EQ(FilterText(Sj("０１２３４５６７８９"), Rules(10, 0, false)), "0123456789");
    EXPECT_EQ(FilterText(Sj("０１２３４５６７８９"), Rules(9, 0, false)), "");
    // The full-width characters around the digits end the number.
    for (const char* stop : {"／", "：", "＋", "Ａ", "　"})
        EXPECT_EQ(FilterText(Sj(std::string("１") + stop + "２"), Rules(9, 3, true)), "1") << stop;
}
