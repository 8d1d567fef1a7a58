#pragma once
// A race-day model with one race set up for the bet tab, and a mark grid to drive it.

#include "betting/builder.h"
#include "betting/host.h"
#include "keiba/combkeys.h"
#include "keiba/context.h"
#include "keiba/sjis.h"
#include "raceday/daymodel.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace testsupport {

// Column `col` of rows 1.. of a grid.
inline std::vector<std::string> GridColumn(const betting::PlainTable& g, int col) {
    std::vector<std::string> v;
    for (int r = 1; r < g.RowCount(); ++r) v.push_back(g.Cells(col, r));
    return v;
}

// Race 11 of the 2nd meeting's 6th day at Tokyo (venue 05) on 5 May 2024.
inline constexpr std::string_view kRaceKey = "2024050505020611";

class BetDay : public ::testing::Test {
protected:
    void SetUp() override { day().gCurRace = 0; }
    raceday::RaceDay& day() { return *day_; }
    jvdata::TRaceCalc& calc() { return day().gRaceCalc[0]; }

    // Race slot 0 with `runners` runners; `marks` gets a row per runner.
    void SetRace(int runners, std::string_view key = kRaceKey) {
        day().gDayRaces[0].SetField(12, 16, key);
        day().gDayRaces[0].SetField(882, 2, (runners < 10 ? "0" : "") + std::to_string(runners));
        for (int h = 0; h < runners; ++h) {
            day().gDayHorses[0][static_cast<std::size_t>(h)].SetField(
                29, 2, (h + 1 < 10 ? "0" : "") + std::to_string(h + 1));
        }
        marks = betting::PlainTable(14, runners + 1);
    }
    // Marks a column for the given horse numbers ("◎" axis, "▲" legs, "消" exclusion).
    void Mark(int col, std::initializer_list<int> horses, std::string_view utf8) {
        for (int h : horses) marks.SetCell(col, h, keiba::Sj(utf8));
    }
    void LoadOdds(int kind) { // 1..6: the odds record of that kind is present
        auto set = [](auto& rec) { rec.SetField(26, 2, "11"); };
        switch (kind) {
        case 1: set(day().gDayOddsO1[0]); break;
        case 2: set(day().gDayOddsO2[0]); break;
        case 3: set(day().gDayOddsO3[0]); break;
        case 4: set(day().gDayOddsO4[0]); break;
        case 5: set(day().gDayOddsO5[0]); break;
        default: set(day().gDayOddsO6[0]); break;
        }
    }
    void Build(int mode = 0, std::int64_t amount = 3000) {
        betting::BuildBets(day(), marks, {mode, amount}, book);
    }
    // Column `col` of rows 1.. of a grid of the book.
    std::vector<std::string> Column(betting::BetKind k, int col) const {
        return GridColumn(book.Grid(k), col);
    }

    betting::PlainTable marks{14, 1};
    betting::BetBook book;

    // A program folder of the test's own and the context over it.
    testsupport::TempDir dir;
    testsupport::RecordingNotifier notifier;
    testsupport::TestClock clock;
    testsupport::RecordingShell shell;
    keiba::ProgramContext context{dir.path(), notifier, clock, shell};

    // Fresh for every test, on the heap: the model is large.
    std::unique_ptr<raceday::RaceDay> day_ = std::make_unique<raceday::RaceDay>();
};

// The main window's lists as the bet tab sees them.
class FakeHost : public betting::BetHost {
public:
    std::string DateText() const override { return date; }
    int DateIndex() const override { return date.empty() ? -1 : 0; }
    int RaceCount() const override { return races; }
    int SelectedRace() const override { return selected; }
    std::string RaceCaption(int) const override { return caption; }
    void ShowRace(int item) override { shown.push_back(item); }
    bool Busy() const override { return busy; }

    std::string date = "2024年05月05日";
    int races = 1;
    int selected = 0;
    std::string caption = "東京11R";
    std::vector<int> shown;
    bool busy = false;
};

} // namespace testsupport
