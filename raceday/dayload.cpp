#include "raceday/dayload.h"

#include "jvdata/dayfiles.h"
#include "jvdata/payouts.h"
#include "jvdata/umconvert.h"
#include "keiba/codetables.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/inigt.h"
#include "keiba/platform.h"
#include "keiba/sjis.h"
#include "raceday/analysis.h"

#include <algorithm>
#include <set>
#include <unordered_map>

namespace raceday {
namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

std::string U8(std::string_view sjis) {
    return keiba::Cp932ToUtf8(sjis);
}

bool IsBlankOrZeroYear(std::string_view year) {
    return keiba::TrimBlanks(year).empty() || year == "0000";
}

std::string VenueName2(std::string_view code) {
    return keiba::JyoCodeToName(code, 2);
}

// Files read during one load, each at most once: runner files are shared by a venue's races
// and past days' race files by many runners.
class FileCache {
public:
    const std::string* Get(const fs::path& p) {
        auto it = files_.find(p.native());
        if (it == files_.end()) {
            auto bytes = keiba::ReadWholeFile(p);
            it = files_.emplace(p.native(), std::move(bytes)).first;
        }
        return it->second ? &*it->second : nullptr;
    }
    // A past day's race file by its "yyyymmdd", without building its path again.
    const std::string* PastDay(const fs::path& appDir, const jvdata::TJvRA& past) {
        std::string date8(past.RaceDate());
        auto it = pastDays_.find(date8);
        if (it != pastDays_.end()) return it->second;
        auto date = past.Key().Date();
        const std::string* file =
            date ? Get(jvdata::DayFilePath(appDir, *date, jvdata::DayFile::RA)) : nullptr;
        pastDays_.emplace(std::move(date8), file);
        return file;
    }

private:
    std::unordered_map<std::string, std::optional<std::string>> files_;
    std::unordered_map<std::string, const std::string*> pastDays_;
};

// Busy flag and progress form, released on every way out of a load.
class LoadScope {
public:
    LoadScope(TRaceDay& day, DayLoadHost& host)
        : day_(day)
        , host_(host) {
        day_.gLoadBusy = true;
    }
    ~LoadScope() {
        if (progress_) host_.HideProgress();
        day_.gLoadBusy = false;
    }
    LoadScope(const LoadScope&) = delete;
    LoadScope& operator=(const LoadScope&) = delete;
    void ShowProgress(int max, const std::string& heading, const std::string& status) {
        host_.ShowProgress(max, heading, status);
        progress_ = true;
    }
    void HideProgress() {
        if (progress_) host_.HideProgress();
        progress_ = false;
    }

private:
    TRaceDay& day_;
    DayLoadHost& host_;
    bool progress_ = false;
};

std::optional<fs::path> RunnerFileOf(const fs::path& appDir, year_month_day date,
                                     std::string_view venue) {
    return jvdata::DayRunnerFile(appDir, date, venue);
}

// The runner records of race slot r from its venue's runner file.
void ReadRunners(TRaceDay& day, std::size_t r, const std::string& runnerFile) {
    const jvdata::TJvRA& race = day.gDayRaces[r];
    int n = race.RaceNumber();
    int f = FieldSize(day, static_cast<int>(r));
    for (int h = 0; h < f; ++h) {
        int slot = jvdata::RunnerSlot(n, h + 1);
        if (slot < 0) break;
        day.gDayHorses[r][static_cast<std::size_t>(h)].Assign(
            jvdata::RecordAt(runnerFile, jvdata::kSeLength, static_cast<std::size_t>(slot)));
    }
}

// Horse master and the last three earlier runs of runner h of race slot r.
void ReadRunnerHistory(TRaceDay& day, std::size_t r, std::size_t h, std::int64_t raceDate,
                       DayLoadHost& host, const fs::path& appDir) {
    const jvdata::TJvSE& se = day.gDayHorses[r][h];
    std::string_view id = se.PedigreeId();
    auto um2 = jvdata::HorseFilePath(appDir, jvdata::HorseFile::UM2, id);
    auto uma = jvdata::HorseFilePath(appDir, jvdata::HorseFile::UMA, id);
    auto sei = jvdata::HorseFilePath(appDir, jvdata::HorseFile::SEI, id);
    if (!um2 || !uma || !sei) return; // not a pedigree id: nothing may be built from it
    auto master = keiba::ReadWholeFile(*um2);
    if (!master) {
        std::error_code ec;
        fs::create_directories(um2->parent_path(), ec);
        host.UMConvertBtnClick(*um2, *uma);
        master = keiba::ReadWholeFile(*um2);
    }
    if (master) day.gDayHorseMasters[r][h].Assign(jvdata::RecordAt(*master, jvdata::kUmLength, 0));

    auto runs = keiba::ReadWholeFile(*sei);
    if (!runs || runs->empty()) return;
    std::size_t count = jvdata::RecordCount(*runs, jvdata::kSeLength);
    std::size_t k = 0;
    const jvdata::TJvRA& race = day.gDayRaces[r];
    for (std::size_t i = count; i-- > 0 && k < kPastRunsRead;) {
        std::string_view rec = jvdata::RecordAt(*runs, jvdata::kSeLength, i);
        std::int64_t date = jvdata::FieldNumber(rec, 12, 8);
        if (date < 1 || date >= raceDate) continue;
        day.gPastRunHorses[r][h][k].Assign(rec);
        day.gPastRunRaces[r][h][k].SetField(12, 16, jvdata::Field(rec, 12, 16));
        static const std::string kRuns = keiba::Sj("走");
        host.SetProgressText(VenueName2(race.VenueCode()) +
                             keiba::FormatIntBlankZero(race.Field(26, 2)) + "R " +
                             keiba::StrToMaruNum(se.Field(29, 2)) +
                             std::string(keiba::CutBytes(se.HorseName(), 18)) + ":" +
                             keiba::FormatInt(static_cast<std::int64_t>(k + 1), 2) + kRuns);
        ++k;
    }
}

// The whole race records of the past runs, from their days' race files.
void PlacePastRaces(TRaceDay& day, std::size_t r, DayLoadHost& host, const fs::path& appDir,
                    FileCache& files) {
    const jvdata::TJvRA& race = day.gDayRaces[r];
    int f = FieldSize(day, static_cast<int>(r));
    for (std::size_t h = 0; h < static_cast<std::size_t>(f); ++h) {
        for (std::size_t k = 0; k < kPastRunsRead; ++k) {
            jvdata::TJvRA& past = day.gPastRunRaces[r][h][k];
            static const std::string kPlacing = keiba::Sj("過去走配置中:");
            static const std::string kRuns = keiba::Sj("走:");
            host.SetProgressText(
                kPlacing + VenueName2(race.VenueCode()) +
                keiba::FormatIntBlankZero(race.Field(26, 2)) + "R" +
                keiba::FormatInt(static_cast<std::int64_t>(k + 1), 2) + kRuns +
                keiba::StrToMaruNum(day.gDayHorses[r][h].Field(29, 2)) +
                std::string(keiba::CutBytes(day.gDayHorses[r][h].HorseName(), 18)));
            if (keiba::TrimBlanks(past.Key().Year()).empty()) break;
            int venue = static_cast<int>(keiba::DigitValue(past.VenueCode()));
            if (past.VenueCode().size() != 2 || !jvdata::IsAsciiDigits(past.VenueCode()) ||
                venue < 1 || venue > 10)
                continue;
            const std::string* file = files.PastDay(appDir, past);
            if (!file) continue;
            std::size_t n = jvdata::RecordCount(*file, jvdata::kRaLength);
            for (std::size_t i = 0; i < n; ++i) {
                std::string_view rec = jvdata::RecordAt(*file, jvdata::kRaLength, i);
                if (jvdata::Field(rec, 26, 2) == past.Field(26, 2) &&
                    jvdata::Field(rec, 20, 2) == past.VenueCode()) {
                    past.Assign(rec);
                    break;
                }
            }
        }
    }
}

void ReadPayouts(TRaceDay& day) {
    auto bytes = keiba::ReadWholeFile(day.gHrFileName);
    if (!bytes) return;
    std::size_t n =
        std::min<std::size_t>(jvdata::RecordCount(*bytes, jvdata::kHrLength), kMaxRaces);
    for (std::size_t i = 0; i < n; ++i) {
        std::string_view rec = jvdata::RecordAt(*bytes, jvdata::kHrLength, i);
        std::string key = jvdata::RaceKey::Of(rec).Key12();
        for (std::size_t r = 0; r < kMaxRaces; ++r) {
            std::string slotKey = day.gDayRaces[r].Key().Key12();
            if (keiba::TrimBlanks(slotKey).empty()) continue;
            if (slotKey == key) {
                day.gDayPayouts[r].Assign(rec);
                break;
            }
        }
    }
}

void SetFileNames(TRaceDay& day, const fs::path& appDir, year_month_day date) {
    using jvdata::DayFile;
    day.gRaFileName = jvdata::DayFilePath(appDir, date, DayFile::RA);
    day.gHrFileName = jvdata::DayFilePath(appDir, date, DayFile::HR);
    day.gDmFileName = jvdata::DayFilePath(appDir, date, DayFile::DM);
    day.gO1FileName = jvdata::DayFilePath(appDir, date, DayFile::O1);
    day.gO2FileName = jvdata::DayFilePath(appDir, date, DayFile::O2);
    day.gO3FileName = jvdata::DayFilePath(appDir, date, DayFile::O3);
    day.gO4FileName = jvdata::DayFilePath(appDir, date, DayFile::O4);
    day.gO5FileName = jvdata::DayFilePath(appDir, date, DayFile::O5);
    day.gO6FileName = jvdata::DayFilePath(appDir, date, DayFile::O6);
    std::string ymd = jvdata::FormatYyyymmdd(date);
    day.gVzkXqFileName = appDir / "VZK" / ("XQ" + ymd + ".vzkd");
    day.gVzkRcomCsvName = appDir / "VZK" / ("RCOM" + ymd + ".CSV");
    day.gRumaFileName = appDir / "Data" / keiba::Utf8Path(jvdata::DayStem(date) + ".ruma");
    day.gDayStem = jvdata::DayStem(date);
}

void SetFetchTimesAndVenues(TRaceDay& day, int autoOzGet) {
    std::set<std::string> keyList; // venue code + venue name, sorted, no duplicates
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        const jvdata::TJvRA& race = day.gDayRaces[r];
        if (IsBlankOrZeroYear(race.Key().Year())) continue;
        keyList.insert(std::string(race.VenueCode()) + VenueName2(race.VenueCode()));
        day.gRaceCalc[r].OzTime1 = keiba::AddMinutesHHMM(race.PostTime(), -autoOzGet);
        day.gRaceCalc[r].OzTime2 = keiba::AddMinutesHHMM(race.PostTime(), -(autoOzGet - 1));
    }
    day.gVenueCodes = {};
    std::size_t i = 0;
    for (const std::string& k : keyList) {
        if (i >= 3) break;
        day.gVenueCodes[i++] = k.substr(0, 2);
    }
}

void SetVenueIndexes(TRaceDay& day, DayLoadHost& host) {
    std::array<std::string, 3> idx{};
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        for (std::size_t n = 0; n < 3; ++n) {
            if (idx[n].empty() && !day.gVenueCodes[n].empty() &&
                day.gVenueCodes[n] == day.gDayRaces[r].VenueCode())
                idx[n] = keiba::FormatInt(static_cast<std::int64_t>(r), 2);
        }
    }
    day.gVenueFirstSlots = idx;
    std::array<std::string, 3> codes;
    for (std::size_t n = 0; n < 3; ++n) codes[n] = U8(day.gVenueCodes[n]);
    host.SetVenueLabels(codes, idx);
}

} // namespace

void DayLoadHost::IniBtnClick(TRaceDay& day) {
    ClearRaceDay(day);
}

void DayLoadHost::UMConvertBtnClick(const fs::path& um2File, const fs::path& umaFile) {
    jvdata::ConvertUmaFile(umaFile, um2File);
}

void DayLoadHost::OzReadBtnClick(TRaceDay& day) {
    int r = std::clamp(day.gOddsRaceIndex, 0, kMaxRaces - 1);
    jvdata::ReadRaceOdds(day.gDayRaces[static_cast<std::size_t>(r)], day.OddsFiles(),
                         day.gOddsFiles, day.OddsSlots(r),
                         day.gRaceCalc[static_cast<std::size_t>(r)]);
}

void DayLoadHost::CalcBtnClick(TRaceDay& day) {
    jvdata::ParsePayoutTables(day.gDayPayouts, day.gPayoutTables);
}

std::optional<year_month_day> StemDate(std::string_view stem) {
    // yyyy年mm月dd日: the kanji are three bytes each in UTF-8.
    static const std::string nen = "年", tsuki = "月", nichi = "日";
    if (stem.size() != 4 + 3 + 2 + 3 + 2 + 3) return std::nullopt;
    if (stem.substr(4, 3) != nen || stem.substr(9, 3) != tsuki || stem.substr(14, 3) != nichi)
        return std::nullopt;
    std::string digits = std::string(stem.substr(0, 4)) + std::string(stem.substr(7, 2)) +
                         std::string(stem.substr(12, 2));
    return jvdata::ParseYyyymmdd(digits);
}

std::vector<std::string> MakeDataList(const fs::path& appDir) {
    std::vector<std::string> stems;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(appDir / "Data", ec)) {
        std::string name = keiba::PathToUtf8(entry.path().filename());
        if (name.size() <= 5 || !name.ends_with(".jvRA")) continue;
        std::string stem = name.substr(0, name.size() - 5);
        if (StemDate(stem)) stems.push_back(stem);
    }
    std::sort(stems.begin(), stems.end(), std::greater<>());
    return stems;
}

DayLoadResult DateComboChange(TRaceDay& day, const std::string& stem, DayLoadHost& host,
                              const fs::path& appDir) {
    if (day.gLoadBusy) return DayLoadResult::Busy;
    auto date = StemDate(stem);
    if (!date) return DayLoadResult::BadStem;

    keiba::LocalTime now = keiba::CurrentClock().Now();
    year_month_day today{floor<days>(now)};
    year_month_day tomorrow{sys_days{floor<days>(now).time_since_epoch()} + days{1}};
    bool isToday = *date == today;
    host.PrepareForLoad(isToday);

    LoadScope scope(day, host);
    host.IniBtnClick(day);
    SetFileNames(day, appDir, *date);
    // Nothing of the previous day may stay behind, also when this day cannot be loaded.
    BlankDayRecords(day);
    day.gDayRaceCount = 0;

    auto raFile = keiba::ReadWholeFile(day.gRaFileName);
    if (!raFile) {
        keiba::CurrentNotifier().Beep();
        keiba::CurrentNotifier().Information("データ作成が未完了のようです。");
        return DayLoadResult::NoRaceFile;
    }

    scope.ShowProgress(35, "レースデータを読み込んでいます。", stem);
    FileCache files;

    // Races, runners, horse masters and past runs.
    std::size_t raceCount =
        std::min<std::size_t>(jvdata::RecordCount(*raFile, jvdata::kRaLength), kMaxRaces);
    day.gDayRaceCount = static_cast<int>(raceCount);
    for (std::size_t r = 0; r < raceCount; ++r) {
        day.gDayRaces[r].Assign(jvdata::RecordAt(*raFile, jvdata::kRaLength, r));
        const jvdata::TJvRA& race = day.gDayRaces[r];
        std::int64_t raceDate = jvdata::FieldNumber(race.Bytes(), 12, 8);
        auto runnerPath = RunnerFileOf(appDir, *date, race.VenueCode());
        const std::string* runnerFile = runnerPath ? files.Get(*runnerPath) : nullptr;
        if (runnerFile) {
            ReadRunners(day, r, *runnerFile);
            int f = FieldSize(day, static_cast<int>(r));
            for (std::size_t h = 0; h < static_cast<std::size_t>(f); ++h)
                ReadRunnerHistory(day, r, h, raceDate, host, appDir);
        }
        host.StepProgress();
    }

    ReadPayouts(day);

    host.SetProgressPosition(0);
    host.ClearRaceLists();
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        host.StepProgress();
        const jvdata::TJvRA& race = day.gDayRaces[r];
        if (!IsBlankOrZeroYear(race.Key().Year()))
            host.AddRaceListItem(U8(VenueName2(race.VenueCode()) +
                                    keiba::FormatIntBlankZero(race.Field(26, 2)) + "R"));
        PlacePastRaces(day, r, host, appDir, files);
    }

    LoadMembersData(day);
    scope.HideProgress();

    keiba::TIniGT ini;
    ini.Loaded();
    int autoOzGet = std::clamp(ini.ReadInteger("Time", "AutoOzGet", 10), 3, 59);
    SetFetchTimesAndVenues(day, autoOzGet);

    for (int r = 0; r < kMaxRaces; ++r) {
        day.gOddsRaceIndex = r;
        host.OzReadBtnClick(day);
    }

    SetVenueIndexes(day, host);
    host.CalcBtnClick(day);

    std::error_code ec;
    if (fs::exists(appDir / "Keeper.key", ec)) host.SisuStatBtn2Click();

    std::int64_t amount = ini.ReadInteger("KaimeSet", "DefaultAmount", 3000);
    day.RaceAmounts.fill(amount);

    day.gAutoRdataMinutes = std::clamp(ini.ReadInteger("Time", "AutoRdataGet", 10), 5, 59);
    bool armTimers = isToday || (*date == tomorrow && keiba::Hhnn(now) >= "1800");
    if (armTimers) {
        host.StartTimer4(day.gAutoRdataMinutes * 60000);
        if (!host.AutoOzChecked()) host.ArmAutoOdds();
    }

    for (int s = 1; s <= 4; ++s) host.NeraiComboChange(s);
    for (int u = 1; u <= 3; ++u) host.NeraiKaimeComboChange(u);
    if (day.gDayRaceCount > 0) host.SelectFirstRace();
    return DayLoadResult::Loaded;
}

void DirectReadBtnClick(TRaceDay& day, const std::vector<std::string>& dateList, DayLoadHost& host,
                        const fs::path& appDir) {
    if (day.gLoadBusy || day.gBatchBusy) return;
    day.gBatchBusy = true;
    for (std::size_t i = dateList.size(); i-- > 0;) {
        std::error_code ec;
        if (fs::exists(appDir / "STAT" / keiba::Utf8Path(dateList[i] + ".stat1"), ec)) continue;
        DateComboChange(day, dateList[i], host, appDir);
    }
    day.gBatchBusy = false;
}

bool HrReadBtnClick(TRaceDay& day, const std::string& stem, DayLoadHost& host,
                    const fs::path& appDir) {
    auto date = StemDate(stem);
    if (!date) return false;
    day.gHrFileName = jvdata::DayFilePath(appDir, *date, jvdata::DayFile::HR);
    std::size_t cur = static_cast<std::size_t>(std::clamp(day.gCurRace, 0, kMaxRaces - 1));
    std::string shownVenue(day.gDayRaces[cur].VenueCode());
    std::string shownRace(day.gDayRaces[cur].Field(26, 2));

    if (auto raFile = keiba::ReadWholeFile(day.gRaFileName)) {
        FileCache files;
        std::size_t n = jvdata::RecordCount(*raFile, jvdata::kRaLength);
        std::size_t slot = 0;
        for (std::size_t i = 0; i < n && slot < kMaxRaces; ++i) {
            std::string_view rec = jvdata::RecordAt(*raFile, jvdata::kRaLength, i);
            day.gDayRaces[slot].Assign(rec);
            // A record without a year gives its slot to the next one.
            if (keiba::TrimBlanks(jvdata::Field(rec, 12, 4)).empty()) continue;
            auto runnerPath = RunnerFileOf(appDir, *date, jvdata::Field(rec, 20, 2));
            if (const std::string* runnerFile = runnerPath ? files.Get(*runnerPath) : nullptr)
                ReadRunners(day, slot, *runnerFile);
            ++slot;
        }
    }

    bool shownGotPayouts = false;
    auto hrFile = keiba::ReadWholeFile(day.gHrFileName);
    if (hrFile) {
        for (jvdata::TJvHR& hr : day.gDayPayouts) hr.Clear();
        std::size_t n =
            std::min<std::size_t>(jvdata::RecordCount(*hrFile, jvdata::kHrLength), kMaxRaces);
        for (std::size_t i = 0; i < n; ++i) {
            std::string_view rec = jvdata::RecordAt(*hrFile, jvdata::kHrLength, i);
            jvdata::RaceKey key = jvdata::RaceKey::Of(rec);
            // A record without a race key is no race's; it would match an empty slot.
            if (keiba::TrimBlanks(key.Text()).empty()) continue;
            for (std::size_t r = 0; r < kMaxRaces; ++r) {
                if (day.gDayRaces[r].Key() != key) continue;
                day.gDayPayouts[r].Assign(rec);
                if (jvdata::Field(rec, 20, 2) == shownVenue &&
                    jvdata::Field(rec, 26, 2) == shownRace && day.gRaceCalc[r].PayoutSeen == 0)
                    shownGotPayouts = true;
                day.gRaceCalc[r].PayoutSeen = 1;
                break;
            }
        }
        // The horses of the place payouts take the order of the place entries as their
        // finishing positions.
        for (std::size_t r = 0; r < kMaxRaces; ++r) {
            for (int j = 1; j <= 5; ++j) {
                int horse = static_cast<int>(keiba::DigitValue(
                    day.gDayPayouts[r].Entry(jvdata::BetType::Place, j).combination));
                if (horse < 1 || horse > kMaxRunners) continue;
                char pos[3] = {'0', static_cast<char>('0' + j), 0};
                day.gDayHorses[r][static_cast<std::size_t>(horse - 1)].SetField(335, 2, pos);
            }
        }
    }
    host.CalcBtnClick(day);
    return shownGotPayouts;
}

} // namespace raceday
