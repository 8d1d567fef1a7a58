// Canonical prefix codes built from code lengths: the codes of deflate's own example, codes longer
// than the table's first look-up, inverted bits, and the shapes of lengths that make no whole
// code.

#include "archive/huffman.h"

#include "archive/streams.h"
#include "tests/archive/legacywriters.h"

#include <gtest/gtest.h>

#include <vector>

using archive::HuffmanCode;

namespace {

std::vector<int> DecodeAll(const HuffmanCode& code, const std::string& bytes, int symbols) {
    archive::MemoryStream in(bytes);
    archive::BitInput bits(in);
    std::vector<int> out;
    for (int i = 0; i < symbols; ++i) out.push_back(code.Decode(bits));
    return out;
}

} // namespace

// Lengths 3 3 3 3 3 2 4 4 for A..H give F 00, A 010, B 011, C 100, D 101, E 110, G 1110,
// H 1111 (the example of RFC 1951, 3.2.2). With a first look-up of 2 bits every code but F is
// walked further.
TEST(HuffmanCode, CanonicalCodesShortestFirstThenInSymbolOrder) {
    const std::uint8_t lengths[] = {3, 3, 3, 3, 3, 2, 4, 4};
    const std::pair<int, std::pair<std::uint32_t, int>> codes[] = {
        {0, {0b010, 3}}, {1, {0b011, 3}}, {2, {0b100, 3}},  {3, {0b101, 3}},
        {4, {0b110, 3}}, {5, {0b00, 2}},  {6, {0b1110, 4}}, {7, {0b1111, 4}}};
    for (int rootBits : {2, 4, 9}) {
        for (bool inverted : {false, true}) {
            HuffmanCode code;
            ASSERT_EQ(code.Build(lengths, rootBits, inverted), HuffmanCode::Shape::Complete);
            EXPECT_EQ(code.MaxLength(), 4);
            ziptest::BitWriter w;
            std::vector<int> want;
            for (int symbol : {7, 5, 0, 6, 4, 1, 3, 2, 7, 5}) {
                const auto [c, n] = codes[symbol].second;
                w.PutCode(inverted ? ~c & ((1u << n) - 1) : c, n);
                want.push_back(symbol);
            }
            EXPECT_EQ(DecodeAll(code, w.Finish(), 10), want) << rootBits << " " << inverted;
        }
    }
}

TEST(HuffmanCode, LengthsThatMakeNoWholeCode) {
    HuffmanCode code;
    const std::uint8_t over[] = {1, 1, 1};
    EXPECT_EQ(code.Build(over, 8, false), HuffmanCode::Shape::Oversubscribed);
    const std::uint8_t none[] = {0, 0, 0};
    EXPECT_EQ(code.Build(none, 8, false), HuffmanCode::Shape::Empty);
    // 0 and 10: the bits 11 start no code
    const std::uint8_t part[] = {1, 2};
    ASSERT_EQ(code.Build(part, 1, false), HuffmanCode::Shape::Incomplete);
    ziptest::BitWriter w;
    w.PutCode(0b10, 2);
    w.PutCode(0b0, 1);
    w.PutCode(0b11, 2);
    EXPECT_EQ(DecodeAll(code, w.Finish(), 3), (std::vector<int>{1, 0, HuffmanCode::kNoCode}));
    // a code cut by the end of the input
    const std::uint8_t deep[] = {1, 3, 3, 3};
    ASSERT_EQ(code.Build(deep, 1, false), HuffmanCode::Shape::Incomplete);
    EXPECT_EQ(DecodeAll(code, std::string(), 1), std::vector<int>{HuffmanCode::kEndOfInput});
}
