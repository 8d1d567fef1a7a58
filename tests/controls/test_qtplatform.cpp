#include "controls/qtplatform.h"

#include "tests/support/tempdir.h"
#include "tests/support/waits.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace controls;

TEST(QtShell, LaunchStartsInItsFolderWithoutMovingOurs) {
    testsupport::TempDir temp;
    const QString before = QDir::currentPath();
    QtShell shell;
    ASSERT_TRUE(shell.Launch("/bin/sh", {"-c", "pwd > where.txt"}, temp.path()));
    const auto out = temp / "where.txt";
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return std::filesystem::exists(out) && std::filesystem::file_size(out) > 0; },
        testsupport::kHangGuardMs));
    EXPECT_EQ(testsupport::Slurp(out), std::filesystem::canonical(temp.path()).string() + "\n");
    EXPECT_EQ(QDir::currentPath(), before);
    EXPECT_FALSE(shell.Launch(temp / "no-such-program", {}, temp.path()));
}

// With Qt's translation installed, its message boxes and its folder dialog speak Japanese.
TEST(QtTranslations, StandardDialogsSpeakJapanese) {
    QTranslator* translator = InstallQtTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "qt6-translations-l10n is not installed";
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
    EXPECT_EQ(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));

    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFileMode(QFileDialog::Directory);
    QStringList texts;
    for (QLabel* label : dialog.findChildren<QLabel*>()) texts << label->text();
    for (QAbstractButton* button : dialog.findChild<QDialogButtonBox*>()->buttons())
        texts << button->text();
    const QString all = texts.join(u'|');
    for (const char* english : {"Look in", "Choose", "Cancel", "Files of type", "Directory:"})
        EXPECT_FALSE(all.contains(QLatin1StringView(english)))
            << english << " in " << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("キャンセル"))) << all.toStdString();

    QCoreApplication::removeTranslator(translator);
    delete translator;
}

// Boxes opened at the lower right of the main window: placed before they had their size, and
// over no window at all when none was active.
TEST(QtNotifier, BoxesOpenCentredOnTheirWindow) {
    QMainWindow owner;
    owner.setGeometry(40, 30, 900, 640);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    QtNotifier notifier;
    notifier.SetOwner(&owner);
    struct Seen {
        QWidget* parent = nullptr;
        QRect geometry;
    };
    std::vector<Seen> seen;
    auto answer = [&] {
        QTimer::singleShot(0, &owner, [&] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            seen.push_back({box->parentWidget(), box->geometry()});
            qobject_cast<QDialog*>(box)->done(QMessageBox::No);
        });
    };
    answer();
    notifier.Information("使用解説書[Kestrane.pdf]が見つかりません。");
    answer();
    EXPECT_FALSE(notifier.YesNo("データ取込を中止します。実行しますか？"));
    ASSERT_EQ(seen.size(), 2u);
    for (const Seen& box : seen) {
        EXPECT_EQ(box.parent, &owner);
        EXPECT_EQ(box.geometry.center(), owner.geometry().center());
        EXPECT_LT(box.geometry.width(), owner.width()); // its own size, not a default one
    }
}

// The box for a volume that cannot be read: an error box with the program's caption and Qt's
// Japanese Retry and Cancel, Retry the default; true only for Retry.
TEST(QtNotifier, RetryCancelIsAnErrorBoxThatRetriesOnlyOnRetry) {
    QTranslator* translator = InstallQtTranslations(*QCoreApplication::instance());
    ASSERT_NE(translator, nullptr) << "qt6-translations-l10n is not installed";
    QtNotifier notifier;
    QStringList seen;
    auto answer = [&](QMessageBox::StandardButton button) {
        QTimer::singleShot(0, [&, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen << box->windowTitle() << box->text() << box->button(QMessageBox::Retry)->text()
                 << box->button(QMessageBox::Cancel)->text();
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Retry));
            box->button(button)->click();
        });
    };
    const std::string text = "/media/disk/ にアクセスできません。\r\n\r\nフォルダがありません。";
    answer(QMessageBox::Retry);
    EXPECT_TRUE(notifier.RetryCancel(text));
    answer(QMessageBox::Cancel);
    EXPECT_FALSE(notifier.RetryCancel(text));
    ASSERT_EQ(seen.size(), 8);
    EXPECT_EQ(seen[0], QGuiApplication::applicationDisplayName());
    EXPECT_EQ(seen[1], QString::fromStdString(text));
    EXPECT_EQ(seen[2], QStringLiteral("再試行"));
    EXPECT_EQ(seen[3], QStringLiteral("キャンセル"));
    QCoreApplication::removeTranslator(translator);
    delete translator;
}

// A stop box: the stop icon under the caption it was given, not the program's.
TEST(QtNotifier, AStopBoxCarriesItsOwnCaption) {
    QtNotifier notifier;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        box->done(QMessageBox::Ok);
    });
    notifier.Stop("ﾌﾟﾛﾊﾟﾃｨ ｴﾗｰ", "設定値がｽｸﾘｰﾝ座標範囲 (0 ～ 1280) を超えています。");
    EXPECT_EQ(title, QStringLiteral("ﾌﾟﾛﾊﾟﾃｨ ｴﾗｰ"));
    EXPECT_EQ(text, QStringLiteral("設定値がｽｸﾘｰﾝ座標範囲 (0 ～ 1280) を超えています。"));
    EXPECT_EQ(icon, QMessageBox::Critical);
}
