// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FormTimers.h"

FormTimers::FormTimers(QObject* parent)
    : QObject(parent) {
    clock_.start();
    wakeUp_.setObjectName(QStringLiteral("FormTimers"));
    wakeUp_.setSingleShot(true);
    wakeUp_.setTimerType(Qt::PreciseTimer);
    connect(&wakeUp_, &QTimer::timeout, this, [this] { driver_.wakeUp(); });
}

double FormTimers::clockMilliseconds() const {
    return static_cast<double>(clock_.nsecsElapsed()) / 1e6;
}

void FormTimers::armWakeUp(std::optional<double> milliseconds) {
    if (!milliseconds) {
        wakeUp_.stop();
        return;
    }
    // The Qt timer counts whole milliseconds; rounding to the nearest keeps the wake within
    // half a millisecond of the due moment, either side.
    wakeUp_.start(static_cast<int>(*milliseconds + 0.5));
}
