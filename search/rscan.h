#pragma once
// The walk of the R-horse search and the R-level statistics over the members' analysis day
// files: newest file first, each file's records last to first, on worker threads of its own.
//
// The walk writes its hits into a store that the screens read while it runs: the walk adds
// rows and publishes them file by file, in its order; readers see every row below the published
// count and nothing else. Counts and the cancel flag are atomics, so the screen polls them
// instead of being called from the workers.

#include "jvdata/records.h"
#include "search/rsearch.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <type_traits>
#include <vector>

namespace search {

// One hit: its identity (date, racecourse, race, horse), what the hit grids show of its header
// and the two run blocks. About 190 bytes, so hundreds of thousands stay cheap to hold.
struct RHit {
    std::array<char, 8> date8;
    std::array<char, 2> venue;
    std::array<char, 2> raceNo;
    std::array<char, 2> horseNo;
    std::array<char, 18> name;
    std::int32_t winPayout;
    std::int32_t placePayout;
    std::array<char, jvdata::kAnalysisRunLength> thisRun;
    std::array<char, jvdata::kAnalysisRunLength> previousRun;

    // From one whole record.
    static RHit Of(std::string_view rec);
    void Assign(std::string_view rec);

    static std::string_view View(const auto& a) { return {a.data(), a.size()}; }
    jvdata::TAnalysisRun ThisRun() const { return jvdata::TAnalysisRun(View(thisRun)); }
    jvdata::TAnalysisRun PreviousRun() const { return jvdata::TAnalysisRun(View(previousRun)); }
};
static_assert(sizeof(RHit) <= 192);
static_assert(std::is_trivially_copyable_v<RHit>);

// The hits of one walk, in the walk's order. Rows live in fixed chunks that never move, so a
// reader may hold a row while the walk adds more. The walk publishes the rows of each file
// once those of every file before it are published, so readers always see a first part of the
// result, and rows published stay where they are.
class RHitStore {
public:
    // A chunk is one huge page where the system offers them: a walk of a million hits then
    // takes a hundred page faults instead of fifty thousand.
    static constexpr std::size_t kChunkBytes = std::size_t{2} << 20;
    static constexpr std::size_t kChunkRows = kChunkBytes / sizeof(RHit);
    static constexpr std::size_t kMaxChunks = 2048; // 22 million rows

    RHitStore();
    // The chunks wait for the next walk (see ReleaseIdleRowChunks).
    ~RHitStore();
    RHitStore(const RHitStore&) = delete;
    RHitStore& operator=(const RHitStore&) = delete;

    // Rows the readers may read.
    std::size_t Size() const {
        const std::size_t n = pieceCount_.load(std::memory_order_acquire);
        return n == 0 ? 0 : pieces_[n - 1].end;
    }
    // Row i < Size().
    const RHit& At(std::size_t i) const;
    // The memory the rows take: whole chunks.
    std::size_t BytesHeld() const;

private:
    friend class RScanState; // the walk writes

    // Consecutive rows of one chunk; `end` counts the rows up to and including them.
    struct Piece {
        const RHit* rows;
        std::size_t end;
    };
    enum class Take { Taken, Full, NoMemory };
    // A chunk for one of the walk's threads.
    Take TakeChunk(RHit*& chunk);
    // Room for the pieces of a walk over `files` files; before anything is published.
    void ReservePieces(std::size_t files);
    // The next rows of the result. One thread at a time.
    void Publish(const RHit* rows, std::size_t count);

    mutable std::mutex chunkMutex_;
    std::vector<RHit*> chunks_;
    std::unique_ptr<Piece[]> pieces_;
    std::size_t pieceCapacity_ = 0;
    std::atomic<std::size_t> pieceCount_{0};
};

// Row chunks of stores that are gone wait for the next walk, which takes them instead of fresh
// memory (fresh memory costs the system zeroing it and a fault per page, walk after walk). Each
// walk gives back, at its end, the waiting chunks it did not take.
void ReleaseIdleRowChunks();
// Chunks waiting, for tests.
std::size_t IdleRowChunks();

// Flat 100-yen bets on every counted runner, by race R level: index 1..7 the level, index 0
// every counted runner (with a level of 1..7 or not).
struct RTally {
    std::array<std::int64_t, 8> n{}, winHits{}, winSum{}, placeHits{}, placeSum{};
    void Add(int level, std::int64_t win, std::int64_t place);
    void Add(const RTally& other);
    // The tallies of indexes first..last summed into a row of the level table.
    struct Row {
        std::int64_t n = 0, winHits = 0, winSum = 0, placeHits = 0, placeSum = 0;
    };
    Row Sum(int first, int last) const;
};

struct RScanRequest {
    std::filesystem::path folder; // <AppDir>/VZK, listed afresh by the walk
    std::string from, to;         // "yyyymmdd", both inclusive, compared as text
    std::shared_ptr<const RFilter> filter;
};

// What a finished walk leaves besides its rows.
struct RScanResult {
    bool cancelled = false;
    bool full = false; // the store ran out of rows
    RTally tally;
    // The files that are there but cannot be read, each named with the cause (UTF-8), in the
    // walk's order; the walk went on without them.
    std::vector<std::string> unreadable;
    // The files with damage: their sound records were searched, the damaged ones not.
    std::vector<std::filesystem::path> damaged;
    // Why the walk stopped early when it ran out of memory or threads, or found no files since
    // the folder cannot be listed (UTF-8); empty otherwise.
    std::string failure;
};

// The threads a walk reads and tests files on: the walk's own and two more.
inline constexpr std::size_t kWalkThreads = 3;

// The threads a walk takes besides its own, started by the thread that asks for the walk before
// the walk has its work for them. On a busy machine the system placed the threads that a walk's
// own thread started, itself just started, on that thread's processor, where they took turns for
// the whole walk; started by the asking thread, which has run for a while, they are spread like
// any other.
class WalkCrew {
public:
    // Up to `threads` threads; fewer where the system gives fewer.
    explicit WalkCrew(std::size_t threads);
    // Gives nothing if nothing was given, and waits for the threads.
    ~WalkCrew();
    WalkCrew(const WalkCrew&) = delete;
    WalkCrew& operator=(const WalkCrew&) = delete;

    // Each thread runs `work` once. Only the first call gives; an empty `work` lets them go.
    void Give(std::function<void()> work);
    // Waits until every thread has run what it was given.
    void Join();

private:
    void Serve();

    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable ready_;
    bool given_ = false;
    std::function<void()> work_;
};

// The walk's shared state: the store, the counts the screen shows, the cancel flag.
class RScanState {
public:
    RScanState()
        : store_(std::make_shared<RHitStore>()) {}
    std::shared_ptr<const RHitStore> Store() const { return store_; }
    int DaysRead() const { return daysRead_.load(std::memory_order_relaxed); }
    std::size_t Hits() const { return store_->Size(); }
    // What the count label shows: the hits published so far and the days read up to the one of
    // the last of them, so days after the last hit are not counted. Both come from one moment of
    // the walk.
    struct Count {
        int days = 0;
        std::size_t hits = 0;
    };
    Count Counted() const;
    void Cancel() { cancel_.store(true, std::memory_order_relaxed); }
    bool CancelRequested() const { return cancel_.load(std::memory_order_relaxed); }
    bool Done() const { return done_.load(std::memory_order_acquire); }
    // Valid once Done().
    const RScanResult& Result() const { return result_; }

    // The walk itself, on kWalkThreads threads (the calling one and more of its own), each
    // taking the next file. Returns when all are done.
    void Run(const RScanRequest& request);

private:
    friend class RScan;
    // The same, the other threads those of `crew`.
    void Run(const RScanRequest& request, WalkCrew& crew);

    std::shared_ptr<RHitStore> store_;
    std::atomic<int> daysRead_{0};
    // Count::days in the bits above kCountHitBits, Count::hits below.
    static constexpr int kCountHitBits = 40;
    std::atomic<std::uint64_t> counted_{0};
    std::atomic<bool> cancel_{false};
    std::atomic<bool> done_{false};
    RScanResult result_;
};

// A walk on a worker thread of its own. Destroying it cancels the walk and waits for it.
class RScan {
public:
    explicit RScan(RScanRequest request);
    ~RScan();
    RScan(const RScan&) = delete;
    RScan& operator=(const RScan&) = delete;

    const RScanState& State() const { return *state_; }
    void Cancel() { state_->Cancel(); }
    bool Done() const { return state_->Done(); }
    // Waits for the worker to end (at once after Done()).
    void Wait();

private:
    std::shared_ptr<RScanState> state_;
    std::thread worker_;
};

} // namespace search
