#include "raceday/analysis.h"

#include "jvdata/dayfiles.h"
#include "jvdata/recordcheck.h"
#include "keiba/codetables.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/markconv.h"
#include "keiba/sjis.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <bitset>
#include <cerrno>
#include <cstdint>
#include <map>
#include <optional>

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

std::vector<VzkDay> ListVzkDays(const fs::path& folder, keiba::IoResult* listed) {
    constexpr std::string_view kPrefix = "XQ", kExtension = ".vzkd";
    constexpr std::size_t kLength = kPrefix.size() + 8 + kExtension.size();
    std::map<std::string, std::string> byDate; // date8 -> the chosen name
    keiba::FolderList list = keiba::ListFolder(folder);
    if (listed) *listed = std::move(list.list);
    if (!list.entries) return {};
    for (const fs::directory_entry& entry : *list.entries) {
        std::string name = entry.path().filename().string();
        if (name.size() != kLength) continue;
        std::string_view v = name;
        std::string_view date8 = v.substr(kPrefix.size(), 8);
        if (!SameIgnoringCase(v.substr(0, kPrefix.size()), kPrefix) ||
            !SameIgnoringCase(v.substr(kPrefix.size() + 8), kExtension) ||
            !jvdata::IsAsciiDigits(date8) || !IsRegularFile(entry))
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
    int fd = keiba::OpenToRead(path.c_str());
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

AnalysisFileRead ReadAnalysisFile(const fs::path& path, std::string& buffer) {
    // The buffer keeps its storage, so reading files of one size fills nothing twice.
    std::optional<std::size_t> read = ReadAnalysisBytes(path, [&](std::size_t size) {
        buffer.resize(size);
        return buffer.data();
    });
    buffer.resize(read.value_or(0));
    if (read) return {keiba::IoResult::Ok(), true};
    // The fast reader does not say why it read nothing; the common read tells a missing file
    // from one that cannot be read, and names the cause.
    keiba::FileRead file = keiba::ReadFileOrMissing(path);
    if (!file.bytes) return {std::move(file.read), false};
    buffer = std::move(*file.bytes);
    return {keiba::IoResult::Ok(), true};
}

void ApplyHandInput(RaceDay& day, std::string_view rumaBytes) {
    for (std::string_view line : keiba::SplitLines(rumaBytes)) {
        if (!jvdata::IsSoundHandInputLine(line)) continue;
        std::string_view key = line.substr(0, jvdata::RumaLine::kKeyLength);
        for (std::size_t r = 0; r < kMaxRaces; ++r) {
            if (keiba::TrimBlanks(day.gDayRaces[r].Key().Year()).empty()) continue;
            if (day.gDayRaces[r].Key().Key12() != key) continue;
            TOutData2& t = day.gRaceTexts[r];
            t.RaceRLevelText =
                keiba::RLevelToText(Num(jvdata::Field(line, jvdata::RumaLine::kLevel)));
            int f = FieldSize(day, static_cast<int>(r));
            for (int h = 0; h < f; ++h) {
                std::string_view c = jvdata::Field(
                    line, jvdata::RumaLine::kFirstRunnerPos + static_cast<std::size_t>(h), 1);
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

std::size_t RaceCount(const RaceDay& day) {
    return static_cast<std::size_t>(std::clamp(day.gDayRaceCount, 0, kMaxRaces));
}

constexpr std::size_t kKey = jvdata::RecordHead::kRaceKey.width;

struct CheckedComments {
    std::string sound; // the sound comments, line by line as the file has them
    std::size_t lost = 0;
};

// The comments of a race comments file that are sound (IsSoundRaceComment) and of a race of the
// day: a line that starts one, its further lines, then a line of '"' alone. A comment not closed
// before the next one starts or the file ends, a comment that is not text or is keyed to no race
// of the day, and a line between comments that starts none are damage. The file gives the races
// in the order of the race file; a file of no bytes has lost every race.
CheckedComments CheckRaceComments(const RaceDay& day, std::string_view csv) {
    const std::size_t count = RaceCount(day);
    auto raceOf = [&](std::string_view line) -> int {
        for (std::size_t r = 0; r < count; ++r)
            if (day.gDayRaces[r].KeyText() == line.substr(0, kKey)) return static_cast<int>(r);
        return -1;
    };
    const std::vector<std::string_view> lines = jvdata::SplitCrLfLines(csv);
    LostRaces lost(jvdata::DayFileKind::Comments, count);
    if (csv.empty()) lost.Damaged();
    CheckedComments out;
    const jvdata::DayFileKindInfo& kind = jvdata::KindInfo(jvdata::DayFileKind::Comments);
    for (std::size_t i = 0; i < lines.size();) {
        if (!jvdata::StartsRaceComment(lines[i])) {
            if (lines[i].find_first_not_of(' ') != std::string_view::npos) lost.Damaged();
            ++i;
            continue;
        }
        const int race = raceOf(lines[i]);
        // The closing line, or the start of the next comment or the end of the file.
        std::size_t end = i + 1;
        while (end < lines.size() && lines[end] != "\"" && !jvdata::StartsRaceComment(lines[end]))
            ++end;
        const bool closed = end < lines.size() && lines[end] == "\"";
        const std::size_t last = closed ? end : end - 1;
        const char* from = lines[i].data();
        const std::string_view comment(from, static_cast<std::size_t>(lines[last].data() - from) +
                                                 lines[last].size());
        if (closed && race >= 0 && kind.sound(comment)) {
            lost.Sound(static_cast<std::size_t>(race));
            (out.sound += comment) += "\r\n";
        } else if (race >= 0) {
            lost.Damaged(static_cast<std::size_t>(race));
        } else {
            lost.Damaged();
        }
        if (!closed && end == lines.size()) lost.Damaged(); // a cut: what came after is gone
        i = closed ? end + 1 : end;
    }
    out.lost = lost.Count();
    return out;
}

// The day's race of each date, venue and race number ("yyyymmddvvrr"), for the analysis records.
int RaceSlotOf(const RaceDay& day, std::string_view key12) {
    for (std::size_t r = 0; r < RaceCount(day); ++r)
        if (day.gDayRaces[r].Key().Key12() == key12) return static_cast<int>(r);
    return -1;
}

// The races the hand input lost. A file that shows damage (a line that is no sound line of a race
// of the day, or no bytes at all) has lost every race of the day it holds no sound line of; a
// file without damage may lack races never entered.
std::size_t LostHandInput(const RaceDay& day, std::string_view bytes) {
    std::bitset<kMaxRaces> held;
    bool damaged = bytes.empty();
    for (std::string_view line : keiba::SplitLines(bytes)) {
        if (line.empty()) continue;
        const int r = jvdata::IsSoundHandInputLine(line)
                          ? RaceSlotOf(day, line.substr(0, jvdata::RumaLine::kKeyLength))
                          : -1;
        if (r < 0)
            damaged = true;
        else
            held.set(static_cast<std::size_t>(r));
    }
    return damaged ? RaceCount(day) - held.count() : 0;
}

} // namespace

AnalysisRecords ReadAnalysisRecords(std::string_view bytes, std::string_view date8) {
    constexpr std::size_t kLength = jvdata::kAnalysisLength;
    constexpr std::size_t kDateAt = jvdata::TAnalysisRecord::kDate8.pos - 1;
    auto soundAt = [&](std::size_t at) {
        return at + kLength <= bytes.size() && bytes.substr(at + kDateAt, date8.size()) == date8 &&
               jvdata::IsSoundAnalysisRecord(bytes.substr(at, kLength));
    };
    AnalysisRecords out;
    if (date8.size() != jvdata::TAnalysisRecord::kDate8.width) return out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (soundAt(at)) {
            out.records.push_back(bytes.substr(at, kLength));
            at += kLength;
            continue;
        }
        // Damage: the next record starts where a sound one of the day does, found by its date.
        std::size_t next = bytes.size();
        for (std::size_t d = bytes.find(date8, at + 1 + kDateAt); d != std::string_view::npos;
             d = bytes.find(date8, d + 1)) {
            if (soundAt(d - kDateAt)) {
                next = d - kDateAt;
                break;
            }
        }
        out.lost += std::max<std::size_t>(1, (next - at + kLength / 2) / kLength);
        at = next;
    }
    return out;
}

void LoadMembersData(RaceDay& day, std::string_view date8, DayReport& report) {
    keiba::FileRead ruma = keiba::ReadFileOrMissing(day.rumaFileName);
    report.Unreadable(ruma.read);
    if (ruma.bytes) {
        ApplyHandInput(day, *ruma.bytes);
        report.Lost(jvdata::DayFileKind::HandInput, day.rumaFileName,
                    LostHandInput(day, *ruma.bytes));
    }
    keiba::FileRead rcom = keiba::ReadFileOrMissing(day.gVzkRcomCsvName);
    report.Unreadable(rcom.read);
    if (const std::optional<std::string>& csv = rcom.bytes) {
        const CheckedComments comments = CheckRaceComments(day, *csv);
        ApplyRaceComments(day, comments.sound);
        report.Lost(jvdata::DayFileKind::Comments, day.gVzkRcomCsvName, comments.lost);
    }
    std::string xq;
    const AnalysisFileRead read = ReadAnalysisFile(day.gVzkXqFileName, xq);
    report.Unreadable(read.read);
    if (!read) return;
    // In file order, so that a later record for the same runner still replaces an earlier one.
    for (std::string_view rec : ReadAnalysisRecords(xq, date8).records) {
        using A = jvdata::TAnalysisRecord;
        const int horse = StrictTwoDigits(jvdata::Field(rec, A::kHorseNo));
        const int r =
            RaceSlotOf(day, std::string(date8) + std::string(jvdata::Field(rec, A::kVenue)) +
                                std::string(jvdata::Field(rec, A::kRaceNo)));
        if (horse < 1 || r < 0) continue; // no runner, or a race the day has not
        day.gDayHorseAnalysis[static_cast<std::size_t>(r)][static_cast<std::size_t>(horse - 1)]
            .Assign(rec);
    }
    DecodeAnalysis(day);
    std::size_t lost = 0;
    for (std::size_t r = 0; r < kMaxRaces; ++r)
        for (std::size_t h = 0; h < static_cast<std::size_t>(FieldSize(day, static_cast<int>(r)));
             ++h)
            if (day.gDayHorseAnalysis[r][h].IsBlank()) ++lost;
    report.Lost(jvdata::DayFileKind::Analysis, day.gVzkXqFileName, lost);
}

} // namespace raceday
