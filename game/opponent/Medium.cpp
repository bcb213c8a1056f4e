// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// "średni": keeps to the larger free region. Of the moves that do not crash, it takes the one
// after which its head has the most free cells to reach (a flood fill), keeps its heading
// among equals, and avoids a cell the other head could enter on the same tick. It holds turbo
// only on a long open straight while the other head is far away in the same region.
#include "Levels.h"

#include <cstdlib>

namespace zirvel::opponent {

namespace {

constexpr int TurboRun = 10;      // free cells straight ahead
constexpr int TurboDistance = 12; // cells between the heads, row and column steps added

int distance(int a, int b) {
    return std::abs(board::rowOf(a) - board::rowOf(b)) +
           std::abs(board::columnOf(a) - board::columnOf(b));
}

int openRun(const Grid& free, int head, Heading heading) {
    int run = 0;
    for (std::optional<int> cell = freeStep(free, head, heading); cell && run < TurboRun;
         cell = freeStep(free, *cell, heading)) {
        ++run;
    }
    return run;
}

class Medium : public Strategy {
public:
    Decision decide(const Screen& screen, Random& /*random*/) override {
        const std::vector<Heading> safe = safeHeadings(screen);
        if (safe.empty()) {
            return {screen.ownHeading, false};
        }
        Heading best = safe.front();
        int bestScore = -1;
        Grid bestRegion;
        for (Heading heading : safe) {
            const int next = *stepFrom(screen.me(), heading);
            Grid after = screen.free;
            after.remove(next);
            const Grid region = after.reachableFrom(next);
            // Room counts most; a cell the other head may take at once costs a little.
            int score = region.count() * 4;
            if (distance(next, screen.other()) == 1) {
                score -= 3;
            }
            if (score > bestScore) {
                bestScore = score;
                best = heading;
                bestRegion = region;
            }
        }
        const bool racing = touches(bestRegion, screen.free, screen.other());
        const bool turbo = racing && best == screen.ownHeading &&
                           openRun(screen.free, screen.me(), best) >= TurboRun &&
                           distance(screen.me(), screen.other()) >= TurboDistance;
        return {best, turbo};
    }
};

} // namespace

std::unique_ptr<Strategy> makeMedium() {
    return std::make_unique<Medium>();
}

} // namespace zirvel::opponent
