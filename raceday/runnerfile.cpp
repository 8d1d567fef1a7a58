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
    const std::size_t length = jvdata::KindInfo(jvdata::DayFileKind::Runners).recordLength;
    return line.size() == length && line.ends_with("\r\n") &&
           line.find_first_not_of(' ') == length - 2;
}

} // namespace

RunnerFile::RunnerFile(std::string_view bytes) {
    std::vector<std::string_view> lines;
    const jvdata::DayFileKindInfo& kind = jvdata::KindInfo(jvdata::DayFileKind::Runners);
    jvdata::SplitRecordLines(bytes, kind.recordLength, lines);
    for (std::string_view line : lines) {
        if (IsBlankLine(line)) {
            const auto at = static_cast<std::size_t>(line.data() - bytes.data());
            const std::size_t slot = (at + kind.recordLength / 2) / kind.recordLength;
            if (slot < blankSlots_.size()) blankSlots_[slot] = true;
            continue;
        }
        if (!kind.sound(line)) continue;
        const std::string_view horse = jvdata::Field(line, jvdata::TJvSE::kHorseNo);
        const int slot =
            SlotOf(jvdata::Field(line, jvdata::RecordHead::kRaceNo),
                   jvdata::IsAsciiDigits(horse) ? (horse[0] - '0') * 10 + (horse[1] - '0') : 0);
        if (slot < 0) continue;
        records_.emplace_back(slot, line);
        const std::string_view key = jvdata::Field(line, jvdata::RecordHead::kRaceKey);
        if (std::find(raceKeys_.begin(), raceKeys_.end(), key) == raceKeys_.end())
            raceKeys_.push_back(key);
    }
    // By slot, each slot's records in file order: of two records of one runner the first stands.
    std::stable_sort(records_.begin(), records_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
}

std::string_view RunnerFile::Runner(std::string_view key16, int horse) const {
    const int slot = SlotOf(key16.substr(std::min<std::size_t>(key16.size(), 14)), horse);
    const auto race = jvdata::RaceKey::FromText(key16);
    if (slot < 0 || !race) return {};
    // A record of another day or venue in the runner's slot is not the runner's: the runner's own
    // record may stand after it.
    const jvdata::DayFileKindInfo& kind = jvdata::KindInfo(jvdata::DayFileKind::Runners);
    auto it = std::lower_bound(records_.begin(), records_.end(), slot,
                               [](const auto& e, int s) { return e.first < s; });
    for (; it != records_.end() && it->first == slot; ++it)
        if (jvdata::NamesRace(kind, it->second, *race)) return it->second;
    return {};
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
