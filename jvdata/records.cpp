#include "jvdata/records.h"

#include "keiba/sjis.h"

#include <cstdio>

namespace jvdata {

namespace {

constexpr KnownRecord kKnown[] = {
    {"RA", kRaLength}, {"SE", kSeLength}, {"HR", kHrLength}, {"UM", kUmLength},
    {"O1", kO1Length}, {"O2", kO2Length}, {"O3", kO3Length}, {"O4", kO4Length},
    {"O5", kO5Length}, {"O6", kO6Length}, {"RC", kRcLength}, {"DM", kDmLength},
};

} // namespace

std::optional<std::size_t> RecordLengthOf(std::string_view id) {
    for (const KnownRecord& k : kKnown)
        if (k.id == id) return k.length;
    return std::nullopt;
}

std::span<const KnownRecord> KnownRecords() {
    return kKnown;
}

std::string_view Field(std::string_view record, std::size_t pos, std::size_t width) {
    if (pos == 0 || pos > record.size()) return {};
    return record.substr(pos - 1, width);
}

std::int64_t FieldNumber(std::string_view record, std::size_t pos, std::size_t width) {
    return keiba::DigitValue(Field(record, pos, width));
}

void SetField(std::string& record, std::size_t pos, std::size_t width, std::string_view value) {
    if (pos == 0 || pos > record.size()) return;
    std::size_t w = std::min(width, record.size() - (pos - 1));
    for (std::size_t i = 0; i < w; ++i) record[pos - 1 + i] = i < value.size() ? value[i] : ' ';
}

void ZeroHead(std::string& record) {
    SetField(record, RecordHead::kKindAndCreation, "000000000");
}

bool IsAsciiDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

std::optional<std::chrono::year_month_day> ParseYyyymmdd(std::string_view s) {
    if (s.size() != 8 || !IsAsciiDigits(s)) return std::nullopt;
    auto num = [&](std::size_t from, std::size_t n) {
        int v = 0;
        for (std::size_t i = from; i < from + n; ++i) v = v * 10 + (s[i] - '0');
        return v;
    };
    std::chrono::year_month_day d{std::chrono::year(num(0, 4)),
                                  std::chrono::month(static_cast<unsigned>(num(4, 2))),
                                  std::chrono::day(static_cast<unsigned>(num(6, 2)))};
    if (!d.ok()) return std::nullopt;
    return d;
}

std::string FormatYyyymmdd(std::chrono::year_month_day d) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d%02u%02u", static_cast<int>(d.year()),
                  static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day()));
    return buf;
}

FramingResult CheckFraming(std::string_view record, std::string_view expectedId) {
    if (record.empty()) return {Framing::Empty, "empty record"};
    std::string_view id = record.substr(0, 2);
    std::optional<std::size_t> length = RecordLengthOf(id);
    if (!expectedId.empty() && id != expectedId)
        return {Framing::WrongId, "record id \"" + std::string(id) + "\", expected \"" +
                                      std::string(expectedId) + "\""};
    if (!length) return {Framing::UnknownId, "unknown record id \"" + std::string(id) + "\""};
    if (record.size() != *length)
        return {Framing::WrongLength, "length " + std::to_string(record.size()) + " of an " +
                                          std::string(id) + " record, expected " +
                                          std::to_string(*length)};
    if (record.substr(record.size() - 2) != "\r\n")
        return {Framing::NoCrLf, "record does not end with CR LF"};
    // A line break inside would split the record into two lines of a day file.
    // One search per character: find_first_of looks up the set once per byte.
    std::string_view body = record.substr(0, record.size() - 2);
    if (body.find('\r') != std::string_view::npos || body.find('\n') != std::string_view::npos)
        return {Framing::NoCrLf, "line break inside the record"};
    return {};
}

RaceKey RaceKey::Of(std::string_view record) {
    RaceKey k;
    std::string_view f = Field(record, RecordHead::kRaceKey);
    for (std::size_t i = 0; i < f.size(); ++i) k.key_[i] = f[i];
    return k;
}

std::optional<RaceKey> RaceKey::FromText(std::string_view text) {
    if (text.size() != 16) return std::nullopt;
    RaceKey k;
    for (std::size_t i = 0; i < 16; ++i) k.key_[i] = text[i];
    return k;
}

std::string RaceKey::Key12() const {
    return std::string(Date8()) + std::string(Venue()) + std::string(RaceNo());
}

int RaceKey::RaceNumber() const {
    return static_cast<int>(keiba::DigitValue(RaceNo()));
}

bool RaceKey::IsWellFormed() const {
    return IsRaceKey(Text());
}

bool IsRaceKeyParts(std::string_view date8, std::string_view venue, std::string_view meeting,
                    std::string_view day, std::string_view raceNo) {
    auto twoDigits = [](std::string_view f) { return f.size() == 2 && IsAsciiDigits(f); };
    auto code = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); };
    return ParseYyyymmdd(date8).has_value() && venue.size() == 2 && code(venue[0]) &&
           code(venue[1]) && (meeting.empty() || twoDigits(meeting)) &&
           (day.empty() || twoDigits(day)) && twoDigits(raceNo);
}

bool IsRaceKey(std::string_view key16) {
    return key16.size() == 16 &&
           IsRaceKeyParts(key16.substr(0, 8), key16.substr(8, 2), key16.substr(10, 2),
                          key16.substr(12, 2), key16.substr(14, 2));
}

const PayoutGroup& PayoutGroupOf(BetType t) {
    static constexpr PayoutGroup kGroups[] = {
        {103, 3, 13, 2, 2}, {142, 5, 13, 2, 2}, {207, 3, 13, 2, 2}, {246, 3, 16, 4, 3},
        {294, 7, 16, 4, 3}, {454, 6, 16, 4, 3}, {550, 3, 18, 6, 3}, {604, 6, 19, 6, 4},
    };
    return kGroups[static_cast<int>(t)];
}

PayoutEntry TJvHR::Entry(BetType t, int j) const {
    const PayoutGroup& g = PayoutGroupOf(t);
    if (j < 1 || static_cast<std::size_t>(j) > g.entries) return {};
    std::size_t at = g.firstPos + g.entryWidth * static_cast<std::size_t>(j - 1);
    return {Field(at, g.combWidth), Field(at + g.combWidth, 9),
            Field(at + g.combWidth + 9, g.popWidth)};
}

std::size_t RecordCount(std::string_view fileBytes, std::size_t recordLength) {
    return recordLength == 0 ? 0 : fileBytes.size() / recordLength;
}

std::string_view RecordAt(std::string_view fileBytes, std::size_t recordLength, std::size_t i) {
    if (i >= RecordCount(fileBytes, recordLength)) return {};
    return fileBytes.substr(i * recordLength, recordLength);
}

} // namespace jvdata
