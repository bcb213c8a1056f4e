// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "TokenBucket.h"

#include <algorithm>

namespace zirvel::server {

TokenBucket::TokenBucket(double perSecond, double burst, double now)
    : perMillisecond_(perSecond / 1000)
    , burst_(burst)
    , tokens_(burst)
    , last_(now) {}

bool TokenBucket::take(double now) {
    tokens_ = std::min(burst_, tokens_ + std::max(0.0, now - last_) * perMillisecond_);
    last_ = std::max(last_, now);
    if (tokens_ < 1) {
        return false;
    }
    tokens_ -= 1;
    return true;
}

} // namespace zirvel::server
