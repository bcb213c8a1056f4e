// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "../Board.h"
#include "../GameWindow.h"
#include "../MenuStates.h"
#include "SimulatedClock.h"

#include <array>
#include <functional>
#include <string>

namespace zirvel::sim {

// The main window's state without any widgets: the board, the captions, the menu states and
// the timers on a simulated clock.
class MemoryWindow : public GameWindow {
public:
    // The countdown's interval belongs to the window, as on the real one.
    MemoryWindow() { clock_.setInterval(Timer::Timer3, 700); }

    Colour cellColour(int index) const override { return cells_.at(index); }
    void setCellColour(int index, Colour colour) override { cells_.set(index, colour); }

    std::string counterCaption(Player player) const override;
    void setCounterCaption(Player player, std::string_view caption) override;

    std::string countdownCaption() const override { return countdownCaption_; }
    void setCountdownCaption(std::string_view caption) override { countdownCaption_ = caption; }
    bool countdownVisible() const override { return countdownVisible_; }
    void setCountdownVisible(bool visible) override { countdownVisible_ = visible; }

    bool timerEnabled(Timer timer) const override { return clock_.enabled(timer); }
    void setTimerEnabled(Timer timer, bool enabled) override { clock_.setEnabled(timer, enabled); }
    int timerInterval(Timer timer) const override { return clock_.interval(timer); }
    void setTimerInterval(Timer timer, int milliseconds) override;

    bool menuEnabled(MenuItem item) const override { return menus_.enabled(item); }
    void setMenuEnabled(MenuItem item, bool enabled) override { menus_.setEnabled(item, enabled); }
    bool menuChecked(MenuItem item) const override { return menus_.checked(item); }
    void setMenuChecked(MenuItem item, bool checked) override { menus_.setChecked(item, checked); }

    void repaintNow() override { ++repaints_; }
    void showGameOver() override;

    SimulatedClock& clock() { return clock_; }
    int repaints() const { return repaints_; }
    // Runs while the game-over window would be open; without one it closes at once.
    std::function<void()> whileGameOverShown;

private:
    board::CellGrid cells_;
    std::array<std::string, 2> counters_{"0", "0"};
    std::string countdownCaption_ = "4";
    bool countdownVisible_ = false;
    MenuStates menus_;
    SimulatedClock clock_;
    int repaints_ = 0;
};

} // namespace zirvel::sim
