#include "archive/volumes.h"

#include "archive/arcbase.h"
#include "keiba/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

namespace archive {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 7> kDriveTypeNames = {
    "Unknown", "None", "Removable", "Fixed", "Network", "CD-ROM", "RAM"};

// Mount table fields escape blanks and backslashes as "\ooo".
std::string UnescapeOctal(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() &&
            std::all_of(s.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                        s.begin() + static_cast<std::ptrdiff_t>(i) + 4,
                        [](char c) { return c >= '0' && c <= '7'; })) {
            out += static_cast<char>(((s[i + 1] - '0') << 6) | ((s[i + 2] - '0') << 3) |
                                     (s[i + 3] - '0'));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

// Device link names escape blanks and other bytes as "\xHH".
std::string UnescapeHex(std::string_view s) {
    auto hex = [](char c) {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' && hex(s[i + 2]) >= 0 &&
            hex(s[i + 3]) >= 0) {
            out += static_cast<char>(hex(s[i + 2]) * 16 + hex(s[i + 3]));
            i += 3;
        } else {
            out += s[i];
        }
    }
    return out;
}

struct Mount {
    std::string point, type;
    unsigned major = 0, minor = 0;
};

// The mount whose point is the longest leading folder of `path`.
std::optional<Mount> FindMount(const std::string& path) {
    std::ifstream in("/proc/self/mountinfo");
    std::optional<Mount> best;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream f(line);
        std::string id, parent, device, root, point;
        if (!(f >> id >> parent >> device >> root >> point)) continue;
        std::string field;
        while (f >> field && field != "-") {
        }
        Mount m;
        if (!(f >> m.type)) continue;
        m.point = UnescapeOctal(point);
        if (std::sscanf(device.c_str(), "%u:%u", &m.major, &m.minor) != 2) continue;
        bool inside = m.point == "/" || path == m.point ||
                      (path.starts_with(m.point) && path[m.point.size()] == '/');
        if (inside && (!best || m.point.size() >= best->point.size())) best = m;
    }
    return best;
}

// The name under /dev/disk/<folder> that leads to the device.
std::string DeviceLinkName(const char* folder, unsigned major, unsigned minor) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(fs::path("/dev/disk") / folder, ec)) {
        struct stat st {};
        if (::stat(e.path().c_str(), &st) == 0 && S_ISBLK(st.st_mode) &&
            st.st_rdev == makedev(major, minor))
            return UnescapeHex(e.path().filename().string());
    }
    return {};
}

bool IsRemovable(unsigned major, unsigned minor) {
    std::error_code ec;
    fs::path dev =
        fs::canonical("/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor), ec);
    if (ec) return false;
    for (const fs::path& p : {dev / "removable", dev.parent_path() / "removable"}) {
        std::ifstream in(p);
        int flag = 0;
        if (in >> flag) return flag == 1;
    }
    return false;
}

std::uint8_t TypeOfMount(const Mount& m) {
    static constexpr std::string_view kRemote[] = {"nfs", "nfs4", "cifs", "smb3",       "smbfs",
                                                   "9p",  "afs",  "ceph", "fuse.sshfs", "sshfs"};
    if (std::find(std::begin(kRemote), std::end(kRemote), m.type) != std::end(kRemote))
        return kDriveRemote;
    if (m.type == "iso9660" || m.type == "udf") return kDriveCdRom;
    if (m.type == "tmpfs" || m.type == "ramfs") return kDriveRam;
    return IsRemovable(m.major, m.minor) ? kDriveRemovable : kDriveFixed;
}

// The first eight hexadecimal digits of a UUID ("1A2B-3C4D" for FAT) as a serial number.
std::uint32_t SerialFromUuid(std::string_view uuid) {
    std::uint32_t v = 0;
    int digits = 0;
    for (char c : uuid) {
        int d = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
        if (d < 0) continue;
        v = (v << 4) | static_cast<std::uint32_t>(d);
        if (++digits == 8) break;
    }
    return v;
}

std::string Trim(std::string_view s) {
    std::size_t a = s.find_first_not_of(' '), b = s.find_last_not_of(' ');
    return a == std::string_view::npos ? std::string() : std::string(s.substr(a, b - a + 1));
}

} // namespace

std::string_view DriveTypeName(int type) {
    return type >= 0 && type < static_cast<int>(kDriveTypeNames.size())
               ? kDriveTypeNames[static_cast<std::size_t>(type)]
               : std::string_view();
}

namespace {

// The folder of `path` as the mount table names it: links resolved where they can be.
std::string MountPath(const std::string& path) {
    std::error_code ec;
    fs::path real = fs::canonical(fs::path(path), ec);
    if (ec) real = fs::absolute(fs::path(path), ec).lexically_normal();
    return real.string();
}

// The size of a block device in sectors, when the system tells it.
std::optional<std::uint64_t> DeviceSize(unsigned major, unsigned minor) {
    std::ifstream in("/sys/dev/block/" + std::to_string(major) + ":" + std::to_string(minor) +
                     "/size");
    std::uint64_t sectors = 0;
    if (in >> sectors) return sectors;
    return std::nullopt;
}

} // namespace

bool DiskInDrive(const std::string& path) {
    if (path.empty()) return false;
    std::optional<Mount> m = FindMount(MountPath(path));
    if (!m) return false;
    if (m->major != 0) {
        std::optional<std::uint64_t> sectors = DeviceSize(m->major, m->minor);
        if (sectors && *sectors == 0) return false;
    }
    struct statvfs vfs {};
    return ::statvfs(m->point.c_str(), &vfs) == 0;
}

// The volume is read through the path itself: a network share that went away, a disk taken out
// while mounted or a folder that cannot be entered fail there, not at the mount point.
bool TDiskManager::GetDriveInfo(const std::string& path) {
    DiskErrorReporter reporter = OnError;
    VolumeRetryPrompt retry = OnRetry;
    *this = TDiskManager();
    OnError = reporter;
    OnRetry = retry;
    auto fail = [&] {
        DriveType = kDriveNoRoot;
        DriveTypeText = DriveTypeName(DriveType);
        if (OnError) OnError(path, "", kMsgNotAccessible, "");
        return false;
    };
    if (path.empty()) return fail();
    std::optional<Mount> m = FindMount(MountPath(path));
    std::string root = m ? m->point : "/";
    if (!DiskInDrive(path)) return fail();
    struct statvfs vfs {};
    while (::statvfs(path.c_str(), &vfs) != 0) {
        const int err = errno;
        // a file missing from a volume that reads is not the volume's to answer for
        if (err == ENOENT && ::statvfs(root.c_str(), &vfs) == 0) return fail();
        std::string shown = root.ends_with('/') ? root : root + "/";
        if (!OnRetry || !OnRetry(shown + " にアクセスできません。\r\n\r\n" +
                                 keiba::FailureCause(err, path, keiba::Access::Enter) + "。"))
            return fail();
        m = FindMount(MountPath(path)); // a disk put in meanwhile is mounted afresh
        root = m ? m->point : "/";
    }
    RootPath = root;
    FileSystemName = m ? m->type : "";
    DriveType = m ? TypeOfMount(*m) : std::uint8_t{kDriveFixed};
    if (m && m->major != 0) {
        VolumeLabel = DeviceLinkName("by-label", m->major, m->minor);
        SerialNumber = SerialFromUuid(DeviceLinkName("by-uuid", m->major, m->minor));
    }
    DiskLabel = VolumeLabel;
    VolumeNumber = GetVolumeNumber(VolumeLabel);
    char serial[9];
    std::snprintf(serial, sizeof serial, "%08X", SerialNumber);
    SerialText = serial;
    MaxComponentLength = static_cast<std::uint32_t>(vfs.f_namemax);
    FileSystemFlags = static_cast<std::uint32_t>(vfs.f_flag);
    FreeBytes = static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    TotalBytes = static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    DriveTypeText = DriveTypeName(DriveType);
    return true;
}

std::uint32_t GetVolumeNumber(std::string_view label) {
    constexpr std::string_view kPrefix = "PKBACK# ";
    if (!label.starts_with(kPrefix)) return 0;
    std::string_view digits = label.substr(kPrefix.size());
    if (digits.empty() || digits.size() > 9 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    std::uint32_t v = 0;
    for (char c : digits) v = v * 10 + static_cast<std::uint32_t>(c - '0');
    return v;
}

int GetRootDriveType(const std::string& path) {
    TDiskManager d;
    return d.GetDriveInfo(path) ? int{d.DriveType} : int{kDriveNoRoot};
}

int SpannedSetType(const TDiskManager& drive) {
    std::string label = Trim(drive.VolumeLabel);
    std::string first = label.substr(0, label.find(' '));
    return drive.DriveType == kDriveRemovable && first == "PKBACK#" ? kArcZipSpan : kArcZipMVol;
}

std::string ZipVolumeName(std::string_view archive, std::uint32_t volume) {
    std::size_t slash = archive.find_last_of('/');
    std::size_t dot = archive.rfind('.');
    std::string_view stem =
        dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)
            ? archive.substr(0, dot)
            : archive;
    char ext[16];
    std::snprintf(ext, sizeof ext, ".z%02u", volume);
    return std::string(stem) + ext;
}

std::string GetVolumeName(std::string_view name, int index, char letter) {
    if (index < 0) return {};
    std::size_t slash = name.find_last_of("/\\");
    std::size_t dot = name.rfind('.');
    std::string_view stem =
        dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash)
            ? name.substr(0, dot)
            : name;
    std::string ext = ".";
    if (index < 100 && letter != '\0') ext += letter;
    if (index < 10) ext += '0';
    return std::string(stem) + ext + std::to_string(index);
}

// ---- VolumeSetStream

std::int64_t VolumeSetStream::PositionOf(std::uint64_t disk, std::uint64_t offset) {
    if (disk >= kMaxDisks || offset >= (std::uint64_t{1} << kOffsetBits)) return -1;
    return static_cast<std::int64_t>((disk << kOffsetBits) | offset);
}

VolumeSetStream::VolumeSetStream(std::uint32_t lastDisk, TStream32& current, bool keepCurrent,
                                 Opener open)
    : lastDisk_(lastDisk)
    , initial_(current)
    , keepInitial_(keepCurrent)
    , open_(std::move(open))
    , current_(&current)
    , disk_(lastDisk) {}

VolumeSetStream::~VolumeSetStream() = default;

bool VolumeSetStream::Enter(std::uint32_t disk, std::uint64_t offset) {
    if (disk > lastDisk_ || missing_.count(disk)) return false;
    if (disk != disk_ || !current_) {
        if (disk == lastDisk_ && keepInitial_) {
            owned_.reset();
            current_ = &initial_;
        } else {
            owned_.reset(); // a drive holds one disk at a time
            current_ = nullptr;
            owned_ = open_ ? open_(disk, offset) : nullptr;
            if (!owned_) {
                missing_.insert(disk);
                return false;
            }
            current_ = owned_.get();
        }
        disk_ = disk;
        if (OnEnter) OnEnter(disk);
    }
    return current_->Seek(static_cast<std::int64_t>(offset), SeekOrigin::Begin) ==
           static_cast<std::int64_t>(offset);
}

std::int64_t VolumeSetStream::Read(void* buffer, std::int64_t count) {
    auto* out = static_cast<char*>(buffer);
    std::int64_t done = 0;
    while (done < count && current_) {
        std::int64_t n = current_->Read(out + done, count - done);
        if (n > 0) {
            done += n;
            continue;
        }
        // the volume ends: the data go on at the start of the next one
        if (disk_ >= lastDisk_ || !Enter(disk_ + 1, 0)) break;
    }
    return done;
}

std::int64_t VolumeSetStream::Seek(std::int64_t offset, SeekOrigin origin) {
    if (origin == SeekOrigin::End) return -1;
    if (origin == SeekOrigin::Current) {
        std::int64_t here = current_ ? current_->Seek(0, SeekOrigin::Current) : -1;
        if (here < 0 || offset < 0) return -1;
        return Seek(PositionOf(disk_, static_cast<std::uint64_t>(here + offset)),
                    SeekOrigin::Begin);
    }
    if (offset < 0) return -1;
    auto disk = static_cast<std::uint64_t>(offset) >> kOffsetBits;
    std::uint64_t within =
        static_cast<std::uint64_t>(offset) & ((std::uint64_t{1} << kOffsetBits) - 1);
    if (disk > lastDisk_ || !Enter(static_cast<std::uint32_t>(disk), within)) return -1;
    return offset;
}

std::uint32_t GetDosFileTime(int handle, int kind) {
    if (handle < 0 || kind < kFileCreationTime || kind > kFileAccessTime) return 0;
    struct statx st {};
    unsigned want = kind == kFileCreationTime ? STATX_BTIME
                    : kind == kFileWriteTime  ? STATX_MTIME
                                              : STATX_ATIME;
    if (::statx(handle, "", AT_EMPTY_PATH, want, &st) != 0 || !(st.stx_mask & want)) return 0;
    const struct statx_timestamp& t = kind == kFileCreationTime ? st.stx_btime
                                      : kind == kFileWriteTime  ? st.stx_mtime
                                                                : st.stx_atime;
    std::time_t when = static_cast<std::time_t>(t.tv_sec);
    std::tm local{};
    if (!::localtime_r(&when, &local)) return 0;
    int year = local.tm_year + 1900;
    if (year < 1980 || year > 2107) return 0;
    auto date = static_cast<std::uint32_t>(((year - 1980) << 9) | ((local.tm_mon + 1) << 5) |
                                           local.tm_mday);
    // a leap second (60) stays within the minute
    auto time = static_cast<std::uint32_t>((local.tm_hour << 11) | (local.tm_min << 5) |
                                           std::min(local.tm_sec, 59) / 2);
    return date << 16 | time;
}

} // namespace archive
