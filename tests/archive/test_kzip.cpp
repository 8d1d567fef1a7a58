// The kestrane_kzip developer driver: its exit status and messages, passwords typed in UTF-8, and
// Ctrl-C.

#include "keiba/fileio.h"
#include "keiba/sjis.h"
#include "tests/archive/zipbuilder.h"
#include "tests/support/tempdir.h"
#include "tests/support/waits.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <map>

namespace fs = std::filesystem;
using testsupport::Slurp;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

struct Outcome {
    int status = -1;    // exit status, -1 when it did not exit normally
    std::string output; // standard output and error together
};

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

Outcome Kzip(const TempDir& dir, const std::vector<std::string>& args) {
    std::string cmd = Quote(KESTRANE_KZIP);
    for (const auto& a : args) cmd += " " + Quote(a);
    fs::path log = dir / "kzip.log";
    int raw = std::system((cmd + " >" + Quote(log.string()) + " 2>&1").c_str());
    Outcome o;
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    o.output = Slurp(log);
    return o;
}

// A stored entry encrypted with the traditional cipher under `password` (bytes as given).
ziptest::Item Encrypted(const std::string& name, const std::string& data,
                        const std::string& password) {
    auto it = ziptest::File(name, data, 0, 1);
    std::string header = "0123456789A";
    header += static_cast<char>(ziptest::Crc(data) >> 24);
    it.payload = ziptest::ZipCryptoWriter(password).Encrypt(header + data);
    return it;
}

} // namespace

TEST(Kzip, FilesItCannotReadAsAnArchiveFailWithTheReason) {
    TempDir dir;
    std::string zip = ziptest::Build({ziptest::File("a.csv", std::string(5000, 'a')),
                                      ziptest::File("b.csv", std::string(5000, 'b'))});
    const std::pair<const char*, std::string> cases[] = {
        {"reply.zip", "RETURN=1\r\n"},
        {"empty.zip", ""},
        {"truncated.zip", zip.substr(0, zip.size() / 2)},
        {"split.z01", "PK\x07\x08" + zip.substr(0, zip.size() / 2)},
    };
    for (const auto& [name, bytes] : cases) {
        WriteBytes(dir / name, bytes);
        Outcome o = Kzip(dir, {(dir / name).string(), (dir / "out").string()});
        EXPECT_EQ(o.status, 1) << name << "\n" << o.output;
        EXPECT_NE(o.output.find(std::string("kestrane_kzip: ") + (dir / name).string() + ": "),
                  std::string::npos)
            << name << "\n"
            << o.output;
        EXPECT_EQ(o.output.find("0 files"), std::string::npos) << name << "\n" << o.output;
    }
    Outcome missing = Kzip(dir, {(dir / "missing.zip").string(), (dir / "out").string()});
    EXPECT_EQ(missing.status, 1);
}

TEST(Kzip, PasswordsTypedInUtf8OpenArchivesMadeOnWindows) {
    TempDir dir;
    WriteBytes(dir / "p.zip",
               ziptest::Build({Encrypted("rcom.csv", "1,2,3\r\n", keiba::Sj("競馬"))}));
    Outcome good = Kzip(dir, {"-p", "競馬", (dir / "p.zip").string(), (dir / "good").string()});
    EXPECT_EQ(good.status, 0) << good.output;
    EXPECT_EQ(Slurp(dir / "good/rcom.csv"), "1,2,3\r\n");

    Outcome none = Kzip(dir, {(dir / "p.zip").string(), (dir / "none").string()});
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.output.find("error 25276 Required event not assigned (wrong or missing "
                               "password): rcom.csv"),
              std::string::npos)
        << none.output;
    // The one cause, not also the failed CRC check that follows from it.
    EXPECT_EQ(none.output.find("error 25151"), std::string::npos) << none.output;
    EXPECT_FALSE(fs::exists(dir / "none/rcom.csv"));
}

// An entry refused with its cause, whether before it begins or with the failed CRC check that
// follows from the cause, leaves the next entry's own CRC failure told.
TEST(Kzip, ACrcFailureAfterAnEntryRefusedWithItsCauseIsTold) {
    TempDir dir;
    ziptest::Item misplaced = ziptest::File("a.csv", "aaaa", 0);
    misplaced.localOffset = 7; // no local header there
    ziptest::Item corrupt = ziptest::File("b.csv", "bbbb", 0);
    corrupt.crc = 0x12345678;
    const struct {
        const char* what;
        ziptest::Item first;
        std::string told;
    } cases[] = {
        {"before it begins", misplaced, "error 25115 Bad offset to local header: a.csv\n"},
        {"with its check", Encrypted("a.csv", "aaaa", "secret"),
         "error 25276 Required event not assigned (wrong or missing password): a.csv\n"
         "FAIL @a.csv\n"},
    };
    for (const auto& c : cases) {
        const fs::path out = dir / c.what;
        WriteBytes(dir / "f.zip", ziptest::Build({c.first, corrupt}));
        const Outcome o = Kzip(dir, {(dir / "f.zip").string(), out.string()});
        EXPECT_EQ(o.status, 1) << c.what;
        std::string expected = c.told + "FAIL @b.csv\nerror 25151 File fails CRC check: @b.csv\n";
        for (std::size_t at; (at = expected.find('@')) != std::string::npos;)
            expected.replace(at, 1, (out / "").string());
        EXPECT_EQ(o.output, expected + "0 files\n") << c.what;
    }
}

// `mib` MiB of zeros, deflated as one self-contained block run repeated: made in a moment
// however busy the machine is, where deflating the whole would take seconds of it.
ziptest::Item Zeros(const std::string& name, int mib) {
    const std::string block(1u << 20, '\0');
    z_stream z{};
    deflateInit2(&z, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string run(deflateBound(&z, block.size()) + 64, '\0'), end(64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.data()));
    z.avail_in = static_cast<uInt>(block.size());
    z.next_out = reinterpret_cast<Bytef*>(run.data());
    z.avail_out = static_cast<uInt>(run.size());
    deflate(&z, Z_FULL_FLUSH); // no reference reaches back past it: the runs can follow each other
    run.resize(z.total_out);
    z.next_out = reinterpret_cast<Bytef*>(end.data());
    z.avail_out = static_cast<uInt>(end.size());
    deflate(&z, Z_FINISH);
    end.resize(z.total_out - run.size());
    deflateEnd(&z);
    auto item = ziptest::File(name, "");
    item.payload.emplace();
    uLong crc = 0;
    for (int i = 0; i < mib; ++i) {
        *item.payload += run;
        crc = crc32_z(crc, reinterpret_cast<const Bytef*>(block.data()), block.size());
    }
    *item.payload += end;
    item.crc = static_cast<std::uint32_t>(crc);
    item.usize = std::uint64_t{static_cast<unsigned>(mib)} << 20;
    return item;
}

// Ctrl-C in the middle of a large entry: the run is cancelled and the unfinished file removed.
TEST(Kzip, InterruptRemovesTheUnfinishedFile) {
    TempDir dir;
    WriteBytes(dir / "big.zip", ziptest::Build({Zeros("big.bin", 512)}));
    fs::create_directories(dir / "out");

    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        std::string archive = (dir / "big.zip").string(), out = (dir / "out").string();
        ::execl(KESTRANE_KZIP, "kestrane_kzip", archive.c_str(), out.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // wait until it writes its output file (which has no name yet), then interrupt
    const std::string out = (dir / "out").string() + "/";
    const bool seen = testsupport::WaitUntil([&] {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec))
            if (fs::read_symlink(e.path(), ec).string().starts_with(out)) return true;
        return false;
    });
    ::kill(pid, SIGINT);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    ASSERT_TRUE(seen) << "no output file was opened";
    EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 130) << raw;
    EXPECT_TRUE(fs::is_empty(dir / "out"));
}

pid_t StartKzip(const fs::path& archive, const fs::path& out) {
    pid_t pid = ::fork();
    if (pid == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execl(KESTRANE_KZIP, "kestrane_kzip", archive.c_str(), out.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    return pid;
}

// Kills the extraction `pid` once `files` of the names in `entries` have appeared in the folder
// `watch` reports on (or leaves it when it ends first), and reaps it. True when the kill ended it.
bool KillAfterFiles(pid_t pid, int watch, const std::map<std::string, std::uint32_t>& entries,
                    std::size_t files) {
    const int ended = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    std::size_t seen = 0;
    alignas(inotify_event) char events[64 * 1024];
    while (seen < files && ended >= 0) {
        pollfd wait[2] = {{watch, POLLIN, 0}, {ended, POLLIN, 0}};
        if (::poll(wait, 2, -1) < 0) continue;
        if (wait[1].revents) break;
        const ssize_t n = ::read(watch, events, sizeof events);
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(events + at);
            if (e->len > 0 && entries.count(e->name)) ++seen;
            at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        }
    }
    ::kill(pid, SIGKILL);
    if (ended >= 0) ::close(ended);
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    return WIFSIGNALED(raw);
}

// Kills at moments spread over an extraction into a fresh folder, each after a given number of
// its files have appeared (some just before a large file): every file under an entry's name is
// whole; anything else is a writer's temporary file, which the start-up sweep removes.
TEST(Kzip, AKilledExtractionLeavesOnlyWholeFilesUnderTheEntriesNames) {
    constexpr int kKills = 12;
    constexpr std::size_t kEntries = 96;
    auto killedAfter = [&](int k) { return (2 * k + 1) * kEntries / (2 * kKills); };
    TempDir dir;
    std::vector<ziptest::Item> items;
    std::map<std::string, std::uint32_t> crcs;
    for (std::size_t i = 0; i < kEntries; ++i) {
        std::string data;
        if (i == killedAfter(2) || i == killedAfter(6) || i == killedAfter(10)) {
            // more than one output block, written while a kill comes
            data.assign(1 << 20, static_cast<char>('A' + i % 26));
            items.push_back(ziptest::File("big" + std::to_string(i) + ".bin", data, 0));
        } else {
            for (std::size_t line = 0; line < 20 + i % 30; ++line)
                data += "XQ" + std::to_string(i * 7919 + line * 104729) +
                        std::string(90, static_cast<char>('a' + line % 26));
            items.push_back(ziptest::File("XQ" + std::to_string(20240000 + i) + ".vzkd", data));
        }
        crcs[items.back().name] = ziptest::Crc(data);
    }
    WriteBytes(dir / "k.zip", ziptest::Build(items));

    int cut = 0;
    for (int k = 0; k < kKills; ++k) {
        fs::path out = dir / ("out" + std::to_string(k));
        fs::create_directories(out);
        const int watch = ::inotify_init1(IN_CLOEXEC);
        ASSERT_GE(watch, 0);
        ASSERT_GE(::inotify_add_watch(watch, out.c_str(), IN_CREATE | IN_MOVED_TO), 0);
        pid_t pid = StartKzip(dir / "k.zip", out);
        ASSERT_GT(pid, 0);
        cut += KillAfterFiles(pid, watch, crcs, killedAfter(k)) ? 1 : 0;
        ::close(watch);
        for (const auto& e : fs::directory_iterator(out)) {
            std::string name = e.path().filename().string();
            if (keiba::IsTempFileName(name)) continue;
            ASSERT_TRUE(crcs.count(name)) << name;
            EXPECT_EQ(ziptest::Crc(Slurp(e.path())), crcs[name]) << "kill " << k << ": " << name;
        }
        keiba::RemoveStaleTempFiles(out);
        for (const auto& e : fs::directory_iterator(out))
            EXPECT_TRUE(crcs.count(e.path().filename().string())) << e.path();
    }
    EXPECT_GE(cut, kKills / 4) << "the kills came after the runs had ended";
}

// A split set is given by its last volume; the others come from its folder.
TEST(Kzip, SplitSetsTakeTheirVolumesFromTheFolder) {
    TempDir dir;
    std::string zip = ziptest::Build({ziptest::File("a.csv", std::string(5000, 'a'))});
    // two volumes: the entry and the directory, then the end record, which names disk 1
    std::string end = zip.substr(zip.size() - 22);
    end[4] = 1;
    WriteBytes(dir / "split.zip", end);
    Outcome o = Kzip(dir, {(dir / "split.zip").string(), (dir / "out").string()});
    EXPECT_EQ(o.status, 1);
    EXPECT_NE(o.output.find("error 25235 Error opening file (missing volume): " +
                            (dir / "split.z01").string()),
              std::string::npos)
        << o.output;

    WriteBytes(dir / "split.z01", zip.substr(0, zip.size() - 22));
    o = Kzip(dir, {(dir / "split.zip").string(), (dir / "whole").string()});
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_TRUE(Slurp(dir / "whole/a.csv") == std::string(5000, 'a'));
}

// Masks typed on Linux separate folders with "/"; folders of the archive are made, empty ones
// too.
TEST(Kzip, SlashMasksSelectFoldersAndEmptyFoldersAreMade) {
    TempDir dir;
    auto empty = ziptest::File("empty/", "", 0);
    empty.externalAttr = 0x10;
    WriteBytes(dir / "f.zip",
               ziptest::Build({ziptest::File("data/RCOM20240101.CSV", "rcom"),
                               ziptest::File("data/XQ20240101.vzkd", "xq"),
                               ziptest::File("other/RCOM20240102.CSV", "other"), empty}));
    Outcome masked =
        Kzip(dir, {(dir / "f.zip").string(), (dir / "masked").string(), "data/RCOM*.CSV"});
    EXPECT_EQ(masked.status, 0) << masked.output;
    EXPECT_EQ(Slurp(dir / "masked/data/RCOM20240101.CSV"), "rcom");
    EXPECT_FALSE(fs::exists(dir / "masked/other"));
    EXPECT_FALSE(fs::exists(dir / "masked/data/XQ20240101.vzkd"));

    Outcome all = Kzip(dir, {(dir / "f.zip").string(), (dir / "all").string()});
    EXPECT_EQ(all.status, 0) << all.output;
    EXPECT_TRUE(fs::is_directory(dir / "all/empty"));
    EXPECT_EQ(Slurp(dir / "all/other/RCOM20240102.CSV"), "other");
}

// A password is tried in its CP932 form first. When that form passes the check of an archive
// made with the UTF-8 form, the entry fails its CRC check with it and the UTF-8 form opens it.
TEST(Kzip, AUtf8PasswordOpensItsArchiveWhenItsCp932FormPassesTheCheck) {
    TempDir dir;
    const std::string data = "1,2,3\r\n", utf8 = "競馬", cp932 = keiba::Sj("競馬");
    const char check = static_cast<char>(ziptest::Crc(data) >> 24);
    std::string header;
    for (int i = 0; header.empty(); ++i) {
        std::string h = "01234567" + std::to_string(100 + i % 900).substr(0, 3);
        h[7] = static_cast<char>(i / 900);
        h += check;
        std::string sealed = ziptest::ZipCryptoWriter(utf8).Encrypt(h);
        if (ziptest::ZipCryptoWriter(cp932).Decrypt(sealed)[11] == check) header = h;
    }
    auto it = ziptest::File("rcom.csv", data, 0, 1);
    it.payload = ziptest::ZipCryptoWriter(utf8).Encrypt(header + data);
    WriteBytes(dir / "u.zip", ziptest::Build({it}));
    Outcome o = Kzip(dir, {"-p", utf8, (dir / "u.zip").string(), (dir / "out").string()});
    EXPECT_EQ(o.status, 0) << o.output;
    EXPECT_EQ(Slurp(dir / "out/rcom.csv"), data);
}

// A full disk fails the entry that meets it with one line, "Disk full", whatever its size; nothing
// of it stays, and the entries after it that fit are extracted.
TEST(Kzip, AFullDiskGivesOneCausePerEntry) {
    TempDir dir;
    fs::create_directories(dir / "disk");
    if (::mount("tmpfs", (dir / "disk").c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "a 1 MB file system cannot be mounted here (it takes root): "
                     << std::strerror(errno);
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{dir / "disk"};
    auto file = [](const char* name, std::size_t kb) {
        return ziptest::File(name, std::string(kb << 10, name[0]));
    };
    WriteBytes(dir / "f.zip",
               ziptest::Build({file("a.bin", 600), file("b.bin", 250), file("c.bin", 250),
                               file("d.bin", 2048), file("e.bin", 10)}));
    Outcome o = Kzip(dir, {(dir / "f.zip").string(), (dir / "disk/out").string()});
    EXPECT_EQ(o.status, 1);
    std::string expected;
    for (std::string line :
         {"ok   @a.bin", "ok   @b.bin", "error 25160 Disk full: @c.bin", "FAIL @c.bin",
          "error 25160 Disk full: @d.bin", "FAIL @d.bin", "ok   @e.bin"})
        expected += line.replace(line.find('@'), 1, (dir / "disk/out/").string()) + "\n";
    EXPECT_EQ(o.output, expected + "1 files\n");
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir / "disk/out"))
        left.push_back(e.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"a.bin", "b.bin", "e.bin"}));
}
