// The walk over the analysis day files: its order and range, what it counts, cancelling, a
// second walk started while the first still delivers rows, and the row memory kept between
// walks.

#include "search/rscan.h"

#include "tests/support/analysismaker.h"
#include "tests/support/tempdir.h"
#include "tests/support/unreadable.h"
#include "tests/support/waits.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <set>
#include <thread>

using namespace search;
using testsupport::AnalysisMaker;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Every countable record is a hit; `delay` per record makes a walk take its time. Counts the
// records it is asked about, and apart those of the day `watched`.
class SlowFilter : public RFilter {
public:
    explicit SlowFilter(std::chrono::microseconds delay, bool match = true,
                        std::string watched = {})
        : delay_(delay)
        , match_(match)
        , watched_(std::move(watched)) {}
    bool Matches(std::string_view rec) const override {
        asked_.fetch_add(1);
        if (RHit::View(RHit::Of(rec).date8) == watched_) watchedAsked_.fetch_add(1);
        std::this_thread::sleep_for(delay_);
        return match_;
    }
    int Asked() const { return asked_.load(); }
    int AskedOfWatchedDay() const { return watchedAsked_.load(); }

private:
    std::chrono::microseconds delay_;
    bool match_;
    std::string watched_;
    mutable std::atomic<int> asked_{0}, watchedAsked_{0};
};

std::shared_ptr<const RFilter> Everything() {
    return std::make_shared<RStatsConditions>(std::vector<bool>{}, std::vector<bool>{},
                                              std::vector<bool>{}, std::vector<bool>{});
}

// A day file of runners 1..n of race 11 at 東京.
std::string Day(std::string_view date8, int n) {
    std::string bytes;
    for (int h = 1; h <= n; ++h) bytes += AnalysisMaker(date8, "05", 11, h).Bytes();
    return bytes;
}

// A day file of `n` runners named by their place in the file, 1..n.
std::string NamedDay(std::string_view date8, int n) {
    std::string bytes;
    for (int h = 1; h <= n; ++h)
        bytes += AnalysisMaker(date8, "05", 11, 1).Name(std::to_string(h)).Bytes();
    return bytes;
}

std::string Id(const RHit& h) {
    return std::string(RHit::View(h.date8)) + "/" + std::string(RHit::View(h.horseNo));
}

std::vector<std::string> Names(const RHitStore& store) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < store.Size(); ++i) {
        std::string name(RHit::View(store.At(i).name));
        out.push_back(name.substr(0, name.find(' ')));
    }
    return out;
}

std::vector<std::string> Ids(const RHitStore& store) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < store.Size(); ++i) out.push_back(Id(store.At(i)));
    return out;
}

// The names of the files of `folder` opened while it was watched.
class OpenWatch {
public:
    explicit OpenWatch(const fs::path& folder)
        : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        EXPECT_GE(fd_, 0);
        EXPECT_GE(::inotify_add_watch(fd_, folder.c_str(), IN_OPEN), 0);
    }
    ~OpenWatch() { ::close(fd_); }
    std::set<std::string> Opened() const {
        std::set<std::string> names;
        alignas(inotify_event) char buffer[4096];
        for (ssize_t n; (n = ::read(fd_, buffer, sizeof buffer)) > 0;)
            for (char* p = buffer; p < buffer + n;) {
                auto* e = reinterpret_cast<inotify_event*>(p);
                if (e->len > 0 && !(e->mask & IN_ISDIR)) names.insert(e->name);
                p += sizeof(inotify_event) + e->len;
            }
        return names;
    }

private:
    int fd_;
};

class RScanTest : public ::testing::Test {
protected:
    void Write(const char* name, const std::string& bytes) {
        fs::create_directories(dir / "VZK");
        testsupport::WriteBytes(dir / "VZK" / name, bytes);
    }
    std::unique_ptr<RScanState> Run(std::string from, std::string to,
                                    std::shared_ptr<const RFilter> filter = Everything()) {
        auto state = std::make_unique<RScanState>();
        state->Run({dir / "VZK", std::move(from), std::move(to), std::move(filter)});
        EXPECT_TRUE(state->Done());
        return state;
    }
    testsupport::TempDir dir;
};

} // namespace

TEST_F(RScanTest, NewestFileFirstLastRecordFirstWithinTheRange) {
    Write("XQ20240105.vzkd", Day("20240105", 2));
    Write("XQ20240106.vzkd", Day("20240106", 2));
    // A lower-case name takes part; a trailing partial record does not, although it would be a
    // hit if it were whole.
    const std::string third = AnalysisMaker("20240107", "05", 11, 3).Bytes();
    Write("xq20240107.VZKD", Day("20240107", 2) + third.substr(0, third.size() - 1));
    Write("XQ20240108.vzkd", Day("20240108", 2));
    std::unique_ptr<RScanState> s;
    {
        OpenWatch watch(dir / "VZK");
        s = Run("20240106", "20240107");
        // The files outside the range are not even opened.
        EXPECT_EQ(watch.Opened(), (std::set<std::string>{"XQ20240106.vzkd", "xq20240107.VZKD"}));
    }
    EXPECT_EQ(Ids(*s->Store()), (std::vector<std::string>{"20240107/02", "20240107/01",
                                                          "20240106/02", "20240106/01"}));
    EXPECT_EQ(s->DaysRead(), 2);
    EXPECT_FALSE(s->Result().cancelled);

    auto one = Run("20240107", "20240107");
    EXPECT_EQ(one->DaysRead(), 1);
    EXPECT_EQ(one->Hits(), 2u);
    // A file added since the last walk is found by the next one.
    Write("XQ20240109.vzkd", Day("20240109", 1));
    EXPECT_EQ(Run("20240101", "20241231")->DaysRead(), 5);
}

TEST_F(RScanTest, SkippedAndEmptyRunnersNeverCountAndTheTallyIsByLevel) {
    std::string file =
        AnalysisMaker("20240107", "05", 1, 1).This(5, 2, "52").Bytes() +
        AnalysisMaker("20240107", "05", 1, 2).This(13, 3, "701").Bytes() +
        AnalysisMaker("20240107", "05", 1, 3).Status("0").Bytes() +
        AnalysisMaker("20240107", "05", 1, 4).This(1, 2, "  ").Bytes() +
        AnalysisMaker("20240107", "05", 1, 5).This(17, 2, "07").Win("000000500").Bytes();
    file += AnalysisMaker("20240107", "05", 1, 6).This(17, 2, "09").Place("000000150").Bytes();
    Write("XQ20240107.vzkd", file);
    auto s = Run("20240107", "20240107");
    EXPECT_EQ(Ids(*s->Store()), (std::vector<std::string>{"20240107/06", "20240107/05"}));
    const RTally& t = s->Result().tally;
    EXPECT_EQ(t.n[0], 2);
    EXPECT_EQ(t.n[7], 1);
    EXPECT_EQ(t.winSum[7], 500);
    EXPECT_EQ(t.placeSum[0], 150);
    EXPECT_EQ(t.placeHits[7], 0);
    EXPECT_EQ(s->Store()->At(1).winPayout, 500);
}

TEST_F(RScanTest, CancelIsAnsweredInsideALongFileAndKeepsAFirstPartOfTheRows) {
    // Each file takes its thread eight seconds: a cancel heard only between files would let
    // thousands of records more be looked at.
    for (int d = 10; d < 14; ++d)
        Write(("XQ202401" + std::to_string(d) + ".vzkd").c_str(),
              NamedDay("202401" + std::to_string(d), 4000));
    for (bool match : {true, false}) {
        auto filter = std::make_shared<SlowFilter>(2000us, match, "20240113");
        RScan scan({dir / "VZK", "20240101", "20241231", filter});
        // The thread of the newest file asks about its second record: the first one's answer
        // is in, and its row written, however far the other threads have gone meanwhile.
        ASSERT_TRUE(testsupport::WaitUntil([&] { return filter->AskedOfWatchedDay() >= 2; }));
        scan.Cancel();
        const int atCancel = filter->Asked();
        scan.Wait();
        // Each of the walk's three threads asks about one record more at most: the one it was
        // taking up as the cancel came.
        EXPECT_LE(filter->Asked() - atCancel, 3);
        EXPECT_TRUE(scan.State().Result().cancelled);
        if (!match) {
            EXPECT_EQ(scan.State().Hits(), 0u);
            continue;
        }
        // The rows found so far stay, in the walk's order and without a gap: the newest file's
        // last records and nothing of the files the other threads had begun.
        const RHitStore& store = *scan.State().Store();
        const std::vector<std::string> names = Names(store);
        ASSERT_GT(names.size(), 0u);
        ASSERT_LT(names.size(), 4000u);
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(RHit::View(store.At(i).date8), "20240113") << i;
            EXPECT_EQ(names[i], std::to_string(4000 - i)) << i;
        }
    }
}

TEST_F(RScanTest, ASecondWalkStartedWhileTheFirstDeliversGetsExactlyItsOwnRows) {
    for (int d = 10; d < 20; ++d)
        Write(("XQ202401" + std::to_string(d) + ".vzkd").c_str(),
              Day("202401" + std::to_string(d), 12));
    const std::vector<std::string> expected = Ids(*Run("20240101", "20241231")->Store());
    ASSERT_EQ(expected.size(), 120u);

    auto first = std::make_unique<RScan>(
        RScanRequest{dir / "VZK", "20240101", "20241231",
                     std::make_shared<SlowFilter>(std::chrono::microseconds(300))});
    // The screen reads rows while they arrive.
    std::vector<std::string> seen;
    ASSERT_TRUE(testsupport::WaitUntil([&] {
        const RHitStore& store = *first->State().Store();
        for (std::size_t i = seen.size(); i < store.Size(); ++i) seen.push_back(Id(store.At(i)));
        return seen.size() >= 20;
    }));
    first->Cancel();
    auto second = std::make_unique<RScan>(
        RScanRequest{dir / "VZK", "20240101", "20241231",
                     std::make_shared<SlowFilter>(std::chrono::microseconds(10))});
    first.reset();
    second->Wait();
    EXPECT_EQ(Ids(*second->State().Store()), expected);
    // What the first walk delivered before it stopped is a prefix of the whole, without gaps.
    ASSERT_LE(seen.size(), expected.size());
    EXPECT_TRUE(std::equal(seen.begin(), seen.end(), expected.begin()));
}

TEST_F(RScanTest, RowMemoryWaitsForTheNextWalkWhichGivesBackWhatItDidNotTake) {
    // More hits than one chunk holds: the one thread that reads the file takes two.
    Write("XQ20240107.vzkd", NamedDay("20240107", static_cast<int>(RHitStore::kChunkRows) + 1));
    ReleaseIdleRowChunks();
    auto big = Run("20240107", "20240107");
    EXPECT_EQ(big->Hits(), RHitStore::kChunkRows + 1);
    EXPECT_EQ(big->Store()->BytesHeld(), 2 * RHitStore::kChunkBytes);
    EXPECT_EQ(IdleRowChunks(), 0u);
    big.reset();
    EXPECT_EQ(IdleRowChunks(), 2u);

    Write("XQ20240108.vzkd", Day("20240108", 1));
    auto small = Run("20240108", "20240108");
    EXPECT_EQ(small->Hits(), 1u);
    EXPECT_EQ(small->Store()->BytesHeld(), RHitStore::kChunkBytes);
    // The chunk it did not need is not held once it has ended.
    EXPECT_EQ(IdleRowChunks(), 0u);
}

// A day of four runners with runner 2's record damaged each way that matters: the hits are the
// sound records, those after the damage too, and the file is named as damaged; a file that
// cannot be read is named with its cause, and a folder that cannot be listed is said.
TEST_F(RScanTest, OnlySoundRecordsAreHitsAndTheFilesNotSearchedAreNamed) {
    const std::string day = Day("20240107", 4);
    const std::size_t at = jvdata::kAnalysisLength; // runner 2
    auto over = [&](std::size_t pos, std::string_view put) {
        return std::string(day).replace(at + pos - 1, put.size(), put);
    };
    const fs::path file = dir / "VZK/XQ20240107.vzkd";
    const std::vector<std::string> withoutTwo = {"20240107/04", "20240107/03", "20240107/01"};
    struct Row {
        const char* damage;
        std::string bytes;
        std::vector<std::string> hits;
    };
    const Row rows[] = {
        {"a shown rate", over(227 + 39, "#####"), withoutTwo},
        {"letters in the payout", over(138, "ab"), withoutTwo},
        {"a control byte in the name", over(33, "\x01"), withoutTwo},
        {"a line break put in", std::string(day).insert(at + 99, "\r\n"), withoutTwo},
        {"cut inside runner 4",
         day.substr(0, day.size() - 100),
         {"20240107/03", "20240107/02", "20240107/01"}},
        {"another day's record", over(6, "20240106"), withoutTwo},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.damage);
        Write("XQ20240107.vzkd", row.bytes);
        auto s = Run("20240101", "20241231");
        EXPECT_EQ(Ids(*s->Store()), row.hits);
        EXPECT_EQ(s->DaysRead(), 1);
        EXPECT_EQ(s->Result().damaged, std::vector<fs::path>{file});
        EXPECT_TRUE(s->Result().unreadable.empty());
    }
    Write("XQ20240107.vzkd", day);
    Write("XQ20240108.vzkd", Day("20240108", 1));
    {
        const testsupport::UnreadableFile unreadable(file);
        auto s = Run("20240101", "20241231");
        EXPECT_EQ(Ids(*s->Store()), std::vector<std::string>{"20240108/01"});
        EXPECT_TRUE(s->Result().damaged.empty());
        EXPECT_EQ(s->Result().unreadable,
                  std::vector<std::string>{file.string() +
                                           " を読み込めません（読み込む権限がありません）。"});
    }
    {
        const testsupport::UnreadableFile unlisted(dir / "VZK");
        auto s = Run("20240101", "20241231");
        EXPECT_EQ(s->Hits(), 0u);
        EXPECT_EQ(s->Result().failure,
                  (dir / "VZK").string() + " を読み込めません（読み込む権限がありません）。");
    }
}

// What a walk found in a file holds while the file stands as it was looked at: a walk after it
// takes the same records without checking them, and a file changed since, even to the same size
// and the same time, is checked again.
TEST_F(RScanTest, AFilesVerdictHoldsOnlyWhileTheFileStandsAsItWas) {
    const fs::path file = dir / "VZK/XQ20240107.vzkd";
    // Its time long past, as a downloaded day's is: what is found in it is kept.
    auto writeOld = [&](const std::string& bytes) {
        Write("XQ20240107.vzkd", bytes);
        const struct timespec times[2] = {{0, UTIME_OMIT}, {1700000000, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    };
    const std::string day = Day("20240107", 4);
    writeOld(day);
    EXPECT_EQ(Run("20240101", "20241231")->Hits(), 4u);
    writeOld(std::string(day).replace(jvdata::kAnalysisLength + 226 + 39, 5, "#####"));
    for (int walk = 0; walk < 2; ++walk) {
        auto s = Run("20240101", "20241231");
        EXPECT_EQ(Ids(*s->Store()),
                  (std::vector<std::string>{"20240107/04", "20240107/03", "20240107/01"}));
        EXPECT_EQ(s->Result().damaged, std::vector<fs::path>{file});
    }
}
