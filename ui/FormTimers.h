// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "TimerDriver.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <optional>

// The main window's three timers: the shared timer driver on a Qt clock, woken by one precise
// Qt timer.
class FormTimers : public QObject, private zirvel::TimerHost {
    Q_OBJECT

public:
    explicit FormTimers(QObject* parent = nullptr);

    bool enabled(zirvel::Timer timer) const { return driver_.enabled(timer); }
    void setEnabled(zirvel::Timer timer, bool enabled) { driver_.setEnabled(timer, enabled); }
    int interval(zirvel::Timer timer) const { return driver_.interval(timer); }
    void setInterval(zirvel::Timer timer, int milliseconds) {
        driver_.setInterval(timer, milliseconds);
    }

    // Milliseconds on the timers' clock; while timers fire, the moment they were due.
    std::int64_t now() const { return driver_.now(); }
    // When the next timer falls due, on the same clock.
    std::optional<std::int64_t> nextDue() const { return driver_.nextDue(); }
    const QElapsedTimer& clock() const { return clock_; }
    // While the timers stand still none fires; afterwards every due moment is as much later as
    // the stand lasted, so the game goes on where it stood.
    void setStandingStill(bool still);
    const QTimer& wakeUp() const { return wakeUp_; }

signals:
    // One timer has fallen due.
    void timeout(zirvel::Timer timer);
    // Every timer due at one moment has fired: what they changed can be shown now.
    void settled();

private:
    double clockMilliseconds() const override;
    void armWakeUp(std::optional<double> milliseconds) override;
    void timerFired(zirvel::Timer timer) override { emit timeout(timer); }
    void timersSettled() override { emit settled(); }

    QElapsedTimer clock_;
    QTimer wakeUp_;
    std::optional<double> stillSince_;
    zirvel::TimerDriver driver_{*this};
};
