// A new file put in place whole, however the folder lets it be made and linked in.

#include "keiba/fileio.h"
#include "keiba/newfile.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <set>
#include <string>

using keiba::NewFile;
using testsupport::Slurp;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

enum class Links {
    All,          // through the descriptor or through /proc
    NoDescriptor, // a kernel that wants a capability for a link through the descriptor
    None,         // nor through /proc (not mounted)
};

std::set<std::string> Names(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

} // namespace

// Every way of making the file ends with the target holding the new bytes, with the mode and time
// the writer gave them, and nothing else in the folder; a name that is taken is kept until the
// file is put over it.
TEST(NewFile, TheFileTakesItsPlaceWholeWhateverTheFolderAllows) {
    const struct {
        const char* what;
        bool unnamedFiles;
        Links links;
        bool exists;
        bool linkFirst; // over a file: tried as a new name first
        bool copied;
    } cases[] = {
        {"linked through its descriptor", true, Links::All, false, true, false},
        {"linked through /proc over a file", true, Links::NoDescriptor, true, false, false},
        {"copied where nothing links", true, Links::None, false, true, true},
        {"copied over a file where nothing links", true, Links::None, true, false, true},
        {"copied when nothing links, then over a file", true, Links::None, true, true, true},
        {"a temporary file where none is made without a name", false, Links::All, true, true,
         false},
    };
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const struct timespec written[2] = {{1'600'000'000, 0}, {1'600'000'000, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        if (c.exists) WriteBytes(dir / "t.csv", "old");
        keiba::NewFileCalls calls;
        if (!c.unnamedFiles)
            calls.openUnnamed = [](int, int, unsigned) { return errno = EOPNOTSUPP, -1; };
        const Links links = c.links;
        calls.link = [links](int fromDir, const char* from, int toDir, const char* to, int flags) {
            if (links == Links::None || (links == Links::NoDescriptor && (flags & AT_EMPTY_PATH)))
                return errno = ENOENT, -1;
            return ::linkat(fromDir, from, toDir, to, flags);
        };
        keiba::SetNewFileCallsForTest(calls);
        const int folder = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(folder, 0);
        {
            NewFile file;
            bool made = file.Create(folder, "t.csv", 0644, NewFile::Kind::Unnamed);
            if (!made) {
                EXPECT_TRUE(NewFile::NoUnnamedFiles(errno));
                made = file.Create(folder, "t.csv", 0644, NewFile::Kind::Temporary);
            }
            ASSERT_TRUE(made);
            ASSERT_EQ(::write(file.Fd(), "new", 3), 3);
            ASSERT_EQ(::futimens(file.Fd(), written), 0);
            if (c.linkFirst) {
                EXPECT_EQ(file.Link(), !c.exists);
                if (c.exists) {
                    EXPECT_EQ(errno, EEXIST);
                }
            }
            if (c.exists) {
                EXPECT_EQ(Slurp(dir / "t.csv"), "old");
                EXPECT_TRUE(file.Replace());
            }
            EXPECT_EQ(file.Copied(), c.copied);
        }
        keiba::SetNewFileCallsForTest({});
        ::close(folder);
        EXPECT_EQ(Slurp(dir / "t.csv"), "new");
        EXPECT_EQ(Names(dir.path()), std::set<std::string>{"t.csv"});
        struct stat st {};
        ASSERT_EQ(::stat((dir / "t.csv").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0644 & ~mask);
        EXPECT_EQ(st.st_mtim.tv_sec, written[1].tv_sec);
    }
}

// A writer killed before its file was in place leaves a temporary file the sweep removes once
// its lock is gone; one given up while the writer lives is gone at once.
TEST(NewFile, AFileNotPutInPlaceLeavesOnlyWhatTheSweepRemoves) {
    TempDir dir;
    const int folder = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    NewFile given, killed;
    ASSERT_TRUE(given.Create(folder, "a.csv", 0644, NewFile::Kind::Temporary));
    ASSERT_TRUE(killed.Create(folder, "b.csv", 0644, NewFile::Kind::Temporary));
    ASSERT_TRUE(keiba::IsTempFileName(killed.TempName()));
    given.Discard();
    EXPECT_EQ(Names(dir.path()), std::set<std::string>{killed.TempName()});
    killed.Abandon();
    EXPECT_EQ(keiba::RemoveStaleTempFiles(dir.path()), 1u);
    EXPECT_TRUE(Names(dir.path()).empty());
    ::close(folder);
}
