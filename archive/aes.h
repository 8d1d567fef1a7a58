#pragma once
// WinZip AES entry decryption (AE-1 and AE-2): keys from the password by PBKDF2-HMAC-SHA1 over
// the entry's salt, a 2-byte password verifier, AES in counter mode with a little-endian counter
// that starts at 1, and the first 10 bytes of HMAC-SHA1 over the encrypted data as the entry's
// authentication code. An entry's data are: salt, verifier, encrypted data, authentication code.

#include "archive/streams.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace archive {

// PBKDF2 with HMAC-SHA1: fills `out` from the password and salt; false for fewer than one
// iteration. A password longer than SHA-1's block is hashed first, as HMAC does with long keys.
bool DeriveKeyPbkdf2(std::string_view password, std::span<const std::uint8_t> salt, int iterations,
                     std::span<std::uint8_t> out);

// SHA-1, the digest under the key derivation and the authentication code.
std::array<std::uint8_t, 20> Sha1(std::span<const std::uint8_t> data);

// HMAC-SHA1 over data given piece by piece.
class HmacSha1 {
public:
    HmacSha1();
    ~HmacSha1();
    HmacSha1(const HmacSha1&) = delete;
    HmacSha1& operator=(const HmacSha1&) = delete;
    // Starts over with `key` (of any length); false when the library fails.
    bool Start(std::span<const std::uint8_t> key);
    bool Update(std::span<const std::uint8_t> data);
    bool Finish(std::array<std::uint8_t, 20>& mac);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// AES in the encryption direction, whole 16-byte blocks at a time: counter mode needs no other.
class AesBlockCipher {
public:
    AesBlockCipher();
    ~AesBlockCipher();
    AesBlockCipher(const AesBlockCipher&) = delete;
    AesBlockCipher& operator=(const AesBlockCipher&) = delete;
    // A key of 16, 24 or 32 bytes (AES-128, -192, -256); false for another length.
    bool SetKey(std::span<const std::uint8_t> key);
    // Encrypts `blocks` blocks of `in` into `out` (each block on its own).
    bool Encrypt(const std::uint8_t* in, std::uint8_t* out, std::size_t blocks);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// One AES entry, from the password check to the authentication code.
class TztvAES {
public:
    static constexpr int kVerifierLength = 2, kAuthCodeLength = 10, kIterations = 1000;
    // Key and salt lengths of a strength (mode 1 to 3: 128-, 192- and 256-bit keys).
    static constexpr int KeyLength(int mode) { return 8 * (mode & 3) + 8; }
    static constexpr int SaltLength(int mode) { return 4 * (mode & 3) + 4; }

    // Remembers the stream and where it stands: the start of the entry's data (0 without one),
    // where a failed check leaves it again.
    explicit TztvAES(TStream32* input);
    ~TztvAES();
    TztvAES(const TztvAES&) = delete;
    TztvAES& operator=(const TztvAES&) = delete;

    // Reads salt and verifier and compares the verifier derived from `password`. True: the
    // stream stands at the encrypted data, `overhead` counts the bytes read plus the
    // authentication code. False: the stream is back at the start of the entry's data.
    bool CheckAesPassword(std::string_view password, int mode, int& overhead);
    // Decrypts in place; the encrypted bytes go into the authentication code first.
    void DecryptAesBuffer(std::uint8_t* buffer, std::size_t length);
    // Reads the stored code from the stream (which stands right after the encrypted data) and
    // compares it with the one computed over every byte given to DecryptAesBuffer.
    bool CheckAesAuthCode();

private:
    struct Context;
    // Derives the keys and the verifier; the counter starts at zero. 0, or -1 when the library
    // fails.
    int InitAesEntryContext(int mode, std::string_view password, std::span<const std::uint8_t> salt,
                            std::uint8_t verifier[2]);

    TStream32* input_;
    std::int64_t start_;
    std::unique_ptr<Context> context_;
};

} // namespace archive
