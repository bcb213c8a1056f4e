// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "GameState.h"
#include "GameWindow.h"
#include "Player.h"

#include <cstdint>
#include <optional>

namespace zirvel {

// A move that failed: the head left the board, and the round ends for this player.
struct Crash {
    Player player;
};

// The game rules. Every handler runs to completion on the window's event thread and reaches
// the window only through GameWindow.
class Game {
public:
    explicit Game(GameWindow& window);

    const GameState& state() const { return state_; }
    // Tests stage positions through this.
    GameState& state() { return state_; }

    // Start-up and menu commands.
    void Form_Load();
    void mnunowagra_Click();
    void mnupauza_Click();
    void mnuspeed_Click(std::int16_t index);
    void Speed(std::int16_t Numer);
    void mnukoniecgry_Click();

    // Keyboard: virtual key code and modifier mask, which the rules ignore.
    void Form_KeyDown(std::uint16_t keyCode, std::uint16_t shift);
    void Form_KeyUp(std::uint16_t keyCode, std::uint16_t shift);

    // Timers.
    void timerElapsed(Timer timer);
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();

    // Movement: one cell ahead, leaving trail behind.
    [[nodiscard]] std::optional<Crash> Ruch(Player player);
    [[nodiscard]] std::optional<Crash> Ruch1() { return Ruch(Player::One); }
    [[nodiscard]] std::optional<Crash> Ruch2() { return Ruch(Player::Two); }

    // The cell a head would enter next; empty for an unknown direction code.
    std::optional<std::int16_t> Kolejny(Player player) const;
    std::optional<std::int16_t> Kolejny1() const { return Kolejny(Player::One); }
    std::optional<std::int16_t> Kolejny2() const { return Kolejny(Player::Two); }

    // Collision scan and round end. The scan looks at both players unless told which.
    void ZnajdzKoniec();
    void ZnajdzKoniec(PlayerSet scanned);
    void Koniec(std::int16_t Gracz);

private:
    std::optional<Player> findCrash(PlayerSet scanned) const;
    bool scanEndedRound(PlayerSet scanned);
    void tick(Bool16 movers);
    void crashPath(Crash crash);

    GameWindow& window_;
    GameState state_;
};

} // namespace zirvel
