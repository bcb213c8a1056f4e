// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Random.h"
#include "Screen.h"

#include <memory>

namespace zirvel::opponent {

// The computer's levels: "łatwy", "średni", "trudny".
enum class Level : std::uint8_t { Easy, Medium, Hard };

// The level's name as the menu gives it after "Komputer: ".
const char* levelName(Level level);

// Where a player means to go next, and whether to hold turbo.
struct Decision {
    Heading heading = Heading::Up;
    bool turbo = false;
    bool late = false; // made without looking at the board: "łatwy"'s late turn
};

// How one level plays: a decision from what is on the screen. `random` is the round's own
// random source.
class Strategy {
public:
    virtual ~Strategy() = default;
    virtual Decision decide(const Screen& screen, Random& random) = 0;
};

std::unique_ptr<Strategy> makeStrategy(Level level);

} // namespace zirvel::opponent
