// Message table, routines, masks, the traditional cipher and the inflating stream.

#include "archive/arcbase.h"
#include "archive/inflate.h"
#include "archive/mask.h"
#include "archive/zipcommon.h"
#include "archive/zipcrypt.h"
#include "keiba/fileio.h"
#include "keiba/sjis.h"
#include "tests/archive/zipbuilder.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <array>

using namespace archive;

TEST(ArchiveMessages, TableHoldsEveryNumberOnceInOrder) {
    auto table = MessageTable();
    EXPECT_EQ(table.size(), 125u + 3u); // the messages and the three dialog filters
    for (std::size_t i = 1; i < table.size(); ++i) EXPECT_LT(table[i - 1].code, table[i].code);
    EXPECT_EQ(MessageText(25151), "File fails CRC check");
    EXPECT_EQ(MessageText(25241), "Line found before 'BEGIN'");
    EXPECT_EQ(MessageText(26899), "Directory does not exist... Create?");
    EXPECT_EQ(MessageText(25105), "");
    EXPECT_EQ(EZipError(25443).what(), std::string("User canceled"));
}

TEST(ArchiveRoutines, DosDates) {
    const DosDateTime fallback{1980, 1, 1, 0, 1, 0};
    EXPECT_EQ(DosDateTimeToDateTime(0), fallback);
    std::uint32_t feb30 = ((0u << 9 | 2u << 5 | 30u) << 16);
    EXPECT_EQ(DosDateTimeToDateTime(feb30), fallback);
    std::uint32_t stamp = ((44u << 9 | 1u << 5 | 5u) << 16) | (13u << 11 | 45u << 5 | 10u);
    EXPECT_EQ(DosDateTimeToDateTime(stamp), (DosDateTime{2024, 1, 5, 13, 45, 20}));
}

struct MaskCase {
    const char* mask;
    const char* name;
    bool matches;
};

TEST(FileMasks, MatchTable) {
    const MaskCase cases[] = {
        {"*.CSV", "rcom20240105.csv", true},
        {"*.csv", "RCOM20240101.CSV", true},
        {"*.csv", "readme.txt", false},
        {"[!a-c]*", "Boo", false},
        {"[!a-c]*", "Doo", true},
        {"*.", "README", true},
        {"*.", "a.txt", false},
        {"*?", "", true},
        {"*?", "abc", true},
        {"[c-a]*", "Cat", true},
        {"[c-a]*", "apple", false},
        {"a?c", "abc", true},
        {"a?c", "ac", false},
        {"*a*b*c", "xxaxxbxxc", true},
        {"*a*b*c", "xxaxxcxxb", false},
        {"XQ*.vzkd", "xq20240101.VZKD", true},
        {"rcom.", "rcom", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << c.mask << " " << c.name;
}

TEST(FileMasks, DoubleByteCharactersCompareExactly) {
    std::string mask = keiba::Sj("予想*.csv");
    EXPECT_TRUE(MatchesMask(keiba::Sj("予想0105.CSV"), mask));
    EXPECT_FALSE(MatchesMask(keiba::Sj("予定0105.csv"), mask));
}

// Names are matched by characters: the second byte of ヂ (83 61) is no "a", that of 表 (95 5C)
// no "\", and "?" takes a whole character.
TEST(FileMasks, TrailBytesAreNoCharactersOfTheirOwn) {
    EXPECT_FALSE(MatchesMask(keiba::Sj("ヂ.txt"), "*a*"));
    EXPECT_TRUE(MatchesMask(keiba::Sj("ヂa.txt"), "*a*"));
    EXPECT_FALSE(MatchesMask(keiba::Sj("表.csv"), "*\\*"));
    EXPECT_TRUE(MatchesMask(keiba::Sj("馬.csv"), "?.csv"));
    EXPECT_FALSE(MatchesMask(keiba::Sj("馬.csv"), "??.csv"));
    EXPECT_FALSE(MatchesMask(keiba::Sj("馬.csv"), "[!a]?.csv"));
    EXPECT_TRUE(MatchesMask(keiba::Sj("馬x.csv"), "[!a]?.csv"));
}

TEST(FileMasks, BadMasksAreRefusedWithTheirPosition) {
    try {
        TInternalMask m("[]");
        FAIL() << "accepted";
    } catch (const EMaskError& e) {
        EXPECT_EQ(std::string(e.what()), "'[]' is an invalid mask at (2)");
    }
    int at = 0;
    EXPECT_FALSE(TInternalMask::TryCreate("[abc", &at));
    EXPECT_EQ(at, 5);
    EXPECT_FALSE(TInternalMask::TryCreate("[-a]", &at));
    std::string stars30, stars31;
    for (int i = 0; i < 30; ++i) stars30 += "*a";
    stars31 = stars30 + "*a";
    EXPECT_TRUE(TInternalMask::TryCreate(stars30));
    EXPECT_FALSE(TInternalMask::TryCreate(stars31, &at));
    EXPECT_FALSE(MatchesMask("anything", stars31));
}

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
        TZipCipher cipher;
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

TEST(InflateStream, StopsAtTheStreamEndAndRestartsFromZero) {
    testsupport::TempDir dir;
    std::string plain;
    for (int i = 0; i < 5000; ++i) plain += "R1" + std::to_string(i * 7919 % 10007) + "\r\n";
    std::string packed = ziptest::RawDeflate(plain) + "TRAILING";
    testsupport::WriteBytes(dir / "d.bin", packed);
    TFileStream32 file(keiba::PathToUtf8(dir / "d.bin"), TFileStream32::kOpenRead);
    ASSERT_TRUE(file.IsOpen());
    {
        TDecompressStream ds(file, InflateWindowBits(), kEncNone, nullptr,
                             static_cast<std::int64_t>(packed.size()));
        std::string out(plain.size() + 100, '\0');
        std::int64_t n = ds.Read(out.data(), 1000, static_cast<std::int64_t>(out.size()));
        EXPECT_EQ(n, static_cast<std::int64_t>(plain.size())); // what was produced, not the request
        EXPECT_TRUE(ds.EndOfStream());
        out.resize(static_cast<std::size_t>(n));
        EXPECT_EQ(out, plain);
        EXPECT_EQ(ds.Seek(0, TSeekOrigin::Begin), 0);
        std::string again(100, '\0');
        EXPECT_EQ(ds.Read(again.data(), 100), 100);
        EXPECT_EQ(again, plain.substr(0, 100));
        EXPECT_EQ(ds.Seek(200, TSeekOrigin::Current), 300);
        EXPECT_EQ(ds.Read(again.data(), 100), 100);
        EXPECT_EQ(again, plain.substr(300, 100));
    }
    // reads are bounded by the compressed size: half the data gives a short result, no hang
    file.Seek(0, TSeekOrigin::Begin);
    TDecompressStream half(file, InflateWindowBits(), kEncNone, nullptr,
                           static_cast<std::int64_t>(packed.size() / 2));
    std::string out(plain.size(), '\0');
    std::int64_t n = half.Read(out.data(), 4096, static_cast<std::int64_t>(out.size()));
    EXPECT_LT(n, static_cast<std::int64_t>(plain.size()));
    EXPECT_EQ(half.GetStatus(), TDecompressStream::Status::InputExhausted);
}
