#pragma once
// A folder this process cannot write for the life of the object, as on a read-only disk, with
// every folder below it (links followed). Modes do not stop root, so root takes an ordinary
// user's effective id for the time instead, for whom folders root made are read-only; anyone
// else loses the folders' write bits, which come back at the end.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

namespace testsupport {

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::filesystem::path& folder) {
        namespace fs = std::filesystem;
        if (::geteuid() == 0) {
            // The ordinary user must still find and read the folder (a test folder is 0700).
            Keep(folder);
            ::chmod(folder.c_str(), 0755);
            asRoot_ = ::seteuid(kNobody) == 0;
            EXPECT_TRUE(asRoot_) << "seteuid";
            return;
        }
        Keep(folder);
        std::error_code ec;
        for (fs::recursive_directory_iterator
                 it(folder, fs::directory_options::follow_directory_symlink, ec),
             end;
             !ec && it != end; it.increment(ec)) {
            if (it->is_directory(ec)) Keep(it->path());
        }
        for (const auto& [path, mode] : kept_) ::chmod(path.c_str(), mode & ~0222u);
    }
    ~ReadOnlyFolder() {
        if (asRoot_) {
            EXPECT_EQ(::seteuid(0), 0);
        }
        for (const auto& [path, mode] : kept_) ::chmod(path.c_str(), mode);
    }
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

private:
    static constexpr uid_t kNobody = 65534;
    void Keep(const std::filesystem::path& p) {
        struct stat st {};
        if (::stat(p.c_str(), &st) == 0) kept_.emplace_back(p, st.st_mode & 07777);
    }
    bool asRoot_ = false;
    std::vector<std::pair<std::filesystem::path, mode_t>> kept_;
};

} // namespace testsupport
