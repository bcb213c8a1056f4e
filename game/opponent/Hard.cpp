// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// "trudny": searches the moves of both heads ahead, alpha-beta, deepening one move at a time
// until a fixed count of positions has been weighed, so that it decides the same way on any
// machine. A position is weighed by territory: the free cells its head reaches before the
// other head does. Once the heads are cut apart, only the room each has left counts, many times
// over, so the search closes a region off when that leaves the larger part to itself. Apart,
// it fills its own region: the move after which the most cells remain reachable, hugging
// walls among equals. While the heads race for space, it holds turbo when moving twice as fast
// would win it clearly more cells.
#include "Levels.h"

#include <algorithm>
#include <array>
#include <limits>

namespace zirvel::opponent {

namespace {

constexpr int PositionBudget = 64; // positions weighed per decision
constexpr int MaxDepth = 12;       // moves of each head
constexpr int Win = 1'000'000;
constexpr int ApartWeight = 64; // a cell of room once apart, against a cell of territory
constexpr int TurboGain = 10;   // cells that turbo must win to be worth holding

// The free cells a head can step onto; at most three, as it came from the fourth.
struct Steps {
    std::array<int, 4> cells{};
    std::size_t count = 0;

    bool empty() const { return count == 0; }
    const int* begin() const { return cells.data(); }
    const int* end() const { return cells.data() + count; }
};

Steps steps(const Grid& free, int head) {
    Steps found;
    for (Heading heading : AllHeadings) {
        if (const std::optional<int> next = freeStep(free, head, heading)) {
            found.cells[found.count++] = *next;
        }
    }
    return found;
}

class Search {
public:
    // The value of the position for the head on `me`, whose turn it is.
    int mine(const Grid& free, int me, int other, int depth, int alpha, int beta, int ply) {
        if (depth == 0) {
            return weigh(free, me, other);
        }
        const Steps moves = steps(free, me);
        if (moves.empty()) {
            // Both stuck at once is a crash for each: even.
            return steps(free, other).empty() ? 0 : -Win + ply;
        }
        int best = std::numeric_limits<int>::min();
        for (int move : moves) {
            Grid after = free;
            after.remove(move);
            best = std::max(best, theirs(after, move, other, depth, alpha, beta, ply + 1));
            alpha = std::max(alpha, best);
            if (alpha >= beta || exhausted()) {
                break;
            }
        }
        return best;
    }

    // The same, when the other head answers a move just made to `me`. Both enter their cells on
    // the same tick, so the other head entering `me` is a head-on crash of both: even.
    int theirs(const Grid& free, int me, int other, int depth, int alpha, int beta, int ply) {
        const Steps moves = steps(free, other);
        const bool headOn = std::any_of(AllHeadings.begin(), AllHeadings.end(),
                                        [&](Heading h) { return stepFrom(other, h) == me; });
        if (moves.empty()) {
            return headOn ? 0 : Win - ply;
        }
        int best = std::numeric_limits<int>::max();
        if (headOn) {
            best = 0;
            beta = std::min(beta, 0);
        }
        for (int move : moves) {
            if (alpha >= beta) {
                break;
            }
            Grid after = free;
            after.remove(move);
            best = std::min(best, mine(after, me, move, depth - 1, alpha, beta, ply + 1));
            beta = std::min(beta, best);
            if (exhausted()) {
                break;
            }
        }
        return best;
    }

    bool exhausted() const { return weighed_ >= PositionBudget; }

private:
    int weigh(const Grid& free, int me, int other) {
        ++weighed_;
        const Grid room = free.reachableFrom(me);
        if (!touches(room, free, other)) {
            return (room.count() - free.reachableFrom(other).count()) * ApartWeight;
        }
        const Territory territory = splitFree(free, me, other);
        return territory.first - territory.second;
    }

    int weighed_ = 0;
};

// Alone in a region: the move that keeps the most cells reachable a move later, then the one
// along a wall, then the heading already taken.
Heading fill(const Screen& screen, const std::vector<Heading>& safe) {
    Heading best = safe.front();
    int bestScore = -1;
    for (Heading heading : safe) {
        const int next = *stepFrom(screen.me(), heading);
        Grid after = screen.free;
        after.remove(next);
        int room = 0;
        for (int second : steps(after, next)) {
            Grid further = after;
            further.remove(second);
            room = std::max(room, 1 + further.reachableFrom(second).count());
        }
        const int score = room * 8 + (4 - freeNeighbours(after, next));
        if (score > bestScore) {
            bestScore = score;
            best = heading;
        }
    }
    return best;
}

class Hard : public Strategy {
public:
    Decision decide(const Screen& screen, Random& /*random*/) override {
        std::vector<Heading> safe = safeHeadings(screen);
        if (safe.empty()) {
            return {screen.ownHeading, false};
        }
        const Grid room = screen.free.reachableFrom(screen.me());
        if (!touches(room, screen.free, screen.other())) {
            return {fill(screen, safe), false};
        }
        Search search;
        for (int depth = 1; depth <= MaxDepth && !search.exhausted(); ++depth) {
            std::vector<std::pair<int, Heading>> values;
            for (Heading heading : safe) {
                const int next = *stepFrom(screen.me(), heading);
                Grid after = screen.free;
                after.remove(next);
                values.emplace_back(
                    search.theirs(after, next, screen.other(), depth, -Win - 1, Win + 1, 1),
                    heading);
            }
            if (search.exhausted() && depth > 1) {
                break; // an unfinished depth is not to be trusted: keep the last whole one
            }
            // Best first for the next depth; the present heading wins ties.
            std::stable_sort(values.begin(), values.end(),
                             [](const auto& a, const auto& b) { return a.first > b.first; });
            for (std::size_t i = 0; i < safe.size(); ++i) {
                safe[i] = values[i].second;
            }
        }
        return {safe.front(), wantsTurbo(screen)};
    }

private:
    static bool wantsTurbo(const Screen& screen) {
        const Territory even = splitFree(screen.free, screen.me(), screen.other());
        const Territory fast = splitFree(screen.free, screen.me(), screen.other(), 2);
        return fast.first - even.first >= TurboGain;
    }
};

} // namespace

std::unique_ptr<Strategy> makeHard() {
    return std::make_unique<Hard>();
}

} // namespace zirvel::opponent
