#include "app/startup.h"

#include "jvdata/dayfiles.h"
#include "keiba/fileio.h"
#include "keiba/inigt.h"
#include "keiba/sjis.h"

#include <system_error>

namespace app {
namespace fs = std::filesystem;

std::string SoftwareId() {
    return "SA514290/SD608173/Kestrane/" + std::string(kVersionText);
}

std::optional<std::string> JvVersionMessage(std::string_view version) {
    if (version >= std::string_view("0490")) return std::nullopt;
    std::string v(version);
    v.resize(4, '0');
    return "ご利用中のJV-Linkのバージョンは[" + v.substr(1, 1) + "." + v.substr(2, 1) + "." +
           v.substr(3, 1) +
           "]です。\r\n本ソフトのご利用にはバージョン[4.9.0]以上が必要です。\r\nJRA-VANの"
           "ホームページより最新のJV-Linkを入手し、インストールしてください。";
}

std::vector<std::string> CreateDataFolders(const fs::path& appDir) {
    std::vector<std::string> failures;
    for (std::string_view name : kDataFolders) {
        if (keiba::IoResult io = keiba::CreateFolders(appDir / name); !io)
            failures.push_back(io.message);
    }
    return failures;
}

std::size_t RemoveLeftoverTempFiles(const fs::path& appDir, const std::vector<fs::path>& outside) {
    std::size_t removed = jvdata::RemoveStaleDataTemps(appDir);
    // the earlier versions' names are taken for theirs only where the program names every file
    for (const char* folder : {"kaime", "CSV", "nerai"})
        removed += keiba::RemoveStaleTempFiles(appDir / folder, keiba::OlderTempNames::Remove);
    // The user names the statistics files, and the downloads' entries name theirs (they are
    // extracted into VZK and the folders their names give): any name may be theirs there.
    removed += keiba::RemoveStaleTempFiles(appDir / "HPupload");
    removed += keiba::RemoveStaleTempFilesBelow(appDir / "VZK");
    for (const fs::path& folder : outside) removed += keiba::RemoveStaleTempFiles(folder);
    return removed;
}

std::vector<fs::path> OutsideBetFolders(const keiba::TIniGT& ini) {
    std::vector<fs::path> folders;
    auto add = [&](std::string_view key, std::string_view sub) {
        const std::string value = ini.ReadString("Dir", key, "");
        if (!keiba::TrimBlanks(value).empty()) folders.push_back(keiba::Utf8Path(value) / sub);
    };
    add("kaime", "");
    add("QVXTohyo2", "kaime");
    return folders;
}

namespace {

// The install folder an outside program's installer recorded. This platform keeps no such
// records, so the folders stay unset until the user chooses them.
std::string InstalledAppPath(std::string_view /*uninstallName*/) {
    return {};
}

} // namespace

std::vector<std::string> FillOutsideProgramFolders(keiba::TIniGT& ini) {
    struct Outside {
        const char* key;
        const char* uninstallName;
        const char* subfolder;
    };
    static const Outside kOutside[] = {{"QVXTohyo2", "QVX投票プラグイン２", ""},
                                       {"QVXTohyo", "QVX投票プラグイン", ""},
                                       {"jikeiretu", "ナバリス for JRA-VAN Data Lab.", "/Data"}};
    std::vector<std::string> failures;
    for (const Outside& o : kOutside) {
        if (!keiba::TrimBlanks(ini.ReadString("Dir", o.key, "")).empty()) continue;
        std::string found(keiba::TrimBlanks(InstalledAppPath(o.uninstallName)));
        if (found.empty()) continue;
        if (keiba::IoResult io = ini.WriteString("Dir", o.key, found + o.subfolder); !io)
            failures.push_back(io.message);
    }
    return failures;
}

MarkerFiles ReadMarkerFiles(const fs::path& appDir) {
    auto has = [&](std::string_view name) {
        std::error_code ec;
        return fs::exists(appDir / name, ec);
    };
    MarkerFiles m;
    m.soloReviewers = has("SoloReviewersFeatures.key");
    m.primaryToggle = has("PrimaryToggleQuib.key");
    m.supervisorPanels = has("MereSupervisorsExtraPanels.key");
    m.keeper = has("Keeper.key");
    return m;
}

} // namespace app
