// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "EqualDelay.h"

#include <algorithm>
#include <cmath>

namespace zirvel::server {

double holdFor(double oneWay, double otherOneWay) {
    return std::clamp(otherOneWay - oneWay, 0.0, MaxHold);
}

void DelayRecord::add(double delay) {
    if (delays_.size() < Kept) {
        delays_.push_back(delay);
    } else {
        delays_[next_] = delay;
    }
    next_ = (next_ + 1) % Kept;
}

double DelayRecord::percentile(double fraction) const {
    if (delays_.empty()) {
        return 0;
    }
    std::vector<double> sorted = delays_;
    const auto rank = static_cast<std::size_t>(
        std::ceil(std::clamp(fraction, 0.0, 1.0) * static_cast<double>(sorted.size())));
    const auto nth = sorted.begin() + static_cast<std::ptrdiff_t>(rank == 0 ? 0 : rank - 1);
    std::nth_element(sorted.begin(), nth, sorted.end());
    return *nth;
}

std::vector<double> DelayRecord::last(std::size_t count) const {
    count = std::min(count, delays_.size());
    std::vector<double> result;
    result.reserve(count);
    for (std::size_t i = count; i > 0; --i) {
        result.push_back(delays_[(next_ + Kept - i) % Kept]);
    }
    return result;
}

} // namespace zirvel::server
