// A past-data download of a 50 MB archive from the loopback server plus its extraction into
// VZK, against `curl -o` plus `unzip -o -q` of the same archive from the same server, in the
// same run; prints the ratio. Both sides write the same folders under TMPDIR. The archive holds
// only members' day files, so unzip extracts what the program's masks select.

#include "members/download.h"
#include "members/extract.h"
#include "tests/support/httpserver.h"

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
using benchsupport::RunInterleavedWithRatios;

constexpr std::uintmax_t kArchiveBytes = 50u * 1024 * 1024;

// A year of members' files, deflated into an archive of about 50 MB.
class Workspace {
public:
    Workspace()
        : server_([this](const testsupport::HttpRequest&) {
            return testsupport::HttpReply::File(archive_);
        }) {
        fs::path src = folder_.path() / "src";
        fs::create_directories(src);
        // A first batch tells how well a file compresses; the rest is then added at once (zip
        // compresses only what is new to the archive).
        int wanted = 20;
        for (int round = 0; round < 2 && Size() < kArchiveBytes; ++round) {
            for (; files_ < wanted; ++files_)
                if (!WriteFile(src, files_)) return;
            std::string cmd =
                "cd '" + src.string() + "' && zip -q -r '" + archive_.string() + "' .";
            if (std::system(cmd.c_str()) != 0) return;
            wanted = static_cast<int>(kArchiveBytes / (Size() / files_)) + 2;
        }
        ok_ = Size() >= kArchiveBytes;
    }
    bool ok() const { return ok_ && server_.listening(); }
    int files() const { return files_; }
    std::uintmax_t Size() const {
        std::error_code ec;
        std::uintmax_t n = fs::file_size(archive_, ec);
        return ec ? 0 : n;
    }
    std::string Url() const {
        return server_.BaseUrl() +
               "/members/veltro/past_data/download.cgi?I=abcd&p=pass1&tp=year&t=2025";
    }
    fs::path Zip() const { return folder_.path() / "app" / "VZK" / "past.zip"; }
    fs::path Vzk() const { return folder_.path() / "app" / "VZK"; }

private:
    // One day of analysis records: fixed-width fields, mostly figures, about 250 KB.
    bool WriteFile(const fs::path& src, int f) {
        std::string text;
        char line[160];
        for (int i = 0; i < 2000; ++i) {
            int n = std::snprintf(line, sizeof line, "%02d%02d%04d%02d%02d", i % 36, i % 18 + 1,
                                  2025, f / 31 % 12 + 1, f % 31 + 1);
            for (int k = 0; k < 11; ++k)
                n += std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "%010u",
                                   Next());
            std::snprintf(line + n, sizeof line - static_cast<std::size_t>(n), "\r\n");
            text += line;
        }
        char name[32];
        std::snprintf(name, sizeof name, "XQ2025%04d.vzkd", f);
        FILE* out = std::fopen((src / name).c_str(), "wb");
        if (!out) return false;
        bool ok = std::fwrite(text.data(), 1, text.size(), out) == text.size();
        return std::fclose(out) == 0 && ok;
    }
    std::uint32_t Next() { return seed_ = seed_ * 1103515245u + 12345u; }

    benchsupport::Folder folder_;
    fs::path archive_ = folder_.path() / "past.zip";
    std::uint32_t seed_ = 20260515;
    int files_ = 0;
    bool ok_ = false;
    testsupport::HttpServer server_;
};

Workspace& Work() {
    static Workspace w;
    return w;
}

void BM_KestraneDownload(benchmark::State& state) {
    Workspace& w = Work();
    if (!w.ok()) {
        state.SkipWithError("zip is not available");
        return;
    }
    fs::create_directories(w.Vzk());
    for (auto _ : state) {
        members::DownloadResult r = members::DownloadUrlToFile(w.Url(), w.Zip());
        if (!r.ok()) state.SkipWithError("download failed");
        if (members::ExtractMembersArchive(w.Zip(), w.Vzk()).files != w.files())
            state.SkipWithError("extraction incomplete");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * w.Size()));
}

void BM_CurlUnzip(benchmark::State& state) {
    Workspace& w = Work();
    if (!w.ok() ||
        std::system("command -v curl >/dev/null 2>&1 && command -v unzip >/dev/null") != 0) {
        state.SkipWithError("curl or unzip is not available");
        return;
    }
    fs::create_directories(w.Vzk());
    std::string cmd = "curl -s -f -o '" + w.Zip().string() + "' '" + w.Url() +
                      "' && unzip -o -q '" + w.Zip().string() + "' -d '" + w.Vzk().string() + "'";
    for (auto _ : state)
        if (std::system(cmd.c_str()) != 0) state.SkipWithError("curl or unzip failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * w.Size()));
}

// Ten repetitions in random order, so that a slow spell of a shared machine falls on both
// sides; the ratio compares the medians.
BENCHMARK(BM_KestraneDownload)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(10);
BENCHMARK(BM_CurlUnzip)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(10);

} // namespace

int main(int argc, char** argv) {
    return RunInterleavedWithRatios(argc, argv, [](const RatioReporter& r) {
        r.PrintRatio("download + extraction: kestrane / curl + unzip, medians (below 1 is faster):",
                     "BM_KestraneDownload/iterations:1/repeats:10/real_time_median",
                     "BM_CurlUnzip/iterations:1/repeats:10/real_time_median");
    });
}
