#include "keiba/context.h"

namespace keiba {

ProgramContext::ProgramContext(std::filesystem::path programFolder, Notifier& notifierLayer,
                               Clock& clockLayer, Shell& shellLayer, const std::string& exeBaseName)
    : folder(std::move(programFolder))
    , settings(folder, exeBaseName)
    , notifier(notifierLayer)
    , clock(clockLayer)
    , shell(shellLayer) {
    settings.Loaded();
}

} // namespace keiba
