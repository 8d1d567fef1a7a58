#pragma once
// A file this process cannot read for the life of the object, as one whose modes shut out the
// user: every read of it fails with EACCES. A seam, since modes do not stop a test run as root.

#include "keiba/fileio.h"

#include <cerrno>
#include <filesystem>

namespace testsupport {

class UnreadableFile {
public:
    explicit UnreadableFile(std::filesystem::path file) {
        keiba::SetReadFailureHookForTest(
            [file = std::move(file)](const std::filesystem::path& read) {
                return read == file ? EACCES : 0;
            });
    }
    ~UnreadableFile() { keiba::SetReadFailureHookForTest(nullptr); }
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;
};

} // namespace testsupport
