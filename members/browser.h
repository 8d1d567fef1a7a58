#pragma once
// Opening a web page: the desktop's handler first; failing that, the command line of the page
// handler the system records (none is recorded on Linux, so that step finds nothing).

#include "keiba/context.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace members {

// The default value of a registry key below HKEY_CLASSES_ROOT; nothing when the key does not
// open (always, on this platform).
using RegistryReader = std::function<std::optional<std::string>(const std::string& subkey)>;
std::optional<std::string> ReadRegDefault(const std::string& subkey);

// The handler's command with its placeholder replaced by `url`: a blank and "%1" in quotes
// are removed (or, without quotes, a blank and %1), then a blank and the url appended.
std::string BrowserCommandLine(std::string_view command, std::string_view url);

// A command line's program and arguments: split at blanks, double quotes grouping.
std::vector<std::string> SplitCommandLine(std::string_view line);

// True when a page was opened through `shell`.
bool OpenUrlInBrowser(keiba::Shell& shell, const std::string& url,
                      const RegistryReader& registry = ReadRegDefault);

// A purchase page (N48Click, the dialog's purchase buttons): "ホームページの表示に失敗しました。"
// when it cannot be opened.
void OpenPurchasePage(const keiba::ProgramContext& context, const std::string& url);

} // namespace members
