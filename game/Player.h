// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Colour.h"

#include <array>
#include <cstdint>

namespace zirvel {

// The value is the player's number as the counters and the round end know it.
enum class Player : std::int16_t { One = 1, Two = 2 };

inline constexpr std::array<Player, 2> BothPlayers{Player::One, Player::Two};

constexpr int number(Player player) {
    return static_cast<int>(player);
}

// Some of the two players, such as those one tick moves.
class PlayerSet {
public:
    constexpr PlayerSet() = default;
    static constexpr PlayerSet both() { return PlayerSet{}.with(Player::One).with(Player::Two); }

    constexpr PlayerSet with(Player player) const { return PlayerSet(bits_ | bit(player)); }
    constexpr bool contains(Player player) const { return (bits_ & bit(player)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }

private:
    constexpr explicit PlayerSet(unsigned bits)
        : bits_(bits) {}
    static constexpr unsigned bit(Player player) { return 1U << number(player); }

    unsigned bits_ = 0;
};

constexpr Colour headColour(Player player) {
    return player == Player::One ? colours::Player1Head : colours::Player2Head;
}

constexpr Colour trailColour(Player player) {
    return player == Player::One ? colours::Player1Trail : colours::Player2Trail;
}

} // namespace zirvel
