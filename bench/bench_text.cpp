#include "keiba/sjis.h"

#include <benchmark/benchmark.h>

static void BM_Cp932ToUtf8(benchmark::State& state) {
    std::string name = keiba::Sj("ディープインパクト　　　　　　　　");
    for (auto _ : state) benchmark::DoNotOptimize(keiba::Cp932ToUtf8(name));
}
BENCHMARK(BM_Cp932ToUtf8);

BENCHMARK_MAIN();
