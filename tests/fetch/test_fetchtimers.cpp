// The fetch timers over the fetch operations, on a real event loop.

#include "fetch/forms/fetchtimers.h"
#include "tests/fetch/fetchfixture.h"
#include "tests/support/waits.h"

#include <QTest>
#include <QTimer>

using namespace testsupport;

using FetchTimers = FetchFixture;

TEST_F(FetchTimers, StartStateAndTheTimeToThePost) {
    LoadRaces(1, "1300");
    fetch::FetchTimers timers(fetchHost);
    EXPECT_TRUE(timers.Timer2->isActive());
    EXPECT_TRUE(timers.Timer3->isActive());
    EXPECT_FALSE(timers.Timer1->isActive());
    EXPECT_EQ(timers.Timer1->interval(), 40000);
    clock.now = keiba::MakeLocalTime(2026, 12, 6, 12, 59, 0);
    timers.Timer3->setInterval(1);
    const std::string expected = "発走までの残り時間：00:01:00";
    (void)QTest::qWaitFor([&] { return fetchHost.restTime == expected; }, kHangGuardMs);
    EXPECT_EQ(fetchHost.restTime, expected);
}
