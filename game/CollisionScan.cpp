// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Before heads move, the scan decides whether one of them is about to crash: across a side
// edge, off the board, or into any cell that is not black.
#include "Board.h"
#include "Game.h"

#include <array>

namespace zirvel {

std::optional<std::int16_t> Game::Kolejny(Player player) const {
    const std::optional<Heading> heading = headingOf(player, state_.direction(player));
    if (!heading) {
        return std::nullopt;
    }
    // An index past the 16-bit range is off the board anyway; as an empty result it counts
    // as cell 0, which charges the player like any other move off the board.
    return board::neighbour(state_.head(player), *heading);
}

void Game::ZnajdzKoniec() {
    ZnajdzKoniec(PlayerSet::both());
}

void Game::ZnajdzKoniec(PlayerSet scanned) {
    if (const std::optional<Player> crashed = findCrash(scanned)) {
        Koniec(number(*crashed));
        // Set only after the new round's reset has cleared it, so that the tick sees it.
        state_.KoniecGry = Bool16::True;
    }
}

// The passes run in a fixed order and the first crash found is the one charged: when both
// players crash on the same tick, that order decides who scores. Players left out of the
// scan are passed over in every pass.
std::optional<Player> Game::findCrash(PlayerSet scanned) const {
    if (scanned.empty()) {
        return std::nullopt;
    }
    const std::array<std::int16_t, 2> next{Kolejny1().value_or(0), Kolejny2().value_or(0)};
    const auto nextOf = [&](Player player) { return next[player == Player::One ? 0 : 1]; };

    // Leaving the rightmost column lands on the next row's first cell.
    for (int k = board::Columns; k <= board::CellCount - board::Columns; k += board::Columns) {
        for (Player player : BothPlayers) {
            if (scanned.contains(player) && nextOf(player) == k + 1 && state_.head(player) == k) {
                return player;
            }
        }
    }
    // Leaving the leftmost column lands on the previous row's last cell.
    for (int k = 1; k <= board::CellCount - board::Columns + 1; k += board::Columns) {
        for (Player player : BothPlayers) {
            if (scanned.contains(player) && nextOf(player) == k - 1 && state_.head(player) == k) {
                return player;
            }
        }
    }
    // The occupancy passes run over the cells 1..920 and look both next cells up on each: a
    // failed lookup charges its player on the first pass, an occupied next cell on the pass of
    // its head's cell, so the lower head index is charged first. A lookup finds the same on
    // every pass, so each next cell is read once and the passes are reckoned from that.
    std::optional<Player> lowest;
    for (Player player : BothPlayers) {
        if (!scanned.contains(player)) {
            continue;
        }
        Colour colour;
        try {
            colour = window_.cellColour(nextOf(player));
        } catch (const board::CellLookupError&) {
            return player;
        }
        const int head = state_.head(player);
        if (colour == colours::Free || head < 1 || head > board::CellCount) {
            continue;
        }
        if (head == 1) {
            return player;
        }
        if (!lowest || head < state_.head(*lowest)) {
            lowest = player;
        }
    }
    return lowest;
}

} // namespace zirvel
