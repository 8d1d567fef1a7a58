#include "keiba/appdir.h"

#include <system_error>

namespace keiba {
namespace {

struct Override {
    std::filesystem::path dir;
    std::string base;
};

Override& Current() {
    static Override o;
    return o;
}

std::filesystem::path SelfExe() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() / "kestrane" : p;
}

} // namespace

std::filesystem::path AppDir() {
    if (!Current().dir.empty()) return Current().dir;
    return SelfExe().parent_path();
}

std::string AppExeBaseName() {
    if (!Current().dir.empty()) return Current().base;
    return SelfExe().stem().string();
}

void SetAppDirForTest(const std::filesystem::path& dir, const std::string& exeBaseName) {
    Current() = {dir, exeBaseName};
}

} // namespace keiba
