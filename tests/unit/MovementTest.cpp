// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Staging.h"
#include "sim/Simulation.h"

#include <gtest/gtest.h>

using namespace zirvel;
using namespace zirvel::testing;

TEST(Movement, MovesLeaveTrailAndFailOffTheBoard) {
    struct Row {
        const char* name;
        Player player;
        std::int16_t head;
        std::uint8_t direction;
        bool fails;
        std::int16_t headAfter;
        std::map<int, Colour> board; // every non-black cell after the move
    };
    using namespace colours;
    const Row rows[] = {
        {"up", Player::One, 500, 8, false, 460, {{460, Player1Head}, {500, Player1Trail}}},
        {"down", Player::Two, 500, 20, false, 540, {{540, Player2Head}, {500, Player2Trail}}},
        {"right wraps to next row",
         Player::One,
         80,
         6,
         false,
         81,
         {{81, Player1Head}, {80, Player1Trail}}},
        {"left wraps to row above",
         Player::Two,
         41,
         40,
         false,
         40,
         {{40, Player2Head}, {41, Player2Trail}}},
        {"off the top", Player::One, 5, 8, true, -35, {{5, Player1Trail}}},
        {"off the bottom", Player::Two, 915, 20, true, 955, {{915, Player2Trail}}},
        {"left from cell 1", Player::One, 1, 4, true, 0, {{1, Player1Trail}}},
        {"right from cell 920", Player::Two, 920, 60, true, 921, {{920, Player2Trail}}},
        {"other player's code", Player::One, 500, 80, false, 500, {}},
        {"no direction yet", Player::Two, 0, 0, false, 0, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sim::MemoryWindow window;
        Game game(window);
        place(game, row.player, row.head, row.direction);

        const std::optional<Crash> crash = game.Ruch(row.player);

        EXPECT_EQ(crash.has_value(), row.fails);
        if (crash) {
            EXPECT_EQ(crash->player, row.player);
        }
        EXPECT_EQ(game.state().head(row.player), row.headAfter);
        EXPECT_EQ(occupiedCells(window), row.board);
    }
}

TEST(Movement, AMoveIntoAnyOccupiedCellRepaintsIt) {
    for (const Colour occupant : {colours::Player1Trail, colours::Player2Trail,
                                  colours::Player2Head, colours::Player1Head}) {
        sim::MemoryWindow window;
        Game game(window);
        window.setCellColour(460, occupant);
        place(game, Player::One, 500, 8);
        EXPECT_FALSE(game.Ruch1());
        EXPECT_EQ(window.cellColour(460), colours::Player1Head);
    }
}

TEST(Movement, SixteenBitOverflowFailsBeforeTheHeadChanges) {
    // Only reachable by staging: the old head is out of range, so even the trail fails.
    sim::MemoryWindow window;
    Game game(window);
    place(game, Player::Two, 32767, 60);
    const std::optional<Crash> crash = game.Ruch2();
    ASSERT_TRUE(crash);
    EXPECT_EQ(crash->player, Player::Two);
    EXPECT_EQ(game.state().Poczatek2, 32767);
    EXPECT_TRUE(occupiedCells(window).empty());
}

TEST(Movement, NamedEntryPointsMoveTheirOwnPlayer) {
    sim::Simulation sim;
    sim.game.mnunowagra_Click();
    EXPECT_FALSE(sim.game.Ruch1());
    EXPECT_EQ(sim.game.state().Poczatek1, 350);
    EXPECT_EQ(sim.game.state().Poczatek2, 370);
    EXPECT_FALSE(sim.game.Ruch2());
    EXPECT_EQ(sim.game.state().Poczatek2, 330);
    EXPECT_EQ(sim.game.Kolejny1(), 310);
    EXPECT_EQ(sim.game.Kolejny2(), 290);
}
