#include "keiba/fileio.h"

#include "keiba/newfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <random>
#include <system_error>

namespace keiba {
namespace {

BeforeRenameHook& Hook() {
    static BeforeRenameHook hook;
    return hook;
}

FolderSyncedHook& SyncedHook() {
    static FolderSyncedHook hook;
    return hook;
}

constexpr std::string_view kTempMark = ".ktmp";
// Earlier versions named their temporary files "<name>.tmp" and a random number below 10^9.
constexpr std::string_view kOlderTempMark = ".tmp";

// Write counters by a hash of the path's normal form.
constexpr std::size_t kCounterBuckets = 4096;
std::array<std::atomic<std::uint64_t>, kCounterBuckets>& Counters() {
    static std::array<std::atomic<std::uint64_t>, kCounterBuckets> counters{};
    return counters;
}

std::atomic<std::uint64_t>& CounterOf(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::path abs = path.is_absolute() ? path : std::filesystem::absolute(path, ec);
    const std::string key = (ec ? path : abs).lexically_normal().native();
    return Counters()[std::hash<std::string>{}(key) % kCounterBuckets];
}

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::atomic<bool>& Synced() {
    static std::atomic<bool> synced{true};
    return synced;
}

// Folders whose file systems cannot sync a folder answer EINVAL; there is nothing to wait for.
bool SyncFolderFd(const std::filesystem::path& dir, int* err) {
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        *err = errno;
        return false;
    }
    bool ok = ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
    *err = errno;
    ::close(fd);
    return ok;
}

FailureLog& LogSink() {
    static FailureLog sink;
    return sink;
}

// A failure met while the log itself is written is not logged again.
thread_local bool tLogging = false;

// The user's message names the path and the cause in words; the log keeps the system's own
// text, which is what a support request needs. `access` is what the operation asked of `path`.
IoResult Failure(const std::filesystem::path& path, std::string_view what, int err, Access access) {
    const std::string head = PathToUtf8(path) + " " + std::string(what);
    if (LogSink() && !tLogging) {
        tLogging = true;
        LogSink()(head + ": " + std::strerror(err) + " (errno " + std::to_string(err) + ")");
        tLogging = false;
    }
    return IoResult::Fail(head + "（" + FailureCause(err, path, access) + "）。");
}

constexpr std::string_view kCannotWrite = "を書き込めません";

// A writer holds an exclusive lock on its temporary file from its creation to its rename, so a
// clean-up tells a live writer from one that was killed (whose lock went with it) whatever
// process now has its pid. False when a clean-up removed the file before the lock was taken:
// the writer makes another. A file system without locks leaves the file unlocked; the pid in
// its name then decides.
bool HoldAsWriter(int fd) {
    while (::flock(fd, LOCK_EX) != 0)
        if (errno != EINTR) return true;
    struct stat st {};
    return ::fstat(fd, &st) == 0 && st.st_nlink > 0;
}

// The process `pid` has ended (or never was).
bool ProcessEnded(long pid) {
    return pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

// "<name>.tmp" and six to nine digits: a file an earlier version's writer left. (Shorter
// numbers were rare there and are common in names of other programs' files.)
bool IsOlderTempFileName(std::string_view name) {
    std::size_t at = name.rfind(kOlderTempMark);
    if (at == std::string_view::npos || at == 0) return false;
    std::string_view n = name.substr(at + kOlderTempMark.size());
    return n.size() >= 6 && n.size() <= 9 && AllDigits(n);
}

bool WriteAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

namespace {

ReadFailureHook& ReadHook() {
    static ReadFailureHook hook;
    return hook;
}

// Not an errno value: something other than a file or a folder (a device, a pipe) stands there.
constexpr int kNotAFile = kNotARegularFile;

// The whole file into `data`; 0, or why not: an errno value (ENOENT, ENOTDIR: nothing there) or
// kNotAFile.
int ReadInto(const char* nativePath, std::string& data) {
    int fd = OpenToRead(nativePath);
    if (fd < 0) return errno;
    struct stat st {};
    int err = 0;
    if (::fstat(fd, &st) != 0)
        err = errno;
    else if (!S_ISREG(st.st_mode))
        err = S_ISDIR(st.st_mode) ? EISDIR : kNotAFile;
    if (err != 0) {
        ::close(fd);
        return err;
    }
    data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t used = 0;
    for (;;) {
        ssize_t n;
        if (used < data.size()) {
            n = ::read(fd, data.data() + used, data.size() - used);
        } else {
            // The buffer holds the size stat gave; the file may have grown since. A small read
            // tells, so the common case costs no reallocation of the whole file.
            char more[4096];
            n = ::read(fd, more, sizeof more);
            if (n > 0) {
                data.append(more, static_cast<std::size_t>(n));
                used = data.size();
                continue;
            }
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            ::close(fd);
            return err;
        }
        if (n == 0) break;
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    data.resize(used);
    return 0;
}

// As a failed write's: the user reads the cause in words, the log keeps the system's text.
IoResult ReadFailure(const std::filesystem::path& path, int err) {
    const std::string head = PathToUtf8(path) + " を読み込めません";
    if (LogSink() && !tLogging) {
        tLogging = true;
        LogSink()(head + ": " +
                  (err == kNotAFile
                       ? std::string("not a regular file")
                       : std::string(std::strerror(err)) + " (errno " + std::to_string(err) + ")"));
        tLogging = false;
    }
    const std::string cause = err == kNotAFile ? std::string("ファイルではないものがあります")
                                               : FailureCause(err, path, Access::Read);
    return IoResult::Fail(head + "（" + cause + "）。");
}

} // namespace

IoResult ReadFailed(const std::filesystem::path& path, int err) {
    return ReadFailure(path, err);
}

FileRead ReadFileOrMissing(const std::filesystem::path& path) {
    return ReadFileOrMissing(path.c_str());
}

FileRead ReadFileOrMissing(const char* nativePath) {
    std::string data;
    const int err = ReadInto(nativePath, data);
    if (err == 0) return {IoResult::Ok(), std::move(data)};
    if (err == ENOENT || err == ENOTDIR) return {IoResult::Ok(), std::nullopt};
    return {ReadFailure(std::filesystem::path(nativePath), err), std::nullopt};
}

FolderList ListFolder(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    if (ReadHook())
        if (const int err = ReadHook()(folder); err != 0) return {ReadFailure(folder, err), {}};
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        const int err = ec.value();
        // A file standing where the folder should be is no missing folder.
        struct stat st {};
        if ((err == ENOENT || err == ENOTDIR) && ::stat(folder.c_str(), &st) != 0) return {};
        return {ReadFailure(folder, err), {}};
    }
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) return {ReadFailure(folder, ec.value()), {}};
        entries.push_back(*it);
    }
    if (ec) return {ReadFailure(folder, ec.value()), {}};
    return {IoResult::Ok(), std::move(entries)};
}

int OpenToRead(const char* nativePath) {
    if (ReadHook())
        if (const int err = ReadHook()(std::filesystem::path(nativePath)); err != 0) {
            errno = err;
            return -1;
        }
    return ::open(nativePath, O_RDONLY | O_CLOEXEC);
}

void SetReadFailureHookForTest(ReadFailureHook hook) {
    ReadHook() = std::move(hook);
}

namespace {

// "<name>.ktmp<pid>-", the name of a writer's temporary file without its number. A long name is
// cut so that the suffix and nine digits fit the file system's limit; a UTF-8 character is never
// cut in two.
std::string TempStem(std::string_view targetName) {
    const std::string suffix = std::string(kTempMark) + std::to_string(::getpid()) + "-";
    std::size_t keep = std::min<std::size_t>(targetName.size(), NAME_MAX - suffix.size() - 9);
    while (keep > 0 && keep < targetName.size() && (targetName[keep] & 0xC0) == 0x80) --keep;
    return std::string(targetName.substr(0, keep)) + suffix;
}

// Creates a file named `stem` and a random number through `create` (an exclusive create of that
// name), trying up to 16 numbers, and holds it as a writer's; its name goes to `name`. -1 with
// errno set when none could be made.
template <typename Open>
int CreateFreshFile(const std::string& stem, std::string& name, Open create) {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    int fd = -1;
    int openErr = 0;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        name = stem + std::to_string(rng() % 1000000000);
        fd = create(name);
        openErr = errno;
        if (fd < 0 && errno != EEXIST) break;
        if (fd >= 0 && !HoldAsWriter(fd)) {
            ::close(fd);
            fd = -1;
            openErr = ENOENT;
        }
    }
    if (fd < 0) errno = openErr;
    return fd;
}

} // namespace

int CreateTempFile(const std::filesystem::path& target, std::filesystem::path* temp) {
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    std::string name;
    return CreateFreshFile(TempStem(target.filename().native()), name, [&](const std::string& n) {
        *temp = dir / n;
        return ::open(temp->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    });
}

int CreateTempFileAt(int dirFd, std::string_view targetName, unsigned mode, std::string* temp) {
    return CreateFreshFile(TempStem(targetName), *temp, [&](const std::string& n) {
        return ::openat(dirFd, n.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                        static_cast<mode_t>(mode));
    });
}

IoResult WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes,
                         FolderSync sync) {
    std::filesystem::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    // only named through: its files are made, renamed and removed by their names in it
    const int dirFd = ::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return Failure(path, kCannotWrite, errno, Access::Write);
    struct CloseFolder {
        int fd;
        ~CloseFolder() { ::close(fd); }
    } closeFolder{dirFd};
    NewFile file;
    if (!file.Create(dirFd, path.filename().native(), 0644, NewFile::Kind::Temporary))
        return Failure(path, kCannotWrite, errno, Access::Write);
    bool ok = WriteAll(file.Fd(), bytes);
    int writeErr = errno;
    if (ok && Synced().load(std::memory_order_relaxed) && ::fsync(file.Fd()) != 0) {
        ok = false;
        writeErr = errno;
    }
    if (!file.Close() && ok) {
        ok = false;
        writeErr = errno;
    }
    if (!ok) return Failure(path, kCannotWrite, writeErr, Access::Write);
    // A kill leaves the temporary file as it is, and its lock goes with the process.
    if (Hook() && !Hook()(dir / file.TempName())) {
        file.Abandon();
        return Failure(path, kCannotWrite, EIO, Access::Write);
    }
    if (!file.Replace()) return Failure(path, kCannotWrite, errno, Access::Write);
    CounterOf(path).fetch_add(1, std::memory_order_relaxed);
    // The rename lives in the folder: until the folder is synced, a power loss can bring the
    // old file back.
    if (sync == FolderSync::ByCaller) return IoResult::Ok();
    return SyncFolder(dir);
}

void SetWritesSynced(bool synced) {
    Synced().store(synced, std::memory_order_relaxed);
}

IoResult SyncFolder(const std::filesystem::path& folder) {
    if (!Synced().load(std::memory_order_relaxed)) return IoResult::Ok();
    int err = 0;
    // The files are in place by now: what is left undone is making them stay after a power loss,
    // and the folder must be opened for reading to ask for it.
    if (!SyncFolderFd(folder, &err))
        return Failure(folder,
                       "のファイルは置き換えましたが、ディスクへの書き込みを確かめられません", err,
                       Access::Read);
    if (SyncedHook()) SyncedHook()(folder);
    return IoResult::Ok();
}

IoResult CreateFolders(const std::filesystem::path& folder) {
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) return IoResult::Ok();
    std::filesystem::create_directories(folder, ec);
    if (ec) return Failure(folder, "を作成できません", ec.value(), Access::Write);
    if (!std::filesystem::is_directory(folder, ec))
        return Failure(folder, "を作成できません", ec ? ec.value() : ENOTDIR, Access::Write);
    return IoResult::Ok();
}

std::string FailureCause(int err) {
    switch (err) {
    case ENOENT: return "フォルダがありません";
    case ENOTDIR: return "フォルダの名前のファイルがあります";
    case EEXIST: return "同じ名前のファイルがあります";
    case EISDIR: return "同じ名前のフォルダがあります";
    case EACCES:
    case EPERM: return "書き込む権限がありません";
    case EROFS: return "読み取り専用のディスクです";
    case ENOSPC:
    case EDQUOT: return "ディスクの空きが足りません";
    case EIO: return "ディスクの読み書きに失敗しました";
    case ENAMETOOLONG: return "名前が長すぎます";
    default: return "エラー番号 " + std::to_string(err);
    }
}

IoResult WriteFailure(const std::filesystem::path& path, int err) {
    return Failure(path, kCannotWrite, err, Access::Write);
}

namespace {

// The first folder on the way to `path` (its own folder included, `path` itself not) that this
// process may not enter, or nothing.
std::optional<std::filesystem::path> FolderNotEntered(const std::filesystem::path& path) {
    std::error_code ec;
    const std::filesystem::path abs = std::filesystem::absolute(path, ec).lexically_normal();
    if (ec) return std::nullopt;
    std::filesystem::path folder;
    const std::filesystem::path parent = abs.has_filename() ? abs.parent_path() : abs;
    for (const std::filesystem::path& part : parent) {
        folder /= part;
        if (::faccessat(AT_FDCWD, folder.c_str(), X_OK, AT_EACCESS) != 0 && errno == EACCES)
            return folder;
    }
    return std::nullopt;
}

} // namespace

std::string FailureCause(int err, const std::filesystem::path& path, Access access) {
    if (err != EACCES && err != EPERM) return FailureCause(err);
    // The system says only that a permission was missing: the folders on the way are looked at
    // first, each of which must let the process in, then what the operation asked of the path.
    if (const std::optional<std::filesystem::path> folder = FolderNotEntered(path))
        return PathToUtf8(*folder) + " を開く権限がありません";
    switch (access) {
    case Access::Read: return "読み込む権限がありません";
    case Access::Write: return "書き込む権限がありません";
    case Access::Enter: return "開く権限がありません";
    }
    return FailureCause(err);
}

std::string UnreadLinesText(const std::filesystem::path& path, std::size_t lines) {
    return PathToUtf8(path) + " の一部が壊れているため、" + std::to_string(lines) +
           "行を読み込めませんでした。";
}

std::string UnreadLinesKeptText(const std::filesystem::path& path, std::size_t lines) {
    return PathToUtf8(path) + " の一部が壊れているため、読めない" + std::to_string(lines) +
           "行をそのまま残しました。";
}

void LogFailure(const std::string& systemText) {
    if (LogSink() && !tLogging) {
        tLogging = true;
        LogSink()(systemText);
        tLogging = false;
    }
}

void SetFailureLog(FailureLog log) {
    LogSink() = std::move(log);
}

std::uint64_t WriteCount(const std::filesystem::path& path) {
    return CounterOf(path).load(std::memory_order_relaxed);
}

bool IsTempFileName(std::string_view name, long* pid) {
    std::size_t at = name.rfind(kTempMark);
    if (at == std::string_view::npos || at == 0) return false;
    std::string_view tail = name.substr(at + kTempMark.size());
    std::size_t dash = tail.find('-');
    if (dash == std::string_view::npos) return false;
    std::string_view p = tail.substr(0, dash), n = tail.substr(dash + 1);
    if (!AllDigits(p) || !AllDigits(n) || p.size() > 9) return false;
    if (pid) *pid = std::stol(std::string(p));
    return true;
}

namespace {

// How far a sweep of a folder's tree goes: folders deeper, or past the count, are left.
constexpr int kSweepDepth = 16;
constexpr std::size_t kSweepFolders = 4096;

// Sweeps the folder open as `dirFd` (which it closes) and, `depth` levels down, the folders
// below it, links to folders not followed; `folders` counts down the folders still to be swept.
// The older names go only where `older` says, never below the top.
std::size_t SweepFolder(int dirFd, OlderTempNames older, int depth, std::size_t& folders) {
    DIR* dir = ::fdopendir(dirFd);
    if (!dir) {
        ::close(dirFd);
        return 0;
    }
    std::size_t removed = 0;
    const int at = ::dirfd(dir);
    const long self = static_cast<long>(::getpid());
    while (const struct dirent* e = ::readdir(dir)) {
        const std::string_view name = e->d_name;
        if (name == "." || name == "..") continue;
        unsigned char type = e->d_type;
        if (type == DT_UNKNOWN && depth > 0) {
            struct stat st {};
            if (::fstatat(at, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode))
                type = DT_DIR;
        }
        if (type == DT_DIR && depth > 0) {
            if (folders == 0) continue;
            --folders;
            const int sub =
                ::openat(at, e->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (sub >= 0) removed += SweepFolder(sub, OlderTempNames::Keep, depth - 1, folders);
            continue;
        }
        long pid = 0;
        const bool ours = IsTempFileName(name, &pid);
        if (!ours && !(older == OlderTempNames::Remove && IsOlderTempFileName(name))) continue;
        const int fd = ::openat(at, e->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st {};
        bool stale = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
        // A writer that is still at work holds the lock. Where the file system has no locks, a
        // running process other than this one may still rename its file (this one's writes
        // are never under way while it cleans up).
        if (stale && ::flock(fd, LOCK_EX | LOCK_NB) != 0)
            stale = errno != EWOULDBLOCK && (!ours || pid == self || ProcessEnded(pid));
        // Removed while the lock is held, so no writer can take the name in between.
        if (stale && ::unlinkat(at, e->d_name, 0) == 0) ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

std::size_t Sweep(const std::filesystem::path& folder, OlderTempNames older, int depth) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return 0;
    std::size_t folders = kSweepFolders;
    return SweepFolder(fd, older, depth, folders);
}

} // namespace

std::size_t RemoveStaleTempFiles(const std::filesystem::path& folder, OlderTempNames older) {
    return Sweep(folder, older, 0);
}

std::size_t RemoveStaleTempFilesBelow(const std::filesystem::path& folder) {
    return Sweep(folder, OlderTempNames::Keep, kSweepDepth);
}

void SetBeforeRenameHookForTest(BeforeRenameHook hook) {
    Hook() = std::move(hook);
}

void SetFolderSyncedHookForTest(FolderSyncedHook hook) {
    SyncedHook() = std::move(hook);
}

std::filesystem::path Utf8Path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string PathToUtf8(const std::filesystem::path& p) {
    std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

std::vector<std::string_view> SplitLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    const char* const p = bytes.data();
    const std::size_t n = bytes.size();
    // memchr finds the usual breaks fast; a lone CR is looked for only inside the line it would
    // cut. `nl` is the next LF at or after `start` (n when none), kept across lone CRs so a file
    // of CR-only lines is read in one pass.
    std::size_t nl = std::string_view::npos;
    std::size_t start = 0;
    while (start < n) {
        if (nl == std::string_view::npos || nl < start) {
            const void* lf = std::memchr(p + start, '\n', n - start);
            nl = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - p) : n;
        }
        std::size_t end = nl;
        if (end > start && p[end - 1] == '\r') --end; // CR LF, or a CR that ends the file
        if (const void* cr = std::memchr(p + start, '\r', end - start)) {
            end = static_cast<std::size_t>(static_cast<const char*>(cr) - p);
            lines.push_back(bytes.substr(start, end - start));
            start = end + 1;
            continue;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = nl + 1;
    }
    return lines;
}

} // namespace keiba
