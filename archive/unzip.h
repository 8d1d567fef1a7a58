#pragma once
// The zip reader: walks the central directory, reads each entry's local header, checks
// passwords, and decodes stored and deflated entries through the frame's output path.

#include "archive/zipcommon.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace archive {

// An entry of the central directory (or of the lone local header), as selected by the walk.
struct ZipListEntry {
    std::string rawName;     // as the central header holds it
    std::string storedName;  // CP932, "\" separated
    std::string utf8Name;    // UTF-8, "\" separated
    int refusal = 0;         // the message an entry that is never written gets (0: none)
    std::string refusalText; // its extended text
    std::uint16_t versionMadeBy = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t dosDateTime = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressed = 0, uncompressed = 0;
    std::uint32_t externalAttr = 0;
    std::uint32_t disk = 0;
    std::int64_t offset = 0; // of the local header in the file, as recorded (no correction)
    int encryption = kEncNone;
};

class TUnZip : public TUnBase {
public:
    TUnZip();

    // 13 unencrypted, 14 unsupported, 6 traditional, 0..5 AES by vendor version and strength.
    static int GetEncryptionMethod(std::uint16_t flags, const ExtraFieldInfo& extra);

protected:
    void ReadDirectory(TStream32& stream) override;
    virtual void ProcessHeaders(TStream32& stream, std::vector<ZipListEntry>& list);
    // True when the entry was extracted whole.
    virtual bool ExtractEntry(TStream32& stream, const ZipListEntry& e, std::int64_t dataPos,
                              std::uint16_t localFlags, std::uint16_t localTime);
    void DecodeZipEntry(TStream32& stream, const ZipListEntry& e, bool encrypted);
    void InflateZipEntry(TStream32& stream, std::int64_t compressed, std::int64_t uncompressed,
                         bool encrypted);

private:
    struct TLocalHeader {
        std::uint16_t flags = 0, time = 0, date = 0;
        std::uint16_t nameLength = 0, extraLength = 0;
        std::string name;
    };

    bool ReadCentralDirectory(TStream32& stream, std::vector<ZipListEntry>& list);
    void ReadLocalHeaderOnly(TStream32& stream, std::vector<ZipListEntry>& list);
    void NameEntry(ZipListEntry& e, std::string_view raw, const ExtraFieldInfo& extra);
    bool ReadLocalHeader(TStream32& stream, std::int64_t pos, TLocalHeader& header);
    // Where the entry's local header is when it is not at its recorded offset, or -1.
    std::int64_t FindMovedLocalHeader(TStream32& stream, const ZipListEntry& e,
                                      std::int64_t expected, TLocalHeader& header);
    std::int64_t SearchLocalHeader(TStream32& stream);
    // Whether [from, to) meets the archive bytes an earlier entry of the run took.
    bool OverlapsTakenBytes(std::int64_t from, std::int64_t to) const;

    std::int64_t correction_ = 0;                // moves every recorded local-header offset
    std::int64_t firstLocalHeader_ = -2;         // the search's answer, once asked (-1: none)
    std::map<std::int64_t, std::int64_t> taken_; // start -> end of what whole entries read
};

} // namespace archive
