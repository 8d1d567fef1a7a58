#include "archive/streams.h"

#include "keiba/fileio.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <limits>
#include <vector>

namespace archive {

std::int64_t TStream32::Size() {
    std::int64_t here = Position();
    std::int64_t end = Seek(0, SeekOrigin::End);
    Seek(here, SeekOrigin::Begin);
    return end;
}

bool TStream32::ReadExact(void* buffer, std::int64_t count) {
    auto* p = static_cast<char*>(buffer);
    while (count > 0) {
        std::int64_t n = Read(p, count);
        if (n <= 0) return false;
        p += n;
        count -= n;
    }
    return true;
}

std::int64_t TStream32::CopyFrom(TStream32& source, std::int64_t count) {
    if (count == 0) {
        source.Seek(0, SeekOrigin::Begin);
        count = source.Size();
    }
    std::vector<char> block(static_cast<std::size_t>(std::min(count, kCopyBlock)));
    std::int64_t copied = 0;
    while (count > 0) {
        if (OnNotify) OnNotify(*this);
        if (CancelFlag && *CancelFlag) break;
        std::int64_t want = std::min(count, kCopyBlock);
        std::int64_t got = source.Read(block.data(), want);
        if (got <= 0) break;
        std::int64_t put = Write(block.data(), got);
        copied += put;
        if (put != got) break;
        count -= got;
    }
    return copied;
}

std::string ReadStreamString(TStream32& stream, std::int64_t length) {
    std::string s(static_cast<std::size_t>(std::clamp<std::int64_t>(length, 0, kMaxStreamString)),
                  '\0');
    std::int64_t got = 0;
    while (got < static_cast<std::int64_t>(s.size())) {
        std::int64_t n = stream.Read(s.data() + got, static_cast<std::int64_t>(s.size()) - got);
        if (n <= 0) break;
        got += n;
    }
    s.resize(static_cast<std::size_t>(got));
    return s;
}

std::string ReadStreamString(TStream32& stream, std::int64_t& position, std::int64_t length) {
    if (length <= 0) return {};
    std::string s;
    if (stream.Seek(position, SeekOrigin::Begin) == position) s = ReadStreamString(stream, length);
    if (__builtin_add_overflow(position, length, &position))
        position = std::numeric_limits<std::int64_t>::max();
    return s;
}

std::int64_t THandleStream32::Read(void* buffer, std::int64_t count) {
    if (fd_ < 0 || count <= 0) return 0;
    ssize_t n;
    do n = ::read(fd_, buffer, static_cast<std::size_t>(count));
    while (n < 0 && errno == EINTR);
    if (n <= 0) return 0;
    if (RemainingCounter) *RemainingCounter -= n;
    if (OnReadProgress) OnReadProgress(*this);
    return n;
}

std::int64_t THandleStream32::Write(const void* buffer, std::int64_t count) {
    if (fd_ < 0) return 0;
    const auto* p = static_cast<const char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
        ssize_t n = ::write(fd_, p + done, static_cast<std::size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

std::int64_t THandleStream32::Seek(std::int64_t offset, SeekOrigin origin) {
    if (fd_ < 0) return -1;
    int whence = origin == SeekOrigin::Begin     ? SEEK_SET
                 : origin == SeekOrigin::Current ? SEEK_CUR
                                                 : SEEK_END;
    off_t r = ::lseek(fd_, static_cast<off_t>(offset), whence);
    return r < 0 ? -1 : static_cast<std::int64_t>(r);
}

bool THandleStream32::SetSize(std::int64_t size) {
    return fd_ >= 0 && ::ftruncate(fd_, static_cast<off_t>(size)) == 0 &&
           Seek(size, SeekOrigin::Begin) == size;
}

TFileStream32::TFileStream32(const std::string& utf8Name, unsigned mode)
    : THandleStream32(-1) {
    int flags = O_CLOEXEC;
    if (mode >= kCreate) {
        flags |= O_RDWR | O_CREAT | O_TRUNC;
    } else {
        switch (mode & 3) {
        case kOpenWrite: flags |= O_WRONLY; break;
        case kOpenReadWrite: flags |= O_RDWR; break;
        default: flags |= O_RDONLY; break;
        }
    }
    fd_ = ::open(utf8Name.c_str(), flags, 0666);
    if (fd_ < 0) {
        error_ = errno;
        return;
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) { // a folder is not a file stream
        error_ = EISDIR;
        ::close(fd_);
        fd_ = -1;
    }
}

TFileStream32::~TFileStream32() {
    if (fd_ >= 0) ::close(fd_);
}

TBufferedFileStream::TBufferedFileStream(const std::string& utf8Name)
    : TFileStream32(utf8Name, kOpenRead) {
    if (fd_ < 0) return;
    struct stat st {};
    size_ = ::fstat(fd_, &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
    buffer_ = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(kBufferSize));
}

std::int64_t TBufferedFileStream::Pread(void* buffer, std::int64_t count, std::int64_t at) {
    ssize_t n;
    do n = ::pread(fd_, buffer, static_cast<std::size_t>(count), static_cast<off_t>(at));
    while (n < 0 && errno == EINTR);
    return n < 0 ? 0 : static_cast<std::int64_t>(n);
}

std::int64_t TBufferedFileStream::Read(void* buffer, std::int64_t count) {
    if (fd_ < 0 || count <= 0) return 0;
    auto* out = static_cast<char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
        std::int64_t want = count - done;
        if (position_ >= bufferStart_ && position_ < bufferStart_ + bufferLength_) {
            std::int64_t n = std::min(want, bufferStart_ + bufferLength_ - position_);
            std::memcpy(out + done, buffer_.get() + (position_ - bufferStart_),
                        static_cast<std::size_t>(n));
            position_ += n;
            done += n;
            continue;
        }
        if (want >= kBufferSize) {
            std::int64_t n = Pread(out + done, want, position_);
            if (n <= 0) break;
            position_ += n;
            done += n;
            continue;
        }
        std::int64_t n = Pread(buffer_.get(), kBufferSize, position_);
        if (n <= 0) break;
        bufferStart_ = position_;
        bufferLength_ = n;
    }
    if (done > 0) {
        if (RemainingCounter) *RemainingCounter -= done;
        if (OnReadProgress) OnReadProgress(*this);
    }
    return done;
}

std::int64_t TBufferedFileStream::Seek(std::int64_t offset, SeekOrigin origin) {
    if (fd_ < 0) return -1;
    std::int64_t base = origin == SeekOrigin::Begin     ? 0
                        : origin == SeekOrigin::Current ? position_
                                                        : size_;
    std::int64_t target;
    if (__builtin_add_overflow(base, offset, &target) || target < 0) return -1;
    position_ = target;
    return position_;
}

std::int64_t MemoryStream::Read(void* buffer, std::int64_t count) {
    auto size = static_cast<std::int64_t>(data_.size());
    if (count <= 0 || position_ >= size) return 0;
    std::int64_t n = std::min(count, size - position_);
    std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

std::int64_t MemoryStream::Seek(std::int64_t offset, SeekOrigin origin) {
    std::int64_t base = origin == SeekOrigin::Begin     ? 0
                        : origin == SeekOrigin::Current ? position_
                                                        : static_cast<std::int64_t>(data_.size());
    std::int64_t target;
    if (__builtin_add_overflow(base, offset, &target) || target < 0) return -1;
    position_ = target;
    return position_;
}

// ---- spare files

namespace {

// The permission bits a file made now gets: 0666 less the umask; -1 when it is not known.
int NewFileMode() {
    int mask = CurrentUmask();
    return mask < 0 ? -1 : 0666 & ~mask;
}

} // namespace

int CurrentUmask() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.starts_with("Umask:"))
            return static_cast<int>(std::stoul(line.substr(6), nullptr, 8));
    return -1;
}

bool TSpareFile::Adopt(int dirFd, const std::string& name, const struct stat& st) {
    if (newFileMode_ < 0) newFileMode_ = NewFileMode();
    if (groupDirFd_ != dirFd) {
        struct stat dir {};
        if (::fstat(dirFd, &dir) != 0) return false;
        newFileGroup_ = (dir.st_mode & S_ISGID) ? dir.st_gid : ::getegid();
        groupDirFd_ = dirFd;
    }
    if (newFileMode_ < 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1 || st.st_uid != ::geteuid() ||
        st.st_gid != newFileGroup_)
        return false;
    int fd =
        ::openat(dirFd, name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat again {};
    // the lease is refused while anyone else holds the file open; the writer's lock keeps the
    // start-up sweep of another instance off it, as off any temporary file
    bool ok = ::fstat(fd, &again) == 0 && again.st_ino == st.st_ino && again.st_dev == st.st_dev &&
              S_ISREG(again.st_mode) && again.st_nlink == 1 && ::flistxattr(fd, nullptr, 0) == 0 &&
              ::fcntl(fd, F_SETLEASE, F_WRLCK) == 0;
    if (ok) ::fcntl(fd, F_SETLEASE, F_UNLCK);
    ok = ok && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ok = ok && (static_cast<int>(again.st_mode & 07777) == newFileMode_ ||
                ::fchmod(fd, static_cast<mode_t>(newFileMode_)) == 0);
    if (!ok) {
        ::close(fd);
        return false;
    }
    Drop();
    dirFd_ = dirFd;
    fd_ = fd;
    name_ = name;
    size_ = again.st_size;
    return true;
}

bool TSpareFile::Take(int dirFd, int& fd, std::string& name, std::int64_t& size) {
    if (fd_ < 0) return false;
    if (dirFd != dirFd_) {
        Drop();
        return false;
    }
    fd = fd_;
    name = std::move(name_);
    size = size_;
    fd_ = -1;
    return true;
}

void TSpareFile::Drop() {
    if (fd_ < 0) return;
    ::close(fd_);
    ::unlinkat(dirFd_, name_.c_str(), 0);
    fd_ = -1;
    name_.clear();
}

void TSpareFile::Leave() {
    Drop();
    groupDirFd_ = -1;
    replacing = false;
}

// ---- temporary files

TTempFileStream::TTempFileStream(int dirFd, std::string target, TSpareFile* spare, int mode,
                                 bool unnamed)
    : THandleStream32(-1)
    , dirFd_(dirFd)
    , spare_(spare)
    , target_(std::move(target))
    , mode_(mode)
    , unnamed_(unnamed) {}

std::unique_ptr<TTempFileStream> TTempFileStream::Create(int dirFd, std::string targetName,
                                                         int creationMask, TSpareFile* spare) {
    auto stream = std::unique_ptr<TTempFileStream>(new TTempFileStream(
        dirFd, targetName, spare, creationMask < 0 ? -1 : 0666 & ~creationMask, false));
    int fd = -1;
    std::string temp;
    if (spare && spare->Take(dirFd, fd, temp, stream->stale_)) {
        stream->file_.Adopt(dirFd, std::move(targetName), fd, std::move(temp));
        stream->mode_ = spare->Mode();
    } else if (!stream->file_.Create(dirFd, std::move(targetName), 0666,
                                     keiba::NewFile::Kind::Temporary)) {
        return nullptr;
    }
    stream->fd_ = stream->file_.Fd();
    return stream;
}

std::unique_ptr<TTempFileStream> TTempFileStream::CreateUnnamed(int dirFd, std::string targetName,
                                                                unsigned mode, int creationMask,
                                                                TSpareFile* spare,
                                                                bool closeFirst) {
    const int got = creationMask < 0 ? -1 : static_cast<int>(mode & 07777) & ~creationMask;
    auto stream =
        std::unique_ptr<TTempFileStream>(new TTempFileStream(dirFd, targetName, spare, got, true));
    if (!stream->file_.Create(dirFd, std::move(targetName), mode, keiba::NewFile::Kind::Unnamed,
                              closeFirst))
        return nullptr;
    stream->fd_ = stream->file_.Fd();
    return stream;
}

std::int64_t TTempFileStream::Write(const void* buffer, std::int64_t count) {
    std::int64_t n = THandleStream32::Write(buffer, count);
    written_ += n;
    return n;
}

bool TTempFileStream::Trim() {
    if (fd_ < 0 || stale_ <= written_) return true;
    stale_ = written_;
    return ::ftruncate(fd_, static_cast<off_t>(written_)) == 0;
}

bool TTempFileStream::Close() {
    fd_ = -1;
    return file_.Close();
}

bool TTempFileStream::Commit() {
    Close();
    if (committed_) return true;
    committed_ = unnamed_ ? file_.Link() : RenameIntoPlace();
    return committed_;
}

bool TTempFileStream::Replace() {
    Close();
    if (committed_) return true;
    committed_ = file_.Name() && RenameIntoPlace();
    return committed_;
}

// A new target is made by a rename that replaces nothing. An existing one is exchanged with the
// temporary file: the target is whole at every moment, as with a plain rename, but some file
// systems (ext4) write the data of a file renamed over another out at once, which costs many
// times the write itself. The old file, now under the temporary name, becomes the spare or goes.
bool TTempFileStream::RenameIntoPlace() {
    const std::string tempName = file_.TempName();
    const char* temp = tempName.c_str();
    const char* target = target_.c_str();
    // the one tried first is the one that served the last target
    bool exchanged = false;
    if (spare_ && spare_->replacing) {
        exchanged = ::renameat2(dirFd_, temp, dirFd_, target, RENAME_EXCHANGE) == 0;
        if (!exchanged && errno == ENOENT) spare_->replacing = false;
    }
    if (!exchanged && ::renameat2(dirFd_, temp, dirFd_, target, RENAME_NOREPLACE) == 0) {
        file_.Placed();
        return true;
    }
    if (!exchanged && errno == EEXIST)
        exchanged = ::renameat2(dirFd_, temp, dirFd_, target, RENAME_EXCHANGE) == 0;
    if (exchanged) {
        if (spare_) spare_->replacing = true;
        auto putBack = [&] { // a folder stood there: the entry does not replace it
            ::renameat2(dirFd_, temp, dirFd_, target, RENAME_EXCHANGE);
            errno = EISDIR;
            return false;
        };
        struct stat st {};
        bool known = ::fstatat(dirFd_, temp, &st, AT_SYMLINK_NOFOLLOW) == 0;
        if (known && S_ISDIR(st.st_mode)) return putBack();
        if (!(known && spare_ && spare_->Adopt(dirFd_, tempName, st)) &&
            ::unlinkat(dirFd_, temp, 0) != 0 && errno == EISDIR)
            return putBack();
        file_.Placed();
        return true;
    }
    // a file system without these renames, or a failure the plain rename reports as well
    if (::renameat(dirFd_, temp, dirFd_, target) != 0) return false;
    file_.Placed();
    return true;
}

// A file without a name goes with its last descriptor.
void TTempFileStream::Discard() {
    fd_ = -1;
    file_.Discard();
}

TTempFileStream::~TTempFileStream() {
    if (committed_ && !(CancelFlag && *CancelFlag)) {
        // The file is made in the target's own folder, so always on the target's file system:
        // nothing to look up for each file.
        if (OnAfterReplace) OnAfterReplace(true);
        if (written_ > kLargeFile && OnLargeFile) OnLargeFile();
    }
    Discard();
}

} // namespace archive
