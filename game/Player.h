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

constexpr Colour headColour(Player player) {
    return player == Player::One ? colours::Player1Head : colours::Player2Head;
}

constexpr Colour trailColour(Player player) {
    return player == Player::One ? colours::Player1Trail : colours::Player2Trail;
}

} // namespace zirvel
