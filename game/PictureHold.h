// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cmath>
#include <optional>

namespace zirvel {

// How long a new picture of the whole board waits: until the last change shown has been on
// screen for one refresh of the display. A crash can follow the move before it by less than a
// frame; without the wait the next round's board would replace that move before any frame
// showed it. Times are milliseconds on one monotonic clock.
class PictureHold {
public:
    // A change reached the screen at `now`.
    void shown(double now) { lastShown_ = now; }
    // Until when a whole new picture asked for at `now` must wait; empty: not at all.
    std::optional<double> holdUntil(double now, double refreshInterval) const {
        if (!lastShown_ || now >= *lastShown_ + refreshInterval) {
            return std::nullopt;
        }
        return *lastShown_ + refreshInterval;
    }
    // Whole milliseconds a timer started at `now` waits for a hold ending at `until`: rounded
    // up, and none for a moment already past, since a timer cannot wait a negative time.
    static int timerInterval(double until, double now) {
        return until <= now ? 0 : static_cast<int>(std::ceil(until - now));
    }

private:
    std::optional<double> lastShown_;
};

} // namespace zirvel
