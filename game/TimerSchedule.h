// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Timer.h"

#include <array>
#include <cstdint>
#include <optional>

namespace zirvel {

// When each of the three timers falls due, in milliseconds of one monotonic clock, and which
// of them fires first when several fall due at the same moment. The simulated clock and the
// real window both run their timers from this, so that both order the ticks alike.
//
// A running timer fires every interval after it was enabled; enabling it again while it runs
// changes nothing, a new interval restarts it, and a timer without an interval never fires.
class TimerSchedule {
public:
    bool enabled(Timer timer) const { return slot(timer).enabled; }
    void setEnabled(Timer timer, bool enabled, std::int64_t now);
    int interval(Timer timer) const { return slot(timer).interval; }
    void setInterval(Timer timer, int milliseconds, std::int64_t now);

    // The moment a timer falls due next, if one will.
    std::optional<std::int64_t> nextDue() const;
    // The timer to fire now if one is due by `moment`, already rescheduled one interval on.
    // At the same moment the fast tick comes first, then the normal tick, then the countdown.
    // Asking again after each timer has fired lets a handler stop a timer due with it.
    std::optional<Timer> takeDue(std::int64_t moment);
    // Forgets every due moment but the last that lay more than one interval before `now`, so
    // that a clock that stalled does not replay the ticks it missed in a burst.
    void dropMissed(std::int64_t now);
    // Moves every due moment this much later.
    void postpone(std::int64_t milliseconds);

private:
    struct Slot {
        bool enabled = false;
        int interval = 0;
        std::int64_t due = 0;
    };

    const Slot& slot(Timer timer) const { return slots_[static_cast<std::size_t>(timer)]; }
    Slot& slot(Timer timer) { return slots_[static_cast<std::size_t>(timer)]; }
    static bool running(const Slot& slot) { return slot.enabled && slot.interval > 0; }

    std::array<Slot, 3> slots_{};
};

} // namespace zirvel
