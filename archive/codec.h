#pragma once
// What the zip reader's own decoders (Deflate64, Shrink, Reduce, Implode) share: the bit reader
// that is their one way into compressed bytes, the window their output and matches go through,
// the sink that takes the output, and the answer they give.

#include "archive/streams.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace archive {

// Takes a decoder's output. Put answers false to stop the decoder: the run was cancelled, a write
// failed, or the entry's declared size was passed.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual bool Put(const std::uint8_t* data, std::size_t length) = 0;
};

// The answer of a decoder. Whatever it is, the decoder read no byte beyond its input's end and
// wrote none beyond its buffers; the caller's CRC and size checks judge the output.
enum class DecodeResult {
    Done,          // the stream ended where it should: its end marker, or the declared size
    Truncated,     // the compressed data ran out first
    BadData,       // the data break the format; the decoder's Problem() says how
    StackOverflow, // (Shrink) a string longer than the code table: the codes refer in a circle
    Stopped,       // the sink refused more output
};

// Compressed bits, least significant first, over a stream read in 32 KB blocks. Every decoder
// takes its input through here and learns from each request whether the input held the bits.
class BitInput {
public:
    explicit BitInput(TStream32& source)
        : source_(source)
        , block_(std::make_unique_for_overwrite<std::uint8_t[]>(kBlock)) {}

    // Tops the buffer up to `n` bits (n <= 56); false when the input ends first (the bits that
    // were there stay). Eight bytes are taken at once where the block holds them: the bits beyond
    // Count() are then the input's next ones, loaded again, to the same places, later.
    bool Need(int n) {
        if (count_ >= n) return true;
        if (length_ - at_ >= 8) {
            std::uint64_t word;
            std::memcpy(&word, block_.get() + at_, 8);
            if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
            bits_ |= word << count_;
            at_ += static_cast<std::size_t>((63 - count_) >> 3);
            count_ |= 56;
            return true;
        }
        while (count_ < n)
            if (!LoadByte()) return false;
        return true;
    }
    int Count() const { return count_; }
    // The next `n` bits (n <= 32) without taking them; beyond Count() they are the input's next
    // bits, or zeros at its end.
    std::uint32_t Peek(int n) const {
        return static_cast<std::uint32_t>(bits_ & ((std::uint64_t{1} << n) - 1));
    }
    void Drop(int n) {
        bits_ >>= n;
        count_ -= n;
    }
    // `n` bits (n <= 32), or false when the input ends first.
    bool Bits(int n, std::uint32_t& value) {
        if (!Need(n)) return false;
        value = Peek(n);
        Drop(n);
        return true;
    }
    // Passes over the rest of the byte in hand.
    void AlignToByte() { Drop(count_ % 8); }
    // Whether any input is left, in the buffer or in the stream.
    bool HasInput() { return count_ > 0 || Need(8); }

private:
    static constexpr std::size_t kBlock = 32768;

    bool LoadByte() {
        if (at_ == length_ && !Refill()) return false;
        bits_ |= std::uint64_t{block_[at_++]} << count_;
        count_ += 8;
        return true;
    }
    bool Refill() {
        if (ended_) return false;
        std::int64_t n = source_.Read(block_.get(), static_cast<std::int64_t>(kBlock));
        at_ = 0;
        length_ = n > 0 ? static_cast<std::size_t>(n) : 0;
        ended_ = length_ == 0;
        return !ended_;
    }

    TStream32& source_;
    std::unique_ptr<std::uint8_t[]> block_;
    std::size_t at_ = 0, length_ = 0;
    bool ended_ = false;
    std::uint64_t bits_ = 0;
    int count_ = 0;
};

// The last `size` bytes of output (a power of two), for matches to copy from, passed on to the
// sink whenever the window is full and at the end. Before anything is written it holds zeros,
// so a match reaching before the start of the output copies zeros, as the legacy formats expect.
class OutputWindow {
public:
    OutputWindow(std::size_t size, ByteSink& sink)
        : buffer_(std::make_unique<std::uint8_t[]>(size))
        , size_(size)
        , sink_(sink) {}

    bool Put(std::uint8_t byte) {
        if (pending_ == size_ && !Flush()) return false;
        buffer_[position_] = byte;
        position_ = (position_ + 1) & (size_ - 1);
        ++pending_;
        ++total_;
        return true;
    }
    // `length` bytes from `distance` back (1 <= distance <= size). Pieces that do not run over
    // what they copy (distance at least the piece) move at once; nearer ones repeat byte by byte.
    bool Copy(std::size_t distance, std::size_t length) {
        const std::size_t mask = size_ - 1;
        while (length > 0) {
            if (pending_ == size_ && !Flush()) return false;
            std::size_t from = (position_ - distance) & mask;
            std::size_t n = std::min({length, size_ - pending_, size_ - position_, size_ - from});
            std::uint8_t* to = buffer_.get() + position_;
            const std::uint8_t* source = buffer_.get() + from;
            if (distance >= n) {
                std::memmove(to, source, n);
            } else {
                for (std::size_t i = 0; i < n; ++i) to[i] = source[i];
            }
            position_ = (position_ + n) & mask;
            pending_ += n;
            total_ += static_cast<std::int64_t>(n);
            length -= n;
        }
        return true;
    }
    // Hands the bytes not yet passed on to the sink.
    bool Flush();
    // Bytes written so far.
    std::int64_t Total() const { return total_; }

private:
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t size_;
    std::size_t position_ = 0; // where the next byte goes
    std::size_t pending_ = 0;  // bytes before position_ not yet passed on
    std::int64_t total_ = 0;
    bool stopped_ = false;
    ByteSink& sink_;
};

inline bool OutputWindow::Flush() {
    if (stopped_) return false;
    std::size_t start = (position_ - pending_) & (size_ - 1);
    std::size_t first = std::min(pending_, size_ - start);
    bool ok = first == 0 || sink_.Put(buffer_.get() + start, first);
    if (ok && pending_ > first) ok = sink_.Put(buffer_.get(), pending_ - first);
    pending_ = 0;
    stopped_ = !ok;
    return ok;
}

} // namespace archive
