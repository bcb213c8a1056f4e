// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "GameWindow.h"

#include <array>
#include <cstddef>

namespace zirvel {

// The enabled state and check mark of each menu item the rules use, for windows that keep
// them themselves. They start as the main window starts: "Pauza" disabled, every other item
// enabled, nothing checked.
class MenuStates {
public:
    bool enabled(MenuItem item) const { return state(item).enabled; }
    void setEnabled(MenuItem item, bool enabled) { state(item).enabled = enabled; }
    bool checked(MenuItem item) const { return state(item).checked; }
    void setChecked(MenuItem item, bool checked) { state(item).checked = checked; }

private:
    struct State {
        bool enabled;
        bool checked;
    };
    State& state(MenuItem item) { return states_[static_cast<std::size_t>(item)]; }
    const State& state(MenuItem item) const { return states_[static_cast<std::size_t>(item)]; }

    std::array<State, 6> states_{{{false, false},
                                  {true, false},
                                  {true, false},
                                  {true, false},
                                  {true, false},
                                  {true, false}}};
};

} // namespace zirvel
