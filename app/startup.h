#pragma once
// The headless steps of the program's start: the program's data folders, the maintainer marker
// files, the JV-Link identification and the version check.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace keiba {
class TIniGT;
}

namespace app {

// The program's version: in the software id, the about box and the printed sheets' credit.
inline constexpr std::string_view kVersionText = "Ver.1.20";

// The software id given to JVInit: "SA514290/SD608173/Kestrane/Ver.1.20".
std::string SoftwareId();

// The JV-Link version message, or nothing when `version` (four digits, "0490") is recent
// enough. UTF-8.
std::optional<std::string> JvVersionMessage(std::string_view version);

// The data folders, created when missing, in this order.
inline constexpr std::string_view kDataFolders[] = {"Data", "kaime", "CSV",   "SEI",
                                                    "UMA",  "UM2",   "nerai", "VZK"};

// Creates the folders that are missing; the messages of those that could not be created (UTF-8).
std::vector<std::string> CreateDataFolders(const std::filesystem::path& appDir);

// Removes the temporary files that writers killed mid-write left in the folders the program
// writes: the program folder, Data, the SEI and UM2 folders, kaime, CSV, nerai, HPupload, VZK
// and the folders below it, and the outside folders the bet files go to. The names of earlier
// versions' temporary files are looked at only where the program names every file (not in
// HPupload, VZK or `outside`). Returns how many were removed.
std::size_t RemoveLeftoverTempFiles(const std::filesystem::path& appDir,
                                    const std::vector<std::filesystem::path>& outside = {});

// The folders outside the program folder that bet files are written to: the BRIVEL folder
// (Dir, kaime) and the voting plug-in's kaime folder (Dir, QVXTohyo2), when they are set.
std::vector<std::filesystem::path> OutsideBetFolders(const keiba::TIniGT& ini);

// The folders of the outside programs (section Dir: QVXTohyo2, QVXTohyo, jikeiretu): a blank
// key is looked up in the installer's records, and a folder found there is written back.
// Returns the messages of the writes that failed.
std::vector<std::string> FillOutsideProgramFolders(keiba::TIniGT& ini);

// The maintainer marker files present in the program folder (only their existence counts).
struct MarkerFiles {
    bool soloReviewers = false;    // "SoloReviewersFeatures.key"
    bool primaryToggle = false;    // "PrimaryToggleQuib.key"
    bool supervisorPanels = false; // "MereSupervisorsExtraPanels.key"
    bool keeper = false;           // "Keeper.key"
};
MarkerFiles ReadMarkerFiles(const std::filesystem::path& appDir);

} // namespace app
