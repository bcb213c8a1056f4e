// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "EqualDelay.h"
#include "RoundTrip.h"

#include <gtest/gtest.h>
#include <optional>
#include <vector>

using namespace zirvel::server;

namespace {

// Pings go out at `sent`; `answered` lists which are answered when, by their order in `sent`.
TEST(RoundTrips, MedianOfTheLastFiveLateAndUnknownAnswersIgnored) {
    const struct {
        const char* name;
        std::vector<double> sent;
        std::vector<std::pair<std::uint32_t, double>> answered; // id, when
        std::optional<double> estimate;
    } cases[] = {
        {"none answered", {0, 1000}, {}, std::nullopt},
        {"one", {0}, {{1, 40}}, 40},
        {"median of three", {0, 1000, 2000}, {{1, 40}, {2, 1300}, {3, 2050}}, 50},
        {"one slow answer of five moves nothing",
         {0, 1000, 2000, 3000, 4000},
         {{1, 40}, {2, 1040}, {3, 2900}, {4, 3040}, {5, 4040}},
         40},
        {"only the last five count",
         {0, 1000, 2000, 3000, 4000, 5000},
         {{1, 900}, {2, 1900}, {3, 2020}, {4, 3020}, {5, 4020}, {6, 5020}},
         20},
        {"an answer to an unknown ping", {0}, {{7, 10}}, std::nullopt},
        {"an answer twice", {0, 1000}, {{1, 30}, {1, 990}, {2, 1030}}, 30},
        {"a late answer, overtaken by a later one", {0, 1000}, {{2, 1020}, {1, 1500}}, 20},
    };
    for (const auto& entry : cases) {
        RoundTrip trips;
        std::size_t next = 0;
        for (double when : entry.sent) {
            while (next < entry.answered.size() && entry.answered[next].second < when) {
                trips.pong(entry.answered[next].first, entry.answered[next].second);
                ++next;
            }
            trips.ping(when);
        }
        for (; next < entry.answered.size(); ++next) {
            trips.pong(entry.answered[next].first, entry.answered[next].second);
        }
        EXPECT_EQ(trips.estimate(), entry.estimate) << entry.name;
    }
}

TEST(RoundTrips, SilentOnceAPingWaitedFiveSeconds) {
    const struct {
        std::vector<double> sent;
        std::vector<std::uint32_t> answered;
        double now;
        bool silent;
    } cases[] = {
        {{}, {}, 60000, false}, // never pinged
        {{0}, {}, 4999, false},
        {{0}, {}, 5000, true},
        {{0, 1000, 2000}, {2}, 5500, false}, // the first ping's answer is overtaken
        {{0, 1000, 2000}, {2}, 7000, true},
        {{0, 1000}, {2}, 9000, false}, // nothing waits
    };
    for (const auto& entry : cases) {
        RoundTrip trips;
        for (double when : entry.sent) {
            trips.ping(when);
        }
        for (std::uint32_t id : entry.answered) {
            trips.pong(id, entry.sent[id - 1] + 10);
        }
        EXPECT_EQ(trips.silent(entry.now), entry.silent) << entry.now;
    }
}

TEST(EqualDelays, TheNearerWaitsForTheDifferenceUpTo150) {
    const struct {
        double oneWay;
        double other;
        double hold;
    } cases[] = {
        {0, 0, 0}, {20, 20, 0}, {20, 50, 30}, {50, 20, 0}, {0, 150, 150}, {10, 400, 150},
    };
    for (const auto& entry : cases) {
        EXPECT_EQ(holdFor(entry.oneWay, entry.other), entry.hold)
            << entry.oneWay << " " << entry.other;
    }
}

TEST(EqualDelays, TheRecordKeepsTheLastThousand) {
    DelayRecord record;
    EXPECT_EQ(record.percentile(0.5), 0);
    for (int i = 1; i <= 1500; ++i) {
        record.add(i);
    }
    EXPECT_EQ(record.size(), DelayRecord::Kept);
    EXPECT_EQ(record.percentile(0), 501);
    EXPECT_EQ(record.percentile(0.5), 1000);
    EXPECT_EQ(record.percentile(0.99), 1490);
    EXPECT_EQ(record.percentile(1), 1500);
    EXPECT_EQ(record.last(3), (std::vector<double>{1498, 1499, 1500}));
}

} // namespace
