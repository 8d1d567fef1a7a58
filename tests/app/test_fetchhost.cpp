// The window's side of the real-time fetches, built without the window.

#include "app/forms/fetchhost.h"

#include "raceday/daymodel.h"
#include "tests/support/fakes.h"
#include "tests/support/tempdir.h"

#include <QApplication>
#include <QCursor>

#include <gtest/gtest.h>

#include <memory>

TEST(MainFetchHost, ABusyCursorTurnedOffMoreOftenThanOnLeavesOtherCursorsAlone) {
    // The day model is too large for the stack.
    auto day = std::make_unique<raceday::RaceDay>();
    keiba::OperationOwner operations;
    testsupport::RecordingNotifier notifier;
    testsupport::TestClock clock;
    testsupport::RecordingShell shell;
    testsupport::TempDir dir;
    keiba::ProgramContext context{dir.path(), notifier, clock, shell};
    std::vector<std::string> errorLog;
    app::MainFetchHost host(*day, operations, nullptr, context, errorLog, {[] {}, [] {}});

    QApplication::setOverrideCursor(Qt::CrossCursor);
    host.SetBusyCursor(true);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    host.SetBusyCursor(false);
    host.SetBusyCursor(false);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QApplication::restoreOverrideCursor();
}
