// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What the computer player costs and how strong each level is. Each level plays itself at
// "B. Szybko" while every decision is timed with the standard clock alone, so that the same
// program runs natively and as WebAssembly in a browser. Natively it then plays the ladder:
// seeded rounds of each level against the one below, the random mover at the bottom, half of
// them from each side of the board.
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
    if (!level) {
        return "random";
    }
    switch (*level) {
    case Level::Easy:
        return "łatwy";
    case Level::Medium:
        return "średni";
    case Level::Hard:
        return "trudny";
    }
    return "";
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

// Microseconds of each decision, over `rounds` rounds of the level against itself.
std::vector<double> decisionCosts(Level level, int rounds) {
    std::vector<double> costs;
    for (int round = 0; round < rounds; ++round) {
        sim::Duel duel(strategy(level), strategy(level), static_cast<std::uint64_t>(round));
        std::chrono::steady_clock::time_point start;
        std::uint64_t before = 0;
        duel.beforeDecision = [&](Player player) {
            before = duel.player(player).decisions();
            start = std::chrono::steady_clock::now();
        };
        duel.afterDecision = [&](Player player) {
            const std::chrono::duration<double, std::micro> took =
                std::chrono::steady_clock::now() - start;
            if (duel.player(player).decisions() != before) {
                costs.push_back(took.count());
            }
        };
        duel.playRound();
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
    constexpr int DefaultGames = 0;
#else
    constexpr int DefaultGames = 200;
#endif
    const int rounds = std::max(1, option(argc, argv, "--rounds", 10));
    const int games = option(argc, argv, "--games", DefaultGames);
    for (Level level : {Level::Easy, Level::Medium, Level::Hard}) {
        const std::vector<double> costs = decisionCosts(level, rounds);
        std::printf("decision %s: p50 %.1f us, p99 %.1f us, max %.1f us, %zu decisions\n",
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
