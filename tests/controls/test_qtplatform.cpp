#include "controls/qtplatform.h"

#include "tests/support/tempdir.h"

#include <QDir>
#include <QTest>
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
