// Filing costs against the plain cost of writing the same bytes once.
//
// Day: one race day of 36 races (RA, HR, O1 to O6, 13 runners each into the runner files and
// the horse files), filed record by record as the import does, and as one batch.
// Setup year: a year of runner records (96 days) into the horses' .jvSEI files in one batch.
// Each reference writes the finished files' bytes once, file by file, through the same atomic
// write. The ratios are printed after the table.

#include "bench/benchsupport.h"
#include "jvdata/dayfiles.h"
#include "jvdata/records.h"
#include "keiba/fileio.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace jvdata;
using namespace benchsupport;

std::string Runner(std::string_view key, int horse, int id) {
    std::string r = Record("SE", key);
    SetField(r, 29, 2, Two(horse));
    char pid[32];
    std::snprintf(pid, sizeof pid, "2022%06d", id);
    SetField(r, 31, 10, pid);
    return r;
}

struct DayRecords {
    std::vector<std::pair<DayFile, std::string>> dayLines;
    std::vector<std::string> runners;
};

DayRecords OneDay(int dayIndex, int horseBase, int horses) {
    DayRecords d;
    std::string date = WeekendDate(dayIndex);
    static const char* kVenues[] = {"05", "08", "09"};
    static constexpr DayFile kOdds[] = {DayFile::O1, DayFile::O2, DayFile::O3,
                                        DayFile::O4, DayFile::O5, DayFile::O6};
    int h = 0;
    for (const char* v : kVenues) {
        for (int race = 1; race <= 12; ++race) {
            std::string key = date + v + "0501" + Two(race);
            d.dayLines.push_back({DayFile::RA, Record("RA", key)});
            d.dayLines.push_back({DayFile::HR, Record("HR", key)});
            for (int k = 0; k < 6; ++k)
                d.dayLines.push_back({kOdds[k], Record(RecordIdOf(kOdds[k]), key)});
            for (int n = 1; n <= 13; ++n)
                d.runners.push_back(Runner(key, n, horseBase + (h++ * 7 + dayIndex * 13) % horses));
        }
    }
    return d;
}

// Runs `work` in a fresh folder per iteration; making and removing the folder is not timed.
template <typename Work> void InFreshFolders(benchmark::State& state, Work work) {
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<Folder>();
        state.ResumeTiming();
        work(folder->path());
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
    }
}

// The finished files of a folder, to write again as the reference.
std::vector<std::pair<fs::path, std::string>> Snapshot(const fs::path& root) {
    std::vector<std::pair<fs::path, std::string>> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file())
            files.push_back(
                {fs::relative(e.path(), root), *keiba::ReadFileOrMissing(e.path()).bytes});
    return files;
}

void WriteOnce(const fs::path& root, const std::vector<std::pair<fs::path, std::string>>& files) {
    for (const auto& [rel, bytes] : files) {
        fs::path p = root / rel;
        fs::create_directories(p.parent_path());
        if (!keiba::WriteFileAtomic(p, bytes)) std::abort();
    }
}

void FileDay(FilingBatch& batch, const DayRecords& d) {
    for (const auto& [kind, rec] : d.dayLines)
        if (!batch.UpsertDayLine(kind, rec)) std::abort();
    for (const std::string& se : d.runners) {
        if (!batch.PutRunner(se)) std::abort();
        if (!batch.UpsertHorseRun(se)) std::abort();
    }
}

void BM_DayRecordByRecord(benchmark::State& state) {
    DayRecords d = OneDay(0, 0, 5000);
    InFreshFolders(state, [&](const fs::path& dir) {
        for (const auto& [kind, rec] : d.dayLines)
            if (!FileDayRecord(dir, kind, rec)) std::abort();
        for (const std::string& se : d.runners) {
            if (!FileRunnerSlot(dir, se)) std::abort();
            if (!FileHorseRun(dir, se)) std::abort();
        }
    });
}

void BM_DayBatch(benchmark::State& state) {
    DayRecords d = OneDay(0, 0, 5000);
    InFreshFolders(state, [&](const fs::path& dir) {
        FilingBatch batch(dir);
        FileDay(batch, d);
        if (!batch.Flush()) std::abort();
    });
}

void BM_DayReference(benchmark::State& state) {
    Folder src;
    FilingBatch batch(src.path());
    FileDay(batch, OneDay(0, 0, 5000));
    if (!batch.Flush()) std::abort();
    auto files = Snapshot(src.path());
    InFreshFolders(state, [&](const fs::path& dir) { WriteOnce(dir, files); });
}

constexpr int kYearDays = 96;
constexpr int kYearHorses = 6000;

std::vector<std::string> YearOfRunners() {
    std::vector<std::string> all;
    for (int day = 0; day < kYearDays; ++day)
        for (std::string& se : OneDay(day, 0, kYearHorses).runners) all.push_back(std::move(se));
    return all;
}

void BM_SetupYearBatch(benchmark::State& state) {
    std::vector<std::string> runners = YearOfRunners();
    InFreshFolders(state, [&](const fs::path& dir) {
        FilingBatch batch(dir);
        for (const std::string& se : runners)
            if (!batch.UpsertHorseRun(se)) std::abort();
        if (!batch.Flush()) std::abort();
    });
    state.counters["records"] = static_cast<double>(runners.size());
}

void BM_SetupYearReference(benchmark::State& state) {
    Folder src;
    FilingBatch batch(src.path());
    for (const std::string& se : YearOfRunners())
        if (!batch.UpsertHorseRun(se)) std::abort();
    if (!batch.Flush()) std::abort();
    auto files = Snapshot(src.path());
    InFreshFolders(state, [&](const fs::path& dir) { WriteOnce(dir, files); });
    state.counters["files"] = static_cast<double>(files.size());
}

BENCHMARK(BM_DayRecordByRecord)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DayBatch)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DayReference)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SetupYearBatch)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SetupYearReference)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    return RunWithRatios(argc, argv, [](const RatioReporter& r) {
        std::printf("Ratio to writing the same bytes once:\n");
        r.PrintRatio("day, record by record", "BM_DayRecordByRecord", "BM_DayReference");
        r.PrintRatio("day, one batch", "BM_DayBatch", "BM_DayReference");
        r.PrintRatio("setup year into horse files, one batch", "BM_SetupYearBatch",
                     "BM_SetupYearReference");
    });
}
