#pragma once
// Where a zip archive keeps its directory, found from the archive alone: the end record searched
// backwards from the end (its second form and a Zip64 end record behind a locator), the bytes
// before the archive proper, and from these the archive's type; and what an entry's extra field
// adds to its header (Zip64 sizes, AES, the Unicode name).

#include "archive/streams.h"
#include "archive/zipcrypt.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace archive {

// What an extra field told about an entry.
struct ExtraFieldInfo {
    bool zip64 = false;
    bool strongEncryption = false;
    bool has0064 = false;
    std::uint64_t value0064 = 0;
    bool aes = false;
    std::uint16_t aesVendorVersion = 0;
    std::uint8_t aesStrength = 0;
    std::uint16_t aesMethod = 0;
    bool hasUnicodeName = false; // the Info-ZIP Unicode path record
    std::uint32_t unicodeNameCrc = 0;
    std::string unicodeName;
};

// The 32-bit header fields that a Zip64 record may replace (0xFFFFFFFF stands for "see there").
struct ZipSizes {
    std::uint64_t uncompressed = 0;
    std::uint64_t compressed = 0;
    std::uint64_t localOffset = 0;
    std::uint32_t diskStart = 0;
};

// Where the type detection found the zip directory.
struct ZipDirectoryInfo {
    std::int64_t startOffset = -1;  // bytes before the archive proper (stub, junk)
    std::int64_t endRecordPos = -1; // position of the end record
    std::int64_t cdOffset = -1;     // declared central directory offset
    std::uint64_t cdSize = 0;       // central directory size
    std::uint64_t entries = 0;      // total entries
    std::uint32_t thisDisk = 0;     // number of this disk
    std::uint32_t cdDisk = 0;       // disk where the central directory starts
    bool zip64 = false;             // a Zip64 end record supplied the values
    std::uint8_t headerState = 0;   // 1 local, 2 central, 4 end, 8 locator, 16 Zip64 end
};

// The archive's type (kArcNone, kArcZip, kArcZipSfx, kArcZipMVol) and, in `dir`, where its
// directory is. End records with an encrypted signature are read with `headerKeys`.
int FindZipDirectory(TStream32& stream, const TSeedKeyRecord& headerKeys, ZipDirectoryInfo& dir);

// Reads an entry's extra field into `info`, and the Zip64 values into `sizes` where its header
// field holds the all-ones marker. `central` tells a central header (three Zip64 values) from a
// local one (two).
void ReadZipExtraField(std::string_view field, bool central, ZipSizes& sizes, ExtraFieldInfo& info);

} // namespace archive
