// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Colour.h"
#include "Direction.h"

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace zirvel::board {

inline constexpr int Columns = 40;
inline constexpr int Rows = 23;
inline constexpr int CellCount = Columns * Rows;

// Cells are numbered 1..920 row by row from the top left corner.
constexpr bool contains(int index) {
    return index >= 1 && index <= CellCount;
}
constexpr int rowOf(int index) {
    return (index - 1) / Columns;
}
constexpr int columnOf(int index) {
    return (index - 1) % Columns;
}

// What one step in a heading adds to a cell index. There is no column check: a sideways
// step off one row lands on the neighbouring row.
constexpr int step(Heading heading) {
    switch (heading) {
    case Heading::Up:
        return -Columns;
    case Heading::Down:
        return Columns;
    case Heading::Left:
        return -1;
    case Heading::Right:
        return 1;
    }
    return 0;
}

// The cell one step from head, computed in the 16-bit arithmetic of head indexes; empty when
// the sum leaves the 16-bit range.
constexpr std::optional<std::int16_t> neighbour(std::int16_t head, Heading heading) {
    const int sum = head + step(heading);
    if (sum < INT16_MIN || sum > INT16_MAX) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(sum);
}

// Looking up a cell outside 1..920 fails with this error; the rules read it as a head
// leaving the board.
class CellLookupError : public std::out_of_range {
public:
    explicit CellLookupError(int index);
    int index() const { return index_; }

private:
    int index_;
};

// The colours of the 920 cells: the whole board model.
class CellGrid {
public:
    Colour at(int index) const;
    // Returns whether the colour changed, so that views repaint only what did.
    bool set(int index, Colour colour);

private:
    static std::size_t slot(int index);
    std::array<Colour, CellCount> cells_{};
};

} // namespace zirvel::board
