#include "raceday/dayfilereaders.h"

#include "jvdata/dayfilekinds.h"
#include "jvdata/recordcheck.h"
#include "keiba/sjis.h"
#include "raceday/dayreport.h"

#include <algorithm>

namespace raceday {
namespace {

using jvdata::Field;
using jvdata::RecordHead;

bool Sound(jvdata::DayFileKind kind, std::string_view line) {
    return jvdata::KindInfo(kind).sound(line);
}

bool Has(const std::vector<std::string_view>& v, std::string_view s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

std::size_t Length(jvdata::DayFileKind kind) {
    return jvdata::KindInfo(kind).recordLength;
}

// The races `bytes` damaged bytes held: one at least, else as many whole records as they make.
std::size_t RacesIn(std::size_t bytes) {
    if (bytes == 0) return 0;
    const std::size_t length = Length(jvdata::DayFileKind::Races);
    return std::max<std::size_t>(1, (bytes + length / 2) / length);
}

} // namespace

RaceFileRead ReadRaceFile(std::string_view bytes, std::string_view date8,
                          const std::vector<std::string_view>& heldElsewhere) {
    std::vector<std::string_view> lines;
    jvdata::SplitRecordLines(bytes, Length(jvdata::DayFileKind::Races), lines);
    RaceFileRead out;
    // Every sound race of the day in file order, and the damaged bytes before each (the last
    // entry: after the last race).
    std::vector<std::string_view> keys;
    std::vector<std::size_t> damaged(1, 0);
    for (std::string_view line : lines) {
        if (!Sound(jvdata::DayFileKind::Races, line)) {
            damaged.back() += line.size();
            continue;
        }
        // A sound race of another day held no race of this one: a race of the day it stands in
        // place of is one the day's other files know to be missing.
        if (Field(line, RecordHead::kRaceDate) != date8) continue;
        const std::string_view key = Field(line, RecordHead::kRaceKey);
        if (Has(keys, key)) continue; // a race put in twice: its first record stands
        keys.push_back(key);
        damaged.push_back(0);
        if (out.races.size() < static_cast<std::size_t>(kMaxRaces)) out.races.push_back(line);
    }
    out.lost = keys.size() - out.races.size();
    // The day files are kept sorted by race key, so a race the file lacks was lost where its key
    // falls among the races it holds; there the loss is what the damage held or what the other
    // files know to be missing, whichever is more.
    std::vector<std::size_t> missing(damaged.size(), 0);
    std::vector<std::string_view> counted;
    for (std::string_view key : heldElsewhere) {
        if (Has(keys, key) || Has(counted, key)) continue;
        counted.push_back(key);
        ++missing[static_cast<std::size_t>(
            std::count_if(keys.begin(), keys.end(), [&](std::string_view k) { return k < key; }))];
    }
    for (std::size_t g = 0; g < damaged.size(); ++g)
        out.lost += std::max(missing[g], RacesIn(damaged[g]));
    return out;
}

PayoutFileRead ReadPayoutFile(std::string_view bytes, const RaceDay& day) {
    const auto count = static_cast<std::size_t>(std::clamp(day.gDayRaceCount, 0, kMaxRaces));
    std::array<std::string, kMaxRaces> keys; // a slot without a race takes no payouts
    for (std::size_t r = 0; r < count; ++r)
        if (!keiba::TrimBlanks(day.gDayRaces[r].Year()).empty())
            keys[r] = day.gDayRaces[r].Key().Key12();
    auto slotOf = [&](std::string_view line) -> int {
        if (line.size() < RecordHead::kRaceKey.pos + RecordHead::kRaceKey.width - 1) return -1;
        const std::string key = jvdata::RaceKey::Of(line).Key12();
        for (std::size_t r = 0; r < count; ++r)
            if (!keys[r].empty() && keys[r] == key) return static_cast<int>(r);
        return -1;
    };
    std::vector<std::string_view> lines;
    jvdata::SplitRecordLines(bytes, Length(jvdata::DayFileKind::Payouts), lines);
    PayoutFileRead out;
    LostRaces lost(jvdata::DayFileKind::Payouts, count);
    if (bytes.empty()) lost.Damaged();
    for (std::string_view line : lines) {
        const int slot = slotOf(line);
        const bool sound = Sound(jvdata::DayFileKind::Payouts, line);
        if (sound && slot >= 0) {
            std::string_view& record = out.records[static_cast<std::size_t>(slot)];
            if (record.empty()) {
                record = line;
                lost.Sound(static_cast<std::size_t>(slot));
            }
        } else if (!sound && slot >= 0 && line.size() == Length(jvdata::DayFileKind::Payouts) &&
                   jvdata::RaceKey::Of(line).IsWellFormed()) {
            // Damaged inside, its key whole: that race's record and no other.
            lost.Damaged(static_cast<std::size_t>(slot));
        } else {
            lost.Damaged();
        }
    }
    out.lost = lost.Count();
    return out;
}

HorseRunsRead ReadHorseRuns(std::string_view bytes, std::string_view pedigreeId,
                            std::int64_t raceDate) {
    HorseRunsRead out;
    if (bytes.empty()) {
        out.lost = true;
        return out;
    }
    // A load reads some thousand horse files: the lines' room is kept from one to the next.
    thread_local std::vector<std::string_view> lines;
    jvdata::SplitRecordLines(bytes, Length(jvdata::DayFileKind::HorseRuns), lines);
    for (std::size_t i = lines.size(); i-- > 0 && out.count < kPastRunsRead;) {
        const std::string_view line = lines[i];
        if (!Sound(jvdata::DayFileKind::HorseRuns, line) ||
            Field(line, jvdata::TJvSE::kPedigreeId) != pedigreeId) {
            out.lost = true;
            continue;
        }
        if (jvdata::FieldNumber(line, RecordHead::kRaceDate) >= raceDate) continue;
        if (out.count > 0 && Field(out.runs[out.count - 1], RecordHead::kRaceKey) ==
                                 Field(line, RecordHead::kRaceKey))
            continue;
        out.runs[out.count++] = line;
    }
    return out;
}

std::string_view ReadHorseMaster(std::string_view bytes, std::string_view pedigreeId, bool* lost) {
    auto isMaster = [&](std::string_view line) {
        return Sound(jvdata::DayFileKind::HorseMaster, line) &&
               Field(line, jvdata::TJvUM::kPedigreeId) == pedigreeId;
    };
    if (isMaster(bytes)) return bytes; // the file as it is written: the one record
    thread_local std::vector<std::string_view> lines;
    jvdata::SplitRecordLines(bytes, Length(jvdata::DayFileKind::HorseMaster), lines);
    for (std::string_view line : lines)
        if (isMaster(line)) return line;
    *lost = true;
    return {};
}

} // namespace raceday
