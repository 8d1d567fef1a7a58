#include "members/browser.h"

#include "members/site.h"

namespace members {

std::optional<std::string> ReadRegDefault(const std::string&) {
    return std::nullopt;
}

std::string BrowserCommandLine(std::string_view command, std::string_view url) {
    std::string line(command);
    if (std::size_t at = line.find("\"%1\""); at != std::string::npos) {
        std::size_t from = at > 0 ? at - 1 : 0;
        line.erase(from, at + 4 - from);
    } else if (at = line.find("%1"); at != std::string::npos) {
        std::size_t from = at > 0 ? at - 1 : 0;
        line.erase(from, at + 2 - from);
    }
    return line + " " + std::string(url);
}

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> parts;
    std::string cur;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any) parts.push_back(cur);
            cur.clear();
            any = false;
        } else {
            cur += c;
            any = true;
        }
    }
    if (any) parts.push_back(cur);
    return parts;
}

bool OpenUrlInBrowser(keiba::Shell& shell, const std::string& url, const RegistryReader& registry) {
    if (shell.Open(url)) return true;
    std::optional<std::string> pageClass = registry(".htm");
    if (!pageClass) return false;
    std::optional<std::string> command = registry(*pageClass + "\\shell\\open\\command");
    if (!command) return false;
    std::vector<std::string> parts = SplitCommandLine(BrowserCommandLine(*command, url));
    if (parts.empty()) return false;
    std::vector<std::string> args(parts.begin() + 1, parts.end());
    return shell.Launch(parts.front(), args, {});
}

void OpenPurchasePage(const keiba::ProgramContext& context, const std::string& url) {
    if (!OpenUrlInBrowser(context.shell, url))
        context.notifier.Information(std::string(kMsgPageFailed));
}

} // namespace members
