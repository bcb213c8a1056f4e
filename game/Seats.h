// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Game.h"
#include "HeldKeys.h"
#include "Pads.h"
#include "opponent/Opponent.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace zirvel {

// Who plays each player: a person, with the keyboard or a pad, or the computer at one of its
// levels. A choice takes effect at once, in the middle of a round too, and lasts while the
// window lives. With the computer on both sides the game plays itself.
class Seats {
public:
    // `seed` fixes every random choice the computer players make.
    Seats(const Game& game, const GameWindow& window, HeldKeys& keys, Pads& pads,
          std::uint64_t seed);

    // Empty: a person plays.
    void choose(Player player, std::optional<opponent::Level> level);
    std::optional<opponent::Level> level(Player player) const;
    const opponent::Opponent* computer(Player player) const;

    // The timer events of one moment have been handled and shown: each computer player looks at
    // the screen and acts. Thinking then delays neither a tick nor the picture of its move.
    void timersSettled();

private:
    struct Computer {
        opponent::Level level;
        opponent::Opponent player;
    };
    std::unique_ptr<Computer>& slot(Player player);
    const std::unique_ptr<Computer>& slot(Player player) const;

    const Game& game_;
    const GameWindow& window_;
    HeldKeys& keys_;
    Pads& pads_;
    std::uint64_t seed_;
    std::uint64_t choices_ = 0;
    std::array<std::unique_ptr<Computer>, 2> computers_;
};

} // namespace zirvel
