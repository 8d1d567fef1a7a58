#pragma once
// Streams of the archive library: a base with cancel and progress hooks, streams over file
// descriptors, and the output stream that writes a new target directly, or a temporary file
// beside an existing one that it renames only when the entry is complete.

#include "keiba/newfile.h"

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace archive {

enum class SeekOrigin { Begin, Current, End };

class TStream32 {
public:
    virtual ~TStream32() = default;
    // Bytes read or written (0 on error or at the end).
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    // The new position, or -1 when the request fails.
    virtual std::int64_t Seek(std::int64_t offset, SeekOrigin origin) = 0;

    std::int64_t Position() { return Seek(0, SeekOrigin::Current); }
    std::int64_t Size();
    // Reads exactly `count` bytes or reports false.
    bool ReadExact(void* buffer, std::int64_t count);
    // Copies `count` bytes (0: the whole source from its start) in blocks of at most 131072
    // bytes, stopping when the cancel flag is set; returns the bytes copied.
    std::int64_t CopyFrom(TStream32& source, std::int64_t count);

    std::function<void(TStream32&)> OnNotify;       // before each block of CopyFrom
    std::function<void(TStream32&)> OnReadProgress; // after each read that gave bytes
    const bool* CancelFlag = nullptr;
    std::int64_t* RemainingCounter = nullptr; // lowered by every read

    static constexpr std::int64_t kCopyBlock = 131072;
};

// The longest string ReadStreamString reads.
inline constexpr std::int64_t kMaxStreamString = 511;
// A string of at most kMaxStreamString bytes read at the stream's position (fewer where the
// stream ends); nothing for a length of 0 or less.
std::string ReadStreamString(TStream32& stream, std::int64_t length);
// The same at `position`, which then advances by the whole length, also past bytes beyond the
// string's limit.
std::string ReadStreamString(TStream32& stream, std::int64_t& position, std::int64_t length);

class THandleStream32 : public TStream32 {
public:
    explicit THandleStream32(int fd)
        : fd_(fd) {}
    ~THandleStream32() override = default; // the handle belongs to whoever opened it
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    bool SetSize(std::int64_t size);
    int Handle() const { return fd_; }

protected:
    int fd_;
};

class TFileStream32 : public THandleStream32 {
public:
    static constexpr unsigned kCreate = 0xFFFF;
    static constexpr unsigned kOpenRead = 0, kOpenWrite = 1, kOpenReadWrite = 2;
    // kCreate creates (or truncates) the file; a smaller mode opens an existing file with the
    // access of bits 0..1; the higher (sharing) bits of a mode are ignored.
    TFileStream32(const std::string& utf8Name, unsigned mode);
    ~TFileStream32() override;
    TFileStream32(const TFileStream32&) = delete;
    TFileStream32& operator=(const TFileStream32&) = delete;
    bool IsOpen() const { return fd_ >= 0; }
    int Error() const { return error_; }

private:
    int error_ = 0;
};

// The archive, read through one buffer with pread: the directory, the local headers and the
// entries' data come in large sequential pieces, and a seek costs no system call. Reads of a
// buffer's size or more go straight to the caller. The size is taken once, when it is opened.
class TBufferedFileStream : public TFileStream32 {
public:
    static constexpr std::int64_t kBufferSize = 256 * 1024;
    explicit TBufferedFileStream(const std::string& utf8Name);
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

private:
    std::int64_t Pread(void* buffer, std::int64_t count, std::int64_t at);

    std::unique_ptr<char[]> buffer_;
    std::int64_t bufferStart_ = 0, bufferLength_ = 0;
    std::int64_t position_ = 0, size_ = 0;
};

// Bytes in memory, read as a stream: the decoders' tests and fuzz inputs.
class MemoryStream : public TStream32 {
public:
    explicit MemoryStream(std::string_view data)
        : data_(data) {}
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

private:
    std::string_view data_;
    std::int64_t position_ = 0;
};

// The umask of the process, read without changing it (the umask call would change it for every
// thread meanwhile); -1 when the system does not say.
int CurrentUmask();

// A file an output displaced, kept under its temporary name to serve as the next temporary file
// of its folder: extracting over earlier files then makes and frees no inode (on some file
// systems the dearest part of writing a small file). Only a file nobody can see through is kept:
// a regular file of ours with one name, the group a new file would get, no extended attributes
// (ACLs, security labels), and no other open descriptor (a write lease can be had on it). Its
// old bytes are written over and the rest cut off at the end: emptying it first would make ext4
// write the new data out at once, as it does for a file renamed over another.
class TSpareFile {
public:
    TSpareFile() = default;
    ~TSpareFile() { Leave(); }
    TSpareFile(const TSpareFile&) = delete;
    TSpareFile& operator=(const TSpareFile&) = delete;

    // Keeps the file `name` of `dirFd` (whose status is `st`), with the mode a new file gets,
    // when it qualifies; false leaves it to the caller.
    bool Adopt(int dirFd, const std::string& name, const struct stat& st);
    // Hands out the spare of `dirFd`: its descriptor, name and size; false when there is none.
    bool Take(int dirFd, int& fd, std::string& name, std::int64_t& size);
    // Removes a spare that is kept.
    void Drop();
    // Drop, and forget what is known of the folder. Due before the folder's descriptor closes.
    void Leave();
    // The permission bits a spare has (those of a new file).
    int Mode() const { return newFileMode_; }
    // Whether the last target replaced was there: the next one likely is too.
    bool replacing = false;

private:
    int dirFd_ = -1, fd_ = -1;
    std::string name_;
    std::int64_t size_ = 0;
    int newFileMode_ = -1; // 0666 less the umask, once known
    int groupDirFd_ = -1;  // the folder whose new files' group is known
    gid_t newFileGroup_ = 0;
};

// An output file in the target's folder (given as an open folder descriptor), a keiba::NewFile:
// either a file made without a name, linked in under the target's name once it is whole, or a
// temporary file beside the target. Commit puts the file in place; otherwise the file written is
// removed. Either way nothing appears under the target's name before the file is whole.
//
// `creationMask` is what the folder takes off a new file's mode: the umask, or -1 where that is
// not known (a default ACL decides); Mode() then tells the permission bits the file got.
class TTempFileStream : public THandleStream32 {
public:
    // A temporary file; `spare`, when given, supplies it (and later takes the file the target
    // displaces).
    static std::unique_ptr<TTempFileStream> Create(int dirFd, std::string targetName,
                                                   int creationMask, TSpareFile* spare = nullptr);
    // A file without a name in the folder, with `mode`, for a target that is not there; Commit
    // links it in. nullptr with errno set when it cannot be made; keiba::NewFile::NoUnnamedFiles
    // tells when the folder's file system makes none, so that Create serves instead. `spare`
    // takes the file a Replace displaces.
    // With `closeFirst` the file is closed, and that checked, before it is linked in: due
    // where closing can fail (keiba::NewFile::ClosingMayFail); elsewhere it is closed once it is
    // in place.
    static std::unique_ptr<TTempFileStream> CreateUnnamed(int dirFd, std::string targetName,
                                                          unsigned mode, int creationMask,
                                                          TSpareFile* spare = nullptr,
                                                          bool closeFirst = true);
    ~TTempFileStream() override;
    TTempFileStream(const TTempFileStream&) = delete;
    TTempFileStream& operator=(const TTempFileStream&) = delete;

    std::int64_t Write(const void* buffer, std::int64_t count) override;
    // Cuts off what is left of a spare's old bytes; due before the file's dates are set.
    bool Trim();
    // Closes the descriptor; false when closing reported an error. A temporary file stays
    // locked up to its rename; a file without a name stays open up to its link.
    bool Close();
    // Puts the (closed) file in place: links a file made without a name in, or renames the
    // temporary file over the target; false with errno set when it fails (EISDIR: the target is
    // a folder; EEXIST: the target of a file made without a name is there, which Replace then
    // replaces).
    bool Commit();
    bool Replace();
    // Made without a name: Commit puts it in place only where the target is not there.
    bool Unnamed() const { return unnamed_; }
    // It could not be linked in, and its bytes went to a temporary file instead.
    bool Copied() const { return file_.Copied(); }
    void Discard();
    const std::string& TargetName() const { return target_; }
    // The temporary file's name; empty for a file without a name.
    const std::string& TempName() const { return file_.TempName(); }
    // The permission bits the file has, or -1 when they are not known.
    int Mode() const { return mode_; }

    // Called when the stream ends after its file replaced the target, unless the run was
    // cancelled (CancelFlag): with whether the file was written on the target's file system
    // (always so: it is made in the target's folder), then, for a file of more than kLargeFile
    // bytes, the large-file hook. A hook must not throw.
    std::function<void(bool sameDrive)> OnAfterReplace;
    std::function<void()> OnLargeFile;
    static constexpr std::int64_t kLargeFile = 65536;

private:
    TTempFileStream(int dirFd, std::string target, TSpareFile* spare, int mode, bool unnamed);
    bool RenameIntoPlace();
    keiba::NewFile file_;
    int dirFd_;
    TSpareFile* spare_;
    std::int64_t stale_ = 0; // bytes of a spare's old contents
    std::int64_t written_ = 0;
    std::string target_;
    int mode_;
    bool unnamed_;
    bool committed_ = false;
};

} // namespace archive
