// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Lobby.h"

#include "Codec.h"
#include "Overloaded.h"

#include <utility>
#include <vector>

namespace zirvel::server {

Lobby::Lobby(Clock& clock, protocol::RandomBytes random, Send send, Close close)
    : clock_(clock)
    , random_(std::move(random))
    , send_(std::move(send))
    , close_(std::move(close))
    , pinger_(clock.alarm([this] { pingAll(); })) {}

const Room* Lobby::room(const std::string& code) const {
    const auto found = rooms_.find(code);
    return found == rooms_.end() ? nullptr : found->second.get();
}

void Lobby::received(MemberId id, std::string_view text) {
    Connection& connection = connections_[id];
    const std::optional<protocol::ClientMessage> message = protocol::decodeClient(text);
    if (!message) {
        refuse(id, protocol::Reason::BadMessage);
        return;
    }
    handle(id, connection, *message);
}

void Lobby::handle(MemberId id, Connection& connection, const protocol::ClientMessage& message) {
    if (!connection.greeted) {
        const auto* hello = std::get_if<protocol::Hello>(&message);
        if (!hello) {
            refuse(id, protocol::Reason::HelloFirst);
        } else if (hello->version != protocol::Version) {
            refuse(id, protocol::Reason::OtherVersion);
        } else {
            connection.greeted = true;
            send(id, protocol::HelloAnswer{protocol::Version});
        }
        return;
    }
    std::visit(
        protocol::Overloaded{
            [&](const protocol::Hello&) { refuse(id, protocol::Reason::BadMessage); },
            [&](const protocol::CreateRoom& create) { this->create(id, connection, create.code); },
            [&](const protocol::JoinRoom& join) { this->join(id, connection, join.code); },
            [&](const protocol::LeaveRoom&) { leave(id, connection); },
            [&](const protocol::Rejoin& rejoin) { this->rejoin(id, connection, rejoin); },
            [&](const protocol::Pong& answer) { pong(id, connection, answer.id); },
            [&](const auto& inRoom) {
                if (!connection.room) {
                    refuse(id, protocol::Reason::NotInRoom);
                    return;
                }
                connection.room->receive(id, inRoom);
            },
        },
        message);
}

void Lobby::create(MemberId id, Connection& connection, const std::string& code) {
    if (connection.room) {
        refuse(id, protocol::Reason::InRoom);
        return;
    }
    if (rooms_.contains(code)) {
        refuse(id, protocol::Reason::RoomTaken);
        return;
    }
    std::unique_ptr<Room> room = newRoom(code);
    connection.room = room.get();
    rooms_.emplace(code, std::move(room));
    connection.room->join(id);
    if (!std::exchange(pinging_, true)) {
        pinger_->arm(PingInterval);
    }
}

std::unique_ptr<Room> Lobby::newRoom(const std::string& code) {
    return std::make_unique<Room>(
        code, clock_, random_,
        [this](std::span<const MemberId> to, const protocol::ServerMessage& message) {
            const std::string text = protocol::encode(message);
            for (MemberId member : to) {
                send_(member, text);
            }
        });
}

// A wrong code and a wrong token are refused alike: neither tells which rooms exist.
void Lobby::rejoin(MemberId id, Connection& connection, const protocol::Rejoin& rejoin) {
    if (connection.room) {
        refuse(id, protocol::Reason::InRoom);
        return;
    }
    const auto found = rooms_.find(rejoin.code);
    if (found == rooms_.end() || !found->second->rejoin(id, rejoin.token)) {
        refuse(id, protocol::Reason::NoSeat);
        return;
    }
    connection.room = found->second.get();
}

void Lobby::pong(MemberId id, Connection& connection, std::uint32_t ping) {
    if (connection.roundTrip.pong(ping, clock_.milliseconds()) && connection.room) {
        connection.room->roundTrip(id, *connection.roundTrip.estimate());
    }
}

void Lobby::pingAll() {
    const double now = clock_.milliseconds();
    std::vector<MemberId> silent;
    for (auto& [id, connection] : connections_) {
        if (!connection.room) {
            continue;
        }
        if (connection.roundTrip.silent(now)) {
            silent.push_back(id);
        } else {
            send(id, protocol::Ping{connection.roundTrip.ping(now)});
        }
    }
    for (MemberId id : silent) {
        close_(id, SilentClose, "no answer to pings");
        disconnected(id);
    }
    std::erase_if(rooms_, [](const auto& entry) { return entry.second->ended(); });
    pinging_ = !rooms_.empty();
    if (pinging_) {
        pinger_->arm(PingInterval);
    }
}

void Lobby::endIfOver(Room& room) {
    if (room.ended()) {
        const std::string code = room.code();
        rooms_.erase(code);
    }
}

void Lobby::join(MemberId id, Connection& connection, const std::string& code) {
    if (connection.room) {
        refuse(id, protocol::Reason::InRoom);
        return;
    }
    const auto found = rooms_.find(code);
    if (found == rooms_.end()) {
        refuse(id, protocol::Reason::NoSuchRoom);
        return;
    }
    if (!found->second->join(id)) {
        refuse(id, protocol::Reason::RoomFull);
        return;
    }
    connection.room = found->second.get();
}

void Lobby::leave(MemberId id, Connection& connection) {
    if (!connection.room) {
        refuse(id, protocol::Reason::NotInRoom);
        return;
    }
    Room* room = std::exchange(connection.room, nullptr);
    connection.roundTrip = {};
    room->leave(id);
    endIfOver(*room);
}

void Lobby::disconnected(MemberId id) {
    const auto found = connections_.find(id);
    if (found == connections_.end()) {
        return;
    }
    if (Room* room = found->second.room) {
        room->dropped(id);
        endIfOver(*room);
    }
    connections_.erase(found);
}

void Lobby::send(MemberId to, const protocol::ServerMessage& message) {
    send_(to, protocol::encode(message));
}

void Lobby::refuse(MemberId to, protocol::Reason reason) {
    send(to, protocol::Refused{reason, protocol::Version});
}

} // namespace zirvel::server
