#include "keiba/errorlog.h"

#include "keiba/fileio.h"
#include "keiba/sjis.h"

#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace keiba {
namespace fs = std::filesystem;

namespace {

constexpr std::chrono::seconds kRepeatQuiet{60};
constexpr std::size_t kRememberedFailures = 256;

std::string Joined(const std::vector<std::string_view>& lines, std::size_t first) {
    std::string out;
    for (std::size_t i = first; i < lines.size(); ++i) {
        out += lines[i];
        out += "\r\n";
    }
    return out;
}

std::string DateTimeText(keiba::LocalTime now) {
    keiba::DateTimeParts p = keiba::Parts(now);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour,
                  p.minute, p.second);
    return buf;
}

} // namespace

fs::path ErrorLogPath(const fs::path& appDir) {
    return appDir / "ErrorLog.txt";
}

std::string StartedErrorLog(std::string_view oldBytes, keiba::LocalTime now,
                            const fs::path& appDir) {
    std::vector<std::string_view> lines = keiba::SplitLines(oldBytes);
    std::size_t first = lines.size() > kErrorLogKeptLines ? lines.size() - kErrorLogKeptLines : 0;
    std::string out = Joined(lines, first);
    out += keiba::Sj("ソフト起動：") + DateTimeText(now) + "\r\n";
    out += keiba::Utf8ToCp932(keiba::PathToUtf8(appDir)) + "\r\n";
    return out;
}

keiba::IoResult StartErrorLog(const fs::path& appDir, keiba::LocalTime now) {
    fs::path p = ErrorLogPath(appDir);
    keiba::FileRead old = keiba::ReadFileOrMissing(p);
    if (!old.read) return old.read;
    return keiba::WriteFileAtomic(p,
                                  StartedErrorLog(old.bytes.value_or(std::string()), now, appDir));
}

keiba::IoResult AppendErrorLog(const fs::path& appDir, keiba::LocalTime now,
                               std::string_view statusUtf8) {
    fs::path p = ErrorLogPath(appDir);
    keiba::FileRead old = keiba::ReadFileOrMissing(p);
    if (!old.read) return old.read;
    std::string bytes = std::move(old.bytes).value_or(std::string());
    // A last line without its break gets one; a lone CR (an editor of another system) is made
    // whole, since a CR LF after it would read as one more, empty line.
    if (!bytes.empty() && bytes.back() != '\n') bytes += bytes.back() == '\r' ? "\n" : "\r\n";
    bytes += keiba::Sj("【エラー】") + keiba::HhnnssColon(now) + keiba::Sj("：") +
             keiba::Utf8ToCp932(statusUtf8) + "\r\n";
    return keiba::WriteFileAtomic(p, bytes);
}

FailureLogging::FailureLogging(fs::path appDir, const keiba::Clock& clock) {
    struct Logged {
        // Writers on several threads would otherwise read the same old log and lose a line.
        std::mutex m;
        std::map<std::string, keiba::LocalTime> last;
    };
    keiba::SetFailureLog([appDir = std::move(appDir), &clock,
                          logged = std::make_shared<Logged>()](const std::string& text) {
        const std::lock_guard<std::mutex> lock(logged->m);
        // A file read at every turn (the settings file is read for each value) fails at every
        // turn too: the same failure within a minute adds nothing, and a hundred copies of it
        // would push the log's earlier lines out.
        const keiba::LocalTime now = clock.Now();
        if (auto it = logged->last.find(text);
            it != logged->last.end() && now >= it->second && now - it->second < kRepeatQuiet)
            return;
        if (logged->last.size() >= kRememberedFailures) logged->last.clear();
        logged->last[text] = now;
        // A log that cannot be written has no further place to go: the failure it would record
        // reaches the user through its caller's own message either way.
        static_cast<void>(AppendErrorLog(appDir, now, text));
    });
}

FailureLogging::~FailureLogging() {
    keiba::SetFailureLog(nullptr);
}

} // namespace keiba
