// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Touches.h"

#include "KeyCodes.h"
#include "sim/Simulation.h"

#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <vector>

using namespace zirvel;

namespace {

// A screen 400 pixels wide: player 2 plays x < 200, player 1 the rest.
constexpr float Width = 400;
constexpr float Left2 = 100; // a point in player 2's half
constexpr float Right1 = 300;
constexpr float Y = 500;
constexpr double Rest = Touches::HoldDelay;

// One thing that happens to the fingers, the keyboard or the game.
struct TouchStep {
    enum Kind { Down, Move, Up, Elapse, LiftAll, KeyDown, KeyUp, NewRound };
    Kind kind;
    TouchId id = 0;
    TouchPoint at{};
    double time = 0;
    std::uint16_t key = 0;
};

TouchStep down(TouchId id, float x, double time = 0) {
    return {TouchStep::Down, id, {x, Y}, time};
}
TouchStep move(TouchId id, float x, float y, double time = 10) {
    return {TouchStep::Move, id, {x, y}, time};
}
TouchStep up(TouchId id) {
    return {TouchStep::Up, id};
}
TouchStep elapse(double time) {
    return {TouchStep::Elapse, 0, {}, time};
}
TouchStep keyDown(std::uint16_t key) {
    return {TouchStep::KeyDown, 0, {}, 0, key};
}
TouchStep keyUp(std::uint16_t key) {
    return {TouchStep::KeyUp, 0, {}, 0, key};
}
const TouchStep LiftAll{TouchStep::LiftAll};
const TouchStep NewRound{TouchStep::NewRound};

struct TouchOutcome {
    std::uint8_t kierunek1, kierunek2;
    bool turbo1, turbo2;
    std::optional<double> nextHold;
};

struct TouchRow {
    const char* name;
    TouchOutcome outcome;
    std::vector<TouchStep> steps;
};

constexpr float NaN = std::numeric_limits<float>::quiet_NaN();

// Each row starts from a new round, both heads going up (8 and 80).
const TouchRow TouchRows[] = {
    {"a swipe left in the right half turns player 1",
     {4, 80, false, false, std::nullopt},
     {down(1, Right1), move(1, Right1 - 24, Y + 5), up(1)}},
    {"a swipe in the left half turns player 2",
     {8, 60, false, false, std::nullopt},
     {down(1, Left2), move(1, Left2 + 30, Y), up(1)}},
    {"the middle of the screen is player 1's",
     {6, 80, false, false, std::nullopt},
     {down(1, Width / 2), move(1, Width / 2 + 30, Y), up(1)}},
    {"a move short of the threshold steers nothing",
     {8, 80, false, false, Rest},
     {down(1, Right1), move(1, Right1 - 23, Y + 23)}},
    {"the axis moved along furthest decides",
     {4, 20, false, false, std::nullopt},
     {down(1, Right1), move(1, Right1 - 25, Y + 24), down(2, Left2), move(2, Left2 - 30, Y),
      move(2, Left2 - 50, Y + 25), up(1), up(2)}},
    {"a swipe back is refused, as its key is",
     {8, 80, false, false, std::nullopt},
     {down(1, Right1), move(1, Right1, Y + 40), up(1)}},
    {"one finger swipes again from where its last swipe counted: a head reverses as by keys",
     {2, 80, false, false, std::nullopt},
     {down(1, Right1), move(1, Right1 - 30, Y), move(1, Right1 - 40, Y + 10),
      move(1, Right1 - 40, Y + 30)}},
    {"a finger keeps its player wherever it goes",
     {8, 60, false, false, std::nullopt},
     {down(1, Left2), move(1, Right1, Y), up(1)}},
    {"two fingers on one frame steer both players apart",
     {6, 40, false, false, std::nullopt},
     {down(1, Right1), down(2, Left2), move(1, Right1 + 30, Y), move(2, Left2 - 30, Y)}},
    {"a finger held still takes turbo once the delay is over",
     {8, 80, true, false, std::nullopt},
     {down(1, Right1, 100), move(1, Right1 + 10, Y - 10, 200), elapse(100 + Rest)}},
    {"not before", {8, 80, false, false, 100 + Rest}, {down(1, Right1, 100), elapse(99 + Rest)}},
    {"lifting the turbo finger lets turbo go",
     {8, 80, false, false, std::nullopt},
     {down(1, Left2), elapse(Rest), up(1)}},
    {"a finger resting after a swipe never takes turbo",
     {4, 80, false, false, std::nullopt},
     {down(1, Right1), move(1, Right1 - 30, Y, 50), elapse(10 * Rest)}},
    {"a move after the delay finds turbo already on, and steers in it",
     {4, 80, true, false, std::nullopt},
     {down(1, Right1), move(1, Right1 - 30, Y, Rest + 1)}},
    {"a turbo finger swipes and keeps turbo",
     {4, 80, true, false, std::nullopt},
     {down(1, Right1), elapse(Rest), move(1, Right1 - 30, Y, 400), elapse(2000)}},
    {"the player's turbo stays while another of its fingers holds it",
     {8, 80, true, false, Rest + 500},
     {down(1, Right1), down(2, Right1 + 50), elapse(Rest), up(1), down(3, Right1, 500)}},
    {"a touch and the keyboard hold one turbo: letting go of Shift leaves the touch's",
     {8, 80, true, false, std::nullopt},
     {keyDown(keys::Shift), down(1, Right1), elapse(Rest), keyUp(keys::Shift)}},
    {"the keyboard's Shift outlives a lifted finger",
     {8, 80, true, false, std::nullopt},
     {keyDown(keys::Shift), down(1, Right1), elapse(Rest), up(1)}},
    {"a turbo finger held into a new round keeps turbo there",
     {8, 80, false, true, std::nullopt},
     {down(1, Left2), elapse(Rest), NewRound}},
    {"lifting all lets turbo go, and the fingers left on the screen act no more",
     {8, 80, false, false, std::nullopt},
     {down(1, Right1), down(2, Left2), elapse(Rest), LiftAll, move(1, Right1 - 50, Y, 900),
      move(2, Left2 + 50, Y, 900), elapse(2000)}},
    {"a finger that touches down again under its old number starts afresh",
     {4, 80, false, false, std::nullopt},
     {down(1, Right1), elapse(Rest), down(1, Right1, 300), move(1, Right1 - 30, Y, 310)}},
    {"moves and lifts of unknown fingers, and positions that are no number, do nothing",
     {8, 80, false, false, std::nullopt},
     {move(7, 0, 0), up(7), down(1, Right1), move(1, NaN, Y), move(1, Right1, NaN), up(1)}},
};

} // namespace

// The touch rule fed as the page feeds it, sharing the window's held keys with the keyboard; a
// new round presses the turbo keys still held, as the windows do.
TEST(Touches, FingersPressTheirPlayersKeys) {
    for (const TouchRow& row : TouchRows) {
        SCOPED_TRACE(row.name);
        sim::Simulation sim;
        HeldKeys keys(sim.game);
        Touches touches(keys);
        sim.game.mnunowagra_Click();
        for (const TouchStep& step : row.steps) {
            switch (step.kind) {
            case TouchStep::Down:
                touches.down(step.id, step.at, Width, step.time);
                break;
            case TouchStep::Move:
                touches.move(step.id, step.at, step.time);
                break;
            case TouchStep::Up:
                touches.up(step.id);
                break;
            case TouchStep::Elapse:
                touches.elapse(step.time);
                break;
            case TouchStep::LiftAll:
                touches.liftAll();
                break;
            case TouchStep::KeyDown:
                keys.keyDown(step.key, 0);
                break;
            case TouchStep::KeyUp:
                keys.keyUp(step.key, 0);
                break;
            case TouchStep::NewRound:
                sim.game.mnunowagra_Click();
                keys.pressHeldTurboKeys();
                break;
            }
        }
        const GameState& state = sim.game.state();
        EXPECT_EQ(state.Kierunek1, row.outcome.kierunek1);
        EXPECT_EQ(state.Kierunek2, row.outcome.kierunek2);
        EXPECT_EQ(state.Turbo1, toBool16(row.outcome.turbo1));
        EXPECT_EQ(state.Turbo2, toBool16(row.outcome.turbo2));
        EXPECT_EQ(touches.nextHold(), row.outcome.nextHold);
    }
}
