// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Staging.h"
#include "sim/Simulation.h"

#include <gtest/gtest.h>
#include <vector>

using namespace zirvel;
using namespace zirvel::testing;

namespace {

struct ScanRow {
    const char* name;
    std::int16_t head1;
    std::uint8_t direction1;
    std::int16_t head2;
    std::uint8_t direction2;
    std::vector<std::pair<int, Colour>> occupied;
    int charged; // 0: nobody
    PlayerSet scanned = PlayerSet::both();
};

using namespace colours;

// Which player one scan charges, including every tie between two crashes on the same tick.
const ScanRow ScanRows[] = {
    {"nothing ahead", 390, 8, 370, 80, {}, 0},
    {"right edge at 40", 40, 6, 370, 80, {}, 1},
    {"right edge at 880", 390, 8, 880, 60, {}, 2},
    {"cell 920 moving right fails the lookup of 921", 920, 6, 370, 80, {}, 1},
    {"cell 1 moving left", 390, 8, 1, 40, {}, 2},
    {"cell 41 moving left, cell 40 free", 41, 4, 370, 80, {}, 1},
    {"cell 881 moving left", 881, 4, 370, 80, {}, 1},
    {"off the top", 390, 8, 15, 80, {}, 2},
    {"off the bottom", 900, 2, 370, 80, {}, 1},
    {"own trail", 500, 8, 370, 80, {{460, Player1Trail}}, 1},
    {"other trail", 500, 8, 370, 80, {{460, Player2Trail}}, 1},
    {"other head", 390, 8, 500, 80, {{460, Player1Head}}, 2},
    {"both into the same free cell", 501, 4, 499, 60, {}, 0},
    {"unknown code on cell 1", 1, 0, 370, 80, {}, 1},
    {"unknown code elsewhere", 390, 8, 300, 7, {}, 2},
    {"next cell past the 16-bit range counts as off the board", 32767, 6, 370, 80, {}, 1},
    {"right wrap row 20 before left wrap row 0", 840, 6, 1, 40, {}, 1},
    {"left wrap before 920 moving right", 920, 6, 41, 40, {}, 2},
    {"same right edge: player 1 first", 40, 6, 40, 60, {}, 1},
    {"same left edge: player 1 first", 81, 4, 81, 40, {}, 1},
    {"player 2 off board before player 1 occupied", 500, 8, 15, 80, {{460, Player2Trail}}, 2},
    {"player 1 off board before player 2 off board", 5, 8, 15, 80, {}, 1},
    {"player 1 on cell 1 occupied before player 2 off board", 1, 6, 15, 80, {{2, Player2Trail}}, 1},
    {"both occupied: lower head first",
     500,
     8,
     300,
     80,
     {{460, Player2Trail}, {260, Player1Trail}},
     2},
    {"both occupied: equal heads, player 1 first", 500, 8, 500, 80, {{460, Player2Trail}}, 1},
    {"left edge at k = 1 before the failed lookup of -35", 5, 8, 1, 40, {}, 2},
    // The normal tick scans only the players it moves.
    {"player 1 left out: its crash is passed over",
     5,
     8,
     15,
     80,
     {},
     2,
     PlayerSet().with(Player::Two)},
    {"player 1 left out of the edge passes", 40, 6, 370, 80, {}, 0, PlayerSet().with(Player::Two)},
    {"player 2 left out of the occupancy pass",
     390,
     8,
     500,
     80,
     {{460, Player1Head}},
     0,
     PlayerSet().with(Player::One)},
    {"player 2 left out, player 1 charged", 881, 4, 1, 40, {}, 1, PlayerSet().with(Player::One)},
    {"nobody scanned", 5, 8, 15, 80, {}, 0, PlayerSet()},
};

} // namespace

TEST(CollisionScan, ChargesAtMostOnePlayerInTheFixedOrder) {
    for (const ScanRow& row : ScanRows) {
        SCOPED_TRACE(row.name);
        sim::Simulation sim;
        place(sim.game, Player::One, row.head1, row.direction1);
        place(sim.game, Player::Two, row.head2, row.direction2);
        for (const auto& [cell, colour] : row.occupied) {
            sim.window.setCellColour(cell, colour);
        }

        sim.game.ZnajdzKoniec(row.scanned);

        EXPECT_EQ(sim.window.counterCaption(Player::One), row.charged == 1 ? "1" : "0");
        EXPECT_EQ(sim.window.counterCaption(Player::Two), row.charged == 2 ? "1" : "0");
        EXPECT_EQ(sim.game.state().KoniecGry, toBool16(row.charged != 0));
        if (row.charged != 0) {
            EXPECT_EQ(occupiedCells(sim.window), StartLayout);
        }
    }
}

TEST(CollisionScan, RunWithoutCrashChangesNothing) {
    sim::Simulation sim;
    sim.game.mnunowagra_Click();
    const GameState before = sim.game.state();
    sim.game.ZnajdzKoniec();
    EXPECT_EQ(sim.game.state().KoniecGry, Bool16::False);
    EXPECT_EQ(sim.game.state().Poczatek1, before.Poczatek1);
    EXPECT_EQ(occupiedCells(sim.window), StartLayout);
    EXPECT_FALSE(sim.window.timerEnabled(Timer::Timer1));
}

TEST(CollisionScan, NextCellIsEmptyOnlyForUnknownCodes) {
    sim::Simulation sim;
    const std::tuple<std::int16_t, std::uint8_t, std::optional<std::int16_t>> rows[] = {
        {500, 8, 460}, {500, 2, 540},          {500, 4, 499},           {500, 6, 501},
        {5, 8, -35},   {500, 0, std::nullopt}, {500, 80, std::nullopt},
    };
    for (const auto& [head, direction, next] : rows) {
        place(sim.game, Player::One, head, direction);
        EXPECT_EQ(sim.game.Kolejny1(), next) << int(direction);
    }
    place(sim.game, Player::Two, 500, 40);
    EXPECT_EQ(sim.game.Kolejny2(), 499);
}
