// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Addresses.h"
#include "GameWindow.h"
#include "HeldKeys.h"
#include "Messages.h"
#include "RoomCode.h"
#include "UserMessages.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zirvel::client {

// The front end's WebSocket: Qt's on the desktop, the browser's in a page. It reports back
// through RoomClient::connected, received and disconnected.
class Connection {
public:
    virtual ~Connection() = default;
    // Opens a connection to a ws:// or wss:// address; an earlier one is closed first.
    virtual void open(const std::string& url) = 0;
    virtual void send(const std::string& text) = 0;
    // Closes without reporting a disconnection.
    virtual void close() = 0;
};

// What a room looks like on this screen, beside the window's own board, captions and menu.
struct RoomStatus {
    std::string code;
    protocol::Seat seat = protocol::Seat::Watcher;
    protocol::Presence presence;
    bool reconnecting = false; // our own connection dropped; the client is taking the seat back
};

// What the front end does for a room, beyond painting its window.
class RoomScreen {
public:
    virtual ~RoomScreen() = default;
    // The window the room's picture is painted into; the front end keeps its local game's
    // picture aside while a room is shown, and brings it back on leftRoom.
    virtual GameWindow& window() = 0;
    // In a room now: the local game stands still, its picture put aside, and the window shows a
    // black board until the room's picture comes.
    virtual void enteredRoom() = 0;
    // Out of the room: the local game's picture and timers come back as they stood.
    virtual void leftRoom() = 0;
    // The line that says, without covering the board, that this screen shows a room.
    virtual void showStatus(const RoomStatus& status) = 0;
    // The room's game-over window opens with these captions, or closes everywhere because a
    // player closed it.
    virtual void openGameOver(const std::string& red, const std::string& blue) = 0;
    virtual void closeGameOver() = 0;
    // A message in Polish for the user: a refusal, a lost connection, the server stopping.
    virtual void tell(const std::string& message) = 0;
    // Calls RoomClient::wakeUp once, this many milliseconds from now; empty: not at all.
    virtual void armWakeUp(std::optional<double> milliseconds) = 0;
};

// One screen's side of online play, the same on both front ends: it connects, creates or joins
// a room, hands the room's picture to the screen and this screen's keys and commands to the
// server, answers the server's pings, and takes its seat back by itself after a dropped
// connection. It runs no rules: everything on screen comes from the server.
class RoomClient {
public:
    enum class State { Idle, Connecting, InRoom, Reconnecting };

    // `random` draws the codes of new rooms.
    RoomClient(Connection& connection, RoomScreen& screen, protocol::RandomBytes random);

    // `server` is the address the page is served from, http(s)://host[:port][/]; the
    // WebSocket's address follows from it.
    void create(const std::string& server);
    void join(const std::string& server, const std::string& code);
    // "Opuść pokój": back to the local game.
    void leave();

    // Keys come through HeldKeys::divertTo while in a room: any of the game's ten keys, from
    // the keyboard, a pad or a touch; the server makes them this seat's own.
    void key(std::uint16_t keyCode, bool down, KeySource source);
    void command(protocol::Command command);
    void speed(int level);
    // This screen's game-over window was closed: with "Zamknij" (resetting the counters) or by
    // the author link (leaving them).
    void closeGameOver(bool resetCounters);

    // From the Connection.
    void connected();
    void received(std::string_view text);
    void disconnected();
    // From RoomScreen::armWakeUp.
    void wakeUp();

    State state() const { return state_; }
    // Whether this screen's player may give the menu's commands: a player in a room, or no room.
    bool commandsAllowed() const;
    const RoomStatus& status() const { return status_; }

    // How often a new room's code is drawn again when the one drawn is taken.
    static constexpr int CreateAttempts = 5;
    // How long the server may take to answer before it counts as unreachable.
    static constexpr double ConnectTimeout = 10000;
    // A dropped connection is retried after these waits, the last one over and over, for as
    // long as the waits add up to less than RejoinTime; one attempt lasts at most
    // RejoinAttemptTime, which counts too.
    static constexpr double RejoinWaits[] = {500, 1000, 2000, 4000};
    static constexpr double RejoinAttemptTime = 5000;
    static constexpr double RejoinTime = 30000;
    // The server pings every second: this long without a ping, a connection counts as dropped
    // though no close came, as when the network between went away.
    static constexpr double SilenceLimit = 5000;

private:
    // What the connection that is opening is for.
    enum class Purpose { Create, Join, Rejoin };

    void open(Purpose purpose);
    void handle(const protocol::ServerMessage& message);
    void welcome(const protocol::Welcome& welcome);
    void refused(const protocol::Refused& refused);
    void presence(const protocol::Presence& presence);
    void menu(const protocol::Menu& menu);
    // Back to the local game, telling the user the message unless it is empty.
    void stop(const std::string& message);
    void arm(std::optional<double> milliseconds);
    // After a failed attempt to take the seat back: the next wait, or giving up.
    void retryRejoin();
    void send(const protocol::ClientMessage& message);
    // Whether this screen plays a seat of the room it shows.
    bool playing() const;

    Connection& connection_;
    RoomScreen& screen_;
    protocol::RandomBytes random_;
    State state_ = State::Idle;
    RoomStatus status_;
    std::string server_;
    std::string url_;
    std::string code_; // the room asked for, then the one entered
    std::string token_;
    Purpose purpose_ = Purpose::Create;
    bool greeted_ = false; // the server has answered this connection's Hello
    int createAttempts_ = 0;
    std::optional<double> armed_; // the wake-up that is armed
    int rejoinAttempts_ = 0;
    double rejoinSpent_ = 0;
    bool rejoinConnecting_ = false;
};

// The game's ten keys by their labels; empty for any other key code.
std::optional<protocol::Key> protocolKey(std::uint16_t keyCode);

} // namespace zirvel::client
