// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the computer player costs and how strong each level is. Each level plays itself at
// "B. Szybko"; a sample of the screens it decided on is then decided on again, each screen
// repeated for a few milliseconds, with the standard clock alone. So the same program runs
// natively and as WebAssembly in a browser, whose clock counts only tenths of a millisecond or
// whole ones. Natively it then plays the ladder: seeded rounds of each level against the one
// below, the random mover at the bottom, half of them from each side of the board.
#include "sim/Duel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

using namespace zirvel;
using opponent::Level;

namespace {

const char* name(std::optional<Level> level) {
    return level ? opponent::levelName(*level) : "random";
}

std::unique_ptr<opponent::Strategy> strategy(std::optional<Level> level) {
    return level ? opponent::makeStrategy(*level) : sim::makeRandomMover();
}

double percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0.0;
    }
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

constexpr double SpanMicroseconds = 10'000; // how long each sample is repeated, at the least
constexpr double CalibrationMicroseconds = 50'000;

double microsecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
        .count();
}

// Microseconds of each decision, over a sample of the screens the level decided on in `rounds`
// rounds against itself: looking at the screen and deciding, as the window has it done.
std::vector<double> decisionCosts(Level level, int rounds, std::size_t samples) {
    std::vector<opponent::Screen> screens;
    for (int round = 0; round < rounds; ++round) {
        sim::Duel duel(strategy(level), strategy(level), static_cast<std::uint64_t>(round));
        std::uint64_t before = 0;
        duel.beforeDecision = [&](Player player) { before = duel.player(player).decisions(); };
        duel.afterDecision = [&](Player player) {
            if (duel.player(player).decisions() != before) {
                screens.push_back(opponent::look(duel.simulation().window,
                                                 duel.simulation().game.state(), player));
            }
        };
        duel.playRound();
    }
    std::vector<opponent::Screen> sample;
    for (std::size_t i = 0; i < samples && !screens.empty(); ++i) {
        sample.push_back(screens[i * screens.size() / samples]);
    }
    std::unique_ptr<opponent::Strategy> deciding = strategy(level);
    opponent::Random random(1);
    const auto decide = [&](const opponent::Screen& screen) {
        return deciding->decide(screen, random).heading;
    };
    // Passes over the whole sample, for long enough that a coarse clock can time them, tell how
    // often a screen must be repeated to span enough time; they also let a browser compile the
    // code fully before it is timed.
    const auto start = std::chrono::steady_clock::now();
    int passes = 0;
    do {
        for (const opponent::Screen& screen : sample) {
            decide(screen);
        }
        ++passes;
    } while (microsecondsSince(start) < CalibrationMicroseconds || passes < 2);
    const double mean =
        microsecondsSince(start) / static_cast<double>(passes) / static_cast<double>(sample.size());
    const int repeats = std::max(1, static_cast<int>(SpanMicroseconds / mean));
    std::vector<double> costs;
    for (const opponent::Screen& screen : sample) {
        const auto each = std::chrono::steady_clock::now();
        for (int repeat = 0; repeat < repeats; ++repeat) {
            decide(screen);
        }
        costs.push_back(microsecondsSince(each) / repeats);
    }
    return costs;
}

// Rounds the stronger wins out of `games`, and the longest round in moves of simulated time.
int wins(std::optional<Level> stronger, std::optional<Level> weaker, int games) {
    int won = 0;
    for (int game = 0; game < games; ++game) {
        const bool first = game % 2 == 0;
        sim::Duel duel(strategy(first ? stronger : weaker), strategy(first ? weaker : stronger),
                       static_cast<std::uint64_t>(1000 + game));
        won += duel.playRound() == (first ? Player::Two : Player::One) ? 1 : 0;
    }
    return won;
}

int option(int argc, char* argv[], const char* flag, int fallback) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], flag) == 0) {
            return std::atoi(argv[i + 1]);
        }
    }
    return fallback;
}

} // namespace

int main(int argc, char* argv[]) {
#ifdef __EMSCRIPTEN__
    // The page runs it all before it can answer the benchmark's script.
    constexpr int DefaultGames = 0;
    constexpr int DefaultRounds = 4;
#else
    constexpr int DefaultGames = 200;
    constexpr int DefaultRounds = 10;
#endif
    const int rounds = std::max(1, option(argc, argv, "--rounds", DefaultRounds));
    const int games = option(argc, argv, "--games", DefaultGames);
    const auto samples =
        static_cast<std::size_t>(std::max(1, option(argc, argv, "--samples", 400)));
    for (Level level : {Level::Easy, Level::Medium, Level::Hard}) {
        const std::vector<double> costs = decisionCosts(level, rounds, samples);
        std::printf("decision %s: p50 %.1f us, p99 %.1f us, max %.1f us, %zu screens\n",
                    name(level), percentile(costs, 0.5), percentile(costs, 0.99),
                    percentile(costs, 1.0), costs.size());
    }
    if (games > 0) {
        const std::optional<Level> ladder[] = {std::nullopt, Level::Easy, Level::Medium,
                                               Level::Hard};
        for (std::size_t rung = 1; rung < std::size(ladder); ++rung) {
            const int won = wins(ladder[rung], ladder[rung - 1], games);
            std::printf("ladder %s against %s: %d of %d (%.1f %%)\n", name(ladder[rung]),
                        name(ladder[rung - 1]), won, games, 100.0 * won / games);
        }
        const int won = wins(Level::Hard, std::nullopt, games);
        std::printf("ladder %s against %s: %d of %d (%.1f %%)\n", name(Level::Hard),
                    name(std::nullopt), won, games, 100.0 * won / games);
    }
    return 0;
}
