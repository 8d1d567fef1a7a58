#pragma once
// The zip reader: walks the central directory, reads each entry's local header, checks
// passwords, and decodes stored and deflated entries through the frame's output path.

#include "archive/zipcommon.h"

#include <cstdint>
#include <string>
#include <vector>

namespace archive {

// An entry of the central directory (or of the lone local header), as selected by the walk.
struct TZipListEntry {
    std::string storedName; // CP932, "\" separated
    std::string utf8Name;   // UTF-8, "\" separated
    bool badName = false;   // NUL bytes, or a link or device entry
    std::uint16_t versionMadeBy = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t dosDateTime = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressed = 0, uncompressed = 0;
    std::uint32_t externalAttr = 0;
    std::uint32_t disk = 0;
    std::int64_t offset = 0; // of the local header in the archive file
    int encryption = kEncNone;
};

class TUnZip : public TUnBase {
public:
    TUnZip();

    // 13 unencrypted, 14 unsupported, 6 traditional, 0..5 AES by vendor version and strength.
    static int GetEncryptionMethod(std::uint16_t flags, const TExtraFieldInfo& extra);

protected:
    void ReadDirectory(TStream32& stream) override;
    virtual void ProcessHeaders(TStream32& stream, std::vector<TZipListEntry>& list);
    virtual void ExtractEntry(TStream32& stream, const TZipListEntry& e, std::int64_t dataPos,
                              std::uint16_t localFlags, std::uint16_t localTime);
    void DecodeZipEntry(TStream32& stream, const TZipListEntry& e, bool encrypted);
    void InflateZipEntry(TStream32& stream, std::int64_t compressed, std::int64_t uncompressed,
                         bool encrypted);

private:
    bool ReadCentralDirectory(TStream32& stream, std::vector<TZipListEntry>& list);
    void ReadLocalHeaderOnly(TStream32& stream, std::vector<TZipListEntry>& list);
    void NameEntry(TZipListEntry& e, std::string_view raw, const TExtraFieldInfo& extra);
    bool LocalSignatureAt(TStream32& stream, std::int64_t pos);
    std::int64_t SearchLocalHeader(TStream32& stream);

    std::int64_t correction_ = 0;
};

} // namespace archive
