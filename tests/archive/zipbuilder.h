#pragma once
// Builds zip archives byte by byte, so tests can make the hostile and broken ones no tool makes.

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ziptest {

struct Item {
    std::string name;
    std::string data;
    int method = 8; // 0 stored, 8 deflated (others: data stored as given)
    std::uint16_t flags = 0;
    std::uint16_t versionMadeBy = 20; // FAT
    std::uint32_t externalAttr = 0x20;
    std::uint16_t time = 0x6000, date = 0x5821; // 2024-01-01 12:00
    std::optional<std::uint32_t> crc;           // declared CRC (default: the data's)
    std::optional<std::uint64_t> usize;         // declared uncompressed size
    std::optional<std::string> payload;         // the bytes after the local header
    std::string extra;                          // extra field of both headers
    std::optional<std::uint64_t> localOffset;   // what the central header says (default: true)
    bool centralOnly = false; // a central header alone, over another entry's local header
    std::optional<std::string> localName; // the local header's name (default: name)
};

inline Item File(std::string name, std::string data, int method = 8, std::uint16_t flags = 0) {
    Item it;
    it.name = std::move(name);
    it.data = std::move(data);
    it.method = method;
    it.flags = flags;
    return it;
}

inline std::string Le(std::uint64_t v, int bytes) {
    std::string s;
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
    return s;
}

inline std::uint32_t Crc(const std::string& d) {
    return static_cast<std::uint32_t>(
        crc32_z(0, reinterpret_cast<const Bytef*>(d.data()), d.size()));
}

inline std::string RawDeflate(const std::string& data, int level = 6) {
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, data.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// The traditional cipher, for archives the tests encrypt themselves and for looking at the
// encryption headers tools wrote.
class ZipCryptoWriter {
public:
    explicit ZipCryptoWriter(const std::string& password) {
        for (char c : password) Update(static_cast<std::uint8_t>(c));
    }
    // Started from other keys than the data set's (the header set).
    ZipCryptoWriter(std::uint32_t k0, std::uint32_t k1, std::uint32_t k2)
        : k0_(k0)
        , k1_(k1)
        , k2_(k2) {}
    std::string Encrypt(const std::string& plain) {
        std::string out;
        for (char c : plain) {
            auto p = static_cast<std::uint8_t>(c);
            std::uint32_t t = (k2_ & 0xFFFF) | 2;
            out += static_cast<char>(p ^ static_cast<std::uint8_t>((t * (t ^ 1)) >> 8));
            Update(p);
        }
        return out;
    }
    std::string Decrypt(const std::string& cipher) {
        std::string out;
        for (char c : cipher) {
            std::uint32_t t = (k2_ & 0xFFFF) | 2;
            auto p = static_cast<std::uint8_t>(static_cast<std::uint8_t>(c) ^
                                               static_cast<std::uint8_t>((t * (t ^ 1)) >> 8));
            out += static_cast<char>(p);
            Update(p);
        }
        return out;
    }

private:
    void Update(std::uint8_t b) {
        k0_ = static_cast<std::uint32_t>(crc32_z(k0_ ^ 0xFFFFFFFF, &b, 1)) ^ 0xFFFFFFFF;
        k1_ = (k1_ + (k0_ & 0xFF)) * 134775813u + 1;
        std::uint8_t top = static_cast<std::uint8_t>(k1_ >> 24);
        k2_ = static_cast<std::uint32_t>(crc32_z(k2_ ^ 0xFFFFFFFF, &top, 1)) ^ 0xFFFFFFFF;
    }
    std::uint32_t k0_ = 0x12345678, k1_ = 0x23456789, k2_ = 0x34567890;
};

// A whole archive; `prefix` goes before it without adjusting the local-header offsets (a junk
// prefix). With `directoryCountsPrefix` the end record's directory offset includes it, as a tool
// that fixed up only that offset leaves it.
inline std::string Build(const std::vector<Item>& items, const std::string& prefix = "",
                         bool directoryCountsPrefix = false) {
    std::string body, central;
    for (const Item& it : items) {
        std::string payload = it.payload       ? *it.payload
                              : it.method == 8 ? RawDeflate(it.data)
                                               : it.data;
        std::uint32_t crc = it.crc.value_or(Crc(it.data));
        std::uint64_t usize = it.usize.value_or(it.data.size());
        std::string common = Le(it.flags, 2) + Le(it.method, 2) + Le(it.time, 2) + Le(it.date, 2) +
                             Le(crc, 4) + Le(payload.size(), 4) + Le(usize, 4) +
                             Le(it.name.size(), 2) + Le(it.extra.size(), 2);
        std::uint64_t offset = it.localOffset.value_or(body.size());
        if (!it.centralOnly) {
            std::string local = it.localName.value_or(it.name);
            body += "PK\x03\x04" + Le(20, 2) + Le(it.flags, 2) + Le(it.method, 2) + Le(it.time, 2) +
                    Le(it.date, 2) + Le(crc, 4) + Le(payload.size(), 4) + Le(usize, 4) +
                    Le(local.size(), 2) + Le(it.extra.size(), 2) + local + it.extra + payload;
        }
        central += "PK\x01\x02" + Le(it.versionMadeBy, 2) + Le(20, 2) + common + Le(0, 2) +
                   Le(0, 2) + Le(0, 2) + Le(it.externalAttr, 4) + Le(offset, 4) + it.name +
                   it.extra;
    }
    std::uint64_t cdOffset = body.size() + (directoryCountsPrefix ? prefix.size() : 0);
    std::string end = "PK\x05\x06" + Le(0, 2) + Le(0, 2) + Le(items.size(), 2) +
                      Le(items.size(), 2) + Le(central.size(), 4) + Le(cdOffset, 4) + Le(0, 2);
    return prefix + body + central + end;
}

} // namespace ziptest
