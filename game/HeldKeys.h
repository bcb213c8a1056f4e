// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Game.h"
#include "Player.h"

#include <array>
#include <cstdint>
#include <functional>

namespace zirvel {

// What pressed a key: the keyboard, the pad that plays the key's player, a finger in the
// player's half of a touch screen, or the computer.
enum class KeySource : std::uint8_t { Keyboard, Pad, Touch, Computer };

// Hands a window's key events to the rules and remembers which turbo keys are down.
//
// The rules learn that a turbo key is held only from its key-down events, and every new round
// clears both turbo flags. Platforms repeat a held key differently: Shift does not repeat at
// all, and an X server repeats only the key pressed last. So after every event the rules have
// handled, the window presses each turbo key that is still down again: a turbo key held into a
// new round gives its player turbo there, whichever key it is and whatever the platform.
//
// The keyboard, a pad and a touch can hold the same player's turbo at once. The rules hear its
// release only once none holds it any more, so letting go of one leaves the turbo on for the
// others.
//
// While the computer plays a player, that player's keys on the keyboard, on a pad and on a
// touch screen do nothing: only the computer presses them.
//
// In an online room the keys go elsewhere: see divertTo.
class HeldKeys {
public:
    using Divert = std::function<void(std::uint16_t keyCode, bool down, KeySource source)>;

    explicit HeldKeys(Game& game)
        : game_(game) {}

    void keyDown(std::uint16_t keyCode, std::uint16_t shift,
                 KeySource source = KeySource::Keyboard);
    void keyUp(std::uint16_t keyCode, std::uint16_t shift, KeySource source = KeySource::Keyboard);
    // The window has lost the keyboard: no release will come for any key the keyboard holds.
    void releaseAll();
    // Presses each turbo key that is down again where a new round has cleared its flag.
    void pressHeldTurboKeys();
    // Hands a player's keys to the computer, or back to the keyboard and pads. Whatever the
    // side that gives them up holds is let go.
    void setComputerPlays(Player player, bool computer);
    // While a divert is set, the keyboard's, pads' and touches' events go to it instead of the
    // rules, whoever plays their player here: online a person plays this screen's seat, and
    // the computer plays the local game alone. The server presses held turbo keys itself, so
    // pressHeldTurboKeys does nothing; releaseAll sends its releases to the divert. Setting a
    // divert first lets go of the turbo keys the rules hear as held; each change of divert
    // forgets the turbo keys held, which belonged to the other side.
    void divertTo(Divert divert);

private:
    // Notes whether the source holds the key, if it is a turbo key.
    void setDown(std::uint16_t keyCode, KeySource source, bool isDown);
    // Whether any source holds the player's turbo key.
    bool down(Player player) const;
    // Whether the key belongs to a player whom that source does not play.
    bool ignored(std::uint16_t keyCode, KeySource source) const;

    Game& game_;
    // Per player, one bit per KeySource that holds the turbo key.
    std::array<std::uint8_t, 2> turboHolders_{};
    std::array<bool, 2> computer_{};
    Divert divert_;
};

} // namespace zirvel
