#include "jvdata/timeseries.h"

#include "jvdata/dayfiles.h"
#include "keiba/sjis.h"

#include <cstdlib>
#include <system_error>

namespace jvdata {
namespace {

namespace fs = std::filesystem;

const DayFile kOddsFiles[] = {DayFile::O1, DayFile::O2, DayFile::O3,
                              DayFile::O4, DayFile::O5, DayFile::O6};

std::size_t LineLength(int kind) {
    static const std::size_t kLengths[] = {kO1Length, kO2Length, kO3Length,
                                           kO4Length, kO5Length, kO6Length};
    return kLengths[kind - 1] - 2;
}

std::optional<int> Minutes(std::string_view hh, std::string_view mm) {
    if (hh.size() != 2 || mm.size() != 2 || !IsAsciiDigits(hh) || !IsAsciiDigits(mm))
        return std::nullopt;
    return static_cast<int>(FieldNumber(hh, 1, 2) * 60 + FieldNumber(mm, 1, 2));
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\r\n";
    return out;
}

} // namespace

std::optional<fs::path> TimeSeriesOddsFile(const fs::path& folder, std::string_view raceKey,
                                           int kind) {
    if (raceKey.size() != 16 || !IsAsciiDigits(raceKey) || kind < 1 || kind > 6)
        return std::nullopt;
    std::string name = std::string(raceKey.substr(8)) + ".jvO" + std::to_string(kind);
    return folder / std::string(raceKey.substr(0, 8)) / name;
}

std::optional<std::string> ChooseSnapshot(std::string_view fileBytes, int kind,
                                          std::string_view raceKey, std::string_view ozTime1) {
    std::string_view t = keiba::TrimBlanks(ozTime1);
    std::optional<int> target =
        t.size() == 4 ? Minutes(t.substr(0, 2), t.substr(2, 2)) : std::nullopt;
    if (!target) return std::nullopt;
    const std::string id = "O" + std::to_string(kind);
    int best = 1000;
    std::optional<std::string> chosen;
    for (std::string_view line : keiba::SplitLines(fileBytes)) {
        using O = TJvO1; // the head and announcement time are those of every odds record
        if (line.size() != LineLength(kind) || Field(line, O::kRecordId) != id ||
            Field(line, O::kRaceKey) != raceKey ||
            Field(line, O::kAnnounceMonthDay) != Field(line, O::kMonthDay))
            continue;
        std::optional<int> a =
            Minutes(Field(line, O::kAnnounceHour), Field(line, O::kAnnounceMinute));
        if (!a) continue;
        int d = std::abs(*target - *a);
        if (d < best) {
            best = d;
            chosen = std::string(line);
        }
    }
    return chosen;
}

std::string ReplaceRaceLines(std::string_view fileBytes, std::string_view snapshot) {
    std::vector<std::string> lines;
    bool matched = false;
    for (std::string_view l : keiba::SplitLines(fileBytes)) {
        if (l.size() != snapshot.size()) continue;
        if (Field(l, RecordHead::kRaceKey) == Field(snapshot, RecordHead::kRaceKey)) {
            lines.emplace_back(snapshot);
            matched = true;
        } else {
            lines.emplace_back(l);
        }
    }
    if (!matched) lines.emplace_back(snapshot);
    return JoinLines(lines);
}

TimeSeriesResult ImportTimeSeriesOdds(const fs::path& folder, const fs::path& appDir,
                                      const DayRaces& races, const DayCalcs& calcs) {
    TimeSeriesResult result;
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        std::string_view key = races[r].KeyText();
        std::optional<std::chrono::year_month_day> day = ParseYyyymmdd(key.substr(0, 8));
        if (!day) continue;
        for (int kind = 1; kind <= 6; ++kind) {
            std::optional<fs::path> source = TimeSeriesOddsFile(folder, key, kind);
            if (!source) break;
            // A snapshot that is there but cannot be read is no missing one: the races after it
            // would be counted as imported while its odds are not.
            keiba::FileRead snapshot = keiba::ReadFileOrMissing(*source);
            result.written = std::move(snapshot.read);
            if (!result.written) return result;
            if (!snapshot.bytes) continue;
            std::optional<std::string> line =
                ChooseSnapshot(*snapshot.bytes, kind, key, calcs[r].OzTime1);
            if (!line) continue;
            fs::path target = DayFilePath(appDir, *day, kOddsFiles[kind - 1]);
            result.written = keiba::CreateFolders(target.parent_path());
            if (!result.written) return result;
            keiba::FileRead old = keiba::ReadFileOrMissing(target);
            result.written = std::move(old.read);
            if (!result.written) return result;
            result.written = keiba::WriteFileAtomic(
                target, ReplaceRaceLines(old.bytes.value_or(std::string()), *line));
            if (!result.written) return result;
            if (kind == 1) ++result.races;
        }
    }
    return result;
}

} // namespace jvdata
