#include "archive/unzip.h"

#include "archive/bytereader.h"
#include "archive/bzip2.h"
#include "archive/deflate64.h"
#include "archive/inflate.h"
#include "archive/legacy.h"
#include "keiba/fileio.h"
#include "keiba/sjis.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <set>
#include <span>
#include <string_view>

namespace archive {
namespace {

constexpr std::int64_t kBlock = 32768; // the local-header search reads this much at a time
constexpr int kSearchBlocks = 5;
constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagStrong = 0x0040;
constexpr std::uint16_t kFlagUtf8 = 0x0800;
constexpr int kHostUnix = 3;
constexpr int kVolumeRequests = TZipCommon::kRequestRounds;
// Split volumes are named .z01 to .z99 and on; a set is read with at most this many.
constexpr std::uint32_t kMaxVolumes = 999;
// The directory of a set is read in pieces, so a size the volumes do not back costs nothing.
constexpr std::int64_t kDirectoryPiece = 1 << 20;
const std::string kEndEarly = "the compressed data end early";
const std::string kLonger = "more data than the declared size";
const std::string kShorter = "less data than the declared size";

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

enum class Utf8Text { Invalid, Ascii, MultiByte };

// Whether `s` is valid UTF-8 (no overlong forms, surrogates or values above U+10FFFF), and if so
// whether it holds a character beyond ASCII. Tools on Unix store such names without the UTF-8
// flag; CP932 text seldom passes, since its trail bytes rarely follow the pattern.
Utf8Text ClassifyUtf8(std::string_view s) {
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
        if (n == 0 || i + n >= s.size()) return Utf8Text::Invalid;
        auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
        for (std::size_t k = 1; k <= n; ++k)
            if ((at(k) & 0xC0) != 0x80) return Utf8Text::Invalid;
        if ((c == 0xE0 && at(1) < 0xA0) || // overlong
            (c == 0xED && at(1) > 0x9F) || // surrogate
            (c == 0xF0 && at(1) < 0x90) || // overlong
            (c == 0xF4 && at(1) > 0x8F))   // above U+10FFFF
            return Utf8Text::Invalid;
        multi = true;
        i += n + 1;
    }
    return multi ? Utf8Text::MultiByte : Utf8Text::Ascii;
}

// Whether a name that is valid UTF-8 reads as CP932 too and is taken as such. UTF-8 characters
// from U+0800 up (kana, kanji) take three bytes or more, which CP932 names seldom form; the
// two-byte ones below are pairs of half-width katakana in CP932 ("ﾃｽ" is C3 BD), which names of
// this program's users hold far more often than the accented letters they would be in UTF-8.
bool ReadsAsCp932(std::string_view raw) {
    for (char c : raw)
        if (static_cast<unsigned char>(c) >= 0xE0) return false;
    return keiba::Cp932ToUtf8(raw).find("\xEF\xBF\xBD") == std::string::npos;
}

std::uint16_t Le16(const char* p) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(p[0]) |
                                      (static_cast<std::uint8_t>(p[1]) << 8));
}

// A header record with an encrypted signature is decrypted in one run of the header keys, which
// start again at each record: the fixed part first, then the name and the extra field after it.
void DecryptHeaderFixedPart(ZipCipher& cipher, char* record, std::size_t size, int kind) {
    DecryptHeaderBody(cipher, std::span(reinterpret_cast<std::uint8_t*>(record), size), kind);
}

void DecryptHeaderFields(ZipCipher& cipher, char* bytes, std::size_t length) {
    DecryptWithHeaderKeys(cipher, reinterpret_cast<std::uint8_t*>(bytes), length);
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
    // what the bytes look like. A flag over bytes that are no UTF-8 is wrong: such a name is read
    // as the unflagged ones are, so that a CP932 trail byte 0x5C never splits it into folders.
    const Utf8Text text = ClassifyUtf8(raw);
    if ((e.flags & kFlagUtf8) && text != Utf8Text::Invalid) {
        utf8 = std::string(raw);
        stored = keiba::Utf8ToCp932(utf8);
    } else if (extra.hasUnicodeName &&
               extra.unicodeNameCrc ==
                   crc32_z(0, reinterpret_cast<const Bytef*>(raw.data()), raw.size())) {
        utf8 = extra.unicodeName;
        stored = std::string(raw);
    } else if (text == Utf8Text::MultiByte && !ReadsAsCp932(raw)) {
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
    HeaderClass hc = ClassifyHeaderSignature(kHeaderLocal, r.U32());
    if (hc.kind != kHeaderLocal) return false;
    if (hc.encrypted) DecryptHeaderFixedPart(cipher_, fixed.data(), fixed.size(), kHeaderLocal);
    r.U16(); // version needed
    header.flags = r.U16();
    r.U16(); // method
    header.time = r.U16();
    header.date = r.U16();
    r.Skip(12); // CRC and sizes: the central header's are used
    header.nameLength = r.U16();
    header.extraLength = r.U16();
    header.name.resize(header.nameLength);
    // read on rather than computed: in a set of volumes the header may go on in the next one
    std::string extra(header.extraLength, '\0');
    if (!stream.ReadExact(header.name.data(), header.nameLength) ||
        !stream.ReadExact(extra.data(), header.extraLength))
        return false;
    if (hc.encrypted) DecryptHeaderFields(cipher_, header.name.data(), header.name.size());
    header.dataPos = stream.Position();
    return header.dataPos >= 0;
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
            if (block[static_cast<std::size_t>(i)] != 'P') continue;
            std::uint32_t v =
                ByteReader(std::string_view(block).substr(static_cast<std::size_t>(i), 4)).U32();
            if (ClassifyHeaderSignature(kHeaderLocal, v).kind == kHeaderLocal) return base + i;
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

// The ranges are kept apart (touching or overlapping ones are merged), so the one that starts
// last before `to` is the only one that can reach into [from, to).
bool TUnZip::OverlapsTakenBytes(std::int64_t from, std::int64_t to) const {
    auto next = taken_.lower_bound(to);
    return next != taken_.begin() && std::prev(next)->second > from;
}

void TUnZip::TakeBytes(std::int64_t from, std::int64_t to) {
    auto it = taken_.upper_bound(from);
    if (it != taken_.begin() && std::prev(it)->second >= from) {
        it = std::prev(it);
        from = it->first;
    }
    while (it != taken_.end() && it->first <= to) {
        to = std::max(to, it->second);
        it = taken_.erase(it);
    }
    taken_.emplace(from, to);
}

bool TUnZip::ReadCentralDirectory(TStream32& stream, std::int64_t cdPos,
                                  std::vector<ZipListEntry>& list) {
    if (cdPos < 0 || stream.Seek(cdPos, SeekOrigin::Begin) != cdPos) return false;
    // the directory is read whole, but never more than the file (or the set) holds
    std::string cd;
    while (cd.size() < dir_.cdSize) {
        auto want = static_cast<std::int64_t>(
            std::min<std::uint64_t>(dir_.cdSize - cd.size(), kDirectoryPiece));
        std::size_t had = cd.size();
        cd.resize(had + static_cast<std::size_t>(want));
        std::int64_t got = stream.Read(cd.data() + had, want);
        cd.resize(had + static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
        if (got < want) break;
    }
    if (cd.empty() && dir_.cdSize > 0) return false;
    if (cd.size() >= 4 && dir_.entries > 0 &&
        ClassifyHeaderSignature(kHeaderCentral, ByteReader(cd).U32()).kind != kHeaderCentral)
        return false; // no directory where the end record says
    ByteReader r(cd);
    while (r.Left() >= 46 && !GetCancel()) {
        const std::size_t at = r.Position();
        HeaderClass hc = ClassifyHeaderSignature(kHeaderCentral, r.U32());
        if (hc.kind != kHeaderCentral) break;
        if (hc.encrypted) { // in place: the reader sees the plain record
            char* record = cd.data() + at;
            DecryptHeaderFixedPart(cipher_, record, 46, kHeaderCentral);
            std::size_t fields = std::size_t{Le16(record + 28)} + Le16(record + 30);
            DecryptHeaderFields(cipher_, record + 46, std::min(fields, cd.size() - at - 46));
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
        if (e.encryption == kEncUnsupported) {
            ReportError(e.utf8Name, "", kMsgUnsupportedEncryption, volumeName_);
            continue;
        }
        e.aesVendorVersion = info.aesVendorVersion;
        e.aesStrength = info.aesStrength;
        e.aesMethod = info.aesMethod;
        // the local header is looked for when the entry's turn comes, in one pass with its data
        e.offset = volumes_ ? VolumeSetStream::PositionOf(e.disk, sizes.localOffset)
                            : AddClamped(dir_.startOffset, Clamp64(sizes.localOffset));
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
    e.aesVendorVersion = info.aesVendorVersion;
    e.aesStrength = info.aesStrength;
    e.aesMethod = info.aesMethod;
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
        ReadVolumeSet(stream);
        return;
    }
    if (arcType_ != kArcZip && arcType_ != kArcZipSfx) return;
    std::vector<ZipListEntry> list;
    if (dir_.endRecordPos < 0) {
        if (dir_.headerState == 1) ReadLocalHeaderOnly(stream, list);
    } else {
        std::int64_t cdPos = dir_.startOffset + dir_.cdOffset;
        if (cdPos >= archiveSize_ || !ReadCentralDirectory(stream, cdPos, list)) return;
    }
    ProcessHeaders(stream, list);
}

// ---- volume sets

void TUnZip::ReadVolumeSet(TStream32& lastVolume) {
    if (dir_.endRecordPos < 0) {
        ReportError(archiveFile_, "the directory is in the last volume", kMsgBrokenChain,
                    volumeName_);
        return;
    }
    if (dir_.thisDisk >= kMaxVolumes) {
        ReportError(archiveFile_, std::to_string(std::uint64_t{dir_.thisDisk} + 1) + " volumes",
                    kMsgMaxVolumes, volumeName_);
        return;
    }
    if (dir_.cdDisk > dir_.thisDisk) {
        ReportError(archiveFile_, "the directory names impossible disks", kMsgBrokenChain,
                    volumeName_);
        return;
    }
    const bool split = arcType_ == kArcZipMVol;
    VolumeSetStream volumes(dir_.thisDisk, lastVolume, split,
                            [this, split](std::uint32_t disk, std::uint64_t offset) {
                                return split ? OpenVolume(disk) : GetVolume(disk, offset);
                            });
    volumes.OnEnter = [this, split](std::uint32_t disk) {
        volumeName_ =
            split && disk < dir_.thisDisk ? ZipVolumeName(archiveFile_, disk + 1) : archiveFile_;
    };
    volumes_ = &volumes;
    struct Reset {
        VolumeSetStream*& v;
        ~Reset() { v = nullptr; }
    } reset{volumes_};
    std::vector<ZipListEntry> list;
    std::int64_t cdPos = VolumeSetStream::PositionOf(dir_.cdDisk, Clamp64(dir_.cdOffset));
    if (!ReadCentralDirectory(volumes, cdPos, list)) {
        // missing, or a volume of another set in its place
        ReportError(archiveFile_,
                    volumes.Missing(dir_.cdDisk) ? "the volume with the directory is missing"
                                                 : "no directory where the end record says",
                    kMsgBrokenChain, volumeName_);
        return;
    }
    ProcessHeaders(volumes, list);
}

// The volume the event names, asked for again only while it names another file that is not
// there: a handler that knows no more is not asked in a circle.
std::unique_ptr<TStream32> TUnZip::OpenVolume(std::uint32_t disk) {
    std::string name = ZipVolumeName(archiveFile_, disk + 1);
    if (!OnNextVolume) { // reported before the cancel turns every report into 25443
        ReportError(name, "", kMsgEventNotAssigned, volumeName_);
        SetCancel(true);
        return nullptr;
    }
    auto exists = [](const std::string& n) {
        std::error_code ec;
        return std::filesystem::is_regular_file(keiba::Utf8Path(n), ec);
    };
    for (int round = 0; round < kVolumeRequests; ++round) {
        std::string asked = name;
        bool cancel = false;
        OnNextVolume(*this, name, static_cast<int>(disk + 1), exists(name), cancel);
        if (cancel) {
            SetCancel(true);
            return nullptr;
        }
        if (exists(name)) {
            auto volume = std::make_unique<TBufferedFileStream>(name);
            if (volume->IsOpen()) return volume;
            break;
        }
        if (name == asked) break;
    }
    ReportError(name, "missing volume", kMsgOpenError, volumeName_);
    return nullptr;
}

// A disk verifies when its label carries the disk's number; a disk without a numbered label
// when a header starts at the offset to be read (or the file is too short to tell).
bool TUnZip::DiskVerifies(std::uint32_t disk, std::uint64_t offset) {
    TDiskManager drive;
    if (!QueryDrive(archiveFile_, drive)) return false;
    if (drive.VolumeNumber != 0) return drive.VolumeNumber == disk + 1;
    TBufferedFileStream file(archiveFile_);
    if (!file.IsOpen()) return false;
    std::int64_t at = Clamp64(offset);
    if (file.Size() < AddClamped(at, 30)) return true;
    std::array<char, 4> sig{};
    if (file.Seek(at, SeekOrigin::Begin) != at || !file.ReadExact(sig.data(), 4)) return false;
    std::uint32_t v = ByteReader(std::string_view(sig.data(), 4)).U32();
    return v == kSigSpanMarker || v == kSigLocal || v == kSigCentral;
}

std::unique_ptr<TStream32> TUnZip::GetVolume(std::uint32_t disk, std::uint64_t offset) {
    const bool last = disk == dir_.thisDisk, first = disk == 0;
    if ((last && !OnGetZipLastDisk) || (first && !last && !OnGetZipFirstDisk) ||
        (!first && !last && !OnGetZipNextDisk)) {
        ReportError(archiveFile_, "", kMsgEventNotAssigned, volumeName_);
        SetCancel(true);
        return nullptr;
    }
    for (int round = 0; !DiskVerifies(disk, offset); ++round) {
        if (round == kVolumeRequests) {
            ReportError(archiveFile_, "disk " + std::to_string(disk + 1) + " did not come",
                        kMsgOpenError, volumeName_);
            return nullptr;
        }
        bool cancel = true;
        if (last)
            OnGetZipLastDisk(*this, cancel);
        else if (first)
            OnGetZipFirstDisk(*this, cancel);
        else
            OnGetZipNextDisk(*this, std::to_string(disk + 1), cancel);
        if (cancel) {
            SetCancel(true);
            return nullptr;
        }
    }
    auto volume = std::make_unique<TBufferedFileStream>(archiveFile_);
    if (volume->IsOpen()) {
        archiveSize_ = volume->Size();
        return volume;
    }
    ReportError(archiveFile_, "", kMsgOpenError, volumeName_);
    return nullptr;
}

// ---- entries

void TUnZip::ProcessHeaders(TStream32& stream, std::vector<ZipListEntry>& list) {
    selectionTotal_ = 0;
    for (const auto& e : list)
        selectionTotal_ = AddClamped(selectionTotal_, Clamp64(e.uncompressed));
    selectionDone_ = 0;
    // A local header that holds another name than the entry's, where an entry of that name is
    // recorded, is that entry's: this entry's offset is wrong.
    std::set<std::pair<std::int64_t, std::string_view>> recorded;
    for (const auto& e : list) recorded.emplace(e.offset, e.rawName);
    auto headerOfAnother = [&](const ZipListEntry& e, const std::string& localName) {
        return localName != e.rawName && recorded.count({e.offset, localName}) != 0;
    };
    for (const ZipListEntry& e : list) {
        if (GetCancel()) break;
        std::int64_t expected = AddClamped(e.offset, correction_);
        std::int64_t pos = expected;
        TLocalHeader lh;
        // the offsets of a set count within each volume: nothing moves them all
        if (!ReadLocalHeader(stream, pos, lh))
            pos = volumes_ ? -1 : FindMovedLocalHeader(stream, e, expected, lh);
        if (pos < 0) {
            if (GetCancel()) break;
            if (volumes_ && volumes_->Missing(e.disk))
                ReportError(e.utf8Name, "its volume is missing", kMsgBrokenChain, volumeName_);
            else
                ReportError(e.utf8Name, "", kMsgBadLocalOffset, volumeName_);
            continue;
        }
        if (headerOfAnother(e, lh.name)) {
            ReportError(e.utf8Name, "the local header there is another entry's", kMsgBadLocalOffset,
                        volumeName_);
            continue;
        }
        std::int64_t dataPos = lh.dataPos;
        std::int64_t dataEnd = AddClamped(dataPos, Clamp64(e.compressed));
        // Entries that share their bytes with an earlier one would multiply the output of the
        // same data (a zip bomb): whichever read them first keeps them, whether or not it
        // extracted whole, so no bytes are decoded twice.
        if (OverlapsTakenBytes(pos, dataEnd)) {
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
        ExtractEntry(stream, e, dataPos, lh.flags, lh.time);
        // the data may go on into the next volume of a set: the stream tells where they ended
        if (entryDecoded_) TakeBytes(pos, std::max(dataEnd, stream.Position()));
    }
}

bool TUnZip::IsSupportedMethod(int method) {
    return (method >= 0 && method <= 6) || method == 8 || method == 9 || method == 12;
}

// An entry's data as its decoder sees them: exactly its compressed bytes, decrypted through the
// frame's block reader. It only reads forward, and Finish reads what the decoder left, so the
// archive then stands right after the data (where an AES entry's authentication code is).
class TUnZip::EntryData : public TStream32 {
public:
    EntryData(TUnZip& owner, TStream32& archive, std::int64_t length, bool decrypt)
        : owner_(owner)
        , archive_(archive)
        , left_(std::max<std::int64_t>(length, 0))
        , decrypt_(decrypt) {}

    std::int64_t Read(void* buffer, std::int64_t count) override {
        std::int64_t want = std::min(count, left_);
        if (want <= 0) return 0;
        std::int64_t n = owner_.ReadBlock(archive_, buffer, want, decrypt_);
        if (n <= 0) {
            left_ = 0; // the archive is shorter than the entry claims
            short_ = true;
            return 0;
        }
        left_ -= n;
        position_ += n;
        return n;
    }
    std::int64_t Write(const void*, std::int64_t) override { return 0; }
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override {
        std::int64_t target = origin == SeekOrigin::Begin     ? offset
                              : origin == SeekOrigin::Current ? position_ + offset
                                                              : -1;
        if (target < position_) return -1;
        std::array<char, 4096> scrap;
        while (position_ < target)
            if (Read(scrap.data(), std::min<std::int64_t>(target - position_, scrap.size())) == 0)
                return -1;
        return position_;
    }
    // False when the archive ended before the entry's data did.
    bool Finish() {
        std::array<char, 16384> scrap;
        while (left_ > 0)
            if (Read(scrap.data(), std::min<std::int64_t>(left_, scrap.size())) == 0) break;
        return !short_;
    }

private:
    TUnZip& owner_;
    TStream32& archive_;
    std::int64_t left_;
    std::int64_t position_ = 0;
    bool decrypt_;
    bool short_ = false;
};

// Takes a decoder's output up to the declared size, through the frame's WriteBlock (whose
// failures raise); stops the decoder on cancel and at the first byte beyond that size.
class TUnZip::EntrySink : public ByteSink {
public:
    EntrySink(TUnZip& owner, std::int64_t limit)
        : owner_(owner)
        , limit_(limit) {}
    bool Put(const std::uint8_t* data, std::size_t length) override {
        if (owner_.GetCancel()) return false;
        std::int64_t take = std::min(static_cast<std::int64_t>(length), limit_ - written_);
        if (take > 0) {
            owner_.WriteBlock(data, take);
            written_ += take;
        }
        if (take < static_cast<std::int64_t>(length)) {
            overflow_ = true;
            return false;
        }
        return true;
    }
    std::int64_t Written() const { return written_; }
    bool Overflow() const { return overflow_; }

private:
    TUnZip& owner_;
    std::int64_t limit_;
    std::int64_t written_ = 0;
    bool overflow_ = false;
};

bool TUnZip::ExtractEntry(TStream32& stream, const ZipListEntry& e, std::int64_t dataPos,
                          std::uint16_t localFlags, std::uint16_t localTime) {
    entryDone_ = 0;
    entryDecoded_ = false;
    runningCrc_ = 0;
    EntryResult result;
    entry_.isFolder = entry_.leaf.empty() || (e.externalAttr & 0x10);
    if (!BeginEntry(false)) {
        selectionDone_ = AddClamped(selectionDone_, entry_.size); // passed over
        return false;
    }
    if (entry_.isFolder) {
        // the folder passes when it is made, or when nobody asked for it
        if (!createStoredDirs_ || CreateEntryFolder()) {
            result.whole = true;
            runningCrc_ = e.crc;
        }
        return CheckCrcAndEnd(32, e.crc, result);
    }
    const bool encrypted = e.flags & kFlagEncrypted;
    const bool aesEntry = e.encryption >= kEncAesFirst && e.encryption <= kEncAesLast;
    // The AES record names the method the data were compressed with, whatever their size: stored
    // data are marked stored there.
    const int method = aesEntry ? e.aesMethod : e.method;
    auto attempt = [&] {
        result = {};
        return AttemptEntry(stream, e, dataPos, method, localFlags, localTime, result);
    };
    if (!IsSupportedMethod(method)) {
        ReportError(entry_.outputFileName, "method " + std::to_string(method),
                    kMsgUnsupportedMethod, volumeName_);
    } else if (encrypted && (e.flags & kFlagStrong)) {
        SetEncryptionMethod(kEncUnsupported);
        ReportError(entry_.outputFileName, "", kMsgUnsupportedEncryption, volumeName_);
    } else if (encrypted) {
        SetEncryptionMethod(aesEntry ? e.encryption : kEncTraditional);
        GetEntryPassword(attempt);
    } else {
        attempt();
    }
    if (!CloseOutput()) result.whole = false;
    return CheckCrcAndEnd(32, e.crc, result);
}

// Discards what an earlier attempt at the entry wrote.
void TUnZip::ResetEntryOutput() {
    if (output_) {
        output_->Discard();
        output_.reset();
    }
    selectionDone_ -= entryDone_;
    entryDone_ = 0;
    runningCrc_ = 0;
}

TZipCommon::PasswordTry TUnZip::AttemptEntry(TStream32& stream, const ZipListEntry& e,
                                             std::int64_t dataPos, int method,
                                             std::uint16_t localFlags, std::uint16_t localTime,
                                             EntryResult& result) {
    using enum PasswordTry;
    ResetEntryOutput();
    const bool encrypted = e.flags & kFlagEncrypted;
    const bool aesEntry = encrypted && e.encryption >= kEncAesFirst && e.encryption <= kEncAesLast;
    std::int64_t compressed = Clamp64(e.compressed);
    if (stream.Seek(dataPos, SeekOrigin::Begin) != dataPos) return Ended;
    std::unique_ptr<TztvAES> aes;
    const char* tooShort = "the entry is shorter than its encryption needs";
    if (aesEntry) {
        aes = std::make_unique<TztvAES>(&stream);
        int overhead = 0;
        if (!aes->CheckAesPassword(currentPassword_, e.aesStrength, overhead)) return NoFit;
        compressed -= overhead;
    } else if (encrypted) {
        std::array<std::uint8_t, 12> header{};
        if (compressed < 12 || !stream.ReadExact(header.data(), 12)) {
            result.problem = tooShort;
            return Ended;
        }
        if (!CheckEntryPassword(header, localFlags, e.crc, localTime)) return NoFit;
        compressed -= 12;
    }
    if (compressed < 0) {
        result.problem = tooShort;
        return Ended;
    }
    if (!OpenOutput()) return Ended;
    entryDecoded_ = true;
    bool whole = false, writeFailed = false;
    aes_ = aes.get();
    try {
        EntryData data(*this, stream, compressed, encrypted);
        DecodeZipEntry(data, method, localFlags, compressed, Clamp64(e.uncompressed), result);
        whole = data.Finish();
        if (aes) {
            // the code covers the encrypted bytes: it tells a wrong password that passed the
            // two-byte check, and damaged data, from a good entry
            if (!whole || !aes->CheckAesAuthCode()) {
                result.whole = false;
                result.problem = "the authentication code does not match (wrong password or "
                                 "damaged data)";
            } else if (e.aesVendorVersion == 2) {
                runningCrc_ = e.crc; // AE-2 keeps no CRC: the code stands for it
            }
        }
    } catch (const EZipError& x) {
        result.whole = false; // reported where it was raised
        writeFailed = x.code() == kMsgWriteError || x.code() == kMsgDiskFull;
    } catch (const std::bad_alloc&) {
        result.whole = false;
        writeFailed = true;
        ReportError(entry_.outputFileName, "", kMsgOutOfMemory, volumeName_);
    }
    aes_ = nullptr;
    bool passed = result.whole && runningCrc_ == e.crc;
    if (passed || !encrypted || !whole || writeFailed || GetCancel()) return Ended;
    return FailedAfterFit;
}

void TUnZip::DecodeZipEntry(TStream32& data, int method, std::uint16_t flags,
                            std::int64_t compressed, std::int64_t uncompressed,
                            EntryResult& result) {
    runningCrc_ = 0;
    result.whole = false;
    if (compressed <= 0) {
        result.whole = uncompressed == 0;
        if (!result.whole) result.problem = kShorter;
        return;
    }
    switch (method) {
    case 0:
        result.whole = StoredCopy(data, compressed, uncompressed, false);
        if (!result.whole && !GetCancel()) result.problem = kShorter;
        break;
    case 1: Unshrink(data, uncompressed, result); break;
    case 2:
    case 3:
    case 4:
    case 5: Unreduce(data, method, uncompressed, result); break;
    case 6: Explode(data, flags, uncompressed, result); break;
    case 8: InflateZipEntry(data, compressed, uncompressed, result); break;
    case 9: InflateDeflate64Entry(data, uncompressed, result); break;
    case 12: BzipDecompressEntry(data, compressed, uncompressed, result); break;
    default: break;
    }
}

void TUnZip::EndDecoding(DecodeResult decoded, const std::string& problem, const EntrySink& sink,
                         std::int64_t uncompressed, int badDataMessage, EntryResult& result) {
    switch (decoded) {
    case DecodeResult::Done:
        result.whole = sink.Written() == uncompressed && !sink.Overflow();
        if (!result.whole) result.problem = sink.Overflow() ? kLonger : kShorter;
        break;
    case DecodeResult::Truncated: result.problem = kEndEarly; break;
    case DecodeResult::BadData:
        result.problem = problem;
        if (badDataMessage != 0)
            RaiseError(entry_.outputFileName, problem, badDataMessage, volumeName_);
        break;
    case DecodeResult::StackOverflow:
        result.problem = "a code refers to itself";
        RaiseError(entry_.outputFileName, "", kMsgStackOverflow, volumeName_);
        break;
    case DecodeResult::Stopped:
        if (sink.Overflow()) result.problem = kLonger;
        break;
    }
}

// Inflates at most the declared size; the entry is whole only when the deflate stream ends
// exactly there.
void TUnZip::InflateZipEntry(TStream32& data, std::int64_t compressed, std::int64_t uncompressed,
                             EntryResult& result) {
    TDecompressStream ds(data, InflateWindowBits(), kEncNone, nullptr, compressed);
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
        if (!whole && ds.GetStatus() != TDecompressStream::Status::DataError)
            result.problem = kLonger;
    }
    if (!whole && result.problem.empty()) {
        switch (ds.GetStatus()) {
        case TDecompressStream::Status::DataError: result.problem = "invalid deflate data"; break;
        case TDecompressStream::Status::InputExhausted: result.problem = kEndEarly; break;
        case TDecompressStream::Status::End: result.problem = kShorter; break;
        case TDecompressStream::Status::Ok: break;
        }
    }
    result.whole = whole;
}

void TUnZip::InflateDeflate64Entry(TStream32& data, std::int64_t uncompressed,
                                   EntryResult& result) {
    auto decoder = std::make_unique<Deflate64Decoder>();
    EntrySink sink(*this, uncompressed);
    DecodeResult r = decoder->Decode(data, sink, uncompressed);
    EndDecoding(r, decoder->Problem(), sink, uncompressed, 0, result);
}

void TUnZip::Unshrink(TStream32& data, std::int64_t uncompressed, EntryResult& result) {
    auto decoder = std::make_unique<ShrinkDecoder>();
    EntrySink sink(*this, uncompressed);
    DecodeResult r = decoder->Decode(data, sink, uncompressed);
    EndDecoding(r, decoder->Problem(), sink, uncompressed, kMsgBadBlock, result);
}

void TUnZip::Unreduce(TStream32& data, int method, std::int64_t uncompressed, EntryResult& result) {
    auto decoder = std::make_unique<ReduceDecoder>();
    EntrySink sink(*this, uncompressed);
    DecodeResult r = decoder->Decode(data, sink, method - 1, uncompressed);
    EndDecoding(r, decoder->Problem(), sink, uncompressed, kMsgBadBlock, result);
}

void TUnZip::Explode(TStream32& data, std::uint16_t flags, std::int64_t uncompressed,
                     EntryResult& result) {
    auto decoder = std::make_unique<ImplodeDecoder>();
    EntrySink sink(*this, uncompressed);
    DecodeResult r = decoder->Decode(data, sink, flags, uncompressed);
    EndDecoding(r, decoder->Problem(), sink, uncompressed, 0, result);
}

// Decompresses at most the declared size; the entry is whole only when the bzip2 stream ends
// exactly there.
void TUnZip::BzipDecompressEntry(TStream32& data, std::int64_t compressed,
                                 std::int64_t uncompressed, EntryResult& result) {
    TBzDecompressStream bz(data, compressed);
    using Status = TBzDecompressStream::Status;
    auto libraryFailure = [&](Status status, const char* duringSetUp) {
        if (status == Status::MemoryError)
            ReportError(entry_.outputFileName, kBz2MemoryText, kMsgOutOfMemory, volumeName_);
        else
            ReportError(entry_.outputFileName, duringSetUp, kMsgDecompressionError, volumeName_);
    };
    if (bz.GetStatus() != Status::Ok) {
        libraryFailure(bz.GetStatus(), kBz2InitText);
        return;
    }
    char* buffer = OutputBlock();
    std::int64_t remaining = uncompressed;
    while (remaining > 0 && !GetCancel()) {
        std::int64_t n = bz.Read(buffer, std::min(remaining, kOutputBlock));
        if (n > 0) {
            WriteBlock(buffer, n);
            remaining -= n;
        }
        if (n == 0 || bz.GetStatus() != Status::Ok) break;
    }
    bool whole = remaining == 0 && !GetCancel();
    if (whole && !bz.EndOfStream()) {
        char probe;
        whole = bz.Read(&probe, 1) == 0 && bz.EndOfStream();
        if (!whole && bz.GetStatus() == Status::Ok) result.problem = kLonger;
    }
    switch (bz.GetStatus()) {
    case Status::MemoryError:
    case Status::FatalError: libraryFailure(bz.GetStatus(), kBz2FatalText); break;
    case Status::DataError: result.problem = "invalid bzip2 data"; break;
    case Status::InputExhausted: result.problem = kEndEarly; break;
    case Status::End:
        if (!whole && result.problem.empty()) result.problem = kShorter;
        break;
    case Status::Ok: break;
    }
    result.whole = whole;
}

} // namespace archive
