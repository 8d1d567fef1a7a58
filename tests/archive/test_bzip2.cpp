// The bzip2 read stream: reads bounded by the compressed size, a damaged or cut stream, and its
// forward-only seeks. Streams come from libbz2's own compressor.

#include "archive/bzip2.h"
#include "archive/unzip.h"
#include "keiba/fileio.h"
#include "tests/archive/zipbuilder.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <bzlib.h>

#include <map>
#include <string>

using namespace archive;

namespace {

std::string Compress(const std::string& plain) {
    std::string out(plain.size() + plain.size() / 100 + 700, '\0');
    auto length = static_cast<unsigned>(out.size());
    BZ2_bzBuffToBuffCompress(out.data(), &length, const_cast<char*>(plain.data()),
                             static_cast<unsigned>(plain.size()), 1, 0, 0);
    out.resize(length);
    return out;
}

std::string Text(std::size_t size) {
    std::string s;
    for (std::uint32_t x = 1; s.size() < size; x = x * 1664525u + 1013904223u)
        s += "SE" + std::to_string(x % 100000) + (x % 3 ? "," : "\r\n");
    s.resize(size);
    return s;
}

std::string ReadAll(TBzDecompressStream& bz) {
    std::string out, piece(10000, '\0');
    while (std::int64_t n = bz.Read(piece.data(), static_cast<std::int64_t>(piece.size())))
        out.append(piece, 0, static_cast<std::size_t>(n));
    return out;
}

} // namespace

TEST(BzipStream, DamagedAndCutStreamsStopWithWhatCameBefore) {
    std::string plain = Text(300000); // four blocks of just under 100 KB
    std::string packed = Compress(plain);
    MemoryStream cutIn(packed);
    TBzDecompressStream cut(cutIn, static_cast<std::int64_t>(packed.size() * 3 / 4));
    std::string part = ReadAll(cut);
    EXPECT_EQ(cut.GetStatus(), TBzDecompressStream::Status::InputExhausted);
    EXPECT_GE(part.size(), 190000u);
    EXPECT_TRUE(part == plain.substr(0, part.size()));

    // the source itself ends before the declared size: no read may wait for bytes never to come
    const std::string shortSource = packed.substr(0, packed.size() * 3 / 4);
    MemoryStream shortIn(shortSource);
    TBzDecompressStream early(shortIn, static_cast<std::int64_t>(packed.size()));
    part = ReadAll(early);
    EXPECT_EQ(early.GetStatus(), TBzDecompressStream::Status::InputExhausted);
    EXPECT_GE(part.size(), 190000u);
    EXPECT_TRUE(part == plain.substr(0, part.size()));

    // a damaged block is refused at its check; the blocks before it stand
    std::string damaged = packed;
    damaged[damaged.size() * 3 / 4] ^= 0x10;
    MemoryStream damagedIn(damaged);
    TBzDecompressStream bad(damagedIn, static_cast<std::int64_t>(damaged.size()));
    part = ReadAll(bad);
    EXPECT_EQ(bad.GetStatus(), TBzDecompressStream::Status::DataError);
    ASSERT_GE(part.size(), 190000u);
    EXPECT_TRUE(part.substr(0, 190000) == plain.substr(0, 190000));
}

TEST(BzipStream, SeeksOnlyForward) {
    std::string plain = Text(50000);
    std::string packed = Compress(plain);
    MemoryStream in(packed);
    TBzDecompressStream bz(in, static_cast<std::int64_t>(packed.size()));
    EXPECT_EQ(bz.Seek(0, SeekOrigin::Current), 0);
    EXPECT_EQ(bz.Consumed(), 0); // nothing read to answer that
    EXPECT_EQ(bz.Seek(1000, SeekOrigin::Begin), 1000);
    EXPECT_EQ(bz.Seek(500, SeekOrigin::Current), 1500);
    std::string ten(10, '\0');
    EXPECT_EQ(bz.Read(ten.data(), 10), 10);
    EXPECT_EQ(ten, plain.substr(1500, 10));
    auto refused = [&](auto request) {
        try {
            request();
        } catch (const Ebz2libError& e) {
            return std::string(e.what()) == "Invalid stream operation";
        }
        return false;
    };
    EXPECT_TRUE(refused([&] { bz.Seek(100, SeekOrigin::Begin); }));
    EXPECT_TRUE(refused([&] { bz.Seek(-1, SeekOrigin::Current); }));
    EXPECT_TRUE(refused([&] { bz.Seek(0, SeekOrigin::End); }));
    EXPECT_TRUE(refused([&] { bz.Write("x", 1); }));
    EXPECT_EQ(bz.Position(), 1510); // a refused request moves nothing

    MemoryStream none(packed);
    TBzDecompressStream empty(none, 0); // a compressed size of 0 reads nothing
    EXPECT_EQ(empty.Read(ten.data(), 1), 0);
    EXPECT_EQ(none.Position(), 0);
}

// Entries of method 12: one cut by 100 bytes gives what came before the cut, fails its CRC check
// and leaves no file; one whose compressed size is 0 is an empty file; the next entry extracts.
TEST(BzipEntries, CutAndEmptyEntries) {
    testsupport::TempDir dir;
    std::string plain = Text(250000);
    std::string packed = Compress(plain);
    auto cut = ziptest::File("cut.csv", plain, 12);
    cut.payload = packed.substr(0, packed.size() - 100);
    auto empty = ziptest::File("empty.csv", "", 12);
    empty.payload = "";
    auto whole = ziptest::File("whole.csv", plain, 12);
    whole.payload = packed;
    testsupport::WriteBytes(dir / "b.zip", ziptest::Build({cut, empty, whole}));
    archive::TUnZip z;
    std::vector<std::string> errors;
    std::map<std::string, std::int64_t> written;
    z.OnError = [&](archive::TZipCommon&, const std::string& name, const std::string& text,
                    const std::string&, int code) {
        errors.push_back(std::to_string(code) + " " +
                         std::filesystem::path(name).filename().string() + ": " + text);
    };
    z.OnEnd = [&](archive::TZipCommon& s, const std::string& name, bool) {
        written[std::filesystem::path(name).filename().string()] = s.EntryBytesDone();
    };
    z.SetArchiveFile(keiba::PathToUtf8(dir / "b.zip"));
    z.SetExtractDir(keiba::PathToUtf8(dir / "out"));
    z.SetFileSpec({"*"});
    EXPECT_EQ(z.ExtractArchive(), 2);
    EXPECT_EQ(errors, std::vector<std::string>{"25151 cut.csv: the compressed data end early"});
    EXPECT_GT(written["cut.csv"], 100000); // the blocks before the cut
    EXPECT_LT(written["cut.csv"], static_cast<std::int64_t>(plain.size()));
    EXPECT_FALSE(std::filesystem::exists(dir / "out/cut.csv"));
    EXPECT_EQ(testsupport::Slurp(dir / "out/empty.csv"), "");
    EXPECT_TRUE(testsupport::Slurp(dir / "out/whole.csv") == plain);
}
