#include "jvdata/recordcheck.h"

#include "jvdata/records.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstring>
#include <initializer_list>

namespace jvdata {
namespace {

bool NoLineBreak(std::string_view s) {
    return !std::memchr(s.data(), '\r', s.size()) && !std::memchr(s.data(), '\n', s.size());
}

bool DigitsOrBlanks(std::string_view s) {
    for (char c : s)
        if (!(c >= '0' && c <= '9') && c != ' ') return false;
    return true;
}

bool IsOddsByte(char c) {
    return (c >= '0' && c <= '9') || c == ' ' || c == '-' || c == '*';
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The bytes from the start of `s` that are odds bytes, 32 at a time, up to the first block of 32
// that holds another byte (its start is returned then) or the last whole block.
__attribute__((target("avx2"))) std::size_t OddsBytesAvx2(std::string_view s) {
    const __m256i zero = _mm256_set1_epi8('0'), nine = _mm256_set1_epi8(9);
    const __m256i blank = _mm256_set1_epi8(' '), dash = _mm256_set1_epi8('-'),
                  star = _mm256_set1_epi8('*');
    std::size_t i = 0;
    for (; i + 32 <= s.size(); i += 32) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s.data() + i));
        const __m256i d = _mm256_sub_epi8(v, zero);
        __m256i ok = _mm256_cmpeq_epi8(_mm256_min_epu8(d, nine), d);
        ok = _mm256_or_si256(ok, _mm256_or_si256(_mm256_cmpeq_epi8(v, blank),
                                                 _mm256_or_si256(_mm256_cmpeq_epi8(v, dash),
                                                                 _mm256_cmpeq_epi8(v, star))));
        if (_mm256_movemask_epi8(ok) != -1) break;
    }
    return i;
}
#endif

// Every byte a digit, a blank, '-' or '*': the bytes of an odds record's entries. The odds files
// of a full day are some megabytes, so this runs many bytes at a time where the processor can.
bool AllOddsBytes(std::string_view s) {
    std::size_t i = 0;
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) i = OddsBytesAvx2(s);
#endif
#if defined(__SSE2__)
    const __m128i zero = _mm_set1_epi8('0'), nine = _mm_set1_epi8(9);
    const __m128i blank = _mm_set1_epi8(' '), dash = _mm_set1_epi8('-'), star = _mm_set1_epi8('*');
    for (; i + 16 <= s.size(); i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s.data() + i));
        const __m128i d = _mm_sub_epi8(v, zero);
        __m128i ok = _mm_cmpeq_epi8(_mm_min_epu8(d, nine), d); // '0'..'9'
        ok = _mm_or_si128(
            ok, _mm_or_si128(_mm_cmpeq_epi8(v, blank),
                             _mm_or_si128(_mm_cmpeq_epi8(v, dash), _mm_cmpeq_epi8(v, star))));
        if (_mm_movemask_epi8(ok) != 0xFFFF) return false;
    }
#endif
    for (; i < s.size(); ++i)
        if (!IsOddsByte(s[i])) return false;
    return true;
}

// The head every checked record shares: its length and id, CR LF at its end, and its race key.
bool SoundHead(std::string_view piece, std::string_view id, std::size_t length) {
    return piece.size() == length && piece.substr(0, 2) == id && piece.ends_with("\r\n") &&
           RaceKey::Of(piece).IsWellFormed();
}

bool SoundRunner(std::string_view r) {
    using S = TJvSE;
    if (!SoundHead(r, S::kId, kSeLength) || !NoLineBreak(r.substr(0, kSeLength - 2))) return false;
    for (FieldPos f :
         {S::kBracket,       S::kHorseNo,       S::kSex,           S::kAge,
          S::kAffiliation,   S::kTrainerCode,   S::kWeightCarried, S::kBlinkers,
          S::kJockeyCode,    S::kApprentice,    S::kBodyWeight,    S::kAbnormality,
          S::kArrivalOrder,  S::kFinalPosition, S::kFinishTime,    FieldPos{S::kCornerPos, 8},
          S::kWinPopularity, S::kPrizeWon,      S::kAddedPrizeWon, S::kLast3F,
          S::kRunningStyle})
        if (!DigitsOrBlanks(Field(r, f))) return false;
    for (char c : Field(r, S::kPedigreeId))
        if (!(c >= '0' && c <= '9') && !(c >= 'A' && c <= 'Z') && !(c >= 'a' && c <= 'z') &&
            c != ' ')
            return false;
    for (char c : Field(r, S::kWinOdds))
        if (!IsOddsByte(c)) return false;
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
               const OddsLayout& last) {
    if (!SoundHead(r, id, length)) return false;
    const std::size_t from = first.firstPos - 1;
    const std::size_t end = last.firstPos - 1 + last.entries * last.entryWidth;
    return AllOddsBytes(r.substr(from, end - from)) && NoLineBreak(r.substr(0, from)) &&
           NoLineBreak(r.substr(end, length - 2 - end));
}

} // namespace

bool IsSoundRecord(std::string_view piece, std::string_view id) {
    if (id == TJvSE::kId) return SoundRunner(piece);
    if (id == TJvHR::kId) return SoundPayouts(piece);
    if (id == TJvO1::kId) return SoundOdds(piece, id, kO1Length, TJvO1::kWin, TJvO1::kPlace);
    if (id == TJvO2::kId) return SoundOdds(piece, id, kO2Length, TJvO2::kEntries, TJvO2::kEntries);
    if (id == TJvO3::kId) return SoundOdds(piece, id, kO3Length, TJvO3::kEntries, TJvO3::kEntries);
    if (id == TJvO4::kId) return SoundOdds(piece, id, kO4Length, TJvO4::kEntries, TJvO4::kEntries);
    if (id == TJvO5::kId) return SoundOdds(piece, id, kO5Length, TJvO5::kEntries, TJvO5::kEntries);
    if (id == TJvO6::kId) return SoundOdds(piece, id, kO6Length, TJvO6::kEntries, TJvO6::kEntries);
    return false;
}

} // namespace jvdata
