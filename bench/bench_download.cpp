// A 50 MB download from the loopback server, timed the same way on both sides: as a whole
// process started directly (no shell) and waited for, from its start to its exit.
//   kestrane: tools/kestrane_download, the members' download code (libcurl into a new file in
//             the target's folder, put over the target once the answer was a 2xx);
//   curl:     `curl -s -f -o <file> <url>`.
// The two run alternately, each side first in every other round, after one untimed round of
// each; the ratio compares the medians. The server runs in this process and serves the same
// file to both; each download goes to a fresh name, removed after the run (not timed).

#include "tests/support/httpserver.h"

#include "bench/benchsupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kBytes = 50u * 1024 * 1024;
constexpr int kRounds = 21;

// An archive's worth of bytes that do not compress, which the transfer does not look into.
bool WriteBody(const fs::path& path) {
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::vector<std::uint32_t> block(1 << 16);
    std::uint32_t seed = 20260515;
    bool ok = true;
    for (std::uintmax_t written = 0; ok && written < kBytes; written += block.size() * 4) {
        for (std::uint32_t& v : block) v = seed = seed * 1103515245u + 12345u;
        ok = std::fwrite(block.data(), 4, block.size(), out) == block.size();
    }
    return std::fclose(out) == 0 && ok;
}

// Runs `argv` as RunProgram does; the seconds it took, or a negative value when it failed.
double TimedRun(const std::vector<std::string>& argv) {
    const auto start = std::chrono::steady_clock::now();
    if (benchsupport::RunProgram(argv) != 0) return -1;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    return took.count();
}

struct Side {
    const char* name;
    std::vector<std::string> (*command)(const std::string& url, const std::string& file);
    std::vector<double> seconds;
};

std::vector<std::string> Kestrane(const std::string& url, const std::string& file) {
    return {KESTRANE_DOWNLOAD_TOOL, url, file};
}

std::vector<std::string> Curl(const std::string& url, const std::string& file) {
    return {"curl", "-s", "-f", "-o", file, url};
}

// One download of `side` into a fresh file; false when it failed or the file is not whole.
bool Run(Side& side, const std::string& url, const fs::path& folder, bool timed) {
    static int n = 0;
    const fs::path file = folder / ("download" + std::to_string(++n));
    const double s = TimedRun(side.command(url, file.string()));
    std::error_code ec;
    const bool whole = fs::file_size(file, ec) == kBytes && !ec;
    fs::remove(file, ec);
    if (s < 0 || !whole) {
        std::fprintf(stderr, "%s: the download failed\n", side.name);
        return false;
    }
    if (timed) side.seconds.push_back(s);
    return true;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main() {
    benchsupport::Folder folder;
    const fs::path body = folder.path() / "past.zip";
    if (!WriteBody(body)) {
        std::fprintf(stderr, "cannot write %s\n", body.c_str());
        return 1;
    }
    testsupport::HttpServer server(
        [&](const testsupport::HttpRequest&) { return testsupport::HttpReply::File(body); });
    if (!server.listening()) {
        std::fprintf(stderr, "the loopback server does not listen\n");
        return 1;
    }
    const std::string url =
        server.BaseUrl() + "/members/veltro/past_data/download.cgi?I=abcd&p=pass1&tp=year&t=2025";

    Side sides[] = {{"kestrane_download", Kestrane, {}}, {"curl", Curl, {}}};
    for (Side& s : sides)
        if (!Run(s, url, folder.path(), false)) return 1;
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < 2; ++i)
            if (!Run(sides[(round + i) % 2], url, folder.path(), true)) return 1;
    }

    std::printf("%d MB from the loopback server, %d runs each, alternated:\n",
                static_cast<int>(kBytes >> 20), kRounds);
    for (const Side& s : sides) {
        const auto [lo, hi] = std::minmax_element(s.seconds.begin(), s.seconds.end());
        std::printf("  %-18s median %7.1f ms  min %7.1f ms  max %7.1f ms\n", s.name,
                    Median(s.seconds) * 1e3, *lo * 1e3, *hi * 1e3);
    }
    std::printf("download: kestrane_download / curl, medians (below 1 is faster): %.2f\n",
                Median(sides[0].seconds) / Median(sides[1].seconds));
    return 0;
}
