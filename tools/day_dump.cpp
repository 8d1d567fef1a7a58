// kestrane_day_dump <program folder> <yyyymmdd>
// Loads one day the way the main window does, without a window, and prints the race-day
// model as UTF-8 text: races, runners with their decoded texts, past runs, odds and ranks,
// payout tables and fetch times. Tests compare its output with a golden file. Each message the
// load gives the user (a damaged file, a day that cannot be loaded) goes to the standard error,
// so that a damaged day can be checked from the command line.

#include "jvdata/dayfiles.h"
#include "keiba/codetables.h"
#include "keiba/context.h"
#include "keiba/formatters.h"
#include "keiba/platform.h"
#include "keiba/sjis.h"
#include "raceday/dayload.h"
#include "raceday/daymodel.h"
#include "tools/cli.h"
#include "tools/errornotifier.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>

namespace {

std::string U8(std::string_view sjis) {
    return keiba::Cp932ToUtf8(sjis);
}

class DumpHost : public raceday::DayLoadProgress {
public:
    std::vector<std::string> raceList;
    std::array<std::string, 3> venues, firstSlots;
    void AddRace(const std::string& item) override { raceList.push_back(item); }
    void ShowVenues(const std::array<std::string, 3>& codes,
                    const std::array<std::string, 3>& slots) override {
        venues = codes;
        firstSlots = slots;
    }
};

// A fixed clock, so that the dump does not depend on the day it runs.
class FixedClock : public keiba::Clock {
public:
    keiba::LocalTime Now() const override { return keiba::MakeLocalTime(2000, 1, 1); }
};

std::string Odds(double v) {
    return keiba::FormatFixed(v, 6, 1);
}

// The three most popular combinations of a kind and the count of priced ones.
template <std::size_t N>
void DumpCombinations(std::ostream& out, const char* name, const std::array<double, N>& odds,
                      const std::array<int, N>& pops) {
    int priced = 0;
    std::string top;
    for (std::size_t k = 1; k < N; ++k) {
        if (odds[k] > 0) ++priced;
        if (pops[k] >= 1 && pops[k] <= 3)
            top += " #" + std::to_string(pops[k]) + "=k" + std::to_string(k) + ":" +
                   std::string(keiba::TrimBlanks(Odds(odds[k])));
    }
    out << "    " << name << " priced " << priced << top << "\n";
}

void DumpRace(std::ostream& out, raceday::RaceDay& day, std::size_t r) {
    const jvdata::TJvRA& race = day.gDayRaces[r];
    // Read as the bet builder reads them: the combination odds converted on first use.
    const jvdata::TRaceCalc& calc = raceday::CombinationOdds(day, static_cast<int>(r));
    const raceday::TOutData2& t = day.gRaceTexts[r];
    out << "race " << r << " key " << race.Key().Text() << " "
        << U8(keiba::JyoCodeToName(race.VenueCode(), 2)) << race.RaceNumber() << "R "
        << U8(keiba::TrimBlanks(race.RaceName())) << " post " << race.PostTime() << " oz "
        << calc.OzTime1 << "/" << calc.OzTime2 << " runners "
        << raceday::FieldSize(day, static_cast<int>(r)) << "\n";
    out << "  level " << U8(t.RaceRLevelText) << " R+ " << t.RplsTou << " R- " << t.RmnsTou
        << " comment " << U8(keiba::CutBytes(t.RaceComment, 40)) << "\n";
    for (std::size_t h = 0;
         h < static_cast<std::size_t>(raceday::FieldSize(day, static_cast<int>(r))); ++h) {
        const jvdata::TJvSE& se = day.gDayHorses[r][h];
        out << "  " << keiba::FormatInt(static_cast<std::int64_t>(h + 1), 2) << " "
            << U8(keiba::DeleteZenkakuSpaces(se.HorseName())) << " id " << se.PedigreeId() << " um "
            << (day.gDayHorseMasters[r][h].IsBlank() ? "-" : "ok") << " win "
            << Odds(calc.WinOdds[h]) << " pl " << Odds(calc.PlaceOddsMin[h]) << "-"
            << Odds(calc.PlaceOddsMax[h]) << " pop " << calc.WinPop[h] << "/" << calc.PlaceMinPop[h]
            << "/" << calc.PlaceMaxPop[h] << " sup "
            << keiba::FormatFixed(calc.SupportRate[h], 5, 1) << " fin " << se.FinalPositionText()
            << "\n";
        out << "     marks " << U8(t.YosoMark[h]) << "|" << U8(t.RUmaMark[h]) << "|"
            << U8(t.RakuGenText[h]) << "|" << U8(t.ZogenText[h]) << "|" << U8(t.JoshoMark[h]) << "|"
            << U8(t.SenzaiMark[h]) << "|" << U8(t.LvZokuseiText[h]) << "|" << U8(t.CourseMark[h])
            << U8(t.KyoriMark[h]) << U8(t.HiLvKosoMark[h]) << "|" << t.HiLvRate[h] << "|"
            << t.LoLvRate[h] << "|" << U8(t.KeikenMark[h]) << "|" << t.RJunText[h] << "|"
            << t.KettoRank[h] << t.KishuRank[h] << "|" << U8(t.HatsuKoMark[h]) << "|"
            << t.Past5Total[h] << "\n";
        for (std::size_t k = 0; k < raceday::kPastRunsRead; ++k) {
            const jvdata::TJvRA& past = day.gPastRunRaces[r][h][k];
            if (past.IsBlank()) continue;
            out << "     past" << k << " " << past.Key().Text() << " "
                << U8(keiba::TrimBlanks(past.RaceName())) << " fin "
                << day.gPastRunHorses[r][h][k].FinalPositionText() << " texts " << t.PastDate[h][k]
                << U8(t.PastVenue[h][k]) << t.PastRaceNo[h][k] << U8(t.PastRLevel[h][k])
                << t.PastRUma[h][k] << "\n";
        }
    }
    DumpCombinations(out, "quinella", calc.UmarenOdds, calc.UmarenPop);
    DumpCombinations(out, "wide", calc.WideOdds, calc.WidePop);
    DumpCombinations(out, "exacta", calc.UmatanOdds, calc.UmatanPop);
    DumpCombinations(out, "trio", calc.SanrenpukuOdds, calc.SanrenpukuPop);
    DumpCombinations(out, "trifecta", calc.SanrentanOdds, calc.SanrentanPop);
    const jvdata::PayoutTables& p = day.gPayoutTables;
    out << "  pay win";
    for (int j = 1; j <= 3; ++j)
        if (p.gPayKeyWin[r][static_cast<std::size_t>(j)] > 0)
            out << " " << p.gPayKeyWin[r][static_cast<std::size_t>(j)] << ":"
                << p.gPayYenWin[r][static_cast<std::size_t>(j)];
    out << " place";
    for (int j = 1; j <= 5; ++j)
        if (p.gPayKeyPlace[r][static_cast<std::size_t>(j)] > 0)
            out << " " << p.gPayKeyPlace[r][static_cast<std::size_t>(j)] << ":"
                << p.gPayYenPlace[r][static_cast<std::size_t>(j)];
    out << " quinella [" << p.gPayKeyUmaren[r][1] << "]:" << p.gPayYenUmaren[r][1] << " trio ["
        << p.gPayKeySanrenpuku[r][1] << "]:" << p.gPayYenSanrenpuku[r][1] << " trifecta ["
        << p.gPayKeySanrentan[r][1] << "]:" << p.gPayYenSanrentan[r][1] << "/"
        << p.gPayPopSanrentan[r][1] << "\n";
}

} // namespace

int main(int argc, char** argv) {
    if (const auto status =
            devtools::CheckPlainArguments(argc, argv, 2, "<program folder> <yyyymmdd>"))
        return *status;
    std::filesystem::path folder = argv[1];
    auto date = jvdata::ParseYyyymmdd(argv[2]);
    if (!date) {
        devtools::Say(std::string("not a date: ") + argv[2]);
        return 2;
    }
    // A folder that is not there would load as a day without a race file.
    if (!devtools::Usable({{folder, devtools::PathUse::ReadFolder}})) return 2;
    devtools::ErrorOutputNotifier notifier;
    FixedClock clock;
    keiba::NoShell shell;
    const keiba::ProgramContext context(folder, notifier, clock, shell);
    DumpHost host;
    raceday::DayLoadSteps steps;
    auto loaded = std::make_unique<raceday::RaceDay>();
    raceday::RaceDay& day = *loaded;
    raceday::DayLoadResult result =
        raceday::LoadDay(day, jvdata::DayStem(*date), host, steps, context);
    if (result != raceday::DayLoadResult::Loaded) {
        devtools::Say("the day did not load");
        return 1;
    }
    std::ostringstream out;
    out << "day " << day.dayStem << " races " << day.gDayRaceCount << "\n";
    out << "list";
    for (const std::string& item : host.raceList) out << " [" << item << "]";
    out << "\nvenues";
    for (std::size_t n = 0; n < 3; ++n) out << " " << host.venues[n] << "@" << host.firstSlots[n];
    out << "\n";
    for (std::size_t r = 0; r < raceday::kMaxRaces; ++r)
        if (!day.gDayRaces[r].IsBlank()) DumpRace(out, day, r);
    std::cout << out.str();
    return 0;
}
