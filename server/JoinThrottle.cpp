// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JoinThrottle.h"

#include <algorithm>
#include <cmath>

namespace zirvel::server {

JoinThrottle::Record JoinThrottle::current(Record record, double now) {
    const double minutes = std::floor((now - record.last) / ForgivenAfter);
    if (minutes >= 1) {
        const int forgiven = static_cast<int>(std::min(minutes, double(record.strikes)));
        record.strikes -= forgiven;
        record.last += forgiven * ForgivenAfter;
    }
    return record;
}

double JoinThrottle::wait(const std::string& address, double now) const {
    const auto found = records_.find(address);
    return found == records_.end() ? 0 : std::max(0.0, found->second.ready - now);
}

void JoinThrottle::failed(const std::string& address, double now) {
    Record& record = records_[address];
    record = current(record, now);
    record.strikes = std::min(record.strikes + 1, 64);
    record.last = now;
    const double wait = std::min(LongestWait, FirstWait * std::exp2(record.strikes - 1));
    record.ready = std::max(record.ready, now + wait);
    sweep(now);
}

void JoinThrottle::sweep(double now) {
    if (records_.size() < sweepAt_) {
        return;
    }
    std::erase_if(records_, [now](const auto& entry) {
        return current(entry.second, now).strikes == 0 && entry.second.ready <= now;
    });
    sweepAt_ = std::max<std::size_t>(64, records_.size() * 2);
}

} // namespace zirvel::server
