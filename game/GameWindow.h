// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Colour.h"
#include "Player.h"
#include "Timer.h"

#include <string>
#include <string_view>

namespace zirvel {

enum class MenuItem { Pauza, KoniecGry, Speed1, Speed2, Speed3, Speed4 };

// The window operations the rules need. The real main window implements them with widgets;
// an in-memory board implements them for tests and benchmarks.
class GameWindow {
public:
    virtual ~GameWindow() = default;

    // Both throw board::CellLookupError for an index outside 1..920.
    virtual Colour cellColour(int index) const = 0;
    virtual void setCellColour(int index, Colour colour) = 0;

    virtual std::string counterCaption(Player player) const = 0;
    virtual void setCounterCaption(Player player, std::string_view caption) = 0;

    virtual std::string countdownCaption() const = 0;
    virtual void setCountdownCaption(std::string_view caption) = 0;
    virtual bool countdownVisible() const = 0;
    virtual void setCountdownVisible(bool visible) = 0;

    // Enabling a running timer leaves its schedule alone.
    virtual bool timerEnabled(Timer timer) const = 0;
    virtual void setTimerEnabled(Timer timer, bool enabled) = 0;
    virtual int timerInterval(Timer timer) const = 0;
    virtual void setTimerInterval(Timer timer, int milliseconds) = 0;

    virtual bool menuEnabled(MenuItem item) const = 0;
    virtual void setMenuEnabled(MenuItem item, bool enabled) = 0;
    virtual bool menuChecked(MenuItem item) const = 0;
    virtual void setMenuChecked(MenuItem item, bool checked) = 0;

    // Brings the whole window on screen up to date before returning.
    virtual void repaintNow() = 0;

    // Shows the game-over window and returns once it has closed.
    virtual void showGameOver() = 0;
};

} // namespace zirvel
