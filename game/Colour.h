// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>

namespace zirvel {

// A 24-bit colour, the only state a board cell has.
struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend constexpr bool operator==(Colour, Colour) = default;
};

constexpr Colour rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return Colour{red, green, blue};
}

namespace colours {
// Black is the only free colour: every other colour on the board is an obstacle.
inline constexpr Colour Free = rgb(0, 0, 0);
inline constexpr Colour Player1Head = rgb(255, 0, 0);
inline constexpr Colour Player1Trail = rgb(200, 100, 50);
inline constexpr Colour Player2Head = rgb(0, 0, 255);
inline constexpr Colour Player2Trail = rgb(50, 100, 200);
} // namespace colours

} // namespace zirvel
