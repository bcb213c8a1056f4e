// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Strategy.h"

#include <vector>

namespace zirvel::opponent {

std::unique_ptr<Strategy> makeEasy();
std::unique_ptr<Strategy> makeMedium();
std::unique_ptr<Strategy> makeHard();

// The headings whose next cell is on the board and free, the way the head already goes first.
std::vector<Heading> safeHeadings(const Screen& screen);

// Whether the other head can still reach any cell of `region`, a region of free cells.
bool touches(const Grid& region, const Grid& free, int otherHead);

// How many free cells a head on `cell` could step onto.
int freeNeighbours(const Grid& free, int cell);

} // namespace zirvel::opponent
