#include "jvdata/dayfiles.h"

#include "jvdata/dayfilekinds.h"
#include "keiba/codetables.h"
#include "keiba/rewritelines.h"
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

using Lines = std::vector<HeldRecordLine>;

Lines HoldRecordLines(std::string_view bytes, std::size_t lineLength, RecordCheck check) {
    Lines lines;
    for (const RecordLine& p : CutRecordLines(bytes, lineLength + 2, check)) {
        if (p.whole)
            lines.push_back({std::string(p.bytes.substr(0, lineLength)), true});
        else
            lines.push_back({std::string(p.bytes), false});
    }
    return lines;
}

std::string JoinRecordLines(const Lines& lines) {
    std::string out;
    std::size_t total = 0;
    for (const HeldRecordLine& l : lines) total += l.bytes.size() + 2;
    out.reserve(total);
    for (const HeldRecordLine& l : lines) {
        AppendKeptLine(out, l.bytes);
        if (l.whole) out += "\r\n";
    }
    return out;
}

std::size_t UnreadCount(const Lines& lines) {
    return static_cast<std::size_t>(std::count_if(
        lines.begin(), lines.end(), [](const HeldRecordLine& l) { return !l.whole; }));
}

bool IsSorted(const Lines& lines) {
    const HeldRecordLine* prev = nullptr;
    for (const HeldRecordLine& l : lines) {
        if (!l.whole) continue;
        if (prev && LineLess(l.bytes, prev->bytes)) return false;
        prev = &l;
    }
    return true;
}

// The whole lines sorted in the places whole lines hold; a line that is not whole keeps its own.
void SortLines(Lines& lines) {
    if (IsSorted(lines)) return;
    std::vector<std::string> whole;
    for (HeldRecordLine& l : lines)
        if (l.whole) whole.push_back(std::move(l.bytes));
    std::stable_sort(whole.begin(), whole.end(), LineLess);
    auto next = whole.begin();
    for (HeldRecordLine& l : lines)
        if (l.whole) l.bytes = std::move(*next++);
}

// Replaces the first whole line of the same race, else puts the line in after the last whole
// line that sorts before it (at the start when none does). The lines are sorted.
void ReplaceOrInsert(Lines& lines, std::string line) {
    std::string_view key = KeyOf(line);
    std::size_t at = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        HeldRecordLine& l = lines[i];
        if (!l.whole) continue;
        if (KeyOf(l.bytes) == key) {
            l.bytes = std::move(line);
            return;
        }
        if (!LineLess(line, l.bytes)) at = i + 1;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), {std::move(line), true});
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
        "レコード長が不正",   "レコード種別が不正",       "レースキーが不正",   "開催日付が不正",
        "競馬場コードが不明", "レース番号・馬番が範囲外", "血統登録番号が不正", "項目の値が不正"};
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

std::vector<RecordLine> CutRecordLines(std::string_view file, std::size_t length,
                                       RecordCheck check) {
    std::vector<RecordLine> lines;
    std::string last; // the last line given its CR LF, for the check
    for (const keiba::LineView& l : keiba::SplitKeepingEnds(file, keiba::LineEnds::CrLf)) {
        const std::string_view line(l.text.data(), l.text.size() + l.end.size());
        bool whole = false;
        if (!l.end.empty()) {
            whole = line.size() == length && check(line);
        } else if (line.size() + 2 == length) {
            last.assign(line).append("\r\n");
            whole = check(last);
        }
        lines.push_back({line, whole});
    }
    return lines;
}

void AppendKeptLine(std::string& out, std::string_view kept) {
    if (!out.empty() && !out.ends_with("\r\n")) out += "\r\n";
    out += kept;
}

std::string UpsertRecordLine(std::string_view fileBytes, std::string_view line, RecordCheck check,
                             std::size_t* unread) {
    Lines lines = HoldRecordLines(fileBytes, line.size(), check);
    SortLines(lines);
    ReplaceOrInsert(lines, std::string(line));
    SortLines(lines);
    if (unread) *unread = UnreadCount(lines);
    return JoinRecordLines(lines);
}

namespace {

bool SoundMining(std::string_view record) {
    return static_cast<bool>(CheckFraming(record, "DM"));
}

} // namespace

RecordCheck RecordCheckOf(DayFile f) {
    switch (f) {
    case DayFile::RA: return KindInfo(DayFileKind::Races).sound;
    case DayFile::HR: return KindInfo(DayFileKind::Payouts).sound;
    case DayFile::O1:
    case DayFile::O1a:
    case DayFile::O1m: return KindInfo(DayFileKind::Odds1).sound;
    case DayFile::O2: return KindInfo(DayFileKind::Odds2).sound;
    case DayFile::O3: return KindInfo(DayFileKind::Odds3).sound;
    case DayFile::O4: return KindInfo(DayFileKind::Odds4).sound;
    case DayFile::O5: return KindInfo(DayFileKind::Odds5).sound;
    case DayFile::O6: return KindInfo(DayFileKind::Odds6).sound;
    case DayFile::DM: return SoundMining;
    }
    return SoundMining;
}

namespace {

constexpr std::size_t kSlotBytes = kSeLength;

// The slot of a line that starts at `offset`, as the readers place it: the nearest.
int SlotAt(std::size_t offset) {
    return static_cast<int>((offset + kSlotBytes / 2) / kSlotBytes);
}

const std::string& BlankSlot() {
    static const std::string blank = std::string(kRunnerLineLength, ' ') + "\r\n";
    return blank;
}

} // namespace

bool IsRunnerSlotLine(std::string_view record) {
    return record == BlankSlot() || KindInfo(DayFileKind::Runners).sound(record);
}

RunnerFileLayout::RunnerFileLayout(std::string_view fileBytes) {
    std::size_t offset = 0;
    bool past = false; // past the last slot
    for (const RecordLine& p : CutRecordLines(fileBytes, kSlotBytes, IsRunnerSlotLine)) {
        const int slot = SlotAt(offset);
        offset += p.bytes.size();
        past = past || (p.whole && slot >= kRunnerSlots);
        if (past) {
            tail_ += p.bytes;
            ++unread_;
        } else if (p.whole) {
            body_.push_back({slot, std::string(p.bytes.substr(0, kRunnerLineLength)) + "\r\n"});
        } else {
            body_.push_back({-1, std::string(p.bytes)});
            ++unread_;
        }
    }
    Index();
}

void RunnerFileLayout::Index() {
    at_.assign(kRunnerSlots, -1);
    for (std::size_t i = 0; i < body_.size(); ++i)
        if (body_[i].slot >= 0) at_[static_cast<std::size_t>(body_[i].slot)] = static_cast<int>(i);
}

bool RunnerFileLayout::Put(int slot, std::string_view line) {
    // A line with a line end inside would be read as two.
    if (slot < 0 || slot >= kRunnerSlots || line.size() != kRunnerLineLength ||
        line.find("\r\n") != std::string_view::npos)
        return false;
    std::string record = std::string(line) + "\r\n";
    if (!IsRunnerSlotLine(record)) return false;
    if (const int i = at_[static_cast<std::size_t>(slot)]; i >= 0) {
        body_[static_cast<std::size_t>(i)].bytes = std::move(record); // the same length
        return true;
    }
    // Only past the last whole line can a slot hold no line: what lies before it stays as it was,
    // and blank slots follow it up to this one.
    std::size_t end = 0;
    for (const Segment& s : body_) {
        if (s.slot > slot) return false;
        end += s.bytes.size();
    }
    const bool open = !body_.empty() && !body_.back().bytes.ends_with("\r\n");
    const int from = SlotAt(end + (open ? 2 : 0));
    if (slot < from) return false;
    if (open) body_.back().bytes += "\r\n";
    for (int s = from; s < slot; ++s) body_.push_back({s, BlankSlot()});
    body_.push_back({slot, std::move(record)});
    Index();
    return true;
}

std::string RunnerFileLayout::Bytes() const {
    std::string out;
    out.reserve(HeldBytes() + kRunnerSlots * kSlotBytes);
    for (const Segment& s : body_) out += s.bytes;
    const bool open = !out.empty() && !out.ends_with("\r\n");
    const int from = SlotAt(out.size() + (open ? 2 : 0));
    for (int s = from; s < kRunnerSlots; ++s) AppendKeptLine(out, BlankSlot());
    if (!tail_.empty()) AppendKeptLine(out, tail_);
    return out;
}

std::size_t RunnerFileLayout::HeldBytes() const {
    std::size_t n = tail_.size();
    for (const Segment& s : body_) n += s.bytes.size();
    return n;
}

std::string PutRunnerSlot(std::string_view fileBytes, std::string_view line, int slot) {
    RunnerFileLayout layout(fileBytes);
    layout.Put(slot, line);
    return layout.Bytes();
}

std::string KeptLinesText(const std::vector<KeptLines>& kept) {
    constexpr std::size_t kNamed = 5;
    std::string text;
    for (std::size_t i = 0; i < kept.size() && i < kNamed; ++i) {
        if (i > 0) text += "\r\n";
        text += keiba::UnreadLinesKeptText(kept[i].path, kept[i].lines);
    }
    if (kept.size() > kNamed)
        text += "\r\nほか" + std::to_string(kept.size() - kNamed) + "ファイルも同じです。";
    return text;
}

std::size_t FilingBatch::Image::HeldBytes() const {
    if (runners) return runners->HeldBytes();
    std::size_t n = 0;
    for (const HeldRecordLine& l : lines) n += l.bytes.size() + 2;
    return n;
}

std::string FilingBatch::Image::Bytes() const {
    if (runners) return runners->Bytes();
    return JoinRecordLines(lines);
}

FilingBatch::FilingBatch(fs::path appDir)
    : appDir_(std::move(appDir)) {}

FilingBatch::Image* FilingBatch::Load(const fs::path& path, Kept kept, std::size_t lineLength,
                                      RecordCheck check, bool slotted, bool createMissing,
                                      keiba::IoResult& unread) {
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
    img.check = check;
    img.kept = kept;
    if (slotted) {
        img.runners.emplace(bytes.value_or(std::string()));
    } else if (bytes) {
        img.lines = HoldRecordLines(*bytes, lineLength, check);
        img.sorted = IsSorted(img.lines);
    }
    Held(kept) += img.HeldBytes();
    return &files_.emplace(path.native(), std::move(img)).first->second;
}

FileOutcome FilingBatch::Upsert(const fs::path& path, Kept kept, RecordCheck check,
                                std::string line) {
    // A record that does not read as its kind's is not put over what the file holds of its race.
    if (!check(line + "\r\n"))
        return Refuse(RefuseReason::Content, "a field does not read as the record's layout says");
    keiba::IoResult unread = keiba::IoResult::Ok();
    Image* img = Load(path, kept, line.size(), check, false, true, unread);
    if (!img) return {FileOutcome::Failed, std::move(unread.message), path};
    // Sorting before the search keeps "the first line of the race" what it is in the saved file.
    if (!img->sorted) SortLines(img->lines);
    Held(kept) += line.size() + 2;
    ReplaceOrInsert(img->lines, std::move(line));
    img->sorted = IsSorted(img->lines);
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
        if (!Load(path, Kept::Day, line.size(), RecordCheckOf(kind), false, false, unread))
            return unread ? FileOutcome{FileOutcome::Skipped, "no file to update", path}
                          : FileOutcome{FileOutcome::Failed, std::move(unread.message), path};
    }
    return Upsert(path, Kept::Day, RecordCheckOf(kind), std::move(line));
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
    if (!KindInfo(DayFileKind::Runners).sound(record)) {
        // The field that is named where it is the one at fault.
        const std::string_view id = Field(record, TJvSE::kPedigreeId);
        if (!std::all_of(id.begin(), id.end(), [](char c) {
                return c == ' ' || IsAsciiAlnum({&c, 1});
            }))
            return Refuse(RefuseReason::PedigreeId,
                          "pedigree id is not one: \"" + std::string(id) + "\"");
        return Refuse(RefuseReason::Content, "a field does not read as the record's layout says");
    }
    keiba::IoResult unread = keiba::IoResult::Ok();
    Image* img =
        Load(*path, Kept::Day, kRunnerLineLength, IsRunnerSlotLine, true, createMissing, unread);
    if (!img && !unread) return {FileOutcome::Failed, std::move(unread.message), *path};
    if (!img) return {FileOutcome::Skipped, "no file to update", *path};
    const std::size_t held = img->runners->HeldBytes();
    if (!img->runners->Put(slot, record.substr(0, kRunnerLineLength)))
        return {FileOutcome::Failed,
                keiba::PathToUtf8(*path) + " の一部が壊れているため、" +
                    std::to_string(FieldNumber(record, RecordHead::kRaceNo)) + "レース" +
                    std::to_string(FieldNumber(record, TJvSE::kHorseNo)) +
                    "番を書き込めません（その位置にある読めない行を、そのまま残すためです）。",
                *path};
    Held(Kept::Day) = Held(Kept::Day) - held + img->runners->HeldBytes();
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
    return Upsert(*path, Kept::Horse, KindInfo(DayFileKind::HorseRuns).sound, std::move(line));
}

FileOutcome FilingBatch::PutHorseMaster(std::string_view record) {
    FramingResult fr = CheckFraming(record, TJvUM::kId);
    if (!fr) return RefuseFraming(fr);
    std::string_view id = Field(record, TJvUM::kPedigreeId);
    std::optional<fs::path> path = HorseFilePath(appDir_, HorseFile::UM2, id);
    if (!path)
        return Refuse(RefuseReason::PedigreeId,
                      "pedigree id is not one: \"" + std::string(id) + "\"");
    // The file is the horse's master, replaced whole: a damaged record is not put over it.
    if (!KindInfo(DayFileKind::HorseMaster).sound(record))
        return Refuse(RefuseReason::Content, "a field does not read as the record's layout says");
    Image& img = files_[path->native()];
    if (img.lines.empty()) heldHorse_ += kUmLength;
    img.path = *path;
    img.lineLength = kUmLength - 2;
    img.kept = Kept::Horse;
    img.lines.assign(1, {std::string(record.substr(0, kUmLength - 2)), true});
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
        SortLines(img->lines);
        keiba::IoResult r = keiba::CreateFolders(path.parent_path());
        if (r) r = keiba::WriteFileAtomic(path, img->Bytes(), keiba::FolderSync::ByCaller);
        if (r) {
            img->dirty = false;
            --pending_;
            written.insert(path.parent_path());
            const std::size_t unread =
                img->runners ? img->runners->Unread() : UnreadCount(img->lines);
            if (unread > 0) kept_[*name] = {path, unread};
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
    for (const auto& kv : files_) Held(kv.second.kept) += kv.second.HeldBytes();
    return first;
}

std::vector<KeptLines> FilingBatch::TakeKeptLines() {
    std::vector<KeptLines> kept;
    for (auto& [name, k] : kept_) kept.push_back(std::move(k));
    kept_.clear();
    return kept;
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
