#pragma once
// Traditional PKWARE zip encryption (decryption side) and the record signatures.
//
// The key sets live in a ZipCipher that the extraction object owns, so two extractions never
// share cipher state.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace archive {

struct TSeedKeyRecord {
    std::uint32_t Key0, Key1, Key2;
    bool operator==(const TSeedKeyRecord&) const = default;
};

inline constexpr TSeedKeyRecord kDefaultDataKeys{0x12345678, 0x23456789, 0x34567890};
inline constexpr TSeedKeyRecord kDefaultHeaderKeys{418205937, 72916458, 605384129};

enum class SeedKind : std::uint8_t { Data = 0, Header = 1 };

// The seed keys of one set, as the component publishes them.
class TSeedKeys {
public:
    explicit TSeedKeys(SeedKind kind)
        : kind_(kind)
        , keys_(kind == SeedKind::Data ? kDefaultDataKeys : kDefaultHeaderKeys) {}
    SeedKind Kind() const { return kind_; }
    std::uint32_t Key0() const { return keys_.Key0; }
    std::uint32_t Key1() const { return keys_.Key1; }
    std::uint32_t Key2() const { return keys_.Key2; }
    void SetKey0(std::uint32_t v) { keys_.Key0 = v; }
    void SetKey1(std::uint32_t v) { keys_.Key1 = v; }
    void SetKey2(std::uint32_t v) { keys_.Key2 = v; }
    const TSeedKeyRecord& Record() const { return keys_; }
    void SetRecord(const TSeedKeyRecord& r) { keys_ = r; }

private:
    SeedKind kind_;
    TSeedKeyRecord keys_;
};

// Working and seed keys of both sets.
struct ZipCipher {
    TSeedKeyRecord data = kDefaultDataKeys;
    TSeedKeyRecord dataSeed = kDefaultDataKeys;
    TSeedKeyRecord header = kDefaultHeaderKeys;
    TSeedKeyRecord headerSeed = kDefaultHeaderKeys;
};

// The published key update with one plain byte; returns the new key 2.
std::uint32_t UpdateKeys(TSeedKeyRecord& keys, std::uint8_t byte);
// The next keystream byte.
std::uint8_t DecryptByte(const TSeedKeyRecord& keys);
// Working data keys := data seed keys, then one update per password byte. Returns 0.
int InitKeysFromPassword(ZipCipher& cipher, std::string_view password);
void DecryptBuffer(TSeedKeyRecord& keys, std::uint8_t* buffer, std::size_t length);
std::uint8_t DecryptDataByte(ZipCipher& cipher, std::uint8_t cipherByte);

// Checks the 12-byte encryption header of an entry with `password`. The check byte is compared
// with the CRC's top byte, or with the DOS time's high byte when flag bit 3 (data descriptor) is
// set. On success the data keys stand ready for the entry's data.
bool CheckEncryptionHeader(ZipCipher& cipher, std::span<const std::uint8_t, 12> header,
                           std::uint16_t flags, std::uint32_t crc, std::string_view password,
                           std::uint16_t dosTime);

enum : std::uint32_t {
    kSigLocal = 0x04034B50,
    kSigLocalEnc = 0x04034C50,
    kSigLocal2 = 0x04034D50,
    kSigLocal2Enc = 0x04034E50,
    kSigCentral = 0x02014B50,
    kSigCentralEnc = 0x02014C50,
    kSigCentral2 = 0x02014D50,
    kSigCentral2Enc = 0x02014E50,
    kSigEnd = 0x06054B50,
    kSigEndEnc = 0x06054C50,
    kSigEnd2 = 0x06055B50,
    kSigEnd2Enc = 0x06055C50,
    kSigZip64End = 0x06064B50,
    kSigZip64Locator = 0x07064B50,
    kSigSpanMarker = 0x08074B50,
};

enum HeaderKind : int { kHeaderLocal = 0, kHeaderCentral = 1, kHeaderEnd = 2, kHeaderNone = 6 };

struct HeaderClass {
    int kind;
    bool encrypted;
    bool operator==(const HeaderClass&) const = default;
};

bool IsZipHeaderSignature(std::uint32_t value);
HeaderClass ClassifyHeaderSignature(int expectedKind, std::uint32_t value);
// Bytes after the signature: 26, 42, 18 (first-form end record) or 42 (second form); 0 else.
// `area` starts with the record's signature, which decides the end-record form.
int HeaderFixedLength(std::span<const std::uint8_t> area, int kind);
void DecryptWithHeaderKeys(ZipCipher& cipher, std::uint8_t* buffer, std::size_t length);
// Restarts the header keys and decrypts the fixed part of a header record (signature first).
void DecryptHeaderBody(ZipCipher& cipher, std::span<std::uint8_t> record, int kind);

} // namespace archive
