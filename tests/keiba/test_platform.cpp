#include "keiba/context.h"
#include "keiba/platform.h"

#include "tests/support/fakes.h"

#include <gtest/gtest.h>

using namespace keiba;

TEST(Platform, ScreenlessLayersNeverBlockAndAContextHandsOutItsOwn) {
    SilentNotifier silent;
    NoShell noShell;
    EXPECT_FALSE(silent.YesNo("?"));
    EXPECT_FALSE(noShell.Open("x"));
    testsupport::RecordingNotifier n;
    testsupport::TestClock c;
    testsupport::RecordingShell s;
    const ProgramContext context("/nowhere", n, c, s);
    n.answers = {true};
    EXPECT_TRUE(context.notifier.YesNo("続けますか？"));
    EXPECT_FALSE(context.notifier.YesNo("もう一度？"));
    EXPECT_EQ(context.clock.Now(), c.now);
    EXPECT_EQ(n.questions.size(), 2u);
    EXPECT_EQ(context.settings.FullPath(), std::filesystem::path("/nowhere/kestrane.ini"));
}
