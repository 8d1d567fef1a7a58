// Zip extraction: archives made by Debian's zip, 7z and bsdtar, and hand-built hostile ones.

#include "archive/unzip.h"
#include "keiba/fileio.h"
#include "keiba/sjis.h"
#include "tests/archive/zipbuilder.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <map>

using namespace archive;
namespace fs = std::filesystem;
using testsupport::Slurp;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

struct RunResult {
    int count = 0;
    std::vector<std::string> log;                   // events in order, progress collapsed
    std::vector<int> errors;                        // message numbers
    std::map<std::string, bool> ends;               // output name -> CRC_PASS
    std::map<std::string, std::int64_t> bytesAtEnd; // output name -> bytes written
};

// Extracts with every event recorded; `setup` adjusts the component first.
RunResult Extract(const fs::path& archive, const fs::path& dir,
                  std::vector<std::string> masks = {"*"},
                  const std::function<void(TUnZip&)>& setup = {}) {
    RunResult r;
    TUnZip z;
    auto rel = [&](const std::string& name) {
        std::string base = keiba::PathToUtf8(dir) + "/";
        return name.starts_with(base) ? name.substr(base.size()) : name;
    };
    z.OnActivate = [&](TZipCommon&) { r.log.push_back("activate"); };
    z.OnDeactivate = [&](TZipCommon&) { r.log.push_back("deactivate"); };
    z.OnElapsedTime = [&](TZipCommon&, float) { r.log.push_back("elapsed"); };
    z.OnBegin = [&](TZipCommon&, const std::string& name, int count, bool&) {
        r.log.push_back("begin " + rel(name) + " " + std::to_string(count));
    };
    z.OnProgress = [&](TZipCommon&, std::uint8_t, std::uint8_t) {
        if (r.log.empty() || r.log.back() != "progress") r.log.push_back("progress");
    };
    z.OnEnd = [&](TZipCommon& s, const std::string& name, bool pass) {
        r.log.push_back("end " + rel(name) + (pass ? " pass" : " fail"));
        r.ends[rel(name)] = pass;
        r.bytesAtEnd[rel(name)] = s.EntryBytesDone();
    };
    z.OnError = [&](TZipCommon&, const std::string&, const std::string&, const std::string&,
                    int code) { r.errors.push_back(code); };
    z.SetArchiveFile(keiba::PathToUtf8(archive));
    z.SetExtractDir(keiba::PathToUtf8(dir));
    z.SetFileSpec(masks);
    if (setup) setup(z);
    r.count = z.ExtractArchive();
    return r;
}

bool HaveTool(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

int Shell(const std::string& command) {
    return std::system(("(" + command + ") >/dev/null 2>&1").c_str());
}

std::string Quote(const fs::path& p) {
    return "'" + p.string() + "'";
}

std::string Records(int lines, int seed) {
    std::string s;
    for (int i = 0; i < lines; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "RA%08d%06d%-20s%010d\r\n", seed, i, "KESTRANE",
                      (i * 7919 + seed) % 1000003);
        s += line;
    }
    return s;
}

// Regular files below `root`: relative name -> contents (long ones as size and CRC).
std::map<std::string, std::string> Files(const fs::path& root) {
    std::map<std::string, std::string> out;
    if (!fs::exists(root)) return out;
    for (auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        std::string bytes = Slurp(e.path());
        if (bytes.size() > 64)
            bytes =
                std::to_string(bytes.size()) + " bytes, CRC " + std::to_string(ziptest::Crc(bytes));
        out[keiba::PathToUtf8(fs::relative(e.path(), root))] = bytes;
    }
    return out;
}

std::size_t CountEntries(const fs::path& root) {
    std::size_t n = 0;
    for ([[maybe_unused]] auto& e : fs::recursive_directory_iterator(root)) ++n;
    return n;
}

// Files of every size class; `japanese` adds a UTF-8 name (for tools that flag UTF-8 names:
// Info-ZIP stores them unflagged, and unflagged names are CP932).
void MakeSourceTree(const fs::path& src, bool japanese = false) {
    fs::create_directories(src / "sub" / "deeper");
    fs::create_directories(src / "emptydir");
    WriteBytes(src / "rcom20240105.csv", Records(2000, 1));
    WriteBytes(src / "empty.txt", "");
    WriteBytes(src / "tiny.txt", "ab"); // longer deflated than stored
    WriteBytes(src / "sub" / "XQ20240101.vzkd", Records(1500, 2));
    WriteBytes(src / "sub" / "deeper" / "exact.bin", std::string(65536, 'x'));
    if (japanese) WriteBytes(src / keiba::Utf8Path("日本語メモ.txt"), "和文\r\n");
}

std::string Cp932Path(std::string_view utf8) {
    return keiba::Sj(utf8);
}

} // namespace

struct ToolCase {
    const char* tool;
    const char* command; // run inside the source folder; %A is the archive
    bool japanese = false;
};

TEST(UnzipToolArchives, ExtractByteIdenticalWithEveryEntryPassing) {
    const ToolCase cases[] = {
        {"zip", "zip -q -r -1 %A ."},
        {"zip", "zip -q -r -9 %A ."},
        {"zip", "zip -q -r -0 %A ."},
        {"zip", "zip -q -r -fz %A ."},
        {"zip", "zip -q -r - . | cat > %A"}, // to a pipe: data descriptors
        {"7z", "7z a -bd -tzip -mx=9 %A .", true},
        {"7z", "7z a -bd -tzip -mx=0 %A .", true},
        {"bsdtar", "bsdtar --format zip -cf %A .", true},
        {"bsdtar", "bsdtar --format zip --options zip:compression=store -cf %A .", true},
        {"zip", "zip -q -r -Z bzip2 %A ."},
        {"7z", "7z a -bd -tzip -mm=BZip2 %A .", true},
        {"7z", "7z a -bd -tzip -mm=Deflate64 -mx=9 %A .", true},
        {"7z", "7z a -bd -tzip -mem=AES128 -psecret %A .", true},
        {"7z", "7z a -bd -tzip -mem=AES192 -mm=Deflate64 -psecret %A .", true},
        {"7z", "7z a -bd -tzip -mem=AES256 -mm=BZip2 -psecret %A .", true},
        // AE-1 (CRC kept) with data descriptors
        {"bsdtar",
         "bsdtar --format zip --options zip:encryption=aes128 --passphrase secret -cf %A .", true},
        {"bsdtar",
         "bsdtar --format zip --options zip:encryption=aes256 --passphrase secret -cf %A .", true},
        {"python3", "python3 -c \"import zipfile, os; z = zipfile.ZipFile(%A, 'w', "
                    "zipfile.ZIP_BZIP2); [z.write(os.path.join(d, f), os.path.join(d, f)) for d, "
                    "_, fs in os.walk('.') for f in fs]; z.close()\""},
    };
    TempDir dir;
    MakeSourceTree(dir / "src");
    MakeSourceTree(dir / "srcjp", true);
    int n = 0;
    std::string missing;
    for (const auto& c : cases) {
        if (!HaveTool(c.tool)) {
            if (missing.find(c.tool) == std::string::npos) missing += std::string(" ") + c.tool;
            continue;
        }
        fs::path archive = dir / ("a" + std::to_string(n++) + ".zip");
        std::string cmd = c.command;
        cmd.replace(cmd.find("%A"), 2, Quote(archive));
        fs::path src = dir / (c.japanese ? "srcjp" : "src");
        auto expected = Files(src);
        ASSERT_EQ(Shell("cd " + Quote(src) + " && " + cmd), 0) << cmd;
        fs::path out = dir / ("out" + std::to_string(n));
        RunResult r = Extract(archive, out, {"*"}, [](TUnZip& z) { z.SetPasswords({"secret"}); });
        EXPECT_EQ(r.count, static_cast<int>(expected.size())) << cmd;
        EXPECT_EQ(Files(out), expected) << cmd;
        for (auto& [name, pass] : r.ends) EXPECT_TRUE(pass) << cmd << " " << name;
        EXPECT_TRUE(r.errors.empty()) << cmd;
    }
    if (!missing.empty()) GTEST_SKIP() << "not run, not installed:" << missing;
}

// A 50 KB random block three times, then 300 KB of zeros: the repeats lie 50 KB back, beyond
// what a 32 KB window holds.
TEST(UnzipToolArchives, Deflate64ReachesBeyond32KB) {
    if (!HaveTool("7z")) GTEST_SKIP() << "7z is not installed";
    TempDir dir;
    std::string block(50 * 1024, '\0');
    std::uint32_t x = 77;
    for (char& c : block) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    std::string data = block + block + block + std::string(300 * 1024, '\0');
    fs::create_directories(dir / "src");
    WriteBytes(dir / "src/far.bin", data);
    ASSERT_EQ(Shell("cd " + Quote(dir / "src") + " && 7z a -bd -tzip -mm=Deflate64 -mx=9 " +
                    Quote(dir / "d.zip") + " far.bin"),
              0);
    // packed below two blocks' size: the third block came from 50 KB back
    ASSERT_LT(fs::file_size(dir / "d.zip"), 2 * block.size());
    RunResult r = Extract(dir / "d.zip", dir / "out");
    EXPECT_EQ(r.count, 1);
    EXPECT_TRUE(r.errors.empty());
    EXPECT_TRUE(Slurp(dir / "out/far.bin") == data);
}

TEST(UnzipToolArchives, JunkPrefixAndExecutableStub) {
    if (!HaveTool("zip")) GTEST_SKIP() << "zip is not installed";
    TempDir dir;
    MakeSourceTree(dir / "src");
    auto expected = Files(dir / "src");
    ASSERT_EQ(Shell("cd " + Quote(dir / "src") + " && zip -q -r -9 " + Quote(dir / "a.zip") + " ."),
              0);
    std::string zip = Slurp(dir / "a.zip");
    const std::pair<const char*, std::string> prefixes[] = {
        {"junk", std::string(1000, 'J')},
        {"stub", "MZ" + std::string(5000, '\x90')},
    };
    for (const auto& [name, prefix] : prefixes) {
        fs::path archive = dir / (std::string(name) + ".zip");
        WriteBytes(archive, prefix + zip);
        TUnZip probe;
        probe.SetArchiveFile(keiba::PathToUtf8(archive));
        EXPECT_EQ(probe.ArcType(), prefix[0] == 'M' ? kArcZipSfx : kArcZip) << name;
        EXPECT_EQ(probe.DirectoryInfo().startOffset, static_cast<std::int64_t>(prefix.size()));
        RunResult r = Extract(archive, dir / name);
        EXPECT_EQ(r.count, static_cast<int>(expected.size())) << name;
        EXPECT_EQ(Files(dir / name), expected) << name;
    }
}

TEST(UnzipToolArchives, Cp932NamesWithoutTheUtf8Flag) {
    if (!HaveTool("zip")) GTEST_SKIP() << "zip is not installed";
    TempDir dir;
    fs::create_directories(dir / "src");
    // the file name on disk is CP932 bytes, as an archive made on Windows stores it
    WriteBytes(dir.path() / "src" / Cp932Path("予想データ.csv"), "1,2,3\r\n");
    ASSERT_EQ(Shell("cd " + Quote(dir / "src") + " && zip -q " + Quote(dir / "a.zip") + " *"), 0);
    RunResult r = Extract(dir / "a.zip", dir / "out", {keiba::Sj("予想*.csv")});
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(Slurp(dir / "out/予想データ.csv"), "1,2,3\r\n");
}

// The tools write random encryption headers, so which wrong passwords pass the one-byte check
// differs from run to run: the test looks at the header and takes one wrong password that passes
// it and one that does not.
TEST(UnzipPasswords, ZipAndSevenZipTraditionalEncryption) {
    const ToolCase cases[] = {
        {"zip", "zip -q -P secret %A rcom.csv"},                      // time check byte
        {"7z", "7z a -bd -tzip -mem=ZipCrypto -psecret %A rcom.csv"}, // CRC check byte
    };
    TempDir dir;
    fs::create_directories(dir / "src");
    WriteBytes(dir / "src/rcom.csv", Records(3000, 9));
    int n = 0;
    std::string missing;
    for (const auto& c : cases) {
        if (!HaveTool(c.tool)) {
            if (missing.find(c.tool) == std::string::npos) missing += std::string(" ") + c.tool;
            continue;
        }
        fs::path archive = dir / ("p" + std::to_string(n++) + ".zip");
        std::string cmd = c.command;
        cmd.replace(cmd.find("%A"), 2, Quote(archive));
        ASSERT_EQ(Shell("cd " + Quote(dir / "src") + " && " + cmd), 0) << cmd;

        // the check byte: the time's high byte with a data descriptor (flag bit 3), else the
        // CRC's top byte
        std::string zip = Slurp(archive);
        auto u16 = [&](std::size_t at) {
            return static_cast<unsigned>(static_cast<std::uint8_t>(zip[at]) |
                                         static_cast<std::uint8_t>(zip[at + 1]) << 8);
        };
        std::size_t headerAt = 30 + u16(26) + u16(28);
        std::string header = zip.substr(headerAt, 12);
        auto check = static_cast<char>((u16(6) & 8) ? u16(10) >> 8 : u16(16) >> 8);
        std::string passes, fails;
        for (int i = 0; passes.empty() || fails.empty(); ++i) {
            std::string p = "w" + std::to_string(i);
            (ziptest::ZipCryptoWriter(p).Decrypt(header)[11] == check ? passes : fails) = p;
        }

        auto run = [&](const std::string& name, std::vector<std::string> passwords) {
            return Extract(archive, dir / (name + std::to_string(n)), {"*"},
                           [&](TUnZip& z) { z.SetPasswords(passwords); });
        };
        for (const auto& wrong : {passes, fails}) {
            RunResult r = run("good" + wrong, {wrong, "secret"});
            EXPECT_EQ(r.count, 1) << cmd << " " << wrong;
            EXPECT_TRUE(r.errors.empty()) << cmd << " " << wrong;
            EXPECT_EQ(Slurp(dir / ("good" + wrong + std::to_string(n)) / "rcom.csv"),
                      Slurp(dir / "src/rcom.csv"))
                << cmd;
        }
        RunResult r = run("pass", {passes});
        EXPECT_EQ(r.count, 0) << cmd;
        EXPECT_EQ(r.errors, std::vector<int>{kMsgCrcError}) << cmd; // no report of no password
        r = run("fail", {fails});
        EXPECT_EQ(r.count, 0) << cmd;
        EXPECT_EQ(r.errors, (std::vector<int>{kMsgEventNotAssigned, kMsgCrcError})) << cmd;
        EXPECT_FALSE(fs::exists(dir / ("pass" + std::to_string(n)) / "rcom.csv"));
        EXPECT_FALSE(fs::exists(dir / ("fail" + std::to_string(n)) / "rcom.csv"));
    }
    if (!missing.empty()) GTEST_SKIP() << "not run, not installed:" << missing;
}

// Fixed encryption headers: "wrong221" passes the check of entries encrypted with "secret" and
// then fails their CRC check; "secret", listed after it, still opens them.
TEST(UnzipPasswords, AWrongPasswordThatPassesTheCheckGivesWayToTheNext) {
    TempDir dir;
    const std::string text = "stored text of the entry";
    auto encrypted = [&](const std::string& name, int method) {
        auto it = ziptest::File(name, text, method, 1);
        std::string header = "0123456789A";
        header += static_cast<char>(ziptest::Crc(text) >> 24);
        it.payload = ziptest::ZipCryptoWriter("secret").Encrypt(
            header + (method == 8 ? ziptest::RawDeflate(text) : text));
        return it;
    };
    WriteBytes(dir / "p.zip",
               ziptest::Build({encrypted("stored.txt", 0), encrypted("deflated.txt", 8)}));
    // the first entry's encryption header, decrypted with the wrong password
    ASSERT_EQ(ziptest::ZipCryptoWriter("wrong221").Decrypt(Slurp(dir / "p.zip").substr(40, 12))[11],
              static_cast<char>(ziptest::Crc(text) >> 24));
    RunResult r = Extract(dir / "p.zip", dir / "out", {"*"}, [](TUnZip& z) {
        z.SetPasswords({"wrong221", "secret"});
    });
    EXPECT_EQ(r.count, 2);
    EXPECT_TRUE(r.errors.empty());
    EXPECT_EQ(Files(dir / "out"),
              (std::map<std::string, std::string>{{"stored.txt", text}, {"deflated.txt", text}}));

    // asked for, the wrong one is refused and the right one taken
    std::vector<std::string> answers = {"wrong221", "secret"};
    RunResult asked = Extract(dir / "p.zip", dir / "asked", {"stored.txt"}, [&](TUnZip& z) {
        z.OnGetPassword = [&](TZipCommon&, const std::string&, std::string& password,
                              TSeedKeyRecord&, TSeedKeyRecord&, bool&) {
            if (answers.empty()) return;
            password = answers.front();
            answers.erase(answers.begin());
        };
    });
    EXPECT_EQ(asked.count, 1);
    EXPECT_EQ(asked.errors, std::vector<int>{kMsgInvalidPassword});
}

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
    auto start = std::chrono::steady_clock::now();
    RunResult r = Extract(dir / "s.zip", dir / "out");
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_LT(seconds, 5.0);
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

TEST(UnzipMethods, UnsupportedMethodsAndEncryptionEndOnlyTheirEntry) {
    TempDir dir;
    auto tokenized = ziptest::File("a.tok", "xxxx", 7);
    auto lzma = ziptest::File("b.lzma", "xxxx", 14);
    // an AES record of a vendor version that does not exist
    auto aes = ziptest::File("c.aes", "xxxxxxxxxxxxxxxxxxxxxxxx", 99, 1);
    aes.extra = ziptest::Le(0x9901, 2) + ziptest::Le(7, 2) + ziptest::Le(3, 2) + "AE" +
                ziptest::Le(3, 1) + ziptest::Le(8, 2);
    auto strong = ziptest::File("d.se", "xxxxxxxxxxxxxxxx", 8, 0x41);
    strong.payload = strong.data;
    auto good = ziptest::File("e.csv", "fine");
    WriteBytes(dir / "m.zip", ziptest::Build({tokenized, lzma, aes, strong, good}));
    RunResult r = Extract(dir / "m.zip", dir / "out");
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(std::count(r.errors.begin(), r.errors.end(), kMsgUnsupportedMethod), 2);
    EXPECT_EQ(std::count(r.errors.begin(), r.errors.end(), kMsgUnsupportedEncryption), 2);
    EXPECT_EQ(Files(dir / "out"), (std::map<std::string, std::string>{{"e.csv", "fine"}}));
}

TEST(UnzipArchiveTypes, DetectionAndZip64EndRecords) {
    TempDir dir;
    std::string zip = ziptest::Build({ziptest::File("a.csv", "A")});
    std::string body = zip.substr(0, zip.size() - 22);
    std::uint64_t cdOffset = body.find("PK\x01\x02");
    std::uint64_t cdSize = body.size() - cdOffset;
    auto zip64 = [&](std::uint32_t disk) {
        std::string rec = "PK\x06\x06" + ziptest::Le(44, 8) + ziptest::Le(45, 2) +
                          ziptest::Le(45, 2) + ziptest::Le(0, 4) + ziptest::Le(0, 4) +
                          ziptest::Le(1, 8) + ziptest::Le(1, 8) + ziptest::Le(cdSize, 8) +
                          ziptest::Le(cdOffset, 8);
        std::string loc = "PK\x06\x07" + ziptest::Le(disk, 4) + ziptest::Le(body.size(), 8) +
                          ziptest::Le(disk + 1, 4);
        std::string end = "PK\x05\x06" + ziptest::Le(0xFFFF, 2) + ziptest::Le(0xFFFF, 2) +
                          ziptest::Le(0xFFFF, 2) + ziptest::Le(0xFFFF, 2) +
                          ziptest::Le(0xFFFFFFFF, 4) + ziptest::Le(0xFFFFFFFF, 4) +
                          ziptest::Le(0, 2);
        return body + rec + loc + end;
    };
    const std::pair<std::string, int> cases[] = {
        {"", kArcNone},
        {"plain text, not an archive\r\n", kArcNone},
        {zip, kArcZip},
        {"MZ" + std::string(300, '\0') + zip, kArcZipSfx},
        {"PK\x03\x04 and nothing else", kArcZip},
        {zip64(0), kArcZip},
        {"JUNK" + zip64(0), kArcZip},
        {zip64(2), kArcZip}, // a local header first decides
        {"JUNK" + zip64(2), kArcZipMVol},
    };
    int i = 0;
    for (const auto& [bytes, type] : cases) {
        fs::path p = dir / ("t" + std::to_string(i++));
        WriteBytes(p, bytes);
        TUnZip z;
        z.SetArchiveFile(keiba::PathToUtf8(p));
        EXPECT_EQ(z.ArcType(), type) << i;
    }
    WriteBytes(dir / "z64.zip", "JUNK" + zip64(0));
    RunResult r = Extract(dir / "z64.zip", dir / "out");
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(Slurp(dir / "out/a.csv"), "A");

    EXPECT_EQ(Extract(dir / "missing.zip", dir / "out").errors, std::vector<int>{kMsgFileNotFound});
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

// A local-header offset that points at nothing, into another entry's header or past the end of
// the file fails its own entry and no other.
TEST(UnzipLocalHeaders, OneWrongOffsetFailsOnlyItsEntry) {
    TempDir dir;
    auto a = ziptest::File("a.csv", Records(300, 1));
    auto b = ziptest::File("b.csv", Records(300, 2));
    auto c = ziptest::File("c.csv", Records(300, 3));
    std::string whole = ziptest::Build({a, b, c});
    std::uint64_t cAt = whole.find("PK\x03\x04", whole.find("PK\x03\x04", 1) + 1); // the third
    // into a's header; at c's header (c's own, by its name); past the end
    for (std::uint64_t wrong : {std::uint64_t{5}, cAt, std::uint64_t{50'000'000}}) {
        b.localOffset = wrong;
        WriteBytes(dir / "w.zip", ziptest::Build({a, b, c}));
        fs::path out = dir / ("out" + std::to_string(wrong));
        RunResult r = Extract(dir / "w.zip", out);
        EXPECT_EQ(r.count, 2) << wrong;
        EXPECT_EQ(Slurp(out / "a.csv"), a.data) << wrong;
        EXPECT_EQ(Slurp(out / "c.csv"), c.data) << wrong;
        EXPECT_FALSE(fs::exists(out / "b.csv")) << wrong;
        EXPECT_EQ(r.errors, std::vector<int>{kMsgBadLocalOffset}) << wrong;
    }
}

// A stub the detection did not count (the directory offset was fixed up, the local-header
// offsets were not) moves every entry; the move is found from the first entry extracted, which
// need not be the first in the file.
TEST(UnzipLocalHeaders, UncountedStubMovesEveryEntry) {
    TempDir dir;
    auto first = ziptest::File("first.csv", Records(200, 1));
    auto second = ziptest::File("second.csv", Records(200, 2));
    auto third = ziptest::File("third.csv", "3", 0);
    std::string stub = "#!/bin/sh\nexit 0\n" + std::string(3000, '#');
    WriteBytes(dir / "s.zip", ziptest::Build({first, second, third}, stub, true));
    TUnZip probe;
    probe.SetArchiveFile(keiba::PathToUtf8(dir / "s.zip"));
    ASSERT_EQ(probe.DirectoryInfo().startOffset, 0); // the stub is not accounted for

    RunResult all = Extract(dir / "s.zip", dir / "all");
    EXPECT_EQ(all.count, 3);
    EXPECT_EQ(Slurp(dir / "all/first.csv"), first.data);

    RunResult rest = Extract(dir / "s.zip", dir / "rest", {"*"},
                             [](TUnZip& z) { z.SetExcludeSpec({"first.csv"}); });
    EXPECT_EQ(rest.count, 2);
    EXPECT_EQ(Files(dir / "rest"), (std::map<std::string, std::string>{
                                       {"second.csv", Files(dir / "all")["second.csv"]},
                                       {"third.csv", "3"},
                                   }));
    EXPECT_TRUE(rest.errors.empty());
}

// Central entries over one local header would write its data again and again; the first keeps
// it and each other is refused with its own report.
TEST(UnzipLocalHeaders, EntriesSharingALocalHeaderAreRefusedAfterTheFirst) {
    TempDir dir;
    std::string zeros(4u << 20, '\0');
    std::vector<ziptest::Item> items = {ziptest::File("bomb00.bin", zeros)};
    for (int i = 1; i < 16; ++i) {
        auto copy = items[0];
        copy.name = "bomb" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".bin";
        copy.centralOnly = true;
        copy.localOffset = 0;
        items.push_back(copy);
    }
    WriteBytes(dir / "b.zip", ziptest::Build(items));
    ASSERT_LT(fs::file_size(dir / "b.zip"), 10'000u);
    std::vector<std::string> refused;
    RunResult r = Extract(dir / "b.zip", dir / "out", {"*"}, [&](TUnZip& z) {
        z.OnError = [&](TZipCommon&, const std::string& name, const std::string&,
                        const std::string&, int code) {
            if (code == kMsgBadLocalOffset) refused.push_back(name);
        };
    });
    EXPECT_EQ(r.count, 1);
    EXPECT_EQ(Files(dir / "out"),
              (std::map<std::string, std::string>{
                  {"bomb00.bin", "4194304 bytes, CRC " + std::to_string(ziptest::Crc(zeros))}}));
    EXPECT_EQ(refused.size(), 15u);
    EXPECT_EQ(r.ends.size(), 1u); // the refused ones never began
}

// With wrong CRCs in every central record the first entry over the shared bytes fails; the
// others are refused all the same, so the data are decoded once. An entry the local header
// names keeps it, wherever it stands in the directory.
TEST(UnzipLocalHeaders, SharedBytesAreDecodedOnceWhateverBecameOfTheFirstEntry) {
    TempDir dir;
    const std::string zeros(1u << 20, '\0');
    // local header's name; the name of the last central record (the others are bombN.bin)
    const std::pair<const char*, const char*> cases[] = {
        {"bomb0.bin", "bomb31.bin"}, // the first record is the header's own
        {"late.bin", "late.bin"},    // the last one is
        {"nobody.bin", "bomb31.bin"} // none is
    };
    for (auto [localName, lastName] : cases) {
        std::vector<ziptest::Item> items;
        for (int i = 0; i < 32; ++i) {
            auto it =
                ziptest::File(i == 31 ? lastName : "bomb" + std::to_string(i) + ".bin", zeros);
            it.crc = 1;
            it.localName = localName;
            it.centralOnly = i > 0;
            it.localOffset = 0;
            items.push_back(it);
        }
        WriteBytes(dir / "b.zip", ziptest::Build(items));
        std::int64_t decoded = 0;
        RunResult r = Extract(dir / "b.zip", dir / "out" / localName, {"*"}, [&](TUnZip& z) {
            z.OnEnd = [&](TZipCommon& s, const std::string&, bool) {
                decoded += s.EntryBytesDone();
            };
        });
        EXPECT_EQ(r.count, 0) << localName;
        EXPECT_EQ(decoded, static_cast<std::int64_t>(zeros.size())) << localName;
        EXPECT_EQ(std::count(r.errors.begin(), r.errors.end(), kMsgBadLocalOffset), 31)
            << localName;
    }
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

// Tools on Unix store UTF-8 names without the flag; CP932 names come from Windows.
TEST(UnzipNames, Utf8WithoutTheFlagBesideCp932) {
    TempDir dir;
    WriteBytes(dir / "n.zip", ziptest::Build({ziptest::File("競馬.txt", "utf8"),
                                              ziptest::File(keiba::Sj("予想.csv"), "cp932"),
                                              ziptest::File("メモ/出馬表.txt", "nested")}));
    RunResult r = Extract(dir / "n.zip", dir / "out");
    EXPECT_EQ(r.count, 3);
    EXPECT_EQ(Files(dir / "out"), (std::map<std::string, std::string>{
                                      {"競馬.txt", "utf8"},
                                      {"予想.csv", "cp932"},
                                      {"メモ/出馬表.txt", "nested"},
                                  }));
    // the masks, CP932 as ever, select them
    RunResult masked = Extract(dir / "n.zip", dir / "masked", {keiba::Sj("競馬*")});
    EXPECT_EQ(masked.count, 1);
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

TEST(UnzipOutputFolder, FoldersThatAreMadeCount) {
    TempDir dir;
    auto folder = ziptest::File("VZK/", "", 0);
    folder.externalAttr = 0x10;
    auto empty = ziptest::File("empty/", "", 0);
    empty.externalAttr = 0x10;
    WriteBytes(dir / "f.zip", ziptest::Build({folder, ziptest::File("VZK/a.csv", "a"), empty}));
    RunResult made =
        Extract(dir / "f.zip", dir / "made", {"*"}, [](TUnZip& z) { z.SetCreateStoredDirs(true); });
    EXPECT_EQ(made.count, 3);
    EXPECT_TRUE(fs::is_directory(dir / "made/empty"));
    RunResult notMade = Extract(dir / "f.zip", dir / "notmade");
    EXPECT_EQ(notMade.count, 1);
    EXPECT_FALSE(fs::exists(dir / "notmade/empty"));
}
