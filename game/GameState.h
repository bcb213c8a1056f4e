// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Player.h"

#include <cstdint>

namespace zirvel {

// A 16-bit boolean whose true value has all bits set.
enum class Bool16 : std::int16_t { False = 0, True = -1 };

constexpr Bool16 toBool16(bool value) {
    return value ? Bool16::True : Bool16::False;
}

// The players' state between events, with the widths the rules compute in.
struct GameState {
    Bool16 KoniecGry = Bool16::False; // the scan has just ended a round
    std::uint8_t Odliczanie = 0;      // countdown value, 4 when idle
    Bool16 Turbo2 = Bool16::False;
    Bool16 Turbo1 = Bool16::False;
    std::int16_t Poczatek2 = 0; // head cell index of player 2
    std::int16_t Poczatek1 = 0;
    std::uint8_t Kierunek2 = 0; // direction code of player 2
    std::uint8_t Kierunek1 = 0;

    Bool16& turbo(Player p) { return p == Player::One ? Turbo1 : Turbo2; }
    Bool16 turbo(Player p) const { return p == Player::One ? Turbo1 : Turbo2; }
    std::int16_t& head(Player p) { return p == Player::One ? Poczatek1 : Poczatek2; }
    std::int16_t head(Player p) const { return p == Player::One ? Poczatek1 : Poczatek2; }
    std::uint8_t& direction(Player p) { return p == Player::One ? Kierunek1 : Kierunek2; }
    std::uint8_t direction(Player p) const { return p == Player::One ? Kierunek1 : Kierunek2; }
};

} // namespace zirvel
