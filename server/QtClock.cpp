// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "QtClock.h"

#include <QTimer>

namespace zirvel::server {

namespace {

class QtAlarm : public Alarm {
public:
    QtAlarm(const QtClock& clock, const std::function<void(double)>& observer,
            std::function<void()> wake)
        : clock_(clock) {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this, &observer, wake = std::move(wake)] {
            if (observer) {
                observer(clock_.milliseconds() - due_);
            }
            wake();
        });
    }

    void arm(std::optional<double> milliseconds) override {
        if (!milliseconds) {
            timer_.stop();
            return;
        }
        // The Qt timer counts whole milliseconds; rounding to the nearest keeps the wake within
        // half a millisecond of the due moment, either side.
        timer_.start(static_cast<int>(*milliseconds + 0.5));
        due_ = clock_.milliseconds() + *milliseconds;
    }

private:
    const QtClock& clock_;
    QTimer timer_;
    double due_ = 0;
};

} // namespace

double QtClock::milliseconds() const {
    return static_cast<double>(started_.nsecsElapsed()) / 1e6;
}

std::unique_ptr<Alarm> QtClock::alarm(std::function<void()> wake) {
    return std::make_unique<QtAlarm>(*this, observer_, std::move(wake));
}

} // namespace zirvel::server
