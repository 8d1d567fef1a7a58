#include "archive/deflate64.h"

#include <array>

namespace archive {
namespace {

constexpr std::array<std::uint16_t, 29> kLengthBase = {3,  4,  5,  6,   7,   8,   9,   10,  11, 13,
                                                       15, 17, 19, 23,  27,  31,  35,  43,  51, 59,
                                                       67, 83, 99, 115, 131, 163, 195, 227, 3};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 16};
constexpr std::array<std::uint32_t, 32> kDistanceBase = {
    1,    2,    3,    4,    5,    7,     9,     13,    17,    25,   33,
    49,   65,   97,   129,  193,  257,   385,   513,   769,   1025, 1537,
    2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577, 32769, 49153};
constexpr std::array<std::uint8_t, 32> kDistanceExtra = {0,  0,  0,  0,  1,  1,  2,  2,  3,  3, 4,
                                                         4,  5,  5,  6,  6,  7,  7,  8,  8,  9, 9,
                                                         10, 10, 11, 11, 12, 12, 13, 13, 14, 14};
constexpr std::array<std::uint8_t, 19> kCodeLengthOrder = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                           11, 4,  12, 3, 13, 2, 14, 1, 15};
constexpr int kLiteralRootBits = 10, kDistanceRootBits = 8;

// A table the data declare is usable when it is complete, or holds a single one-bit code (a
// block with one distance), or (distances only) is empty (a block of literals alone).
bool Usable(HuffmanCode::Shape shape, const HuffmanCode& code, bool emptyAllowed) {
    switch (shape) {
    case HuffmanCode::Shape::Complete: return true;
    case HuffmanCode::Shape::Incomplete: return code.MaxLength() == 1;
    case HuffmanCode::Shape::Empty: return emptyAllowed;
    case HuffmanCode::Shape::Oversubscribed: return false;
    }
    return false;
}

} // namespace

Deflate64Decoder::Deflate64Decoder() {
    std::array<std::uint8_t, 288> lit{};
    for (std::size_t i = 0; i < lit.size(); ++i)
        lit[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
    fixedLiterals_.Build(lit, kLiteralRootBits, false);
    std::array<std::uint8_t, 32> dist;
    dist.fill(5);
    fixedDistances_.Build(dist, kDistanceRootBits, false);
}

DecodeResult Deflate64Decoder::Fail(const char* problem) {
    problem_ = problem;
    return DecodeResult::BadData;
}

DecodeResult Deflate64Decoder::EndOfInput() {
    problem_ = "the compressed data end early";
    return DecodeResult::Truncated;
}

DecodeResult Deflate64Decoder::Decode(TStream32& input, ByteSink& sink, std::int64_t expected) {
    problem_.clear();
    BitInput in(input);
    OutputWindow out(kWindow, sink);
    for (;;) {
        std::uint32_t last = 0, type = 0;
        if (!in.Bits(1, last) || !in.Bits(2, type)) return EndOfInput();
        DecodeResult r;
        switch (type) {
        case 0: r = Stored(in, out); break;
        case 1: r = Codes(in, out, fixedLiterals_, fixedDistances_); break;
        case 2:
            r = ReadDynamicTables(in);
            if (r == DecodeResult::Done) r = Codes(in, out, literals_, distances_);
            break;
        default: r = Fail("invalid block type"); break;
        }
        if (r != DecodeResult::Done) {
            out.Flush();
            return r;
        }
        if (!last) continue;
        // a following stream starts on the next byte
        in.AlignToByte();
        if (out.Total() >= expected || !in.HasInput()) break;
    }
    return out.Flush() ? DecodeResult::Done : DecodeResult::Stopped;
}

DecodeResult Deflate64Decoder::Stored(BitInput& in, OutputWindow& out) {
    in.AlignToByte();
    std::uint32_t length = 0, complement = 0;
    if (!in.Bits(16, length) || !in.Bits(16, complement)) return EndOfInput();
    if ((length ^ 0xFFFF) != complement) return Fail("stored block length does not match");
    for (std::uint32_t i = 0; i < length; ++i) {
        std::uint32_t byte;
        if (!in.Bits(8, byte)) return EndOfInput();
        if (!out.Put(static_cast<std::uint8_t>(byte))) return DecodeResult::Stopped;
    }
    return DecodeResult::Done;
}

DecodeResult Deflate64Decoder::ReadDynamicTables(BitInput& in) {
    std::uint32_t hlit = 0, hdist = 0, hclen = 0;
    if (!in.Bits(5, hlit) || !in.Bits(5, hdist) || !in.Bits(4, hclen)) return EndOfInput();
    std::size_t literalCount = hlit + 257, distanceCount = hdist + 1;
    std::array<std::uint8_t, 19> codeLengths{};
    for (std::uint32_t i = 0; i < hclen + 4; ++i) {
        std::uint32_t len;
        if (!in.Bits(3, len)) return EndOfInput();
        codeLengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(len);
    }
    if (lengthCodes_.Build(codeLengths, 7, false) != HuffmanCode::Shape::Complete)
        return Fail("invalid code-length code");

    std::array<std::uint8_t, 288 + 32> lengths{};
    std::size_t n = 0, total = literalCount + distanceCount;
    while (n < total) {
        int sym = lengthCodes_.Decode(in);
        if (sym == HuffmanCode::kEndOfInput) return EndOfInput();
        if (sym < 0) return Fail("invalid code-length code");
        if (sym < 16) {
            lengths[n++] = static_cast<std::uint8_t>(sym);
            continue;
        }
        std::uint8_t value = 0;
        std::uint32_t repeat = 0;
        bool ok;
        if (sym == 16) {
            if (n == 0) return Fail("length repeat without a length before it");
            value = lengths[n - 1];
            ok = in.Bits(2, repeat);
            repeat += 3;
        } else if (sym == 17) {
            ok = in.Bits(3, repeat);
            repeat += 3;
        } else {
            ok = in.Bits(7, repeat);
            repeat += 11;
        }
        if (!ok) return EndOfInput();
        if (n + repeat > total) return Fail("code lengths run past their count");
        for (std::uint32_t i = 0; i < repeat; ++i) lengths[n++] = value;
    }
    if (lengths[256] == 0) return Fail("no end-of-block code");
    std::span<const std::uint8_t> all(lengths.data(), total);
    if (!Usable(literals_.Build(all.first(literalCount), kLiteralRootBits, false), literals_,
                false))
        return Fail("invalid literal/length code");
    if (!Usable(distances_.Build(all.subspan(literalCount), kDistanceRootBits, false), distances_,
                true))
        return Fail("invalid distance code");
    return DecodeResult::Done;
}

// The decoding loop of one block: literals into the window, matches copied from it.
DecodeResult Deflate64Decoder::Codes(BitInput& in, OutputWindow& out, const HuffmanCode& literals,
                                     const HuffmanCode& distances) {
    for (;;) {
        int sym = literals.Decode(in);
        if (sym < 256) {
            if (sym == HuffmanCode::kEndOfInput) return EndOfInput();
            if (sym < 0) return Fail("invalid literal/length code");
            if (!out.Put(static_cast<std::uint8_t>(sym))) return DecodeResult::Stopped;
            continue;
        }
        if (sym == 256) return DecodeResult::Done;
        auto li = static_cast<std::size_t>(sym - 257);
        if (li >= kLengthBase.size()) return Fail("invalid literal/length code");
        std::uint32_t extra = 0;
        if (!in.Bits(kLengthExtra[li], extra)) return EndOfInput();
        std::size_t length = kLengthBase[li] + extra;
        int dsym = distances.Decode(in);
        if (dsym == HuffmanCode::kEndOfInput) return EndOfInput();
        if (dsym < 0) return Fail("invalid distance code");
        auto di = static_cast<std::size_t>(dsym);
        if (!in.Bits(kDistanceExtra[di], extra)) return EndOfInput();
        std::size_t distance = kDistanceBase[di] + extra;
        if (static_cast<std::int64_t>(distance) > out.Total())
            return Fail("distance beyond the start of the output");
        if (!out.Copy(distance, length)) return DecodeResult::Stopped;
    }
}

} // namespace archive
