// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TimerSchedule.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <optional>

// The main window's three timers. One precise Qt timer is armed for the moment the schedule
// says the next of them falls due; the due moments come from the schedule, never from when
// the Qt timer happened to wake, so the ticks do not drift.
class FormTimers : public QObject {
    Q_OBJECT

public:
    explicit FormTimers(QObject* parent = nullptr);

    bool enabled(zirvel::Timer timer) const { return schedule_.enabled(timer); }
    void setEnabled(zirvel::Timer timer, bool enabled);
    int interval(zirvel::Timer timer) const { return schedule_.interval(timer); }
    void setInterval(zirvel::Timer timer, int milliseconds);

    // Milliseconds on the timers' clock; while timers fire, the moment they were due.
    std::int64_t now() const;
    // When the next timer falls due, on the same clock.
    std::optional<std::int64_t> nextDue() const { return schedule_.nextDue(); }
    const QElapsedTimer& clock() const { return clock_; }
    const QTimer& wakeUp() const { return wakeUp_; }

signals:
    // One timer has fallen due.
    void timeout(zirvel::Timer timer);
    // Every timer due at one moment has fired: what they changed can be shown now.
    void settled();

private:
    void fireDue();
    void arm();

    zirvel::TimerSchedule schedule_;
    QElapsedTimer clock_;
    QTimer wakeUp_;
    std::optional<std::int64_t> firing_; // the moment whose timers are firing
};
