// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <cstdint>

namespace zirvel::server {

// How late the server's wake-ups came against their due moments, kept as a histogram so that
// recording costs the same at any load and memory stays fixed however long the server runs.
class Lateness {
public:
    // Bins this wide, up to Bins × BinMilliseconds; anything later counts in the last bin.
    static constexpr double BinMilliseconds = 0.01;
    static constexpr std::size_t Bins = 10000;

    // A wake-up `milliseconds` after its due moment; an early one counts as on time.
    void record(double milliseconds);
    void reset();

    std::uint64_t count() const { return count_; }
    // The upper edge of the bin holding fraction `p` of the wake-ups, nearest rank.
    double percentile(double p) const;
    double max() const { return max_; }

private:
    std::array<std::uint32_t, Bins> bins_{};
    std::uint64_t count_ = 0;
    double max_ = 0.0;
};

} // namespace zirvel::server
