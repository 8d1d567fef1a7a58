#pragma once
// A file that appears under its name only whole; every writer of the system makes its files
// through it. The file is written either without a name, so that a kill leaves nothing, or as a
// writer's temporary file beside its target, named and locked as fileio.h says, so that the
// start-up sweep removes one a kill leaves. Once whole it is linked in under its name where
// nothing has that name, or renamed over what has it.
//
// A file without a name is linked in through its descriptor (which kernels before 6.10 allow
// only with a capability) or through its name in /proc. Where neither serves, its bytes are
// copied into a temporary file, which then takes its place: the file still appears only whole,
// and Copied tells the writer to make its next files as temporary files from the start. The copy
// keeps the file's mode and times and is not synced.

#include <functional>
#include <string>

struct statfs;

namespace keiba {

class NewFile {
public:
    enum class Kind {
        Unnamed,   // a file without a name; fails where the folder's file system makes none
        Temporary, // a writer's temporary file
    };

    NewFile() = default;
    ~NewFile() { Discard(); }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Makes the file for `target`, a name in the folder open as `dirFd` (which must stay open
    // while the file is in hand), with `mode` less what the folder takes off (the umask or a
    // default ACL). False with errno set; NoUnnamedFiles(errno) tells a folder that makes no
    // files without a name. With `closeFirst` false a file without a name stays open until it is
    // linked in, which saves a second descriptor and close for each file: only where closing
    // cannot fail (ClosingMayFail).
    bool Create(int dirFd, std::string target, unsigned mode, Kind kind, bool closeFirst = true);
    // Takes over `fd`, open for writing on `temp`, a writer's temporary file of `dirFd` that it
    // holds as a writer's, as the file for `target`.
    void Adopt(int dirFd, std::string target, int fd, std::string temp);

    static bool NoUnnamedFiles(int error);
    // Whether closing a file of the folder `dirFd` can report that its data did not all land.
    static bool ClosingMayFail(int dirFd);

    // The descriptor to write through; -1 once closed.
    int Fd() const { return fd_; }
    bool Unnamed() const { return dirFd_ >= 0 && temp_.empty() && !placed_; }
    // The temporary file's name in the folder; empty for a file without a name.
    const std::string& TempName() const { return temp_; }
    // The bytes of a file without a name were copied, since it could not be linked in.
    bool Copied() const { return copied_; }

    // Ends the writing; false with errno set when closing reported an error. A temporary file
    // stays locked, and a file without a name open, until it is in place.
    bool Close();
    // Puts the file in place under its target's name where nothing has that name (closing it
    // first). False with errno set; EEXIST: the name is taken, and the file stays for Replace.
    bool Link();
    // Gives a file without a name a writer's temporary name, held as a writer's; the caller may
    // then rename it itself and call Placed.
    bool Name();
    // Renames the file over whatever has its target's name.
    bool Replace();
    // The caller has renamed the temporary file into place: it is no longer removed.
    void Placed();
    // Lets the file go as a killed writer would: a temporary file stays, unlocked.
    void Abandon();
    // Removes the file unless it is in place. Keeps errno.
    void Discard();

private:
    bool LinkUnnamed(const std::string& name);
    bool CopyToTemporary();
    void Reset();

    int dirFd_ = -1;
    int fd_ = -1;   // the descriptor written
    int hold_ = -1; // keeps a closed file open (and a temporary file locked) until it is placed
    std::string target_, temp_;
    bool closeFirst_ = true;
    bool placed_ = false;
    bool copied_ = false;
};

// The system's calls that decide how a new file is made and linked in, taken by a test: the
// creation of a file without a name (openat of the folder with O_TMPFILE and `flags`), the links
// of such a file (linkat), and the file system of a folder (fstatfs). An empty member keeps the
// system's own call.
struct NewFileCalls {
    std::function<int(int dirFd, int flags, unsigned mode)> openUnnamed;
    std::function<int(int fromDir, const char* from, int toDir, const char* to, int flags)> link;
    std::function<int(int dirFd, struct statfs* fs)> statFs;
};
void SetNewFileCallsForTest(NewFileCalls calls);

} // namespace keiba
