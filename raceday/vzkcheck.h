#pragma once
// The data-check view of one members' analysis day file: the dates of the VZK folder, the races
// of one file, their titles and the 54 columns of a runner. The view reads the file into a table
// of its own and never touches the loaded race day. Texts are CP932 unless said.

#include "raceday/analysis.h"

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace raceday {

inline constexpr int kCheckColumns = 54;

// The dates of the analysis day files of `vzkFolder` as "yyyy年mm月dd日" (UTF-8), newest first;
// a folder that cannot be listed fails `listed` (see ListVzkDays).
std::vector<std::string> CheckDateItems(const std::filesystem::path& vzkFolder,
                                        keiba::IoResult* listed = nullptr);
// The date "yyyymmdd" of such an item, or nothing for a text that is not one.
std::optional<std::string> CheckItemDate(std::string_view utf8Item);

// One race of the file: the race slot its key names and the list text ("東京11R").
struct CheckRace {
    int slot = 0;
    std::string item;
};

// A loaded day: the records by race slot and runner, and the races in key order (race slot,
// venue, race number).
struct CheckDay {
    std::unique_ptr<AnalysisDay> table = std::make_unique<AnalysisDay>();
    std::vector<CheckRace> races;
};

// Fills `day` from the bytes of an analysis file. Each race item keeps the slot of its own key:
// a file whose slots skip a number still shows every race's own runners, and a key whose slot
// is not 00..35 lists no race.
void LoadCheckDay(std::string_view vzkdBytes, CheckDay& day);

// The runner count of a race: this run's field size of its first runner, clamped to 0..18.
int CheckRunnerCount(const AnalysisDay& table, int slot);

// TitleLabel1..3 of a race, from its first runner's record.
std::array<std::string, 3> CheckTitles(const AnalysisDay& table, int slot);

// Column 0..53 of a runner's row.
std::string CheckCellText(const jvdata::TAnalysisRecord& record, int col);

} // namespace raceday
