// The replay of a feed folder: stored files for JVOpen, real-time files for JVRTOpen, and
// results injected from the feed's configuration file.

#include "jvdata/jvlink.h"

#include "jvdata/records.h"
#include "keiba/fileio.h"
#include "keiba/sjis.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <system_error>
#include <vector>

namespace jvdata {
namespace {

namespace fs = std::filesystem;

// What the operations that read the feed's settings answer when those cannot be read.
constexpr int kInternalError = -401;

// An error that says nothing is there, rather than that what is there cannot be looked at.
bool Absent(const std::error_code& ec) {
    return !ec || ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory;
}

struct FeedConfig {
    bool present = true;
    bool unreadable = false; // the file is there but cannot be read: nothing it says is known
    std::string version = "0490";
    int download = 0;
    int readAfter = 0;
    std::map<std::string, int, std::less<>> forced;

    std::optional<int> Forced(std::string_view op) const {
        auto it = forced.find(op);
        if (it == forced.end()) return std::nullopt;
        return it->second;
    }
};

FeedConfig ReadConfig(const fs::path& feed) {
    FeedConfig c;
    // The failure goes to the error log with its cause.
    keiba::FileRead file = keiba::ReadFileOrMissing(feed / std::string(kFeedConfigName));
    c.unreadable = !file.read;
    if (!file.bytes) return c;
    std::string_view rest = *file.bytes;
    while (!rest.empty()) {
        std::size_t nl = rest.find('\n');
        std::string_view line = rest.substr(0, nl);
        rest = nl == std::string_view::npos ? std::string_view() : rest.substr(nl + 1);
        line = keiba::TrimBlanks(line);
        if (!line.empty() && line.back() == '\r')
            line = keiba::TrimBlanks(line.substr(0, line.size() - 1));
        if (line.empty() || line.front() == '#') continue;
        std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string key(keiba::TrimBlanks(line.substr(0, eq)));
        std::string_view value = keiba::TrimBlanks(line.substr(eq + 1));
        std::optional<std::int64_t> n = keiba::StrictInteger(value);
        if (key == "version") {
            c.version = std::string(value);
        } else if (key == "present") {
            c.present = !n || *n != 0;
        } else if (key == "download") {
            c.download = n ? static_cast<int>(std::max<std::int64_t>(0, *n)) : 0;
        } else if (key == "JVReadAfter") {
            c.readAfter = n ? static_cast<int>(std::max<std::int64_t>(0, *n)) : 0;
        } else if (n) {
            c.forced[key] = static_cast<int>(*n);
        }
    }
    return c;
}

bool IsAlnum(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s) {
        bool ok = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!ok) return false;
    }
    return true;
}

// A whole record of a known id starts at `at`: its length of bytes, ending with CR LF and with
// no line break before that.
bool WholeRecordAt(std::string_view bytes, std::size_t at) {
    std::optional<std::size_t> length = RecordLengthOf(bytes.substr(at, 2));
    if (!length || bytes.size() - at < *length) return false;
    std::string_view rec = bytes.substr(at, *length);
    std::string_view body = rec.substr(0, rec.size() - 2);
    // One search per character: find_first_of looks up the set once per byte.
    return rec.ends_with("\r\n") && body.find('\r') == std::string_view::npos &&
           body.find('\n') == std::string_view::npos;
}

// Where the first whole record of a known id begins within the piece from `start` to `end` (the
// piece's first CR LF ends it), or `end`. Such a record ends at that CR LF, as nothing before it
// does, so only one start per known length needs a look, not every byte of a long piece.
std::size_t StartOfWholeRecordWithin(std::string_view bytes, std::size_t start, std::size_t end) {
    std::size_t first = end;
    for (const KnownRecord& k : KnownRecords()) {
        if (k.length > end - start - 1) continue;
        const std::size_t at = end - k.length;
        if (at < first && bytes.substr(at, 2) == k.id && WholeRecordAt(bytes, at)) first = at;
    }
    return first;
}

// The records of a served file as stored. A record of a known id is as long as its id says, so
// a record whose line end is damaged does not run into the next one: the damaged piece ends
// where the next whole record begins and is served as it is, for the reader to refuse. Records
// of other ids, whose length is not known here, end at their CR LF, or where a whole record of
// a known id begins before it: a damaged line end of theirs must not swallow the next record
// either.
std::vector<std::string> SplitRecords(std::string_view bytes) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::optional<std::size_t> length = RecordLengthOf(bytes.substr(start, 2));
        std::size_t end;
        if (length && WholeRecordAt(bytes, start)) {
            end = start + *length;
        } else {
            std::size_t crlf = bytes.find("\r\n", start);
            end = crlf == std::string_view::npos ? bytes.size() : crlf + 2;
            end = StartOfWholeRecordWithin(bytes, start, end);
        }
        out.emplace_back(bytes.substr(start, end - start));
        start = end;
    }
    return out;
}

class ReplayJvLink : public TJVLink {
public:
    explicit ReplayJvLink(fs::path feed)
        : feed_(std::move(feed))
        , config_(ReadConfig(feed_)) {}

    int JVInit(std::string_view sid) override {
        config_ = ReadConfig(feed_);
        if (auto f = config_.Forced("JVInit")) return *f;
        if (sid.empty()) return -101;
        if (sid.size() >= 64) return -102;
        if (sid.front() == ' ') return -103;
        initialized_ = true;
        return 0;
    }

    int JVSetUIProperties() override { return config_.Forced("JVSetUIProperties").value_or(0); }

    int JVOpen(std::string_view dataspec, std::string_view fromtime, int option, int& readCount,
               int& downloadCount, std::string& lastFileTimestamp) override {
        config_ = ReadConfig(feed_);
        readCount = 0;
        downloadCount = 0;
        if (!initialized_) return -201;
        if (mode_ != Mode::None) return -202;
        if (dataspec.empty() || dataspec.size() % 4 != 0 || !IsAlnum(dataspec)) return -111;
        if (fromtime.size() != 14 || !IsAsciiDigits(fromtime)) return -112;
        if (option < 1 || option > 4) return -115;
        if (config_.unreadable) return kInternalError;
        if (auto f = config_.Forced("JVOpen")) return *f;
        bool listed = true;
        std::vector<Served> files = StoredFilesAfter(fromtime, &listed);
        if (!listed) return kInternalError;
        if (files.empty()) return -1;
        readCount = static_cast<int>(files.size());
        downloadCount = std::min(config_.download, readCount);
        lastFileTimestamp = files.back().timestamp;
        Open(Mode::Stored, std::move(files));
        downloadTotal_ = downloadCount;
        return 0;
    }

    int JVStatus() override {
        if (!initialized_) return -201;
        if (mode_ != Mode::Stored) return -203;
        if (auto f = config_.Forced("JVStatus")) return *f;
        downloaded_ = std::min(downloaded_ + 1, downloadTotal_);
        return downloaded_;
    }

    int JVRead(std::string& buffer, int /*size*/, std::string& fileName) override {
        if (!initialized_) return -201;
        if (mode_ == Mode::None) return -203;
        if (auto f = config_.Forced("JVRead"); f && recordsRead_ >= config_.readAfter) return *f;
        if (file_ >= files_.size()) return 0;
        Served& cur = files_[file_];
        if (!cur.loaded) Load(cur);
        if (cur.failure != 0) return cur.failure;
        if (record_ < cur.records.size()) {
            buffer = cur.records[record_++];
            fileName = cur.name;
            ++recordsRead_;
            return static_cast<int>(buffer.size());
        }
        ++file_;
        record_ = 0;
        if (file_ >= files_.size()) return 0;
        fileName = files_[file_].name;
        return -1;
    }

    int JVRTOpen(std::string_view spec, std::string_view key) override {
        config_ = ReadConfig(feed_);
        if (!initialized_) return -201;
        if (mode_ != Mode::None) return -202;
        if (!IsAlnum(spec)) return -111;
        // The key becomes part of a path: letters and digits only.
        if (!IsAlnum(key)) return -114;
        if (config_.unreadable) return kInternalError;
        if (auto f = config_.Forced("JVRTOpen")) return *f;
        fs::path file = feed_ / "rt" / std::string(spec) / (std::string(key) + ".txt");
        std::error_code ec;
        if (!fs::is_regular_file(file, ec)) return Absent(ec) ? -1 : kInternalError;
        Served s;
        s.name = std::string(key) + ".txt";
        s.path = file;
        std::vector<Served> files;
        files.push_back(std::move(s));
        Open(Mode::Realtime, std::move(files));
        return 0;
    }

    void JVCancel() override { downloadTotal_ = downloaded_; }

    int JVClose() override {
        mode_ = Mode::None;
        files_.clear();
        return config_.Forced("JVClose").value_or(0);
    }

    std::string JVVersion() override { return config_.version; }

    void SkipCurrentFile() override {
        if (mode_ == Mode::None || file_ >= files_.size()) return;
        ++file_;
        record_ = 0;
    }

private:
    enum class Mode { None, Stored, Realtime };
    struct Served {
        std::string timestamp;
        std::string name;
        fs::path path;
        bool loaded = false;
        std::vector<std::string> records;
        int failure = 0; // what JVRead answers for a file that could not be read
    };

    // `listed` is false when the folder is there but cannot be listed: no newer data is known.
    std::vector<Served> StoredFilesAfter(std::string_view fromtime, bool* listed) const {
        std::vector<Served> files;
        std::error_code ec;
        fs::directory_iterator it(feed_ / "stored", ec);
        *listed = Absent(ec);
        if (ec) return files;
        for (fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
            // A file that cannot be looked at ends neither the listing nor passes unsaid.
            std::error_code kind;
            if (!it->is_regular_file(kind)) {
                *listed = *listed && Absent(kind);
                continue;
            }
            std::string n = keiba::PathToUtf8(it->path().filename());
            if (n.size() < 16 || n[14] != '_' || !IsAsciiDigits(std::string_view(n).substr(0, 14)))
                continue;
            std::string ts = n.substr(0, 14);
            if (ts <= fromtime) continue;
            files.push_back({ts, n.substr(15), it->path(), false, {}, 0});
        }
        *listed = *listed && !ec;
        std::sort(files.begin(), files.end(), [](const Served& a, const Served& b) {
            return a.timestamp != b.timestamp ? a.timestamp < b.timestamp : a.name < b.name;
        });
        return files;
    }

    // A file gone since it was listed is not found (-503); one that is there but cannot be read
    // failed as a download does on a disk error (-502), and its cause goes to the error log.
    static void Load(Served& s) {
        keiba::FileRead file = keiba::ReadFileOrMissing(s.path);
        if (!file.read)
            s.failure = -502;
        else if (!file.bytes)
            s.failure = -503;
        else
            s.records = SplitRecords(*file.bytes);
        s.loaded = true;
    }

    void Open(Mode m, std::vector<Served> files) {
        mode_ = m;
        files_ = std::move(files);
        file_ = 0;
        record_ = 0;
        downloaded_ = 0;
        downloadTotal_ = 0;
        recordsRead_ = 0;
    }

    fs::path feed_;
    FeedConfig config_;
    bool initialized_ = false;
    Mode mode_ = Mode::None;
    std::vector<Served> files_;
    std::size_t file_ = 0;
    std::size_t record_ = 0;
    int downloaded_ = 0;
    int downloadTotal_ = 0;
    int recordsRead_ = 0;
};

} // namespace

fs::path DefaultFeedFolder(const fs::path& programFolder) {
    const char* env = std::getenv("KESTRANE_JVFEED");
    if (env && *env) return keiba::Utf8Path(env);
    return programFolder / "feed";
}

std::unique_ptr<TJVLink> CreateReplayJvLink(const fs::path& feedFolder) {
    if (!ReadConfig(feedFolder).present) return nullptr;
    return std::make_unique<ReplayJvLink>(feedFolder);
}

} // namespace jvdata
