#include "raceday/analysis.h"

#include "jvdata/dayfiles.h"
#include "keiba/codetables.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/markconv.h"
#include "keiba/sjis.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <map>

namespace raceday {
namespace {

namespace fs = std::filesystem;

int Num(std::string_view field) {
    return static_cast<int>(keiba::DigitValue(field));
}

// A two-digit field that must be a number: both characters digits.
int StrictTwoDigits(std::string_view field) {
    if (field.size() != 2 || !jvdata::IsAsciiDigits(field)) return -1;
    return (field[0] - '0') * 10 + (field[1] - '0');
}

std::string RankOrE(std::string_view c) {
    return keiba::TrimBlanks(c).empty() ? std::string("E") : std::string(c);
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// Of two names of the same file in different case: the one spelled `exact` wins, then the
// first in byte order.
bool Prefer(const std::string& name, const std::string& other, std::string_view exact) {
    if ((name == exact) != (other == exact)) return name == exact;
    return name < other;
}

bool IsRegularFile(const fs::directory_entry& e) {
    std::error_code ec;
    return e.is_regular_file(ec);
}

} // namespace

std::optional<fs::path> FindMembersFile(const fs::path& folder, std::string_view prefix,
                                        std::string_view date8, std::string_view extension) {
    const std::string exact = std::string(prefix) + std::string(date8) + std::string(extension);
    std::error_code ec;
    if (fs::is_regular_file(folder / exact, ec)) return folder / exact;
    std::optional<std::string> best;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!SameIgnoringCase(name, exact) || !IsRegularFile(*it)) continue;
        if (!best || Prefer(name, *best, exact)) best = std::move(name);
    }
    if (!best) return std::nullopt;
    return folder / *best;
}

fs::path MembersFilePath(const fs::path& folder, std::string_view prefix, std::string_view date8,
                         std::string_view extension) {
    if (auto found = FindMembersFile(folder, prefix, date8, extension)) return *found;
    return folder / (std::string(prefix) + std::string(date8) + std::string(extension));
}

std::vector<VzkDay> ListVzkDays(const fs::path& folder) {
    constexpr std::string_view kPrefix = "XQ", kExtension = ".vzkd";
    constexpr std::size_t kLength = kPrefix.size() + 8 + kExtension.size();
    std::map<std::string, std::string> byDate; // date8 -> the chosen name
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name.size() != kLength) continue;
        std::string_view v = name;
        std::string_view date8 = v.substr(kPrefix.size(), 8);
        if (!SameIgnoringCase(v.substr(0, kPrefix.size()), kPrefix) ||
            !SameIgnoringCase(v.substr(kPrefix.size() + 8), kExtension) ||
            !jvdata::IsAsciiDigits(date8) || !IsRegularFile(*it))
            continue;
        const std::string exact =
            std::string(kPrefix) + std::string(date8) + std::string(kExtension);
        auto [at, added] = byDate.try_emplace(std::string(date8), name);
        if (!added && Prefer(name, at->second, exact)) at->second = name;
    }
    std::vector<VzkDay> days;
    days.reserve(byDate.size());
    for (auto& [date8, name] : byDate) days.push_back({date8, folder / name});
    return days;
}

std::optional<std::size_t> ReadAnalysisBytes(const fs::path& path,
                                             const std::function<char*(std::size_t)>& place) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    std::size_t used = 0;
    if (ok) {
        // The size stat gives is what is read: a file that grows meanwhile is read as it was.
        const auto size = static_cast<std::size_t>(st.st_size);
        char* to = nullptr;
        try {
            to = place(size);
        } catch (...) {
            ::close(fd);
            throw;
        }
        while (used < size) {
            ssize_t n = ::read(fd, to + used, size - used);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) ok = false;
            if (n <= 0) break;
            used += static_cast<std::size_t>(n);
        }
    }
    ::close(fd);
    if (!ok) return std::nullopt;
    return used;
}

bool ReadAnalysisFile(const fs::path& path, std::string& buffer) {
    // The buffer keeps its storage, so reading files of one size fills nothing twice.
    std::optional<std::size_t> read = ReadAnalysisBytes(path, [&](std::size_t size) {
        buffer.resize(size);
        return buffer.data();
    });
    buffer.resize(read.value_or(0));
    return read.has_value();
}

void ApplyHandInput(RaceDay& day, std::string_view rumaBytes) {
    for (std::string_view line : keiba::SplitLines(rumaBytes)) {
        if (line.size() < RumaLine::kKeyLength) continue;
        std::string_view key = line.substr(0, RumaLine::kKeyLength);
        for (std::size_t r = 0; r < kMaxRaces; ++r) {
            if (keiba::TrimBlanks(day.gDayRaces[r].Key().Year()).empty()) continue;
            if (day.gDayRaces[r].Key().Key12() != key) continue;
            TOutData2& t = day.gRaceTexts[r];
            t.RaceRLevelText = keiba::RLevelToText(Num(jvdata::Field(line, RumaLine::kLevel)));
            int f = FieldSize(day, static_cast<int>(r));
            for (int h = 0; h < f; ++h) {
                std::string_view c =
                    jvdata::Field(line, RumaLine::kFirstRunnerPos + static_cast<std::size_t>(h), 1);
                t.RUmaMark[static_cast<std::size_t>(h)] = c == "1" ? "R+" : c == "2" ? "R-" : "";
            }
            break;
        }
    }
}

void ApplyRaceComments(RaceDay& day, std::string_view csvBytes) {
    std::vector<std::string_view> lines = keiba::SplitLines(csvBytes);
    // The last comment of a race is the one kept, so the lines are read from the end and each
    // race's comment is gathered once: a damaged file of many unclosed comments, each running
    // on to the end of the file, costs one gathering per race rather than one per line.
    std::array<bool, kMaxRaces> done{};
    for (std::size_t i = lines.size() >= 2 ? lines.size() - 1 : 0; i-- > 0;) {
        std::size_t at = lines[i].find(",\"");
        constexpr std::size_t kKey = jvdata::RecordHead::kRaceKey.width;
        if (at == std::string_view::npos || lines[i].size() < kKey) continue;
        std::string_view key = lines[i].substr(0, kKey);
        std::size_t r = 0;
        while (r < kMaxRaces && day.gDayRaces[r].Key().Text() != key) ++r;
        if (r == kMaxRaces || done[r]) continue;
        std::string comment(lines[i].substr(at + 2));
        for (std::size_t j = i + 1; j < lines.size() && lines[j] != "\""; ++j) {
            comment += "\r\n";
            comment += lines[j];
        }
        if (comment.empty()) continue;
        day.gRaceTexts[r].RaceComment = std::move(comment);
        done[r] = true;
    }
}

int StoreAnalysisRecords(RaceDay& day, std::string_view bytes) {
    return StoreAnalysisRecords(day.gDayHorseAnalysis, bytes);
}

int StoreAnalysisRecords(AnalysisDay& table, std::string_view bytes) {
    int skipped = 0;
    std::size_t n = jvdata::RecordCount(bytes, jvdata::kAnalysisLength);
    for (std::size_t i = 0; i < n; ++i) {
        std::string_view rec = jvdata::RecordAt(bytes, jvdata::kAnalysisLength, i);
        int s = StrictTwoDigits(jvdata::Field(rec, jvdata::TAnalysisRecord::kRaceSlot));
        int horse = StrictTwoDigits(jvdata::Field(rec, jvdata::TAnalysisRecord::kHorseNo));
        if (horse == 0) continue; // no runner: not a record of a horse
        if (s < 0 || s >= kMaxRaces || horse < 1 || horse > kMaxRunners) {
            ++skipped;
            continue;
        }
        table[static_cast<std::size_t>(s)][static_cast<std::size_t>(horse - 1)].Assign(rec);
    }
    return skipped;
}

void DecodeAnalysis(RaceDay& day) {
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        int f = FieldSize(day, static_cast<int>(r));
        if (f <= 0) continue;
        TOutData2& t = day.gRaceTexts[r];
        const jvdata::TAnalysisRecord& first = day.gDayHorseAnalysis[r][0];
        int level = Num(first.ThisRun().RaceRLevel());
        if (level > 0) {
            t.RaceRLevelText = keiba::RLevelToText(level);
            t.RplsTou = std::string(first.RPlusCount());
            t.RmnsTou = std::string(first.RMinusCount());
        }
        for (std::size_t h = 0; h < static_cast<std::size_t>(f); ++h) {
            const jvdata::TAnalysisRecord& rec = day.gDayHorseAnalysis[r][h];
            jvdata::TAnalysisRun a = rec.ThisRun();
            t.YosoMark[h] = keiba::YosoMarkToText(Num(a.ForecastMark()));
            t.RUmaMark[h] = keiba::RUmaToText(Num(a.RCode()));
            t.RakuGenText[h] = std::string(keiba::TrimBlanks(rec.RakuGen()));
            for (std::size_t k = 0; k < kPastRunsRead; ++k) {
                jvdata::TAnalysisPastRun past = rec.PastRun(static_cast<int>(k));
                std::string_view date = past.Date8();
                if (date == day.gPastRunHorses[r][h][k].RaceDate()) {
                    t.PastDate[h][k] = std::string(date);
                    t.PastVenue[h][k] = keiba::JyoCodeToName(past.VenueCode(), 2);
                    t.PastRaceNo[h][k] = keiba::FormatIntBlankZero(past.RaceNo());
                    t.PastRLevel[h][k] = keiba::RLevelToText(Num(past.RLevel()));
                    t.PastRUma[h][k] = keiba::RUmaToText(Num(past.RCode()));
                } else {
                    t.PastDate[h][k].clear();
                    t.PastVenue[h][k].clear();
                    t.PastRaceNo[h][k].clear();
                    t.PastRLevel[h][k].clear();
                    t.PastRUma[h][k].clear();
                }
            }
            t.ZogenText[h] = keiba::ZogenToText(Num(a.TrendCode()));
            t.JoshoMark[h] = keiba::FlagToUpArrow(a.JoshoFlag());
            t.SenzaiMark[h] = keiba::FlagToStar(a.SenzaiFlag());
            t.LvZokuseiText[h] =
                std::string(keiba::CutBytes(keiba::LvZokuseiToText(a.LvAttributeCode()), 2));
            t.CourseMark[h] = keiba::FlagToMaru(a.CourseFlag());
            t.KyoriMark[h] = keiba::FlagToMaru(a.KyoriFlag());
            t.HiLvKosoMark[h] = keiba::FlagToMaru(a.HiLvKosoFlag());
            t.HiLvRate[h] = std::string(a.HiLvRate());
            t.LoLvRate[h] = std::string(a.LoLvRate());
            t.KeikenMark[h] = keiba::FlagToMaru(a.KeikenFlag());
            t.RJunText[h] = std::string(a.ROrder());
            t.KettoRank[h] = RankOrE(a.PedigreeRank());
            t.KishuRank[h] = RankOrE(a.JockeyRank());
            t.HatsuKoMark[h] = keiba::FlagToKiken(a.FirstHighFlag());
            t.Past5Total[h] = std::string(a.Past5Total());
        }
    }
}

namespace {

// The day's runners (race slot, horse) that follow the last of the `taken` analysis records, in
// the file's order, and have no analysis record.
std::size_t RunnersWithoutAnalysisAfter(const RaceDay& day, std::string_view taken) {
    constexpr std::size_t kLength = jvdata::kAnalysisLength;
    const std::size_t n = jvdata::RecordCount(taken, kLength);
    int fromSlot = 0, fromHorse = 0; // the first runner that may have been cut off (0-based)
    if (n > 0) {
        std::string_view last = jvdata::RecordAt(taken, kLength, n - 1);
        fromSlot = StrictTwoDigits(jvdata::Field(last, jvdata::TAnalysisRecord::kRaceSlot));
        fromHorse = StrictTwoDigits(jvdata::Field(last, jvdata::TAnalysisRecord::kHorseNo));
        if (fromSlot < 0 || fromHorse < 0) return 0;
    }
    std::size_t count = 0;
    for (int r = fromSlot; r < static_cast<int>(kMaxRaces); ++r)
        for (int h = r == fromSlot ? fromHorse : 0; h < FieldSize(day, r); ++h)
            if (day.gDayHorseAnalysis[static_cast<std::size_t>(r)][static_cast<std::size_t>(h)]
                    .IsBlank())
                ++count;
    return count;
}

} // namespace

std::size_t LoadMembersData(RaceDay& day, std::string_view date8) {
    if (auto ruma = keiba::ReadWholeFile(day.rumaFileName)) ApplyHandInput(day, *ruma);
    if (auto csv = keiba::ReadWholeFile(day.gVzkRcomCsvName)) ApplyRaceComments(day, *csv);
    std::size_t lost = 0;
    if (std::string xq; ReadAnalysisFile(day.gVzkXqFileName, xq)) {
        constexpr std::size_t kLength = jvdata::kAnalysisLength;
        std::string_view taken = xq;
        if (xq.size() % kLength != 0) {
            const std::size_t whole = jvdata::RecordCount(xq, kLength);
            std::size_t n = 0;
            while (n < whole && jvdata::Field(jvdata::RecordAt(xq, kLength, n),
                                              jvdata::TAnalysisRecord::kDate8) == date8)
                ++n;
            taken = taken.substr(0, n * kLength);
            lost = whole - n + 1;
        }
        StoreAnalysisRecords(day, taken);
        // Records wholly cut off the end leave no bytes to count, but their runners are in the
        // day: the runners after the last record taken that have none are lost as well.
        if (lost > 0) lost = std::max(lost, RunnersWithoutAnalysisAfter(day, taken));
        DecodeAnalysis(day);
    }
    return lost;
}

} // namespace raceday
