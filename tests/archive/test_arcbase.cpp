// The archive library's numbered messages, date conversion, and path and file routines.

#include "archive/arcbase.h"
#include "keiba/fileio.h"
#include "keiba/newfile.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace archive;
namespace fs = std::filesystem;
using testsupport::Slurp;
using testsupport::TempDir;
using testsupport::WriteBytes;

TEST(ArchiveMessages, TableHoldsEveryNumberOnceInOrder) {
    auto table = MessageTable();
    EXPECT_EQ(table.size(), 125u + 3u); // the messages and the three dialog filters
    for (std::size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].code, table[i].code);
    EXPECT_EQ(MessageText(25151), "File fails CRC check");
    EXPECT_EQ(MessageText(25241), "Line found before 'BEGIN'");
    EXPECT_EQ(MessageText(26899), "Directory does not exist... Create?");
    EXPECT_EQ(MessageText(25105), "");
    EXPECT_EQ(EZipError(25443).what(), std::string("User canceled"));
}

TEST(ArchiveRoutines, DosDates) {
    const DosDateTime fallback{1980, 1, 1, 0, 1, 0};
    EXPECT_EQ(DosDateTimeToDateTime(0), fallback);
    std::uint32_t feb30 = ((0u << 9 | 2u << 5 | 30u) << 16);
    EXPECT_EQ(DosDateTimeToDateTime(feb30), fallback);
    std::uint32_t stamp = ((44u << 9 | 1u << 5 | 5u) << 16) | (13u << 11 | 45u << 5 | 10u);
    EXPECT_EQ(DosDateTimeToDateTime(stamp), (DosDateTime{2024, 1, 5, 13, 45, 20}));
}

namespace {

// Sets an environment variable for the length of a scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value)
        : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string U8(const fs::path& p) {
    return keiba::PathToUtf8(p);
}

} // namespace

// A run killed while it probes whether the target folder can be written leaves at most a file the
// start-up sweep removes: the probe is named and locked as every writer's temporary file.
TEST(ArchiveRoutines, AProbeOfAKilledRunIsSweptAtStartUp) {
    TempDir dir;
    for (int kill = 0; kill < 40; ++kill) {
        int probing[2];
        ASSERT_EQ(::pipe(probing), 0);
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            IsFolderWritable(U8(dir.path()));
            if (::write(probing[1], "p", 1) != 1) ::_exit(2);
            for (;;) IsFolderWritable(U8(dir.path()));
        }
        // the kill lands at a moment of the probes however late the child was started
        char byte = 0;
        ::close(probing[1]);
        const bool started = ::read(probing[0], &byte, 1) == 1;
        ::close(probing[0]);
        std::this_thread::sleep_for(std::chrono::microseconds(97 * kill));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        ASSERT_TRUE(started);
    }
    keiba::RemoveStaleTempFiles(dir.path());
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir.path()))
        left.push_back(e.path().filename().string());
    EXPECT_TRUE(left.empty()) << left.size() << " probes stayed, the first " << left.front();
}

TEST(ArchivePaths, FoldersAndFilesWithTheirAttributes) {
    TempDir dir;
    EXPECT_TRUE(ForceDirectories(U8(dir / "a/b/../c/d")));
    EXPECT_TRUE(DirectoryExists(U8(dir / "a/c/d")));
    EXPECT_FALSE(fs::exists(dir / "a/b"));
    WriteBytes(dir / "file", "x");
    EXPECT_FALSE(ForceDirectories(U8(dir / "file/sub")));
    EXPECT_FALSE(DirectoryExists(U8(dir / "file")));
    EXPECT_FALSE(DirectoryExists(U8(dir / "missing")));

    WriteBytes(dir / ".hidden", "x");
    fs::permissions(dir / ".hidden", fs::perms::owner_read | fs::perms::group_read);
    std::uint32_t attributes = 0;
    EXPECT_TRUE(FileExists(U8(dir / "file"), &attributes));
    EXPECT_EQ(attributes, kAttrArchive);
    EXPECT_TRUE(FileExists(U8(dir / ".hidden"), &attributes));
    EXPECT_EQ(attributes, kAttrArchive | kAttrHidden | kAttrReadOnly);
    EXPECT_FALSE(FileExists(U8(dir / "a")));
    EXPECT_FALSE(FileExists(U8(dir / "missing")));
    EXPECT_EQ(ShortPathName(U8(dir / "長い名前のフォルダ/file")),
              U8(dir / "長い名前のフォルダ/file"));
}

// Mode 1 moves a file to the user's trash with the record the desktop restores it from, under a
// numbered name when its own is taken; any other mode deletes. A read-only file is made writable.
TEST(ArchivePaths, EraseFileMovesToTheTrashOrDeletes) {
    TempDir dir;
    ScopedEnv data("XDG_DATA_HOME", (dir / "data").string());
    const fs::path file = dir / "docs/予想 a.csv";
    fs::create_directories(file.parent_path());
    const fs::path trash = dir / "data/Trash";
    const std::string folder = dir.path().string() + "/docs/";
    ASSERT_EQ(folder.find_first_of(" %"), std::string::npos);
    for (const char* stored : {"予想 a.csv", "予想 a.2.csv"}) {
        WriteBytes(file, stored);
        fs::permissions(file, fs::perms::owner_read);
        // the record's time is the moment of the move, to the second
        const auto before =
            std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
        ASSERT_TRUE(EraseFile(U8(file), 1)) << stored;
        const auto after = std::chrono::system_clock::now();
        EXPECT_FALSE(fs::exists(file));
        EXPECT_EQ(Slurp(trash / "files" / keiba::Utf8Path(stored)), stored);
        EXPECT_NE(fs::status(trash / "files" / keiba::Utf8Path(stored)).permissions() &
                      fs::perms::owner_write,
                  fs::perms::none);
        std::string info =
            Slurp(trash / "info" / keiba::Utf8Path(std::string(stored) + ".trashinfo"));
        const std::string head =
            "[Trash Info]\nPath=" + folder + "%E4%BA%88%E6%83%B3%20a.csv\nDeletionDate=";
        ASSERT_TRUE(info.starts_with(head)) << info;
        std::tm when{};
        ASSERT_NE(::strptime(info.c_str() + head.size(), "%Y-%m-%dT%H:%M:%S\n", &when), nullptr)
            << info;
        when.tm_isdst = -1;
        auto at = std::chrono::system_clock::from_time_t(std::mktime(&when));
        EXPECT_GE(at, before) << info;
        EXPECT_LE(at, after) << info;
    }
    WriteBytes(file, "gone");
    fs::permissions(file, fs::perms::owner_read);
    EXPECT_TRUE(EraseFile(U8(file), 0));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(EraseFile(U8(file), 1));
    EXPECT_FALSE(EraseFile(U8(file), 0));
    EXPECT_EQ(std::distance(fs::directory_iterator(trash / "files"), fs::directory_iterator()), 2);
}

// A trashing killed while it wrote its record left the record's temporary file in info/; the
// next trashing removes it, and leaves the one a trashing still under way writes.
TEST(ArchivePaths, ATrashingRemovesTheRecordAKilledOneLeft) {
    TempDir dir;
    ScopedEnv data("XDG_DATA_HOME", (dir / "data").string());
    const fs::path info = dir / "data/Trash/info";
    fs::create_directories(info);
    const int folder = ::open(info.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    keiba::NewFile killed, live;
    ASSERT_TRUE(killed.Create(folder, "a.txt.trashinfo", 0600, keiba::NewFile::Kind::Temporary));
    ASSERT_TRUE(live.Create(folder, "b.txt.trashinfo", 0600, keiba::NewFile::Kind::Temporary));
    const std::string liveName = live.TempName();
    killed.Abandon();
    WriteBytes(dir / "x.txt", "x");
    EXPECT_TRUE(EraseFile(U8(dir / "x.txt"), 1));
    std::set<std::string> left;
    for (const auto& e : fs::directory_iterator(info)) left.insert(e.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"x.txt.trashinfo", liveName}));
    live.Discard();
    ::close(folder);
}

// Only the named entry is changed: erasing a link leaves its target's mode as it was, and a
// read-only file that cannot leave its folder stays read-only there.
TEST(ArchivePaths, EraseFileChangesOnlyTheEntryItRemoves) {
    TempDir dir;
    ScopedEnv data("XDG_DATA_HOME", (dir / "data").string());
    const fs::perms readOnly = fs::perms::owner_read;
    WriteBytes(dir / "target.csv", "target");
    fs::permissions(dir / "target.csv", readOnly);
    fs::create_symlink(dir / "target.csv", dir / "link.csv");
    EXPECT_TRUE(EraseFile(U8(dir / "link.csv"), 0));
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(dir / "link.csv")));
    EXPECT_EQ(fs::status(dir / "target.csv").permissions(), readOnly);

    fs::create_directories(dir / "kept");
    WriteBytes(dir / "kept/file.csv", "kept");
    fs::permissions(dir / "kept/file.csv", readOnly);
    // nothing leaves an immutable folder
    const int folder = ::open((dir / "kept").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int flags = 0;
    if (::ioctl(folder, FS_IOC_GETFLAGS, &flags) != 0 ||
        (flags |= FS_IMMUTABLE_FL, ::ioctl(folder, FS_IOC_SETFLAGS, &flags) != 0)) {
        ::close(folder);
        GTEST_SKIP() << "a folder cannot be made immutable here (it takes root)";
    }
    const bool trashed = EraseFile(U8(dir / "kept/file.csv"), 1);
    const bool deleted = EraseFile(U8(dir / "kept/file.csv"), 0);
    flags &= ~FS_IMMUTABLE_FL;
    ::ioctl(folder, FS_IOC_SETFLAGS, &flags);
    ::close(folder);
    EXPECT_FALSE(trashed);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(fs::status(dir / "kept/file.csv").permissions(), readOnly);
}

// Without XDG_DATA_HOME the trash is in the home folder; a file on another file system goes to
// the trash at that file system's top, named from there.
TEST(ArchivePaths, EraseFileFindsTheTrashOfTheFilesFileSystem) {
    TempDir dir;
    ScopedEnv data("XDG_DATA_HOME", "");
    ScopedEnv home("HOME", (dir / "home").string());
    WriteBytes(dir / "here.txt", "here");
    ASSERT_TRUE(EraseFile(U8(dir / "here.txt"), 1));
    EXPECT_EQ(Slurp(dir / "home/.local/share/Trash/files/here.txt"), "here");

    fs::create_directories(dir / "disk/sub");
    if (::mount("tmpfs", (dir / "disk").c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "a file system cannot be mounted here (it takes root)";
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{dir / "disk"};
    fs::create_directories(dir / "disk/sub");
    WriteBytes(dir / "disk/sub/there.txt", "there");
    ASSERT_TRUE(EraseFile(U8(dir / "disk/sub/there.txt"), 1));
    const fs::path top = dir / ("disk/.Trash-" + std::to_string(::getuid()));
    EXPECT_EQ(Slurp(top / "files/there.txt"), "there");
    EXPECT_TRUE(
        Slurp(top / "info/there.txt.trashinfo").starts_with("[Trash Info]\nPath=sub/there.txt\n"));
}
