// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Game.h"
#include "Player.h"

#include <array>
#include <cstdint>

namespace zirvel {

// Hands a window's key events to the rules and remembers which turbo keys are down.
//
// The rules learn that a turbo key is held only from its key-down events, and every new round
// clears both turbo flags. Platforms repeat a held key differently: Shift does not repeat at
// all, and an X server repeats only the key pressed last. So after every event the rules have
// handled, the window presses each turbo key that is still down again: a turbo key held into a
// new round gives its player turbo there, whichever key it is and whatever the platform.
class HeldKeys {
public:
    explicit HeldKeys(Game& game)
        : game_(game) {}

    void keyDown(std::uint16_t keyCode, std::uint16_t shift);
    void keyUp(std::uint16_t keyCode, std::uint16_t shift);
    // The window has lost the keyboard: no release will come for any key down now.
    void releaseAll();
    // Presses each turbo key that is down again where a new round has cleared its flag.
    void pressHeldTurboKeys();

private:
    // Notes whether the key is down, if it is a turbo key.
    void setDown(std::uint16_t keyCode, bool isDown);
    bool& down(Player player) { return turboDown_[player == Player::One ? 0 : 1]; }

    Game& game_;
    std::array<bool, 2> turboDown_{};
};

} // namespace zirvel
