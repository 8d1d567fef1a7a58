#pragma once
// A fresh folder per test, removed afterwards.

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const;

private:
    std::filesystem::path path_;
};

// A file under tests/data, the one place test data is found (`rel` is UTF-8).
std::filesystem::path TestData(std::string_view rel);

// Reads a whole file; fails the test when it is missing.
std::string Slurp(const std::filesystem::path& p);
void WriteBytes(const std::filesystem::path& p, std::string_view bytes);
// Every regular file below `root`: its path relative to `root` (UTF-8) and its bytes.
std::map<std::string, std::string> Tree(const std::filesystem::path& root);

// Runs a shell command and gives what it printed on standard output; its wait status goes to
// `status` when given (-1 when it could not be started).
std::string RunCommand(const std::string& command, int* status = nullptr);

} // namespace testsupport
