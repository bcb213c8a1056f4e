// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "../TimerSchedule.h"

#include <cstdint>
#include <functional>

namespace zirvel::sim {

// Three timers on simulated milliseconds, firing exactly on schedule, in the order the real
// window fires them.
class SimulatedClock {
public:
    using Fire = std::function<void(Timer)>;
    using Settled = std::function<void()>;

    std::int64_t now() const { return now_; }

    bool enabled(Timer timer) const { return schedule_.enabled(timer); }
    void setEnabled(Timer timer, bool enabled) { schedule_.setEnabled(timer, enabled, now_); }
    int interval(Timer timer) const { return schedule_.interval(timer); }
    void setInterval(Timer timer, int milliseconds) {
        schedule_.setInterval(timer, milliseconds, now_);
    }

    // Moves time forward, firing every timer that falls due on the way in time order; after
    // the timers of each moment, `settled` runs, as the real window's timers report it.
    void advance(std::int64_t milliseconds, const Fire& fire, const Settled& settled = {});

private:
    TimerSchedule schedule_;
    std::int64_t now_ = 0;
};

} // namespace zirvel::sim
