#include "controls/qtext.h"
#include "controls/qtplatform.h"

#include "keiba/sjis.h"
#include "tests/support/tempdir.h"

#include <QDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace controls;

TEST(QtText, Cp932RoundTrip) {
    const std::string sj = keiba::Sj("ﾌﾟﾛﾊﾟﾃｨ①～東京");
    EXPECT_EQ(SjToQ(sj), QStringLiteral("ﾌﾟﾛﾊﾟﾃｨ①～東京"));
    EXPECT_EQ(QToSj(SjToQ(sj)), sj);
    EXPECT_EQ(QToSj(QStringLiteral("a😀b")), "a?b");
}

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
