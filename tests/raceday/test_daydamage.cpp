// The differential damage check: every kind of day file, damaged by the generator at a first, a
// middle, a last and a random record and at a record of another racecourse, read through every
// reader of the screens, and judged against the same readers on the undamaged day. The undamaged
// day is the only oracle: a race or runner whose data differs from it is lost, and a lost unit
// shows nothing, never another race's, another day's or damaged data; what does not differ shows
// as before; the file damaged is told with the count of what it lost, and no other file is told.
//
// Seeded: a failure names its seed, kind, damage, place and reader. KESTRANE_DAMAGE_SEED sets the
// run's seed, KESTRANE_DAMAGE_ROUNDS how many times every damage is drawn anew at every place,
// KESTRANE_DAMAGE_CASE runs the one case of that seed, KESTRANE_DAMAGE_SHOWN how many failed cases
// a test names in full (scripts/damage-check).

#include "app/forms/datacheckpage.h"
#include "fetch/fetchops.h"
#include "fetch/fetchstate.h"
#include "keiba/fileio.h"
#include "keiba/operations.h"
#include "raceday/dayload.h"
#include "search/rcard.h"
#include "search/rscan.h"
#include "tests/raceday/damageday.h"
#include "tests/raceday/dayfixture.h"
#include "tests/raceday/kindnames.h"
#include "views/grid.h"

#include <QListWidget>

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <set>

using namespace testsupport;
namespace fs = std::filesystem;
using K = jvdata::DayFileKind;

namespace {

// ---- what a reader shows and tells ----

// What a reader shows of one unit's data from one file: the race or runner it belongs to, the
// units it is shown under (its race, its runner), and its pieces (a runner's past runs are three).
struct Shown {
    std::string file, unit;
    std::vector<std::string> under;
    std::vector<std::string> pieces;
    // Data a unit shows that is made from other units' records (a race's figures from any of its
    // runners'): it changes only where those are lost, and is not counted.
    bool counted = true;
};

struct Reading {
    std::string name;
    std::vector<Shown> shown;
    std::vector<std::string> strays; // what it shows that the undamaged day has not
    std::vector<std::string> lines;  // what it told, a line each
    bool refused = false;            // the day was not loaded at all
    // Files a reader names as damaged without a count (the R-horse search).
    std::vector<std::string> named;
};

std::string Race(const std::string& key) {
    return "R:" + key;
}
std::string Runner(const std::string& key18) {
    return "H:" + key18;
}

std::vector<std::string> Lines(const std::vector<std::string>& messages) {
    std::vector<std::string> out;
    for (const std::string& m : messages)
        for (std::size_t at = 0; at <= m.size();) {
            const std::size_t nl = std::min(m.find('\n', at), m.size());
            if (nl > at) out.push_back(m.substr(at, nl - at));
            at = nl + 1;
        }
    return out;
}

// ---- the oracle ----

// A blank as the screens show one: a blank byte, a grid's cell border, a wide blank (UTF-8).
std::size_t BlankAt(std::string_view s, std::size_t at) {
    if (s[at] == ' ' || s[at] == '|') return 1;
    return s.substr(at, 3) == "\xE3\x80\x80" ? 3 : 0;
}

// Blank: nothing, blanks, or a record that holds nothing but its own race key (a past race whose
// record its day's file no longer has).
bool Blank(std::string_view now, std::string_view was) {
    std::size_t at = 0;
    for (std::size_t n; at < now.size() && (n = BlankAt(now, at)) > 0;) at += n;
    if (at == now.size()) return true;
    constexpr std::size_t kKey = 11, kKeyWidth = 16;
    if (now.size() != was.size() || now.size() < kKey + kKeyWidth ||
        now.substr(kKey, kKeyWidth) != was.substr(kKey, kKeyWidth))
        return false;
    std::string rest(now);
    rest.replace(kKey, kKeyWidth, kKeyWidth, ' ');
    return rest.find_first_not_of(' ') == std::string::npos;
}

// Whether a piece that is not blank shows nothing but bytes it showed before, where it showed
// them, over blanks: a part of a lost unit.
bool Partly(std::string_view now, std::string_view was) {
    for (std::size_t at = 0; at < now.size(); ++at)
        if (now[at] != ' ' && (at >= was.size() || now[at] != was[at])) return false;
    return true;
}

// A piece as a failure shows it: around its first difference from what it was.
std::string Show(std::string_view now, std::string_view was) {
    if (Blank(now, "")) return "blank";
    // The first byte that differs from what was there and is no blank.
    std::size_t at = 0;
    while (at < now.size() && ((at < was.size() && now[at] == was[at]) || BlankAt(now, at) > 0))
        at += std::max<std::size_t>(1, BlankAt(now, at));
    if (at >= now.size()) at = now.find_first_not_of(" |"); // a part of its own
    const std::size_t from = at > 8 ? at - 8 : 0;
    std::string out = "byte " + std::to_string(at + 1) + ": \"";
    for (char c : now.substr(from, 24)) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            out += c;
        } else {
            static constexpr char kHex[] = "0123456789abcdef";
            out += std::string("\\x") + kHex[u >> 4] + kHex[u & 15];
        }
    }
    return out + "\"";
}

// What a line tells of a file: its name and the count of races or runners it lost; every
// reader words its losses this one way.
struct Told {
    std::string file;
    std::optional<std::size_t> count; // none: the day refused, every race lost
    std::size_t others = 0;           // files counted on the same line ("ほか2件")
};
std::optional<Told> ParseTold(const std::string& line) {
    static const std::string kOpen = "（", kPart = "）の一部が壊れているため、",
                             kLost = "を読み込めませんでした。",
                             kRefused = "）が壊れているため、この開催日を読み込めません。";
    const std::size_t open = line.find(kOpen);
    if (open == std::string::npos) return std::nullopt;
    const std::size_t close = line.find("）", open);
    if (close == std::string::npos) return std::nullopt;
    Told t;
    t.file = line.substr(open + kOpen.size(), close - open - kOpen.size());
    if (const std::size_t more = t.file.find(" ほか"); more != std::string::npos) {
        t.others = std::strtoul(t.file.c_str() + more + std::string(" ほか").size(), nullptr, 10);
        t.file.resize(more);
    }
    if (line.compare(close, kRefused.size(), kRefused) == 0 &&
        close + kRefused.size() == line.size())
        return t;
    if (line.compare(close, kPart.size(), kPart) != 0 || !line.ends_with(kLost))
        return std::nullopt;
    const std::string loss =
        line.substr(close + kPart.size(), line.size() - close - kPart.size() - kLost.size());
    // "3レース分", "12頭分", "2レースの出走馬3頭分": the last number; "2026/12/06 東京2R": the one
    // race a race card opens.
    if (loss.ends_with("R")) {
        t.count = 1;
        return t;
    }
    const std::size_t last = loss.find_last_of("0123456789");
    if (last == std::string::npos) return std::nullopt;
    const std::size_t first = loss.find_last_not_of("0123456789", last) + 1;
    t.count = std::stoul(loss.substr(first, last + 1 - first));
    return t;
}

struct Damaged {
    std::string file;                     // its name; empty for a day without damage
    std::string bytes;                    // as damaged
    std::size_t races;                    // the day's races: a refused day has lost them all
    std::vector<std::string> raceRecords; // the undamaged day's race file, record by record
    std::string raceFile;
};

// The faults of a reading of the damaged day against the same reading of the undamaged one.
std::vector<std::string> Judge(const Reading& was, const Reading& now, const Damaged& d) {
    std::vector<std::string> faults;
    if (was.shown.size() != now.shown.size()) return {"the readings do not match"};
    std::set<std::string> lost;
    for (std::size_t i = 0; i < now.shown.size(); ++i)
        if (now.shown[i].file == d.file && now.shown[i].counted &&
            now.shown[i].pieces != was.shown[i].pieces)
            lost.insert(now.shown[i].unit);
    for (std::size_t i = 0; i < now.shown.size(); ++i) {
        const Shown& n = now.shown[i];
        const Shown& w = was.shown[i];
        if (n.pieces == w.pieces) continue;
        for (std::size_t p = 0; p < n.pieces.size(); ++p)
            if (n.pieces[p] != w.pieces[p] && !Blank(n.pieces[p], w.pieces[p]))
                faults.push_back(n.file + " of " + n.unit +
                                 (n.pieces.size() > 1 ? " piece " + std::to_string(p + 1) : "") +
                                 (Partly(n.pieces[p], w.pieces[p])
                                      ? " shows a part of its own, the rest lost: "
                                      : " shows what is not its own: ") +
                                 Show(n.pieces[p], w.pieces[p]));
        const bool underLost = std::any_of(n.under.begin(), n.under.end(),
                                           [&](const std::string& u) { return lost.count(u); });
        if ((n.file != d.file || !n.counted) && !underLost)
            faults.push_back(n.file + " of " + n.unit + " changed, though " +
                             (n.file == d.file ? "no unit it is made from" : "that file") +
                             " lost nothing");
    }
    for (const std::string& s : now.strays) faults.push_back("shows " + s);
    // What was told, against what was lost.
    std::map<std::string, std::size_t> told;
    std::map<std::string, int> lines;
    for (const std::string& line : now.lines) {
        const std::optional<Told> t = ParseTold(line);
        if (!t) {
            faults.push_back("tells \"" + line + "\"");
            continue;
        }
        ++lines[t->file];
        told[t->file] = t->count.value_or(d.races);
        if (t->others > 0) faults.push_back("counts other files with " + t->file + ": " + line);
    }
    for (const std::string& f : now.named) {
        ++lines[f];
        told[f] = lost.empty() ? 0 : lost.size(); // no count to compare: named or not
        if (f == d.file && lost.empty()) faults.push_back("names " + f + ", which lost nothing");
    }
    for (const auto& [file, n] : lines)
        if (n > 1) faults.push_back("tells " + file + " " + std::to_string(n) + " times");
    for (const auto& [file, count] : told)
        if (file != d.file) faults.push_back("tells " + file + ", which is sound");
    const std::size_t toldCount = told.count(d.file) ? told.at(d.file) : 0;
    if (!d.file.empty() && toldCount != lost.size()) {
        std::string units;
        for (const std::string& u : lost) units += (units.empty() ? "" : " ") + u;
        faults.push_back(d.file + ": tells " + std::to_string(toldCount) + ", lost " +
                         std::to_string(lost.size()) + (units.empty() ? "" : " (" + units + ")"));
    }
    // A day is refused only when its race file holds none of its races whole.
    if (now.refused && d.file == d.raceFile)
        for (const std::string& rec : d.raceRecords)
            if (d.bytes.find(rec) != std::string::npos) {
                faults.push_back("refuses the day, though its race file holds " +
                                 rec.substr(11, 16) + " whole");
                break;
            }
    return faults;
}

// ---- the readers ----

// The whole R-horse search: every countable record is a hit.
class EveryRecord : public search::RFilter {
public:
    bool Matches(std::string_view) const override { return true; }
};

// The fetch host of a loaded day: what the re-reads after a fetch tell goes to its status line.
class ReadHost : public fetch::FetchHost {
public:
    ReadHost(raceday::RaceDay& d, const keiba::ProgramContext& c, std::string stem)
        : day_(d)
        , context_(c)
        , stem_(std::move(stem)) {}
    raceday::RaceDay& Day() override { return day_; }
    fetch::FetchFlags& Flags() override { return flags_; }
    keiba::OperationOwner& Operations() override { return operations_; }
    jvdata::TJVLink* JvLink() override { return nullptr; }
    const keiba::ProgramContext& Context() const override { return context_; }
    int SelectedRace() const override { return 0; }
    int RaceCount() const override { return day_.gDayRaceCount; }
    void SelectRace(int) override {}
    int LoadedDayIndex() const override { return 0; }
    std::string LoadedDayStem() const override { return stem_; }
    void ShowStatus(const std::string& text) override {
        if (!text.empty()) told.push_back(text);
    }
    void ShowSelectedRace() override {}
    bool AutoOddsOn() const override { return false; }
    void SetAutoOddsOn(bool) override {}
    void RunOddsTimer(bool) override {}
    void ReloadDay() override {}
    std::vector<std::string> told;

private:
    raceday::RaceDay& day_;
    const keiba::ProgramContext& context_;
    std::string stem_;
    fetch::FetchFlags flags_;
    keiba::OperationOwner operations_;
};

// The case under way, said when a reader crashes on it (a sanitizer's report ends in an abort):
// the crash names its case as a failure does.
char gCaseUnderWay[512];
extern "C" void SayCaseUnderWay(int signal) {
    static constexpr char kHead[] = "\ndamage check: crashed in the case of ";
    if (::write(STDERR_FILENO, kHead, sizeof kHead - 1) < 0 ||
        ::write(STDERR_FILENO, gCaseUnderWay, std::strlen(gCaseUnderWay)) < 0)
        gCaseUnderWay[0] = 0;
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

std::uint64_t EnvNumber(const char* name, std::uint64_t otherwise) {
    const char* v = std::getenv(name);
    return v && *v ? std::strtoull(v, nullptr, 10) : otherwise;
}

class DayDamage : public ::testing::TestWithParam<std::tuple<jvdata::DayFileKindInfo, DayStands>> {
protected:
    struct ReaderDef {
        const char* name;
        std::vector<K> reads;
        bool pastDays; // reads the race files of earlier days too
        bool rereads;  // a re-read of the loaded day after a fetch
        std::vector<Reading> (DayDamage::*read)();
    };

    void SetUp() override {
        keiba::SetWritesSynced(false);
        day_ = DamageDay::Write(dir_.path(), std::get<1>(GetParam()));
        // The day the re-reads read into was loaded before the last fetch.
        for (const auto& [file, bytes] : day_.earlier) Write(file, bytes);
        reDay_ = std::make_unique<raceday::RaceDay>();
        ASSERT_EQ(raceday::LoadDay(*reDay_, day_.stem, host_, host_, context_),
                  raceday::DayLoadResult::Loaded);
        for (const auto& [file, bytes] : day_.earlier) day_.Restore(file);
        readHost_ = std::make_unique<ReadHost>(*reDay_, context_, day_.stem);
        page_ = std::make_unique<app::DataCheckPage>(context_);
        page_->MakeDataListBtnClick();
        for (const auto& r : readers_) references_.push_back((this->*r.read)());
        // The undamaged day tells nothing and shows every race.
        for (const auto& readings : references_)
            for (const Reading& r : readings) {
                EXPECT_EQ(r.lines, std::vector<std::string>{}) << r.name;
                EXPECT_EQ(r.strays, std::vector<std::string>{}) << r.name;
                EXPECT_FALSE(r.refused) << r.name;
            }
    }

    void Write(const std::string& file, const std::string& bytes) {
        ASSERT_TRUE(keiba::WriteFileAtomic(day_.paths.at(file), bytes));
    }

    // ---- day load ----
    std::vector<Reading> LoadDay() {
        for (const fs::path& p : day_.made) fs::remove(p);
        notifier_.messages.clear();
        host_.ops.clear();
        const raceday::DayLoadResult result =
            raceday::LoadDay(*day(), day_.stem, host_, host_, context_);
        Reading r{"day load", {}, {}, Lines(notifier_.messages), false, {}};
        r.refused = result != raceday::DayLoadResult::Loaded;
        ShowDay(*day(), r, true);
        return {r};
    }

    // The day's data, unit by unit, races found by their keys.
    void ShowDay(const raceday::RaceDay& d, Reading& r, bool whole,
                 const std::vector<K>& only = {}) {
        auto wanted = [&](K k) {
            return only.empty() || std::find(only.begin(), only.end(), k) != only.end();
        };
        std::map<std::string, int> slots;
        for (int s = 0; s < std::clamp(d.gDayRaceCount, 0, raceday::kMaxRaces); ++s) {
            const std::string key(d.gDayRaces[static_cast<std::size_t>(s)].KeyText());
            if (!slots.emplace(key, s).second) r.strays.push_back("race " + key + " twice");
            if (std::none_of(day_.races.begin(), day_.races.end(),
                             [&](const auto& race) { return race.key == key; }))
                r.strays.push_back("race " + key + ", which the day has not");
        }
        std::size_t runner = 0;
        for (const DamageDay::Race& race : day_.races) {
            const auto at = slots.find(race.key);
            const bool has = at != slots.end();
            const auto s = has ? static_cast<std::size_t>(at->second) : 0;
            const std::string R = Race(race.key);
            auto add = [&](bool on, const std::string& file, const std::string& unit,
                           std::vector<std::string> under, std::vector<std::string> pieces) {
                if (!on) return;
                if (!has)
                    for (std::string& p : pieces) p.clear();
                r.shown.push_back({file, unit, std::move(under), std::move(pieces), true});
            };
            add(wanted(K::Races), day_.raceFile, R, {}, {std::string(d.gDayRaces[s].Bytes())});
            add(wanted(K::Payouts), day_.payoutFile, R, {R},
                {std::string(d.gDayPayouts[s].Bytes())});
            const std::string_view odds[] = {d.gDayOddsO1[s].Bytes(), d.gDayOddsO2[s].Bytes(),
                                             d.gDayOddsO3[s].Bytes(), d.gDayOddsO4[s].Bytes(),
                                             d.gDayOddsO5[s].Bytes(), d.gDayOddsO6[s].Bytes()};
            const K oddsKinds[] = {K::Odds1, K::Odds2, K::Odds3, K::Odds4, K::Odds5, K::Odds6};
            for (std::size_t k = 0; k < 6; ++k)
                add(wanted(oddsKinds[k]), day_.oddsFiles[k], R, {R}, {std::string(odds[k])});
            if (whole) {
                add(true, day_.commentFile, R, {R}, {d.gRaceTexts[s].RaceComment});
                add(true, day_.handInputFile, R, {R}, {d.gRaceTexts[s].RaceRLevelText});
            }
            for (int h = 0; h < race.runners; ++h, ++runner) {
                const DamageDay::Runner& run = day_.runners[runner];
                const std::string H = Runner(day_.RunnerKey(run));
                const auto hh = static_cast<std::size_t>(h);
                add(wanted(K::Runners), day_.runnerFiles[race.venue], H, {R},
                    {std::string(d.gDayHorses[s][hh].Bytes())});
                if (!whole) continue;
                add(true, run.masterFile, H, {R, H},
                    {std::string(d.gDayHorseMasters[s][hh].Bytes())});
                std::vector<std::string> runs;
                for (std::size_t k = 0; k < raceday::kPastRunsRead; ++k)
                    runs.emplace_back(d.gPastRunHorses[s][hh][k].Bytes());
                add(true, run.runsFile, H, {R, H}, runs);
                for (std::size_t k = 0; k < run.pastRaces.size(); ++k)
                    add(true, day_.pastRaceFiles.at(run.pastRaces[k].substr(0, 8)),
                        "P:" + run.pastRaces[k], {R, H},
                        {std::string(d.gPastRunRaces[s][hh][k].Bytes())});
                add(true, day_.analysisFile, H, {R},
                    {std::string(d.gDayHorseAnalysis[s][hh].Bytes())});
            }
        }
    }

    // ---- the race card of a search hit, on each race's first runner ----
    std::vector<Reading> RaceCards() {
        std::vector<Reading> out;
        std::size_t runner = 0;
        for (const DamageDay::Race& race : day_.races) {
            const std::string hit = day_.kinds.at(K::Analysis).files[0].records[runner].bytes;
            const search::RCardLoad card =
                search::LoadRCardRace(dir_.path(), search::RHit::Of(hit));
            Reading r{
                "race card of a hit on " + race.item, {}, {}, Lines({card.message}), false, {}};
            const std::string R = Race(race.key);
            const bool open = card.race != nullptr;
            r.shown.push_back(
                {day_.raceFile, R, {}, {open ? std::string(card.race->race.Bytes()) : ""}, true});
            Shown figures{day_.analysisFile, "figures of " + race.item, {R}, {}, false};
            for (int h = 0; h < race.runners; ++h) {
                const DamageDay::Runner& run = day_.runners[runner + static_cast<std::size_t>(h)];
                const std::string H = Runner(day_.RunnerKey(run));
                const auto hh = static_cast<std::size_t>(h);
                r.shown.push_back({day_.runnerFiles[race.venue],
                                   H,
                                   {R},
                                   {open ? std::string(card.race->horses[hh].Bytes()) : ""},
                                   true});
                r.shown.push_back({day_.analysisFile,
                                   H,
                                   {R},
                                   {open ? std::string(card.race->analysis[hh].Bytes()) : ""},
                                   true});
                figures.under.push_back(H);
            }
            if (open) {
                figures.pieces = {card.race->t1, card.race->t2, card.race->rLevel, card.race->rPlus,
                                  card.race->rMinus};
                for (int h = race.runners; h < card.race->runners; ++h)
                    if (!card.race->horses[static_cast<std::size_t>(h)].IsBlank())
                        r.strays.push_back("runner " + std::to_string(h + 1) + " of " + race.item);
            } else {
                figures.pieces.assign(5, "");
            }
            r.shown.push_back(std::move(figures));
            runner += static_cast<std::size_t>(race.runners);
            out.push_back(std::move(r));
        }
        return out;
    }

    // ---- the data check tab: its list of races and each race's runner rows ----
    std::vector<Reading> DataCheck() {
        notifier_.messages.clear();
        page_->DateComboChange();
        Reading r{"data check tab", {}, {}, Lines(notifier_.messages), false, {}};
        auto* list = page_->findChild<QListWidget*>(QStringLiteral("DatList"));
        auto* grid = page_->findChild<views::StringGrid*>(QStringLiteral("StringGrid6"));
        std::map<std::string, std::vector<std::string>> rows; // by race item
        for (int i = 0; i < list->count(); ++i) {
            // "東京 1R": the number as wide as two digits.
            std::string item = list->item(i)->text().toStdString();
            std::erase(item, ' ');
            list->setCurrentRow(i);
            std::vector<std::string>& cells = rows[item];
            if (!cells.empty()) r.strays.push_back("race " + item + " twice");
            const views::GridModel* model = grid->Model();
            for (int row = 1; row < model->RowCount(); ++row) {
                std::string text;
                for (int c = 0; c < raceday::kCheckColumns; ++c)
                    text += model->Cells(c, row).toStdString() + "|";
                cells.push_back(text);
            }
        }
        std::size_t runner = 0;
        for (const DamageDay::Race& race : day_.races) {
            const std::string R = Race(race.key);
            const auto at = rows.find(race.item);
            for (int h = 0; h < race.runners; ++h, ++runner) {
                const auto hh = static_cast<std::size_t>(h);
                r.shown.push_back(
                    {day_.analysisFile,
                     Runner(day_.RunnerKey(day_.runners[runner])),
                     {R},
                     {at != rows.end() && hh < at->second.size() ? at->second[hh] : ""},
                     true});
            }
            if (at == rows.end()) continue;
            for (std::size_t h = static_cast<std::size_t>(race.runners); h < at->second.size(); ++h)
                if (!Blank(at->second[h], ""))
                    r.strays.push_back("row " + std::to_string(h + 1) + " of " + race.item);
            rows.erase(at);
        }
        for (const auto& [item, cells] : rows) r.strays.push_back("race " + item);
        return {r};
    }

    // ---- the R-horse search over the day's analysis file ----
    std::vector<Reading> RSearch() {
        search::RScanState state;
        state.Run({dir_.path() / "VZK", day_.date8, day_.date8, std::make_shared<EveryRecord>()});
        const search::RScanResult& result = state.Result();
        Reading r{"R-horse search", {}, {}, result.unreadable, false, {}};
        if (!result.failure.empty()) r.lines.push_back(result.failure);
        for (const fs::path& p : result.damaged) r.named.push_back(keiba::PathToUtf8(p.filename()));
        std::map<std::string, std::string> hits; // by runner key
        const std::shared_ptr<const search::RHitStore> store = state.Store();
        for (std::size_t i = 0; i < store->Size(); ++i) {
            const search::RHit& hit = store->At(i);
            auto text = [](const auto& a) { return std::string(search::RHit::View(a)); };
            const std::string key =
                text(hit.date8) + text(hit.venue) + text(hit.raceNo) + text(hit.horseNo);
            hits[key] += text(hit.name) + "|" + std::to_string(hit.winPayout) + "|" +
                         std::to_string(hit.placePayout) + "|" + text(hit.thisRun) + "|" +
                         text(hit.previousRun) + "|";
        }
        std::size_t runner = 0;
        for (const DamageDay::Race& race : day_.races)
            for (int h = 0; h < race.runners; ++h, ++runner) {
                const std::string key = race.key.substr(0, 10) + race.key.substr(14, 2) +
                                        (h < 9 ? "0" : "") + std::to_string(h + 1);
                const auto at = hits.find(key);
                r.shown.push_back({day_.analysisFile,
                                   Runner(day_.RunnerKey(day_.runners[runner])),
                                   {Race(race.key)},
                                   {at != hits.end() ? at->second : ""},
                                   true});
                if (at != hits.end()) hits.erase(at);
            }
        for (const auto& [key, shown] : hits) r.strays.push_back("a hit on " + key);
        return {r};
    }

    // ---- the re-reads after a fetch, on the day loaded before the file changed ----
    std::vector<Reading> RereadResults() {
        readHost_->told.clear();
        readHost_->FetchHost::RereadResults();
        Reading r{"results re-read after a fetch", {}, {}, readHost_->told, false, {}};
        ShowDay(*reDay_, r, false, {K::Races, K::Runners, K::Payouts});
        return {r};
    }
    std::vector<Reading> RereadOdds() {
        readHost_->told.clear();
        for (int s = 0; s < reDay_->gDayRaceCount; ++s) {
            reDay_->gOddsRaceIndex = s;
            readHost_->FetchHost::ReadRaceOdds();
        }
        Reading r{"odds re-read after a fetch of every race", {}, {}, readHost_->told, false, {}};
        ShowDay(*reDay_, r, false, {K::Odds1, K::Odds2, K::Odds3, K::Odds4, K::Odds5, K::Odds6});
        return {r};
    }

    raceday::RaceDay* day() {
        if (!loadDay_) loadDay_ = std::make_unique<raceday::RaceDay>();
        return loadDay_.get();
    }

    bool Reads(const ReaderDef& reader, K kind, const std::string& file) const {
        if (std::find(reader.reads.begin(), reader.reads.end(), kind) == reader.reads.end())
            return false;
        return kind != K::Races || reader.pastDays || file == day_.raceFile;
    }

    // Runs one case; returns its faults, a line each, reader by reader.
    std::vector<std::string> RunCase(K kind, const DamageCase& c) {
        const DamageFile& file = day_.kinds.at(kind).files[c.file];
        std::vector<std::size_t> readers;
        for (std::size_t i = 0; i < readers_.size(); ++i)
            if (Reads(readers_[i], kind, file.name)) readers.push_back(i);
        Damaged d{file.name, c.bytes, day_.races.size(), {}, day_.raceFile};
        for (const DamageRecord& rec : day_.kinds.at(K::Races).files[0].records)
            d.raceRecords.push_back(rec.bytes);
        std::vector<std::string> faults;
        auto judge = [&](const std::vector<Reading>& before, const std::vector<Reading>& after,
                         const Damaged& damaged, const std::string& when) {
            for (std::size_t k = 0; k < after.size() && k < before.size(); ++k)
                for (const std::string& f : Judge(before[k], after[k], damaged))
                    faults.push_back("[" + after[k].name + when + "] " + f);
        };
        for (std::size_t i : readers) {
            const ReaderDef& reader = readers_[i];
            // A re-read follows a fetch that rewrote the file: the day first holds what the file
            // held before, so that what the re-read leaves in place shows.
            auto read = [&](const std::string& bytes) {
                const auto before = day_.earlier.find(file.name);
                if (reader.rereads && before != day_.earlier.end()) {
                    Write(file.name, before->second);
                    (this->*reader.read)();
                }
                Write(file.name, bytes);
                return (this->*reader.read)();
            };
            // Against the undamaged day, or the day as the damage leaves what it could not touch.
            std::vector<Reading> own;
            if (c.reference) own = read(*c.reference);
            judge(c.reference ? own : references_[i], read(c.bytes), d, "");
            // A re-read of the mended file shows the day as it was, and tells nothing.
            if (reader.rereads) {
                day_.Restore(file.name);
                judge(references_[i], (this->*reader.read)(), Damaged{"", "", 0, {}, ""},
                      ", the file mended");
            }
        }
        day_.Restore(file.name);
        return faults;
    }

    TempDir dir_;
    RecordingNotifier notifier_;
    TestClock clock_;
    RecordingShell shell_;
    keiba::ProgramContext context_{dir_.path(), notifier_, clock_, shell_};
    RecordingHost host_;
    DamageDay day_;
    std::unique_ptr<raceday::RaceDay> loadDay_, reDay_;
    std::unique_ptr<ReadHost> readHost_;
    std::unique_ptr<app::DataCheckPage> page_;
    const std::vector<ReaderDef> readers_ = {
        {"day load",
         {K::Races, K::Runners, K::Payouts, K::Odds1, K::Odds2, K::Odds3, K::Odds4, K::Odds5,
          K::Odds6, K::HorseRuns, K::HorseMaster, K::OldHorseMaster, K::Analysis, K::Comments,
          K::HandInput},
         true,
         false,
         &DayDamage::LoadDay},
        {"race card", {K::Races, K::Runners, K::Analysis}, false, false, &DayDamage::RaceCards},
        {"data check", {K::Races, K::Analysis}, false, false, &DayDamage::DataCheck},
        {"R-horse search", {K::Analysis}, false, false, &DayDamage::RSearch},
        {"results re-read",
         {K::Races, K::Runners, K::Payouts},
         false,
         true,
         &DayDamage::RereadResults},
        {"odds re-read",
         {K::Odds1, K::Odds2, K::Odds3, K::Odds4, K::Odds5, K::Odds6},
         false,
         true,
         &DayDamage::RereadOdds},
    };
    std::vector<std::vector<Reading>> references_; // by reader, of the undamaged day
};

} // namespace

namespace jvdata {
// A kind in the test's name, as the user names its data.
void PrintTo(const DayFileKindInfo& kind, std::ostream* out) {
    *out << KindName(kind.kind);
}
} // namespace jvdata
namespace testsupport {
void PrintTo(DayStands stands, std::ostream* out) {
    *out << (stands == DayStands::AfterLastRace ? "after its last race"
                                                : "after its morning races");
}
} // namespace testsupport

TEST_P(DayDamage, EveryDamageCostsWhatItHeldAndIsToldSo) {
    const K kind = std::get<0>(GetParam()).kind;
    const DayStands stands = std::get<1>(GetParam());
    ASSERT_TRUE(day_.kinds.count(kind))
        << "the damage check has no files of kind " << KindName(kind);
    const DamageKind& files = day_.kinds.at(kind);
    const std::uint64_t runSeed = EnvNumber("KESTRANE_DAMAGE_SEED", 20261206);
    const std::uint64_t rounds = EnvNumber("KESTRANE_DAMAGE_ROUNDS", 1);
    const std::uint64_t only = EnvNumber("KESTRANE_DAMAGE_CASE", 0);
    const std::uint64_t shownMax = EnvNumber("KESTRANE_DAMAGE_SHOWN", 12);

    for (int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE}) std::signal(signal, SayCaseUnderWay);
    std::set<std::pair<std::size_t, std::string>> done; // the same damaged file is one case
    std::size_t cases = 0, failed = 0;
    std::map<std::string, std::size_t> byClass; // failed cases by reader and damage
    for (std::uint64_t round = 0; round < rounds; ++round)
        for (int dm = 0; dm < static_cast<int>(Damage::kCount); ++dm)
            for (int pl = 0; pl < static_cast<int>(Place::kCount); ++pl) {
                const auto damage = static_cast<Damage>(dm);
                const std::uint64_t seed = CaseSeed(
                    runSeed,
                    {static_cast<std::uint64_t>(kind), static_cast<std::uint64_t>(stands),
                     static_cast<std::uint64_t>(dm), static_cast<std::uint64_t>(pl), round});
                if (only != 0 && seed != only) continue;
                const std::optional<DamageCase> c =
                    MakeDamage(files, damage, static_cast<Place>(pl), seed);
                if (!c || !done.emplace(c->file, c->bytes).second) continue;
                ++cases;
                const std::string what =
                    "seed " + std::to_string(seed) + ", " + KindName(kind) +
                    (stands == DayStands::AfterLastRace ? " after the last race"
                                                        : " after the morning") +
                    ": " + c->where;
                std::snprintf(gCaseUnderWay, sizeof gCaseUnderWay, "%s\n", what.c_str());
                const std::vector<std::string> faults = RunCase(kind, *c);
                if (faults.empty()) continue;
                std::set<std::string> readers;
                for (const std::string& f : faults) readers.insert(f.substr(0, f.find(']') + 1));
                for (const std::string& r : readers)
                    ++byClass[r + " " + std::string(DamageName(damage))];
                if (++failed > shownMax) continue;
                std::string text = what;
                for (std::size_t i = 0; i < faults.size() && i < 8; ++i)
                    text += "\n    " + faults[i];
                if (faults.size() > 8)
                    text += "\n    ... and " + std::to_string(faults.size() - 8) + " more";
                ADD_FAILURE() << text;
            }
    std::string summary;
    for (const auto& [what, n] : byClass) summary += "\n    " + std::to_string(n) + " " + what;
    EXPECT_EQ(failed, 0u) << failed << " of " << cases << " cases failed (" << shownMax
                          << " named above):" << summary;
    std::cout << "[ damage   ] " << KindName(kind) << ": " << cases << " cases, " << failed
              << " failed\n";
}

INSTANTIATE_TEST_SUITE_P(EveryKind, DayDamage,
                         ::testing::Combine(::testing::ValuesIn(jvdata::DayFileKinds()),
                                            ::testing::Values(DayStands::AfterLastRace,
                                                              DayStands::AfterMorningRaces)),
                         [](const auto& param) {
                             return KindName(std::get<0>(param.param).kind) +
                                    (std::get<1>(param.param) == DayStands::AfterLastRace
                                         ? "_AfterLastRace"
                                         : "_AfterMorningRaces");
                         });
