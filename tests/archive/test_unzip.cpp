// Zip extraction: archives made by Debian's zip, 7z and bsdtar, and hand-built hostile ones: the
// zip directory and local headers (encrypted ones too), comments, the methods, passwords and
// names.

#include "archive/unzip.h"
#include "tests/archive/extractfixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace archive;
using namespace ziptest;
namespace fs = std::filesystem;
using testsupport::Slurp;
using testsupport::TempDir;
using testsupport::WriteBytes;

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
        // folder entries count too
        EXPECT_EQ(r.count, ListedEntries(archive)) << cmd;
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
        EXPECT_EQ(r.count, ListedEntries(dir / "a.zip")) << name;
        EXPECT_EQ(Files(dir / name), expected) << name;
    }
}

// Info-ZIP's extra fields (longer in the local headers than in the directory), a comment on
// each entry, of another length each, and an archive comment of one byte and of the longest
// there is: every entry is found and extracted whole.
TEST(UnzipToolArchives, CommentsAndExtraFieldsArePassedOver) {
    if (!HaveTool("zip") || !HaveTool("zipnote")) GTEST_SKIP() << "zip is not installed";
    TempDir dir;
    MakeSourceTree(dir / "src", true);
    auto expected = Files(dir / "src");
    const fs::path made = dir / "a.zip";
    ASSERT_EQ(Shell("cd " + Quote(dir / "src") + " && zip -q -r " + Quote(made) + " ."), 0);
    std::string longComment;
    for (int i = 0; i < 16; ++i)
        longComment += "line " + std::to_string(i) + " of a long comment\n";
    const std::string comments[] = {"", "x\n", "競馬のコメント\n", longComment};
    std::string notes;
    int n = 0;
    std::istringstream listing(testsupport::RunCommand("zipnote " + Quote(made)));
    for (std::string line; std::getline(listing, line);) {
        if (!line.starts_with("@ ") || line.starts_with("@ (")) continue;
        notes +=
            line + "\n" + comments[n++ % std::size(comments)] + "@ (comment above this line)\n";
    }
    notes += "@ (zip file comment below this line)\n";
    ASSERT_GE(n, 8);
    WriteBytes(dir / "notes", notes);
    ASSERT_EQ(Shell("zipnote -w " + Quote(made) + " < " + Quote(dir / "notes")), 0);
    ASSERT_EQ(testsupport::RunCommand("zipnote " + Quote(made)), notes);
    std::string zip = Slurp(made);
    ASSERT_EQ(zip.substr(zip.size() - 22, 4), "PK\x05\x06");
    ASSERT_GT(static_cast<std::uint8_t>(zip[28]), 0); // the first local header's extra field

    std::string text;
    while (text.size() < 65535) text += "archive comment " + std::to_string(text.size()) + "\r\n";
    for (std::size_t length : {std::size_t{1}, std::size_t{65535}}) {
        std::string commented = zip;
        commented.replace(commented.size() - 2, 2, ziptest::Le(length, 2) + text.substr(0, length));
        fs::path archive = dir / ("c" + std::to_string(length) + ".zip");
        WriteBytes(archive, commented);
        fs::path out = dir / ("out" + std::to_string(length));
        RunResult r = Extract(archive, out);
        EXPECT_EQ(r.count, ListedEntries(made)) << length; // the folders count too
        EXPECT_EQ(Files(out), expected) << length;
        for (auto& [name, pass] : r.ends) EXPECT_TRUE(pass) << length << " " << name;
        EXPECT_TRUE(r.errors.empty()) << length;
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

namespace {

// The forms of a header record: its signature, and whether its bytes after the signature are
// encrypted with the header key set.
enum Form { kPlain, kEncrypted, kSecond, kSecondEncrypted };
constexpr std::uint32_t kLocalSigs[] = {0x04034B50, 0x04034C50, 0x04034D50, 0x04034E50};
constexpr std::uint32_t kCentralSigs[] = {0x02014B50, 0x02014C50, 0x02014D50, 0x02014E50};
constexpr std::uint32_t kEndSigs[] = {0x06054B50, 0x06054C50, 0x06055B50, 0x06055C50};

struct HeaderForms {
    Form local, central, end;
};

// Rewrites a plain archive of ziptest::Build in other header forms, as no tool writes them. The
// header keys start again at each record and run through all its bytes after the signature:
// fixed part, name, extra field, comment. The end record's second form widens its fields: the
// disk numbers to 4 bytes, the entry counts, directory size and offset to 8.
// Records start at `start` (after a junk prefix).
std::string WithHeaderForms(std::string zip, HeaderForms forms, const TSeedKeyRecord& keys,
                            std::size_t start = 0) {
    auto u16 = [&](std::size_t at) {
        return std::size_t{static_cast<std::uint8_t>(zip[at])} |
               std::size_t{static_cast<std::uint8_t>(zip[at + 1])} << 8;
    };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    auto sign = [&](std::size_t at, std::uint32_t sig) { zip.replace(at, 4, ziptest::Le(sig, 4)); };
    auto encrypt = [&](Form form, std::size_t from, std::size_t to) {
        if (form != kEncrypted && form != kSecondEncrypted) return;
        ziptest::ZipCryptoWriter cipher(keys.Key0, keys.Key1, keys.Key2);
        zip.replace(from, to - from, cipher.Encrypt(zip.substr(from, to - from)));
    };
    std::size_t at = start;
    while (u32(at) == 0x04034B50) {
        std::size_t fieldsEnd = at + 30 + u16(at + 26) + u16(at + 28);
        std::size_t next = fieldsEnd + u32(at + 18);
        sign(at, kLocalSigs[forms.local]);
        encrypt(forms.local, at + 4, fieldsEnd);
        at = next;
    }
    while (u32(at) == 0x02014B50) {
        std::size_t next = at + 46 + u16(at + 28) + u16(at + 30) + u16(at + 32);
        sign(at, kCentralSigs[forms.central]);
        encrypt(forms.central, at + 4, next);
        at = next;
    }
    if (forms.end == kSecond || forms.end == kSecondEncrypted) {
        using ziptest::Le;
        zip = zip.substr(0, at) + "PK56" + Le(u16(at + 4), 4) + Le(u16(at + 6), 4) +
              Le(u16(at + 8), 8) + Le(u16(at + 10), 8) + Le(u32(at + 12), 8) + Le(u32(at + 16), 8) +
              zip.substr(at + 20);
    }
    sign(at, kEndSigs[forms.end]);
    encrypt(forms.end, at + 4, zip.size());
    return zip;
}

} // namespace

// Every record in each of its forms: an entry whose name is only in its extra field, a
// traditionally encrypted one (whose check reads the local header's flags and time) and an
// archive comment after the end record; and local headers that a junk prefix moved away from
// their recorded offsets, found by their names.
TEST(UnzipEncryptedHeaders, EveryRecordFormIsReadWithTheHeaderKeys) {
    TempDir dir;
    const std::string unicodeName = "新馬.txt";
    auto named = ziptest::File("old.txt", "named in the extra field");
    named.extra = ziptest::Le(0x7075, 2) + ziptest::Le(5 + unicodeName.size(), 2) + "\x01" +
                  ziptest::Le(ziptest::Crc("old.txt"), 4) + unicodeName;
    auto stamped = ziptest::File("VZK/XQ20240101.vzkd", "RA1234 stored", 0);
    stamped.extra =
        ziptest::Le(0x5455, 2) + ziptest::Le(5, 2) + "\x01" + ziptest::Le(1700000000, 4);
    const std::string secret = "1,2,3\r\n";
    auto locked = ziptest::File("pass.csv", secret, 8, 1);
    locked.payload = ziptest::ZipCryptoWriter("secret").Encrypt(
        "0123456789A" + std::string(1, static_cast<char>(ziptest::Crc(secret) >> 24)) +
        ziptest::RawDeflate(secret));
    const std::string junk(3000, 'J');
    auto build = [&](const std::string& prefix) {
        std::string zip = ziptest::Build({stamped, named, locked}, prefix, true);
        return zip.replace(zip.size() - 2, 2, ziptest::Le(7, 2) + "comment");
    };
    const std::map<std::string, std::string> expected = {
        {"VZK/XQ20240101.vzkd", "RA1234 stored"},
        {unicodeName, "named in the extra field"},
        {"pass.csv", secret},
    };
    const TSeedKeyRecord defaults{418205937, 72916458, 605384129};
    const TSeedKeyRecord own{0x01020304, 0xCAFEBABE, 77};
    struct Case {
        HeaderForms forms;
        const TSeedKeyRecord& keys;
        const std::string& prefix;
    };
    const std::string none;
    const Case cases[] = {
        {{kPlain, kEncrypted, kPlain}, defaults, none},
        {{kEncrypted, kEncrypted, kEncrypted}, defaults, none},
        {{kSecond, kSecond, kSecond}, defaults, none},
        {{kSecondEncrypted, kSecondEncrypted, kSecondEncrypted}, defaults, none},
        {{kEncrypted, kSecondEncrypted, kSecondEncrypted}, own, none},
        {{kSecondEncrypted, kEncrypted, kEncrypted}, defaults, junk},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string what = std::to_string(c.forms.local) + std::to_string(c.forms.central) +
                                 std::to_string(c.forms.end) + (c.prefix.empty() ? "" : " moved");
        fs::path archive = dir / ("h" + std::to_string(n) + ".zip");
        fs::path out = dir / ("out" + std::to_string(n++));
        WriteBytes(archive, WithHeaderForms(build(c.prefix), c.forms, c.keys, c.prefix.size()));
        RunResult r = Extract(archive, out, {"*"}, [&](TUnZip& z) {
            z.SetPasswords({"secret"});
            z.SeedHeaderKeys().SetRecord(c.keys);
        });
        EXPECT_EQ(r.count, 3) << what;
        EXPECT_TRUE(r.errors.empty()) << what;
        EXPECT_EQ(Files(out), expected) << what;
    }
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

// Without the flag, a name whose bytes read as UTF-8 of characters below U+0800 and as CP932 is
// CP932: "ﾃｽ" is C3 BD, which UTF-8 reads as "ý". Kana and kanji in UTF-8 stay UTF-8.
TEST(UnzipNames, HalfWidthKatakanaInCp932AreNotTakenForUtf8) {
    TempDir dir;
    const std::string kana = keiba::Sj("ﾃｽ.csv");
    ASSERT_EQ(kana, "\xC3\xBD.csv");
    WriteBytes(dir / "k.zip", ziptest::Build({ziptest::File(kana, "kana"),
                                              ziptest::File(keiba::Sj("予想ﾃｽﾄ.csv"), "mixed"),
                                              ziptest::File("ﾃｽﾄ.txt", "utf8")}));
    RunResult r = Extract(dir / "k.zip", dir / "out", {"*.csv", "*.txt"});
    EXPECT_EQ(r.count, 3);
    EXPECT_EQ(Files(dir / "out"), (std::map<std::string, std::string>{
                                      {"ﾃｽ.csv", "kana"},
                                      {"予想ﾃｽﾄ.csv", "mixed"},
                                      {"ﾃｽﾄ.txt", "utf8"},
                                  }));
}

// The UTF-8 flag over bytes that are no UTF-8: the name is CP932 ("予" and "表" end in 0x5C,
// which is no folder separator there). Over valid UTF-8 the flag holds, even where the bytes
// would read as CP932 too.
TEST(UnzipNames, AUtf8FlagOverCp932BytesIsTakenForCp932) {
    TempDir dir;
    constexpr std::uint16_t kUtf8Flag = 0x800;
    WriteBytes(dir / "f.zip",
               ziptest::Build({ziptest::File(keiba::Sj("予想表.csv"), "a", 8, kUtf8Flag),
                               ziptest::File(keiba::Sj("データ\\表.csv"), "b", 8, kUtf8Flag),
                               ziptest::File("\xC3\xBD.csv", "c", 8, kUtf8Flag)}));
    RunResult r = Extract(dir / "f.zip", dir / "out");
    EXPECT_EQ(r.count, 3);
    EXPECT_EQ(Files(dir / "out"), (std::map<std::string, std::string>{
                                      {"予想表.csv", "a"},
                                      {"データ/表.csv", "b"},
                                      {"\xC3\xBD.csv", "c"},
                                  }));
}
