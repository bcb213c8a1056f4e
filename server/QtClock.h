// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Clock.h"
#include "Lateness.h"

#include <QElapsedTimer>

namespace zirvel::server {

// The real clock, with alarms on Qt's precise timers in the event loop of the thread that
// creates them. It keeps how late its alarms wake, for the server's figures.
class QtClock : public Clock {
public:
    QtClock() { started_.start(); }

    double milliseconds() const override;
    std::unique_ptr<Alarm> alarm(std::function<void()> wake) override;

    Lateness& lateness() { return lateness_; }

private:
    QElapsedTimer started_;
    Lateness lateness_;
};

} // namespace zirvel::server
