#include "raceday/analysis.h"

#include "jvdata/dayfiles.h"
#include "jvdata/recordcheck.h"
#include "keiba/codetables.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/markconv.h"
#include "keiba/sjis.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <bitset>
#include <cerrno>
#include <cstdint>
#include <map>
#include <optional>

namespace raceday {
namespace {

namespace fs = std::filesystem;

int Num(std::string_view field) {
    return static_cast<int>(keiba::DigitValue(field));
}

// A two-digit field that must be a number: both characters digits.
int StrictTwoDigits(std::string_view field) {
    if (field.size() != 2 || !jvdata::IsAsciiDigits(field)) return -1;
    return (field[0] - '0') * 10 + (field[1] - '0');
}

std::string RankOrE(std::string_view c) {
    return keiba::TrimBlanks(c).empty() ? std::string("E") : std::string(c);
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// Of two names of the same file in different case: the one spelled `exact` wins, then the
// first in byte order.
bool Prefer(const std::string& name, const std::string& other, std::string_view exact) {
    if ((name == exact) != (other == exact)) return name == exact;
    return name < other;
}

bool IsRegularFile(const fs::directory_entry& e) {
    std::error_code ec;
    return e.is_regular_file(ec);
}

} // namespace

std::optional<fs::path> FindMembersFile(const fs::path& folder, std::string_view prefix,
                                        std::string_view date8, std::string_view extension) {
    const std::string exact = std::string(prefix) + std::string(date8) + std::string(extension);
    std::error_code ec;
    if (fs::is_regular_file(folder / exact, ec)) return folder / exact;
    std::optional<std::string> best;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!SameIgnoringCase(name, exact) || !IsRegularFile(*it)) continue;
        if (!best || Prefer(name, *best, exact)) best = std::move(name);
    }
    if (!best) return std::nullopt;
    return folder / *best;
}

fs::path MembersFilePath(const fs::path& folder, std::string_view prefix, std::string_view date8,
                         std::string_view extension) {
    if (auto found = FindMembersFile(folder, prefix, date8, extension)) return *found;
    return folder / (std::string(prefix) + std::string(date8) + std::string(extension));
}

std::vector<VzkDay> ListVzkDays(const fs::path& folder, keiba::IoResult* listed) {
    constexpr std::string_view kPrefix = "XQ", kExtension = ".vzkd";
    constexpr std::size_t kLength = kPrefix.size() + 8 + kExtension.size();
    std::map<std::string, std::string> byDate; // date8 -> the chosen name
    keiba::FolderList list = keiba::ListFolder(folder);
    if (listed) *listed = std::move(list.list);
    if (!list.entries) return {};
    for (const fs::directory_entry& entry : *list.entries) {
        std::string name = entry.path().filename().string();
        if (name.size() != kLength) continue;
        std::string_view v = name;
        std::string_view date8 = v.substr(kPrefix.size(), 8);
        if (!SameIgnoringCase(v.substr(0, kPrefix.size()), kPrefix) ||
            !SameIgnoringCase(v.substr(kPrefix.size() + 8), kExtension) ||
            !jvdata::IsAsciiDigits(date8) || !IsRegularFile(entry))
            continue;
        const std::string exact =
            std::string(kPrefix) + std::string(date8) + std::string(kExtension);
        auto [at, added] = byDate.try_emplace(std::string(date8), name);
        if (!added && Prefer(name, at->second, exact)) at->second = name;
    }
    std::vector<VzkDay> days;
    days.reserve(byDate.size());
    for (auto& [date8, name] : byDate) days.push_back({date8, folder / name});
    return days;
}

std::optional<std::size_t> ReadAnalysisBytes(const fs::path& path,
                                             const std::function<char*(std::size_t)>& place) {
    int fd = keiba::OpenToRead(path.c_str());
    if (fd < 0) return std::nullopt;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    std::size_t used = 0;
    if (ok) {
        // The size stat gives is what is read: a file that grows meanwhile is read as it was.
        const auto size = static_cast<std::size_t>(st.st_size);
        char* to = nullptr;
        try {
            to = place(size);
        } catch (...) {
            ::close(fd);
            throw;
        }
        while (used < size) {
            ssize_t n = ::read(fd, to + used, size - used);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) ok = false;
            if (n <= 0) break;
            used += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    return used;
}

AnalysisFileRead ReadAnalysisFile(const fs::path& path, std::string& buffer) {
    // The buffer keeps its storage, so reading files of one size fills nothing twice.
    std::optional<std::size_t> read = ReadAnalysisBytes(path, [&](std::size_t size) {
        buffer.resize(size);
        return buffer.data();
    });
    buffer.resize(read.value_or(0));
    if (read) return {keiba::IoResult::Ok(), true};
    // The fast reader does not say why it read nothing; the common read tells a missing file
    // from one that cannot be read, and names the cause.
    keiba::FileRead file = keiba::ReadFileOrMissing(path);
    if (!file.bytes) return {std::move(file.read), false};
    buffer = std::move(*file.bytes);
    return {keiba::IoResult::Ok(), true};
}

bool IsSoundHandInputLine(std::string_view line) {
    if (line.size() != 31 || !jvdata::ParseYyyymmdd(line.substr(0, 8)) ||
        !jvdata::IsAsciiDigits(line.substr(8, RumaLine::kKeyLength - 8)))
        return false;
    const char level = line[RumaLine::kLevel.pos - 1];
    if (level != ' ' && (level < '0' || level > '7')) return false;
    for (char c : line.substr(RumaLine::kFirstRunnerPos - 1))
        if (c != ' ' && (c < '0' || c > '2')) return false;
    return true;
}

void ApplyHandInput(RaceDay& day, std::string_view rumaBytes) {
    for (std::string_view line : keiba::SplitLines(rumaBytes)) {
        if (!IsSoundHandInputLine(line)) continue;
        std::string_view key = line.substr(0, RumaLine::kKeyLength);
        for (std::size_t r = 0; r < kMaxRaces; ++r) {
            if (keiba::TrimBlanks(day.gDayRaces[r].Key().Year()).empty()) continue;
            if (day.gDayRaces[r].Key().Key12() != key) continue;
            TOutData2& t = day.gRaceTexts[r];
            t.RaceRLevelText = keiba::RLevelToText(Num(jvdata::Field(line, RumaLine::kLevel)));
            int f = FieldSize(day, static_cast<int>(r));
            for (int h = 0; h < f; ++h) {
                std::string_view c =
                    jvdata::Field(line, RumaLine::kFirstRunnerPos + static_cast<std::size_t>(h), 1);
                t.RUmaMark[static_cast<std::size_t>(h)] = c == "1" ? "R+" : c == "2" ? "R-" : "";
            }
            break;
        }
    }
}

void ApplyRaceComments(RaceDay& day, std::string_view csvBytes) {
    std::vector<std::string_view> lines = keiba::SplitLines(csvBytes);
    // The last comment of a race is the one kept, so the lines are read from the end and each
    // race's comment is gathered once: a damaged file of many unclosed comments, each running
    // on to the end of the file, costs one gathering per race rather than one per line.
    std::array<bool, kMaxRaces> done{};
    for (std::size_t i = lines.size() >= 2 ? lines.size() - 1 : 0; i-- > 0;) {
        std::size_t at = lines[i].find(",\"");
        constexpr std::size_t kKey = jvdata::RecordHead::kRaceKey.width;
        if (at == std::string_view::npos || lines[i].size() < kKey) continue;
        std::string_view key = lines[i].substr(0, kKey);
        std::size_t r = 0;
        while (r < kMaxRaces && day.gDayRaces[r].Key().Text() != key) ++r;
        if (r == kMaxRaces || done[r]) continue;
        std::string comment(lines[i].substr(at + 2));
        for (std::size_t j = i + 1; j < lines.size() && lines[j] != "\""; ++j) {
            comment += "\r\n";
            comment += lines[j];
        }
        if (comment.empty()) continue;
        day.gRaceTexts[r].RaceComment = std::move(comment);
        done[r] = true;
    }
}

int StoreAnalysisRecords(RaceDay& day, std::string_view bytes) {
    return StoreAnalysisRecords(day.gDayHorseAnalysis, bytes);
}

int StoreAnalysisRecords(AnalysisDay& table, std::string_view bytes) {
    int skipped = 0;
    std::size_t n = jvdata::RecordCount(bytes, jvdata::kAnalysisLength);
    for (std::size_t i = 0; i < n; ++i) {
        std::string_view rec = jvdata::RecordAt(bytes, jvdata::kAnalysisLength, i);
        int s = StrictTwoDigits(jvdata::Field(rec, jvdata::TAnalysisRecord::kRaceSlot));
        int horse = StrictTwoDigits(jvdata::Field(rec, jvdata::TAnalysisRecord::kHorseNo));
        if (horse == 0) continue; // no runner: not a record of a horse
        if (s < 0 || s >= kMaxRaces || horse < 1 || horse > kMaxRunners) {
            ++skipped;
            continue;
        }
        table[static_cast<std::size_t>(s)][static_cast<std::size_t>(horse - 1)].Assign(rec);
    }
    return skipped;
}

void DecodeAnalysis(RaceDay& day) {
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        int f = FieldSize(day, static_cast<int>(r));
        if (f <= 0) continue;
        TOutData2& t = day.gRaceTexts[r];
        const jvdata::TAnalysisRecord& first = day.gDayHorseAnalysis[r][0];
        int level = Num(first.ThisRun().RaceRLevel());
        if (level > 0) {
            t.RaceRLevelText = keiba::RLevelToText(level);
            t.RplsTou = std::string(first.RPlusCount());
            t.RmnsTou = std::string(first.RMinusCount());
        }
        for (std::size_t h = 0; h < static_cast<std::size_t>(f); ++h) {
            const jvdata::TAnalysisRecord& rec = day.gDayHorseAnalysis[r][h];
            jvdata::TAnalysisRun a = rec.ThisRun();
            t.YosoMark[h] = keiba::YosoMarkToText(Num(a.ForecastMark()));
            t.RUmaMark[h] = keiba::RUmaToText(Num(a.RCode()));
            t.RakuGenText[h] = std::string(keiba::TrimBlanks(rec.RakuGen()));
            for (std::size_t k = 0; k < kPastRunsRead; ++k) {
                jvdata::TAnalysisPastRun past = rec.PastRun(static_cast<int>(k));
                std::string_view date = past.Date8();
                if (date == day.gPastRunHorses[r][h][k].RaceDate()) {
                    t.PastDate[h][k] = std::string(date);
                    t.PastVenue[h][k] = keiba::JyoCodeToName(past.VenueCode(), 2);
                    t.PastRaceNo[h][k] = keiba::FormatIntBlankZero(past.RaceNo());
                    t.PastRLevel[h][k] = keiba::RLevelToText(Num(past.RLevel()));
                    t.PastRUma[h][k] = keiba::RUmaToText(Num(past.RCode()));
                } else {
                    t.PastDate[h][k].clear();
                    t.PastVenue[h][k].clear();
                    t.PastRaceNo[h][k].clear();
                    t.PastRLevel[h][k].clear();
                    t.PastRUma[h][k].clear();
                }
            }
            t.ZogenText[h] = keiba::ZogenToText(Num(a.TrendCode()));
            t.JoshoMark[h] = keiba::FlagToUpArrow(a.JoshoFlag());
            t.SenzaiMark[h] = keiba::FlagToStar(a.SenzaiFlag());
            t.LvZokuseiText[h] =
                std::string(keiba::CutBytes(keiba::LvZokuseiToText(a.LvAttributeCode()), 2));
            t.CourseMark[h] = keiba::FlagToMaru(a.CourseFlag());
            t.KyoriMark[h] = keiba::FlagToMaru(a.KyoriFlag());
            t.HiLvKosoMark[h] = keiba::FlagToMaru(a.HiLvKosoFlag());
            t.HiLvRate[h] = std::string(a.HiLvRate());
            t.LoLvRate[h] = std::string(a.LoLvRate());
            t.KeikenMark[h] = keiba::FlagToMaru(a.KeikenFlag());
            t.RJunText[h] = std::string(a.ROrder());
            t.KettoRank[h] = RankOrE(a.PedigreeRank());
            t.KishuRank[h] = RankOrE(a.JockeyRank());
            t.HatsuKoMark[h] = keiba::FlagToKiken(a.FirstHighFlag());
            t.Past5Total[h] = std::string(a.Past5Total());
        }
    }
}

namespace {

std::size_t RaceCount(const RaceDay& day) {
    return static_cast<std::size_t>(std::clamp(day.gDayRaceCount, 0, kMaxRaces));
}

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
    return i < f.size() && jvdata::IsAsciiDigits(f.substr(i));
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
// past total, the names as CP932 text) is checked after it.
constexpr std::array<std::uint16_t, jvdata::kAnalysisLength> MakeRecordClasses() {
    using A = jvdata::TAnalysisRecord;
    using Run = jvdata::TAnalysisRun;
    std::array<std::uint16_t, jvdata::kAnalysisLength> c{};
    for (std::uint16_t& v : c) v = kNoBreak;
    auto set = [&](std::size_t pos, std::size_t width, std::uint16_t v) {
        for (std::size_t i = 0; i < width; ++i) c[pos - 1 + i] = v;
    };
    auto field = [&](jvdata::FieldPos f, std::uint16_t v) { set(f.pos, f.width, v); };
    constexpr std::uint16_t kNumber = kDigit | kBlank;
    for (jvdata::FieldPos f : {A::kRaceSlot, A::kHorseNo, A::kDate8, A::kVenue, A::kRaceNo})
        field(f, kDigit);
    constexpr jvdata::FieldPos kMeetingAndDay{16, 4};
    for (jvdata::FieldPos f : {A::kBracket, kMeetingAndDay, A::kWinPayout, A::kPlacePayout,
                               A::kStatus, A::kRPlusCount, A::kRMinusCount})
        field(f, kNumber);
    set(A::kPastRunPos, 3 * A::kPastRunLength, kNumber);
    for (std::size_t block : {A::kThisRunPos, A::kPreviousRunPos}) {
        auto run = [&](jvdata::FieldPos f, std::uint16_t v) { set(block + f.pos - 1, f.width, v); };
        set(block, Run::kHiLvRate.pos - 1, kNumber);
        run(Run::kGrade, kBlank | kLetter);
        run(Run::kHiLvRate, kNumber | kPoint | kMinus);
        run(Run::kLoLvRate, kNumber | kPoint | kMinus);
        run(Run::kPedigreeRank, kBlank | kRank);
        run(Run::kJockeyRank, kBlank | kRank);
        run(Run::kFirstHighFlag, kNumber);
        run(Run::kPast5Total, kNumber | kMinus | kPlus);
    }
    c[jvdata::kAnalysisLength - 2] = kCr | kBlank;
    c[jvdata::kAnalysisLength - 1] = kLf | kBlank;
    return c;
}
constexpr std::array<std::uint16_t, jvdata::kAnalysisLength> kRecordClasses = MakeRecordClasses();

// The SSE2 path reads a record sixteen bytes a chunk: the chunks at 0, 16, .., 352, and one at
// 362 over the last sixteen bytes. Of each chunk, the bits of the positions that must hold a
// digit, a digit or a blank, and no line break (every position but the last two); the few
// positions of other classes are looked up one by one (kOddPositions).
constexpr std::size_t kChunks = (jvdata::kAnalysisLength + 15) / 16;
constexpr std::size_t ChunkAt(std::size_t c) {
    return std::min(c * 16, jvdata::kAnalysisLength - 16);
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
    for (std::size_t i = 0; i < jvdata::kAnalysisLength; ++i) n += IsOddPosition(i) ? 1 : 0;
    return n;
}
constexpr std::array<std::uint16_t, CountOddPositions()> MakeOddPositions() {
    std::array<std::uint16_t, CountOddPositions()> odd{};
    std::size_t n = 0;
    for (std::size_t i = 0; i < jvdata::kAnalysisLength; ++i)
        if (IsOddPosition(i)) odd[n++] = static_cast<std::uint16_t>(i);
    return odd;
}
constexpr auto kOddPositions = MakeOddPositions();

// Whether every byte is of a class its position may hold: every byte looked up in the tables.
bool ClassesHold(std::string_view rec) {
    std::uint16_t bad = 0;
    for (std::size_t i = 0; i < jvdata::kAnalysisLength; ++i)
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
    const std::string_view tail = rec.substr(jvdata::kAnalysisLength - 2);
    return bad == 0 && (tail == "\r\n" || tail == "  ");
}
#endif

#if defined(__SSE2__)
constexpr jvdata::CheckPath kAnalysisPaths[] = {jvdata::CheckPath::Plain, jvdata::CheckPath::Sse2};
#else
constexpr jvdata::CheckPath kAnalysisPaths[] = {jvdata::CheckPath::Plain};
#endif

// A two-digit field of digits (the table has seen them) as a number.
int TwoDigitValue(std::string_view f) {
    return (f[0] - '0') * 10 + (f[1] - '0');
}

// The comment lines of a race comments file: its lines split at CR LF alone, since a comment's
// lines are joined so; a lone CR or LF stays inside its line, where it is no text.
std::vector<std::string_view> CrLfLines(std::string_view bytes) {
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

// Whether a line of a race comment is text: CP932 characters, no control character but the tab
// (a comment may be laid out with tabs).
bool IsCommentText(std::string_view line) {
    for (std::size_t from = 0;;) {
        const std::size_t tab = line.find('\t', from);
        if (!jvdata::IsCp932Text(line.substr(from, tab - from))) return false;
        if (tab == std::string_view::npos) return true;
        from = tab + 1;
    }
}

constexpr std::size_t kKey = jvdata::RecordHead::kRaceKey.width;

// Whether a line starts a comment: the race key and ',' and '"'.
bool StartsComment(std::string_view line) {
    return line.size() >= kKey + 2 && line.substr(kKey, 2) == ",\"" &&
           jvdata::IsAsciiDigits(line.substr(0, kKey));
}

struct CheckedComments {
    std::string sound; // the sound comments, line by line as the file has them
    std::size_t lost = 0;
};

// The comments of a race comments file that are sound (IsSoundRaceComment) and of a race of the
// day: a line that starts one, its further lines, then a line of '"' alone. A comment not closed
// before the next one starts or the file ends, a comment that is not text or is keyed to no race
// of the day, and a line between comments that starts none are damage. The file gives the races
// in the order of the race file; a file of no bytes has lost every race.
CheckedComments CheckRaceComments(const RaceDay& day, std::string_view csv) {
    const std::size_t count = RaceCount(day);
    auto raceOf = [&](std::string_view line) -> int {
        for (std::size_t r = 0; r < count; ++r)
            if (day.gDayRaces[r].KeyText() == line.substr(0, kKey)) return static_cast<int>(r);
        return -1;
    };
    const std::vector<std::string_view> lines = CrLfLines(csv);
    LostRaces lost(count);
    if (csv.empty()) lost.Damaged();
    CheckedComments out;
    const DayFileKindInfo& kind = KindInfo(DayFileKind::Comments);
    for (std::size_t i = 0; i < lines.size();) {
        if (!StartsComment(lines[i])) {
            if (lines[i].find_first_not_of(' ') != std::string_view::npos) lost.Damaged();
            ++i;
            continue;
        }
        const int race = raceOf(lines[i]);
        // The closing line, or the start of the next comment or the end of the file.
        std::size_t end = i + 1;
        while (end < lines.size() && lines[end] != "\"" && !StartsComment(lines[end])) ++end;
        const bool closed = end < lines.size() && lines[end] == "\"";
        const std::size_t last = closed ? end : end - 1;
        const char* from = lines[i].data();
        const std::string_view comment(from, static_cast<std::size_t>(lines[last].data() - from) +
                                                 lines[last].size());
        if (closed && race >= 0 && kind.sound(comment)) {
            lost.Sound(static_cast<std::size_t>(race));
            (out.sound += comment) += "\r\n";
        } else if (race >= 0) {
            lost.Damaged(static_cast<std::size_t>(race));
        } else {
            lost.Damaged();
        }
        if (!closed && end == lines.size()) lost.Damaged(); // a cut: what came after is gone
        i = closed ? end + 1 : end;
    }
    out.lost = lost.Count();
    return out;
}

// The day's race of each date, venue and race number ("yyyymmddvvrr"), for the analysis records.
int RaceSlotOf(const RaceDay& day, std::string_view key12) {
    for (std::size_t r = 0; r < RaceCount(day); ++r)
        if (day.gDayRaces[r].Key().Key12() == key12) return static_cast<int>(r);
    return -1;
}

// The races the hand input lost. A file that shows damage (a line that is no sound line of a race
// of the day, or no bytes at all) has lost every race of the day it holds no sound line of; a
// file without damage may lack races never entered.
std::size_t LostHandInput(const RaceDay& day, std::string_view bytes) {
    std::bitset<kMaxRaces> held;
    bool damaged = bytes.empty();
    for (std::string_view line : keiba::SplitLines(bytes)) {
        if (line.empty()) continue;
        const int r =
            IsSoundHandInputLine(line) ? RaceSlotOf(day, line.substr(0, RumaLine::kKeyLength)) : -1;
        if (r < 0)
            damaged = true;
        else
            held.set(static_cast<std::size_t>(r));
    }
    return damaged ? RaceCount(day) - held.count() : 0;
}

} // namespace

bool IsSoundAnalysisRecord(std::string_view rec) {
    return IsSoundAnalysisRecordBy(rec, kAnalysisPaths[std::size(kAnalysisPaths) - 1]);
}

std::span<const jvdata::CheckPath> AnalysisCheckPaths() {
    return kAnalysisPaths;
}

bool IsSoundAnalysisRecordBy(std::string_view rec, jvdata::CheckPath path) {
    using A = jvdata::TAnalysisRecord;
    using Run = jvdata::TAnalysisRun;
    if (rec.size() != jvdata::kAnalysisLength) return false;
#if defined(__SSE2__)
    const bool classes = path == jvdata::CheckPath::Sse2 ? ClassesHoldSse2(rec) : ClassesHold(rec);
#else
    (void)path;
    const bool classes = ClassesHold(rec);
#endif
    if (!classes) return false;
    const std::string_view tail = rec.substr(rec.size() - 2);
    if (tail != "\r\n" && tail != "  ") return false;
    if (TwoDigitValue(jvdata::Field(rec, A::kRaceSlot)) >= kMaxRaces ||
        TwoDigitValue(jvdata::Field(rec, A::kHorseNo)) > kMaxRunners ||
        !jvdata::ParseYyyymmdd(jvdata::Field(rec, A::kDate8)) ||
        !jvdata::IsCp932Text(jvdata::Field(rec, A::kHorseName)) ||
        !jvdata::IsCp932Text(jvdata::Field(rec, A::kRakuGen)))
        return false;
    for (std::size_t block : {A::kThisRunPos, A::kPreviousRunPos}) {
        const std::string_view b = jvdata::Field(rec, block, jvdata::kAnalysisRunLength);
        if (!IsRate(jvdata::Field(b, Run::kHiLvRate)) ||
            !IsRate(jvdata::Field(b, Run::kLoLvRate)) ||
            !IsSignedTotal(jvdata::Field(b, Run::kPast5Total)))
            return false;
    }
    return true;
}

AnalysisRecords ReadAnalysisRecords(std::string_view bytes, std::string_view date8) {
    constexpr std::size_t kLength = jvdata::kAnalysisLength;
    constexpr std::size_t kDateAt = jvdata::TAnalysisRecord::kDate8.pos - 1;
    auto soundAt = [&](std::size_t at) {
        return at + kLength <= bytes.size() && bytes.substr(at + kDateAt, date8.size()) == date8 &&
               IsSoundAnalysisRecord(bytes.substr(at, kLength));
    };
    AnalysisRecords out;
    if (date8.size() != jvdata::TAnalysisRecord::kDate8.width) return out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (soundAt(at)) {
            out.records.push_back(bytes.substr(at, kLength));
            at += kLength;
            continue;
        }
        // Damage: the next record starts where a sound one of the day does, found by its date.
        std::size_t next = bytes.size();
        for (std::size_t d = bytes.find(date8, at + 1 + kDateAt); d != std::string_view::npos;
             d = bytes.find(date8, d + 1)) {
            if (soundAt(d - kDateAt)) {
                next = d - kDateAt;
                break;
            }
        }
        out.lost += std::max<std::size_t>(1, (next - at + kLength / 2) / kLength);
        at = next;
    }
    return out;
}

bool IsSoundRaceComment(std::string_view comment) {
    if (comment.ends_with("\r\n")) comment.remove_suffix(2);
    const std::vector<std::string_view> lines = CrLfLines(comment);
    if (lines.size() < 2 || lines.back() != "\"" || !StartsComment(lines.front()) ||
        !jvdata::ParseYyyymmdd(lines.front().substr(0, 8)) ||
        !IsCommentText(lines.front().substr(kKey + 2)))
        return false;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
        if (!IsCommentText(lines[i])) return false;
    return true;
}

void LoadMembersData(RaceDay& day, std::string_view date8, DayReport& report) {
    keiba::FileRead ruma = keiba::ReadFileOrMissing(day.rumaFileName);
    report.Unreadable(ruma.read);
    if (ruma.bytes) {
        ApplyHandInput(day, *ruma.bytes);
        report.Lost(DayFileKind::HandInput, day.rumaFileName, LostHandInput(day, *ruma.bytes));
    }
    keiba::FileRead rcom = keiba::ReadFileOrMissing(day.gVzkRcomCsvName);
    report.Unreadable(rcom.read);
    if (const std::optional<std::string>& csv = rcom.bytes) {
        const CheckedComments comments = CheckRaceComments(day, *csv);
        ApplyRaceComments(day, comments.sound);
        report.Lost(DayFileKind::Comments, day.gVzkRcomCsvName, comments.lost);
    }
    std::string xq;
    const AnalysisFileRead read = ReadAnalysisFile(day.gVzkXqFileName, xq);
    report.Unreadable(read.read);
    if (!read) return;
    // In file order, so that a later record for the same runner still replaces an earlier one.
    for (std::string_view rec : ReadAnalysisRecords(xq, date8).records) {
        using A = jvdata::TAnalysisRecord;
        const int horse = StrictTwoDigits(jvdata::Field(rec, A::kHorseNo));
        const int r =
            RaceSlotOf(day, std::string(date8) + std::string(jvdata::Field(rec, A::kVenue)) +
                                std::string(jvdata::Field(rec, A::kRaceNo)));
        if (horse < 1 || r < 0) continue; // no runner, or a race the day has not
        day.gDayHorseAnalysis[static_cast<std::size_t>(r)][static_cast<std::size_t>(horse - 1)]
            .Assign(rec);
    }
    DecodeAnalysis(day);
    std::size_t lost = 0;
    for (std::size_t r = 0; r < kMaxRaces; ++r)
        for (std::size_t h = 0; h < static_cast<std::size_t>(FieldSize(day, static_cast<int>(r)));
             ++h)
            if (day.gDayHorseAnalysis[r][h].IsBlank()) ++lost;
    report.Lost(DayFileKind::Analysis, day.gVzkXqFileName, lost);
}

} // namespace raceday
