#include "search/neraislots.h"

#include "keiba/inigt.h"
#include "search/neraihits.h"
#include "tests/raceday/dayfixture.h"
#include "tests/search/neraifixture.h"

using namespace search;
using namespace testsupport;

namespace {

class FakeSlotView : public NeraiSlotView {
public:
    std::string ChosenSetName(int k) const override { return combo[static_cast<std::size_t>(k)]; }
    int RaceCount() const override { return races; }
    void RepaintRaceCards() override { ++repaints; }

    std::array<std::string, 5> combo;
    int races = 0;
    int repaints = 0;
};

std::string Myfavo(const keiba::ProgramContext& context, int k) {
    return context.settings.ReadString("Myfavo", "nerai" + std::to_string(k), "(none)");
}

// A day of two races of three runners each, none with a previous run.
void TwoRaces(raceday::RaceDay& day) {
    for (std::size_t r = 0; r < 2; ++r) {
        RunnerData data;
        day.gDayRaces[r] = data.race;
        day.gDayRaces[r].SetField(882, 2, "03");
    }
    day.gDayRaceCount = 2;
}

int Matches(const raceday::RaceDay& day, int slot) {
    int n = 0;
    for (const auto& calc : day.gRaceCalc)
        for (const auto& runner : calc.NeraiMatch) n += runner[static_cast<std::size_t>(slot - 1)];
    return n;
}

} // namespace

class NeraiSlotsTest : public DayFixture {
protected:
    void SetUp() override {
        DayFixture::SetUp();
        std::filesystem::create_directories(dir / "nerai");
        ASSERT_TRUE(WriteNeraiFile(dir.path(), "open", OpenSet()));
        ASSERT_TRUE(WriteNeraiFile(dir.path(), "default", DefaultSet()));
    }
    FakeSlotView view;
};

TEST_F(NeraiSlotsTest, AChoiceLoadsTheSetSearchesAndRemembersTheName) {
    TwoRaces(Day());
    view.races = 2;
    NeraiSlots slots(view, Day(), context);
    view.combo[2] = " open ";
    EXPECT_EQ(slots.LoadSlot(2), NeraiSlotResult::Loaded);
    EXPECT_EQ(Day().gNeraiSlots[2].Bytes(), OpenSet().Bytes());
    EXPECT_EQ(Matches(Day(), 2), 6);
    EXPECT_EQ(Myfavo(context, 2), "open");
    EXPECT_EQ(view.repaints, 1);

    // The same set in a second slot marks the same runners in both.
    view.combo[4] = "open";
    slots.LoadSlot(4);
    EXPECT_EQ(Day().gRaceCalc[1].NeraiMatch[2], (std::array<std::uint8_t, 4>{0, 1, 0, 1}));

    // Runners without a previous run fail every set the editor saves; the slot is cleared too.
    view.combo[2] = "default";
    slots.LoadSlot(2);
    EXPECT_EQ(Matches(Day(), 2), 0);
}

// A choice the slot cannot load is told once and changes nothing: not the slot, its marks or
// the setting, and not the combo, which keeps the user's choice.
TEST_F(NeraiSlotsTest, AMissingOrShortFileIsToldAndChangesNothing) {
    TwoRaces(Day());
    view.races = 2;
    NeraiSlots slots(view, Day(), context);
    view.combo[1] = "open";
    slots.LoadSlot(1);
    ASSERT_EQ(Matches(Day(), 1), 6);

    WriteBytes(dir / "nerai/short.nri", std::string(100, '0'));
    const struct {
        const char* name;
        NeraiSlotResult result;
        const char* told;
    } choices[] = {
        {"gone", NeraiSlotResult::Missing, "[gone]の狙い馬ファイルが見つかりません。"},
        {"short", NeraiSlotResult::Unreadable, "[short]は狙い馬ファイルとして読み込めません。"}};
    for (const auto& c : choices) {
        notifier.messages.clear();
        view.combo[1] = c.name;
        EXPECT_EQ(slots.LoadSlot(1), c.result);
        EXPECT_EQ(notifier.messages, std::vector<std::string>{c.told});
        EXPECT_EQ(view.combo[1], c.name);
        EXPECT_EQ(Day().gNeraiSlots[1].Bytes(), OpenSet().Bytes());
        EXPECT_EQ(slots.HeldName(1), "open");
        EXPECT_EQ(Myfavo(context, 1), "open");
        EXPECT_EQ(Matches(Day(), 1), 6);
        // Tried again, as every day load does, it is not told again.
        EXPECT_EQ(slots.LoadSlot(1), c.result);
        EXPECT_EQ(notifier.messages.size(), 1u);
    }
}

// The settings file strips one pair of "" or ｢｣ around a value it reads; a name or folder that
// is itself so enclosed is still the same one after a restart.
TEST_F(NeraiSlotsTest, AValueInQuotesIsTheSameAfterARestart) {
    ASSERT_TRUE(WriteNeraiFile(dir.path(), "｢本命｣", OpenSet()));
    NeraiSlots slots(view, Day(), context);
    view.combo[1] = "｢本命｣";
    ASSERT_EQ(slots.LoadSlot(1), NeraiSlotResult::Loaded);
    ASSERT_TRUE(context.settings.WriteString("Dir", "kaime", "\"C:/bets\""));
    EXPECT_TRUE(notifier.messages.empty());

    keiba::TIniGT restarted{dir.path(), "kestrane"};
    restarted.Loaded();
    EXPECT_EQ(restarted.ReadString("Myfavo", "nerai1", ""), "｢本命｣");
    EXPECT_EQ(restarted.ReadString("Dir", "kaime", ""), "\"C:/bets\"");
}

namespace {

// The window of a day load: its slot hook runs the slot handlers.
class SlotHost : public RecordingHost {
public:
    SlotHost(NeraiSlots& s, const raceday::RaceDay& d)
        : slots(s)
        , day(d) {}
    void MatchTargetSlot(int s) override {
        RecordingHost::MatchTargetSlot(s);
        slots.LoadSlot(s);
    }
    void SelectFirstRace() override {
        RecordingHost::SelectFirstRace();
        matchesAtSelection = Matches(day, 1);
    }
    NeraiSlots& slots;
    const raceday::RaceDay& day;
    int matchesAtSelection = -1;
};

} // namespace

TEST_F(NeraiSlotsTest, TheDayLoadSearchesBeforeItSelectsTheFirstRace) {
    WriteRaces("20261206", {Ra("20261206", "05", 1, 2), Ra("20261206", "08", 1, 1)});
    view.combo[1] = "open";
    view.combo[3] = "gone";
    NeraiSlots slots(view, Day(), context);
    SlotHost slotHost(slots, Day());
    view.races = 2;
    Day().gNeraiSlots[3] = DefaultSet(); // the load blanks what the previous day held
    ASSERT_EQ(raceday::LoadDay(Day(), Stem("20261206"), slotHost, slotHost, context),
              raceday::DayLoadResult::Loaded);
    EXPECT_EQ(slotHost.matchesAtSelection, 3);
    EXPECT_EQ(Myfavo(context, 1), "open");
    EXPECT_EQ(Myfavo(context, 3), "(none)");
    EXPECT_TRUE(Day().gNeraiSlots[3].IsBlank());
}

// The last slot and the last runner slot of a full field: a set that only the 18th favourite
// passes, chosen in combo 4, marks that runner in slot 4 alone and the hit list counts it; a
// later choice the slot cannot load leaves the marks of the set slot 4 holds.
TEST_F(NeraiSlotsTest, TheLastSlotMarksTheLastRunnerOfAFullField) {
    RunnerData data;
    Day().gDayRaces[0] = data.race;
    Day().gDayRaces[0].SetField(882, 2, "18");
    Day().gDayRaceCount = 1;
    for (std::size_t h = 0; h < 18; ++h) Day().gRaceCalc[0].WinPop[h] = static_cast<int>(h) + 1;
    search::TNeraiRecord last = OpenSet();
    Put(last, 0, kTosuMax, "18");
    Put(last, 0, kTanNinMin, "18");
    Put(last, 0, kTanNinMax, "18");
    ASSERT_TRUE(WriteNeraiFile(dir.path(), "last", last));
    view.races = 1;
    NeraiSlots slots(view, Day(), context);
    view.combo[4] = "last";
    ASSERT_EQ(slots.LoadSlot(4), NeraiSlotResult::Loaded);
    EXPECT_EQ(Day().gRaceCalc[0].NeraiMatch[17], (std::array<std::uint8_t, 4>{0, 0, 0, 1}));
    EXPECT_EQ(Matches(Day(), 4), 1);
    EXPECT_EQ(Myfavo(context, 4), "last");
    EXPECT_EQ(BuildNeraiHitList(Day(), 1).slotCounts, (std::array<int, 4>{0, 0, 0, 1}));

    view.combo[4] = "gone";
    EXPECT_EQ(slots.LoadSlot(4), NeraiSlotResult::Missing);
    EXPECT_EQ(slots.HeldName(4), "last");
    EXPECT_EQ(Day().gRaceCalc[0].NeraiMatch[17], (std::array<std::uint8_t, 4>{0, 0, 0, 1}));
}
