// Downloads to a file over the loopback server: statuses, redirects, broken and slow transfers,
// the stop, and what is left on disk after each.

#include "keiba/fileio.h"
#include "members/download.h"
#include "tests/support/httpserver.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <chrono>

#include <unistd.h>

using namespace members;
using namespace testsupport;
using Status = DownloadResult::Status;
namespace fs = std::filesystem;

namespace {

std::string Body(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>('A' + (i * 7 + i / 251) % 26);
    return s;
}

class Download : public ::testing::Test {
protected:
    Download()
        : server([this](const HttpRequest& r) { return answer(r); }) {}

    // Every file in the folder, so that a leftover temporary file shows.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path()))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    DownloadResult Get(const std::string& path, const ProgressFn& progress = {}) {
        return DownloadUrlToFile(server.BaseUrl() + path, target, progress, limits);
    }

    TempDir dir;
    fs::path target = dir / "yosou.zip";
    TransferLimits limits;
    std::function<HttpReply(const HttpRequest&)> answer;
    HttpServer server;
};

} // namespace

TEST_F(Download, BodyReplacesTheTargetAndReportsItsProgress) {
    const std::string body = Body(3 * 1024 * 1024 + 17);
    answer = [&](const HttpRequest&) { return HttpReply::Text(body); };
    WriteBytes(target, "old");
    std::vector<std::pair<std::int64_t, std::int64_t>> seen;
    DownloadResult r = Get("/x?I=a", [&](std::int64_t done, std::int64_t total) {
        seen.emplace_back(done, total);
        return true;
    });
    ASSERT_TRUE(r.ok()) << r.detail;
    EXPECT_EQ(r.httpStatus, 200);
    EXPECT_EQ(Slurp(target), body);
    EXPECT_EQ(Files(), std::vector<std::string>{"yosou.zip"});
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().first, static_cast<std::int64_t>(body.size()));
    EXPECT_EQ(seen.back().second, static_cast<std::int64_t>(body.size()));
    for (std::size_t i = 1; i < seen.size(); ++i) EXPECT_LE(seen[i - 1].first, seen[i].first);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].target, "/x?I=a");
    EXPECT_EQ(server.Requests()[0].headers["cache-control"], "no-cache");
}

TEST_F(Download, FailuresLeaveTheTargetAsItWas) {
    struct Case {
        const char* what;
        HttpReply reply;
        Status status;
        long http;
    };
    HttpReply dropped = HttpReply::Text(Body(100000));
    dropped.dropAfter = 40000;
    std::vector<Case> cases = {
        {"404", HttpReply::Status(404), Status::HttpStatus, 404},
        {"500", HttpReply::Status(500), Status::HttpStatus, 500},
        {"redirect without a place", HttpReply::Redirect(""), Status::HttpStatus, 302},
        {"dropped halfway", dropped, Status::TransportError, 200},
    };
    for (const Case& c : cases) {
        WriteBytes(target, "RETURN=1\r\n");
        answer = [&](const HttpRequest&) { return c.reply; };
        DownloadResult r = Get("/members/veltro/data/download.cgi?I=abcd&p=secret");
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.httpStatus, c.http) << c.what;
        EXPECT_EQ(r.detail.find("secret"), std::string::npos) << c.what;
        EXPECT_EQ(Slurp(target), "RETURN=1\r\n") << c.what;
        EXPECT_EQ(Files(), std::vector<std::string>{"yosou.zip"}) << c.what;
    }
}

TEST_F(Download, RedirectsAreFollowedALimitedNumberOfTimes) {
    answer = [](const HttpRequest& r) {
        if (r.Path() == "/first") return HttpReply::Redirect("/second?k=1", 301);
        if (r.Path() == "/second") return HttpReply::Text("moved body");
        return HttpReply::Redirect("/loop");
    };
    ASSERT_TRUE(Get("/first").ok());
    EXPECT_EQ(Slurp(target), "moved body");
    ASSERT_EQ(server.Requests().size(), 2u);
    EXPECT_EQ(server.Requests()[1].target, "/second?k=1");

    limits.maxRedirects = 3;
    DownloadResult loop = Get("/loop");
    EXPECT_EQ(loop.status, Status::TransportError);
    EXPECT_EQ(server.Requests().size(), 2u + 4u);
    EXPECT_EQ(Slurp(target), "moved body");
}

TEST_F(Download, AnUnannouncedLengthEndsWithTheConnection) {
    HttpReply reply = HttpReply::Text(Body(50000));
    reply.sendLength = false;
    answer = [&](const HttpRequest&) { return reply; };
    std::int64_t lastTotal = -1;
    DownloadResult r = Get("/x", [&](std::int64_t, std::int64_t total) {
        lastTotal = total;
        return true;
    });
    ASSERT_TRUE(r.ok()) << r.detail;
    EXPECT_EQ(lastTotal, 0);
    EXPECT_EQ(Slurp(target), reply.body);
}

TEST_F(Download, StopDuringASlowBodyEndsItAndKeepsNothing) {
    HttpReply slow = HttpReply::Text(Body(20000));
    slow.chunk = 500;
    slow.pause = std::chrono::milliseconds(300); // twelve seconds in all
    answer = [&](const HttpRequest&) { return slow; };
    using Clock = std::chrono::steady_clock;
    Clock::time_point asked{};
    std::vector<std::string> during;
    DownloadResult r = Get("/past", [&](std::int64_t done, std::int64_t total) {
        if (done > 0) {
            EXPECT_EQ(total, 20000);
        }
        if (done > 0 && asked == Clock::time_point{}) {
            asked = Clock::now();
            during = Files();
        }
        return done == 0;
    });
    EXPECT_EQ(r.status, Status::Aborted);
    EXPECT_LT(Clock::now() - asked, std::chrono::seconds(5));
    EXPECT_TRUE(Files().empty());
    // What a kill at that moment would leave is a temporary file the start-up sweep knows.
    ASSERT_EQ(during.size(), 1u);
    long pid = 0;
    EXPECT_TRUE(keiba::IsTempFileName(during[0], &pid)) << during[0];
    EXPECT_EQ(pid, static_cast<long>(::getpid()));
}

TEST_F(Download, AStalledBodyIsStillPolledAndStopped) {
    HttpReply stalled = HttpReply::Text(Body(5000));
    stalled.pause = std::chrono::seconds(60); // headers, then nothing
    answer = [&](const HttpRequest&) { return stalled; };
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    int calls = 0;
    Clock::time_point asked{};
    DownloadResult r = Get("/past", [&](std::int64_t done, std::int64_t) {
        EXPECT_EQ(done, 0);
        ++calls;
        if (asked == Clock::time_point{} && Clock::now() - start >= std::chrono::seconds(2))
            asked = Clock::now();
        return asked == Clock::time_point{};
    });
    EXPECT_EQ(r.status, Status::Aborted);
    // A tenth-of-a-second beat gives about twenty calls in those two seconds.
    EXPECT_GE(calls, 8);
    EXPECT_LT(Clock::now() - asked, std::chrono::seconds(5));
    EXPECT_TRUE(Files().empty());
}

TEST_F(Download, ATricklingTransferIsEnded) {
    limits.stallTime = std::chrono::milliseconds(1500);
    limits.total = std::chrono::seconds(20);         // so that a missed stall fails in time too
    HttpReply trickle = HttpReply::Text(Body(4000)); // two bytes a second: half an hour
    trickle.chunk = 2;
    trickle.pause = std::chrono::milliseconds(1000);
    answer = [&](const HttpRequest&) { return trickle; };
    WriteBytes(target, "RETURN=1\r\n");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Get("/members/veltro/data/download.cgi?I=abcd&p=secret").status,
              Status::TransportError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(Slurp(target), "RETURN=1\r\n");
    EXPECT_EQ(Files(), std::vector<std::string>{"yosou.zip"});
}

TEST_F(Download, ATransferPastTheTimeLimitIsEnded) {
    limits.stallTime = std::chrono::milliseconds(1500);
    limits.total = std::chrono::milliseconds(2000);
    HttpReply steady = HttpReply::Text(Body(100000)); // ten kilobytes a second: ten seconds
    steady.chunk = 1000;
    steady.pause = std::chrono::milliseconds(100);
    answer = [&](const HttpRequest&) { return steady; };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Get("/x").status, Status::TransportError);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
    EXPECT_TRUE(Files().empty());
}

TEST_F(Download, NoServerIsATransportError) {
    std::string url = server.BaseUrl();
    server.Stop();
    EXPECT_EQ(DownloadUrlToFile(url + "/x", target, {}, limits).status, Status::TransportError);
    EXPECT_TRUE(Files().empty());
}

TEST(GaugePercent, RoundsHalvesUpAndKnowsNoTotal) {
    EXPECT_EQ(GaugePercent(0, 0), 0);
    EXPECT_EQ(GaugePercent(10, 0), -1);
    EXPECT_EQ(GaugePercent(0, 100), 0);
    EXPECT_EQ(GaugePercent(1, 3), 33);
    EXPECT_EQ(GaugePercent(2, 3), 67);
    EXPECT_EQ(GaugePercent(1, 200), 1);
    EXPECT_EQ(GaugePercent(1, 201), 0);
    EXPECT_EQ(GaugePercent(199, 200), 100);
    EXPECT_EQ(GaugePercent(3000000000LL, 6000000000LL), 50);
    EXPECT_EQ(GaugePercent(100, 100), 100);
}
