// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The three timers drive the game: countdown, normal tick and fast tick; plus the speed
// levels and the pause that govern them.
#include "Game.h"

#include <array>
#include <string>

namespace zirvel {

namespace {

constexpr std::uint8_t CountdownIdle = 4;

struct SpeedLevel {
    int normalTick; // Timer1, ms
    int fastTick;   // Timer2, ms
};

// Levels 1..4: "Wolno", "Średnio", "Szybko", "B. Szybko".
constexpr std::array<SpeedLevel, 4> SpeedLevels{{{800, 400}, {600, 200}, {200, 50}, {50, 20}}};

bool isSpeedLevel(std::int16_t level) {
    return level >= 1 && level <= 4;
}

MenuItem speedItem(std::int16_t level) {
    return static_cast<MenuItem>(static_cast<int>(MenuItem::Speed1) + level - 1);
}

} // namespace

void Game::Form_Load() {
    mnuspeed_Click(3);
    state_.Odliczanie = CountdownIdle;
}

void Game::mnuspeed_Click(std::int16_t index) {
    if (!isSpeedLevel(index)) {
        return;
    }
    for (std::int16_t level = 1; level <= 4; ++level) {
        window_.setMenuChecked(speedItem(level), level == index);
    }
    Speed(index);
}

void Game::Speed(std::int16_t Numer) {
    if (!isSpeedLevel(Numer)) {
        return;
    }
    const SpeedLevel& level = SpeedLevels[static_cast<std::size_t>(Numer - 1)];
    window_.setTimerInterval(Timer::Timer1, level.normalTick);
    window_.setTimerInterval(Timer::Timer2, level.fastTick);
}

void Game::mnupauza_Click() {
    const bool resuming = window_.menuChecked(MenuItem::Pauza);
    window_.setTimerEnabled(Timer::Timer1, resuming);
    window_.setTimerEnabled(Timer::Timer2, resuming);
    window_.setMenuChecked(MenuItem::Pauza, !resuming);
}

void Game::mnukoniecgry_Click() {
    window_.setTimerEnabled(Timer::Timer1, false);
    window_.setTimerEnabled(Timer::Timer2, false);
    // A countdown left running would start the ticks behind the game-over window, where
    // nobody can steer.
    window_.setTimerEnabled(Timer::Timer3, false);
    window_.setCountdownVisible(false);
    state_.Odliczanie = CountdownIdle;
    window_.showGameOver();
}

void Game::timerElapsed(Timer timer) {
    switch (timer) {
    case Timer::Timer1:
        Timer1_Timer();
        break;
    case Timer::Timer2:
        Timer2_Timer();
        break;
    case Timer::Timer3:
        Timer3_Timer();
        break;
    }
}

void Game::Timer3_Timer() {
    window_.setCountdownVisible(true);
    --state_.Odliczanie;
    if (state_.Odliczanie == 0) {
        window_.setTimerEnabled(Timer::Timer1, true);
        window_.setTimerEnabled(Timer::Timer2, true);
        window_.setTimerEnabled(Timer::Timer3, false);
        state_.Odliczanie = CountdownIdle;
        window_.setCountdownVisible(false);
    }
    window_.setCountdownCaption(std::to_string(state_.Odliczanie));
}

// The normal tick moves the players without turbo, the fast tick those with it. Both scan
// first, so that a turn made since the last scan cannot carry a head through a trail or
// across a side edge unchecked. The normal tick scans only the players it moves: a player in
// turbo has a whole fast interval after each of its moves to turn away.
void Game::Timer1_Timer() {
    tick(Bool16::False);
}
void Game::Timer2_Timer() {
    tick(Bool16::True);
}

void Game::tick(Bool16 movers) {
    PlayerSet moving;
    for (Player player : BothPlayers) {
        if (state_.turbo(player) == movers) {
            moving = moving.with(player);
        }
    }
    // The fast tick scans on every run, whoever holds turbo.
    if (scanEndedRound(movers == Bool16::True ? PlayerSet::both() : moving)) {
        return;
    }
    for (Player player : BothPlayers) {
        if (!moving.contains(player)) {
            continue;
        }
        if (const std::optional<Crash> crash = Ruch(player)) {
            crashPath(*crash);
            return;
        }
    }
}

bool Game::scanEndedRound(PlayerSet scanned) {
    ZnajdzKoniec(scanned);
    if (state_.KoniecGry == Bool16::True) {
        state_.KoniecGry = Bool16::False;
        return true;
    }
    return false;
}

void Game::crashPath(Crash crash) {
    Koniec(number(crash.player));
    window_.setMenuEnabled(MenuItem::Pauza, false);
}

} // namespace zirvel
