// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The messages of online play, both ways, as plain values. Codec.h turns them into text and
// back.
namespace zirvel::protocol {

// Raised whenever a message changes shape or meaning; both ends must speak the same one.
inline constexpr int Version = 1;

// Client to server.

// The first message of every connection.
struct Hello {
    int version = Version;
};
// The client draws the new room's code from a cryptographic random source: the code is in the
// WebSocket address from the first connection on, so that a balancer in front of several server
// processes can route every connection of a room to the same one.
struct CreateRoom {
    std::string code;
};
struct JoinRoom {
    std::string code;
};
// Takes back a player's seat held since the connection dropped, with the token of its Welcome.
struct Rejoin {
    std::string code;
    std::string token;
};
// The game's ten keys by their labels: each player steers with either set.
enum class Key { Up, Down, Left, Right, Shift, W, A, S, D, Space };
enum class KeyOrigin { Keyboard, Pad, Touch };
struct KeyEvent {
    Key key = Key::Up;
    bool down = true;
    KeyOrigin origin = KeyOrigin::Keyboard;
};
enum class Command { NowaGra, Pauza, KoniecGry };
struct MenuCommand {
    Command command = Command::NowaGra;
};
struct ChooseSpeed {
    int level = 3; // 1 "Wolno" to 4 "B. Szybko"
};
// "Zamknij" closes it resetting the counters; the author link closes it without.
struct CloseGameOver {
    bool resetCounters = true;
};
struct LeaveRoom {};
// The answer to a Ping, at once.
struct Pong {
    std::uint32_t id = 0;
};

using ClientMessage = std::variant<Hello, CreateRoom, JoinRoom, Rejoin, KeyEvent, MenuCommand,
                                   ChooseSpeed, CloseGameOver, LeaveRoom, Pong>;

// Server to client.

enum class Seat { Red, Blue, Watcher };
// The answer to a Hello of the same version.
struct HelloAnswer {
    int version = Version;
};
// The connection is in a room now, on a black board. A player's secret token takes the seat back
// after a dropped connection; a watcher's is empty.
struct Welcome {
    Seat seat = Seat::Watcher;
    std::string code;
    std::string token;
};
struct Cell {
    int index = 1;         // 1..920
    std::uint32_t rgb = 0; // 0xRRGGBB

    friend bool operator==(const Cell&, const Cell&) = default;
};
// Cells whose colour changed.
struct Paint {
    std::vector<Cell> cells;
};
struct Counters {
    std::string red;
    std::string blue;
};
struct Countdown {
    std::string caption;
    bool visible = false;
};
struct MenuState {
    bool enabled = false;
    bool checked = false;

    friend bool operator==(const MenuState&, const MenuState&) = default;
};
// In the order of zirvel::MenuItem: Pauza, Koniec gry, the four speeds.
struct Menu {
    std::array<MenuState, 6> items{};
};
struct GameOverOpened {
    std::string red;
    std::string blue;
};
struct GameOverClosed {};
// What the screen shows is complete up to here: the window brings itself up to date, as the
// rules ask of it before a crash's pause, and shows it for at least one frame.
struct Repaint {};
enum class PlayerState {
    Empty, // nobody plays the seat
    Here,  // a connected player
    Away,  // the player's connection dropped; the seat is held for them
};
// Who is in the room, and the delay after which both players' events take effect.
struct Presence {
    PlayerState red = PlayerState::Empty;
    PlayerState blue = PlayerState::Empty;
    int watchers = 0;
    int delay = 0; // milliseconds
};
// Measures the round trip; the client answers with a Pong of the same id.
struct Ping {
    std::uint32_t id = 0;
};
// The server is stopping: every room ends.
struct Stopping {};
enum class Reason {
    OtherVersion, // another protocol version
    HelloFirst,   // nothing before Hello
    BadMessage,   // not a message of the protocol
    NoSuchRoom,   // a wrong code
    RoomFull,     // both seats and every watcher's place taken
    InRoom,       // already in a room
    NotInRoom,    // a room's message outside any room
    Watcher,      // watchers give no commands
    Disabled,     // the menu item is disabled, or the game-over window is open
    NoGameOver,   // nothing to close
    RoomTaken,    // a new room's code is in use
    NoSeat,       // no seat held for that token in that room
    ServerFull,   // the server takes no more rooms
};
struct Refused {
    Reason reason = Reason::BadMessage;
    int version = Version; // the server's, so that a client can tell its user
};

using ServerMessage =
    std::variant<HelloAnswer, Welcome, Paint, Counters, Countdown, Menu, GameOverOpened,
                 GameOverClosed, Repaint, Presence, Ping, Refused, Stopping>;

// The largest number of watchers a room takes beside its two players.
inline constexpr int MaxWatchers = 32;
// Every room code is this long, from RoomCodeAlphabet.
inline constexpr std::size_t RoomCodeLength = 10;
// Digits and capital letters without I, L, O and U, which read as 1, 1, 0 and V: 32
// characters, so 5 bits each and 50 bits per code.
inline constexpr std::string_view RoomCodeAlphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
// A seat token: SeatTokenLength characters from the same alphabet, 130 bits.
inline constexpr std::size_t SeatTokenLength = 26;
// The WebSocket endpoint's path. Clients add the room's code as the query's `room`, for routing
// only: the messages carry it too.
inline constexpr std::string_view WebSocketPath = "/ws";
inline constexpr std::string_view RoomQuery = "room";

} // namespace zirvel::protocol
