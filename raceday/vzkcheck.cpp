#include "raceday/vzkcheck.h"

#include "keiba/codetables.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "raceday/analysiscells.h"
#include "raceday/dayfilereaders.h"
#include "raceday/dayreport.h"

#include <algorithm>
#include <map>
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

// Two digits of a sound record as a number.
std::size_t TwoDigits(std::string_view f) {
    return static_cast<std::size_t>((f[0] - '0') * 10 + (f[1] - '0'));
}

std::string RunnerKey(std::string_view venue, std::string_view raceNo, std::size_t horse) {
    return std::string(venue) + std::string(raceNo) + static_cast<char>('0' + horse / 10) +
           static_cast<char>('0' + horse % 10);
}

// The record a race is shown by: its first runner's, or, where damage took that, the next one
// the table holds (every record of a race names the race and its field size alike).
const TAnalysisRecord* SoundRecordOf(const AnalysisDay& table, int slot) {
    if (slot < 0 || slot >= kMaxRaces) return nullptr;
    for (const TAnalysisRecord& rec : table[static_cast<std::size_t>(slot)])
        if (!rec.IsBlank()) return &rec;
    return nullptr;
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

void LoadCheckDay(std::string_view bytes, std::string_view date8, CheckDay& day,
                  std::optional<std::string_view> raceFile) {
    for (auto& race : *day.table)
        for (TAnalysisRecord& rec : race) rec.Clear();
    day.races.clear();
    const AnalysisRecords read = ReadAnalysisRecords(bytes, date8);
    std::set<std::string> keys;
    // The runners with a sound record, by venue, race number and runner number.
    std::set<std::string> held;
    for (std::string_view rec : read.records) {
        keys.insert(RaceListKey(rec));
        // A sound record's slot is 00..35 and its runner 00..18; 00 is no runner.
        const std::size_t horse = TwoDigits(jvdata::Field(rec, TAnalysisRecord::kHorseNo));
        if (horse == 0) continue;
        (*day.table)[TwoDigits(jvdata::Field(rec, TAnalysisRecord::kRaceSlot))][horse - 1].Assign(
            rec);
        held.insert(RunnerKey(jvdata::Field(rec, TAnalysisRecord::kVenue),
                              jvdata::Field(rec, TAnalysisRecord::kRaceNo), horse));
    }
    for (const std::string& key : keys) {
        std::string_view k = key;
        day.races.push_back({static_cast<int>(TwoDigits(k.substr(0, 2))),
                             keiba::JyoCodeToName(k.substr(2, 2), 2) +
                                 keiba::FormatIntBlankZero(k.substr(4, 2)) + "R"});
    }
    // Each race expected, by its venue and race number, and its field size.
    std::map<std::string, int> expected;
    if (raceFile) {
        for (std::string_view ra : ReadRaceFile(*raceFile, date8, {}).races) {
            jvdata::TJvRA race;
            race.Assign(ra);
            expected[std::string(race.VenueCode()) + std::string(race.RaceNo())] =
                std::clamp(race.RunnerCount(), 0, kMaxRunners);
        }
    } else {
        for (const CheckRace& race : day.races) {
            const TAnalysisRecord* rec = SoundRecordOf(*day.table, race.slot);
            if (rec)
                expected.emplace(std::string(rec->VenueCode()) + std::string(rec->RaceNo()),
                                 CheckRunnerCount(*day.table, race.slot));
        }
    }
    std::size_t missing = 0;
    for (const auto& [race, runners] : expected)
        for (int h = 1; h <= runners; ++h)
            if (!held.contains(RunnerKey(std::string_view(race).substr(0, 2),
                                         std::string_view(race).substr(2, 2),
                                         static_cast<std::size_t>(h))))
                ++missing;
    day.lost = raceFile ? missing : std::max(missing, read.lost);
}

std::string CheckDayText(const CheckDay& day, const std::filesystem::path& file) {
    DayReport report;
    report.Lost(jvdata::DayFileKind::Analysis, file, day.lost);
    if (report.Empty() && day.races.empty())
        report.Add(std::string(jvdata::KindInfo(jvdata::DayFileKind::Analysis).what) + "（" +
                   keiba::PathToUtf8(file.filename()) + "）に表示できる記録がありません。");
    return report.Text();
}

int CheckRunnerCount(const AnalysisDay& table, int slot) {
    const TAnalysisRecord* first = SoundRecordOf(table, slot);
    if (!first) return 0;
    return std::clamp(static_cast<int>(keiba::DigitValue(first->ThisRun().FieldSize())), 0,
                      kMaxRunners);
}

std::array<std::string, 3> CheckTitles(const AnalysisDay& table, int slot) {
    const TAnalysisRecord* first = SoundRecordOf(table, slot);
    if (!first) return {};
    const jvdata::TAnalysisRun a = first->ThisRun();
    std::string_view date = first->Date8();
    std::string t1 =
        std::string(date.substr(0, 4)) + keiba::Sj(kYear) + std::string(date.substr(4, 2)) +
        keiba::Sj(kMonth) + std::string(date.substr(6, 2)) + keiba::Sj(kDay) +
        keiba::JyoCodeToName(first->VenueCode(), 2) + std::string(first->RaceNo()) + "R";
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
