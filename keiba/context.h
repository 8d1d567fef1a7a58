#pragma once
// The program context: the program folder, its settings store, and the notifier, clock and shell
// the program speaks and reads the time through. The application builds one at start-up and
// hands it to its forms and to the hosts of the operations; a tool or a test builds its own.
// Nothing in the libraries reaches for a folder, a settings file or a platform layer otherwise,
// so two contexts over two folders share nothing.

#include "keiba/inigt.h"
#include "keiba/platform.h"

#include <filesystem>
#include <string>

namespace keiba {

struct ProgramContext {
    // The settings file is "<exeBaseName>.ini" in the program folder.
    ProgramContext(std::filesystem::path programFolder, Notifier& notifierLayer, Clock& clockLayer,
                   Shell& shellLayer, const std::string& exeBaseName = "kestrane");
    ProgramContext(const ProgramContext&) = delete;
    ProgramContext& operator=(const ProgramContext&) = delete;

    // Where everything the program keeps lies.
    const std::filesystem::path folder;
    // A store holds nothing but the name of its file (every read reads it, every write replaces
    // it), so a context handed out as const still writes its settings.
    mutable TIniGT settings;
    Notifier& notifier;
    Clock& clock;
    Shell& shell;
};

} // namespace keiba
