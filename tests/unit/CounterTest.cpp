// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Counter.h"

#include <gtest/gtest.h>

using zirvel::counterPlusOne;

TEST(Counter, CountsOnInPlainDecimal) {
    const std::pair<const char*, const char*> rows[] = {
        {"0", "1"},
        {"9", "10"},
        {"99", "100"},
        {"32767", "32768"},
        {"999999", "1000000"},
        {" 5 ", "6"},
        // Never written by the game; read as 0 rather than failing.
        {"", "1"},
        {"abc", "1"},
        {"7x", "1"},
        {"inf", "1"},
    };
    for (const auto& [caption, next] : rows) {
        SCOPED_TRACE(caption);
        EXPECT_EQ(counterPlusOne(caption), next);
    }
}
