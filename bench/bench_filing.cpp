// Filing costs against the plain cost of writing the same bytes once.
//
// Day: one race day of 36 races (RA, HR, O1 to O6, 13 runners each into the runner files and
// the horse files), filed record by record as the import does, and as one batch.
// Setup year: a year of runner records (96 days) into the horses' .jvSEI files in one batch.
// Each reference writes the finished files' bytes once, file by file, through the same atomic
// write. The ratios are printed after the table.

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

std::string Two(int v) {
    char b[16];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

std::string Record(std::string_view id, std::string_view key) {
    std::size_t len = *RecordLengthOf(id);
    std::string r(len, '0');
    r[len - 2] = '\r';
    r[len - 1] = '\n';
    SetField(r, 1, 2, id);
    SetField(r, 3, 1, "7");
    SetField(r, 12, 16, key);
    return r;
}

std::string Runner(std::string_view key, int horse, int id) {
    std::string r = Record("SE", key);
    SetField(r, 29, 2, Two(horse));
    char pid[32];
    std::snprintf(pid, sizeof pid, "2022%06d", id);
    SetField(r, 31, 10, pid);
    return r;
}

std::string DateOf(int dayIndex) {
    // Saturdays and Sundays of a year, as yyyymmdd.
    static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int ordinal = 3 + (dayIndex / 2) * 7 + dayIndex % 2; // 2026-01-03 is a Saturday
    int m = 0;
    while (ordinal >= kMonthDays[m]) ordinal -= kMonthDays[m++];
    return "2026" + Two(m + 1) + Two(ordinal + 1);
}

struct DayRecords {
    std::vector<std::pair<DayFile, std::string>> dayLines;
    std::vector<std::string> runners;
};

DayRecords OneDay(int dayIndex, int horseBase, int horses) {
    DayRecords d;
    std::string date = DateOf(dayIndex);
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

class Folder {
public:
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "kestrane-bench-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// The finished files of a folder, to write again as the reference.
std::vector<std::pair<fs::path, std::string>> Snapshot(const fs::path& root) {
    std::vector<std::pair<fs::path, std::string>> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file())
            files.push_back({fs::relative(e.path(), root), *keiba::ReadWholeFile(e.path())});
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
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<Folder>();
        const Folder& f = *folder;
        state.ResumeTiming();
        for (const auto& [kind, rec] : d.dayLines)
            if (!FileDayRecord(f.path(), kind, rec)) std::abort();
        for (const std::string& se : d.runners) {
            if (!FileRunnerSlot(f.path(), se)) std::abort();
            if (!FileHorseRun(f.path(), se)) std::abort();
        }
        state.PauseTiming();
        folder.reset(); // removing the folder is not part of the cost
        state.ResumeTiming();
    }
}

void BM_DayBatch(benchmark::State& state) {
    DayRecords d = OneDay(0, 0, 5000);
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<Folder>();
        const Folder& f = *folder;
        state.ResumeTiming();
        FilingBatch batch(f.path());
        FileDay(batch, d);
        if (!batch.Flush()) std::abort();
        state.PauseTiming();
        folder.reset(); // removing the folder is not part of the cost
        state.ResumeTiming();
    }
}

void BM_DayReference(benchmark::State& state) {
    Folder src;
    FilingBatch batch(src.path());
    FileDay(batch, OneDay(0, 0, 5000));
    if (!batch.Flush()) std::abort();
    auto files = Snapshot(src.path());
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<Folder>();
        const Folder& f = *folder;
        state.ResumeTiming();
        WriteOnce(f.path(), files);
        state.PauseTiming();
        folder.reset(); // removing the folder is not part of the cost
        state.ResumeTiming();
    }
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
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<Folder>();
        const Folder& f = *folder;
        state.ResumeTiming();
        FilingBatch batch(f.path());
        for (const std::string& se : runners)
            if (!batch.UpsertHorseRun(se)) std::abort();
        if (!batch.Flush()) std::abort();
        state.PauseTiming();
        folder.reset(); // removing the folder is not part of the cost
        state.ResumeTiming();
    }
    state.counters["records"] = static_cast<double>(runners.size());
}

void BM_SetupYearReference(benchmark::State& state) {
    Folder src;
    FilingBatch batch(src.path());
    for (const std::string& se : YearOfRunners())
        if (!batch.UpsertHorseRun(se)) std::abort();
    if (!batch.Flush()) std::abort();
    auto files = Snapshot(src.path());
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<Folder>();
        const Folder& f = *folder;
        state.ResumeTiming();
        WriteOnce(f.path(), files);
        state.PauseTiming();
        folder.reset(); // removing the folder is not part of the cost
        state.ResumeTiming();
    }
    state.counters["files"] = static_cast<double>(files.size());
}

BENCHMARK(BM_DayRecordByRecord)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DayBatch)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_DayReference)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SetupYearBatch)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_SetupYearReference)->Unit(benchmark::kMillisecond)->Iterations(2);

// Keeps each benchmark's time per iteration to print the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* what, const char* num, const char* den) {
        auto a = reporter.times.find(std::string(num) + "/iterations:"),
             b = reporter.times.find(std::string(den) + "/iterations:");
        for (auto it = reporter.times.begin(); it != reporter.times.end(); ++it) {
            if (it->first.rfind(num, 0) == 0) a = it;
            if (it->first.rfind(den, 0) == 0) b = it;
        }
        if (a != reporter.times.end() && b != reporter.times.end() && b->second > 0)
            std::printf("%-40s %.2f\n", what, a->second / b->second);
    };
    std::printf("\nRatio to writing the same bytes once:\n");
    ratio("day, record by record", "BM_DayRecordByRecord", "BM_DayReference");
    ratio("day, one batch", "BM_DayBatch", "BM_DayReference");
    ratio("setup year into horse files, one batch", "BM_SetupYearBatch", "BM_SetupYearReference");
    benchmark::Shutdown();
    return 0;
}
