// The program context: the layers it was given and the settings file of its program folder.

#include "keiba/context.h"

#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

using namespace keiba;

TEST(ProgramContext, HandsOutItsOwnLayersAndSettings) {
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

// A program started under another name keeps its settings under that name, and they are read
// when the context is made.
TEST(ProgramContext, SettingsAreNamedAfterTheProgramAndReadAtOnce) {
    testsupport::TempDir dir;
    testsupport::WriteBytes(dir / "kestrane2.ini", "[Option]\r\nAutoOzGet=7\r\n");
    testsupport::RecordingNotifier n;
    testsupport::TestClock c;
    testsupport::RecordingShell s;
    ProgramContext context(dir.path(), n, c, s, "kestrane2");
    EXPECT_EQ(context.settings.FullPath(), dir / "kestrane2.ini");
    EXPECT_EQ(context.settings.ReadInteger("Option", "AutoOzGet", 0), 7);
}
