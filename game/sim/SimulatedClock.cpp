// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SimulatedClock.h"

namespace zirvel::sim {

void SimulatedClock::advance(std::int64_t milliseconds, const Fire& fire, const Settled& settled) {
    const std::int64_t until = now_ + milliseconds;
    for (auto due = schedule_.nextDue(); due && *due <= until; due = schedule_.nextDue()) {
        now_ = *due;
        while (const std::optional<Timer> timer = schedule_.takeDue(now_)) {
            fire(*timer);
        }
        if (settled) {
            settled();
        }
    }
    now_ = until;
}

} // namespace zirvel::sim
