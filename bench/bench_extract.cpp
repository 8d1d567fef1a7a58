// Extraction of members'-sized archives with our extractor and, in the same run, with a plain
// reference; prints the ratios.
//   small: 2,000 files of 2-5 KB (a season of race comments), where per-entry costs dominate,
//   into an empty folder and over the files of an earlier extraction (a download fetched again);
//   large: 365 files of about 250 KB of fixed-width records (a year of past data);
//   and 40 files of about 250 KB packed with each of the other methods: bzip2 (zip -Z bzip2)
//   against `unzip -o -q` (libbz2, as ours) and against `7z x` (a decoder of its own), Deflate64
//   and AES-256 (7z) against `7z x` (7z decodes on several threads; ours on one).
// Both sides run as programs of their own, started the same way (posix_spawn, no shell, output
// to /dev/null) and timed from the start to the exit: ours is the `kestrane_kzip` driver over the
// same extractor. Timing our extraction inside this process while the reference also pays for a
// process start (and a shell) would flatter ours most where an extraction is short.
// Except over earlier files, each extraction writes an empty folder: the one before is moved
// aside, outside the time measured, and removed when the program ends. Removing it at once
// would measure the file system instead: ext4 without a journal passes over every inode freed
// in the last seconds before it gives out one, which costs both sides more than all else.
// The folders are made under TMPDIR (TMPDIR=/dev/shm leaves the disk out). On a shared machine
// whose disk has no journal, files others delete slow every file made for half a minute, on both
// sides alike; a file system of its own (a loop-mounted image) gives steady figures.

#include "keiba/fileio.h"

#include "bench/benchsupport.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;

namespace {
using benchsupport::RatioReporter;
using benchsupport::RunInterleavedWithRatios;
using benchsupport::RunProgram;

struct Shape {
    int files;
    int minLines, maxLines; // 100-byte lines per file
    const char* pack;       // run in the source folder; %A is the archive
    const char* name;
};

constexpr Shape kSmall{2000, 20, 50, "zip -q -r %A .", "small"};
constexpr Shape kLarge{365, 2500, 2500, "zip -q -r %A .", "large"};
constexpr Shape kBzip2{40, 2500, 2500, "zip -q -r -Z bzip2 %A .", "bzip2"};
constexpr Shape kDeflate64{40, 2500, 2500, "7z a -bd -tzip -mm=Deflate64 %A . >/dev/null",
                           "deflate64"};
constexpr Shape kAes{40, 2500, 2500, "7z a -bd -tzip -mem=AES256 -psecret %A . >/dev/null", "aes"};

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
        std::string pack = shape.pack;
        pack.replace(pack.find("%A"), 2, "'" + archive_.string() + "'");
        ok_ = std::system(("cd '" + src.string() + "' && " + pack).c_str()) == 0;
    }

    bool ok() const { return ok_; }
    int files() const { return files_; }
    const fs::path& archive() const { return archive_; }
    // Both extractors write the same folder: what creating a file costs can hang on the
    // folder's place on the disk.
    fs::path Out() const { return folder_.path() / "out"; }
    // Where the last output goes to make room for an empty folder.
    fs::path Spent() { return folder_.path() / ("spent" + std::to_string(spent_++)); }

private:
    benchsupport::Folder folder_;
    fs::path archive_;
    int files_;
    int spent_ = 0;
    bool ok_ = false;
};

Workspace& Work(const Shape& shape) {
    static std::map<std::string, std::unique_ptr<Workspace>> spaces;
    auto& w = spaces[shape.name];
    if (!w) w = std::make_unique<Workspace>(shape);
    return *w;
}

enum class Target { Empty, Earlier };

// Moves the last output aside outside the time measured, unless the files of an earlier
// extraction are to stay.
void Prepare(benchmark::State& state, Workspace& w, Target target) {
    if (target == Target::Earlier) return;
    state.PauseTiming();
    std::error_code ec;
    fs::rename(w.Out(), w.Spent(), ec);
    state.ResumeTiming();
}

enum class Tool { Kestrane, Unzip, SevenZip };

void Extract(benchmark::State& state, const Shape& shape, Tool tool, Target target) {
    Workspace& w = Work(shape);
    const std::string archive = w.archive().string(), out = w.Out().string();
    std::vector<std::string> argv;
    switch (tool) {
    case Tool::Kestrane: argv = {KESTRANE_KZIP, "-p", "secret", archive, out, "*.vzkd"}; break;
    case Tool::Unzip: argv = {"unzip", "-o", "-q", archive, "-d", out}; break;
    case Tool::SevenZip: argv = {"7z", "x", "-y", "-psecret", "-bd", "-o" + out, archive}; break;
    }
    if (!w.ok() || (tool != Tool::Kestrane && RunProgram({"sh", "-c", "command -v " + argv[0]}))) {
        state.SkipWithError("the archiver or the reference is not available");
        return;
    }
    for (auto _ : state) {
        Prepare(state, w, target);
        if (RunProgram(argv) != 0) state.SkipWithError("the extraction failed");
    }
}

void ExtractKestrane(benchmark::State& state, const Shape& shape, Target target) {
    Extract(state, shape, Tool::Kestrane, target);
}

// The reference: `unzip -o -q`, or `7z x`.
void ExtractReference(benchmark::State& state, const Shape& shape, bool sevenZip, Target target) {
    Extract(state, shape, sevenZip ? Tool::SevenZip : Tool::Unzip, target);
}

void BM_SmallKestrane(benchmark::State& state) {
    ExtractKestrane(state, kSmall, Target::Empty);
}
void BM_SmallUnzip(benchmark::State& state) {
    ExtractReference(state, kSmall, false, Target::Empty);
}
void BM_SmallOverKestrane(benchmark::State& state) {
    ExtractKestrane(state, kSmall, Target::Earlier);
}
void BM_SmallOverUnzip(benchmark::State& state) {
    ExtractReference(state, kSmall, false, Target::Earlier);
}
void BM_LargeKestrane(benchmark::State& state) {
    ExtractKestrane(state, kLarge, Target::Empty);
}
void BM_LargeUnzip(benchmark::State& state) {
    ExtractReference(state, kLarge, false, Target::Empty);
}
void BM_Bzip2Kestrane(benchmark::State& state) {
    ExtractKestrane(state, kBzip2, Target::Empty);
}
void BM_Bzip2Unzip(benchmark::State& state) {
    ExtractReference(state, kBzip2, false, Target::Empty);
}
void BM_Bzip27z(benchmark::State& state) {
    ExtractReference(state, kBzip2, true, Target::Empty);
}
void BM_Deflate64Kestrane(benchmark::State& state) {
    ExtractKestrane(state, kDeflate64, Target::Empty);
}
void BM_Deflate647z(benchmark::State& state) {
    ExtractReference(state, kDeflate64, true, Target::Empty);
}
void BM_AesKestrane(benchmark::State& state) {
    ExtractKestrane(state, kAes, Target::Empty);
}
void BM_Aes7z(benchmark::State& state) {
    ExtractReference(state, kAes, true, Target::Empty);
}
// Ten repetitions, run in random order unless told otherwise, so that a slow spell of a shared
// machine falls on both sides of a ratio; the ratios compare the medians.
#define KESTRANE_EXTRACT_BENCHMARK(fn)                                                             \
    BENCHMARK(fn)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(10)
KESTRANE_EXTRACT_BENCHMARK(BM_SmallKestrane);
KESTRANE_EXTRACT_BENCHMARK(BM_SmallUnzip);
KESTRANE_EXTRACT_BENCHMARK(BM_SmallOverKestrane);
KESTRANE_EXTRACT_BENCHMARK(BM_SmallOverUnzip);
KESTRANE_EXTRACT_BENCHMARK(BM_LargeKestrane);
KESTRANE_EXTRACT_BENCHMARK(BM_LargeUnzip);
KESTRANE_EXTRACT_BENCHMARK(BM_Bzip2Kestrane);
KESTRANE_EXTRACT_BENCHMARK(BM_Bzip2Unzip);
KESTRANE_EXTRACT_BENCHMARK(BM_Bzip27z);
KESTRANE_EXTRACT_BENCHMARK(BM_Deflate64Kestrane);
KESTRANE_EXTRACT_BENCHMARK(BM_Deflate647z);
KESTRANE_EXTRACT_BENCHMARK(BM_AesKestrane);
KESTRANE_EXTRACT_BENCHMARK(BM_Aes7z);

} // namespace

int main(int argc, char** argv) {
    return RunInterleavedWithRatios(argc, argv, [](const RatioReporter& r) {
        auto ratio = [&](const char* what, const char* ours, const char* reference) {
            std::string suffix = "/iterations:1/repeats:10/real_time_median";
            r.PrintRatio(what, std::string(ours) + suffix, std::string(reference) + suffix);
        };
        ratio("small files: kestrane / unzip, medians (below 1 is faster):", "BM_SmallKestrane",
              "BM_SmallUnzip");
        ratio("small files over earlier ones: kestrane / unzip:", "BM_SmallOverKestrane",
              "BM_SmallOverUnzip");
        ratio("large files: kestrane / unzip, medians (below 1 is faster):", "BM_LargeKestrane",
              "BM_LargeUnzip");
        ratio("bzip2: kestrane / unzip, medians (below 1 is faster):", "BM_Bzip2Kestrane",
              "BM_Bzip2Unzip");
        ratio("bzip2: kestrane / 7z x, medians (below 1 is faster):", "BM_Bzip2Kestrane",
              "BM_Bzip27z");
        ratio("Deflate64: kestrane / 7z x, medians (below 1 is faster):", "BM_Deflate64Kestrane",
              "BM_Deflate647z");
        ratio("AES-256: kestrane / 7z x, medians (below 1 is faster):", "BM_AesKestrane",
              "BM_Aes7z");
    });
}
