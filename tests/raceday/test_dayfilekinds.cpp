// Every kind of file a day load reads, under every damage, in one table: a damaged record is not
// shown, it costs its own race or runner alone, and what was lost is told once, in the unit the
// user knows, with the count told equal to the count lost. The kinds come from the program's own
// list of them, so a kind added there without rows here fails.

#include "raceday/dayload.h"
#include "raceday/raceheader.h"
#include "raceday/vzkcheck.h"
#include "search/rcard.h"

#include "tests/raceday/dayfixture.h"
#include "tests/raceday/kindnames.h"
#include "tests/support/analysismaker.h"
#include "tests/support/unreadable.h"

#include <map>
#include <optional>

namespace jvdata {
// A kind in the test's name, as the user names its data.
void PrintTo(const DayFileKindInfo& kind, std::ostream* out) {
    *out << testsupport::KindName(kind.kind) << " (" << kind.what << ")";
}
} // namespace jvdata

using namespace testsupport;
using raceday::RaceDay;

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDay = "20261206";
// Two racecourses of three races, three runners each, in the order the day files keep.
constexpr std::pair<const char*, int> kRaces[] = {{"05", 1}, {"05", 2}, {"05", 3},
                                                  {"06", 1}, {"06", 2}, {"06", 3}};
constexpr int kRunners = 3;

std::string Key(std::size_t r) {
    return RaceKey16(kDay, kRaces[r].first, kRaces[r].second);
}
std::string HorseId(std::size_t r, int h) {
    return "202010" + Two(static_cast<int>(r)) + Two(h);
}

enum class Damage {
    CutInside,       // the file ends inside the record
    CutAtRecordEnd,  // the file ends before it
    ShownField,      // bytes over a field that is shown
    LettersInNumber, // over a number
    LineBreakInside, // CR LF over two of its bytes
    LineBreakAdded,  // CR LF put in there, every later byte moved on
    ByteLost,        // one byte of it gone, every later byte moved back
    BytePutIn,       // one byte put in, every later byte moved on
    CrOnly,          // its line end lost its LF
    LfOnly,          // its line end lost its CR
    WrongId,         // another record's id
    OtherKey,        // the record of another day (of another horse, for a horse's files)
    Duplicated,
    OtherKeyBefore, // a record of another day put in before it
    FileTwice,      // the whole file, then the whole file again
    Empty,
    Zeroed, // every byte of the file 0
    Unreadable,
    // Not damage: a runner not filed yet, a tab in a comment.
    BlankSlot,
    TabInComment,
};

// What a damage costs, as the row of each damage states it: nothing, the units of the record hit,
// those of the record hit and of every later one, or every unit of the file.
enum class Cost { Nothing, Record, FromRecord, All };
constexpr struct {
    Damage damage;
    Cost cost;
} kCosts[] = {
    {Damage::CutInside, Cost::FromRecord},
    {Damage::CutAtRecordEnd, Cost::FromRecord},
    {Damage::ShownField, Cost::Record},
    {Damage::LettersInNumber, Cost::Record},
    {Damage::LineBreakInside, Cost::Record},
    {Damage::LineBreakAdded, Cost::Record},
    {Damage::ByteLost, Cost::Record},
    {Damage::BytePutIn, Cost::Record},
    {Damage::CrOnly, Cost::Record},
    {Damage::LfOnly, Cost::Record},
    {Damage::WrongId, Cost::Record},
    {Damage::OtherKey, Cost::Record},
    {Damage::Duplicated, Cost::Nothing},
    {Damage::OtherKeyBefore, Cost::Nothing},
    {Damage::FileTwice, Cost::Nothing},
    {Damage::Empty, Cost::All},
    {Damage::Zeroed, Cost::All},
    {Damage::Unreadable, Cost::Nothing},
    {Damage::BlankSlot, Cost::Nothing},
    {Damage::TabInComment, Cost::Nothing},
};

// Bytes put over a record at a 1-based position.
struct Hit {
    std::size_t pos;
    std::string bytes;
};

// What a unit shows of a kind's data, from the unit's race slot and runner.
using Get = std::string (*)(const RaceDay&, std::size_t slot, std::size_t h);
template <auto Records> std::string OfRace(const RaceDay& d, std::size_t s, std::size_t) {
    return std::string((d.*Records)[s].Bytes());
}
template <auto Records> std::string OfRunner(const RaceDay& d, std::size_t s, std::size_t h) {
    return std::string((d.*Records)[s][h].Bytes());
}
std::string Comment(const RaceDay& d, std::size_t s, std::size_t) {
    return d.gRaceTexts[s].RaceComment;
}
std::string Level(const RaceDay& d, std::size_t s, std::size_t) {
    return d.gRaceTexts[s].RaceRLevelText;
}
// The keys of the runner's past runs, the newest first, blanks for a run not shown.
std::string PastRuns(const RaceDay& d, std::size_t s, std::size_t h) {
    std::string keys;
    for (const auto& run : d.gPastRunHorses[s][h]) keys += run.KeyText();
    return keys;
}

// The units a kind's losses are counted in.
enum class Units { Races, TokyoRunners, AllRunners, OneRunner };

struct Kind {
    jvdata::DayFileKind kind;
    const char* name; // the data as the day's message names it
    fs::path file;
    std::vector<std::string> records;
    std::vector<std::size_t> hits;              // the records the damage hits, one at a time
    Hit shown, number, lineBreak, id, otherKey; // where each damage goes in it
    Units units;
    Get get;
    // A cut at a record end cannot be told from sound data: payouts, odds and comments come race
    // by race on a race day, the hand input holds the races entered, and a horse with fewer runs
    // has a shorter file.
    bool silentAtRecordEnd;
    // A file of text lines that a CR or an LF alone ends as well as both (the hand input, which
    // the program writes and reads as lines).
    bool lineEndAlone = false;
    std::size_t runner = 0; // of race 2, for Units::OneRunner
    // A file the load makes from this one when it is missing (the newer horse master from the
    // old one): taken away before each load, so that this one is read.
    fs::path made;
};

// What the day shows of a kind's data, unit by unit ("" for a race the day does not hold).
std::map<std::string, std::string> ShownOf(const RaceDay& day, const Kind& kind) {
    std::map<std::string, std::string> shown;
    for (std::size_t r = 0; r < std::size(kRaces); ++r) {
        int s = 0;
        while (s < day.gDayRaceCount &&
               day.gDayRaces[static_cast<std::size_t>(s)].KeyText() != Key(r))
            ++s;
        auto get = [&](std::size_t h) {
            return s < day.gDayRaceCount ? kind.get(day, static_cast<std::size_t>(s), h) : "";
        };
        if (kind.units == Units::Races) shown[Key(r)] = get(0);
        if (kind.units == Units::OneRunner && r == 1) shown[Key(r)] = get(kind.runner);
        if (kind.units == Units::AllRunners || (kind.units == Units::TokyoRunners && r < 3))
            for (std::size_t h = 0; h < kRunners; ++h) shown[Key(r) + Two(int(h))] = get(h);
    }
    return shown;
}

std::string Join(const std::vector<std::string>& records) {
    std::string out;
    for (const std::string& r : records) out += r;
    return out;
}

// The races or runners the records [from, to) of a kind's file hold: a blank runner slot holds
// none, and every file of one runner holds that one.
std::size_t UnitsIn(const Kind& kind, std::size_t from, std::size_t to) {
    std::size_t n = 0;
    for (std::size_t r = from; r < to && r < kind.records.size(); ++r)
        if (kind.records[r].front() != ' ') ++n;
    return kind.units == Units::OneRunner ? std::min<std::size_t>(n, 1) : n;
}

// What a row's damage at record `hit` costs, by the damage's cost: a file cut before its first
// record is empty; one that may end at a record end loses nothing to a cut there, and to a cut
// inside a record that record alone, the later races having perhaps not come; a line end that
// lost its CR or LF still ends a line of hand input.
std::size_t Lost(const Kind& kind, std::size_t hit, Damage d, Cost cost) {
    if (kind.lineEndAlone && (d == Damage::CrOnly || d == Damage::LfOnly)) return 0;
    if (d == Damage::CutAtRecordEnd && hit == 0) cost = Cost::All;
    if (d == Damage::CutAtRecordEnd && cost != Cost::All && kind.silentAtRecordEnd) return 0;
    switch (cost) {
    case Cost::Nothing: return 0;
    case Cost::Record: return UnitsIn(kind, hit, hit + 1);
    case Cost::FromRecord:
        return UnitsIn(kind, hit, kind.silentAtRecordEnd ? hit + 1 : kind.records.size());
    case Cost::All: return UnitsIn(kind, 0, kind.records.size());
    }
    return 0;
}

// The bytes of a kind's file with the damage done to record `hit`.
std::string Damaged(const Kind& kind, std::size_t hit, Damage d) {
    std::vector<std::string> records = kind.records;
    std::string& rec = records[hit];
    auto at = [&](const Hit& h) { rec.replace(h.pos - 1, h.bytes.size(), h.bytes); };
    std::size_t before = 0;
    for (std::size_t i = 0; i < hit; ++i) before += records[i].size();
    switch (d) {
    case Damage::CutInside: return Join(records).substr(0, before + rec.size() / 2);
    case Damage::CutAtRecordEnd: return Join(records).substr(0, before);
    case Damage::ShownField: at(kind.shown); break;
    case Damage::LettersInNumber: at(kind.number); break;
    case Damage::LineBreakInside: at(kind.lineBreak); break;
    case Damage::LineBreakAdded: rec.insert(kind.lineBreak.pos - 1, "\r\n"); break;
    case Damage::ByteLost: rec.erase(kind.number.pos - 1, 1); break;
    case Damage::BytePutIn: rec.insert(kind.number.pos - 1, "7"); break;
    case Damage::CrOnly: rec.pop_back(); break;
    case Damage::LfOnly: rec.erase(rec.size() - 2, 1); break;
    case Damage::WrongId: at(kind.id); break;
    case Damage::OtherKey: at(kind.otherKey); break;
    case Damage::Duplicated: records.insert(records.begin() + static_cast<long>(hit), rec); break;
    case Damage::OtherKeyBefore: {
        std::string other = rec;
        other.replace(kind.otherKey.pos - 1, kind.otherKey.bytes.size(), kind.otherKey.bytes);
        records.insert(records.begin() + static_cast<long>(hit), other);
        break;
    }
    case Damage::FileTwice: return Join(records) + Join(records);
    case Damage::Empty: return "";
    case Damage::Zeroed: return std::string(Join(records).size(), '\0');
    case Damage::Unreadable: break;
    case Damage::BlankSlot: rec = std::string(rec.size() - 2, ' ') + "\r\n"; break;
    case Damage::TabInComment: rec.insert(jvdata::RecordHead::kRaceKey.width + 2, "\t"); break;
    }
    return Join(records);
}

// Whether a unit shows its sound data or nothing, piece by piece for the past runs: a run in
// its own place or none, never another in its place.
bool SoundOrBlank(const std::string& value, const std::string& was) {
    constexpr std::size_t kPiece = jvdata::RecordHead::kRaceKey.width;
    if (value == was) return true;
    if (value.size() != was.size() || value.size() % kPiece != 0)
        return value.find_first_not_of(' ') == std::string::npos;
    for (std::size_t at = 0; at < value.size(); at += kPiece) {
        const std::string piece = value.substr(at, kPiece);
        if (piece != was.substr(at, kPiece) && piece.find_first_not_of(' ') != std::string::npos)
            return false;
    }
    return true;
}

// What the screens that read a kind's files without a loaded day show of it, unit by unit as
// ShownOf: the race card of a search hit on race 2's first runner (the race, its runners and
// their analysis), and the data check tab (every runner's analysis, in the place of its own race
// and number).
std::map<std::string, std::string> ScreensShow(const fs::path& folder, const Kind& kind,
                                               const std::string& hitRecord) {
    std::map<std::string, std::string> shown;
    using K = jvdata::DayFileKind;
    if (kind.kind != K::Races && kind.kind != K::Runners && kind.kind != K::Analysis) return shown;
    const search::RCardLoad card = search::LoadRCardRace(folder, search::RHit::Of(hitRecord));
    if (kind.kind == K::Races)
        shown["card " + Key(1)] = card.race ? std::string(card.race->race.Bytes()) : "";
    for (std::size_t h = 0; h < kRunners && kind.kind != K::Races; ++h)
        shown["card " + Key(1) + Two(int(h))] = !card.race ? ""
                                                : kind.kind == K::Runners
                                                    ? std::string(card.race->horses[h].Bytes())
                                                    : std::string(card.race->analysis[h].Bytes());
    if (kind.kind != K::Analysis) return shown;
    raceday::CheckDay check;
    std::optional<std::string> bytes = keiba::ReadFileOrMissing(kind.file).bytes;
    raceday::LoadCheckDay(bytes.value_or(""), kDay, check);
    for (std::size_t r = 0; r < std::size(kRaces); ++r)
        for (std::size_t h = 0; h < kRunners; ++h)
            shown["check " + Key(r) + Two(int(h))] = std::string((*check.table)[r][h].Bytes());
    return shown;
}

// The count the day's message tells for the kind's file (of a runner file's line, the runners),
// 0 when it names no loss of it.
std::size_t Told(const std::string& message, const Kind& kind) {
    const std::size_t at =
        message.find(std::string(kind.name) + "（" + keiba::PathToUtf8(kind.file.filename()) +
                     "）の一部が壊れているため、");
    if (at == std::string::npos) return 0;
    const std::size_t last =
        message.find_last_of("0123456789", message.find("を読み込めませんでした。", at));
    const std::size_t first = message.find_last_not_of("0123456789", last) + 1;
    return std::stoul(message.substr(first, last + 1 - first));
}

class DayFileKinds : public DayFixture,
                     public ::testing::WithParamInterface<jvdata::DayFileKindInfo> {
protected:
    void SetUp() override {
        DayFixture::SetUp();
        const auto date = *jvdata::ParseYyyymmdd(kDay);
        auto dayFile = [&](jvdata::DayFile f) { return jvdata::DayFilePath(dir.path(), date, f); };
        auto horseFile = [&](jvdata::HorseFile f, std::string_view id) {
            return *jvdata::HorseFilePath(dir.path(), f, id);
        };
        std::vector<std::string> ra, hr, xq, rcom, ruma, odds[6], tokyo, nakayama;
        // The first entry of each odds kind priced.
        const char* entries[] = {"01016907",      "0102001234005",   "01020012300150005",
                                 "0102001234005", "010203001234005", "01020300123450005"};
        for (std::size_t r = 0; r < std::size(kRaces); ++r) {
            const auto& [venue, no] = kRaces[r];
            ra.push_back(Ra(kDay, venue, no, kRunners));
            hr.push_back(MakeRecord("HR", Key(r)));
            jvdata::SetField(hr.back(), 103, 13, "0100000015001");
            for (std::size_t k = 0; k < 6; ++k) {
                odds[k].push_back(MakeRecord("O" + std::to_string(k + 1), Key(r)));
                jvdata::SetField(odds[k].back(), k == 0 ? 44 : 41, 17, entries[k]);
            }
            rcom.push_back(Key(r) + ",\"" + keiba::Sj("先行有利") + "\r\n\"\r\n");
            ruma.push_back(Key(r).substr(0, 10) + Key(r).substr(14) + std::to_string(r + 1) + "12" +
                           std::string(16, ' ') + "\r\n");
            for (int h = 1; h <= kRunners; ++h) {
                const std::string id = HorseId(r, h);
                (r < 3 ? tokyo : nakayama).push_back(Se(kDay, venue, no, h, id, "アカ"));
                xq.push_back(AnalysisMaker(kDay, venue, no, h)
                                 .Slot(static_cast<int>(r))
                                 .This(17, 2, "00") // no race level: the hand input's shows
                                 .This(40, 5, "0.323"));
                Write(horseFile(jvdata::HorseFile::UM2, id), filing::Um(id));
                Write(horseFile(jvdata::HorseFile::SEI, id), Se("20261018", venue, no, h, id) +
                                                                 Se("20261101", venue, no, h, id) +
                                                                 Se("20261115", venue, no, h, id));
            }
        }
        WriteRunners(kDay, "東京", tokyo);
        WriteRunners(kDay, "中山", nakayama);
        // The runner file by its 216 slots; the horse files of race 2's first runner.
        const fs::path runners = DataFile(Stem(kDay) + "東京.jvSEr");
        std::vector<std::string> slots;
        for (std::size_t at = 0; at < Slurp(runners).size(); at += jvdata::kSeLength)
            slots.push_back(Slurp(runners).substr(at, jvdata::kSeLength));
        const std::string horse = HorseId(1, 1),
                          sei = Slurp(horseFile(jvdata::HorseFile::SEI, horse));

        using K = jvdata::DayFileKind;
        const Hit breakAt300{300, "\r\n"}, otherDay{12, "20261205"}, otherHorse{31, "2020109999"};
        Add(K::Races, "レースデータ", dayFile(jvdata::DayFile::RA), ra, 1, ra.size() - 1,
            {20, "##"}, {698, "ab"}, breakAt300, {1, "RB"}, otherDay, Units::Races,
            OfRace<&RaceDay::gDayRaces>, false);
        Add(K::Runners, "出走馬データ", runners, slots, 18, 38, {29, "##"}, {289, "ab"}, breakAt300,
            {1, "SF"}, otherDay, Units::TokyoRunners, OfRunner<&RaceDay::gDayHorses>, false);
        Add(K::Payouts, "払戻データ", dayFile(jvdata::DayFile::HR), hr, 1, hr.size() - 1,
            {105, "###"}, {114, "ab"}, breakAt300, {1, "HS"}, otherDay, Units::Races,
            OfRace<&RaceDay::gDayPayouts>, true);
        std::vector<std::string> runs;
        for (std::size_t at = 0; at < sei.size(); at += jvdata::kSeLength)
            runs.push_back(sei.substr(at, jvdata::kSeLength));
        Add(K::HorseRuns, "過去走データ", horseFile(jvdata::HorseFile::SEI, horse), runs, 1, 2,
            {20, "##"}, {335, "ab"}, breakAt300, {1, "SF"}, otherHorse, Units::OneRunner, PastRuns,
            true);
        Add(K::HorseMaster, "競走馬データ", horseFile(jvdata::HorseFile::UM2, horse),
            {filing::Um(horse)}, 0, 0, {203, "##"}, {1053, "ab"}, {800, "\r\n"}, {1, "UN"},
            {12, "2020109999"}, Units::OneRunner, OfRunner<&RaceDay::gDayHorseMasters>, false);
        // The old horse master of race 2's second runner, whose newer file is made from it.
        const std::string oldHorse = HorseId(1, 2);
        std::string uma(jvdata::kUmaLength, ' ');
        uma.replace(0, 3, "UM1");
        uma.replace(11, 10, oldHorse);
        uma.replace(46, 8, keiba::Sj("アカイ"));
        uma.replace(jvdata::kUmaLength - 2, 2, "\r\n");
        Add(K::OldHorseMaster, "競走馬データ", horseFile(jvdata::HorseFile::UMA, oldHorse), {uma},
            0, 0, {47, "\x01"}, {1021, "ab"}, {800, "\r\n"}, {1, "UN"}, {12, "2020109999"},
            Units::OneRunner, OfRunner<&RaceDay::gDayHorseMasters>, false);
        kinds_.back().runner = 1;
        kinds_.back().made = horseFile(jvdata::HorseFile::UM2, oldHorse);
        Add(K::Analysis, "分析データ", dir / "VZK/XQ20261206.vzkd", xq, 3, xq.size() - 1,
            {226 + 40, "#####"}, {138, "ab"}, {100, "\r\n"}, {1, "99"}, {6, "20261205"},
            Units::AllRunners, OfRunner<&RaceDay::gDayHorseAnalysis>, false);
        Add(K::Comments, "コメントデータ", dir / "VZK/RCOM20261206.CSV", rcom, 1, rcom.size() - 1,
            {21, "\x01"}, {9, "ab"}, {9, "\r\n"}, {17, ";"}, {1, "20261205"}, Units::Races, Comment,
            true);
        Add(K::HandInput, "手入力データ", DataFile(Stem(kDay) + ".ruma"), ruma, 1, ruma.size() - 1,
            {13, "#"}, {14, "ab"}, {20, "\r\n"}, {9, "  "}, {1, "20261205"}, Units::Races, Level,
            true);
        kinds_.back().lineEndAlone = true;
        const Get oddsOf[] = {OfRace<&RaceDay::gDayOddsO1>, OfRace<&RaceDay::gDayOddsO2>,
                              OfRace<&RaceDay::gDayOddsO3>, OfRace<&RaceDay::gDayOddsO4>,
                              OfRace<&RaceDay::gDayOddsO5>, OfRace<&RaceDay::gDayOddsO6>};
        const std::size_t oddsAt[] = {46, 45, 45, 45, 47, 47}, popAt[] = {50, 51, 55, 51, 53, 54};
        const jvdata::DayFile oddsFiles[] = {jvdata::DayFile::O1, jvdata::DayFile::O2,
                                             jvdata::DayFile::O3, jvdata::DayFile::O4,
                                             jvdata::DayFile::O5, jvdata::DayFile::O6};
        const K oddsKinds[] = {K::Odds1, K::Odds2, K::Odds3, K::Odds4, K::Odds5, K::Odds6};
        for (std::size_t k = 0; k < 6; ++k)
            Add(oddsKinds[k], "オッズデータ", dayFile(oddsFiles[k]), odds[k], 1, odds[k].size() - 1,
                {oddsAt[k], "#"}, {popAt[k], "ab"}, {500, "\r\n"}, {1, "OX"}, otherDay,
                Units::Races, oddsOf[k], true);
        for (Kind& k : kinds_) Write(k.file, Join(k.records));
    }

    // The damage hits the first record, one in the middle (`middle`) and the last one.
    void Add(jvdata::DayFileKind kind, const char* name, fs::path file,
             std::vector<std::string> records, std::size_t middle, std::size_t last, Hit shown,
             Hit number, Hit lineBreak, Hit id, Hit otherKey, Units units, Get get, bool silent) {
        std::vector<std::size_t> hits{0};
        for (std::size_t h : {middle, last})
            if (h != hits.back()) hits.push_back(h);
        kinds_.push_back({kind,
                          name,
                          std::move(file),
                          std::move(records),
                          std::move(hits),
                          std::move(shown),
                          std::move(number),
                          std::move(lineBreak),
                          std::move(id),
                          std::move(otherKey),
                          units,
                          get,
                          silent,
                          false,
                          0,
                          {}});
    }
    static void Write(const fs::path& file, const std::string& bytes) {
        fs::create_directories(file.parent_path());
        WriteBytes(file, bytes);
    }

    std::vector<Kind> kinds_;
};

} // namespace

TEST_P(DayFileKinds, EveryDamageIsToldWithWhatItLostAndNothingDamagedIsShown) {
    const auto of = std::find_if(kinds_.begin(), kinds_.end(),
                                 [&](const Kind& k) { return k.kind == GetParam().kind; });
    ASSERT_NE(of, kinds_.end()) << "no rows for the kind of " << GetParam().what;
    const Kind& kind = *of;
    auto load = [&] {
        if (!kind.made.empty()) fs::remove(kind.made);
        return Load(kDay);
    };
    ASSERT_EQ(load(), raceday::DayLoadResult::Loaded);
    ASSERT_EQ(notifier.messages, std::vector<std::string>{});
    const std::map<std::string, std::string> sound = ShownOf(Day(), kind);
    // The analysis record of the search hit the race card opens.
    const std::string hitRecord(Day().gDayHorseAnalysis[1][0].Bytes());
    const std::map<std::string, std::string> screens = ScreensShow(dir.path(), kind, hitRecord);

    // Each row: the record hit, the damage, and the races or runners it costs.
    struct Row {
        std::size_t hit;
        Damage damage;
        std::size_t lost;
    };
    std::vector<Row> rows;
    for (std::size_t hit : kind.hits)
        for (const auto& [damage, cost] : kCosts)
            if (damage <= Damage::Unreadable)
                rows.push_back({hit, damage, Lost(kind, hit, damage, cost)});
    if (kind.kind == jvdata::DayFileKind::Runners)
        rows.push_back({kind.hits[1], Damage::BlankSlot, 0});
    if (kind.kind == jvdata::DayFileKind::Comments)
        rows.push_back({kind.hits[1], Damage::TabInComment, 0});
    for (const auto& [hit, damage, expected] : rows) {
        SCOPED_TRACE(kind.file.filename().string() + ", record " + std::to_string(hit) +
                     ", damage " + std::to_string(static_cast<int>(damage)) + ", costing " +
                     std::to_string(expected));
        // A cut before the first record leaves a file of no bytes: the files are made with a
        // record, so that is damage.
        const Damage done = damage == Damage::CutAtRecordEnd && hit == 0 ? Damage::Empty : damage;
        const bool alone =
            kind.lineEndAlone && (damage == Damage::CrOnly || damage == Damage::LfOnly);
        WriteBytes(kind.file, Damaged(kind, hit, damage));
        notifier.messages.clear();
        raceday::DayLoadResult result;
        {
            std::optional<UnreadableFile> unreadable;
            if (damage == Damage::Unreadable) unreadable.emplace(kind.file);
            result = load();
        }
        std::map<std::string, std::string> screensNow;
        {
            std::optional<UnreadableFile> unreadable;
            if (damage == Damage::Unreadable) unreadable.emplace(kind.file);
            screensNow = ScreensShow(dir.path(), kind, hitRecord);
        }
        WriteBytes(kind.file, Join(kind.records));
        // The screens show a unit's sound data or nothing, never damage and never another
        // unit's data in its place.
        for (const auto& [unit, value] : screensNow)
            EXPECT_TRUE(SoundOrBlank(value, screens.at(unit)) || damage == Damage::TabInComment)
                << unit;
        // A race shows while any of its runners is known: a first runner lost does not hide it.
        for (std::size_t r = 0; r < std::size(kRaces); ++r) {
            if (result != raceday::DayLoadResult::Loaded) break;
            const auto& se = Day().gDayHorses[r];
            const bool known =
                std::any_of(se.begin(), se.begin() + raceday::FieldSize(Day(), int(r)),
                            [](const jvdata::TJvSE& x) { return x.HorseNumber() >= 1; });
            EXPECT_EQ(raceday::SelectRaceHeader(Day(), int(r)).status == raceday::SelectStatus::Ok,
                      known)
                << r;
        }
        ASSERT_LE(notifier.messages.size(), 1u);
        const std::string message = notifier.messages.empty() ? "" : notifier.messages.front();

        const std::map<std::string, std::string> shown = ShownOf(Day(), kind);
        std::size_t lost = 0;
        for (const auto& [unit, value] : shown) {
            const std::string& was = sound.at(unit);
            if (value == was) continue;
            ++lost;
            // Nothing damaged is shown: a unit shows its sound data or nothing (past runs: some
            // of the horse's own, each in its place). A horse file cut at a record end is the
            // file of a horse with fewer runs: its runs move up, as the horse's would.
            const bool fewerRuns = done == Damage::CutAtRecordEnd && kind.silentAtRecordEnd;
            EXPECT_TRUE(SoundOrBlank(value, was) || damage == Damage::TabInComment || fewerRuns)
                << unit;
        }

        if (damage == Damage::Unreadable) {
            EXPECT_EQ(message, keiba::PathToUtf8(kind.file) +
                                   " を読み込めません（読み込む権限がありません）。");
        } else if (result == raceday::DayLoadResult::Damaged) {
            // A race file without a sound race: no day, every race lost, and said so.
            EXPECT_EQ(message, "レースデータ（" + Stem(kDay) +
                                   ".jvRA）が壊れているため、この開催日を読み込めません。");
            EXPECT_EQ(expected, std::size(kRaces));
            EXPECT_EQ(lost, std::size(kRaces));
        } else if (damage == Damage::BlankSlot || damage == Damage::TabInComment || alone ||
                   (done == Damage::CutAtRecordEnd && kind.silentAtRecordEnd)) {
            EXPECT_EQ(expected, 0u);
            EXPECT_EQ(message, "");
            // The comment with a tab is shown as it now reads.
            EXPECT_TRUE(damage != Damage::TabInComment ||
                        shown.at(Key(1)).find('\t') != std::string::npos);
        } else {
            // One line for the file, and no other, with the row's count; what one record held,
            // that record alone. A file that may end at a record end and was cut inside one
            // shows nothing of the races after the cut, which may not have come yet.
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
            EXPECT_EQ(Told(message, kind), expected) << message;
            if (done == Damage::CutInside && kind.silentAtRecordEnd) {
                EXPECT_GE(lost, expected);
            } else {
                EXPECT_EQ(lost, expected);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryKind, DayFileKinds, ::testing::ValuesIn(jvdata::DayFileKinds()),
                         [](const auto& kind) { return KindName(kind.param.kind); });
