#include "archive/unzip.h"

#include "archive/bytereader.h"
#include "archive/inflate.h"
#include "keiba/sjis.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <limits>

namespace archive {
namespace {

constexpr std::int64_t kBlock = 32768; // the local-header search reads this much at a time
constexpr int kSearchBlocks = 5;
constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagStrong = 0x0040;
constexpr std::uint16_t kFlagUtf8 = 0x0800;
constexpr int kHostUnix = 3;

std::int64_t Clamp64(std::uint64_t v) {
    return static_cast<std::int64_t>(std::min<std::uint64_t>(
        v, static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())));
}

std::int64_t AddClamped(std::int64_t a, std::int64_t b) {
    std::int64_t r;
    if (__builtin_add_overflow(a, b, &r))
        return b > 0 ? std::numeric_limits<std::int64_t>::max()
                     : std::numeric_limits<std::int64_t>::min();
    return r;
}

// Links, devices and sockets stored by Unix tools are never recreated; the text says which. A
// mode without a file type (what Python writes) or of a pipe (a zip of standard input) stands
// for a file like any other.
std::string_view RefusedUnixType(std::uint16_t versionMadeBy, std::uint32_t externalAttr) {
    if ((versionMadeBy >> 8) != kHostUnix) return {};
    switch ((externalAttr >> 16) & 0170000) {
    case 0120000: return "symbolic link";
    case 0020000:
    case 0060000: return "device";
    case 0140000: return "socket";
    default: return {};
    }
}

// Valid UTF-8 (no overlong forms, surrogates or values above U+10FFFF) with at least one
// character beyond ASCII. Tools on Unix store such names without the UTF-8 flag; CP932 text
// seldom passes, since its trail bytes rarely follow the pattern.
bool IsMultiByteUtf8(std::string_view s) {
    bool multi = false;
    for (std::size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t n = c >= 0xC2 && c <= 0xDF   ? 1
                        : c >= 0xE0 && c <= 0xEF ? 2
                        : c >= 0xF0 && c <= 0xF4 ? 3
                                                 : 0;
        if (n == 0 || i + n >= s.size()) return false;
        auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
        for (std::size_t k = 1; k <= n; ++k)
            if ((at(k) & 0xC0) != 0x80) return false;
        if (c == 0xE0 && at(1) < 0xA0) return false; // overlong
        if (c == 0xED && at(1) > 0x9F) return false; // surrogate
        if (c == 0xF0 && at(1) < 0x90) return false; // overlong
        if (c == 0xF4 && at(1) > 0x8F) return false; // above U+10FFFF
        multi = true;
        i += n + 1;
    }
    return multi;
}

} // namespace

TUnZip::TUnZip() = default;

int TUnZip::GetEncryptionMethod(std::uint16_t flags, const ExtraFieldInfo& extra) {
    if (!(flags & kFlagEncrypted)) return kEncNone;
    if (extra.strongEncryption) return kEncUnsupported;
    if (!extra.aes) return kEncTraditional;
    if ((extra.aesVendorVersion == 1 || extra.aesVendorVersion == 2) && extra.aesStrength >= 1 &&
        extra.aesStrength <= 3)
        return (extra.aesVendorVersion - 1) * 3 + extra.aesStrength - 1;
    return kEncUnsupported;
}

void TUnZip::NameEntry(ZipListEntry& e, std::string_view raw, const ExtraFieldInfo& extra) {
    e.rawName = std::string(raw);
    std::string utf8;
    std::string stored;
    // what the archive says first (the flag, a Unicode name made from these very bytes), then
    // what the bytes look like
    if (e.flags & kFlagUtf8) {
        utf8 = std::string(raw);
        stored = keiba::Utf8ToCp932(utf8);
    } else if (extra.hasUnicodeName &&
               extra.unicodeNameCrc ==
                   crc32_z(0, reinterpret_cast<const Bytef*>(raw.data()), raw.size())) {
        utf8 = extra.unicodeName;
        stored = std::string(raw);
    } else if (IsMultiByteUtf8(raw)) {
        utf8 = std::string(raw);
        stored = keiba::Utf8ToCp932(utf8);
    } else {
        utf8 = keiba::Cp932ToUtf8(raw);
        stored = std::string(raw);
    }
    int host = e.versionMadeBy >> 8;
    e.storedName = ConvertEntryName(arcType_, host, std::move(stored), !translateOemChar_);
    e.utf8Name = ConvertEntryName(arcType_, host, std::move(utf8), !translateOemChar_);
    if (raw.find('\0') != std::string_view::npos || e.utf8Name.find('\0') != std::string::npos) {
        e.refusal = kMsgInvalidName;
    } else if (std::string_view type = RefusedUnixType(e.versionMadeBy, e.externalAttr);
               !type.empty()) {
        e.refusal = kMsgInvalidAttribute;
        e.refusalText = type;
    }
}

bool TUnZip::ReadLocalHeader(TStream32& stream, std::int64_t pos, TLocalHeader& header) {
    std::array<char, 30> fixed{};
    if (pos < 0 || stream.Seek(pos, SeekOrigin::Begin) != pos ||
        !stream.ReadExact(fixed.data(), 30))
        return false;
    ByteReader r(std::string_view(fixed.data(), fixed.size()));
    if (ClassifyHeaderSignature(kHeaderLocal, r.U32()).kind != kHeaderLocal) return false;
    r.U16(); // version needed
    header.flags = r.U16();
    r.U16(); // method
    header.time = r.U16();
    header.date = r.U16();
    r.Skip(12); // CRC and sizes: the central header's are used
    header.nameLength = r.U16();
    header.extraLength = r.U16();
    header.name.resize(header.nameLength);
    return stream.ReadExact(header.name.data(), header.nameLength);
}

// The first local header within the first 160 KB of the file, or -1.
std::int64_t TUnZip::SearchLocalHeader(TStream32& stream) {
    std::string block(static_cast<std::size_t>(kBlock) + 3, '\0');
    for (int b = 0; b < kSearchBlocks; ++b) {
        std::int64_t base = b * kBlock;
        if (stream.Seek(base, SeekOrigin::Begin) != base) break;
        std::int64_t got = stream.Read(block.data(), kBlock + 3);
        if (got < 4) break;
        for (std::int64_t i = 0; i + 4 <= got && i < kBlock; ++i) {
            if (block.compare(static_cast<std::size_t>(i), 4, "PK\x03\x04") == 0) return base + i;
        }
    }
    return -1;
}

// Archive bytes that the detection did not count (a stub, data prepended after the offsets
// were written) move every local header by the same amount: the first local header in the file
// tells by how much. That move is taken only when the header it leads to is this entry's own,
// and then holds for the later entries too; an entry whose offset alone is wrong fails alone.
std::int64_t TUnZip::FindMovedLocalHeader(TStream32& stream, const ZipListEntry& e,
                                          std::int64_t expected, TLocalHeader& header) {
    if (firstLocalHeader_ == -2) firstLocalHeader_ = SearchLocalHeader(stream);
    if (firstLocalHeader_ < 0) return -1;
    std::int64_t shift = firstLocalHeader_ - AddClamped(dir_.startOffset, correction_);
    if (shift == 0) return -1;
    std::int64_t pos = AddClamped(expected, shift);
    if (!ReadLocalHeader(stream, pos, header) || header.name != e.rawName) return -1;
    correction_ = AddClamped(correction_, shift);
    return pos;
}

bool TUnZip::OverlapsTakenBytes(std::int64_t from, std::int64_t to) const {
    auto next = taken_.lower_bound(to);
    return next != taken_.begin() && std::prev(next)->second > from;
}

bool TUnZip::ReadCentralDirectory(TStream32& stream, std::vector<ZipListEntry>& list) {
    std::int64_t cdPos = dir_.startOffset + dir_.cdOffset;
    if (cdPos < 0 || cdPos >= archiveSize_) return false;
    // the directory is read whole, but never more than the file holds
    auto cdLen = static_cast<std::size_t>(
        std::min<std::uint64_t>(dir_.cdSize, static_cast<std::uint64_t>(archiveSize_ - cdPos)));
    std::string cd(cdLen, '\0');
    if (stream.Seek(cdPos, SeekOrigin::Begin) != cdPos ||
        !stream.ReadExact(cd.data(), static_cast<std::int64_t>(cdLen)))
        return false;
    ByteReader r(cd);
    while (r.Left() >= 46 && !GetCancel()) {
        HeaderClass hc = ClassifyHeaderSignature(kHeaderCentral, r.U32());
        if (hc.kind != kHeaderCentral) break;
        if (hc.encrypted) { // encrypted headers are a format of their own; nothing to read here
            ReportError(archiveFile_, "", kMsgUnsupportedEncryption, volumeName_);
            break;
        }
        ZipListEntry e;
        e.versionMadeBy = r.U16();
        r.U16(); // version needed
        e.flags = r.U16();
        e.method = r.U16();
        std::uint16_t time = r.U16(), date = r.U16();
        e.dosDateTime = (std::uint32_t{date} << 16) | time;
        e.crc = r.U32();
        ZipSizes sizes;
        sizes.compressed = r.U32();
        sizes.uncompressed = r.U32();
        std::uint16_t nameLen = r.U16(), extraLen = r.U16(), commentLen = r.U16();
        sizes.diskStart = r.U16();
        r.U16(); // internal attributes
        e.externalAttr = r.U32();
        sizes.localOffset = r.U32();
        std::string_view raw = r.Bytes(nameLen);
        std::string_view extra = r.Bytes(extraLen);
        r.Skip(commentLen);
        if (!r.Ok()) break;
        ExtraFieldInfo info;
        ReadExtraField(extra, true, sizes, info);
        e.compressed = sizes.compressed;
        e.uncompressed = sizes.uncompressed;
        e.disk = sizes.diskStart;
        NameEntry(e, raw, info);
        if (!MatchesFileSpec(e.storedName)) continue;
        e.encryption = GetEncryptionMethod(e.flags, info);
        SetEncryptionMethod(e.encryption);
        if (e.encryption == kEncUnsupported ||
            (e.encryption >= kEncAesFirst && e.encryption <= kEncAesLast)) {
            ReportError(e.utf8Name, "", kMsgUnsupportedEncryption, volumeName_);
            continue;
        }
        // the local header is looked for when the entry's turn comes, in one pass with its data
        e.offset = AddClamped(dir_.startOffset, Clamp64(sizes.localOffset));
        newestDosDateTime_ = std::max(newestDosDateTime_, e.dosDateTime);
        list.push_back(std::move(e));
    }
    return true;
}

// No directory was found, only a local header at the start: that one entry, if the caller
// agrees to go on.
void TUnZip::ReadLocalHeaderOnly(TStream32& stream, std::vector<ZipListEntry>& list) {
    bool cancel = true;
    if (OnCorruptZipHeader) OnCorruptZipHeader(*this, THeaderTypeState::htCentral, cancel);
    if (cancel) return;
    std::int64_t pos = 0;
    std::string head(30, '\0');
    if (stream.Seek(pos, SeekOrigin::Begin) != 0 || !stream.ReadExact(head.data(), 30)) return;
    if (ByteReader(head).U32() == kSigSpanMarker) {
        pos = 4;
        if (stream.Seek(pos, SeekOrigin::Begin) != pos || !stream.ReadExact(head.data(), 30))
            return;
    }
    ByteReader r(head);
    if (ClassifyHeaderSignature(kHeaderLocal, r.U32()).kind != kHeaderLocal) return;
    ZipListEntry e;
    r.U16();
    e.flags = r.U16();
    e.method = r.U16();
    std::uint16_t time = r.U16(), date = r.U16();
    e.dosDateTime = (std::uint32_t{date} << 16) | time;
    e.crc = r.U32();
    ZipSizes sizes;
    sizes.compressed = r.U32();
    sizes.uncompressed = r.U32();
    std::uint16_t nameLen = r.U16(), extraLen = r.U16();
    std::string rest(std::size_t{nameLen} + extraLen, '\0');
    if (!stream.ReadExact(rest.data(), static_cast<std::int64_t>(rest.size()))) return;
    ExtraFieldInfo info;
    ReadExtraField(std::string_view(rest).substr(nameLen), false, sizes, info);
    e.compressed = sizes.compressed;
    e.uncompressed = sizes.uncompressed;
    e.offset = pos;
    e.disk = 1;
    NameEntry(e, std::string_view(rest).substr(0, nameLen), info);
    e.encryption = GetEncryptionMethod(e.flags, info);
    SetEncryptionMethod(e.encryption);
    if (!MatchesFileSpec(e.storedName)) return;
    newestDosDateTime_ = e.dosDateTime;
    list.push_back(std::move(e));
}

void TUnZip::ReadDirectory(TStream32& stream) {
    correction_ = 0;
    firstLocalHeader_ = -2;
    taken_.clear();
    if (arcType_ == kArcZipSpan || arcType_ == kArcZipMVol) {
        ReportError(archiveFile_, "", kMsgUnsupportedArchive, volumeName_);
        return;
    }
    if (arcType_ != kArcZip && arcType_ != kArcZipSfx) return;
    std::vector<ZipListEntry> list;
    if (dir_.endRecordPos < 0) {
        if (dir_.headerState == 1) ReadLocalHeaderOnly(stream, list);
    } else if (!ReadCentralDirectory(stream, list)) {
        return;
    }
    ProcessHeaders(stream, list);
}

void TUnZip::ProcessHeaders(TStream32& stream, std::vector<ZipListEntry>& list) {
    selectionTotal_ = 0;
    for (const auto& e : list)
        selectionTotal_ = AddClamped(selectionTotal_, Clamp64(e.uncompressed));
    selectionDone_ = 0;
    for (const ZipListEntry& e : list) {
        if (GetCancel()) break;
        std::int64_t expected = AddClamped(e.offset, correction_);
        std::int64_t pos = expected;
        TLocalHeader lh;
        if (!ReadLocalHeader(stream, pos, lh)) pos = FindMovedLocalHeader(stream, e, expected, lh);
        if (pos < 0) {
            ReportError(e.utf8Name, "", kMsgBadLocalOffset, volumeName_);
            continue;
        }
        std::int64_t dataPos = pos + 30 + lh.nameLength + lh.extraLength;
        // Entries that share their bytes with an earlier one would multiply the output of the
        // same data (a zip bomb): the first keeps them.
        if (OverlapsTakenBytes(pos, AddClamped(dataPos, Clamp64(e.compressed)))) {
            ReportError(e.utf8Name, "shares its data with an earlier entry", kMsgBadLocalOffset,
                        volumeName_);
            continue;
        }

        entry_ = EntryState{};
        entry_.storedName = e.storedName;
        entry_.utf8Name = e.utf8Name;
        entry_.externalAttr = e.externalAttr;
        entry_.hostSystem = e.versionMadeBy >> 8;
        entry_.dosDateTime = (std::uint32_t{lh.date} << 16) | lh.time;
        entry_.size = Clamp64(e.uncompressed);
        SetEncryptionMethod(e.encryption);
        if (e.refusal != 0) {
            ReportError(e.utf8Name, e.refusalText, e.refusal, volumeName_);
            continue;
        }
        if (!SetOutputFileName(e.utf8Name)) continue;
        // The bytes an entry extracted whole read are its own from then on; those of a failed one
        // stay free, so an entry whose wrong offset led it into a neighbour costs nothing more.
        if (ExtractEntry(stream, e, dataPos, lh.flags, lh.time))
            taken_.emplace(pos, std::max(dataPos, stream.Position()));
    }
}

bool TUnZip::ExtractEntry(TStream32& stream, const ZipListEntry& e, std::int64_t dataPos,
                          std::uint16_t localFlags, std::uint16_t localTime) {
    entryDone_ = 0;
    entryComplete_ = false;
    folderMade_ = false;
    runningCrc_ = 0;
    entry_.isFolder = entry_.leaf.empty() || (e.externalAttr & 0x10);
    if (!BeginEntry(false)) {
        selectionDone_ = AddClamped(selectionDone_, entry_.size); // passed over
        return false;
    }
    if (entry_.isFolder) {
        // the folder passes when it is made, or when nobody asked for it
        if (createStoredDirs_) folderMade_ = CreateEntryFolder();
        if (!createStoredDirs_ || folderMade_) {
            entryComplete_ = true;
            runningCrc_ = e.crc;
        }
        return CheckCrcAndEnd(32, e.crc);
    }
    try {
        bool encrypted = e.flags & kFlagEncrypted;
        bool usable = true;
        if (e.method != 0 && e.method != 8) {
            ReportError(entry_.outputFileName, "", kMsgUnsupportedMethod, volumeName_);
            usable = false;
        } else if (encrypted) {
            if (e.flags & kFlagStrong) {
                SetEncryptionMethod(kEncUnsupported);
                ReportError(entry_.outputFileName, "", kMsgUnsupportedEncryption, volumeName_);
                usable = false;
            } else {
                SetEncryptionMethod(kEncTraditional);
                std::array<std::uint8_t, 12> header{};
                usable = e.compressed >= 12 && stream.Seek(dataPos, SeekOrigin::Begin) == dataPos &&
                         stream.ReadExact(header.data(), 12) &&
                         GetEntryPassword(header, localFlags, e.crc, localTime);
                if (!usable) runningCrc_ = 1;
            }
        }
        if (usable && OpenOutput()) {
            std::int64_t start = dataPos + (encrypted ? 12 : 0);
            if (stream.Seek(start, SeekOrigin::Begin) == start)
                DecodeZipEntry(stream, e, encrypted);
        }
    } catch (const EZipError&) {
        entryComplete_ = false; // reported where it was raised
    } catch (const std::bad_alloc&) {
        entryComplete_ = false;
        ReportError(entry_.outputFileName, "", kMsgOutOfMemory, volumeName_);
    }
    CloseOutput();
    return CheckCrcAndEnd(32, e.crc);
}

void TUnZip::DecodeZipEntry(TStream32& stream, const ZipListEntry& e, bool encrypted) {
    runningCrc_ = 0;
    entryComplete_ = false;
    std::int64_t compressed = Clamp64(e.compressed) - (encrypted ? 12 : 0);
    std::int64_t uncompressed = Clamp64(e.uncompressed);
    if (compressed <= 0) {
        entryComplete_ = uncompressed == 0;
        return;
    }
    if (e.method == 0)
        StoredCopy(stream, compressed, uncompressed, encrypted);
    else
        InflateZipEntry(stream, compressed, uncompressed, encrypted);
}

// Inflates at most the declared size; the entry is whole only when the deflate stream ends
// exactly there.
void TUnZip::InflateZipEntry(TStream32& stream, std::int64_t compressed, std::int64_t uncompressed,
                             bool encrypted) {
    TDecompressStream ds(stream, InflateWindowBits(), encrypted ? kEncTraditional : kEncNone,
                         &cipher_, compressed);
    if (!ds.Valid()) return;
    const std::int64_t piece = std::min<std::int64_t>(compressed, TCustomStream::kInputBufferSize);
    char* buffer = OutputBlock();
    std::int64_t remaining = uncompressed;
    while (remaining > 0 && !GetCancel()) {
        std::int64_t n = ds.Read(buffer, piece, std::min(remaining, kOutputBlock));
        if (n > 0) {
            WriteBlock(buffer, n);
            remaining -= n;
        }
        if (n == 0 || ds.GetStatus() != TDecompressStream::Status::Ok) break;
    }
    bool whole = remaining == 0 && !GetCancel();
    if (whole && !ds.EndOfStream()) {
        char probe;
        whole = ds.Read(&probe, piece, 1) == 0 && ds.EndOfStream();
    }
    entryComplete_ = whole;
}

} // namespace archive
