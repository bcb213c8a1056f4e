// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Clock.h"
#include "Game.h"
#include "HeldKeys.h"
#include "Messages.h"
#include "RoomCode.h"
#include "RoomWindow.h"
#include "SeatKeys.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zirvel::server {

// A connection, as the server numbers them.
using MemberId = std::uint64_t;

// One room: one game of the rules on its own window and timers, its two players and its
// watchers. Players steer only their own head and give the menu's commands as far as the menu
// allows them; every member is handed what the window shows as it changes.
class Room {
public:
    using Send = std::function<void(std::span<const MemberId> to, const protocol::ServerMessage&)>;

    // Seat tokens come from `random`.
    Room(std::string code, Clock& clock, protocol::RandomBytes random, Send send);
    Room(const Room&) = delete;
    Room& operator=(const Room&) = delete;

    const std::string& code() const { return code_; }
    // Seats the member, welcomes them and shows them the window: the first free player's seat,
    // red before blue, or else a watcher's place. Empty when the room is full.
    std::optional<protocol::Seat> join(MemberId member);
    // Whatever the member's player holds is let go, and the seat is free again.
    void leave(MemberId member);
    bool empty() const { return members_.empty(); }

    // A key, a menu command or the closing of the game-over window from a member.
    void receive(MemberId member, const protocol::KeyEvent& key);
    void receive(MemberId member, const protocol::MenuCommand& command);
    void receive(MemberId member, const protocol::ChooseSpeed& speed);
    void receive(MemberId member, const protocol::CloseGameOver& close);

    const Game& game() const { return game_; }
    const RoomWindow& window() const { return window_; }

private:
    struct Member {
        protocol::Seat seat;
        std::optional<SeatKeys> keys; // players only
    };

    // The member's player, or empty (having refused) for a watcher.
    Member* player(MemberId member);
    void refuse(MemberId member, protocol::Reason reason);
    void press(const RulesKey& key);
    // After a handler of the rules: turbo keys still held, then what changed, to everyone.
    void settle();
    void sendToAll(const protocol::ServerMessage& message);
    std::vector<MemberId> everyone() const;
    protocol::Presence presence() const;

    std::string code_;
    protocol::RandomBytes random_;
    Send send_;
    std::map<MemberId, Member> members_;
    RoomWindow window_;
    Game game_{window_};
    HeldKeys heldKeys_{game_};
};

} // namespace zirvel::server
