#include "members/download.h"

#include "keiba/fileio.h"

#include <curl/curl.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

namespace members {
namespace {

// How often a running transfer looks at its caller, its stall and its time limit.
constexpr int kBeatMs = 100;

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The temporary file of one download; removed unless committed.
class PartFile {
public:
    explicit PartFile(const std::filesystem::path& target)
        : target_(target) {
        // Named as the writers' temporary files are, so a start-up sweep removes what a
        // download killed midway leaves.
        fd_ = keiba::CreateTempFile(target, &path_);
        if (fd_ >= 0) {
            created_ = true;
            file_ = ::fdopen(fd_, "wb");
            if (!file_) {
                ::close(fd_);
            } else {
                // Large writes: a past-data archive is tens of megabytes.
                std::setvbuf(file_, nullptr, _IOFBF, 1 << 18);
            }
        }
    }
    ~PartFile() {
        if (file_) std::fclose(file_);
        if (created_ && !committed_) ::unlink(path_.c_str());
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool open() const { return file_ != nullptr; }
    // Refuses what would take the file past `max` bytes.
    bool Write(const char* data, std::size_t n, std::int64_t max) {
        if (!file_ || failed_ || tooLarge_) return false;
        if (static_cast<std::int64_t>(n) > max - written_) {
            tooLarge_ = true;
            return false;
        }
        if (std::fwrite(data, 1, n, file_) != n) failed_ = true;
        written_ += static_cast<std::int64_t>(n);
        return !failed_;
    }
    bool failed() const { return failed_; }
    bool tooLarge() const { return tooLarge_; }

    // Closes the file and renames it over the target. Not synced: a download is read once, at
    // once, and a power loss costs no more than fetching it again.
    bool Commit() {
        FILE* f = file_;
        file_ = nullptr;
        bool ok = std::fflush(f) == 0;
        ok = std::fclose(f) == 0 && ok;
        if (!ok) return false;
        if (::rename(path_.c_str(), target_.c_str()) != 0) return false;
        committed_ = true;
        return true;
    }

private:
    std::filesystem::path target_, path_;
    int fd_ = -1;
    FILE* file_ = nullptr;
    bool created_ = false;
    bool failed_ = false;
    bool tooLarge_ = false;
    std::int64_t written_ = 0;
    bool committed_ = false;
};

struct Body {
    PartFile& part;
    std::int64_t maxBytes;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* body = static_cast<Body*>(user);
    std::size_t n = size * count;
    return body->part.Write(data, n, body->maxBytes) ? n : 0;
}

struct EasyDeleter {
    void operator()(CURL* e) const { curl_easy_cleanup(e); }
};
struct MultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};
struct SlistDeleter {
    void operator()(curl_slist* s) const { curl_slist_free_all(s); }
};

DownloadResult Fail(DownloadResult::Status status, std::string detail, long http = 0) {
    DownloadResult r;
    r.status = status;
    r.detail = std::move(detail);
    r.httpStatus = http;
    return r;
}

} // namespace

int GaugePercent(std::int64_t done, std::int64_t total) {
    if (done <= 0) return 0;
    if (total <= 0) return -1;
    if (done >= total) return 100;
    return static_cast<int>((done * 100 + total / 2) / total);
}

DownloadResult DownloadUrlToFile(const std::string& url, const std::filesystem::path& target,
                                 const ProgressFn& progress, const TransferLimits& limits) {
    using Status = DownloadResult::Status;
    GlobalInit();
    PartFile part(target);
    if (!part.open())
        return Fail(Status::FileError, "no temporary file: " + std::string(std::strerror(errno)));

    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi) return Fail(Status::TransportError, "libcurl could not start");
    CURL* e = easy.get();
    // Every download asks the site afresh, past any cache between.
    std::unique_ptr<curl_slist, SlistDeleter> headers(
        curl_slist_append(nullptr, "Cache-Control: no-cache"));
    headers.reset(curl_slist_append(headers.release(), "Pragma: no-cache"));

    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, limits.maxRedirects);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connect.count()));
    curl_easy_setopt(e, CURLOPT_USERAGENT, "kestrane");
    curl_easy_setopt(e, CURLOPT_BUFFERSIZE, 256L * 1024);
    // an announced size past the limit is refused before the body comes
    curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
    Body body{part, limits.maxBytes};
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &WriteBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &body);
    curl_multi_add_handle(multi.get(), e);

    // The multi interface lets the caller's callback run on a short beat even while no data
    // comes, so a stop is honoured at once; the same beat watches for a stall and the time limit.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::time_point markTime = start;
    curl_off_t markBytes = 0;
    const char* timedOut = nullptr;
    bool aborted = false;
    CURLcode code = CURLE_OK;
    for (;;) {
        int running = 0;
        CURLMcode mc = curl_multi_perform(multi.get(), &running);
        if (mc != CURLM_OK) {
            curl_multi_remove_handle(multi.get(), e);
            return Fail(Status::TransportError, curl_multi_strerror(mc));
        }
        curl_off_t done = 0;
        curl_easy_getinfo(e, CURLINFO_SIZE_DOWNLOAD_T, &done);
        if (progress) {
            curl_off_t total = -1;
            curl_easy_getinfo(e, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &total);
            if (!progress(done, total > 0 ? total : 0)) {
                aborted = true;
                break;
            }
        }
        if (running == 0) {
            int left = 0;
            while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left))
                if (msg->msg == CURLMSG_DONE) code = msg->data.result;
            break;
        }
        const Clock::time_point now = Clock::now();
        markBytes = std::min(markBytes, done); // a redirect starts its count afresh
        if (done - markBytes >= limits.stallBytes) {
            markTime = now;
            markBytes = done;
        } else if (now - markTime >= limits.stallTime) {
            timedOut = "the transfer stalled";
            break;
        }
        if (now - start >= limits.total) {
            timedOut = "the transfer took too long";
            break;
        }
        curl_multi_poll(multi.get(), nullptr, 0, kBeatMs, nullptr);
    }
    long http = 0;
    curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &http);
    curl_multi_remove_handle(multi.get(), e);

    if (aborted) return Fail(Status::Aborted, "stopped", http);
    if (timedOut) return Fail(Status::TransportError, timedOut, http);
    if (part.tooLarge() || code == CURLE_FILESIZE_EXCEEDED)
        return Fail(Status::TooLarge, "the body went past the size limit", http);
    if (part.failed()) return Fail(Status::FileError, "the downloaded data could not be written");
    if (code != CURLE_OK) return Fail(Status::TransportError, curl_easy_strerror(code), http);
    if (http < 200 || http > 299)
        return Fail(Status::HttpStatus, "HTTP status " + std::to_string(http), http);
    if (!part.Commit()) return Fail(Status::FileError, "the download could not replace its target");
    DownloadResult ok;
    ok.status = Status::Ok;
    ok.httpStatus = http;
    return ok;
}

} // namespace members
