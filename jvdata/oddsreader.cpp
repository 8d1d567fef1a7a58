#include "jvdata/oddsreader.h"

#include "keiba/fileio.h"
#include "keiba/sjis.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

namespace jvdata {
namespace {

bool IsRunOf(std::string_view s, char c) {
    return !s.empty() && s.find_first_not_of(c) == std::string_view::npos;
}

// All digits: their value; otherwise -1.
std::int64_t PlainDigits(std::string_view s) {
    if (s.empty() || s.size() > 12) return -1;
    std::int64_t v = 0;
    for (char c : s) {
        unsigned d = static_cast<unsigned char>(c) - static_cast<unsigned>('0');
        if (d > 9) return -1;
        v = v * 10 + d;
    }
    return v;
}

// The value of a field of W bytes that are all digits, otherwise -1: the common case of every
// odds and popularity field, read without a loop. The eight bytes from the field's start are
// loaded as one little-endian word (so they must lie inside the record), the field shifted to
// its top behind 8 - W '0's, checked all at once and combined pairwise (1+1, 2+2, 4+4 digits).
template <std::size_t W> std::int64_t FixedDigits(const char* p) {
    static_assert(W >= 1 && W <= 8);
    if constexpr (std::endian::native != std::endian::little) {
        return PlainDigits({p, W});
    } else {
        std::uint64_t x;
        std::memcpy(&x, p, 8);
        if constexpr (W < 8) x = (x << (8 * (8 - W))) | (0x3030303030303030u >> (8 * W));
        // Each byte 0x30..0x39: its high nibble is 3, and adding 6 leaves it 3.
        const std::uint64_t high = 0xF0F0F0F0F0F0F0F0u;
        if (((x & high) | (((x + 0x0606060606060606u) & high) >> 4)) != 0x3333333333333333u)
            return -1;
        x -= 0x3030303030303030u;
        x = x * 10 + (x >> 8);
        const std::uint64_t pairs = 0x000000FF000000FFu;
        x = ((x & pairs) * 0x000F424000000064u + ((x >> 16) & pairs) * 0x0000271000000001u) >> 32;
        return static_cast<std::int64_t>(x & 0xFFFFFFFFu);
    }
}

// A popularity field: a decimal integer with leading blanks or zeros; anything else is 0.
int ConvertPopularity(std::string_view field) {
    std::int64_t plain = PlainDigits(field);
    if (plain >= 0) return plain > 1000000 ? 0 : static_cast<int>(plain);
    auto v = keiba::StrictInteger(field);
    if (!v || *v < 0 || *v > 1000000) return 0;
    return static_cast<int>(*v);
}

// An odds field in tenths: blanks around it, then digits; otherwise a marker or damaged bytes,
// whose values -1.0 and -2.0 are -10 and -20 tenths.
constexpr std::int64_t kNoSaleTenths = -10;
constexpr std::int64_t kBlankTenths = -20;
std::int64_t OddsTenths(std::string_view field) {
    std::size_t b = 0, e = field.size();
    while (b < e && static_cast<unsigned char>(field[b]) <= ' ') ++b;
    if (b == e) return kBlankTenths;
    while (static_cast<unsigned char>(field[e - 1]) <= ' ') --e;
    std::string_view t = field.substr(b, e - b);
    std::int64_t plain = PlainDigits(t);
    if (plain >= 0) return plain;
    if (t.size() == field.size() && (IsRunOf(t, '-') || IsRunOf(t, '*'))) return kNoSaleTenths;
    return kBlankTenths;
}

double ConvertOdds(std::string_view field) {
    return static_cast<double>(OddsTenths(field)) / 10.0;
}

// Where a kind's entries lie in its record: the first odds field (1-based), the distance from
// one entry to the next, the odds width, and the popularity field's offset from the odds field
// and its width.
struct EntryLayout {
    std::size_t first, stride, oddsWidth, popOffset, popWidth;
};
inline constexpr EntryLayout kUmaren{45, 13, 6, 6, 3};
inline constexpr EntryLayout kWide{45, 17, 5, 10, 3};
inline constexpr EntryLayout kUmatan{45, 13, 6, 6, 3};
inline constexpr EntryLayout kSanrenpuku{47, 15, 6, 6, 3};
inline constexpr EntryLayout kSanrentan{47, 17, 7, 7, 4};

// One entry into its odds and popularity values. Fields of digits take the fixed-width way;
// blanks, markers and damaged bytes the general one.
template <EntryLayout L> void ConvertEntry(const char* at, double& odds, int& pop) {
    const char* popField = at + L.popOffset;
    std::int64_t tenths = FixedDigits<L.oddsWidth>(at);
    if (tenths >= 0) [[likely]] {
        std::int64_t p = FixedDigits<L.popWidth>(popField);
        pop = p >= 0 ? static_cast<int>(p) : ConvertPopularity({popField, L.popWidth});
    } else {
        tenths = OddsTenths({at, L.oddsWidth});
        pop = tenths >= 0 ? ConvertPopularity({popField, L.popWidth}) : 0;
    }
    odds = static_cast<double>(tenths) / 10.0;
}

#if defined(__SSE2__)
// The fields of width W of two entries, one in each 64-bit lane, as digit values: the eight
// bytes from each field's start (they must lie inside the record), the field shifted to the
// top of its lane behind 8 - W zeros.
template <std::size_t W> __m128i LaneDigits(const char* first, const char* second) {
    static_assert(W >= 1 && W <= 8);
    __m128i v = _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(first)),
                                   _mm_loadl_epi64(reinterpret_cast<const __m128i*>(second)));
    v = _mm_sub_epi8(v, _mm_set1_epi8('0'));
    if constexpr (W < 8) v = _mm_slli_epi64(v, 8 * (8 - W));
    return v;
}

// Each lane's eight digit values (most significant first) as one number in the lane's low half:
// digit pairs, then groups of four, then the eight.
__m128i LaneValues(__m128i v) {
    v = _mm_and_si128(_mm_add_epi16(_mm_mullo_epi16(v, _mm_set1_epi16(10)), _mm_srli_epi16(v, 8)),
                      _mm_set1_epi16(0xFF));
    v = _mm_madd_epi16(v, _mm_set1_epi32(0x00010064)); // pairs * 100 + pairs
    return _mm_add_epi64(_mm_mul_epu32(v, _mm_set1_epi32(10000)), _mm_srli_epi64(v, 32));
}

// Entries k and k + 1 at once, when all four fields are digits; false leaves them to
// ConvertEntry.
template <EntryLayout L> bool ConvertPair(const char* at, double* odds, int* pops) {
    const __m128i o = LaneDigits<L.oddsWidth>(at, at + L.stride);
    const __m128i p = LaneDigits<L.popWidth>(at + L.popOffset, at + L.stride + L.popOffset);
    const __m128i nine = _mm_set1_epi8(9);
    const __m128i digits = _mm_and_si128(_mm_cmpeq_epi8(_mm_max_epu8(o, nine), nine),
                                         _mm_cmpeq_epi8(_mm_max_epu8(p, nine), nine));
    if (_mm_movemask_epi8(digits) != 0xFFFF) return false;
    // The two values sit in dwords 0 and 2; both fit 32 bits.
    const __m128i tenths = _mm_shuffle_epi32(LaneValues(o), _MM_SHUFFLE(3, 1, 2, 0));
    _mm_storeu_pd(odds, _mm_div_pd(_mm_cvtepi32_pd(tenths), _mm_set1_pd(10.0)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(pops),
                     _mm_shuffle_epi32(LaneValues(p), _MM_SHUFFLE(3, 1, 2, 0)));
    return true;
}
#endif

// Entries 1.. of a combination kind into its odds and popularity arrays, two at a time where
// the processor allows.
template <EntryLayout L, std::size_t RecordLength, std::size_t N>
void ConvertEntries(const FixedRecord<RecordLength>& record, std::array<double, N>& odds,
                    std::array<int, N>& pops) {
    // Eight bytes are read from every field's start.
    static_assert(L.first >= 1 &&
                      L.first - 1 + L.stride * (N - 2) + L.popOffset + 8 <= RecordLength &&
                      L.oddsWidth <= L.popOffset,
                  "every entry's fields and the bytes read past them lie inside the record");
    const char* at = record.Bytes().data() + (L.first - 1);
    std::size_t k = 1;
#if defined(__SSE2__)
    for (; k + 1 < N; k += 2, at += 2 * L.stride) {
        if (ConvertPair<L>(at, &odds[k], &pops[k])) [[likely]]
            continue;
        ConvertEntry<L>(at, odds[k], pops[k]);
        ConvertEntry<L>(at + L.stride, odds[k + 1], pops[k + 1]);
    }
#endif
    for (; k < N; ++k, at += L.stride) ConvertEntry<L>(at, odds[k], pops[k]);
}

// The ranks have always followed the byte order of "%6.1f%6.1f%2d" texts of the two odds and
// the horse number. For the values an O1 field gives (tenths up to 999.9, or the markers -1.0
// and -2.0) that order is numeric but for the markers: a value under 10 has the longer run of
// leading blanks and comes first, then "  -1.0", then "  -2.0", then the values from 10 up.
std::int64_t TextOrder(std::int64_t tenths) {
    if (tenths >= 100) return tenths + 2;
    if (tenths >= 0) return tenths;
    return tenths == -10 ? 100 : 101;
}

struct RankEntry {
    std::int64_t first, second;
    int horse;
    auto operator<=>(const RankEntry&) const = default;
};

class Ranking {
public:
    // Odds in tenths.
    void Add(std::int64_t first, std::int64_t second, int horse) {
        entries_[n_++] = {TextOrder(first), TextOrder(second), horse};
    }
    void AssignTo(TRaceCalc::PerRunner<int>& ranks) {
        std::sort(entries_.begin(), entries_.begin() + n_);
        for (std::size_t i = 0; i < n_; ++i)
            ranks[static_cast<std::size_t>(entries_[i].horse - 1)] = static_cast<int>(i + 1);
    }

private:
    std::array<RankEntry, kMaxRunners> entries_{};
    std::size_t n_ = 0;
};

template <typename Record>
bool ReadSlot(const TJvRA& race, DayFileKind kind, const std::filesystem::path& path,
              OddsFileCache& cache, Record& slot, MissingOdds missing) {
    bool exists = false, unreadable = false;
    std::string_view found;
    if (race.RaceNumber() > 0) {
        found = cache.Find(path, kind, race.Key(), &exists, &unreadable);
    } else {
        exists = cache.Exists(path);
    }
    if (!found.empty())
        slot.Assign(found);
    else if (missing == MissingOdds::Blank)
        slot.Clear();
    // A fetch keeps the odds it showed when the file it wrote cannot be read back; they are
    // not those of a race without odds.
    return exists || (unreadable && missing == MissingOdds::Keep);
}

std::uint32_t PackKey(std::string_view venue, std::string_view raceNo) {
    char k[4] = {' ', ' ', ' ', ' '};
    std::memcpy(k, venue.data(), std::min<std::size_t>(venue.size(), 2));
    std::memcpy(k + 2, raceNo.data(), std::min<std::size_t>(raceNo.size(), 2));
    std::uint32_t v;
    std::memcpy(&v, k, 4);
    return v;
}

} // namespace

double ConvertOddsField(std::string_view field) {
    return ConvertOdds(field);
}

OddsFileCache::Look OddsFileCache::LookAt(const std::filesystem::path& path) {
    if (holds_ > 0)
        for (const Look& l : looked_)
            if (l.path == path.native()) return l;
    Look l;
    l.path = path.native();
    l.lookedAt = FileClockNow();
    struct ::stat st {};
    // Counted before the look, so a write between the two makes the next look differ.
    const std::uint64_t writes = keiba::WriteCount(path);
    if (::stat(path.c_str(), &st) != 0) {
        l.absent = errno == ENOENT || errno == ENOTDIR;
    } else {
        l.exists = true;
        l.absent = false;
        l.regular = S_ISREG(st.st_mode);
        l.stamp = StampOf(st, writes);
    }
    if (holds_ > 0) looked_.push_back(l);
    return l;
}

bool OddsFileCache::Exists(const std::filesystem::path& path) {
    return LookAt(path).exists;
}

OddsFileCache::File* OddsFileCache::Load(const std::filesystem::path& path, DayFileKind kind,
                                         bool* unreadable) {
    const Look look = LookAt(path);
    if (look.absent) return nullptr;
    auto it = std::find_if(files_.begin(), files_.end(),
                           [&](const File& f) { return f.kind == kind && f.path == look.path; });
    if (look.regular && it != files_.end() && it->stamp == look.stamp &&
        (it->settled || (holds_ > 0 && it->hold == holdNumber_)))
        return &*it;

    auto failed = std::find_if(failures_.begin(), failures_.end(),
                               [&](const Failure& f) { return f.path == look.path; });
    // A day load asks for each file once for every race: one failed read of it is enough.
    if (holds_ > 0 && failed != failures_.end() && failed->stamp == look.stamp) {
        *unreadable = true;
        return nullptr;
    }
    // Something that is there but cannot be read (or is no file) is no missing file.
    keiba::FileRead file = keiba::ReadFileOrMissing(path);
    if (!file.read) {
        *unreadable = true;
        Failure f{look.path, look.stamp, std::move(file.read)};
        if (failed != failures_.end())
            *failed = std::move(f);
        else
            failures_.push_back(std::move(f));
        return nullptr;
    }
    if (!file.bytes) return nullptr;
    if (std::find(read_.begin(), read_.end(), look.path) == read_.end()) read_.push_back(look.path);
    File f;
    f.path = look.path;
    f.kind = kind;
    // Bytes read after the look are the file as stamped or newer; newer ones have another stamp,
    // which the next look sees.
    f.stamp = look.stamp;
    f.settled = Settled(look.stamp, look.lookedAt);
    f.hold = holds_ > 0 ? holdNumber_ : 0;
    f.bytes = std::move(*file.bytes);
    const std::size_t length = KindInfo(kind).recordLength;
    ForEachOddsPiece(
        f.bytes, kind,
        [&](std::size_t at) {
            const std::string_view rec = std::string_view(f.bytes).substr(at, length);
            f.pieces.emplace_back(at, true);
            f.index.emplace_back(
                PackKey(Field(rec, RecordHead::kVenue), Field(rec, RecordHead::kRaceNo)), at);
        },
        [&](std::size_t at) { f.pieces.emplace_back(at, false); });
    // The records of a venue and race number in file order, so that the first of a race is read;
    // those of other days stay beside them, to be passed over.
    std::stable_sort(f.index.begin(), f.index.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    if (it != files_.end()) {
        *it = std::move(f);
        return &*it;
    }
    // A batch load reads the win odds of every day it loads: the oldest file goes first.
    if (files_.size() >= kFiles) files_.erase(files_.begin());
    files_.push_back(std::move(f));
    return &files_.back();
}

std::string_view OddsFileCache::Find(const std::filesystem::path& path, DayFileKind kind,
                                     const RaceKey& race, bool* exists, bool* unreadable) {
    bool failed = false;
    File* f = Load(path, kind, &failed);
    if (exists) *exists = f != nullptr;
    if (unreadable) *unreadable = failed;
    if (!f) return {};
    const DayFileKindInfo& info = KindInfo(kind);
    const std::uint32_t key = PackKey(race.Venue(), race.RaceNo());
    auto it = std::lower_bound(f->index.begin(), f->index.end(), key,
                               [](const auto& e, std::uint32_t k) { return e.first < k; });
    for (; it != f->index.end() && it->first == key; ++it) {
        const std::string_view rec =
            std::string_view(f->bytes).substr(it->second, info.recordLength);
        if (NamesRace(info, rec, race)) return rec;
    }
    return {};
}

bool OddsFileCache::ForEachPiece(
    const std::filesystem::path& path, DayFileKind kind,
    const std::function<void(std::string_view piece, bool sound)>& piece) {
    bool failed = false;
    const File* f = Load(path, kind, &failed);
    if (!f) return false;
    const std::string_view bytes = f->bytes;
    for (std::size_t i = 0; i < f->pieces.size(); ++i) {
        const auto [at, sound] = f->pieces[i];
        // The pieces cover the file: the last one ends where it does.
        const std::size_t end = i + 1 < f->pieces.size() ? f->pieces[i + 1].first : bytes.size();
        piece(bytes.substr(at, end - at), sound);
    }
    return true;
}

std::vector<keiba::IoResult> OddsFileCache::TakeReadFailures() {
    std::vector<keiba::IoResult> taken;
    for (Failure& f : failures_) taken.push_back(std::move(f.read));
    failures_.clear();
    return taken;
}

std::vector<std::string> OddsFileCache::TakeFilesRead() {
    return std::exchange(read_, {});
}

namespace {

// The first `c` at or after `from`, for a `from` that only grows: the one found last is kept while
// it lies ahead, so a long stretch without one is searched once.
class NextByte {
public:
    NextByte(std::string_view bytes, char c)
        : bytes_(bytes)
        , c_(c) {}
    std::size_t From(std::size_t from) {
        if (!searched_ || (at_ != std::string_view::npos && at_ < from)) {
            const void* p = from < bytes_.size()
                                ? std::memchr(bytes_.data() + from, c_, bytes_.size() - from)
                                : nullptr;
            at_ = p ? static_cast<std::size_t>(static_cast<const char*>(p) - bytes_.data())
                    : std::string_view::npos;
            searched_ = true;
        }
        return at_;
    }

private:
    std::string_view bytes_;
    char c_;
    std::size_t at_ = 0;
    bool searched_ = false;
};

} // namespace

void ForEachOddsPiece(std::string_view bytes, DayFileKind kind,
                      const std::function<void(std::size_t offset)>& sound,
                      const std::function<void(std::size_t offset)>& damaged) {
    const DayFileKindInfo& info = KindInfo(kind);
    const std::size_t recordLength = info.recordLength;
    if (recordLength == 0) return;
    // Two sound records never overlap (the line end of the first would lie inside the second),
    // so stepping over each sound record passes no other.
    std::size_t at = 0;
    std::optional<std::size_t> damage; // where the stretch since the last sound record starts
    NextByte cr(bytes, '\r'), lf(bytes, '\n');
    while (at <= bytes.size() && bytes.size() - at >= recordLength) {
        if (info.sound(bytes.substr(at, recordLength))) {
            if (damage) damaged(*damage);
            damage.reset();
            sound(at);
            at += recordLength;
            continue;
        }
        if (!damage) damage = at;
        // The next place after `at` where a record may start.
        std::size_t next = (at / recordLength + 1) * recordLength;
        for (NextByte* lineEnd : {&cr, &lf})
            if (const std::size_t end = lineEnd->From(at); end != std::string_view::npos)
                next = std::min(next, end + 1);
        at = next;
    }
    if (damage || at < bytes.size()) damaged(damage.value_or(at));
}

namespace {

// A win or place odds field of the win-odds record in tenths, as OddsTenths reads it; fields of
// digits take the fixed-width way (the eight bytes from the start of every runner's fields lie
// inside the record).
std::int64_t WinPlaceTenths(std::string_view field) {
    const std::int64_t tenths = field.size() == 4 ? FixedDigits<4>(field.data()) : -1;
    return tenths >= 0 ? tenths : OddsTenths(field);
}

// Win and place odds, their ranks and the support rates.
void ConvertWinPlaceOdds(const TJvRA& race, bool haveO1, const TJvO1& o1, TRaceCalc& calc) {
    // A support rate stands only beside the win odds it comes from.
    calc.SupportRate.fill(0.0);
    calc.WinOdds.fill(0.0);
    calc.PlaceOddsMin.fill(0.0);
    calc.PlaceOddsMax.fill(0.0);
    calc.WinPop.fill(0);
    calc.PlaceMinPop.fill(0);
    calc.PlaceMaxPop.fill(0);
    if (!haveO1) return;
    int n = std::clamp(race.RunnerCount(), 0, kMaxRunners);
    Ranking winRanks, lowRanks, highRanks;
    for (int horse = 1; horse <= n; ++horse) {
        std::size_t h = static_cast<std::size_t>(horse - 1);
        const std::int64_t win = WinPlaceTenths(o1.WinOdds(horse));
        calc.WinOdds[h] = static_cast<double>(win) / 10.0;
        if (win > 0) calc.SupportRate[h] = 80.0 / calc.WinOdds[h];
        const std::int64_t low = WinPlaceTenths(o1.PlaceOddsLow(horse));
        calc.PlaceOddsMin[h] = static_cast<double>(low) / 10.0;
        if (low < 0) {
            // No sale or no odds yet: both bounds take the marker and the runner no rank.
            calc.PlaceOddsMax[h] = calc.PlaceOddsMin[h];
            continue;
        }
        const std::int64_t high = WinPlaceTenths(o1.PlaceOddsHigh(horse));
        calc.PlaceOddsMax[h] = static_cast<double>(high) / 10.0;
        if (win > 0) winRanks.Add(win, low, horse);
        if (low > 0) lowRanks.Add(low, high, horse);
        if (high > 0) highRanks.Add(high, low, horse);
    }
    winRanks.AssignTo(calc.WinPop);
    lowRanks.AssignTo(calc.PlaceMinPop);
    highRanks.AssignTo(calc.PlaceMaxPop);
}

// The combination arrays are written whole (but their unused element 0).
void ConvertCombinationOdds(const RaceOddsSlots& slots, TRaceCalc& calc) {
    ConvertEntries<kUmaren>(slots.o2, calc.UmarenOdds, calc.UmarenPop);
    ConvertEntries<kWide>(slots.o3, calc.WideOdds, calc.WidePop);
    ConvertEntries<kUmatan>(slots.o4, calc.UmatanOdds, calc.UmatanPop);
    ConvertEntries<kSanrenpuku>(slots.o5, calc.SanrenpukuOdds, calc.SanrenpukuPop);
    ConvertEntries<kSanrentan>(slots.o6, calc.SanrentanOdds, calc.SanrentanPop);
    calc.CombinationOdds = TRaceCalc::Combinations::Current;
}

// Reads `length` bytes at `offset` into each buffer in turn, through short reads; how many
// buffers were filled whole.
std::size_t ReadRecords(int fd, std::span<char* const> buffers, std::size_t length) {
    std::array<::iovec, kMaxRaces> iov;
    std::size_t done = 0, partial = 0;
    while (done < buffers.size()) {
        const std::size_t n = std::min(buffers.size() - done, iov.size());
        for (std::size_t i = 0; i < n; ++i) {
            const std::size_t skip = i == 0 ? partial : 0;
            iov[i] = {buffers[done + i] + skip, length - skip};
        }
        const ssize_t got = ::preadv(fd, iov.data(), static_cast<int>(n),
                                     static_cast<off_t>(done * length + partial));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        const std::size_t total = partial + static_cast<std::size_t>(got);
        done += total / length;
        partial = total % length;
    }
    return done;
}

} // namespace

void ConvertRaceOdds(const TJvRA& race, bool haveO1, const RaceOddsSlots& slots, TRaceCalc& calc) {
    ConvertWinPlaceOdds(race, haveO1, slots.o1, calc);
    ConvertCombinationOdds(slots, calc);
}

void ConvertPendingCombinationOdds(const RaceOddsSlots& slots, TRaceCalc& calc) {
    switch (calc.CombinationOdds) {
    case TRaceCalc::Combinations::Current: break;
    case TRaceCalc::Combinations::FromRecords: ConvertCombinationOdds(slots, calc); break;
    case TRaceCalc::Combinations::Cleared: calc.ZeroCombinationOdds(); break;
    }
}

void ReadRaceOdds(const TJvRA& race, const OddsDayFiles& files, OddsFileCache& cache,
                  RaceOddsSlots slots, TRaceCalc& calc, MissingOdds missing, std::uint8_t placed) {
    auto readKind = [&](std::size_t k, auto& slot) {
        if (placed & (1u << k)) return true; // read straight by the load: the file exists
        return ReadSlot(race, OddsKind(k), files.paths[k], cache, slot, missing);
    };
    const bool haveO1 = readKind(0, slots.o1);
    readKind(1, slots.o2);
    readKind(2, slots.o3);
    readKind(3, slots.o4);
    readKind(4, slots.o5);
    readKind(5, slots.o6);
    ConvertWinPlaceOdds(race, haveO1, slots.o1, calc);
    calc.CombinationOdds = TRaceCalc::Combinations::FromRecords;
}

std::size_t ReadOddsInRaceOrder(const std::filesystem::path& path, DayFileKind kind,
                                std::span<char* const> slots, std::span<const TJvRA> races) {
    const DayFileKindInfo& info = KindInfo(kind);
    const std::size_t recordLength = info.recordLength;
    std::size_t count = std::min({slots.size(), races.size(), std::size_t{kMaxRaces}});
    // Each race's key text as two words, compared as such: a load asks this of six files.
    std::array<std::uint64_t, 2 * kMaxRaces> keys;
    for (std::size_t i = 0; i < count; ++i) {
        static_assert(RecordHead::kRaceKey.width == 2 * sizeof(std::uint64_t));
        std::memcpy(&keys[2 * i], races[i].KeyText().data(), RecordHead::kRaceKey.width);
        bool repeated = false;
        for (std::size_t j = 0; j < i && !repeated; ++j)
            repeated = keys[2 * j] == keys[2 * i] && keys[2 * j + 1] == keys[2 * i + 1];
        if (races[i].RaceNumber() <= 0 || repeated) {
            count = i;
            break;
        }
    }
    if (count == 0 || recordLength == 0) return 0;
    const std::int64_t lookedAt = FileClockNow();
    const std::uint64_t writes = keiba::WriteCount(path);
    const int fd = keiba::OpenToRead(path.c_str());
    if (fd < 0) return 0;
    struct ::stat before {};
    struct ::stat after {};
    std::size_t filled = 0;
    if (::fstat(fd, &before) == 0 && S_ISREG(before.st_mode)) {
        const std::size_t records = static_cast<std::size_t>(before.st_size) / recordLength;
        filled = ReadRecords(fd, slots.first(std::min(count, records)), recordLength);
    }
    // The bytes read are the file as stamped only if nothing changed it while they were read (a
    // writer that puts a new file in its place leaves the open one as it was).
    const bool steady =
        filled > 0 && ::fstat(fd, &after) == 0 && StampOf(before, writes) == StampOf(after, writes);
    ::close(fd);
    const FileStamp stamp = StampOf(before, writes);
    CheckedFiles& checked = CheckedDayFiles();
    const std::string& native = path.native();
    const CheckedFiles::Verdict known =
        steady ? checked.Find(native, recordLength, stamp) : CheckedFiles::Verdict{};
    CheckedFiles::Verdict found = known;
    std::size_t placed = 0;
    for (; placed < filled; ++placed) {
        const std::string_view rec(slots[placed], recordLength);
        if (!NamesRace(info, rec, races[placed].Key())) break;
        if (placed < known.sound) continue;
        if (placed < known.checked) break; // found damaged before
        const bool sound = info.sound(rec);
        found = {placed + 1, sound ? placed + 1 : placed};
        if (!sound) break;
    }
    if (steady && found.checked > known.checked && Settled(stamp, lookedAt))
        checked.Keep(native, recordLength, stamp, found);
    return placed;
}

} // namespace jvdata
