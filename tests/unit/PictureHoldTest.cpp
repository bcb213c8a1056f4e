// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PictureHold.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace zirvel;

// At "B. Szybko" a crash can follow the last move by 10 ms, less than a frame: the new round's
// board waits until that move has been on screen for a whole refresh, and not a moment longer.
TEST(PictureHold, ANewPictureWaitsUntilTheLastChangeWasShownOneRefresh) {
    constexpr double At60Hz = 1000.0 / 60;
    constexpr double At144Hz = 1000.0 / 144;
    const struct {
        const char* name;
        std::vector<double> shown;
        double askedAt;
        double refreshInterval;
        std::optional<double> until;
    } cases[] = {
        {"nothing shown yet", {}, 50, At60Hz, std::nullopt},
        {"asked as the change is shown", {100}, 100, At60Hz, 100 + At60Hz},
        {"crash 10 ms after the last move", {100}, 110, 16, 116},
        {"a faster screen holds less", {100}, 105, At144Hz, 100 + At144Hz},
        {"the latest change counts", {100, 110}, 120, 16, 126},
        {"shown exactly one refresh", {100}, 116, 16, std::nullopt},
        {"shown a little over one refresh", {100}, 120, 16, std::nullopt},
        {"shown long ago", {100}, 150, 16, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PictureHold hold;
        for (double at : c.shown) {
            hold.shown(at);
        }
        const std::optional<double> until = hold.holdUntil(c.askedAt, c.refreshInterval);
        ASSERT_EQ(until.has_value(), c.until.has_value());
        if (until) {
            EXPECT_DOUBLE_EQ(*until, *c.until);
            EXPECT_GT(*until, c.askedAt); // a hold never ends before it began
        }
    }
}

// The toolkit's timer refuses a negative interval and would never end the hold: the board would
// stay frozen on the crash picture. The clock read when the timer starts may already be past the
// hold's end.
TEST(PictureHold, TheTimerWaitsWholeMillisecondsAndNeverANegativeTime) {
    const struct {
        double until;
        double now;
        int interval;
    } cases[] = {
        {116, 110, 6}, {116.2, 110, 7}, // rounded up, not to the nearest
        {116, 116, 0}, {116, 116.5, 0}, {116, 117.5, 0}, {116, 150, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "until " << c.until << ", now " << c.now);
        EXPECT_EQ(PictureHold::timerInterval(c.until, c.now), c.interval);
    }
}
