#include "raceday/dayfilereaders.h"

#include "jvdata/dayfilekinds.h"
#include "jvdata/recordcheck.h"
#include "keiba/sjis.h"
#include "raceday/dayreport.h"

#include <algorithm>
#include <functional>
#include <utility>

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
    const jvdata::DayFileKindInfo& kind = jvdata::KindInfo(jvdata::DayFileKind::HorseRuns);
    const std::size_t length = kind.recordLength;
    HorseRunsRead out;
    // yyyymmdd as a number, or -1 where the piece holds no date.
    auto dateOf = [&](std::string_view piece) -> std::int64_t {
        const std::string_view date8 = jvdata::KeyOf(kind, piece).date8;
        return jvdata::ParseYyyymmdd(date8) ? jvdata::FieldNumber(date8, 1, 8) : -1;
    };
    auto keyOf = [](std::string_view run) { return Field(run, RecordHead::kRaceKey); };
    // A load reads some thousand horse files: the room is kept from one to the next.
    thread_local std::vector<std::string_view> lines;
    thread_local std::vector<std::pair<std::int64_t, std::string_view>> runs;
    thread_local std::vector<std::int64_t> damage; // the days of runs lost before the race day
    jvdata::SplitRecordLines(bytes, length, lines);
    runs.clear();
    damage.clear();
    // The lines that look like whole runs of the horse are checked only where they would be
    // shown; the other pieces, each stretch of them taken as one, are damage. A stretch of one
    // record's bytes whose head still reads (a record cut, split, or with a byte lost or put in)
    // is a run of its day; any other could be any run, and then no run before the race day is
    // known to be the k-th.
    bool anyRunLost = bytes.empty(); // an empty file has lost them all
    std::string_view stretch;
    auto endStretch = [&] {
        if (stretch.empty()) return;
        const std::int64_t date = stretch.size() < length + length / 2 ? dateOf(stretch) : -1;
        if (date < 0) anyRunLost = true;
        if (date >= 0 && date < raceDate) damage.push_back(date);
        stretch = {};
    };
    for (std::string_view line : lines) {
        const std::int64_t date = line.size() == length && line.ends_with("\r\n") &&
                                          jvdata::KeyOf(kind, line).pedigreeId == pedigreeId
                                      ? dateOf(line)
                                      : -1;
        if (date >= 0) {
            endStretch();
            if (date < raceDate) runs.emplace_back(date, line);
        } else {
            // The pieces are views of the file one after another.
            stretch = {stretch.empty() ? line.data() : stretch.data(),
                       stretch.size() + line.size()};
        }
    }
    endStretch();
    if (anyRunLost) {
        out.lost = true;
        return out;
    }
    // By date, then by race key, the newest first, whatever the order of the file; a run put in
    // twice stands once, its first sound record taken.
    std::stable_sort(runs.begin(), runs.end(), [&](const auto& a, const auto& b) {
        return keyOf(a.second) > keyOf(b.second);
    });
    std::sort(damage.begin(), damage.end(), std::greater<>());
    // A run is shown as the k-th only when every run between it and the race day is known: the
    // walk ends at the newest damage that no sound run of its day accounts for. A horse runs once
    // a day, so damage on the day of a sound run is a copy of that run.
    std::size_t w = 0, d = 0;
    bool blocked = false;
    while (w < runs.size() && out.count < kPastRunsRead) {
        const std::int64_t date = runs[w].first;
        if (d < damage.size() && damage[d] > date) {
            blocked = true;
            break;
        }
        const std::size_t before = out.count;
        for (; w < runs.size() && runs[w].first == date; ++w) {
            const std::string_view run = runs[w].second;
            if (out.count == kPastRunsRead ||
                (out.count > before && keyOf(out.runs[out.count - 1]) == keyOf(run)))
                continue;
            if (kind.sound(run)) out.runs[out.count++] = run;
        }
        if (out.count == before) { // no sound run that day: the damage stands there
            blocked = true;
            break;
        }
        while (d < damage.size() && damage[d] == date) ++d;
    }
    out.lost = out.count < kPastRunsRead && (blocked || d < damage.size());
    return out;
}

std::string_view ReadHorseMaster(std::string_view bytes, std::string_view pedigreeId, bool* lost) {
    const jvdata::DayFileKindInfo& kind = jvdata::KindInfo(jvdata::DayFileKind::HorseMaster);
    auto isMaster = [&](std::string_view line) {
        return kind.sound(line) && jvdata::KeyOf(kind, line).pedigreeId == pedigreeId;
    };
    if (isMaster(bytes)) return bytes; // the file as it is written: the one record
    thread_local std::vector<std::string_view> lines;
    jvdata::SplitRecordLines(bytes, kind.recordLength, lines);
    for (std::string_view line : lines) {
        if (isMaster(line)) return line;
        // Damage may have been the master, and no later record stands in for it; another
        // horse's sound record is passed over.
        if (!kind.sound(line)) break;
    }
    *lost = true;
    return {};
}

} // namespace raceday
