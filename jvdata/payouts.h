#pragma once
// The payout parser: stored payout records into the numeric payout tables.

#include "jvdata/racecalc.h"
#include "jvdata/records.h"

#include <array>
#include <string>
#include <string_view>

namespace jvdata {

// " 3- 6", " 1-12", "12- 3- 5": the numbers of a combination field, two digits each (one for
// bracket numbers), formatted "%2d" and joined by "-"; empty when any number is not above 0.
std::string PayoutKey(std::string_view combination, std::size_t digitsPerNumber);

// Race slot r's tables from its payout record; a record of blanks gives empty keys and zeros.
void ParseRacePayouts(const TJvHR& record, int r, PayoutTables& tables);

// Every race slot's tables, rebuilt whole (the day load's step behind the hidden CalcBtn).
void ParsePayoutTables(const std::array<TJvHR, kMaxRaces>& payouts, PayoutTables& tables);

} // namespace jvdata
