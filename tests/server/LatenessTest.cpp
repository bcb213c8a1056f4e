// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Lateness.h"

#include <gtest/gtest.h>
#include <vector>

using zirvel::server::Lateness;

namespace {

// Percentiles come out at the upper edge of a sample's 10 µs bin, never above the latest wake.
TEST(LatenessTest, PercentilesOfTheWakeUps) {
    const struct {
        const char* what;
        std::vector<double> late;
        double p;
        double expected;
    } cases[] = {
        {"nothing recorded", {}, 0.99, 0.0},
        {"early counts as on time", {-0.4, -0.2}, 0.5, 0.0},
        {"a median inside its bin", {0.103, 0.2, 5.0}, 0.5, 0.21},
        {"p99 of a hundred is the 99th", std::vector<double>(99, 0.5), 0.99, 0.5},
        {"the top percentile is the latest", {0.1, 0.1, 3.456}, 1.0, 3.456},
        {"beyond the histogram, the latest", {250.0}, 0.5, 250.0},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.what);
        Lateness lateness;
        for (double late : entry.late) {
            lateness.record(late);
        }
        EXPECT_EQ(lateness.count(), entry.late.size());
        EXPECT_NEAR(lateness.percentile(entry.p), entry.expected, 1e-9);
    }
}

// One late wake-up among a hundred on time moves p99 only once it is more than one in a hundred.
TEST(LatenessTest, RareLateWakeUpsAndReset) {
    Lateness lateness;
    for (int i = 0; i < 200; ++i) {
        lateness.record(0.05);
    }
    lateness.record(40.0);
    EXPECT_NEAR(lateness.percentile(0.99), 0.06, 1e-9);
    EXPECT_DOUBLE_EQ(lateness.max(), 40.0);
    lateness.reset();
    EXPECT_EQ(lateness.count(), 0U);
    EXPECT_DOUBLE_EQ(lateness.max(), 0.0);
    EXPECT_DOUBLE_EQ(lateness.percentile(0.5), 0.0);
}

} // namespace
