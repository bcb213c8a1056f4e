// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Lateness.h"

#include <algorithm>
#include <cmath>

namespace zirvel::server {

void Lateness::record(double milliseconds) {
    const double late = std::max(0.0, milliseconds);
    const double bin = std::floor(late / BinMilliseconds);
    ++bins_[bin >= static_cast<double>(Bins) ? Bins - 1 : static_cast<std::size_t>(bin)];
    ++count_;
    max_ = std::max(max_, late);
}

void Lateness::reset() {
    bins_.fill(0);
    count_ = 0;
    max_ = 0.0;
}

double Lateness::percentile(double p) const {
    if (count_ == 0) {
        return 0.0;
    }
    const auto rank =
        static_cast<std::uint64_t>(std::clamp(p, 0.0, 1.0) * static_cast<double>(count_ - 1) + 0.5);
    std::uint64_t seen = 0;
    for (std::size_t bin = 0; bin < Bins; ++bin) {
        seen += bins_[bin];
        if (seen > rank) {
            return bin == Bins - 1 ? max_
                                   : std::min(max_, static_cast<double>(bin + 1) * BinMilliseconds);
        }
    }
    return max_;
}

} // namespace zirvel::server
