// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FormTimers.h"

#include <cmath>

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

void FormTimers::setStandingStill(bool still) {
    if (still == stillSince_.has_value()) {
        return;
    }
    if (still) {
        stillSince_ = clockMilliseconds();
        wakeUp_.stop();
        return;
    }
    const double stood = clockMilliseconds() - *stillSince_;
    stillSince_.reset();
    driver_.postpone(static_cast<std::int64_t>(std::ceil(stood)));
}

void FormTimers::armWakeUp(std::optional<double> milliseconds) {
    if (!milliseconds || stillSince_) {
        wakeUp_.stop();
        return;
    }
    // The Qt timer counts whole milliseconds; rounding to the nearest keeps the wake within
    // half a millisecond of the due moment, either side.
    wakeUp_.start(static_cast<int>(*milliseconds + 0.5));
}
