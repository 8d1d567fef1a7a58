#include "archive/huffman.h"

namespace archive {
namespace {

std::uint32_t Reverse(std::uint32_t code, int length) {
    std::uint32_t r = 0;
    for (int i = 0; i < length; ++i, code >>= 1) r = (r << 1) | (code & 1);
    return r;
}

} // namespace

HuffmanCode::Shape HuffmanCode::Build(std::span<const std::uint8_t> lengths, int rootBits,
                                      bool inverted) {
    rootBits_ = rootBits;
    inverted_ = inverted;
    maxLength_ = 0;
    count_.fill(0);
    for (std::uint8_t len : lengths) {
        if (len > kMaxBits) return Shape::Oversubscribed;
        ++count_[len];
        if (len > maxLength_) maxLength_ = len;
    }
    count_[0] = 0;
    std::int32_t left = 1;
    for (int len = 1; len <= kMaxBits; ++len) {
        left = (left << 1) - count_[len];
        if (left < 0) return Shape::Oversubscribed;
    }
    // first code of each length, and each symbol's place in code order
    std::array<std::uint32_t, kMaxBits + 2> next{};
    std::array<std::uint16_t, kMaxBits + 2> offset{};
    for (int len = 1; len <= kMaxBits; ++len) {
        next[len + 1] = (next[len] + count_[len]) << 1;
        offset[len + 1] = static_cast<std::uint16_t>(offset[len] + count_[len]);
    }
    sorted_.assign(static_cast<std::size_t>(offset[kMaxBits + 1]), 0);
    root_.assign(std::size_t{1} << rootBits, Entry{});
    for (std::size_t sym = 0; sym < lengths.size(); ++sym) {
        int len = lengths[sym];
        if (len == 0) continue;
        sorted_[offset[len]++] = static_cast<std::uint16_t>(sym);
        std::uint32_t code = next[len]++;
        // the table is indexed by the bits as they arrive, first bit lowest
        if (len <= rootBits) {
            std::uint32_t index = Reverse(code, len);
            if (inverted) index ^= (1u << len) - 1;
            for (std::uint32_t i = index; i < root_.size(); i += 1u << len)
                root_[i] = Entry{static_cast<std::uint16_t>(sym), static_cast<std::uint8_t>(len)};
        } else {
            std::uint32_t index = Reverse(code >> (len - rootBits), rootBits);
            if (inverted) index ^= (1u << rootBits) - 1;
            root_[index] = Entry{0, kLong};
        }
    }
    if (maxLength_ == 0) return Shape::Empty;
    return left > 0 ? Shape::Incomplete : Shape::Complete;
}

// Canonical decoding one bit at a time: the codes of each length follow those of the shorter
// lengths, so a code of length n is the one whose value falls among that length's codes.
int HuffmanCode::DecodeLong(BitInput& in) const {
    std::uint32_t bits = in.Peek(maxLength_);
    int code = 0, first = 0, index = 0;
    for (int len = 1; len <= maxLength_; ++len) {
        if (len > in.Count()) return kEndOfInput;
        code |= static_cast<int>(((bits >> (len - 1)) & 1) ^ (inverted_ ? 1u : 0u));
        int count = count_[len];
        if (code - first < count) {
            in.Drop(len);
            return sorted_[static_cast<std::size_t>(index + code - first)];
        }
        index += count;
        first = (first + count) << 1;
        code <<= 1;
    }
    return kNoCode;
}

} // namespace archive
