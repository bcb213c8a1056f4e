// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Clock.h"
#include "Lateness.h"

#include <QElapsedTimer>
#include <QTimer>
#include <cstdint>
#include <map>

namespace zirvel::server {

// The real clock, with alarms in the event loop of the thread that creates it. It keeps how
// late its alarms wake, for the server's figures. Its alarms must not outlive it.
//
// All alarms share one Qt timer for the earliest of them: Qt keeps its timers in a list sorted
// by insertion, which a thousand rooms re-arming every tick made the server's main cost.
class QtClock : public Clock {
public:
    QtClock();

    double milliseconds() const override;
    std::unique_ptr<Alarm> alarm(std::function<void()> wake) override;

    Lateness& lateness() { return lateness_; }

private:
    class QueuedAlarm;
    struct Due {
        double at;
        std::uint64_t order; // alarms due at the same moment wake in the order they were armed
        auto operator<=>(const Due&) const = default;
    };
    using Queue = std::map<Due, QueuedAlarm*>;

    Queue::iterator enqueue(double at, QueuedAlarm* alarm);
    void dequeue(Queue::iterator entry);
    void wakeDue();
    void armTimer();

    QElapsedTimer started_;
    Lateness lateness_;
    Queue queue_;
    std::uint64_t armings_ = 0;
    bool waking_ = false; // the timer is set once the pass ends
    QTimer timer_;
};

} // namespace zirvel::server
