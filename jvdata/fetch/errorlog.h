#pragma once
// The error log ErrorLog.txt in the program folder: CP932 lines ending CR LF.

#include "keiba/fileio.h"
#include "keiba/platform.h"

#include <filesystem>
#include <string>

namespace fetch {

// "【エラー】hh:nn:ss：" + text (UTF-8).
std::string ErrorLogLine(keiba::LocalTime now, const std::string& text);

// Reads the log again, appends the line and writes the whole file.
keiba::IoResult AppendErrorLog(const std::filesystem::path& appDir, const std::string& line);

} // namespace fetch
