#include "search/rscan.h"

#include "raceday/analysis.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

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
    Copy(h.date8, rec, Rec::kDate8);
    Copy(h.venue, rec, Rec::kVenue);
    Copy(h.raceNo, rec, Rec::kRaceNo);
    Copy(h.horseNo, rec, Rec::kHorseNo);
    Copy(h.name, rec, Rec::kHorseName);
    // Nine digits fit an int32.
    h.winPayout = static_cast<std::int32_t>(RWinPayout(rec));
    h.placePayout = static_cast<std::int32_t>(RPlacePayout(rec));
    Copy(h.thisRun, rec, {Rec::kThisRunPos, jvdata::kAnalysisRunLength});
    Copy(h.previousRun, rec, {Rec::kPreviousRunPos, jvdata::kAnalysisRunLength});
    return h;
}

void RHitStore::Free::operator()(RHit* p) const {
    std::free(p);
}

bool RHitStore::Append(const RHit& hit) {
    const std::size_t chunk = written_ / kChunkRows;
    if (chunk >= kMaxChunks) return false;
    // Rows are written before they are published, so a chunk needs no initial value.
    if (!chunks_[chunk]) {
        void* p = std::aligned_alloc(kChunkBytes, kChunkBytes);
        if (!p) return false;
        ::madvise(p, kChunkBytes, MADV_HUGEPAGE); // a hint: without it the chunk still works
        chunks_[chunk].reset(static_cast<RHit*>(p));
    }
    chunks_[chunk][written_ % kChunkRows] = hit;
    published_.store(++written_, std::memory_order_release);
    return true;
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

void RScanState::Run(const RScanRequest& request) {
    std::vector<raceday::VzkDay> days = raceday::ListVzkDays(request.folder);
    // One buffer for every file: reading needs no memory of its own after the first file.
    std::string bytes;
    RScanResult result;
    for (auto day = days.rbegin(); day != days.rend() && !CancelRequested() && !result.full;
         ++day) {
        // Names compare as text: both ends of the range are included. A file outside the range
        // is not opened.
        if (day->date8 < request.from || day->date8 > request.to) continue;
        if (!raceday::ReadAnalysisFile(day->path, bytes)) {
            result.unreadable.push_back(day->path);
            continue;
        }
        daysRead_.fetch_add(1, std::memory_order_relaxed);
        // A partial record at the end is no record.
        constexpr std::size_t kLength = jvdata::kAnalysisLength;
        for (std::size_t i = bytes.size() / kLength; i-- > 0;) {
            if (CancelRequested()) break;
            const std::string_view rec(bytes.data() + i * kLength, kLength);
            if (RSkipped(rec) || !RCountable(rec) || !request.filter->Matches(rec)) continue;
            const RHit hit = RHit::Of(rec);
            if (!store_->Append(hit)) {
                result.full = true;
                break;
            }
            result.tally.Add(RRaceLevel(rec), hit.winPayout, hit.placePayout);
        }
    }
    result.cancelled = CancelRequested();
    result_ = std::move(result);
    done_.store(true, std::memory_order_release);
}

RScan::RScan(RScanRequest request)
    : state_(std::make_shared<RScanState>()) {
    worker_ = std::thread([state = state_, request = std::move(request)] { state->Run(request); });
}

RScan::~RScan() {
    Cancel();
    Wait();
}

void RScan::Wait() {
    if (worker_.joinable()) worker_.join();
}

} // namespace search
