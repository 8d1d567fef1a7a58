// Extraction of two members'-sized archives with our extractor and, in the same run, with
// `unzip -o -q`; prints both ratios.
//   small: 2,000 files of 2-5 KB (a season of race comments), where per-entry costs dominate;
//   large: 365 files of about 250 KB of fixed-width records (a year of past data).
// The folders are made under TMPDIR. Where creating a file is itself slow (ext4 without a
// journal looks at every recently freed inode before it takes one), that cost is the same on
// both sides and hides the extractors; TMPDIR=/dev/shm measures the extractors themselves.

#include "archive/unzip.h"
#include "keiba/fileio.h"

#include "bench/benchsupport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {
using benchsupport::RatioReporter;
using benchsupport::RunWithRatios;

struct Shape {
    int files;
    int minLines, maxLines; // 100-byte lines per file
};

constexpr Shape kSmall{2000, 20, 50};
constexpr Shape kLarge{365, 2500, 2500};

class Workspace {
public:
    explicit Workspace(const Shape& shape)
        : files_(shape.files) {
        fs::path src = folder_.path() / "src";
        fs::create_directories(src);
        std::uint32_t seed = 20240105;
        auto next = [&] { return seed = seed * 1103515245u + 12345u; };
        for (int f = 0; f < shape.files; ++f) {
            int lines = shape.minLines +
                        static_cast<int>(next() % static_cast<std::uint32_t>(shape.maxLines -
                                                                             shape.minLines + 1));
            std::string text;
            text.reserve(static_cast<std::size_t>(lines) * 100);
            char line[128];
            for (int i = 0; i < lines; ++i) {
                std::snprintf(line, sizeof line,
                              "SE%04d%02d%02d%06d%-24s%-20s%08u%06u%04u%06u%-8s\r\n", 2024,
                              f / 31 % 12 + 1, f % 31 + 1, i, "KESTRANE PAST DATA", "RACE RECORD",
                              next() % 100000000u, next() % 1000000u, next() % 10000u,
                              next() % 1000000u, "END");
                text += line;
            }
            char name[32];
            std::snprintf(name, sizeof name, "XQ2024%04d.vzkd", f);
            if (!keiba::WriteFileAtomic(src / name, text)) return;
        }
        archive_ = folder_.path() / "data.zip";
        std::string cmd = "cd '" + src.string() + "' && zip -q -r '" + archive_.string() + "' .";
        ok_ = std::system(cmd.c_str()) == 0;
    }

    bool ok() const { return ok_; }
    int files() const { return files_; }
    const fs::path& archive() const { return archive_; }
    // Both extractors write the same folder: what creating a file costs can hang on the
    // folder's place on the disk (ext4 passes over inodes freed moments ago, group by group).
    fs::path Out() const { return folder_.path() / "out"; }

private:
    benchsupport::Folder folder_;
    fs::path archive_;
    int files_;
    bool ok_ = false;
};

Workspace& Work(const Shape& shape) {
    if (shape.files == kSmall.files) {
        static Workspace small(kSmall);
        return small;
    }
    static Workspace large(kLarge);
    return large;
}

void ExtractKestrane(benchmark::State& state, const Shape& shape) {
    Workspace& w = Work(shape);
    if (!w.ok()) {
        state.SkipWithError("zip is not available");
        return;
    }
    for (auto _ : state) {
        archive::TUnZip unzip;
        unzip.SetArchiveFile(w.archive().string());
        unzip.SetExtractDir(w.Out().string());
        unzip.SetFileSpec({"*.vzkd"});
        if (unzip.ExtractArchive() != w.files()) state.SkipWithError("extraction incomplete");
    }
}

void ExtractUnzip(benchmark::State& state, const Shape& shape) {
    Workspace& w = Work(shape);
    if (!w.ok() || std::system("command -v unzip >/dev/null 2>&1") != 0) {
        state.SkipWithError("zip or unzip is not available");
        return;
    }
    std::string cmd = "unzip -o -q '" + w.archive().string() + "' -d '" + w.Out().string() + "'";
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("unzip failed");
}

void BM_SmallKestrane(benchmark::State& state) {
    ExtractKestrane(state, kSmall);
}
void BM_SmallUnzip(benchmark::State& state) {
    ExtractUnzip(state, kSmall);
}
void BM_LargeKestrane(benchmark::State& state) {
    ExtractKestrane(state, kLarge);
}
void BM_LargeUnzip(benchmark::State& state) {
    ExtractUnzip(state, kLarge);
}
// Ten repetitions, run in random order unless told otherwise, so that a slow spell of a shared
// machine falls on both sides of a ratio; the ratios compare the medians.
BENCHMARK(BM_SmallKestrane)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(10);
BENCHMARK(BM_SmallUnzip)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(10);
BENCHMARK(BM_LargeKestrane)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(10);
BENCHMARK(BM_LargeUnzip)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(10);

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> args(argv, argv + argc);
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    bool given = false;
    for (int i = 1; i < argc; ++i)
        given = given || std::string_view(argv[i]).starts_with("--benchmark_enable_random");
    if (!given) args.insert(args.begin() + 1, interleave.data());
    int count = static_cast<int>(args.size());
    return RunWithRatios(count, args.data(), [](const RatioReporter& r) {
        r.PrintRatio("small files: kestrane / unzip, medians (below 1 is faster):",
                     "BM_SmallKestrane/iterations:1/repeats:10/real_time_median",
                     "BM_SmallUnzip/iterations:1/repeats:10/real_time_median");
        r.PrintRatio("large files: kestrane / unzip, medians (below 1 is faster):",
                     "BM_LargeKestrane/iterations:1/repeats:10/real_time_median",
                     "BM_LargeUnzip/iterations:1/repeats:10/real_time_median");
    });
}
