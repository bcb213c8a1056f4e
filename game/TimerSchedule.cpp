// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TimerSchedule.h"

namespace zirvel {

namespace {

// The fast tick's scan runs before the normal moves due with it, so a normal move stays on
// screen for a whole fast interval before a scan can end the round.
constexpr std::array<Timer, 3> TieOrder{Timer::Timer2, Timer::Timer1, Timer::Timer3};

} // namespace

void TimerSchedule::setEnabled(Timer timer, bool enabled, std::int64_t now) {
    Slot& s = slot(timer);
    if (enabled && !s.enabled) {
        s.due = now + s.interval;
    }
    s.enabled = enabled;
}

void TimerSchedule::setInterval(Timer timer, int milliseconds, std::int64_t now) {
    Slot& s = slot(timer);
    if (s.interval == milliseconds) {
        return;
    }
    s.interval = milliseconds;
    s.due = now + milliseconds;
}

std::optional<std::int64_t> TimerSchedule::nextDue() const {
    std::optional<std::int64_t> next;
    for (const Slot& s : slots_) {
        if (running(s) && (!next || s.due < *next)) {
            next = s.due;
        }
    }
    return next;
}

std::optional<Timer> TimerSchedule::takeDue(std::int64_t moment) {
    std::optional<Timer> first;
    for (Timer timer : TieOrder) {
        const Slot& s = slot(timer);
        if (running(s) && s.due <= moment && (!first || s.due < slot(*first).due)) {
            first = timer;
        }
    }
    if (first) {
        slot(*first).due += slot(*first).interval;
    }
    return first;
}

void TimerSchedule::dropMissed(std::int64_t now) {
    for (Slot& s : slots_) {
        if (running(s) && s.due + s.interval <= now) {
            s.due += (now - s.due) / s.interval * s.interval;
        }
    }
}

void TimerSchedule::postpone(std::int64_t milliseconds) {
    for (Slot& s : slots_) {
        s.due += milliseconds;
    }
}

} // namespace zirvel
