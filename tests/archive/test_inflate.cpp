// The inflating stream over a file: the end of the stream, restarts and bounded input.

#include "archive/arcbase.h"
#include "archive/inflate.h"
#include "archive/streams.h"
#include "archive/zipcommon.h"
#include "keiba/fileio.h"
#include "tests/archive/zipbuilder.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <string>

using namespace archive;

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
        EXPECT_EQ(ds.Seek(0, SeekOrigin::Begin), 0);
        std::string again(100, '\0');
        EXPECT_EQ(ds.Read(again.data(), 100), 100);
        EXPECT_EQ(again, plain.substr(0, 100));
        EXPECT_EQ(ds.Seek(200, SeekOrigin::Current), 300);
        EXPECT_EQ(ds.Read(again.data(), 100), 100);
        EXPECT_EQ(again, plain.substr(300, 100));
    }
    // reads are bounded by the compressed size: half the data gives a short result, no hang
    file.Seek(0, SeekOrigin::Begin);
    TDecompressStream half(file, InflateWindowBits(), kEncNone, nullptr,
                           static_cast<std::int64_t>(packed.size() / 2));
    std::string out(plain.size(), '\0');
    std::int64_t n = half.Read(out.data(), 4096, static_cast<std::int64_t>(out.size()));
    EXPECT_LT(n, static_cast<std::int64_t>(plain.size()));
    EXPECT_EQ(half.GetStatus(), TDecompressStream::Status::InputExhausted);
}
