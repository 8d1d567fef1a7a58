#pragma once
// The read stream over a bzip2 entry (zip method 12): it pulls at most the entry's compressed
// bytes from its input, in pieces of 16384, and hands out what libbz2 makes of them.

#include "archive/streams.h"

#include <bzlib.h>

#include <cstdint>
#include <memory>
#include <stdexcept>

namespace archive {

// The texts of the failures that are the bzip2 library's, not the data's.
inline constexpr const char* kBz2MemoryText =
    "The bz2 engine have not enough memory to initialize !";
inline constexpr const char* kBz2InitText =
    "The bz2 engine reports a fatal error during initialization process !";
inline constexpr const char* kBz2FatalText =
    "The bz2 engine reports a fatal error during decompression process.";

inline constexpr const char* kBz2InvalidOperation = "Invalid stream operation";

// A request the stream cannot serve (writing, seeking backwards); its text says which.
class Ebz2libError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TBzDecompressStream : public TStream32 {
public:
    static constexpr std::int64_t kPiece = 16384;

    enum class Status {
        Ok,             // more output may come
        End,            // the bzip2 stream ended
        InputExhausted, // the compressed bytes ran out before the end
        DataError,      // the library refused the data
        MemoryError,    // the library could not get its memory
        FatalError,     // the library failed in a way the data cannot explain
    };

    // `input` stands at the entry's data; at most `compressedSize` bytes are read from it (none
    // when it is 0 or less).
    TBzDecompressStream(TStream32& input, std::int64_t compressedSize);
    ~TBzDecompressStream() override;
    TBzDecompressStream(const TBzDecompressStream&) = delete;
    TBzDecompressStream& operator=(const TBzDecompressStream&) = delete;

    // Status after the library's set-up: Ok, MemoryError or FatalError.
    Status GetStatus() const { return status_; }
    bool EndOfStream() const { return status_ == Status::End; }
    // Fills `buffer` with up to `count` decompressed bytes; fewer only when the status is no
    // longer Ok.
    std::int64_t Read(void* buffer, std::int64_t count) override;
    // The stream only reads: raises Ebz2libError "Invalid stream operation".
    std::int64_t Write(const void*, std::int64_t) override;
    // Position = bytes delivered. Only forward: from the current position by a non-negative
    // offset, or from the beginning to the current position or beyond (read and discarded);
    // any other request raises Ebz2libError "Invalid stream operation".
    std::int64_t Seek(std::int64_t offset, SeekOrigin origin) override;
    std::int64_t Consumed() const { return consumed_; }

private:
    void End();

    TStream32& input_;
    std::int64_t remaining_;
    std::int64_t consumed_ = 0;
    std::int64_t delivered_ = 0;
    bz_stream bz_{};
    bool open_ = false;
    std::unique_ptr<char[]> piece_;
    Status status_ = Status::Ok;
};

} // namespace archive
