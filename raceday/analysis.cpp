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

bool DigitsOrBlanks(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return (c >= '0' && c <= '9') || c == ' '; });
}

std::size_t RaceCount(const RaceDay& day) {
    return static_cast<std::size_t>(std::clamp(day.gDayRaceCount, 0, kMaxRaces));
}

// Whether an analysis record reads as its layout says for the loaded day `date8`: race slot and
// runner number two digits in range, the day's date, the venue and race number of the race in its
// slot, and digits or blanks in the numbers and codes of its head, of its past runs and of its two
// run blocks (all of a block but the grade letter, the rates, the ranks and the signed total).
bool IsSoundAnalysis(std::string_view rec, const RaceDay& day, std::string_view date8) {
    using A = jvdata::TAnalysisRecord;
    using Run = jvdata::TAnalysisRun;
    const int slot = StrictTwoDigits(jvdata::Field(rec, A::kRaceSlot));
    const int horse = StrictTwoDigits(jvdata::Field(rec, A::kHorseNo));
    if (slot < 0 || slot >= kMaxRaces || horse < 0 || horse > kMaxRunners) return false;
    const jvdata::TJvRA& race = day.gDayRaces[static_cast<std::size_t>(slot)];
    if (jvdata::Field(rec, A::kDate8) != date8 ||
        jvdata::Field(rec, A::kVenue) != race.VenueCode() ||
        jvdata::Field(rec, A::kRaceNo) != race.RaceNo())
        return false;
    for (jvdata::FieldPos f :
         {A::kBracket, A::kWinPayout, A::kPlacePayout, A::kStatus, A::kRPlusCount, A::kRMinusCount,
          jvdata::FieldPos{A::kPastRunPos, 3 * A::kPastRunLength}})
        if (!DigitsOrBlanks(jvdata::Field(rec, f))) return false;
    for (std::size_t block : {A::kThisRunPos, A::kPreviousRunPos}) {
        const std::string_view b = jvdata::Field(rec, block, jvdata::kAnalysisRunLength);
        const std::size_t grade = Run::kGrade.pos - 1, rates = Run::kHiLvRate.pos - 1;
        if (!DigitsOrBlanks(b.substr(0, grade)) ||
            !DigitsOrBlanks(b.substr(grade + 1, rates - grade - 1)))
            return false;
    }
    return true;
}

// Whether a line of a race comment is text: CP932 characters, and no control characters.
bool IsCommentText(std::string_view line) {
    for (char ch : line) {
        const auto c = static_cast<unsigned char>(ch);
        if ((c < 0x20 && c != '\t') || c == 0x7F) return false;
    }
    // The converter gives U+FFFD for bytes that are not CP932, and CP932 has no such character.
    return keiba::Cp932ToUtf8(line).find("\xEF\xBF\xBD") == std::string::npos;
}

struct CheckedComments {
    std::string sound; // the sound comments, line by line as the file has them
    std::size_t lost = 0;
};

// The comments of a race comments file that are whole: a line of the race key, ',' and '"' and
// the comment's first line, its further lines, then a line of '"' alone. A comment not closed
// before the next one starts or the file ends, a comment that is not text, and a line between
// comments that starts none are damage. The file gives the races in the order of the race file.
CheckedComments CheckRaceComments(const RaceDay& day, std::string_view csv) {
    constexpr std::size_t kKey = jvdata::RecordHead::kRaceKey.width;
    const std::size_t count = RaceCount(day);
    // The race slot whose comment a line starts, -1 for a race not of the day; nothing when the
    // line starts no comment.
    auto startOf = [&](std::string_view line) -> std::optional<int> {
        if (line.size() < kKey + 2 || line.substr(kKey, 2) != ",\"" ||
            !jvdata::IsAsciiDigits(line.substr(0, kKey)))
            return std::nullopt;
        for (std::size_t r = 0; r < count; ++r)
            if (day.gDayRaces[r].KeyText() == line.substr(0, kKey)) return static_cast<int>(r);
        return -1;
    };
    const std::vector<std::string_view> lines = keiba::SplitLines(csv);
    LostRaces lost(count);
    CheckedComments out;
    for (std::size_t i = 0; i < lines.size();) {
        const std::optional<int> race = startOf(lines[i]);
        if (!race) {
            if (!keiba::TrimBlanks(lines[i]).empty()) lost.Damaged();
            ++i;
            continue;
        }
        // The closing line, or the start of the next comment or the end of the file.
        std::size_t end = i + 1;
        while (end < lines.size() && lines[end] != "\"" && !startOf(lines[end])) ++end;
        const bool cut = end == lines.size();
        bool text = !cut && lines[end] == "\"" && IsCommentText(lines[i].substr(kKey + 2));
        for (std::size_t j = i + 1; text && j < end; ++j) text = IsCommentText(lines[j]);
        if (text) {
            if (*race >= 0) lost.Sound(static_cast<std::size_t>(*race));
            for (std::size_t j = i; j <= end; ++j) (out.sound += lines[j]) += "\r\n";
            i = end + 1;
            continue;
        }
        if (*race >= 0)
            lost.Damaged(static_cast<std::size_t>(*race));
        else
            lost.Damaged();
        if (cut) lost.Damaged(); // the comments after this one are lost with it
        i = !cut && lines[end] == "\"" ? end + 1 : end;
    }
    out.lost = lost.Count();
    return out;
}

} // namespace

void LoadMembersData(RaceDay& day, std::string_view date8, DayReport& report) {
    keiba::FileRead ruma = keiba::ReadFileOrMissing(day.rumaFileName);
    report.Unreadable(ruma.read);
    if (ruma.bytes) ApplyHandInput(day, *ruma.bytes);
    keiba::FileRead rcom = keiba::ReadFileOrMissing(day.gVzkRcomCsvName);
    report.Unreadable(rcom.read);
    if (const std::optional<std::string>& csv = rcom.bytes) {
        const CheckedComments comments = CheckRaceComments(day, *csv);
        ApplyRaceComments(day, comments.sound);
        if (comments.lost > 0)
            report.Lost("コメントデータ", day.gVzkRcomCsvName, RacesText(comments.lost));
    }
    if (std::string xq; ReadAnalysisFile(day.gVzkXqFileName, xq)) {
        constexpr std::size_t kLength = jvdata::kAnalysisLength;
        // In file order, so that a later record for the same runner still replaces an earlier one.
        for (std::size_t i = 0; i < jvdata::RecordCount(xq, kLength); ++i) {
            const std::string_view rec = jvdata::RecordAt(xq, kLength, i);
            if (IsSoundAnalysis(rec, day, date8)) StoreAnalysisRecords(day, rec);
        }
        DecodeAnalysis(day);
        std::size_t lost = 0;
        for (std::size_t r = 0; r < kMaxRaces; ++r)
            for (std::size_t h = 0;
                 h < static_cast<std::size_t>(FieldSize(day, static_cast<int>(r))); ++h)
                if (day.gDayHorseAnalysis[r][h].IsBlank()) ++lost;
        if (lost > 0) report.Lost("分析データ", day.gVzkXqFileName, std::to_string(lost) + "頭分");
    } else {
        // The analysis reader does not say why it read nothing; a missing file is no news.
        report.Unreadable(keiba::ReadFileOrMissing(day.gVzkXqFileName).read);
    }
}

} // namespace raceday
