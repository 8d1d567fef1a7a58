#include "search/handinput.h"

#include "jvdata/dayfilekinds.h"
#include "jvdata/memberrecords.h"
#include "keiba/fileio.h"
#include "keiba/rewritelines.h"

#include <algorithm>

namespace search {

namespace {

bool IsSoundLine(std::string_view line) {
    return jvdata::KindInfo(jvdata::DayFileKind::HandInput).sound(line);
}

} // namespace

RumaEntry ReadRumaEntry(std::string_view fileBytes, std::string_view key12) {
    using jvdata::RumaLine;
    std::string_view taken;
    // Split as the day load splits the file, so that both take the same line.
    for (std::string_view line : keiba::SplitLines(fileBytes))
        if (IsSoundLine(line) && line.substr(0, RumaLine::kKeyLength) == key12) taken = line;
    RumaEntry entry;
    if (taken.empty()) return entry;
    const char level = taken[RumaLine::kLevel.pos - 1];
    entry.level = level >= '0' && level <= '7' ? level - '0' : 0;
    for (std::size_t n = 0; n < entry.marks.size(); ++n) {
        const char c = taken[RumaLine::kFirstRunnerPos - 1 + n];
        entry.marks[n] = c == '1' ? 1 : c == '2' ? 2 : 0;
    }
    return entry;
}

std::string RumaValue(const RumaEntry& entry) {
    std::string value(1, static_cast<char>('0' + std::clamp(entry.level, 0, 7)));
    for (int mark : entry.marks) value += mark == 1 ? '1' : mark == 2 ? '2' : '0';
    return value;
}

std::string UpdateRumaFile(const std::optional<std::string>& fileBytes,
                           const std::vector<std::string>& raceKeys, std::string_view key12,
                           const RumaEntry& entry, std::size_t* unread) {
    std::vector<keiba::HeldLine> lines;
    if (fileBytes) {
        lines = keiba::HoldLines(*fileBytes, keiba::LineEnds::CrLfOrLf, IsSoundLine);
    } else {
        for (const std::string& key : raceKeys)
            lines.push_back({key + std::string(kRumaLineLength - kRumaKeyLength, ' ')});
    }
    const std::string line = std::string(key12) + RumaValue(entry);
    bool replaced = false;
    for (keiba::HeldLine& l : lines) {
        if (!l.readable || std::string_view(l.text).substr(0, kRumaKeyLength) != key12) continue;
        l.text = line;
        replaced = true;
    }
    if (unread) *unread = keiba::UnreadableLines(lines);
    std::string bytes = keiba::JoinHeldLines(lines);
    // The race list changed after the file was made, or a line this rewrite cannot read still
    // holds what a reader takes for the race (a lone CR ends a line for the readers): the input
    // goes at the end, where the reader takes it, the last line of the race.
    if (!replaced || ReadRumaEntry(bytes, key12) != ReadRumaEntry(line, key12)) {
        lines.push_back({line});
        bytes = keiba::JoinHeldLines(lines);
    }
    return bytes;
}

std::vector<std::string> DayRumaKeys(const raceday::RaceDay& day, int raceCount) {
    std::vector<std::string> keys;
    raceCount = std::clamp(raceCount, 0, raceday::kMaxRaces);
    for (int r = 0; r < raceCount; ++r)
        keys.push_back(day.gDayRaces[static_cast<std::size_t>(r)].Key().Key12());
    return keys;
}

} // namespace search
