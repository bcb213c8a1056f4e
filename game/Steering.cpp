// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Key presses change the players' directions and turbo flags; nothing moves here.
#include "Direction.h"
#include "Game.h"
#include "KeyCodes.h"

#include <array>

namespace zirvel {

namespace {

struct KeyBinding {
    std::uint16_t key;
    Player player;
    std::optional<Heading> heading; // empty: the player's turbo key
};

constexpr std::array<KeyBinding, 10> Bindings{{
    {keys::Up, Player::One, Heading::Up},
    {keys::W, Player::Two, Heading::Up},
    {keys::Down, Player::One, Heading::Down},
    {keys::S, Player::Two, Heading::Down},
    {keys::Left, Player::One, Heading::Left},
    {keys::A, Player::Two, Heading::Left},
    {keys::Right, Player::One, Heading::Right},
    {keys::D, Player::Two, Heading::Right},
    {keys::turboKey(Player::Two), Player::Two, std::nullopt},
    {keys::turboKey(Player::One), Player::One, std::nullopt},
}};

} // namespace

void Game::Form_KeyDown(std::uint16_t keyCode, std::uint16_t /*shift*/) {
    for (const KeyBinding& binding : Bindings) {
        if (binding.key != keyCode) {
            continue;
        }
        if (!binding.heading) {
            state_.turbo(binding.player) = Bool16::True;
            return;
        }
        // The guard looks at the stored code, not at the last move made: two quick presses
        // can still turn a head back onto its own trail.
        std::uint8_t& direction = state_.direction(binding.player);
        if (direction != directionCode(binding.player, opposite(*binding.heading))) {
            direction = directionCode(binding.player, *binding.heading);
        }
        return;
    }
}

void Game::Form_KeyUp(std::uint16_t keyCode, std::uint16_t /*shift*/) {
    for (const KeyBinding& binding : Bindings) {
        if (binding.key == keyCode && !binding.heading) {
            state_.turbo(binding.player) = Bool16::False;
        }
    }
}

} // namespace zirvel
