#include "archive/trash.h"

#include "keiba/fileio.h"
#include "keiba/newfile.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace archive {
namespace {

namespace fs = std::filesystem;

// A trash folder (holding files/ and info/).
struct Trash {
    fs::path root;
    fs::path top; // the file system's top folder for a trash there; empty for the user's own
};

std::string PercentEncoded(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : bytes) {
        auto u = static_cast<unsigned char>(c);
        bool plain = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') ||
                     std::string_view("-_.!~*'()/").find(c) != std::string_view::npos;
        if (plain) {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

fs::path HomeTrash() {
    // a relative folder there counts as none, as the base directory specification says
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') return fs::path(data) / "Trash";
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const struct passwd* pw = ::getpwuid(::getuid());
        home = pw ? pw->pw_dir : nullptr;
    }
    if (!home || !*home) return {};
    return fs::path(home) / ".local/share/Trash";
}

// A folder of the trash, made for the user alone when missing; never a link.
bool TrashFolder(const fs::path& dir) {
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st {};
    return ::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MakeTrash(const fs::path& root) {
    return TrashFolder(root) && TrashFolder(root / "files") && TrashFolder(root / "info");
}

// The highest folder above `file` on the file system `dev`.
fs::path TopFolder(const fs::path& file, dev_t dev) {
    fs::path top = file.parent_path();
    for (fs::path up = top.parent_path(); up != top; up = top.parent_path()) {
        struct stat st {};
        if (::stat(up.c_str(), &st) != 0 || st.st_dev != dev) break;
        top = up;
    }
    return top;
}

// The user's own trash when it lies on the file's file system; else the top folder's shared
// trash (.Trash, sticky and no link) with the user's folder in it, else the top folder's
// .Trash-<uid>.
std::optional<Trash> TrashFor(const fs::path& file, dev_t dev) {
    fs::path home = HomeTrash();
    if (!home.empty()) {
        std::error_code ec;
        fs::create_directories(home.parent_path(), ec);
        struct stat st {};
        if (MakeTrash(home) && ::stat((home / "files").c_str(), &st) == 0 && st.st_dev == dev)
            return Trash{home, {}};
    }
    const fs::path top = TopFolder(file, dev);
    const std::string uid = std::to_string(::getuid());
    struct stat shared {};
    if (::lstat((top / ".Trash").c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) &&
        (shared.st_mode & S_ISVTX) && MakeTrash(top / ".Trash" / uid))
        return Trash{top / ".Trash" / uid, top};
    if (MakeTrash(top / (".Trash-" + uid))) return Trash{top / (".Trash-" + uid), top};
    return std::nullopt;
}

// The n-th name for `name` in the trash: the name itself, then "stem.2.ext" and on.
std::string TrashName(const std::string& name, int n) {
    if (n == 1) return name;
    std::size_t dot = name.rfind('.');
    if (dot == 0 || dot == std::string::npos) return name + "." + std::to_string(n);
    return name.substr(0, dot) + "." + std::to_string(n) + name.substr(dot);
}

// Writes `bytes` as the new file `name` of `dirFd`, which appears only whole and only where
// nothing has that name; false with errno set (EEXIST: taken).
bool WriteNewFile(int dirFd, const std::string& name, const std::string& bytes) {
    using Kind = keiba::NewFile::Kind;
    keiba::NewFile file;
    if (!file.Create(dirFd, name, 0600, Kind::Unnamed) &&
        !(keiba::NewFile::NoUnnamedFiles(errno) && file.Create(dirFd, name, 0600, Kind::Temporary)))
        return false;
    const ssize_t n = ::write(file.Fd(), bytes.data(), bytes.size());
    if (n != static_cast<ssize_t>(bytes.size())) {
        if (n >= 0) errno = ENOSPC; // a short write: the disk filled
        return false;
    }
    return file.Link();
}

std::string DeletionDate() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    return text;
}

} // namespace

// The record in info/ is made first and reserves the name, so two trashings never take one name;
// the file then moves under that name without replacing anything, or the record goes again.
bool MoveToTrash(const fs::path& path) {
    std::error_code ec;
    const fs::path file = fs::absolute(path, ec).lexically_normal();
    struct stat st {};
    if (ec || file.filename().empty() || ::lstat(file.c_str(), &st) != 0) return false;
    std::optional<Trash> trash = TrashFor(file, st.st_dev);
    if (!trash) return false;
    // A trashing killed before its record was in place leaves the record's temporary file there,
    // which the desktop never removes: each trashing clears those whose writer is gone.
    keiba::RemoveStaleTempFiles(trash->root / "info");
    const int info = ::open((trash->root / "info").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int files = ::open((trash->root / "files").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool moved = false;
    // a trash at the top of a file system names its files from there: it may be mounted elsewhere
    const std::string where =
        trash->top.empty() ? file.native() : file.lexically_relative(trash->top).native();
    const std::string record =
        "[Trash Info]\nPath=" + PercentEncoded(where) + "\nDeletionDate=" + DeletionDate() + "\n";
    for (int n = 1; info >= 0 && files >= 0 && !moved && n < 1000; ++n) {
        const std::string name = TrashName(file.filename().native(), n);
        const std::string infoName = name + ".trashinfo";
        if (!WriteNewFile(info, infoName, record)) {
            if (errno == EEXIST) continue;
            break;
        }
        moved = ::renameat2(AT_FDCWD, file.c_str(), files, name.c_str(), RENAME_NOREPLACE) == 0;
        if (!moved && errno == EINVAL) { // a file system without that rename
            struct stat there {};
            if (::fstatat(files, name.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0)
                errno = EEXIST;
            else
                moved = ::renameat(AT_FDCWD, file.c_str(), files, name.c_str()) == 0;
        }
        if (moved) break;
        const int err = errno;
        ::unlinkat(info, infoName.c_str(), 0);
        if (err != EEXIST) break;
    }
    if (info >= 0) ::close(info);
    if (files >= 0) ::close(files);
    return moved;
}

} // namespace archive
