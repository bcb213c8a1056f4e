// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Staging.h"
#include "sim/Simulation.h"

#include <gtest/gtest.h>
#include <random>
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

// The scan as the passes it stands for: the two edge passes, then every cell of the board with
// both next cells looked up again on each. 0: nobody.
int chargedByWholeBoardPasses(const Game& game, const GameWindow& window, PlayerSet scanned) {
    const std::array<int, 2> next{game.Kolejny1().value_or(0), game.Kolejny2().value_or(0)};
    const auto charged = [&](int index) { return scanned.contains(BothPlayers[index]); };
    const auto head = [&](int index) { return game.state().head(BothPlayers[index]); };
    for (int k = board::Columns; k <= board::CellCount - board::Columns; k += board::Columns) {
        for (int p = 0; p < 2; ++p) {
            if (charged(p) && next[p] == k + 1 && head(p) == k) {
                return p + 1;
            }
        }
    }
    for (int k = 1; k <= board::CellCount - board::Columns + 1; k += board::Columns) {
        for (int p = 0; p < 2; ++p) {
            if (charged(p) && next[p] == k - 1 && head(p) == k) {
                return p + 1;
            }
        }
    }
    for (int i = 1; i <= board::CellCount; ++i) {
        for (int p = 0; p < 2; ++p) {
            if (!charged(p)) {
                continue;
            }
            if (next[p] < 1 || next[p] > board::CellCount) {
                return p + 1;
            }
            if (window.cellColour(next[p]) != Free && head(p) == i) {
                return p + 1;
            }
        }
    }
    return 0;
}

// Random heads, headings and trail near them, every subset of players scanned.
TEST(CollisionScan, ChargesAsTheWholeBoardPassesWould) {
    std::mt19937 random(2026);
    // Each player's codes for down, left, right and up, then two that are no direction.
    const std::uint8_t directions[2][6] = {{2, 4, 6, 8, 0, 7}, {20, 40, 60, 80, 0, 7}};
    const Colour colours[] = {Player1Trail, Player2Trail, Player1Head, Player2Head};
    const PlayerSet sets[] = {PlayerSet::both(), PlayerSet().with(Player::One),
                              PlayerSet().with(Player::Two)};
    const auto cell = [&](int from, int to) {
        return std::uniform_int_distribution<int>(from, to)(random);
    };
    for (int round = 0; round < 10000; ++round) {
        sim::Simulation sim;
        // Heads on the board's corners and edges or just off it, on one cell together, anywhere
        // on it, or far off.
        const int corners[] = {0, 1, 2, 40, 41, 80, 881, 919, 920, 921, 960};
        for (Player player : BothPlayers) {
            int head = 0;
            switch (cell(0, 3)) {
            case 0:
                head = corners[cell(0, std::size(corners) - 1)];
                break;
            case 1:
                head = sim.game.state().Poczatek1;
                break;
            case 2:
                head = cell(1, board::CellCount);
                break;
            default:
                head = cell(-50, 33000);
            }
            place(sim.game, player, static_cast<std::int16_t>(head),
                  directions[player == Player::One ? 0 : 1][cell(0, 5)]);
        }
        for (int trail = cell(0, 600); trail > 0; --trail) {
            sim.window.setCellColour(cell(1, board::CellCount), colours[cell(0, 3)]);
        }
        const PlayerSet scanned = sets[round % std::size(sets)];
        const int expected = chargedByWholeBoardPasses(sim.game, sim.window, scanned);
        SCOPED_TRACE(::testing::Message()
                     << "round " << round << ": heads " << sim.game.state().Poczatek1 << " "
                     << sim.game.state().Poczatek2);

        sim.game.ZnajdzKoniec(scanned);

        EXPECT_EQ(sim.window.counterCaption(Player::One), expected == 1 ? "1" : "0");
        EXPECT_EQ(sim.window.counterCaption(Player::Two), expected == 2 ? "1" : "0");
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
