// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>

namespace zirvel::opponent {

// A small, fast random source whose whole sequence follows from its seed, so that a game the
// computer played can be played again exactly.
class Random {
public:
    explicit Random(std::uint64_t seed)
        : state_(seed) {}

    std::uint64_t next() {
        // splitmix64: every seed, 0 included, gives a well-mixed sequence.
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // A number from 0 to bound − 1.
    int below(int bound) { return static_cast<int>(next() % static_cast<std::uint64_t>(bound)); }
    // True once in `times` on average.
    bool oneIn(int times) { return below(times) == 0; }

private:
    std::uint64_t state_;
};

// A seed for one part of a game, such as one round, from the game's seed.
inline std::uint64_t derivedSeed(std::uint64_t seed, std::uint64_t part) {
    return Random(seed ^ (part * 0xD1B54A32D192ED03ULL)).next();
}

} // namespace zirvel::opponent
