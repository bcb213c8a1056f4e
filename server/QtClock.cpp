// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "QtClock.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace zirvel::server {

namespace {

// The Qt timer counts whole milliseconds; rounding to the nearest, and waking what is due
// within half of one, keeps every wake within half a millisecond of its due moment, either side.
constexpr double Early = 0.5;

} // namespace

class QtClock::QueuedAlarm : public Alarm {
public:
    QueuedAlarm(QtClock& clock, std::function<void()> wake)
        : clock_(clock)
        , wake_(std::move(wake)) {}
    ~QueuedAlarm() override { arm(std::nullopt); }

    void arm(std::optional<double> milliseconds) override {
        if (entry_) {
            clock_.dequeue(*std::exchange(entry_, std::nullopt));
        }
        if (milliseconds) {
            entry_ = clock_.enqueue(clock_.milliseconds() + *milliseconds, this);
        }
    }

    // Taken off the queue by the clock, which then wakes it.
    void taken() { entry_.reset(); }
    void wake() const { wake_(); }

private:
    QtClock& clock_;
    std::function<void()> wake_;
    std::optional<Queue::iterator> entry_;
};

QtClock::QtClock() {
    started_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { wakeDue(); });
}

double QtClock::milliseconds() const {
    return static_cast<double>(started_.nsecsElapsed()) / 1e6;
}

std::unique_ptr<Alarm> QtClock::alarm(std::function<void()> wake) {
    return std::make_unique<QueuedAlarm>(*this, std::move(wake));
}

QtClock::Queue::iterator QtClock::enqueue(double at, QueuedAlarm* alarm) {
    const auto entry = queue_.emplace(Due{at, armings_++}, alarm).first;
    if (entry == queue_.begin()) {
        armTimer();
    }
    return entry;
}

void QtClock::dequeue(Queue::iterator entry) {
    const bool first = entry == queue_.begin();
    queue_.erase(entry);
    if (first) {
        armTimer();
    }
}

// A wake may arm, cancel or destroy any alarm, so the queue is read afresh after each. What is
// armed meanwhile waits for the next pass, even if already due: an alarm that re-arms itself
// at once must not keep the event loop from the sockets.
void QtClock::wakeDue() {
    waking_ = true;
    const std::uint64_t before = armings_;
    const double until = milliseconds() + Early;
    for (;;) {
        const auto due = std::find_if(queue_.begin(), queue_.end(), [&](const auto& entry) {
            return entry.first.at > until || entry.first.order < before;
        });
        if (due == queue_.end() || due->first.at > until) {
            break;
        }
        QueuedAlarm* alarm = due->second;
        lateness_.record(milliseconds() - due->first.at);
        queue_.erase(due);
        alarm->taken();
        alarm->wake();
    }
    waking_ = false;
    armTimer();
}

void QtClock::armTimer() {
    if (waking_) {
        return;
    }
    if (queue_.empty()) {
        timer_.stop();
        return;
    }
    // A moment already past wakes at once: Qt refuses a negative interval and would never wake.
    const double wait = queue_.begin()->first.at - milliseconds();
    timer_.start(std::max(0, static_cast<int>(std::lround(wait))));
}

} // namespace zirvel::server
