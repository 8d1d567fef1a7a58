#include "members/download.h"

#include "keiba/newfile.h"

#include <curl/curl.h>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>

namespace members {
namespace {

// How often a running transfer looks at its caller, its rate and its time limit.
constexpr int kBeatMs = 100;

void GlobalInit() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The file of one download, made through keiba::NewFile in the target's folder: without a name
// while the body comes, so that a download killed midway leaves nothing, or, where the folder
// makes no such files, as a writer's temporary file, which the start-up sweep knows. It takes
// the target's place only when committed; any other end drops it.
class PartFile {
public:
    explicit PartFile(const std::filesystem::path& target) {
        std::filesystem::path dir = target.parent_path();
        if (dir.empty()) dir = ".";
        // only named through: the file is made, linked and renamed by its name in it
        dirFd_ = ::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (dirFd_ < 0) {
            error_ = errno;
            return;
        }
        using Kind = keiba::NewFile::Kind;
        const std::string name = target.filename().native();
        open_ = file_.Create(dirFd_, name, 0644, Kind::Unnamed) ||
                (keiba::NewFile::NoUnnamedFiles(errno) &&
                 file_.Create(dirFd_, name, 0644, Kind::Temporary));
        if (!open_) error_ = errno;
    }
    ~PartFile() {
        file_.Discard(); // before its folder goes
        if (dirFd_ >= 0) ::close(dirFd_);
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    bool open() const { return open_; }
    // Refuses what would take the file past `max` bytes.
    bool Write(const char* data, std::size_t n, std::int64_t max) {
        if (!open_ || failed_ || tooLarge_) return false;
        if (static_cast<std::int64_t>(n) > max - written_) {
            tooLarge_ = true;
            return false;
        }
        written_ += static_cast<std::int64_t>(n);
        // libcurl hands over up to its buffer's size at a time: large writes as they come
        while (n > 0) {
            const ssize_t w = ::write(file_.Fd(), data, n);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                failed_ = true;
                error_ = w < 0 ? errno : EIO;
                return false;
            }
            data += w;
            n -= static_cast<std::size_t>(w);
        }
        return true;
    }
    bool failed() const { return failed_; }
    bool tooLarge() const { return tooLarge_; }
    // Why the file could not be made, written or put in place (an errno value).
    int error() const { return error_; }

    // Ends the file and puts it over the target. Not synced: a download is read once, at once,
    // and a power loss costs no more than fetching it again.
    bool Commit() {
        if (file_.Replace()) return true;
        error_ = errno;
        return false;
    }

private:
    int dirFd_ = -1;
    keiba::NewFile file_;
    bool open_ = false;
    bool failed_ = false;
    bool tooLarge_ = false;
    int error_ = 0;
    std::int64_t written_ = 0;
};

// Whether a transfer comes at a usable rate: the bytes of the last `window` against the least
// that window must bring, looked at from the request on once a whole window has passed.
class RateWatch {
public:
    using Clock = std::chrono::steady_clock;
    RateWatch(Clock::time_point start, const TransferLimits& limits)
        : window_(limits.rateWindow)
        , least_(limits.minRate * limits.rateWindow.count() / 1000) {
        samples_.push_back({start, 0});
    }
    // Takes the transfer's count `done` at `now`; true when the last window brought too little.
    bool TooSlow(Clock::time_point now, std::int64_t done) {
        // a redirect starts the transfer's count afresh; this one goes on
        received_ += done >= lastDone_ ? done - lastDone_ : done;
        lastDone_ = done;
        // a fast transfer comes round far more often than the beat: one sample a beat will do
        if (now - samples_.back().at >= std::chrono::milliseconds(kBeatMs))
            samples_.push_back({now, received_});
        // the newest sample a whole window old stays: it opens the window
        while (samples_.size() > 1 && samples_[1].at <= now - window_) samples_.pop_front();
        if (now - samples_.front().at < window_) return false;
        return received_ - samples_.front().received < least_;
    }

private:
    struct Sample {
        Clock::time_point at;
        std::int64_t received;
    };
    std::chrono::milliseconds window_;
    std::int64_t least_;
    std::deque<Sample> samples_;
    std::int64_t received_ = 0, lastDone_ = 0;
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

// The cause of a failed transfer as the user reads it.
std::string TransportCause(CURLcode code) {
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY: return "会員サイトが見つかりません。";
    case CURLE_COULDNT_CONNECT: return "会員サイトに接続できません。";
    case CURLE_OPERATION_TIMEDOUT: return "会員サイトが応答しません。";
    case CURLE_TOO_MANY_REDIRECTS: return "会員サイトの転送先が多すぎます。";
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE: return "会員サイトと安全に接続できません。";
    default: return "会員サイトとの通信が途中で切れました。";
    }
}

DownloadResult Failed(std::string detail, std::string cause, long http = 0) {
    DownloadResult r = Fail(DownloadResult::Status::TransportError, std::move(detail), http);
    r.cause = std::move(cause);
    return r;
}

DownloadResult FileFailed(std::string detail, int error) {
    DownloadResult r = Fail(DownloadResult::Status::FileError, std::move(detail));
    r.fileError = error;
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
        return FileFailed("no file to write: " + std::string(std::strerror(part.error())),
                          part.error());

    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!easy || !multi) return Failed("libcurl could not start", "通信の準備ができません。");
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
    // comes, so a stop is honoured at once; the same beat watches the rate and the time limit.
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    RateWatch rate(start, limits);
    const char* timedOut = nullptr;
    const char* timedOutCause = nullptr;
    bool aborted = false;
    CURLcode code = CURLE_OK;
    for (;;) {
        int running = 0;
        CURLMcode mc = curl_multi_perform(multi.get(), &running);
        if (mc != CURLM_OK) {
            curl_multi_remove_handle(multi.get(), e);
            return Failed(curl_multi_strerror(mc), "会員サイトとの通信が途中で切れました。");
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
        if (rate.TooSlow(now, done)) {
            timedOut = "the transfer was too slow";
            timedOutCause = "会員サイトからの受信が遅すぎるため中断しました。";
            break;
        }
        if (now - start >= limits.total) {
            timedOut = "the transfer took too long";
            timedOutCause = "会員サイトからの受信に時間がかかりすぎるため中断しました。";
            break;
        }
        curl_multi_poll(multi.get(), nullptr, 0, kBeatMs, nullptr);
    }
    long http = 0;
    curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &http);
    curl_multi_remove_handle(multi.get(), e);

    if (aborted) return Fail(Status::Aborted, "stopped", http);
    if (timedOut) return Failed(timedOut, timedOutCause, http);
    if (part.tooLarge() || code == CURLE_FILESIZE_EXCEEDED)
        return Fail(Status::TooLarge, "the body went past the size limit", http);
    if (part.failed())
        return FileFailed("the downloaded data could not be written: " +
                              std::string(std::strerror(part.error())),
                          part.error());
    if (code != CURLE_OK) return Failed(curl_easy_strerror(code), TransportCause(code), http);
    if (http < 200 || http > 299) {
        DownloadResult r = Fail(Status::HttpStatus, "HTTP status " + std::to_string(http), http);
        r.cause = "会員サイトがエラーを返しました（HTTP " + std::to_string(http) + "）。";
        return r;
    }
    if (!part.Commit())
        return FileFailed("the download could not replace its target: " +
                              std::string(std::strerror(part.error())),
                          part.error());
    DownloadResult ok;
    ok.status = Status::Ok;
    ok.httpStatus = http;
    return ok;
}

} // namespace members
