#include "keiba/fileio.h"
#include "keiba/sjis.h"

#include <benchmark/benchmark.h>

static void BM_Cp932ToUtf8(benchmark::State& state) {
    std::string name = keiba::Sj("ディープインパクト　　　　　　　　");
    for (auto _ : state) benchmark::DoNotOptimize(keiba::Cp932ToUtf8(name));
}
BENCHMARK(BM_Cp932ToUtf8);

// A runner day file's worth of CR LF lines (the filing splits every file it rewrites).
static std::string DayFileLines() {
    std::string bytes;
    for (int i = 0; i < 4000; ++i) bytes += std::string(555, 'x') + "\r\n";
    return bytes;
}

static void BM_SplitLines(benchmark::State& state) {
    const std::string bytes = DayFileLines();
    for (auto _ : state) benchmark::DoNotOptimize(keiba::SplitLines(bytes));
}
BENCHMARK(BM_SplitLines);

// The reference: LF ends a line and one CR before it is dropped; a lone CR is not looked for.
static void BM_SplitLinesLfReference(benchmark::State& state) {
    const std::string bytes = DayFileLines();
    for (auto _ : state) {
        std::vector<std::string_view> lines;
        std::string_view b = bytes;
        std::size_t start = 0;
        while (start < b.size()) {
            std::size_t nl = b.find('\n', start);
            std::size_t end = nl == std::string_view::npos ? b.size() : nl;
            std::string_view l = b.substr(start, end - start);
            if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
            lines.push_back(l);
            if (nl == std::string_view::npos) break;
            start = nl + 1;
        }
        benchmark::DoNotOptimize(lines);
    }
}
BENCHMARK(BM_SplitLinesLfReference);

BENCHMARK_MAIN();
