#pragma once
// The read stream that inflates a deflated zip entry: it pulls at most the entry's compressed
// bytes from the archive, decrypts them when the entry is encrypted, and hands out the bytes
// zlib's raw inflate produced.

#include "archive/streams.h"
#include "archive/zipcrypt.h"

#include <zlib.h>

#include <cstdint>
#include <memory>

namespace archive {

class TCustomStream : public TStream32 {
public:
    static constexpr std::size_t kInputBufferSize = 0x1FFFE;
    TCustomStream(const TCustomStream&) = delete;
    TCustomStream& operator=(const TCustomStream&) = delete;

protected:
    // `inputSize` (at most kInputBufferSize) bytes of input are held at a time.
    TCustomStream(TStream32& source, std::size_t inputSize);
    ~TCustomStream() override = default;

    TStream32& source_;
    std::unique_ptr<std::uint8_t[]> input_;
    std::size_t inputSize_;
    std::int64_t sourcePos_; // where the next input read starts
    z_stream z_{};
};

class TDecompressStream : public TCustomStream {
public:
    enum class Status {
        Ok,             // more output may come
        End,            // the deflate stream ended
        InputExhausted, // the compressed bytes ran out before the end
        DataError,      // zlib refused the data
    };

    // `compressedSize` bounds every read from `source`, which stands at the entry's data.
    // With encryption code 6 the input is decrypted with the cipher's data keys as they stand.
    TDecompressStream(TStream32& source, int windowBits, int encryptionCode, ZipCipher* cipher,
                      std::int64_t compressedSize);
    ~TDecompressStream() override;

    bool Valid() const { return valid_; }
    // Fills `buffer` with up to `count` inflated bytes, reading the source in pieces of at most
    // `piece` bytes; returns the bytes produced. Status() tells why it stopped short.
    std::int64_t Read(void* buffer, std::int64_t piece, std::int64_t count);
    std::int64_t Read(void* buffer, std::int64_t count) override {
        return Read(buffer, count, count);
    }
    std::int64_t Write(const void*, std::int64_t) override { return -1; }
    // Position = inflated bytes delivered. 0 from the beginning restarts the entry; forward moves
    // read and discard; anything else leaves the position.
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;

    Status GetStatus() const { return status_; }
    bool EndOfStream() const { return status_ == Status::End; }
    std::int64_t CompressedLeft() const { return compressedLeft_; }

private:
    void Restart();

    bool valid_ = false;
    int encryption_;
    ZipCipher* cipher_;
    TSeedKeyRecord startKeys_{};
    std::int64_t startPos_;
    std::int64_t compressedTotal_;
    std::int64_t compressedLeft_;
    std::int64_t delivered_ = 0;
    Status status_ = Status::Ok;
};

} // namespace archive
