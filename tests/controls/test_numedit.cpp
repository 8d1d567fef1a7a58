#include "controls/numedit.h"

#include "tests/support/fakes.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace controls;

namespace {

class NumEditTest : public ::testing::Test {
protected:
    NumEditTest() { edit_.SetNotifier(&notifier_); }
    TSaNumEditExC& Edit(int integerLength, int decimalLength, bool minus) {
        edit_.SetIntegerLength(integerLength);
        edit_.SetDecimalLength(decimalLength);
        edit_.SetMinus(minus);
        edit_.show();
        return edit_;
    }
    QAction* Item(int tag) {
        for (QAction* a : edit_.PopupMenu()->actions())
            if (a->data().toInt() == tag) return a;
        return nullptr;
    }

    testsupport::RecordingNotifier notifier_;
    TSaNumEditExC edit_;
    QSignalSpy changes_{&edit_, &TSaNumEdit::OnChange};
};

} // namespace

// The text rules are the model's (NumEditModel); here the keys reach it and a refusal beeps.
TEST_F(NumEditTest, TypedKeysFollowTheRulesAndARefusalBeeps) {
    struct Case {
        int integers, decimals;
        bool minus;
        const char* keys;
        const char* text;
        int beeps, changes;
    } cases[] = {
        {3, 0, false, "1234", "123", 1, 3},
        {3, 0, true, "12--", "12", 0, 4},
        {3, 0, false, "12-x", "12", 2, 2},
    };
    for (const Case& c : cases) {
        TSaNumEditExC e;
        e.SetNotifier(&notifier_);
        e.SetIntegerLength(c.integers);
        e.SetDecimalLength(c.decimals);
        e.SetMinus(c.minus);
        e.show();
        QSignalSpy changes(&e, &TSaNumEdit::OnChange);
        notifier_.beeps = 0;
        QTest::keyClicks(&e, QString::fromLatin1(c.keys));
        EXPECT_EQ(e.Text(), c.text) << c.keys;
        EXPECT_EQ(notifier_.beeps, c.beeps) << c.keys;
        EXPECT_EQ(changes.count(), c.changes) << c.keys;
    }
    // A lone minus reads as zero (it used to raise); without the error beep nothing sounds.
    auto& e = Edit(3, 0, true);
    QTest::keyClicks(&e, QStringLiteral("-"));
    EXPECT_DOUBLE_EQ(e.GetTextAsFloat(), 0.0);
    e.SetErrorBeep(false);
    notifier_.beeps = 0;
    QTest::keyClicks(&e, QStringLiteral("x"));
    EXPECT_EQ(notifier_.beeps, 0);
}

TEST_F(NumEditTest, ShowsCommasAndReadsBackTheNumber) {
    auto& e = Edit(8, 0, false);
    QTest::keyClicks(&e, QStringLiteral("1234567"));
    EXPECT_EQ(e.DisplayText(), "1,234,567");
    EXPECT_EQ(e.GetTextAsInteger(), 1234567);
}

TEST_F(NumEditTest, PasteGoesThroughTheFilter) {
    auto& e = Edit(8, 0, false);
    QApplication::clipboard()->setText(QStringLiteral("１，２３４"));
    QTest::keyClick(&e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e.Text(), "1234");
    EXPECT_EQ(changes_.count(), 1);
}

TEST_F(NumEditTest, InputMethodDigitsArriveAsNumberKeys) {
    auto& e = Edit(8, 0, false);
    QInputMethodEvent ime;
    ime.setCommitString(QStringLiteral("１２"));
    QApplication::sendEvent(&e, &ime);
    EXPECT_EQ(e.Text(), "12");
}

TEST_F(NumEditTest, WrittenValuesAreFilteredWithoutAChangeEvent) {
    auto& e = Edit(3, 0, false);
    e.SetTextAsInteger(140);
    EXPECT_EQ(e.Text(), "140");
    e.SetTextAsInteger(1000);
    EXPECT_EQ(e.Text(), "");
    EXPECT_EQ(e.GetTextAsInteger(), 0);
    e.SetDecimalLength(1);
    e.SetTextAsFloat(2.55);
    EXPECT_EQ(e.Text(), "2.5");
    EXPECT_EQ(changes_.count(), 0);
}

TEST_F(NumEditTest, ReadOnlyRefusesEditsSilentlyButCopies) {
    auto& e = Edit(8, 0, false);
    e.SetText("1234");
    e.SetReadOnly(true);
    QApplication::clipboard()->setText(QStringLiteral("99"));
    QTest::keyClick(&e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(&e, QStringLiteral("5-."));
    QTest::keyClick(&e, Qt::Key_Backspace);
    QTest::keyClick(&e, Qt::Key_Delete);
    QTest::keyClick(&e, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&e, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(e.Text(), "1234");
    EXPECT_EQ(notifier_.beeps, 0);
    EXPECT_EQ(changes_.count(), 0);

    e.PopupMenuPopup();
    for (int tag : {0, 2, 4, 5}) EXPECT_FALSE(Item(tag)->isEnabled()) << tag;
    EXPECT_TRUE(Item(3)->isEnabled());
    QTest::keyClick(&e, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("1234"));
}

TEST_F(NumEditTest, PaintsTheNumberRightAligned) {
    auto& e = Edit(8, 0, false);
    e.resize(121, e.height());
    e.SetColor(Qt::white);
    e.SetFontColor(Qt::black);
    e.SetText("1234567");
    const QImage image = e.grab().toImage();
    int rightmostInk = -1;
    for (int x = 0; x < image.width() - 2; ++x)
        for (int y = 2; y < image.height() - 2; ++y)
            if (qGray(image.pixel(x, y)) < 128) rightmostInk = std::max(rightmostInk, x);
    // Right margin 2, border 2, one spare pixel: the ink ends a few pixels from the edge.
    EXPECT_GT(rightmostInk, image.width() - 10);
    EXPECT_LT(rightmostInk, image.width() - 4);
}

// Every full-width digit typed through the input method or pasted counts as its number key.
TEST_F(NumEditTest, EveryFullWidthDigitCountsAsItsNumberKey) {
    const QString digits = QStringLiteral("０１２３４５６７８９");
    for (int d = 0; d <= 9; ++d) {
        TSaNumEditExC e;
        e.SetIntegerLength(3);
        e.SetDecimalLength(0);
        e.SetMinus(false);
        e.show();
        QInputMethodEvent ime;
        ime.setCommitString(QStringLiteral("１") + digits[d]);
        QApplication::sendEvent(&e, &ime);
        EXPECT_EQ(e.Text(), QString::number(10 + d).toStdString()) << d;
    }
    auto& e = Edit(10, 1, true);
    QInputMethodEvent ime;
    ime.setCommitString(QStringLiteral("－９８７６５４３２１．０"));
    QApplication::sendEvent(&e, &ime);
    EXPECT_EQ(e.Text(), "-987654321.0");
    e.SetText("");
    QApplication::clipboard()->setText(QStringLiteral("９８７６５４３２１０"));
    QTest::keyClick(&e, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(e.Text(), "9876543210");
}
