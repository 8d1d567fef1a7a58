// Downloads to a file over the loopback server: statuses, redirects, broken and slow transfers,
// the stop, and what is left on disk after each.

#include "keiba/fileio.h"
#include "keiba/newfile.h"
#include "members/download.h"
#include "tests/support/httpserver.h"
#include "tests/support/tempdir.h"
#include "tests/support/waits.h"

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

// The body and the time limit both take longer than the hang guard: a stop honoured only at
// either would fail the bound.
TEST_F(Download, StopDuringTheBodyEndsItAtOnceAndKeepsNothing) {
    limits.total = kHangGuard + std::chrono::seconds(30);
    HttpReply slow = HttpReply::Text(Body(20000));
    slow.chunk = 100; // 200 s
    slow.pause = std::chrono::seconds(1);
    answer = [&](const HttpRequest&) { return slow; };
    WriteBytes(target, "RETURN=1\r\n");
    std::vector<std::string> during;
    std::chrono::steady_clock::time_point asked{};
    DownloadResult r = Get("/past", [&](std::int64_t done, std::int64_t total) {
        if (done == 0) return true;
        EXPECT_EQ(total, 20000);
        if (asked == std::chrono::steady_clock::time_point{}) {
            during = Files();
            asked = std::chrono::steady_clock::now();
        }
        return false;
    });
    EXPECT_EQ(r.status, Status::Aborted);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, kHangGuard);
    EXPECT_EQ(Slurp(target), "RETURN=1\r\n");
    EXPECT_EQ(Files(), std::vector<std::string>{"yosou.zip"});
    // What a kill at that moment would leave beside the target is at most a file the start-up
    // sweep knows (where the folder makes no files without a name).
    ASSERT_FALSE(during.empty());
    for (const std::string& name : during) {
        long pid = 0;
        if (name == "yosou.zip") continue;
        EXPECT_TRUE(keiba::IsTempFileName(name, &pid)) << name;
        EXPECT_EQ(pid, static_cast<long>(::getpid()));
    }
}

// No data after the headers: the callback still runs on its beat, else the stop would wait for
// the rate window and end as a transport error.
TEST_F(Download, AStalledBodyIsStillPolledAndStopped) {
    limits.rateWindow = std::chrono::seconds(60);
    limits.total = std::chrono::seconds(60);
    HttpReply stalled = HttpReply::Text(Body(5000));
    stalled.pause = std::chrono::minutes(2);
    answer = [&](const HttpRequest&) { return stalled; };
    int calls = 0;
    DownloadResult r = Get("/past", [&](std::int64_t done, std::int64_t) {
        EXPECT_EQ(done, 0);
        return ++calls < 5;
    });
    EXPECT_EQ(r.status, Status::Aborted);
    EXPECT_TRUE(Files().empty());
}

// A server that sends a little now and then beats any check of the next few bytes; a window of
// time over the rate does not. The server never sends faster than its pauses allow, so a busy
// machine only makes it slower.
TEST_F(Download, ATricklingTransferIsCutOffAndTheTargetKept) {
    limits.rateWindow = std::chrono::seconds(1);
    limits.minRate = 64 * 1024;
    limits.total = std::chrono::minutes(2);
    HttpReply trickle = HttpReply::Text(Body(200000)); // 1,100 bytes a quarter second: 45 s
    trickle.chunk = 1100;
    trickle.pause = std::chrono::milliseconds(250);
    answer = [&](const HttpRequest&) { return trickle; };
    WriteBytes(target, "RETURN=1\r\n");
    const DownloadResult r = Get("/members/veltro/data/download.cgi?I=abcd&p=secret");
    // cut for its rate, not taken whole nor ended by the time limit
    EXPECT_EQ(r.status, Status::TransportError);
    EXPECT_EQ(r.detail, "the transfer was too slow");
    EXPECT_EQ(Slurp(target), "RETURN=1\r\n");
    EXPECT_EQ(Files(), std::vector<std::string>{"yosou.zip"});
}

// libcurl counts each request's bytes afresh, so the count falls back after a redirect with a
// body. What came before the redirect still came: with no least rate at all, only a count that
// went backwards could cut the transfer. Both bodies take longer than the window, so that it is
// looked at on both sides of the redirect however fast the machine is.
TEST_F(Download, ARedirectsBodyCountsAsReceived) {
    limits.rateWindow = std::chrono::milliseconds(300);
    limits.minRate = 0;
    HttpReply moved = HttpReply::Redirect("/there");
    moved.body = Body(4 << 20);
    moved.chunk = 1 << 20;
    moved.pause = std::chrono::milliseconds(150);
    moved.announceClose = false; // read, as a server that keeps its connections has it read
    HttpReply there = HttpReply::Text(Body(3000));
    there.chunk = 1000;
    there.pause = std::chrono::milliseconds(400);
    answer = [&](const HttpRequest& r) { return r.Path() == "/there" ? there : moved; };
    std::int64_t least = -1, last = 0;
    const DownloadResult r = Get("/here", [&](std::int64_t done, std::int64_t) {
        if (done < last && least < 0) least = done;
        last = done;
        return true;
    });
    ASSERT_TRUE(r.ok()) << r.detail;
    EXPECT_EQ(Slurp(target), there.body);
    EXPECT_GE(least, 0) << "the count never started again: the redirect's body was not counted";
}

TEST_F(Download, ATransferPastTheTimeLimitIsEnded) {
    limits.total = std::chrono::seconds(2);
    HttpReply steady = HttpReply::Text(Body(100000)); // ten kilobytes a second: ten seconds
    steady.chunk = 1000;
    steady.pause = std::chrono::milliseconds(100);
    answer = [&](const HttpRequest&) { return steady; };
    EXPECT_EQ(Get("/x").status, Status::TransportError);
    EXPECT_TRUE(Files().empty());
}

// Without an announced size only the running count of what came keeps the limit: a body larger
// than any one piece libcurl hands over, exactly at the limit and one byte past it.
TEST_F(Download, AnUnannouncedBodyIsCountedAgainstTheSizeLimit) {
    limits.maxBytes = 1 << 20;
    for (std::int64_t size : {limits.maxBytes, limits.maxBytes + 1}) {
        HttpReply reply = HttpReply::Text(Body(static_cast<std::size_t>(size)));
        reply.sendLength = false;
        answer = [&](const HttpRequest&) { return reply; };
        WriteBytes(target, "RETURN=1\r\n");
        DownloadResult r = Get("/past");
        if (size == limits.maxBytes) {
            EXPECT_TRUE(r.ok()) << r.detail;
            EXPECT_EQ(Slurp(target), reply.body);
        } else {
            EXPECT_EQ(r.status, Status::TooLarge);
            EXPECT_EQ(Slurp(target), "RETURN=1\r\n");
        }
        EXPECT_EQ(Files(), std::vector<std::string>{"yosou.zip"}) << size;
    }
}

// Where the folder makes no files without a name, the body comes into a writer's temporary file,
// which the start-up sweep knows, and takes the target's place from there.
TEST_F(Download, WithoutUnnamedFilesTheBodyComesThroughATemporaryFile) {
    struct Seam {
        Seam() {
            keiba::NewFileCalls calls;
            calls.openUnnamed = [](int, int, unsigned) {
                errno = EOPNOTSUPP;
                return -1;
            };
            keiba::SetNewFileCallsForTest(std::move(calls));
        }
        ~Seam() { keiba::SetNewFileCallsForTest({}); }
    } seam;
    const std::string body = Body(100000);
    answer = [&](const HttpRequest&) { return HttpReply::Text(body); };
    WriteBytes(target, "RETURN=1\r\n");
    std::vector<std::string> during;
    DownloadResult r = Get("/x", [&](std::int64_t done, std::int64_t) {
        if (done == static_cast<std::int64_t>(body.size())) during = Files();
        return true;
    });
    ASSERT_TRUE(r.ok()) << r.detail;
    EXPECT_EQ(Slurp(target), body);
    EXPECT_EQ(Files(), std::vector<std::string>{"yosou.zip"});
    ASSERT_EQ(during.size(), 2u);
    EXPECT_EQ(during[0], "yosou.zip");
    EXPECT_TRUE(keiba::IsTempFileName(during[1])) << during[1];
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
