// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FormTimers.h"

#include <algorithm>

using zirvel::Timer;

FormTimers::FormTimers(QObject* parent)
    : QObject(parent) {
    clock_.start();
    wakeUp_.setObjectName(QStringLiteral("FormTimers"));
    wakeUp_.setSingleShot(true);
    wakeUp_.setTimerType(Qt::PreciseTimer);
    connect(&wakeUp_, &QTimer::timeout, this, &FormTimers::fireDue);
}

std::int64_t FormTimers::now() const {
    return firing_ ? *firing_ : clock_.elapsed();
}

void FormTimers::setEnabled(Timer timer, bool enabled) {
    schedule_.setEnabled(timer, enabled, now());
    arm();
}

void FormTimers::setInterval(Timer timer, int milliseconds) {
    schedule_.setInterval(timer, milliseconds, now());
    arm();
}

// Fires the timers of one due moment only, then lets what they changed reach the screen
// before the next moment's timers can change it again.
void FormTimers::fireDue() {
    schedule_.dropMissed(clock_.elapsed());
    firing_ = schedule_.nextDue();
    if (firing_) {
        while (const std::optional<Timer> timer = schedule_.takeDue(*firing_)) {
            emit timeout(*timer);
        }
    }
    firing_.reset();
    emit settled();
    arm();
}

void FormTimers::arm() {
    if (firing_) {
        return; // armed once the moment has been handled
    }
    const std::optional<std::int64_t> due = schedule_.nextDue();
    if (!due) {
        wakeUp_.stop();
        return;
    }
    // The Qt timer counts whole milliseconds from now; rounding to the nearest keeps the wake
    // within half a millisecond of the due moment, either side.
    const double remaining =
        static_cast<double>(*due) - static_cast<double>(clock_.nsecsElapsed()) / 1e6;
    wakeUp_.start(std::max(0, static_cast<int>(remaining + 0.5)));
}
