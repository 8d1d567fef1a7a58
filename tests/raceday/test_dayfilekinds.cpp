// Every kind of file a day load reads, under every damage, in one table: a damaged record is not
// shown, it costs its own race or runner alone, and what was lost is told once, in the unit the
// user knows, with the count told equal to the count lost.

#include "raceday/dayload.h"

#include "tests/raceday/dayfixture.h"
#include "tests/support/analysismaker.h"
#include "tests/support/unreadable.h"

#include <map>
#include <optional>

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
    WrongId,         // another record's id, or another day's key
    Duplicated,
    Empty,
    Zeroed, // every byte of the file 0
    Unreadable,
    // Not damage: a runner not filed yet, a tab in a comment.
    BlankSlot,
    TabInComment,
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
std::string PastRuns(const RaceDay& d, std::size_t s, std::size_t h) {
    std::string keys;
    for (const auto& run : d.gPastRunHorses[s][h])
        if (!run.IsBlank()) keys += run.KeyText();
    return keys;
}

// The units a kind's losses are counted in.
enum class Units { Races, TokyoRunners, AllRunners, OneRunner };

struct Kind {
    const char* name; // the data as the day's message names it
    fs::path file;
    std::vector<std::string> records;
    std::size_t hit;                  // the record the damage hits
    Hit shown, number, lineBreak, id; // where each damage goes in it
    Units units;
    Get get;
    // A cut at a record end cannot be told from sound data: payouts, odds and comments come race
    // by race on a race day, the hand input holds the races entered, and a horse with fewer runs
    // has a shorter file.
    bool silentAtRecordEnd;
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
        if (kind.units == Units::OneRunner && r == 1) shown[Key(r)] = get(0);
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

// The bytes of a kind's file with the damage done to record `hit`.
std::string Damaged(const Kind& kind, Damage d) {
    std::vector<std::string> records = kind.records;
    std::string& rec = records[kind.hit];
    auto at = [&](const Hit& h) { rec.replace(h.pos - 1, h.bytes.size(), h.bytes); };
    std::size_t before = 0;
    for (std::size_t i = 0; i < kind.hit; ++i) before += records[i].size();
    switch (d) {
    case Damage::CutInside: return Join(records).substr(0, before + rec.size() / 2);
    case Damage::CutAtRecordEnd: return Join(records).substr(0, before);
    case Damage::ShownField: at(kind.shown); break;
    case Damage::LettersInNumber: at(kind.number); break;
    case Damage::LineBreakInside: at(kind.lineBreak); break;
    case Damage::LineBreakAdded: rec.insert(kind.lineBreak.pos - 1, "\r\n"); break;
    case Damage::WrongId: at(kind.id); break;
    case Damage::Duplicated: records.insert(records.begin() + kind.hit, rec); break;
    case Damage::Empty: return "";
    case Damage::Zeroed: return std::string(Join(records).size(), '\0');
    case Damage::Unreadable: break;
    case Damage::BlankSlot: rec = std::string(rec.size() - 2, ' ') + "\r\n"; break;
    case Damage::TabInComment: rec.insert(jvdata::RecordHead::kRaceKey.width + 2, "\t"); break;
    }
    return Join(records);
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

class DayFileKinds : public DayFixture {
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
                Write(horseFile(jvdata::HorseFile::SEI, id),
                      Se("20261101", venue, no, h, id) + Se("20261115", venue, no, h, id));
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

        const Hit breakAt300{300, "\r\n"}, otherDay{6, "20261205"};
        Add("レースデータ", dayFile(jvdata::DayFile::RA), ra, 1, {20, "##"}, {698, "ab"},
            breakAt300, {1, "RB"}, Units::Races, OfRace<&RaceDay::gDayRaces>, false);
        Add("出走馬データ", runners, slots, 18, {29, "##"}, {289, "ab"}, breakAt300, {1, "SF"},
            Units::TokyoRunners, OfRunner<&RaceDay::gDayHorses>, false);
        Add("払戻データ", dayFile(jvdata::DayFile::HR), hr, 1, {105, "###"}, {114, "ab"},
            breakAt300, {1, "HS"}, Units::Races, OfRace<&RaceDay::gDayPayouts>, true);
        Add("過去走データ", horseFile(jvdata::HorseFile::SEI, horse),
            {sei.substr(0, jvdata::kSeLength), sei.substr(jvdata::kSeLength)}, 1, {20, "##"},
            {335, "ab"}, breakAt300, {1, "SF"}, Units::OneRunner, PastRuns, true);
        Add("競走馬データ", horseFile(jvdata::HorseFile::UM2, horse), {filing::Um(horse)}, 0,
            {203, "##"}, {1053, "ab"}, {800, "\r\n"}, {1, "UN"}, Units::OneRunner,
            OfRunner<&RaceDay::gDayHorseMasters>, false);
        Add("分析データ", dir / "VZK/XQ20261206.vzkd", xq, 3, {226 + 40, "#####"}, {138, "ab"},
            {100, "\r\n"}, otherDay, Units::AllRunners, OfRunner<&RaceDay::gDayHorseAnalysis>,
            false);
        Add("コメントデータ", dir / "VZK/RCOM20261206.CSV", rcom, 1, {5, "#"}, {9, "ab"},
            {9, "\r\n"}, {1, "20261205"}, Units::Races, Comment, true);
        Add("手入力データ", DataFile(Stem(kDay) + ".ruma"), ruma, 1, {13, "#"}, {14, "ab"},
            {20, "\r\n"}, {1, "20261205"}, Units::Races, Level, true);
        const Get oddsOf[] = {OfRace<&RaceDay::gDayOddsO1>, OfRace<&RaceDay::gDayOddsO2>,
                              OfRace<&RaceDay::gDayOddsO3>, OfRace<&RaceDay::gDayOddsO4>,
                              OfRace<&RaceDay::gDayOddsO5>, OfRace<&RaceDay::gDayOddsO6>};
        const std::size_t oddsAt[] = {46, 45, 45, 45, 47, 47}, popAt[] = {50, 51, 55, 51, 53, 54};
        const jvdata::DayFile oddsFiles[] = {jvdata::DayFile::O1, jvdata::DayFile::O2,
                                             jvdata::DayFile::O3, jvdata::DayFile::O4,
                                             jvdata::DayFile::O5, jvdata::DayFile::O6};
        for (std::size_t k = 0; k < 6; ++k)
            Add("オッズデータ", dayFile(oddsFiles[k]), odds[k], 1, {oddsAt[k], "#"},
                {popAt[k], "ab"}, {500, "\r\n"}, {1, "OX"}, Units::Races, oddsOf[k], true);
        for (Kind& k : kinds_) Write(k.file, Join(k.records));
    }

    void Add(const char* name, fs::path file, std::vector<std::string> records, std::size_t hit,
             Hit shown, Hit number, Hit lineBreak, Hit id, Units units, Get get, bool silent) {
        kinds_.push_back({name, std::move(file), std::move(records), hit, std::move(shown),
                          std::move(number), std::move(lineBreak), std::move(id), units, get,
                          silent});
    }
    static void Write(const fs::path& file, const std::string& bytes) {
        fs::create_directories(file.parent_path());
        WriteBytes(file, bytes);
    }

    std::vector<Kind> kinds_;
};

} // namespace

TEST_F(DayFileKinds, EveryKindUnderEveryDamageTellsWhatItLostAndShowsNothingDamaged) {
    ASSERT_EQ(Load(kDay), raceday::DayLoadResult::Loaded);
    ASSERT_EQ(notifier.messages, std::vector<std::string>{});
    std::vector<std::map<std::string, std::string>> sound;
    for (const Kind& k : kinds_) sound.push_back(ShownOf(Day(), k));

    std::vector<std::pair<std::size_t, Damage>> rows = {{1, Damage::BlankSlot},
                                                        {6, Damage::TabInComment}};
    for (std::size_t k = 0; k < kinds_.size(); ++k)
        for (int d = 0; d <= static_cast<int>(Damage::Unreadable); ++d)
            rows.emplace_back(k, static_cast<Damage>(d));
    for (const auto& [k, damage] : rows) {
        const Kind& kind = kinds_[k];
        SCOPED_TRACE(kind.file.filename().string() + ", damage " +
                     std::to_string(static_cast<int>(damage)));
        WriteBytes(kind.file, Damaged(kind, damage));
        notifier.messages.clear();
        raceday::DayLoadResult result;
        {
            std::optional<UnreadableFile> unreadable;
            if (damage == Damage::Unreadable) unreadable.emplace(kind.file);
            result = Load(kDay);
        }
        WriteBytes(kind.file, Join(kind.records));
        ASSERT_LE(notifier.messages.size(), 1u);
        const std::string message = notifier.messages.empty() ? "" : notifier.messages.front();

        const std::map<std::string, std::string> shown = ShownOf(Day(), kind);
        std::size_t lost = 0;
        for (const auto& [unit, value] : shown) {
            const std::string& was = sound[k].at(unit);
            if (value == was) continue;
            ++lost;
            // Nothing damaged is shown: a unit shows its sound data or nothing (past runs: some
            // of the horse's own).
            const bool blank = value.find_first_not_of(' ') == std::string::npos;
            EXPECT_TRUE(blank || was.find(value) != std::string::npos ||
                        damage == Damage::TabInComment)
                << unit;
        }

        if (damage == Damage::Unreadable) {
            EXPECT_EQ(message, keiba::PathToUtf8(kind.file) +
                                   " を読み込めません（読み込む権限がありません）。");
        } else if (result == raceday::DayLoadResult::Damaged) {
            // A race file without a sound race: no day, every race lost, and said so.
            EXPECT_EQ(message, "レースデータ（" + Stem(kDay) +
                                   ".jvRA）が壊れているため、この開催日を読み込めません。");
            EXPECT_EQ(lost, std::size(kRaces));
        } else if (damage == Damage::BlankSlot || damage == Damage::TabInComment ||
                   (damage == Damage::CutAtRecordEnd && kind.silentAtRecordEnd)) {
            EXPECT_EQ(message, "");
            // The comment with a tab is shown as it now reads.
            EXPECT_TRUE(damage != Damage::TabInComment ||
                        shown.at(Key(1)).find('\t') != std::string::npos);
        } else {
            // One line for the file, and no other; what one record held, that record alone.
            EXPECT_EQ(message.find('\n'), std::string::npos) << message;
            EXPECT_EQ(Told(message, kind), lost) << message;
            if (damage >= Damage::ShownField && damage <= Damage::WrongId) {
                EXPECT_EQ(lost, 1u);
            }
            EXPECT_EQ(lost == 0, damage == Damage::Duplicated);
        }
    }
}
