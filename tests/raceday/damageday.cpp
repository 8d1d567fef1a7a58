#include "tests/raceday/damageday.h"

#include "jvdata/dayfiles.h"
#include "keiba/fileio.h"
#include "keiba/sjis.h"
#include "tests/support/analysismaker.h"
#include "tests/support/tempdir.h"

namespace testsupport {
namespace {

namespace fs = std::filesystem;
using K = jvdata::DayFileKind;

struct Venue {
    const char* code;
    const char* name;
};
constexpr Venue kVenues[] = {{"05", "東京"}, {"06", "中山"}, {"09", "阪神"}};
constexpr int kRunnersOf[] = {3, 4, 3}; // races 1 to 3 of each racecourse
constexpr const char* kPastDays[] = {"20261115", "20261101", "20261018"};
constexpr const char* kOldestRun = "20261004"; // of every other horse: no race file of its day
constexpr const char* kNames[] = {"アカイホシ",   "ミドリノカゼ", "シロイクモ",   "キンノヤ",
                                  "ギンノツバサ", "ハヤテマル",   "サクラフブキ", "ツキヨミ",
                                  "ユキミチ",     "カゼノオト"};
constexpr const char* kRaceNames[] = {"ジュニアカップ", "若駒ステークス", "ベゴニア賞"};
constexpr const char* kJockeys[] = {"田中一", "山本二", "小林三", "中村四"};

std::string Two(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

void Set(std::string& rec, std::size_t pos, std::string_view value) {
    rec.replace(pos - 1, value.size(), value);
}

// A record of `length` bytes with its id, data kind, creation date and CR LF.
std::string Record(std::string_view id, std::size_t length) {
    std::string r(length, ' ');
    Set(r, 1, id);
    // A data kind each record id carries: results for races, runners and payouts, an update for a
    // horse master, final odds.
    Set(r, 3, id == "HR" ? "2" : id == "UM" ? "4" : id[0] == 'O' ? "3" : "7");
    Set(r, 4, "20261201");
    Set(r, length - 1, "\r\n");
    return r;
}

std::string Key16(std::string_view date8, std::size_t venue, int meetingDay, int race) {
    return std::string(date8) + kVenues[venue].code + "05" + Two(meetingDay) + Two(race);
}

// One day's files as built: the same layout for this day and for another.
struct Built {
    struct Rec {
        std::string bytes;
        std::size_t venue;
    };
    std::vector<Rec> ra, hr, xq, rcom, ruma;
    std::array<std::vector<Rec>, 6> odds;
    std::array<std::vector<std::string>, 3> slots; // the runner files, by racecourse
    std::vector<DamageDay::Race> races;
    std::vector<DamageDay::Runner> runners;
    std::vector<std::string> names; // the runners' horse names, CP932
};

// The first entries of each kind of odds for `n` runners, and how many bytes they take.
std::pair<std::string, std::size_t> OddsEntries(std::size_t k, int n, int race) {
    std::string e;
    const std::string odds4 = Two(10 + race) + Two(7);
    for (int a = 1; a <= n; ++a) {
        const int b = a % n + 1, c = b % n + 1;
        switch (k) {
        case 0: e += Two(a) + odds4 + Two(a); break;
        case 1: e += Two(std::min(a, b)) + Two(std::max(a, b)) + "00" + odds4 + "0" + Two(a); break;
        case 2:
            e += Two(std::min(a, b)) + Two(std::max(a, b)) + "0" + odds4 + "0" + odds4 + "0" +
                 Two(a);
            break;
        case 3: e += Two(a) + Two(b) + "00" + odds4 + "0" + Two(a); break;
        case 4: e += Two(a) + Two(b) + Two(c) + "00" + odds4 + "0" + Two(a); break;
        default: e += Two(a) + Two(b) + Two(c) + "000" + odds4 + "00" + Two(a); break;
        }
    }
    return {e, e.size()};
}

constexpr std::size_t kOddsLength[] = {962, 2042, 2654, 4031, 12293, 83285};

// `earlier`: the same day some time before, as a fetch finds it: other odds, and the results of
// each racecourse's first race alone.
Built BuildDay(std::string_view date8, int dayShift, char idMark, DayStands stands,
               bool earlier = false) {
    Built b;
    std::size_t slot = 0;
    for (std::size_t v = 0; v < std::size(kVenues); ++v) {
        b.slots[v].assign(216, std::string(553, ' ') + "\r\n");
        for (int race = 1; race <= 3; ++race, ++slot) {
            const int n = kRunnersOf[race - 1];
            const int meetingDay = std::array{8, 4, 2}[v] + dayShift;
            const std::string key = Key16(date8, v, meetingDay, race);
            // Before the afternoon, each racecourse has run its first two races.
            const bool run = earlier ? race <= 1 : stands == DayStands::AfterLastRace || race <= 2;
            b.races.push_back(
                {key, std::string(kVenues[v].name) + std::to_string(race) + "R", v, n});

            std::string ra = Record("RA", 1272);
            Set(ra, 12, key);
            Set(ra, 28, "7");
            Set(ra, 33, keiba::Sj(kRaceNames[race - 1]));
            Set(ra, 698, race == 2 ? "2000" : "1600");
            Set(ra, 706, "11");
            Set(ra, 874, Two(9 + 2 * race) + (v == 1 ? "10" : "40"));
            Set(ra, 882, Two(n));
            b.ra.push_back({ra, v});

            if (run) {
                std::string hr = Record("HR", 719);
                Set(hr, 12, key);
                Set(hr, 103, "01000000" + std::to_string(100 + race * 10) + "01");
                Set(hr, 142, "01000000110010200000014002");
                Set(hr, 246, "0102000000" + std::to_string(500 + race) + "001");
                b.hr.push_back({hr, v});
            }
            for (std::size_t k = 0; k < 6; ++k) {
                // Trios and trifectas come only for the races about to run.
                if (stands == DayStands::AfterMorningRaces && k >= 4 && race > 2) continue;
                std::string o = Record("O" + std::to_string(k + 1), kOddsLength[k]);
                Set(o, 12, key);
                Set(o, 28, "12060930");
                Set(o, 36, Two(n));
                Set(o, k == 0 ? 44 : 41, OddsEntries(k, n, race + (earlier ? 5 : 0)).first);
                b.odds[k].push_back({o, v});
            }
            std::string comment = key + ",\"" + keiba::Sj("先行有利の馬場。") + "\r\n" +
                                  keiba::Sj(std::string(kVenues[v].name) + "は内枠が好走。") +
                                  "\r\n\"\r\n";
            b.rcom.push_back({comment, v});
            // The hand input holds the races the user entered: not 中山3R.
            if (!(v == 1 && race == 3)) {
                std::string marks(18, ' ');
                for (int h = 0; h < n; ++h) marks[static_cast<std::size_t>(h)] = "120"[h % 3];
                b.ruma.push_back({std::string(date8) + kVenues[v].code + Two(race) +
                                      std::to_string(1 + (race + static_cast<int>(v)) % 7) + marks +
                                      "\r\n",
                                  v});
            }

            for (int h = 1; h <= n; ++h) {
                const std::size_t i = b.runners.size();
                const std::string id = std::string("2021") + idMark + Two(static_cast<int>(v)) +
                                       Two(race) + std::to_string(h);
                const std::string name = keiba::Sj(kNames[i % std::size(kNames)]);
                std::string se = Record("SE", 555);
                Set(se, 12, key);
                Set(se, 28, std::to_string((h + 1) / 2));
                Set(se, 29, Two(h));
                Set(se, 31, id);
                Set(se, 41, name);
                Set(se, 79, "1");
                Set(se, 83, "03");
                Set(se, 289, "560");
                Set(se, 307, keiba::Sj(kJockeys[i % std::size(kJockeys)]));
                Set(se, 325, "480");
                if (run) {
                    Set(se, 335, Two(h));
                    Set(se, 339, "1" + std::to_string(34 + h) + "5");
                    Set(se, 360, "00" + Two(20 + h));
                    Set(se, 364, Two(h));
                    Set(se, 391, "34" + std::to_string(h));
                    Set(se, 532, h == 1 ? "-002" : "+00" + std::to_string(h));
                }
                b.slots[v][static_cast<std::size_t>((race - 1) * 18 + h - 1)] = se;
                b.names.push_back(name);
                b.xq.push_back({AnalysisMaker(date8, kVenues[v].code, race, h)
                                    .Slot(static_cast<int>(slot))
                                    .Name(kNames[i % std::size(kNames)])
                                    .Win("000000" + std::to_string(203 + h * 10))
                                    .Place("000000" + std::to_string(110 + h))
                                    .Set(181, 4, "0201")
                                    .This(17, 2, "00") // no race level: the hand input's shows
                                    .This(1, 2, Two(n))
                                    .This(21, 2, Two(h))
                                    .This(25, 4, "00" + Two(20 + h))
                                    .This(40, 5, "0.323")
                                    .WithPrevious()
                                    .Bytes(),
                                v});
                b.runners.push_back({b.races.size() - 1, h, id, "", "", {}});
            }
        }
    }
    return b;
}

// The past runs of runner `i` (of `id` and horse name `name`), the oldest first, and the keys
// of the races of the three shown, newest first.
std::vector<std::string> PastRuns(std::size_t i, const std::string& id, const std::string& name,
                                  std::vector<std::string>& shownKeys) {
    std::vector<std::string> runs;
    auto run = [&](std::string_view date8, std::size_t venue, int meetingDay, int race) {
        std::string se = Record("SE", 555);
        Set(se, 12, Key16(date8, venue, meetingDay, race));
        Set(se, 29, Two(static_cast<int>(i % 14) + 1));
        Set(se, 31, id);
        Set(se, 41, name);
        Set(se, 335, Two(static_cast<int>(i % 5) + 1));
        Set(se, 339, "1350");
        Set(se, 360, "0052");
        Set(se, 391, "351");
        Set(se, 532, "+003");
        return se;
    };
    if (i % 2 == 0) runs.push_back(run(kOldestRun, 0, 1, 1));
    for (std::size_t k = std::size(kPastDays); k-- > 0;) {
        const std::size_t q = (i + k) % 9;
        runs.push_back(
            run(kPastDays[k], q / 3, 6 - 2 * static_cast<int>(k), static_cast<int>(q % 3) + 1));
        shownKeys.insert(shownKeys.begin(), runs.back().substr(11, 16));
    }
    return runs;
}

std::string PastRaceFile(std::size_t k) {
    std::string bytes;
    for (std::size_t q = 0; q < 9; ++q) {
        std::string ra = Record("RA", 1272);
        Set(ra, 12,
            Key16(kPastDays[k], q / 3, 6 - 2 * static_cast<int>(k), static_cast<int>(q % 3) + 1));
        Set(ra, 33, keiba::Sj(kRaceNames[q % 3]));
        Set(ra, 698, "1800");
        Set(ra, 874, "1230");
        Set(ra, 882, "16");
        bytes += ra;
    }
    return bytes;
}

std::string Master(const std::string& id, const std::string& name) {
    std::string um = Record("UM", 1609);
    Set(um, 12, id);
    Set(um, 47, name);
    Set(um, 203, "03");
    Set(um, 215, keiba::Sj("チチウマ"));
    Set(um, 261, keiba::Sj("ハハウマ"));
    Set(um, 399, keiba::Sj("ハハチチ"));
    Set(um, 1053, "000012000000003000");
    return um;
}

// The older layout: the same head, 14 pedigree entries of 44 bytes, the prizes at 1021.
std::string OldMaster(const std::string& id, const std::string& name) {
    std::string uma = Record("UM", 1577);
    Set(uma, 12, id);
    Set(uma, 47, name);
    Set(uma, 203, "03");
    Set(uma, 213, keiba::Sj("チチウマ"));
    Set(uma, 257, keiba::Sj("ハハウマ"));
    Set(uma, 389, keiba::Sj("ハハチチ"));
    Set(uma, 1021, "000012000000003000");
    return uma;
}

DamageLayout RaceRecords(bool mayEnd) {
    DamageLayout l;
    l.mayEndAtRecordEnd = mayEnd;
    l.date = {12, 8};
    l.venue = {20, 2};
    l.meeting = {22, 2};
    l.day = {24, 2};
    l.raceNo = {26, 2};
    return l;
}

} // namespace

DamageDay DamageDay::Write(const fs::path& folder, DayStands stands) {
    DamageDay d;
    d.date8 = "20261206";
    const auto date = *jvdata::ParseYyyymmdd(d.date8);
    d.stem = jvdata::DayStem(date);
    const Built day = BuildDay(d.date8, 0, '1', stands);
    const Built other = BuildDay("20261205", -1, '9', stands);
    d.races = day.races;
    d.runners = day.runners;
    const std::vector<std::string> venues = {"05", "06", "09"};

    // A file of records, each with the same record of the other day where there is one.
    auto file = [&](const fs::path& path, const std::vector<Built::Rec>& recs,
                    const std::vector<Built::Rec>& others) {
        DamageFile f;
        f.name = keiba::PathToUtf8(path.filename());
        for (std::size_t i = 0; i < recs.size(); ++i)
            f.records.push_back({recs[i].bytes,
                                 recs[i].venue,
                                 true,
                                 i < others.size() ? others[i].bytes : std::string(),
                                 {},
                                 {}});
        for (const auto& r : others) f.otherDay += r.bytes;
        d.paths[f.name] = path;
        return f;
    };
    auto kind = [&](K k, DamageLayout layout, bool filePerUnit = false) -> DamageKind& {
        DamageKind& dk = d.kinds[k];
        dk.layout = std::move(layout);
        dk.dayVenues = venues;
        dk.filePerUnit = filePerUnit;
        return dk;
    };
    auto dayFile = [&](jvdata::DayFile f) { return jvdata::DayFilePath(folder, date, f); };

    {
        DamageLayout l = RaceRecords(false);
        l.numbers = {{28, 1}, {698, 4}, {706, 2}, {874, 4}, {882, 2}};
        l.texts = {{33, 60}};
        DamageKind& k = kind(K::Races, l);
        k.files.push_back(file(dayFile(jvdata::DayFile::RA), day.ra, other.ra));
        d.raceFile = k.files.back().name;
        // The race files of the days of the runners' past runs, each standing in for another.
        for (std::size_t p = 0; p < std::size(kPastDays); ++p) {
            const auto pastDate = *jvdata::ParseYyyymmdd(kPastDays[p]);
            const fs::path path = jvdata::DayFilePath(folder, pastDate, jvdata::DayFile::RA);
            const std::string bytes = PastRaceFile(p), instead = PastRaceFile((p + 1) % 3);
            DamageFile f;
            f.name = keiba::PathToUtf8(path.filename());
            for (std::size_t q = 0; q < 9; ++q)
                f.records.push_back({bytes.substr(q * 1272, 1272),
                                     q / 3,
                                     true,
                                     instead.substr(q * 1272, 1272),
                                     {},
                                     {}});
            f.otherDay = instead;
            d.paths[f.name] = path;
            d.pastRaceFiles[kPastDays[p]] = f.name;
            k.files.push_back(std::move(f));
        }
    }
    {
        DamageLayout l = RaceRecords(false);
        l.numbers = {{28, 1},  {29, 2},  {83, 2},  {289, 3}, {325, 3}, {335, 2},
                     {339, 4}, {360, 4}, {364, 2}, {391, 3}, {533, 3}};
        l.texts = {{41, 36}, {307, 8}};
        DamageKind& k = kind(K::Runners, l);
        for (std::size_t v = 0; v < 3; ++v) {
            const fs::path path = *jvdata::DayRunnerFile(folder, date, venues[v]);
            DamageFile f;
            f.name = keiba::PathToUtf8(path.filename());
            for (std::size_t s = 0; s < 216; ++s) {
                const bool holds = day.slots[v][s].front() != ' ';
                f.records.push_back({day.slots[v][s],
                                     v,
                                     holds,
                                     other.slots[v][s].front() != ' ' ? other.slots[v][s] : "",
                                     {},
                                     {}});
                f.otherDay += other.slots[v][s];
            }
            d.paths[f.name] = path;
            d.runnerFiles.push_back(f.name);
            k.files.push_back(std::move(f));
        }
    }
    {
        DamageLayout l = RaceRecords(true);
        l.numbers = {{103, 39}, {142, 65}, {246, 48}};
        DamageKind& k = kind(K::Payouts, l);
        k.files.push_back(file(dayFile(jvdata::DayFile::HR), day.hr, other.hr));
        d.payoutFile = k.files.back().name;
    }
    const K oddsKinds[] = {K::Odds1, K::Odds2, K::Odds3, K::Odds4, K::Odds5, K::Odds6};
    const jvdata::DayFile oddsFiles[] = {jvdata::DayFile::O1, jvdata::DayFile::O2,
                                         jvdata::DayFile::O3, jvdata::DayFile::O4,
                                         jvdata::DayFile::O5, jvdata::DayFile::O6};
    for (std::size_t o = 0; o < 6; ++o) {
        DamageLayout l = RaceRecords(true);
        l.numbers = {{o == 0 ? 44u : 41u, OddsEntries(o, 3, 1).second}};
        DamageKind& k = kind(oddsKinds[o], l);
        k.files.push_back(file(dayFile(oddsFiles[o]), day.odds[o], other.odds[o]));
        d.oddsFiles[o] = k.files.back().name;
    }
    {
        DamageLayout runs;
        runs.mayEndAtRecordEnd = true;
        runs.pedigreeId = {31, 10};
        runs.numbers = {{335, 2}, {339, 4}, {360, 4}, {391, 3}, {533, 3}};
        runs.texts = {{41, 36}};
        DamageLayout master;
        master.pedigreeId = {12, 10};
        master.numbers = {{203, 2}, {1053, 54}};
        master.texts = {{47, 36}, {215, 36}};
        DamageLayout older = master;
        older.numbers = {{203, 2}, {1021, 54}};
        older.texts = {{47, 36}, {213, 36}};
        DamageKind& runsKind = kind(K::HorseRuns, runs, true);
        DamageKind& masters = kind(K::HorseMaster, master, true);
        DamageKind& olds = kind(K::OldHorseMaster, older, true);
        for (std::size_t i = 0; i < d.runners.size(); ++i) {
            Runner& r = d.runners[i];
            const std::size_t v = d.races[r.race].venue;
            const std::string& name = day.names[i];
            const fs::path sei = *jvdata::HorseFilePath(folder, jvdata::HorseFile::SEI, r.id);
            DamageFile f;
            f.name = r.runsFile = keiba::PathToUtf8(sei.filename());
            for (const std::string& run : PastRuns(i, r.id, name, r.pastRaces))
                f.records.push_back({run, v, true, {}, {}, {}});
            d.paths[f.name] = sei;
            runsKind.files.push_back(std::move(f));
            // One horse of each racecourse has only the older master yet.
            const bool old = i % 10 == 4;
            const fs::path um = *jvdata::HorseFilePath(
                folder, old ? jvdata::HorseFile::UMA : jvdata::HorseFile::UM2, r.id);
            DamageFile m;
            m.name = r.masterFile = keiba::PathToUtf8(um.filename());
            m.records.push_back(
                {old ? OldMaster(r.id, name) : Master(r.id, name), v, true, {}, {}, {}});
            d.paths[m.name] = um;
            (old ? olds : masters).files.push_back(std::move(m));
            if (old) d.made.push_back(*jvdata::HorseFilePath(folder, jvdata::HorseFile::UM2, r.id));
        }
        // A whole file of another horse stands for a whole file of another day.
        for (DamageKind* k : {&runsKind, &masters, &olds})
            for (std::size_t i = 0; i < k->files.size(); ++i)
                k->files[i].otherDay = k->files[(i + 1) % k->files.size()].Bytes();
    }
    {
        DamageLayout l;
        l.lineEnds = false;
        l.date = {6, 8};
        l.venue = {14, 2};
        l.raceNo = {20, 2};
        l.numbers = {{1, 4}, {138, 18}, {181, 4}, {227, 2}, {233, 4}, {247, 2}, {251, 4}};
        l.texts = {{32, 18}};
        DamageKind& k = kind(K::Analysis, l);
        const fs::path path = folder / "VZK" / ("XQ" + d.date8 + ".vzkd");
        k.files.push_back(file(path, day.xq, other.xq));
        d.analysisFile = k.files.back().name;
    }
    {
        DamageLayout l = RaceRecords(true);
        l.date = {1, 8};
        l.venue = {9, 2};
        l.meeting = {11, 2};
        l.day = {13, 2};
        l.raceNo = {15, 2};
        l.numbers = {{1, 16}};
        DamageKind& k = kind(K::Comments, l);
        k.files.push_back(file(folder / "VZK" / ("RCOM" + d.date8 + ".CSV"), day.rcom, other.rcom));
        // A comment's text can hold anything: only its key, its quotes and its line ends show
        // damage.
        for (DamageRecord& r : k.files.back().records) {
            const std::size_t n = r.bytes.size();
            r.visible = {{1, 18}, {n - 4, 5}};
            r.texts = {{19, n - 23}};
        }
        d.commentFile = k.files.back().name;
    }
    {
        DamageLayout l;
        l.mayEndAtRecordEnd = true;
        l.date = {1, 8};
        l.venue = {9, 2};
        l.raceNo = {11, 2};
        l.numbers = {{1, 13}};
        DamageKind& k = kind(K::HandInput, l);
        k.files.push_back(
            file(dayFile(jvdata::DayFile::RA).replace_extension(".ruma"), day.ruma, other.ruma));
        d.handInputFile = k.files.back().name;
    }
    // What the files the fetches rewrite held before the last fetch.
    const Built before = BuildDay(d.date8, 0, '1', stands, true);
    auto join = [](const std::vector<Built::Rec>& recs) {
        std::string out;
        for (const auto& r : recs) out += r.bytes;
        return out;
    };
    d.earlier[d.payoutFile] = join(before.hr);
    for (std::size_t o = 0; o < 6; ++o) d.earlier[d.oddsFiles[o]] = join(before.odds[o]);
    for (std::size_t v = 0; v < 3; ++v) {
        std::string slots;
        for (const std::string& s : before.slots[v]) slots += s;
        d.earlier[d.runnerFiles[v]] = slots;
    }
    for (const auto& [k, files] : d.kinds)
        for (const DamageFile& f : files.files) {
            fs::create_directories(d.paths.at(f.name).parent_path());
            WriteBytes(d.paths.at(f.name), f.Bytes());
        }
    return d;
}

std::string DamageDay::BytesOf(const std::string& fileName) const {
    for (const auto& [k, files] : kinds)
        for (const DamageFile& f : files.files)
            if (f.name == fileName) return f.Bytes();
    return {};
}

void DamageDay::Restore(const std::string& fileName) const {
    WriteBytes(paths.at(fileName), BytesOf(fileName));
}

std::string DamageDay::RunnerKey(const Runner& r) const {
    return races[r.race].key + Two(r.horse);
}

} // namespace testsupport
