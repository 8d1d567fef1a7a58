#pragma once
// A program folder with a loaded day of 東京 races and a main window that records what the
// fetch operations asked of it.

#include "fetch/fetchops.h"
#include "fetch/fetchstate.h"
#include "keiba/inigt.h"
#include "raceday/daymodel.h"
#include "tests/raceday/dayfixture.h"
#include "tests/support/fakejvlink.h"

namespace testsupport {

class RecordingFetchHost : public fetch::FetchHost {
public:
    RecordingFetchHost(raceday::RaceDay& d, const keiba::ProgramContext& c)
        : day(d)
        , context(c) {}
    raceday::RaceDay& Day() override { return day; }
    fetch::FetchFlags& Flags() override { return flags; }
    keiba::OperationOwner& Operations() override { return operations; }
    jvdata::TJVLink* JvLink() override { return link; }
    const keiba::ProgramContext& Context() const override { return context; }
    int SelectedRace() const override { return raceIndex; }
    int RaceCount() const override { return raceCount; }
    void SelectRace(int i) override { raceIndex = i; }
    int LoadedDayIndex() const override { return dateText.empty() ? -1 : 0; }
    std::string LoadedDayStem() const override { return dateText; }
    void ShowStatus(const std::string& t) override {
        labels.push_back(t);
        heldAtLabels.push_back(operations.Running());
    }
    void ShowSelectedRace() override {
        day.gCurRace = raceIndex;
        ops.push_back("show" + std::to_string(raceIndex));
    }
    void ReadRaceOdds() override {
        ops.push_back("odds" + std::to_string(day.gOddsRaceIndex));
        FetchHost::ReadRaceOdds();
    }
    void RereadResults() override { ops.push_back("results"); }
    void ReadMining() override { ops.push_back("mining"); }
    bool AutoOddsOn() const override { return autoOz; }
    void SetAutoOddsOn(bool c) override { autoOz = c; }
    void RunOddsTimer(bool e) override { timer1 = e; }
    void ShowTimeToPost(const std::string& t) override { restTime = t; }
    void ReloadDay() override { ops.push_back("reload"); }

    raceday::RaceDay& day;
    const keiba::ProgramContext& context;
    fetch::FetchFlags flags;
    keiba::OperationOwner operations;
    jvdata::TJVLink* link = nullptr;
    int raceIndex = 0;
    int raceCount = 0;
    std::string dateText;
    std::vector<std::string> labels;
    std::vector<std::optional<keiba::Operation>> heldAtLabels; // the owner's, at each label
    std::vector<std::string> ops;
    bool autoOz = false;
    bool timer1 = false;
    std::string restTime;
};

class FetchFixture : public DayFixture {
protected:
    void SetUp() override {
        DayFixture::SetUp();
        fetchHost.link = &link;
    }
    // Races 1..n of 東京 on 2026-12-06 in slots 0..n-1, the first posting at `firstPost`.
    void LoadRaces(int n, std::string_view firstPost = "1005") {
        std::vector<std::string> races;
        for (int r = 1; r <= n; ++r)
            races.push_back(Ra("20261206", "05", r, 12, r == 1 ? firstPost : "1525"));
        WriteRaces("20261206", races);
        clock.now = keiba::MakeLocalTime(2026, 12, 6, 9, 0, 0);
        ASSERT_EQ(Load("20261206"), raceday::DayLoadResult::Loaded);
        fetchHost.raceCount = n;
        fetchHost.dateText = Stem("20261206");
    }
    std::string Key(int race) const { return RaceKey16("20261206", "05", race); }

    FakeJvLink link;
    RecordingFetchHost fetchHost{Day(), context};
    fetch::FetchFlags& Flags() { return fetchHost.flags; }
};

} // namespace testsupport
