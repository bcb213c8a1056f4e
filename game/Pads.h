// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "HeldKeys.h"
#include "Player.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace zirvel {

// The controls of a pad that the game reads, named by where a common pad has them: one bit
// each in PadSnapshot::buttons.
namespace padButtons {
inline constexpr std::uint32_t Up = 1U << 0; // the D-pad's four
inline constexpr std::uint32_t Down = 1U << 1;
inline constexpr std::uint32_t Left = 1U << 2;
inline constexpr std::uint32_t Right = 1U << 3;
inline constexpr std::uint32_t South = 1U << 4; // A, or Cross
inline constexpr std::uint32_t Start = 1U << 5;
inline constexpr std::uint32_t Back = 1U << 6; // Back, Select, or Share
} // namespace padButtons

// One pad at one moment, in the same terms whatever the pad and whoever reads it.
struct PadSnapshot {
    std::uint32_t buttons = 0; // the padButtons held down
    float stickX = 0;          // the left stick: -1 all the way left, 1 all the way right
    float stickY = 0;          // -1 all the way up, 1 all the way down
    float rightTrigger = 0;    // 0 released, 1 pulled all the way
};

// The menu commands a pad gives.
enum class PadCommand { NowaGra, Pauza };

// A pad as its front end numbers it, for as long as it stays connected.
using PadId = int;

// Turns the states of the connected pads into their players' key events, as if each pad were
// that player's keys, and into menu commands.
//
// The first pad connected plays player 1, the second player 2; a pad connected while both
// players have one waits, and takes the first player that comes free. Pads play only the
// players that people play, not those the computer plays. The D-pad and the left
// stick press the player's direction keys, the south button and the right trigger hold the
// turbo key, Start gives "Nowa gra" and Back "Pauza".
//
// Only a change is a press: a direction or turbo held for a while is one key-down, and
// whatever a pad already holds when it takes a player, or when the window starts listening
// again, presses nothing until it is let go and pressed anew.
class Pads {
public:
    using CommandHandler = std::function<void(PadCommand)>;

    // Key events go to `keys`; commands to `command`, which checks the menu's enabled states.
    Pads(HeldKeys& keys, CommandHandler command);

    void connect(PadId pad);
    // Lets go of the pad's turbo, and hands its player to a waiting pad.
    void disconnect(PadId pad);
    void update(PadId pad, const PadSnapshot& state);
    // While the window does not listen, as when it has lost the keyboard, pads act on nothing
    // and let go of their turbo; their states are still followed.
    void setListening(bool listening);
    // The players that people play. A pad whose player the computer takes lets go of its turbo
    // and waits; waiting pads take the players this frees.
    void setPeople(PlayerSet people);

    // The player the pad plays; empty for a pad that waits, or one that is not connected.
    std::optional<Player> player(PadId pad) const;

private:
    struct Pad {
        PadId id;
        std::optional<Player> player;
        PadSnapshot state;
        bool turbo = false; // its turbo key is down in `keys_`
    };

    Pad* find(PadId pad);
    // The first player a person plays that no pad plays.
    std::optional<Player> freePlayer() const;
    void releaseTurbo(Pad& pad);
    void act(Pad& pad, const PadSnapshot& before);

    HeldKeys& keys_;
    CommandHandler command_;
    std::vector<Pad> pads_; // in the order they were connected
    bool listening_ = true;
    PlayerSet people_ = PlayerSet::both();
};

} // namespace zirvel
