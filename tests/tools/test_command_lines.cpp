// The command lines of the developer programs, run as a developer types them: the usage when
// asked for, a word starting with '-' never taken for a folder or a file, and a folder that is not
// there named as missing.

#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Program {
    std::string command;
    std::string wrongCall; // an option where a folder or a file goes
    std::string missing;   // a call naming "gone", a folder that is not there; empty: none
    std::string said;      // what standard error says of it
};

const std::vector<Program> kPrograms = {
    {KESTRANE_MAKE_SAMPLE_SCRIPT, "-q sample", "gone sample", "make-sample: no such folder: gone"},
    {KESTRANE_MAKE_SAMPLE, "-q", "", ""}, // it makes its folder
    {KESTRANE_IMPORT_FEED, "-q feed", ". gone", "no such folder: gone"},
    {KESTRANE_PRINT_SHEET, "-q 20261128 racecard out.pdf", "gone 20261128 racecard out.pdf",
     "no such folder: gone"},
    {KESTRANE_DOWNLOAD, "-q out", "http://127.0.0.1:9/ gone/out",
     "kestrane_download: no such folder: gone"},
    {KESTRANE_KZIP, "a.zip out -p", "gone/a.zip out", "kzip: gone/a.zip: no such file"},
    {KESTRANE_MEMBERS_SITE, "--port", "gone", "kestrane_members_site: no such folder: gone"},
    {KESTRANE_MAKE_MANUAL, "-q out.pdf", "gone/manual.md out.pdf",
     "make-manual: no such file: gone/manual.md"},
    {KESTRANE_DAY_DUMP, "-q 20261128", "gone 20261128", "no such folder: gone"},
};

struct Outcome {
    int exit = -1;
    std::string out, err;
};

// Runs the program in `cwd` with its standard error in a file outside it; one that would serve
// or write on instead of answering is stopped.
Outcome RunIn(const fs::path& cwd, const fs::path& errFile, const std::string& command,
              const std::string& args) {
    Outcome r;
    int status = -1;
    r.out = testsupport::RunCommand("cd '" + cwd.string() + "' && timeout 20 '" + command + "' " +
                                        args + " 2>'" + errFile.string() + "'",
                                    &status);
    r.exit = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.err = testsupport::Slurp(errFile);
    return r;
}

} // namespace

TEST(CommandLines, EachProgramExplainsItsUsageAndNamesAMissingFolderWritingNothing) {
    for (const Program& p : kPrograms) {
        SCOPED_TRACE(p.command);
        testsupport::TempDir cwd, logs;
        for (const char* help : {"-h", "--help"}) {
            const Outcome r = RunIn(cwd.path(), logs / "err", p.command, help);
            EXPECT_EQ(r.exit, 0) << help << "\n" << r.err;
            EXPECT_TRUE(r.out.starts_with("usage: ")) << help << "\n" << r.out;
            EXPECT_EQ(r.err, "") << help;
        }
        Outcome r = RunIn(cwd.path(), logs / "err", p.command, p.wrongCall);
        EXPECT_EQ(r.exit, 2) << p.wrongCall << "\n" << r.err;
        EXPECT_EQ(r.out, "") << p.wrongCall;
        EXPECT_NE(r.err.find("usage: "), std::string::npos) << p.wrongCall << "\n" << r.err;
        if (!p.missing.empty()) {
            r = RunIn(cwd.path(), logs / "err", p.command, p.missing);
            EXPECT_NE(r.exit, 0) << r.out;
            EXPECT_EQ(r.err, p.said + "\n");
        }
        EXPECT_TRUE(fs::is_empty(cwd.path())) << "written by " << p.command;
    }
}
