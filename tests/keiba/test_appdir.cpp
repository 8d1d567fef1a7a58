// The program's own folder and name come from the running executable, not the working folder.

#include "keiba/appdir.h"

#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(AppDir, TheRunningProgramsFolderAndNameWhereverItRuns) {
    testsupport::TempDir elsewhere;
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path());
    const std::filesystem::path dir = keiba::AppDir();
    const std::string name = keiba::AppExeBaseName();
    std::filesystem::current_path(before);
    EXPECT_EQ(dir, std::filesystem::path(KESTRANE_TEST_BINARY_DIR));
    EXPECT_EQ(name, "test_appdir");
}
