// AES entries: the key derivation against RFC 6070, the password check, and entries made here
// with OpenSSL's primitives (the format's encryption side written out in the test), including
// the damaged and forged ones. Archives of 7-Zip are read in test_unzip.

#include "archive/aes.h"
#include "archive/unzip.h"
#include "keiba/fileio.h"
#include "tests/archive/zipbuilder.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <map>

using namespace archive;
namespace fs = std::filesystem;
using testsupport::Slurp;
using testsupport::TempDir;
using testsupport::WriteBytes;

namespace {

std::string Hex(std::span<const std::uint8_t> bytes) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (std::uint8_t b : bytes) s += {digits[b >> 4], digits[b & 15]};
    return s;
}

std::vector<std::uint8_t> Bytes(const std::string& hex) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::span<const std::uint8_t> Span(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

std::vector<std::uint8_t> Derive(const std::string& password, const std::string& salt,
                                 std::size_t length) {
    std::vector<std::uint8_t> out(length);
    PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()),
                      reinterpret_cast<const unsigned char*>(salt.data()),
                      static_cast<int>(salt.size()), 1000, EVP_sha1(), static_cast<int>(length),
                      out.data());
    return out;
}

struct AesOptions {
    int mode = 3;
    std::string verifierPassword; // forge the verifier of another password
    bool damage = false;          // flip a byte of the encrypted data (after the code was made)
};

AesOptions Strength(int mode) {
    AesOptions o;
    o.mode = mode;
    return o;
}

// salt, verifier, data encrypted with AES-CTR (little-endian counter from 1), then the first 10
// bytes of HMAC-SHA1 over the encrypted data.
std::string EncryptAes(const std::string& password, const std::string& plain,
                       const AesOptions& o = {}) {
    const int keyLength = 8 * o.mode + 8, saltLength = 4 * o.mode + 4;
    std::string salt;
    for (int i = 0; i < saltLength; ++i) salt += static_cast<char>(0x40 + i * 7);
    auto keys = Derive(password, salt, 2 * keyLength + 2);
    std::string verifier(reinterpret_cast<const char*>(keys.data()) + 2 * keyLength, 2);
    if (!o.verifierPassword.empty()) {
        auto forged = Derive(o.verifierPassword, salt, 2 * keyLength + 2);
        verifier.assign(reinterpret_cast<const char*>(forged.data()) + 2 * keyLength, 2);
    }
    const EVP_CIPHER* type = keyLength == 16   ? EVP_aes_128_ecb()
                             : keyLength == 24 ? EVP_aes_192_ecb()
                                               : EVP_aes_256_ecb();
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(ctx, type, nullptr, keys.data(), nullptr);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    std::string data = plain;
    unsigned char counter[16] = {}, block[16];
    for (std::size_t at = 0; at < data.size(); at += 16) {
        for (auto& b : counter)
            if (++b != 0) break;
        int n = 0;
        EVP_EncryptUpdate(ctx, block, &n, counter, 16);
        for (std::size_t i = 0; i < 16 && at + i < data.size(); ++i)
            data[at + i] = static_cast<char>(data[at + i] ^ block[i]);
    }
    EVP_CIPHER_CTX_free(ctx);
    unsigned char mac[EVP_MAX_MD_SIZE];
    unsigned macLength = 0;
    HMAC(EVP_sha1(), keys.data() + keyLength, keyLength,
         reinterpret_cast<const unsigned char*>(data.data()), data.size(), mac, &macLength);
    if (o.damage && !data.empty()) data[data.size() / 2] ^= 1;
    return salt + verifier + data + std::string(reinterpret_cast<char*>(mac), 10);
}

// An AES entry: method 99 with the AES record naming the method of the data.
ziptest::Item AesEntry(const std::string& name, const std::string& plain, int version, int method,
                       const std::string& password, const AesOptions& o = {}) {
    std::string packed = method == 8 ? ziptest::RawDeflate(plain) : plain;
    auto it = ziptest::File(name, plain, 99, 1);
    it.payload = EncryptAes(password, packed, o);
    it.extra = ziptest::Le(0x9901, 2) + ziptest::Le(7, 2) + ziptest::Le(version, 2) + "AE" +
               ziptest::Le(o.mode, 1) + ziptest::Le(method, 2);
    if (version == 2) it.crc = 0; // AE-2 keeps no CRC
    return it;
}

struct Outcome {
    int count = 0;
    std::vector<std::string> errors; // "code name: text"
};

Outcome Extract(const fs::path& archive, const fs::path& out, std::vector<std::string> passwords) {
    TUnZip z;
    Outcome r;
    z.OnError = [&](TZipCommon&, const std::string& name, const std::string& text,
                    const std::string&, int code) {
        r.errors.push_back(std::to_string(code) + " " + fs::path(name).filename().string() + ": " +
                           text);
    };
    z.SetArchiveFile(keiba::PathToUtf8(archive));
    z.SetExtractDir(keiba::PathToUtf8(out));
    z.SetFileSpec({"*"});
    z.SetPasswords(passwords);
    r.count = z.ExtractArchive();
    return r;
}

} // namespace

TEST(AesKeys, Pbkdf2MatchesRfc6070) {
    struct Vector {
        std::string password, salt;
        int iterations;
        std::size_t length;
        std::string expected;
    };
    const Vector vectors[] = {
        {"password", "salt", 1, 20, "0c60c80f961f0e71f3a9b524af6012062fe037a6"},
        {"password", "salt", 2, 20, "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"},
        {"password", "salt", 4096, 20, "4b007901b765489abead49d926f721d065a429c1"},
        {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 25,
         "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"},
    };
    for (const auto& v : vectors) {
        std::vector<std::uint8_t> out(v.length);
        ASSERT_TRUE(DeriveKeyPbkdf2(
            v.password,
            std::span(reinterpret_cast<const std::uint8_t*>(v.salt.data()), v.salt.size()),
            v.iterations, out));
        EXPECT_EQ(Hex(out), v.expected) << v.password << " " << v.iterations;
    }
}

// FIPS-197 appendix C through the block cipher the counter mode uses; SHA-1 of "abc" (FIPS
// 180); the HMAC-SHA1 vectors of RFC 2202, the last two with keys longer than SHA-1's block.
TEST(AesKeys, BlockCipherDigestAndMacKnownAnswers) {
    const std::pair<const char*, const char*> fips197[] = {
        {"000102030405060708090a0b0c0d0e0f", "69c4e0d86a7b0430d8cdb78070b4c55a"},
        {"000102030405060708090a0b0c0d0e0f1011121314151617", "dda97ca4864cdfe06eaf70a0ec0d7191"},
        {"000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
         "8ea2b7ca516745bfeafc49904b496089"},
    };
    for (auto [key, expected] : fips197) {
        AesBlockCipher aes;
        ASSERT_TRUE(aes.SetKey(Bytes(key))) << key;
        auto plain = Bytes("00112233445566778899aabbccddeeff");
        std::array<std::uint8_t, 16> out{};
        ASSERT_TRUE(aes.Encrypt(plain.data(), out.data(), 1));
        EXPECT_EQ(Hex(out), expected) << key;
    }
    EXPECT_FALSE(AesBlockCipher().SetKey(Bytes("000102030405060708090a0b0c0d0e")));

    EXPECT_EQ(Hex(Sha1(Span("abc"))), "a9993e364706816aba3e25717850c26c9cd0d89d");

    const std::string aa80(80, '\xaa');
    std::string key4;
    for (int i = 1; i <= 25; ++i) key4 += static_cast<char>(i);
    const std::array<std::string, 3> rfc2202[] = {
        {std::string(20, '\x0b'), "Hi There", "b617318655057264e28bc0b6fb378c8ef146be00"},
        {"Jefe", "what do ya want for nothing?", "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
        {std::string(20, '\xaa'), std::string(50, '\xdd'),
         "125d7342b9ac11cd91a39af48aa17b4f63f175d3"},
        {key4, std::string(50, '\xcd'), "4c9007f4026250c6bc8414f9bf50c86c2d7235da"},
        {std::string(20, '\x0c'), "Test With Truncation",
         "4c1a03424b55e07fe7f27be1d58bb9324a9a5a04"},
        {aa80, "Test Using Larger Than Block-Size Key - Hash Key First",
         "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
        {aa80, "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data",
         "e8e99d0f45237d786d6bbaa7965c7808bbff1a91"},
    };
    HmacSha1 mac; // one object, started again for each vector, as an entry's check does
    for (const auto& [key, data, expected] : rfc2202) {
        ASSERT_TRUE(mac.Start(Span(key)));
        // in two pieces, as the data come
        ASSERT_TRUE(mac.Update(Span(data).first(data.size() / 3)));
        ASSERT_TRUE(mac.Update(Span(data).subspan(data.size() / 3)));
        std::array<std::uint8_t, 20> out{};
        ASSERT_TRUE(mac.Finish(out));
        EXPECT_EQ(Hex(out), expected) << data;
    }
}

// The counter block of the first 16 bytes is 01 00 ... 00, the next 02 00 ... 00: the keystream
// over zeros is the encryption of those blocks under the derived key.
TEST(AesPassword, TheCounterStartsAtOneAndCountsFromItsFirstByte) {
    const std::string salt(16, 's');
    auto keys = Derive("secret", salt, 2 * 32 + 2);
    std::string data = salt + std::string(reinterpret_cast<const char*>(keys.data()) + 64, 2) +
                       std::string(32, '\0');
    MemoryStream in(data);
    TztvAES aes(&in);
    int overhead = 0;
    ASSERT_TRUE(aes.CheckAesPassword("secret", 3, overhead));
    EXPECT_EQ(overhead, 28);
    std::array<std::uint8_t, 32> stream{};
    aes.DecryptAesBuffer(stream.data(), stream.size());

    AesBlockCipher block;
    ASSERT_TRUE(block.SetKey(std::span(keys).first(32)));
    std::array<std::uint8_t, 32> counters{}, expected{};
    counters[0] = 1;
    counters[16] = 2;
    ASSERT_TRUE(block.Encrypt(counters.data(), expected.data(), 2));
    EXPECT_EQ(Hex(stream), Hex(expected));
}

TEST(AesPassword, ReadsSaltAndVerifierOrGoesBack) {
    for (int mode = 1; mode <= 3; ++mode) {
        std::string data = EncryptAes("secret", "plain text", Strength(mode));
        MemoryStream in(data);
        TztvAES aes(&in);
        int overhead = -1;
        EXPECT_FALSE(aes.CheckAesPassword("wrong", mode, overhead));
        EXPECT_EQ(in.Position(), 0) << mode;
        EXPECT_FALSE(aes.CheckAesPassword("", mode, overhead));
        ASSERT_TRUE(aes.CheckAesPassword("secret", mode, overhead)) << mode;
        EXPECT_EQ(overhead, 4 * mode + 4 + 2 + 10); // 28 for 256-bit keys
        EXPECT_EQ(in.Position(), 4 * mode + 4 + 2);
        std::string text = data.substr(static_cast<std::size_t>(in.Position()), 10);
        aes.DecryptAesBuffer(reinterpret_cast<std::uint8_t*>(text.data()), text.size());
        EXPECT_EQ(text, "plain text");
        in.Seek(static_cast<std::int64_t>(data.size()) - 10, SeekOrigin::Begin);
        EXPECT_TRUE(aes.CheckAesAuthCode());
    }
}

// Every strength, AE-1 (CRC kept) and AE-2 (none), stored and deflated; and data that deflate
// made longer than they were, which the AES record still names as deflated.
TEST(AesEntries, EveryStrengthAndVersionExtracts) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "RA" + std::to_string(i * 7919 % 10007) + "\r\n";
    std::vector<ziptest::Item> items;
    for (int version = 1; version <= 2; ++version)
        for (int mode = 1; mode <= 3; ++mode)
            for (int method : {0, 8})
                items.push_back(AesEntry("v" + std::to_string(version) + "m" +
                                             std::to_string(mode) + "_" + std::to_string(method),
                                         text, version, method, "secret", Strength(mode)));
    items.push_back(AesEntry("grown.txt", "ab", 2, 8, "secret"));
    items.push_back(AesEntry("empty.txt", "", 2, 0, "secret"));
    // longer than SHA-1's block and than 128 bytes: the key derivation hashes it
    const std::string longPassword(200, 'p');
    items.push_back(AesEntry("long.txt", text, 2, 8, longPassword));
    WriteBytes(dir / "a.zip", ziptest::Build(items));
    Outcome r = Extract(dir / "a.zip", dir / "out", {"other", "secret", longPassword});
    EXPECT_EQ(r.count, static_cast<int>(items.size()));
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    for (const auto& it : items) EXPECT_EQ(Slurp(dir / "out" / it.name), it.data) << it.name;
}

// Damaged data, a forged verifier, an AE-1 CRC that does not match and an entry too short for
// its salt each fail their own entry, with their reason, and leave the good file in place.
TEST(AesEntries, ForgedAndDamagedEntriesFailAlone) {
    TempDir dir;
    std::string text(5000, 'k');
    AesOptions damaged, forged;
    damaged.damage = true;
    forged.verifierPassword = "wrong";
    auto wrongCrc = AesEntry("crc.txt", text, 1, 8, "secret");
    wrongCrc.crc = 12345;
    auto tooShort = AesEntry("short.txt", text, 2, 0, "secret");
    tooShort.payload = tooShort.payload->substr(0, 20);
    std::vector<ziptest::Item> items = {
        AesEntry("damaged.txt", text, 2, 8, "secret", damaged),
        AesEntry("forged.txt", text, 2, 0, "secret", forged),
        wrongCrc,
        tooShort,
        AesEntry("good.txt", text, 2, 8, "secret"),
    };
    WriteBytes(dir / "f.zip", ziptest::Build(items));
    fs::create_directories(dir / "out");
    for (const char* name : {"damaged.txt", "forged.txt", "crc.txt", "short.txt"})
        WriteBytes(dir / "out" / name, "GOOD");
    Outcome wrong = Extract(dir / "f.zip", dir / "out", {"wrong"});
    EXPECT_EQ(wrong.count, 0);
    const std::string mac = "the authentication code does not match (wrong password or damaged "
                            "data)";
    // "wrong" passes only the forged verifier, and the code then tells it apart
    EXPECT_NE(std::find(wrong.errors.begin(), wrong.errors.end(), "25151 forged.txt: " + mac),
              wrong.errors.end());

    Outcome right = Extract(dir / "f.zip", dir / "out", {"secret"});
    EXPECT_EQ(right.count, 1);
    const std::vector<std::string> expected = {
        "25151 damaged.txt: " + mac,
        "25276 forged.txt: wrong or missing password",
        "25151 forged.txt: ",
        "25151 crc.txt: ",
        "25151 short.txt: the entry is shorter than its encryption needs",
    };
    EXPECT_EQ(right.errors, expected);
    for (const char* name : {"damaged.txt", "forged.txt", "crc.txt", "short.txt"})
        EXPECT_EQ(Slurp(dir / "out" / name), "GOOD") << name;
    EXPECT_EQ(Slurp(dir / "out/good.txt"), text);
}

// "wrong81516" has the verifier of "secret" under the test's 8-byte salt: it passes the check,
// the authentication code then refuses it, and "secret", listed after it, opens the entry.
TEST(AesEntries, AWrongPasswordWithTheRightVerifierGivesWayToTheNext) {
    TempDir dir;
    std::string text(5000, 'k');
    WriteBytes(dir / "c.zip",
               ziptest::Build({AesEntry("c.txt", text, 2, 8, "secret", Strength(1))}));
    Outcome wrong = Extract(dir / "c.zip", dir / "wrong", {"wrong81516"});
    EXPECT_EQ(wrong.count, 0);
    EXPECT_EQ(wrong.errors, std::vector<std::string>{"25151 c.txt: the authentication code does "
                                                     "not match (wrong password or damaged data)"});
    Outcome both = Extract(dir / "c.zip", dir / "both", {"wrong81516", "secret"});
    EXPECT_EQ(both.count, 1);
    EXPECT_TRUE(both.errors.empty());
    EXPECT_EQ(Slurp(dir / "both/c.txt"), text);
}
