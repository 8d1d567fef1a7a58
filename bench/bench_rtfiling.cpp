// The real-time fetches of a whole race day through the replay of a feed folder, every record
// filed as it is read:
//   odds:    the quick odds of the day's 36 races, one fetch a race of its O1 to O6 records
//            (216 records), into odds files that hold an earlier fetch of every race, as in the
//            afternoon of a race day;
//   results: the day's race information and results in one fetch (36 RA, 504 SE and 36 HR
//            records) into the race and runner files the import made and a new payout file.
// Two references in the same run, of plain writes through the same whole-file replacement (a
// temporary file, synced, renamed, its folder synced):
//   each save: the same files written as often as filing each record at once writes them,
//              each time with the bytes that record leaves, and nothing read or looked at;
//   once:      the finished files written once each.
// The machine may be shared: each runs five times, in random order, and the ratios compare the
// medians. Each also counts the files it replaced.

#include "bench/benchsupport.h"
#include "jvdata/dayfiles.h"
#include "jvdata/jvlink.h"
#include "jvdata/records.h"
#include "jvdata/rtfetch.h"
#include "keiba/fileio.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace jvdata;
using namespace benchsupport;

constexpr std::string_view kDate = "20261206";
constexpr int kRunners = 14;
const char* const kVenues[] = {"05", "06", "08"};

using Files = std::map<fs::path, std::string>; // by path under the program folder
using Saves = std::vector<std::pair<fs::path, std::string>>;

fs::path DataFile(std::string_view suffix) {
    return fs::path("Data") / keiba::Utf8Path(DayStem(*ParseYyyymmdd(kDate)) + std::string(suffix));
}

std::vector<std::string> RaceKeys() {
    std::vector<std::string> keys;
    for (const char* v : kVenues)
        for (int race = 1; race <= 12; ++race)
            keys.push_back(std::string(kDate) + v + "0102" + Two(race));
    return keys;
}

std::string Line(std::string record, bool zeroed) {
    if (zeroed) ZeroHead(record);
    record.resize(record.size() - 2);
    return record;
}

// The day's records as the fetches deliver them, and the files before them.
struct Day {
    std::vector<std::vector<std::string>> odds; // per race: O1 to O6
    std::vector<std::string> results;           // RA, SE and HR, race by race
    Files before;
    Saves oddsSaves, resultsSaves; // each record's file with the bytes it leaves
    Files oddsAfter, resultsAfter;
};

// Each record's save as filing it at once makes it, by the day-file rules.
Saves SavesOf(Files& files, const std::vector<std::string>& records) {
    Saves saves;
    for (const std::string& rec : records) {
        const std::string id(Field(rec, RecordHead::kRecordId));
        fs::path path;
        std::string bytes;
        if (id == "SE") {
            const auto venue = VenueFileName(Field(rec, RecordHead::kVenue));
            path = DataFile(*venue + ".jvSEr");
            const int slot = RunnerSlot(static_cast<int>(FieldNumber(rec, RecordHead::kRaceNo)),
                                        static_cast<int>(FieldNumber(rec, TJvSE::kHorseNo)));
            bytes = PutRunnerSlot(files[path], Line(rec, false), slot);
        } else {
            path = DataFile(".jv" + id);
            static const std::map<std::string, DayFile> kFiles = {
                {"RA", DayFile::RA}, {"HR", DayFile::HR}, {"O1", DayFile::O1},
                {"O2", DayFile::O2}, {"O3", DayFile::O3}, {"O4", DayFile::O4},
                {"O5", DayFile::O5}, {"O6", DayFile::O6}, {"DM", DayFile::DM}};
            const DayFile kind = kFiles.at(id);
            bytes = UpsertRecordLine(files[path], Line(rec, id != "HR"), RecordCheckOf(kind));
        }
        files[path] = bytes;
        saves.emplace_back(path, std::move(bytes));
    }
    return saves;
}

const Day& TheDay() {
    static const Day day = [] {
        Day d;
        std::vector<std::string> allOdds;
        std::string earlierRa;
        std::map<std::string, std::string> earlierOdds;
        for (const std::string& key : RaceKeys()) {
            std::vector<std::string> odds;
            for (char k = '1'; k <= '6'; ++k) {
                std::string o = Record(std::string("O") + k, key);
                SetField(o, 28, 8, "12061000");
                earlierOdds[std::string(".jvO") + k] += Line(o, true) + "\r\n";
                SetField(o, 28, 8, "12061400");
                odds.push_back(o);
                allOdds.push_back(o);
            }
            d.odds.push_back(std::move(odds));
            std::string ra = Record("RA", key);
            SetField(ra, 882, 2, Two(kRunners));
            earlierRa += Line(ra, true) + "\r\n";
            SetField(ra, 888, 1, "2"); // the weather of the day
            d.results.push_back(ra);
            for (int h = 1; h <= kRunners; ++h) {
                std::string se = Record("SE", key);
                SetField(se, 29, 2, Two(h));
                SetField(se, 31, 10, "2022" + Two(h) + "0000");
                d.results.push_back(se);
            }
            d.results.push_back(Record("HR", key));
        }
        d.before[DataFile(".jvRA")] = earlierRa;
        for (const char* v : kVenues)
            d.before[DataFile(*VenueFileName(v) + ".jvSEr")] = PutRunnerSlot("", "", -1);
        for (const auto& [ext, bytes] : earlierOdds) d.before[DataFile(ext)] = bytes;
        Files files = d.before;
        d.oddsSaves = SavesOf(files, allOdds);
        d.oddsAfter = files;
        files = d.before;
        d.resultsSaves = SavesOf(files, d.results);
        d.resultsAfter = files;
        return d;
    }();
    return day;
}

// The feed folder of the day, made once: one real-time file a race for the odds, one for the
// results.
const fs::path& Feed() {
    static Folder folder;
    static bool made = false;
    if (made) return folder.path();
    made = true;
    const Day& d = TheDay();
    const std::vector<std::string> keys = RaceKeys();
    for (std::size_t r = 0; r < keys.size(); ++r) {
        std::string bytes;
        for (const std::string& o : d.odds[r]) bytes += o;
        fs::create_directories(folder.path() / "rt/0B30");
        if (!keiba::WriteFileAtomic(folder.path() / "rt/0B30" / (keys[r] + ".txt"), bytes))
            std::abort();
    }
    std::string results;
    for (const std::string& rec : d.results) results += rec;
    fs::create_directories(folder.path() / "rt/0B12");
    if (!keiba::WriteFileAtomic(folder.path() / "rt/0B12" / (std::string(kDate) + ".txt"), results))
        std::abort();
    return folder.path();
}

// Files replaced while it lives.
class SaveCounter {
public:
    SaveCounter() {
        keiba::SetBeforeRenameHookForTest([this](const fs::path&) {
            ++saves_;
            return true;
        });
    }
    ~SaveCounter() { keiba::SetBeforeRenameHookForTest(nullptr); }
    SaveCounter(const SaveCounter&) = delete;
    SaveCounter& operator=(const SaveCounter&) = delete;
    void Report(benchmark::State& state) const {
        state.counters["files"] = static_cast<double>(saves_);
    }

private:
    long saves_ = 0;
};

void Write(const fs::path& p, const std::string& bytes) {
    if (!keiba::WriteFileAtomic(p, bytes)) std::abort();
}

// Runs `work` in a program folder holding the day's files before the fetch; making and removing
// the folder is not timed.
template <typename Work> void InDayFolders(benchmark::State& state, Work work) {
    const Day& d = TheDay();
    Feed();
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<Folder>();
        fs::create_directories(folder->path() / "Data");
        for (const auto& [rel, bytes] : d.before) Write(folder->path() / rel, bytes);
        SaveCounter counter;
        state.ResumeTiming();
        work(folder->path());
        state.PauseTiming();
        counter.Report(state);
        folder.reset();
        state.ResumeTiming();
    }
}

std::unique_ptr<TJVLink> OpenLink() {
    std::unique_ptr<TJVLink> link = CreateReplayJvLink(Feed());
    if (!link || link->JVInit("BENCH") != 0) std::abort();
    return link;
}

void Fetch(TJVLink& link, std::string_view spec, const std::string& key, ReadStep step,
           const fs::path& appDir, int records) {
    if (link.JVRTOpen(spec, key) != 0) std::abort();
    ReadStepResult r = RunReadStep(link, step, appDir, nullptr, nullptr);
    if (r.readError != 0 || !r.written || r.filed != records) std::abort();
    link.JVClose();
}

void BM_OddsFetch(benchmark::State& state) {
    InDayFolders(state, [](const fs::path& dir) {
        std::unique_ptr<TJVLink> link = OpenLink();
        for (const std::string& key : RaceKeys()) Fetch(*link, "0B30", key, ReadStep::Odds, dir, 6);
    });
}

void BM_OddsEachSave(benchmark::State& state) {
    InDayFolders(state, [](const fs::path& dir) {
        for (const auto& [rel, bytes] : TheDay().oddsSaves) Write(dir / rel, bytes);
    });
}

void BM_OddsOnce(benchmark::State& state) {
    InDayFolders(state, [](const fs::path& dir) {
        for (const auto& [rel, bytes] : TheDay().oddsAfter)
            if (rel.extension().string().starts_with(".jvO")) Write(dir / rel, bytes);
    });
}

void BM_ResultsFetch(benchmark::State& state) {
    InDayFolders(state, [](const fs::path& dir) {
        std::unique_ptr<TJVLink> link = OpenLink();
        Fetch(*link, "0B12", std::string(kDate), ReadStep::Results, dir,
              static_cast<int>(TheDay().results.size()));
    });
}

void BM_ResultsEachSave(benchmark::State& state) {
    InDayFolders(state, [](const fs::path& dir) {
        for (const auto& [rel, bytes] : TheDay().resultsSaves) Write(dir / rel, bytes);
    });
}

void BM_ResultsOnce(benchmark::State& state) {
    InDayFolders(state, [](const fs::path& dir) {
        for (const auto& [rel, bytes] : TheDay().resultsAfter)
            if (!rel.extension().string().starts_with(".jvO")) Write(dir / rel, bytes);
    });
}

#define KESTRANE_RT_BENCHMARK(fn)                                                                  \
    BENCHMARK(fn)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)
KESTRANE_RT_BENCHMARK(BM_OddsFetch);
KESTRANE_RT_BENCHMARK(BM_OddsEachSave);
KESTRANE_RT_BENCHMARK(BM_OddsOnce);
KESTRANE_RT_BENCHMARK(BM_ResultsFetch);
KESTRANE_RT_BENCHMARK(BM_ResultsEachSave);
KESTRANE_RT_BENCHMARK(BM_ResultsOnce);

} // namespace

int main(int argc, char** argv) {
    return RunInterleavedWithRatios(argc, argv, [](const RatioReporter& r) {
        const std::string median = "/iterations:1/repeats:5/real_time_median";
        r.PrintRatio("day's odds fetch / the same saves, plain, medians:", "BM_OddsFetch" + median,
                     "BM_OddsEachSave" + median);
        r.PrintRatio("day's odds fetch / the files written once, medians:", "BM_OddsFetch" + median,
                     "BM_OddsOnce" + median);
        r.PrintRatio("day's results fetch / the same saves, plain, medians:",
                     "BM_ResultsFetch" + median, "BM_ResultsEachSave" + median);
        r.PrintRatio("day's results fetch / the files written once, medians:",
                     "BM_ResultsFetch" + median, "BM_ResultsOnce" + median);
    });
}
