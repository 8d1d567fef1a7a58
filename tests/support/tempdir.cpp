#include "tests/support/tempdir.h"

#include "keiba/fileio.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace testsupport {

std::filesystem::path TestData(std::string_view rel) {
    return std::filesystem::path(KESTRANE_TEST_DATA_DIR) / keiba::Utf8Path(rel);
}

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "kestrane-test-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    if (!made) throw std::runtime_error("mkdtemp failed");
    path_ = made;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::operator/(std::string_view name) const {
    return path_ / keiba::Utf8Path(name);
}

std::string Slurp(const std::filesystem::path& p) {
    keiba::FileRead file = keiba::ReadFileOrMissing(p);
    EXPECT_TRUE(file.bytes.has_value()) << "missing file " << p << " " << file.read.message;
    return std::move(file.bytes).value_or(std::string());
}

void WriteBytes(const std::filesystem::path& p, std::string_view bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::map<std::string, std::string> Tree(const std::filesystem::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        if (e.is_regular_file())
            files[keiba::PathToUtf8(std::filesystem::relative(e.path(), root))] = Slurp(e.path());
    return files;
}

std::string RunCommand(const std::string& command, int* status) {
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) {
        if (status) *status = -1;
        return out;
    }
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int code = ::pclose(p);
    if (status) *status = code;
    return out;
}

} // namespace testsupport
