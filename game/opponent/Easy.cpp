// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// "łatwy": looks one move ahead. It goes straight while the next cell is free and turns only
// when it is not, towards the side with more room around the next cell. Once in every
// LateOneIn moves, drawn by the round's seed when its head arrives on a cell, it does not look
// at all and keeps going: that is its late turn, which crashes it if the way ahead is blocked
// just then. It never uses turbo.
#include "Levels.h"

namespace zirvel::opponent {

namespace {

constexpr int LateOneIn = 20;

class Easy : public Strategy {
public:
    Decision decide(const Screen& screen, Random& random) override {
        if (screen.me() != head_) {
            head_ = screen.me();
            late_ = random.oneIn(LateOneIn);
        }
        const std::vector<Heading> safe = safeHeadings(screen);
        if (late_) {
            return {screen.ownHeading, false, true};
        }
        if (safe.empty() || safe.front() == screen.ownHeading) {
            return {screen.ownHeading, false};
        }
        int best = -1;
        std::vector<Heading> choices;
        for (Heading heading : safe) {
            const int room = freeNeighbours(screen.free, *stepFrom(screen.me(), heading));
            if (room > best) {
                best = room;
                choices.clear();
            }
            if (room == best) {
                choices.push_back(heading);
            }
        }
        return {choices[static_cast<std::size_t>(random.below(static_cast<int>(choices.size())))],
                false};
    }

private:
    int head_ = 0;
    bool late_ = false;
};

} // namespace

std::unique_ptr<Strategy> makeEasy() {
    return std::make_unique<Easy>();
}

} // namespace zirvel::opponent
