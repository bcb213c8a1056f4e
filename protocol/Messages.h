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
struct CreateRoom {};
struct JoinRoom {
    std::string code;
};
// The game's ten keys by their labels: each player steers with either set.
enum class Key { Up, Down, Left, Right, Shift, W, A, S, D, Space };
enum class KeyOrigin { Keyboard, Pad };
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

using ClientMessage = std::variant<Hello, CreateRoom, JoinRoom, KeyEvent, MenuCommand, ChooseSpeed,
                                   CloseGameOver, LeaveRoom>;

// Server to client.

enum class Seat { Red, Blue, Watcher };
// The answer to a Hello of the same version.
struct HelloAnswer {
    int version = Version;
};
// The connection is in a room now, on a black board.
struct Welcome {
    Seat seat = Seat::Watcher;
    std::string code;
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
struct Presence {
    bool red = false;
    bool blue = false;
    int watchers = 0;
};
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
};
struct Refused {
    Reason reason = Reason::BadMessage;
    int version = Version; // the server's, so that a client can tell its user
};

using ServerMessage = std::variant<HelloAnswer, Welcome, Paint, Counters, Countdown, Menu,
                                   GameOverOpened, GameOverClosed, Presence, Refused>;

// The largest number of watchers a room takes beside its two players.
inline constexpr int MaxWatchers = 32;
// Every room code is this long, from RoomCodeAlphabet.
inline constexpr std::size_t RoomCodeLength = 10;
// Digits and capital letters without I, L, O and U, which read as 1, 1, 0 and V: 32
// characters, so 5 bits each and 50 bits per code.
inline constexpr std::string_view RoomCodeAlphabet = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";

} // namespace zirvel::protocol
