// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <functional>
#include <memory>
#include <optional>

namespace zirvel::server {

// One wake-up that can be armed again and again; destroying it cancels it.
class Alarm {
public:
    virtual ~Alarm() = default;
    // Wakes once, this many milliseconds from now; empty: not at all. Replaces any earlier arming.
    virtual void arm(std::optional<double> milliseconds) = 0;
};

// The time the rooms run on: the real one in the server, a simulated one in tests.
class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since some fixed moment, with their fraction; never goes back.
    virtual double milliseconds() const = 0;
    virtual std::unique_ptr<Alarm> alarm(std::function<void()> wake) = 0;
};

} // namespace zirvel::server
