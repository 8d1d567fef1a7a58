#include "jvdata/memberrecords.h"

#include "jvdata/racecalc.h"
#include "jvdata/records.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <array>
#include <cstdint>

namespace jvdata {
namespace {

// A rate of a run block: blanks, or a decimal number with blanks around it ("0.323", "12.5 ",
// "-0.8"): an optional minus, digits with at most one point among them.
bool IsRate(std::string_view f) {
    const std::size_t b = f.find_first_not_of(' ');
    if (b == std::string_view::npos) return true;
    const std::string_view t = f.substr(b, f.find_last_not_of(' ') + 1 - b);
    std::size_t i = t.front() == '-' ? 1 : 0, digits = 0, points = 0;
    for (; i < t.size(); ++i) {
        if (t[i] == '.')
            ++points;
        else if (t[i] >= '0' && t[i] <= '9')
            ++digits;
        else
            return false;
    }
    return digits > 0 && points <= 1;
}

// A signed whole number right-aligned in its field ("-12", " 15"), or blanks.
bool IsSignedTotal(std::string_view f) {
    std::size_t i = f.find_first_not_of(' ');
    if (i == std::string_view::npos) return true;
    if (f[i] == '-' || f[i] == '+') ++i;
    return i < f.size() && IsAsciiDigits(f.substr(i));
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

// The SSE2 path reads a record sixteen bytes a chunk: the chunks at 0, 16, .., 352, and one at
// 362 over the last sixteen bytes. Of each chunk, the bits of the positions that must hold a
// digit, a digit or a blank, and no line break (every position but the last two); the few
// positions of other classes are looked up one by one (kOddPositions).
constexpr std::size_t kChunks = (kAnalysisLength + 15) / 16;
constexpr std::size_t ChunkAt(std::size_t c) {
    return std::min(c * 16, kAnalysisLength - 16);
}
struct ChunkMasks {
    std::uint16_t digit = 0, number = 0, noBreak = 0;
};
constexpr std::array<ChunkMasks, kChunks> MakeChunkMasks() {
    std::array<ChunkMasks, kChunks> m{};
    for (std::size_t c = 0; c < kChunks; ++c)
        for (std::size_t b = 0; b < 16; ++b) {
            const std::uint16_t classes = kRecordClasses[ChunkAt(c) + b];
            const auto bit = static_cast<std::uint16_t>(1u << b);
            if (classes == kDigit) m[c].digit |= bit;
            if (classes == (kDigit | kBlank)) m[c].number |= bit;
            if ((classes & (kCr | kLf)) == 0) m[c].noBreak |= bit;
        }
    return m;
}
constexpr std::array<ChunkMasks, kChunks> kChunkMasks = MakeChunkMasks();

constexpr bool IsOddPosition(std::size_t i) {
    const std::uint16_t c = kRecordClasses[i];
    return c != kDigit && c != (kDigit | kBlank) && c != kNoBreak && (c & (kCr | kLf)) == 0;
}
constexpr std::size_t CountOddPositions() {
    std::size_t n = 0;
    for (std::size_t i = 0; i < kAnalysisLength; ++i) n += IsOddPosition(i) ? 1 : 0;
    return n;
}
constexpr std::array<std::uint16_t, CountOddPositions()> MakeOddPositions() {
    std::array<std::uint16_t, CountOddPositions()> odd{};
    std::size_t n = 0;
    for (std::size_t i = 0; i < kAnalysisLength; ++i)
        if (IsOddPosition(i)) odd[n++] = static_cast<std::uint16_t>(i);
    return odd;
}
constexpr auto kOddPositions = MakeOddPositions();

// Whether every byte is of a class its position may hold: every byte looked up in the tables.
bool ClassesHold(std::string_view rec) {
    std::uint16_t bad = 0;
    for (std::size_t i = 0; i < kAnalysisLength; ++i)
        bad |= static_cast<std::uint16_t>(
            (kByteClasses[static_cast<unsigned char>(rec[i])] & kRecordClasses[i]) == 0);
    return bad == 0;
}

#if defined(__SSE2__)
// The same, sixteen bytes at a time: the digits, blanks and line breaks of a chunk found by
// comparing, then held to the chunk's masks.
bool ClassesHoldSse2(std::string_view rec) {
    const __m128i zero = _mm_set1_epi8('0'), nine = _mm_set1_epi8(9), blank = _mm_set1_epi8(' '),
                  cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    unsigned bad = 0;
    for (std::size_t c = 0; c < kChunks; ++c) {
        const __m128i v =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(rec.data() + ChunkAt(c)));
        const __m128i d = _mm_sub_epi8(v, zero);
        const auto digit = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(d, nine), d))); // '0'..'9'
        const auto number =
            digit | static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, blank)));
        const auto lineBreak = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf))));
        const ChunkMasks& m = kChunkMasks[c];
        bad |= (~digit & m.digit) | (~number & m.number) | (lineBreak & m.noBreak);
    }
    for (std::uint16_t i : kOddPositions)
        bad |= (kByteClasses[static_cast<unsigned char>(rec[i])] & kRecordClasses[i]) == 0;
    const std::string_view tail = rec.substr(kAnalysisLength - 2);
    return bad == 0 && (tail == "\r\n" || tail == "  ");
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
    const std::string_view tail = rec.substr(rec.size() - 2);
    if (tail != "\r\n" && tail != "  ") return false;
    if (TwoDigitValue(Field(rec, A::kRaceSlot)) >= kMaxRaces ||
        TwoDigitValue(Field(rec, A::kHorseNo)) > kMaxRunners ||
        !IsRaceKeyParts(Field(rec, A::kDate8), Field(rec, A::kVenue), {}, {},
                        Field(rec, A::kRaceNo)) ||
        !IsCp932Text(Field(rec, A::kHorseName)) || !IsCp932Text(Field(rec, A::kRakuGen)))
        return false;
    for (std::size_t block : {A::kThisRunPos, A::kPreviousRunPos}) {
        const std::string_view b = Field(rec, block, kAnalysisRunLength);
        if (!IsRate(Field(b, Run::kHiLvRate)) || !IsRate(Field(b, Run::kLoLvRate)) ||
            !IsSignedTotal(Field(b, Run::kPast5Total)))
            return false;
    }
    return true;
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
