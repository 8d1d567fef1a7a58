// A setup import of one synthetic year through the replay of a feed folder and the filing loop,
// against writing the finished files' bytes once, each file replaced through a temporary file
// and each folder synced once after its renames, as the import does.
//
// The year: 96 race days of 36 races (3456 RA and HR records), 14 runners a race (48384 SE
// records of final results) drawn from 12000 horses, and their horse masters. The feed holds
// one JV file per race weekend and record kind, and the masters in files of 1000. The year's
// day files take more than the filing loop holds of them, so they are written in two batches;
// its horse files (46 MB) are held to the end and each written once.
//
// The machine may be shared: the two run five times each in random order, so that a slow spell
// falls on both sides, and the ratio compares the medians. Each also counts the files it
// replaced and the folders it synced, which no load on the machine changes.

#include "bench/benchsupport.h"
#include "jvdata/filingloop.h"
#include "jvdata/jvlink.h"
#include "jvdata/records.h"
#include "keiba/fileio.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace jvdata;
using namespace benchsupport;

constexpr int kDays = 96;
constexpr int kRacesPerVenue = 12;
constexpr int kRunners = 14;
constexpr int kHorses = 12000;

std::string Pedigree(int horse) {
    char b[16];
    std::snprintf(b, sizeof b, "2022%06d", horse);
    return b;
}

void Write(const fs::path& p, const std::string& bytes,
           keiba::FolderSync sync = keiba::FolderSync::Now) {
    fs::create_directories(p.parent_path());
    if (!keiba::WriteFileAtomic(p, bytes, sync)) std::abort();
}

// Files replaced and folders synced while it lives.
class WriteCounter {
public:
    WriteCounter() {
        keiba::SetBeforeRenameHookForTest([this](const fs::path&) {
            ++renames;
            return true;
        });
        keiba::SetFolderSyncedHookForTest([this](const fs::path&) { ++folderSyncs; });
    }
    ~WriteCounter() {
        keiba::SetBeforeRenameHookForTest(nullptr);
        keiba::SetFolderSyncedHookForTest(nullptr);
    }
    WriteCounter(const WriteCounter&) = delete;
    WriteCounter& operator=(const WriteCounter&) = delete;
    void Report(benchmark::State& state) const {
        state.counters["files"] = static_cast<double>(renames);
        state.counters["folder_syncs"] = static_cast<double>(folderSyncs);
    }

    long renames = 0;
    long folderSyncs = 0;
};

// The feed folder of the year, made once.
const fs::path& Feed() {
    static Folder folder;
    static bool made = false;
    if (made) return folder.path();
    made = true;
    fs::path stored = folder.path() / "stored";
    std::uint64_t seed = 12345;
    auto next = [&] {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<int>((seed >> 33) % kHorses);
    };
    for (int weekend = 0; weekend < kDays / 2; ++weekend) {
        std::string ra, se, hr;
        for (int d = weekend * 2; d < weekend * 2 + 2; ++d) {
            std::string date = WeekendDate(d);
            for (std::string venue : {"05", "06", "08"}) {
                for (int race = 1; race <= kRacesPerVenue; ++race) {
                    std::string key = date + venue + "0102" + Two(race);
                    std::string r = Record("RA", key);
                    SetField(r, 882, 2, Two(kRunners));
                    ra += r;
                    hr += Record("HR", key);
                    for (int h = 1; h <= kRunners; ++h) {
                        std::string s = Record("SE", key);
                        SetField(s, 29, 2, Two(h));
                        SetField(s, 31, 10, Pedigree(next()));
                        se += s;
                    }
                }
            }
        }
        std::string ts = "2026" + std::string(WeekendDate(weekend * 2)).substr(4) + "090000";
        Write(stored / (ts + "_RADW" + WeekendDate(weekend * 2) + ".jvd"), ra);
        Write(stored / (ts + "_SEDW" + WeekendDate(weekend * 2) + ".jvd"), se);
        Write(stored / (ts + "_HRDW" + WeekendDate(weekend * 2) + ".jvd"), hr);
    }
    for (int part = 0; part < kHorses / 1000; ++part) {
        std::string um;
        for (int h = part * 1000; h < (part + 1) * 1000; ++h) {
            std::string r = Record("UM", "");
            SetField(r, 12, 10, Pedigree(h));
            um += r;
        }
        Write(stored / ("20261231120000_UMDW" + Two(part) + ".jvd"), um);
    }
    return folder.path();
}

// The settings a setup import keeps: the resume point written to a file each time it moves.
class Host : public FilingLoopHost {
public:
    explicit Host(fs::path settings)
        : settings_(std::move(settings)) {}
    bool CancelRequested() const override { return false; }
    std::string SetUpLapFile() const override { return lap_; }
    keiba::IoResult SetSetUpLapFile(const std::string& f) override {
        lap_ = f;
        return keiba::WriteFileAtomic(settings_, "[JvDataGet]\r\nSetUpLapFile=" + f + "\r\n");
    }
    keiba::IoResult SetCompleted(const std::optional<std::string>&) override {
        return SetSetUpLapFile({});
    }
    void Tell(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }

private:
    fs::path settings_;
    std::string lap_;
};

void Import(const fs::path& appDir) {
    std::unique_ptr<TJVLink> link = CreateReplayJvLink(Feed());
    int readCount = 0, downloadCount = 0;
    std::string last;
    if (link->JVInit("BENCH") != 0 ||
        link->JVOpen("RACEDIFN", "20170101000000", 3, readCount, downloadCount, last) != 0)
        std::abort();
    FilingLoopParams p;
    p.appDir = appDir;
    p.readCount = readCount;
    p.lastFileTimestamp = last;
    p.setupMode = true;
    p.filter = {20170101, "2011", false};
    Host host(appDir / "kestrane.ini");
    if (ReadAndFileJvRecords(*link, p, host) != FilingLoopExit::Finished) std::abort();
    link->JVClose();
}

std::map<fs::path, std::string> Snapshot(const fs::path& root) {
    std::map<fs::path, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (e.is_regular_file() && e.path().filename() != "kestrane.ini")
            files[fs::relative(e.path(), root)] = *keiba::ReadFileOrMissing(e.path()).bytes;
    return files;
}

// What a setup import of the year leaves, by path under the program folder.
const std::map<fs::path, std::string>& YearFiles() {
    static const std::map<fs::path, std::string> files = [] {
        Folder src;
        Import(src.path());
        return Snapshot(src.path());
    }();
    return files;
}

void BM_SetupImport(benchmark::State& state) {
    Feed();
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<Folder>();
        WriteCounter counter;
        state.ResumeTiming();
        Import(folder->path());
        state.PauseTiming();
        counter.Report(state);
        folder.reset(); // removing the folder is not part of the cost
        state.ResumeTiming();
    }
}

void BM_WriteOnce(benchmark::State& state) {
    const auto& files = YearFiles(); // made before the timing starts
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<Folder>();
        WriteCounter counter;
        state.ResumeTiming();
        std::set<fs::path> folders;
        for (const auto& [rel, bytes] : files) {
            const fs::path path = folder->path() / rel;
            Write(path, bytes, keiba::FolderSync::ByCaller);
            folders.insert(path.parent_path());
        }
        for (const fs::path& f : folders)
            if (!keiba::SyncFolder(f)) std::abort();
        state.PauseTiming();
        counter.Report(state);
        folder.reset();
        state.ResumeTiming();
    }
}

double Least(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}
double Most(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

#define KESTRANE_IMPORT_BENCHMARK(fn)                                                              \
    BENCHMARK(fn)                                                                                  \
        ->Unit(benchmark::kMillisecond)                                                            \
        ->UseRealTime()                                                                            \
        ->Iterations(1)                                                                            \
        ->Repetitions(5)                                                                           \
        ->ComputeStatistics("min", Least)                                                          \
        ->ComputeStatistics("max", Most)
KESTRANE_IMPORT_BENCHMARK(BM_SetupImport);
KESTRANE_IMPORT_BENCHMARK(BM_WriteOnce);

} // namespace

int main(int argc, char** argv) {
    return RunInterleavedWithRatios(argc, argv, [](const RatioReporter& r) {
        const std::string tail = "/iterations:1/repeats:5/real_time_";
        for (const char* stat : {"median", "min", "max"})
            r.PrintRatio(
                (std::string("Setup import / writing the bytes once, ") + stat + ":").c_str(),
                "BM_SetupImport" + tail + stat, "BM_WriteOnce" + tail + stat);
    });
}
