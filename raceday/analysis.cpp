#include "raceday/analysis.h"

#include "jvdata/dayfiles.h"
#include "jvdata/recordcheck.h"
#include "keiba/codetables.h"
#include "keiba/fileio.h"
#include "keiba/formatters.h"
#include "keiba/markconv.h"
#include "keiba/sjis.h"

#include <dirent.h>
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

std::size_t RaceCount(const RaceDay& day) {
    return static_cast<std::size_t>(std::clamp(day.gDayRaceCount, 0, kMaxRaces));
}

// The race among the day's first `races` that a record of `kind` names, as the kinds table
// places it; -1 for none.
int RaceNamed(const RaceDay& day, const jvdata::DayFileKindInfo& kind, std::string_view record,
              std::size_t races = kMaxRaces) {
    for (std::size_t r = 0; r < races; ++r)
        if (jvdata::NamesRace(kind, record, day.gDayRaces[r].Key())) return static_cast<int>(r);
    return -1;
}

// Whether a name the folder `dirFd` lists is a file, or a link to one.
bool IsRegularAt(int dirFd, const dirent& e) {
    if (e.d_type == DT_REG) return true;
    if (e.d_type != DT_UNKNOWN && e.d_type != DT_LNK) return false;
    struct ::stat st {};
    return ::fstatat(dirFd, e.d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

bool IsRegularFile(const fs::directory_entry& e) {
    std::error_code ec;
    return e.is_regular_file(ec);
}

} // namespace

MembersFileFound FindMembersFile(const fs::path& folder, std::string_view prefix,
                                 std::string_view date8, std::string_view extension) {
    const std::string exact = std::string(prefix) + std::string(date8) + std::string(extension);
    struct ::stat st {};
    if (::stat((folder / exact).c_str(), &st) == 0) {
        if (S_ISREG(st.st_mode)) return {folder / exact, keiba::IoResult::Ok()};
    } else if (errno != ENOENT && errno != ENOTDIR) {
        return {std::nullopt, keiba::ReadFailed(folder / exact, errno)};
    }
    keiba::FolderList list = keiba::ListFolder(folder);
    if (!list.entries) return {std::nullopt, std::move(list.list)};
    std::optional<std::string> best;
    for (const fs::directory_entry& entry : *list.entries) {
        std::string name = entry.path().filename().string();
        if (!SameIgnoringCase(name, exact) || !IsRegularFile(entry)) continue;
        if (!best || Prefer(name, *best, exact)) best = std::move(name);
    }
    if (!best) return {std::nullopt, keiba::IoResult::Ok()};
    return {folder / *best, keiba::IoResult::Ok()};
}

fs::path MembersFilePath(const fs::path& folder, std::string_view prefix, std::string_view date8,
                         std::string_view extension) {
    if (MembersFileFound found = FindMembersFile(folder, prefix, date8, extension))
        return *found.path;
    return folder / (std::string(prefix) + std::string(date8) + std::string(extension));
}

namespace {
constexpr std::string_view kXqPrefix = "XQ", kXqExtension = ".vzkd";
} // namespace

std::vector<VzkDay> ListVzkDays(const fs::path& folder, keiba::IoResult* listed) {
    constexpr std::size_t kLength = kXqPrefix.size() + 8 + kXqExtension.size();
    if (listed) *listed = keiba::IoResult::Ok();
    // Listed by the system's own calls, through the reads' test seam: a search lists years of
    // files as it starts, and the library's listing parses a path for every name, which costs a
    // search more than the rest of its start. Nothing there is a missing folder; something other
    // than a folder standing there is not (and is not opened, which a pipe would not answer).
    auto failed = [&](int err) {
        if (listed) *listed = keiba::ReadFailed(folder, err);
        return std::vector<VzkDay>{};
    };
    struct ::stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? std::vector<VzkDay>{} : failed(errno);
    if (!S_ISDIR(st.st_mode)) return failed(ENOTDIR);
    const int fd = keiba::OpenToRead(folder.c_str());
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (!dir) {
        const int err = errno;
        if (fd >= 0) ::close(fd);
        return failed(err);
    }
    // A name as it stands, and its date as a number, which orders the names as the text of their
    // eight digits does: a search sorts years of them as it starts.
    struct Found {
        std::uint32_t date = 0;
        std::array<char, kLength> name{};
        std::string_view Name() const { return {name.data(), name.size()}; }
        std::string_view Date8() const { return Name().substr(kXqPrefix.size(), 8); }
    };
    std::vector<Found> found;
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(dir);
        if (!e) break;
        const std::string_view name = e->d_name;
        if (name.size() != kLength ||
            !SameIgnoringCase(name.substr(0, kXqPrefix.size()), kXqPrefix) ||
            !SameIgnoringCase(name.substr(kXqPrefix.size() + 8), kXqExtension))
            continue;
        const std::string_view date8 = name.substr(kXqPrefix.size(), 8);
        if (!jvdata::IsAsciiDigits(date8) || !IsRegularAt(::dirfd(dir), *e)) continue;
        Found f;
        for (const char c : date8) f.date = f.date * 10 + static_cast<std::uint32_t>(c - '0');
        std::copy(name.begin(), name.end(), f.name.begin());
        found.push_back(f);
    }
    const int err = errno;
    ::closedir(dir);
    if (err != 0) return failed(err);
    // By date, and of the names of one date the one FindMembersFile would choose first.
    std::sort(found.begin(), found.end(), [&](const Found& a, const Found& b) {
        if (a.date != b.date) return a.date < b.date;
        return Prefer(std::string(a.Name()), std::string(b.Name()),
                      std::string(kXqPrefix) + std::string(a.Date8()) + std::string(kXqExtension));
    });
    std::vector<VzkDay> days;
    days.reserve(found.size());
    for (const Found& f : found)
        if (days.empty() || days.back().date8 != f.Date8())
            days.push_back({std::string(f.Date8()), folder / f.Name()});
    return days;
}

AnalysisBytesRead ReadAnalysisBytes(const fs::path& path,
                                    const std::function<char*(std::size_t)>& place) {
    AnalysisBytesRead out;
    out.lookedAt = jvdata::FileClockNow();
    // The program never writes these files itself (they arrive by extraction), so its own
    // writes have nothing to add to a stamp.
    constexpr std::uint64_t writes = 0;
    const int fd = keiba::OpenToRead(path.c_str());
    if (fd < 0) {
        if (errno != ENOENT && errno != ENOTDIR) out.file.read = keiba::ReadFailed(path, errno);
        return out;
    }
    struct ::stat before {};
    int err = 0;
    if (::fstat(fd, &before) != 0)
        err = errno;
    else if (!S_ISREG(before.st_mode))
        err = S_ISDIR(before.st_mode) ? EISDIR : keiba::kNotARegularFile;
    std::size_t used = 0;
    if (err == 0) {
        // The size fstat gave is what is read: a file that grows meanwhile is read as it was.
        const auto size = static_cast<std::size_t>(before.st_size);
        char* to = nullptr;
        try {
            to = place(size);
        } catch (...) {
            ::close(fd);
            throw;
        }
        while (used < size) {
            const ssize_t n = ::read(fd, to + used, size - used);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) err = errno;
            if (n <= 0) break;
            used += static_cast<std::size_t>(n);
        }
    }
    // The bytes are the file as stamped only if nothing changed it while they were read (a
    // writer that puts a new file in its place leaves the open one as it was).
    struct ::stat after {};
    const bool steady = err == 0 && ::fstat(fd, &after) == 0 &&
                        jvdata::StampOf(before, writes) == jvdata::StampOf(after, writes);
    ::close(fd);
    if (err != 0) {
        out.file.read = keiba::ReadFailed(path, err);
        return out;
    }
    out.file.found = true;
    out.size = used;
    if (steady && used == static_cast<std::size_t>(before.st_size))
        out.stamp = jvdata::StampOf(before, writes);
    return out;
}

AnalysisFileRead ReadAnalysisFile(const fs::path& path, std::string& buffer) {
    // The buffer keeps its storage, so reading files of one size fills nothing twice.
    AnalysisBytesRead read = ReadAnalysisBytes(path, [&](std::size_t size) {
        buffer.resize(size);
        return buffer.data();
    });
    buffer.resize(read.size);
    return std::move(read.file);
}

AnalysisVerdicts::Verdict AnalysisVerdicts::Verdict::Of(std::string_view bytes,
                                                        const AnalysisRecords& records) {
    Verdict v;
    v.lost = records.lost;
    // No damage at all: every record sound, one after another from the start to the end.
    v.whole = records.lost == 0;
    if (!v.whole)
        for (std::string_view rec : records.records)
            v.starts.push_back(static_cast<std::uint32_t>(rec.data() - bytes.data()));
    return v;
}

std::optional<AnalysisVerdicts::Verdict>
AnalysisVerdicts::Find(const fs::path& path, std::string_view date8,
                       const jvdata::FileStamp& stamp) const {
    std::lock_guard lock(mutex_);
    auto it = entries_.find(path.native());
    if (it == entries_.end() || it->second.stamp != stamp || it->second.date8 != date8)
        return std::nullopt;
    return it->second.verdict;
}

void AnalysisVerdicts::Keep(const fs::path& path, std::string_view date8,
                            const jvdata::FileStamp& stamp, Verdict verdict) {
    std::lock_guard lock(mutex_);
    if (entries_.size() >= kFiles && !entries_.contains(path.native())) entries_.clear();
    entries_.insert_or_assign(path.native(), Entry{std::string(date8), stamp, std::move(verdict)});
}

void AnalysisVerdicts::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

AnalysisVerdicts& CheckedAnalysisFiles() {
    static AnalysisVerdicts verdicts;
    return verdicts;
}

void ApplyHandInput(RaceDay& day, std::string_view rumaBytes) {
    const jvdata::DayFileKindInfo& kind = jvdata::KindInfo(jvdata::DayFileKind::HandInput);
    for (std::string_view line : keiba::SplitLines(rumaBytes)) {
        if (!kind.sound(line)) continue;
        const int r = RaceNamed(day, kind, line);
        if (r < 0) continue;
        TOutData2& t = day.gRaceTexts[static_cast<std::size_t>(r)];
        t.RaceRLevelText = keiba::RLevelToText(Num(jvdata::Field(line, jvdata::RumaLine::kLevel)));
        const int f = FieldSize(day, r);
        for (int h = 0; h < f; ++h) {
            std::string_view c = jvdata::Field(
                line, jvdata::RumaLine::kFirstRunnerPos + static_cast<std::size_t>(h), 1);
            t.RUmaMark[static_cast<std::size_t>(h)] = c == "1" ? "R+" : c == "2" ? "R-" : "";
        }
    }
}

void ApplyRaceComments(RaceDay& day, std::string_view csvBytes) {
    const jvdata::DayFileKindInfo& kind = jvdata::KindInfo(jvdata::DayFileKind::Comments);
    std::vector<std::string_view> lines = keiba::SplitLines(csvBytes);
    // The last comment of a race is the one kept, so the lines are read from the end and each
    // race's comment is gathered once: a damaged file of many unclosed comments, each running
    // on to the end of the file, costs one gathering per race rather than one per line.
    std::array<bool, kMaxRaces> done{};
    for (std::size_t i = lines.size() >= 2 ? lines.size() - 1 : 0; i-- > 0;) {
        const std::size_t at = lines[i].find(",\"");
        if (at == std::string_view::npos) continue;
        const int r = RaceNamed(day, kind, lines[i]);
        if (r < 0 || done[static_cast<std::size_t>(r)]) continue;
        std::string comment(lines[i].substr(at + 2));
        for (std::size_t j = i + 1; j < lines.size() && lines[j] != "\""; ++j) {
            comment += "\r\n";
            comment += lines[j];
        }
        if (comment.empty()) continue;
        day.gRaceTexts[static_cast<std::size_t>(r)].RaceComment = std::move(comment);
        done[static_cast<std::size_t>(r)] = true;
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

const jvdata::TAnalysisRecord& RaceFiguresRecord(const AnalysisDay::value_type& runners) {
    for (const jvdata::TAnalysisRecord& rec : runners)
        if (!rec.IsBlank()) return rec;
    return runners.front();
}

void DecodeAnalysis(RaceDay& day) {
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        int f = FieldSize(day, static_cast<int>(r));
        if (f <= 0) continue;
        TOutData2& t = day.gRaceTexts[r];
        const jvdata::TAnalysisRecord& first = RaceFiguresRecord(day.gDayHorseAnalysis[r]);
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

struct CheckedComments {
    std::string sound; // the sound comments, line by line as the file has them
    std::size_t lost = 0;
};

// A line of a comments file, and whether its line end lost its CR or its LF.
struct CommentLine {
    std::string_view text;
    bool brokenEnd = false;
};

// The lines of a comments file: split at CR LF, and at a lone CR or LF where the start of a
// comment or the file's end follows it, since that is a line end that lost its other half. A
// comment's closing line so broken still closes it, and the next comment starts where it does.
std::vector<CommentLine> CommentLines(std::string_view csv) {
    std::vector<CommentLine> out;
    for (const std::string_view line : jvdata::SplitCrLfLines(csv)) {
        std::size_t from = 0;
        for (std::size_t b = line.find_first_of("\r\n"); b != std::string_view::npos;
             b = line.find_first_of("\r\n", b + 1)) {
            const std::string_view rest = line.substr(b + 1);
            if (!rest.empty() && !jvdata::StartsRaceComment(rest)) continue;
            out.push_back({line.substr(from, b - from), true});
            from = b + 1;
        }
        if (from == 0 || from < line.size()) out.push_back({line.substr(from), false});
    }
    return out;
}

// Where a comment names no race of the day: a comment of another day in the place of one of the
// day's races (same venue and race number) is that race's damage; else the race is not known.
void DamagedComment(const RaceDay& day, std::string_view line, LostRaces& lost) {
    const jvdata::RecordKey key =
        jvdata::KeyOf(jvdata::KindInfo(jvdata::DayFileKind::Comments), line);
    for (std::size_t r = 0; r < RaceCount(day); ++r) {
        const jvdata::RaceKey race = day.gDayRaces[r].Key();
        if (key.venue == race.Venue() && key.raceNo == race.RaceNo()) {
            lost.Damaged(r);
            return;
        }
    }
    lost.Damaged();
}

// The comments of a race comments file that are sound (the kinds table's check) and of a race of
// the day (NamesRace): a line that starts one, its further lines, then a line of '"' alone. A
// comment not closed before the next one starts or the file ends, a comment that is not text, a
// line end in it that lost its CR or LF, a comment keyed to no race of the day, and a line
// between comments that starts none are damage. The file gives the races in the order of the race
// file; a file of no bytes has lost every race. A race's comment found twice is taken once.
CheckedComments CheckRaceComments(const RaceDay& day, std::string_view csv) {
    const std::size_t count = RaceCount(day);
    const jvdata::DayFileKindInfo& kind = jvdata::KindInfo(jvdata::DayFileKind::Comments);
    const std::vector<CommentLine> lines = CommentLines(csv);
    auto starts = [&](std::size_t i) { return jvdata::StartsRaceComment(lines[i].text); };
    auto closing = [&](std::size_t i) { return lines[i].text == "\""; };
    LostRaces lost(jvdata::DayFileKind::Comments, count);
    if (csv.empty()) lost.Damaged();
    CheckedComments out;
    for (std::size_t i = 0; i < lines.size();) {
        if (!starts(i)) {
            if (lines[i].brokenEnd ||
                lines[i].text.find_first_not_of(' ') != std::string_view::npos)
                lost.Damaged();
            ++i;
            continue;
        }
        const int race = RaceNamed(day, kind, lines[i].text, count);
        // The closing line, or the start of the next comment or the end of the file.
        std::size_t end = i + 1;
        while (end < lines.size() && !closing(end) && !starts(end)) ++end;
        const bool closed = end < lines.size() && closing(end);
        const std::size_t last = closed ? end : end - 1;
        bool broken = false;
        for (std::size_t j = i; j <= last; ++j) broken = broken || lines[j].brokenEnd;
        const char* from = lines[i].text.data();
        const std::string_view comment(from,
                                       static_cast<std::size_t>(lines[last].text.data() - from) +
                                           lines[last].text.size());
        if (closed && !broken && race >= 0 && kind.sound(comment)) {
            lost.Sound(static_cast<std::size_t>(race));
            (out.sound += comment) += "\r\n";
        } else if (race >= 0) {
            lost.Damaged(static_cast<std::size_t>(race));
        } else {
            DamagedComment(day, lines[i].text, lost);
        }
        if (!closed && end == lines.size()) lost.Damaged(); // a cut: what came after is gone
        i = closed ? end + 1 : end;
    }
    out.lost = lost.Count();
    return out;
}

// The races the hand input lost. A file that shows damage (a line that is no sound line of a race
// of the day, or no bytes at all) has lost every race of the day it holds no sound line of; a
// file without damage may lack races never entered.
std::size_t LostHandInput(const RaceDay& day, std::string_view bytes) {
    const jvdata::DayFileKindInfo& kind = jvdata::KindInfo(jvdata::DayFileKind::HandInput);
    std::bitset<kMaxRaces> held;
    bool damaged = bytes.empty();
    for (std::string_view line : keiba::SplitLines(bytes)) {
        if (line.empty()) continue;
        const int r = kind.sound(line) ? RaceNamed(day, kind, line, RaceCount(day)) : -1;
        if (r < 0)
            damaged = true;
        else
            held.set(static_cast<std::size_t>(r));
    }
    return damaged ? RaceCount(day) - held.count() : 0;
}

// A members' file missing from a folder that is there but cannot be listed may be there under
// another spelling (FindMembersFile): the folder's failure, told once for the day's files.
keiba::IoResult MissingFolder(const fs::path& file) {
    keiba::FolderList list = keiba::ListFolder(file.parent_path());
    return std::move(list.list);
}

} // namespace

AnalysisDayCheck::AnalysisDayCheck(std::string_view date8)
    : kind_(jvdata::KindInfo(jvdata::DayFileKind::Analysis))
    , date8_(date8) {}

bool IsSoundAnalysisRecordOf(std::string_view record, std::string_view date8) {
    return AnalysisDayCheck(date8)(record);
}

AnalysisRecords ReadAnalysisRecords(std::string_view bytes, std::string_view date8) {
    const jvdata::DayFileKindInfo& kind = jvdata::KindInfo(jvdata::DayFileKind::Analysis);
    const std::size_t length = kind.recordLength;
    const std::size_t dateAt = kind.key.date.pos - 1;
    const AnalysisDayCheck sound(date8);
    auto soundAt = [&](std::size_t at) {
        return at + length <= bytes.size() && sound(bytes.substr(at, length));
    };
    AnalysisRecords out;
    if (date8.size() != kind.key.date.width) return out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (soundAt(at)) {
            out.records.push_back(bytes.substr(at, length));
            at += length;
            continue;
        }
        // Damage: the next record starts where a sound one of the day does, found by its date.
        std::size_t next = bytes.size();
        for (std::size_t d = bytes.find(date8, at + 1 + dateAt); d != std::string_view::npos;
             d = bytes.find(date8, d + 1)) {
            if (soundAt(d - dateAt)) {
                next = d - dateAt;
                break;
            }
        }
        out.lost += std::max<std::size_t>(1, (next - at + length / 2) / length);
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
    const bool missing = rcom.Missing();
    if (const std::optional<std::string>& csv = rcom.bytes) {
        const CheckedComments comments = CheckRaceComments(day, *csv);
        ApplyRaceComments(day, comments.sound);
        report.Lost(jvdata::DayFileKind::Comments, day.gVzkRcomCsvName, comments.lost);
    }
    std::string xq;
    const AnalysisFileRead read = ReadAnalysisFile(day.gVzkXqFileName, xq);
    report.Unreadable(read.read);
    if (missing || read.Missing()) report.Unreadable(MissingFolder(day.gVzkXqFileName));
    if (!read) return;
    const jvdata::DayFileKindInfo& kind = jvdata::KindInfo(jvdata::DayFileKind::Analysis);
    // In file order, so that a later record for the same runner still replaces an earlier one.
    for (std::string_view rec : ReadAnalysisRecords(xq, date8).records) {
        const int horse = StrictTwoDigits(jvdata::Field(rec, jvdata::TAnalysisRecord::kHorseNo));
        const int r = RaceNamed(day, kind, rec, RaceCount(day));
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
