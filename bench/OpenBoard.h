// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "KeyCodes.h"
#include "sim/Simulation.h"

namespace zirvel::bench {

// Both heads in turbo in open space, one move from where they stand; `restage` puts them back.
struct OpenBoard {
    OpenBoard() {
        sim.game.mnunowagra_Click();
        sim.game.Form_KeyDown(keys::Shift, 0);
        sim.game.Form_KeyDown(keys::Space, 0);
    }
    void restage() {
        sim.window.setCellColour(460, colours::Free);
        sim.window.setCellColour(260, colours::Free);
        sim.game.state().Poczatek1 = 500;
        sim.game.state().Poczatek2 = 300;
    }
    sim::Simulation sim;
};

} // namespace zirvel::bench
