#pragma once
// The prefix-code tables of the Deflate64 and Implode decoders: canonical codes built from code
// lengths, looked up a fixed number of bits at a time, with longer codes walked bit by bit.

#include "archive/codec.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace archive {

class HuffmanCode {
public:
    static constexpr int kMaxBits = 16;

    enum class Shape {
        Complete,       // every bit string starts a code
        Incomplete,     // some bit strings are no code
        Oversubscribed, // more codes than the lengths allow: no code at all
        Empty,          // no symbol has a length
    };

    // Builds the code of `lengths` (0: the symbol has no code; at most kMaxBits). Codes are
    // assigned shortest first and, within a length, in symbol order; their bits come first bit
    // first. `inverted` complements every bit read (Implode's Shannon-Fano codes). `rootBits`
    // bits are looked up at once.
    Shape Build(std::span<const std::uint8_t> lengths, int rootBits, bool inverted);
    // The longest code's length.
    int MaxLength() const { return maxLength_; }

    // The next symbol; kNoCode for bits that start no code, kEndOfInput when the input ends
    // inside a code.
    static constexpr int kNoCode = -1, kEndOfInput = -2;
    int Decode(BitInput& in) const {
        in.Need(rootBits_ < maxLength_ ? maxLength_ : rootBits_);
        const Entry& e = root_[in.Peek(rootBits_)];
        if (e.length == kLong) return DecodeLong(in);
        if (e.length == 0) return in.Count() >= rootBits_ ? kNoCode : kEndOfInput;
        if (e.length > in.Count()) return kEndOfInput;
        in.Drop(e.length);
        return e.symbol;
    }

private:
    static constexpr std::uint8_t kLong = 0xFF; // a code longer than rootBits starts here
    struct Entry {
        std::uint16_t symbol = 0;
        std::uint8_t length = 0; // 0: no code
    };
    int DecodeLong(BitInput& in) const;

    std::vector<Entry> root_;
    int rootBits_ = 0;
    bool inverted_ = false;
    int maxLength_ = 0;
    std::array<std::uint16_t, kMaxBits + 1> count_{};
    std::vector<std::uint16_t> sorted_; // symbols in code order
};

} // namespace archive
