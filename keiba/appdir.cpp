#include "keiba/appdir.h"

#include <system_error>

namespace keiba {
namespace {

std::filesystem::path SelfExe() {
    std::error_code ec;
    auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() / "kestrane" : p;
}

} // namespace

std::filesystem::path AppDir() {
    return SelfExe().parent_path();
}

std::string AppExeBaseName() {
    return SelfExe().stem().string();
}

} // namespace keiba
