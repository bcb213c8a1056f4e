// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Touches.h"

#include "Direction.h"
#include "KeyCodes.h"

#include <algorithm>
#include <cmath>

namespace zirvel {

namespace {

// Where a finger went from `from` to `to`, by the axis it moved along furthest; empty until it
// has gone Threshold pixels along one of them.
std::optional<Heading> swipe(TouchPoint from, TouchPoint to) {
    const float dx = to.x - from.x;
    const float dy = to.y - from.y;
    if (!std::isfinite(dx) || !std::isfinite(dy) ||
        std::max(std::fabs(dx), std::fabs(dy)) < Touches::Threshold) {
        return std::nullopt;
    }
    if (std::fabs(dx) > std::fabs(dy)) {
        return dx < 0 ? Heading::Left : Heading::Right;
    }
    return dy < 0 ? Heading::Up : Heading::Down;
}

} // namespace

Touches::Finger* Touches::find(TouchId id) {
    const auto found = std::find_if(fingers_.begin(), fingers_.end(),
                                    [id](const Finger& f) { return f.id == id; });
    return found == fingers_.end() ? nullptr : &*found;
}

void Touches::down(TouchId id, TouchPoint at, float width, double time) {
    up(id);
    const Player player = at.x < width / 2 ? Player::Two : Player::One;
    fingers_.push_back({id, player, at, time, Stage::Resting});
}

void Touches::move(TouchId id, TouchPoint at, double time) {
    Finger* finger = find(id);
    if (finger == nullptr) {
        return;
    }
    // A finger that rested long enough took turbo before it moved, even where the front end
    // had not yet said that the time had come.
    holdTurbo(*finger, time);
    if (const std::optional<Heading> heading = swipe(finger->from, at)) {
        const std::uint16_t key = keys::headingKey(finger->player, *heading);
        keys_.keyDown(key, 0, KeySource::Touch);
        keys_.keyUp(key, 0, KeySource::Touch);
        finger->from = at;
        if (finger->stage == Stage::Resting) {
            finger->stage = Stage::Swiped;
        }
    }
}

void Touches::up(TouchId id) {
    const Finger* finger = find(id);
    if (finger == nullptr) {
        return;
    }
    const Finger lifted = *finger;
    fingers_.erase(fingers_.begin() + (finger - fingers_.data()));
    release(lifted);
}

void Touches::elapse(double time) {
    for (Finger& finger : fingers_) {
        holdTurbo(finger, time);
    }
}

void Touches::holdTurbo(Finger& finger, double time) {
    if (finger.stage != Stage::Resting || time < finger.since + HoldDelay) {
        return;
    }
    finger.stage = Stage::Turbo;
    keys_.keyDown(keys::turboKey(finger.player), 0, KeySource::Touch);
}

// The player's turbo key goes up once no other finger of the player holds it.
void Touches::release(const Finger& finger) {
    if (finger.stage != Stage::Turbo) {
        return;
    }
    const bool held = std::any_of(fingers_.begin(), fingers_.end(), [&](const Finger& other) {
        return other.player == finger.player && other.stage == Stage::Turbo;
    });
    if (!held) {
        keys_.keyUp(keys::turboKey(finger.player), 0, KeySource::Touch);
    }
}

void Touches::liftAll() {
    while (!fingers_.empty()) {
        up(fingers_.back().id);
    }
}

std::optional<double> Touches::nextHold() const {
    std::optional<double> next;
    for (const Finger& finger : fingers_) {
        if (finger.stage == Stage::Resting) {
            const double due = finger.since + HoldDelay;
            next = next ? std::min(*next, due) : due;
        }
    }
    return next;
}

} // namespace zirvel
