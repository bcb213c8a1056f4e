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

// A room's picture in the page: the board, counters, countdown and menu states the server
// sends, painted as they come. The main window's own picture stays in WebWindow meanwhile.
class RoomPicture : public zirvel::GameWindow {
public:
    // `refreshInterval` gives one frame of the page's display, in milliseconds.
    explicit RoomPicture(std::function<double()> refreshInterval)
        : refreshInterval_(std::move(refreshInterval)) {}

    // A black board, both counters at zero, no countdown: the room's picture before its first
    // messages.
    void show();

    zirvel::Colour cellColour(int index) const override { return cells_.at(index); }
    void setCellColour(int index, zirvel::Colour colour) override;
    std::string counterCaption(zirvel::Player player) const override;
    void setCounterCaption(zirvel::Player player, std::string_view caption) override;
    std::string countdownCaption() const override { return countdownCaption_; }
    void setCountdownCaption(std::string_view caption) override;
    bool countdownVisible() const override { return countdownVisible_; }
    void setCountdownVisible(bool visible) override;
    // The room's timers run on the server; this screen keeps none.
    bool timerEnabled(zirvel::Timer) const override { return false; }
    void setTimerEnabled(zirvel::Timer, bool) override {}
    int timerInterval(zirvel::Timer) const override { return 0; }
    void setTimerInterval(zirvel::Timer, int) override {}
    bool menuEnabled(zirvel::MenuItem item) const override { return menus_.enabled(item); }
    void setMenuEnabled(zirvel::MenuItem item, bool enabled) override;
    bool menuChecked(zirvel::MenuItem item) const override { return menus_.checked(item); }
    void setMenuChecked(zirvel::MenuItem item, bool checked) override;
    // Cells are painted as they change, except that after a repaint the cells that change
    // next wait until what is on screen has shown for one frame: a crash's last move is seen
    // before the next round's board replaces it.
    void repaintNow() override;
    void showGameOver() override;
    void holdEnded();

private:
    void showMenu(zirvel::MenuItem item) const;
    void paintWaitingCells();

    std::function<double()> refreshInterval_;
    zirvel::PictureHold hold_;
    bool holding_ = false;
    std::bitset<zirvel::board::CellCount + 1> waiting_;

    zirvel::board::CellGrid cells_;
    std::array<std::string, 2> counters_{"0", "0"};
    std::string countdownCaption_;
    bool countdownVisible_ = false;
    zirvel::MenuStates menus_;
};
