// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TimerDriver.h"

#include <algorithm>
#include <cmath>

namespace zirvel {

std::int64_t TimerDriver::now() const {
    return firing_ ? *firing_ : static_cast<std::int64_t>(std::floor(host_.clockMilliseconds()));
}

void TimerDriver::setEnabled(Timer timer, bool enabled) {
    schedule_.setEnabled(timer, enabled, now());
    arm();
}

void TimerDriver::setInterval(Timer timer, int milliseconds) {
    schedule_.setInterval(timer, milliseconds, now());
    arm();
}

void TimerDriver::wakeUp() {
    schedule_.dropMissed(now());
    firing_ = schedule_.nextDue();
    if (firing_) {
        while (const std::optional<Timer> timer = schedule_.takeDue(*firing_)) {
            host_.timerFired(*timer);
        }
    }
    firing_.reset();
    host_.timersSettled();
    arm();
}

void TimerDriver::postpone(std::int64_t milliseconds) {
    schedule_.postpone(milliseconds);
    arm();
}

void TimerDriver::arm() {
    if (firing_) {
        return; // armed once the moment has been handled
    }
    const std::optional<std::int64_t> due = schedule_.nextDue();
    if (!due) {
        host_.armWakeUp(std::nullopt);
        return;
    }
    host_.armWakeUp(std::max(0.0, static_cast<double>(*due) - host_.clockMilliseconds()));
}

} // namespace zirvel
