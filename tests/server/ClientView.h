// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Codec.h"
#include "Overloaded.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zirvel::server::testing {

// What one client's screen shows, built from nothing but the messages the server sent it.
struct ClientView {
    void apply(const protocol::ServerMessage& message) {
        std::visit(
            protocol::Overloaded{
                [&](const protocol::HelloAnswer&) { greeted = true; },
                [&](const protocol::Welcome& welcome) {
                    seat = welcome.seat;
                    code = welcome.code;
                    token = welcome.token;
                    cells.fill(0);
                },
                [&](const protocol::Paint& paint) {
                    for (const protocol::Cell& cell : paint.cells) {
                        cells[static_cast<std::size_t>(cell.index - 1)] = cell.rgb;
                    }
                },
                [&](const protocol::Counters& shown) {
                    counters = {shown.red, shown.blue};
                },
                [&](const protocol::Countdown& shown) {
                    countdown = shown.caption;
                    countdownVisible = shown.visible;
                },
                [&](const protocol::Menu& shown) { menu = shown; },
                [&](const protocol::GameOverOpened& opened) {
                    gameOver = std::array<std::string, 2>{opened.red, opened.blue};
                },
                [&](const protocol::GameOverClosed&) { gameOver.reset(); },
                [&](const protocol::Repaint&) { repainted.push_back(cells); },
                [&](const protocol::Presence& shown) {
                    presence = shown;
                    ++presences;
                },
                [&](const protocol::Ping& ping) { pings.push_back(ping.id); },
                [&](const protocol::Refused& refused) { refusals.push_back(refused.reason); },
                [&](const protocol::Stopping&) { stopping = true; },
            },
            message);
    }

    bool greeted = false;
    std::optional<protocol::Seat> seat;
    std::string code;
    std::string token;
    std::array<std::uint32_t, 920> cells{};
    std::array<std::string, 2> counters;
    std::string countdown;
    bool countdownVisible = false;
    protocol::Menu menu;
    std::optional<std::array<std::string, 2>> gameOver;
    protocol::Presence presence;
    int presences = 0;
    std::vector<protocol::Reason> refusals;
    // The board as each Repaint completed it.
    std::vector<std::array<std::uint32_t, 920>> repainted;
    std::vector<std::uint32_t> pings;
    bool stopping = false;
};

} // namespace zirvel::server::testing
