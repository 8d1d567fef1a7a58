#include "jvdata/recordcheck.h"

#include "jvdata/dayfiles.h"
#include "jvdata/records.h"
#include "keiba/sjis.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <array>
#include <bitset>
#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace jvdata {
namespace {

bool NoLineBreak(std::string_view s) {
    return !std::memchr(s.data(), '\r', s.size()) && !std::memchr(s.data(), '\n', s.size());
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool DigitsOrBlanks(std::string_view s) {
    for (char c : s)
        if (!IsDigit(c) && c != ' ') return false;
    return true;
}

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool LettersDigitsOrBlanks(std::string_view s) {
    for (char c : s)
        if (!(c >= '0' && c <= '9') && !IsLetter(c) && c != ' ') return false;
    return true;
}

bool LettersOrBlanks(std::string_view s) {
    for (char c : s)
        if (!IsLetter(c) && c != ' ') return false;
    return true;
}

bool IsOddsByte(char c) {
    return (c >= '0' && c <= '9') || c == ' ' || c == '-' || c == '*';
}

// Every byte a digit, a blank, '-' or '*': the bytes of an odds record's entries. The odds files
// of a full day are some megabytes, and 16 bytes at a time take a first load's odds step from
// about 2.3 ms to 0.4 ms; 32 at a time (AVX2) saved another 0.1 ms of a load of 8 ms, too little
// for a path of its own that only some processors would run.
bool AllOddsBytes(std::string_view s, CheckPath path) {
    std::size_t i = 0;
#if defined(__SSE2__)
    if (path == CheckPath::Sse2) {
        const __m128i zero = _mm_set1_epi8('0'), nine = _mm_set1_epi8(9);
        const __m128i blank = _mm_set1_epi8(' '), dash = _mm_set1_epi8('-'),
                      star = _mm_set1_epi8('*');
        auto ok = [&](std::size_t at) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + at));
            const __m128i d = _mm_sub_epi8(v, zero);
            const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(d, nine), d); // '0'..'9'
            return _mm_or_si128(digit, _mm_or_si128(_mm_cmpeq_epi8(v, blank),
                                                    _mm_or_si128(_mm_cmpeq_epi8(v, dash),
                                                                 _mm_cmpeq_epi8(v, star))));
        };
        // Four blocks a test: the odds of a full day are megabytes, nearly all sound.
        for (; i + 64 <= s.size(); i += 64) {
            const __m128i all = _mm_and_si128(_mm_and_si128(ok(i), ok(i + 16)),
                                              _mm_and_si128(ok(i + 32), ok(i + 48)));
            if (_mm_movemask_epi8(all) != 0xFFFF) return false;
        }
        for (; i + 16 <= s.size(); i += 16)
            if (_mm_movemask_epi8(ok(i)) != 0xFFFF) return false;
    }
#else
    (void)path;
#endif
    for (; i < s.size(); ++i)
        if (!IsOddsByte(s[i])) return false;
    return true;
}

// Which bytes and double-byte characters CP932 converts, asked of the converter once: all of
// them in one text, each on a line of its own, so a line holding the replacement character is a
// code CP932 lacks. The converter skips one byte of a code it cannot convert, and no code takes a
// line break for its second byte, so the lines stay one for each code.
class Cp932Codes {
public:
    Cp932Codes() {
        std::string text;
        std::vector<std::uint16_t> codes;
        for (unsigned c = 0x80; c <= 0xFF; ++c) {
            if (keiba::IsSjisLeadByte(static_cast<unsigned char>(c))) continue;
            codes.push_back(static_cast<std::uint16_t>(c));
            text += static_cast<char>(c);
            text += '\n';
        }
        for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
            if (!keiba::IsSjisLeadByte(static_cast<unsigned char>(lead))) continue;
            for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F) continue;
                codes.push_back(static_cast<std::uint16_t>(lead << 8 | trail));
                text += static_cast<char>(lead);
                text += static_cast<char>(trail);
                text += '\n';
            }
        }
        const std::string utf8 = keiba::Cp932ToUtf8(text);
        std::size_t at = 0;
        for (std::uint16_t code : codes) {
            const std::size_t end = utf8.find('\n', at);
            if (end == std::string::npos) break;
            if (std::string_view(utf8).substr(at, end - at).find("\xEF\xBF\xBD") ==
                std::string_view::npos)
                known_.set(code);
            at = end + 1;
        }
        for (unsigned c = 0x20; c < 0x7F; ++c) known_.set(c);
    }
    bool Single(unsigned char c) const { return known_.test(c); }
    bool Double(unsigned char lead, unsigned char trail) const {
        return known_.test(static_cast<std::size_t>(lead) << 8 | trail);
    }

private:
    std::bitset<65536> known_;
};

const Cp932Codes& Codes() {
    static const Cp932Codes codes;
    return codes;
}

bool TextFields(std::string_view r, std::initializer_list<FieldPos> fields) {
    for (FieldPos f : fields)
        if (!IsCp932Text(Field(r, f))) return false;
    return true;
}

bool NumberFields(std::string_view r, std::initializer_list<FieldPos> fields) {
    for (FieldPos f : fields)
        if (!DigitsOrBlanks(Field(r, f))) return false;
    return true;
}

// The data kinds a record of each id is delivered with ("0" is also what the filing writes over
// it in the day and race-history files). The day load, the fetch timers and the printed sheets
// read this byte.
std::string_view DataKindsOf(std::string_view id) {
    if (id == TJvRA::kId || id == TJvSE::kId) return "012345679AB"; // A, B: races not of JRA
    if (id == TJvHR::kId) return "0129";
    if (id == TJvUM::kId) return "012349";
    return "0123459"; // odds
}

bool SoundDataKind(std::string_view piece, std::string_view id) {
    return piece.size() > 2 && DataKindsOf(id).find(piece[2]) != std::string_view::npos;
}

// Length, id, data kind and CR LF, and no line break before it.
bool SoundFrame(std::string_view piece, std::string_view id, std::size_t length) {
    return piece.size() == length && piece.substr(0, 2) == id && SoundDataKind(piece, id) &&
           piece.ends_with("\r\n") && NoLineBreak(piece.substr(0, length - 2));
}

// The frame of the records of a race, whose key follows the one rule of a race key. The line
// break check is left to the caller, which may look at the entries in one pass.
bool SoundHead(std::string_view piece, std::string_view id, std::size_t length) {
    return piece.size() == length && piece.substr(0, 2) == id && SoundDataKind(piece, id) &&
           piece.ends_with("\r\n") && RaceKey::Of(piece).IsWellFormed();
}

// A sign ("+", "-" or a blank) and seconds and tenths in three digits; the marks of no time
// ("9999", "0000") keep a digit in the sign's place.
bool IsTimeDifference(std::string_view s) {
    return s.size() == 4 && (s[0] == '+' || s[0] == '-' || s[0] == ' ' || IsDigit(s[0])) &&
           DigitsOrBlanks(s.substr(1));
}

bool SoundRace(std::string_view r) {
    using R = TJvRA;
    if (!SoundFrame(r, R::kId, kRaLength)) return false;
    if (!RaceKey::Of(r).IsWellFormed()) return false;
    return NumberFields(r, {R::kWeekday, R::kEdition, R::kRaceType, R::kWeightRule,
                            FieldPos{R::kConditionPos, 15}, R::kDistance, R::kTrack,
                            FieldPos{R::kPrizePos, 7 * 8}, FieldPos{R::kAddedPrizePos, 5 * 8},
                            R::kPostTime, R::kRunnerCount, R::kFinisherCount, R::kWeather,
                            R::kTurfGoing, R::kDirtGoing}) &&
           LettersOrBlanks(Field(r, R::kGrade)) && LettersOrBlanks(Field(r, R::kCourseDivision)) &&
           LettersDigitsOrBlanks(Field(r, R::kRaceSymbol)) &&
           TextFields(r, {R::kRaceName, R::kShortName10, R::kShortName6, R::kShortName3});
}

bool SoundRunner(std::string_view r) {
    using S = TJvSE;
    if (!SoundHead(r, S::kId, kSeLength) || !NoLineBreak(r.substr(0, kSeLength - 2))) return false;
    if (!NumberFields(
            r, {S::kBracket,       S::kHorseNo,       S::kSex,           S::kAge,
                S::kAffiliation,   S::kTrainerCode,   S::kWeightCarried, S::kBlinkers,
                S::kJockeyCode,    S::kApprentice,    S::kBodyWeight,    S::kAbnormality,
                S::kArrivalOrder,  S::kFinalPosition, S::kFinishTime,    FieldPos{S::kCornerPos, 8},
                S::kWinPopularity, S::kPrizeWon,      S::kAddedPrizeWon, S::kLast3F,
                S::kRunningStyle}))
        return false;
    if (!LettersDigitsOrBlanks(Field(r, S::kPedigreeId)) ||
        !IsTimeDifference(Field(r, S::kTimeDifference)))
        return false;
    for (char c : Field(r, S::kWinOdds))
        if (!IsOddsByte(c)) return false;
    return TextFields(r, {S::kHorseName, S::kTrainerName, S::kJockeyName, S::kOpponentName});
}

bool SoundMaster(std::string_view r) {
    using U = TJvUM;
    if (!SoundFrame(r, U::kId, kUmLength) || !IsPedigreeId(Field(r, U::kPedigreeId)) ||
        !DigitsOrBlanks(Field(r, U::kCoat)) ||
        !DigitsOrBlanks(Field(r, U::kPrizeTotalPos, 6 * 9)) ||
        !IsCp932Text(Field(r, U::kHorseName)))
        return false;
    // The names of the pedigree that are shown.
    for (int i : {U::kSire, U::kDam, U::kDamsSire}) {
        const std::size_t at = U::kPedigreePos + U::kPedigreeEntry * static_cast<std::size_t>(i);
        if (!IsCp932Text(Field(r, at + 10, 36))) return false;
    }
    return true;
}

bool SoundPayouts(std::string_view r) {
    if (!SoundHead(r, TJvHR::kId, kHrLength) || !NoLineBreak(r.substr(0, kHrLength - 2)))
        return false;
    for (BetType t : {BetType::Win, BetType::Place, BetType::BracketQuinella, BetType::Quinella,
                      BetType::Wide, BetType::Exacta, BetType::Trio, BetType::Trifecta}) {
        const PayoutGroup& g = PayoutGroupOf(t);
        if (!DigitsOrBlanks(Field(r, g.firstPos, g.entries * g.entryWidth))) return false;
    }
    return true;
}

// Every entry, from the first to the last, is numbers or markers.
bool SoundOdds(std::string_view r, std::string_view id, std::size_t length, const OddsLayout& first,
               const OddsLayout& last, CheckPath path) {
    // The announcement's month, day, hour and minute are read by the race header and the fetch
    // timers.
    if (!SoundHead(r, id, length) || !DigitsOrBlanks(Field(r, TJvO1::kAnnounceTime))) return false;
    const std::size_t from = first.firstPos - 1;
    const std::size_t end = last.firstPos - 1 + last.entries * last.entryWidth;
    return AllOddsBytes(r.substr(from, end - from), path) && NoLineBreak(r.substr(0, from)) &&
           NoLineBreak(r.substr(end, length - 2 - end));
}

#if defined(__SSE2__)
constexpr CheckPath kPaths[] = {CheckPath::Plain, CheckPath::Sse2};
#else
constexpr CheckPath kPaths[] = {CheckPath::Plain};
#endif

} // namespace

bool IsCp932Text(std::string_view text) {
    const Cp932Codes& codes = Codes();
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Eight bytes of blanks and letters at a time: names are padded with blanks.
        while (i + 8 <= text.size()) {
            std::uint64_t x;
            std::memcpy(&x, text.data() + i, 8);
            constexpr std::uint64_t kOnes = 0x0101010101010101u, kHigh = 0x8080808080808080u;
            // A byte under 0x20, 0x7F, or one with its high bit set, in any of the eight.
            const std::uint64_t low = (x - 0x20 * kOnes) & ~x,
                                del = ((x ^ 0x7F * kOnes) - kOnes) & ~(x ^ 0x7F * kOnes);
            if (((low | del | x) & kHigh) != 0) break;
            i += 8;
        }
        if (i == text.size()) break;
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F) continue;
        if (keiba::IsSjisLeadByte(c)) {
            if (i + 1 == text.size() || !codes.Double(c, static_cast<unsigned char>(text[i + 1])))
                return false;
            ++i;
        } else if (!codes.Single(c)) {
            return false;
        }
    }
    return true;
}

std::span<const CheckPath> CheckPaths() {
    return kPaths;
}

bool IsSoundRecordBy(std::string_view piece, std::string_view id, CheckPath path) {
    if (id == TJvSE::kId) return SoundRunner(piece);
    if (id == TJvRA::kId) return SoundRace(piece);
    if (id == TJvHR::kId) return SoundPayouts(piece);
    if (id == TJvUM::kId) return SoundMaster(piece);
    if (id == TJvO1::kId) return SoundOdds(piece, id, kO1Length, TJvO1::kWin, TJvO1::kPlace, path);
    if (id == TJvO2::kId)
        return SoundOdds(piece, id, kO2Length, TJvO2::kEntries, TJvO2::kEntries, path);
    if (id == TJvO3::kId)
        return SoundOdds(piece, id, kO3Length, TJvO3::kEntries, TJvO3::kEntries, path);
    if (id == TJvO4::kId)
        return SoundOdds(piece, id, kO4Length, TJvO4::kEntries, TJvO4::kEntries, path);
    if (id == TJvO5::kId)
        return SoundOdds(piece, id, kO5Length, TJvO5::kEntries, TJvO5::kEntries, path);
    if (id == TJvO6::kId)
        return SoundOdds(piece, id, kO6Length, TJvO6::kEntries, TJvO6::kEntries, path);
    return false;
}

bool IsSoundRecord(std::string_view piece, std::string_view id) {
    return IsSoundRecordBy(piece, id, kPaths[std::size(kPaths) - 1]);
}

void SplitRecordLines(std::string_view file, std::size_t length,
                      std::vector<std::string_view>& lines) {
    lines.clear();
    std::size_t start = 0;
    while (start < file.size()) {
        const void* lf = std::memchr(file.data() + start, '\n', file.size() - start);
        std::size_t end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - file.data())
                             : file.size() - 1;
        // A lone LF (no CR before it) ends no line: it is damage inside one.
        while (lf && (end == start || file[end - 1] != '\r')) {
            lf = std::memchr(file.data() + end + 1, '\n', file.size() - end - 1);
            end = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - file.data())
                     : file.size() - 1;
        }
        const std::string_view line = file.substr(start, end + 1 - start);
        if (length >= 2 && line.size() > length && line.ends_with("\r\n")) {
            lines.push_back(line.substr(0, line.size() - length));
            lines.push_back(line.substr(line.size() - length));
        } else {
            lines.push_back(line);
        }
        start = end + 1;
    }
}

} // namespace jvdata
