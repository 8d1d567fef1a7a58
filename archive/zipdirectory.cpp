#include "archive/zipdirectory.h"

#include "archive/arcbase.h"
#include "archive/bytereader.h"

#include <algorithm>
#include <span>

namespace archive {
namespace {

// The end record (22 bytes, 46 in its second form), a comment of at most 65535 bytes, and a
// Zip64 locator before it.
constexpr std::int64_t kEndSearchSpan = 46 + 65535 + 20;

std::uint32_t Le32(std::string_view s, std::size_t at) {
    ByteReader r(s.substr(at));
    return r.U32();
}

} // namespace

int FindZipDirectory(TStream32& stream, const TSeedKeyRecord& headerKeys, ZipDirectoryInfo& dir) {
    dir = ZipDirectoryInfo{};
    std::int64_t size = stream.Size();
    if (size < 4) return kArcNone;
    std::string head(4, '\0');
    if (stream.Seek(0, SeekOrigin::Begin) != 0 || !stream.ReadExact(head.data(), 4))
        return kArcNone;
    std::uint32_t first = Le32(head, 0);
    bool localFirst = first == kSigLocal;
    bool executable = head[0] == 'M' && head[1] == 'Z';
    if (localFirst) dir.headerState |= 1;
    ZipCipher keys;
    keys.headerSeed = headerKeys;

    // The end record: only the tail that can hold it is read.
    std::int64_t tailLen = std::min(size, kEndSearchSpan);
    std::int64_t tailPos = size - tailLen;
    std::string tail(static_cast<std::size_t>(tailLen), '\0');
    bool found = false;
    if (stream.Seek(tailPos, SeekOrigin::Begin) == tailPos &&
        stream.ReadExact(tail.data(), tailLen)) {
        for (std::int64_t i = tailLen - 22; i >= 0 && !found; --i) {
            auto at = static_cast<std::size_t>(i);
            HeaderClass hc = ClassifyHeaderSignature(kHeaderEnd, Le32(tail, at));
            if (hc.kind != kHeaderEnd) continue;
            std::string record = tail.substr(at, 46);
            auto bytes = std::span(reinterpret_cast<std::uint8_t*>(record.data()), record.size());
            // the second form widens every field: disks to 4 bytes, counts, size and offset to 8
            const bool wide = HeaderFixedLength(bytes, kHeaderEnd) == 42;
            const std::int64_t fixed = wide ? 46 : 22;
            if (i + fixed > tailLen) continue;
            if (hc.encrypted) DecryptHeaderBody(keys, bytes, kHeaderEnd);
            ByteReader r(std::string_view(record).substr(4));
            std::uint32_t thisDisk = wide ? r.U32() : r.U16();
            std::uint32_t cdDisk = wide ? r.U32() : r.U16();
            r.Skip(wide ? 8 : 2); // entries on this disk
            std::uint64_t entries = wide ? r.U64() : r.U16();
            std::uint64_t cdSize = wide ? r.U64() : r.U32();
            std::uint64_t cdOffset = wide ? r.U64() : r.U32();
            std::uint16_t commentLen = r.U16();
            if (i + fixed + commentLen > tailLen) continue; // a comment that cannot be there
            found = true;
            dir.endRecordPos = tailPos + i;
            dir.thisDisk = thisDisk;
            dir.cdDisk = cdDisk;
            dir.entries = entries;
            dir.cdSize = cdSize;
            dir.cdOffset = Clamp64(cdOffset);
            dir.headerState |= 4;
            std::int64_t dirEnd = dir.endRecordPos;
            std::uint32_t locatorDisk = thisDisk;
            if (i >= 20 && Le32(tail, at - 20) == kSigZip64Locator) {
                dir.headerState |= 8;
                ByteReader loc(std::string_view(tail).substr(at - 16));
                locatorDisk = loc.U32();
                std::uint64_t z64Offset = loc.U64();
                std::int64_t locatorPos = dir.endRecordPos - 20;
                // the declared position first, then the place just before the locator
                for (std::int64_t pos : {Clamp64(z64Offset), locatorPos - 56}) {
                    std::string rec(56, '\0');
                    if (pos < 0 || pos > locatorPos - 56 ||
                        stream.Seek(pos, SeekOrigin::Begin) != pos ||
                        !stream.ReadExact(rec.data(), 56) || Le32(rec, 0) != kSigZip64End)
                        continue;
                    ByteReader z(std::string_view(rec).substr(4));
                    z.U64();
                    z.U16();
                    z.U16();
                    dir.thisDisk = z.U32();
                    dir.cdDisk = z.U32();
                    z.U64();
                    dir.entries = z.U64();
                    dir.cdSize = z.U64();
                    dir.cdOffset = Clamp64(z.U64());
                    dir.zip64 = true;
                    dir.headerState |= 16;
                    dirEnd = pos;
                    break;
                }
            }
            std::int64_t cdActual = dirEnd - Clamp64(dir.cdSize);
            dir.startOffset =
                (cdActual >= 0 && cdActual >= dir.cdOffset) ? cdActual - dir.cdOffset : 0;
            if (locatorDisk != 0 && !localFirst) { // the last volume of a set
                dir.startOffset = 0;               // offsets count within each volume
                return kArcZipMVol;
            }
        }
    }
    if (found) {
        std::string sig(4, '\0');
        std::int64_t cdPos = dir.startOffset + dir.cdOffset;
        if (stream.Seek(cdPos, SeekOrigin::Begin) == cdPos && stream.ReadExact(sig.data(), 4) &&
            ClassifyHeaderSignature(kHeaderCentral, Le32(sig, 0)).kind == kHeaderCentral)
            dir.headerState |= 2;
    } else {
        dir.startOffset = localFirst ? 0 : -1;
    }
    if (localFirst) return kArcZip;
    // the first volume of a set starts with the spanning marker, a later one may start inside
    // the directory; the directory itself is in the last
    if (!found) return first == kSigSpanMarker || first == kSigCentral ? kArcZipMVol : kArcNone;
    if (executable) return kArcZipSfx;
    if (dir.thisDisk == 0) return kArcZip;
    dir.startOffset = 0;
    return kArcZipMVol;
}

void ReadZipExtraField(std::string_view field, bool central, ZipSizes& sizes,
                       ExtraFieldInfo& info) {
    ByteReader r(field);
    while (r.Left() >= 4) {
        std::uint16_t id = r.U16(), len = r.U16();
        if (len > r.Left()) break; // a record that runs past the field ends it
        ByteReader body(r.Bytes(len));
        switch (id) {
        case 0x0001:
            info.zip64 = true;
            if (sizes.uncompressed == 0xFFFFFFFF && body.Left() >= 8)
                sizes.uncompressed = body.U64();
            if (sizes.compressed == 0xFFFFFFFF && body.Left() >= 8) sizes.compressed = body.U64();
            if (central && sizes.localOffset == 0xFFFFFFFF && body.Left() >= 8)
                sizes.localOffset = body.U64();
            if (central && sizes.diskStart == 0xFFFF && body.Left() >= 4)
                sizes.diskStart = body.U32();
            break;
        case 0x0017: info.strongEncryption = true; break;
        case 0x0064:
            if (body.Left() >= 8) {
                info.has0064 = true;
                info.value0064 = body.U64();
            }
            break;
        case 0x9901:
            if (body.Left() >= 7) {
                info.aesVendorVersion = body.U16();
                std::string_view vendor = body.Bytes(2);
                info.aesStrength = body.U8();
                info.aesMethod = body.U16();
                info.aes = vendor == "AE";
            }
            break;
        case 0x7075:
            if (body.Left() >= 5 && body.U8() == 1) {
                info.unicodeNameCrc = body.U32();
                info.unicodeName = std::string(body.Bytes(body.Left()));
                info.hasUnicodeName = true;
            }
            break;
        default: break;
        }
    }
}

} // namespace archive
