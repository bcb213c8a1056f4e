#include "SimulatedClock.h"

namespace zirvel::sim {

void SimulatedClock::schedule(Slot& slot, std::int64_t from) {
    slot.due = from + slot.interval;
    slot.order = scheduled_++;
}

void SimulatedClock::setEnabled(Timer timer, bool enabled) {
    Slot& s = slot(timer);
    if (enabled && !s.enabled) {
        schedule(s, now_);
    }
    s.enabled = enabled;
}

void SimulatedClock::setInterval(Timer timer, int milliseconds) {
    Slot& s = slot(timer);
    if (s.interval == milliseconds) {
        return;
    }
    s.interval = milliseconds;
    if (s.enabled) {
        schedule(s, now_);
    }
}

SimulatedClock::Slot* SimulatedClock::nextDue(std::int64_t until) {
    Slot* next = nullptr;
    for (Slot& s : slots_) {
        // A timer without an interval never fires.
        if (!s.enabled || s.interval <= 0 || s.due > until) {
            continue;
        }
        if (next == nullptr || s.due < next->due || (s.due == next->due && s.order < next->order)) {
            next = &s;
        }
    }
    return next;
}

void SimulatedClock::advance(std::int64_t milliseconds, const Fire& fire) {
    const std::int64_t until = now_ + milliseconds;
    while (Slot* s = nextDue(until)) {
        now_ = s->due;
        schedule(*s, s->due);
        fire(static_cast<Timer>(s - slots_.data()));
    }
    now_ = until;
}

} // namespace zirvel::sim
