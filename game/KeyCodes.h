// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Direction.h"
#include "Player.h"

#include <cstdint>
#include <optional>

// Virtual key codes of the keys the game listens to.
namespace zirvel::keys {

inline constexpr std::uint16_t Shift = 16;
inline constexpr std::uint16_t Space = 32;
inline constexpr std::uint16_t Left = 37;
inline constexpr std::uint16_t Up = 38;
inline constexpr std::uint16_t Right = 39;
inline constexpr std::uint16_t Down = 40;
inline constexpr std::uint16_t A = 65;
inline constexpr std::uint16_t D = 68;
inline constexpr std::uint16_t S = 83;
inline constexpr std::uint16_t W = 87;

// The key that gives a player turbo while it is held.
constexpr std::uint16_t turboKey(Player player) {
    return player == Player::One ? Shift : Space;
}

// The key that steers a player towards a heading.
constexpr std::uint16_t headingKey(Player player, Heading heading) {
    const bool one = player == Player::One;
    switch (heading) {
    case Heading::Up:
        return one ? Up : W;
    case Heading::Down:
        return one ? Down : S;
    case Heading::Left:
        return one ? Left : A;
    case Heading::Right:
        return one ? Right : D;
    }
    return 0;
}

// The player whose key it is; empty for a key of neither.
constexpr std::optional<Player> playerOf(std::uint16_t key) {
    for (Player player : BothPlayers) {
        if (key == turboKey(player)) {
            return player;
        }
        for (Heading heading : {Heading::Up, Heading::Down, Heading::Left, Heading::Right}) {
            if (key == headingKey(player, heading)) {
                return player;
            }
        }
    }
    return std::nullopt;
}

} // namespace zirvel::keys
