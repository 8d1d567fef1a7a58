// The Deflate64 decoder: streams built bit by bit whose output is worked out by hand, and damaged
// streams that end with their problem.

#include "archive/deflate64.h"
#include "tests/archive/decoderun.h"
#include "tests/archive/legacywriters.h"

#include <gtest/gtest.h>

#include <functional>

using namespace archive;
using ziptest::BitWriter;
using ziptest::Outcome;

namespace {

Outcome Deflate64(const std::string& stream, std::int64_t expected) {
    return ziptest::RunDecoder<Deflate64Decoder>(stream, expected);
}

// The fixed Huffman codes of deflate.
void FixedLiteral(BitWriter& w, int sym) {
    if (sym < 144)
        w.PutCode(0x30 + sym, 8);
    else if (sym < 256)
        w.PutCode(0x190 + sym - 144, 9);
    else if (sym < 280)
        w.PutCode(sym - 256, 7);
    else
        w.PutCode(0xC0 + sym - 280, 8);
}

} // namespace

// Three stored blocks fill the 64 KB window; a fixed block then copies 300 bytes from 65536 back
// with length code 285 (16 extra bits: 297) and distance code 31 (14 extra bits: 16383).
TEST(Deflate64Decoder, SixteenBitLengthsAndTheWholeWindowAsDistance) {
    std::string pattern;
    for (int i = 0; i < 65536; ++i) pattern += static_cast<char>((i * 7 + i / 251) & 0xFF);
    BitWriter w;
    for (std::size_t at = 0; at < pattern.size();) {
        std::size_t n = std::min<std::size_t>(65535, pattern.size() - at);
        w.Put(0, 1);
        w.Put(0, 2);
        w.AlignToByte();
        w.Put(static_cast<std::uint32_t>(n), 16);
        w.Put(static_cast<std::uint32_t>(n ^ 0xFFFF), 16);
        for (std::size_t i = 0; i < n; ++i) w.Byte(static_cast<std::uint8_t>(pattern[at + i]));
        at += n;
    }
    w.Put(1, 1);
    w.Put(1, 2);
    FixedLiteral(w, 285);
    w.Put(297, 16);
    w.PutCode(31, 5);
    w.Put(16383, 14);
    FixedLiteral(w, 'z');
    FixedLiteral(w, 256);
    Outcome o = Deflate64(w.Finish(), 65536 + 301);
    EXPECT_EQ(o.result, DecodeResult::Done) << o.problem;
    EXPECT_EQ(o.output, pattern + pattern.substr(0, 300) + "z");
}

TEST(Deflate64Decoder, DamagedStreamsEndWithTheirProblem) {
    struct Case {
        const char* name;
        std::function<void(BitWriter&)> bits;
        DecodeResult result;
    };
    const Case cases[] = {
        {"block type 3", [](BitWriter& w) { w.Put(7, 3); }, DecodeResult::BadData},
        {"stored length without its complement",
         [](BitWriter& w) {
             w.Put(1, 3);
             w.AlignToByte();
             w.Put(5, 16);
             w.Put(5, 16);
         },
         DecodeResult::BadData},
        {"distance before the start",
         [](BitWriter& w) {
             w.Put(1, 1);
             w.Put(1, 2);
             FixedLiteral(w, 'a');
             FixedLiteral(w, 257); // length 3
             w.PutCode(1, 5);      // distance 2
         },
         DecodeResult::BadData},
        {"length code 286",
         [](BitWriter& w) {
             w.Put(3, 3);
             FixedLiteral(w, 'a');
             FixedLiteral(w, 286);
         },
         DecodeResult::BadData},
        {"oversubscribed code-length code",
         [](BitWriter& w) {
             w.Put(1, 1);
             w.Put(2, 2);
             w.Put(0, 5);
             w.Put(0, 5);
             w.Put(0, 4);
             for (int i = 0; i < 4; ++i) w.Put(1, 3); // four codes of one bit
         },
         DecodeResult::BadData},
        {"no end-of-block code",
         [](BitWriter& w) {
             w.Put(1, 1);
             w.Put(2, 2);
             w.Put(0, 5);  // 257 literal/length codes
             w.Put(0, 5);  // 1 distance code
             w.Put(14, 4); // 18 code-length codes: up to symbol 1
             for (int i = 0; i < 18; ++i) w.Put(i == 2 || i == 17 ? 1 : 0, 3);
             // symbol 1 has code 0, symbol 18 code 1: zeros for all 258 lengths
             w.PutCode(1, 1);
             w.Put(127, 7);
             w.PutCode(1, 1);
             w.Put(109, 7);
         },
         DecodeResult::BadData},
        {"a block cut short",
         [](BitWriter& w) {
             w.Put(1, 1);
             w.Put(1, 2);
             FixedLiteral(w, 'a');
         },
         DecodeResult::Truncated},
        {"nothing at all", [](BitWriter&) {}, DecodeResult::Truncated},
    };
    for (const Case& c : cases) {
        BitWriter w;
        c.bits(w);
        Outcome o = Deflate64(w.Finish(), 100);
        EXPECT_EQ(o.result, c.result) << c.name;
        EXPECT_FALSE(o.problem.empty()) << c.name;
    }
}
