#pragma once
// `ErrorLog.txt` in the program folder: CP932 lines with CR LF. Each start keeps the last 100
// earlier lines and adds the start line and the program folder; a failed fetch appends one line.

#include "keiba/fileio.h"
#include "keiba/platform.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace keiba {

inline constexpr std::size_t kErrorLogKeptLines = 100;

std::filesystem::path ErrorLogPath(const std::filesystem::path& appDir);

// The file after a start: the last 100 lines of `oldBytes`, "ソフト起動：yyyy/mm/dd hh:nn:ss" and
// the program folder.
std::string StartedErrorLog(std::string_view oldBytes, keiba::LocalTime now,
                            const std::filesystem::path& appDir);

// Rewrites the log of `appDir` as StartedErrorLog gives it; a missing file is created. A log
// that is there but cannot be read is left as it is, and the result says so (as in the entry
// below).
keiba::IoResult StartErrorLog(const std::filesystem::path& appDir, keiba::LocalTime now);

// Appends "【エラー】hh:nn:ss：" + `statusUtf8` (reloading the file and saving it whole).
keiba::IoResult AppendErrorLog(const std::filesystem::path& appDir, keiba::LocalTime now,
                               std::string_view statusUtf8);

// While it lives, the system's own text of every failed file write, folder creation or folder
// sync (SetFailureLog) is appended to the log of `appDir`, stamped by `clock`; the user's
// message tells the cause in words only. The same text again within a minute is not appended
// again. One at a time, made before any writer thread starts.
class FailureLogging {
public:
    FailureLogging(std::filesystem::path appDir, const keiba::Clock& clock);
    ~FailureLogging();
    FailureLogging(const FailureLogging&) = delete;
    FailureLogging& operator=(const FailureLogging&) = delete;
};

} // namespace keiba
