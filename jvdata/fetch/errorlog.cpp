#include "jvdata/fetch/errorlog.h"

#include "keiba/sjis.h"

namespace fetch {

std::string ErrorLogLine(keiba::LocalTime now, const std::string& text) {
    return "【エラー】" + keiba::HhnnssColon(now) + "：" + text;
}

keiba::IoResult AppendErrorLog(const std::filesystem::path& appDir, const std::string& line) {
    std::filesystem::path file = appDir / "ErrorLog.txt";
    std::string bytes = keiba::ReadWholeFile(file).value_or(std::string());
    if (!bytes.empty() && bytes.back() != '\n') bytes += "\r\n";
    bytes += keiba::Utf8ToCp932(line) + "\r\n";
    return keiba::WriteFileAtomic(file, bytes);
}

} // namespace fetch
