#include "keiba/errorlog.h"
#include "keiba/sjis.h"
#include "tests/support/tempdir.h"
#include "tests/support/unreadable.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

using namespace testsupport;
using keiba::Sj;

namespace {

std::string Lines(int from, int to) {
    std::string s;
    for (int i = from; i <= to; ++i) s += "line " + std::to_string(i) + "\r\n";
    return s;
}

std::vector<std::string> SplitCrLf(const std::string& s) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < s.size()) {
        std::size_t nl = s.find("\r\n", pos);
        if (nl == std::string::npos) {
            out.push_back(s.substr(pos));
            break;
        }
        out.push_back(s.substr(pos, nl - pos));
        pos = nl + 2;
    }
    return out;
}

} // namespace

TEST(ErrorLog, KeepsTheLastHundredLinesAndAddsTheStartLines) {
    TempDir dir;
    WriteBytes(dir / "ErrorLog.txt", Lines(1, 250));
    keiba::LocalTime now = keiba::MakeLocalTime(2026, 11, 28, 9, 5, 7);
    ASSERT_TRUE(keiba::StartErrorLog(dir.path(), now));
    std::vector<std::string> lines = SplitCrLf(Slurp(dir / "ErrorLog.txt"));
    ASSERT_EQ(lines.size(), 102u);
    EXPECT_EQ(lines.front(), "line 151");
    EXPECT_EQ(lines[99], "line 250");
    EXPECT_EQ(lines[100], Sj("ソフト起動：2026/11/28 09:05:07"));
    EXPECT_EQ(lines[101], dir.path().string());

    TempDir fresh;
    ASSERT_TRUE(keiba::StartErrorLog(fresh.path(), now));
    EXPECT_EQ(SplitCrLf(Slurp(fresh / "ErrorLog.txt")).size(), 2u);
    ASSERT_TRUE(keiba::AppendErrorLog(fresh.path(), keiba::MakeLocalTime(2026, 11, 28, 13, 2, 3),
                                      "東京 1R:ｵｯｽﾞ取得エラー：(-1)"));
    EXPECT_EQ(SplitCrLf(Slurp(fresh / "ErrorLog.txt")).back(),
              Sj("【エラー】13:02:03：東京 1R:ｵｯｽﾞ取得エラー：(-1)"));
}

TEST(ErrorLog, ALogSavedWithLoneCrLineEndsKeepsItsLastHundredLines) {
    TempDir dir;
    std::string old;
    for (int i = 1; i <= 150; ++i) old += "line " + std::to_string(i) + "\r";
    WriteBytes(dir / "ErrorLog.txt", old);
    ASSERT_TRUE(keiba::StartErrorLog(dir.path(), keiba::MakeLocalTime(2026, 11, 28, 9, 5, 7)));
    std::vector<std::string> lines = SplitCrLf(Slurp(dir / "ErrorLog.txt"));
    ASSERT_EQ(lines.size(), 102u);
    EXPECT_EQ(lines.front(), "line 51");
    EXPECT_EQ(lines[99], "line 150");
}

// One entry is one line, however the log's last line ended.
TEST(ErrorLog, AnEntryIsOneLineAfterAnyLastLineEnd) {
    const std::string entry = Sj("【エラー】13:02:03：x");
    for (std::string_view end : {"\r\n", "\n", "\r", ""}) {
        SCOPED_TRACE(testing::PrintToString(std::string(end)));
        TempDir dir;
        WriteBytes(dir / "ErrorLog.txt", "a" + std::string(end));
        ASSERT_TRUE(
            keiba::AppendErrorLog(dir.path(), keiba::MakeLocalTime(2026, 11, 28, 13, 2, 3), "x"));
        std::vector<std::string_view> lines;
        const std::string bytes = Slurp(dir / "ErrorLog.txt");
        for (std::string_view l : keiba::SplitLines(bytes)) lines.push_back(l);
        EXPECT_EQ(lines, (std::vector<std::string_view>{"a", entry}));
        EXPECT_TRUE(bytes.ends_with(entry + "\r\n"));
    }
}

// While the program runs, a failed write leaves its system text in the log; the failure of the
// log's own write is not logged again (which would never end).
TEST(ErrorLog, FailedWritesLeaveTheSystemsTextInTheLog) {
    TempDir dir;
    struct FixedClock : keiba::Clock {
        keiba::LocalTime Now() const override {
            return keiba::MakeLocalTime(2026, 11, 28, 10, 11, 12);
        }
    } clock;
    {
        const keiba::FailureLogging logging(dir.path(), clock);
        EXPECT_FALSE(keiba::WriteFileAtomic(dir / "missing" / "x.txt", "x").ok);
    }
    EXPECT_FALSE(keiba::WriteFileAtomic(dir / "missing" / "y.txt", "y").ok);
    EXPECT_EQ(
        SplitCrLf(Slurp(dir / "ErrorLog.txt")),
        std::vector<std::string>{Sj("【エラー】10:11:12：" + (dir / "missing" / "x.txt").string() +
                                    " を書き込めません: ") +
                                 std::strerror(ENOENT) + " (errno 2)"});

    const keiba::FailureLogging nowhere(dir / "missing", clock);
    EXPECT_FALSE(keiba::WriteFileAtomic(dir / "missing" / "z.txt", "z").ok);
}

// A file read for every value it holds (the settings file) fails as often: one line says it, and
// the log's earlier lines stay. The same failure a minute later is a new event and is logged.
TEST(ErrorLog, TheSameFailureAgainWithinAMinuteIsOneLine) {
    TempDir dir;
    WriteBytes(dir / "ErrorLog.txt", Lines(1, 50));
    struct StepClock : keiba::Clock {
        keiba::LocalTime now = keiba::MakeLocalTime(2026, 11, 28, 10, 0, 0);
        keiba::LocalTime Now() const override { return now; }
    } clock;
    WriteBytes(dir / "kestrane.ini", "[Dir]\r\n");
    const UnreadableFile unreadable(dir / "kestrane.ini");
    const keiba::FailureLogging logging(dir.path(), clock);
    for (int i = 0; i < 30; ++i) EXPECT_FALSE(keiba::ReadFileOrMissing(dir / "kestrane.ini").read);
    EXPECT_FALSE(keiba::WriteFileAtomic(dir / "missing" / "x.txt", "x").ok);
    clock.now += std::chrono::seconds(61);
    EXPECT_FALSE(keiba::ReadFileOrMissing(dir / "kestrane.ini").read);
    const std::vector<std::string> lines = SplitCrLf(Slurp(dir / "ErrorLog.txt"));
    ASSERT_EQ(lines.size(), 53u);
    EXPECT_EQ(lines[0], "line 1");
    EXPECT_NE(lines[50].find("kestrane.ini"), std::string::npos);
    EXPECT_NE(lines[51].find("x.txt"), std::string::npos);
    EXPECT_NE(lines[52].find("kestrane.ini"), std::string::npos);
}

// A log that is there but cannot be read is no empty one: neither a start nor an entry writes
// over it, and each says why.
TEST(ErrorLog, AnUnreadableLogIsKeptByAStartAndAnEntry) {
    TempDir dir;
    WriteBytes(dir / "ErrorLog.txt", Lines(1, 50));
    const keiba::LocalTime now = keiba::MakeLocalTime(2026, 11, 28, 9, 5, 7);
    {
        const UnreadableFile unreadable(dir / "ErrorLog.txt");
        EXPECT_FALSE(keiba::StartErrorLog(dir.path(), now).ok);
        const keiba::IoResult entry = keiba::AppendErrorLog(dir.path(), now, "x");
        EXPECT_NE(entry.message.find("ErrorLog.txt を読み込めません"), std::string::npos)
            << entry.message;
    }
    EXPECT_EQ(Slurp(dir / "ErrorLog.txt"), Lines(1, 50));
}
