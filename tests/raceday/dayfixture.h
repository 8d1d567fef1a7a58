#pragma once
// A program folder in a temporary directory, with builders for its day files, and a day-load
// host that records what the load asked of it.

#include "jvdata/dayfiles.h"
#include "keiba/context.h"
#include "keiba/fileio.h"
#include "keiba/sjis.h"
#include "raceday/dayload.h"
#include "raceday/daymodel.h"
#include "tests/jvdata/recordmaker.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace testsupport {

inline std::string Two(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// An RA record of race `raceNo` at `venue` on `date8` with `runners` runners posting at `post`.
inline std::string Ra(std::string_view date8, std::string_view venue, int raceNo, int runners,
                      std::string_view post = "1540") {
    std::string r = MakeRecord("RA", RaceKey16(date8, venue, raceNo));
    jvdata::SetField(r, 874, 4, post);
    jvdata::SetField(r, 882, 2, Two(runners));
    return r;
}

inline std::string Se(std::string_view date8, std::string_view venue, int raceNo, int horse,
                      std::string_view id, std::string_view name = "") {
    std::string r = MakeRunner(RaceKey16(date8, venue, raceNo), horse, id);
    jvdata::SetField(r, 41, 36, keiba::Sj(name));
    return r;
}

class RecordingHost : public raceday::DayLoadProgress, public raceday::DayLoadSteps {
public:
    std::vector<std::string> ops;
    std::vector<std::string> raceList;
    int progressShown = 0, progressHidden = 0, noDayShown = 0;
    bool autoOzChecked = false;

    void ShowProgress(int, const std::string&, const std::string&) override { ++progressShown; }
    void HideProgress() override { ++progressHidden; }
    void ClearRaces() override { raceList.clear(); }
    void AddRace(const std::string& item) override { raceList.push_back(item); }
    void ShowNoDay() override {
        ++noDayShown;
        raceList.clear();
    }
    void ClearDay(raceday::RaceDay& day) override {
        ops.push_back("clear");
        DayLoadSteps::ClearDay(day);
    }
    HorseMasterConversion ConvertHorseMaster(const std::filesystem::path& um2,
                                             const std::filesystem::path& uma) override {
        ops.push_back("convert");
        return DayLoadSteps::ConvertHorseMaster(um2, uma);
    }
    void ReadRaceOdds(raceday::RaceDay& day) override {
        ops.push_back("odds" + std::to_string(day.gOddsRaceIndex));
        DayLoadSteps::ReadRaceOdds(day);
    }
    void MakePayoutTables(raceday::RaceDay& day) override {
        ops.push_back("calc");
        DayLoadSteps::MakePayoutTables(day);
    }
    void StartResultsTimer(int ms) override { ops.push_back("timer4:" + std::to_string(ms)); }
    bool AutoOddsOn() const override { return autoOzChecked; }
    void ArmAutoOdds() override {
        ops.push_back("autooz");
        autoOzChecked = true;
    }
    void MatchTargetSlot(int s) override { ops.push_back("nerai" + std::to_string(s)); }
    void ApplyUserBetSet(int u) override { ops.push_back("user" + std::to_string(u)); }
    void SelectFirstRace() override { ops.push_back("select"); }
};

class DayFixture : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(dir.path() / "Data"); }

    static std::string Stem(std::string_view date8) {
        return jvdata::DayStem(*jvdata::ParseYyyymmdd(date8));
    }
    std::filesystem::path DataFile(std::string_view name) const {
        return dir / ("Data/" + std::string(name));
    }
    void WriteRaces(std::string_view date8, const std::vector<std::string>& races) {
        std::string bytes;
        for (const auto& r : races) bytes += r;
        WriteBytes(DataFile(Stem(date8) + ".jvRA"), bytes);
    }
    void WriteRunners(std::string_view date8, std::string_view venueName,
                      const std::vector<std::string>& runners) {
        std::string bytes;
        for (const auto& se : runners) {
            int race = static_cast<int>(jvdata::FieldNumber(se, 26, 2));
            int horse = static_cast<int>(jvdata::FieldNumber(se, 29, 2));
            bytes = jvdata::PutRunnerSlot(bytes, std::string_view(se).substr(0, se.size() - 2),
                                          jvdata::RunnerSlot(race, horse));
        }
        WriteBytes(DataFile(Stem(date8) + std::string(venueName) + ".jvSEr"), bytes);
    }
    void WriteHorseRuns(std::string_view id, const std::vector<std::string>& runs) {
        auto path = *jvdata::HorseFilePath(dir.path(), jvdata::HorseFile::SEI, id);
        std::filesystem::create_directories(path.parent_path());
        std::string bytes;
        for (const auto& r : runs) bytes += r;
        WriteBytes(path, bytes);
    }
    raceday::DayLoadResult Load(std::string_view date8) {
        return raceday::LoadDay(Day(), Stem(date8), host, host, context);
    }
    // The day the fixture's loads fill; a fresh one for every test.
    raceday::RaceDay& Day() { return *day_; }

    std::unique_ptr<raceday::RaceDay> day_ = std::make_unique<raceday::RaceDay>();
    TempDir dir;
    RecordingNotifier notifier;
    TestClock clock;
    RecordingShell shell;
    // The program context of the fixture's folder.
    keiba::ProgramContext context{dir.path(), notifier, clock, shell};
    RecordingHost host;
};

// A day of two races at Tokyo: race 3 with numbered runners named ウマ1.., and race 4.
class OneRaceFixture : public DayFixture {
protected:
    // Race 3 of Tokyo with `runners` runners; its record fields as given.
    void LoadRace(int runners, const std::vector<std::pair<int, std::string>>& fields) {
        std::string ra = Ra("20261128", "05", 3, runners, "1540");
        for (const auto& [pos, value] : fields)
            jvdata::SetField(ra, static_cast<std::size_t>(pos), value.size(), value);
        std::vector<std::string> runnersSe;
        for (int h = 1; h <= runners; ++h)
            runnersSe.push_back(
                Se("20261128", "05", 3, h, "20201000" + Two(h), "ウマ" + std::to_string(h)));
        WriteRaces("20261128", {ra, Ra("20261128", "05", 4, 5)});
        WriteRunners("20261128", "東京", runnersSe);
        ASSERT_EQ(Load("20261128"), raceday::DayLoadResult::Loaded);
    }
};

} // namespace testsupport
