#pragma once
// The archive library's shared vocabulary: numbered messages, fixed name tables, and the small
// path and conversion routines the extraction code calls. Nothing here keeps state.

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace archive {

// Message numbers the extraction code passes to the error routine.
enum : int {
    kMsgInvalidAttribute = 25113,   // "Invalid file attribute"
    kMsgBadLocalOffset = 25115,     // "Bad offset to local header"
    kMsgBadBlock = 25116,           // "Bad block"
    kMsgBrokenChain = 25135,        // "Broken multi-volume chain"
    kMsgWriteError = 25136,         // "Error writing to file"
    kMsgOverwriteAttr = 25137,      // "Unsupported file attrib for overwrite"
    kMsgCloseError = 25142,         // "Error closing file"
    kMsgCreateDirError = 25150,     // "Error creating dir"
    kMsgCrcError = 25151,           // "File fails CRC check"
    kMsgDecompressionError = 25153, // "Decompression error"
    kMsgCannotCreateDir = 25157,    // "Unable to create directory"
    kMsgInvalidDir = 25158,         // "Invalid directory"
    kMsgDiskFull = 25160,           // "Disk full"
    kMsgNotAccessible = 25170,      // "is not accessible"
    kMsgDeleteError = 25180,        // "Error deleting file(s)"
    kMsgFileNotFound = 25192,       // "File not found"
    kMsgOpenError = 25235,          // "Error opening file"
    kMsgUnsupportedArchive = 25244, // "Invalid or unsupported archive type for this operation"
    kMsgInvalidName = 25245,        // "Invalid file name"
    kMsgMaxVolumes = 25251,         // "Maximum volumes 999"
    kMsgOutOfMemory = 25253,        // "Out of memory"
    kMsgAccessPermissions = 25271,  // "Access permissions"
    kMsgRegistryPermissions = 25273,
    kMsgEventNotAssigned = 25276,      // "Required event not assigned"
    kMsgStackOverflow = 25305,         // "Stack overflow"
    kMsgUnsupportedMethod = 25326,     // "Unsupported compression method"
    kMsgUnsupportedEncryption = 25327, // "Unsupported password encryption"
    kMsgUnknownError = 25355,          // "Unknown error"
    kMsgUserCanceled = 25443,          // "User canceled"
    kMsgInvalidPassword = 26517,       // "Invalid password"
};

struct MessageEntry {
    int code;
    const char* text;
};

// Every numbered message, in ascending order (the three file-dialog filters included).
std::span<const MessageEntry> MessageTable();

// The text of a message number, or an empty text for a number the table lacks.
std::string_view MessageText(int code);

// The raising form of the error routine throws this; the zip reader catches it per entry.
class EZipError : public std::runtime_error {
public:
    explicit EZipError(int code);
    int code() const { return code_; }

private:
    int code_;
};

// The 29 archive extensions, in table order.
extern const std::array<std::string_view, 29> kArchiveExtensions;

// Archive kinds by code (the zip family 33 to 36).
enum ArchiveKind : int {
    kArcNone = 0,
    kArcUnsupported = 1,
    kArcFileError = 2,
    kArcUnknown = 3,
    kArcAce = 4,
    kArcArj = 8,
    kArcJar = 18,
    kArcJarSfx = 19,
    kArcZip = 33,
    kArcZipSfx = 34,
    kArcZipSpan = 35,
    kArcZipMVol = 36,
    kArcKindCount = 38,
};

// Display name of an archive kind, padded to 10 characters; empty outside 0..37.
std::string_view ArchiveKindName(int kind);

// Host system named by the high byte of an entry's version-made-by field; "Unknown" above 12.
std::string_view HostSystemName(int host);

// Compression-option name of a zip entry: method 8 (Deflate), 9 (Deflate64) or 12 (bzip2) with
// general-purpose flag bits 1 and 2; empty for other methods.
std::string_view CompressionOptionName(int method, std::uint16_t flags);

std::string AppendBackslash(std::string path);
std::string RemoveTrailingBackslash(std::string path);
std::string SlashToBackslash(std::string path);

// Creates a folder and its missing parents. Throws EZipError(25157) for an empty name.
bool CreateDirectoryPath(const std::string& path);

// Makes the folder, expanded to a full path, and each missing folder above it in turn; true when
// the folder is there afterwards.
bool ForceDirectories(const std::string& path);
// The path names a folder (through a link too).
bool DirectoryExists(const std::string& path);

// File attributes as the systems that archives come from keep them.
enum : std::uint32_t {
    kAttrReadOnly = 0x01,
    kAttrHidden = 0x02,
    kAttrDirectory = 0x10,
    kAttrArchive = 0x20,
};
// The path names something that is not a folder. `attributes` then receives its attributes:
// read-only when nobody may write it, hidden for a name that begins with ".", archive for a
// regular file.
bool FileExists(const std::string& path, std::uint32_t* attributes = nullptr);

// Removes a file, made writable first: mode 1 moves it to the desktop's trash, from where the
// user can restore it; any other mode deletes it. True when the file left its place; false when
// there is no such file or it could not be moved (it then stays) or deleted.
bool EraseFile(const std::string& path, int mode);

// A temporary file can be made in the folder (a missing folder is created and removed again).
bool IsFolderWritable(const std::string& path);

bool IsUncPath(std::string_view path);

// This system keeps no short names: the path unchanged.
std::string ShortPathName(const std::string& path);

// part * 100 / total rounded, limited to 0..100; 0 for a total of 0 or less.
int Percent(std::int64_t total, std::int64_t part);

// Returns the text before the first separator and removes it and the separator from `text`;
// without a separator returns the whole text and empties it.
std::string SplitAtSeparator(std::string& text, char separator);

struct DosDateTime {
    int year, month, day, hour, minute, second;
    bool operator==(const DosDateTime&) const = default;
};

// Date in the high 16 bits, time in the low 16; an invalid or zero stamp gives 1980-01-01 00:01.
DosDateTime DosDateTimeToDateTime(std::uint32_t stamp);

// The volume number after `fileName` for the kinds ACE, ARJ and JAR; 0 for any other kind.
// `letter` receives the volume letter.
int NextVolumeNumber(std::string_view fileName, int kind, char* letter = nullptr);

bool IsEndOfCentralSignature(std::uint32_t value);
bool IsBzip2Magic(std::string_view first10);
bool IsCompressMagic(std::uint16_t value);
bool IsUsableArchiveKind(int kind);

// Entry names keep their bytes on code page 932 systems (OEM and ANSI agree there); every "/"
// becomes "\".
std::string ConvertEntryName(int kind, int hostSystem, std::string name, bool noConversion);

constexpr int InflateWindowBits() {
    return -15;
}

// The comment-buffer property keeps 2000..32767.
constexpr int ClampZipCmntBufSize(int value) {
    return value >= 32768 ? 32767 : (value < 2000 ? 2000 : value);
}

} // namespace archive
