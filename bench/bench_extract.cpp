// Extraction of a members' past-data-sized archive (365 files of about 250 KB of fixed-width
// records) with our extractor and, in the same run, with `unzip -o -q`; prints the ratio.

#include "archive/unzip.h"
#include "keiba/fileio.h"

#include "bench/benchsupport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {
using benchsupport::RatioReporter;
using benchsupport::RunWithRatios;

constexpr int kFiles = 365;
constexpr int kLinesPerFile = 2500; // 100-byte lines: about 250 KB per file

struct Workspace {
    fs::path root, archive;
    bool ok = false;
    Workspace() {
        std::string pattern = (fs::temp_directory_path() / "kestrane-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) return;
        root = pattern;
        fs::path src = root / "src";
        fs::create_directories(src);
        std::uint32_t seed = 20240105;
        auto next = [&] { return seed = seed * 1103515245u + 12345u; };
        for (int f = 0; f < kFiles; ++f) {
            std::string text;
            text.reserve(kLinesPerFile * 100);
            char line[128];
            for (int i = 0; i < kLinesPerFile; ++i) {
                std::snprintf(line, sizeof line,
                              "SE%04d%02d%02d%06d%-24s%-20s%08u%06u%04u%06u%-8s\r\n", 2024,
                              f / 31 + 1, f % 31 + 1, i, "KESTRANE PAST DATA", "RACE RECORD",
                              next() % 100000000u, next() % 1000000u, next() % 10000u,
                              next() % 1000000u, "END");
                text += line;
            }
            char name[32];
            std::snprintf(name, sizeof name, "XQ2024%04d.vzkd", f);
            if (!keiba::WriteFileAtomic(src / name, text)) return;
        }
        archive = root / "past.zip";
        std::string cmd = "cd '" + src.string() + "' && zip -q -r '" + archive.string() + "' .";
        ok = std::system(cmd.c_str()) == 0;
    }
    ~Workspace() {
        std::error_code ec;
        if (!root.empty()) fs::remove_all(root, ec);
    }
};

Workspace& Work() {
    static Workspace w;
    return w;
}

void BM_ExtractKestrane(benchmark::State& state) {
    Workspace& w = Work();
    if (!w.ok) {
        state.SkipWithError("zip is not available");
        return;
    }
    for (auto _ : state) {
        archive::TUnZip unzip;
        unzip.SetArchiveFile(w.archive.string());
        unzip.SetExtractDir((w.root / "out-kestrane").string());
        unzip.SetFileSpec({"*.vzkd"});
        if (unzip.ExtractArchive() != kFiles) state.SkipWithError("extraction incomplete");
    }
}
BENCHMARK(BM_ExtractKestrane)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ExtractUnzip(benchmark::State& state) {
    Workspace& w = Work();
    if (!w.ok || std::system("command -v unzip >/dev/null 2>&1") != 0) {
        state.SkipWithError("zip or unzip is not available");
        return;
    }
    std::string cmd =
        "unzip -o -q '" + w.archive.string() + "' -d '" + (w.root / "out-unzip").string() + "'";
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("unzip failed");
}
BENCHMARK(BM_ExtractUnzip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    return RunWithRatios(argc, argv, [](const RatioReporter& r) {
        r.PrintRatio("kestrane / unzip time ratio (below 1 is faster):", "BM_ExtractKestrane",
                     "BM_ExtractUnzip");
    });
}
