// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "QtClock.h"

#include <QTimer>

namespace zirvel::server {

namespace {

class QtAlarm : public Alarm {
public:
    explicit QtAlarm(std::function<void()> wake) {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, std::move(wake));
    }

    void arm(std::optional<double> milliseconds) override {
        if (!milliseconds) {
            timer_.stop();
            return;
        }
        // The Qt timer counts whole milliseconds; rounding to the nearest keeps the wake within
        // half a millisecond of the due moment, either side.
        timer_.start(static_cast<int>(*milliseconds + 0.5));
    }

private:
    QTimer timer_;
};

} // namespace

double QtClock::milliseconds() const {
    return static_cast<double>(started_.nsecsElapsed()) / 1e6;
}

std::unique_ptr<Alarm> QtClock::alarm(std::function<void()> wake) {
    return std::make_unique<QtAlarm>(std::move(wake));
}

} // namespace zirvel::server
