// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// One move of a head. A move tests nothing: the collision scan runs before it, and a move
// off the top or bottom of the board shows up as a failed cell lookup.
#include "Board.h"
#include "Game.h"

namespace zirvel {

std::optional<Crash> Game::Ruch(Player player) {
    const std::optional<Heading> heading = headingOf(player, state_.direction(player));
    if (!heading) {
        return std::nullopt;
    }
    std::int16_t& head = state_.head(player);
    try {
        // The old head becomes trail and the new index is stored before the new cell is
        // looked up, so a failed move leaves no head on the board until the next reset.
        window_.setCellColour(head, trailColour(player));
        const std::optional<std::int16_t> next = board::neighbour(head, *heading);
        if (!next) {
            return Crash{player};
        }
        head = *next;
        window_.setCellColour(head, headColour(player));
    } catch (const board::CellLookupError&) {
        return Crash{player};
    }
    return std::nullopt;
}

} // namespace zirvel
