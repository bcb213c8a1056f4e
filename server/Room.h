// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Clock.h"
#include "EqualDelay.h"
#include "Game.h"
#include "HeldKeys.h"
#include "Messages.h"
#include "RoomCode.h"
#include "RoomWindow.h"
#include "SeatKeys.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace zirvel::server {

// A connection, as the server numbers them.
using MemberId = std::uint64_t;

// One room: one game of the rules on its own window and timers, its two players and its
// watchers. Players steer only their own head and give the menu's commands as far as the menu
// allows them; every member is handed what the window shows as it changes.
//
// A player whose connection drops keeps the seat for SeatHeld and takes it back with the seat's
// token. The room's timers run only while both players are here, so that nobody loses a round
// to someone else's connection.
class Room {
public:
    using Send = std::function<void(std::span<const MemberId> to, const protocol::ServerMessage&)>;

    static constexpr double SeatHeld = 30000;
    // Presence goes out again once the delay has moved this many milliseconds.
    static constexpr int DelayStep = 5;

    // Seat tokens come from `random`.
    Room(std::string code, Clock& clock, protocol::RandomBytes random, Send send);
    Room(const Room&) = delete;
    Room& operator=(const Room&) = delete;

    const std::string& code() const { return code_; }
    // Seats the member, welcomes them and shows them the window: the first free player's seat,
    // red before blue, or else a watcher's place. Empty when the room is full.
    std::optional<protocol::Seat> join(MemberId member);
    // Gives the member the player's seat held for the token, as it was; false when no seat is
    // held for it.
    bool rejoin(MemberId member, const std::string& token);
    // Whatever the member's player holds is let go, and the seat is free again.
    void leave(MemberId member);
    // As leave, but a player's seat is held for them.
    void dropped(MemberId member);
    // Nobody is connected and no seat is held.
    bool ended() const;

    // The member's latest round-trip estimate, in milliseconds.
    void roundTrip(MemberId member, double milliseconds);

    // A key, a menu command or the closing of the game-over window from a member. A player's
    // waits for the equal delay first.
    void receive(MemberId member, const protocol::KeyEvent& key);
    void receive(MemberId member, const protocol::MenuCommand& command);
    void receive(MemberId member, const protocol::ChooseSpeed& speed);
    void receive(MemberId member, const protocol::CloseGameOver& close);

    // The delay both players' events take effect after, in whole milliseconds.
    int delay() const;
    // Each event of the player so far: how long after it was made it took effect.
    const DelayRecord& delays(Player player) const;
    protocol::PlayerState state(Player player) const;

    const Game& game() const { return game_; }
    const RoomWindow& window() const { return window_; }

private:
    using Event = std::variant<protocol::KeyEvent, protocol::MenuCommand, protocol::ChooseSpeed,
                               protocol::CloseGameOver>;

    struct PlayerSeat {
        explicit PlayerSeat(Player who)
            : keys(who) {}

        protocol::PlayerState state = protocol::PlayerState::Empty;
        MemberId member = 0; // while here
        std::string token;   // while here or away
        SeatKeys keys;
        double oneWay = 0; // half the last round-trip estimate
        std::unique_ptr<Alarm> expiry;
        DelayRecord delays;
    };
    struct HeldEvent {
        double due;
        std::size_t seat;
        double made; // the arrival less the sender's one-way delay
        Event event;
    };

    // The member's player's seat; empty (having refused) for a watcher or a stranger.
    PlayerSeat* player(MemberId member);
    PlayerSeat* seatOf(MemberId member);
    std::size_t slot(const PlayerSeat& seat) const;
    // Holds the event for the equal delay, or hands it to the rules now.
    void hold(PlayerSeat& seat, Event event);
    void releaseDue();
    void apply(PlayerSeat& seat, const Event& event);
    void apply(PlayerSeat& seat, const protocol::KeyEvent& key);
    void apply(PlayerSeat& seat, const protocol::MenuCommand& command);
    void apply(PlayerSeat& seat, const protocol::ChooseSpeed& speed);
    void apply(PlayerSeat& seat, const protocol::CloseGameOver& close);
    // Hands the rules the seat's held events now, then lets go of its keys.
    void vacate(PlayerSeat& seat);
    void freeSeat(PlayerSeat& seat);
    void refuse(MemberId member, protocol::Reason reason);
    void refuse(const PlayerSeat& seat, protocol::Reason reason);
    void press(const RulesKey& key);
    // After a handler of the rules: turbo keys still held, then what changed, to everyone.
    void settle();
    // Who is here changed: everyone is told, and the timers run only if both players are.
    void seatsChanged();
    void sendPresence();
    void sendToAll(const protocol::ServerMessage& message);
    std::vector<MemberId> everyone() const;
    protocol::Presence presence() const;

    std::string code_;
    Clock& clock_;
    protocol::RandomBytes random_;
    Send send_;
    std::array<PlayerSeat, 2> seats_{PlayerSeat(Player::One), PlayerSeat(Player::Two)};
    std::set<MemberId> watchers_;
    std::deque<HeldEvent> held_; // by due time
    std::unique_ptr<Alarm> heldAlarm_;
    int announcedDelay_ = 0;
    RoomWindow window_;
    Game game_{window_};
    HeldKeys heldKeys_{game_};
};

} // namespace zirvel::server
