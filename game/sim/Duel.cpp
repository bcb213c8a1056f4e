// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Duel.h"

#include "../opponent/Levels.h"

#include <vector>

namespace zirvel::sim {

namespace {

class RandomMover : public opponent::Strategy {
public:
    opponent::Decision decide(const opponent::Screen& screen, opponent::Random& random) override {
        std::vector<Heading> safe;
        for (Heading heading : opponent::AllHeadings) {
            if (opponent::freeStep(screen.free, screen.me(), heading)) {
                safe.push_back(heading);
            }
        }
        if (screen.me() == head_ && !safe.empty()) {
            return {chosen_, false};
        }
        head_ = screen.me();
        chosen_ = safe.empty()
                      ? screen.ownHeading
                      : safe[static_cast<std::size_t>(random.below(static_cast<int>(safe.size())))];
        return {chosen_, false};
    }

private:
    int head_ = 0;
    Heading chosen_ = Heading::Up;
};

} // namespace

std::unique_ptr<opponent::Strategy> makeRandomMover() {
    return std::make_unique<RandomMover>();
}

Duel::Duel(std::unique_ptr<opponent::Strategy> one, std::unique_ptr<opponent::Strategy> two,
           std::uint64_t seed, std::int16_t speed)
    : players_{opponent::Opponent(Player::One, std::move(one), opponent::derivedSeed(seed, 1)),
               opponent::Opponent(Player::Two, std::move(two), opponent::derivedSeed(seed, 2))} {
    sim_.game.mnuspeed_Click(speed);
    for (Player player : BothPlayers) {
        keys_.setComputerPlays(player, true);
    }
}

std::optional<Player> Duel::playRound(std::int64_t limit) {
    const std::array<std::string, 2> before = counters();
    sim_.game.mnunowagra_Click();
    keys_.pressHeldTurboKeys();
    constexpr std::int64_t Step = 10;
    for (std::int64_t played = 0; played < limit; played += Step) {
        sim_.window.clock().advance(
            Step, [this](Timer timer) { timerFired(timer); }, [this] { decide(); });
        for (Player player : BothPlayers) {
            if (sim_.window.counterCaption(player) != before[index(player)]) {
                return player;
            }
        }
    }
    return std::nullopt;
}

std::array<std::string, 2> Duel::counters() const {
    return {sim_.window.counterCaption(Player::One), sim_.window.counterCaption(Player::Two)};
}

void Duel::timerFired(Timer timer) {
    const std::array<std::string, 2> before = counters();
    sim_.game.timerElapsed(timer);
    keys_.pressHeldTurboKeys();
    for (Player player : BothPlayers) {
        if (sim_.window.counterCaption(player) != before[index(player)]) {
            const Look& look = looks_[index(player)];
            (look.late ? late_ : avoidable_)[index(player)] += look.avoidable ? 1 : 0;
        }
    }
}

void Duel::decide() {
    for (opponent::Opponent& player : players_) {
        if (beforeDecision) {
            beforeDecision(player.player());
        }
        player.act(sim_.game, sim_.window, keys_);
        if (afterDecision) {
            afterDecision(player.player());
        }
        // The safe headings list the stored one first when it is safe.
        const opponent::Screen screen =
            opponent::look(sim_.window, sim_.game.state(), player.player());
        const std::vector<Heading> safe = opponent::safeHeadings(screen);
        const bool chosenSafe = !safe.empty() && safe.front() == screen.ownHeading;
        looks_[index(player.player())] = {!safe.empty() && !chosenSafe, player.decision().late};
    }
}

} // namespace zirvel::sim
