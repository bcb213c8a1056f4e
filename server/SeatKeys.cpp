// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SeatKeys.h"

#include "KeyCodes.h"

namespace zirvel::server {

namespace {

std::optional<Heading> headingOf(protocol::Key key) {
    using protocol::Key;
    switch (key) {
    case Key::Up:
    case Key::W:
        return Heading::Up;
    case Key::Down:
    case Key::S:
        return Heading::Down;
    case Key::Left:
    case Key::A:
        return Heading::Left;
    case Key::Right:
    case Key::D:
        return Heading::Right;
    case Key::Shift:
    case Key::Space:
        return std::nullopt;
    }
    return std::nullopt;
}

KeySource sourceOf(protocol::KeyOrigin origin) {
    switch (origin) {
    case protocol::KeyOrigin::Keyboard:
        return KeySource::Keyboard;
    case protocol::KeyOrigin::Pad:
        return KeySource::Pad;
    case protocol::KeyOrigin::Touch:
        return KeySource::Touch;
    }
    return KeySource::Keyboard;
}

} // namespace

std::optional<RulesKey> SeatKeys::map(const protocol::KeyEvent& key) {
    const KeySource source = sourceOf(key.origin);
    if (const std::optional<Heading> heading = headingOf(key.key)) {
        return RulesKey{keys::headingKey(player_, *heading), key.down, source};
    }
    if (source == KeySource::Pad) {
        pad_ = key.down;
    } else if (source == KeySource::Touch) {
        touch_ = key.down;
    } else {
        (key.key == protocol::Key::Shift ? shift_ : space_) = key.down;
        if (!key.down && (shift_ || space_)) {
            return std::nullopt;
        }
    }
    return RulesKey{keys::turboKey(player_), key.down, source};
}

std::vector<RulesKey> SeatKeys::releaseAll() {
    std::vector<RulesKey> releases;
    if (shift_ || space_) {
        releases.push_back({keys::turboKey(player_), false, KeySource::Keyboard});
    }
    if (pad_) {
        releases.push_back({keys::turboKey(player_), false, KeySource::Pad});
    }
    if (touch_) {
        releases.push_back({keys::turboKey(player_), false, KeySource::Touch});
    }
    shift_ = space_ = pad_ = touch_ = false;
    return releases;
}

} // namespace zirvel::server
