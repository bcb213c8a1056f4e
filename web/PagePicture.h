// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Board.h"
#include "GameWindow.h"
#include "MenuStates.h"
#include "PictureHold.h"

#include <array>
#include <bitset>
#include <functional>
#include <string>

// The picture a window shows in the page: the board, counters, countdown and menu states kept
// here, and every change handed to the page's script to show. Changed cells wait to be painted
// until a repaint, and after a repaint the cells that change next wait until what is on screen
// has shown for one frame: a crash's last move is seen before the next round's board replaces
// it. What the window runs (timers, the rules, a room's client) is the window's own.
class PagePicture : public zirvel::GameWindow {
public:
    zirvel::Colour cellColour(int index) const override { return cells_.at(index); }
    void setCellColour(int index, zirvel::Colour colour) override;
    std::string counterCaption(zirvel::Player player) const override;
    void setCounterCaption(zirvel::Player player, std::string_view caption) override;
    std::string countdownCaption() const override { return countdownCaption_; }
    void setCountdownCaption(std::string_view caption) override;
    bool countdownVisible() const override { return countdownVisible_; }
    void setCountdownVisible(bool visible) override;
    bool menuEnabled(zirvel::MenuItem item) const override { return menus_.enabled(item); }
    void setMenuEnabled(zirvel::MenuItem item, bool enabled) override;
    bool menuChecked(zirvel::MenuItem item) const override { return menus_.checked(item); }
    void setMenuChecked(zirvel::MenuItem item, bool checked) override;
    void repaintNow() override;
    void showGameOver() override;
    // The page's timer armed by the hold has run out.
    void holdEnded();

protected:
    // `refreshInterval` gives one frame of the page's display, in milliseconds; `armHoldEnd`
    // asks the page to call holdEnded() so many milliseconds from now.
    PagePicture(std::function<double()> refreshInterval, void (*armHoldEnd)(double))
        : refreshInterval_(std::move(refreshInterval))
        , armHoldEnd_(armHoldEnd) {}

    void paintChangedCells();
    void showMenus() const;
    // Another picture takes the page: changed cells wait for showWhole().
    void cover() { covered_ = true; }
    // The whole picture as it stands, over whatever the page showed.
    void showWhole();
    // A black board, both counters at zero, no countdown, every menu item off and nothing
    // held back, for showWhole() to show.
    void clear();

private:
    void showMenu(zirvel::MenuItem item) const;

    std::function<double()> refreshInterval_;
    void (*armHoldEnd_)(double);
    zirvel::board::CellGrid cells_;
    zirvel::board::CellGrid shown_;
    std::bitset<zirvel::board::CellCount + 1> changed_;
    zirvel::PictureHold hold_;
    bool holding_ = false;
    bool covered_ = false;
    std::array<std::string, 2> counters_{"0", "0"};
    std::string countdownCaption_ = "4"; // as the main window starts
    bool countdownVisible_ = false;
    zirvel::MenuStates menus_;
};
