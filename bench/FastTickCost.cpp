// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The fast tick's cost in the rules (the scan of 920 passes and both turbo moves), timed with
// the standard clock alone, so that the same program runs natively and as WebAssembly in a
// browser and the two can be compared in one run. Prints the median of 15 batches.
#include "OpenBoard.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

int main() {
    constexpr int Batches = 15;
    constexpr int TicksPerBatch = 20000;
    zirvel::bench::OpenBoard board;
    std::vector<double> nanoseconds;
    for (int batch = 0; batch < Batches; ++batch) {
        const auto start = std::chrono::steady_clock::now();
        for (int tick = 0; tick < TicksPerBatch; ++tick) {
            board.restage();
            board.sim.game.Timer2_Timer();
        }
        const std::chrono::duration<double, std::nano> elapsed =
            std::chrono::steady_clock::now() - start;
        nanoseconds.push_back(elapsed.count() / TicksPerBatch);
    }
    std::sort(nanoseconds.begin(), nanoseconds.end());
    std::printf("fast tick: %.1f ns\n", nanoseconds[Batches / 2]);
    return 0;
}
