// The R-horse search over a generated history of the size the members' past-data service
// offers (about 2,100 day files back to 2008, 0.9 million records, 350 MB), against a plain read
// of the same files in the same run: a full-history search whose conditions match almost
// nothing, one where every record is a hit, the default one-year range, and how fast a running
// walk answers its cancel. Prints the ratios, the one-year time, the cancel time and the bytes
// held per hit row.

#include "bench/benchsupport.h"
#include "jvdata/records.h"
#include "search/rscan.h"
#include "search/rsearch.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

constexpr int kDays = 2100;
constexpr int kRecordsPerDay = 428;

std::string Two(int v) {
    return benchsupport::Two(v);
}

// A history of race days, two a week from 2008-01-05, each of 428 runners in 36 races.
struct History {
    benchsupport::Folder folder;
    std::vector<std::string> dates;
    std::size_t bytes = 0;

    History() {
        fs::create_directories(Vzk());
        std::uint64_t seed = 88172645463325252ull;
        auto next = [&] {
            seed ^= seed << 13;
            seed ^= seed >> 7;
            seed ^= seed << 17;
            return seed;
        };
        const sys_days first = sys_days{year{2008} / January / 5};
        std::string file;
        for (int d = 0; d < kDays; ++d) {
            const year_month_day ymd{first + days{(d / 2) * 7 + d % 2}};
            const std::string date8 = jvdata::FormatYyyymmdd(ymd);
            dates.push_back(date8);
            file.clear();
            for (int i = 0; i < kRecordsPerDay; ++i) {
                const int slot = i / 12 % 36, race = slot % 12 + 1, horse = i % 12 + 1;
                std::string r(jvdata::kAnalysisLength, ' ');
                const std::uint64_t x = next();
                auto set = [&](std::size_t pos, std::size_t width, const std::string& v) {
                    jvdata::SetField(r, pos, width, v);
                };
                set(1, 2, Two(slot));
                set(3, 2, Two(horse));
                set(5, 1, std::to_string(1 + horse % 8));
                set(6, 8, date8);
                set(14, 2, Two(5 + slot / 12));
                set(20, 2, Two(race));
                set(32, 18, "SAMPLE HORSE NAME ");
                set(138, 9, horse == 1 ? "000000350" : "000000000");
                set(147, 9, horse <= 3 ? "000000150" : "000000000");
                set(156, 1, "1");
                for (std::size_t block : {227u, 302u}) {
                    auto b = [&](std::size_t pos, std::size_t width, const std::string& v) {
                        set(block + pos - 1, width, v);
                    };
                    b(1, 2, "12");
                    b(3, 2, Two(5 + slot / 12));
                    b(5, 2, x % 2 ? "11" : "24");
                    b(7, 4, x % 3 ? "1600" : "2000");
                    b(11, 2, "13");
                    b(13, 3, "005");
                    b(17, 2, Two(1 + static_cast<int>(x % 7)));
                    b(19, 2, Two(horse));
                    b(21, 2, Two(horse));
                    b(23, 2, Two(1 + static_cast<int>((x >> 8) % 12)));
                    b(25, 4, "0" + std::to_string(100 + (x >> 16) % 800));
                    b(29, 1, std::to_string((x >> 24) % 3));
                    b(30, 2, Two(static_cast<int>((x >> 26) % 7)));
                    b(32, 1, std::to_string(1 + (x >> 29) % 4));
                    b(33, 7, "0101001");
                    b(40, 10, "0.2500.125");
                    b(50, 3, "AB0");
                    b(53, 3, " 12");
                }
                set(377, 2, "\r\n");
                file += r;
            }
            std::ofstream(Vzk() / ("XQ" + date8 + ".vzkd"), std::ios::binary) << file;
            bytes += file.size();
        }
    }
    fs::path Vzk() const { return folder.path() / "VZK"; }
};

History& Data() {
    static History h;
    return h;
}

// The plain read: the folder listed, every file opened, read whole into one buffer and closed.
std::size_t PlainRead(const fs::path& folder) {
    std::vector<char> buffer(1 << 20);
    std::size_t total = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
        int fd = ::open(e.path().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
            total += static_cast<std::size_t>(n);
        ::close(fd);
    }
    return total;
}

std::shared_ptr<const search::RFilter> StartValues(const char* minOdds = "1.0") {
    search::NeraiValues v = search::InitialNeraiValues();
    v[0][search::kTanOzMin].text = minOdds;
    return std::make_shared<search::RSearchConditions>(
        *search::RSearchConditions::FromValues(v).conditions);
}

std::shared_ptr<const search::RFilter> Everything() {
    return std::make_shared<search::RStatsConditions>(std::vector<bool>{}, std::vector<bool>{},
                                                      std::vector<bool>{}, std::vector<bool>{});
}

// The hits of a walk and the memory its rows take.
struct Walked {
    std::size_t hits = 0, bytes = 0;
};

Walked Walk(benchmark::State& state, const std::string& from,
            std::shared_ptr<const search::RFilter> filter) {
    search::RScan scan({Data().Vzk(), from, "99999999", std::move(filter)});
    scan.Wait();
    if (scan.State().Result().cancelled) state.SkipWithError("cancelled");
    return {scan.State().Hits(), scan.State().Store()->BytesHeld()};
}

void BM_PlainReadOfTheHistory(benchmark::State& state) {
    const History& h = Data();
    for (auto _ : state)
        if (PlainRead(h.Vzk()) != h.bytes) state.SkipWithError("short read");
    state.counters["MB"] = static_cast<double>(h.bytes) / 1e6;
    state.counters["records"] = static_cast<double>(kDays) * kRecordsPerDay;
}
// A warm cache: the files are in the system's cache and the memory a walk's rows take has been
// handed out once before (a first walk in a process also pays for the system zeroing new pages).
// The machine is shared: each figure is the median of five runs.
BENCHMARK(BM_PlainReadOfTheHistory)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinWarmUpTime(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_FullHistoryMatchingAlmostNothing(benchmark::State& state) {
    std::size_t hits = 0;
    for (auto _ : state) hits = Walk(state, "00000000", StartValues("89.0")).hits;
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_FullHistoryMatchingAlmostNothing)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinWarmUpTime(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_FullHistoryEveryRecordAHit(benchmark::State& state) {
    Walked walked;
    for (auto _ : state) walked = Walk(state, "00000000", Everything());
    state.counters["hits"] = static_cast<double>(walked.hits);
    // The store holds whole chunks: what it holds per row, partly filled chunks included.
    state.counters["bytes_per_hit"] = static_cast<double>(walked.bytes) /
                                      static_cast<double>(std::max<std::size_t>(walked.hits, 1));
}
BENCHMARK(BM_FullHistoryEveryRecordAHit)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinWarmUpTime(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_DefaultOneYearRange(benchmark::State& state) {
    const std::vector<std::string>& dates = Data().dates;
    const std::string from = dates[dates.size() - 105];
    std::size_t hits = 0;
    for (auto _ : state) hits = Walk(state, from, StartValues()).hits;
    state.counters["hits"] = static_cast<double>(hits);
}
BENCHMARK(BM_DefaultOneYearRange)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinWarmUpTime(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// From the cancel to the walk's end, while a full-history walk runs.
void BM_CancelAnswered(benchmark::State& state) {
    for (auto _ : state) {
        search::RScan scan({Data().Vzk(), "00000000", "99999999", StartValues()});
        std::this_thread::sleep_for(milliseconds(20));
        const auto asked = steady_clock::now();
        scan.Cancel();
        while (!scan.Done()) std::this_thread::yield();
        state.SetIterationTime(duration<double>(steady_clock::now() - asked).count());
        scan.Wait();
    }
}
BENCHMARK(BM_CancelAnswered)->Unit(benchmark::kMicrosecond)->UseManualTime()->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    Data(); // the history is written before any benchmark runs
    return benchsupport::RunWithRatios(argc, argv, [](const benchsupport::RatioReporter& r) {
        const std::string median = "/min_warmup_time:1.000/repeats:5/real_time_median";
        const std::string plain = "BM_PlainReadOfTheHistory" + median;
        r.PrintRatio("search matching almost nothing / plain read:",
                     "BM_FullHistoryMatchingAlmostNothing" + median, plain);
        r.PrintRatio("search with every record a hit / plain read:",
                     "BM_FullHistoryEveryRecordAHit" + median, plain);
        std::printf("%-48s %zu\n", "bytes of a hit row:", sizeof(search::RHit));
    });
}
