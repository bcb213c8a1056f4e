// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "PagePicture.h"

#include <functional>

// A room's picture in the page: the board, counters, countdown and menu states the server
// sends, painted as they come. The main window's own picture stays in WebWindow meanwhile.
class RoomPicture : public PagePicture {
public:
    // `refreshInterval` gives one frame of the page's display, in milliseconds.
    explicit RoomPicture(std::function<double()> refreshInterval);

    // A black board, both counters at zero, no countdown: the room's picture before its first
    // messages.
    void show();

    // Cells are painted as they change, but for the hold after a repaint.
    void setCellColour(int index, zirvel::Colour colour) override;
    // The room's timers run on the server; this screen keeps none.
    bool timerEnabled(zirvel::Timer) const override { return false; }
    void setTimerEnabled(zirvel::Timer, bool) override {}
    int timerInterval(zirvel::Timer) const override { return 0; }
    void setTimerInterval(zirvel::Timer, int) override {}
};
