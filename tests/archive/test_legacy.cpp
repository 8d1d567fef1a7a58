// The legacy decoders (Shrink, Reduce, Implode): streams built bit by bit whose output is worked
// out by hand, damaged streams, and round trips through the small writers of
// tests/archive/legacywriters.h, which Info-ZIP's unzip checks where it reads the method.

#include "archive/legacy.h"
#include "archive/unzip.h"
#include "keiba/fileio.h"
#include "tests/archive/decoderun.h"
#include "tests/archive/legacywriters.h"
#include "tests/archive/zipbuilder.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

using namespace archive;
using ziptest::BitWriter;
using ziptest::Outcome;
namespace fs = std::filesystem;

namespace {

Outcome Unshrink(const std::string& stream, std::int64_t size) {
    return ziptest::RunDecoder<ShrinkDecoder>(stream, size);
}
Outcome Unreduce(const std::string& stream, int factor, std::int64_t size) {
    return ziptest::RunDecoder<ReduceDecoder>(stream, factor, size);
}
Outcome Explode(const std::string& stream, std::uint16_t flags, std::int64_t size) {
    return ziptest::RunDecoder<ImplodeDecoder>(stream, flags, size);
}

// Text with repeats near and far, and every byte value somewhere.
std::string Sample(std::size_t size, unsigned seed) {
    std::string s;
    std::uint32_t x = seed;
    while (s.size() < size) {
        x = x * 1103515245u + 12345u;
        if (x % 7 == 0 && s.size() > 300)
            s += s.substr(s.size() - 1 - (x >> 8) % 300, 4 + (x >> 20) % 60);
        else if (x % 5 == 0)
            s += static_cast<char>(x >> 24);
        else
            s += "RA2024" + std::to_string(x % 97) + (x % 3 ? "\x90" : " ");
    }
    s.resize(size);
    return s;
}

// Enough distinct strings to fill the Shrink table (and clear it) and grow its codes to 13 bits.
std::string Noise(std::size_t size) {
    std::string s;
    for (std::uint32_t x = 3; s.size() < size; x = x * 69069u + 1) s += "abcd"[x >> 30];
    return s;
}

// Shrink codes of 9 bits.
std::string Codes9(std::initializer_list<int> codes) {
    BitWriter w;
    for (int c : codes) w.Put(static_cast<std::uint32_t>(c), 9);
    return w.Finish();
}

// An Implode tree of the given runs.
std::string Tree(std::initializer_list<int> runs) {
    BitWriter w;
    w.Byte(static_cast<std::uint8_t>(runs.size() - 1));
    for (int r : runs) w.Byte(static_cast<std::uint8_t>(r));
    return w.Finish();
}

bool HaveUnzip() {
    return std::system("command -v unzip >/dev/null 2>&1") == 0;
}

} // namespace

// "ABABABA" as 65 66 257 259: 259 is the code the decoder makes from that very string.
TEST(ShrinkDecoder, TheCodeJustMadeAndPartialClearing) {
    Outcome o = Unshrink(Codes9({65, 66, 257, 259}), 7);
    EXPECT_EQ(o.result, DecodeResult::Done);
    EXPECT_EQ(o.output, "ABABABA");

    // Codes made: 257 AB, 258 BC, 259 CA, 260 ABC, 261 CAA. The clear frees the codes no code
    // extends (258, 260, 261; 257 and 259 have children), and the next ones made take them
    // lowest first: 258 ABB, 260 BA.
    o = Unshrink(Codes9({65, 66, 67, 257, 259, 257, 256, 2, 66, 258, 260}), 15);
    EXPECT_EQ(o.result, DecodeResult::Done);
    EXPECT_EQ(o.output, "ABCABCAABBABBBA");

    // the code size grows when asked: then 10-bit codes
    BitWriter g;
    g.Put(65, 9);
    g.Put(256, 9);
    g.Put(1, 9);
    g.Put(66, 10);
    g.Put(257, 10);
    o = Unshrink(g.Finish(), 4);
    EXPECT_EQ(o.output, "ABAB");
}

TEST(ShrinkDecoder, DamagedStreams) {
    EXPECT_EQ(Unshrink(Codes9({65, 256, 3}), 10).result, DecodeResult::BadData);
    EXPECT_EQ(Unshrink(Codes9({300}), 10).result, DecodeResult::BadData);
    EXPECT_EQ(Unshrink("", 10).result, DecodeResult::BadData);
    EXPECT_EQ(Unshrink(Codes9({65, 66}), 10).result, DecodeResult::Truncated);
    // 258 stands for "aa" and is not made; 258 is then made from itself and sent: a circle
    Outcome circle = Unshrink(Codes9({97, 258, 97, 258}), 100);
    EXPECT_EQ(circle.result, DecodeResult::StackOverflow);
    EXPECT_EQ(circle.output, "aaaa");
}

// Follower sets: byte 0's set holds "x", the others are empty. Then "x", "a", "b", "c", 144 0
// (a 144), 144 2 3 (5 bytes from 4 back), 144 127 10 0 (127 + 10 + 3 = 140 bytes from 1 back).
TEST(ReduceDecoder, FollowerSetsEscapesAndMatches) {
    BitWriter w;
    for (int b = 255; b >= 1; --b) w.Put(0, 6);
    w.Put(1, 6);
    w.Put('x', 8);
    w.Put(0, 1); // last byte 0: from the set, index 0
    w.Put(0, 1);
    for (int b : {int{'a'}, int{'b'}, int{'c'}, 144, 0})
        w.Put(b, 8); // after 'x' (empty set): plain bytes
    w.Put(1, 1);     // last byte 0 again: a byte outside the set
    w.Put(144, 8);
    for (int b : {2, 3, 144, 127, 10, 0}) w.Put(b, 8);
    Outcome o = Unreduce(w.Finish(), 1, 150);
    EXPECT_EQ(o.result, DecodeResult::Done) << o.problem;
    EXPECT_EQ(o.output, "xabc\x90" + std::string("abc\x90") + "a" + std::string(140, 'a'));
}

TEST(ReduceDecoder, DamagedStreams) {
    BitWriter big;
    big.Put(33, 6);
    EXPECT_EQ(Unreduce(big.Finish(), 2, 10).result, DecodeResult::BadData);

    BitWriter index; // byte 0's set has three bytes, and index 3 is asked for
    for (int b = 255; b >= 1; --b) index.Put(0, 6);
    index.Put(3, 6);
    for (int b : {'a', 'b', 'c'}) index.Put(b, 8);
    index.Put(0, 1);
    index.Put(3, 2);
    EXPECT_EQ(Unreduce(index.Finish(), 2, 10).result, DecodeResult::BadData);

    std::string data = Sample(3000, 4);
    std::string packed = ziptest::Reduce(data, 3);
    Outcome cut = Unreduce(packed.substr(0, packed.size() / 2), 3, 3000);
    EXPECT_EQ(cut.result, DecodeResult::Truncated);
    EXPECT_EQ(cut.output, data.substr(0, cut.output.size()));
}

TEST(ImplodeDecoder, MatchesBeforeTheStartCopyZeros) {
    std::vector<ziptest::ImplodeToken> tokens = {{0, 0, 'x'}, {4, 5, 0}, {3, 1, 0}};
    Outcome o = Explode(ziptest::Implode(tokens, 0), 0, 8);
    EXPECT_EQ(o.result, DecodeResult::Done) << o.problem;
    EXPECT_EQ(o.output, std::string("x\0\0\0\0\0\0\0", 8));
}

TEST(ImplodeDecoder, DamagedTreesAndCutStreams) {
    // 63 codes of 6 bits; 16 + 16 + 16 + 16 + 1 codes; 64 codes of 7 bits (half a code)
    const std::string lengthTrees[] = {Tree({0xF5, 0xF5, 0xF5, 0xE5}),
                                       Tree({0xF5, 0xF5, 0xF5, 0xF5, 0x05}),
                                       Tree({0xF6, 0xF6, 0xF6, 0xF6})};
    for (const std::string& t : lengthTrees)
        EXPECT_EQ(Explode(t + Tree({0xF5, 0xF5, 0xF5, 0xF5}), 0, 10).result, DecodeResult::BadData);

    std::string data = Sample(6000, 2);
    std::string packed = ziptest::Implode(ziptest::ImplodeTokens(data, 6), 6);
    Outcome cut = Explode(packed.substr(0, packed.size() - 200), 6, 6000);
    EXPECT_EQ(cut.result, DecodeResult::Truncated);
    EXPECT_EQ(cut.output, data.substr(0, cut.output.size()));
}

// More than 200,000 compressed bytes: noise as literals, and every thousand bytes a match from
// up to 8 KB back; with and without the literal tree.
TEST(ImplodeDecoder, EntriesOfMoreThan200000CompressedBytes) {
    for (std::uint16_t flags : {2, 6}) {
        std::vector<ziptest::ImplodeToken> tokens;
        std::string data;
        std::uint32_t x = 9;
        while (data.size() < 240000) {
            x = x * 1103515245u + 12345u;
            if (data.size() > 8192 && tokens.size() % 1000 == 0) {
                ziptest::ImplodeToken t;
                t.length = 3 + x % 200;
                t.distance = 1 + (x >> 8) % 8192;
                for (std::size_t i = 0; i < t.length; ++i) data += data[data.size() - t.distance];
                tokens.push_back(t);
            } else {
                ziptest::ImplodeToken t;
                t.literal = static_cast<std::uint8_t>(x >> 24);
                data += static_cast<char>(t.literal);
                tokens.push_back(t);
            }
        }
        std::string packed = ziptest::Implode(tokens, flags);
        ASSERT_GT(packed.size(), 200000u) << flags;
        Outcome o = Explode(packed, flags, static_cast<std::int64_t>(data.size()));
        EXPECT_EQ(o.result, DecodeResult::Done) << flags << " " << o.problem;
        EXPECT_TRUE(o.output == data) << flags;
    }
}

namespace {

ziptest::Item Entry(std::string name, const std::string& plain, int method, std::string payload,
                    std::uint16_t flags = 0) {
    auto it = ziptest::File(std::move(name), plain, method, flags);
    it.payload = std::move(payload);
    return it;
}

// The entries of the small writers that Info-ZIP's unzip can read (Shrink and Implode, not
// Reduce), with the hand-made streams of the tests above.
std::vector<ziptest::Item> UnzipReadableEntries() {
    std::string data = Sample(7000, 11);
    std::string noise = Noise(80000);
    std::vector<ziptest::Item> checked = {
        Entry("shrunk.txt", data, 1, ziptest::Shrink(data, 40)),
        Entry("shrunk_full.txt", noise, 1, ziptest::Shrink(noise)),
    };
    for (std::uint16_t flags : {0, 2, 4, 6})
        checked.push_back(Entry("imploded" + std::to_string(flags) + ".txt", data, 6,
                                ziptest::Implode(ziptest::ImplodeTokens(data, flags), flags),
                                flags));
    checked.push_back(Entry("kwk.txt", "ABABABA", 1, Codes9({65, 66, 257, 259})));
    checked.push_back(Entry("cleared.txt", "ABCABCAABBABBBA", 1,
                            Codes9({65, 66, 67, 257, 259, 257, 256, 2, 66, 258, 260})));
    checked.push_back(Entry("zeros.bin", std::string("x\0\0\0\0\0\0\0", 8), 6,
                            ziptest::Implode({{0, 0, 'x'}, {4, 5, 0}, {3, 1, 0}}, 0)));
    return checked;
}

} // namespace

// Info-ZIP's unzip, as a reader written by others, must find the writers' entries whole.
TEST(LegacyWriters, UnzipAcceptsTheWritersEntries) {
    if (!HaveUnzip()) GTEST_SKIP() << "unzip is not installed: the cross-check did not run";
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir / "legacy.zip", ziptest::Build(UnzipReadableEntries()));
    EXPECT_EQ(std::system(("unzip -tqq '" + (dir / "legacy.zip").string() + "'").c_str()), 0);
}

// Every entry of the writers comes out as it went in.
TEST(LegacyWriters, ArchivesOfEveryMethodWeExtract) {
    testsupport::TempDir dir;
    std::string data = Sample(7000, 11);
    std::vector<ziptest::Item> all = UnzipReadableEntries();
    for (int f = 1; f <= 4; ++f)
        all.push_back(
            Entry("reduced" + std::to_string(f) + ".txt", data, f + 1, ziptest::Reduce(data, f)));
    testsupport::WriteBytes(dir / "all.zip", ziptest::Build(all));
    TUnZip z;
    std::vector<int> errors;
    z.OnError = [&](TZipCommon&, const std::string&, const std::string&, const std::string&,
                    int code) { errors.push_back(code); };
    z.SetArchiveFile(keiba::PathToUtf8(dir / "all.zip"));
    z.SetExtractDir(keiba::PathToUtf8(dir / "out"));
    z.SetFileSpec({"*"});
    EXPECT_EQ(z.ExtractArchive(), static_cast<int>(all.size()));
    EXPECT_TRUE(errors.empty());
    for (const auto& it : all)
        EXPECT_EQ(testsupport::Slurp(dir / "out" / it.name), it.data) << it.name;
}

// A damaged legacy entry gives its message, keeps the good file it would replace, and the
// entries after it are extracted.
TEST(LegacyWriters, DamagedEntriesFailAloneWithTheirMessages) {
    testsupport::TempDir dir;
    std::string data = Sample(5000, 5);
    // a length tree of 64 codes of 7 bits: half a code
    std::string badTree = Tree({0xF6, 0xF6, 0xF6, 0xF6}) + Tree({0xF5, 0xF5, 0xF5, 0xF5}) + data;
    std::string reduced = ziptest::Reduce(data, 2);
    std::vector<ziptest::Item> items = {
        Entry("a.txt", data, 1, Codes9({65, 256, 7})),
        Entry("b.txt", data, 6, badTree, 2),
        Entry("c.txt", data, 3, reduced.substr(0, reduced.size() / 3)),
        Entry("d.txt", data, 1, ziptest::Shrink(data)),
    };
    testsupport::WriteBytes(dir / "d.zip", ziptest::Build(items));
    fs::create_directories(dir / "out");
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        testsupport::WriteBytes(dir / "out" / name, "GOOD");
    TUnZip z;
    std::vector<std::pair<int, std::string>> errors;
    z.OnError = [&](TZipCommon&, const std::string& name, const std::string& text,
                    const std::string&, int code) {
        errors.emplace_back(code, fs::path(name).filename().string() + ": " + text);
    };
    z.SetArchiveFile(keiba::PathToUtf8(dir / "d.zip"));
    z.SetExtractDir(keiba::PathToUtf8(dir / "out"));
    z.SetFileSpec({"*"});
    EXPECT_EQ(z.ExtractArchive(), 1);
    const std::vector<std::pair<int, std::string>> expected = {
        {kMsgBadBlock, "a.txt: unknown control code"},
        {kMsgCrcError, "a.txt: unknown control code"},
        {kMsgCrcError, "b.txt: the length tree is no complete code"},
        {kMsgCrcError, "c.txt: the compressed data end early"},
    };
    EXPECT_EQ(errors, expected);
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        EXPECT_EQ(testsupport::Slurp(dir / "out" / name), "GOOD") << name;
    EXPECT_EQ(testsupport::Slurp(dir / "out/d.txt"), data);
}
