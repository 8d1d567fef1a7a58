#include "keiba/newfile.h"

#include "keiba/fileio.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

namespace keiba {
namespace {

NewFileCalls& Calls() {
    static NewFileCalls calls;
    return calls;
}

int OpenUnnamed(int dirFd, int flags, unsigned mode) {
    if (Calls().openUnnamed) return Calls().openUnnamed(dirFd, flags, mode);
    return ::openat(dirFd, ".", O_TMPFILE | flags, static_cast<mode_t>(mode));
}

int LinkAt(int fromDir, const char* from, int toDir, const char* to, int flags) {
    if (Calls().link) return Calls().link(fromDir, from, toDir, to, flags);
    return ::linkat(fromDir, from, toDir, to, flags);
}

int StatFs(int dirFd, struct statfs* fs) {
    if (Calls().statFs) return Calls().statFs(dirFd, fs);
    return ::fstatfs(dirFd, fs);
}

int DupCloexec(int fd) {
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
}

bool WriteAll(int fd, const char* p, std::size_t left) {
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

void SetNewFileCallsForTest(NewFileCalls calls) {
    Calls() = std::move(calls);
}

bool NewFile::Create(int dirFd, std::string target, unsigned mode, Kind kind, bool closeFirst) {
    Discard();
    copied_ = false;
    std::string temp;
    // read as well: the bytes of a file without a name are copied where it cannot be linked in
    const int fd = kind == Kind::Unnamed ? OpenUnnamed(dirFd, O_RDWR | O_CLOEXEC, mode & 07777)
                                         : CreateTempFileAt(dirFd, target, mode & 07777, &temp);
    if (fd < 0) return false;
    dirFd_ = dirFd;
    fd_ = fd;
    target_ = std::move(target);
    temp_ = std::move(temp);
    closeFirst_ = closeFirst;
    return true;
}

void NewFile::Adopt(int dirFd, std::string target, int fd, std::string temp) {
    Discard();
    copied_ = false;
    dirFd_ = dirFd;
    fd_ = fd;
    target_ = std::move(target);
    temp_ = std::move(temp);
    closeFirst_ = true;
}

// Kernels that do not know the flag take it for a folder (EISDIR); file systems without such
// files answer EOPNOTSUPP, some EINVAL.
bool NewFile::NoUnnamedFiles(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// FUSE passes a close on to its server, which may report a write it could not complete there;
// an overlay passes it on to the file system beneath.
bool NewFile::ClosingMayFail(int dirFd) {
    struct statfs fs {};
    if (StatFs(dirFd, &fs) != 0) return true;
    return fs.f_type == 0x65735546 /* FUSE */ || fs.f_type == 0x794C7630 /* overlay */;
}

bool NewFile::Close() {
    if (fd_ < 0) return true;
    const bool unnamed = temp_.empty();
    if (unnamed && !closeFirst_) {
        hold_ = fd_;
        fd_ = -1;
        return true;
    }
    if (hold_ < 0) hold_ = DupCloexec(fd_);
    if (hold_ < 0 && unnamed) { // closed, the file would be gone: this descriptor keeps it
        hold_ = fd_;
        fd_ = -1;
        return true;
    }
    const int r = ::close(fd_);
    fd_ = -1;
    return r == 0;
}

// Through the descriptor first: a kernel that wants a capability for that refuses it at once
// (ENOENT), before it looks at any name.
bool NewFile::LinkUnnamed(const std::string& name) {
    if (LinkAt(hold_, "", dirFd_, name.c_str(), AT_EMPTY_PATH) == 0) return true;
    if (errno == EEXIST) return false;
    char path[40];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", hold_);
    return LinkAt(AT_FDCWD, path, dirFd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

bool NewFile::Link() {
    if (!Close()) return false;
    if (placed_) return true;
    if (Unnamed()) {
        if (LinkUnnamed(target_)) {
            placed_ = true;
            const int fd = hold_;
            hold_ = -1;
            if (::close(fd) != 0 && !closeFirst_) { // never so where closing cannot fail
                const int err = errno;
                ::unlinkat(dirFd_, target_.c_str(), 0);
                placed_ = false;
                errno = err;
                return false;
            }
            return true;
        }
        if (errno == EEXIST || !CopyToTemporary()) return false;
    }
    if (::renameat2(dirFd_, temp_.c_str(), dirFd_, target_.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL) return false;
        // a file system without that rename: a link fails as well where the name is taken
        if (::linkat(dirFd_, temp_.c_str(), dirFd_, target_.c_str(), 0) != 0) return false;
        ::unlinkat(dirFd_, temp_.c_str(), 0);
    }
    Placed();
    return true;
}

// The name comes from an empty file made as every writer's temporary file; the file takes its
// place under the writer's lock, so the sweep of another instance leaves it alone.
bool NewFile::Name() {
    if (!Close()) return false;
    if (!Unnamed()) return true;
    std::string name;
    const int placeholder = CreateTempFileAt(dirFd_, target_, 0600, &name);
    if (placeholder >= 0) {
        const bool freed = ::flock(hold_, LOCK_EX) == 0 && ::unlinkat(dirFd_, name.c_str(), 0) == 0;
        if (!freed) ::unlinkat(dirFd_, name.c_str(), 0);
        ::close(placeholder);
        if (freed && LinkUnnamed(name)) {
            temp_ = std::move(name);
            return true;
        }
    }
    return CopyToTemporary();
}

// The file without a name is read back into a new temporary file, which takes its place; made
// rarely (the writer turns to temporary files), so plainly.
bool NewFile::CopyToTemporary() {
    struct stat st {};
    if (::fstat(hold_, &st) != 0) return false;
    std::string name;
    const int out = CreateTempFileAt(dirFd_, target_, st.st_mode & 07777, &name);
    if (out < 0) return false;
    constexpr std::size_t kBlock = 256 * 1024;
    const auto block = std::make_unique_for_overwrite<char[]>(kBlock);
    bool ok = true;
    for (off_t at = 0; ok && at < st.st_size;) {
        const auto want = static_cast<std::size_t>(std::min<off_t>(st.st_size - at, kBlock));
        const ssize_t n = ::pread(hold_, block.get(), want, at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO; // the file cannot have shrunk: nobody else has it
            ok = false;
            break;
        }
        ok = WriteAll(out, block.get(), static_cast<std::size_t>(n));
        at += n;
    }
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ok = ok && ::fchmod(out, st.st_mode & 07777) == 0 && ::futimens(out, times) == 0;
    const int lock = ok ? DupCloexec(out) : -1;
    ok = ok && lock >= 0;
    int err = errno;
    if (::close(out) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlinkat(dirFd_, name.c_str(), 0);
        if (lock >= 0) ::close(lock);
        errno = err;
        return false;
    }
    ::close(hold_);
    hold_ = lock;
    temp_ = std::move(name);
    copied_ = true;
    return true;
}

bool NewFile::Replace() {
    if (!Name()) return false;
    if (placed_) return true;
    if (::renameat(dirFd_, temp_.c_str(), dirFd_, target_.c_str()) != 0) return false;
    Placed();
    return true;
}

void NewFile::Placed() {
    const int saved = errno;
    placed_ = true;
    temp_.clear();
    if (hold_ >= 0) ::close(hold_);
    hold_ = -1;
    errno = saved;
}

void NewFile::Abandon() {
    if (fd_ >= 0) ::close(fd_);
    if (hold_ >= 0) ::close(hold_);
    Reset();
}

// Removed while the writer's lock is held, so no other writer can have taken the name.
void NewFile::Discard() {
    const int saved = errno;
    if (fd_ >= 0) ::close(fd_);
    if (!placed_ && dirFd_ >= 0 && !temp_.empty()) ::unlinkat(dirFd_, temp_.c_str(), 0);
    if (hold_ >= 0) ::close(hold_);
    Reset();
    errno = saved;
}

void NewFile::Reset() {
    dirFd_ = fd_ = hold_ = -1;
    target_.clear();
    temp_.clear();
    placed_ = false;
}

} // namespace keiba
