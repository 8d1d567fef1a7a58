#pragma once
// The older zip methods: Shrink (1, LZW with partial clearing), Reduce (2 to 5, follower sets and
// a 4 KB window) and Implode (6, Shannon-Fano trees and a 4 KB or 8 KB window). None of these
// streams marks its own end: each decoder stops at the entry's declared size.

#include "archive/codec.h"
#include "archive/huffman.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace archive {

class ShrinkDecoder {
public:
    static constexpr int kCodes = 8192;

    ShrinkDecoder();
    DecodeResult Decode(TStream32& input, ByteSink& sink, std::int64_t size);
    const std::string& Problem() const { return problem_; }

private:
    void PartialClear();
    DecodeResult Fail(const char* problem);

    // Per code: the code of its string without the last byte (-1 for the bytes 0..255), that
    // last byte, how many codes in use extend it, and whether it is free (a freed code keeps its
    // string until it is given out again).
    std::vector<std::int16_t> prefix_;
    std::vector<std::uint8_t> suffix_;
    std::vector<std::uint16_t> children_;
    std::vector<std::uint8_t> isFree_;
    std::vector<std::uint16_t> free_; // free codes, lowest first
    std::size_t nextFree_ = 0;
    std::vector<std::uint8_t> stack_;
    std::string problem_;
};

class ReduceDecoder {
public:
    // `factor` 1 to 4 (methods 2 to 5).
    DecodeResult Decode(TStream32& input, ByteSink& sink, int factor, std::int64_t size);
    const std::string& Problem() const { return problem_; }

private:
    DecodeResult Fail(const char* problem);

    std::array<std::array<std::uint8_t, 32>, 256> followers_{};
    std::array<std::uint8_t, 256> counts_{};
    std::string problem_;
};

class ImplodeDecoder {
public:
    // `flags` are the entry's general-purpose flags: bit 1 an 8 KB dictionary (else 4 KB), bit 2
    // a literal tree (else literals are stored as bytes).
    DecodeResult Decode(TStream32& input, ByteSink& sink, std::uint16_t flags, std::int64_t size);
    const std::string& Problem() const { return problem_; }

private:
    DecodeResult ReadTree(BitInput& in, std::size_t codes, int rootBits, HuffmanCode& tree,
                          const char* name);
    DecodeResult Fail(const std::string& problem);

    HuffmanCode literals_, lengths_, distances_;
    std::string problem_;
};

} // namespace archive
