#pragma once
// One of our decoders run over a stream held in memory, with what it wrote and why it stopped.

#include "archive/codec.h"
#include "archive/streams.h"

#include <cstdint>
#include <string>
#include <utility>

namespace ziptest {

struct Collect : archive::ByteSink {
    std::string out;
    bool Put(const std::uint8_t* data, std::size_t length) override {
        out.append(reinterpret_cast<const char*>(data), length);
        return true;
    }
};

struct Outcome {
    archive::DecodeResult result;
    std::string output;
    std::string problem;
};

// `args` are what the decoder's Decode takes after the stream and the sink.
template <class Decoder, class... Args>
Outcome RunDecoder(const std::string& stream, Args&&... args) {
    archive::MemoryStream in(stream);
    Collect sink;
    Decoder d;
    archive::DecodeResult r = d.Decode(in, sink, std::forward<Args>(args)...);
    return {r, sink.out, d.Problem()};
}

} // namespace ziptest
