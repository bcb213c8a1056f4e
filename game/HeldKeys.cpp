// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "HeldKeys.h"

#include "KeyCodes.h"

#include <utility>

namespace zirvel {

namespace {

std::size_t slot(Player player) {
    return player == Player::One ? 0 : 1;
}

std::uint8_t bit(KeySource source) {
    return static_cast<std::uint8_t>(1U << static_cast<unsigned>(source));
}

} // namespace

void HeldKeys::keyDown(std::uint16_t keyCode, std::uint16_t shift, KeySource source) {
    if (divert_) {
        if (source != KeySource::Computer) {
            setDown(keyCode, source, true);
            divert_(keyCode, true, source);
        }
        return;
    }
    if (ignored(keyCode, source)) {
        return;
    }
    setDown(keyCode, source, true);
    game_.Form_KeyDown(keyCode, shift);
}

void HeldKeys::keyUp(std::uint16_t keyCode, std::uint16_t shift, KeySource source) {
    if (divert_) {
        if (source != KeySource::Computer) {
            setDown(keyCode, source, false);
            divert_(keyCode, false, source);
        }
        return;
    }
    if (ignored(keyCode, source)) {
        return;
    }
    setDown(keyCode, source, false);
    for (Player player : BothPlayers) {
        if (keyCode == keys::turboKey(player) && down(player)) {
            return;
        }
    }
    game_.Form_KeyUp(keyCode, shift);
}

void HeldKeys::setDown(std::uint16_t keyCode, KeySource source, bool isDown) {
    for (Player player : BothPlayers) {
        if (keyCode == keys::turboKey(player)) {
            std::uint8_t& holders = turboHolders_[slot(player)];
            holders =
                static_cast<std::uint8_t>(isDown ? holders | bit(source) : holders & ~bit(source));
        }
    }
}

bool HeldKeys::ignored(std::uint16_t keyCode, KeySource source) const {
    const std::optional<Player> player = keys::playerOf(keyCode);
    return player && computer_[slot(*player)] != (source == KeySource::Computer);
}

void HeldKeys::setComputerPlays(Player player, bool computer) {
    if (computer_[slot(player)] == computer) {
        return;
    }
    const std::uint8_t leaving =
        computer ? static_cast<std::uint8_t>(~bit(KeySource::Computer)) : bit(KeySource::Computer);
    std::uint8_t& holders = turboHolders_[slot(player)];
    const bool wasDown = holders != 0;
    holders = static_cast<std::uint8_t>(holders & ~leaving);
    computer_[slot(player)] = computer;
    if (wasDown && holders == 0) {
        game_.Form_KeyUp(keys::turboKey(player), 0);
    }
}

bool HeldKeys::down(Player player) const {
    return turboHolders_[slot(player)] != 0;
}

// The computer's keys are not on the keyboard: they stay as they are.
void HeldKeys::releaseAll() {
    for (Player player : BothPlayers) {
        if (divert_ && (turboHolders_[slot(player)] & bit(KeySource::Keyboard)) == 0) {
            continue;
        }
        keyUp(keys::turboKey(player), 0);
    }
}

void HeldKeys::pressHeldTurboKeys() {
    if (divert_) {
        return;
    }
    for (Player player : BothPlayers) {
        if (down(player) && game_.state().turbo(player) == Bool16::False) {
            game_.Form_KeyDown(keys::turboKey(player), 0);
        }
    }
}

void HeldKeys::divertTo(Divert divert) {
    if (!divert_) {
        for (Player player : BothPlayers) {
            if (down(player)) {
                game_.Form_KeyUp(keys::turboKey(player), 0);
            }
        }
    }
    turboHolders_ = {};
    divert_ = std::move(divert);
}

} // namespace zirvel
