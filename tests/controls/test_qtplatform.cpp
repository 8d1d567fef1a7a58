#include "controls/qtplatform.h"

#include "tests/support/tempdir.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
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
        [&] { return std::filesystem::exists(out) && std::filesystem::file_size(out) > 0; }, 5000));
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
