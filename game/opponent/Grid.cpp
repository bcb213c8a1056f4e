// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Grid.h"

#include <bit>

namespace zirvel::opponent {

namespace {

constexpr std::uint64_t RowMask = (std::uint64_t{1} << board::Columns) - 1;

// Territory is weighed this many cells out from each head: beyond that the race is too far off
// to tell, and a long winding region would cost a step per cell.
constexpr int TerritoryRings = 24;

constexpr std::size_t rowSlot(int cell) {
    return static_cast<std::size_t>(board::rowOf(cell));
}
constexpr std::uint64_t columnBit(int cell) {
    return std::uint64_t{1} << board::columnOf(cell);
}

} // namespace

bool Grid::contains(int cell) const {
    return board::contains(cell) && (rows_[rowSlot(cell)] & columnBit(cell)) != 0;
}

void Grid::add(int cell) {
    if (board::contains(cell)) {
        rows_[rowSlot(cell)] |= columnBit(cell);
    }
}

void Grid::remove(int cell) {
    if (board::contains(cell)) {
        rows_[rowSlot(cell)] &= ~columnBit(cell);
    }
}

int Grid::count() const {
    int total = 0;
    for (std::uint64_t row : rows_) {
        total += std::popcount(row);
    }
    return total;
}

bool Grid::empty() const {
    for (std::uint64_t row : rows_) {
        if (row != 0) {
            return false;
        }
    }
    return true;
}

Grid Grid::around(const Grid& from) const {
    Grid next;
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        std::uint64_t near = (from.rows_[r] << 1) | (from.rows_[r] >> 1);
        if (r > 0) {
            near |= from.rows_[r - 1];
        }
        if (r + 1 < rows_.size()) {
            near |= from.rows_[r + 1];
        }
        next.rows_[r] = near & RowMask & rows_[r];
    }
    return next;
}

namespace {

// Spreads each cell of `seeds` along its run of `free` cells in one row, both ways. Upwards a
// carry does it at once: adding a seed to its run clears the run from the seed up. Downwards
// the reach doubles at each step.
std::uint64_t fillRun(std::uint64_t seeds, std::uint64_t free) {
    const std::uint64_t up = (((free + seeds) ^ free) & free) | seeds;
    std::uint64_t down = seeds;
    std::uint64_t open = free;
    for (int shift = 1; shift < board::Columns; shift *= 2) {
        down |= open & (down >> shift);
        open &= open >> shift;
    }
    return up | down;
}

} // namespace

// A whole run of a row at a time, sweeping down the rows and back up until nothing grows, so
// that a winding region costs a few sweeps rather than one step per cell of its length.
Grid Grid::reachableFrom(int start) const {
    Grid head;
    head.add(start);
    Grid reached = around(head);
    if (contains(start)) {
        reached.add(start);
    }
    const std::size_t last = rows_.size() - 1;
    for (bool grew = true; grew;) {
        grew = false;
        const auto spread = [&](std::size_t r, std::size_t from) {
            const std::uint64_t seeds = reached.rows_[r] | (reached.rows_[from] & rows_[r]);
            const std::uint64_t row = fillRun(seeds, rows_[r]);
            grew = grew || row != reached.rows_[r];
            reached.rows_[r] = row;
        };
        for (std::size_t r = 0; r <= last; ++r) {
            spread(r, r == 0 ? 0 : r - 1);
        }
        for (std::size_t r = last + 1; r-- > 0;) {
            spread(r, r == last ? last : r + 1);
        }
    }
    return reached;
}

Grid operator&(const Grid& a, const Grid& b) {
    Grid result;
    for (std::size_t r = 0; r < result.rows_.size(); ++r) {
        result.rows_[r] = a.rows_[r] & b.rows_[r];
    }
    return result;
}

Grid operator|(const Grid& a, const Grid& b) {
    Grid result;
    for (std::size_t r = 0; r < result.rows_.size(); ++r) {
        result.rows_[r] = a.rows_[r] | b.rows_[r];
    }
    return result;
}

Grid operator-(const Grid& a, const Grid& b) {
    Grid result;
    for (std::size_t r = 0; r < result.rows_.size(); ++r) {
        result.rows_[r] = a.rows_[r] & ~b.rows_[r];
    }
    return result;
}

std::optional<int> stepFrom(int cell, Heading heading) {
    if (!board::contains(cell)) {
        return std::nullopt;
    }
    const int column = board::columnOf(cell);
    if ((heading == Heading::Left && column == 0) ||
        (heading == Heading::Right && column == board::Columns - 1)) {
        return std::nullopt;
    }
    const int next = cell + board::step(heading);
    return board::contains(next) ? std::optional<int>(next) : std::nullopt;
}

// Both floods grow one ring per step; a cell that both rings reach on the same step is shared
// and stops both floods there. A faster first head grows its further rings alone.
Territory splitFree(const Grid& free, int firstHead, int secondHead, int firstSpeed) {
    Grid firstRing;
    Grid secondRing;
    firstRing.add(firstHead);
    secondRing.add(secondHead);
    Grid unclaimed = free - firstRing - secondRing;
    Grid first;
    Grid second;
    for (int ring = 0; ring < TerritoryRings && (!firstRing.empty() || !secondRing.empty());
         ++ring) {
        const Grid firstNext = unclaimed.around(firstRing);
        const Grid secondNext = unclaimed.around(secondRing);
        const Grid shared = firstNext & secondNext;
        firstRing = firstNext - shared;
        secondRing = secondNext - shared;
        unclaimed = unclaimed - firstNext - secondNext;
        for (int extra = 1; extra < firstSpeed && !firstRing.empty(); ++extra) {
            const Grid further = unclaimed.around(firstRing);
            unclaimed = unclaimed - further;
            firstRing = firstRing | further;
        }
        first = first | firstRing;
        second = second | secondRing;
    }
    return {first.count(), second.count()};
}

} // namespace zirvel::opponent
