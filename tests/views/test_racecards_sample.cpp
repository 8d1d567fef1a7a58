// The race cards over every race of a loaded sample day: every cell of both cards paints, as a
// race selection fills them.

#include "keiba/appdir.h"
#include "raceday/dayload.h"
#include "views/detailcard.h"
#include "views/indexcard.h"

#include "tests/support/fakes.h"
#include "tests/support/sample.h"
#include "tests/views/viewsfixture.h"

#include <gtest/gtest.h>

TEST(SampleDay, BothCardsPaintEveryCellOfEveryRace) {
    const std::filesystem::path& sample = testsupport::SampleFolder();
    ASSERT_TRUE(std::filesystem::exists(sample / "done")) << "the sample generator failed";
    testsupport::RecordingNotifier notifier;
    testsupport::TestClock clock;
    testsupport::ScopedPlatform platform{&notifier, &clock};
    keiba::SetAppDirForTest(sample);
    auto held = std::make_unique<raceday::TRaceDay>();
    raceday::TRaceDay& day = *held;
    raceday::DayLoadHost host;
    ASSERT_EQ(raceday::DateComboChange(day, "2026年11月28日", host, sample),
              raceday::DayLoadResult::Loaded);
    views::TStringGrid card, detail;
    views::SetupIndexRaceCard(card);
    views::AttachIndexRaceCard(card, day);
    views::SetupDetailedRaceCard(detail);
    views::AttachDetailedRaceCard(detail, day);

    ASSERT_GT(day.gDayRaceCount, 0);
    for (int race = 0; race < day.gDayRaceCount; ++race) {
        day.gCurRace = race;
        const int n = raceday::FieldSize(day, race);
        card.Model()->SetRowCount(n + 1);
        detail.Model()->SetRowCount(n + 1);
        views::FillIndexRaceCard(day, {card.Model(), nullptr, nullptr, nullptr}, n);
        for (int r = 0; r <= n; ++r) {
            for (int c = 0; c < card.Model()->ColCount(); ++c) card.Model()->PaintOf(c, r);
            for (int c = 0; c < detail.Model()->ColCount(); ++c) detail.Model()->PaintOf(c, r);
        }
        EXPECT_FALSE(card.Model()->Cells(1, n).isEmpty()) << race;
    }
    card.resize(1100, 300);
    detail.resize(1500, 600);
    card.show();
    detail.show();
    testsupport::SaveShot(card.grab().toImage(), "sample_index_card.png");
    testsupport::SaveShot(detail.grab().toImage(), "sample_detail_card.png");
    keiba::SetAppDirForTest({});
}
