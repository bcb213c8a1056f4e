// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Clock.h"
#include "JoinThrottle.h"
#include "Limits.h"
#include "Room.h"
#include "RoomCode.h"
#include "RoundTrip.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace zirvel::server {

// Every connection and every room of a server, without the network: text messages come in
// from connections and go out to them. A connection first says which protocol version it
// speaks, then creates or joins a room, plays or watches there, and leaves it.
//
// Every connection in a room is pinged every PingInterval, counted from its entry; one that
// leaves a ping unanswered for RoundTrip::Silence is closed and counts as dropped.
class Lobby {
public:
    using Send = std::function<void(MemberId to, const std::string& text)>;
    // Closes the connection with a WebSocket close code and reason. Its disconnected() may
    // follow or not: the lobby has already let it go.
    using Close = std::function<void(MemberId to, std::uint16_t code, const std::string& reason)>;

    static constexpr double PingInterval = 1000;
    // The lobby looks for pings due this many times an interval.
    static constexpr int PingSlices = 100;
    // WebSocket's "going away".
    static constexpr std::uint16_t SilentClose = 1001;

    Lobby(Clock& clock, protocol::RandomBytes random, Send send, Close close);

    // The connection's address: joins from it are throttled after wrong guesses at a room's
    // code. A connection never given one is not.
    void connected(MemberId connection, std::string address);
    void received(MemberId connection, std::string_view text);
    // The connection is gone: it leaves its room, a player's seat held for them. A room with
    // nobody in it and no seat held ends.
    void disconnected(MemberId connection);

    // Past this many rooms, a new one is refused.
    void limitRooms(std::size_t rooms) { maxRooms_ = rooms; }
    bool greeted(MemberId connection) const;
    bool inRoom(MemberId connection) const;

    std::size_t roomCount() const { return rooms_.size(); }
    // Empty for a code of no room.
    const Room* room(const std::string& code) const;

private:
    struct Connection {
        bool greeted = false;
        Room* room = nullptr;
        RoundTrip roundTrip;
        double nextPing = 0;
        std::string address;
        // Messages waiting behind a throttled join, in their order, and the wake for them.
        std::deque<protocol::ClientMessage> held;
        std::unique_ptr<Alarm> release;
    };

    // A throttled join waits, and everything after it from the same connection waits too.
    void admit(MemberId id, Connection& connection, protocol::ClientMessage message);
    void releaseHeld(MemberId id);
    double joinWait(const Connection& connection, const protocol::ClientMessage& message) const;
    void handle(MemberId id, Connection& connection, const protocol::ClientMessage& message);
    void create(MemberId id, Connection& connection, const std::string& code);
    void join(MemberId id, Connection& connection, const std::string& code);
    void rejoin(MemberId id, Connection& connection, const protocol::Rejoin& rejoin);
    void leave(MemberId id, Connection& connection);
    void pong(MemberId id, Connection& connection, std::uint32_t ping);
    void enter(MemberId id, Connection& connection, Room* room);
    // Pings the connections whose ping is due, closes the silent ones and ends rooms left empty.
    void pingDue();
    std::unique_ptr<Room> newRoom(const std::string& code);
    void endIfOver(Room& room);
    void send(MemberId to, const protocol::ServerMessage& message);
    void refuse(MemberId to, protocol::Reason reason);

    Clock& clock_;
    protocol::RandomBytes random_;
    Send send_;
    Close close_;
    std::map<MemberId, Connection> connections_;
    std::map<std::string, std::unique_ptr<Room>, std::less<>> rooms_;
    std::unique_ptr<Alarm> pinger_;
    bool pinging_ = false;
    // Each connection's next ping, in order; entries that no longer match are passed over.
    std::set<std::pair<double, MemberId>> pingsDue_;
    double nextSweep_ = 0; // for rooms that have ended
    std::size_t maxRooms_ = Limits{}.rooms;
    JoinThrottle throttle_;
};

} // namespace zirvel::server
