#pragma once
// Files this process cannot read for the life of the object, as one whose modes shut out the
// user: every read of it fails with EACCES. A seam, since modes do not stop a test run as root.

#include "keiba/fileio.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

namespace testsupport {

class UnreadableFile {
public:
    explicit UnreadableFile(std::filesystem::path file)
        : UnreadableFile(std::vector{std::move(file)}) {}
    explicit UnreadableFile(std::vector<std::filesystem::path> files) {
        keiba::SetReadFailureHookForTest(
            [files = std::move(files)](const std::filesystem::path& read) {
                return std::find(files.begin(), files.end(), read) != files.end() ? EACCES : 0;
            });
    }
    ~UnreadableFile() { keiba::SetReadFailureHookForTest(nullptr); }
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;
};

} // namespace testsupport
