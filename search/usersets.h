#pragma once
// The user combination settings: three saved target sets, one for the axis runners, one for the
// first and one for the second partners, searched over the loaded day into
// `TRaceCalc.UserNeraiMatch`, which the automatic marks take in user mode; and the named triples
// of `UserSet.usd`.
//
// `UserSet.usd` in the program folder holds one setting per line (CP932, CR LF): setting name,
// axis set, first-partner set, second-partner set, each in double quotes, joined by commas.

#include "keiba/context.h"
#include "keiba/fileio.h"
#include "keiba/rewritelines.h"
#include "raceday/daymodel.h"
#include "search/nerairecord.h"
#include "search/neraislots.h"

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace search {

// One stored setting; texts are CP932.
struct UserSetting {
    std::string name;
    std::string axis;
    std::string partner1;
    std::string partner2;
    bool operator==(const UserSetting&) const = default;
};

// The first four fields of a line; a field the line lacks reads as empty.
UserSetting ParseUserSetting(std::string_view line);
// Whether a line reads as a setting: CP932 text of four fields or more, the first not blank.
bool IsUserSettingLine(std::string_view line);
// The line of a setting: the four fields quoted (quotes inside doubled) and joined by commas.
std::string UserSettingLine(const UserSetting& setting);

std::filesystem::path UserSetPath(const std::filesystem::path& appDir); // <appDir>/UserSet.usd

// The settings of the file as the form shows them, read when the form is made and again at
// every change, which goes into the file as it stands then (a line put into it meanwhile stays)
// and rewrites it whole; a change whose write fails leaves the list as it was. A line that does
// not read as a setting is no setting of the list: every rewrite keeps it as it was, with its
// own line end, in its place among the lines around it, and says so.
class UserSetList {
public:
    // A missing file is an empty list. So is one that is there but cannot be read; a change then
    // reads it again, and is refused with the message of that read while it still fails.
    void Load(const std::filesystem::path& path);
    int Count() const { return static_cast<int>(settings_.size()); }
    UserSetting At(int i) const;
    // Setting `index` of the list replaced, or a line added at the end when `index` is not a
    // setting's or the file no longer holds that setting's line.
    keiba::IoResult Put(int index, const UserSetting& setting, const std::filesystem::path& path);
    keiba::IoResult Remove(int index, const std::filesystem::path& path);
    // The index of the setting the last Put wrote, in the list as it now is.
    int LastPut() const { return lastPut_; }
    // The lines of the file as last read that do not read as settings (empty ones aside): a
    // change writes them back as they were, and says so.
    std::size_t Unreadable() const;

private:
    // The line of the file that holds setting `index` of the list, or -1.
    int FindIn(const std::vector<keiba::HeldLine>& lines, int index) const;
    void Hold(std::vector<keiba::HeldLine> lines);

    std::vector<keiba::HeldLine> lines_;
    std::vector<std::size_t> settings_; // the lines that are settings
    int lastPut_ = -1;
};

// The three sets of the user combination settings and their search. The sets stay until another
// set is loaded in their place; the day load does not clear them.
class UserNeraiSets {
public:
    // The sets are read from the context's folder; an unreadable one is said through its
    // notifier.
    UserNeraiSets(raceday::RaceDay& day, const keiba::ProgramContext& context);

    // Loads the set `name` (UTF-8, trimmed by the caller) as set u = 1..3: `gUserNeraiConds`[u].
    // Loaded: the caller searches and remembers the name. A missing file loads nothing; a file
    // too short for a record, or one that cannot be read, says so and loads nothing.
    NeraiSlotResult Load(int u, const std::string& name);
    // The name of the set u holds, empty before the first load.
    const std::string& HeldName(int u) const;
    const TNeraiRecord& Conditions(int u) const;

    // `NeraiSearchBtnClick`: for each set u whose `active` flag (index u-1) is set, the runners
    // of races 0..raceCount-1 that pass all 51 tests of the set get UserNeraiMatch[r][h][u-1] =
    // 1; every other byte of the three sets is 0.
    void Search(const std::array<bool, 3>& active, int raceCount);

private:
    raceday::RaceDay& day_;
    const keiba::ProgramContext& context_;
    std::array<TNeraiRecord, 4> gUserNeraiConds; // 1..3 used
    std::array<std::string, 4> held_;
};

} // namespace search
