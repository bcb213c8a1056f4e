// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Random sequences of everything a player can do, with the game's invariants checked after
// every event and at every reset and score. A failure names its seed and event so it can be
// replayed.
#include "Counter.h"
#include "KeyCodes.h"
#include "Staging.h"
#include "sim/Simulation.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

using namespace zirvel;
using namespace zirvel::testing;

namespace {

constexpr std::array<Colour, 5> BoardColours{colours::Free, colours::Player1Head,
                                             colours::Player1Trail, colours::Player2Head,
                                             colours::Player2Trail};
constexpr std::array<std::uint16_t, 10> GameKeys{keys::Up,    keys::Down, keys::Left, keys::Right,
                                                 keys::W,     keys::S,    keys::A,    keys::D,
                                                 keys::Shift, keys::Space};

// Watches the window for what may only happen at certain moments: a reset always leaves the
// start layout, and a counter only goes up by one right after the reset of a crash, with the
// ticks stopped and the countdown running, or back to "0" through "Zamknij".
class CheckedWindow : public sim::MemoryWindow {
public:
    std::vector<std::string> violations;
    bool resetting = false;
    bool closingWithZamknij = false;

    void repaintNow() override {
        MemoryWindow::repaintNow();
        if (occupiedCells(*this) != StartLayout) {
            violations.emplace_back("a reset left more than the start layout");
        }
        resetJustHappened_ = true;
    }

    void setCounterCaption(Player player, std::string_view caption) override {
        const std::string before = counterCaption(player);
        if (closingWithZamknij) {
            if (caption != "0") {
                violations.emplace_back("Zamknij set a counter to " + std::string(caption));
            }
        } else if (caption != counterPlusOne(before)) {
            violations.emplace_back("counter went from " + before + " to " + std::string(caption));
        } else if (!resetJustHappened_) {
            violations.emplace_back("a point was scored without a new round");
        } else if (timerEnabled(Timer::Timer1) || timerEnabled(Timer::Timer2) ||
                   !timerEnabled(Timer::Timer3)) {
            violations.emplace_back("a crash left the ticks running or the countdown stopped");
        }
        resetJustHappened_ = false;
        MemoryWindow::setCounterCaption(player, caption);
    }

private:
    bool resetJustHappened_ = false;
};

std::string checkBoard(const Game& game, const GameWindow& window) {
    int heads1 = 0;
    int heads2 = 0;
    for (int i = 1; i <= board::CellCount; ++i) {
        const Colour colour = window.cellColour(i);
        if (std::find(BoardColours.begin(), BoardColours.end(), colour) == BoardColours.end()) {
            return "cell " + std::to_string(i) + " has a colour the game never paints";
        }
        heads1 += colour == colours::Player1Head;
        heads2 += colour == colours::Player2Head;
    }
    if (heads1 > 1 || heads2 > 1) {
        return "more than one head of a player";
    }
    const GameState& state = game.state();
    if (state.Odliczanie < 1 || state.Odliczanie > 4) {
        return "countdown value " + std::to_string(state.Odliczanie);
    }
    for (Player player : BothPlayers) {
        const int head = state.head(player);
        if (head != 0 && !board::contains(head)) {
            return "a head outside the board between events: " + std::to_string(head);
        }
    }
    if (state.KoniecGry != Bool16::False) {
        return "KoniecGry left set between events";
    }
    return {};
}

// Plays `events` random events from `seed`; returns an empty string or what went wrong.
std::string play(std::uint32_t seed, int events) {
    std::mt19937 random(seed);
    const auto chance = [&](int percent) {
        return std::uniform_int_distribution<int>(0, 99)(random) < percent;
    };
    const auto pick = [&](int from, int to) {
        return std::uniform_int_distribution<int>(from, to)(random);
    };

    CheckedWindow window;
    Game game(window);
    game.Form_Load();
    window.whileGameOverShown = [&] {
        window.clock().advance(pick(0, 3000), [&](Timer timer) { game.timerElapsed(timer); });
        switch (pick(0, 2)) {
        case 0: // "Zamknij"
            window.closingWithZamknij = true;
            window.setCounterCaption(Player::One, "0");
            window.setCounterCaption(Player::Two, "0");
            window.closingWithZamknij = false;
            break;
        default: // the author link, or Escape: counters kept
            break;
        }
    };

    for (int event = 0; event < events; ++event) {
        const int kind = pick(0, 99);
        if (kind < 40) {
            const std::uint16_t key = chance(85) ? GameKeys[static_cast<std::size_t>(pick(0, 9))]
                                                 : static_cast<std::uint16_t>(pick(0, 0xFFFF));
            const std::uint16_t modifiers = static_cast<std::uint16_t>(pick(0, 7));
            chance(70) ? game.Form_KeyDown(key, modifiers) : game.Form_KeyUp(key, modifiers);
        } else if (kind < 85) {
            window.clock().advance(pick(1, 400), [&](Timer timer) { game.timerElapsed(timer); });
        } else if (kind < 89) {
            game.mnunowagra_Click();
        } else if (kind < 93) {
            if (window.menuEnabled(MenuItem::Pauza)) {
                game.mnupauza_Click();
            }
        } else if (kind < 98) {
            game.mnuspeed_Click(static_cast<std::int16_t>(pick(1, 4)));
        } else {
            game.mnukoniecgry_Click();
        }

        std::string problem = checkBoard(game, window);
        if (problem.empty() && !window.violations.empty()) {
            problem = window.violations.front();
        }
        if (!problem.empty()) {
            std::ostringstream out;
            out << "seed " << seed << ", event " << event << ": " << problem;
            return out.str();
        }
    }
    return {};
}

} // namespace

TEST(RandomPlay, InvariantsHoldWhateverThePlayersDo) {
    // 8 seeds x 25 000 events; ZIRVEL2_RANDOM_SEED replays one seed.
    std::vector<std::uint32_t> seeds{1, 2, 3, 5, 8, 13, 21, 34};
    if (const char* replay = std::getenv("ZIRVEL2_RANDOM_SEED")) {
        seeds = {static_cast<std::uint32_t>(std::strtoul(replay, nullptr, 10))};
    }
    for (std::uint32_t seed : seeds) {
        const std::string problem = play(seed, 25'000);
        EXPECT_TRUE(problem.empty()) << problem;
    }
}
