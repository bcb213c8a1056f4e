// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Opponent.h"

#include "../KeyCodes.h"

namespace zirvel::opponent {

Opponent::Opponent(Player player, std::unique_ptr<Strategy> strategy, std::uint64_t seed)
    : player_(player)
    , seed_(seed)
    , strategy_(std::move(strategy))
    , random_(derivedSeed(seed, 0)) {}

void Opponent::act(const Game& game, const GameWindow& window, HeldKeys& keys) {
    const Screen screen = look(window, game.state(), player_);
    const int freeCells = screen.free.count();
    // A new game chosen during the countdown changes no cell, but sets the heading back.
    if (freeCells == freeCells_ && screen.heads == heads_ &&
        screen.ownHeading == decision_.heading) {
        return;
    }
    // Only a new round gives cells back.
    if (freeCells > freeCells_) {
        ++round_;
        random_ = Random(derivedSeed(seed_, round_));
    }
    freeCells_ = freeCells;
    heads_ = screen.heads;

    decision_ = strategy_->decide(screen, random_);
    ++decisions_;
    if (decision_.heading != screen.ownHeading) {
        press(keys, decision_.heading, screen.ownHeading);
    }
    // A new round clears turbo, but the window presses a turbo key still down again.
    if (decision_.turbo != turbo_) {
        turbo_ = decision_.turbo;
        if (turbo_) {
            keys.keyDown(keys::turboKey(player_), 0, KeySource::Computer);
        } else {
            keys.keyUp(keys::turboKey(player_), 0, KeySource::Computer);
        }
    }
}

// The keys refuse the heading straight back from the stored one, so that turn takes two presses,
// through a heading across it.
void Opponent::press(HeldKeys& keys, Heading heading, Heading stored) {
    const auto tap = [&](Heading h) {
        keys.keyDown(keys::headingKey(player_, h), 0, KeySource::Computer);
        keys.keyUp(keys::headingKey(player_, h), 0, KeySource::Computer);
    };
    if (heading == opposite(stored)) {
        tap(heading == Heading::Up || heading == Heading::Down ? Heading::Left : Heading::Up);
    }
    tap(heading);
}

void Opponent::leave(HeldKeys& keys) {
    if (turbo_) {
        keys.keyUp(keys::turboKey(player_), 0, KeySource::Computer);
        turbo_ = false;
    }
}

} // namespace zirvel::opponent
