#include "archive/aes.h"

// SHA1_Transform, deprecated as too low-level, is what makes the key derivation cheap: one
// compression per half of each iteration.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/sha.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace archive {

namespace {

void PutBigEndian(const SHA_CTX& c, std::uint8_t* out) {
    for (SHA_LONG h : {c.h0, c.h1, c.h2, c.h3, c.h4}) {
        out[0] = static_cast<std::uint8_t>(h >> 24);
        out[1] = static_cast<std::uint8_t>(h >> 16);
        out[2] = static_cast<std::uint8_t>(h >> 8);
        out[3] = static_cast<std::uint8_t>(h);
        out += 4;
    }
}

// HMAC-SHA1 with the key's inner and outer blocks compressed once: the key derivation computes
// thousands of MACs of 20-byte messages under one key, each then two compressions.
class PreparedHmac {
public:
    explicit PreparedHmac(std::string_view key) {
        std::array<std::uint8_t, 64> k{};
        if (key.size() > k.size()) { // a long key is its digest (HMAC's rule)
            SHA1(reinterpret_cast<const unsigned char*>(key.data()), key.size(), k.data());
        } else {
            std::memcpy(k.data(), key.data(), key.size());
        }
        std::array<std::uint8_t, 64> pad;
        for (std::size_t i = 0; i < pad.size(); ++i) pad[i] = k[i] ^ 0x36;
        SHA1_Init(&inner_);
        SHA1_Update(&inner_, pad.data(), pad.size());
        for (std::size_t i = 0; i < pad.size(); ++i) pad[i] = k[i] ^ 0x5C;
        SHA1_Init(&outer_);
        SHA1_Update(&outer_, pad.data(), pad.size());
        // a 20-byte message after the key block: one block with its padding and bit length
        block_.fill(0);
        block_[20] = 0x80;
        block_[62] = (64 + 20) * 8 >> 8;
        block_[63] = (64 + 20) * 8 & 0xFF;
    }

    void Mac(std::span<const std::uint8_t> message, std::uint8_t out[20]) const {
        SHA_CTX c = inner_;
        SHA1_Update(&c, message.data(), message.size());
        std::uint8_t digest[20];
        SHA1_Final(digest, &c);
        c = outer_;
        SHA1_Update(&c, digest, sizeof digest);
        SHA1_Final(out, &c);
    }

    // `in` and `out` may be the same.
    void Mac20(const std::uint8_t in[20], std::uint8_t out[20]) {
        std::memcpy(block_.data(), in, 20);
        SHA_CTX c = inner_;
        SHA1_Transform(&c, block_.data());
        PutBigEndian(c, block_.data());
        c = outer_;
        SHA1_Transform(&c, block_.data());
        PutBigEndian(c, out);
    }

private:
    SHA_CTX inner_{}, outer_{};
    std::array<std::uint8_t, 64> block_{};
};

} // namespace

bool DeriveKeyPbkdf2(std::string_view password, std::span<const std::uint8_t> salt, int iterations,
                     std::span<std::uint8_t> out) {
    if (iterations < 1) return false;
    PreparedHmac mac(password);
    std::vector<std::uint8_t> first(salt.begin(), salt.end());
    first.resize(salt.size() + 4);
    for (std::uint32_t block = 1; !out.empty(); ++block) {
        for (int i = 0; i < 4; ++i)
            first[salt.size() + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(block >> (24 - 8 * i));
        std::uint8_t u[20], t[20];
        mac.Mac(first, u);
        std::memcpy(t, u, sizeof t);
        for (int n = 1; n < iterations; ++n) {
            mac.Mac20(u, u);
            for (int i = 0; i < 20; ++i) t[i] ^= u[i];
        }
        std::size_t take = std::min<std::size_t>(out.size(), sizeof t);
        std::memcpy(out.data(), t, take);
        out = out.subspan(take);
    }
    return true;
}

std::array<std::uint8_t, 20> Sha1(std::span<const std::uint8_t> data) {
    std::array<std::uint8_t, 20> digest{};
    unsigned length = 0;
    EVP_Digest(data.data(), data.size(), digest.data(), &length, EVP_sha1(), nullptr);
    return digest;
}

// ---- HMAC-SHA1

struct HmacSha1::Impl {
    EVP_MAC* mac = nullptr;
    EVP_MAC_CTX* context = nullptr;
    ~Impl() {
        EVP_MAC_CTX_free(context);
        EVP_MAC_free(mac);
    }
};

HmacSha1::HmacSha1()
    : impl_(std::make_unique<Impl>()) {
    impl_->mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
    impl_->context = impl_->mac ? EVP_MAC_CTX_new(impl_->mac) : nullptr;
}

HmacSha1::~HmacSha1() = default;

bool HmacSha1::Start(std::span<const std::uint8_t> key) {
    if (!impl_->context) return false;
    char digest[] = "SHA1";
    OSSL_PARAM params[] = {OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
                           OSSL_PARAM_construct_end()};
    // the library refuses an empty key pointer even for an empty key
    static const std::uint8_t kNone = 0;
    return EVP_MAC_init(impl_->context, key.empty() ? &kNone : key.data(), key.size(), params) == 1;
}

bool HmacSha1::Update(std::span<const std::uint8_t> data) {
    return impl_->context && EVP_MAC_update(impl_->context, data.data(), data.size()) == 1;
}

bool HmacSha1::Finish(std::array<std::uint8_t, 20>& mac) {
    std::size_t n = 0;
    return impl_->context && EVP_MAC_final(impl_->context, mac.data(), &n, mac.size()) == 1 &&
           n == mac.size();
}

// ---- AES block cipher

struct AesBlockCipher::Impl {
    EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
    bool keyed = false;
    ~Impl() { EVP_CIPHER_CTX_free(context); }
};

AesBlockCipher::AesBlockCipher()
    : impl_(std::make_unique<Impl>()) {}

AesBlockCipher::~AesBlockCipher() = default;

bool AesBlockCipher::SetKey(std::span<const std::uint8_t> key) {
    // ECB is the block cipher alone: each block is encrypted on its own
    const EVP_CIPHER* type = key.size() == 16   ? EVP_aes_128_ecb()
                             : key.size() == 24 ? EVP_aes_192_ecb()
                             : key.size() == 32 ? EVP_aes_256_ecb()
                                                : nullptr;
    impl_->keyed = type && impl_->context &&
                   EVP_EncryptInit_ex(impl_->context, type, nullptr, key.data(), nullptr) == 1 &&
                   EVP_CIPHER_CTX_set_padding(impl_->context, 0) == 1;
    return impl_->keyed;
}

bool AesBlockCipher::Encrypt(const std::uint8_t* in, std::uint8_t* out, std::size_t blocks) {
    if (!impl_->keyed) return false;
    constexpr std::size_t kMostBlocks = std::size_t{1} << 26; // a length the library takes
    while (blocks > 0) {
        std::size_t now = std::min(blocks, kMostBlocks);
        int n = 0;
        if (EVP_EncryptUpdate(impl_->context, out, &n, in, static_cast<int>(now * 16)) != 1 ||
            n != static_cast<int>(now * 16))
            return false;
        in += now * 16;
        out += now * 16;
        blocks -= now;
    }
    return true;
}

// ---- the entry

// The cipher and MAC of the entry, and its counter state.
struct TztvAES::Context {
    // Keystream is made this many bytes at a time: one library call for many counter blocks.
    static constexpr std::size_t kBatch = 16384;

    AesBlockCipher cipher;
    HmacSha1 mac;
    std::array<std::uint8_t, 16> counter{};
    std::array<std::uint8_t, kBatch> counters{};
    std::array<std::uint8_t, kBatch> keystream{};
    std::size_t used = kBatch; // keystream bytes taken
    bool ready = false;

    // The next batch of keystream: the counter, little-endian from its first byte, goes up by
    // one before each block, so the first block encrypts counter 1.
    bool NextKeystream() {
        for (std::size_t b = 0; b < kBatch; b += 16) {
            for (auto& byte : counter)
                if (++byte != 0) break;
            std::memcpy(counters.data() + b, counter.data(), 16);
        }
        if (!cipher.Encrypt(counters.data(), keystream.data(), kBatch / 16)) return false;
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
    std::span<const std::uint8_t> keys(derived);
    if (!c->cipher.SetKey(keys.first(keyLength)) ||
        !c->mac.Start(keys.subspan(keyLength, keyLength)))
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
    if (!c.mac.Update(std::span(buffer, length))) c.ready = false;
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
    std::array<std::uint8_t, 20> computed{};
    bool made = c.ready && c.mac.Finish(computed);
    std::array<std::uint8_t, kAuthCodeLength> stored{};
    bool read = input_->ReadExact(stored.data(), kAuthCodeLength);
    context_.reset();
    // compared in constant time: how long a comparison takes tells nothing about the code
    return made && read && CRYPTO_memcmp(computed.data(), stored.data(), kAuthCodeLength) == 0;
}

} // namespace archive
