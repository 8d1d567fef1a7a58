#pragma once
// What the benchmarks share: a temporary folder, synthetic records, and a reporter that keeps
// each benchmark's time so that main() can print the ratios against the plain references.

#include "jvdata/records.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace benchsupport {

// A fresh folder under the system's temporary folder, removed with everything in it.
class Folder {
public:
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrane-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        path_ = pattern;
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Runs `argv` (looked up in PATH unless it names a file) with its output thrown away; its exit
// status, or -1 when it did not start or did not exit.
inline int RunProgram(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    int started = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string Two(int v) {
    char b[16];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

// A record of its id's length that reads as its layout says: blanks, data kind 7, the race key
// and CR LF (the filing refuses a record its readers would not take).
inline std::string Record(std::string_view id, std::string_view key) {
    std::size_t len = *jvdata::RecordLengthOf(id);
    std::string r(len, ' ');
    r[len - 2] = '\r';
    r[len - 1] = '\n';
    jvdata::SetField(r, 1, 2, id);
    jvdata::SetField(r, 3, 1, "7");
    jvdata::SetField(r, 4, 8, "20261231");
    jvdata::SetField(r, 12, 16, key);
    return r;
}

// The race days of a year: Saturdays and Sundays from 2026-01-03, as yyyymmdd.
inline std::string WeekendDate(int dayIndex) {
    static const int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int ordinal = 3 + (dayIndex / 2) * 7 + dayIndex % 2;
    int m = 0;
    while (ordinal >= kMonthDays[m]) ordinal -= kMonthDays[m++];
    return "2026" + Two(m + 1) + Two(ordinal + 1);
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (!r.error_occurred) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    // Prints the time of the benchmark named `num` over that of `den` (names match by prefix,
    // so iteration and real-time suffixes need not be spelled out).
    void PrintRatio(const char* what, std::string_view num, std::string_view den) const {
        double a = Time(num), b = Time(den);
        if (a > 0 && b > 0) std::printf("%-48s %.2f\n", what, a / b);
    }

private:
    double Time(std::string_view prefix) const {
        for (const auto& [name, t] : times_)
            if (name.starts_with(prefix)) return t;
        return 0;
    }
    std::map<std::string, double> times_;
};

// BENCHMARK_MAIN with the ratios printed after the table.
template <typename PrintRatios> int RunWithRatios(int argc, char** argv, PrintRatios print) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    print(reporter);
    benchmark::Shutdown();
    return 0;
}

// RunWithRatios with the repetitions in random order unless the command line says otherwise, so
// that the ratio of benchmarks that write files is not bent by which side runs after the other
// (the page cache and the disk's write-back pass from one run to the next).
template <typename PrintRatios>
int RunInterleavedWithRatios(int argc, char** argv, PrintRatios print) {
    std::string interleave = "--benchmark_enable_random_interleaving=true";
    bool given = false;
    for (int i = 1; i < argc; ++i)
        given = given || std::string_view(argv[i]).starts_with("--benchmark_enable_random");
    std::vector<char*> args;
    args.reserve(static_cast<std::size_t>(argc) + 1);
    for (int i = 0; i < argc; ++i) {
        args.push_back(argv[i]);
        if (i == 0 && !given) args.push_back(interleave.data());
    }
    return RunWithRatios(static_cast<int>(args.size()), args.data(), print);
}

// One side of a comparison: `run` is timed, `prepare` (before each run) is not.
struct Side {
    std::function<void()> run;
    std::function<void()> prepare = [] {};
};

// The medians, over the rounds, of the time per run of each side, in seconds.
struct Medians {
    double first = 0, second = 0;
    double Ratio() const { return second > 0 ? first / second : 0; }
};

// Two sides run alternately, `rounds` rounds of `runs` runs of each, the side that goes first
// changing every round, after one round that is not timed: whatever one side leaves warm (the page
// cache, the processor's caches, the clock's speed) the other finds as often.
inline Medians Alternate(const Side& first, const Side& second, int rounds, int runs) {
    std::vector<double> times[2];
    const Side* sides[2] = {&first, &second};
    auto round = [&](int which, bool timed) {
        std::chrono::steady_clock::duration took{};
        for (int i = 0; i < runs; ++i) {
            sides[which]->prepare();
            const auto start = std::chrono::steady_clock::now();
            sides[which]->run();
            took += std::chrono::steady_clock::now() - start;
        }
        if (timed) times[which].push_back(std::chrono::duration<double>(took).count() / runs);
    };
    round(0, false);
    round(1, false);
    for (int r = 0; r < rounds; ++r) {
        round(r % 2, true);
        round(1 - r % 2, true);
    }
    auto median = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        return v.empty() ? 0.0 : v[v.size() / 2];
    };
    return {median(times[0]), median(times[1])};
}

} // namespace benchsupport
