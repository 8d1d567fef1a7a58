#pragma once
// The one checked reader over untrusted archive bytes: every field read is bounds-checked, and a
// read past the end leaves the reader failed and yields zeros.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string_view>

namespace archive {

// A 64-bit field read as a position or a size: a value past the largest signed one reads as it.
inline std::int64_t Clamp64(std::uint64_t v) {
    return static_cast<std::int64_t>(std::min<std::uint64_t>(
        v, static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())));
}

class ByteReader {
public:
    explicit ByteReader(std::string_view data)
        : data_(data) {}
    bool Ok() const { return ok_; }
    std::size_t Position() const { return pos_; }
    std::size_t Left() const { return data_.size() - pos_; }

    std::uint8_t U8() { return static_cast<std::uint8_t>(Get(1)); }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Get(2)); }
    std::uint32_t U32() { return static_cast<std::uint32_t>(Get(4)); }
    std::uint64_t U64() { return Get(8); }
    std::string_view Bytes(std::size_t n) {
        if (!Need(n)) return {};
        std::string_view s = data_.substr(pos_, n);
        pos_ += n;
        return s;
    }
    bool Skip(std::size_t n) {
        if (!Need(n)) return false;
        pos_ += n;
        return true;
    }

private:
    bool Need(std::size_t n) {
        if (!ok_ || n > Left()) {
            ok_ = false;
            return false;
        }
        return true;
    }
    std::uint64_t Get(std::size_t n) {
        if (!Need(n)) return 0;
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < n; ++i)
            v |= static_cast<std::uint64_t>(static_cast<std::uint8_t>(data_[pos_ + i])) << (8 * i);
        pos_ += n;
        return v;
    }

    std::string_view data_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

} // namespace archive
