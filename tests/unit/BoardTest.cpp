// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Board.h"

#include <gtest/gtest.h>

using namespace zirvel;
using namespace zirvel::board;

TEST(Board, LookupOutsideTheBoardFailsCatchably) {
    CellGrid cells;
    for (int index : {-32768, -1, 0, 921, 32767}) {
        SCOPED_TRACE(index);
        EXPECT_THROW((void)cells.at(index), CellLookupError);
        EXPECT_THROW(cells.set(index, colours::Player1Head), CellLookupError);
        try {
            (void)cells.at(index);
        } catch (const CellLookupError& error) {
            EXPECT_EQ(error.index(), index);
        }
    }
    EXPECT_EQ(cells.at(1), colours::Free);
    EXPECT_EQ(cells.at(920), colours::Free);
}

TEST(Board, SetReportsOnlyRealChanges) {
    CellGrid cells;
    EXPECT_FALSE(cells.set(5, colours::Free));
    EXPECT_TRUE(cells.set(5, colours::Player2Trail));
    EXPECT_FALSE(cells.set(5, colours::Player2Trail));
    EXPECT_EQ(cells.at(5), colours::Player2Trail);
}

TEST(Board, NeighboursUseSixteenBitArithmeticWithoutColumnChecks) {
    struct Row {
        std::int16_t head;
        Heading heading;
        std::optional<std::int16_t> expected;
    };
    const Row rows[] = {
        {80, Heading::Right, 81}, // row end wraps onto the next row
        {41, Heading::Left, 40},
        {5, Heading::Up, -35},
        {915, Heading::Down, 955},
        {32767, Heading::Right, std::nullopt},
        {-32768, Heading::Up, std::nullopt},
        {-32768, Heading::Down, -32728},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.head);
        EXPECT_EQ(neighbour(row.head, row.heading), row.expected);
    }
}
