#include "jvdata/timeseries.h"

#include "jvdata/dayfiles.h"
#include "keiba/rewritelines.h"
#include "keiba/sjis.h"

#include <cstdlib>
#include <map>
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

} // namespace

std::optional<fs::path> TimeSeriesOddsFile(const fs::path& folder, std::string_view raceKey,
                                           int kind) {
    if (raceKey.size() != 16 || !IsAsciiDigits(raceKey) || kind < 1 || kind > 6)
        return std::nullopt;
    std::string name = std::string(raceKey.substr(8)) + ".jvO" + std::to_string(kind);
    return folder / std::string(raceKey.substr(0, 8)) / name;
}

std::optional<std::string> ChooseSnapshot(std::string_view fileBytes, int kind,
                                          std::string_view raceKey, std::string_view ozTime1,
                                          std::size_t* unread) {
    if (unread) *unread = 0;
    if (kind < 1 || kind > 6) return std::nullopt;
    std::string_view t = keiba::TrimBlanks(ozTime1);
    std::optional<int> target =
        t.size() == 4 ? Minutes(t.substr(0, 2), t.substr(2, 2)) : std::nullopt;
    const RecordCheck sound = RecordCheckOf(kOddsFiles[kind - 1]);
    int best = 1000;
    std::optional<std::string> chosen;
    std::string record;
    // A lone CR in a line is damage inside it, not a second line to count.
    for (const keiba::LineView& l : keiba::SplitKeepingEnds(fileBytes, keiba::LineEnds::CrLfOrLf)) {
        using O = TJvO1; // the head and announcement time are those of every odds record
        const std::string_view line = l.text;
        if (line.empty()) continue;
        // A line of the kind's length that its record check refuses is damaged too: its odds
        // are never filed, whatever race or time it seems to name.
        record.assign(line).append("\r\n");
        if (line.size() != LineLength(kind) || !sound(record)) {
            if (unread) ++*unread;
            continue;
        }
        if (!target || Field(line, O::kRaceKey) != raceKey ||
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

std::string ReplaceRaceLines(std::string_view fileBytes, std::string_view snapshot,
                             std::size_t* unread) {
    const std::string_view id = Field(snapshot, RecordHead::kRecordId);
    const RecordCheck sound = id.size() == 2 && id[0] == 'O' && id[1] >= '1' && id[1] <= '6'
                                  ? RecordCheckOf(kOddsFiles[id[1] - '1'])
                                  : RecordCheckOf(DayFile::O1);
    std::string out;
    bool matched = false;
    std::size_t damaged = 0;
    std::size_t afterWhole = 0; // where the last whole line ends in `out`
    const std::string_view key = Field(snapshot, RecordHead::kRaceKey);
    // The lines in file order, each written back as it was but the race's: the lines tile the
    // file, so what is not a whole line keeps its neighbours.
    for (const RecordLine& piece : CutRecordLines(fileBytes, snapshot.size() + 2, sound)) {
        if (!piece.whole) {
            ++damaged;
            out += piece.bytes;
            continue;
        }
        std::string_view line = piece.bytes.substr(0, snapshot.size());
        matched = matched || Field(line, RecordHead::kRaceKey) == key;
        out += Field(line, RecordHead::kRaceKey) == key ? snapshot : line;
        out += "\r\n";
        afterWhole = out.size();
    }
    // A race the file lacks goes after its whole lines, before what follows them that it cannot
    // read: such a line may hold an older copy of the race that a reader would find first.
    if (!matched) out.insert(afterWhole, std::string(snapshot) + "\r\n");
    if (unread) *unread = damaged;
    return out;
}

TimeSeriesResult ImportTimeSeriesOdds(const fs::path& folder, const fs::path& appDir,
                                      const DayRaces& races, const DayCalcs& calcs) {
    TimeSeriesResult result;
    // An odds file takes a race at a time: it is told once, with what its last write kept.
    struct Notes {
        std::vector<std::string>& out;
        std::map<fs::path, std::size_t> at;
        void Add(const fs::path& file, std::string text) {
            auto [it, added] = at.emplace(file, out.size());
            if (added)
                out.push_back(std::move(text));
            else
                out[it->second] = std::move(text);
        }
    } notes{result.notes, {}};
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
            std::size_t unread = 0;
            std::optional<std::string> line =
                ChooseSnapshot(*snapshot.bytes, kind, key, calcs[r].OzTime1, &unread);
            if (unread > 0) notes.Add(*source, keiba::UnreadLinesText(*source, unread));
            if (!line) continue;
            fs::path target = DayFilePath(appDir, *day, kOddsFiles[kind - 1]);
            result.written = keiba::CreateFolders(target.parent_path());
            if (!result.written) return result;
            keiba::FileRead old = keiba::ReadFileOrMissing(target);
            result.written = std::move(old.read);
            if (!result.written) return result;
            result.written = keiba::WriteFileAtomic(
                target, ReplaceRaceLines(old.bytes.value_or(std::string()), *line, &unread));
            if (!result.written) return result;
            if (unread > 0) notes.Add(target, keiba::UnreadLinesKeptText(target, unread));
            if (kind == 1) ++result.races;
        }
    }
    return result;
}

} // namespace jvdata
