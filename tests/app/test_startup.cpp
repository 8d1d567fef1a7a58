// The headless steps of the start: folders and the JV-Link version check.

#include "app/startup.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace testsupport;

TEST(StartUp, VersionMessageOnlyBelow0490) {
    auto m = app::JvVersionMessage("0480");
    ASSERT_TRUE(m);
    EXPECT_EQ(*m, "ご利用中のJV-Linkのバージョンは[4.8.0]です。\r\n"
                  "本ソフトのご利用にはバージョン[4.9.0]以上が必要です。\r\n"
                  "JRA-VANのホームページより最新のJV-Linkを入手し、インストールしてください。");
    EXPECT_FALSE(app::JvVersionMessage("0490"));
}

TEST(StartUp, DataFoldersAreCreatedAndAFailureIsReported) {
    TempDir dir;
    EXPECT_TRUE(app::CreateDataFolders(dir.path()).empty());
    for (const char* name : {"Data", "kaime", "CSV", "SEI", "UMA", "UM2", "nerai", "VZK"})
        EXPECT_TRUE(std::filesystem::is_directory(dir / name)) << name;
    EXPECT_FALSE(std::filesystem::exists(dir / "STAT"));
    EXPECT_FALSE(std::filesystem::exists(dir / "HPupload"));

    TempDir blocked;
    WriteBytes(blocked / "CSV", "a file where a folder should be");
    std::vector<std::string> failures = app::CreateDataFolders(blocked.path());
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("CSV"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(blocked / "VZK")); // the later folders still come
}
