// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// New round and round end.
#include "Board.h"
#include "Counter.h"
#include "Direction.h"
#include "Game.h"

namespace zirvel {

namespace {

constexpr std::int16_t Player1Start = 390;
constexpr std::int16_t Player2Start = 370;

} // namespace

Game::Game(GameWindow& window)
    : window_(window) {}

void Game::mnunowagra_Click() {
    state_.Kierunek1 = directionCode(Player::One, Heading::Up);
    state_.Kierunek2 = directionCode(Player::Two, Heading::Up);
    state_.Poczatek1 = Player1Start;
    state_.Poczatek2 = Player2Start;
    state_.Turbo1 = Bool16::False;
    state_.Turbo2 = Bool16::False;
    window_.setMenuEnabled(MenuItem::Pauza, true);
    window_.setMenuEnabled(MenuItem::KoniecGry, true);
    state_.KoniecGry = Bool16::False;

    for (int i = 1; i <= board::CellCount; ++i) {
        window_.setCellColour(i, colours::Free);
    }
    // Each head starts just above one cell of its own trail.
    window_.setCellColour(Player2Start, colours::Player2Head);
    window_.setCellColour(Player1Start, colours::Player1Head);
    window_.setCellColour(Player2Start + board::Columns, colours::Player2Trail);
    window_.setCellColour(Player1Start + board::Columns, colours::Player1Trail);

    window_.setTimerEnabled(Timer::Timer3, true);
    // The cleared board must be on screen before the next event is handled.
    window_.repaintNow();
}

void Game::Koniec(std::int16_t Gracz) {
    mnunowagra_Click();
    window_.setTimerEnabled(Timer::Timer1, false);
    window_.setTimerEnabled(Timer::Timer2, false);
    for (Player player : BothPlayers) {
        if (Gracz == number(player)) {
            window_.setCounterCaption(player, counterPlusOne(window_.counterCaption(player)));
        }
    }
}

} // namespace zirvel
