// The R-horse search over a generated history of the size the members' past-data service
// offers (about 2,100 day files back to 2008, 0.9 million records, 350 MB), against a plain read
// of the same files on as many threads as the walk has: a full-history search whose conditions
// match almost nothing and one where every record is a hit, each alternated with the plain read
// in one run (the ratios compare the medians), and the second once more as a first walk, whose
// files are checked as they are tested; then the default one-year range, how fast a running walk
// answers its cancel, and the bytes held per hit row.

#include "bench/benchsupport.h"
#include "jvdata/records.h"
#include "raceday/analysis.h"
#include "search/rscan.h"
#include "search/rsearch.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
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

// The plain read: the folder listed, then every file opened, read whole into a buffer of its
// thread's and closed, on as many threads as the walk, each taking the next file.
std::size_t PlainRead(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(folder)) files.push_back(e.path());
    std::atomic<std::size_t> next{0}, total{0};
    auto read = [&] {
        std::vector<char> buffer(1 << 20);
        std::size_t bytes = 0;
        for (std::size_t k; (k = next.fetch_add(1)) < files.size();) {
            const int fd = ::open(files[k].c_str(), O_RDONLY | O_CLOEXEC);
            if (fd < 0) continue;
            for (ssize_t n; (n = ::read(fd, buffer.data(), buffer.size())) > 0;)
                bytes += static_cast<std::size_t>(n);
            ::close(fd);
        }
        total += bytes;
    };
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < search::kWalkThreads; ++i) helpers.emplace_back(read);
    read();
    for (std::thread& t : helpers) t.join();
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

// A walk to its end: its hits and the memory its rows take. A walk that met anything it could
// not search has taken another path than the one timed: the run fails.
struct Walked {
    std::size_t hits = 0, bytes = 0;
};
Walked Walk(const std::string& from, std::shared_ptr<const search::RFilter> filter) {
    search::RScan scan({Data().Vzk(), from, "99999999", std::move(filter)});
    scan.Wait();
    const search::RScanResult& result = scan.State().Result();
    if (result.cancelled || !result.damaged.empty() || !result.unreadable.empty() ||
        !result.failure.empty()) {
        std::fprintf(stderr, "the walk did not search every file whole\n");
        std::exit(1);
    }
    return {scan.State().Hits(), scan.State().Store()->BytesHeld()};
}

volatile std::size_t sink;

void Print(const char* what, const benchsupport::Medians& m) {
    std::printf("%-52s %.2f  (%.1f ms / %.1f ms)\n", what, m.Ratio(), m.first * 1e3,
                m.second * 1e3);
}

template <typename Run> double MedianMs(int runs, Run run) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        const auto start = steady_clock::now();
        run();
        t.push_back(duration<double, std::milli>(steady_clock::now() - start).count());
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

} // namespace

int main() {
    const History& h = Data(); // the history is written before anything is timed
    const benchsupport::Side plain{[&] {
        if (PlainRead(h.Vzk()) != h.bytes) {
            std::fprintf(stderr, "short read\n");
            std::exit(1);
        }
    }};
    // A warm cache: the files are in the system's cache and the memory a walk's rows take has
    // been handed out once before (a first walk in a process also pays for the system zeroing
    // new pages).
    Walked everything;
    const benchsupport::Side almostNothing{
        [&] { sink = Walk("00000000", StartValues("89.0")).hits; }};
    const benchsupport::Side everyRecord{[&] { everything = Walk("00000000", Everything()); }};

    std::printf("%d day files, %.0f MB, %d records; %zu threads each side.\n", kDays,
                static_cast<double>(h.bytes) / 1e6, kDays * kRecordsPerDay, search::kWalkThreads);
    std::printf("Each pair alternated, 15 rounds; ratio of the medians (time per run):\n");
    Print("search matching almost nothing / plain read:",
          benchsupport::Alternate(almostNothing, plain, 15, 2));
    Print("search with every record a hit / plain read:",
          benchsupport::Alternate(everyRecord, plain, 15, 2));
    // A first walk: no file's verdict known yet, every record checked as it is tested.
    const benchsupport::Side firstWalk{everyRecord.run,
                                       [] { raceday::CheckedAnalysisFiles().Clear(); }};
    Print("the same, no file checked before / plain read:",
          benchsupport::Alternate(firstWalk, plain, 15, 1));

    const std::vector<std::string>& dates = h.dates;
    const std::string from = dates[dates.size() - 105];
    std::printf("%-52s %.1f ms\n", "default one-year range (median of 15):", MedianMs(15, [&] {
                    sink = Walk(from, StartValues()).hits;
                }));
    // From the cancel to the walk's end, while a full-history walk runs.
    std::vector<double> cancels;
    for (int i = 0; i < 20; ++i) {
        search::RScan scan({h.Vzk(), "00000000", "99999999", StartValues()});
        std::this_thread::sleep_for(milliseconds(20));
        const auto asked = steady_clock::now();
        scan.Cancel();
        while (!scan.Done()) std::this_thread::yield();
        cancels.push_back(duration<double, std::milli>(steady_clock::now() - asked).count());
        scan.Wait();
    }
    std::sort(cancels.begin(), cancels.end());
    std::printf("%-52s %.2f ms\n", "cancel answered (median of 20):", cancels[10]);
    std::printf("%-52s %zu (%.1f held per hit)\n", "bytes of a hit row:", sizeof(search::RHit),
                static_cast<double>(everything.bytes) /
                    static_cast<double>(std::max<std::size_t>(everything.hits, 1)));
    return 0;
}
