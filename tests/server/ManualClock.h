// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Clock.h"

#include <memory>
#include <set>

namespace zirvel::server::testing {

// Simulated milliseconds: time moves only when a test says, and every alarm due on the way
// wakes at exactly its moment, earliest first.
class ManualClock : public Clock {
public:
    double milliseconds() const override { return now_; }

    std::unique_ptr<Alarm> alarm(std::function<void()> wake) override {
        return std::make_unique<ManualAlarm>(*this, std::move(wake));
    }

    void advance(double milliseconds) {
        const double until = now_ + milliseconds;
        for (;;) {
            ManualAlarm* next = nullptr;
            for (ManualAlarm* alarm : alarms_) {
                if (alarm->due && *alarm->due <= until && (!next || *alarm->due < *next->due)) {
                    next = alarm;
                }
            }
            if (!next) {
                break;
            }
            now_ = std::max(now_, *next->due);
            next->due.reset();
            next->wake();
        }
        now_ = until;
    }

private:
    struct ManualAlarm : Alarm {
        ManualAlarm(ManualClock& owner, std::function<void()> onWake)
            : clock(owner)
            , wake(std::move(onWake)) {
            clock.alarms_.insert(this);
        }
        ~ManualAlarm() override { clock.alarms_.erase(this); }
        void arm(std::optional<double> milliseconds) override {
            due = milliseconds ? std::optional<double>(clock.now_ + *milliseconds) : std::nullopt;
        }
        ManualClock& clock;
        std::function<void()> wake;
        std::optional<double> due;
    };

    double now_ = 0;
    std::set<ManualAlarm*> alarms_;
};

} // namespace zirvel::server::testing
