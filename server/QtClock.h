// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Clock.h"

#include <QElapsedTimer>

namespace zirvel::server {

// The real clock, with alarms on Qt's precise timers in the event loop of the thread that
// creates them.
class QtClock : public Clock {
public:
    QtClock() { started_.start(); }

    double milliseconds() const override;
    std::unique_ptr<Alarm> alarm(std::function<void()> wake) override;

    // Hears, before each wake, how many milliseconds after its due moment it came.
    void observeWakes(std::function<void(double lateness)> observer) {
        observer_ = std::move(observer);
    }

private:
    QElapsedTimer started_;
    std::function<void(double)> observer_;
};

} // namespace zirvel::server
