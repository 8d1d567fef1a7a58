// The target hit list on screen.

#include "search/forms/neraigaitoform.h"

#include "tests/search/neraifixture.h"
#include "tests/support/fakes.h"
#include "tests/support/modelchecks.h"
#include "tests/support/tempdir.h"
#include "tests/support/widgets.h"
#include "views/grid.h"
#include "views/indexcard.h"

#include <QLabel>

using namespace search;
using namespace testsupport;

TEST(NeraiGaitoForm, ShowsTheMatchingRunners) {
    auto day = std::make_unique<raceday::RaceDay>();
    raceday::RaceDay& d = *day;
    HitRace(d, 0, "08", "11", "1540", 2);
    HitRace(d, 1, "05", "11", "1540", 2);
    HitRunner(d, 0, 1, "キョウトノホシ", {0, 1, 0, 0});
    HitRunner(d, 1, 0, "トウキョウノウマ", {1, 0, 1, 0});

    testsupport::TempDir dir;
    RecordingNotifier notifier;
    TestClock clock;
    RecordingShell shell;
    const keiba::ProgramContext context(dir.path(), notifier, clock, shell);
    TNeraiGaitoForm gaito(context);
    ModelChecks checks;
    checks.WatchAll(gaito);
    EXPECT_EQ(gaito.windowTitle(), QStringLiteral("狙い馬該当リスト"));
    gaito.FillHits(d, QStringLiteral("2026年12月06日"), 2);
    views::GridModel* grid = gaito.StringGrid8->Model();
    ASSERT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->Cells(14, 0), QStringLiteral("馬名"));
    EXPECT_EQ(grid->Cells(2, 1), QStringLiteral("■"));
    EXPECT_EQ(grid->Cells(5, 1), QStringLiteral("東京"));
    EXPECT_EQ(grid->Cells(14, 2).trimmed(), QStringLiteral("キョウトノホシ"));
    EXPECT_EQ(gaito.SosuLabel->text(), QStringLiteral("  2"));
    EXPECT_EQ(gaito.NeraiLabels[0]->text(), QStringLiteral("  1"));
    EXPECT_EQ(grid->PaintOf(2, 1).textColor, views::TargetSlotColor(3));

    // No hit: the rows stay, blank, and the counts are empty.
    d.gRaceCalc[0].NeraiMatch = {};
    d.gRaceCalc[1].NeraiMatch = {};
    gaito.FillHits(d, QStringLiteral("2026年12月06日"), 2);
    EXPECT_EQ(grid->RowCount(), 3);
    EXPECT_EQ(grid->Cells(14, 1), QString());
    EXPECT_EQ(gaito.SosuLabel->text(), QString());
}
