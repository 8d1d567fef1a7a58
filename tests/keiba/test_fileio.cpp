#include "keiba/fileio.h"

#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

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

std::vector<std::string> Names(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A name as long as the file system takes (255 bytes, a user's export named so): its temporary
// file's name is cut to fit, and is still one the clean-up knows.
TEST(FileIo, ANameAtTheLengthLimitIsReplacedWhole) {
    testsupport::TempDir dir;
    std::string longest;
    for (int i = 0; i < 85; ++i) longest += "馬";
    ASSERT_EQ(longest.size(), 255u);
    const std::filesystem::path target = dir.path() / Utf8Path(longest);
    std::filesystem::path temp;
    SetBeforeRenameHookForTest([&](const std::filesystem::path& t) {
        temp = t;
        return true;
    });
    const IoResult first = WriteFileAtomic(target, "old");
    const IoResult second = WriteFileAtomic(target, "new");
    SetBeforeRenameHookForTest(nullptr);
    ASSERT_TRUE(first) << first.message;
    ASSERT_TRUE(second) << second.message;
    EXPECT_EQ(testsupport::Slurp(target), "new");
    EXPECT_TRUE(IsTempFileName(temp.filename().string())) << temp;
    EXPECT_EQ(Names(dir.path()).size(), 1u);
}

// A kill between writing and renaming leaves the temporary file, as a real one does; the
// clean-up of a later start removes it and nothing else.
TEST(FileIo, AKillBeforeTheRenameKeepsTheOldFileAndTheCleanUpRemovesItsLeftover) {
    testsupport::TempDir dir;
    auto target = dir / "kestrane.ini";
    ASSERT_TRUE(WriteFileAtomic(target, "[a]\r\nx=1\r\n"));
    std::filesystem::path left;
    SetBeforeRenameHookForTest([&](const std::filesystem::path& temp) {
        left = temp;
        return false;
    });
    IoResult r = WriteFileAtomic(target, "[a]\r\nx=2\r\n");
    SetBeforeRenameHookForTest(nullptr);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.message.empty());
    EXPECT_EQ(testsupport::Slurp(target), "[a]\r\nx=1\r\n");
    ASSERT_TRUE(std::filesystem::exists(left));
    EXPECT_EQ(left.parent_path(), dir.path());
    EXPECT_TRUE(IsTempFileName(left.filename().string()));

    // Names like it that are not writers' temporary files stay: the zip extractor's, a user's.
    for (const std::string& name :
         {std::string(".ztv0a1b2c3d4e"), std::string("ztvAbC123"), std::string("notes.tmp123"),
          std::string("x.ktmp12"), std::string("x.ktmp-1")})
        testsupport::WriteBytes(dir / name, "x");
    // A writer that has ended will never rename its file.
    pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string ended = "b.jvRA.ktmp" + std::to_string(child) + "-5";
    testsupport::WriteBytes(dir / ended, "partial");
    ASSERT_TRUE(IsTempFileName(ended));
    // Nor will one whose pid a running process got after it (the parent stands for it here).
    const std::string reused = "a.csv.ktmp" + std::to_string(::getppid()) + "-17";
    testsupport::WriteBytes(dir / reused, "partial");
    // A writer at work holds its file's lock.
    const std::string live = "c.jvO6.ktmp" + std::to_string(::getppid()) + "-18";
    testsupport::WriteBytes(dir / live, "partial");
    const int held = ::open((dir / live).c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    // An earlier version's name goes only where asked for.
    const std::string older = "2026年11月28日.jvO6.tmp123456789";
    testsupport::WriteBytes(dir / older, "partial");

    EXPECT_EQ(RemoveStaleTempFiles(dir.path()), 3u);
    EXPECT_EQ(RemoveStaleTempFiles(dir.path(), OlderTempNames::Remove), 1u);
    ::close(held);
    EXPECT_EQ(Names(dir.path()),
              (std::vector<std::string>{".ztv0a1b2c3d4e", live, "kestrane.ini", "notes.tmp123",
                                        "x.ktmp-1", "x.ktmp12", "ztvAbC123"}));
}

// A clean-up while a write is under way (another thread's, or another process's) leaves the
// writer's file alone, up to the rename.
TEST(FileIo, AWriteUnderWaySurvivesAClean) {
    testsupport::TempDir dir;
    auto target = dir / "2026年12月05日.jvO6";
    std::size_t removed = 99;
    SetBeforeRenameHookForTest([&](const std::filesystem::path&) {
        removed = RemoveStaleTempFiles(dir.path(), OlderTempNames::Remove);
        return true;
    });
    IoResult r = WriteFileAtomic(target, "odds");
    SetBeforeRenameHookForTest(nullptr);
    EXPECT_TRUE(r.ok) << r.message;
    EXPECT_EQ(removed, 0u);
    EXPECT_EQ(testsupport::Slurp(target), "odds");
}

// The sweep tells a live writer by its lock, whatever process has its pid by then; the lock is
// taken before the file's name is handed out.
TEST(FileIo, ANewTemporaryFileIsHeldFromItsCreation) {
    testsupport::TempDir dir;
    std::filesystem::path byPath;
    const int fd = CreateTempFile(dir / "2026年12月05日.jvO6", &byPath);
    ASSERT_GE(fd, 0);
    const int dirFd = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    std::string byName;
    const int fdAt = CreateTempFileAt(dirFd, "a.csv", 0644, &byName);
    ASSERT_GE(fdAt, 0);
    for (const std::filesystem::path& temp : {byPath, dir / byName}) {
        EXPECT_TRUE(IsTempFileName(temp.filename().string())) << temp;
        const int other = ::open(temp.c_str(), O_RDONLY);
        ASSERT_GE(other, 0) << temp;
        EXPECT_NE(::flock(other, LOCK_EX | LOCK_NB), 0) << temp;
        ::close(other);
    }
    ::close(fd);
    ::close(fdAt);
    ::close(dirFd);
}

TEST(FileIo, ASavedFileHasItsFolderSyncedAndItsWriteCounted) {
    testsupport::TempDir dir;
    auto target = dir / "2026年12月05日.jvO1";
    std::vector<std::filesystem::path> synced;
    SetFolderSyncedHookForTest([&](const std::filesystem::path& f) { synced.push_back(f); });
    const std::uint64_t before = WriteCount(target);
    ASSERT_TRUE(WriteFileAtomic(target, "odds"));
    SetFolderSyncedHookForTest(nullptr);
    EXPECT_EQ(synced, std::vector<std::filesystem::path>{dir.path()});
    EXPECT_EQ(WriteCount(target), before + 1);
    // The same file named another way counts as the same file.
    EXPECT_EQ(WriteCount(dir / "." / "2026年12月05日.jvO1"), before + 1);
    // A write that did not happen is not counted.
    SetBeforeRenameHookForTest([](const std::filesystem::path&) { return false; });
    EXPECT_FALSE(WriteFileAtomic(target, "other").ok);
    SetBeforeRenameHookForTest(nullptr);
    EXPECT_EQ(WriteCount(target), before + 1);
}

// Writes that do not wait for the disk still replace the file whole and count; the program's
// own writes wait again once the switch is back.
TEST(FileIo, UnsyncedWritesStillReplaceTheFileWhole) {
    testsupport::TempDir dir;
    auto target = dir / "sample.jvRA";
    std::vector<std::filesystem::path> synced;
    SetFolderSyncedHookForTest([&](const std::filesystem::path& f) { synced.push_back(f); });
    SetWritesSynced(false);
    const std::uint64_t before = WriteCount(target);
    const bool written = WriteFileAtomic(target, "races").ok && SyncFolder(dir.path()).ok;
    SetWritesSynced(true);
    ASSERT_TRUE(written);
    EXPECT_EQ(testsupport::Slurp(target), "races");
    EXPECT_EQ(WriteCount(target), before + 1);
    EXPECT_TRUE(synced.empty());
    ASSERT_TRUE(WriteFileAtomic(target, "again"));
    SetFolderSyncedHookForTest(nullptr);
    EXPECT_EQ(synced, std::vector<std::filesystem::path>{dir.path()});
    EXPECT_EQ(Names(dir.path()).size(), 1u);
}

// The cause of a folder that cannot be made is told, not the missing folder it leads to.
TEST(FileIo, AFolderThatCannotBeMadeIsReportedWithItsCause) {
    testsupport::TempDir dir;
    std::filesystem::create_symlink(dir / "nowhere", dir / "SEI");
    IoResult r = CreateFolders(dir / "SEI" / "2020");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, (dir / "SEI" / "2020").string() +
                             " を作成できません（同じ名前のファイルがあります）。");
    EXPECT_TRUE(CreateFolders(dir / "Data" / "x").ok);
    EXPECT_TRUE(std::filesystem::is_directory(dir / "Data" / "x"));
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
    EXPECT_TRUE(ReadFileOrMissing(dir / "nothing.txt").Missing());
}

// The user reads the cause in words; the system's own text, which a support request needs,
// goes to the log and nowhere else.
TEST(FileIo, AFailedWriteSaysItsCauseInJapaneseAndLogsTheSystemsText) {
    testsupport::TempDir dir;
    std::vector<std::string> logged;
    SetFailureLog([&](const std::string& text) { logged.push_back(text); });
    const IoResult missing = WriteFileAtomic(dir / "missing" / "x.txt", "x");
    std::filesystem::create_directory(dir / "taken");
    const IoResult taken = WriteFileAtomic(dir / "taken", "x");
    SetFailureLog(nullptr);
    EXPECT_EQ(missing.message,
              (dir / "missing" / "x.txt").string() + " を書き込めません（フォルダがありません）。");
    EXPECT_EQ(taken.message,
              (dir / "taken").string() + " を書き込めません（同じ名前のフォルダがあります）。");
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0], (dir / "missing" / "x.txt").string() + " を書き込めません: " +
                             std::strerror(ENOENT) + " (errno " + std::to_string(ENOENT) + ")");
    EXPECT_NE(logged[1].find(std::strerror(EISDIR)), std::string::npos) << logged[1];

    const struct {
        int err;
        const char* cause;
    } kCauses[] = {{EACCES, "書き込む権限がありません"},   {EPERM, "書き込む権限がありません"},
                   {EROFS, "読み取り専用のディスクです"},  {ENOSPC, "ディスクの空きが足りません"},
                   {EDQUOT, "ディスクの空きが足りません"}, {EBADF, "エラー番号 9"}};
    for (const auto& c : kCauses) EXPECT_EQ(FailureCause(c.err), c.cause) << c.err;
}

// The system's own answer tells a missing file from one the user may not read. Modes do not stop
// root, so root reads as an ordinary user.
TEST(FileIo, AFileThatCannotBeReadIsNotAMissingOne) {
    testsupport::TempDir dir;
    const auto file = dir / "ChaseHorse.dat";
    testsupport::WriteBytes(file, "kept");
    ASSERT_EQ(::chmod(file.c_str(), 0), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const bool asUser = ::geteuid() == 0 && ::seteuid(65534) == 0;
    const FileRead unreadable = ReadFileOrMissing(file);
    if (asUser) {
        EXPECT_EQ(::seteuid(0), 0);
    }
    EXPECT_EQ(unreadable.read.message,
              file.string() + " を読み込めません（読み込む権限がありません）。");
}

// The system answers only that a permission was missing; the user is told which: a folder on the
// way that may not be entered, named, or the reading or writing the operation asked for. A folder
// that may be written but not read takes the files, and only its sync fails: that is what is
// said. The system answers as an ordinary user, whom modes stop.
TEST(FileIo, ARefusedPermissionIsWordedFromWhatWasMissing) {
    testsupport::TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const auto unread = dir / "unread", shut = dir / "shut", ro = dir / "ro";
    for (const auto& [folder, mode] : {std::pair{unread, 0300}, {shut, 0600}, {ro, 0555}}) {
        std::filesystem::create_directory(folder);
        testsupport::WriteBytes(folder / "a.txt", "old");
        ASSERT_EQ(::chmod((folder / "a.txt").c_str(), 0666), 0);
        ASSERT_EQ(::chmod(folder.c_str(), static_cast<mode_t>(mode)), 0);
        if (::geteuid() == 0) { // the folder as the user's own
            ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
        }
    }
    const bool asUser = ::geteuid() == 0 && ::seteuid(65534) == 0;
    if (::geteuid() == 0) GTEST_SKIP() << "root passes every mode";
    const IoResult synced = WriteFileAtomic(unread / "a.txt", "new");
    const IoResult entered = WriteFileAtomic(shut / "a.txt", "new");
    const IoResult written = WriteFileAtomic(ro / "a.txt", "new");
    const FileRead read = ReadFileOrMissing(shut / "a.txt");
    const IoResult made = CreateFolders(shut / "x" / "y");
    if (asUser) {
        EXPECT_EQ(::seteuid(0), 0);
    }
    EXPECT_EQ(synced.message, unread.string() +
                                  " のファイルは置き換えましたが、ディスクへの書き込み"
                                  "を確かめられません（読み込む権限がありません）。");
    EXPECT_EQ(testsupport::Slurp(unread / "a.txt"), "new");
    EXPECT_EQ(entered.message, (shut / "a.txt").string() + " を書き込めません（" + shut.string() +
                                   " を開く権限がありません）。");
    EXPECT_EQ(written.message,
              (ro / "a.txt").string() + " を書き込めません（書き込む権限がありません）。");
    EXPECT_EQ(read.read.message, (shut / "a.txt").string() + " を読み込めません（" + shut.string() +
                                     " を開く権限がありません）。");
    EXPECT_EQ(made.message, (shut / "x" / "y").string() + " を作成できません（" + shut.string() +
                                " を開く権限がありません）。");
    for (const auto& folder : {unread, shut, ro}) ::chmod(folder.c_str(), 0755);
}

// A list of days or sets from a folder the user may not list would pass for one holding none;
// only a folder that is not there lists as missing. The system answers as an ordinary user.
TEST(FileIo, AFolderThatCannotBeListedIsNotAMissingOne) {
    testsupport::TempDir dir;
    const auto locked = dir / "Data", file = dir / "Nerai";
    std::filesystem::create_directory(locked);
    testsupport::WriteBytes(locked / "a.jvRA", "x");
    testsupport::WriteBytes(file, "a file where the folder goes");
    ASSERT_EQ(::chmod(locked.c_str(), 0), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const bool asUser = ::geteuid() == 0 && ::seteuid(65534) == 0;
    const FolderList lockedList = ListFolder(locked), fileList = ListFolder(file),
                     missing = ListFolder(dir / "none");
    if (asUser) {
        EXPECT_EQ(::seteuid(0), 0);
    }
    ASSERT_EQ(::chmod(locked.c_str(), 0755), 0);
    EXPECT_EQ(lockedList.list.message,
              locked.string() + " を読み込めません（読み込む権限がありません）。");
    EXPECT_FALSE(fileList.list) << "a file where the folder should be";
    EXPECT_TRUE(missing.Missing());
    const FolderList listed = ListFolder(locked);
    ASSERT_TRUE(listed.entries);
    ASSERT_EQ(listed.entries->size(), 1u);
    EXPECT_EQ(listed.entries->front().path().filename(), "a.jvRA");
}

TEST(FileIo, LinesEndAtCrLfLfOrALoneCr) {
    using Lines = std::vector<std::string_view>;
    const struct {
        std::string_view bytes;
        Lines lines;
    } kCases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\nb", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\r\nb\r", {"a", "", "b"}},
        {"\r\n", {""}},
        {"\r", {""}},
        {"a\r\n\rb\n\nc", {"a", "", "b", "", "c"}},
    };
    for (const auto& c : kCases) EXPECT_EQ(SplitLines(c.bytes), c.lines) << c.bytes;
}
