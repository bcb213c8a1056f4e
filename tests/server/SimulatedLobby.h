// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ClientView.h"
#include "Lobby.h"
#include "ManualClock.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zirvel::server::testing {

// A lobby on simulated time whose clients are views built from the text it sends them. Its
// room codes and seat tokens come from counting bytes, so that every run is the same.
struct SimulatedLobby {
    void say(MemberId who, const protocol::ClientMessage& message) {
        lobby.received(who, protocol::encode(message));
    }
    ClientView& greet(MemberId who) {
        say(who, protocol::Hello{protocol::Version});
        return views[who];
    }
    // A connection from `address`, greeted.
    ClientView& connect(MemberId who, const std::string& address) {
        lobby.connected(who, address);
        return greet(who);
    }

    // The member's client answers each ping this long after it; with none, it answers no more.
    void roundTrip(MemberId who, std::optional<double> milliseconds) {
        roundTrips[who] = milliseconds;
    }
    // The member's connection drops.
    void drop(MemberId who) {
        roundTrip(who, std::nullopt);
        views[who].seat.reset();
        lobby.disconnected(who);
    }
    std::optional<double> answersAfter(MemberId who) const {
        const auto found = roundTrips.find(who);
        return found == roundTrips.end() ? usualRoundTrip : found->second;
    }
    void answer(MemberId who, std::uint32_t id) {
        const std::optional<double> after = answersAfter(who);
        if (!after) {
            return;
        }
        answers.push_back(clock.alarm([this, who, id] {
            if (answersAfter(who)) {
                say(who, protocol::Pong{id});
            }
        }));
        answers.back()->arm(*after);
    }

    ManualClock clock;
    // How long a client not given its own round trip takes to answer; with none, it never does.
    std::optional<double> usualRoundTrip = 0.0;
    std::map<MemberId, std::optional<double>> roundTrips;
    std::vector<std::unique_ptr<Alarm>> answers;
    // The close code of each connection the lobby closed.
    std::map<MemberId, std::uint16_t> closed;
    std::uint8_t nextByte = 0;
    std::map<MemberId, ClientView> views;
    Lobby lobby{clock,
                [this](std::span<std::uint8_t> bytes) {
                    for (std::uint8_t& byte : bytes) {
                        byte = nextByte++;
                    }
                },
                [this](MemberId to, const std::string& text) {
                    std::string error;
                    const std::optional<protocol::ServerMessage> message =
                        protocol::decodeServer(text, &error);
                    ASSERT_TRUE(message) << "sent what is not a message: " << text << ": " << error;
                    views[to].apply(*message);
                    if (const auto* ping = std::get_if<protocol::Ping>(&*message)) {
                        answer(to, ping->id);
                    }
                },
                [this](MemberId to, std::uint16_t code, const std::string&) {
                    closed[to] = code;
                    roundTrip(to, std::nullopt);
                }};
};

} // namespace zirvel::server::testing
