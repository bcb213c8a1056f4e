// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

namespace zirvel::server {

// Keeps room codes from being found by guessing. Every wrong guess from an address (a code of
// no room, a seat not held, a new room's code already taken) makes that address wait before
// its next join is answered: 250 ms after the first, twice as long after each further one, up
// to 30 s. Only time forgives: one wrong guess for every minute without one. A join that
// succeeds forgives nothing, since anyone can make one succeed by joining a room of their own.
// Times are milliseconds on any clock that never goes back.
class JoinThrottle {
public:
    static constexpr double FirstWait = 250;
    static constexpr double LongestWait = 30'000;
    static constexpr double ForgivenAfter = 60'000;

    // How long the address's next join must wait still; 0 when it may go now.
    double wait(const std::string& address, double now) const;
    void failed(const std::string& address, double now);

    // Addresses remembered: those with a wrong guess not forgiven yet.
    std::size_t addresses() const { return records_.size(); }

private:
    struct Record {
        int strikes = 0;
        double last = 0;  // the latest wrong guess, or the latest forgiveness
        double ready = 0; // the next join goes from here
    };

    // The record brought up to now, with the minutes without a wrong guess forgiven.
    static Record current(Record record, double now);
    // Forgets addresses with nothing left to forgive, once for every doubling of the table.
    void sweep(double now);

    std::unordered_map<std::string, Record> records_;
    std::size_t sweepAt_ = 64;
};

} // namespace zirvel::server
