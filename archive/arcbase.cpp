#include "archive/arcbase.h"

#include "archive/trash.h"
#include "keiba/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace archive {
namespace {

constexpr MessageEntry kMessages[] = {
    {25101, "64 bit header"},
    {25102, "32 bit header"},
    {25103, "Error loading unacev2.dll..."},
    {25104, "Unable to read archive file list"},
    {25106, "File is read-only"},
    {25107, "File is hidden"},
    {25108, "File is a SysFile"},
    {25110, "File is a directory"},
    {25112, "File is a VolumeID"},
    {25113, "Invalid file attribute"},
    {25114, "Bad file header"},
    {25115, "Bad offset to local header"},
    {25116, "Bad block"},
    {25120, "Bad Huffman code"},
    {25121, "Invalid code encountered"},
    {25122, "Invalid comment header"},
    {25123, "No BEGIN line"},
    {25134, "Incorrect number of bits"},
    {25135, "Broken multi-volume chain"},
    {25136, "Error writing to file"},
    {25137, "Unsupported file attrib for overwrite"},
    {25140, "Cabinets in the set do not have the same reserved space"},
    {25142, "Error closing file"},
    {25144, "Incomplete code set"},
    {25145, "Invalid commandline param(s)"},
    {25146, "Corrupt input"},
    {25150, "Error creating dir"},
    {25151, "File fails CRC check"},
    {25152, "File contains invalid decode tree"},
    {25153, "Decompression error"},
    {25154, "Error writing spanned-disk label"},
    {25155, "Disks contains neither label nor serial numbers to compare"},
    {25156, "Not enough disk space"},
    {25157, "Unable to create directory"},
    {25158, "Invalid directory"},
    {25159, "Invalid directory... defaulting to current"},
    {25160, "Disk full"},
    {25170, "is not accessible"},
    {25171, "directory is write protected"},
    {25172, "disk is write protected"},
    {25173, "EOF not found"},
    {25176, "Unexpected end of file"},
    {25177, "Unexpected end of line"},
    {25178, "EOL not found"},
    {25179, "EOF not found"},
    {25180, "Error deleting file(s)"},
    {25190, "Command exec failed"},
    {25191, "Same input and output file-names"},
    {25192, "File not found"},
    {25193, "File size different"},
    {25194, "FileSize exceeds OS's support"},
    {25230, "Warning, unknown flags"},
    {25232, "Flat ScrollBar requires COMCTL32.dll version 4.71 or above."},
    {25235, "Error opening file"},
    {25236, "Error reading file or unexpected end of file"},
    {25237, "Error creating file"},
    {25238, "Header CRC error"},
    {25239, "Header ID error"},
    {25240, "Unexpected line break"},
    {25241, "Line found before 'BEGIN'"},
    {25242, "Skipped illegal char"},
    {25243, "Index out of bounds"},
    {25244, "Invalid or unsupported archive type for this operation"},
    {25245, "Invalid file name"},
    {25246, "Invalid length in send_bits"},
    {25247, "Inconsistent bit counts - gencodes"},
    {25248, "Bad lengths"},
    {25249, "Inconsistant local header"},
    {25250, "Insufficient lookahead"},
    {25251, "Maximum volumes 999"},
    {25253, "Out of memory"},
    {25254, "Out of memory while expanding memory stream"},
    {25255, "Uninitialized TMemoryStream object"},
    {25256, "Max file size exceeded"},
    {25258, "Uninitialized TFileStream object"},
    {25259, "Header not found. File may be corrupt"},
    {25260, "Unrar?.dll not found"},
    {25261, "Cabinet.dll not found"},
    {25262, "Ace.dll or Unace?.dll not found"},
    {25264, "Multi-Part GZIP files not supported"},
    {25265, "Too many nested dirs"},
    {25266, "Nothing to decode"},
    {25267, "Password not assigned"},
    {25268, "Password, but no encryption method"},
    {25269, "Nothing to do"},
    {25271, "Access permissions"},
    {25273, "Registry permissions denied"},
    {25276, "Required event not assigned"},
    {25277, "Required property not assigned"},
    {25280, "Open quote, but no close quote"},
    {25281, "Open paran, but no close paran"},
    {25290, "Password protected"},
    {25293, "Seek error"},
    {25294, "Ambiguous Shannon-Fano decode tree encountered"},
    {25295, "No desktop folder"},
    {25296, "Error getting SHGetSpecialFolderLocation"},
    {25297, "Error getting Shell memory allocator"},
    {25298, "Size to small"},
    {25299, "FileSize not support for this format"},
    {25303, "Illegal text for search mode"},
    {25305, "Stack overflow"},
    {25310, "Stream read/write error"},
    {25324, "Streaming not supported with this archive type"},
    {25325, "Hardware does not support high performance timing"},
    {25326, "Unsupported compression method"},
    {25327, "Unsupported password encryption"},
    {25328, "Unknown file type"},
    {25329, "Unsupported version"},
    {25350, "Error updating archive"},
    {25355, "Unknown error"},
    {25402, "Version error"},
    {25443, "User canceled"},
    {25446, "Volume is out of sequence"},
    {25450, "Requires Win32 api"},
    {25901, "Extraction of this cabinet requires first disk of set"},
    {25902, "Previous volume in set"},
    {25903, "Next volume in set"},
    {25904, "Cabinet does not belong with this set"},
    {25905, "Insert FIRST diskette of this archive set"},
    {25906, "Insert LAST disk of this archive set"},
    {26000, "All_files (*.*)|*.*"},
    {26001, "ALL Archives "
            "|*.ACE;*.ARC;*.ARJ;*.BH;*.BZ;*.BZ2;*.CAB;*.ENC;*.GZ;*.HA;*.JAR;*.LHA;*.LZH;*.MIM;*."
            "PAK;*.PK3;*.PK_;*.RAR;*.TAR;*.TBZ;*.TGZ;*.UUE;*.UU;*.WAR;*.XXE;*.Z;*.ZIP;*.ZOO;*.ZTV"},
    {26002, "Executables (*.exe)"},
    {26517, "Invalid password"},
    {26522, "Password failed"},
    {26800, "Skipped File"},
    {26859, "Nothing to do"},
    {26899, "Directory does not exist... Create?"},
};

constexpr std::string_view kKindNames[kArcKindCount] = {
    "Not avail.",  "Unsupport.", "File Error", "Unknown   ", "ACE       ", "ACE SFX   ",
    "ARC       ",  "ARC SFX   ", "ARJ       ", "ARJ SFX   ", "Base64    ", "BH        ",
    "BH  SFX   ",  "BZ2       ", "CAB       ", "CAB SFX   ", "GZip      ", "HA        ",
    "Java JAR  ",  "JJAR SFX  ", "LHA       ", "LHA SFX   ", "LZH       ", "LZH SFX   ",
    "MsGZ     \t", "PAK       ", "PAK SFX   ", "RAR       ", "RAR SFX   ", "TAR       ",
    "TarGzip   ",  "TarBzip   ", "UUE       ", "ZIP       ", "ZIP SFX   ", "Zip Span  ",
    "Zip MVol  ",  "ZOO       ",
};

constexpr std::string_view kHostNames[] = {
    "FAT",       "Amiga",    "OpenVMS", "Unix",     "VM/CMS", "Atari ST", "OS/2 H.P.F.S.",
    "Macintosh", "Z-System", "CP/M",    "Win-NTFS", "MVS",    "VSE",      "Unknown",
};

constexpr std::string_view kOptionNames[3][4] = {
    {"DFLT-N", "DFLT-X", "DFLT-F", "DFLT-S"},
    {"DFLT-64N", "DFLT-64X", "DFLT-64F", "DFLT-64S"},
    {"BZip2-N", "BZip2-X", "BZip2-F", "BZip2-S"},
};

bool IsValidDate(int y, int m, int d) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    int limit = kDays[m - 1];
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) limit = 29;
    return d <= limit;
}

} // namespace

std::span<const MessageEntry> MessageTable() {
    return kMessages;
}

std::string_view MessageText(int code) {
    auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                               [](const MessageEntry& e, int c) { return e.code < c; });
    if (it == std::end(kMessages) || it->code != code) return {};
    return it->text;
}

EZipError::EZipError(int code)
    : std::runtime_error(std::string(MessageText(code)))
    , code_(code) {}

const std::array<std::string_view, 29> kArchiveExtensions = {
    ".ACE", ".ARC", ".ARJ", ".BH",  ".BZ",  ".BZ2", ".CAB", ".ENC", ".GZ",  ".HA",
    ".JAR", ".LHA", ".LZH", ".MIM", ".PAK", ".PK3", ".PK_", ".RAR", ".TAR", ".TBZ",
    ".TGZ", ".UUE", ".UU",  ".WAR", ".XXE", ".Z",   ".ZIP", ".ZOO", ".ZTV",
};

std::string_view ArchiveKindName(int kind) {
    if (kind < 0 || kind >= kArcKindCount) return {};
    return kKindNames[kind];
}

std::string_view HostSystemName(int host) {
    if (host < 0 || host > 13) host = 13;
    return kHostNames[host];
}

std::string_view CompressionOptionName(int method, std::uint16_t flags) {
    int row = method == 8 ? 0 : method == 9 ? 1 : method == 12 ? 2 : -1;
    if (row < 0) return {};
    return kOptionNames[row][(flags >> 1) & 3];
}

std::string AppendBackslash(std::string path) {
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

std::string RemoveTrailingBackslash(std::string path) {
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

std::string SlashToBackslash(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

bool CreateDirectoryPath(const std::string& path) {
    if (path.empty()) throw EZipError(kMsgCannotCreateDir);
    std::error_code ec;
    auto p = keiba::Utf8Path(path);
    if (std::filesystem::is_directory(p, ec)) return true;
    std::filesystem::create_directories(p, ec);
    return std::filesystem::is_directory(p, ec);
}

bool ForceDirectories(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path full =
        std::filesystem::absolute(keiba::Utf8Path(path), ec).lexically_normal();
    if (ec) return false;
    std::filesystem::path prefix;
    for (const std::filesystem::path& part : full) {
        prefix /= part;
        if (!part.empty() && part != prefix.root_path())
            ::mkdir(prefix.c_str(), 0777); // one that is there already stays as it is
    }
    return DirectoryExists(keiba::PathToUtf8(full));
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return ::stat(keiba::Utf8Path(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FileExists(const std::string& path, std::uint32_t* attributes) {
    struct stat st {};
    const std::filesystem::path p = keiba::Utf8Path(path);
    if (::stat(p.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    if (attributes) {
        std::uint32_t a = 0;
        if ((st.st_mode & 0222) == 0) a |= kAttrReadOnly;
        if (p.filename().native().starts_with('.')) a |= kAttrHidden;
        if (S_ISREG(st.st_mode)) a |= kAttrArchive;
        *attributes = a;
    }
    return true;
}

// Only the named entry is looked at and changed: a link's target keeps its mode (a link has
// none to change), and a file that stays where it was gets its own back.
bool EraseFile(const std::string& path, int mode) {
    const std::filesystem::path p = keiba::Utf8Path(path);
    struct stat st {};
    if (!FileExists(path) || ::lstat(p.c_str(), &st) != 0) return false;
    const bool madeWritable = S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0 &&
                              ::chmod(p.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
    const bool gone = mode == 1 ? MoveToTrash(p) : ::unlink(p.c_str()) == 0;
    if (!gone && madeWritable) ::chmod(p.c_str(), st.st_mode & 07777);
    return gone;
}

// The probe is named and locked as every writer's temporary file, so the start-up sweep removes
// one a run killed at that moment leaves.
bool IsFolderWritable(const std::string& path) {
    std::error_code ec;
    auto dir = keiba::Utf8Path(path.empty() ? std::string(".") : path);
    if (!std::filesystem::exists(dir, ec)) {
        if (!std::filesystem::create_directories(dir, ec)) return false;
        std::filesystem::remove(dir, ec);
        return true;
    }
    std::filesystem::path probe;
    int fd = keiba::CreateTempFile(dir / "ztv", &probe);
    if (fd < 0) return false;
    ::unlink(probe.c_str());
    ::close(fd);
    return true;
}

bool IsUncPath(std::string_view path) {
    return path.size() >= 3 && path[0] == '\\' && path[1] == '\\';
}

std::string ShortPathName(const std::string& path) {
    return path;
}

int Percent(std::int64_t total, std::int64_t part) {
    if (total <= 0) return 0;
    long double v = static_cast<long double>(part) * 100.0L / static_cast<long double>(total);
    if (v <= 0) return 0;
    if (v >= 100) return 100;
    return static_cast<int>(v + 0.5L);
}

std::string SplitAtSeparator(std::string& text, char separator) {
    std::size_t at = text.find(separator);
    std::string head;
    if (at == std::string::npos) {
        head.swap(text);
    } else {
        head = text.substr(0, at);
        text.erase(0, at + 1);
    }
    return head;
}

DosDateTime DosDateTimeToDateTime(std::uint32_t stamp) {
    static constexpr DosDateTime kFallback{1980, 1, 1, 0, 1, 0};
    if (stamp == 0) return kFallback;
    std::uint32_t date = stamp >> 16, time = stamp & 0xFFFF;
    DosDateTime t{static_cast<int>((date >> 9) + 1980), static_cast<int>((date >> 5) & 15),
                  static_cast<int>(date & 31),          static_cast<int>(time >> 11),
                  static_cast<int>((time >> 5) & 63),   static_cast<int>((time & 31) * 2)};
    if (!IsValidDate(t.year, t.month, t.day) || t.hour > 23 || t.minute > 59 || t.second > 59)
        return kFallback;
    return t;
}

int NextVolumeNumber(std::string_view fileName, int kind, char* letter) {
    std::string_view fallback;
    char defaultLetter = 0;
    switch (kind) {
    case kArcAce: fallback = "Ace", defaultLetter = 'C'; break;
    case kArcArj: fallback = "Arj", defaultLetter = 'a'; break;
    case kArcJar:
    case kArcJarSfx: fallback = "Jar", defaultLetter = 'j'; break;
    default: return 0;
    }
    std::size_t slash = fileName.find_last_of("\\/");
    std::string_view base = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    std::size_t dot = base.rfind('.');
    std::string_view ext = dot == std::string_view::npos ? fallback : base.substr(dot + 1);
    std::size_t digits = ext.size();
    while (digits > 0 && ext[digits - 1] >= '0' && ext[digits - 1] <= '9') --digits;
    if (letter) *letter = (digits < ext.size() && !ext.empty()) ? ext[0] : defaultLetter;
    if (digits == ext.size()) return kind == kArcArj ? 1 : 0;
    int value = 0;
    for (std::size_t i = digits; i < ext.size() && value < 100000000; ++i)
        value = value * 10 + (ext[i] - '0');
    return value + 1;
}

bool IsEndOfCentralSignature(std::uint32_t value) {
    return value == 0x06055B50 || value == 0x06055C50;
}

bool IsBzip2Magic(std::string_view first10) {
    return first10.size() >= 10 && first10.substr(0, 3) == "BZh" &&
           first10.substr(4, 6) == "\x31\x41\x59\x26\x53\x59";
}

bool IsCompressMagic(std::uint16_t value) {
    return value == 0x8B1F || value == 0x9E1F || value == 0x9D1F || value == 0xA01F ||
           value == 0x1E1F;
}

bool IsUsableArchiveKind(int kind) {
    return kind < 0 || kind > 3;
}

std::string ConvertEntryName(int, int, std::string name, bool) {
    return SlashToBackslash(std::move(name));
}

} // namespace archive
