// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "HeldKeys.h"
#include "Messages.h"
#include "Player.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace zirvel::server {

// A key event as the rules hear it through the held keys.
struct RulesKey {
    std::uint16_t code = 0;
    bool down = true;
    KeySource source = KeySource::Keyboard;

    friend bool operator==(const RulesKey&, const RulesKey&) = default;
};

// The keys of one seat's client, turned into its own player's keys: online each player
// steers with either key set, so W and the up arrow both steer the seat's head up, and Shift
// and Space both give it turbo.
class SeatKeys {
public:
    explicit SeatKeys(Player player)
        : player_(player) {}

    // The event for the rules; empty when the rules must not hear it: the release of one turbo
    // key while the other is still held from the keyboard. The rules' held keys count the
    // keyboard, the pad and touch apart.
    std::optional<RulesKey> map(const protocol::KeyEvent& key);
    // Releases of every turbo key held, which are then forgotten.
    std::vector<RulesKey> releaseAll();

private:
    Player player_;
    // Which turbo keys are down: Shift and Space from the keyboard, the pad's and a touch's.
    bool shift_ = false;
    bool space_ = false;
    bool pad_ = false;
    bool touch_ = false;
};

} // namespace zirvel::server
