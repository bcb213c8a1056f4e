// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Seats.h"

namespace zirvel {

Seats::Seats(const Game& game, const GameWindow& window, HeldKeys& keys, Pads& pads,
             std::uint64_t seed)
    : game_(game)
    , window_(window)
    , keys_(keys)
    , pads_(pads)
    , seed_(seed) {}

std::unique_ptr<Seats::Computer>& Seats::slot(Player player) {
    return computers_[player == Player::One ? 0 : 1];
}

const std::unique_ptr<Seats::Computer>& Seats::slot(Player player) const {
    return computers_[player == Player::One ? 0 : 1];
}

const opponent::Opponent* Seats::computer(Player player) const {
    return slot(player) ? &slot(player)->player : nullptr;
}

std::optional<opponent::Level> Seats::level(Player player) const {
    return slot(player) ? std::optional(slot(player)->level) : std::nullopt;
}

void Seats::choose(Player player, std::optional<opponent::Level> level) {
    if (level == this->level(player)) {
        return;
    }
    std::unique_ptr<Computer>& seat = slot(player);
    if (seat) {
        seat->player.leave(keys_);
    }
    seat = level ? std::make_unique<Computer>(Computer{
                       *level, opponent::Opponent(player, opponent::makeStrategy(*level),
                                                  opponent::derivedSeed(seed_, ++choices_))})
                 : nullptr;
    PlayerSet people;
    for (Player each : BothPlayers) {
        if (!computer(each)) {
            people = people.with(each);
        }
    }
    pads_.setPeople(people);
    keys_.setComputerPlays(player, level.has_value());
}

void Seats::timersSettled() {
    for (const std::unique_ptr<Computer>& seat : computers_) {
        if (seat) {
            seat->player.act(game_, window_, keys_);
        }
    }
}

} // namespace zirvel
