// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Levels.h"

namespace zirvel::opponent {

std::unique_ptr<Strategy> makeStrategy(Level level) {
    switch (level) {
    case Level::Easy:
        return makeEasy();
    case Level::Medium:
        return makeMedium();
    case Level::Hard:
        return makeHard();
    }
    return makeEasy();
}

const char* levelName(Level level) {
    switch (level) {
    case Level::Easy:
        return "łatwy";
    case Level::Medium:
        return "średni";
    case Level::Hard:
        return "trudny";
    }
    return "";
}

std::vector<Heading> safeHeadings(const Screen& screen) {
    std::vector<Heading> safe;
    if (freeStep(screen.free, screen.me(), screen.ownHeading)) {
        safe.push_back(screen.ownHeading);
    }
    for (Heading heading : AllHeadings) {
        if (heading != screen.ownHeading && freeStep(screen.free, screen.me(), heading)) {
            safe.push_back(heading);
        }
    }
    return safe;
}

bool touches(const Grid& region, const Grid& free, int otherHead) {
    Grid head;
    head.add(otherHead);
    return !(free.around(head) & region).empty();
}

int freeNeighbours(const Grid& free, int cell) {
    int count = 0;
    for (Heading heading : AllHeadings) {
        if (freeStep(free, cell, heading)) {
            ++count;
        }
    }
    return count;
}

} // namespace zirvel::opponent
