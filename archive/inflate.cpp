#include "archive/inflate.h"

#include "archive/arcbase.h"

#include <algorithm>
#include <array>

namespace archive {

TCustomStream::TCustomStream(TStream32& source, std::size_t inputSize)
    : source_(source)
    , input_(std::make_unique_for_overwrite<std::uint8_t[]>(inputSize))
    , inputSize_(inputSize)
    , sourcePos_(source.Position()) {}

TDecompressStream::TDecompressStream(TStream32& source, int windowBits, int encryptionCode,
                                     ZipCipher* cipher, std::int64_t compressedSize)
    // a small entry needs no more input room than it has bytes
    : TCustomStream(source, static_cast<std::size_t>(std::clamp<std::int64_t>(
                                compressedSize, 1, static_cast<std::int64_t>(kInputBufferSize))))
    , encryption_(encryptionCode)
    , cipher_(cipher)
    , startPos_(sourcePos_)
    , compressedTotal_(std::max<std::int64_t>(compressedSize, 0))
    , compressedLeft_(compressedTotal_) {
    if (cipher_) startKeys_ = cipher_->data;
    valid_ = inflateInit2(&z_, windowBits) == Z_OK;
    if (!valid_) status_ = Status::DataError;
}

TDecompressStream::~TDecompressStream() {
    // give back the input that was read but not consumed
    if (z_.avail_in > 0) source_.Seek(sourcePos_ - z_.avail_in, SeekOrigin::Begin);
    if (valid_) inflateEnd(&z_);
}

// One loop over input refills and inflate calls: it stops when the buffer is full, the stream
// ends, the compressed bytes are used up, or zlib reports bad data.
std::int64_t TDecompressStream::Read(void* buffer, std::int64_t piece, std::int64_t count) {
    if (!valid_ || count <= 0 || status_ != Status::Ok) return 0;
    if (source_.Position() != sourcePos_) source_.Seek(sourcePos_, SeekOrigin::Begin);
    piece = std::clamp<std::int64_t>(piece, 1, static_cast<std::int64_t>(inputSize_));
    std::int64_t produced = 0;
    while (produced < count && status_ == Status::Ok) {
        if (z_.avail_in == 0 && compressedLeft_ > 0) {
            std::int64_t want = std::min(piece, compressedLeft_);
            std::int64_t got = source_.Read(input_.get(), want);
            if (got <= 0) {
                compressedLeft_ = 0; // the archive is shorter than the entry claims
            } else {
                sourcePos_ += got;
                compressedLeft_ -= got;
                if (encryption_ == 6 && cipher_)
                    DecryptBuffer(cipher_->data, input_.get(), static_cast<std::size_t>(got));
                z_.next_in = input_.get();
                z_.avail_in = static_cast<uInt>(got);
                if (OnNotify) OnNotify(*this);
            }
        }
        std::int64_t room = std::min<std::int64_t>(count - produced, 1 << 30);
        z_.next_out = static_cast<Bytef*>(buffer) + produced;
        z_.avail_out = static_cast<uInt>(room);
        uInt inBefore = z_.avail_in;
        int r = inflate(&z_, Z_NO_FLUSH);
        std::int64_t made = room - z_.avail_out;
        produced += made;
        if (r == Z_STREAM_END) {
            status_ = Status::End;
        } else if (r == Z_OK || r == Z_BUF_ERROR) {
            if (made == 0 && z_.avail_in == inBefore) {
                if (z_.avail_in == 0 && compressedLeft_ == 0)
                    status_ = Status::InputExhausted;
                else if (z_.avail_in != 0)
                    status_ = Status::DataError; // no progress possible
            }
        } else {
            status_ = Status::DataError;
        }
    }
    delivered_ += produced;
    return produced;
}

void TDecompressStream::Restart() {
    if (valid_) inflateReset(&z_);
    z_.avail_in = 0;
    sourcePos_ = startPos_;
    source_.Seek(startPos_, SeekOrigin::Begin);
    compressedLeft_ = compressedTotal_;
    if (cipher_) cipher_->data = startKeys_;
    delivered_ = 0;
    status_ = valid_ ? Status::Ok : Status::DataError;
}

std::int64_t TDecompressStream::Seek(std::int64_t offset, SeekOrigin origin) {
    std::int64_t target = -1;
    if (origin == SeekOrigin::Begin) {
        if (offset == 0) {
            Restart();
            return 0;
        }
        if (offset > delivered_) target = offset;
    } else if (origin == SeekOrigin::Current && offset >= 0) {
        target = delivered_ + offset;
    }
    if (target < 0) return delivered_;
    std::array<char, 4096> scrap;
    while (delivered_ < target && status_ == Status::Ok) {
        std::int64_t want = std::min<std::int64_t>(target - delivered_, scrap.size());
        if (Read(scrap.data(), want) == 0) break;
    }
    return delivered_;
}

} // namespace archive
