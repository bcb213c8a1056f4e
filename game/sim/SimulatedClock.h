#pragma once

#include "../GameWindow.h"

#include <array>
#include <cstdint>
#include <functional>

namespace zirvel::sim {

// Three timers on simulated milliseconds, firing exactly on schedule as precise timers do:
// a running timer fires every interval after it was enabled, and enabling it again while it
// runs changes nothing.
class SimulatedClock {
public:
    using Fire = std::function<void(Timer)>;

    std::int64_t now() const { return now_; }

    bool enabled(Timer timer) const { return slot(timer).enabled; }
    void setEnabled(Timer timer, bool enabled);
    int interval(Timer timer) const { return slot(timer).interval; }
    // A new interval restarts a running timer; the same interval leaves it alone.
    void setInterval(Timer timer, int milliseconds);

    // Moves time forward, firing every timer that falls due on the way in time order.
    // Timers due at the same moment fire in the order they were scheduled.
    void advance(std::int64_t milliseconds, const Fire& fire);

private:
    struct Slot {
        bool enabled = false;
        int interval = 0;
        std::int64_t due = 0;
        std::uint64_t order = 0;
    };

    const Slot& slot(Timer timer) const { return slots_[static_cast<std::size_t>(timer)]; }
    Slot& slot(Timer timer) { return slots_[static_cast<std::size_t>(timer)]; }
    void schedule(Slot& slot, std::int64_t from);
    Slot* nextDue(std::int64_t until);

    std::array<Slot, 3> slots_{};
    std::int64_t now_ = 0;
    std::uint64_t scheduled_ = 0;
};

} // namespace zirvel::sim
