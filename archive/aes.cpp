#include "archive/aes.h"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace archive {

bool DeriveKeyPbkdf2(std::string_view password, std::span<const std::uint8_t> salt, int iterations,
                     std::span<std::uint8_t> out) {
    return PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                             static_cast<int>(salt.size()), iterations, EVP_sha1(),
                             static_cast<int>(out.size()), out.data()) == 1;
}

// The library's cipher and MAC objects, and the counter state of the entry.
struct TztvAES::Context {
    // Keystream is made this many bytes at a time: one library call for many counter blocks.
    static constexpr std::size_t kBatch = 16384;

    EVP_CIPHER_CTX* cipher = nullptr;
    EVP_MAC* mac = nullptr;
    EVP_MAC_CTX* macContext = nullptr;
    std::vector<std::uint8_t> macKey;
    std::array<std::uint8_t, 16> counter{};
    std::array<std::uint8_t, kBatch> counters{};
    std::array<std::uint8_t, kBatch> keystream{};
    std::size_t used = kBatch; // keystream bytes taken
    bool ready = false;

    ~Context() {
        EVP_CIPHER_CTX_free(cipher);
        EVP_MAC_CTX_free(macContext);
        EVP_MAC_free(mac);
    }

    bool StartMac() {
        char digest[] = "SHA1";
        OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                               OSSL_PARAM_construct_end()};
        return EVP_MAC_init(macContext, macKey.data(), macKey.size(), params) == 1;
    }

    // The next batch of keystream: the counter, little-endian from its first byte, goes up by
    // one before each block, so the first block encrypts counter 1.
    bool NextKeystream() {
        for (std::size_t b = 0; b < kBatch; b += 16) {
            for (auto& byte : counter)
                if (++byte != 0) break;
            std::memcpy(counters.data() + b, counter.data(), 16);
        }
        int n = 0;
        if (EVP_EncryptUpdate(cipher, keystream.data(), &n, counters.data(),
                              static_cast<int>(kBatch)) != 1 ||
            n != static_cast<int>(kBatch))
            return false;
        used = 0;
        return true;
    }
};

TztvAES::TztvAES(TStream32* input)
    : input_(input)
    , start_(input ? input->Position() : 0) {}

TztvAES::~TztvAES() = default;

int TztvAES::InitAesEntryContext(int mode, std::string_view password,
                                 std::span<const std::uint8_t> salt, std::uint8_t verifier[2]) {
    auto c = std::make_unique<Context>();
    const auto keyLength = static_cast<std::size_t>(KeyLength(mode));
    std::vector<std::uint8_t> derived(2 * keyLength + 2);
    if (!DeriveKeyPbkdf2(password, salt, kIterations, derived)) return -1;
    const EVP_CIPHER* type = keyLength == 16   ? EVP_aes_128_ecb()
                             : keyLength == 24 ? EVP_aes_192_ecb()
                                               : EVP_aes_256_ecb();
    c->cipher = EVP_CIPHER_CTX_new();
    c->mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
    c->macContext = c->mac ? EVP_MAC_CTX_new(c->mac) : nullptr;
    c->macKey.assign(derived.begin() + static_cast<std::ptrdiff_t>(keyLength),
                     derived.begin() + static_cast<std::ptrdiff_t>(2 * keyLength));
    if (!c->cipher || !c->macContext ||
        EVP_EncryptInit_ex(c->cipher, type, nullptr, derived.data(), nullptr) != 1 ||
        EVP_CIPHER_CTX_set_padding(c->cipher, 0) != 1 || !c->StartMac())
        return -1;
    verifier[0] = derived[2 * keyLength];
    verifier[1] = derived[2 * keyLength + 1];
    c->ready = true;
    context_ = std::move(c);
    return 0;
}

bool TztvAES::CheckAesPassword(std::string_view password, int mode, int& overhead) {
    overhead = 0;
    if (password.empty() || !input_ || mode < 1 || mode > 3) return false;
    const int saltLength = SaltLength(mode);
    std::array<std::uint8_t, 16> salt{};
    std::array<std::uint8_t, kVerifierLength> stored{};
    std::uint8_t derived[kVerifierLength] = {};
    bool read = input_->ReadExact(salt.data(), saltLength);
    if (read) overhead += saltLength;
    read = read && input_->ReadExact(stored.data(), kVerifierLength);
    if (read) overhead += kVerifierLength;
    if (read &&
        InitAesEntryContext(mode, password, std::span(salt.data(), saltLength), derived) == 0 &&
        derived[0] == stored[0] && derived[1] == stored[1]) {
        overhead += kAuthCodeLength;
        return true;
    }
    context_.reset();
    input_->Seek(start_, SeekOrigin::Begin);
    return false;
}

void TztvAES::DecryptAesBuffer(std::uint8_t* buffer, std::size_t length) {
    if (!context_ || length == 0) return;
    Context& c = *context_;
    if (EVP_MAC_update(c.macContext, buffer, length) != 1) c.ready = false;
    for (std::size_t i = 0; i < length;) {
        if (c.used == Context::kBatch && !c.NextKeystream()) {
            c.ready = false; // the data stay encrypted, and the code check fails
            return;
        }
        std::size_t n = std::min(length - i, Context::kBatch - c.used);
        const std::uint8_t* key = c.keystream.data() + c.used;
        for (std::size_t k = 0; k < n; ++k) buffer[i + k] ^= key[k];
        i += n;
        c.used += n;
    }
}

bool TztvAES::CheckAesAuthCode() {
    if (!context_ || !input_) return false;
    Context& c = *context_;
    std::array<std::uint8_t, EVP_MAX_MD_SIZE> computed{};
    std::size_t n = 0;
    bool made = c.ready && EVP_MAC_final(c.macContext, computed.data(), &n, computed.size()) == 1 &&
                n >= static_cast<std::size_t>(kAuthCodeLength);
    std::array<std::uint8_t, kAuthCodeLength> stored{};
    bool read = input_->ReadExact(stored.data(), kAuthCodeLength);
    context_.reset();
    return made && read && std::memcmp(computed.data(), stored.data(), kAuthCodeLength) == 0;
}

} // namespace archive
