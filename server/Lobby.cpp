// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Lobby.h"

#include "Codec.h"
#include "Overloaded.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace zirvel::server {

namespace {

// More than a client that waits for its answers ever sends while a join of its waits.
constexpr std::size_t MostHeld = 16;

bool isJoin(const protocol::ClientMessage& message) {
    return std::holds_alternative<protocol::CreateRoom>(message) ||
           std::holds_alternative<protocol::JoinRoom>(message) ||
           std::holds_alternative<protocol::Rejoin>(message);
}

// Answers that tell the asker something about a code they guessed.
bool wrongGuess(protocol::Reason reason) {
    return reason == protocol::Reason::NoSuchRoom || reason == protocol::Reason::NoSeat ||
           reason == protocol::Reason::RoomTaken;
}

} // namespace

Lobby::Lobby(Clock& clock, protocol::RandomBytes random, Send send, Close close)
    : clock_(clock)
    , random_(std::move(random))
    , send_(std::move(send))
    , close_(std::move(close))
    , pinger_(clock.alarm([this] { pingDue(); })) {}

const Room* Lobby::room(const std::string& code) const {
    const auto found = rooms_.find(code);
    return found == rooms_.end() ? nullptr : found->second.get();
}

void Lobby::connected(MemberId id, std::string address) {
    connections_[id].address = std::move(address);
}

bool Lobby::greeted(MemberId id) const {
    const auto found = connections_.find(id);
    return found != connections_.end() && found->second.greeted;
}

bool Lobby::inRoom(MemberId id) const {
    const auto found = connections_.find(id);
    return found != connections_.end() && found->second.room;
}

void Lobby::received(MemberId id, std::string_view text) {
    Connection& connection = connections_[id];
    std::optional<protocol::ClientMessage> message = protocol::decodeClient(text);
    if (!message) {
        refuse(id, protocol::Reason::BadMessage);
        return;
    }
    admit(id, connection, std::move(*message));
}

void Lobby::admit(MemberId id, Connection& connection, protocol::ClientMessage message) {
    if (connection.held.empty() && joinWait(connection, message) <= 0) {
        handle(id, connection, message);
        return;
    }
    if (connection.held.size() >= MostHeld) {
        refuse(id, protocol::Reason::BadMessage);
        return;
    }
    connection.held.push_back(std::move(message));
    if (connection.held.size() == 1) {
        if (!connection.release) {
            connection.release = clock_.alarm([this, id] { releaseHeld(id); });
        }
        connection.release->arm(joinWait(connection, connection.held.front()));
    }
}

// Another connection from the same address may have guessed wrong meanwhile: the wait is
// asked again each time. The connection is looked up again after each message, which may have
// ended it.
void Lobby::releaseHeld(MemberId id) {
    for (;;) {
        const auto found = connections_.find(id);
        if (found == connections_.end() || found->second.held.empty()) {
            return;
        }
        Connection& connection = found->second;
        const double wait = joinWait(connection, connection.held.front());
        if (wait > 0) {
            connection.release->arm(wait);
            return;
        }
        const protocol::ClientMessage message = std::move(connection.held.front());
        connection.held.pop_front();
        handle(id, connection, message);
    }
}

double Lobby::joinWait(const Connection& connection, const protocol::ClientMessage& message) const {
    if (connection.address.empty() || !connection.greeted || !isJoin(message)) {
        return 0;
    }
    return throttle_.wait(connection.address, clock_.milliseconds());
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
    if (rooms_.size() >= maxRooms_) {
        refuse(id, protocol::Reason::ServerFull);
        return;
    }
    if (rooms_.contains(code)) {
        refuse(id, protocol::Reason::RoomTaken);
        return;
    }
    std::unique_ptr<Room> room = newRoom(code);
    enter(id, connection, room.get());
    rooms_.emplace(code, std::move(room));
    connection.room->join(id);
    if (!std::exchange(pinging_, true)) {
        pinger_->arm(PingInterval / PingSlices);
    }
}

// Each connection is pinged a whole interval after it entered its room, and every interval
// from then: so the pings of a thousand rooms, and their answers, spread over the second
// instead of coming in one burst that holds up the moves queued behind it.
void Lobby::enter(MemberId id, Connection& connection, Room* room) {
    connection.room = room;
    connection.nextPing = clock_.milliseconds() + PingInterval;
    pingsDue_.emplace(connection.nextPing, id);
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
    enter(id, connection, found->second.get());
}

void Lobby::pong(MemberId id, Connection& connection, std::uint32_t ping) {
    if (connection.roundTrip.pong(ping, clock_.milliseconds()) && connection.room) {
        connection.room->roundTrip(id, *connection.roundTrip.estimate());
    }
}

void Lobby::pingDue() {
    const double now = clock_.milliseconds();
    // The pinger's wake may come a moment early or late; a ping due within half a slice of it
    // goes now.
    const double until = now + PingInterval / PingSlices / 2;
    std::vector<std::pair<double, MemberId>> due;
    while (!pingsDue_.empty() && pingsDue_.begin()->first <= until) {
        due.push_back(pingsDue_.extract(pingsDue_.begin()).value());
    }
    std::vector<MemberId> silent;
    for (const auto& [at, id] : due) {
        // What a connection that has gone, left its room or entered another since left behind.
        const auto found = connections_.find(id);
        if (found == connections_.end() || !found->second.room || found->second.nextPing != at) {
            continue;
        }
        Connection& connection = found->second;
        connection.nextPing = std::max(at + PingInterval, now);
        pingsDue_.emplace(connection.nextPing, id);
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
    if (now >= nextSweep_) {
        nextSweep_ = now + PingInterval;
        std::erase_if(rooms_, [](const auto& entry) { return entry.second->ended(); });
    }
    pinging_ = !rooms_.empty();
    if (pinging_) {
        pinger_->arm(PingInterval / PingSlices);
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
    enter(id, connection, found->second.get());
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
    const auto found = connections_.find(to);
    if (wrongGuess(reason) && found != connections_.end() && !found->second.address.empty()) {
        throttle_.failed(found->second.address, clock_.milliseconds());
    }
    send(to, protocol::Refused{reason, protocol::Version});
}

} // namespace zirvel::server
