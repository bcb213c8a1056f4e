// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "QtClock.h"

#include <QTimer>
#include <algorithm>
#include <cmath>

namespace zirvel::server {

namespace {

class QtAlarm : public Alarm {
public:
    QtAlarm(QtClock& clock, std::function<void()> wake)
        : clock_(clock) {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this, wake = std::move(wake)] {
            clock_.lateness().record(clock_.milliseconds() - due_);
            wake();
        });
    }

    void arm(std::optional<double> milliseconds) override {
        if (!milliseconds) {
            timer_.stop();
            return;
        }
        due_ = clock_.milliseconds() + *milliseconds;
        // The Qt timer counts whole milliseconds; rounding to the nearest keeps the wake within
        // half a millisecond of the due moment, either side. A moment already past wakes at
        // once: Qt refuses a negative interval and would never wake at all.
        timer_.start(std::max(0, static_cast<int>(std::lround(*milliseconds))));
    }

private:
    QtClock& clock_;
    QTimer timer_;
    double due_ = 0.0;
};

} // namespace

double QtClock::milliseconds() const {
    return static_cast<double>(started_.nsecsElapsed()) / 1e6;
}

std::unique_ptr<Alarm> QtClock::alarm(std::function<void()> wake) {
    return std::make_unique<QtAlarm>(*this, std::move(wake));
}

} // namespace zirvel::server
