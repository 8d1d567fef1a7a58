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
    WriteBytes(dir / "a.zip", ziptest::Build(items));
    Outcome r = Extract(dir / "a.zip", dir / "out", {"other", "secret"});
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
