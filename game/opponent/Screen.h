// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "../GameState.h"
#include "../GameWindow.h"
#include "Grid.h"

#include <array>

namespace zirvel::opponent {

// What a person playing `own` can know: the board as the screen shows it, where both heads are,
// and the direction that person's own keys have set. The other player's stored direction and
// turbo are not on the screen, and so not here.
struct Screen {
    Player own = Player::One;
    Grid free;
    std::array<int, 2> heads{}; // by player, One first
    Heading ownHeading = Heading::Up;

    int me() const { return heads[own == Player::One ? 0 : 1]; }
    int other() const { return heads[own == Player::One ? 1 : 0]; }
};

Screen look(const GameWindow& window, const GameState& state, Player own);

// The cell a step from `head` towards `heading` enters, if that cell is on the board and free.
std::optional<int> freeStep(const Grid& free, int head, Heading heading);

} // namespace zirvel::opponent
