#include "archive/zipcrypt.h"

#include <zlib.h>

#include <array>

namespace archive {
namespace {

const z_crc_t* CrcTable() {
    static const z_crc_t* table = get_crc_table();
    return table;
}

std::uint32_t CrcStep(std::uint32_t crc, std::uint8_t byte) {
    return static_cast<std::uint32_t>(CrcTable()[(crc ^ byte) & 0xFF]) ^ (crc >> 8);
}

std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

} // namespace

std::uint32_t UpdateKeys(TSeedKeyRecord& keys, std::uint8_t byte) {
    keys.Key0 = CrcStep(keys.Key0, byte);
    keys.Key1 = (keys.Key1 + (keys.Key0 & 0xFF)) * 134775813u + 1;
    keys.Key2 = CrcStep(keys.Key2, static_cast<std::uint8_t>(keys.Key1 >> 24));
    return keys.Key2;
}

std::uint8_t DecryptByte(const TSeedKeyRecord& keys) {
    std::uint32_t t = (keys.Key2 & 0xFFFF) | 2;
    return static_cast<std::uint8_t>((t * (t ^ 1)) >> 8);
}

int InitKeysFromPassword(ZipCipher& cipher, std::string_view password) {
    cipher.data = cipher.dataSeed;
    // the length counts modulo 256, so only the first 255 bytes take part
    std::size_t n = password.size() & 0xFF;
    for (std::size_t i = 0; i < n; ++i)
        UpdateKeys(cipher.data, static_cast<std::uint8_t>(password[i]));
    return 0;
}

void DecryptBuffer(TSeedKeyRecord& keys, std::uint8_t* buffer, std::size_t length) {
    for (std::size_t i = 0; i < length; ++i) {
        std::uint8_t plain = buffer[i] ^ DecryptByte(keys);
        UpdateKeys(keys, plain);
        buffer[i] = plain;
    }
}

std::uint8_t DecryptDataByte(ZipCipher& cipher, std::uint8_t cipherByte) {
    DecryptBuffer(cipher.data, &cipherByte, 1);
    return cipherByte;
}

bool CheckEncryptionHeader(ZipCipher& cipher, std::span<const std::uint8_t, 12> header,
                           std::uint16_t flags, std::uint32_t crc, std::string_view password,
                           std::uint16_t dosTime) {
    if (password.empty()) return false;
    InitKeysFromPassword(cipher, password);
    std::array<std::uint8_t, 12> plain;
    for (std::size_t i = 0; i < 12; ++i) plain[i] = header[i];
    DecryptBuffer(cipher.data, plain.data(), plain.size());
    std::uint8_t expected = (flags & 8) ? static_cast<std::uint8_t>(dosTime >> 8)
                                        : static_cast<std::uint8_t>(crc >> 24);
    return plain[11] == expected;
}

bool IsZipHeaderSignature(std::uint32_t value) {
    return value == kSigLocal || value == kSigLocalEnc || value == kSigCentral ||
           value == kSigCentralEnc;
}

HeaderClass ClassifyHeaderSignature(int expectedKind, std::uint32_t value) {
    static constexpr std::uint32_t kSigs[3][4] = {
        {kSigLocal, kSigLocal2, kSigLocalEnc, kSigLocal2Enc},
        {kSigCentral, kSigCentral2, kSigCentralEnc, kSigCentral2Enc},
        {kSigEnd, kSigEnd2, kSigEndEnc, kSigEnd2Enc},
    };
    if (expectedKind < 0 || expectedKind > 2) return {kHeaderNone, false};
    const auto& row = kSigs[expectedKind];
    if (value == row[0] || value == row[1]) return {expectedKind, false};
    if (value == row[2] || value == row[3]) return {expectedKind, true};
    return {kHeaderNone, false};
}

int HeaderFixedLength(std::span<const std::uint8_t> area, int kind) {
    switch (kind) {
    case kHeaderLocal: return 26;
    case kHeaderCentral: return 42;
    case kHeaderEnd: {
        if (area.size() < 4) return 42;
        std::uint32_t v = Le32(area.data());
        return (v == kSigEnd || v == kSigEndEnc) ? 18 : 42;
    }
    default: return 0;
    }
}

void DecryptWithHeaderKeys(ZipCipher& cipher, std::uint8_t* buffer, std::size_t length) {
    DecryptBuffer(cipher.header, buffer, length);
}

void DecryptHeaderBody(ZipCipher& cipher, std::span<std::uint8_t> record, int kind) {
    cipher.header = cipher.headerSeed;
    if (record.size() <= 4) return;
    auto area = record.subspan(4);
    auto n = static_cast<std::size_t>(HeaderFixedLength(record, kind));
    if (n > area.size()) n = area.size();
    DecryptWithHeaderKeys(cipher, area.data(), n);
}

} // namespace archive
