#pragma once
// The periods the past-data dialog offers, from the current date: whole years before this one,
// the months of this year already ended, and the quarters of this year already ended.

#include "keiba/platform.h"

#include <string>
#include <string_view>
#include <vector>

namespace members {

// The items of the dialog's radio group "データの種類".
enum PeriodKind : int { kPeriodYear = 0, kPeriodMonth = 1, kPeriodThreeMonth = 2 };

// The list for `kind` (UTF-8, ascending): "2025年", "2026年04月", "2026年01～03月". Empty for
// any other kind.
std::vector<std::string> PeriodItems(int kind, keiba::LocalTime now);

// The query values of a chosen item: `tp` ("year", "month", "three_month") and `t` (yyyy,
// yyyymm, yyyymmmm), cut from the item's Shift-JIS bytes. Both empty for any other kind.
struct PeriodQuery {
    std::string tp;
    std::string t;
};
PeriodQuery PeriodOf(int kind, std::string_view item);

} // namespace members
