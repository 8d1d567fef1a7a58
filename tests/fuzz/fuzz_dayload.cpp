// Fuzz target over the day load and the results re-read: a small program folder in a scratch
// directory whose day, runner, payout, odds, horse, members' and settings files are the input.
//
// Input pieces (see fuzzsupport.h), each the bytes of one file (a missing piece is a missing
// file; the race file is always there): see kFiles. The day is 2026-11-28, its racecourses
// "05" and "06", the horse 2019100001, the earlier day 2026-11-21.

#include "jvdata/dayfiles.h"
#include "jvdata/recordcheck.h"
#include "keiba/context.h"
#include "keiba/platform.h"
#include "raceday/analysis.h"
#include "raceday/dayload.h"
#include "tests/fuzz/fuzzsupport.h"
#include "tests/fuzz/oddschecks.h"
#include "tests/jvdata/plainodds.h"

#include <memory>

namespace {

namespace fs = std::filesystem;
using namespace raceday;

constexpr std::string_view kDay = "2026年11月28日";
constexpr std::string_view kPastDay = "2026年11月21日";
constexpr std::string_view kHorse = "2019100001";

// The file of each input piece, relative to the program folder (UTF-8).
const std::vector<std::string>& Files() {
    static const std::vector<std::string> files = {
        "Data/" + std::string(kDay) + ".jvRA",
        "Data/" + std::string(kDay) + "東京.jvSEr",
        "Data/" + std::string(kDay) + ".jvHR",
        "Data/" + std::string(kDay) + ".jvO1",
        "Data/" + std::string(kDay) + ".jvO2",
        "Data/" + std::string(kDay) + ".jvO3",
        "Data/" + std::string(kDay) + ".jvO4",
        "Data/" + std::string(kDay) + ".jvO5",
        "Data/" + std::string(kDay) + ".jvO6",
        "SEI/2019/" + std::string(kHorse) + ".jvSEI",
        "UM2/2019/" + std::string(kHorse) + ".jvUM2",
        "UMA/2019/" + std::string(kHorse) + ".jvUMA",
        "VZK/XQ20261128.vzkd",
        "VZK/RCOM20261128.CSV",
        "Data/" + std::string(kDay) + ".ruma",
        "kestrane.ini",
        "Data/" + std::string(kPastDay) + ".jvRA",
        "Data/" + std::string(kDay) + "中山.jvSEr",
    };
    return files;
}

class Silent : public keiba::Notifier {
public:
    void Beep() override {}
    void Information(const std::string&) override {}
    bool YesNo(const std::string&) override { return false; }
};

class FixedClock : public keiba::Clock {
public:
    keiba::LocalTime Now() const override { return keiba::MakeLocalTime(2026, 11, 28, 10, 0, 0); }
};

// The data work of the load is the host's default; the screens' part does nothing here.
class Host : public DayLoadProgress, public DayLoadSteps {};

struct World {
    Silent notifier;
    FixedClock clock;
    keiba::NoShell shell;
    Host host;
    std::unique_ptr<RaceDay> day = std::make_unique<RaceDay>();
    fs::path app = fuzz::Workspace().Root() / "app";
    keiba::ProgramContext context{app, notifier, clock, shell};
};

World& TheWorld() {
    static World world;
    return world;
}

bool Blank(std::string_view bytes) {
    return bytes.find_first_not_of(' ') == std::string_view::npos;
}

std::string_view FileOf(const std::map<std::string, std::string>& files, const std::string& rel) {
    auto it = files.find(rel);
    return it == files.end() ? std::string_view() : std::string_view(it->second);
}

// Nothing a load reads is changed; the only file it may make is the horse master converted
// from the older layout, when that is missing.
void CheckFilesKept(const std::map<std::string, std::string>& before,
                    const std::map<std::string, std::string>& after) {
    for (const auto& [rel, bytes] : before) FUZZ_CHECK(FileOf(after, rel) == bytes);
    for (const auto& [rel, bytes] : after) {
        if (before.count(rel)) continue;
        FUZZ_CHECK(rel.starts_with("UM2/") && rel.ends_with(".jvUM2"));
        std::string uma = "UMA/" + rel.substr(4, rel.size() - 4 - 6) + ".jvUMA";
        FUZZ_CHECK(before.count(uma) == 1);
        FUZZ_CHECK(!bytes.empty() && bytes.size() % jvdata::kUmLength == 0);
    }
}

std::string HorseFile(std::string_view folder, std::string_view id, std::string_view ext) {
    return std::string(folder) + "/" + std::string(id.substr(0, 4)) + "/" + std::string(id) +
           std::string(ext);
}

// The lines of a file of records of `length` as the readers go through them.
std::vector<std::string_view> Lines(std::string_view file, std::size_t length) {
    std::vector<std::string_view> lines;
    jvdata::SplitRecordLines(file, length, lines);
    return lines;
}

void CheckRunners(const RaceDay& day, const std::map<std::string, std::string>& files,
                  std::size_t races) {
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        const jvdata::TJvRA& race = day.gDayRaces[r];
        int f = FieldSize(day, static_cast<int>(r));
        std::string_view venue = race.VenueCode();
        std::string rel = venue == "05" ? Files()[1] : venue == "06" ? Files()[17] : std::string();
        const std::vector<std::string_view> lines = Lines(FileOf(files, rel), jvdata::kSeLength);
        bool haveFile = r < races && !rel.empty() && files.count(rel);
        std::int64_t raceDate = race.Number(12, 8);
        for (std::size_t h = 0; h < kMaxRunners; ++h) {
            const jvdata::TJvSE& se = day.gDayHorses[r][h];
            int slot = jvdata::RunnerSlot(race.RaceNumber(), static_cast<int>(h) + 1);
            if (!haveFile || static_cast<int>(h) >= f || slot < 0) {
                FUZZ_CHECK(se.IsBlank());
                FUZZ_CHECK(day.gPastRunHorses[r][h][0].IsBlank());
                continue;
            }
            // The first sound record of the file that names the runner's slot, wherever it
            // stands, when it is of the runner's race; another race's or none leaves it blank.
            std::string_view expected;
            for (std::string_view line : lines) {
                if (!jvdata::IsSoundRecord(line, "SE") ||
                    jvdata::RunnerSlot(static_cast<int>(jvdata::FieldNumber(line, 26, 2)),
                                       static_cast<int>(jvdata::FieldNumber(line, 29, 2))) != slot)
                    continue;
                if (jvdata::Field(line, 12, 16) == race.KeyText()) expected = line;
                break;
            }
            FUZZ_CHECK(se.Bytes().substr(0, expected.size()) == expected);
            FUZZ_CHECK(Blank(se.Bytes().substr(expected.size())));

            // Past runs: sound runs of the horse's own file, newest first, each before the race
            // day, each with the key of its race in the past race record.
            std::string_view id = se.PedigreeId();
            std::string_view runs =
                jvdata::IsPedigreeId(id) ? FileOf(files, HorseFile("SEI", id, ".jvSEI")) : "";
            std::int64_t newer = raceDate;
            for (std::size_t k = 0; k < kPastRunsRead; ++k) {
                const jvdata::TJvSE& past = day.gPastRunHorses[r][h][k];
                const jvdata::TJvRA& pastRace = day.gPastRunRaces[r][h][k];
                if (past.IsBlank()) {
                    FUZZ_CHECK(pastRace.IsBlank());
                    continue;
                }
                std::int64_t date = past.Number(12, 8);
                FUZZ_CHECK(date >= 1 && date <= newer && date < raceDate);
                newer = date;
                FUZZ_CHECK(jvdata::IsSoundRecord(past.Bytes(), "SE") && past.PedigreeId() == id);
                FUZZ_CHECK(runs.find(past.Bytes()) != std::string_view::npos);
                FUZZ_CHECK(pastRace.Field(20, 2) == past.Field(20, 2));
                FUZZ_CHECK(pastRace.Field(26, 2) == past.Field(26, 2));
            }
        }
    }
}

// Each race's payouts are the first sound record of its date, venue and race number in the file.
void CheckPayouts(const RaceDay& day, std::string_view hr) {
    const std::vector<std::string_view> lines = Lines(hr, jvdata::kHrLength);
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        std::string_view got = day.gDayPayouts[r].Bytes();
        if (Blank(got)) continue;
        const jvdata::RaceKey key = day.gDayRaces[r].Key();
        FUZZ_CHECK(!Blank(key.Key12()));
        std::string_view first;
        for (std::string_view line : lines) {
            if (jvdata::IsSoundRecord(line, jvdata::TJvHR::kId) &&
                jvdata::RaceKey::Of(line).Key12() == key.Key12()) {
                first = line;
                break;
            }
        }
        // The results re-read also writes finishing positions, never into the payouts.
        FUZZ_CHECK(got == first);
    }
}

// The first sound record of the file that names `race` (its whole race key), as the odds are
// looked up, read past damage as a plain reading finds it; nothing for a race without a number
// or a file without such a record.
std::optional<std::string_view> FirstOfRace(std::string_view file, int kind,
                                            const jvdata::TJvRA& race) {
    if (race.RaceNumber() <= 0) return std::nullopt;
    const std::string_view r = testsupport::plainodds::FirstOfRace(file, kind, race.KeyText());
    if (r.empty()) return std::nullopt;
    return r;
}

// Each odds slot holds the first record of its race in its file, or blanks.
void CheckOddsSlots(const RaceDay& day, const std::map<std::string, std::string>& files) {
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        const std::array<std::string_view, 6> slots = {
            day.gDayOddsO1[r].Bytes(), day.gDayOddsO2[r].Bytes(), day.gDayOddsO3[r].Bytes(),
            day.gDayOddsO4[r].Bytes(), day.gDayOddsO5[r].Bytes(), day.gDayOddsO6[r].Bytes()};
        for (std::size_t k = 0; k < 6; ++k) {
            const std::string_view slot = slots[k];
            const auto first = FirstOfRace(FileOf(files, Files()[3 + k]), static_cast<int>(k + 1),
                                           day.gDayRaces[r]);
            FUZZ_CHECK(first ? slot == *first : Blank(slot));
        }
    }
}

// The races a load reads: the sound RA records of the day in file order, the first of each
// race, at most kMaxRaces.
std::vector<std::string_view> ReadableRaces(std::string_view ra) {
    std::vector<std::string_view> races, keys;
    for (std::string_view line : Lines(ra, jvdata::kRaLength)) {
        if (!jvdata::IsSoundRecord(line, "RA") || jvdata::Field(line, 12, 8) != "20261128")
            continue;
        const std::string_view key = jvdata::Field(line, 12, 16);
        if (std::find(keys.begin(), keys.end(), key) != keys.end()) continue;
        keys.push_back(key);
        if (races.size() < static_cast<std::size_t>(kMaxRaces)) races.push_back(line);
    }
    return races;
}

void CheckDay(RaceDay& day, const std::map<std::string, std::string>& files) {
    const std::vector<std::string_view> readable = ReadableRaces(FileOf(files, Files()[0]));
    const std::size_t races = readable.size();
    FUZZ_CHECK(day.gDayRaceCount == static_cast<int>(races));
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        if (r < races)
            FUZZ_CHECK(day.gDayRaces[r].Bytes() == readable[r]);
        else
            FUZZ_CHECK(day.gDayRaces[r].IsBlank());
    }
    CheckRunners(day, files, races);
    CheckPayouts(day, FileOf(files, Files()[2]));

    bool haveWinFile = files.count(Files()[3]) == 1;
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        const jvdata::TRaceCalc& calc = CombinationOdds(day, static_cast<int>(r));
        int f = FieldSize(day, static_cast<int>(r));
        for (std::size_t h = 0; h < kMaxRunners; ++h) {
            bool read = haveWinFile && static_cast<int>(h) < f;
            FUZZ_CHECK(read ? fuzz::OddsLike(calc.WinOdds[h], 4) : calc.WinOdds[h] == 0.0);
            const std::string& mark = day.gRaceTexts[r].RUmaMark[h];
            FUZZ_CHECK(mark.empty() || mark == "R+" || mark == "R-" || mark == "  ");
        }
        fuzz::CheckRunnerOdds(calc);
    }
    CheckOddsSlots(day, files);

    // Nothing of an earlier load stays behind: whatever a slot holds comes from this day's files.
    std::string_view vzkd = FileOf(files, Files()[12]), csv = FileOf(files, Files()[13]);
    for (std::size_t r = 0; r < kMaxRaces; ++r) {
        const jvdata::RaceKey key = day.gDayRaces[r].Key();
        if (!day.gRaceTexts[r].RaceComment.empty())
            FUZZ_CHECK(csv.find(key.Text()) != std::string_view::npos);
        for (std::size_t h = 0; h < kMaxRunners; ++h) {
            std::string_view analysis = day.gDayHorseAnalysis[r][h].Bytes();
            if (!Blank(analysis)) {
                FUZZ_CHECK(vzkd.find(analysis) != std::string_view::npos);
                FUZZ_CHECK(jvdata::IsSoundAnalysisRecord(analysis));
                FUZZ_CHECK(analysis.substr(5, 8) == "20261128" &&
                           analysis.substr(13, 2) == day.gDayRaces[r].VenueCode() &&
                           analysis.substr(19, 2) == day.gDayRaces[r].RaceNo());
            }
            const jvdata::TJvUM& master = day.gDayHorseMasters[r][h];
            if (master.IsBlank()) continue;
            std::string_view id = day.gDayHorses[r][h].PedigreeId();
            std::string_view um2 = FileOf(files, HorseFile("UM2", id, ".jvUM2"));
            FUZZ_CHECK(jvdata::IsSoundRecord(master.Bytes(), "UM") && master.PedigreeId() == id);
            FUZZ_CHECK(um2.find(master.Bytes()) != std::string_view::npos);
        }
    }

    // The day's racecourses: ascending, each once, each one of a loaded race.
    for (std::size_t n = 0; n < 3; ++n) {
        const std::string& code = day.venueCodes[n];
        if (code.empty()) continue;
        FUZZ_CHECK(n == 0 || day.venueCodes[n - 1] < code);
        bool raced = false;
        for (std::size_t r = 0; r < races; ++r)
            raced = raced || day.gDayRaces[r].VenueCode() == code;
        FUZZ_CHECK(raced);
    }
    FUZZ_CHECK(day.gAutoRdataMinutes >= 5 && day.gAutoRdataMinutes <= 59);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    World& w = TheWorld();
    std::vector<std::string_view> pieces =
        fuzz::Pieces({reinterpret_cast<const char*>(data), size});
    fs::path app = fuzz::Workspace().Fresh("app");
    for (std::size_t i = 0; i < Files().size() && i < pieces.size(); ++i)
        fuzz::PutFile(app / keiba::Utf8Path(Files()[i]), pieces[i]);
    const std::map<std::string, std::string> before = fuzz::FilesBelow(app);

    RaceDay& day = *w.day;
    // A file rewritten between two inputs may keep its size and time stamp; the cache of the
    // odds files is the day's, not the load's.
    day.oddsCache.Clear();
    std::string stem(kDay);
    const DayLoadResult result = LoadDay(day, stem, w.host, w.host, w.context);
    // A race file without one readable race is no day: everything stays blank.
    FUZZ_CHECK((result == DayLoadResult::Loaded) ==
               !ReadableRaces(FileOf(before, Files()[0])).empty());
    std::map<std::string, std::string> after = fuzz::FilesBelow(app);
    CheckFilesKept(before, after);
    CheckDay(day, after);

    std::vector<std::string> list = MakeDataList(app);
    FUZZ_CHECK(std::is_sorted(list.rbegin(), list.rend()));
    FUZZ_CHECK(std::find(list.begin(), list.end(), stem) != list.end());
    for (const std::string& s : list) FUZZ_CHECK(StemDate(s).has_value());

    day.gCurRace = static_cast<int>(size % kMaxRaces);
    DayReport reread;
    RereadResults(day, stem, w.host, app, reread);
    CheckFilesKept(after, fuzz::FilesBelow(app));
    CheckPayouts(day, FileOf(after, Files()[2]));
    return 0;
}
