// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <utility>

namespace zirvel::server {

// One connection's pings: how long their answers take, and whether it still answers. Times are
// milliseconds on the rooms' clock.
class RoundTrip {
public:
    // A connection that has left a ping unanswered this long counts as dropped.
    static constexpr double Silence = 5000;
    // The estimate is the median of this many last samples: one slow answer does not move it.
    static constexpr std::size_t Samples = 5;

    // A new ping, sent at `now`: its id.
    std::uint32_t ping(double now);
    // The answer to ping `id` at `now`. False for an id never sent or already answered, and for
    // a late answer: one to a ping older than one answered since.
    bool pong(std::uint32_t id, double now);
    // Empty before the first answer.
    std::optional<double> estimate() const;
    bool silent(double now) const;

private:
    std::uint32_t lastId_ = 0;
    std::deque<std::pair<std::uint32_t, double>> waiting_; // ids and send times, oldest first
    std::deque<double> samples_;
};

} // namespace zirvel::server
