#include "members/periods.h"

#include "keiba/sjis.h"

#include <string>

namespace members {
namespace {

constexpr int kFirstYear = 2008;

// A month as two digits.
std::string Two(int v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

// Bytes `from`..`to` (1-based, inclusive) of the Shift-JIS text; what there is of them.
std::string Bytes(const std::string& sjis, std::size_t from, std::size_t to) {
    if (sjis.size() < from) return {};
    return sjis.substr(from - 1, to - from + 1);
}

} // namespace

std::vector<std::string> PeriodItems(int kind, keiba::LocalTime now) {
    keiba::DateTimeParts d = keiba::Parts(now);
    std::string year = std::to_string(d.year);
    std::vector<std::string> items;
    switch (kind) {
    case kPeriodYear:
        for (int y = kFirstYear; y < d.year; ++y) items.push_back(std::to_string(y) + "年");
        break;
    case kPeriodMonth:
        for (int m = 1; m < d.month; ++m) items.push_back(year + "年" + Two(m) + "月");
        break;
    case kPeriodThreeMonth:
        for (int first = 1; first + 3 <= d.month; first += 3)
            items.push_back(year + "年" + Two(first) + "～" + Two(first + 2) + "月");
        break;
    default: break;
    }
    return items;
}

PeriodQuery PeriodOf(int kind, std::string_view item) {
    std::string sj = keiba::Utf8ToCp932(item);
    switch (kind) {
    case kPeriodYear: return {"year", Bytes(sj, 1, 4)};
    case kPeriodMonth: return {"month", Bytes(sj, 1, 4) + Bytes(sj, 7, 8)};
    case kPeriodThreeMonth:
        return {"three_month", Bytes(sj, 1, 4) + Bytes(sj, 7, 8) + Bytes(sj, 11, 12)};
    default: return {};
    }
}

} // namespace members
