#include "platform/Dialogs.h"
#include "widgets/TVrTimer.h"
#include "widgets/TickPlan.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QtTest/QTest>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <thread>

using calvoran::TTimerType;
using calvoran::TVrTimer;

namespace {

// Lets the event loop run until pred holds or ms pass.
template <typename Pred> bool waitFor(Pred pred, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!pred()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void spin(int ms) {
    waitFor([] { return false; }, ms);
}

class TimerKinds : public ::testing::TestWithParam<TTimerType> {};

} // namespace

TEST_P(TimerKinds, TicksRunOnTheUiThread) {
    TVrTimer timer;
    timer.setTimerType(GetParam());
    timer.setInterval(15);
    int ticks = 0;
    bool offThread = false;
    timer.setOnTimer([&] {
        ++ticks;
        offThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
    });
    ASSERT_TRUE(waitFor([&] { return ticks >= 3; }, 3000));
    EXPECT_FALSE(offThread);
}

TEST_P(TimerKinds, IntervalZeroNeverTicksUntilAnIntervalIsSet) {
    TVrTimer timer;
    timer.setTimerType(GetParam());
    timer.setInterval(0);
    int ticks = 0;
    timer.setOnTimer([&] { ++ticks; });
    spin(200);
    EXPECT_EQ(ticks, 0);
    timer.setInterval(10);
    EXPECT_TRUE(waitFor([&] { return ticks >= 2; }, 3000));
}

TEST_P(TimerKinds, ShorterIntervalWhileEnabledRearmsAtOnce) {
    TVrTimer timer;
    timer.setTimerType(GetParam());
    timer.setInterval(60000);
    int ticks = 0;
    timer.setOnTimer([&] { ++ticks; });
    spin(30);
    timer.setInterval(10);
    // Without re-arming, the first tick would wait for the old minute-long interval.
    EXPECT_TRUE(waitFor([&] { return ticks >= 1; }, 3000));
}

TEST_P(TimerKinds, DisablingMutesTicksAndEnablingResumesThem) {
    TVrTimer timer;
    timer.setTimerType(GetParam());
    timer.setInterval(10);
    int ticks = 0;
    timer.setOnTimer([&] { ++ticks; });
    ASSERT_TRUE(waitFor([&] { return ticks >= 1; }, 3000));
    for (int round = 0; round < 3; ++round) {
        timer.setEnabled(false);
        spin(20); // let a tick already handed over run out
        const int muted = ticks;
        spin(100);
        EXPECT_EQ(ticks, muted);
        timer.setEnabled(true);
        EXPECT_TRUE(waitFor([&] { return ticks > muted; }, 3000));
    }
    // Ticks that run on the UI thread anyway are timed there: no thread wakes up to hand them over.
    EXPECT_EQ(timer.threadsStarted(), 0);
}

TEST_P(TimerKinds, AThrowingHandlerIsReportedOncePerTickAndKeepsTicking) {
    std::vector<calvoran::RecordedMessage> shown;
    calvoran::setMessageRecorder([&](const calvoran::RecordedMessage &m) { shown.push_back(m); });
    {
        TVrTimer timer;
        timer.setTimerType(GetParam());
        timer.setInterval(10);
        int ticks = 0;
        timer.setOnTimer([&] {
            ++ticks;
            throw std::runtime_error("disk on fire");
        });
        ASSERT_TRUE(waitFor([&] { return ticks >= 4; }, 3000));
        timer.setEnabled(false);
        spin(20);
        EXPECT_EQ(static_cast<int>(shown.size()), ticks);
    }
    calvoran::setMessageRecorder(nullptr);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front().text, "disk on fire");
    EXPECT_EQ(shown.front().icon, calvoran::MsgIcon::Error);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, TimerKinds,
                         ::testing::Values(TTimerType::ttThread, TTimerType::ttSystem));

TEST(ThreadTimer, PeriodIsIntervalPlusTickTime) {
    TVrTimer timer;
    timer.setInterval(20);
    int ticks = 0;
    QElapsedTimer clock;
    timer.setOnTimer([&] {
        if (ticks++ == 0) clock.start();
        QThread::msleep(30);
    });
    ASSERT_TRUE(waitFor([&] { return ticks >= 6; }, 5000));
    // Five periods of at least 20 + 30 ms; a timer that ignored the tick time would need 150 ms.
    EXPECT_GE(clock.elapsed(), 5 * 50 - 10);
}

TEST(ThreadTimer, DestructionWhileATickIsPendingDoesNotHang) {
    std::atomic<int> ticks{0};
    for (int i = 0; i < 20; ++i) {
        auto timer = std::make_unique<TVrTimer>();
        timer->setInterval(1);
        timer->setOnTimer([&] { ++ticks; });
        // Without running the event loop, the worker hands a tick over and waits for it.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        QElapsedTimer clock;
        clock.start();
        timer.reset();
        EXPECT_LT(clock.elapsed(), 1000);
        // The tick left in the queue must find no timer.
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(ticks.load(), 0);
}

TEST(ThreadTimer, DestructionFromInsideTheLoopWhileTicking) {
    auto timer = std::make_unique<TVrTimer>();
    timer->setInterval(1);
    int ticks = 0;
    timer->setOnTimer([&] {
        ++ticks;
        QThread::msleep(2);
    });
    ASSERT_TRUE(waitFor([&] { return ticks >= 5; }, 3000));
    timer.reset();
    spin(20);
    const int after = ticks;
    spin(50);
    EXPECT_EQ(ticks, after);
}

TEST(ThreadTimer, WithoutSyncEventTicksRunOnTheWorker) {
    TVrTimer timer;
    timer.setSyncEvent(false);
    timer.setInterval(5);
    std::atomic<int> ticks{0};
    std::atomic<bool> onUi{false};
    QThread *ui = QCoreApplication::instance()->thread();
    timer.setOnTimer([&] {
        onUi = onUi || QThread::currentThread() == ui;
        ++ticks;
    });
    // No event loop runs: ticks still arrive.
    for (int i = 0; i < 300 && ticks < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(ticks.load(), 3);
    // Disabling mutes the worker; enabling again wakes the same one.
    timer.setEnabled(false);
    timer.setEnabled(true);
    const int before = ticks.load();
    for (int i = 0; i < 300 && ticks < before + 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(ticks.load(), before + 3);
    timer.setOnTimer(nullptr);
    EXPECT_FALSE(onUi.load());
    EXPECT_EQ(timer.threadsStarted(), 1);
}

namespace {

// Runs a blocking event loop, as the player's is, until pred holds (checked every 5 ms) or ms pass.
template <typename Pred> bool loopUntil(Pred pred, int ms) {
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (pred() || clock.elapsed() > ms) loop.quit();
    });
    check.start(5);
    loop.exec();
    return pred();
}

} // namespace

TEST_P(TimerKinds, SkippedTicksComeBackWhenTheirOwnerSaysSomethingChanged) {
    TVrTimer timer;
    timer.setTimerType(GetParam());
    timer.setInterval(10);
    bool holds = true;
    int ticks = 0;
    timer.setOnTimer([&] {
        if (++ticks == 1) timer.skipTicks(100000, [&] { return holds; });
    });
    ASSERT_TRUE(loopUntil([&] { return ticks >= 1; }, 3000));
    loopUntil([] { return false; }, 200);
    EXPECT_EQ(ticks, 1);
    // The checks above wake the thread; the first after the change brings the ticks back.
    holds = false;
    EXPECT_TRUE(loopUntil([&] { return ticks >= 3; }, 3000));

    // A timer disabled and enabled again ticks, whatever it skipped before.
    holds = true;
    ticks = 0;
    ASSERT_TRUE(loopUntil([&] { return ticks >= 1; }, 3000));
    loopUntil([] { return false; }, 50);
    ASSERT_EQ(ticks, 1);
    timer.setEnabled(false);
    timer.setEnabled(true);
    EXPECT_TRUE(loopUntil([&] { return ticks >= 2; }, 3000));
}

// A tick that runs an event loop of its own (a message box, say) does not hold the other timers up, and
// the ticks of both go on at their intervals afterwards.
TEST(WindowTimers, TickThatRunsANestedLoopDoesNotHoldTheOthersUp) {
    TVrTimer fast;
    TVrTimer slow;
    fast.setTimerType(TTimerType::ttSystem);
    slow.setTimerType(TTimerType::ttSystem);
    fast.setInterval(10);
    slow.setInterval(20);
    int fastTicks = 0;
    int slowTicks = 0;
    int fastDuringNested = -1;
    fast.setOnTimer([&] { ++fastTicks; });
    slow.setOnTimer([&] {
        if (++slowTicks != 2) return;
        const int before = fastTicks;
        loopUntil([&] { return fastTicks >= before + 5; }, 3000);
        fastDuringNested = fastTicks - before;
    });
    ASSERT_TRUE(loopUntil([&] { return fastDuringNested >= 0; }, 5000));
    EXPECT_GE(fastDuringNested, 5);
    const int fastAfter = fastTicks;
    const int slowAfter = slowTicks;
    EXPECT_TRUE(loopUntil([&] { return fastTicks >= fastAfter + 5 && slowTicks >= slowAfter + 3; }, 5000));
}

namespace {
constexpr calvoran::TickPlan::Ns kMs = 1000000;
} // namespace

TEST(TickPlan, TimersRunningTogetherShareTheFastestTimersWakeUps) {
    calvoran::TickPlan plan;
    const int levels = 0, position = 0, scroll = 0; // keys
    plan.arm(&levels, 0, 30 * kMs, true);
    plan.arm(&scroll, 3 * kMs, 500 * kMs, true);
    plan.arm(&position, 7 * kMs, 90 * kMs, false); // re-armed after each of its ticks, as the thread kind is
    int wakeUps = 0, positionTicks = 0, scrollTicks = 0;
    calvoran::TickPlan::Ns lastPosition = 7 * kMs;
    while (scrollTicks < 6) {
        const auto now = *plan.nextDue();
        ++wakeUps;
        for (const void *key : plan.takeDue(now)) {
            if (key == &position) {
                ++positionTicks;
                // Never more than a quarter interval off the timer's own period.
                EXPECT_NEAR(static_cast<double>(now - lastPosition), 90.0 * kMs, 22.5 * kMs);
                lastPosition = now + kMs / 2; // the tick itself took half a millisecond
                plan.arm(&position, lastPosition, 90 * kMs, false);
            }
            if (key == &scroll) ++scrollTicks;
        }
    }
    // Every wake-up is one of the level timer's: the others ride along.
    EXPECT_EQ(wakeUps, 3000 / 30);
    EXPECT_GE(positionTicks, 3000 / 91);
    // A steady timer keeps its own rate: six ticks of 500 ms over three seconds.
    EXPECT_EQ(scrollTicks, 6);
}

TEST(TickPlan, AloneATimerTicksOnItsOwnIntervalAndSkipsWhatItMissed) {
    calvoran::TickPlan plan;
    const int a = 0, b = 0;
    plan.arm(&a, 0, 500 * kMs, true);
    plan.arm(&b, 100 * kMs, 90 * kMs, false); // slower timers do not move a faster one
    EXPECT_EQ(*plan.nextDue(), 190 * kMs);
    EXPECT_EQ(plan.takeDue(190 * kMs), std::vector<const void *>{&b});
    EXPECT_FALSE(plan.armed(&b));
    EXPECT_EQ(*plan.nextDue(), 500 * kMs);
    // A thread that was busy for two seconds gets one tick, then the timer's rhythm from now.
    EXPECT_EQ(plan.takeDue(2600 * kMs), std::vector<const void *>{&a});
    EXPECT_EQ(*plan.nextDue(), 3100 * kMs);
    plan.disarm(&a);
    EXPECT_FALSE(plan.nextDue());
}

TEST(TickPlan, SkippedTicksLeaveTheRhythmAndComeBackOnIt) {
    calvoran::TickPlan plan;
    const int levels = 0, position = 0;
    plan.arm(&levels, 0, 30 * kMs, true);
    EXPECT_EQ(plan.takeDue(30 * kMs), std::vector<const void *>{&levels});
    plan.skip(&levels, 3); // 60, 90 and 120 would change nothing
    EXPECT_EQ(*plan.nextDue(), 150 * kMs);
    // A slower timer armed meanwhile still falls on the level timer's rhythm.
    plan.arm(&position, 32 * kMs, 90 * kMs, false);
    EXPECT_EQ(*plan.nextDue(), 120 * kMs);
    EXPECT_EQ(plan.takeDue(120 * kMs), std::vector<const void *>{&position});
    EXPECT_EQ(plan.takeDue(150 * kMs), std::vector<const void *>{&levels});
    EXPECT_EQ(*plan.nextDue(), 180 * kMs);

    // Woken at 195: the next tick of the rhythm is 210, not the skipped 270.
    plan.skip(&levels, 3);
    EXPECT_EQ(*plan.nextDue(), 270 * kMs);
    plan.wake(&levels, 195 * kMs);
    EXPECT_EQ(*plan.nextDue(), 210 * kMs);
    // Waking a timer that skips nothing changes nothing.
    plan.wake(&levels, 200 * kMs);
    EXPECT_EQ(*plan.nextDue(), 210 * kMs);
}
