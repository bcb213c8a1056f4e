// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Player.h"

#include <cstdint>
#include <optional>

namespace zirvel {

enum class Heading { Up, Down, Left, Right };

// Directions are stored as byte codes laid out like a numeric keypad: 8 up, 2 down, 4 left,
// 6 right for player 1, and the same codes times ten for player 2.
constexpr std::uint8_t directionCode(Player player, Heading heading) {
    const std::uint8_t scale = player == Player::One ? 1 : 10;
    switch (heading) {
    case Heading::Up:
        return 8 * scale;
    case Heading::Down:
        return 2 * scale;
    case Heading::Left:
        return 4 * scale;
    case Heading::Right:
        return 6 * scale;
    }
    return 0;
}

constexpr Heading opposite(Heading heading) {
    switch (heading) {
    case Heading::Up:
        return Heading::Down;
    case Heading::Down:
        return Heading::Up;
    case Heading::Left:
        return Heading::Right;
    case Heading::Right:
        return Heading::Left;
    }
    return heading;
}

// The heading a player's code stands for; empty for any code that is none of the player's four.
constexpr std::optional<Heading> headingOf(Player player, std::uint8_t code) {
    for (Heading heading : {Heading::Up, Heading::Down, Heading::Left, Heading::Right}) {
        if (code == directionCode(player, heading)) {
            return heading;
        }
    }
    return std::nullopt;
}

} // namespace zirvel
