#include "jvdata/payouts.h"

#include "keiba/sjis.h"

#include <algorithm>
#include <type_traits>

namespace jvdata {
namespace {

template <typename Key, std::size_t N>
void Fill(const TJvHR& record, BetType type, std::size_t r,
          std::array<std::array<Key, N>, kMaxRaces>& keys,
          std::array<std::array<int, N>, kMaxRaces>& pops,
          std::array<std::array<std::int64_t, N>, kMaxRaces>& yen) {
    for (std::size_t j = 1; j < N; ++j) {
        PayoutEntry e = record.Entry(type, static_cast<int>(j));
        if constexpr (std::is_same_v<Key, int>) {
            keys[r][j] = static_cast<int>(keiba::DigitValue(e.combination));
        } else {
            std::size_t digits = type == BetType::BracketQuinella ? 1 : 2;
            keys[r][j] = PayoutKey(e.combination, digits);
        }
        pops[r][j] =
            static_cast<int>(std::min<std::int64_t>(keiba::DigitValue(e.popularity), 1000000));
        yen[r][j] = keiba::DigitValue(e.payout);
    }
}

} // namespace

std::string PayoutKey(std::string_view combination, std::size_t digitsPerNumber) {
    if (digitsPerNumber == 0 || combination.empty()) return {};
    std::string key;
    for (std::size_t at = 0; at + digitsPerNumber <= combination.size(); at += digitsPerNumber) {
        std::int64_t n = keiba::DigitValue(combination.substr(at, digitsPerNumber));
        if (n <= 0) return {};
        if (!key.empty()) key += '-';
        key += keiba::FormatInt(n, 2);
    }
    return key;
}

void ParseRacePayouts(const TJvHR& record, int r, PayoutTables& t) {
    if (r < 0 || r >= kMaxRaces) return;
    std::size_t s = static_cast<std::size_t>(r);
    Fill(record, BetType::Win, s, t.gPayKeyWin, t.gPayPopWin, t.gPayYenWin);
    Fill(record, BetType::Place, s, t.gPayKeyPlace, t.gPayPopPlace, t.gPayYenPlace);
    Fill(record, BetType::BracketQuinella, s, t.gPayKeyWakuren, t.gPayPopWakuren, t.gPayYenWakuren);
    Fill(record, BetType::Quinella, s, t.gPayKeyUmaren, t.gPayPopUmaren, t.gPayYenUmaren);
    Fill(record, BetType::Wide, s, t.gPayKeyWide, t.gPayPopWide, t.gPayYenWide);
    Fill(record, BetType::Exacta, s, t.gPayKeyUmatan, t.gPayPopUmatan, t.gPayYenUmatan);
    Fill(record, BetType::Trio, s, t.gPayKeySanrenpuku, t.gPayPopSanrenpuku, t.gPayYenSanrenpuku);
    Fill(record, BetType::Trifecta, s, t.gPayKeySanrentan, t.gPayPopSanrentan, t.gPayYenSanrentan);
}

void ParsePayoutTables(const std::array<TJvHR, kMaxRaces>& payouts, PayoutTables& tables) {
    for (int r = 0; r < kMaxRaces; ++r)
        ParseRacePayouts(payouts[static_cast<std::size_t>(r)], r, tables);
}

} // namespace jvdata
