#pragma once
// Zip sets spread over several volumes: the drive query that tells a set spanned over removable
// disks (each labelled "PKBACK# " and its number, each holding a file of the archive's name)
// from one split into numbered files in one folder, the names of split volumes, and the stream
// that reads the volumes of a set as one.

#include "archive/streams.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace archive {

// Drive types; each number is the index of its name in DriveTypeName.
enum : std::uint8_t {
    kDriveUnknown = 0,
    kDriveNoRoot = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdRom = 5,
    kDriveRam = 6,
};

// "Unknown", "None", "Removable", "Fixed", "Network", "CD-ROM", "RAM"; empty outside 0..6.
std::string_view DriveTypeName(int type);

using DiskErrorReporter =
    std::function<void(const std::string& fileName, const std::string& extendedMsg, int code,
                       const std::string& volumeId)>;

// The question put while the volume of a drive cannot be read: true to try again (Retry), false
// to give up (Cancel). `text` tells the user which volume and why.
using VolumeRetryPrompt = std::function<bool(const std::string& text)>;

class TDiskCommon {
public:
    DiskErrorReporter OnError; // the component's error routine
    VolumeRetryPrompt OnRetry; // the component's prompt; without it an unreadable volume fails
};

// What one query found about the file system that holds a path. On Linux the root is the mount
// point, the label and serial number those the system lists for the device (a FAT volume's
// serial is its UUID), and a drive is removable when its block device says so.
class TDiskManager : public TDiskCommon {
public:
    std::string RootPath;
    std::string VolumeLabel;
    std::string DiskLabel;
    std::uint32_t SerialNumber = 0;
    std::string SerialText; // eight hexadecimal digits
    std::uint32_t VolumeNumber = 0;
    std::uint32_t MaxComponentLength = 0;
    std::uint32_t FileSystemFlags = 0;
    std::string FileSystemName;
    std::uint8_t DriveType = kDriveUnknown;
    std::string DriveTypeText;
    std::uint64_t FreeBytes = 0, TotalBytes = 0;

    // Fills the fields for the file system of `path`; false, with 25170 "is not accessible"
    // reported, when there is none, when its drive holds no disk, or when its volume cannot be
    // read and the prompt (asked again after each Retry) answers Cancel.
    bool GetDriveInfo(const std::string& path);
};

// The drive of the file system that holds `path` has a disk in it: the disk's size can be read
// (a drive of removable media that holds none has a size of 0).
bool DiskInDrive(const std::string& path);

// The number after "PKBACK# " when only digits follow; 0 otherwise.
std::uint32_t GetVolumeNumber(std::string_view label);
// The drive type of the file system that holds `path`; kDriveNoRoot for an empty or missing one.
int GetRootDriveType(const std::string& path);

// Which time of a file GetDosFileTime takes.
enum : int { kFileCreationTime = 0, kFileWriteTime = 1, kFileAccessTime = 2 };
// A time of the open file `handle` in local time as a DOS date-time (the date in the high 16
// bits, seconds halved); 0 for a bad handle or kind, a creation time the file system does not
// keep, or a time DOS cannot hold (before 1980, after 2107).
std::uint32_t GetDosFileTime(int handle, int kind);

// The set a zip belongs to that names other disks or starts as a volume does: 35 when its drive
// is removable and the label's first word is "PKBACK#", else 36.
int SpannedSetType(const TDiskManager& drive);

// Volume `volume` (from 1) of a split set: the archive's extension becomes .z01 to .z99, then
// .z100 and on. The last volume is the archive itself.
std::string ZipVolumeName(std::string_view archive, std::uint32_t volume);
// Volume `index` of other formats: "." + the number from 100, "." + letter + the number from 10,
// "." + letter + "0" + the number below (a letter of 0 is none); empty for a negative index.
std::string GetVolumeName(std::string_view name, int index, char letter);

// The volumes of a set read as one stream. A position is (disk << 40) | offset: a seek names a
// disk and an offset in it, and reads run on into the following disks. Volumes are opened when
// a seek or a read reaches them; one that cannot be had is asked for once.
class VolumeSetStream : public TStream32 {
public:
    static constexpr int kOffsetBits = 40;
    static constexpr std::uint32_t kMaxDisks = 1u << 22;

    // The position of `offset` in `disk`, or -1 when the set cannot hold it.
    static std::int64_t PositionOf(std::uint64_t disk, std::uint64_t offset);

    // Opens a volume, to be read from `offset`; nullptr when it cannot be had (reported).
    using Opener =
        std::function<std::unique_ptr<TStream32>(std::uint32_t disk, std::uint64_t offset)>;

    // `lastDisk` is the number of the last volume; `current` is open and stands for `lastDisk`.
    // With `keepCurrent` that stream serves the last volume throughout; otherwise (disks that
    // take turns in one drive) every change of volume goes through `open`.
    VolumeSetStream(std::uint32_t lastDisk, TStream32& current, bool keepCurrent, Opener open);
    ~VolumeSetStream() override;

    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
    // From the beginning: a position as PositionOf makes it. From the current position: forward
    // within the volume. From the end: fails (-1).
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    std::uint32_t Disk() const { return disk_; }
    std::uint32_t LastDisk() const { return lastDisk_; }
    bool Missing(std::uint32_t disk) const { return missing_.count(disk) != 0; }
    // Called with the disk each time the stream moves to another volume.
    std::function<void(std::uint32_t disk)> OnEnter;

private:
    bool Enter(std::uint32_t disk, std::uint64_t offset);

    std::uint32_t lastDisk_;
    TStream32& initial_;
    bool keepInitial_;
    Opener open_;
    std::unique_ptr<TStream32> owned_;
    TStream32* current_;
    std::uint32_t disk_;
    std::set<std::uint32_t> missing_;
};

} // namespace archive
