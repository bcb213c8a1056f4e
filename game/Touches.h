// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "HeldKeys.h"
#include "Player.h"

#include <optional>
#include <vector>

namespace zirvel {

// A finger as its front end numbers it, for as long as it touches the screen.
using TouchId = int;

// Where a finger is on the screen, in the front end's pixels from the top left corner.
struct TouchPoint {
    float x = 0;
    float y = 0;
};

// Turns fingers on one touch screen into their players' key events, as if each finger were
// keys of the player whose half of the screen it touched down in: the left half plays player
// 2, who starts on the left, the right half player 1.
//
// - A swipe steers: once a finger has moved Threshold pixels from where it touched down, or
//   from where its last swipe was counted, it presses the direction key of the axis it moved
//   along furthest, once. So the guard against turning straight back holds as for keys, and
//   one finger can swipe again and again without lifting.
// - A finger held still holds turbo: one that has not swiped by HoldDelay after it touched
//   down presses the turbo key, and lets it go when it lifts. A turbo finger may then swipe
//   and stays in turbo, so one thumb does both.
// - A finger resting after a swipe does nothing: it never takes turbo, however long it rests.
//   Resting the thumb where a swipe ended is the commonest accident, and turbo by accident
//   ends rounds.
//
// A finger belongs to the player of the half it touched down in until it lifts, wherever it
// moves; each player's fingers act on that player's keys alone.
class Touches {
public:
    // How far a finger moves before it steers, and how long it rests before it holds turbo.
    static constexpr float Threshold = 24;
    static constexpr double HoldDelay = 250;

    explicit Touches(HeldKeys& keys)
        : keys_(keys) {}

    // A finger touched down at `time` milliseconds on a screen `width` pixels wide.
    void down(TouchId id, TouchPoint at, float width, double time);
    void move(TouchId id, TouchPoint at, double time);
    // The finger lifted, or the front end gave up following it.
    void up(TouchId id);
    // Fingers that have rested since they touched down for HoldDelay by `time` take turbo.
    void elapse(double time);
    // Lets go of every finger's turbo and forgets them all: a finger that stays on the screen
    // acts again only once it has lifted and touched down anew.
    void liftAll();
    // When `elapse` must next run for a resting finger to take turbo; empty while none waits.
    std::optional<double> nextHold() const;

private:
    enum class Stage { Resting, Swiped, Turbo };
    struct Finger {
        TouchId id;
        Player player;
        TouchPoint from; // where it touched down or last swiped
        double since;    // when it touched down
        Stage stage;
    };

    Finger* find(TouchId id);
    void holdTurbo(Finger& finger, double time);
    void release(const Finger& finger);

    HeldKeys& keys_;
    std::vector<Finger> fingers_;
};

} // namespace zirvel
