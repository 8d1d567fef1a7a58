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

// A loaded day: the records by race slot and runner, the races in key order (race slot, venue,
// race number), and how many runners' records the file lost.
struct CheckDay {
    std::unique_ptr<AnalysisDay> table = std::make_unique<AnalysisDay>();
    std::vector<CheckRace> races;
    std::size_t lost = 0;
};

// Fills `day` from the bytes of the analysis file of the day `date8` ("yyyymmdd"): its sound
// records of that day, read past damage as the day load reads them (ReadAnalysisRecords), so a
// damaged record is neither listed nor shown and costs only itself. Each race item keeps the
// slot of its own key: a file whose slots skip a number still shows every race's own runners.
//
// The file covers every runner of its day, so `lost` counts the runners it should hold and does
// not. The day's race file (`raceFile`: the bytes of Data/<stem>.jvRA) says which those are: each
// runner of its races' field sizes without a sound record of its own, even where the file was
// cut at a record end or is empty. Without the race file only the file itself can tell: the
// runners its races' own field sizes name without a record, or the records damage took, whichever
// is more; whole races cut off at a record end are then not seen.
void LoadCheckDay(std::string_view vzkdBytes, std::string_view date8, CheckDay& day,
                  std::optional<std::string_view> raceFile = std::nullopt);

// What the tab tells the user of a file loaded from `file` (UTF-8): its loss, or that it holds no
// record to show; empty when it shows all it should.
std::string CheckDayText(const CheckDay& day, const std::filesystem::path& file);

// The runner count of a race: this run's field size of a sound record of the race (the first
// runner's, where there is one), clamped to 0..18.
int CheckRunnerCount(const AnalysisDay& table, int slot);

// TitleLabel1..3 of a race, from the same record.
std::array<std::string, 3> CheckTitles(const AnalysisDay& table, int slot);

// Column 0..53 of a runner's row.
std::string CheckCellText(const jvdata::TAnalysisRecord& record, int col);

} // namespace raceday
