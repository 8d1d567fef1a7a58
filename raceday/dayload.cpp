#include "raceday/dayload.h"

#include "jvdata/dayfiles.h"
#include "jvdata/payouts.h"
#include "jvdata/recordcheck.h"
#include "jvdata/umconvert.h"
#include "keiba/codetables.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "raceday/analysis.h"
#include "raceday/dayreport.h"

#include <algorithm>
#include <cstring>
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

// " 1" to " 3": a past run's number in the progress texts.
const std::string& RunNumber(std::size_t k) {
    static const std::array<std::string, kPastRunsRead> kNumbers = [] {
        std::array<std::string, kPastRunsRead> n;
        for (std::size_t i = 0; i < kPastRunsRead; ++i)
            n[i] = keiba::FormatInt(static_cast<std::int64_t>(i + 1), 2);
        return n;
    }();
    return kNumbers[k];
}

// A venue code and race number packed in four bytes.
std::uint32_t VenueRaceKey(std::string_view venue, std::string_view race) {
    char k[4] = {' ', ' ', ' ', ' '};
    std::copy_n(venue.begin(), std::min<std::size_t>(venue.size(), 2), k);
    std::copy_n(race.begin(), std::min<std::size_t>(race.size(), 2), k + 2);
    std::uint32_t v;
    std::memcpy(&v, k, 4);
    return v;
}

// Files read during one load, each at most once: runner files are shared by a venue's races
// and past days' race files by many runners. A file that is there but cannot be read goes to the
// report, once.
class FileCache {
public:
    explicit FileCache(DayReport& report)
        : report_(report) {}

    const std::string* Get(const fs::path& p) {
        auto it = files_.find(p.native());
        if (it == files_.end()) {
            keiba::FileRead file = keiba::ReadFileOrMissing(p);
            report_.Unreadable(file.read);
            it = files_.emplace(p.native(), std::move(file.bytes)).first;
        }
        return it->second ? &*it->second : nullptr;
    }
    // The first record of a past day's race file with the venue and race number of the race
    // key `key16`, or an empty view. The day is found by its "yyyymmdd", without building its
    // path again.
    std::string_view PastRace(const fs::path& appDir, std::string_view key16) {
        const auto key = jvdata::RaceKey::FromText(key16);
        if (!key) return {};
        std::string date8(key->Date8());
        auto it = pastDays_.find(date8);
        if (it == pastDays_.end()) {
            auto date = key->Date();
            const std::string* file =
                date ? Get(jvdata::DayFilePath(appDir, *date, jvdata::DayFile::RA)) : nullptr;
            it = pastDays_.emplace(std::move(date8), IndexRaces(file)).first;
        }
        const RaceIndex& index = it->second;
        const std::uint32_t packed = VenueRaceKey(key->Venue(), key->RaceNo());
        auto at = std::lower_bound(index.begin(), index.end(), packed,
                                   [](const auto& e, std::uint32_t k) { return e.first < k; });
        return at != index.end() && at->first == packed ? at->second : std::string_view();
    }

private:
    // Sorted by key; the first record of a race in the file is the one kept.
    using RaceIndex = std::vector<std::pair<std::uint32_t, std::string_view>>;
    static RaceIndex IndexRaces(const std::string* file) {
        RaceIndex index;
        if (!file) return index;
        std::size_t n = jvdata::RecordCount(*file, jvdata::kRaLength);
        index.reserve(n);
        for (std::size_t i = 0; i < n; ++i) {
            std::string_view rec = jvdata::RecordAt(*file, jvdata::kRaLength, i);
            index.emplace_back(VenueRaceKey(jvdata::Field(rec, jvdata::RecordHead::kVenue),
                                            jvdata::Field(rec, jvdata::RecordHead::kRaceNo)),
                               rec);
        }
        std::stable_sort(index.begin(), index.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        index.erase(std::unique(index.begin(), index.end(),
                                [](const auto& a, const auto& b) { return a.first == b.first; }),
                    index.end());
        return index;
    }

    DayReport& report_;
    // Node-based, so the files' bytes stay where they are while others are added.
    std::unordered_map<std::string, std::optional<std::string>> files_;
    std::unordered_map<std::string, RaceIndex> pastDays_;
};

// How far a race file can be read: its whole RA records from the first, up to the first
// piece that is not one. The races after such a piece have no slot of their own (a race's
// slot is its place in the file), so they are not read either.
struct ReadableRaces {
    std::size_t count = 0; // at most kMaxRaces
    std::size_t lost = 0;  // races of the first kMaxRaces places not read
};

ReadableRaces ReadableRacesOf(std::string_view file) {
    constexpr auto kSlots = static_cast<std::size_t>(kMaxRaces);
    const std::size_t whole = jvdata::RecordCount(file, jvdata::kRaLength);
    const std::size_t places = std::min(whole, kSlots);
    ReadableRaces out;
    while (out.count < places &&
           jvdata::CheckFraming(jvdata::RecordAt(file, jvdata::kRaLength, out.count), "RA"))
        ++out.count;
    out.lost = places - out.count;
    // A record cut short at the end is a race lost too, when it would have had a slot.
    if (whole < kSlots && file.size() % jvdata::kRaLength != 0) ++out.lost;
    return out;
}

std::string DamagedRaceFileText(const std::string& stem, const ReadableRaces& races) {
    const std::string file = "レースデータ（" + stem + ".jvRA）";
    if (races.count == 0) return file + "が壊れているため、この開催日を読み込めません。";
    return file + "の一部が壊れているため、" + std::to_string(races.lost) +
           "レース分を読み込めませんでした。";
}

// The runner slots a venue's runner file could not give the day's races.
struct LostRunners {
    fs::path file;
    std::size_t races = 0, runners = 0;
};

void CountLostRunners(std::vector<LostRunners>& lost, const fs::path& file, std::size_t runners) {
    if (runners == 0) return;
    auto it = std::find_if(lost.begin(), lost.end(), [&](const auto& l) { return l.file == file; });
    if (it == lost.end()) it = lost.insert(lost.end(), {file, 0, 0});
    ++it->races;
    it->runners += runners;
}

void ReportLostRunners(const std::vector<LostRunners>& lost, DayReport& report) {
    for (const LostRunners& l : lost)
        report.Lost("出走馬データ", l.file,
                    std::to_string(l.races) + "レースの出走馬" + std::to_string(l.runners) +
                        "頭分");
}

// The progress form, hidden on every way out of a load.
class LoadScope {
public:
    explicit LoadScope(DayLoadProgress& progress)
        : progress_(progress) {}
    ~LoadScope() {
        if (shown_) progress_.HideProgress();
    }
    LoadScope(const LoadScope&) = delete;
    LoadScope& operator=(const LoadScope&) = delete;
    void ShowProgress(int max, const std::string& heading, const std::string& status) {
        progress_.ShowProgress(max, heading, status);
        shown_ = true;
    }
    void HideProgress() {
        if (shown_) progress_.HideProgress();
        shown_ = false;
    }

private:
    DayLoadProgress& progress_;
    bool shown_ = false;
};

std::optional<fs::path> RunnerFileOf(const fs::path& appDir, year_month_day date,
                                     std::string_view venue) {
    return jvdata::DayRunnerFile(appDir, date, venue);
}

// A slot of a runner file that holds no record: a blank line, where no runner has been filed.
bool IsBlankSlot(std::string_view slot) {
    return slot.size() == jvdata::kSeLength && slot.ends_with("\r\n") &&
           slot.find_first_not_of(' ') == jvdata::kSeLength - 2;
}

// Whether `rec` is runner h's (0-based) of `race`: sound, with the race's key and the number.
bool IsRunnerOf(std::string_view rec, const jvdata::TJvRA& race, std::size_t h) {
    const std::string_view number = jvdata::Field(rec, jvdata::TJvSE::kHorseNo);
    return jvdata::IsSoundRecord(rec, jvdata::TJvSE::kId) &&
           jvdata::Field(rec, jvdata::RecordHead::kRaceKey) == race.KeyText() &&
           number[0] == static_cast<char>('0' + (h + 1) / 10) &&
           number[1] == static_cast<char>('0' + (h + 1) % 10);
}

// The runner records of race slot r from its venue's runner file; returns how many runner slots
// (from the first) it wrote. A slot that does not hold its runner's record, sound, stays blank and
// is counted in `lost`, unless it is a blank line: that runner has not been filed yet.
std::size_t ReadRunners(RaceDay& day, std::size_t r, const std::string& runnerFile,
                        std::size_t* lost = nullptr) {
    const jvdata::TJvRA& race = day.gDayRaces[r];
    int n = race.RaceNumber();
    int f = FieldSize(day, static_cast<int>(r));
    std::size_t h = 0;
    for (; h < static_cast<std::size_t>(f); ++h) {
        int slot = jvdata::RunnerSlot(n, static_cast<int>(h) + 1);
        if (slot < 0) break;
        const std::string_view rec =
            jvdata::RecordAt(runnerFile, jvdata::kSeLength, static_cast<std::size_t>(slot));
        if (IsRunnerOf(rec, race, h)) {
            day.gDayHorses[r][h].Assign(rec);
        } else {
            day.gDayHorses[r][h].Clear();
            if (lost && !IsBlankSlot(rec)) ++*lost;
        }
    }
    return h;
}

// The progress text of a load's runner step: venue, race and runner, then the past run found.
std::string RunProgressText(const jvdata::TJvRA& race, const jvdata::TJvSE& se, std::size_t k) {
    static const std::string kRuns = keiba::Sj("走");
    return VenueName2(race.VenueCode()) + keiba::FormatIntBlankZero(race.RaceNo()) + "R " +
           keiba::StrToMaruNum(se.HorseNumberText()) +
           std::string(keiba::CutBytes(se.HorseName(), 18)) + ":" + RunNumber(k) + kRuns;
}

// The progress text of the placing step for past run k of a runner.
std::string PlacingProgressText(const jvdata::TJvRA& race, const jvdata::TJvSE& se, std::size_t k) {
    static const std::string kPlacing = keiba::Sj("過去走配置中:");
    static const std::string kRuns = keiba::Sj("走:");
    return kPlacing + VenueName2(race.VenueCode()) + keiba::FormatIntBlankZero(race.RaceNo()) +
           "R" + RunNumber(k) + kRuns + keiba::StrToMaruNum(se.HorseNumberText()) +
           std::string(keiba::CutBytes(se.HorseName(), 18));
}

// Horse master and the last three earlier runs of runner h of race slot r; returns how many
// runs it found. The master and run slots are all written: what is not read is blanked. The
// runs' race records are left to PlacePastRaces. A horse file that cannot be read goes to the
// report; a master that cannot be read is not made again from the older file, which would
// replace it.
std::size_t ReadRunnerHistory(RaceDay& day, std::size_t r, std::size_t h, std::int64_t raceDate,
                              DayLoadSteps& steps, jvdata::HorseFilePaths& paths,
                              const fs::path& appDir, DayReport& report) {
    const jvdata::TJvSE& se = day.gDayHorses[r][h];
    std::string_view id = se.PedigreeId();
    jvdata::TJvUM& masterSlot = day.gDayHorseMasters[r][h];
    auto& runSlots = day.gPastRunHorses[r][h];
    std::size_t k = 0;
    // An id that is no pedigree id makes no path, and nothing may be built from it.
    if (const char* um2 = paths.Of(jvdata::HorseFile::UM2, id)) {
        keiba::FileRead master = keiba::ReadFileOrMissing(um2);
        report.Unreadable(master.read);
        if (master.Missing()) {
            const fs::path um2Path = *jvdata::HorseFilePath(appDir, jvdata::HorseFile::UM2, id);
            std::error_code ec;
            fs::create_directories(um2Path.parent_path(), ec);
            const keiba::IoResult converted = steps.ConvertHorseMaster(
                um2Path, *jvdata::HorseFilePath(appDir, jvdata::HorseFile::UMA, id));
            master = keiba::ReadFileOrMissing(um2Path);
            // One line for one horse: a conversion that failed has told it already.
            report.Unreadable(converted ? master.read : converted);
        }
        if (master.bytes)
            masterSlot.Assign(jvdata::RecordAt(*master.bytes, jvdata::kUmLength, 0));
        else
            masterSlot.Clear();

        keiba::FileRead sei = keiba::ReadFileOrMissing(paths.Of(jvdata::HorseFile::SEI, id));
        report.Unreadable(sei.read);
        const std::optional<std::string>& runs = sei.bytes;
        if (runs && !runs->empty()) {
            std::size_t count = jvdata::RecordCount(*runs, jvdata::kSeLength);
            for (std::size_t i = count; i-- > 0 && k < kPastRunsRead;) {
                std::string_view rec = jvdata::RecordAt(*runs, jvdata::kSeLength, i);
                std::int64_t date = jvdata::FieldNumber(rec, jvdata::RecordHead::kRaceDate);
                if (date < 1 || date >= raceDate) continue;
                runSlots[k].Assign(rec);
                ++k;
            }
        }
    } else {
        masterSlot.Clear();
    }
    const std::size_t found = k;
    for (; k < kPastRunsRead; ++k) runSlots[k].Clear();
    return found;
}

// What the runner step of each race uses.
struct RunnerStep {
    DayLoadProgress& progress;
    DayLoadSteps& steps;
    const fs::path& appDir;
    FileCache& files;
    jvdata::HorseFilePaths& horsePaths;
    DayReport& report;
};

// Runners, horse masters and past runs of race slot r (its race record in place) from its
// venue's runner file; returns how many runner slots it wrote, and in `pastRuns` how many runs
// each runner has. The runner slots the file could not give are counted in `lostRunners`.
std::size_t ReadRaceRunners(RaceDay& day, std::size_t r, year_month_day date, RunnerStep& step,
                            std::vector<LostRunners>& lostRunners,
                            std::array<std::uint8_t, kMaxRunners>& pastRuns) {
    const jvdata::TJvRA& race = day.gDayRaces[r];
    const auto runnerPath = RunnerFileOf(step.appDir, date, race.VenueCode());
    const std::string* runnerFile = runnerPath ? step.files.Get(*runnerPath) : nullptr;
    if (!runnerFile) return 0;
    std::size_t lost = 0;
    const std::size_t read = ReadRunners(day, r, *runnerFile, &lost);
    CountLostRunners(lostRunners, *runnerPath, lost);
    const std::int64_t raceDate = race.Number(jvdata::RecordHead::kRaceDate);
    std::size_t lastWithRuns = read;
    for (std::size_t h = 0; h < read; ++h) {
        const std::size_t found = ReadRunnerHistory(day, r, h, raceDate, step.steps,
                                                    step.horsePaths, step.appDir, step.report);
        pastRuns[h] = static_cast<std::uint8_t>(found);
        if (found > 0) lastWithRuns = h;
    }
    // Shown when the race's step ends: the last runner with runs, its last run.
    if (lastWithRuns < read)
        step.progress.SetProgressText(
            RunProgressText(race, day.gDayHorses[r][lastWithRuns], pastRuns[lastWithRuns] - 1u));
    return read;
}

// The race records of the past runs of race slot r, each written once: the whole record from
// its day's race file, or its key alone (the key of the run) when the file has none, or blanks
// past the runner's runs. `runs` holds how many runs ReadRunnerHistory found per runner.
void PlacePastRaces(RaceDay& day, std::size_t r, const std::array<std::uint8_t, kMaxRunners>& runs,
                    DayLoadProgress& progress, const fs::path& appDir, FileCache& files) {
    int f = FieldSize(day, static_cast<int>(r));
    if (f <= 0) return;
    std::size_t lastPlaced = 0; // of the last runner: the progress text's run
    for (std::size_t h = 0; h < static_cast<std::size_t>(f); ++h) {
        // The progress follows the runs up to the first without a year.
        bool placing = true;
        for (std::size_t k = 0; k < kPastRunsRead; ++k) {
            jvdata::TJvRA& past = day.gPastRunRaces[r][h][k];
            const bool hasRun = k < runs[h];
            const std::string_view key = hasRun ? day.gPastRunHorses[r][h][k].KeyText() : "";
            std::string_view rec;
            if (placing) {
                lastPlaced = k;
                placing = hasRun && !keiba::TrimBlanks(key.substr(0, 4)).empty();
                // Runs at courses outside the code table keep their key alone.
                const std::string_view venue = placing ? key.substr(8, 2) : "";
                const auto v = keiba::DigitValue(venue);
                if (placing && jvdata::IsAsciiDigits(venue) && v >= 1 && v <= 10)
                    rec = files.PastRace(appDir, key);
            }
            if (!rec.empty()) {
                past.Assign(rec);
            } else {
                past.Clear();
                if (hasRun) past.SetField(jvdata::RecordHead::kRaceKey, key);
            }
        }
    }
    // The window shows the progress text when the race's step ends, so only the race's last
    // text is ever seen: it is the only one made.
    progress.SetProgressText(PlacingProgressText(
        day.gDayRaces[r], day.gDayHorses[r][static_cast<std::size_t>(f - 1)], lastPlaced));
}

std::size_t RaceCount(const RaceDay& day) {
    return static_cast<std::size_t>(std::clamp(day.gDayRaceCount, 0, kMaxRaces));
}

// The payout records of the first kMaxRaces pieces of the payout file, each into the slot of its
// race; the races the file lost to damage go to the report.
void ReadPayouts(RaceDay& day, DayReport& report) {
    keiba::FileRead file = keiba::ReadFileOrMissing(day.gHrFileName);
    report.Unreadable(file.read);
    const std::optional<std::string>& bytes = file.bytes;
    if (!bytes) return;
    const std::size_t whole = jvdata::RecordCount(*bytes, jvdata::kHrLength);
    // The keys of the slots that hold a race; a blank slot takes no payouts.
    std::array<std::string, kMaxRaces> slotKeys;
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        std::string key = day.gDayRaces[r].Key().Key12();
        if (!keiba::TrimBlanks(key).empty()) slotKeys[r] = std::move(key);
    }
    LostRaces lost(RaceCount(day));
    for (std::size_t i = 0; i < std::min<std::size_t>(whole, kMaxRaces); ++i) {
        std::string_view rec = jvdata::RecordAt(*bytes, jvdata::kHrLength, i);
        if (!jvdata::IsSoundRecord(rec, jvdata::TJvHR::kId)) {
            lost.Damaged();
            continue;
        }
        std::string key = jvdata::RaceKey::Of(rec).Key12();
        for (std::size_t r = 0; r < kMaxRaces; ++r) {
            if (!slotKeys[r].empty() && slotKeys[r] == key) {
                day.gDayPayouts[r].Assign(rec);
                lost.Sound(r);
                break;
            }
        }
    }
    // A record cut short at the end, where it would have been read.
    if (whole < kMaxRaces && bytes->size() % jvdata::kHrLength != 0) lost.Damaged();
    if (std::size_t n = lost.Count()) report.Lost("払戻データ", day.gHrFileName, RacesText(n));
}

// The races an odds file lost to damage, after the odds step. Looked at only where something may
// have been lost (a sound day never has): a length that is not whole records, or a race of the
// day that the step left without a record of the file's kind. The step took the file's sound
// records only (jvdata/recordcheck.h), the first of each race, matched to the races by venue and
// race number as here.
template <typename Record>
void CheckOddsFile(const RaceDay& day, const RaceDay::PerRace<Record>& slots, const fs::path& path,
                   DayReport& report) {
    constexpr std::size_t kLength = Record::kLength;
    const std::size_t count = RaceCount(day);
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) return;
    bool suspect = size % kLength != 0;
    for (std::size_t r = 0; r < count && !suspect; ++r)
        suspect = day.gDayRaces[r].RaceNumber() > 0 && slots[r].RecordId() != Record::kId;
    if (!suspect) return;
    // The odds step took a file that cannot be read for a missing one; here it is told.
    keiba::FileRead file = keiba::ReadFileOrMissing(path);
    report.Unreadable(file.read);
    const std::optional<std::string>& bytes = file.bytes;
    if (!bytes) return;
    LostRaces lost(count);
    for (std::size_t i = 0; i < jvdata::RecordCount(*bytes, kLength); ++i) {
        const std::string_view rec = jvdata::RecordAt(*bytes, kLength, i);
        if (!jvdata::IsSoundRecord(rec, Record::kId)) {
            lost.Damaged();
            continue;
        }
        const std::uint32_t key = VenueRaceKey(jvdata::Field(rec, jvdata::RecordHead::kVenue),
                                               jvdata::Field(rec, jvdata::RecordHead::kRaceNo));
        for (std::size_t r = 0; r < count; ++r) {
            const jvdata::TJvRA& race = day.gDayRaces[r];
            if (race.RaceNumber() > 0 && VenueRaceKey(race.VenueCode(), race.RaceNo()) == key) {
                lost.Sound(r);
                break;
            }
        }
    }
    if (size % kLength != 0) lost.Damaged();
    if (std::size_t n = lost.Count()) report.Lost("オッズデータ", path, RacesText(n));
}

void CheckOddsFiles(const RaceDay& day, DayReport& report) {
    CheckOddsFile(day, day.gDayOddsO1, day.gO1FileName, report);
    CheckOddsFile(day, day.gDayOddsO2, day.gO2FileName, report);
    CheckOddsFile(day, day.gDayOddsO3, day.gO3FileName, report);
    CheckOddsFile(day, day.gDayOddsO4, day.gO4FileName, report);
    CheckOddsFile(day, day.gDayOddsO5, day.gO5FileName, report);
    CheckOddsFile(day, day.gDayOddsO6, day.gO6FileName, report);
}

void SetFileNames(RaceDay& day, const fs::path& appDir, year_month_day date) {
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
    day.gVzkXqFileName = MembersFilePath(appDir / "VZK", "XQ", ymd, ".vzkd");
    day.gVzkRcomCsvName = MembersFilePath(appDir / "VZK", "RCOM", ymd, ".CSV");
    day.rumaFileName = appDir / "Data" / keiba::Utf8Path(jvdata::DayStem(date) + ".ruma");
    day.dayStem = jvdata::DayStem(date);
}

void SetFetchTimesAndVenues(RaceDay& day, int autoOzGet) {
    std::set<std::string> keyList; // venue code + venue name, sorted, no duplicates
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        const jvdata::TJvRA& race = day.gDayRaces[r];
        if (IsBlankOrZeroYear(race.Key().Year())) continue;
        keyList.insert(std::string(race.VenueCode()) + VenueName2(race.VenueCode()));
        day.gRaceCalc[r].OzTime1 = keiba::AddMinutesHHMM(race.PostTime(), -autoOzGet);
        day.gRaceCalc[r].OzTime2 = keiba::AddMinutesHHMM(race.PostTime(), -(autoOzGet - 1));
    }
    day.venueCodes = {};
    std::size_t i = 0;
    for (const std::string& k : keyList) {
        if (i >= 3) break;
        day.venueCodes[i++] = k.substr(0, 2);
    }
}

void SetVenueIndexes(RaceDay& day, DayLoadProgress& progress) {
    std::array<std::string, 3> idx{};
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        for (std::size_t n = 0; n < 3; ++n) {
            if (idx[n].empty() && !day.venueCodes[n].empty() &&
                day.venueCodes[n] == day.gDayRaces[r].VenueCode())
                idx[n] = keiba::FormatInt(static_cast<std::int64_t>(r), 2);
        }
    }
    day.venueFirstSlots = idx;
    std::array<std::string, 3> codes;
    for (std::size_t n = 0; n < 3; ++n) codes[n] = U8(day.venueCodes[n]);
    progress.ShowVenues(codes, idx);
}

} // namespace

void DayLoadSteps::ClearDay(RaceDay& day) {
    ClearRaceDay(day);
}

keiba::IoResult DayLoadSteps::ConvertHorseMaster(const fs::path& um2File, const fs::path& umaFile) {
    jvdata::UmConversion done = jvdata::ConvertUmaFile(umaFile, um2File);
    // A program folder on a read-only disk shows its days without a box: the newer file is made
    // at a later load, and the failed write is in the error log.
    if (done.result == jvdata::UmConvertResult::WriteFailed) return keiba::IoResult::Ok();
    return std::move(done.failure);
}

void DayLoadSteps::ReadRaceOdds(RaceDay& day) {
    int r = std::clamp(day.gOddsRaceIndex, 0, kMaxRaces - 1);
    const auto s = static_cast<std::size_t>(r);
    const auto missing = day.StaleOdds[s] ? jvdata::MissingOdds::Blank : jvdata::MissingOdds::Keep;
    const std::uint8_t placed = day.PlacedOdds[s];
    day.StaleOdds[s] = 0;
    day.PlacedOdds[s] = 0;
    jvdata::ReadRaceOdds(day.gDayRaces[s], day.OddsFiles(), day.oddsCache, day.OddsSlots(r),
                         day.gRaceCalc[s], missing, placed);
}

void DayLoadSteps::MakePayoutTables(RaceDay& day) {
    jvdata::ParsePayoutTables(day.gDayPayouts, day.gPayoutTables);
}

namespace {

// The records of one odds kind read straight into the slots of the day's races, in file order.
template <typename Record>
void PlaceInRaceOrder(RaceDay& day, RaceDay::PerRace<Record>& slots, const fs::path& path,
                      unsigned kind) {
    const auto count = static_cast<std::size_t>(std::clamp(day.gDayRaceCount, 0, kMaxRaces));
    std::array<char*, kMaxRaces> buffers;
    for (std::size_t r = 0; r < count; ++r) buffers[r] = slots[r].data();
    const std::size_t placed =
        jvdata::ReadOddsInRaceOrder(path, Record::kLength, std::span(buffers).first(count),
                                    std::span<const jvdata::TJvRA>(day.gDayRaces).first(count));
    for (std::size_t r = 0; r < placed; ++r)
        day.PlacedOdds[r] = static_cast<std::uint8_t>(day.PlacedOdds[r] | (1u << kind));
}

} // namespace

void ReadDayOdds(RaceDay& day, DayLoadSteps& steps) {
    // Every race's odds are replaced; what a file does not hold is blanked.
    day.StaleOdds.fill(1);
    day.PlacedOdds.fill(0);
    PlaceInRaceOrder(day, day.gDayOddsO1, day.gO1FileName, 0);
    PlaceInRaceOrder(day, day.gDayOddsO2, day.gO2FileName, 1);
    PlaceInRaceOrder(day, day.gDayOddsO3, day.gO3FileName, 2);
    PlaceInRaceOrder(day, day.gDayOddsO4, day.gO4FileName, 3);
    PlaceInRaceOrder(day, day.gDayOddsO5, day.gO5FileName, 4);
    PlaceInRaceOrder(day, day.gDayOddsO6, day.gO6FileName, 5);
    {
        jvdata::OddsFileCache::Hold hold(day.oddsCache);
        for (int r = 0; r < kMaxRaces; ++r) {
            day.gOddsRaceIndex = r;
            steps.ReadRaceOdds(day);
        }
    }
    // Steps whose odds step did not read a race still leaves nothing of the previous day.
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        if (day.StaleOdds[r]) BlankOddsRecords(day, r);
        day.StaleOdds[r] = 0;
        day.PlacedOdds[r] = 0;
    }
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

DayLoadResult LoadDay(RaceDay& day, const std::string& stem, DayLoadProgress& progress,
                      DayLoadSteps& steps, const keiba::ProgramContext& context) {
    auto date = StemDate(stem);
    if (!date) return DayLoadResult::BadStem;

    const fs::path& appDir = context.folder;
    keiba::LocalTime now = context.clock.Now();
    year_month_day today{floor<days>(now)};
    year_month_day tomorrow{sys_days{floor<days>(now).time_since_epoch()} + days{1}};
    bool isToday = *date == today;
    progress.PrepareForLoad(isToday);

    LoadScope scope(progress);
    steps.ClearDay(day);
    SetFileNames(day, appDir, *date);
    day.gDayRaceCount = 0;

    // Nothing of the previous day may stay behind, also when this day cannot be loaded.
    auto noDay = [&] {
        scope.HideProgress();
        BlankDayRecords(day);
        day.gDayRaceCount = 0;
        day.venueCodes = {};
        progress.ShowVenues({}, {});
        progress.ShowNoDay();
    };
    keiba::FileRead raRead = keiba::ReadFileOrMissing(day.gRaFileName);
    const std::optional<std::string>& raFile = raRead.bytes;
    const ReadableRaces readable = raFile ? ReadableRacesOf(*raFile) : ReadableRaces{};
    if (readable.count == 0) {
        noDay();
        context.notifier.Beep();
        // Not a day whose data was never made: the user has a file to look after.
        if (!raRead.read) {
            context.notifier.Information(raRead.read.message);
            return DayLoadResult::Unreadable;
        }
        if (readable.lost == 0) {
            context.notifier.Information("データ作成が未完了のようです。");
            return DayLoadResult::NoRaceFile;
        }
        context.notifier.Information(DamagedRaceFileText(stem, readable));
        return DayLoadResult::Damaged;
    }

    scope.ShowProgress(35, "レースデータを読み込んでいます。", stem);
    if (progress.CancelRequested()) {
        noDay();
        return DayLoadResult::Cancelled;
    }
    // What could not be read of the day's files, told once the day is shown; the race file first.
    DayReport report;
    if (readable.lost > 0) report.Add(DamagedRaceFileText(stem, readable));
    FileCache files(report);
    jvdata::HorseFilePaths horsePaths(appDir);
    RunnerStep runnerStep{progress, steps, appDir, files, horsePaths, report};

    // Nothing of the previous day may stay behind. The large records are written once: each
    // slot is either read or blanked below, the odds slots by the odds step.
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        day.gDayPayouts[r].Clear();
        for (jvdata::TAnalysisRecord& a : day.gDayHorseAnalysis[r]) a.Clear();
        day.StaleOdds[r] = 1;
    }
    for (TNeraiRecord& n : day.gNeraiSlots) n.Clear();

    std::vector<LostRunners> lostRunners;

    // Races, runners, horse masters and past runs.
    std::array<std::array<std::uint8_t, kMaxRunners>, kMaxRaces> pastRuns{};
    const std::size_t raceCount = readable.count;
    day.gDayRaceCount = static_cast<int>(raceCount);
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        std::size_t read = 0;
        if (r < raceCount) {
            day.gDayRaces[r].Assign(jvdata::RecordAt(*raFile, jvdata::kRaLength, r));
            read = ReadRaceRunners(day, r, *date, runnerStep, lostRunners, pastRuns[r]);
        } else {
            day.gDayRaces[r].Clear();
        }
        for (std::size_t h = read; h < kMaxRunners; ++h) BlankRunnerRecords(day, r, h);
        if (r < raceCount) {
            progress.StepProgress();
            if (progress.CancelRequested()) {
                noDay();
                return DayLoadResult::Cancelled;
            }
        }
    }

    ReportLostRunners(lostRunners, report);
    ReadPayouts(day, report);

    progress.SetProgressPosition(0);
    progress.ClearRaces();
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        progress.StepProgress();
        if (progress.CancelRequested()) {
            noDay();
            return DayLoadResult::Cancelled;
        }
        const jvdata::TJvRA& race = day.gDayRaces[r];
        if (!IsBlankOrZeroYear(race.Key().Year()))
            progress.AddRace(
                U8(VenueName2(race.VenueCode()) + keiba::FormatIntBlankZero(race.RaceNo()) + "R"));
        PlacePastRaces(day, r, pastRuns[r], progress, appDir, files);
    }

    LoadMembersData(day, jvdata::FormatYyyymmdd(*date), report);
    scope.HideProgress();

    const keiba::TIniGT& ini = context.settings;
    int autoOzGet = std::clamp(ini.ReadInteger("Time", "AutoOzGet", 10), 3, 59);
    SetFetchTimesAndVenues(day, autoOzGet);

    ReadDayOdds(day, steps);
    CheckOddsFiles(day, report);

    SetVenueIndexes(day, progress);
    steps.MakePayoutTables(day);

    std::error_code ec;
    if (fs::exists(appDir / "Keeper.key", ec)) steps.SaveIndexStats();

    std::int64_t amount = ini.ReadInteger("KaimeSet", "DefaultAmount", 3000);
    day.RaceAmounts.fill(amount);

    day.gAutoRdataMinutes = std::clamp(ini.ReadInteger("Time", "AutoRdataGet", 10), 5, 59);
    bool armTimers = isToday || (*date == tomorrow && keiba::Hhnn(now) >= "1800");
    if (armTimers) {
        steps.StartResultsTimer(day.gAutoRdataMinutes * 60000);
        if (!steps.AutoOddsOn()) steps.ArmAutoOdds();
    }

    for (int s = 1; s <= 4; ++s) steps.MatchTargetSlot(s);
    for (int u = 1; u <= 3; ++u) steps.ApplyUserBetSet(u);
    if (day.gDayRaceCount > 0) steps.SelectFirstRace();
    if (!report.Empty()) {
        context.notifier.Beep();
        context.notifier.Information(report.Text());
    }
    return DayLoadResult::Loaded;
}

void LoadDaysWithoutStats(RaceDay& day, const std::vector<std::string>& dateList,
                          DayLoadProgress& progress, DayLoadSteps& steps,
                          const keiba::ProgramContext& context) {
    for (std::size_t i = dateList.size(); i-- > 0;) {
        if (progress.CancelRequested()) return;
        std::error_code ec;
        if (fs::exists(context.folder / "STAT" / keiba::Utf8Path(dateList[i] + ".stat1"), ec))
            continue;
        progress.SelectDateItem(dateList[i]);
        if (LoadDay(day, dateList[i], progress, steps, context) == DayLoadResult::Cancelled) return;
    }
}

bool RereadResults(RaceDay& day, const std::string& stem, DayLoadSteps& steps,
                   const fs::path& appDir, DayReport& report) {
    auto date = StemDate(stem);
    if (!date) return false;
    day.gHrFileName = jvdata::DayFilePath(appDir, *date, jvdata::DayFile::HR);
    std::size_t cur = static_cast<std::size_t>(std::clamp(day.gCurRace, 0, kMaxRaces - 1));
    std::string shownVenue(day.gDayRaces[cur].VenueCode());
    std::string shownRace(day.gDayRaces[cur].RaceNo());

    keiba::FileRead raRead = keiba::ReadFileOrMissing(day.gRaFileName);
    report.Unreadable(raRead.read);
    if (const std::optional<std::string>& raFile = raRead.bytes) {
        FileCache files(report);
        std::size_t n = jvdata::RecordCount(*raFile, jvdata::kRaLength);
        std::size_t slot = 0;
        for (std::size_t i = 0; i < n && slot < kMaxRaces; ++i) {
            std::string_view rec = jvdata::RecordAt(*raFile, jvdata::kRaLength, i);
            day.gDayRaces[slot].Assign(rec);
            // A record without a year gives its slot to the next one.
            if (keiba::TrimBlanks(jvdata::Field(rec, jvdata::RecordHead::kYear)).empty()) continue;
            auto runnerPath =
                RunnerFileOf(appDir, *date, jvdata::Field(rec, jvdata::RecordHead::kVenue));
            if (const std::string* runnerFile = runnerPath ? files.Get(*runnerPath) : nullptr)
                ReadRunners(day, slot, *runnerFile);
            ++slot;
        }
    }

    bool shownGotPayouts = false;
    keiba::FileRead hrRead = keiba::ReadFileOrMissing(day.gHrFileName);
    report.Unreadable(hrRead.read);
    if (const std::optional<std::string>& hrFile = hrRead.bytes) {
        for (jvdata::TJvHR& hr : day.gDayPayouts) hr.Clear();
        const std::size_t whole = jvdata::RecordCount(*hrFile, jvdata::kHrLength);
        const std::size_t n = std::min<std::size_t>(whole, kMaxRaces);
        // A damaged record is no race's: what it says would become finishing positions.
        std::size_t damaged = whole < kMaxRaces && hrFile->size() % jvdata::kHrLength != 0 ? 1 : 0;
        for (std::size_t i = 0; i < n; ++i) {
            std::string_view rec = jvdata::RecordAt(*hrFile, jvdata::kHrLength, i);
            if (!jvdata::IsSoundRecord(rec, jvdata::TJvHR::kId)) {
                ++damaged;
                continue;
            }
            jvdata::RaceKey key = jvdata::RaceKey::Of(rec);
            // A record without a race key is no race's; it would match an empty slot.
            if (keiba::TrimBlanks(key.Text()).empty()) continue;
            for (std::size_t r = 0; r < kMaxRaces; ++r) {
                if (day.gDayRaces[r].Key() != key) continue;
                day.gDayPayouts[r].Assign(rec);
                if (jvdata::Field(rec, jvdata::RecordHead::kVenue) == shownVenue &&
                    jvdata::Field(rec, jvdata::RecordHead::kRaceNo) == shownRace &&
                    day.gRaceCalc[r].PayoutSeen == 0)
                    shownGotPayouts = true;
                day.gRaceCalc[r].PayoutSeen = 1;
                break;
            }
        }
        if (damaged > 0) report.Lost("払戻データ", day.gHrFileName, std::to_string(damaged) + "件");
        // The horses of the place payouts take the order of the place entries as their
        // finishing positions.
        for (std::size_t r = 0; r < kMaxRaces; ++r) {
            for (int j = 1; j <= 5; ++j) {
                int horse = static_cast<int>(keiba::DigitValue(
                    day.gDayPayouts[r].Entry(jvdata::BetType::Place, j).combination));
                if (horse < 1 || horse > kMaxRunners) continue;
                char pos[3] = {'0', static_cast<char>('0' + j), 0};
                day.gDayHorses[r][static_cast<std::size_t>(horse - 1)].SetFinalPosition(pos);
            }
        }
    }
    steps.MakePayoutTables(day);
    return shownGotPayouts;
}

} // namespace raceday
