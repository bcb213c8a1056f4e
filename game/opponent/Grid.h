// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "../Board.h"
#include "../Direction.h"

#include <array>
#include <cstdint>
#include <optional>

namespace zirvel::opponent {

// A set of board cells, one bit each, a row to a word: the computer player floods and splits
// the free cells thousands of times a second, a whole row at a time.
//
// Cells are the board's indexes 1..920. A step across a side edge leaves the board here: the
// rules crash a head that wraps onto the next row, so for planning that is a wall.
class Grid {
public:
    bool contains(int cell) const;
    void add(int cell);
    void remove(int cell);
    int count() const;
    bool empty() const;

    // The cells of this set that lie next to a cell of `from`.
    Grid around(const Grid& from) const;
    // The cells of this set that can be reached from `start` through this set; `start` itself
    // belongs to the result only if it is in the set.
    Grid reachableFrom(int start) const;

    friend Grid operator&(const Grid& a, const Grid& b);
    friend Grid operator|(const Grid& a, const Grid& b);
    // The cells of `a` that are not in `b`.
    friend Grid operator-(const Grid& a, const Grid& b);
    friend bool operator==(const Grid&, const Grid&) = default;

private:
    std::array<std::uint64_t, board::Rows> rows_{};
};

// The cell a head on `cell` enters by a step towards `heading`; empty off the board, which
// includes across a side edge.
std::optional<int> stepFrom(int cell, Heading heading);

inline constexpr std::array<Heading, 4> AllHeadings{Heading::Up, Heading::Down, Heading::Left,
                                                    Heading::Right};

// How the free cells near two heads racing for them split: the cells each reaches strictly
// first, up to a fixed distance. Cells both reach at once belong to neither. The first head moves
// `firstSpeed` cells for each cell of the second, as a head in turbo does.
struct Territory {
    int first = 0;
    int second = 0;
};
Territory splitFree(const Grid& free, int firstHead, int secondHead, int firstSpeed = 1);

} // namespace zirvel::opponent
