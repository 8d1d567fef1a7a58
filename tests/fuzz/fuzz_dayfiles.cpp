// Fuzz target over the day and horse files: the line upsert and the runner slots over damaged
// files, and the filing of records (as the import gets them) into a program folder that
// already holds damaged files.
//
// Input pieces (see fuzzsupport.h): the bytes of an existing file, then the records to file.
// The existing bytes are put at every file a record names before the records are filed.

#include "jvdata/dayfilekinds.h"
#include "jvdata/dayfiles.h"
#include "jvdata/importfiling.h"
#include "tests/fuzz/fuzzsupport.h"

#include <algorithm>
#include <set>

namespace {

namespace fs = std::filesystem;
using namespace jvdata;

constexpr std::size_t kMaxRecords = 8;

unsigned char Folded(char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - 32) : u;
}

// The order of the day files: byte order with ASCII letters folded to capitals.
bool FoldedLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Folded(x) < Folded(y); });
}

std::string_view Key16(std::string_view line) {
    return line.size() > 11 ? line.substr(11, 16) : std::string_view();
}

std::string_view WithoutCrLf(std::string_view rec) {
    return rec.ends_with("\r\n") ? rec.substr(0, rec.size() - 2) : rec;
}

// The file cut into lines of `length` bytes and CR LF; false when it is not such a file.
bool FixedLines(std::string_view bytes, std::size_t length, std::vector<std::string_view>* lines) {
    if (bytes.size() % (length + 2) != 0) return false;
    for (std::size_t at = 0; at < bytes.size(); at += length + 2) {
        if (bytes.substr(at + length, 2) != "\r\n") return false;
        lines->push_back(bytes.substr(at, length));
    }
    return true;
}

bool IsUnder(const fs::path& path, const fs::path& root) {
    fs::path rel = path.lexically_normal().lexically_relative(root);
    return !rel.empty() && *rel.begin() != "..";
}

// The lines of a day file: the whole ones (without their CR LF), and the others as they were,
// each with how many whole lines come before it.
struct DayLines {
    std::vector<std::string_view> whole;
    std::vector<std::string_view> kept;
    std::vector<std::size_t> wholeBefore;
};
DayLines Parted(std::string_view bytes, std::size_t lineLength, RecordCheck check) {
    DayLines d;
    for (const fuzz::RecordLine& l : fuzz::RecordLines(bytes, lineLength + 2, check)) {
        if (l.whole) {
            d.whole.push_back(l.bytes.substr(0, lineLength));
            continue;
        }
        d.kept.push_back(l.bytes);
        d.wholeBefore.push_back(d.whole.size());
    }
    return d;
}

// The check of the file a line of this id goes to by the line upsert; nothing for another id.
RecordCheck CheckOfId(std::string_view id) {
    static constexpr std::pair<std::string_view, DayFile> kKinds[] = {
        {"RA", DayFile::RA}, {"HR", DayFile::HR}, {"O1", DayFile::O1},
        {"O2", DayFile::O2}, {"O3", DayFile::O3}, {"O4", DayFile::O4},
        {"O5", DayFile::O5}, {"O6", DayFile::O6}, {"DM", DayFile::DM}};
    for (auto [kid, kind] : kKinds)
        if (id == kid) return RecordCheckOf(kind);
    if (id == "SE") return KindInfo(DayFileKind::HorseRuns).sound;
    return nullptr;
}

// The whole lines of a runner file by the slot the readers place them in (where they start, to
// the nearest slot), up to the last slot.
std::map<int, std::string_view> SlotLines(std::string_view bytes) {
    std::map<int, std::string_view> slots;
    for (const fuzz::RecordLine& l : fuzz::RecordLines(bytes, kSeLength, IsRunnerSlotLine)) {
        int slot = static_cast<int>((l.at + kSeLength / 2) / kSeLength);
        if (!l.whole) continue;
        if (slot >= kRunnerSlots) break;
        slots[slot] = l.bytes.substr(0, kRunnerLineLength);
    }
    return slots;
}

// A runner file rewritten from `was`, with `filed` put in their slots: every slot the readers
// find holds what was put there, else what it held, else a blank; what was not a whole line
// stays where it was, as it was.
void CheckRunnerFile(std::string_view was, std::string_view now,
                     const std::map<int, std::string>& filed) {
    const std::map<int, std::string_view> before = SlotLines(was), after = SlotLines(now);
    for (int s = 0; s < kRunnerSlots; ++s) {
        auto it = after.find(s);
        auto put = filed.find(s);
        if (put != filed.end()) {
            FUZZ_CHECK(it != after.end() && it->second == put->second);
        } else if (before.count(s)) {
            FUZZ_CHECK(it != after.end() && it->second == before.at(s));
        } else if (it != after.end()) {
            FUZZ_CHECK(it->second.find_first_not_of(' ') == std::string_view::npos);
        }
    }
    for (const fuzz::RecordLine& l : fuzz::RecordLines(was, kSeLength, IsRunnerSlotLine))
        if (!l.whole) FUZZ_CHECK(now.substr(l.at, l.bytes.size()) == l.bytes);
}

void CheckUpsert(std::string_view existing, std::string_view line) {
    // The upsert files records that passed their check, as the filing does.
    const RecordCheck check = CheckOfId(line.substr(0, 2));
    if (!check || !check(std::string(line) + "\r\n")) return;
    std::size_t unread = 0;
    std::string out = UpsertRecordLine(existing, line, check, &unread);
    const DayLines was = Parted(existing, line.size(), check);
    const DayLines now = Parted(out, line.size(), check);
    FUZZ_CHECK(unread == was.kept.size());
    // What was not a whole line stays as it was, in its order.
    FUZZ_CHECK(now.kept == was.kept);
    FUZZ_CHECK(std::is_sorted(now.whole.begin(), now.whole.end(), FoldedLess));

    // Whole lines stay; the first of the same race gives way to the new line, else it is added.
    std::vector<std::string_view> expected = was.whole;
    auto same = std::find_if(expected.begin(), expected.end(),
                             [&](std::string_view l) { return Key16(l) == Key16(line); });
    const bool added = same == expected.end();
    if (!added)
        *same = line;
    else
        expected.push_back(line);
    std::vector<std::string_view> sortedGot = now.whole;
    std::sort(sortedGot.begin(), sortedGot.end());
    std::sort(expected.begin(), expected.end());
    FUZZ_CHECK(sortedGot == expected);

    // Each line that was not whole keeps the whole lines before it; an added line goes after the
    // whole lines that sort before or with it, and before what follows the last of them.
    const auto upTo = static_cast<std::size_t>(
        std::count_if(was.whole.begin(), was.whole.end(),
                      [&](std::string_view l) { return !FoldedLess(line, l); }));
    for (std::size_t j = 0; j < was.kept.size(); ++j)
        FUZZ_CHECK(now.wholeBefore[j] ==
                   was.wholeBefore[j] + (added && was.wholeBefore[j] >= upTo ? 1 : 0));

    // Filing the same line again changes nothing, when no two lines share a race.
    std::set<std::string_view> keys;
    for (std::string_view l : now.whole) keys.insert(Key16(l));
    if (keys.size() == now.whole.size()) FUZZ_CHECK(UpsertRecordLine(out, line, check) == out);
}

void CheckRunnerSlot(std::string_view existing, std::string_view line, int slot) {
    RunnerFileLayout layout(existing);
    const bool put = layout.Put(slot, line);
    const std::string out = layout.Bytes();
    FUZZ_CHECK(out == PutRunnerSlot(existing, line, slot));
    const bool fits = slot >= 0 && slot < kRunnerSlots && line.size() == kRunnerLineLength;
    if (!fits) FUZZ_CHECK(!put);
    std::map<int, std::string> filed;
    if (put) filed[slot] = line;
    CheckRunnerFile(existing, out, filed);
    // A refused line leaves every slot as it was.
    if (fits && !put) FUZZ_CHECK(out == RunnerFileLayout(existing).Bytes());
}

// The file the filing of `rec` may touch, or nothing when its bytes name none.
std::vector<fs::path> NamedFiles(const fs::path& app, std::string_view rec) {
    std::vector<fs::path> paths;
    std::string_view id = rec.substr(0, 2);
    auto day = ParseYyyymmdd(Field(rec, 12, 8));
    static constexpr std::pair<std::string_view, DayFile> kDayFiles[] = {
        {"RA", DayFile::RA}, {"HR", DayFile::HR}, {"O1", DayFile::O1},
        {"O2", DayFile::O2}, {"O3", DayFile::O3}, {"O4", DayFile::O4},
        {"O5", DayFile::O5}, {"O6", DayFile::O6}, {"DM", DayFile::DM}};
    for (auto [fid, kind] : kDayFiles) {
        if (id == fid && day) paths.push_back(DayFilePath(app, *day, kind));
        if (id == "O1" && fid == "O1" && day) {
            paths.push_back(DayFilePath(app, *day, DayFile::O1a));
            paths.push_back(DayFilePath(app, *day, DayFile::O1m));
        }
    }
    if (id == "SE") {
        if (day)
            if (auto p = DayRunnerFile(app, *day, Field(rec, 20, 2))) paths.push_back(*p);
        if (auto p = HorseFilePath(app, HorseFile::SEI, Field(rec, 31, 10))) paths.push_back(*p);
    }
    if (id == "UM")
        if (auto p = HorseFilePath(app, HorseFile::UM2, Field(rec, 12, 10))) paths.push_back(*p);
    return paths;
}

void CheckOutcome(const FileOutcome& out, const fs::path& app, bool runner = false) {
    FUZZ_CHECK(static_cast<bool>(out) == (out.code == FileOutcome::Filed));
    FUZZ_CHECK(out.reason.empty() == (out.code == FileOutcome::Filed));
    if (out.code == FileOutcome::Refused) FUZZ_CHECK(out.path.empty());
    if (out.code == FileOutcome::Filed) FUZZ_CHECK(IsUnder(out.path, app));
    // Every record goes to a file that exists or may be made; a runner file refuses one whose
    // slot holds what it cannot read, and says so.
    FUZZ_CHECK(out.code != FileOutcome::Skipped);
    if (out.code == FileOutcome::Failed)
        FUZZ_CHECK(runner && out.reason.find("壊れている") != std::string::npos);
}

// What the batch was asked to file, by file: day lines by race key, runner lines by slot, the
// horse master whole.
struct Expected {
    std::map<std::string, std::string> linesByKey;
    std::map<int, std::string> slots;
    std::string whole;
    std::size_t lineLength = 0;
    RecordCheck check = nullptr;
};

void FileRecords(std::string_view existing, const std::vector<std::string_view>& records) {
    fs::path app = fuzz::Workspace().Fresh("app");
    for (std::string_view rec : records) {
        for (const fs::path& p : NamedFiles(app, rec)) {
            FUZZ_CHECK(IsUnder(p, app));
            fuzz::PutFile(p, existing);
        }
    }
    const std::map<std::string, std::string> before = fuzz::FilesBelow(app);

    std::map<std::string, Expected> expected; // by path relative to app
    auto note = [&](const FileOutcome& out, bool runner = false) -> Expected* {
        CheckOutcome(out, app, runner);
        if (!out) return nullptr;
        return &expected[out.path.lexically_relative(app).generic_string()];
    };
    FilingBatch batch(app);
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::string_view rec = records[i];
        std::string_view id = rec.substr(0, 2);
        std::string line(WithoutCrLf(rec));
        std::string zeroed = line;
        ZeroHead(zeroed);
        if (id == "SE") {
            FileOutcome slot = batch.PutRunner(rec);
            if (Expected* e = note(slot, true)) {
                // Races 1 to 12 of 18 runners each have a slot; no other runner is filed.
                std::string_view raceNo = Field(rec, 26, 2), horseNo = Field(rec, 29, 2);
                FUZZ_CHECK(IsAsciiDigits(raceNo) && IsAsciiDigits(horseNo));
                int race = (raceNo[0] - '0') * 10 + (raceNo[1] - '0');
                int horse = (horseNo[0] - '0') * 10 + (horseNo[1] - '0');
                FUZZ_CHECK(race >= 1 && race <= 12 && horse >= 1 && horse <= 18);
                e->slots[(race - 1) * 18 + horse - 1] = line;
            }
            FileOutcome run = batch.UpsertHorseRun(rec);
            if (Expected* e = note(run)) {
                e->linesByKey[std::string(Key16(zeroed))] = zeroed;
                e->lineLength = zeroed.size();
                e->check = KindInfo(DayFileKind::HorseRuns).sound;
            }
            FUZZ_CHECK(!slot || CheckFraming(rec, "SE"));
            FUZZ_CHECK(!run || CheckFraming(rec, "SE"));
        } else if (id == "UM") {
            FileOutcome master = batch.PutHorseMaster(rec);
            if (Expected* e = note(master)) e->whole = line + "\r\n";
            FUZZ_CHECK(!master || CheckFraming(rec, "UM"));
        } else {
            static constexpr std::pair<std::string_view, DayFile> kKinds[] = {
                {"HR", DayFile::HR}, {"O2", DayFile::O2}, {"O3", DayFile::O3}, {"O4", DayFile::O4},
                {"O5", DayFile::O5}, {"O6", DayFile::O6}, {"DM", DayFile::DM}};
            DayFile kind = DayFile::RA;
            for (auto [kid, k] : kKinds)
                if (id == kid) kind = k;
            if (id == "O1") {
                static constexpr DayFile kO1[] = {DayFile::O1, DayFile::O1a, DayFile::O1m};
                kind = kO1[i % 3];
            }
            FileOutcome out = batch.UpsertDayLine(kind, rec);
            if (Expected* e = note(out)) {
                e->linesByKey[std::string(Key16(zeroed))] = zeroed;
                e->lineLength = zeroed.size();
                e->check = RecordCheckOf(kind);
            }
            FUZZ_CHECK(!out || CheckFraming(rec, RecordIdOf(kind)));
        }
    }
    FUZZ_CHECK(batch.Flush());
    FUZZ_CHECK(batch.PendingFiles() == 0);

    const std::map<std::string, std::string> after = fuzz::FilesBelow(app);
    for (const auto& [rel, bytes] : after) {
        auto it = expected.find(rel);
        if (it == expected.end()) {
            // Nothing else is written: no stray or temporary files, no file outside its place.
            FUZZ_CHECK(before.count(rel) == 1 && before.at(rel) == bytes);
            continue;
        }
        const Expected& e = it->second;
        auto old = before.find(rel);
        std::string_view oldBytes = old == before.end() ? std::string_view() : old->second;
        if (!e.whole.empty()) {
            FUZZ_CHECK(bytes == e.whole);
        } else if (!e.slots.empty()) {
            CheckRunnerFile(oldBytes, bytes, e.slots);
        } else {
            const DayLines was = Parted(oldBytes, e.lineLength, e.check);
            const DayLines now = Parted(bytes, e.lineLength, e.check);
            FUZZ_CHECK(now.kept == was.kept);
            const std::vector<std::string_view>& got = now.whole;
            FUZZ_CHECK(std::is_sorted(got.begin(), got.end(), FoldedLess));
            for (const auto& [key, line] : e.linesByKey)
                FUZZ_CHECK(std::count(got.begin(), got.end(), line) >= 1);
            // The lines of other races that were whole in the old file are all still there.
            for (std::string_view l : was.whole)
                if (!e.linesByKey.count(std::string(Key16(l))))
                    FUZZ_CHECK(std::count(got.begin(), got.end(), l) >= 1);
        }
    }
    for (const auto& [rel, e] : expected) FUZZ_CHECK(after.count(rel) == 1);
}

void ImportRecords(const std::vector<std::string_view>& records) {
    fs::path app = fuzz::Workspace().Fresh("import");
    ImportFilter filter;
    filter.fromDate = 0;
    filter.horseYearFloor = HorseYearFloor(1900);
    filter.finalOdds = true;
    FilingBatch batch(app);
    for (std::string_view rec : records) {
        ImportFiling f = FileImportRecord(batch, rec, filter);
        FUZZ_CHECK(f.filed != f.label.empty());
        if (f.filed) FUZZ_CHECK(CheckFraming(rec));
    }
    FUZZ_CHECK(batch.Flush());
    static const std::map<std::string, std::size_t> kLineLengths = {
        {".jvRA", kRaLength},  {".jvHR", kHrLength},  {".jvO1", kO1Length}, {".jvO2", kO2Length},
        {".jvO3", kO3Length},  {".jvO4", kO4Length},  {".jvO5", kO5Length}, {".jvO6", kO6Length},
        {".jvSEr", kSeLength}, {".jvSEI", kSeLength}, {".jvUM2", kUmLength}};
    for (const auto& [rel, bytes] : fuzz::FilesBelow(app)) {
        std::string top = rel.substr(0, rel.find('/'));
        FUZZ_CHECK(top == "Data" || top == "SEI" || top == "UM2");
        std::string ext = fs::path(rel).extension().string();
        FUZZ_CHECK(kLineLengths.count(ext) == 1);
        std::vector<std::string_view> lines;
        FUZZ_CHECK(FixedLines(bytes, kLineLengths.at(ext) - 2, &lines));
        FUZZ_CHECK(!lines.empty());
    }
}

void CheckLastTime(std::string_view text) {
    std::optional<std::string> t = LastTimeText(text);
    if (!t) return;
    FUZZ_CHECK(t->size() == 19);
    for (std::size_t i = 0; i < t->size(); ++i) {
        char c = (*t)[i];
        char sep = i == 4 || i == 7 ? '/' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : 0;
        FUZZ_CHECK(sep ? c == sep : (c >= '0' && c <= '9'));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string_view> pieces =
        fuzz::Pieces({reinterpret_cast<const char*>(data), size});
    std::string_view existing = pieces[0];
    std::vector<std::string_view> records(
        pieces.begin() + 1,
        pieces.begin() + static_cast<std::ptrdiff_t>(std::min(pieces.size(), kMaxRecords + 1)));
    for (std::string_view rec : records) {
        std::string_view line = WithoutCrLf(rec);
        CheckUpsert(existing, line);
        CheckRunnerSlot(existing, line, static_cast<int>(rec.size() % 220) - 2);
        CheckLastTime(rec.substr(0, 16));
    }
    CheckRunnerSlot(existing, {}, 0);
    FileRecords(existing, records);
    ImportRecords(records);
    return 0;
}
