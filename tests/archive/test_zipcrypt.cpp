// The traditional zip cipher: the check of the encryption header and the decryption after it.

#include "archive/zipcrypt.h"
#include "tests/archive/zipbuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

using namespace archive;

TEST(TraditionalCipher, EncryptionHeaderCheck) {
    const std::string password = "secret";
    const std::uint32_t crc = 0xA1B2C3D4;
    const std::uint16_t time = 0x7E21;
    for (bool descriptor : {false, true}) {
        std::string plainHeader = "0123456789A";
        plainHeader += static_cast<char>(descriptor ? time >> 8 : crc >> 24);
        std::string enc = ziptest::ZipCryptoWriter(password).Encrypt(plainHeader + "payload");
        std::array<std::uint8_t, 12> header;
        for (int i = 0; i < 12; ++i) header[i] = static_cast<std::uint8_t>(enc[i]);
        std::uint16_t flags = descriptor ? 8 : 0;
        ZipCipher cipher;
        EXPECT_FALSE(CheckEncryptionHeader(cipher, header, flags, crc, "", time));
        ASSERT_TRUE(CheckEncryptionHeader(cipher, header, flags, crc, password, time));
        // the keys stand at the data
        std::string body = enc.substr(12);
        DecryptBuffer(cipher.data, reinterpret_cast<std::uint8_t*>(body.data()), body.size());
        EXPECT_EQ(body, "payload");
        // the other check byte does not stand in for the right one
        EXPECT_FALSE(CheckEncryptionHeader(cipher, header, flags ^ 8, crc ^ 0x55000000, password,
                                           time ^ 0x5500));
        int accepted = 0;
        for (int i = 0; i < 64; ++i)
            accepted += CheckEncryptionHeader(cipher, header, flags, crc,
                                              "wrong" + std::to_string(i), time);
        EXPECT_LT(accepted, 4);
    }
}
