#include "keiba/platform.h"

#include "tests/support/fakes.h"

#include <gtest/gtest.h>

using namespace keiba;

TEST(Platform, LocalTimePartsAndTexts) {
    LocalTime t = MakeLocalTime(2024, 2, 29, 23, 5, 9);
    DateTimeParts p = Parts(t);
    EXPECT_EQ(p.year, 2024);
    EXPECT_EQ(p.month, 2);
    EXPECT_EQ(p.day, 29);
    EXPECT_EQ(p.hour, 23);
    EXPECT_EQ(Yyyymmdd(t), "20240229");
    EXPECT_EQ(Hhnn(t), "2305");
    EXPECT_EQ(HhnnssColon(t), "23:05:09");
    EXPECT_EQ(Yyyymmdd(t + std::chrono::hours(1)), "20240301");
}

TEST(Platform, DefaultsNeverBlockAndInstalledLayersAreUsed) {
    EXPECT_FALSE(CurrentNotifier().YesNo("?"));
    EXPECT_FALSE(CurrentShell().Open("x"));
    testsupport::RecordingNotifier n;
    testsupport::TestClock c;
    {
        testsupport::ScopedPlatform scope(&n, &c);
        n.answers = {true};
        EXPECT_TRUE(CurrentNotifier().YesNo("続けますか？"));
        EXPECT_FALSE(CurrentNotifier().YesNo("もう一度？"));
        EXPECT_EQ(CurrentClock().Now(), c.now);
    }
    EXPECT_EQ(n.questions.size(), 2u);
    EXPECT_NE(&CurrentNotifier(), &n);
}
