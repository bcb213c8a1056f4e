// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "opponent/Opponent.h"

#include "KeyCodes.h"
#include "Staging.h"
#include "opponent/Grid.h"
#include "sim/Duel.h"
#include "sim/Simulation.h"

#include <gtest/gtest.h>
#include <string>

using namespace zirvel;
using namespace zirvel::opponent;

namespace {

std::unique_ptr<Strategy> player(std::optional<Level> level) {
    return level ? makeStrategy(*level) : sim::makeRandomMover();
}

} // namespace

// A side edge is a wall, as the collision scan treats a wrap; so are the top and the bottom.
TEST(Opponent, StepsStopAtEveryEdge) {
    const struct {
        int cell;
        Heading heading;
        std::optional<int> next;
    } rows[] = {
        {40, Heading::Right, std::nullopt},
        {41, Heading::Left, std::nullopt},
        {1, Heading::Left, std::nullopt},
        {920, Heading::Right, std::nullopt},
        {15, Heading::Up, std::nullopt},
        {900, Heading::Down, std::nullopt},
        {39, Heading::Right, 40},
        {42, Heading::Left, 41},
        {55, Heading::Up, 15},
        {880, Heading::Down, 920},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.cell);
        EXPECT_EQ(stepFrom(row.cell, row.heading), row.next);
    }
}

// Floods and splits on a board cut by walls, the shapes the levels weigh.
TEST(Opponent, FloodsAndSplitsTheFreeCells) {
    Grid open;
    for (int cell = 1; cell <= board::CellCount; ++cell) {
        open.add(cell);
    }
    Grid walled = open;
    for (int row = 0; row < board::Rows; ++row) {
        walled.remove(row * board::Columns + 21); // column 20 from top to bottom
    }
    const struct {
        const char* name;
        Grid free;
        int from;
        int reachable;
    } floods[] = {
        {"the whole open board", open, 1, 920},
        {"left of a wall, across no side edge", walled, 1, 20 * 23},
        {"right of the wall", walled, 40, 19 * 23},
        {"a head outside the free cells floods from its neighbours", walled - open, 1, 0},
    };
    for (const auto& row : floods) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.free.reachableFrom(row.from).count(), row.reachable);
    }
    // Heads in the mirrored cells of one row share the board evenly; the wider side of a wall
    // gives more; twice as fast, a head wins the middle.
    const Territory even = splitFree(open, 1 + 5, 40 - 5);
    EXPECT_EQ(even.first, even.second);
    const Territory apart = splitFree(walled, 1 + 10 * 40, 40 + 10 * 40);
    EXPECT_GT(apart.first, apart.second);
    EXPECT_GT(splitFree(open, 6, 35, 2).first, even.first + 100);
}

// Every level plays seeded rounds against the random mover and against itself. It may crash
// only where every move crashes, but for a late turn of "łatwy".
TEST(Opponent, NeverCrashesWhileAMoveIsSafe) {
    for (Level level : {Level::Easy, Level::Medium, Level::Hard}) {
        for (const std::optional<Level>& rival : {std::optional<Level>{}, std::optional(level)}) {
            SCOPED_TRACE(std::string(levelName(level)) + " against " +
                         (rival ? levelName(*rival) : "random"));
            sim::Duel duel(player(level), player(rival), 7);
            for (int round = 0; round < 4; ++round) {
                duel.playRound();
            }
            EXPECT_EQ(duel.avoidableCrashes(Player::One), 0);
            if (rival) {
                EXPECT_EQ(duel.avoidableCrashes(Player::Two), 0);
            }
            if (level != Level::Easy) {
                EXPECT_EQ(duel.lateCrashes(Player::One), 0);
            }
        }
    }
}

// Each level wins most seeded rounds against the one below, on either side of the board.
TEST(Opponent, EachLevelBeatsTheOneBelow) {
    const struct {
        std::optional<Level> stronger;
        std::optional<Level> weaker;
    } ladder[] = {
        {Level::Easy, std::nullopt},
        {Level::Medium, Level::Easy},
        {Level::Hard, Level::Medium},
    };
    constexpr int Rounds = 12;
    for (const auto& rung : ladder) {
        SCOPED_TRACE(levelName(*rung.stronger));
        int wins = 0;
        for (int seed = 0; seed < Rounds; ++seed) {
            const bool first = seed % 2 == 0;
            sim::Duel duel(player(first ? rung.stronger : rung.weaker),
                           player(first ? rung.weaker : rung.stronger),
                           static_cast<std::uint64_t>(seed));
            const std::optional<Player> crashed = duel.playRound();
            wins += crashed == (first ? Player::Two : Player::One) ? 1 : 0;
        }
        EXPECT_GT(wins, Rounds / 2);
    }
}

// The other player's stored direction is not on the screen: a head that has just turned looks
// the same as one that is about to. Decisions do not depend on it.
TEST(Opponent, DecidesFromTheScreenAlone) {
    const struct {
        const char* name;
        std::int16_t me, other;
        std::vector<int> walls;
    } positions[] = {
        {"heads face to face", 450, 455, {}},
        {"the other head beside a wall", 300, 305, {265, 266, 267, 345, 346, 347}},
        {"the other head in a corridor", 500, 420, {419, 421, 459, 461}},
    };
    for (Level level : {Level::Easy, Level::Medium, Level::Hard}) {
        for (const auto& position : positions) {
            SCOPED_TRACE(std::string(levelName(level)) + ", " + position.name);
            std::vector<Decision> decisions;
            for (std::uint8_t hidden : {20, 40, 60, 80}) {
                sim::Simulation sim;
                HeldKeys keys(sim.game);
                zirvel::testing::place(sim.game, Player::One, position.me, 8);
                zirvel::testing::place(sim.game, Player::Two, position.other, hidden);
                sim.window.setCellColour(position.me, colours::Player1Head);
                sim.window.setCellColour(position.other, colours::Player2Head);
                for (int wall : position.walls) {
                    sim.window.setCellColour(wall, colours::Player2Trail);
                }
                Opponent opponent(Player::One, makeStrategy(level), 3);
                opponent.act(sim.game, sim.window, keys);
                decisions.push_back(opponent.decision());
            }
            for (const Decision& decision : decisions) {
                EXPECT_EQ(decision.heading, decisions.front().heading);
                EXPECT_EQ(decision.turbo, decisions.front().turbo);
            }
        }
    }
}

// The computer presses keys, so the guard against a turn straight back holds for it too: a
// turn back from a stored turn takes a press across it first.
TEST(Opponent, PressesKeysThroughTheGuard) {
    sim::Simulation sim;
    HeldKeys keys(sim.game);
    sim.game.mnunowagra_Click();
    // Player 1 moved up to 390 and its keys already turned it left; the cell to the left and
    // everything above it are walls, so only right is safe.
    sim.game.state().Kierunek1 = directionCode(Player::One, Heading::Left);
    for (int cell : {389, 350, 349, 351}) {
        sim.window.setCellColour(cell, colours::Player2Trail);
    }
    keys.setComputerPlays(Player::One, true);
    Opponent opponent(Player::One, makeStrategy(Level::Medium), 1);
    opponent.act(sim.game, sim.window, keys);
    EXPECT_EQ(sim.game.state().Kierunek1, directionCode(Player::One, Heading::Right));
}
