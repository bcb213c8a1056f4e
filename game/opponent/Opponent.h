// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "../Game.h"
#include "../HeldKeys.h"
#include "Strategy.h"

#include <array>
#include <cstdint>
#include <memory>

namespace zirvel::opponent {

// The computer playing one player. It plays as a person at the keyboard would: once the timer
// events of a moment have been handled, it looks at the screen and presses that player's keys,
// through the same path as the keyboard, so every rule of the keys applies to it too. It never
// changes the game itself.
//
// It thinks only when the screen, or its own stored heading, has changed since it last looked.
// Its random choices come from the seed and the number of the round, so a game with the same
// seed plays out the same.
class Opponent {
public:
    Opponent(Player player, std::unique_ptr<Strategy> strategy, std::uint64_t seed);

    Player player() const { return player_; }

    // Looks at the screen and presses or lets go of the player's keys.
    void act(const Game& game, const GameWindow& window, HeldKeys& keys);
    // Lets go of every key it holds: somebody else plays the player from now on.
    void leave(HeldKeys& keys);

    // What it decided when it last thought, and how often it has thought.
    const Decision& decision() const { return decision_; }
    std::uint64_t decisions() const { return decisions_; }

private:
    void press(HeldKeys& keys, Heading heading, Heading stored);

    Player player_;
    std::uint64_t seed_;
    std::unique_ptr<Strategy> strategy_;
    Random random_;
    std::uint64_t round_ = 0;
    int freeCells_ = -1;
    std::array<int, 2> heads_{};
    bool turbo_ = false;
    Decision decision_;
    std::uint64_t decisions_ = 0;
};

} // namespace zirvel::opponent
