// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace zirvel::server {

// A rate with room for bursts: tokens flow in at a steady rate up to a ceiling, and each event
// takes one. Times are milliseconds on any clock that never goes back.
class TokenBucket {
public:
    TokenBucket(double perSecond, double burst, double now);

    // Takes a token; false, taking nothing, when none is left.
    bool take(double now);

private:
    double perMillisecond_;
    double burst_;
    double tokens_;
    double last_;
};

} // namespace zirvel::server
