#include "search/rscan.h"

#include "keiba/fileio.h"
#include "raceday/analysis.h"

#include <sys/mman.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

namespace search {
namespace {

using Rec = jvdata::TAnalysisRecord;

template <std::size_t N>
void Copy(std::array<char, N>& to, std::string_view rec, jvdata::FieldPos f) {
    static_assert(N > 0);
    std::memcpy(to.data(), rec.data() + f.pos - 1, std::min(N, f.width));
}

} // namespace

RHit RHit::Of(std::string_view rec) {
    RHit h;
    h.Assign(rec);
    return h;
}

void RHit::Assign(std::string_view rec) {
    Copy(date8, rec, Rec::kDate8);
    Copy(venue, rec, Rec::kVenue);
    Copy(raceNo, rec, Rec::kRaceNo);
    Copy(horseNo, rec, Rec::kHorseNo);
    Copy(name, rec, Rec::kHorseName);
    // Nine digits fit an int32.
    winPayout = static_cast<std::int32_t>(RWinPayout(rec));
    placePayout = static_cast<std::int32_t>(RPlacePayout(rec));
    Copy(thisRun, rec, {Rec::kThisRunPos, jvdata::kAnalysisRunLength});
    Copy(previousRun, rec, {Rec::kPreviousRunPos, jvdata::kAnalysisRunLength});
}

namespace {

// The chunks of stores that are gone. Never destroyed: a store may outlive the statics.
class ChunkPool {
public:
    RHit* Take() {
        {
            std::lock_guard lock(mutex_);
            if (!idle_.empty()) {
                RHit* p = idle_.back();
                idle_.pop_back();
                return p;
            }
        }
        void* p = std::aligned_alloc(RHitStore::kChunkBytes, RHitStore::kChunkBytes);
        if (p) ::madvise(p, RHitStore::kChunkBytes, MADV_HUGEPAGE); // a hint only
        return static_cast<RHit*>(p);
    }
    void Give(RHit* p) {
        std::lock_guard lock(mutex_);
        try {
            idle_.push_back(p);
            return;
        } catch (const std::bad_alloc&) {
        }
        std::free(p);
    }
    void Release() {
        std::vector<RHit*> idle;
        {
            std::lock_guard lock(mutex_);
            idle.swap(idle_);
        }
        for (RHit* p : idle) std::free(p);
    }
    std::size_t Idle() {
        std::lock_guard lock(mutex_);
        return idle_.size();
    }

private:
    std::mutex mutex_;
    std::vector<RHit*> idle_;
};

ChunkPool& Pool() {
    static ChunkPool* pool = new ChunkPool;
    return *pool;
}

} // namespace

void ReleaseIdleRowChunks() {
    Pool().Release();
}

std::size_t IdleRowChunks() {
    return Pool().Idle();
}

RHitStore::RHitStore() {
    chunks_.reserve(kMaxChunks);
}

RHitStore::~RHitStore() {
    for (RHit* chunk : chunks_) Pool().Give(chunk);
}

const RHit& RHitStore::At(std::size_t i) const {
    const std::size_t n = pieceCount_.load(std::memory_order_acquire);
    const Piece* first = pieces_.get();
    const Piece* piece = std::upper_bound(
        first, first + n, i, [](std::size_t row, const Piece& p) { return row < p.end; });
    const std::size_t begin = piece == first ? 0 : piece[-1].end;
    return piece->rows[i - begin];
}

std::size_t RHitStore::BytesHeld() const {
    std::lock_guard lock(chunkMutex_);
    return chunks_.size() * kChunkBytes;
}

RHitStore::Take RHitStore::TakeChunk(RHit*& chunk) {
    std::lock_guard lock(chunkMutex_);
    if (chunks_.size() >= kMaxChunks) return Take::Full;
    // Rows are written before they are published, so a chunk needs no initial value.
    chunk = Pool().Take();
    if (!chunk) return Take::NoMemory;
    chunks_.push_back(chunk);
    return Take::Taken;
}

void RHitStore::ReservePieces(std::size_t files) {
    // A file's rows are one piece, or more where its thread's chunk filled up.
    pieceCapacity_ = files + kMaxChunks;
    pieces_ = std::make_unique<Piece[]>(pieceCapacity_);
}

void RHitStore::Publish(const RHit* rows, std::size_t count) {
    const std::size_t n = pieceCount_.load(std::memory_order_relaxed);
    if (count == 0 || n >= pieceCapacity_) return;
    pieces_[n] = {rows, Size() + count};
    pieceCount_.store(n + 1, std::memory_order_release);
}

void RTally::Add(int level, std::int64_t win, std::int64_t place) {
    auto add = [&](std::size_t i) {
        ++n[i];
        if (win > 0) {
            ++winHits[i];
            winSum[i] += win;
        }
        if (place > 0) {
            ++placeHits[i];
            placeSum[i] += place;
        }
    };
    add(0);
    if (level >= 1 && level <= 7) add(static_cast<std::size_t>(level));
}

void RTally::Add(const RTally& other) {
    for (std::size_t i = 0; i < n.size(); ++i) {
        n[i] += other.n[i];
        winHits[i] += other.winHits[i];
        winSum[i] += other.winSum[i];
        placeHits[i] += other.placeHits[i];
        placeSum[i] += other.placeSum[i];
    }
}

RTally::Row RTally::Sum(int first, int last) const {
    Row r;
    for (int i = std::max(first, 0); i <= std::min(last, 7); ++i) {
        const auto k = static_cast<std::size_t>(i);
        r.n += n[k];
        r.winHits += winHits[k];
        r.winSum += winSum[k];
        r.placeHits += placeHits[k];
        r.placeSum += placeSum[k];
    }
    return r;
}

namespace {

// Bytes read from files, without the zero fill a std::string would give them first, into room
// that starts a page, as the system's cache holds a file: the system's copy into room that
// starts a few bytes past a page start takes up to twice as long (its loads and stores meet at
// the same places of a page), and the heap maps a first walk's room afresh with its own
// sixteen bytes before it.
class Bytes {
public:
    const char* Data() const { return data_.get(); }
    // Room for n bytes, the earlier ones not kept.
    char* Room(std::size_t n) {
        if (capacity_ < n) {
            const std::size_t size = (n + kPage - 1) / kPage * kPage;
            data_.reset(static_cast<char*>(std::aligned_alloc(kPage, size)));
            capacity_ = data_ ? size : 0;
            if (!data_) throw std::bad_alloc();
        }
        return data_.get();
    }

private:
    static constexpr std::size_t kPage = 4096;
    struct Free {
        void operator()(char* p) const { std::free(p); }
    };
    std::unique_ptr<char[], Free> data_;
    std::size_t capacity_ = 0;
};

// How many records ahead of the one tested the walk has the lines the tests read fetched into
// the cache: a search tests a few fields of every record, and each test would otherwise wait on
// its bytes (a tenth of a walk).
constexpr std::size_t kAhead = 6;
// The lines of a record the tests read: the status, this run's block and the previous run's.
inline void FetchAhead(const char* rec) {
    __builtin_prefetch(rec + jvdata::TAnalysisRecord::kStatus.pos - 1);
    __builtin_prefetch(rec + jvdata::TAnalysisRecord::kThisRunPos - 1);
    __builtin_prefetch(rec + jvdata::TAnalysisRecord::kPreviousRunPos - 1);
}

// The sound records of the day `date8` in an analysis file read as `read` (its bytes `file`),
// from the last to the first, as ReadAnalysisRecords takes them. Each record is checked in the
// same pass as it is visited, unless an earlier read of the file as it stands found it whole;
// what a read finds is kept for the next (raceday::CheckedAnalysisFiles). `visit(record)` returns
// false to stop the walk. Where damage turns up after records were visited, `restart()` is called
// to drop what they gave, and the records the reader finds past the damage are visited afresh.
// Returns whether every record was visited, and puts what damage took into `lost`.
template <typename Visit, typename Restart>
bool VisitSoundRecords(const std::filesystem::path& path, const std::string& date8,
                       std::string_view file, const raceday::AnalysisBytesRead& read, Visit visit,
                       Restart restart, std::size_t& lost) {
    using Verdict = raceday::AnalysisVerdicts::Verdict;
    constexpr std::size_t kLength = jvdata::kAnalysisLength;
    raceday::AnalysisVerdicts& verdicts = raceday::CheckedAnalysisFiles();
    std::optional<Verdict> known;
    if (read.stamp) known = verdicts.Find(path, date8, *read.stamp);
    auto keep = [&](Verdict v) {
        if (read.stamp && jvdata::Settled(*read.stamp, read.lookedAt))
            verdicts.Keep(path, date8, *read.stamp, std::move(v));
    };
    lost = 0;
    const std::size_t count = file.size() / kLength;
    auto at = [&](std::size_t i) {
        if (i >= kAhead) FetchAhead(file.data() + (i - kAhead) * kLength);
        return file.substr(i * kLength, kLength);
    };
    if (known && known->whole) {
        for (std::size_t i = count; i-- > 0;)
            if (!visit(at(i))) return false;
        return true;
    }
    if (!known) {
        // A file as it arrives is whole: each record checked as it is visited.
        bool whole = file.size() % kLength == 0;
        const raceday::AnalysisDayCheck sound(date8);
        for (std::size_t i = count; whole && i-- > 0;) {
            const std::string_view rec = at(i);
            if (!sound(rec)) {
                whole = false;
                break;
            }
            if (!visit(rec)) return false;
        }
        if (whole) {
            keep(Verdict{true, {}, 0});
            return true;
        }
        restart();
    }
    Verdict v;
    if (known) {
        v = std::move(*known);
    } else {
        v = Verdict::Of(file, raceday::ReadAnalysisRecords(file, date8));
        keep(v);
    }
    lost = v.lost;
    for (auto it = v.starts.rbegin(); it != v.starts.rend(); ++it)
        if (!visit(file.substr(*it, kLength))) return false;
    return true;
}

// A row written past the cache: a walk writes many times the rows the cache holds, and the
// screen reads back only those it shows, so each row's lines are not fetched only to be
// overwritten. The rows of a file are made visible (RowsWritten) before the file is published.
static_assert(sizeof(RHit) % 16 == 0 && RHitStore::kChunkBytes % 16 == 0);
inline void WriteRow(RHit* to, const RHit& row) {
#if defined(__SSE2__)
    const auto* from = reinterpret_cast<const char*>(&row);
    auto* at = reinterpret_cast<__m128i*>(to);
    for (std::size_t i = 0; i < sizeof(RHit) / 16; ++i)
        _mm_stream_si128(at + i, _mm_loadu_si128(reinterpret_cast<const __m128i*>(from) + i));
#else
    *to = row;
#endif
}
inline void RowsWritten() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

constexpr const char* kOutOfMemory = "メモリが足りないため、検索を途中で打ち切りました。";
// Threads that walk besides the walk's own.
constexpr std::size_t kHelperThreads = kWalkThreads - 1;

} // namespace

WalkCrew::WalkCrew(std::size_t threads) {
    threads_.reserve(threads);
    try {
        while (threads_.size() < threads) threads_.emplace_back([this] { Serve(); });
    } catch (const std::system_error&) {
        // Fewer threads only make the walk slower.
    }
}

WalkCrew::~WalkCrew() {
    Join();
}

void WalkCrew::Give(std::function<void()> work) {
    {
        std::lock_guard lock(mutex_);
        if (given_) return;
        given_ = true;
        work_ = std::move(work);
    }
    ready_.notify_all();
}

void WalkCrew::Join() {
    Give({});
    for (std::thread& t : threads_)
        if (t.joinable()) t.join();
}

void WalkCrew::Serve() {
    {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return given_; });
    }
    if (work_) work_();
}

void RScanState::Run(const RScanRequest& request) {
    WalkCrew crew(kHelperThreads);
    Run(request, crew);
}

// The walk's threads each take the next file, read it, test its records and write its hits
// into a chunk of their own, while the file is still in their cache; the file's rows are then
// published in the walk's order. A cancel, a full store or a failure ends the result with the
// file it cut short: the rows stay a first part of the whole.
void RScanState::Run(const RScanRequest& request, WalkCrew& crew) {
    struct FileResult {
        struct Piece {
            RHit* rows;
            std::size_t count;
        };
        std::vector<Piece> pieces;
        RTally tally;
        bool done = false, cut = false, damaged = false;
        std::string unreadable; // why the file could not be read
    };

    RScanResult result;
    std::string failure;
    try {
        keiba::IoResult listed;
        std::vector<raceday::VzkDay> days = raceday::ListVzkDays(request.folder, &listed);
        if (!listed) failure = std::move(listed.message);
        // Names compare as text: both ends of the range are included. A file outside the range
        // is not opened.
        std::erase_if(days, [&](const raceday::VzkDay& d) {
            return d.date8 < request.from || d.date8 > request.to;
        });
        std::reverse(days.begin(), days.end()); // newest first
        std::vector<FileResult> files(days.size());
        store_->ReservePieces(days.size());

        std::atomic<std::size_t> nextFile{0};
        std::atomic<bool> stop{false};
        std::mutex publishing; // guards what follows
        std::size_t published = 0;
        bool ended = false;
        // File k is through: it and every file after it that is through too are published,
        // unless a file cut short has ended the result.
        auto finished = [&](std::size_t k) {
            std::lock_guard lock(publishing);
            files[k].done = true;
            for (; !ended && published < files.size() && files[published].done; ++published) {
                FileResult& f = files[published];
                if (!f.unreadable.empty()) {
                    result.unreadable.push_back(std::move(f.unreadable));
                    continue;
                }
                if (f.damaged) result.damaged.push_back(days[published].path);
                for (const FileResult::Piece& piece : f.pieces)
                    store_->Publish(piece.rows, piece.count);
                result.tally.Add(f.tally);
                const int read = daysRead_.fetch_add(1, std::memory_order_relaxed) + 1;
                if (!f.pieces.empty())
                    counted_.store(std::uint64_t{static_cast<unsigned>(read)} << kCountHitBits |
                                       store_->Size(),
                                   std::memory_order_relaxed);
                ended = f.cut;
            }
        };

        auto work = [&] {
            Bytes bytes;
            RHit* row = nullptr; // the next row of this thread's chunk
            std::size_t room = 0;
            for (;;) {
                if (CancelRequested() || stop.load(std::memory_order_relaxed)) break;
                const std::size_t k = nextFile.fetch_add(1);
                if (k >= files.size()) break;
                FileResult& f = files[k];
                try {
                    const raceday::AnalysisBytesRead read = raceday::ReadAnalysisBytes(
                        days[k].path, [&](std::size_t n) { return bytes.Room(n); });
                    f.unreadable = read.file.read.message;
                    // A file removed since the folder was listed holds nothing to search.
                    const std::string_view file(bytes.Data(), read.size);
                    // Only sound records of the file's day are looked at, as the day load takes
                    // them: damage is never a hit, and the records after it are still found.
                    // A hit: its row and its tally. Kept out of the test of each record, which
                    // most records go no further than.
                    auto hit = [&](std::string_view rec) __attribute__((noinline)) {
                        if (room == 0) {
                            const RHitStore::Take take = store_->TakeChunk(row);
                            if (take != RHitStore::Take::Taken) {
                                std::lock_guard lock(publishing);
                                if (take == RHitStore::Take::Full)
                                    result.full = true;
                                else
                                    failure = kOutOfMemory;
                                stop = true;
                                f.cut = true;
                                return false;
                            }
                            room = RHitStore::kChunkRows;
                            f.pieces.push_back({row, 0});
                        } else if (f.pieces.empty()) {
                            f.pieces.push_back({row, 0});
                        }
                        const RHit h = RHit::Of(rec);
                        WriteRow(row, h);
                        f.tally.Add(RRaceLevel(rec), h.winPayout, h.placePayout);
                        ++row;
                        --room;
                        ++f.pieces.back().count;
                        return true;
                    };
                    auto visit = [&](std::string_view rec) {
                        if (CancelRequested()) {
                            f.cut = true;
                            return false;
                        }
                        if (RSkipped(rec) || !RCountable(rec) || !request.filter->Matches(rec))
                            return true;
                        return hit(rec);
                    };
                    // The rows of the current chunk are written again; a chunk the file
                    // filled before stays unused.
                    auto restart = [&] {
                        if (!f.pieces.empty()) {
                            row = f.pieces.back().rows;
                            room += f.pieces.back().count;
                        }
                        f.pieces.clear();
                        f.tally = {};
                    };
                    std::size_t lost = 0;
                    if (read.file)
                        VisitSoundRecords(days[k].path, days[k].date8, file, read, visit, restart,
                                          lost);
                    f.damaged = lost > 0;
                } catch (const std::exception&) {
                    std::lock_guard lock(publishing);
                    failure = kOutOfMemory;
                    stop = true;
                    f.cut = true;
                }
                RowsWritten();
                finished(k);
            }
        };

        crew.Give(work);
        work();
        crew.Join();
    } catch (const std::exception& e) {
        // Nothing was started: the listing or its memory failed.
        failure = std::string("検索を開始できませんでした。") + e.what();
    }
    crew.Join(); // where nothing was started, the crew is let go
    result.failure = failure;
    result.cancelled = CancelRequested();
    result_ = std::move(result);
    // What this walk did not take of the chunks of earlier stores is not kept any longer.
    ReleaseIdleRowChunks();
    done_.store(true, std::memory_order_release);
}

RScanState::Count RScanState::Counted() const {
    const std::uint64_t v = counted_.load(std::memory_order_relaxed);
    return {static_cast<int>(v >> kCountHitBits),
            static_cast<std::size_t>(v & ((std::uint64_t{1} << kCountHitBits) - 1))};
}

RScan::RScan(RScanRequest request)
    : state_(std::make_shared<RScanState>()) {
    // The walk's other threads are started here, by the thread that asks for the walk.
    auto crew = std::make_unique<WalkCrew>(kHelperThreads);
    worker_ = std::thread([state = state_, request = std::move(request), crew = std::move(crew)] {
        state->Run(request, *crew);
    });
}

RScan::~RScan() {
    Cancel();
    Wait();
}

void RScan::Wait() {
    if (worker_.joinable()) worker_.join();
}

} // namespace search
