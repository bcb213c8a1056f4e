// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Clock.h"
#include "Room.h"
#include "RoomCode.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace zirvel::server {

// Every connection and every room of a server, without the network: text messages come in
// from connections and go out to them. A connection first says which protocol version it
// speaks, then creates or joins a room, plays or watches there, and leaves it.
class Lobby {
public:
    using Send = std::function<void(MemberId to, const std::string& text)>;

    Lobby(Clock& clock, protocol::RandomBytes random, Send send);

    void received(MemberId connection, std::string_view text);
    // The connection is gone: it leaves its room, and a room nobody is in any more ends.
    void disconnected(MemberId connection);

    std::size_t roomCount() const { return rooms_.size(); }
    // Empty for a code of no room.
    const Room* room(const std::string& code) const;

private:
    struct Connection {
        bool greeted = false;
        Room* room = nullptr;
    };

    void handle(MemberId id, Connection& connection, const protocol::ClientMessage& message);
    void create(MemberId id, Connection& connection, const std::string& code);
    void join(MemberId id, Connection& connection, const std::string& code);
    void leave(MemberId id, Connection& connection);
    void send(MemberId to, const protocol::ServerMessage& message);
    void refuse(MemberId to, protocol::Reason reason);

    Clock& clock_;
    protocol::RandomBytes random_;
    Send send_;
    std::map<MemberId, Connection> connections_;
    std::map<std::string, std::unique_ptr<Room>, std::less<>> rooms_;
};

} // namespace zirvel::server
