#include "keiba/formatters.h"

#include "keiba/sjis.h"

#include <charconv>
#include <cstdint>
#include <optional>

namespace keiba {
namespace {

// Characters `pos1` .. `pos1 + count - 1` (1-based), cut to what the text holds.
std::string_view Mid(std::string_view s, std::size_t pos1, std::size_t count) {
    if (pos1 < 1 || pos1 > s.size()) return {};
    return s.substr(pos1 - 1, count);
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The strict reading of a field: a whole number (blanks around it allowed), never negative.
std::optional<std::int64_t> StrictCount(std::string_view field) {
    std::optional<std::int64_t> v = StrictInteger(field);
    if (!v || *v < 0) return std::nullopt;
    return v;
}

// `body` right-aligned in at least `width` characters.
std::string RightAligned(std::string_view body, std::size_t width) {
    std::string out;
    if (body.size() < width) out.assign(width - body.size(), ' ');
    out.append(body);
    return out;
}

std::string Decimal(std::int64_t value) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    (void)ec; // any int64 fits
    return std::string(buf, end);
}

// A non-negative value in tenths with one decimal, right-aligned. The value is exact in
// tenths, so the integer split needs no rounding.
std::string Tenths(std::int64_t value, std::size_t width) {
    std::string body = Decimal(value / 10);
    body += '.';
    body += static_cast<char>('0' + value % 10);
    return RightAligned(body, width);
}

std::string TwoDigits(std::int64_t value) {
    std::string out = Decimal(value);
    if (out.size() < 2) out.insert(0, 1, '0');
    return out;
}

} // namespace

std::string AddMinutesHHMM(std::string_view hhmm, int minutes) {
    if (TrimBlanks(hhmm).empty()) return {};
    std::int64_t total = DigitValue(Mid(hhmm, 1, 2)) * 60 + DigitValue(Mid(hhmm, 3, 2)) + minutes;
    if (total < 0) return {};
    return TwoDigits(total / 60) + TwoDigits(total % 60);
}

std::string OverwriteStr(std::string_view s, std::string_view piece, int position) {
    std::size_t at = position < 1 ? 0 : static_cast<std::size_t>(position) - 1;
    if (at > s.size()) at = s.size();
    std::string out(s.substr(0, at));
    out.append(piece);
    if (at + piece.size() < s.size()) out.append(s.substr(at + piece.size()));
    return out;
}

std::string FormatTimeDiff(std::string_view diff) {
    const std::string blanks(5, ' ');
    std::string_view body = TrimBlanks(Mid(diff, 2, 3));
    std::string_view whole = TrimBlanks(diff);
    if (body.empty() || body == "999" || whole == "9999" || whole == "0000") return blanks;
    std::optional<std::int64_t> seconds = StrictCount(Mid(diff, 2, 2));
    if (!seconds || *seconds > 99 || diff.size() < 4 || !IsDigit(diff[3])) return blanks;
    std::string out(1, diff[0]);
    out += RightAligned(Decimal(*seconds), 2);
    out += '.';
    out += diff[3];
    return out;
}

std::string FormatIntBlankZero(std::string_view digits) {
    std::int64_t v = DigitValue(digits);
    if (v == 0) return std::string(digits.size(), ' ');
    return RightAligned(Decimal(v), digits.size());
}

std::string FormatIntWithUnit(std::string_view digits, std::string_view unit) {
    if (DigitValue(digits) == 0) return std::string(digits.size() + unit.size(), ' ');
    return FormatIntBlankZero(digits) + std::string(unit);
}

std::string FormatTenthsSameWidth(std::string_view digits) {
    std::int64_t v = DigitValue(digits);
    if (v == 0) return std::string(digits.size(), ' ');
    return Tenths(v, digits.size() - 1);
}

std::string FormatTenthsWider(std::string_view digits) {
    std::int64_t v = DigitValue(digits);
    if (v == 0) return std::string(digits.size(), ' ');
    return Tenths(v, digits.size() + 1);
}

std::string FormatRaceTime(std::string_view mssf) {
    bool readable = mssf.size() == 4 && (IsDigit(mssf[0]) || mssf[0] == ' ') && IsDigit(mssf[1]) &&
                    IsDigit(mssf[2]) && IsDigit(mssf[3]);
    if (!readable || mssf == "0000") return std::string(6, ' ');
    std::string out;
    out.reserve(6);
    if (mssf[0] != '0' && mssf[0] != ' ') {
        out += mssf[0];
        out += '.';
    } else {
        out += "  ";
    }
    out.append(mssf.substr(1, 2));
    out += '.';
    out += mssf[3];
    return out;
}

std::string DeleteZenkakuSpaces(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        std::size_t len = SjisCharLength(s, i);
        std::string_view ch = s.substr(i, len);
        if (ch != kZenkakuSpace) out.append(ch);
        i += len;
    }
    return out;
}

std::string CalcZenhanPace(std::string_view raceTime, std::string_view last600,
                           std::string_view distance) {
    const std::string blanks(3, ' ');
    std::string_view t = TrimBlanks(raceTime);
    std::string_view l = TrimBlanks(last600);
    std::string_view d = TrimBlanks(distance);
    if (t.empty() || t == "0000" || l.empty() || l == "000" || d.empty() || d == "0000")
        return blanks;
    std::optional<std::int64_t> minutes = StrictCount(Mid(raceTime, 1, 1));
    std::optional<std::int64_t> tenths = StrictCount(Mid(raceTime, 2, 3));
    std::optional<std::int64_t> last = StrictCount(last600);
    std::optional<std::int64_t> metres = StrictCount(distance);
    if (!minutes || !tenths || !last || !metres) return blanks;
    double divisor = static_cast<double>(*metres) / 100.0 - 6.0;
    if (divisor <= 0) return blanks;
    double early = static_cast<double>(*minutes * 600 + *tenths - *last);
    std::string pace = FormatFixed(early / divisor * 6.0, 3, 0);
    pace.resize(3);
    return pace;
}

} // namespace keiba
