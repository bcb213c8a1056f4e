// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "../HeldKeys.h"
#include "../opponent/Opponent.h"
#include "Simulation.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zirvel::sim {

// A computer player for tests and benchmarks, weaker than any level: of the moves that do not
// crash at once, any one at random, decided anew on every cell.
std::unique_ptr<opponent::Strategy> makeRandomMover();

// Two computer players against each other on the in-memory window, each pressing its keys
// once the timers of a moment have fired, as the real windows let them.
class Duel {
public:
    Duel(std::unique_ptr<opponent::Strategy> one, std::unique_ptr<opponent::Strategy> two,
         std::uint64_t seed, std::int16_t speed = 4);

    // Starts a new round and plays it until a player crashes, or for `limit` simulated
    // milliseconds; returns the player who crashed.
    std::optional<Player> playRound(std::int64_t limit = 600'000);

    // Crashes of a player whose last decision took a move that crashed at once on the board it
    // saw, while another move would not have: never, but for a late turn of "łatwy", counted
    // apart. A head that the other takes the cell from on the same tick is not counted: no
    // decision could have seen that.
    int avoidableCrashes(Player player) const { return avoidable_[index(player)]; }
    int lateCrashes(Player player) const { return late_[index(player)]; }

    // Called around every decision, for the benchmarks' clocks.
    std::function<void(Player)> beforeDecision;
    std::function<void(Player)> afterDecision;

    Simulation& simulation() { return sim_; }
    const opponent::Opponent& player(Player player) const { return players_[index(player)]; }

private:
    struct Look {
        bool avoidable = false; // a safe move existed, and another was taken
        bool late = false;
    };
    static std::size_t index(Player player) { return player == Player::One ? 0 : 1; }
    std::array<std::string, 2> counters() const;
    void timerFired(Timer timer);
    void decide();

    Simulation sim_;
    HeldKeys keys_{sim_.game};
    std::array<opponent::Opponent, 2> players_;
    std::array<Look, 2> looks_{};
    std::array<int, 2> avoidable_{};
    std::array<int, 2> late_{};
};

} // namespace zirvel::sim
