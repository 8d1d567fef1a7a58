#include "search/handinput.h"

#include "keiba/fileio.h"

#include <algorithm>

namespace search {

RumaEntry ReadRumaEntry(std::string_view fileBytes, std::string_view key12) {
    RumaEntry entry;
    for (std::string_view line : keiba::SplitLines(fileBytes)) {
        if (line.substr(0, kRumaKeyLength) != key12) continue;
        if (line.size() != kRumaLineLength) return entry;
        const char level = line[kRumaKeyLength];
        entry.level = level >= '0' && level <= '7' ? level - '0' : 0;
        for (std::size_t n = 0; n < entry.marks.size(); ++n) {
            const char c = line[kRumaKeyLength + 1 + n];
            entry.marks[n] = c == '1' ? 1 : c == '2' ? 2 : 0;
        }
        return entry;
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
                           const RumaEntry& entry) {
    std::vector<std::string> lines;
    if (fileBytes) {
        for (std::string_view line : keiba::SplitLines(*fileBytes)) lines.emplace_back(line);
    } else {
        for (const std::string& key : raceKeys)
            lines.push_back(key + std::string(kRumaLineLength - kRumaKeyLength, ' '));
    }
    const std::string line = std::string(key12) + RumaValue(entry);
    bool replaced = false;
    for (std::string& l : lines) {
        if (std::string_view(l).substr(0, kRumaKeyLength) != key12) continue;
        l = line;
        replaced = true;
    }
    // The race list changed after the file was made: the input is kept all the same.
    if (!replaced) lines.push_back(line);
    std::string bytes;
    for (const std::string& l : lines) bytes += l + "\r\n";
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
