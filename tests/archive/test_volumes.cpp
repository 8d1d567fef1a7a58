// Sets of volumes: names, the drive query, split sets made by Info-ZIP's zip -s (whole, with a
// volume missing, with the volume found elsewhere or refused), and a set spanned over removable
// disks, played with a drive of the test's own that changes disks when asked; and the DOS times
// of a file.

#include "archive/unzip.h"
#include "archive/volumes.h"
#include "keiba/fileio.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <map>
#include <unistd.h>

using namespace archive;
namespace fs = std::filesystem;
using testsupport::Slurp;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

// Six files that zip -s 64k lays out as: a, b on volume 1; c from volume 1 into 2; d on 2; e
// from 2 into the last volume (set.zip, which also holds f and the directory).
const std::pair<const char*, std::size_t> kFiles[] = {{"a.bin", 20000}, {"b.bin", 20000},
                                                      {"c.bin", 40000}, {"d.bin", 20000},
                                                      {"e.bin", 40000}, {"f.bin", 10000}};

bool MakeSplitSet(const fs::path& dir) {
    if (std::system("command -v zip >/dev/null 2>&1") != 0) return false;
    fs::create_directories(dir / "src");
    std::uint32_t x = 5;
    for (auto [name, size] : kFiles) {
        std::string bytes(size, '\0');
        for (char& c : bytes) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
        WriteBytes(dir / "src" / name, bytes);
    }
    std::string cmd = "cd '" + (dir / "src").string() + "' && zip -q -s 64k ../set.zip *.bin";
    return std::system(cmd.c_str()) == 0 && fs::exists(dir / "set.z02");
}

struct Outcome {
    int count = 0;
    std::vector<std::string> errors; // "code file: text"
    std::vector<std::string> asked;  // the volumes and disks asked for
};

Outcome Extract(const fs::path& archive, const fs::path& out,
                const std::function<void(TUnZip&, Outcome&)>& setup) {
    TUnZip z;
    Outcome r;
    z.OnError = [&](TZipCommon&, const std::string& name, const std::string& text,
                    const std::string&, int code) {
        r.errors.push_back(std::to_string(code) + " " + fs::path(name).filename().string() + ": " +
                           text);
    };
    if (setup) setup(z, r);
    z.SetArchiveFile(keiba::PathToUtf8(archive));
    z.SetExtractDir(keiba::PathToUtf8(out));
    z.SetFileSpec({"*"});
    r.count = z.ExtractArchive();
    return r;
}

// OnNextVolume that takes the file named when it is there.
void AcceptVolumes(TUnZip& z, Outcome& r) {
    z.OnNextVolume = [&r](TZipCommon&, std::string& name, int id, bool exists, bool&) {
        r.asked.push_back(std::to_string(id) + " " + fs::path(name).filename().string() +
                          (exists ? "" : " missing"));
    };
}

} // namespace

TEST(VolumeNames, SplitVolumesOtherFormatsAndLabels) {
    EXPECT_EQ(ZipVolumeName("/in/data.zip", 7), "/in/data.z07");
    // two digits from 10 on, with no zero before them
    EXPECT_EQ(ZipVolumeName("/in/data.zip", 9), "/in/data.z09");
    EXPECT_EQ(ZipVolumeName("/in/data.zip", 10), "/in/data.z10");
    EXPECT_EQ(ZipVolumeName("/in/data.zip", 99), "/in/data.z99");
    EXPECT_EQ(GetVolumeName("a.arj", 9, 'a'), "a.a09");
    EXPECT_EQ(GetVolumeName("a.arj", 10, 'a'), "a.a10");
    EXPECT_EQ(GetVolumeName("a.arj", 99, 'a'), "a.a99");
    EXPECT_EQ(GetVolumeName("a.arj", 100, 'a'), "a.100");
    EXPECT_EQ(ZipVolumeName("/in/data.zip", 120), "/in/data.z120");
    EXPECT_EQ(ZipVolumeName("/in.d/data", 1), "/in.d/data.z01");
    EXPECT_EQ(GetVolumeName("a.arj", 5, 'a'), "a.a05");
    EXPECT_EQ(GetVolumeName("a.arj", 12, 'a'), "a.a12");
    EXPECT_EQ(GetVolumeName("a.arj", 150, 'a'), "a.150");
    EXPECT_EQ(GetVolumeName("a.arj", -1, 'a'), "");
    EXPECT_EQ(GetVolumeNumber("PKBACK# 003"), 3u);
    EXPECT_EQ(GetVolumeNumber("PKBACK# 3a"), 0u);
    EXPECT_EQ(GetVolumeNumber("BACKUP 003"), 0u);
}

// While the volume that holds the path cannot be read, the prompt is asked with where and why:
// Retry reads it again, Cancel (and no prompt at all) fails with 25170.
TEST(DriveQuery, AnUnreadableVolumeIsAskedAboutUntilItReadsOrTheUserCancels) {
    TempDir dir;
    TDiskManager probe;
    ASSERT_TRUE(probe.GetDriveInfo(keiba::PathToUtf8(dir.path())));
    EXPECT_TRUE(DiskInDrive(keiba::PathToUtf8(dir.path())));
    EXPECT_FALSE(DiskInDrive(""));
    std::string root = probe.RootPath;
    if (!root.ends_with('/')) root += '/';
    const std::string archive = keiba::PathToUtf8(dir / "vol/set.zip");
    WriteBytes(dir / "vol", "a file where the folder goes");
    TDiskManager d;
    std::vector<int> codes;
    d.OnError = [&](const std::string&, const std::string&, int code, const std::string&) {
        codes.push_back(code);
    };
    EXPECT_FALSE(d.GetDriveInfo(archive));
    std::vector<std::string> asked;
    d.OnRetry = [&](const std::string& text) {
        asked.push_back(text);
        return asked.size() < 3;
    };
    EXPECT_FALSE(d.GetDriveInfo(archive));
    EXPECT_EQ(codes, (std::vector<int>{kMsgNotAccessible, kMsgNotAccessible}));
    const std::string text =
        root + " にアクセスできません。\r\n\r\nフォルダの名前のファイルがあります。";
    EXPECT_EQ(asked, (std::vector<std::string>{text, text, text}));

    asked.clear();
    d.OnRetry = [&](const std::string& shown) {
        asked.push_back(shown);
        fs::remove(dir / "vol");
        fs::create_directories(dir / "vol");
        WriteBytes(dir / "vol/set.zip", "PK");
        return true;
    };
    EXPECT_TRUE(d.GetDriveInfo(archive));
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(d.RootPath, probe.RootPath);
}

TEST(DriveQuery, AnswersForAFolderAndRefusesNothing) {
    TempDir dir;
    TDiskManager d;
    std::vector<int> codes;
    d.OnError = [&](const std::string&, const std::string&, int code, const std::string&) {
        codes.push_back(code);
    };
    ASSERT_TRUE(d.GetDriveInfo(keiba::PathToUtf8(dir.path())));
    EXPECT_FALSE(d.RootPath.empty());
    EXPECT_GT(d.TotalBytes, 0u);
    EXPECT_EQ(d.SerialText.size(), 8u);
    EXPECT_EQ(d.DriveTypeText, DriveTypeName(d.DriveType));
    EXPECT_TRUE(codes.empty());

    EXPECT_FALSE(d.GetDriveInfo(""));
    EXPECT_EQ(d.DriveType, kDriveNoRoot);
    EXPECT_FALSE(d.GetDriveInfo(keiba::PathToUtf8(dir / "missing/x.zip")));
    // a file missing from a volume that reads is no question of Retry or Cancel
    int asked = 0;
    d.OnRetry = [&](const std::string&) { return ++asked < 3; };
    EXPECT_FALSE(d.GetDriveInfo(keiba::PathToUtf8(dir / "missing/x.zip")));
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(codes, (std::vector<int>{kMsgNotAccessible, kMsgNotAccessible, kMsgNotAccessible}));
    EXPECT_EQ(GetRootDriveType(""), kDriveNoRoot);

    auto drive = [](std::uint8_t type, std::string label) {
        TDiskManager m;
        m.DriveType = type;
        m.VolumeLabel = std::move(label);
        return m;
    };
    EXPECT_EQ(SpannedSetType(drive(kDriveRemovable, "PKBACK# 001")), kArcZipSpan);
    EXPECT_EQ(SpannedSetType(drive(kDriveRemovable, " PKBACK# 004 ")), kArcZipSpan);
    EXPECT_EQ(SpannedSetType(drive(kDriveFixed, "PKBACK# 001")), kArcZipMVol);
    EXPECT_EQ(SpannedSetType(drive(kDriveRemovable, "BACKUP")), kArcZipMVol);
}

TEST(SplitSets, EveryVolumeThereExtractsWhole) {
    TempDir dir;
    if (!MakeSplitSet(dir.path())) GTEST_SKIP() << "zip is not installed";
    Outcome r = Extract(dir / "set.zip", dir / "out", AcceptVolumes);
    EXPECT_EQ(r.count, 6);
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    EXPECT_EQ(r.asked, (std::vector<std::string>{"1 set.z01", "2 set.z02"}));
    for (auto [name, size] : kFiles)
        EXPECT_TRUE(Slurp(dir / "out" / name) == Slurp(dir / "src" / name)) << name;
}

// The entries that need the missing volume fail, each with its reason, and leave the good file
// where they would have gone; the others, before and after it, are extracted.
TEST(SplitSets, AMissingVolumeFailsOnlyTheEntriesItHolds) {
    TempDir dir;
    if (!MakeSplitSet(dir.path())) GTEST_SKIP() << "zip is not installed";
    fs::rename(dir / "set.z02", dir / "elsewhere.bin");
    fs::create_directories(dir / "out");
    for (const char* name : {"c.bin", "d.bin", "e.bin"}) WriteBytes(dir / "out" / name, "GOOD");
    Outcome r = Extract(dir / "set.zip", dir / "out", AcceptVolumes);
    EXPECT_EQ(r.count, 3);
    const std::vector<std::string> expected = {
        "25235 set.z02: missing volume",
        "25151 c.bin: the compressed data end early",
        "25135 d.bin: its volume is missing",
        "25135 e.bin: its volume is missing",
    };
    EXPECT_EQ(r.errors, expected);
    EXPECT_EQ(r.asked, (std::vector<std::string>{"1 set.z01", "2 set.z02 missing"}));
    for (const char* name : {"a.bin", "b.bin", "f.bin"})
        EXPECT_TRUE(Slurp(dir / "out" / name) == Slurp(dir / "src" / name)) << name;
    for (const char* name : {"c.bin", "d.bin", "e.bin"})
        EXPECT_EQ(Slurp(dir / "out" / name), "GOOD") << name;

    // the handler may name the file where it is
    Outcome found = Extract(dir / "set.zip", dir / "found", [&](TUnZip& z, Outcome&) {
        z.OnNextVolume = [&](TZipCommon&, std::string& name, int, bool exists, bool&) {
            if (!exists) name = keiba::PathToUtf8(dir / "elsewhere.bin");
        };
    });
    EXPECT_EQ(found.count, 6);
    EXPECT_TRUE(found.errors.empty());

    // or cancel the run, which ends with what was done
    Outcome cancelled = Extract(dir / "set.zip", dir / "cancelled", [](TUnZip& z, Outcome&) {
        z.OnNextVolume = [](TZipCommon&, std::string&, int, bool exists, bool& cancel) {
            cancel = !exists;
        };
    });
    EXPECT_EQ(cancelled.count, 2);
    EXPECT_EQ(cancelled.errors.front(), "25443 : ");
    EXPECT_FALSE(fs::exists(dir / "cancelled/c.bin"));
}

TEST(SplitSets, WithoutTheEventOrTheLastVolumeNothingIsRead) {
    TempDir dir;
    if (!MakeSplitSet(dir.path())) GTEST_SKIP() << "zip is not installed";
    Outcome none = Extract(dir / "set.zip", dir / "none", {});
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.errors, (std::vector<std::string>{"25276 set.z01: ", "25443 : "}));

    TUnZip first;
    first.SetArchiveFile(keiba::PathToUtf8(dir / "set.z01"));
    EXPECT_EQ(first.ArcType(), kArcZipMVol);
    Outcome r = Extract(dir / "set.z01", dir / "first", AcceptVolumes);
    EXPECT_EQ(r.count, 0);
    EXPECT_EQ(r.errors,
              std::vector<std::string>{"25135 set.z01: the directory is in the last volume"});
}

// The volumes of the split set, played as disks of one removable drive: every disk holds a file
// named set.zip and is labelled "PKBACK# " and its number.
TEST(SpannedDisks, EachDiskIsAskedForAndChecked) {
    TempDir dir;
    if (!MakeSplitSet(dir.path())) GTEST_SKIP() << "zip is not installed";
    std::map<int, std::string> disks = {
        {1, Slurp(dir / "set.z01")}, {2, Slurp(dir / "set.z02")}, {3, Slurp(dir / "set.zip")}};
    fs::create_directories(dir / "drive");
    const fs::path archive = dir / "drive/set.zip";
    int inserted = 3;
    auto insert = [&](int disk) {
        inserted = disk;
        WriteBytes(archive, disks[disk]);
    };
    insert(3);
    Outcome r = Extract(archive, dir / "out", [&](TUnZip& z, Outcome& o) {
        z.DriveQuery = [&](const std::string&, TDiskManager& d) {
            d.DriveType = kDriveRemovable;
            d.VolumeLabel = "PKBACK# 00" + std::to_string(inserted);
            d.VolumeNumber = GetVolumeNumber(d.VolumeLabel);
            return true;
        };
        z.OnGetZipFirstDisk = [&](TZipCommon&, bool& cancel) {
            o.asked.push_back("first");
            insert(1);
            cancel = false;
        };
        z.OnGetZipNextDisk = [&](TZipCommon&, const std::string& number, bool& cancel) {
            o.asked.push_back("next " + number);
            insert(std::stoi(number));
            cancel = false;
        };
        z.OnGetZipLastDisk = [&](TZipCommon&, bool& cancel) {
            o.asked.push_back("last");
            insert(3);
            cancel = false;
        };
    });
    EXPECT_EQ(r.count, 6);
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    EXPECT_EQ(r.asked, (std::vector<std::string>{"first", "next 2", "last"}));
    for (auto [name, size] : kFiles)
        EXPECT_TRUE(Slurp(dir / "out" / name) == Slurp(dir / "src" / name)) << name;

    // a disk that never comes fails its entries after a few requests; a cancel ends the run
    insert(3);
    int requests = 0;
    Outcome stubborn = Extract(archive, dir / "stubborn", [&](TUnZip& z, Outcome&) {
        z.DriveQuery = [&](const std::string&, TDiskManager& d) {
            d.DriveType = kDriveRemovable;
            d.VolumeLabel = "PKBACK# 003";
            d.VolumeNumber = 3;
            return true;
        };
        z.OnGetZipFirstDisk = [&](TZipCommon&, bool& cancel) {
            ++requests;
            cancel = false;
        };
        z.OnGetZipNextDisk = [&](TZipCommon&, const std::string&, bool& cancel) {
            ++requests;
            cancel = true;
        };
    });
    EXPECT_EQ(requests, 4); // three for the first disk, then the cancel
    EXPECT_EQ(stubborn.count, 0);
    EXPECT_FALSE(fs::exists(dir / "stubborn/a.bin"));
}

// The end record of a set names its last volume: more than 999 are refused before any volume
// is asked for (a set of 999 is read).
TEST(SplitSets, AtMost999Volumes) {
    TempDir dir;
    auto endRecord = [](std::uint16_t lastDisk) {
        std::string r = "PK\x05\x06";
        for (std::uint16_t v : {lastDisk, std::uint16_t{0}, std::uint16_t{1}, std::uint16_t{1}})
            r += {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
        return r + std::string(4, '\x2e') + std::string(4, '\0') + std::string(2, '\0');
    };
    WriteBytes(dir / "big.zip", endRecord(1500));
    Outcome big = Extract(dir / "big.zip", dir / "big", AcceptVolumes);
    EXPECT_EQ(big.count, 0);
    EXPECT_EQ(big.errors, std::vector<std::string>{"25251 big.zip: 1501 volumes"});
    EXPECT_TRUE(big.asked.empty());

    WriteBytes(dir / "most.zip", endRecord(998));
    Outcome most = Extract(dir / "most.zip", dir / "most", AcceptVolumes);
    EXPECT_EQ(most.asked, std::vector<std::string>{"1 most.z01 missing"});
}

namespace {

// A local time as a DOS date-time, packed by the format's own layout.
std::uint32_t DosStamp(int y, int mo, int d, int h, int mi, int s) {
    return static_cast<std::uint32_t>((y - 1980) << 9 | mo << 5 | d) << 16 |
           static_cast<std::uint32_t>(h << 11 | mi << 5 | s / 2);
}

std::time_t LocalTime(int y, int mo, int d, int h, int mi, int s) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

} // namespace

// The write and access times of a file at both ends of what DOS holds and inside, its creation
// time (just now), and 0 where there is no such time.
TEST(FileTimes, LocalDosDateTimesOfEachKind) {
    TempDir dir;
    WriteBytes(dir / "f.txt", "x");
    int fd = ::open((dir / "f.txt").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    struct Case {
        int y, mo, d, h, mi, s;
        std::uint32_t stamp; // 0: DOS cannot hold it
    };
    const Case cases[] = {
        {1980, 1, 1, 0, 0, 0, DosStamp(1980, 1, 1, 0, 0, 0)},
        {2024, 5, 26, 15, 40, 31, DosStamp(2024, 5, 26, 15, 40, 30)},
        {2107, 12, 31, 23, 59, 59, DosStamp(2107, 12, 31, 23, 59, 58)},
        {1979, 12, 31, 23, 59, 59, 0},
        {2108, 1, 1, 0, 0, 0, 0},
    };
    const std::time_t other = LocalTime(2001, 2, 3, 4, 5, 6);
    for (const auto& c : cases) {
        const std::time_t when = LocalTime(c.y, c.mo, c.d, c.h, c.mi, c.s);
        // written at the case's time, read at another: each kind takes its own
        const struct timespec writeCase[2] = {{other, 0}, {when, 0}};
        ASSERT_EQ(::futimens(fd, writeCase), 0);
        EXPECT_EQ(GetDosFileTime(fd, kFileWriteTime), c.stamp) << c.y;
        EXPECT_EQ(GetDosFileTime(fd, kFileAccessTime), DosStamp(2001, 2, 3, 4, 5, 6)) << c.y;
        const struct timespec readCase[2] = {{when, 0}, {other, 0}};
        ASSERT_EQ(::futimens(fd, readCase), 0);
        EXPECT_EQ(GetDosFileTime(fd, kFileAccessTime), c.stamp) << c.y;
    }
    // made just now, where the file system keeps when a file was made
    if (std::uint32_t made = GetDosFileTime(fd, kFileCreationTime); made != 0) {
        bool near = false;
        for (std::time_t t = std::time(nullptr) - 5; t <= std::time(nullptr); ++t) {
            std::tm tm{};
            ::localtime_r(&t, &tm);
            near = near || made == DosStamp(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                                            tm.tm_hour, tm.tm_min, tm.tm_sec);
        }
        EXPECT_TRUE(near) << made;
    }
    EXPECT_EQ(GetDosFileTime(fd, 3), 0u);
    EXPECT_EQ(GetDosFileTime(fd, -1), 0u);
    ::close(fd);
    EXPECT_EQ(GetDosFileTime(fd, kFileWriteTime), 0u);
    EXPECT_EQ(GetDosFileTime(-1, kFileWriteTime), 0u);
}
