#include "archive/bzip2.h"

#include <algorithm>
#include <array>
#include <climits>

namespace archive {

TBzDecompressStream::TBzDecompressStream(TStream32& input, std::int64_t compressedSize)
    : input_(input)
    , remaining_(std::max<std::int64_t>(compressedSize, 0))
    , piece_(std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(kPiece))) {
    int r = BZ2_bzDecompressInit(&bz_, 0, 0);
    open_ = r == BZ_OK;
    if (!open_) status_ = r == BZ_MEM_ERROR ? Status::MemoryError : Status::FatalError;
}

TBzDecompressStream::~TBzDecompressStream() {
    End();
}

void TBzDecompressStream::End() {
    if (open_) BZ2_bzDecompressEnd(&bz_);
    open_ = false;
}

std::int64_t TBzDecompressStream::Read(void* buffer, std::int64_t count) {
    if (status_ != Status::Ok || count <= 0) return 0;
    std::int64_t produced = 0;
    while (produced < count) {
        if (bz_.avail_in == 0 && remaining_ > 0) {
            std::int64_t got = input_.Read(piece_.get(), std::min(remaining_, kPiece));
            if (got <= 0) {
                remaining_ = 0; // the archive is shorter than the entry claims
            } else {
                remaining_ -= got;
                consumed_ += got;
                bz_.next_in = piece_.get();
                bz_.avail_in = static_cast<unsigned>(got);
            }
        }
        auto room = static_cast<unsigned>(std::min<std::int64_t>(count - produced, INT_MAX));
        bz_.next_out = static_cast<char*>(buffer) + produced;
        bz_.avail_out = room;
        unsigned inBefore = bz_.avail_in;
        int r = BZ2_bzDecompress(&bz_);
        std::int64_t made = room - bz_.avail_out;
        produced += made;
        if (r == BZ_STREAM_END) {
            status_ = Status::End;
        } else if (r == BZ_OK) {
            if (made == 0 && bz_.avail_in == inBefore) {
                // nothing left to give: the data ended before the stream did; input that the
                // library would not take: it cannot go on
                if (bz_.avail_in == 0 && remaining_ == 0)
                    status_ = Status::InputExhausted;
                else if (bz_.avail_in != 0)
                    status_ = Status::FatalError;
            }
        } else if (r == BZ_MEM_ERROR) {
            status_ = Status::MemoryError;
        } else if (r < BZ_MEM_ERROR) {
            status_ = Status::DataError; // data, magic, input-output, end and set-up errors
        } else {
            status_ = Status::FatalError;
        }
        if (status_ != Status::Ok) {
            End();
            break;
        }
    }
    delivered_ += produced;
    return produced;
}

std::int64_t TBzDecompressStream::Write(const void*, std::int64_t) {
    throw Ebz2libError(kBz2InvalidOperation);
}

std::int64_t TBzDecompressStream::Seek(std::int64_t offset, SeekOrigin origin) {
    std::int64_t target;
    if (origin == SeekOrigin::Current && offset >= 0)
        target = delivered_ + offset;
    else if (origin == SeekOrigin::Begin && offset >= delivered_)
        target = offset;
    else
        throw Ebz2libError(kBz2InvalidOperation);
    std::array<char, 16384> scrap;
    while (delivered_ < target && status_ == Status::Ok) {
        std::int64_t want = std::min<std::int64_t>(target - delivered_, scrap.size());
        if (Read(scrap.data(), want) == 0) break;
    }
    return delivered_;
}

} // namespace archive
