#pragma once
// Downloads a URL to a file over libcurl. The body streams to a new file in the target's folder
// (a keiba::NewFile), which replaces the target only when the transfer ended well with a 2xx
// status; any other end drops it, so a failed or stopped download leaves the target as it was
// and nothing partial under its name.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace members {

struct TransferLimits {
    std::chrono::milliseconds connect{15000};
    // A transfer is too slow to be of use when any `rateWindow`, from the request on, brings
    // less than `minRate` bytes a second: a server that trickles, or sends a little now and then,
    // holds nobody for long.
    std::int64_t minRate = 4096;
    std::chrono::milliseconds rateWindow{30000};
    // No download takes longer than this, however steadily it comes.
    std::chrono::milliseconds total{std::chrono::minutes(10)};
    long maxRedirects = 5;
    // No download is larger than this: a server that never stops sending does not fill the
    // disk. The largest real archive (a year of past data) is some tens of megabytes.
    std::int64_t maxBytes = std::int64_t{1} << 30;
};

// Called while the transfer runs, every tenth of a second also while no data comes: bytes
// received so far and the total the server announced (0 when it did not). Returning false stops
// the transfer.
using ProgressFn = std::function<bool(std::int64_t done, std::int64_t total)>;

struct DownloadResult {
    enum class Status {
        Ok,             // 2xx, the target replaced
        HttpStatus,     // the server answered with another status
        TransportError, // no answer, a dropped connection, a transfer too slow or past the time
                        // limit, too many redirects
        FileError,      // the file could not be made, written or put in place
        TooLarge,       // the body went past the size limit
        Aborted,        // the progress callback stopped it
    };
    Status status = Status::TransportError;
    long httpStatus = 0;
    // The system's cause (an errno value) of a FileError.
    int fileError = 0;
    // What went wrong, for a developer; never the URL (its query holds the password).
    std::string detail;
    // Why, as the user is told it (UTF-8, one sentence): set for an answer the server did not
    // give, a connection lost or refused, and a status other than success.
    std::string cause;
    bool ok() const { return status == Status::Ok; }
};

DownloadResult DownloadUrlToFile(const std::string& url, const std::filesystem::path& target,
                                 const ProgressFn& progress = {},
                                 const TransferLimits& limits = {});

// Gauge position of `done` of `total` bytes: done x 100 / total to the nearest whole number,
// halves up; 0 before the first byte, -1 after it when the total is not known.
int GaugePercent(std::int64_t done, std::int64_t total);

} // namespace members
