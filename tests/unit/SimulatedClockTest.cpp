// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/SimulatedClock.h"

#include "TimerDriver.h"
#include "TimerSchedule.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace zirvel;
using zirvel::sim::SimulatedClock;

namespace {

struct Recorder {
    std::vector<std::pair<std::int64_t, Timer>> fired;
    SimulatedClock* clock;
    void operator()(Timer timer) { fired.emplace_back(clock->now(), timer); }
};

// A front end whose clock the test sets. It keeps the one wake-up the driver armed and notes
// what fired at which moment.
struct FakeHost : TimerHost {
    double clock = 0;
    std::optional<double> wakeAt; // when the armed wake-up comes
    std::vector<std::pair<std::int64_t, Timer>> fired;
    TimerDriver driver{*this};

    double clockMilliseconds() const override { return clock; }
    void armWakeUp(std::optional<double> milliseconds) override {
        wakeAt = milliseconds ? std::optional<double>(clock + *milliseconds) : std::nullopt;
    }
    void timerFired(Timer timer) override { fired.emplace_back(driver.now(), timer); }
    void timersSettled() override {}

    // The armed wake-up comes at `at`, which may be later than asked for.
    void wakeUpAt(double at) {
        clock = at;
        wakeAt.reset();
        driver.wakeUp();
    }
    // Every wake-up due by `until` comes on time.
    void runUntil(double until) {
        while (wakeAt && *wakeAt <= until) {
            wakeUpAt(*wakeAt);
        }
        clock = until;
    }
};

} // namespace

TEST(SimulatedClock, FiresOnScheduleFastTickFirstAndReenablingChangesNothing) {
    SimulatedClock clock;
    Recorder recorder{{}, &clock};
    clock.setInterval(Timer::Timer1, 200);
    clock.setInterval(Timer::Timer2, 50);
    clock.setInterval(Timer::Timer3, 100);
    // Enabled in another order than the one they fire in when due together.
    clock.setEnabled(Timer::Timer3, true);
    clock.setEnabled(Timer::Timer1, true);
    clock.advance(30, std::ref(recorder));
    clock.setEnabled(Timer::Timer1, true); // already running: keeps its schedule
    clock.setInterval(Timer::Timer1, 200);
    clock.setEnabled(Timer::Timer2, true);
    clock.advance(20, std::ref(recorder));
    clock.setEnabled(Timer::Timer2, false);
    clock.setEnabled(Timer::Timer2, true); // stopped and started again: restarts now
    clock.advance(350, std::ref(recorder));

    const std::vector<std::pair<std::int64_t, Timer>> expected{
        {100, Timer::Timer2}, {100, Timer::Timer3}, {150, Timer::Timer2}, {200, Timer::Timer2},
        {200, Timer::Timer1}, {200, Timer::Timer3}, {250, Timer::Timer2}, {300, Timer::Timer2},
        {300, Timer::Timer3}, {350, Timer::Timer2}, {400, Timer::Timer2}, {400, Timer::Timer1},
        {400, Timer::Timer3},
    };
    EXPECT_EQ(recorder.fired, expected);
    EXPECT_EQ(clock.now(), 400);
}

TEST(SimulatedClock, NewIntervalRestartsAndNoIntervalNeverFires) {
    SimulatedClock clock;
    Recorder recorder{{}, &clock};
    clock.setEnabled(Timer::Timer3, true);
    clock.advance(1000, std::ref(recorder));
    EXPECT_TRUE(recorder.fired.empty());

    clock.setInterval(Timer::Timer3, 700); // starts counting now
    clock.advance(500, std::ref(recorder));
    clock.setInterval(Timer::Timer3, 100); // restarts at 1500
    clock.advance(150, std::ref(recorder));
    clock.setEnabled(Timer::Timer3, false);
    clock.advance(1000, std::ref(recorder));
    const std::vector<std::pair<std::int64_t, Timer>> expected{{1600, Timer::Timer3}};
    EXPECT_EQ(recorder.fired, expected);
}

TEST(TimerSchedule, AStalledClockFiresOnceAndKeepsThePhase) {
    TimerSchedule schedule;
    schedule.setInterval(Timer::Timer2, 20, 0);
    schedule.setInterval(Timer::Timer1, 50, 0);
    schedule.setEnabled(Timer::Timer2, true, 5);
    schedule.setEnabled(Timer::Timer1, true, 5);
    schedule.dropMissed(1013); // woken 988 ms after the first moment was due
    EXPECT_EQ(schedule.nextDue(), 1005);
    std::vector<Timer> fired;
    while (const auto timer = schedule.takeDue(1005)) {
        fired.push_back(*timer);
    }
    EXPECT_EQ(fired, (std::vector<Timer>{Timer::Timer2, Timer::Timer1}));
    EXPECT_EQ(schedule.nextDue(), 1025);
}

// A hidden page stands its timers still: every due moment moves on by the time it was
// hidden, so nothing fires in the meantime, nothing fires in a burst after, and ties stay ties.
TEST(TimerSchedule, PostponedMomentsKeepTheirOrderAndSpacing) {
    TimerSchedule schedule;
    schedule.setInterval(Timer::Timer2, 20, 0);
    schedule.setInterval(Timer::Timer1, 50, 0);
    schedule.setEnabled(Timer::Timer2, true, 0);
    schedule.setEnabled(Timer::Timer1, true, 0);
    while (schedule.takeDue(90)) {
    }
    schedule.postpone(3000); // hidden from 90 to 3090
    EXPECT_FALSE(schedule.takeDue(3090));
    std::vector<std::pair<std::int64_t, Timer>> fired;
    for (auto due = schedule.nextDue(); due && *due <= 3200; due = schedule.nextDue()) {
        while (const auto timer = schedule.takeDue(*due)) {
            fired.emplace_back(*due, *timer);
        }
    }
    const std::vector<std::pair<std::int64_t, Timer>> expected{
        {3100, Timer::Timer2}, {3100, Timer::Timer1}, {3120, Timer::Timer2},
        {3140, Timer::Timer2}, {3150, Timer::Timer1}, {3160, Timer::Timer2},
        {3180, Timer::Timer2}, {3200, Timer::Timer2}, {3200, Timer::Timer1},
    };
    EXPECT_EQ(fired, expected);
}

// A wake-up that comes late after the machine stalled fires the timers of one moment only, the
// last one missed, and the next wake-up keeps the ticks' phase: heads do not jump several cells.
TEST(TimerDriver, ALateWakeUpFiresOneMomentAndDropsTheRestMissed) {
    const struct {
        double wokenAt;
        std::vector<std::pair<std::int64_t, Timer>> fired;
        double nextWakeUp;
    } cases[] = {
        {25, {{25, Timer::Timer2}}, 45},                              // on time
        {44, {{25, Timer::Timer2}}, 45},                              // late, nothing missed yet
        {46, {{45, Timer::Timer2}}, 55},                              // one fast tick missed
        {1013, {{1005, Timer::Timer2}, {1005, Timer::Timer1}}, 1025}, // a long stall
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wokenAt);
        FakeHost host;
        host.clock = 5;
        host.driver.setInterval(Timer::Timer2, 20);
        host.driver.setInterval(Timer::Timer1, 50);
        host.driver.setEnabled(Timer::Timer2, true);
        host.driver.setEnabled(Timer::Timer1, true);
        ASSERT_EQ(host.wakeAt, 25);
        host.wakeUpAt(c.wokenAt);
        EXPECT_EQ(host.fired, c.fired);
        EXPECT_EQ(host.wakeAt, c.nextWakeUp);
    }
}

// A hidden page cancels the wake-up and, shown again, postpones every timer by the time it was
// hidden. The countdown moves with the ticks, so a round cannot start before its countdown has
// run, and the wake-up is armed again for the postponed moment.
TEST(TimerDriver, PostponingMovesEveryTimerAndArmsTheWakeUpAgain) {
    const struct {
        const char* name;
        std::vector<std::pair<Timer, int>> running; // enabled at 0
        double hiddenAt, shownAt;
        double wakeUpAfterShowing;
        std::vector<std::pair<std::int64_t, Timer>> firedAfterShowing; // up to 200 ms after
    } cases[] = {
        {"during a countdown", {{Timer::Timer3, 700}}, 500, 3500, 3700, {{3700, Timer::Timer3}}},
        {"during a round",
         {{Timer::Timer1, 200}, {Timer::Timer2, 50}},
         130,
         2130,
         2150,
         {{2150, Timer::Timer2},
          {2200, Timer::Timer2},
          {2200, Timer::Timer1},
          {2250, Timer::Timer2},
          {2300, Timer::Timer2}}},
        {"a countdown tick due with a normal tick",
         {{Timer::Timer3, 700}, {Timer::Timer1, 350}},
         600,
         1600,
         1700,
         {{1700, Timer::Timer1}, {1700, Timer::Timer3}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FakeHost host;
        for (const auto& [timer, interval] : c.running) {
            host.driver.setInterval(timer, interval);
            host.driver.setEnabled(timer, true);
        }
        host.runUntil(c.hiddenAt);
        host.wakeAt.reset(); // the page cancels the wake-up while hidden
        host.fired.clear();
        host.clock = c.shownAt;
        host.driver.postpone(static_cast<std::int64_t>(c.shownAt - c.hiddenAt));
        EXPECT_EQ(host.wakeAt, c.wakeUpAfterShowing);
        host.runUntil(c.shownAt + 200);
        EXPECT_EQ(host.fired, c.firedAfterShowing);
    }
}
