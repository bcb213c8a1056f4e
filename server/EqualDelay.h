// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <vector>

namespace zirvel::server {

// Both players' events should take effect the same time after they were made. An event reaches
// the server half its player's round trip after it was made, so the nearer player's events wait
// for the difference of the two one-way delays, though never longer than MaxHold: a far player
// must not make the game sluggish for the near one beyond that.
inline constexpr double MaxHold = 150;

// How long an event of the player `oneWay` away waits while the other is `otherOneWay` away.
double holdFor(double oneWay, double otherOneWay);

// The last events' delays after they were made, in milliseconds: one-way plus hold.
class DelayRecord {
public:
    static constexpr std::size_t Kept = 1000;

    void add(double delay);
    std::size_t size() const { return delays_.size(); }
    // The value below which `fraction` (0..1) of the kept delays lie; 0 with none kept.
    double percentile(double fraction) const;
    // Oldest first.
    std::vector<double> last(std::size_t count) const;

private:
    std::vector<double> delays_; // a ring of Kept once full
    std::size_t next_ = 0;
};

} // namespace zirvel::server
