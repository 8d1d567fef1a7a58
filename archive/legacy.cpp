#include "archive/legacy.h"

namespace archive {
namespace {

constexpr const char* kEndEarly = "the compressed data end early";

DecodeResult Short(std::string& problem) {
    problem = kEndEarly;
    return DecodeResult::Truncated;
}

} // namespace

// ---- Shrink

ShrinkDecoder::ShrinkDecoder()
    : prefix_(kCodes)
    , suffix_(kCodes)
    , children_(kCodes)
    , isFree_(kCodes) {
    stack_.reserve(kCodes);
}

DecodeResult ShrinkDecoder::Fail(const char* problem) {
    problem_ = problem;
    return DecodeResult::BadData;
}

// Frees the codes in use that no code in use extends, all at once: a code whose last child goes
// in this clear stays until the next one. The free codes are then given out lowest first.
void ShrinkDecoder::PartialClear() {
    std::vector<std::uint16_t> leaves;
    for (int c = 257; c < kCodes; ++c)
        if (!isFree_[c] && children_[c] == 0) leaves.push_back(static_cast<std::uint16_t>(c));
    for (std::uint16_t c : leaves) {
        if (prefix_[c] >= 257) --children_[static_cast<std::size_t>(prefix_[c])];
        isFree_[c] = 1;
    }
    free_.clear();
    for (int c = 257; c < kCodes; ++c)
        if (isFree_[c]) free_.push_back(static_cast<std::uint16_t>(c));
    nextFree_ = 0;
}

DecodeResult ShrinkDecoder::Decode(TStream32& input, ByteSink& sink, std::int64_t size) {
    problem_.clear();
    for (int c = 0; c < kCodes; ++c) {
        prefix_[c] = -1;
        suffix_[c] = static_cast<std::uint8_t>(c);
        children_[c] = 0;
        isFree_[c] = c > 256; // 256 is the control code, never a string
    }
    free_.clear();
    for (int c = 257; c < kCodes; ++c) free_.push_back(static_cast<std::uint16_t>(c));
    nextFree_ = 0;

    BitInput in(input);
    OutputWindow out(32768, sink);
    auto finish = [&](DecodeResult r) {
        bool flushed = out.Flush();
        return r == DecodeResult::Done && !flushed ? DecodeResult::Stopped : r;
    };
    if (size <= 0) return DecodeResult::Done;
    int codeSize = 9;
    std::uint32_t code = 0;
    if (!in.Bits(codeSize, code)) return Fail("no first code");
    if (code > 255) return Fail("the first code is no byte");
    if (!out.Put(static_cast<std::uint8_t>(code))) return finish(DecodeResult::Stopped);
    int previous = static_cast<int>(code);
    std::uint8_t previousFirst = static_cast<std::uint8_t>(code);

    while (out.Total() < size) {
        if (!in.Bits(codeSize, code)) return finish(DecodeResult::Truncated);
        if (code == 256) {
            std::uint32_t control = 0;
            if (!in.Bits(codeSize, control)) return finish(DecodeResult::Truncated);
            if (control == 1) {
                // 13 bits address every code; a wider code only comes from damaged data
                if (++codeSize > 13) return finish(Fail("code size above 13 bits"));
            } else if (control == 2) {
                PartialClear();
            } else {
                return finish(Fail("unknown control code"));
            }
            continue;
        }
        // the string of the code, last byte first; a free code stands for the previous string
        // and its own first byte (the code the encoder has just made)
        stack_.clear();
        int c = static_cast<int>(code);
        if (isFree_[static_cast<std::size_t>(c)]) {
            stack_.push_back(previousFirst);
            c = previous;
        }
        while (c > 255) {
            if (c == 256) return finish(Fail("a string contains the control code"));
            if (stack_.size() >= kCodes - 1) return finish(DecodeResult::StackOverflow);
            stack_.push_back(suffix_[static_cast<std::size_t>(c)]);
            c = prefix_[static_cast<std::size_t>(c)];
        }
        if (c < 0) return finish(Fail("a code that was never given out"));
        auto first = static_cast<std::uint8_t>(c);
        if (!out.Put(first)) return finish(DecodeResult::Stopped);
        for (auto it = stack_.rbegin(); it != stack_.rend(); ++it)
            if (!out.Put(*it)) return finish(DecodeResult::Stopped);

        if (nextFree_ < free_.size()) {
            std::uint16_t fresh = free_[nextFree_++];
            prefix_[fresh] = static_cast<std::int16_t>(previous);
            suffix_[fresh] = first;
            isFree_[fresh] = 0;
            if (previous >= 257) ++children_[static_cast<std::size_t>(previous)];
        }
        previous = static_cast<int>(code);
        previousFirst = first;
    }
    return finish(DecodeResult::Done);
}

// ---- Reduce

DecodeResult ReduceDecoder::Fail(const char* problem) {
    problem_ = problem;
    return DecodeResult::BadData;
}

DecodeResult ReduceDecoder::Decode(TStream32& input, ByteSink& sink, int factor,
                                   std::int64_t size) {
    problem_.clear();
    if (factor < 1 || factor > 4) return Fail("no such compression factor");
    BitInput in(input);
    for (int b = 255; b >= 0; --b) {
        std::uint32_t n = 0;
        if (!in.Bits(6, n)) return Short(problem_);
        if (n > 32) return Fail("a follower set of more than 32 bytes");
        counts_[static_cast<std::size_t>(b)] = static_cast<std::uint8_t>(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            std::uint32_t v = 0;
            if (!in.Bits(8, v)) return Short(problem_);
            followers_[static_cast<std::size_t>(b)][i] = static_cast<std::uint8_t>(v);
        }
    }
    OutputWindow out(8192, sink); // the format's window is 4096 bytes
    const std::uint32_t mask = 0xFFu >> factor;
    auto finish = [&](DecodeResult r) {
        bool flushed = out.Flush();
        return r == DecodeResult::Done && !flushed ? DecodeResult::Stopped : r;
    };
    std::uint8_t last = 0;
    int state = 0;
    std::uint32_t v = 0, length = 0;
    while (out.Total() < size) {
        std::uint32_t c = 0;
        std::uint8_t n = counts_[last];
        if (n == 0) {
            if (!in.Bits(8, c)) return finish(DecodeResult::Truncated);
        } else {
            std::uint32_t literal = 0;
            if (!in.Bits(1, literal)) return finish(DecodeResult::Truncated);
            if (literal) {
                if (!in.Bits(8, c)) return finish(DecodeResult::Truncated);
            } else {
                int bits = n <= 2 ? 1 : n <= 4 ? 2 : n <= 8 ? 3 : n <= 16 ? 4 : 5;
                std::uint32_t index = 0;
                if (!in.Bits(bits, index)) return finish(DecodeResult::Truncated);
                if (index >= n) return finish(Fail("a follower index beyond its set"));
                c = followers_[last][index];
            }
        }
        last = static_cast<std::uint8_t>(c);
        // byte 144 escapes a match (or, followed by 0, itself)
        bool ok = true;
        switch (state) {
        case 0:
            if (c == 144)
                state = 1;
            else
                ok = out.Put(last);
            break;
        case 1:
            if (c == 0) {
                ok = out.Put(144);
                state = 0;
            } else {
                v = c;
                length = c & mask;
                state = length == mask ? 2 : 3;
            }
            break;
        case 2:
            length += c;
            state = 3;
            break;
        default:
            ok = out.Copy(((v >> (8 - factor)) << 8) + c + 1, length + 3);
            state = 0;
            break;
        }
        if (!ok) return finish(DecodeResult::Stopped);
    }
    return finish(DecodeResult::Done);
}

// ---- Implode

DecodeResult ImplodeDecoder::Fail(const std::string& problem) {
    problem_ = problem;
    return DecodeResult::BadData;
}

// A tree is stored as a count byte (entries - 1), then one byte per run of equal lengths: the
// high nibble + 1 codes of the low nibble + 1 bits. The runs must give every code a length, and
// the lengths must make a complete code.
DecodeResult ImplodeDecoder::ReadTree(BitInput& in, std::size_t codes, int rootBits,
                                      HuffmanCode& tree, const char* name) {
    std::uint32_t entries = 0;
    if (!in.Bits(8, entries)) return Short(problem_);
    std::vector<std::uint8_t> lengths;
    lengths.reserve(codes);
    for (std::uint32_t i = 0; i <= entries; ++i) {
        std::uint32_t b = 0;
        if (!in.Bits(8, b)) return Short(problem_);
        std::size_t run = (b >> 4) + 1;
        if (lengths.size() + run > codes)
            return Fail(std::string("the ") + name + " tree has more than " +
                        std::to_string(codes) + " codes");
        lengths.insert(lengths.end(), run, static_cast<std::uint8_t>((b & 15) + 1));
    }
    if (lengths.size() != codes)
        return Fail(std::string("the ") + name + " tree has fewer than " + std::to_string(codes) +
                    " codes");
    if (tree.Build(lengths, rootBits, true) != HuffmanCode::Shape::Complete)
        return Fail(std::string("the ") + name + " tree is no complete code");
    return DecodeResult::Done;
}

DecodeResult ImplodeDecoder::Decode(TStream32& input, ByteSink& sink, std::uint16_t flags,
                                    std::int64_t size) {
    problem_.clear();
    const bool bigDictionary = flags & 2, literalTree = flags & 4;
    BitInput in(input);
    DecodeResult r = DecodeResult::Done;
    if (literalTree) r = ReadTree(in, 256, 9, literals_, "literal");
    if (r == DecodeResult::Done) r = ReadTree(in, 64, 7, lengths_, "length");
    if (r == DecodeResult::Done) r = ReadTree(in, 64, 8, distances_, "distance");
    if (r != DecodeResult::Done) return r;

    OutputWindow out(32768, sink);
    auto finish = [&](DecodeResult result) {
        bool flushed = out.Flush();
        return result == DecodeResult::Done && !flushed ? DecodeResult::Stopped : result;
    };
    auto decode = [&](const HuffmanCode& tree, std::uint32_t& value) {
        int sym = tree.Decode(in);
        value = static_cast<std::uint32_t>(sym);
        return sym;
    };
    const int lowBits = bigDictionary ? 7 : 6;
    const std::size_t minimum = literalTree ? 3 : 2;
    while (out.Total() < size) {
        std::uint32_t isLiteral = 0, value = 0;
        if (!in.Bits(1, isLiteral)) return finish(DecodeResult::Truncated);
        if (isLiteral) {
            if (literalTree) {
                if (int sym = decode(literals_, value); sym < 0)
                    return finish(sym == HuffmanCode::kEndOfInput ? DecodeResult::Truncated
                                                                  : Fail("invalid literal code"));
            } else if (!in.Bits(8, value)) {
                return finish(DecodeResult::Truncated);
            }
            if (!out.Put(static_cast<std::uint8_t>(value))) return finish(DecodeResult::Stopped);
            continue;
        }
        std::uint32_t low = 0, high = 0, length = 0;
        if (!in.Bits(lowBits, low)) return finish(DecodeResult::Truncated);
        if (int sym = decode(distances_, high); sym < 0)
            return finish(sym == HuffmanCode::kEndOfInput ? DecodeResult::Truncated
                                                          : Fail("invalid distance code"));
        if (int sym = decode(lengths_, length); sym < 0)
            return finish(sym == HuffmanCode::kEndOfInput ? DecodeResult::Truncated
                                                          : Fail("invalid length code"));
        if (length == 63) {
            std::uint32_t more = 0;
            if (!in.Bits(8, more)) return finish(DecodeResult::Truncated);
            length += more;
        }
        std::size_t distance = ((high << lowBits) | low) + 1;
        if (!out.Copy(distance, length + minimum)) return finish(DecodeResult::Stopped);
    }
    return finish(DecodeResult::Done);
}

} // namespace archive
