// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "sim/SimulatedClock.h"

#include "TimerSchedule.h"

#include <gtest/gtest.h>
#include <vector>

using namespace zirvel;
using zirvel::sim::SimulatedClock;

namespace {

struct Recorder {
    std::vector<std::pair<std::int64_t, Timer>> fired;
    SimulatedClock* clock;
    void operator()(Timer timer) { fired.emplace_back(clock->now(), timer); }
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
