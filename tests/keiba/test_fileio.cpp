#include "keiba/fileio.h"

#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace keiba;

TEST(FileIo, ReplacesWholeAndLeavesNoTemporaryFiles) {
    testsupport::TempDir dir;
    auto target = dir / "2024年05月26日.jvRA";
    ASSERT_TRUE(WriteFileAtomic(target, "old"));
    ASSERT_TRUE(WriteFileAtomic(target, "new contents"));
    EXPECT_EQ(testsupport::Slurp(target), "new contents");
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1);
}

TEST(FileIo, ACrashBeforeTheRenameKeepsTheOldFile) {
    testsupport::TempDir dir;
    auto target = dir / "kestrane.ini";
    ASSERT_TRUE(WriteFileAtomic(target, "[a]\r\nx=1\r\n"));
    SetBeforeRenameHookForTest([](const std::filesystem::path&) { return false; });
    IoResult r = WriteFileAtomic(target, "[a]\r\nx=2\r\n");
    SetBeforeRenameHookForTest(nullptr);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(testsupport::Slurp(target), "[a]\r\nx=1\r\n");
    int files = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path())) ++files;
    EXPECT_EQ(files, 1);
}

TEST(FileIo, AFolderThatCannotBeWrittenIsAFailureNotASuccess) {
    testsupport::TempDir dir;
    EXPECT_FALSE(WriteFileAtomic(dir / "missing" / "x.txt", "x").ok);
    if (::geteuid() != 0) { // root writes anywhere
        auto ro = dir / "ro";
        std::filesystem::create_directory(ro);
        ::chmod(ro.c_str(), 0555);
        EXPECT_FALSE(WriteFileAtomic(ro / "x.txt", "x").ok);
    }
    EXPECT_FALSE(ReadWholeFile(dir / "nothing.txt").has_value());
}
