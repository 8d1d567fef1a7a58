#include "raceday/dayload.h"

#include "jvdata/dayfilekinds.h"
#include "jvdata/dayfiles.h"
#include "jvdata/oddsreader.h"
#include "jvdata/payouts.h"
#include "jvdata/recordcheck.h"
#include "jvdata/umconvert.h"
#include "keiba/codetables.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/sjis.h"
#include "raceday/analysis.h"
#include "raceday/dayfilereaders.h"
#include "raceday/dayreport.h"
#include "raceday/runnerfile.h"

#include <algorithm>
#include <bitset>
#include <cstring>
#include <map>
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
// report, once, and so does what damage cost a past day's race file.
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
    // The runner file at `p`, read once; nullptr when it is missing or cannot be read.
    const RunnerFile* Runners(const fs::path& p) {
        auto it = runners_.find(p.native());
        if (it == runners_.end()) {
            const std::string* bytes = Get(p);
            it = runners_
                     .emplace(p.native(), bytes ? std::optional<RunnerFile>(*bytes) : std::nullopt)
                     .first;
        }
        return it->second ? &*it->second : nullptr;
    }
    // The first sound record of a past day's race file with the venue and race number of the race
    // key `key16`, or an empty view. The day is found by its "yyyymmdd", without building its
    // path again.
    std::string_view PastRace(const fs::path& appDir, std::string_view key16);
    // What damage cost the past days' race files, told once each. A file that shows damage, or
    // lacks a race a horse's run names, is counted against what the other files of its day hold
    // (ReadDayRaceFile): a file cut inside its seventh record has lost every race after the sixth,
    // not the one record the cut bytes make.
    void TellPastDays(const fs::path& appDir);

private:
    // Sorted by key; the first record of a race in the file is the one kept.
    using RaceIndex = std::vector<std::pair<std::uint32_t, std::string_view>>;
    static RaceIndex IndexRaces(const std::vector<std::string_view>& races) {
        RaceIndex index;
        index.reserve(races.size());
        for (std::string_view rec : races)
            index.emplace_back(VenueRaceKey(jvdata::Field(rec, jvdata::RecordHead::kVenue),
                                            jvdata::Field(rec, jvdata::RecordHead::kRaceNo)),
                               rec);
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
    std::unordered_map<std::string, std::optional<RunnerFile>> runners_;
    struct PastDay {
        RaceIndex index;
        fs::path path;
        bool suspect = false; // damaged, or lacking a race looked for
        bool told = false;
    };
    std::map<std::string, PastDay> pastDays_; // told in the order of their dates
};

std::optional<fs::path> RunnerFileOf(const fs::path& appDir, year_month_day date,
                                     std::string_view venue) {
    return jvdata::DayRunnerFile(appDir, date, venue);
}

// The races of the day's race file. The races the day's runner files and win odds file hold are
// races it must hold too: a race file cut at a record end has lost them without any damage to
// see. The runner files are looked for at the central racecourses and at those the race file
// names, since a file that lost a venue's races no longer names it.
RaceFileRead ReadDayRaceFile(std::string_view bytes, const fs::path& appDir, year_month_day date,
                             FileCache& files, jvdata::OddsFileCache& odds,
                             const fs::path& o1Path) {
    const std::string date8 = jvdata::FormatYyyymmdd(date);
    std::vector<std::string> venues;
    for (std::string_view code : keiba::JyoCodes())
        if (code >= "01" && code <= "10") venues.emplace_back(code); // the central racecourses
    for (std::string_view race : ReadRaceFile(bytes, date8, {}).races) {
        const std::string venue(jvdata::Field(race, jvdata::RecordHead::kVenue));
        if (std::find(venues.begin(), venues.end(), venue) == venues.end()) venues.push_back(venue);
    }
    std::vector<std::string_view> held;
    for (const std::string& venue : venues) {
        const auto path = RunnerFileOf(appDir, date, venue);
        const RunnerFile* runners = path ? files.Runners(*path) : nullptr;
        if (!runners) continue;
        for (std::string_view key : runners->RaceKeys())
            if (key.substr(0, 8) == date8) held.push_back(key);
    }
    // Its sound records of the day, as the odds step finds them through the same cache, which
    // keeps the file for it; that step tells what is wrong with it.
    const jvdata::DayFileKindInfo& o1 = jvdata::KindInfo(jvdata::DayFileKind::Odds1);
    odds.ForEachPiece(o1Path, o1.kind, [&](std::string_view piece, bool sound) {
        if (sound && jvdata::KeyOf(o1, piece).date8 == date8)
            held.push_back(jvdata::Field(piece, jvdata::RecordHead::kRaceKey));
    });
    return ReadRaceFile(bytes, date8, held);
}

std::string_view FileCache::PastRace(const fs::path& appDir, std::string_view key16) {
    const auto key = jvdata::RaceKey::FromText(key16);
    if (!key) return {};
    std::string date8(key->Date8());
    auto it = pastDays_.find(date8);
    if (it == pastDays_.end()) {
        auto date = key->Date();
        PastDay day;
        day.path = date ? jvdata::DayFilePath(appDir, *date, jvdata::DayFile::RA) : fs::path();
        if (const std::string* file = date ? Get(day.path) : nullptr) {
            const RaceFileRead read = ReadRaceFile(*file, date8, {});
            day.suspect = read.lost > 0;
            day.index = IndexRaces(read.races);
        }
        it = pastDays_.emplace(std::move(date8), std::move(day)).first;
    }
    PastDay& day = it->second;
    const std::uint32_t packed = VenueRaceKey(key->Venue(), key->RaceNo());
    auto at = std::lower_bound(day.index.begin(), day.index.end(), packed,
                               [](const auto& e, std::uint32_t k) { return e.first < k; });
    if (at != day.index.end() && at->first == packed) return at->second;
    // A file that is there and lacks the race may have been cut at a record end.
    if (files_.count(day.path.native()) && files_.at(day.path.native())) day.suspect = true;
    return {};
}

void FileCache::TellPastDays(const fs::path& appDir) {
    jvdata::OddsFileCache odds; // the past days' win odds, read once each
    for (auto& [date8, day] : pastDays_) {
        if (!day.suspect || day.told) continue;
        day.told = true;
        const auto date = jvdata::ParseYyyymmdd(date8);
        const std::string* file = date ? Get(day.path) : nullptr;
        if (!file) continue;
        report_.Lost(jvdata::DayFileKind::Races, day.path,
                     ReadDayRaceFile(*file, appDir, *date, *this, odds,
                                     jvdata::DayFilePath(appDir, *date, jvdata::DayFile::O1))
                         .lost);
    }
}

std::string DamagedRaceFileText(const std::string& stem, const RaceFileRead& races) {
    const std::string name = stem + ".jvRA";
    if (races.races.empty())
        return std::string(jvdata::KindInfo(jvdata::DayFileKind::Races).what) + "（" + name +
               "）が壊れているため、この開催日を読み込めません。";
    return LostLine(jvdata::DayFileKind::Races, name,
                    jvdata::LossText(jvdata::DayFileKind::Races, races.lost));
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
        report.Lost(jvdata::DayFileKind::Runners, l.file, l.runners, l.races);
}

// The runners whose horse files of one kind lost data, told on one line for the day: a runner
// has a file of each kind of its own.
struct HorseFileLosses {
    fs::path first;
    std::size_t runners = 0;
    void Add(const char* path) {
        if (runners++ == 0) first = path;
    }
};

// The newer horse-master files the conversion could not write, told on one line for the day: a
// full or read-only disk fails every horse's.
struct UnwrittenMasters {
    std::string first; // its failure as the user reads it
    std::size_t files = 0;
    void Add(const keiba::IoResult& failure) {
        if (files++ == 0) first = failure.message;
    }
};

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

// The runner records of race slot r from its venue's runner file; returns how many runner slots
// (from the first) it wrote. A runner the file has no sound record of stays blank.
std::size_t ReadRunners(RaceDay& day, std::size_t r, const RunnerFile& file) {
    const jvdata::TJvRA& race = day.gDayRaces[r];
    const int n = race.RaceNumber();
    const auto f = static_cast<std::size_t>(FieldSize(day, static_cast<int>(r)));
    std::size_t h = 0;
    for (; h < f; ++h) {
        const int horse = static_cast<int>(h) + 1;
        if (jvdata::RunnerSlot(n, horse) < 0) break;
        const std::string_view rec = file.Runner(race.KeyText(), horse);
        if (rec.empty())
            day.gDayHorses[r][h].Clear();
        else
            day.gDayHorses[r][h].Assign(rec);
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

// What the runner step of each race uses.
struct RunnerStep {
    DayLoadProgress& progress;
    DayLoadSteps& steps;
    const fs::path& appDir;
    FileCache& files;
    jvdata::HorseFilePaths& horsePaths;
    DayReport& report;
    std::vector<LostRunners> lostRunners;
    HorseFileLosses lostRuns, lostMasters, lostOldMasters, partlyOldMasters;
    UnwrittenMasters unwrittenMasters;
};

// Horse master and the last three earlier runs of runner h of race slot r; returns how many
// runs it found. The master and run slots are all written: what is not read is blanked. The
// runs' race records are left to PlacePastRaces. A horse file that cannot be read goes to the
// report, and one that lost the horse's data is counted; a master that cannot be read is not made
// again from the older file, which would replace it.
std::size_t ReadRunnerHistory(RaceDay& day, std::size_t r, std::size_t h, std::int64_t raceDate,
                              RunnerStep& step) {
    const jvdata::TJvSE& se = day.gDayHorses[r][h];
    std::string_view id = se.PedigreeId();
    jvdata::TJvUM& masterSlot = day.gDayHorseMasters[r][h];
    auto& runSlots = day.gPastRunHorses[r][h];
    std::size_t k = 0;
    // An id that is no pedigree id makes no path, and nothing may be built from it.
    if (const char* um2 = step.horsePaths.Of(jvdata::HorseFile::UM2, id)) {
        keiba::FileRead master = keiba::ReadFileOrMissing(um2);
        step.report.Unreadable(master.read);
        DayLoadSteps::HorseMasterConversion converted;
        if (master.Missing()) {
            const fs::path um2Path =
                *jvdata::HorseFilePath(step.appDir, jvdata::HorseFile::UM2, id);
            std::error_code ec;
            fs::create_directories(um2Path.parent_path(), ec);
            converted = step.steps.ConvertHorseMaster(
                um2Path, *jvdata::HorseFilePath(step.appDir, jvdata::HorseFile::UMA, id));
            step.report.Unreadable(converted.failure);
            if (!converted.writeFailure) step.unwrittenMasters.Add(converted.writeFailure);
            // What the conversion read is the master, written or not.
            if (!converted.master.empty()) master.bytes = std::move(converted.master);
        }
        bool lost = false;
        const std::string_view record =
            master.bytes ? ReadHorseMaster(*master.bytes, id, &lost) : std::string_view();
        if (lost) step.lostMasters.Add(step.horsePaths.Of(jvdata::HorseFile::UM2, id));
        // Damage the conversion left behind is told against the older file: where it stood in
        // the master's place the horse has none, and elsewhere it cost records the load does not
        // show.
        if (converted.masterLost)
            step.lostOldMasters.Add(step.horsePaths.Of(jvdata::HorseFile::UMA, id));
        else if (converted.damaged)
            step.partlyOldMasters.Add(step.horsePaths.Of(jvdata::HorseFile::UMA, id));
        if (!record.empty())
            masterSlot.Assign(record);
        else
            masterSlot.Clear();

        const char* seiPath = step.horsePaths.Of(jvdata::HorseFile::SEI, id);
        keiba::FileRead sei = keiba::ReadFileOrMissing(seiPath);
        step.report.Unreadable(sei.read);
        if (sei.bytes) {
            const HorseRunsRead runs = ReadHorseRuns(*sei.bytes, id, raceDate);
            if (runs.lost) step.lostRuns.Add(seiPath);
            for (; k < runs.count; ++k) runSlots[k].Assign(runs.runs[k]);
        }
    } else {
        masterSlot.Clear();
    }
    const std::size_t found = k;
    for (; k < kPastRunsRead; ++k) runSlots[k].Clear();
    return found;
}

// Runners, horse masters and past runs of race slot r (its race record in place) from its
// venue's runner file; returns how many runner slots it wrote, and in `pastRuns` how many runs
// each runner has. The runners the file lost are counted in the step.
std::size_t ReadRaceRunners(RaceDay& day, std::size_t r, year_month_day date, RunnerStep& step,
                            std::array<std::uint8_t, kMaxRunners>& pastRuns) {
    const jvdata::TJvRA& race = day.gDayRaces[r];
    const auto runnerPath = RunnerFileOf(step.appDir, date, race.VenueCode());
    const RunnerFile* runnerFile = runnerPath ? step.files.Runners(*runnerPath) : nullptr;
    if (!runnerFile) return 0;
    const std::size_t read = ReadRunners(day, r, *runnerFile);
    CountLostRunners(step.lostRunners, *runnerPath,
                     runnerFile->Lost(race.KeyText(), FieldSize(day, static_cast<int>(r))));
    const std::int64_t raceDate = race.Number(jvdata::RecordHead::kRaceDate);
    std::size_t lastWithRuns = read;
    for (std::size_t h = 0; h < read; ++h) {
        const std::size_t found = ReadRunnerHistory(day, r, h, raceDate, step);
        pastRuns[h] = static_cast<std::uint8_t>(found);
        if (found > 0) lastWithRuns = h;
    }
    // Shown when the race's step ends: the last runner with runs, its last run.
    if (lastWithRuns < read)
        step.progress.SetProgressText(
            RunProgressText(race, day.gDayHorses[r][lastWithRuns], pastRuns[lastWithRuns] - 1u));
    return read;
}

void ReportHorseFileLosses(const RunnerStep& step, DayReport& report) {
    report.LostInFiles(jvdata::DayFileKind::HorseMaster, step.lostMasters.first,
                       step.lostMasters.runners, step.lostMasters.runners);
    report.LostInFiles(jvdata::DayFileKind::OldHorseMaster, step.lostOldMasters.first,
                       step.lostOldMasters.runners, step.lostOldMasters.runners);
    if (const HorseFileLosses& partly = step.partlyOldMasters; partly.runners > 0)
        report.Add(std::string(jvdata::KindInfo(jvdata::DayFileKind::OldHorseMaster).what) + "（" +
                   keiba::PathToUtf8(partly.first.filename()) +
                   (partly.runners > 1 ? " ほか" + std::to_string(partly.runners - 1) + "件" : "") +
                   "）には読み込めない記録があったため、それを除いて変換しました。");
    if (const UnwrittenMasters& unwritten = step.unwrittenMasters; unwritten.files > 0)
        report.Add(unwritten.first + (unwritten.files > 1
                                          ? "ほかに" + std::to_string(unwritten.files - 1) +
                                                "件の競走馬データも書き込めませんでした。"
                                          : ""));
    report.LostInFiles(jvdata::DayFileKind::HorseRuns, step.lostRuns.first, step.lostRuns.runners,
                       step.lostRuns.runners);
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

// The payout records of the day's races, each into the slot of its race; the races the file lost
// to damage go to the report.
void ReadPayouts(RaceDay& day, DayReport& report) {
    keiba::FileRead file = keiba::ReadFileOrMissing(day.gHrFileName);
    report.Unreadable(file.read);
    if (!file.bytes) return;
    const PayoutFileRead read = ReadPayoutFile(*file.bytes, day);
    for (std::size_t r = 0; r < kMaxRaces; ++r)
        if (!read.records[r].empty()) day.gDayPayouts[r].Assign(read.records[r]);
    report.Lost(jvdata::DayFileKind::Payouts, day.gHrFileName, read.lost);
}

// Tells what the odds step found: the odds files it could not read, then the races each file
// lost (ReadDayOdds).
void CheckOddsFiles(RaceDay& day, const OddsLosses& lost, DayReport& report) {
    for (const keiba::IoResult& failure : day.oddsCache.TakeReadFailures())
        report.Unreadable(failure);
    const jvdata::OddsDayFiles files = day.OddsFiles();
    for (std::size_t k = 0; k < files.paths.size(); ++k)
        report.Lost(jvdata::OddsKind(k), files.paths[k], lost[k]);
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

DayLoadSteps::HorseMasterConversion DayLoadSteps::ConvertHorseMaster(const fs::path& um2File,
                                                                     const fs::path& umaFile) {
    jvdata::UmConversion done = jvdata::ConvertUmaFile(umaFile, um2File);
    HorseMasterConversion out;
    out.damaged = done.damaged;
    out.masterLost = done.result == jvdata::UmConvertResult::MasterDamaged ||
                     (done.damaged && done.master.empty());
    out.master = std::move(done.master);
    // The record read is the master whether or not it could be kept: a later load makes the
    // newer file again.
    if (done.result == jvdata::UmConvertResult::WriteFailed)
        out.writeFailure = std::move(done.failure);
    else
        out.failure = std::move(done.failure);
    return out;
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

// The records of O(k+1) read straight into the slots of the day's races, in file order; how
// many slots from the first hold their race's record.
template <typename Record>
std::size_t PlaceInRaceOrder(RaceDay& day, RaceDay::PerRace<Record>& slots, const fs::path& path,
                             std::size_t k) {
    const std::size_t count = RaceCount(day);
    std::array<char*, kMaxRaces> buffers;
    for (std::size_t r = 0; r < count; ++r) buffers[r] = slots[r].data();
    const std::size_t placed =
        jvdata::ReadOddsInRaceOrder(path, jvdata::OddsKind(k), std::span(buffers).first(count),
                                    std::span<const jvdata::TJvRA>(day.gDayRaces).first(count));
    for (std::size_t r = 0; r < placed; ++r)
        day.PlacedOdds[r] = static_cast<std::uint8_t>(day.PlacedOdds[r] | (1u << k));
    return placed;
}

} // namespace

std::size_t OddsFileLoss(RaceDay& day, jvdata::DayFileKind kind, const fs::path& path) {
    const std::size_t count = RaceCount(day);
    const jvdata::DayFileKindInfo& info = jvdata::KindInfo(kind);
    // The race slot a record of the kind's length names, `count` for none of the day's.
    auto raceOf = [&](std::string_view rec) {
        std::size_t r = 0;
        if (rec.size() != info.recordLength) return count;
        while (r < count && !(day.gDayRaces[r].RaceNumber() > 0 &&
                              jvdata::NamesRace(info, rec, day.gDayRaces[r].Key())))
            ++r;
        return r;
    };
    LostRaces lost(kind, count);
    std::bitset<kMaxRaces> taken;
    std::size_t next = 0; // the race after the last one taken
    bool empty = true;
    const bool exists =
        day.oddsCache.ForEachPiece(path, kind, [&](std::string_view piece, bool sound) {
            empty = false;
            const std::size_t r = raceOf(piece);
            if (sound && r < count && !taken[r]) {
                taken.set(r);
                lost.Sound(r);
                next = r + 1;
            } else if (sound) {
                // A whole record of another day or race, or one more of a race already taken,
                // stands in one race's place: the next one's, unless that one comes after it.
                lost.Damaged(next);
            } else if (r < count) {
                lost.Damaged(r); // damaged inside, its key whole: that race's record and no other
            } else {
                lost.Damaged(); // what it held cannot be known
            }
        });
    // The files are made with a record: an empty one has lost every race.
    if (exists && empty) lost.Damaged();
    return exists ? lost.Count() : 0;
}

std::size_t ReportOddsFilesRead(RaceDay& day, DayReport& report) {
    std::vector<keiba::IoResult> failures = day.oddsCache.TakeReadFailures();
    for (const keiba::IoResult& failure : failures) report.Unreadable(failure);
    const std::vector<std::string> read = day.oddsCache.TakeFilesRead();
    const jvdata::OddsDayFiles files = day.OddsFiles();
    for (std::size_t k = 0; k < files.paths.size(); ++k)
        if (std::find(read.begin(), read.end(), files.paths[k].native()) != read.end())
            report.Lost(jvdata::OddsKind(k), files.paths[k],
                        OddsFileLoss(day, jvdata::OddsKind(k), files.paths[k]));
    return read.size() + failures.size();
}

OddsLosses ReadDayOdds(RaceDay& day, DayLoadSteps& steps) {
    // Every race's odds are replaced; what a file does not hold is blanked.
    day.StaleOdds.fill(1);
    day.PlacedOdds.fill(0);
    const std::size_t placed[] = {PlaceInRaceOrder(day, day.gDayOddsO1, day.gO1FileName, 0),
                                  PlaceInRaceOrder(day, day.gDayOddsO2, day.gO2FileName, 1),
                                  PlaceInRaceOrder(day, day.gDayOddsO3, day.gO3FileName, 2),
                                  PlaceInRaceOrder(day, day.gDayOddsO4, day.gO4FileName, 3),
                                  PlaceInRaceOrder(day, day.gDayOddsO5, day.gO5FileName, 4),
                                  PlaceInRaceOrder(day, day.gDayOddsO6, day.gO6FileName, 5)};
    OddsLosses lost{};
    {
        jvdata::OddsFileCache::Hold hold(day.oddsCache);
        for (int r = 0; r < kMaxRaces; ++r) {
            day.gOddsRaceIndex = r;
            steps.ReadRaceOdds(day);
        }
        // A file that gave every race its record straight has lost none of them, whatever else
        // it holds; the others were read whole for the races after, and their pieces are at hand.
        for (std::size_t k = 0; k < lost.size(); ++k)
            if (placed[k] < RaceCount(day))
                lost[k] = OddsFileLoss(day, jvdata::OddsKind(k), day.OddsFiles().paths[k]);
    }
    // The load tells what its files lost: a fetch's re-read tells only what it reads anew.
    static_cast<void>(day.oddsCache.TakeFilesRead());
    // Steps whose odds step did not read a race still leaves nothing of the previous day.
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        if (day.StaleOdds[r]) BlankOddsRecords(day, r);
        day.StaleOdds[r] = 0;
        day.PlacedOdds[r] = 0;
    }
    return lost;
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

std::vector<std::string> MakeDataList(const fs::path& appDir, keiba::IoResult* listed) {
    std::vector<std::string> stems;
    keiba::FolderList list = keiba::ListFolder(appDir / "Data");
    if (listed) *listed = std::move(list.list);
    if (!list.entries) return stems;
    for (const fs::directory_entry& entry : *list.entries) {
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
    // What could not be read of the day's files, told once the day is shown; the race file first.
    DayReport report;
    FileCache files(report);
    keiba::FileRead raRead = keiba::ReadFileOrMissing(day.gRaFileName);
    const RaceFileRead races = raRead.bytes ? ReadDayRaceFile(*raRead.bytes, appDir, *date, files,
                                                              day.oddsCache, day.gO1FileName)
                                            : RaceFileRead{};
    if (races.races.empty()) {
        noDay();
        context.notifier.Beep();
        // Not a day whose data was never made: the user has a file to look after.
        if (!raRead.read) {
            context.notifier.Information(raRead.read.message);
            return DayLoadResult::Unreadable;
        }
        if (races.lost == 0) {
            context.notifier.Information("データ作成が未完了のようです。");
            return DayLoadResult::NoRaceFile;
        }
        context.notifier.Information(DamagedRaceFileText(stem, races));
        return DayLoadResult::Damaged;
    }

    scope.ShowProgress(35, "レースデータを読み込んでいます。", stem);
    if (progress.CancelRequested()) {
        noDay();
        return DayLoadResult::Cancelled;
    }
    if (races.lost > 0) report.Prepend(DamagedRaceFileText(stem, races));
    jvdata::HorseFilePaths horsePaths(appDir);
    RunnerStep runnerStep{progress, steps, appDir, files, horsePaths, report,
                          {},       {},    {},     {},    {},         {}};

    // Nothing of the previous day may stay behind. The large records are written once: each
    // slot is either read or blanked below, the odds slots by the odds step.
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        day.gDayPayouts[r].Clear();
        for (jvdata::TAnalysisRecord& a : day.gDayHorseAnalysis[r]) a.Clear();
        day.StaleOdds[r] = 1;
    }
    for (TNeraiRecord& n : day.gNeraiSlots) n.Clear();

    // Races, runners, horse masters and past runs.
    std::array<std::array<std::uint8_t, kMaxRunners>, kMaxRaces> pastRuns{};
    const std::size_t raceCount = races.races.size();
    day.gDayRaceCount = static_cast<int>(raceCount);
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        std::size_t read = 0;
        if (r < raceCount) {
            day.gDayRaces[r].Assign(races.races[r]);
            read = ReadRaceRunners(day, r, *date, runnerStep, pastRuns[r]);
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

    ReportLostRunners(runnerStep.lostRunners, report);
    ReportHorseFileLosses(runnerStep, report);
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
    files.TellPastDays(appDir);

    LoadMembersData(day, jvdata::FormatYyyymmdd(*date), report);
    scope.HideProgress();

    const keiba::TIniGT& ini = context.settings;
    int autoOzGet = std::clamp(ini.ReadInteger("Time", "AutoOzGet", 10), 3, 59);
    SetFetchTimesAndVenues(day, autoOzGet);

    CheckOddsFiles(day, ReadDayOdds(day, steps), report);

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

    // The races and runners as the load reads them, so that every race keeps its slot.
    keiba::FileRead raRead = keiba::ReadFileOrMissing(day.gRaFileName);
    report.Unreadable(raRead.read);
    if (const std::optional<std::string>& raFile = raRead.bytes) {
        FileCache files(report);
        const RaceFileRead races = ReadRaceFile(*raFile, jvdata::FormatYyyymmdd(*date), {});
        for (std::size_t slot = 0; slot < races.races.size(); ++slot) {
            const std::string_view rec = races.races[slot];
            day.gDayRaces[slot].Assign(rec);
            auto runnerPath =
                RunnerFileOf(appDir, *date, jvdata::Field(rec, jvdata::RecordHead::kVenue));
            if (const RunnerFile* runners = runnerPath ? files.Runners(*runnerPath) : nullptr)
                ReadRunners(day, slot, *runners);
        }
    }

    bool shownGotPayouts = false;
    keiba::FileRead hrRead = keiba::ReadFileOrMissing(day.gHrFileName);
    report.Unreadable(hrRead.read);
    if (const std::optional<std::string>& hrFile = hrRead.bytes) {
        for (jvdata::TJvHR& hr : day.gDayPayouts) hr.Clear();
        // A damaged record is no race's: what it says would become finishing positions.
        const PayoutFileRead read = ReadPayoutFile(*hrFile, day);
        for (std::size_t r = 0; r < kMaxRaces; ++r) {
            const std::string_view rec = read.records[r];
            if (rec.empty()) continue;
            day.gDayPayouts[r].Assign(rec);
            if (jvdata::Field(rec, jvdata::RecordHead::kVenue) == shownVenue &&
                jvdata::Field(rec, jvdata::RecordHead::kRaceNo) == shownRace &&
                day.gRaceCalc[r].PayoutSeen == 0)
                shownGotPayouts = true;
            day.gRaceCalc[r].PayoutSeen = 1;
        }
        report.Lost(jvdata::DayFileKind::Payouts, day.gHrFileName, read.lost);
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
