// Every kind of file a day load reads, under every damage, in one table: a damaged record is not
// shown, it costs its own race or runner alone, and what was lost is told once, in the unit the
// user knows, with the count told equal to the count lost.

#include "raceday/dayload.h"

#include "tests/raceday/dayfixture.h"
#include "tests/support/analysismaker.h"
#include "tests/support/unreadable.h"

#include <cstring>
#include <functional>
#include <map>
#include <optional>

using namespace testsupport;

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDay = "20261206";
struct RaceAt {
    const char* venue;
    int no;
};
// Two racecourses of three races, three runners each, in the order the day files keep.
constexpr RaceAt kRaces[] = {{"05", 1}, {"05", 2}, {"05", 3}, {"06", 1}, {"06", 2}, {"06", 3}};
constexpr int kRunners = 3;

std::string Key(std::size_t r) {
    return RaceKey16(kDay, kRaces[r].venue, kRaces[r].no);
}
std::string HorseId(std::size_t r, int h) {
    return "202010" + Two(static_cast<int>(r)) + Two(h);
}

enum class Damage {
    CutInside,      // the file ends inside the record
    CutAtRecordEnd, // the file ends before it
    ShownField,     // bytes over a field that is shown
    LettersInNumber,
    LineBreakInside, // CR LF over two of its bytes
    WrongId,         // another record's id, or another day's key
    Duplicated,
    Empty,
    Zeroed, // every byte of the file 0
    Unreadable,
    // Not damage: a runner not filed yet, a tab in a comment.
    BlankSlot,
    TabInComment,
};

const char* Name(Damage d) {
    static const char* kNames[] = {
        "cut inside",        "cut at a record end", "shown field", "letters", "line break inside",
        "wrong id",          "duplicated",          "empty",       "zeroed",  "unreadable",
        "blank runner slot", "tab in a comment"};
    return kNames[static_cast<int>(d)];
}

// Bytes put over a record at a 1-based position.
struct Hit {
    std::size_t pos;
    std::string bytes;
};

// What a kind's data shows, unit by unit (a race by its key, a runner by key and number).
using Shown = std::map<std::string, std::string>;

int SlotOf(const raceday::RaceDay& day, std::size_t r) {
    for (int s = 0; s < day.gDayRaceCount; ++s)
        if (day.gDayRaces[static_cast<std::size_t>(s)].KeyText() == Key(r)) return s;
    return -1;
}

// Per race: what `get` shows of the race's slot, "" for a race the day does not hold.
Shown PerRace(const raceday::RaceDay& day,
              const std::function<std::string(const raceday::RaceDay&, std::size_t)>& get) {
    Shown shown;
    for (std::size_t r = 0; r < std::size(kRaces); ++r) {
        const int s = SlotOf(day, r);
        shown[Key(r)] = s < 0 ? "" : get(day, static_cast<std::size_t>(s));
    }
    return shown;
}

// Per runner of the races `from` to `to` (exclusive).
Shown PerRunner(
    const raceday::RaceDay& day, std::size_t from, std::size_t to,
    const std::function<std::string(const raceday::RaceDay&, std::size_t, std::size_t)>& get) {
    Shown shown;
    for (std::size_t r = from; r < to; ++r) {
        const int s = SlotOf(day, r);
        for (std::size_t h = 0; h < kRunners; ++h)
            shown[Key(r) + "/" + std::to_string(h + 1)] =
                s < 0 ? "" : get(day, static_cast<std::size_t>(s), h);
    }
    return shown;
}

std::string Join(const std::vector<std::string>& records) {
    std::string out;
    for (const std::string& r : records) out += r;
    return out;
}

template <typename Record> std::string Bytes(const Record& record) {
    return std::string(record.Bytes());
}

bool Blank(std::string_view s) {
    return s.find_first_not_of(' ') == std::string_view::npos;
}

struct Kind {
    const char* name; // the data as the day's message names it
    fs::path file;
    std::vector<std::string> records;
    std::size_t hit; // the record the damage hits
    Hit shown, number, lineBreak, id;
    // A cut at a record end cannot be told from sound data: payouts, odds and comments come race
    // by race on a race day, the hand input holds the races entered, and a horse with fewer runs
    // has a shorter file.
    bool silentAtRecordEnd;
    std::function<Shown(const raceday::RaceDay&)> shownOf;
};

class DayFileKinds : public DayFixture {
protected:
    void SetUp() override {
        DayFixture::SetUp();
        const auto date = *jvdata::ParseYyyymmdd(kDay);
        auto dayFile = [&](jvdata::DayFile f) { return jvdata::DayFilePath(dir.path(), date, f); };
        auto horseFile = [&](jvdata::HorseFile f, std::string_view id) {
            return *jvdata::HorseFilePath(dir.path(), f, id);
        };
        std::vector<std::string> ra, hr, xq, rcom, ruma, odds[6];
        std::vector<std::string> tokyo, nakayama;
        for (std::size_t r = 0; r < std::size(kRaces); ++r) {
            const auto& [venue, no] = kRaces[r];
            ra.push_back(Ra(kDay, venue, no, kRunners));
            std::string pay = MakeRecord("HR", Key(r));
            jvdata::SetField(pay, 103, 13, "0100000015001");
            hr.push_back(pay);
            // The first entry of each odds kind priced.
            const char* entries[] = {"01016907",      "0102001234005",   "01020012300150005",
                                     "0102001234005", "010203001234005", "01020300123450005"};
            for (int k = 0; k < 6; ++k) {
                std::string o = MakeRecord("O" + std::to_string(k + 1), Key(r));
                jvdata::SetField(o, k == 0 ? 44 : 41, std::strlen(entries[k]), entries[k]);
                odds[k].push_back(o);
            }
            rcom.push_back(Key(r) + ",\"" + keiba::Sj("先行有利") + "\r\n\"\r\n");
            ruma.push_back(Key(r).substr(0, 10) + Key(r).substr(14) + std::to_string(r + 1) + "12" +
                           std::string(16, ' ') + "\r\n");
            for (int h = 1; h <= kRunners; ++h) {
                const std::string id = HorseId(r, h);
                (r < 3 ? tokyo : nakayama).push_back(Se(kDay, venue, no, h, id, "アカ"));
                xq.push_back(AnalysisMaker(kDay, venue, no, h)
                                 .Slot(static_cast<int>(r))
                                 .This(17, 2, "00")
                                 .This(40, 5, "0.323"));
                Write(horseFile(jvdata::HorseFile::UM2, id), filing::Um(id));
                Write(horseFile(jvdata::HorseFile::SEI, id),
                      Se("20261101", venue, no, h, id) + Se("20261115", venue, no, h, id));
            }
        }
        WriteRunners(kDay, "東京", tokyo);
        WriteRunners(kDay, "中山", nakayama);
        auto lines = [](const std::string& bytes) {
            std::vector<std::string> out;
            for (std::size_t at = 0; at < bytes.size(); at += jvdata::kSeLength)
                out.push_back(bytes.substr(at, jvdata::kSeLength));
            return out;
        };
        const fs::path tokyoFile = DataFile(Stem(kDay) + "東京.jvSEr");
        const std::size_t runner = 1; // race 2 of 東京, runner 1: its horse's files
        const std::string horse = HorseId(runner, 1);
        const std::string sei = Slurp(horseFile(jvdata::HorseFile::SEI, horse));

        auto races = [](auto get) {
            return [get](const raceday::RaceDay& d) { return PerRace(d, get); };
        };
        kinds_ = {
            {"レースデータ",
             dayFile(jvdata::DayFile::RA),
             ra,
             1,
             {20, "##"},
             {698, "ab"},
             {300, "\r\n"},
             {1, "RB"},
             false,
             races([](const raceday::RaceDay& d, std::size_t s) { return Bytes(d.gDayRaces[s]); })},
            {"出走馬データ",
             tokyoFile,
             lines(Slurp(tokyoFile)),
             18,
             {29, "##"},
             {289, "ab"},
             {300, "\r\n"},
             {1, "SF"},
             false,
             [](const raceday::RaceDay& d) {
                 return PerRunner(d, 0, 3,
                                  [](const raceday::RaceDay& day, std::size_t s, std::size_t h) {
                                      return Bytes(day.gDayHorses[s][h]);
                                  });
             }},
            {"払戻データ",
             dayFile(jvdata::DayFile::HR),
             hr,
             1,
             {105, "###"},
             {114, "ab"},
             {300, "\r\n"},
             {1, "HS"},
             true,
             races(
                 [](const raceday::RaceDay& d, std::size_t s) { return Bytes(d.gDayPayouts[s]); })},
        };
        const jvdata::DayFile oddsFiles[] = {jvdata::DayFile::O1, jvdata::DayFile::O2,
                                             jvdata::DayFile::O3, jvdata::DayFile::O4,
                                             jvdata::DayFile::O5, jvdata::DayFile::O6};
        const std::size_t shownAt[] = {46, 45, 45, 45, 47, 47},
                          numberAt[] = {50, 51, 55, 51, 53, 54};
        for (std::size_t k = 0; k < 6; ++k)
            kinds_.push_back({"オッズデータ",
                              dayFile(oddsFiles[k]),
                              odds[k],
                              1,
                              {shownAt[k], "#"},
                              {numberAt[k], "ab"},
                              {500, "\r\n"},
                              {1, "OX"},
                              true,
                              races([k](const raceday::RaceDay& d, std::size_t s) {
                                  switch (k) {
                                  case 0: return Bytes(d.gDayOddsO1[s]);
                                  case 1: return Bytes(d.gDayOddsO2[s]);
                                  case 2: return Bytes(d.gDayOddsO3[s]);
                                  case 3: return Bytes(d.gDayOddsO4[s]);
                                  case 4: return Bytes(d.gDayOddsO5[s]);
                                  default: return Bytes(d.gDayOddsO6[s]);
                                  }
                              })});
        auto theRunner = [&](auto get) {
            return [get](const raceday::RaceDay& d) {
                const int s = SlotOf(d, 1);
                return Shown{{"runner", s < 0 ? "" : get(d, static_cast<std::size_t>(s))}};
            };
        };
        kinds_.push_back({"過去走データ",
                          horseFile(jvdata::HorseFile::SEI, horse),
                          {sei.substr(0, jvdata::kSeLength), sei.substr(jvdata::kSeLength)},
                          1,
                          {20, "##"},
                          {335, "ab"},
                          {300, "\r\n"},
                          {1, "SF"},
                          true,
                          theRunner([](const raceday::RaceDay& d, std::size_t s) {
                              std::string keys;
                              for (const auto& run : d.gPastRunHorses[s][0])
                                  if (!run.IsBlank()) keys += run.KeyText();
                              return keys;
                          })});
        kinds_.push_back({"競走馬データ",
                          horseFile(jvdata::HorseFile::UM2, horse),
                          {filing::Um(horse)},
                          0,
                          {203, "##"},
                          {1053, "ab"},
                          {800, "\r\n"},
                          {1, "UN"},
                          false,
                          theRunner([](const raceday::RaceDay& d, std::size_t s) {
                              return Bytes(d.gDayHorseMasters[s][0]);
                          })});
        kinds_.push_back({"分析データ",
                          dir / "VZK/XQ20261206.vzkd",
                          xq,
                          3,
                          {226 + 40, "#####"},
                          {138, "ab"},
                          {100, "\r\n"},
                          {6, "20261205"},
                          false,
                          [](const raceday::RaceDay& d) {
                              return PerRunner(
                                  d, 0, std::size(kRaces),
                                  [](const raceday::RaceDay& day, std::size_t s, std::size_t h) {
                                      return Bytes(day.gDayHorseAnalysis[s][h]);
                                  });
                          }});
        kinds_.push_back({"コメントデータ",
                          dir / "VZK/RCOM20261206.CSV",
                          rcom,
                          1,
                          {5, "#"},
                          {9, "ab"},
                          {9, "\r\n"},
                          {1, "20261205"},
                          true,
                          races([](const raceday::RaceDay& d, std::size_t s) {
                              return d.gRaceTexts[s].RaceComment;
                          })});
        kinds_.push_back({"手入力データ",
                          DataFile(Stem(kDay) + ".ruma"),
                          ruma,
                          1,
                          {13, "#"},
                          {14, "ab"},
                          {20, "\r\n"},
                          {1, "20261205"},
                          true,
                          races([](const raceday::RaceDay& d, std::size_t s) {
                              return d.gRaceTexts[s].RaceRLevelText;
                          })});
        for (Kind& k : kinds_) Write(k.file, Join(k.records));
    }

    static void Write(const fs::path& file, const std::string& bytes) {
        fs::create_directories(file.parent_path());
        WriteBytes(file, bytes);
    }

    std::vector<Kind> kinds_;
};

// The records of a kind's file with the damage done to record `hit`.
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

// The count the day's message tells for the kind's file (the runners of a runner file's line),
// or nothing when it names no loss of it.
std::optional<std::size_t> Told(const std::string& message, const Kind& kind) {
    const std::string head =
        std::string(kind.name) + "（" + keiba::PathToUtf8(kind.file.filename()) + "）";
    std::size_t at = message.find(head + "の一部が壊れているため、");
    if (at == std::string::npos) return std::nullopt;
    const std::size_t end = message.find("を読み込めませんでした。", at);
    std::size_t digits = message.find_last_of("0123456789", end);
    std::size_t from = message.find_last_not_of("0123456789", digits) + 1;
    return std::stoul(message.substr(from, digits + 1 - from));
}

} // namespace

TEST_F(DayFileKinds, EveryKindUnderEveryDamageTellsWhatItLostAndShowsNothingDamaged) {
    ASSERT_EQ(Load(kDay), raceday::DayLoadResult::Loaded);
    ASSERT_EQ(notifier.messages, std::vector<std::string>{});
    std::vector<Shown> sound;
    for (const Kind& k : kinds_) sound.push_back(k.shownOf(Day()));

    std::vector<std::pair<std::size_t, Damage>> rows;
    for (std::size_t k = 0; k < kinds_.size(); ++k)
        for (int d = 0; d <= static_cast<int>(Damage::Unreadable); ++d)
            rows.emplace_back(k, static_cast<Damage>(d));
    rows.emplace_back(1, Damage::BlankSlot);
    rows.emplace_back(kinds_.size() - 2, Damage::TabInComment);

    for (const auto& [k, damage] : rows) {
        const Kind& kind = kinds_[k];
        SCOPED_TRACE(kind.file.filename().string() + ": " + Name(damage));
        WriteBytes(kind.file, Damaged(kind, damage));
        notifier.messages.clear();
        raceday::DayLoadResult result;
        {
            std::optional<UnreadableFile> unreadable;
            if (damage == Damage::Unreadable) unreadable.emplace(kind.file);
            result = Load(kDay);
        }
        WriteBytes(kind.file, Join(kind.records));
        const std::string message = notifier.messages.empty() ? "" : notifier.messages.front();
        ASSERT_LE(notifier.messages.size(), 1u);

        const Shown shown = kind.shownOf(Day());
        std::size_t lost = 0;
        for (const auto& [unit, value] : shown) {
            const std::string& was = sound[k].at(unit);
            if (value == was) continue;
            ++lost;
            // Nothing damaged is shown: a unit shows its sound data or nothing, past runs some
            // of the horse's own.
            if (damage != Damage::TabInComment) {
                EXPECT_TRUE(Blank(value) || was.find(value) != std::string::npos) << unit;
            }
        }

        if (damage == Damage::Unreadable) {
            EXPECT_EQ(message, keiba::PathToUtf8(kind.file) + " を読み込めません（読み込む権限が"
                                                              "ありません）。");
            continue;
        }
        if (result == raceday::DayLoadResult::Damaged) {
            // A race file without a sound race: no day, every race lost, and said so.
            EXPECT_EQ(message, "レースデータ（" + Stem(kDay) +
                                   ".jvRA）が壊れているため、この開催日を読み込めません。");
            EXPECT_EQ(lost, std::size(kRaces));
            continue;
        }
        ASSERT_EQ(result, raceday::DayLoadResult::Loaded);
        const std::optional<std::size_t> told = Told(message, kind);
        // One line for the file, and no other.
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        const bool notDamage = damage == Damage::BlankSlot || damage == Damage::TabInComment ||
                               (damage == Damage::CutAtRecordEnd && kind.silentAtRecordEnd);
        if (notDamage) {
            EXPECT_EQ(message, "");
            if (damage == Damage::TabInComment) { // shown as it now reads
                EXPECT_NE(shown.at(Key(kind.hit)).find('\t'), std::string::npos);
            }
            continue;
        }
        EXPECT_EQ(told.value_or(0), lost) << message;
        switch (damage) {
        case Damage::ShownField:
        case Damage::LettersInNumber:
        case Damage::LineBreakInside:
        case Damage::WrongId: EXPECT_EQ(lost, 1u); break;
        case Damage::Duplicated: EXPECT_EQ(lost, 0u); break;
        default: EXPECT_GE(lost, 1u); break;
        }
    }
}
