// The race cards of a loaded sample day: fill, heading sorts and paint as a race selection
// runs them.

#include "app/dayload.h"
#include "controls/qtext.h"
#include "keiba/appdir.h"
#include "views/detailcard.h"
#include "views/gridsort.h"
#include "views/indexcard.h"

#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"
#include "tests/views/viewsfixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using testsupport::App;

namespace {

class SampleDay : public ::testing::Test {
protected:
    // The sample folder takes seconds to write: one for the suite.
    static void SetUpTestSuite() {
        dir = new testsupport::TempDir;
        const std::string cmd =
            std::string(KESTRANE_MAKE_SAMPLE) + " '" + dir->path().string() + "' >/dev/null 2>&1";
        made = std::system(cmd.c_str()) == 0;
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(made);
        keiba::SetAppDirForTest(dir->path());
        app::ResetDayForTest();
        app::DayLoadHost host;
        ASSERT_EQ(app::DateComboChange("2026年11月28日", host, dir->path()),
                  app::DayLoadResult::Loaded);
        views::GridSorts() = {};
        views::SetupIndexRaceCard(card);
        views::AttachIndexRaceCard(card);
        views::SetupDetailedRaceCard(detail);
        views::AttachDetailedRaceCard(detail);
    }
    void TearDown() override { keiba::SetAppDirForTest({}); }

    // The race selection's part in the cards: rows sized and cleared, directions 0 while it
    // fills, the fill, then directions 1.
    int SelectLargestRace() {
        app::TRaceDay& day = app::Day();
        int best = 0;
        for (int r = 0; r < day.gDayRaceCount; ++r)
            if (app::FieldSize(day, r) > app::FieldSize(day, best)) best = r;
        day.gCurRace = best;
        const int n = app::FieldSize(day, best);
        views::SetAllCardSortDirs(0);
        for (views::TStringGrid* g : {&card, &detail}) {
            g->Model()->SetRowCount(n + 1);
            for (int r = 1; r <= n; ++r) g->Model()->ClearRow(r);
        }
        views::FillIndexRaceCard(day, {card.Model(), nullptr, nullptr, nullptr}, n);
        views::SetAllCardSortDirs(1);
        return n;
    }
    // Every row still shows its own runner: the name is the one of the row's number.
    void ExpectRowsWhole() {
        const app::TRaceDay& day = app::Day();
        const auto& runners = day.gDayHorses[static_cast<std::size_t>(day.gCurRace)];
        for (int r = 1; r < card.Model()->RowCount(); ++r) {
            const int n = card.Model()->Cells(1, r).trimmed().toInt();
            ASSERT_GE(n, 1);
            EXPECT_EQ(card.Model()->Cells(2, r),
                      controls::SjToQ(runners[static_cast<std::size_t>(n - 1)].HorseName()));
        }
    }
    std::string Bytes(int col, int row) const {
        return controls::QToSj(card.Model()->Cells(col, row));
    }

    static inline testsupport::TempDir* dir = nullptr;
    static inline bool made = false;
    testsupport::RecordingNotifier notifier;
    testsupport::TestClock clock;
    testsupport::ScopedPlatform platform{&notifier, &clock};
    views::TStringGrid card, detail;
};

} // namespace

TEST_F(SampleDay, HeadingTwelveSortsAscendingThenDescendingAndMarksStayWithTheirRunner) {
    const int n = SelectLargestRace();
    ASSERT_GE(n, 8);
    app::TRaceDay& day = app::Day();
    day.gRaceCalc[static_cast<std::size_t>(day.gCurRace)].NeraiMatch[3] = {1, 0, 1, 0};

    for (bool descending : {false, true}) {
        ASSERT_TRUE(views::StringGrid10MouseDown(*card.Model(), 12, 0));
        EXPECT_EQ(views::GridSorts().gCardSortDir[12], descending ? 1 : 0);
        for (int r = 1; r < n; ++r) {
            const std::string a = Bytes(12, r), b = Bytes(12, r + 1);
            EXPECT_TRUE(descending ? a >= b : a <= b) << r;
            if (a == b) {
                EXPECT_LT(Bytes(1, r), Bytes(1, r + 1)) << r;
            }
        }
        ExpectRowsWhole();
        for (int r = 1; r <= n; ++r) {
            const bool four = card.Model()->Cells(1, r) == QStringLiteral(" 4");
            EXPECT_EQ(card.Model()->PaintOf(1, r).background,
                      four ? QColor(0xFF0000) : views::InfoBackground());
            EXPECT_EQ(card.Model()->PaintOf(2, r).boxes.size(), four ? 2u : 0u);
        }
    }
    const auto before = Bytes(1, 1);
    EXPECT_FALSE(views::StringGrid10MouseDown(*card.Model(), 13, 0));
    EXPECT_EQ(Bytes(1, 1), before);
}

TEST_F(SampleDay, BothCardsPaintEveryCellOfEveryRace) {
    app::TRaceDay& day = app::Day();
    for (int race = 0; race < day.gDayRaceCount; ++race) {
        day.gCurRace = race;
        const int n = app::FieldSize(day, race);
        card.Model()->SetRowCount(n + 1);
        detail.Model()->SetRowCount(n + 1);
        views::FillIndexRaceCard(day, {card.Model(), nullptr, nullptr, nullptr}, n);
        for (int r = 0; r <= n; ++r) {
            for (int c = 0; c < card.Model()->ColCount(); ++c) card.Model()->PaintOf(c, r);
            for (int c = 0; c < detail.Model()->ColCount(); ++c) detail.Model()->PaintOf(c, r);
        }
    }
    SelectLargestRace();
    card.resize(1100, 300);
    detail.resize(1500, 600);
    card.show();
    detail.show();
    testsupport::SaveShot(card.grab().toImage(), "sample_index_card.png");
    testsupport::SaveShot(detail.grab().toImage(), "sample_detail_card.png");
}
