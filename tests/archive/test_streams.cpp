// The archive's streams: the buffered archive reader across its buffer's edges and after seeks,
// the copy between streams with its cancel flag, strings read from a stream, and the hooks of a
// temporary output file.

#include "archive/streams.h"

#include "keiba/fileio.h"
#include "tests/support/tempdir.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

using archive::MemoryStream;
using archive::SeekOrigin;
using archive::TBufferedFileStream;

namespace {

std::string Bytes(std::size_t size) {
    std::string s(size, '\0');
    std::uint32_t x = 9;
    for (char& c : s) c = static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    return s;
}

} // namespace

// Reads that start in one buffer's fill and end in the next, a read larger than the buffer, and
// seeks back into bytes read before give the file's own bytes.
TEST(BufferedFileStream, ReadsAcrossTheBufferAndAfterSeeks) {
    testsupport::TempDir dir;
    const std::int64_t buffer = TBufferedFileStream::kBufferSize;
    const std::string data = Bytes(static_cast<std::size_t>(buffer * 3 + 123));
    testsupport::WriteBytes(dir / "a.zip", data);
    TBufferedFileStream in(keiba::PathToUtf8(dir / "a.zip"));
    ASSERT_TRUE(in.IsOpen());
    EXPECT_EQ(in.Size(), static_cast<std::int64_t>(data.size()));
    auto read = [&](std::int64_t at, std::int64_t count) {
        EXPECT_EQ(in.Seek(at, SeekOrigin::Begin), at);
        std::string out(static_cast<std::size_t>(count), '\0');
        out.resize(static_cast<std::size_t>(in.Read(out.data(), count)));
        return out;
    };
    EXPECT_TRUE(read(10, 100) == data.substr(10, 100));
    EXPECT_TRUE(read(buffer - 50, 100) == data.substr(buffer - 50, 100));
    EXPECT_TRUE(read(5, buffer + 1000) == data.substr(5, buffer + 1000));
    EXPECT_TRUE(read(buffer + 7, 30) == data.substr(buffer + 7, 30));
    EXPECT_EQ(in.Position(), buffer + 37);
    // the end gives what is left, then nothing
    EXPECT_TRUE(read(static_cast<std::int64_t>(data.size()) - 10, 100) ==
                data.substr(data.size() - 10));
    EXPECT_EQ(read(static_cast<std::int64_t>(data.size()) + 5, 10), "");
    EXPECT_EQ(in.Seek(-1, SeekOrigin::Begin), -1);
}

TEST(StreamCopy, WholeSourceBlocksAndCancel) {
    testsupport::TempDir dir;
    const std::string data =
        Bytes(static_cast<std::size_t>(archive::TStream32::kCopyBlock * 2 + 5));
    MemoryStream source(data);
    source.Seek(100, SeekOrigin::Begin);
    {
        archive::TFileStream32 out(keiba::PathToUtf8(dir / "copy.bin"),
                                   archive::TFileStream32::kCreate);
        int blocks = 0;
        out.OnNotify = [&](archive::TStream32&) { ++blocks; };
        // a count of 0 copies the whole source from its start
        EXPECT_EQ(out.CopyFrom(source, 0), static_cast<std::int64_t>(data.size()));
        EXPECT_EQ(blocks, 3);
    }
    EXPECT_TRUE(testsupport::Slurp(dir / "copy.bin") == data);

    MemoryStream again(data);
    archive::TFileStream32 out(keiba::PathToUtf8(dir / "cut.bin"), archive::TFileStream32::kCreate);
    bool cancel = false;
    out.CancelFlag = &cancel;
    out.OnNotify = [&](archive::TStream32& s) { cancel = s.Position() > 0; };
    EXPECT_EQ(out.CopyFrom(again, 1000000), archive::TStream32::kCopyBlock);
    // short of the bytes asked for
    const std::string tenBytes = data.substr(0, 10);
    MemoryStream small(tenBytes);
    std::string ten(20, '\0');
    EXPECT_FALSE(small.ReadExact(ten.data(), 20));
}

// At most 511 bytes, fewer where the stream ends; the positioned form moves on by the whole
// length asked for.
TEST(StreamStrings, AtMost511BytesAndThePositionMovesByTheLength) {
    const std::string data = Bytes(2000);
    struct Case {
        std::int64_t at, length;
        std::size_t read;
    };
    const Case cases[] = {
        {0, -1, 0},    {0, 0, 0},      {0, 1, 1},    {0, 510, 510},  {0, 511, 511},
        {0, 512, 511}, {7, 1500, 511}, {1990, 5, 5}, {1990, 20, 10}, {2000, 5, 0},
    };
    for (const auto& c : cases) {
        MemoryStream plain(data);
        plain.Seek(c.at, SeekOrigin::Begin);
        std::string s = archive::ReadStreamString(plain, c.length);
        EXPECT_EQ(s.size(), c.read) << c.at << " " << c.length;
        EXPECT_TRUE(s == data.substr(static_cast<std::size_t>(c.at), c.read));

        MemoryStream positioned(data);
        std::int64_t position = c.at;
        EXPECT_TRUE(archive::ReadStreamString(positioned, position, c.length) == s);
        EXPECT_EQ(position, c.at + std::max<std::int64_t>(c.length, 0));
    }
}

// A file that replaced its target while the run was cancelled calls no hook; a discarded one
// none either.
TEST(TempFileStream, CancelledOrDiscardedFilesCallNoHook) {
    testsupport::TempDir dir;
    int folder = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    const std::string big(70000, 'x');
    for (bool cancelled : {false, true}) {
        for (bool commit : {false, true}) {
            bool cancel = cancelled;
            int replaced = 0, large = 0;
            auto out = archive::TTempFileStream::Create(folder, "t.bin", -1);
            ASSERT_TRUE(out);
            out->CancelFlag = &cancel;
            out->OnAfterReplace = [&](bool sameDrive) { replaced += sameDrive ? 1 : 100; };
            out->OnLargeFile = [&] { ++large; };
            ASSERT_EQ(out->Write(big.data(), 70000), 70000);
            if (commit) {
                ASSERT_TRUE(out->Commit());
            }
            out.reset();
            bool hooks = commit && !cancelled;
            EXPECT_EQ(replaced, hooks ? 1 : 0) << cancelled << commit;
            EXPECT_EQ(large, hooks ? 1 : 0) << cancelled << commit;
        }
    }
    ::close(folder);
}
