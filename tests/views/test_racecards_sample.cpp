// The race cards over every race of a loaded sample day, as a race selection fills them.

#include "keiba/appdir.h"
#include "raceday/dayload.h"
#include "views/detailcard.h"
#include "views/indexcard.h"

#include "tests/support/fakes.h"
#include "tests/support/sample.h"
#include "tests/views/viewsfixture.h"

#include <gtest/gtest.h>

namespace {

// The official rule: up to eight runners one to a bracket; beyond eight, the runners over a
// multiple of eight go one more to each of the last brackets.
int BracketOf(int horse, int runners) {
    if (runners <= 8) return horse;
    const int base = runners / 8, extra = runners % 8;
    int last = 0;
    for (int b = 1; b <= 8; ++b) {
        last += b <= 8 - extra ? base : base + 1;
        if (horse <= last) return b;
    }
    return 0;
}

const QColor kBracketColors[] = {QColor(),         QColor(0xFFFFFF), QColor(0x808080),
                                 QColor(0xFF0000), QColor(0x0000FF), QColor(0xFFFF00),
                                 QColor(0x00FF00), QColor(0xFF8000), QColor(0xFF00FF)};

bool HasText(const views::CellPaint& p, const QString& text, const QColor& color) {
    for (const views::PlacedText& t : p.texts)
        if (t.text.trimmed() == text && (t.color.isValid() ? t.color : QColor(Qt::black)) == color)
            return true;
    return false;
}

} // namespace

// Every race of the day through both cards: each cell paints, the brackets take their colours
// by the official rule, and the first race shows what the sample's files hold for it.
TEST(SampleDay, BothCardsPaintEveryRaceFromTheDaysFiles) {
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
    views::TGridModel& c = *card.Model();
    views::TGridModel& d = *detail.Model();

    ASSERT_EQ(day.gDayRaceCount, 36);
    auto show = [&](int race) {
        day.gCurRace = race;
        const int n = raceday::FieldSize(day, race);
        c.SetRowCount(n + 1);
        d.SetRowCount(n + 1);
        views::FillIndexRaceCard(day, {&c, nullptr, nullptr, nullptr}, n);
        return n;
    };
    for (int race = 0; race < day.gDayRaceCount; ++race) {
        SCOPED_TRACE(race);
        const int n = show(race);
        ASSERT_GE(n, 8);
        for (int r = 0; r <= n; ++r) {
            for (int col = 0; col < c.ColCount(); ++col) c.PaintOf(col, r);
            for (int col = 0; col < d.ColCount(); ++col) d.PaintOf(col, r);
        }
        for (int r = 1; r <= n; ++r) {
            const int b = BracketOf(r, n);
            EXPECT_EQ(c.Cells(0, r), QString::asprintf("%2d", b)) << r;
            EXPECT_EQ(c.Cells(1, r), QString::asprintf("%2d", r));
            EXPECT_EQ(c.PaintOf(0, r).background, kBracketColors[b]) << r;
            EXPECT_EQ(d.PaintOf(0, r).background, kBracketColors[b]) << r;
        }
    }

    // 東京1R: runner 1 サンフビミジパ, odds 8.1 (5th) and 2.1 (5th), mark ×, finished 12th;
    // runner 2 パゴスウ, the favourite, an R+ horse.
    show(0);
    EXPECT_TRUE(c.Cells(2, 1).startsWith(QStringLiteral("サンフビミジパ")));
    EXPECT_EQ(c.Cells(11, 1), QStringLiteral("  8.1"));
    EXPECT_EQ(c.Cells(12, 1), QStringLiteral(" 5"));
    EXPECT_EQ(c.Cells(13, 1), QStringLiteral("  2.1"));
    EXPECT_EQ(c.Cells(8, 1), QStringLiteral("×"));
    EXPECT_EQ(c.Cells(30, 1), QStringLiteral("12"));
    EXPECT_EQ(c.Cells(9, 2), QStringLiteral("R+"));
    EXPECT_EQ(c.PaintOf(9, 2).textColor, QColor(0xFF0000));
    EXPECT_EQ(c.Cells(12, 2), QStringLiteral(" 1"));
    EXPECT_EQ(c.PaintOf(12, 2).textColor, QColor(0xFF0000));
    EXPECT_EQ(c.PaintOf(11, 2).background, QColor(0xFFFFA6));
    EXPECT_TRUE(HasText(d.PaintOf(2, 2), QStringLiteral("パゴスウ"), Qt::black));
    EXPECT_TRUE(HasText(d.PaintOf(5, 2), QStringLiteral("R+"), QColor(0xFF0000)));

    card.resize(1100, 300);
    detail.resize(1500, 600);
    card.show();
    detail.show();
    testsupport::SaveShot(card.grab().toImage(), "sample_index_card.png");
    testsupport::SaveShot(detail.grab().toImage(), "sample_detail_card.png");
    keiba::SetAppDirForTest({});
}
