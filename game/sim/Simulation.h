// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "../Game.h"
#include "MemoryWindow.h"

#include <cstdint>

namespace zirvel::sim {

// A whole game on the in-memory window, started up as the real window starts it.
struct Simulation {
    Simulation() { game.Form_Load(); }

    // Lets simulated time pass, delivering every timer event that falls due.
    void advance(std::int64_t milliseconds) {
        window.clock().advance(milliseconds, [this](Timer timer) { game.timerElapsed(timer); });
    }

    MemoryWindow window;
    Game game{window};
};

} // namespace zirvel::sim
