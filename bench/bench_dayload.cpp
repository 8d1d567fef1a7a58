// A full race day (36 races of 18 runners, three past runs each, every odds kind) loaded into
// the race-day model, against a plain read of the same files; and the load's odds step alone
// (every race's odds read and converted), against a plain read of the six odds files: once as a
// day loaded again (the odds files found sound at an earlier load are not checked again) and once
// as a first load (every odds record checked). The day load is timed as a first load too. Each
// pair runs alternately in one run; the ratios compare the medians.

#include "bench/benchsupport.h"
#include "jvdata/dayfiles.h"
#include "jvdata/filestamp.h"
#include "keiba/context.h"
#include "keiba/fileio.h"
#include "raceday/dayload.h"
#include "raceday/daymodel.h"
#include "tests/jvdata/recordmaker.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>

namespace fs = std::filesystem;
using testsupport::MakeRecord;
using testsupport::RaceKey16;

namespace {

const char* kVenues[] = {"05", "08", "09"};

std::string Two(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

void Write(const fs::path& p, const std::string& bytes) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

// Every entry of an odds record priced, as a full field of 18 runners has it.
void FillOdds(std::string& o, int kind) {
    struct Layout {
        std::size_t first, stride, width, popOffset, popWidth, entries;
    };
    static const Layout kLayouts[] = {
        {46, 8, 4, 4, 2, 18},   {45, 13, 6, 6, 3, 153}, {45, 17, 5, 10, 3, 153},
        {45, 13, 6, 6, 3, 306}, {47, 15, 6, 6, 3, 816}, {47, 17, 7, 7, 4, 4896},
    };
    const Layout& l = kLayouts[kind];
    for (std::size_t k = 0; k < l.entries; ++k) {
        std::size_t pos = l.first + l.stride * k;
        std::string odds = std::to_string(100 + k * 7);
        odds.insert(0, l.width - odds.size(), '0');
        std::string pop = std::to_string(k % 999 + 1);
        pop.insert(0, l.popWidth - std::min(pop.size(), l.popWidth), '0');
        jvdata::SetField(o, pos, l.width, odds);
        jvdata::SetField(o, pos + l.popOffset, l.popWidth, pop.substr(0, l.popWidth));
    }
    if (kind == 0)
        for (std::size_t h = 0; h < 18; ++h) {
            jvdata::SetField(o, 270 + 12 * h, 4, "0012");
            jvdata::SetField(o, 274 + 12 * h, 4, "0034");
        }
}

// A load that tells anything has met damage: the figures would be those of another path.
class CountingNotifier final : public keiba::Notifier {
public:
    void Beep() override {}
    void Information(const std::string& text) override {
        if (told.empty()) told = text;
        ++messages;
    }
    bool YesNo(const std::string&) override { return false; }
    int messages = 0;
    std::string told;
};

struct FullDay {
    fs::path dir;
    CountingNotifier notifier;
    keiba::SystemClock clock;
    keiba::NoShell shell;
    std::unique_ptr<keiba::ProgramContext> context;
    std::vector<fs::path> files; // every file the load reads
    std::vector<fs::path> oddsFiles;

    FullDay() {
        char tmpl[] = "/tmp/kestrane-bench-XXXXXX";
        dir = ::mkdtemp(tmpl);
        auto date = *jvdata::ParseYyyymmdd("20261206");
        std::string ra, hr;
        std::string odds[6];
        const char* ids[] = {"O1", "O2", "O3", "O4", "O5", "O6"};
        std::vector<std::string> pastDays = {"20261101", "20261108", "20261115"};
        std::vector<std::string> pastRa(3);
        for (int v = 0; v < 3; ++v) {
            std::string runners;
            for (int race = 1; race <= 12; ++race) {
                std::string key = RaceKey16("20261206", kVenues[v], race);
                std::string r = MakeRecord("RA", key);
                jvdata::SetField(r, 874, 4, "1540");
                jvdata::SetField(r, 882, 2, "18");
                ra += r;
                hr += MakeRecord("HR", key);
                for (int k = 0; k < 6; ++k) {
                    std::string o = MakeRecord(ids[k], key);
                    FillOdds(o, k);
                    odds[k] += o;
                }
                for (int p = 0; p < 3; ++p)
                    pastRa[static_cast<std::size_t>(p)] += MakeRecord(
                        "RA", RaceKey16(pastDays[static_cast<std::size_t>(p)], kVenues[v], race));
                for (int h = 1; h <= 18; ++h) {
                    std::string id = "20" + Two(v) + Two(race) + Two(h) + "00";
                    std::string se = testsupport::MakeRunner(key, h, id);
                    runners = jvdata::PutRunnerSlot(runners,
                                                    std::string_view(se).substr(0, se.size() - 2),
                                                    jvdata::RunnerSlot(race, h));
                    std::string sei;
                    for (int p = 0; p < 3; ++p)
                        sei += testsupport::MakeRunner(
                            RaceKey16(pastDays[static_cast<std::size_t>(p)], kVenues[v], race), h,
                            id);
                    auto seiPath = *jvdata::HorseFilePath(dir, jvdata::HorseFile::SEI, id);
                    auto um2Path = *jvdata::HorseFilePath(dir, jvdata::HorseFile::UM2, id);
                    Write(seiPath, sei);
                    Write(um2Path, testsupport::filing::Um(id));
                    files.push_back(seiPath);
                    files.push_back(um2Path);
                }
            }
            auto rf = *jvdata::DayRunnerFile(dir, date, kVenues[v]);
            Write(rf, runners);
            files.push_back(rf);
        }
        auto add = [&](jvdata::DayFile f, const std::string& bytes) {
            auto p = jvdata::DayFilePath(dir, date, f);
            Write(p, bytes);
            files.push_back(p);
            return p;
        };
        add(jvdata::DayFile::RA, ra);
        add(jvdata::DayFile::HR, hr);
        jvdata::DayFile kinds[] = {jvdata::DayFile::O1, jvdata::DayFile::O2, jvdata::DayFile::O3,
                                   jvdata::DayFile::O4, jvdata::DayFile::O5, jvdata::DayFile::O6};
        for (int k = 0; k < 6; ++k) oddsFiles.push_back(add(kinds[k], odds[k]));
        for (int p = 0; p < 3; ++p) {
            auto pd = jvdata::DayFilePath(
                dir, *jvdata::ParseYyyymmdd(pastDays[static_cast<std::size_t>(p)]),
                jvdata::DayFile::RA);
            Write(pd, pastRa[static_cast<std::size_t>(p)]);
            files.push_back(pd);
        }
        context = std::make_unique<keiba::ProgramContext>(dir, notifier, clock, shell);
    }
    ~FullDay() { fs::remove_all(dir); }
};

FullDay& Fixture() {
    static FullDay day;
    return day;
}

std::size_t PlainRead(const std::vector<fs::path>& files) {
    std::size_t total = 0;
    for (const auto& f : files) total += keiba::ReadFileOrMissing(f).bytes->size();
    return total;
}

volatile std::size_t sink;

// A load that has seen none of the day's odds files before.
void ForgetTheOddsFiles(raceday::RaceDay& day) {
    jvdata::CheckedDayFiles().Clear();
    day.oddsCache.Clear();
}

void Print(const char* what, const benchsupport::Medians& m) {
    std::printf("%-58s %.2f  (%.3f ms / %.3f ms)\n", what, m.Ratio(), m.first * 1e3,
                m.second * 1e3);
}

} // namespace

int main() {
    FullDay& d = Fixture();
    raceday::DayLoadProgress progress;
    raceday::DayLoadSteps steps;
    auto day = std::make_unique<raceday::RaceDay>();
    bool loaded = true;
    auto load = [&] {
        loaded = loaded && raceday::LoadDay(*day, "2026年12月06日", progress, steps, *d.context) ==
                               raceday::DayLoadResult::Loaded;
    };
    const benchsupport::Side plainDay{[&] { sink = PlainRead(d.files); }};
    const benchsupport::Side plainOdds{[&] { sink = PlainRead(d.oddsFiles); }};
    const benchsupport::Side dayLoad{load, [&] { ForgetTheOddsFiles(*day); }};
    const benchsupport::Side oddsAgain{[&] { raceday::ReadDayOdds(*day, steps); }};
    const benchsupport::Side oddsFirst{[&] { raceday::ReadDayOdds(*day, steps); },
                                       [&] { ForgetTheOddsFiles(*day); }};

    std::printf("Each pair alternated, 31 rounds; ratio of the medians (time per run):\n");
    Print("day load / plain read of the day's files:",
          benchsupport::Alternate(dayLoad, plainDay, 31, 3));
    load();
    Print("odds step, day loaded again / plain read of the odds files:",
          benchsupport::Alternate(oddsAgain, plainOdds, 31, 40));
    Print("odds step, first load / plain read of the odds files:",
          benchsupport::Alternate(oddsFirst, plainOdds, 31, 40));
    if (!loaded) {
        std::fprintf(stderr, "the day did not load\n");
        return 1;
    }
    if (d.notifier.messages > 0) {
        std::fprintf(stderr, "the day loaded with %d messages, the first: %s\n",
                     d.notifier.messages, d.notifier.told.c_str());
        return 1;
    }
    return 0;
}
