// The headless steps of the start: folders, leftover temporary files and the JV-Link version
// check.

#include "app/startup.h"
#include "archive/unzip.h"
#include "keiba/fileio.h"
#include "keiba/inigt.h"
#include "tests/archive/zipbuilder.h"
#include "tests/support/tempdir.h"
#include "tests/support/waits.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Writers killed between writing and renaming leave their temporary files; the next start
// removes them from every folder the program writes, the folders an extraction made below VZK
// too, and nothing else: an earlier version's name is a user's or an archive's file where the
// program does not name the files.
TEST(StartUp, LeftoversOfKilledWritersAreRemoved) {
    TempDir dir, outside, settings;
    ASSERT_TRUE(app::CreateDataFolders(dir.path()).empty());
    const std::vector<std::string> folders = {"",    "Data",  "SEI/2020", "UM2/2021", "kaime",
                                              "CSV", "nerai", "HPupload", "VZK",      "VZK/a/b"};
    keiba::SetBeforeRenameHookForTest([](const std::filesystem::path&) { return false; });
    for (const std::string& f : folders) {
        std::filesystem::create_directories(dir / f);
        EXPECT_FALSE(keiba::WriteFileAtomic(dir / f / "file.txt", "x").ok);
    }
    EXPECT_FALSE(keiba::WriteFileAtomic(outside / "0105.BET", "x").ok);
    keiba::SetBeforeRenameHookForTest(nullptr);
    // An earlier version's leftover, and a file of that name where another program lives.
    WriteBytes(dir / "Data" / "2026年11月28日.jvO6.tmp482913377", "partial");
    WriteBytes(outside / "plugin.tmp482913377", "the plug-in's");
    WriteBytes(dir / "VZK" / ".ztv0a1b2c3d4e", "the zip extractor's");
    WriteBytes(dir / "VZK/a/b/page.tmp482913377", "an archive's own");
    WriteBytes(dir / "VZK/arc.tmp123456", "an archive's own");
    WriteBytes(dir / "HPupload/stats.tmp123456", "the user's");
    WriteBytes(dir / "Data" / "2026年11月28日.jvRA", "kept");
    auto count = [&](const std::filesystem::path& f) {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(f))
            if (e.is_regular_file()) ++n;
        return n;
    };
    auto others = [](const std::string& f) {
        return f == "VZK" ? 2u : f == "Data" || f == "VZK/a/b" || f == "HPupload" ? 1u : 0u;
    };
    for (const std::string& f : folders)
        ASSERT_EQ(count(dir / f), 1 + others(f) + (f == "Data")) << f;

    keiba::TIniGT ini;
    ini.SetFileName(keiba::PathToUtf8(settings / "kestrane.ini"));
    ini.SetDefaultDir(keiba::TIniGTDefaultDir::ddNone);
    ASSERT_TRUE(ini.WriteString("Dir", "kaime", keiba::PathToUtf8(outside.path())));
    EXPECT_EQ(app::RemoveLeftoverTempFiles(dir.path(), app::OutsideBetFolders(ini)),
              folders.size() + 2);
    for (const std::string& f : folders) EXPECT_EQ(count(dir / f), others(f)) << f;
    EXPECT_EQ(count(outside.path()), 1u);
    EXPECT_TRUE(std::filesystem::exists(outside / "plugin.tmp482913377"));
    EXPECT_TRUE(std::filesystem::exists(dir / "VZK" / ".ztv0a1b2c3d4e"));
    EXPECT_TRUE(std::filesystem::exists(dir / "VZK/a/b/page.tmp482913377"));
    EXPECT_TRUE(std::filesystem::exists(dir / "VZK/arc.tmp123456"));
    EXPECT_TRUE(std::filesystem::exists(dir / "HPupload/stats.tmp123456"));
    EXPECT_TRUE(std::filesystem::exists(dir / "Data" / "2026年11月28日.jvRA"));
}

// A download's extraction killed while it writes a file leaves no file of the entry's name that a
// reader could take as whole: a file written without a name leaves nothing, one that replaces a
// file found there leaves the writer's temporary file beside the analysis files, locked while the
// writer lives; the next start removes it, and the folder holds what it held before. Also where
// the temporary file is a displaced file used again.
TEST(StartUp, AnExtractionKilledMidWriteLeavesTheAnalysisFolderCleanAfterTheNextStart) {
    std::string big;
    for (int i = 0; big.size() < (3u << 20); ++i)
        big += "XQ" + std::to_string(i * 7919 % 1000003) + ",KESTRANE,ANALYSIS,RECORD\r\n";
    const struct {
        const char* what;
        std::map<std::string, std::string> before, after; // VZK's files
        std::size_t temporaries;                          // the killed writer's
    } cases[] = {
        {"a new file", {}, {{"RCOM20241201.CSV", "new"}}, 0},
        // the first file was new, so the next one is written without a name too
        {"a replaced file",
         {{"XQ20241201.vzkd", "old"}},
         {{"RCOM20241201.CSV", "new"}, {"XQ20241201.vzkd", "old"}},
         0},
        {"after a replaced file",
         {{"RCOM20241201.CSV", "old"}, {"XQ20241201.vzkd", "old"}},
         {{"RCOM20241201.CSV", "new"}, {"XQ20241201.vzkd", "old"}},
         1},
    };
    for (const auto& c : cases) {
        TempDir dir;
        ASSERT_TRUE(app::CreateDataFolders(dir.path()).empty());
        const std::filesystem::path vzk = dir / "VZK";
        WriteBytes(dir / "yosou.zip", ziptest::Build({ziptest::File("RCOM20241201.CSV", "new"),
                                                      ziptest::File("XQ20241201.vzkd", big),
                                                      ziptest::File("XQ20241202.vzkd", "next")}));
        for (const auto& [name, bytes] : c.before) WriteBytes(vzk / name, bytes);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) { // the program, stopped after the large file's first block
            ::close(ready[0]);
            archive::TUnZip unzip;
            unzip.OnProgress = [&](archive::TZipCommon& z, std::uint8_t, std::uint8_t) {
                if (z.EntryBytesDone() <= 4) return; // a small file's one block
                if (::write(ready[1], "w", 1) != 1) ::_exit(2);
                for (;;) ::pause();
            };
            unzip.SetArchiveFile(keiba::PathToUtf8(dir / "yosou.zip"));
            unzip.SetFileSpec({"*.csv", "*.vzkd"});
            unzip.SetExtractDir(keiba::PathToUtf8(vzk));
            unzip.ExtractArchive();
            ::_exit(1);
        }
        ::close(ready[1]);
        pollfd wait{ready[0], POLLIN, 0};
        char byte = 0;
        const bool writing = ::poll(&wait, 1, kHangGuardMs) == 1 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
        std::size_t temporary = 0;
        for (const auto& e : std::filesystem::directory_iterator(vzk))
            temporary += keiba::IsTempFileName(e.path().filename().string()) ? 1 : 0;
        // a start while the writer lives leaves its file
        const std::size_t removedWhileWriting = app::RemoveLeftoverTempFiles(dir.path());
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        ASSERT_TRUE(writing) << c.what;
        EXPECT_EQ(temporary, c.temporaries) << c.what;
        EXPECT_EQ(removedWhileWriting, 0u) << c.what;

        EXPECT_EQ(app::RemoveLeftoverTempFiles(dir.path()), c.temporaries) << c.what;
        std::map<std::string, std::string> after = Tree(vzk);
        for (auto& [name, bytes] : after)
            if (bytes.size() > 64) bytes = std::to_string(bytes.size()) + " bytes";
        EXPECT_EQ(after, c.after) << c.what;
    }
}
