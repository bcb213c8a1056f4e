// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HeldKeys.h"

#include "KeyCodes.h"

namespace zirvel {

void HeldKeys::keyDown(std::uint16_t keyCode, std::uint16_t shift) {
    setDown(keyCode, true);
    game_.Form_KeyDown(keyCode, shift);
}

void HeldKeys::keyUp(std::uint16_t keyCode, std::uint16_t shift) {
    setDown(keyCode, false);
    game_.Form_KeyUp(keyCode, shift);
}

void HeldKeys::setDown(std::uint16_t keyCode, bool isDown) {
    for (Player player : BothPlayers) {
        if (keyCode == keys::turboKey(player)) {
            down(player) = isDown;
        }
    }
}

void HeldKeys::releaseAll() {
    for (Player player : BothPlayers) {
        keyUp(keys::turboKey(player), 0);
    }
}

void HeldKeys::pressHeldTurboKeys() {
    for (Player player : BothPlayers) {
        if (down(player) && game_.state().turbo(player) == Bool16::False) {
            game_.Form_KeyDown(keys::turboKey(player), 0);
        }
    }
}

} // namespace zirvel
