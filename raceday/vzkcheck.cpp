#include "raceday/vzkcheck.h"

#include "keiba/codetables.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "raceday/analysiscells.h"

#include <algorithm>
#include <set>

namespace raceday {
namespace {

using jvdata::TAnalysisRecord;

constexpr std::string_view kYear = "年", kMonth = "月", kDay = "日";

// The race key of the list: race slot, venue code and race number.
std::string RaceListKey(std::string_view rec) {
    return std::string(jvdata::Field(rec, TAnalysisRecord::kRaceSlot)) +
           std::string(jvdata::Field(rec, TAnalysisRecord::kVenue)) +
           std::string(jvdata::Field(rec, TAnalysisRecord::kRaceNo));
}

// The slot of a key: two digits naming 00..35, or -1.
int KeySlot(std::string_view key) {
    std::string_view s = key.substr(0, 2);
    if (s.size() != 2 || !jvdata::IsAsciiDigits(s)) return -1;
    int slot = (s[0] - '0') * 10 + (s[1] - '0');
    return slot < kMaxRaces ? slot : -1;
}

} // namespace

std::vector<std::string> CheckDateItems(const std::filesystem::path& vzkFolder,
                                        keiba::IoResult* listed) {
    std::vector<std::string> items;
    std::vector<VzkDay> days = ListVzkDays(vzkFolder, listed);
    for (auto it = days.rbegin(); it != days.rend(); ++it) {
        std::string_view d = it->date8;
        items.push_back(std::string(d.substr(0, 4)) + std::string(kYear) +
                        std::string(d.substr(4, 2)) + std::string(kMonth) +
                        std::string(d.substr(6, 2)) + std::string(kDay));
    }
    return items;
}

std::optional<std::string> CheckItemDate(std::string_view item) {
    // yyyy年mm月dd日: 4 + 3 + 2 + 3 + 2 + 3 bytes of UTF-8.
    if (item.size() != 17 || item.substr(4, 3) != kYear || item.substr(9, 3) != kMonth ||
        item.substr(14, 3) != kDay)
        return std::nullopt;
    std::string date8 = std::string(item.substr(0, 4)) + std::string(item.substr(7, 2)) +
                        std::string(item.substr(12, 2));
    if (!jvdata::IsAsciiDigits(date8)) return std::nullopt;
    return date8;
}

void LoadCheckDay(std::string_view bytes, CheckDay& day) {
    for (auto& race : *day.table)
        for (TAnalysisRecord& rec : race) rec.Clear();
    day.races.clear();
    std::set<std::string> keys;
    const std::size_t n = jvdata::RecordCount(bytes, jvdata::kAnalysisLength);
    for (std::size_t i = 0; i < n; ++i)
        keys.insert(RaceListKey(jvdata::RecordAt(bytes, jvdata::kAnalysisLength, i)));
    for (const std::string& key : keys) {
        int slot = KeySlot(key);
        if (slot < 0) continue;
        std::string_view k = key;
        day.races.push_back({slot, keiba::JyoCodeToName(k.substr(2, 2), 2) +
                                       keiba::FormatIntBlankZero(k.substr(4, 2)) + "R"});
    }
    StoreAnalysisRecords(*day.table, bytes);
}

int CheckRunnerCount(const AnalysisDay& table, int slot) {
    if (slot < 0 || slot >= kMaxRaces) return 0;
    const TAnalysisRecord& first = table[static_cast<std::size_t>(slot)][0];
    return std::clamp(static_cast<int>(keiba::DigitValue(first.ThisRun().FieldSize())), 0,
                      kMaxRunners);
}

std::array<std::string, 3> CheckTitles(const AnalysisDay& table, int slot) {
    if (slot < 0 || slot >= kMaxRaces) return {};
    const TAnalysisRecord& first = table[static_cast<std::size_t>(slot)][0];
    const jvdata::TAnalysisRun a = first.ThisRun();
    std::string_view date = first.Date8();
    std::string t1 = std::string(date.substr(0, 4)) + keiba::Sj(kYear) +
                     std::string(date.substr(4, 2)) + keiba::Sj(kMonth) +
                     std::string(date.substr(6, 2)) + keiba::Sj(kDay) +
                     keiba::JyoCodeToName(first.VenueCode(), 2) + std::string(first.RaceNo()) + "R";
    std::string t2 = RunCellText(a, RunCell::Track) + std::string(a.Distance()) + "m";
    std::string t3 = RunCellText(a, RunCell::RaceType) + RunCellText(a, RunCell::Condition) + " " +
                     RunCellText(a, RunCell::Grade);
    return {t1, t2, t3};
}

std::string CheckCellText(const TAnalysisRecord& rec, int col) {
    const jvdata::TAnalysisRun a = rec.ThisRun(), b = rec.PreviousRun();
    if (col >= 4 && col < 24)
        return RunCellText(a, kRunMarkCells[static_cast<std::size_t>(col - 4)]);
    if (col >= 26 && col < 31)
        return RunCellText(b, kRunRaceCells[static_cast<std::size_t>(col - 26)]);
    if (col >= 31 && col < 51)
        return RunCellText(b, kRunMarkCells[static_cast<std::size_t>(col - 31)]);
    switch (col) {
    case 0: return std::string(rec.BracketText());
    case 1: return keiba::FormatIntBlankZero(rec.HorseNumberText());
    case 2: return std::string(rec.HorseName());
    case 3: return RunCellText(a, RunCell::FieldSize);
    case 24: return RunCellText(b, RunCell::Venue);
    case 25: return RunCellText(b, RunCell::FieldSize);
    case 51: return PayoutCellText(rec.WinPayout());
    case 52: return PayoutCellText(rec.PlacePayout());
    case 53: return rec.Status() == "1" ? keiba::Sj("ν") : std::string();
    default: return {};
    }
}

} // namespace raceday
