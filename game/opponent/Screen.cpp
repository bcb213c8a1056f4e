// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Screen.h"

namespace zirvel::opponent {

Screen look(const GameWindow& window, const GameState& state, Player own) {
    Screen screen;
    screen.own = own;
    for (int cell = 1; cell <= board::CellCount; ++cell) {
        if (window.cellColour(cell) == colours::Free) {
            screen.free.add(cell);
        }
    }
    screen.heads = {state.head(Player::One), state.head(Player::Two)};
    // A code that is none of the four moves nothing; a reset sets "up" before anything moves.
    screen.ownHeading = headingOf(own, state.direction(own)).value_or(Heading::Up);
    return screen;
}

std::optional<int> freeStep(const Grid& free, int head, Heading heading) {
    const std::optional<int> next = stepFrom(head, heading);
    return next && free.contains(*next) ? next : std::nullopt;
}

} // namespace zirvel::opponent
