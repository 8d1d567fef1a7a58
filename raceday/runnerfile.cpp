#include "raceday/runnerfile.h"

#include "jvdata/dayfilekinds.h"
#include "jvdata/recordcheck.h"

#include <algorithm>

namespace raceday {
namespace {

// The slot of race number (two digits) and runner `horse`, or -1.
int SlotOf(std::string_view raceNo, int horse) {
    if (raceNo.size() != 2 || !jvdata::IsAsciiDigits(raceNo)) return -1;
    return jvdata::RunnerSlot((raceNo[0] - '0') * 10 + (raceNo[1] - '0'), horse);
}

// A slot where no runner has been filed: a line of blanks.
bool IsBlankLine(std::string_view line) {
    return line.size() == jvdata::kSeLength && line.ends_with("\r\n") &&
           line.find_first_not_of(' ') == jvdata::kSeLength - 2;
}

} // namespace

RunnerFile::RunnerFile(std::string_view bytes) {
    std::vector<std::string_view> lines;
    jvdata::SplitRecordLines(bytes, jvdata::kSeLength, lines);
    const jvdata::DayFileKindInfo& kind = jvdata::KindInfo(jvdata::DayFileKind::Runners);
    for (std::string_view line : lines) {
        if (IsBlankLine(line)) {
            const auto at = static_cast<std::size_t>(line.data() - bytes.data());
            const std::size_t slot = (at + jvdata::kSeLength / 2) / jvdata::kSeLength;
            if (slot < blankSlots_.size()) blankSlots_[slot] = true;
            continue;
        }
        if (!kind.sound(line)) continue;
        const std::string_view horse = jvdata::Field(line, jvdata::TJvSE::kHorseNo);
        const int slot =
            SlotOf(jvdata::Field(line, jvdata::RecordHead::kRaceNo),
                   jvdata::IsAsciiDigits(horse) ? (horse[0] - '0') * 10 + (horse[1] - '0') : 0);
        if (slot < 0) continue;
        std::string_view& record = records_[static_cast<std::size_t>(slot)];
        if (record.empty()) record = line;
        const std::string_view key = jvdata::Field(line, jvdata::RecordHead::kRaceKey);
        if (std::find(raceKeys_.begin(), raceKeys_.end(), key) == raceKeys_.end())
            raceKeys_.push_back(key);
    }
}

std::string_view RunnerFile::Runner(std::string_view key16, int horse) const {
    const int slot = SlotOf(key16.substr(std::min<std::size_t>(key16.size(), 14)), horse);
    if (slot < 0) return {};
    const std::string_view record = records_[static_cast<std::size_t>(slot)];
    if (record.empty() || jvdata::Field(record, jvdata::RecordHead::kRaceKey) != key16) return {};
    return record;
}

std::size_t RunnerFile::Lost(std::string_view key16, int runners) const {
    std::size_t lost = 0;
    for (int h = 1; h <= runners; ++h) {
        const int slot = SlotOf(key16.substr(std::min<std::size_t>(key16.size(), 14)), h);
        if (slot < 0) break;
        if (!Runner(key16, h).empty()) continue;
        if (blankSlots_[static_cast<std::size_t>(slot)]) continue;
        ++lost;
    }
    return lost;
}

} // namespace raceday
