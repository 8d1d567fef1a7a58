#include "jvdata/dayfiles.h"

#include "keiba/codetables.h"
#include "keiba/sjis.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

namespace jvdata {
namespace {

namespace fs = std::filesystem;

unsigned char Folded(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

// The order of the day files: whole lines, letter case ignored. Every line of a file begins
// with the same eleven characters, so this is the order of the race key.
bool LineLess(const std::string& a, const std::string& b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = Folded(a[i]), y = Folded(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

// Cut at the end of a line too short to hold the whole key, never read past it.
std::string_view KeyOf(std::string_view line) {
    return Field(line, RecordHead::kRaceKey);
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string out;
    std::size_t total = 0;
    for (const auto& l : lines) total += l.size() + 2;
    out.reserve(total);
    for (const auto& l : lines) {
        out += l;
        out += "\r\n";
    }
    return out;
}

std::vector<std::string> WholeLines(std::string_view bytes, std::size_t lineLength) {
    std::vector<std::string> lines;
    for (std::string_view l : keiba::SplitLines(bytes))
        if (l.size() == lineLength) lines.emplace_back(l);
    return lines;
}

// Replaces the first line of the same race, else appends; false when the order may be broken.
void ReplaceOrAppend(std::vector<std::string>& lines, std::string line) {
    std::string_view key = KeyOf(line);
    for (std::string& l : lines) {
        if (KeyOf(l) == key) {
            l = std::move(line);
            return;
        }
    }
    lines.push_back(std::move(line));
}

void SortLines(std::vector<std::string>& lines) {
    if (!std::is_sorted(lines.begin(), lines.end(), LineLess))
        std::stable_sort(lines.begin(), lines.end(), LineLess);
}

std::vector<std::string> RunnerSlots(std::string_view bytes) {
    std::vector<std::string> slots;
    slots.reserve(kRunnerSlots);
    for (std::string_view l : keiba::SplitLines(bytes)) {
        if (slots.size() == kRunnerSlots) break;
        // A damaged line holds no usable runner; its slot becomes empty, the others keep place.
        slots.emplace_back(l.size() == kRunnerLineLength ? std::string(l)
                                                         : std::string(kRunnerLineLength, ' '));
    }
    while (slots.size() < kRunnerSlots) slots.emplace_back(kRunnerLineLength, ' ');
    return slots;
}

FileOutcome Refuse(RefuseReason why, std::string reason) {
    return {FileOutcome::Refused, std::move(reason), {}, why};
}

FileOutcome RefuseFraming(const FramingResult& fr) {
    bool id = fr.code == Framing::UnknownId || fr.code == Framing::WrongId;
    return Refuse(id ? RefuseReason::RecordId : RefuseReason::Length, fr.reason);
}

bool IsAsciiAlnum(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
}

} // namespace

std::optional<FileOutcome> RaceKeyRefusal(std::string_view record) {
    std::string_view date = Field(record, RecordHead::kRaceDate);
    if (!ParseYyyymmdd(date))
        return Refuse(RefuseReason::Date, "race date is not a date: \"" + std::string(date) + "\"");
    if (!IsAsciiAlnum(Field(record, RecordHead::kVenue)) ||
        !IsAsciiDigits(Field(record, RecordHead::kMeeting)) ||
        !IsAsciiDigits(Field(record, RecordHead::kMeetingDay)) ||
        !IsAsciiDigits(Field(record, RecordHead::kRaceNo)))
        return Refuse(RefuseReason::RaceKey, "race key is not one: \"" +
                                                 std::string(Field(record, RecordHead::kRaceKey)) +
                                                 "\"");
    return std::nullopt;
}

std::string_view RefuseReasonText(RefuseReason r) {
    static constexpr std::string_view kText[kRefuseReasons] = {
        "レコード長が不正",   "レコード種別が不正",       "レースキーが不正",  "開催日付が不正",
        "競馬場コードが不明", "レース番号・馬番が範囲外", "血統登録番号が不正"};
    return kText[static_cast<int>(r)];
}

std::string DayStem(std::chrono::year_month_day d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d年%02u月%02u日", static_cast<int>(d.year()),
                  static_cast<unsigned>(d.month()), static_cast<unsigned>(d.day()));
    return buf;
}

std::optional<std::string> VenueFileName(std::string_view code) {
    // Runner files exist for the racecourses of the code table, whose codes are two digits;
    // the country codes never name one.
    if (code.size() != 2 || !IsAsciiDigits(code)) return std::nullopt;
    std::string name = keiba::JyoCodeToName(code, 2);
    if (keiba::IsBlankText(name)) return std::nullopt;
    return keiba::Cp932ToUtf8(keiba::TrimBlanks(name));
}

bool IsPedigreeId(std::string_view id) {
    if (id.size() != 10) return false;
    for (char c : id) {
        bool ok = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!ok) return false;
    }
    return true;
}

std::string_view Extension(DayFile f) {
    static constexpr std::string_view kExt[] = {".jvRA",  ".jvHR",  ".jvO1", ".jvO2",
                                                ".jvO3",  ".jvO4",  ".jvO5", ".jvO6",
                                                ".jvO1a", ".jvO1m", ".jvDM"};
    return kExt[static_cast<int>(f)];
}

std::string_view RecordIdOf(DayFile f) {
    static constexpr std::string_view kIds[] = {"RA", "HR", "O1", "O2", "O3", "O4",
                                                "O5", "O6", "O1", "O1", "DM"};
    return kIds[static_cast<int>(f)];
}

fs::path DayFilePath(const fs::path& appDir, std::chrono::year_month_day day, DayFile f) {
    return appDir / "Data" / keiba::Utf8Path(DayStem(day) + std::string(Extension(f)));
}

std::optional<fs::path> DayRunnerFile(const fs::path& appDir, std::chrono::year_month_day day,
                                      std::string_view venueCode) {
    std::optional<std::string> venue = VenueFileName(venueCode);
    if (!venue) return std::nullopt;
    return appDir / "Data" / keiba::Utf8Path(DayStem(day) + *venue + ".jvSEr");
}

namespace {
constexpr std::string_view kHorseFolder[] = {"SEI", "UM2", "UMA"};
constexpr std::string_view kHorseExt[] = {".jvSEI", ".jvUM2", ".jvUMA"};
} // namespace

std::optional<fs::path> HorseFilePath(const fs::path& appDir, HorseFile kind,
                                      std::string_view pedigreeId) {
    if (!IsPedigreeId(pedigreeId)) return std::nullopt;
    int k = static_cast<int>(kind);
    std::string id(pedigreeId);
    return appDir / std::string(kHorseFolder[k]) / id.substr(0, 4) /
           (id + std::string(kHorseExt[k]));
}

HorseFilePaths::HorseFilePaths(const fs::path& appDir)
    : buffer_(appDir.native()) {
    // As the path object's "/" joins: no second separator, none after an empty folder.
    if (!buffer_.empty() && buffer_.back() != '/') buffer_ += '/';
    folderLength_ = buffer_.size();
}

const char* HorseFilePaths::Of(HorseFile kind, std::string_view pedigreeId) {
    if (!IsPedigreeId(pedigreeId)) return nullptr;
    const int k = static_cast<int>(kind);
    buffer_.resize(folderLength_);
    buffer_ += kHorseFolder[k];
    buffer_ += '/';
    buffer_ += pedigreeId.substr(0, 4);
    buffer_ += '/';
    buffer_ += pedigreeId;
    buffer_ += kHorseExt[k];
    return buffer_.c_str();
}

int RunnerSlot(int race, int horse) {
    if (race < 1 || race > 12 || horse < 1 || horse > 18) return -1;
    return (race - 1) * 18 + (horse - 1);
}

std::string UpsertRecordLine(std::string_view fileBytes, std::string_view line) {
    std::vector<std::string> lines = WholeLines(fileBytes, line.size());
    ReplaceOrAppend(lines, std::string(line));
    SortLines(lines);
    return JoinLines(lines);
}

std::string PutRunnerSlot(std::string_view fileBytes, std::string_view line, int slot) {
    std::vector<std::string> slots = RunnerSlots(fileBytes);
    if (slot >= 0 && slot < kRunnerSlots && line.size() == kRunnerLineLength)
        slots[static_cast<std::size_t>(slot)] = std::string(line);
    return JoinLines(slots);
}

FilingBatch::FilingBatch(fs::path appDir)
    : appDir_(std::move(appDir)) {}

FilingBatch::Image* FilingBatch::Load(const fs::path& path, Kept kept, std::size_t lineLength,
                                      bool slotted, bool createMissing, keiba::IoResult& unread) {
    auto it = files_.find(path.native());
    if (it != files_.end()) return &it->second;
    keiba::FileRead file = keiba::ReadFileOrMissing(path);
    if (!file.read) {
        unread = std::move(file.read);
        return nullptr;
    }
    std::optional<std::string>& bytes = file.bytes;
    if (!bytes && !createMissing) return nullptr;
    Image img;
    img.path = path;
    img.lineLength = lineLength;
    img.kept = kept;
    img.slotted = slotted;
    if (slotted) {
        img.lines = RunnerSlots(bytes.value_or(std::string()));
    } else if (bytes) {
        img.lines = WholeLines(*bytes, lineLength);
        img.sorted = std::is_sorted(img.lines.begin(), img.lines.end(), LineLess);
    }
    Held(kept) += img.lines.size() * lineLength;
    return &files_.emplace(path.native(), std::move(img)).first->second;
}

FileOutcome FilingBatch::Upsert(const fs::path& path, Kept kept, std::string line) {
    keiba::IoResult unread = keiba::IoResult::Ok();
    Image* img = Load(path, kept, line.size(), false, true, unread);
    if (!img) return {FileOutcome::Failed, std::move(unread.message), path};
    // Sorting before the search keeps "the first line of the race" what it is in the saved file.
    if (!img->sorted) std::stable_sort(img->lines.begin(), img->lines.end(), LineLess);
    Held(kept) += line.size();
    ReplaceOrAppend(img->lines, std::move(line));
    img->sorted = std::is_sorted(img->lines.begin(), img->lines.end(), LineLess);
    MarkChanged(*img);
    return {FileOutcome::Filed, {}, path};
}

FileOutcome FilingBatch::UpsertDayLine(DayFile kind, std::string_view record, DayLineOptions opt) {
    FramingResult fr = CheckFraming(record, RecordIdOf(kind));
    if (!fr) return RefuseFraming(fr);
    if (std::optional<FileOutcome> bad = RaceKeyRefusal(record)) return *bad;
    fs::path path =
        DayFilePath(appDir_, *ParseYyyymmdd(Field(record, RecordHead::kRaceDate)), kind);
    std::string line(record.substr(0, record.size() - 2));
    if (opt.zeroHead) ZeroHead(line);
    if (!opt.createMissing) {
        keiba::IoResult unread = keiba::IoResult::Ok();
        if (!Load(path, Kept::Day, line.size(), false, false, unread))
            return unread ? FileOutcome{FileOutcome::Skipped, "no file to update", path}
                          : FileOutcome{FileOutcome::Failed, std::move(unread.message), path};
    }
    return Upsert(path, Kept::Day, std::move(line));
}

FileOutcome FilingBatch::PutRunner(std::string_view record, bool createMissing) {
    FramingResult fr = CheckFraming(record, TJvSE::kId);
    if (!fr) return RefuseFraming(fr);
    if (std::optional<FileOutcome> bad = RaceKeyRefusal(record)) return *bad;
    std::chrono::year_month_day day = *ParseYyyymmdd(Field(record, RecordHead::kRaceDate));
    std::string_view race = Field(record, RecordHead::kRaceNo),
                     horse = Field(record, TJvSE::kHorseNo);
    int slot = IsAsciiDigits(race) && IsAsciiDigits(horse)
                   ? RunnerSlot(static_cast<int>(FieldNumber(record, RecordHead::kRaceNo)),
                                static_cast<int>(FieldNumber(record, TJvSE::kHorseNo)))
                   : -1;
    if (slot < 0)
        return Refuse(RefuseReason::Slot, "no runner slot for race \"" + std::string(race) +
                                              "\", horse \"" + std::string(horse) + "\"");
    std::optional<fs::path> path = DayRunnerFile(appDir_, day, Field(record, RecordHead::kVenue));
    if (!path)
        return Refuse(RefuseReason::Venue, "unknown venue code \"" +
                                               std::string(Field(record, RecordHead::kVenue)) +
                                               "\"");
    keiba::IoResult unread = keiba::IoResult::Ok();
    Image* img = Load(*path, Kept::Day, kRunnerLineLength, true, createMissing, unread);
    if (!img && !unread) return {FileOutcome::Failed, std::move(unread.message), *path};
    if (!img) return {FileOutcome::Skipped, "no file to update", *path};
    img->lines[static_cast<std::size_t>(slot)] = std::string(record.substr(0, kRunnerLineLength));
    MarkChanged(*img);
    return {FileOutcome::Filed, {}, *path};
}

FileOutcome FilingBatch::UpsertHorseRun(std::string_view record) {
    FramingResult fr = CheckFraming(record, TJvSE::kId);
    if (!fr) return RefuseFraming(fr);
    std::string_view id = Field(record, TJvSE::kPedigreeId);
    std::optional<fs::path> path = HorseFilePath(appDir_, HorseFile::SEI, id);
    if (!path)
        return Refuse(RefuseReason::PedigreeId,
                      "pedigree id is not one: \"" + std::string(id) + "\"");
    if (std::optional<FileOutcome> bad = RaceKeyRefusal(record)) return *bad;
    std::string line(record.substr(0, record.size() - 2));
    ZeroHead(line);
    return Upsert(*path, Kept::Horse, std::move(line));
}

FileOutcome FilingBatch::PutHorseMaster(std::string_view record) {
    FramingResult fr = CheckFraming(record, TJvUM::kId);
    if (!fr) return RefuseFraming(fr);
    std::string_view id = Field(record, TJvUM::kPedigreeId);
    std::optional<fs::path> path = HorseFilePath(appDir_, HorseFile::UM2, id);
    if (!path)
        return Refuse(RefuseReason::PedigreeId,
                      "pedigree id is not one: \"" + std::string(id) + "\"");
    Image& img = files_[path->native()];
    if (img.lines.empty()) heldHorse_ += kUmLength;
    img.path = *path;
    img.lineLength = kUmLength - 2;
    img.kept = Kept::Horse;
    img.lines.assign(1, std::string(record.substr(0, kUmLength - 2)));
    MarkChanged(img);
    return {FileOutcome::Filed, {}, *path};
}

void FilingBatch::EnsureHorseFolder(HorseFile kind, std::string_view pedigreeId) {
    if (!IsPedigreeId(pedigreeId)) return;
    static constexpr std::string_view kFolder[] = {"SEI/", "UM2/", "UMA/"};
    // Asked for every runner: kept as a short text, made a path only at the flush.
    std::string folder(kFolder[static_cast<int>(kind)]);
    folder += pedigreeId.substr(0, 4);
    folders_.insert(std::move(folder));
}

keiba::IoResult FilingBatch::Flush(const std::function<void()>& between) {
    return Write(true, between);
}

keiba::IoResult FilingBatch::FlushDayFiles(const std::function<void()>& between) {
    return Write(false, between);
}

keiba::IoResult FilingBatch::Write(bool horsesToo, const std::function<void()>& between) {
    keiba::IoResult first = keiba::IoResult::Ok();
    for (auto it = folders_.begin(); horsesToo && it != folders_.end();) {
        keiba::IoResult r = keiba::CreateFolders(appDir_ / *it);
        if (r) {
            it = folders_.erase(it);
        } else {
            if (first) first = r;
            ++it;
        }
    }
    // In the order of their paths, so one folder's files are written together.
    std::vector<std::pair<const std::string*, Image*>> due;
    for (auto& [name, img] : files_)
        if (img.dirty && (img.kept == Kept::Day || horsesToo)) due.emplace_back(&name, &img);
    std::sort(due.begin(), due.end(),
              [](const auto& a, const auto& b) { return *a.first < *b.first; });
    // Each folder is synced once, after the last rename into it.
    std::set<fs::path> written;
    std::size_t count = 0;
    for (auto [name, img] : due) {
        if (between && ++count % 256 == 0) between();
        const fs::path& path = img->path;
        if (!img->slotted) SortLines(img->lines);
        keiba::IoResult r = keiba::CreateFolders(path.parent_path());
        if (r) r = keiba::WriteFileAtomic(path, JoinLines(img->lines), keiba::FolderSync::ByCaller);
        if (r) {
            img->dirty = false;
            --pending_;
            written.insert(path.parent_path());
        } else if (first) {
            first = r;
        }
    }
    for (const fs::path& folder : written) {
        keiba::IoResult r = keiba::SyncFolder(folder);
        if (!r && first) first = r;
    }
    // Written images are dropped: the next record reads the file again, as saved.
    std::erase_if(files_, [horsesToo](const auto& kv) {
        return !kv.second.dirty && (horsesToo || kv.second.kept == Kept::Day);
    });
    heldDay_ = heldHorse_ = 0;
    for (const auto& kv : files_)
        Held(kv.second.kept) += kv.second.lines.size() * kv.second.lineLength;
    return first;
}

void FilingBatch::MarkChanged(Image& img) {
    if (!img.dirty) ++pending_;
    img.dirty = true;
}

std::size_t RemoveStaleDataTemps(const fs::path& appDir) {
    constexpr auto kOlder = keiba::OlderTempNames::Remove;
    std::size_t removed = keiba::RemoveStaleTempFiles(appDir, kOlder) +
                          keiba::RemoveStaleTempFiles(appDir / "Data", kOlder);
    for (const char* horses : {"SEI", "UM2"}) {
        std::error_code ec;
        for (fs::directory_iterator it(appDir / horses, ec), end; !ec && it != end;
             it.increment(ec)) {
            std::error_code typeEc;
            if (it->is_directory(typeEc))
                removed += keiba::RemoveStaleTempFiles(it->path(), kOlder);
        }
    }
    return removed;
}

namespace {
FileOutcome FlushOne(FilingBatch& batch, FileOutcome out) {
    if (!out) return out;
    keiba::IoResult r = batch.Flush();
    if (!r) return {FileOutcome::Failed, r.message, out.path};
    return out;
}
} // namespace

FileOutcome FileDayRecord(const fs::path& appDir, DayFile kind, std::string_view record,
                          DayLineOptions opt) {
    FilingBatch b(appDir);
    return FlushOne(b, b.UpsertDayLine(kind, record, opt));
}

FileOutcome FileRunnerSlot(const fs::path& appDir, std::string_view record, bool createMissing) {
    FilingBatch b(appDir);
    return FlushOne(b, b.PutRunner(record, createMissing));
}

FileOutcome FileHorseRun(const fs::path& appDir, std::string_view record) {
    FilingBatch b(appDir);
    return FlushOne(b, b.UpsertHorseRun(record));
}

FileOutcome FileHorseMaster(const fs::path& appDir, std::string_view record) {
    FilingBatch b(appDir);
    return FlushOne(b, b.PutHorseMaster(record));
}

} // namespace jvdata
