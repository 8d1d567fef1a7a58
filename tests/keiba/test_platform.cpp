#include "keiba/platform.h"

#include "tests/support/fakes.h"

#include <gtest/gtest.h>

using namespace keiba;

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
