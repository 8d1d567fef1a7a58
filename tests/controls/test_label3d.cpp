#include "controls/label3d.h"

#include "tests/support/fakes.h"

#include <QApplication>
#include <QFontMetrics>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace controls;

namespace {

struct Ink {
    int right = -1, bottom = -1, left = 1 << 20, top = 1 << 20;
    void Add(int x, int y) {
        right = std::max(right, x);
        bottom = std::max(bottom, y);
        left = std::min(left, x);
        top = std::min(top, y);
    }
};

Ink InkOf(const QImage& image, QRgb colour) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour) ink.Add(x, y);
    return ink;
}

} // namespace

TEST(Label3D, ShadowIsPaintedShiftPixelsRightAndDown) {
    TLabel3Dj label;
    QFont f = label.font();
    f.setPixelSize(24);
    f.setStyleStrategy(QFont::NoAntialias); // pure colours for the probe
    label.setFont(f);
    label.SetCaption(QStringLiteral("Ab"));
    label.SetColor(Qt::white);
    label.SetFontColor(QColor(0, 0, 255));
    QPalette p = label.palette();
    p.setColor(QPalette::Dark, QColor(255, 0, 0));
    label.setPalette(p);
    label.SetAutoSize(false);
    label.resize(80, 40);

    label.SetTextStyle(TTextStyle::tsNone);
    const Ink plain = InkOf(label.grab().toImage(), qRgb(0, 0, 255));
    ASSERT_GE(plain.right, 0);

    label.SetTextStyle(TTextStyle::tsShadow);
    label.SetShift(3);
    const QImage image = label.grab().toImage();
    const Ink text = InkOf(image, qRgb(0, 0, 255));
    const Ink shadow = InkOf(image, qRgb(255, 0, 0));
    // The text itself stays put and on top; its shadow reaches three pixels further.
    EXPECT_EQ(text.left, plain.left);
    EXPECT_EQ(text.top, plain.top);
    EXPECT_EQ(shadow.right - plain.right, 3);
    EXPECT_EQ(shadow.bottom - plain.bottom, 3);
}

// Disabled, a label draws its effect passes as before and its text in the system's grey text
// colour, whatever font colour it was given.
TEST(Label3D, ADisabledLabelGreysItsTextButNotItsEffects) {
    TLabel3Dj label;
    QFont f = label.font();
    f.setPixelSize(24);
    f.setStyleStrategy(QFont::NoAntialias);
    label.setFont(f);
    label.SetCaption(QStringLiteral("Ab"));
    label.SetColor(Qt::black);
    label.SetFontColor(QColor(255, 255, 0));
    label.SetTextStyle(TTextStyle::tsRaised);
    label.SetAutoSize(false);
    label.resize(80, 40);
    const QRgb yellow = qRgb(255, 255, 0);
    const QRgb shadow = label.palette().color(QPalette::Dark).rgb();
    const QRgb grey = QApplication::palette().color(QPalette::Disabled, QPalette::WindowText).rgb();
    ASSERT_NE(shadow, grey);

    const QImage enabled = label.grab().toImage();
    label.setEnabled(false);
    const QImage disabled = label.grab().toImage();
    const Ink text = InkOf(enabled, yellow);
    ASSERT_GE(text.right, 0);
    EXPECT_EQ(InkOf(disabled, yellow).right, -1);
    const Ink greyText = InkOf(disabled, grey);
    EXPECT_EQ(greyText.left, text.left);
    EXPECT_EQ(greyText.right, text.right);
    const Ink shadowBefore = InkOf(enabled, shadow);
    const Ink shadowAfter = InkOf(disabled, shadow);
    EXPECT_EQ(shadowAfter.right, shadowBefore.right);
    EXPECT_EQ(shadowAfter.bottom, shadowBefore.bottom);
}

TEST(Label3D, EscapementNinetyMakesAnAutoSizedLabelTall) {
    TLabel3Dj label;
    label.SetCaption(QStringLiteral("レース名"));
    label.SetEscapement(-270);
    EXPECT_EQ(label.Escapement(), 90);
    const QFontMetrics fm(label.font());
    EXPECT_EQ(label.width(), fm.height());
    EXPECT_EQ(label.height(), fm.horizontalAdvance(QStringLiteral("レース名")));
}

TEST(Label3D, LinksOpenThroughTheShell) {
    testsupport::RecordingShell shell;
    TLabel3Dj label;
    label.SetShell(&shell);
    label.SetCaption(QStringLiteral("members"));
    label.show();
    QSignalSpy clicks(&label, &TLabel3Dj::OnClick);

    QTest::mouseClick(&label, Qt::LeftButton);
    EXPECT_TRUE(shell.opened.empty()); // a plain label only clicks

    label.SetLabelStyle(TLabelStyle::lsWWWAddress);
    QTest::mouseClick(&label, Qt::LeftButton); // no address yet
    label.SetAddress(QStringLiteral("https://example.jp/"));
    QTest::mouseClick(&label, Qt::LeftButton);
    label.SetLabelStyle(TLabelStyle::lsEMailAddress);
    label.SetAddress(QStringLiteral("info@example.jp"));
    QTest::mouseClick(&label, Qt::LeftButton);

    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{"https://example.jp/", "mailto:info@example.jp"}));
    EXPECT_EQ(clicks.count(), 4);
}
