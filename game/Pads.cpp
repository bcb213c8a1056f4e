// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Pads.h"

#include "Direction.h"
#include "KeyCodes.h"

#include <algorithm>
#include <cmath>

namespace zirvel {

namespace {

// A stick steers only once pushed past half its travel: a resting stick that drifts, or a
// thumb that merely rests on it, never turns a head.
constexpr float DeadZone = 0.5F;
// A trigger holds turbo once pulled half way.
constexpr float TriggerPoint = 0.5F;

struct DpadButton {
    std::uint32_t button;
    Heading heading;
};

constexpr DpadButton DpadButtons[] = {
    {padButtons::Up, Heading::Up},
    {padButtons::Down, Heading::Down},
    {padButtons::Left, Heading::Left},
    {padButtons::Right, Heading::Right},
};

float axis(float value, float low) {
    return std::isfinite(value) ? std::clamp(value, low, 1.0F) : 0.0F;
}

// A front end's snapshot with every axis inside its range; a value that is no number rests.
PadSnapshot inRange(const PadSnapshot& state) {
    return {state.buttons, axis(state.stickX, -1.0F), axis(state.stickY, -1.0F),
            axis(state.rightTrigger, 0.0F)};
}

// Where the stick points, by the axis it is pushed along furthest.
std::optional<Heading> stickHeading(const PadSnapshot& state) {
    const float x = std::fabs(state.stickX);
    const float y = std::fabs(state.stickY);
    if (std::max(x, y) < DeadZone) {
        return std::nullopt;
    }
    if (x > y) {
        return state.stickX < 0 ? Heading::Left : Heading::Right;
    }
    return state.stickY < 0 ? Heading::Up : Heading::Down;
}

bool turboHeld(const PadSnapshot& state) {
    return (state.buttons & padButtons::South) != 0 || state.rightTrigger >= TriggerPoint;
}

bool pressed(const PadSnapshot& before, const PadSnapshot& now, std::uint32_t button) {
    return (before.buttons & button) == 0 && (now.buttons & button) != 0;
}

} // namespace

Pads::Pads(HeldKeys& keys, CommandHandler command)
    : keys_(keys)
    , command_(std::move(command)) {}

Pads::Pad* Pads::find(PadId pad) {
    const auto found =
        std::find_if(pads_.begin(), pads_.end(), [pad](const Pad& p) { return p.id == pad; });
    return found == pads_.end() ? nullptr : &*found;
}

std::optional<Player> Pads::player(PadId pad) const {
    for (const Pad& p : pads_) {
        if (p.id == pad) {
            return p.player;
        }
    }
    return std::nullopt;
}

std::optional<Player> Pads::freePlayer() const {
    for (Player player : BothPlayers) {
        if (people_.contains(player) &&
            std::none_of(pads_.begin(), pads_.end(),
                         [player](const Pad& p) { return p.player == player; })) {
            return player;
        }
    }
    return std::nullopt;
}

void Pads::connect(PadId pad) {
    if (find(pad) == nullptr) {
        pads_.push_back({pad, freePlayer(), {}, false});
    }
}

void Pads::disconnect(PadId pad) {
    Pad* gone = find(pad);
    if (gone == nullptr) {
        return;
    }
    releaseTurbo(*gone);
    pads_.erase(pads_.begin() + (gone - pads_.data()));
    const std::optional<Player> freed = freePlayer();
    for (Pad& waiting : pads_) {
        if (freed && !waiting.player) {
            waiting.player = freed;
            return;
        }
    }
}

void Pads::update(PadId pad, const PadSnapshot& state) {
    Pad* p = find(pad);
    if (p == nullptr) {
        return;
    }
    const PadSnapshot before = p->state;
    p->state = inRange(state);
    if (p->player && listening_) {
        act(*p, before);
    }
}

// A new round first, so that whatever the pad steers at the same moment counts in it.
void Pads::act(Pad& pad, const PadSnapshot& before) {
    const PadSnapshot now = pad.state;
    const Player player = *pad.player;
    if (pressed(before, now, padButtons::Start)) {
        command_(PadCommand::NowaGra);
    }
    if (pressed(before, now, padButtons::Back)) {
        command_(PadCommand::Pauza);
    }
    for (const DpadButton& dpad : DpadButtons) {
        const std::uint16_t key = keys::headingKey(player, dpad.heading);
        if (pressed(before, now, dpad.button)) {
            keys_.keyDown(key, 0, KeySource::Pad);
        } else if (pressed(now, before, dpad.button)) {
            keys_.keyUp(key, 0, KeySource::Pad);
        }
    }
    const std::optional<Heading> stickBefore = stickHeading(before);
    const std::optional<Heading> stickNow = stickHeading(now);
    if (stickNow != stickBefore) {
        if (stickBefore) {
            keys_.keyUp(keys::headingKey(player, *stickBefore), 0, KeySource::Pad);
        }
        if (stickNow) {
            keys_.keyDown(keys::headingKey(player, *stickNow), 0, KeySource::Pad);
        }
    }
    if (!turboHeld(before) && turboHeld(now)) {
        pad.turbo = true;
        keys_.keyDown(keys::turboKey(player), 0, KeySource::Pad);
    } else if (!turboHeld(now)) {
        releaseTurbo(pad);
    }
}

void Pads::releaseTurbo(Pad& pad) {
    if (pad.turbo) {
        pad.turbo = false;
        keys_.keyUp(keys::turboKey(*pad.player), 0, KeySource::Pad);
    }
}

void Pads::setPeople(PlayerSet people) {
    people_ = people;
    for (Pad& pad : pads_) {
        if (pad.player && !people.contains(*pad.player)) {
            releaseTurbo(pad);
            pad.player.reset();
        }
    }
    for (Pad& pad : pads_) {
        if (!pad.player) {
            pad.player = freePlayer();
        }
    }
}

void Pads::setListening(bool listening) {
    if (!listening) {
        for (Pad& pad : pads_) {
            releaseTurbo(pad);
        }
    }
    listening_ = listening;
}

} // namespace zirvel
