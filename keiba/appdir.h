#pragma once
// The folder of the running executable and its base name. Only the application's start asks
// for them, to build the program context (keiba/context.h); everything else is handed the
// context's folder.

#include <filesystem>
#include <string>

namespace keiba {

// The folder of the running executable.
std::filesystem::path AppDir();

// The executable's file name without its folder and extension ("kestrane").
std::string AppExeBaseName();

} // namespace keiba
