// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Board.h"
#include "Clock.h"
#include "GameWindow.h"
#include "MenuStates.h"
#include "Messages.h"
#include "TimerDriver.h"

#include <array>
#include <bitset>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zirvel::server {

// The main window of one room, with nobody in front of it: it keeps what the window shows and
// hands out, as protocol messages, what changed since it was last asked. Its timers run on the
// shared timer schedule on the server's clock.
class RoomWindow : public GameWindow, private TimerHost {
public:
    // `timerFired` runs the rules' handler of a timer; `settled` follows every timer of one
    // moment, when what they changed can be handed out.
    RoomWindow(Clock& clock, std::function<void(Timer)> timerFired, std::function<void()> settled);

    // What changed since the last call, in the order a screen shows it.
    std::vector<protocol::ServerMessage> takeChanges();
    // Everything a screen shows, for one that has just come, from a black board.
    std::vector<protocol::ServerMessage> picture() const;

    // A room stands still while a seat is not played: its timers wait, and when it goes on they
    // take up where they stood, as if no time had passed.
    void standStill(bool still);
    bool standingStill() const { return stillSince_.has_value(); }

    bool gameOverOpen() const { return gameOverOpen_; }
    // "Zamknij" resets both counters; the author link leaves them.
    void closeGameOver(bool resetCounters);

    Colour cellColour(int index) const override { return cells_.at(index); }
    void setCellColour(int index, Colour colour) override;
    std::string counterCaption(Player player) const override;
    void setCounterCaption(Player player, std::string_view caption) override;
    std::string countdownCaption() const override { return countdownCaption_; }
    void setCountdownCaption(std::string_view caption) override;
    bool countdownVisible() const override { return countdownVisible_; }
    void setCountdownVisible(bool visible) override;
    bool timerEnabled(Timer timer) const override { return driver_.enabled(timer); }
    void setTimerEnabled(Timer timer, bool enabled) override { driver_.setEnabled(timer, enabled); }
    int timerInterval(Timer timer) const override { return driver_.interval(timer); }
    void setTimerInterval(Timer timer, int milliseconds) override;
    bool menuEnabled(MenuItem item) const override { return menus_.enabled(item); }
    void setMenuEnabled(MenuItem item, bool enabled) override;
    bool menuChecked(MenuItem item) const override { return menus_.checked(item); }
    void setMenuChecked(MenuItem item, bool checked) override;
    // Hands out what changed so far, closed by a Repaint: a screen shows that picture for a
    // frame before anything later replaces it. What earlier timers of the same moment changed
    // goes out first, closed by its own Repaint, so that a crash does not swallow the move
    // before it.
    void repaintNow() override;
    // Opens the game-over window on every screen; the rules do nothing after opening it, so
    // returning at once is the same as waiting for it to close.
    void showGameOver() override;

private:
    // Stands still with the room, so that timers started meanwhile start when it goes on.
    double clockMilliseconds() const override;
    void armWakeUp(std::optional<double> milliseconds) override;
    void timerFired(Timer timer) override;
    void timersSettled() override { settled_(); }

    std::vector<protocol::ServerMessage> changes();
    protocol::Paint changedCells() const;
    protocol::Counters counters() const;
    protocol::Countdown countdown() const;
    protocol::Menu menu() const;

    Clock& clock_;
    std::function<void(Timer)> timerFired_;
    std::function<void()> settled_;
    board::CellGrid cells_;
    std::bitset<board::CellCount + 1> changedCells_;
    std::array<std::string, 2> counters_{"0", "0"};
    std::string countdownCaption_ = "4";
    bool countdownVisible_ = false;
    MenuStates menus_;
    bool gameOverOpen_ = false;
    bool countersChanged_ = false;
    bool countdownChanged_ = false;
    bool menuChanged_ = false;
    bool gameOverChanged_ = false;
    // The cells changed before the timer now firing, as they were then.
    std::vector<protocol::Cell> beforeTimer_;
    // Handed out by repaintNow, waiting for the next takeChanges.
    std::vector<protocol::ServerMessage> repainted_;
    std::optional<double> stillSince_;
    TimerDriver driver_{*this};
    std::unique_ptr<Alarm> alarm_;
};

} // namespace zirvel::server
