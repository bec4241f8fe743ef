// The idle timers of the database layer on the application's timers: they run, and what a
// tick raises reaches the error box; a tick may free its own timer.
#include "IBX/connection/IBDatabase.h"
#include "IBX/connection/IBTimer.h"

#include "RecordingBoxes.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace ortavo;
using namespace ortavo::testing;

namespace {

// Lets the event loop run until a timer of the tested timers' interval has ticked a few
// times: long enough for a stopped timer to show it would still tick.
void WaitSomeTicks() {
    QTimer witness;
    int ticks = 0;
    QObject::connect(&witness, &QTimer::timeout, [&] { ++ticks; });
    witness.start(5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return ticks >= 3; }, 5000));
}

} // namespace

TEST(TimerService, TheApplicationLendsTimersThatTick) {
    ASSERT_NE(TimerService(), nullptr);
    TIBTimer timer;
    int ticks = 0;
    timer.SetInterval(5);
    timer.SetOnTimer([&](TIBTimer&) { ++ticks; });
    EXPECT_TRUE(timer.Armed());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks >= 2; }, 5000));
    timer.SetEnabled(false);
    const int stopped = ticks;
    WaitSomeTicks();
    EXPECT_EQ(ticks, stopped);

    // A connection's idle timer can be set at all.
    TIBDatabase base;
    EXPECT_NO_THROW(base.SetIdleTimer(60000));
    EXPECT_EQ(base.IdleTimer(), 60000);
}

TEST(TimerService, WhatATickRaisesIsShownByTheErrorBoxAndAbortIsSilent) {
    ScopedBoxes boxes;
    TIBTimer timer;
    int ticks = 0;
    timer.SetInterval(5);
    timer.SetOnTimer([&](TIBTimer& self) {
        if (++ticks == 1)
            throw EAbort(u"Operation aborted");
        self.SetEnabled(false);
        throw EConvertError(u"Invalid date");
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.Shown.empty(); }, 5000));
    WaitSomeTicks();
    EXPECT_EQ(ticks, 2);
    ASSERT_EQ(boxes.Shown.size(), 1u);
    EXPECT_EQ(boxes.Shown[0].What, BoxShown::Message);
    EXPECT_EQ(boxes.Shown[0].Text, u"Invalid date.");
    EXPECT_EQ(boxes.Shown[0].Caption, Application->Title());
}

TEST(TimerService, ATickMayFreeItsOwnTimer) {
    auto timer = std::make_unique<TIBTimer>();
    int ticks = 0;
    timer->SetInterval(5);
    timer->SetOnTimer([&](TIBTimer&) {
        ++ticks;
        timer.reset();
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !timer; }, 5000));
    WaitSomeTicks();
    EXPECT_EQ(ticks, 1);
}
