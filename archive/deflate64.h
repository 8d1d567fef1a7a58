#pragma once
// Deflate64 (zip method 9): deflate with a 64 KB window, length code 285 carrying 16 extra bits
// (lengths 3 to 65538) and distance codes 30 and 31 (distances up to 65536).

#include "archive/codec.h"
#include "archive/huffman.h"

#include <cstdint>
#include <string>

namespace archive {

class Deflate64Decoder {
public:
    static constexpr std::size_t kWindow = 65536;

    Deflate64Decoder();
    // Decodes the blocks of `input` into `sink`. After the last block, a stream that has not
    // produced `expected` bytes goes on with a following stream when input is left. Done means
    // a last block ended; the caller checks the size.
    DecodeResult Decode(TStream32& input, ByteSink& sink, std::int64_t expected);
    // What was wrong with the data, after BadData or Truncated.
    const std::string& Problem() const { return problem_; }

private:
    DecodeResult Stored(BitInput& in, OutputWindow& out);
    DecodeResult ReadDynamicTables(BitInput& in);
    DecodeResult Codes(BitInput& in, OutputWindow& out, const HuffmanCode& literals,
                       const HuffmanCode& distances);
    DecodeResult Fail(const char* problem);
    DecodeResult EndOfInput();

    HuffmanCode fixedLiterals_, fixedDistances_;
    HuffmanCode literals_, distances_, lengthCodes_;
    std::string problem_;
};

} // namespace archive
