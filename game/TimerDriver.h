// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TimerSchedule.h"

#include <cstdint>
#include <optional>

namespace zirvel {

// What a front end gives the timers: a monotonic clock, one wake-up it can arm, and where the
// timers' events go.
class TimerHost {
public:
    virtual ~TimerHost() = default;
    // Milliseconds since some fixed moment, with their fraction.
    virtual double clockMilliseconds() const = 0;
    // Wakes the driver once, this many milliseconds from now; empty: not at all.
    virtual void armWakeUp(std::optional<double> milliseconds) = 0;
    // One timer has fallen due.
    virtual void timerFired(Timer timer) = 0;
    // Every timer due at one moment has fired: what they changed can be shown now.
    virtual void timersSettled() = 0;
};

// The main window's three timers on a real clock. One wake-up is armed for the moment the
// schedule says the next of them falls due; the due moments come from the schedule, never from
// when the wake-up happened to come, so the ticks do not drift. Each wake-up fires the timers of
// one moment only and lets what they changed reach the screen before the next moment's timers
// can change it again.
class TimerDriver {
public:
    explicit TimerDriver(TimerHost& host)
        : host_(host) {}

    bool enabled(Timer timer) const { return schedule_.enabled(timer); }
    void setEnabled(Timer timer, bool enabled);
    int interval(Timer timer) const { return schedule_.interval(timer); }
    void setInterval(Timer timer, int milliseconds);

    // Milliseconds on the host's clock; while timers fire, the moment they were due.
    std::int64_t now() const;
    // When the next timer falls due, on the same clock.
    std::optional<std::int64_t> nextDue() const { return schedule_.nextDue(); }

    // The armed wake-up has come.
    void wakeUp();
    // Every due moment moves this much later, as if the clock had stood still meanwhile.
    void postpone(std::int64_t milliseconds);

private:
    void arm();

    TimerHost& host_;
    TimerSchedule schedule_;
    std::optional<std::int64_t> firing_; // the moment whose timers are firing
};

} // namespace zirvel
