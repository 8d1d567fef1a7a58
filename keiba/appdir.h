#pragma once
// The program folder (AppDir) and the executable's base name. Everything the system keeps
// lies under the program folder; tests point it at a temporary folder.

#include <filesystem>
#include <string>

namespace keiba {

// The folder of the running executable (or the one set for a test).
std::filesystem::path AppDir();

// The executable's file name without its folder and extension ("kestrane").
std::string AppExeBaseName();

// Overrides both for tests and tools; an empty path restores the executable's own folder.
void SetAppDirForTest(const std::filesystem::path& dir,
                      const std::string& exeBaseName = "kestrane");

} // namespace keiba
