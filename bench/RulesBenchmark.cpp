// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Cost of the rules per event on the in-memory board.
#include "KeyCodes.h"
#include "OpenBoard.h"
#include "sim/Simulation.h"

#include <benchmark/benchmark.h>

using namespace zirvel;

namespace {

using bench::OpenBoard;

void BM_FastTickScanAndBothTurboMoves(benchmark::State& state) {
    OpenBoard board;
    for (auto _ : state) {
        board.restage();
        board.sim.game.Timer2_Timer();
    }
}
BENCHMARK(BM_FastTickScanAndBothTurboMoves);

void BM_NormalTickScanAndBothMoves(benchmark::State& state) {
    OpenBoard board;
    board.sim.game.Form_KeyUp(keys::Shift, 0);
    board.sim.game.Form_KeyUp(keys::Space, 0);
    for (auto _ : state) {
        board.restage();
        board.sim.game.Timer1_Timer();
    }
}
BENCHMARK(BM_NormalTickScanAndBothMoves);

void BM_NewRoundReset(benchmark::State& state) {
    sim::Simulation sim;
    for (auto _ : state) {
        sim.game.mnunowagra_Click();
    }
}
BENCHMARK(BM_NewRoundReset);

void BM_KeyPress(benchmark::State& state) {
    sim::Simulation sim;
    sim.game.mnunowagra_Click();
    const std::uint16_t turns[] = {keys::Left, keys::Up, keys::Right, keys::Up};
    std::size_t next = 0;
    for (auto _ : state) {
        sim.game.Form_KeyDown(turns[next], 0);
        next = (next + 1) % 4;
    }
    benchmark::DoNotOptimize(sim.game.state().Kierunek1);
}
BENCHMARK(BM_KeyPress);

} // namespace

BENCHMARK_MAIN();
