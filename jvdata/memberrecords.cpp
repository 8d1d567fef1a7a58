#include "jvdata/memberrecords.h"

#include "jvdata/racecalc.h"
#include "jvdata/records.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace jvdata {
namespace {

// A rate of a run block: blanks, or a decimal number with blanks around it ("0.323", "12.5 ",
// "-0.8"): an optional minus, digits with at most one point among them. One pass, as every
// record of a file passes through it four times.
inline bool IsRate(std::string_view f) {
    std::size_t i = 0;
    const std::size_t n = f.size();
    while (i < n && f[i] == ' ') ++i;
    if (i == n) return true;
    if (f[i] == '-') ++i;
    unsigned digits = 0, points = 0;
    for (; i < n && f[i] != ' '; ++i) {
        if (f[i] == '.')
            ++points;
        else if (static_cast<unsigned>(f[i] - '0') <= 9)
            ++digits;
        else
            return false;
    }
    for (; i < n; ++i) // blanks after the number, and nothing else
        if (f[i] != ' ') return false;
    return digits > 0 && points <= 1;
}

// A signed whole number right-aligned in its field ("-12", " 15"), or blanks.
inline bool IsSignedTotal(std::string_view f) {
    std::size_t i = 0;
    const std::size_t n = f.size();
    while (i < n && f[i] == ' ') ++i;
    if (i == n) return true;
    if (f[i] == '-' || f[i] == '+') ++i;
    if (i == n) return false;
    for (; i < n; ++i)
        if (static_cast<unsigned>(f[i] - '0') > 9) return false;
    return true;
}

// What a byte is, as bits: each position of an analysis record may hold bytes of some of these
// classes, so that one table lookup a byte checks most of a record without a branch.
enum ByteClass : std::uint16_t {
    kDigit = 1 << 0,
    kBlank = 1 << 1,
    kLetter = 1 << 2, // A to Z
    kRank = 1 << 3,   // S, A to E
    kPoint = 1 << 4,
    kMinus = 1 << 5,
    kPlus = 1 << 6,
    kCr = 1 << 7,
    kLf = 1 << 8,
    kNoBreak = 1 << 9, // any byte but CR and LF
};

constexpr std::array<std::uint16_t, 256> MakeByteClasses() {
    std::array<std::uint16_t, 256> c{};
    for (unsigned b = 0; b < 256; ++b) {
        std::uint16_t v = b == '\r' ? kCr : b == '\n' ? kLf : kNoBreak;
        if (b >= '0' && b <= '9') v |= kDigit;
        if (b >= 'A' && b <= 'Z') v |= kLetter;
        if (b == 'S' || (b >= 'A' && b <= 'E')) v |= kRank;
        if (b == ' ') v |= kBlank;
        if (b == '.') v |= kPoint;
        if (b == '-') v |= kMinus;
        if (b == '+') v |= kPlus;
        c[b] = v;
    }
    return c;
}
constexpr std::array<std::uint16_t, 256> kByteClasses = MakeByteClasses();

// The classes each position of a record may hold, as IsSoundAnalysisRecord says. What the table
// cannot say (the values of the slot, the runner and the date, the shape of the rates and of the
// past total, the names as CP932 text) is checked after it. A position no field the program
// reads covers may hold anything but a line break, which no record of a day file holds before
// its own end.
constexpr std::array<std::uint16_t, kAnalysisLength> MakeRecordClasses() {
    using A = TAnalysisRecord;
    using Run = TAnalysisRun;
    using Past = TAnalysisPastRun;
    std::array<std::uint16_t, kAnalysisLength> c{};
    for (std::uint16_t& v : c) v = kNoBreak;
    auto set = [&](std::size_t pos, std::size_t width, std::uint16_t v) {
        for (std::size_t i = 0; i < width; ++i) c[pos - 1 + i] = v;
    };
    auto field = [&](FieldPos f, std::uint16_t v) { set(f.pos, f.width, v); };
    constexpr std::uint16_t kNumber = kDigit | kBlank;
    for (FieldPos f : {A::kRaceSlot, A::kHorseNo, A::kDate8, A::kRaceNo}) field(f, kDigit);
    field(A::kVenue, kDigit | kLetter); // races abroad have letters in their venue code
    for (FieldPos f :
         {A::kBracket, A::kWinPayout, A::kPlacePayout, A::kStatus, A::kRPlusCount, A::kRMinusCount})
        field(f, kNumber);
    set(A::kPastRunPos, 3 * A::kPastRunLength, kNumber);
    // A run abroad has letters in its venue code, as the race's own may.
    for (std::size_t k = 0; k < 3; ++k)
        set(A::kPastRunPos + k * A::kPastRunLength + Past::kVenue.pos - 1, Past::kVenue.width,
            kNumber | kLetter);
    for (std::size_t block : {A::kThisRunPos, A::kPreviousRunPos}) {
        auto run = [&](FieldPos f, std::uint16_t v) { set(block + f.pos - 1, f.width, v); };
        set(block, Run::kHiLvRate.pos - 1, kNumber);
        run(Run::kVenue, kNumber | kLetter);
        run(Run::kGrade, kBlank | kLetter);
        run(Run::kHiLvRate, kNumber | kPoint | kMinus);
        run(Run::kLoLvRate, kNumber | kPoint | kMinus);
        run(Run::kPedigreeRank, kBlank | kRank);
        run(Run::kJockeyRank, kBlank | kRank);
        run(Run::kFirstHighFlag, kNumber);
        run(Run::kPast5Total, kNumber | kMinus | kPlus);
    }
    c[kAnalysisLength - 2] = kCr | kBlank;
    c[kAnalysisLength - 1] = kLf | kBlank;
    return c;
}
constexpr std::array<std::uint16_t, kAnalysisLength> kRecordClasses = MakeRecordClasses();

// Whether every byte is of a class its position may hold: every byte looked up in the tables.
bool ClassesHold(std::string_view rec) {
    std::uint16_t bad = 0;
    for (std::size_t i = 0; i < kAnalysisLength; ++i)
        bad |= static_cast<std::uint16_t>(
            (kByteClasses[static_cast<unsigned char>(rec[i])] & kRecordClasses[i]) == 0);
    return bad == 0;
}

// The SSE2 path reads a record sixteen bytes a chunk: the chunks at 0, 16, .., 352, and one at
// 362 over the last sixteen bytes. The bytes a position may hold are, for every position of the
// layout, one or two ranges (a range may run on past 0xFF to 0x00: anything but a line break is
// 0x0E to 0x09 and 0x0B to 0x0C) and up to two bytes beside them (a past total's: digits, blank,
// '+' and '-'), so that each chunk is held to its positions by a few instructions, with no
// position looked up on its own; a chunk whose positions need no second range or no bytes
// beside their ranges is spared those.
constexpr std::size_t kChunks = (kAnalysisLength + 15) / 16;
constexpr std::size_t ChunkAt(std::size_t c) {
    return std::min(c * 16, kAnalysisLength - 16);
}

// The bytes of a position: from[k] to from[k] + span[k] (as bytes, wrapping) for the ranges k
// below `ranges`, and the `alsos` first of `also`; the places not needed repeat the first range.
struct PositionBytes {
    std::uint8_t from[2]{}, span[2]{}, also[2]{};
    std::size_t ranges = 0, alsos = 0;
    bool fits = false;
};
constexpr PositionBytes BytesOf(std::uint16_t classes) {
    auto allowed = [&](unsigned b) { return (kByteClasses[b] & classes) != 0; };
    // The runs of allowed bytes, one that ends at 0xFF joined to one that starts at 0x00 (its
    // `to` then below its `from`); the two longest become the ranges.
    struct Run {
        unsigned from = 0, to = 0;
        constexpr unsigned Span() const { return (to - from) & 0xFFu; }
    };
    Run runs[8]{};
    std::size_t n = 0;
    for (unsigned b = 0; b < 256; ++b) {
        if (!allowed(b)) continue;
        if (n > 0 && runs[n - 1].to + 1 == b) {
            runs[n - 1].to = b;
            continue;
        }
        if (n == 8) return {};
        runs[n++] = {b, b};
    }
    if (n == 0) return {};
    if (n > 1 && runs[0].from == 0 && runs[n - 1].to == 0xFF) {
        runs[0].from = runs[n - 1].from;
        --n;
    }
    for (std::size_t i = 0; i < n; ++i) // longest first
        for (std::size_t j = i + 1; j < n; ++j)
            if (runs[j].Span() > runs[i].Span()) std::swap(runs[i], runs[j]);
    PositionBytes p;
    p.ranges = std::min<std::size_t>(n, 2);
    for (std::size_t k = 0; k < 2; ++k) {
        const Run r = runs[k < n ? k : 0];
        p.from[k] = static_cast<std::uint8_t>(r.from);
        p.span[k] = static_cast<std::uint8_t>(r.Span());
    }
    // The bytes of the shorter runs, two at most.
    p.also[0] = p.also[1] = p.from[0];
    for (std::size_t k = 2; k < n; ++k)
        for (unsigned b = runs[k].from;; b = (b + 1) & 0xFFu) {
            if (p.alsos == 2) return {};
            p.also[p.alsos++] = static_cast<std::uint8_t>(b);
            if (b == runs[k].to) break;
        }
    p.fits = true;
    return p;
}

// Of each chunk, the rows of sixteen bytes the SSE2 path compares with, and which of them it
// needs.
struct ChunkBytes {
    alignas(16) std::uint8_t from0[16], span0[16], from1[16], span1[16], also0[16], also1[16];
    std::size_t at = 0; // ChunkAt
    std::size_t ranges = 1, alsos = 0;
};
constexpr std::array<ChunkBytes, kChunks> MakeChunkBytes() {
    std::array<ChunkBytes, kChunks> t{};
    for (std::size_t c = 0; c < kChunks; ++c) {
        t[c].at = ChunkAt(c);
        for (std::size_t b = 0; b < 16; ++b) {
            const PositionBytes p = BytesOf(kRecordClasses[ChunkAt(c) + b]);
            t[c].from0[b] = p.from[0];
            t[c].span0[b] = p.span[0];
            t[c].from1[b] = p.from[1];
            t[c].span1[b] = p.span[1];
            t[c].also0[b] = p.also[0];
            t[c].also1[b] = p.also[1];
            t[c].ranges = std::max(t[c].ranges, p.ranges);
            t[c].alsos = std::max(t[c].alsos, p.alsos);
        }
    }
    return t;
}
alignas(64) constexpr std::array<ChunkBytes, kChunks> kChunkBytes = MakeChunkBytes();
constexpr bool EveryPositionFits() {
    for (std::uint16_t classes : kRecordClasses)
        if (!BytesOf(classes).fits) return false;
    return true;
}
static_assert(EveryPositionFits(), "a position's bytes are more than two ranges and two bytes");

#if defined(__SSE2__)
inline __m128i Row(const std::uint8_t (&row)[16]) {
    return _mm_load_si128(reinterpret_cast<const __m128i*>(row));
}
// Where v - from, as an unsigned byte, is no more than span.
inline __m128i InRange(__m128i v, __m128i from, __m128i span) {
    const __m128i d = _mm_sub_epi8(v, from);
    return _mm_cmpeq_epi8(_mm_min_epu8(d, span), d);
}

// Chunk C held to its positions: `all` keeps the bytes that are of a class their position may
// hold.
template <std::size_t C> inline void HoldChunk(const char* rec, __m128i& all) {
    constexpr const ChunkBytes& t = kChunkBytes[C];
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rec + t.at));
    __m128i held = InRange(v, Row(t.from0), Row(t.span0));
    if constexpr (t.ranges > 1) held = _mm_or_si128(held, InRange(v, Row(t.from1), Row(t.span1)));
    if constexpr (t.alsos > 0) held = _mm_or_si128(held, _mm_cmpeq_epi8(v, Row(t.also0)));
    if constexpr (t.alsos > 1) held = _mm_or_si128(held, _mm_cmpeq_epi8(v, Row(t.also1)));
    all = _mm_and_si128(all, held);
}

// The same, sixteen bytes at a time.
bool ClassesHoldSse2(std::string_view rec) {
    __m128i all = _mm_set1_epi8(-1);
    [&]<std::size_t... C>(std::index_sequence<C...>) {
        (HoldChunk<C>(rec.data(), all), ...);
    }
    (std::make_index_sequence<kChunks>{});
    return _mm_movemask_epi8(all) == 0xFFFF;
}

// The rates and the past total of a run block, as IsRate and IsSignedTotal read them, from the
// sixteen bytes that start at its first rate: each a few bits of the masks of its blanks,
// digits, points and signs, bit i standing for byte i.
constexpr std::size_t kRunNumbersAt = TAnalysisRun::kHiLvRate.pos;
static_assert(TAnalysisRun::kLoLvRate.pos == kRunNumbersAt + 5 &&
              TAnalysisRun::kPast5Total.pos + TAnalysisRun::kPast5Total.width ==
                  kRunNumbersAt + 16);
// A rate of five bytes (bits 0..4): blanks, or one run of bytes, a minus first or not, then
// digits with at most one point among them.
constexpr bool RateShape(unsigned blank, unsigned digit, unsigned point, unsigned minus) {
    const unsigned held = ~blank & 0x1Fu;
    if (held == 0) return true;
    const unsigned first = held & (0u - held);
    const unsigned body = held & ~(minus & first);
    const unsigned points = point & 0x1Fu;
    return ((held + first) & held) == 0 && (body & ~(digit | point)) == 0 && (body & digit) != 0 &&
           (points & (points - 1)) == 0;
}
// A past total of three bytes (bits 0..2): blanks, or blanks, a sign or not, then digits to the
// end.
constexpr bool TotalShape(unsigned blank, unsigned digit, unsigned sign) {
    const unsigned held = ~blank & 0x7u;
    if (held == 0) return true;
    const unsigned first = held & (0u - held);
    const unsigned body = held & ~(sign & first);
    return held == (0x7u & ~(first - 1)) && body != 0 && (body & ~digit) == 0;
}
bool RunNumbersHoldSse2(const char* at) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    auto mask = [](__m128i m) { return static_cast<unsigned>(_mm_movemask_epi8(m)); };
    auto is = [&](char c) { return mask(_mm_cmpeq_epi8(v, _mm_set1_epi8(c))); };
    const unsigned blank = is(' '), point = is('.'), minus = is('-'), plus = is('+');
    const unsigned digit = mask(InRange(v, _mm_set1_epi8('0'), _mm_set1_epi8(9)));
    return RateShape(blank, digit, point, minus) &&
           RateShape(blank >> 5, digit >> 5, point >> 5, minus >> 5) &&
           TotalShape(blank >> 13, digit >> 13, (minus | plus) >> 13);
}
#endif

#if defined(__SSE2__)
constexpr CheckPath kAnalysisPaths[] = {CheckPath::Plain, CheckPath::Sse2};
#else
constexpr CheckPath kAnalysisPaths[] = {CheckPath::Plain};
#endif

// A two-digit field of digits (the table has seen them) as a number.
int TwoDigitValue(std::string_view f) {
    return (f[0] - '0') * 10 + (f[1] - '0');
}

// Whether a line of a race comment is text: CP932 characters, no control character but the tab
// (a comment may be laid out with tabs).
bool IsCommentText(std::string_view line) {
    for (std::size_t from = 0;;) {
        const std::size_t tab = line.find('\t', from);
        if (!IsCp932Text(line.substr(from, tab - from))) return false;
        if (tab == std::string_view::npos) return true;
        from = tab + 1;
    }
}

constexpr std::size_t kKey = RecordHead::kRaceKey.width;

} // namespace

// The comment lines of a race comments file: its lines split at CR LF alone, since a comment's
// lines are joined so; a lone CR or LF stays inside its line, where it is no text.
std::vector<std::string_view> SplitCrLfLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back(bytes.substr(start));
            break;
        }
        lines.push_back(bytes.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// Whether a line starts a comment: the race key and ',' and '"'.
bool StartsRaceComment(std::string_view line) {
    return line.size() >= kKey + 2 && line.substr(kKey, 2) == ",\"" &&
           IsRaceKey(line.substr(0, kKey));
}

bool IsSoundHandInputLine(std::string_view line) {
    if (line.size() != RumaLine::kLength ||
        !IsRaceKeyParts(Field(line, RumaLine::kDate), Field(line, RumaLine::kVenue), {}, {},
                        Field(line, RumaLine::kRaceNo)))
        return false;
    const char level = line[RumaLine::kLevel.pos - 1];
    if (level != ' ' && (level < '0' || level > '7')) return false;
    for (char c : line.substr(RumaLine::kFirstRunnerPos - 1))
        if (c != ' ' && (c < '0' || c > '2')) return false;
    return true;
}

bool IsSoundAnalysisRecord(std::string_view rec) {
    return IsSoundAnalysisRecordBy(rec, kAnalysisPaths[std::size(kAnalysisPaths) - 1]);
}

std::span<const CheckPath> AnalysisCheckPaths() {
    return kAnalysisPaths;
}

bool IsSoundAnalysisRecordBy(std::string_view rec, CheckPath path) {
    using A = TAnalysisRecord;
    using Run = TAnalysisRun;
    if (rec.size() != kAnalysisLength) return false;
#if defined(__SSE2__)
    const bool classes = path == CheckPath::Sse2 ? ClassesHoldSse2(rec) : ClassesHold(rec);
#else
    (void)path;
    const bool classes = ClassesHold(rec);
#endif
    if (!classes) return false;
    // The record is whole: its fields are taken without Field's bounds.
    auto at = [&](std::size_t pos, std::size_t width) { return rec.substr(pos - 1, width); };
    auto field = [&](FieldPos f) { return at(f.pos, f.width); };
    const std::string_view tail = at(kAnalysisLength - 1, 2);
    if (tail != "\r\n" && tail != "  ") return false;
    if (TwoDigitValue(field(A::kRaceSlot)) >= kMaxRaces ||
        TwoDigitValue(field(A::kHorseNo)) > kMaxRunners)
        return false;
    for (std::size_t block : {A::kThisRunPos, A::kPreviousRunPos}) {
#if defined(__SSE2__)
        if (path == CheckPath::Sse2) {
            if (!RunNumbersHoldSse2(rec.data() + block - 1 + kRunNumbersAt - 1)) return false;
            continue;
        }
#endif
        auto run = [&](FieldPos f) { return at(block + f.pos - 1, f.width); };
        if (!IsRate(run(Run::kHiLvRate)) || !IsRate(run(Run::kLoLvRate)) ||
            !IsSignedTotal(run(Run::kPast5Total)))
            return false;
    }
    return IsRaceKeyParts(field(A::kDate8), field(A::kVenue), {}, {}, field(A::kRaceNo)) &&
           IsCp932Text(field(A::kHorseName)) && IsCp932Text(field(A::kRakuGen));
}

bool IsSoundRaceComment(std::string_view comment) {
    if (comment.ends_with("\r\n")) comment.remove_suffix(2);
    const std::vector<std::string_view> lines = SplitCrLfLines(comment);
    if (lines.size() < 2 || lines.back() != "\"" || !StartsRaceComment(lines.front()) ||
        !IsCommentText(lines.front().substr(kKey + 2)))
        return false;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
        if (!IsCommentText(lines[i])) return false;
    return true;
}

} // namespace jvdata
