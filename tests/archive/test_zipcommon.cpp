// The extractor's frame, shared by every archive type: output names and folders, the entries
// a run selects, what replaces an existing file and what never does, the events in order, the
// file types of Unix modes, the folder handler's answers, and the library's version and file
// copies.

#include "archive/zipcommon.h"

#include "archive/unzip.h"
#include "keiba/newfile.h"
#include "tests/archive/extractfixture.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace archive;
using namespace ziptest;
namespace fs = std::filesystem;
using testsupport::Slurp;
using testsupport::TempDir;
using testsupport::Tree;
using testsupport::WriteBytes;

TEST(UnzipOutputNames, StoredFoldersDrivesAndLeadingSeparators) {
    TempDir dir;
    auto a = ziptest::File("data\\XQ20240101.vzkd", "A");
    auto b = ziptest::File("\\XQ20240102.vzkd", "B");
    auto c = ziptest::File("C:\\data\\XQ20240103.vzkd", "C");
    auto d = ziptest::File("..\\XQ20240104.vzkd", "D");
    WriteBytes(dir / "n.zip", ziptest::Build({a, b, c, d}));
    WriteBytes(dir / "out/XQ20240102.vzkd", "old"); // overwritten without a question
    RunResult r = Extract(dir / "n.zip", dir / "out");
    EXPECT_EQ(r.count, 4);
    EXPECT_EQ(Slurp(dir / "out/data/XQ20240101.vzkd"), "A");
    EXPECT_EQ(Slurp(dir / "out/XQ20240102.vzkd"), "B");
    EXPECT_EQ(Slurp(dir / "out/data/XQ20240103.vzkd"), "C");
    EXPECT_EQ(Slurp(dir / "out/XQ20240104.vzkd"), "D");
    struct stat st {};
    ASSERT_EQ(::stat((dir / "out/XQ20240102.vzkd").c_str(), &st), 0);
    std::tm tm{};
    tm.tm_year = 124, tm.tm_mon = 0, tm.tm_mday = 1, tm.tm_hour = 12, tm.tm_isdst = -1;
    EXPECT_EQ(st.st_mtime, std::mktime(&tm)); // the entry's date
}

// Each file gets its entry's local date and time: the hours whose top bit is set (16 to 23), the
// last second of a day, whatever day and hour the entry before had.
TEST(UnzipFileTimes, EachFileGetsItsEntrysLocalTime) {
    const struct {
        const char* name;
        int year, month, day, hour, minute, second;
    } cases[] = {
        {"last.csv", 2024, 12, 31, 23, 59, 58},
        {"first.csv", 2024, 12, 31, 0, 0, 0},
        {"late.csv", 2025, 1, 1, 19, 30, 10},
        {"next day.csv", 2025, 1, 2, 19, 30, 10},
    };
    TempDir dir;
    std::vector<Item> items;
    for (const auto& c : cases) {
        Item it = File(c.name, c.name);
        it.time = static_cast<std::uint16_t>(c.hour << 11 | c.minute << 5 | c.second / 2);
        it.date = static_cast<std::uint16_t>((c.year - 1980) << 9 | c.month << 5 | c.day);
        items.push_back(it);
    }
    WriteBytes(dir / "t.zip", Build(items));
    RunResult r = Extract(dir / "t.zip", dir / "out");
    EXPECT_EQ(r.count, static_cast<int>(std::size(cases)));
    for (const auto& c : cases) {
        struct stat st {};
        ASSERT_EQ(::stat((dir / "out" / c.name).c_str(), &st), 0) << c.name;
        std::tm tm{};
        tm.tm_year = c.year - 1900, tm.tm_mon = c.month - 1, tm.tm_mday = c.day;
        tm.tm_hour = c.hour, tm.tm_min = c.minute, tm.tm_sec = c.second, tm.tm_isdst = -1;
        EXPECT_EQ(st.st_mtime, std::mktime(&tm)) << c.name;
    }
}

// "..", like "a\..", names no file below the target folder: it is refused and not counted, and
// its data go nowhere.
TEST(UnzipOutputNames, AnEntryNamedDotDotIsRefusedAsAnInvalidName) {
    TempDir dir;
    WriteBytes(dir / "d.zip",
               ziptest::Build({ziptest::File("..", "data"), ziptest::File(".", "x"),
                               ziptest::File("a\\..", "data"), ziptest::File("ok.csv", "fine")}));
    RunResult r = Extract(dir / "d.zip", dir / "out");
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(r.errors, (std::vector<int>{kMsgInvalidName, kMsgInvalidName, kMsgInvalidName}));
    EXPECT_EQ(Files(dir / "out"), (std::map<std::string, std::string>{{"ok.csv", "fine"}}));
}

TEST(UnzipOutputNames, HostileNamesNeverLeaveTheTargetFolder) {
    TempDir dir;
    fs::create_directories(dir / "outside");
    fs::create_directories(dir / "out");
    fs::create_symlink(dir / "outside", dir / "out/lnk");
    auto item = [](std::string name) { return ziptest::File(std::move(name), "evil"); };
    ziptest::Item link = item("sneaky");
    link.method = 0;
    link.data = "../outside";
    link.versionMadeBy = 0x031E;
    link.externalAttr = 0120777u << 16;
    std::vector<ziptest::Item> items = {
        item("a/../../outside/x1.txt"),   item("..\\..\\outside\\x2.txt"),
        item("///outside/x3.txt"),        item("C:\\..\\outside\\x4.txt"),
        item("C:D:\\outside\\x5.txt"),    item("lnk/x6.txt"),
        item(std::string("x7\0.txt", 7)), link,
        item("sub\\..\\..\\x8.txt"),      ziptest::File("ok.csv", "fine"),
    };
    WriteBytes(dir / "h.zip", ziptest::Build(items));
    RunResult r = Extract(dir / "h.zip", dir / "out");
    EXPECT_EQ(Files(dir / "outside").size(), 0u);
    EXPECT_EQ(CountEntries(dir.path()), 5u); // h.zip, outside, out, out/lnk, out/ok.csv
    EXPECT_EQ(Slurp(dir / "out/ok.csv"), "fine");
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(std::count(r.errors.begin(), r.errors.end(), kMsgInvalidName), 8);
    EXPECT_EQ(std::count(r.errors.begin(), r.errors.end(), kMsgInvalidAttribute), 1); // the link
}

TEST(UnzipCorruptEntries, FailedEntriesNeverReplaceGoodFilesAndTheRunGoesOn) {
    TempDir dir;
    std::string text = Records(4000, 3);
    auto flipped = ziptest::File("a.csv", text);
    std::string packed = ziptest::RawDeflate(text);
    packed[packed.size() / 2] ^= 0x20;
    flipped.payload = packed;
    auto truncated = ziptest::File("b.csv", text);
    truncated.payload = ziptest::RawDeflate(text).substr(0, 1000);
    auto badCrc = ziptest::File("c.csv", "stored", 0);
    badCrc.crc = 12345;
    auto longer = ziptest::File("d.csv", "123456789", 0);
    longer.usize = 5; // stored bytes beyond the declared size
    auto good = ziptest::File("e.csv", text);
    WriteBytes(dir / "c.zip", ziptest::Build({flipped, truncated, badCrc, longer, good}));
    fs::create_directories(dir / "out");
    for (const char* name : {"a.csv", "b.csv", "c.csv", "d.csv"})
        WriteBytes(dir / "out" / name, "GOOD");
    RunResult r = Extract(dir / "c.zip", dir / "out");
    EXPECT_EQ(r.count, 1);
    for (const char* name : {"a.csv", "b.csv", "c.csv", "d.csv"}) {
        EXPECT_EQ(Slurp(dir / "out" / name), "GOOD") << name;
        EXPECT_FALSE(r.ends[name]) << name;
    }
    EXPECT_EQ(Slurp(dir / "out/e.csv"), text);
    EXPECT_EQ(std::count(r.errors.begin(), r.errors.end(), kMsgCrcError), 4);
    EXPECT_EQ(Files(dir / "out").size(), 5u); // no temporary file left behind
}

// Existing files are replaced whole; a link standing where a file goes is replaced, never
// written through; a file with a second name, and one a reader holds open, keep their old
// contents there. A displaced file of ours that nobody else sees is used again for the next
// file, which gets the mode of a new file.
TEST(UnzipOutputFiles, ExistingFilesAreReplacedAndNothingIsWrittenThroughThem) {
    TempDir dir;
    std::vector<ziptest::Item> items;
    // each file displaced can serve the entry after it
    for (const char* name : {"a.csv", "d.csv", "b.csv", "c.csv"})
        items.push_back(ziptest::File(name, std::string("new ") + name[0]));
    WriteBytes(dir / "f.zip", ziptest::Build(items));
    fs::create_directories(dir / "out");
    WriteBytes(dir / "out/a.csv", "old a, longer than the new one");
    fs::permissions(dir / "out/a.csv", fs::perms::owner_read | fs::perms::owner_write);
    WriteBytes(dir / "outside.txt", "outside");
    fs::create_symlink(dir / "outside.txt", dir / "out/b.csv");
    WriteBytes(dir / "out/c.csv", "old c");
    fs::create_hard_link(dir / "out/c.csv", dir / "c-kept.csv");
    WriteBytes(dir / "out/d.csv", "old d");
    int reader = ::open((dir / "out/d.csv").c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);
    struct stat oldA {};
    ASSERT_EQ(::stat((dir / "out/a.csv").c_str(), &oldA), 0);

    RunResult r = Extract(dir / "f.zip", dir / "out");
    EXPECT_EQ(r.count, 4);
    EXPECT_EQ(Files(dir / "out"),
              (std::map<std::string, std::string>{
                  {"a.csv", "new a"}, {"b.csv", "new b"}, {"c.csv", "new c"}, {"d.csv", "new d"}}));
    EXPECT_EQ(CountEntries(dir / "out"), 4u); // no old file left under another name
    EXPECT_EQ(Slurp(dir / "outside.txt"), "outside");
    EXPECT_EQ(Slurp(dir / "c-kept.csv"), "old c");
    char held[8] = {};
    EXPECT_EQ(::pread(reader, held, 5, 0), 5);
    EXPECT_EQ(std::string(held), "old d");
    ::close(reader);

    mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat newD {};
    ASSERT_EQ(::lstat((dir / "out/d.csv").c_str(), &newD), 0);
    EXPECT_EQ(newD.st_ino, oldA.st_ino); // a's old file, used again
    for (const char* name : {"a.csv", "b.csv", "c.csv", "d.csv"}) {
        struct stat st {};
        ASSERT_EQ(::lstat((dir / "out" / name).c_str(), &st), 0);
        EXPECT_TRUE(S_ISREG(st.st_mode)) << name;
        EXPECT_EQ(st.st_mode & 07777, 0666u & ~mask) << name;
    }
}

// Where a file without a name cannot be linked in (no /proc, and a kernel that links through a
// descriptor only with a capability), it goes through a temporary file: each new file is whole
// under its name with its stored mode and date, and nothing else is left; also where files are
// closed before they are linked in.
TEST(UnzipOutputFiles, NewFilesThatCannotBeLinkedInComeThroughTemporaryFiles) {
    int unnamed = 0;
    bool closingMayFail = false;
    keiba::NewFileCalls calls;
    calls.openUnnamed = [&](int dirFd, int flags, unsigned mode) {
        ++unnamed;
        return ::openat(dirFd, ".", O_TMPFILE | flags, mode);
    };
    calls.link = [](int, const char*, int, const char*, int) {
        errno = ENOENT;
        return -1;
    };
    calls.statFs = [&](int fd, struct statfs* fs) {
        const int r = ::fstatfs(fd, fs);
        if (closingMayFail) fs->f_type = 0x65735546; // FUSE
        return r;
    };
    keiba::SetNewFileCallsForTest(calls);
    struct Restore {
        ~Restore() { keiba::SetNewFileCallsForTest({}); }
    } restore;
    Item first = File("private.csv", Records(6000, 3)); // more than one output block
    first.versionMadeBy = 0x0314;
    first.externalAttr = 0100640u << 16;
    const Item second = File("next.csv", "next");
    std::tm noon{};
    noon.tm_year = 124, noon.tm_mon = 0, noon.tm_mday = 1, noon.tm_hour = 12, noon.tm_isdst = -1;
    const std::time_t stored = std::mktime(&noon); // the entries' date, 2024-01-01 12:00
    for (bool mayFail : {false, true}) {
        closingMayFail = mayFail;
        TempDir dir;
        WriteBytes(dir / "a.zip", Build({first, second}));
        RunResult r = Extract(dir / "a.zip", dir / "out");
        EXPECT_EQ(r.count, 2) << mayFail;
        EXPECT_TRUE(r.errors.empty()) << mayFail;
        EXPECT_EQ(Tree(dir / "out"), (std::map<std::string, std::string>{
                                         {"private.csv", first.data}, {"next.csv", "next"}}))
            << mayFail;
        struct stat st {};
        ASSERT_EQ(::stat((dir / "out/private.csv").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0640u) << mayFail;
        EXPECT_EQ(st.st_mtime, stored) << mayFail;
    }
    if (unnamed == 0) GTEST_SKIP() << "this file system makes no files without a name";
}

TEST(UnzipCorruptEntries, AFolderWhereTheFileGoesStaysAndTheRunGoesOn) {
    TempDir dir;
    WriteBytes(dir / "f.zip",
               ziptest::Build({ziptest::File("a.csv", "file"), ziptest::File("b.csv", "next")}));
    fs::create_directories(dir / "out/a.csv/inside");
    RunResult r = Extract(dir / "f.zip", dir / "out");
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(r.errors, std::vector<int>{kMsgOverwriteAttr});
    EXPECT_TRUE(fs::is_directory(dir / "out/a.csv/inside"));
    EXPECT_EQ(Files(dir / "out"), (std::map<std::string, std::string>{{"b.csv", "next"}}));
}

TEST(UnzipCorruptEntries, DeclaredSizesBoundTheWork) {
    TempDir dir;
    std::string small = Records(40, 5); // about 1.7 KB
    auto claims10MB = ziptest::File("big.csv", small);
    claims10MB.usize = 10'000'000;
    auto storedClaims = ziptest::File("stored.csv", small, 0);
    storedClaims.usize = 10'000'000;
    // 64 MiB of zeros packed to about 64 KB, declared as 1 MiB with the CRC of its first MiB
    std::string zeros(64u << 20, '\0');
    auto bomb = ziptest::File("bomb.bin", zeros.substr(0, 1u << 20));
    bomb.payload = ziptest::RawDeflate(zeros, 9);
    zeros.clear();
    zeros.shrink_to_fit();
    WriteBytes(dir / "s.zip", ziptest::Build({claims10MB, storedClaims, bomb}));
    // the processor time it took, which other work on the machine does not lengthen
    const std::clock_t start = std::clock();
    RunResult r = Extract(dir / "s.zip", dir / "out");
    EXPECT_LT(static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC, 5.0);
    EXPECT_EQ(r.count, 0);
    EXPECT_LE(r.bytesAtEnd["big.csv"], static_cast<std::int64_t>(small.size()));
    EXPECT_EQ(r.bytesAtEnd["bomb.bin"], 1 << 20); // written only up to the declared size
    EXPECT_FALSE(r.ends["bomb.bin"]);             // and refused: the stream goes on
    EXPECT_EQ(Files(dir / "out").size(), 0u);
}

TEST(UnzipEvents, OrderForThreeEntriesAndCancelFromProgress) {
    TempDir dir;
    auto a = ziptest::File("a.csv", Records(2000, 1));
    auto b = ziptest::File("b.csv", "");
    auto c = ziptest::File("c.csv", "0123456789");
    WriteBytes(dir / "e.zip", ziptest::Build({a, b, c}));
    RunResult r = Extract(dir / "e.zip", dir / "out");
    const std::vector<std::string> expected = {"activate",       "begin a.csv 1", "progress",
                                               "end a.csv pass", "begin b.csv 2", "end b.csv pass",
                                               "begin c.csv 3",  "progress",      "end c.csv pass",
                                               "elapsed",        "deactivate"};
    EXPECT_EQ(r.log, expected);
    EXPECT_EQ(r.count, 3);

    RunResult none = Extract(dir / "e.zip", dir / "none", {});
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.log, (std::vector<std::string>{"activate", "elapsed", "deactivate"}));

    int progressCalls = 0;
    RunResult cancelled = Extract(dir / "e.zip", dir / "cancel", {"*"}, [&](TUnZip& z) {
        z.OnProgress = [&](TZipCommon& s, std::uint8_t, std::uint8_t) {
            ++progressCalls;
            s.SetCancel(true);
        };
    });
    EXPECT_EQ(progressCalls, 1);
    EXPECT_EQ(cancelled.count, 0);
    EXPECT_FALSE(cancelled.ends["a.csv"]);
    EXPECT_EQ(cancelled.ends.count("b.csv"), 0u);
    EXPECT_NE(std::find(cancelled.errors.begin(), cancelled.errors.end(), kMsgUserCanceled),
              cancelled.errors.end());
    EXPECT_EQ(Files(dir / "cancel").size(), 0u);
}

TEST(UnzipSelection, MasksFoldersAndExclusions) {
    TempDir dir;
    WriteBytes(dir / "s.zip", ziptest::Build({ziptest::File("VZK/RCOM20240101.CSV", "1"),
                                              ziptest::File("XQ20240101.vzkd", "2"),
                                              ziptest::File("readme.txt", "3"),
                                              ziptest::File("old/XQ20230101.vzkd", "4")}));
    RunResult r = Extract(dir / "s.zip", dir / "out", {"*.csv", "*.vzkd"},
                          [](TUnZip& z) { z.SetExcludeSpec({"old\\*"}); });
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(Files(dir / "out"), (std::map<std::string, std::string>{{"VZK/RCOM20240101.CSV", "1"},
                                                                      {"XQ20240101.vzkd", "2"}}));
}

// Unix tools record the file type in the mode; only links, devices and sockets stand for no file.
TEST(UnzipUnixModes, EntriesWithoutAFileTypeOrFromAPipeAreFiles) {
    TempDir dir;
    std::string missing;
    if (!HaveTool("python3")) missing += " python3";
    if (!HaveTool("zip")) missing += " zip";
    if (HaveTool("python3")) { // zipfile.writestr records mode 0600 without a file type
        ASSERT_EQ(Shell("cd " + Quote(dir.path()) +
                        " && python3 -c \"import zipfile; z = zipfile.ZipFile('py.zip', 'w'); "
                        "z.writestr('rcom.csv', '1,2\\r\\n'); z.close()\""),
                  0);
        RunResult r = Extract(dir / "py.zip", dir / "py");
        EXPECT_EQ(r.count, 1);
        EXPECT_EQ(Files(dir / "py"), (std::map<std::string, std::string>{{"rcom.csv", "1,2\r\n"}}));
        struct stat st {};
        ASSERT_EQ(::stat((dir / "py/rcom.csv").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
    }
    if (HaveTool("zip")) { // a zip of standard input records the pipe's mode
        ASSERT_EQ(Shell("cd " + Quote(dir.path()) + " && printf x | zip -q pipe.zip -"), 0);
        RunResult r = Extract(dir / "pipe.zip", dir / "pipe");
        EXPECT_EQ(r.count, 1);
        EXPECT_EQ(Files(dir / "pipe"), (std::map<std::string, std::string>{{"-", "x"}}));
    }
    if (!missing.empty()) GTEST_SKIP() << "not run, not installed:" << missing;
}

TEST(UnzipUnixModes, LinksDevicesAndSocketsAreRefusedAsSuch) {
    TempDir dir;
    auto unixEntry = [](std::string name, std::uint32_t mode) {
        auto it = ziptest::File(std::move(name), "data", 0);
        it.versionMadeBy = 0x0314; // Unix
        it.externalAttr = mode << 16;
        return it;
    };
    std::vector<ziptest::Item> items = {
        unixEntry("typeless.csv", 0644),   unixEntry("pipe.csv", 010600),
        unixEntry("link", 0120777),        unixEntry("chardev", 020644),
        unixEntry("blockdev", 060644),     unixEntry("socket", 0140755),
        unixEntry("regular.csv", 0100640),
    };
    WriteBytes(dir / "u.zip", ziptest::Build(items));
    std::vector<std::pair<int, std::string>> refused;
    RunResult r = Extract(dir / "u.zip", dir / "out", {"*"}, [&](TUnZip& z) {
        z.OnError = [&](TZipCommon&, const std::string& name, const std::string& text,
                        const std::string&,
                        int code) { refused.emplace_back(code, name + ": " + text); };
    });
    EXPECT_EQ(r.count, 3);
    EXPECT_EQ(Files(dir / "out"), (std::map<std::string, std::string>{
                                      {"typeless.csv", "data"},
                                      {"pipe.csv", "data"},
                                      {"regular.csv", "data"},
                                  }));
    const std::vector<std::pair<int, std::string>> expected = {
        {kMsgInvalidAttribute, "link: symbolic link"},
        {kMsgInvalidAttribute, "chardev: device"},
        {kMsgInvalidAttribute, "blockdev: device"},
        {kMsgInvalidAttribute, "socket: socket"},
    };
    EXPECT_EQ(refused, expected);
}

// "*RCOM*" has no "."; a folder entry (no "." either) once made the matcher append one to the
// mask for good, and "*RCOM*." selects no file with an extension.
TEST(UnzipSelection, ADotlessMaskStaysAsGiven) {
    TempDir dir;
    auto folder = ziptest::File("VZK/", "", 0);
    folder.externalAttr = 0x10;
    WriteBytes(dir / "m.zip", ziptest::Build({folder, ziptest::File("VZK/RCOM20240101.CSV", "rcom"),
                                              ziptest::File("VZK/XQ20240101.vzkd", "xq")}));
    RunResult r = Extract(dir / "m.zip", dir / "out", {"*RCOM*"});
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(Files(dir / "out"),
              (std::map<std::string, std::string>{{"VZK/RCOM20240101.CSV", "rcom"}}));
}

// CP932 trail bytes include "\" (表 is 95 5C, ソ 83 5C, 能 94 5C): names are split into folder
// and file by characters.
TEST(UnzipSelection, ShiftJisTrailBytesSeparateNoFolders) {
    TempDir dir;
    WriteBytes(dir / "j.zip", ziptest::Build({
                                  ziptest::File(keiba::Sj("競馬/出馬表.csv"), "card"),
                                  ziptest::File(keiba::Sj("表ソ能.txt"), "kept"),
                                  ziptest::File(keiba::Sj("ソ能.txt"), "excluded"),
                              }));
    RunResult selected = Extract(dir / "j.zip", dir / "sel", {keiba::Sj("出馬*.csv")});
    EXPECT_EQ(Files(dir / "sel"),
              (std::map<std::string, std::string>{{"競馬/出馬表.csv", "card"}}));

    RunResult excluded = Extract(dir / "j.zip", dir / "exc", {keiba::Sj("*.txt")},
                                 [](TUnZip& z) { z.SetExcludeSpec({keiba::Sj("ソ*")}); });
    EXPECT_EQ(Files(dir / "exc"), (std::map<std::string, std::string>{{"表ソ能.txt", "kept"}}));
}

TEST(UnzipOutputFolder, AFileNamedAsExtractDirKeepsThePreviousFolder) {
    TempDir dir;
    WriteBytes(dir / "taken", "a file");
    TUnZip z;
    std::vector<int> errors;
    z.OnError = [&](TZipCommon&, const std::string&, const std::string&, const std::string&,
                    int code) { errors.push_back(code); };
    z.SetExtractDir(keiba::PathToUtf8(dir / "first"));
    std::string before = z.ExtractDir();
    z.SetExtractDir(keiba::PathToUtf8(dir / "taken"));
    z.SetExtractDir(keiba::PathToUtf8(dir / "taken") + "/");
    EXPECT_EQ(errors, (std::vector<int>{kMsgCreateDirError, kMsgCreateDirError}));
    EXPECT_EQ(z.ExtractDir(), before);
    EXPECT_EQ(Slurp(dir / "taken"), "a file");
}

// A target nobody may write to, not even root: /proc takes no new files or folders.
TEST(UnzipOutputFolder, ALimitedUserHandlerIsAskedAtMostThreeTimes) {
    TempDir dir;
    WriteBytes(dir / "a.zip", ziptest::Build({ziptest::File("a.csv", "A")}));
    const std::string good = keiba::PathToUtf8(dir / "good");
    fs::create_directories(dir / "good");
    struct Case {
        const char* what;
        std::vector<std::string> answers; // taken in turn, the last one again and again
        int asked;
        int count;
    };
    const Case cases[] = {
        {"no folder", {""}, 3, 0},
        {"a missing folder", {keiba::PathToUtf8(dir / "missing")}, 3, 0},
        {"two folders that cannot be written, in turn", {"/proc", "/sys", "/proc"}, 3, 0},
        {"a good folder the third time", {"", "/proc", good}, 3, 1},
    };
    for (const auto& c : cases) {
        int asked = 0;
        RunResult r = Extract(dir / "a.zip", "/proc/kestrane-test", {"*"}, [&](TUnZip& z) {
            z.OnLimitedUser = [&](TZipCommon&, const std::string&, std::string& userDir,
                                  bool& cancel) {
                userDir = c.answers[std::min<std::size_t>(asked, c.answers.size() - 1)];
                cancel = ++asked > 10; // a test that fails, not one that hangs
            };
        });
        EXPECT_EQ(asked, c.asked) << c.what;
        EXPECT_EQ(r.count, c.count) << c.what;
        if (c.count == 0) {
            ASSERT_FALSE(r.errors.empty()) << c.what;
            EXPECT_EQ(r.errors.back(), kMsgInvalidDir) << c.what;
        }
    }
    EXPECT_EQ(Slurp(dir / "good/a.csv"), "A");
}

// A folder entry that begins passes and counts like a file, whether it is made or not asked for;
// one that cannot be made (a file stands there) fails and does not count.
TEST(UnzipOutputFolder, FolderEntriesCountLikeFiles) {
    TempDir dir;
    std::vector<ziptest::Item> items;
    for (const char* name : {"VZK/", "VZK/old/", "empty/"}) {
        auto folder = ziptest::File(name, "", 0);
        folder.externalAttr = 0x10;
        items.push_back(folder);
    }
    for (int i = 0; i < 7; ++i)
        items.push_back(ziptest::File("VZK/" + std::to_string(i) + ".csv", std::to_string(i)));
    WriteBytes(dir / "f.zip", ziptest::Build(items));
    fs::create_directories(dir / "blocked");
    WriteBytes(dir / "blocked/empty", "a file");
    const struct {
        const char* out;
        bool create;
        int count;
    } cases[] = {{"notmade", false, 10}, {"made", true, 10}, {"blocked", true, 9}};
    for (const auto& c : cases) {
        RunResult r = Extract(dir / "f.zip", dir / c.out, {"*"},
                              [&](TUnZip& z) { z.SetCreateStoredDirs(c.create); });
        EXPECT_EQ(r.count, c.count) << c.out;
        EXPECT_EQ(r.ends.size(), 10u) << c.out;
        EXPECT_EQ(fs::is_directory(dir / c.out / "empty"), c.create && c.count == 10) << c.out;
        EXPECT_EQ(Slurp(dir / c.out / "VZK/6.csv"), "6") << c.out;
    }
    EXPECT_EQ(Slurp(dir / "blocked/empty"), "a file");
}

// Stored attributes other than 32 set the file's permissions exactly, the umask's bits too, on a
// new file and on one that replaces another; 32 leaves those of a new file.
TEST(UnzipUnixModes, StoredAttributesGiveTheExactMode) {
    TempDir dir;
    const mode_t oldMask = ::umask(022);
    auto entry = [](std::string name, std::uint16_t madeBy, std::uint32_t attr) {
        auto it = ziptest::File(std::move(name), "data", 0);
        it.versionMadeBy = madeBy;
        it.externalAttr = attr;
        return it;
    };
    const struct {
        const char* name;
        std::uint16_t madeBy;
        std::uint32_t attr;
        mode_t mode;
    } cases[] = {
        {"shared.csv", 0x0314, 0100666u << 16, 0666}, {"private.csv", 0x0314, 0100600u << 16, 0600},
        {"script.sh", 0x0314, 0100755u << 16, 0755},  {"readonly.csv", 0x0014, 0x21, 0444},
        {"archived.csv", 0x0014, 0x20, 0644},         {"plain.csv", 0x0014, 0x00, 0644},
    };
    std::vector<ziptest::Item> items;
    for (const auto& c : cases) items.push_back(entry(c.name, c.madeBy, c.attr));
    WriteBytes(dir / "m.zip", ziptest::Build(items));
    fs::create_directories(dir / "over");
    for (const auto& c : cases) WriteBytes(dir / "over" / c.name, "old");
    for (const char* out : {"new", "over"}) {
        RunResult r = Extract(dir / "m.zip", dir / out);
        EXPECT_EQ(r.count, 6) << out;
        for (const auto& c : cases) {
            struct stat st {};
            ASSERT_EQ(::stat((dir / out / c.name).c_str(), &st), 0) << out << " " << c.name;
            EXPECT_EQ(st.st_mode & 07777, c.mode) << out << " " << c.name;
        }
    }
    ::umask(oldMask);
}

// Without ConfirmOverwrites a read-only file is opened as it stands and refuses: 25235, and it
// keeps its contents; with the confirmation its attributes are cleared and it is replaced.
TEST(UnzipOutputFiles, AReadOnlyFileIsNotReplacedWithoutConfirmation) {
    TempDir dir;
    const std::string large = Records(8000, 4); // more than a file made under its own name
    ASSERT_GT(large.size(), 256u * 1024);
    WriteBytes(dir / "r.zip", ziptest::Build({ziptest::File("small.csv", "new small"),
                                              ziptest::File("large.csv", large),
                                              ziptest::File("other.csv", "new other")}));
    for (const char* out : {"plain", "confirmed"}) {
        fs::create_directories(dir / out);
        for (const char* name : {"small.csv", "large.csv"}) {
            WriteBytes(dir / out / name, "old");
            fs::permissions(dir / out / name, fs::perms::owner_read | fs::perms::group_read);
        }
    }
    std::vector<std::pair<int, std::string>> errors;
    RunResult plain = Extract(dir / "r.zip", dir / "plain", {"*"}, [&](TUnZip& z) {
        z.OnError = [&](TZipCommon&, const std::string& name, const std::string&,
                        const std::string&, int code) {
            errors.emplace_back(code, fs::path(name).filename().string());
        };
    });
    EXPECT_EQ(plain.count, 1);
    EXPECT_EQ(Files(dir / "plain"),
              (std::map<std::string, std::string>{
                  {"large.csv", "old"}, {"other.csv", "new other"}, {"small.csv", "old"}}));
    EXPECT_FALSE(plain.ends["small.csv"]);
    EXPECT_FALSE(plain.ends["large.csv"]);
    const std::pair<int, std::string> refusedSmall{kMsgOpenError, "small.csv"},
        refusedLarge{kMsgOpenError, "large.csv"};
    EXPECT_EQ(std::count(errors.begin(), errors.end(), refusedSmall), 1);
    EXPECT_EQ(std::count(errors.begin(), errors.end(), refusedLarge), 1);

    RunResult confirmed = Extract(dir / "r.zip", dir / "confirmed", {"*"}, [](TUnZip& z) {
        z.SetConfirmOverwrites(true);
        z.OnFileExists = [](TZipCommon&, const std::string&, std::string&, TOverwriteMode&) {};
    });
    EXPECT_EQ(confirmed.count, 3);
    EXPECT_EQ(Slurp(dir / "confirmed/small.csv"), "new small");
    EXPECT_TRUE(Slurp(dir / "confirmed/large.csv") == large);
}

// The temporary file of a name at the file system's limit (255 bytes) is named within it.
TEST(UnzipOutputFiles, ANameAtTheLengthLimitReplacesItsFile) {
    TempDir dir;
    std::string longest;
    for (int i = 0; i < 85; ++i) longest += "あ";
    ASSERT_EQ(longest.size(), 255u);
    WriteBytes(dir / "l.zip", ziptest::Build({ziptest::File(longest, "new", 8, 0x0800)}));
    fs::create_directories(dir / "out");
    WriteBytes(dir / "out" / longest, "old");
    RunResult r = Extract(dir / "l.zip", dir / "out");
    EXPECT_EQ(r.count, 1);
    EXPECT_TRUE(r.errors.empty());
    EXPECT_EQ(Files(dir / "out"), (std::map<std::string, std::string>{{longest, "new"}}));
}

TEST(UnzipLibrary, VersionIsAtLeast0x210020ReadAsMajorDotMinor) {
    TUnZip z;
    const std::pair<int, double> cases[] = {
        {-1, 33.32},       {0, 33.32},       {0x21001F, 33.32}, {0x210020, 33.32},
        {0x210021, 33.33}, {0x230005, 35.5}, {0x220000, 34.0},  {0x7FFF270F, 32767.9999},
    };
    for (auto [version, expected] : cases)
        EXPECT_DOUBLE_EQ(z.GetLibraryVersion(version), expected) << std::hex << version;
}

// Copies and moves replace the target whole and keep the source's bytes; moves also between
// file systems; a cancelled copy, or a file that cannot be opened (25235, raised), changes nothing.
TEST(UnzipLibrary, CopyOrMoveFileReplacesTheTargetWhole) {
    TempDir dir;
    const std::string data(300000, 'd');
    TUnZip z;
    std::vector<int> errors;
    z.OnError = [&](TZipCommon&, const std::string&, const std::string&, const std::string&,
                    int code) { errors.push_back(code); };
    auto path = [&](const char* name) { return keiba::PathToUtf8(dir / name); };
    WriteBytes(dir / "a.bin", data);
    WriteBytes(dir / "old.bin", "old");
    EXPECT_TRUE(z.CopyOrMoveFile(path("a.bin"), path("old.bin"), false));
    EXPECT_TRUE(Slurp(dir / "old.bin") == data);
    EXPECT_TRUE(Slurp(dir / "a.bin") == data);
    EXPECT_TRUE(z.CopyOrMoveFile(path("a.bin"), path("moved.bin"), true));
    EXPECT_FALSE(fs::exists(dir / "a.bin"));
    EXPECT_TRUE(Slurp(dir / "moved.bin") == data);
    // to another file system and back, where a rename cannot move it
    fs::path shm = "/dev/shm";
    std::error_code ec;
    if (fs::is_directory(shm, ec) && fs::status(shm).permissions() != fs::perms::none) {
        struct stat a {
        }, b{};
        ::stat(shm.c_str(), &a);
        ::stat(dir.path().c_str(), &b);
        if (a.st_dev != b.st_dev) {
            std::string there =
                keiba::PathToUtf8(shm / ("kestrane-move-" + std::to_string(::getpid())));
            EXPECT_TRUE(z.CopyOrMoveFile(path("moved.bin"), there, true));
            EXPECT_FALSE(fs::exists(dir / "moved.bin"));
            EXPECT_TRUE(z.CopyOrMoveFile(there, path("moved.bin"), true));
            EXPECT_FALSE(fs::exists(there));
            EXPECT_TRUE(Slurp(dir / "moved.bin") == data);
        }
    }
    EXPECT_TRUE(errors.empty());
    // a copy cut short by a cancel leaves the target as it was
    z.SetCancel(true);
    WriteBytes(dir / "old.bin", "old");
    EXPECT_FALSE(z.CopyOrMoveFile(path("moved.bin"), path("old.bin"), false));
    EXPECT_EQ(Slurp(dir / "old.bin"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2)
        << "a temporary file stayed";
    z.SetCancel(false);
    for (bool move : {false, true}) {
        errors.clear();
        try {
            z.CopyOrMoveFile(path("missing.bin"), path("old.bin"), move);
            ADD_FAILURE() << "a missing source was taken";
        } catch (const EZipError& e) {
            EXPECT_EQ(e.code(), kMsgOpenError);
        }
        try {
            z.CopyOrMoveFile(path("moved.bin"), path("no/such/folder.bin"), move);
            ADD_FAILURE() << "a target in a missing folder was taken";
        } catch (const EZipError& e) {
            EXPECT_EQ(e.code(), kMsgOpenError);
        }
        EXPECT_EQ(errors, (std::vector<int>{kMsgOpenError, kMsgOpenError}));
        EXPECT_EQ(Slurp(dir / "old.bin"), "old");
        EXPECT_TRUE(Slurp(dir / "moved.bin") == data);
    }
}

namespace {

// fsync of a folder fails while this is set, as on a disk that fails its writes.
bool gFolderSyncFails = false;

} // namespace

extern "C" int fsync(int fd) {
    struct stat st {};
    if (gFolderSyncFails && ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
        errno = EIO;
        return -1;
    }
    return static_cast<int>(::syscall(SYS_fsync, fd));
}

// A move between file systems is a copy and a removal: when the copy's folder cannot be synced
// the copy may not outlast a crash, so the source stays and the move fails.
TEST(UnzipLibrary, AMoveWhoseCopyCannotBeSyncedKeepsItsSource) {
    TempDir dir;
    const fs::path source = fs::path("/dev/shm") / ("kestrane-sync-" + std::to_string(::getpid()));
    struct stat shm {
    }, here{};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(dir.path().c_str(), &here) != 0 ||
        shm.st_dev == here.st_dev)
        GTEST_SKIP() << "no second file system at /dev/shm";
    WriteBytes(source, "data");
    struct Remove {
        fs::path p;
        ~Remove() { fs::remove(p); }
    } remove{source};
    TUnZip z;
    std::vector<int> errors;
    z.OnError = [&](TZipCommon&, const std::string&, const std::string&, const std::string&,
                    int code) { errors.push_back(code); };
    gFolderSyncFails = true;
    bool moved = z.CopyOrMoveFile(source.string(), keiba::PathToUtf8(dir / "moved.bin"), true);
    gFolderSyncFails = false;
    EXPECT_FALSE(moved);
    EXPECT_EQ(Slurp(source), "data");
    EXPECT_EQ(errors, std::vector<int>{kMsgWriteError});
}

namespace {

// Records the output stream's hooks with the file each came after.
class HookedUnZip : public TUnZip {
public:
    std::vector<std::string> calls;

protected:
    void AfterReplace(bool sameDrive) override {
        calls.push_back("replaced " + entry_.leaf + (sameDrive ? "" : " elsewhere"));
    }
    void LargeFileReplaced() override { calls.push_back("large " + entry_.leaf); }
};

} // namespace

// The hooks come for each file that replaced its target, the large-file one beyond 64 KB only.
TEST(UnzipOutputFiles, HooksFollowEachReplacedFileAndLargeOnesBeyond64KB) {
    TempDir dir;
    auto bad = ziptest::File("bad.bin", std::string(70000, 'b'));
    bad.crc = 1;
    WriteBytes(dir / "h.zip", ziptest::Build({
                                  ziptest::File("small.txt", "small"),
                                  ziptest::File("64k.bin", std::string(65536, 'k')),
                                  ziptest::File("64k1.bin", std::string(65537, 'l')),
                                  bad,
                              }));
    HookedUnZip z;
    z.SetArchiveFile(keiba::PathToUtf8(dir / "h.zip"));
    z.SetExtractDir(keiba::PathToUtf8(dir / "out"));
    z.SetFileSpec({"*"});
    EXPECT_EQ(z.ExtractArchive(), 3);
    EXPECT_EQ(z.calls, (std::vector<std::string>{"replaced small.txt", "replaced 64k.bin",
                                                 "replaced 64k1.bin", "large 64k1.bin"}));
}

namespace {

// Takes every archive for one of another format.
class OtherFormat : public TUnZip {
public:
    explicit OtherFormat(int kind)
        : kind_(kind) {}
    int GetArcType(TStream32&) override { return kind_; }

private:
    int kind_;
};

} // namespace

// Assigning an archive takes its volume number and letter from its extension; other volumes of
// its set are named with that letter.
TEST(UnzipArchiveFile, TheVolumeNumberComesFromTheExtension) {
    TempDir dir;
    for (const char* name : {"set.a07", "set.arj", "set.j11", "data.zip"})
        WriteBytes(dir / name, "volume");
    OtherFormat arj(kArcArj), jar(kArcJar);
    arj.SetArchiveFile(keiba::PathToUtf8(dir / "set.a07"));
    EXPECT_EQ(arj.VolumeNumber(), 8);
    EXPECT_EQ(arj.VolumeLetter(), 'a');
    EXPECT_EQ(arj.GetVolumeName(12), keiba::PathToUtf8(dir / "set.a12"));
    arj.SetArchiveFile(keiba::PathToUtf8(dir / "set.arj"));
    EXPECT_EQ(arj.VolumeNumber(), 1);
    jar.SetArchiveFile(keiba::PathToUtf8(dir / "set.j11"));
    EXPECT_EQ(jar.VolumeNumber(), 12);
    EXPECT_EQ(jar.GetVolumeName(3), keiba::PathToUtf8(dir / "set.j03"));
    OtherFormat zip(kArcZip);
    zip.SetArchiveFile(keiba::PathToUtf8(dir / "data.zip"));
    EXPECT_EQ(zip.VolumeNumber(), 0);
    EXPECT_EQ(zip.GetVolumeName(3), keiba::PathToUtf8(dir / "data.z03")); // a split set's
}
