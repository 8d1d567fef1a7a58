// The command lines of the developer programs, run as a developer types them: the usage when
// asked for, a word starting with '-' never taken for a folder or a file, one argument too many
// refused, a folder that is not there named as missing, and one that is there but cannot be read
// named as unreadable with its cause, never as missing or empty.

#include "tests/support/tempdir.h"
#include "tests/support/waits.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// In the folder each locked call runs in: "locked", a folder no one but root may open (or, in a
// second round, one that may be listed and written but not entered), and
// "app/kestrane", a file likewise (where the sample script looks for the program it copies).
struct Program {
    std::string command;
    std::string wrongCall; // an option where a folder or a file goes
    std::string extra;     // one argument too many; empty: it takes any number
    std::string missing;   // a call naming "gone", a folder that is not there; empty: none
    std::string said;      // what standard error says of it
    std::string lockedFolder, lockedFolderSaid; // a call naming "locked" or a path inside it
    std::string lockedFile, lockedFileSaid;     // one naming "app/kestrane"; empty: none
};

const std::vector<Program> kPrograms = {
    {KESTRANE_MAKE_SAMPLE_SCRIPT, "-q sample", "a b c", "gone sample",
     "make-sample: no such folder: gone", "locked sample", "make-sample: cannot read folder locked",
     ". sample", "make-sample: cannot read file ./app/kestrane"},
    {KESTRANE_MAKE_SAMPLE, "-q", "a b", "", "", "locked",
     "kestrane_make_sample: cannot write into folder locked", "", ""}, // it makes its folder
    {KESTRANE_IMPORT_FEED, "-q feed", ". feed 20261128 x", ". gone",
     "kestrane_import_feed: no such folder: gone", ". locked",
     "kestrane_import_feed: cannot read folder locked", "", ""},
    {KESTRANE_PRINT_SHEET, "-q 20261128 racecard out.pdf", "a 20261128 racecard out.pdf x",
     "gone 20261128 racecard out.pdf", "kestrane_print_sheet: no such folder: gone",
     "locked 20261128 racecard out.pdf", "kestrane_print_sheet: cannot read folder locked", "", ""},
    {KESTRANE_DOWNLOAD, "-q out", "http://127.0.0.1:9/ out x", "http://127.0.0.1:9/ gone/out",
     "kestrane_download: no such folder: gone", "http://127.0.0.1:9/ locked/out",
     "kestrane_download: cannot write into folder locked", "", ""},
    {KESTRANE_KZIP, "a.zip out -p", "", "gone/a.zip out", "kestrane_kzip: no such file: gone/a.zip",
     "locked/a.zip out", "kestrane_kzip: cannot read file locked/a.zip", "app/kestrane out",
     "kestrane_kzip: cannot read file app/kestrane"},
    {KESTRANE_MEMBERS_SITE, "--port", "a b", "gone", "kestrane_members_site: no such folder: gone",
     "locked", "kestrane_members_site: cannot read folder locked", "", ""},
    {KESTRANE_MAKE_MANUAL, "-q out.pdf", "a.md out.pdf x", "gone/manual.md out.pdf",
     "kestrane_make_manual: no such file: gone/manual.md", "locked/manual.md out.pdf",
     "kestrane_make_manual: cannot read file locked/manual.md", "app/kestrane out.pdf",
     "kestrane_make_manual: cannot read file app/kestrane"},
    {KESTRANE_DAY_DUMP, "-q 20261128", "a 20261128 x", "gone 20261128",
     "kestrane_day_dump: no such folder: gone", "locked 20261128",
     "kestrane_day_dump: cannot read folder locked", "", ""},
};

struct Outcome {
    int exit = -1;
    std::string out, err;
};

// Runs the program in `cwd`, as `user` (a command prefix) when given, with its standard error
// in a file outside `cwd`; one that would serve or write on instead of answering is stopped.
Outcome RunIn(const fs::path& cwd, const fs::path& errFile, const std::string& command,
              const std::string& args, const std::string& user = "") {
    Outcome r;
    int status = -1;
    r.out = testsupport::RunCommand("cd '" + cwd.string() + "' && " + user + "timeout " +
                                        std::to_string(testsupport::kHangGuard.count()) + " '" +
                                        command + "' " + args + " 2>'" + errFile.string() + "'",
                                    &status);
    r.exit = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = testsupport::Slurp(errFile);
    return r;
}

// Every path below `root`, relative to it.
std::vector<std::string> Names(const fs::path& root) {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(root))
        names.push_back(fs::relative(e.path(), root).string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(CommandLines, EachProgramExplainsItsUsageAndNamesAMissingFolderWritingNothing) {
    for (const Program& p : kPrograms) {
        SCOPED_TRACE(p.command);
        testsupport::TempDir cwd, logs;
        // The usage names the program as built, by its file's name.
        const std::string usage = "usage: " + fs::path(p.command).filename().string() + " ";
        for (const char* help : {"-h", "--help"}) {
            const Outcome r = RunIn(cwd.path(), logs / "err", p.command, help);
            EXPECT_EQ(r.exit, 0) << help << "\n" << r.err;
            EXPECT_TRUE(r.out.starts_with(usage)) << help << "\n" << r.out;
            EXPECT_EQ(r.err, "") << help;
        }
        for (const std::string& wrong : {p.wrongCall, p.extra}) {
            if (wrong.empty()) continue;
            const Outcome r = RunIn(cwd.path(), logs / "err", p.command, wrong);
            EXPECT_EQ(r.exit, 2) << wrong << "\n" << r.err;
            EXPECT_EQ(r.out, "") << wrong;
            EXPECT_NE(r.err.find(usage), std::string::npos) << wrong << "\n" << r.err;
        }
        if (!p.missing.empty()) {
            const Outcome r = RunIn(cwd.path(), logs / "err", p.command, p.missing);
            EXPECT_NE(r.exit, 0) << r.out;
            EXPECT_EQ(r.err, p.said + "\n");
        }
        EXPECT_TRUE(fs::is_empty(cwd.path())) << "written by " << p.command;
    }
}

// Modes do not stop root, so root runs the programs as an ordinary user; the test is skipped
// only where that user cannot run them (a build folder only root may enter).
TEST(CommandLines, EachProgramNamesALockedFolderOrFileAsUnreadableWritingNothing) {
    testsupport::TempDir cwd, logs;
    fs::create_directories(cwd / "locked");
    fs::create_directories(cwd / "app");
    testsupport::WriteBytes(cwd / "app/kestrane", "kept");
    ASSERT_EQ(::chmod((cwd / "locked").c_str(), 0), 0);
    ASSERT_EQ(::chmod((cwd / "app/kestrane").c_str(), 0), 0);
    // The user may write in the folder, so that "nothing written" means something.
    ASSERT_EQ(::chmod(cwd.path().c_str(), 0777), 0);
    const std::vector<std::string> before = Names(cwd.path());
    std::string user;
    if (::geteuid() == 0) {
        user = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
        for (const Program& p : kPrograms) {
            const Outcome r = RunIn(cwd.path(), logs / "err", "/bin/sh",
                                    "-c 'test -x \"$0\" && test -w .' '" + p.command + "'", user);
            if (r.exit != 0) GTEST_SKIP() << "an ordinary user cannot run " << p.command;
        }
    }
    const std::string cause = std::string(": ") + std::strerror(EACCES) + "\n";
    for (const Program& p : kPrograms) {
        SCOPED_TRACE(p.command);
        for (const auto& [call, said] :
             {std::pair{p.lockedFolder, p.lockedFolderSaid}, {p.lockedFile, p.lockedFileSaid}}) {
            if (call.empty()) continue;
            const Outcome r = RunIn(cwd.path(), logs / "err", p.command, call, user);
            EXPECT_NE(r.exit, 0) << call << "\n" << r.out;
            EXPECT_EQ(r.err, said + cause) << call;
        }
        EXPECT_EQ(Names(cwd.path()), before) << "written by " << p.command;
    }
    // A folder that may be listed and written but not entered is as locked: nothing in it can be
    // read or made.
    ASSERT_EQ(::chmod((cwd / "locked").c_str(), 0666), 0);
    for (const Program& p : kPrograms) {
        SCOPED_TRACE(p.command);
        const Outcome r = RunIn(cwd.path(), logs / "err", p.command, p.lockedFolder, user);
        EXPECT_NE(r.exit, 0) << p.lockedFolder << "\n" << r.out;
        EXPECT_EQ(r.err, p.lockedFolderSaid + cause) << p.lockedFolder;
        EXPECT_EQ(Names(cwd.path()), before) << "written by " << p.command;
    }
    ::chmod((cwd / "locked").c_str(), 0755);
}
