// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RoundTrip.h"

#include <algorithm>
#include <vector>

namespace zirvel::server {

std::uint32_t RoundTrip::ping(double now) {
    waiting_.emplace_back(++lastId_, now);
    return lastId_;
}

bool RoundTrip::pong(std::uint32_t id, double now) {
    const auto found = std::find_if(waiting_.begin(), waiting_.end(),
                                    [id](const auto& sent) { return sent.first == id; });
    if (found == waiting_.end()) {
        return false;
    }
    samples_.push_back(now - found->second);
    if (samples_.size() > Samples) {
        samples_.pop_front();
    }
    // Older pings still waiting have been overtaken: their answers are lost or late.
    waiting_.erase(waiting_.begin(), std::next(found));
    return true;
}

std::optional<double> RoundTrip::estimate() const {
    if (samples_.empty()) {
        return std::nullopt;
    }
    std::vector<double> sorted(samples_.begin(), samples_.end());
    std::sort(sorted.begin(), sorted.end());
    const std::size_t middle = sorted.size() / 2;
    return sorted.size() % 2 == 1 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

bool RoundTrip::silent(double now) const {
    return !waiting_.empty() && now - waiting_.front().second >= Silence;
}

} // namespace zirvel::server
