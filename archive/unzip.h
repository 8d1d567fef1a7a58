#pragma once
// The zip reader: walks the central directory (of one file, or of a set of volumes), reads each
// entry's local header, checks passwords, and hands the entry's data, decrypted on the way, to
// the decoder of its method; the output goes through the frame's output path.

#include "archive/codec.h"
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
    // of the local header, as recorded (no correction): in the file, or in a set of volumes as
    // VolumeSetStream places it
    std::int64_t offset = 0;
    int encryption = kEncNone;
    std::uint16_t aesVendorVersion = 0; // the AES record: 1 AE-1, 2 AE-2 (no CRC)
    std::uint8_t aesStrength = 0;       // 1 to 3
    std::uint16_t aesMethod = 0;        // the method the data were compressed with
};

class TUnZip : public TUnBase {
public:
    TUnZip();

    // 13 unencrypted, 14 unsupported, 6 traditional, 0..5 AES by vendor version and strength.
    static int GetEncryptionMethod(std::uint16_t flags, const ExtraFieldInfo& extra);
    // The methods this reader decodes: 0 to 6, 8, 9 and 12.
    static bool IsSupportedMethod(int method);

protected:
    void ReadDirectory(TStream32& stream) override;
    virtual void ProcessHeaders(TStream32& stream, std::vector<ZipListEntry>& list);
    // True when the entry was extracted whole.
    virtual bool ExtractEntry(TStream32& stream, const ZipListEntry& e, std::int64_t dataPos,
                              std::uint16_t localFlags, std::uint16_t localTime);
    // Decodes the entry's data: `data` hands out `compressed` bytes, already decrypted.
    // Each fills `result` as it goes, so a decoder that raises leaves why in it.
    void DecodeZipEntry(TStream32& data, int method, std::uint16_t flags, std::int64_t compressed,
                        std::int64_t uncompressed, EntryResult& result);
    void InflateZipEntry(TStream32& data, std::int64_t compressed, std::int64_t uncompressed,
                         EntryResult& result);
    void InflateDeflate64Entry(TStream32& data, std::int64_t uncompressed, EntryResult& result);
    void BzipDecompressEntry(TStream32& data, std::int64_t compressed, std::int64_t uncompressed,
                             EntryResult& result);
    void Unshrink(TStream32& data, std::int64_t uncompressed, EntryResult& result);
    void Unreduce(TStream32& data, int method, std::int64_t uncompressed, EntryResult& result);
    void Explode(TStream32& data, std::uint16_t flags, std::int64_t uncompressed,
                 EntryResult& result);

private:
    struct TLocalHeader {
        std::uint16_t flags = 0, time = 0, date = 0;
        std::uint16_t nameLength = 0, extraLength = 0;
        std::string name;
        std::int64_t dataPos = 0; // where the entry's data begin
    };
    class EntryData;
    class EntrySink;

    // One go at the entry's data with currentPassword_ (an unencrypted entry has one): the
    // password check, the output file, the decoding. `result` is how this go ended.
    PasswordTry AttemptEntry(TStream32& stream, const ZipListEntry& e, std::int64_t dataPos,
                             int method, std::uint16_t localFlags, std::uint16_t localTime,
                             EntryResult& result);
    void ResetEntryOutput();

    bool ReadCentralDirectory(TStream32& stream, std::int64_t cdPos,
                              std::vector<ZipListEntry>& list);
    void ReadLocalHeaderOnly(TStream32& stream, std::vector<ZipListEntry>& list);
    void NameEntry(ZipListEntry& e, std::string_view raw, const ExtraFieldInfo& extra);
    bool ReadLocalHeader(TStream32& stream, std::int64_t pos, TLocalHeader& header);
    // Where the entry's local header is when it is not at its recorded offset, or -1.
    std::int64_t FindMovedLocalHeader(TStream32& stream, const ZipListEntry& e,
                                      std::int64_t expected, TLocalHeader& header);
    std::int64_t SearchLocalHeader(TStream32& stream);
    // Whether [from, to) meets the archive bytes an earlier entry of the run took.
    bool OverlapsTakenBytes(std::int64_t from, std::int64_t to) const;
    void TakeBytes(std::int64_t from, std::int64_t to);
    // Judges what a decoder of ours answered: whether the entry is whole, or why not; Shrink and
    // Reduce raise their data errors as `badDataMessage`.
    void EndDecoding(DecodeResult decoded, const std::string& problem, const EntrySink& sink,
                     std::int64_t uncompressed, int badDataMessage, EntryResult& result);

    // Volumes of a set.
    void ReadVolumeSet(TStream32& lastVolume);
    // A volume of a split set, through OnNextVolume; nullptr (reported) when it cannot be had.
    std::unique_ptr<TStream32> OpenVolume(std::uint32_t disk);
    // A disk of a set spanned over removable disks, asked for through the disk events and
    // checked; nullptr (reported) when none comes.
    std::unique_ptr<TStream32> GetVolume(std::uint32_t disk, std::uint64_t offset);
    bool DiskVerifies(std::uint32_t disk, std::uint64_t offset);

    std::int64_t correction_ = 0;                // moves every recorded local-header offset
    std::int64_t firstLocalHeader_ = -2;         // the search's answer, once asked (-1: none)
    std::map<std::int64_t, std::int64_t> taken_; // start -> end of the bytes entries read
    VolumeSetStream* volumes_ = nullptr;         // the set being read, during a set's run
    bool entryDecoded_ = false;                  // the entry in hand read its data
};

} // namespace archive
