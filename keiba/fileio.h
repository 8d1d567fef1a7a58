#pragma once
// Whole-file reads and writes. Every writer of the system replaces a file whole: the bytes go
// to a temporary file in the same folder, which is then renamed over the target, so a failure
// at any point leaves the old file as it was.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keiba {

struct IoResult {
    bool ok = true;
    std::string message; // UTF-8, for the user; empty when ok
    explicit operator bool() const { return ok; }
    static IoResult Ok() { return {}; }
    static IoResult Fail(std::string m) { return {false, std::move(m)}; }
};

// The whole file, or nothing when it is missing or unreadable.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Replaces `path` with `bytes` through a temporary file and a rename. The folder must exist.
IoResult WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes);

// Test seam: called after the temporary file is complete and before the rename; returning
// false stands for a crash at that moment (the temporary file is removed, nothing renamed).
using BeforeRenameHook = std::function<bool(const std::filesystem::path& temp)>;
void SetBeforeRenameHookForTest(BeforeRenameHook hook);

// The lines of a text file, CR LF or LF ended; a last line without a break counts.
std::vector<std::string_view> SplitLines(std::string_view bytes);

// A file name as a path: names of this system are UTF-8 on disk.
std::filesystem::path Utf8Path(std::string_view utf8);
std::string PathToUtf8(const std::filesystem::path& p);

} // namespace keiba
