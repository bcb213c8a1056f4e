// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Board.h"

#include <string>

namespace zirvel::board {

CellLookupError::CellLookupError(int index)
    : std::out_of_range("no board cell " + std::to_string(index))
    , index_(index) {}

std::size_t CellGrid::slot(int index) {
    if (!contains(index)) {
        throw CellLookupError(index);
    }
    return static_cast<std::size_t>(index - 1);
}

Colour CellGrid::at(int index) const {
    return cells_[slot(index)];
}

bool CellGrid::set(int index, Colour colour) {
    Colour& cell = cells_[slot(index)];
    if (cell == colour) {
        return false;
    }
    cell = colour;
    return true;
}

} // namespace zirvel::board
