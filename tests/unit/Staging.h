// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Board.h"
#include "Game.h"
#include "GameWindow.h"

#include <map>

namespace zirvel::testing {

// Every cell that is not black, with its colour.
inline std::map<int, Colour> occupiedCells(const GameWindow& window) {
    std::map<int, Colour> occupied;
    for (int i = 1; i <= board::CellCount; ++i) {
        if (window.cellColour(i) != colours::Free) {
            occupied.emplace(i, window.cellColour(i));
        }
    }
    return occupied;
}

inline const std::map<int, Colour> StartLayout{{370, colours::Player2Head},
                                               {390, colours::Player1Head},
                                               {410, colours::Player2Trail},
                                               {430, colours::Player1Trail}};

inline void place(Game& game, Player player, std::int16_t head, std::uint8_t direction) {
    game.state().head(player) = head;
    game.state().direction(player) = direction;
}

} // namespace zirvel::testing
