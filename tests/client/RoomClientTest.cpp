// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RoomClient.h"

#include "Codec.h"
#include "KeyCodes.h"
#include "sim/MemoryWindow.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace zirvel;
using namespace zirvel::client;
using namespace zirvel::protocol;

namespace {

using Log = std::vector<std::string>;

// Fills every byte with `fill`: the code a new room gets on the `fill`th draw from 0.
std::string code(std::uint8_t fill) {
    return newRoomCode(
        [fill](std::span<std::uint8_t> bytes) { std::fill(bytes.begin(), bytes.end(), fill); });
}

const std::string Token(SeatTokenLength, 'T');
const std::string Server = "http://gra.example:8642/";

std::string url(const std::string& room) {
    return "ws://gra.example:8642/ws?room=" + room;
}

std::string hex(Colour colour) {
    char text[7];
    std::snprintf(text, sizeof text, "%02x%02x%02x", colour.red, colour.green, colour.blue);
    return text;
}

// The window the room is painted into: what changes on it goes to the log, but for the menu's
// states, which the log shows in one line after each Menu.
struct LoggingWindow : sim::MemoryWindow {
    explicit LoggingWindow(Log& into)
        : log(into) {}

    void setCellColour(int index, Colour colour) override {
        if (cellColour(index) != colour) {
            log.push_back("cell " + std::to_string(index) + " " + hex(colour));
        }
        MemoryWindow::setCellColour(index, colour);
    }
    void setCounterCaption(Player player, std::string_view caption) override {
        log.push_back("counter " + std::to_string(number(player)) + " " + std::string(caption));
        MemoryWindow::setCounterCaption(player, caption);
    }
    void setCountdownCaption(std::string_view caption) override {
        log.push_back("countdown " + std::string(caption));
        MemoryWindow::setCountdownCaption(caption);
    }
    void setCountdownVisible(bool visible) override {
        log.push_back(visible ? "countdown shown" : "countdown hidden");
        MemoryWindow::setCountdownVisible(visible);
    }
    void repaintNow() override { log.push_back("repaint"); }
    // E enabled, d disabled, * checked, in the order of MenuItem.
    std::string menu() const {
        std::string states = "menu";
        for (int item = 0; item < 6; ++item) {
            const auto menuItem = static_cast<MenuItem>(item);
            states += std::string(" ") + (menuEnabled(menuItem) ? "E" : "d") +
                      (menuChecked(menuItem) ? "*" : "");
        }
        return states;
    }

    Log& log;
};

const char* seatName(Seat seat) {
    return seat == Seat::Red ? "red" : seat == Seat::Blue ? "blue" : "watcher";
}

const char* stateName(PlayerState state) {
    return state == PlayerState::Here ? "here" : state == PlayerState::Away ? "away" : "empty";
}

struct FakeScreen : RoomScreen, Connection {
    GameWindow& window() override { return board; }
    void enteredRoom() override { log.push_back("entered"); }
    void leftRoom() override { log.push_back("left"); }
    void showStatus(const RoomStatus& status) override {
        log.push_back("status " + status.code + " " + seatName(status.seat) + " " +
                      stateName(status.presence.red) + " " + stateName(status.presence.blue) + " " +
                      std::to_string(status.presence.watchers) + " " +
                      std::to_string(status.presence.delay) +
                      (status.reconnecting ? " reconnecting" : ""));
    }
    void openGameOver(const std::string& red, const std::string& blue) override {
        log.push_back("game over " + red + " " + blue);
    }
    void closeGameOver() override { log.push_back("game over closed"); }
    void tell(const std::string& message) override { log.push_back("tell " + message); }
    void armWakeUp(std::optional<double> milliseconds) override {
        log.push_back(milliseconds ? "arm " + std::to_string(static_cast<int>(*milliseconds))
                                   : "arm none");
    }

    void open(const std::string& address) override { log.push_back("open " + address); }
    void send(const std::string& text) override { log.push_back("> " + text); }
    void close() override { log.push_back("close"); }

    Log log;
    LoggingWindow board{log};
};

// One thing that happens to the client: a call from the front end, or the connection's report.
struct Step {
    enum Kind { Call, Connected, Received, Dropped, WakeUp };
    Kind kind;
    std::function<void(RoomClient&)> call = {};
    ServerMessage message = Stopping{};
};

Step call(std::function<void(RoomClient&)> action) {
    return {Step::Call, std::move(action)};
}
Step receive(ServerMessage message) {
    return {Step::Received, {}, std::move(message)};
}
const Step Connected{Step::Connected};
const Step Dropped{Step::Dropped};
const Step WakeUp{Step::WakeUp};

std::string sent(const ClientMessage& message) {
    return "> " + encode(message);
}

Step create() {
    return call([](RoomClient& client) { client.create(Server); });
}
Step join(const std::string& room) {
    return call([room](RoomClient& client) { client.join(Server, room); });
}

const std::string Room = code(0);
const std::string Other = code(1);

// The steps into a room `Room` on the seat, and what they log.
std::vector<Step> entering(Seat seat) {
    return {create(), Connected, receive(HelloAnswer{}),
            receive(Welcome{seat, Room, seat == Seat::Watcher ? std::string() : Token})};
}
Log entered(Seat seat) {
    return {"arm 10000",
            "open " + url(Room),
            sent(Hello{}),
            sent(CreateRoom{Room}),
            "arm 5000",
            "entered",
            "status " + Room + " " + seatName(seat) + " empty empty 0 0"};
}

std::vector<Step> operator+(std::vector<Step> first, const std::vector<Step>& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}
Log operator+(Log first, const Log& then) {
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

struct Row {
    const char* name;
    std::vector<Step> steps;
    Log log;
    RoomClient::State state;
};

using State = RoomClient::State;
const std::string Unreachable = "tell Nie można połączyć się z serwerem " + Server + ".";
const Presence Both{PlayerState::Here, PlayerState::Here, 1, 42};

const Row Rows[] = {
    {"creating: a new code, Hello, then the room; the server's answers bring it in",
     entering(Seat::Red) + std::vector<Step>{receive(Both)},
     entered(Seat::Red) + Log{"status " + Room + " red here here 1 42"}, State::InRoom},
    {"a taken code is drawn again, on a connection of its own",
     {create(), Connected, receive(HelloAnswer{}), receive(Refused{Reason::RoomTaken}), Connected,
      receive(HelloAnswer{}), receive(Welcome{Seat::Red, Other, Token})},
     {"arm 10000", "open " + url(Room), sent(Hello{}), sent(CreateRoom{Room}), "arm 10000",
      "open " + url(Other), sent(Hello{}), sent(CreateRoom{Other}), "arm 5000", "entered",
      "status " + Other + " red empty empty 0 0"},
     State::InRoom},
    {"every code taken: a few draws, then the user is told",
     {create(), receive(Refused{Reason::RoomTaken}), receive(Refused{Reason::RoomTaken}),
      receive(Refused{Reason::RoomTaken}), receive(Refused{Reason::RoomTaken}),
      receive(Refused{Reason::RoomTaken})},
     {"arm 10000", "open " + url(code(0)), "arm 10000", "open " + url(code(1)), "arm 10000",
      "open " + url(code(2)), "arm 10000", "open " + url(code(3)), "arm 10000",
      "open " + url(code(4)), "close", "arm none",
      "tell " + messageFor(Refused{Reason::RoomTaken})},
     State::Idle},
    {"joining: Hello, then the room by its code",
     {join(Other), Connected, receive(HelloAnswer{}), receive(Welcome{Seat::Blue, Other, Token})},
     {"arm 10000", "open " + url(Other), sent(Hello{}), sent(JoinRoom{Other}), "arm 5000",
      "entered", "status " + Other + " blue empty empty 0 0"},
     State::InRoom},
    {"a wrong code: the server's refusal, and the local game goes on",
     {join(Other), Connected, receive(HelloAnswer{}), receive(Refused{Reason::NoSuchRoom})},
     {"arm 10000", "open " + url(Other), sent(Hello{}), sent(JoinRoom{Other}), "close", "arm none",
      "tell Nie ma pokoju o tym kodzie. Sprawdź kod i spróbuj jeszcze raz."},
     State::Idle},
    {"something that is no code at all is a wrong code, without asking the server",
     {join("abc")},
     {"tell " + messageFor(Refused{Reason::NoSuchRoom})},
     State::Idle},
    {"a full room",
     {join(Other), Connected, receive(HelloAnswer{}), receive(Refused{Reason::RoomFull})},
     {"arm 10000", "open " + url(Other), sent(Hello{}), sent(JoinRoom{Other}), "close", "arm none",
      "tell " + messageFor(Refused{Reason::RoomFull})},
     State::Idle},
    {"a server of another version refuses: both versions named",
     {create(), Connected, receive(Refused{Reason::OtherVersion, 7})},
     {"arm 10000", "open " + url(Room), sent(Hello{}), sent(CreateRoom{Room}), "close", "arm none",
      "tell Serwer używa innej wersji gry online (7) niż ta gra (1). Zaktualizuj grę albo "
      "wybierz inny serwer."},
     State::Idle},
    {"a server of another version answers Hello: the same",
     {create(), Connected, receive(HelloAnswer{3}), receive(Welcome{Seat::Red, Room, Token})},
     {"arm 10000", "open " + url(Room), sent(Hello{}), sent(CreateRoom{Room}), "close", "arm none",
      "tell " + messageFor(Refused{Reason::OtherVersion, 3})},
     State::Idle},
    {"an unreachable server",
     {create(), Dropped},
     {"arm 10000", "open " + url(Room), "close", "arm none", Unreachable},
     State::Idle},
    {"a server that never answers counts as unreachable",
     {join(Other), Connected, WakeUp},
     {"arm 10000", "open " + url(Other), sent(Hello{}), sent(JoinRoom{Other}), "close", "arm none",
      Unreachable},
     State::Idle},
    {"a connection that ends after the server's Hello",
     {join(Other), Connected, receive(HelloAnswer{}), Dropped},
     {"arm 10000", "open " + url(Other), sent(Hello{}), sent(JoinRoom{Other}), "close", "arm none",
      "tell Połączenie z serwerem zostało przerwane."},
     State::Idle},
    {"an address that is not http(s)",
     {call([](RoomClient& client) { client.create("ftp://gra.example/"); })},
     {"close", "arm none",
      "tell Adres serwera musi zaczynać się od http:// albo https://, a podano: "
      "ftp://gra.example/."},
     State::Idle},
    {"the room's picture goes to the window and the screen",
     entering(Seat::Red) +
         std::vector<Step>{
             receive(Paint{{{5, 0xFF0000}, {920, 0x3264C8}}}),
             receive(Counters{"3", "12"}),
             receive(Countdown{"2", true}),
             receive(Menu{{{{true, true},
                            {true, false},
                            {false, false},
                            {true, false},
                            {true, false},
                            {true, true}}}}),
             receive(Repaint{}),
             receive(GameOverOpened{"3", "12"}),
             receive(GameOverClosed{}),
         },
     entered(Seat::Red) + Log{"cell 5 ff0000", "cell 920 3264c8", "counter 1 3", "counter 2 12",
                              "countdown 2", "countdown shown", "menu E* E d E E E*", "repaint",
                              "game over 3 12", "game over closed"},
     State::InRoom},
    {"a watcher's menu is all disabled, and it sends nothing",
     entering(Seat::Watcher) +
         std::vector<Step>{
             receive(Menu{{{{true, true},
                            {true, false},
                            {true, false},
                            {true, false},
                            {true, false},
                            {true, true}}}}),
             call([](RoomClient& client) {
                 client.key(keys::Up, true, KeySource::Keyboard);
                 client.command(Command::NowaGra);
                 client.speed(2);
                 client.closeGameOver(true);
             }),
         },
     entered(Seat::Watcher) + Log{"menu d* d d d d d*"}, State::InRoom},
    {"a player's keys, commands and closing of the game-over window go to the server",
     entering(Seat::Blue) + std::vector<Step>{call([](RoomClient& client) {
         client.key(keys::W, true, KeySource::Keyboard);
         client.key(keys::Left, false, KeySource::Pad);
         client.key(keys::Space, true, KeySource::Touch);
         client.key(keys::Shift, true, KeySource::Computer);
         client.key(81, true, KeySource::Keyboard);
         client.command(Command::Pauza);
         client.speed(4);
         client.speed(9);
         client.closeGameOver(false);
     })},
     entered(Seat::Blue) + Log{sent(KeyEvent{Key::W, true, KeyOrigin::Keyboard}),
                               sent(KeyEvent{Key::Left, false, KeyOrigin::Pad}),
                               sent(KeyEvent{Key::Space, true, KeyOrigin::Touch}),
                               sent(MenuCommand{Command::Pauza}), sent(ChooseSpeed{4}),
                               sent(CloseGameOver{false})},
     State::InRoom},
    {"before the room, keys and commands go nowhere",
     {create(), Connected, call([](RoomClient& client) {
          client.key(keys::W, true, KeySource::Keyboard);
          client.command(Command::NowaGra);
      })},
     {"arm 10000", "open " + url(Room), sent(Hello{}), sent(CreateRoom{Room})},
     State::Connecting},
    {"a ping is answered at once", entering(Seat::Watcher) + std::vector<Step>{receive(Ping{77})},
     entered(Seat::Watcher) + Log{sent(Pong{77}), "arm 5000"}, State::InRoom},
    {"a server silent for 5 s counts as a dropped connection",
     entering(Seat::Red) + std::vector<Step>{WakeUp},
     entered(Seat::Red) +
         Log{"close", "status " + Room + " red empty empty 0 0 reconnecting", "arm 500"},
     State::Reconnecting},
    {"the server stopping ends the room",
     entering(Seat::Red) + std::vector<Step>{receive(Stopping{}), Dropped},
     entered(Seat::Red) + Log{"close", "arm none", "left", "tell " + messageFor(Notice::Stopping)},
     State::Idle},
    {"the other player's held seat given up is told; an ordinary leaving is not",
     entering(Seat::Red) +
         std::vector<Step>{receive(Presence{PlayerState::Away, PlayerState::Away, 0, 0}),
                           receive(Presence{PlayerState::Empty, PlayerState::Empty, 0, 0}),
                           receive(Presence{PlayerState::Here, PlayerState::Here, 0, 0}),
                           receive(Presence{PlayerState::Here, PlayerState::Empty, 0, 0})},
     entered(Seat::Red) +
         Log{"status " + Room + " red away away 0 0", "status " + Room + " red empty empty 0 0",
             "tell Gracz niebieski opuścił pokój.", "status " + Room + " red here here 0 0",
             "status " + Room + " red here empty 0 0"},
     State::InRoom},
    {"a dropped connection: the seat is taken back with its token, on a black board",
     entering(Seat::Red) + std::vector<Step>{receive(Paint{{{7, 0xFF0000}}}), receive(Both),
                                             Dropped, WakeUp, Connected, receive(HelloAnswer{}),
                                             receive(Welcome{Seat::Red, Room, Token}),
                                             receive(Paint{{{8, 0xFF0000}}})},
     entered(Seat::Red) + Log{"cell 7 ff0000", "status " + Room + " red here here 1 42",
                              "status " + Room + " red here here 1 42 reconnecting", "arm 500",
                              "arm 5000", "open " + url(Room), sent(Hello{}),
                              sent(Rejoin{Room, Token}), "arm 5000", "cell 7 000000",
                              "game over closed", "status " + Room + " red here here 1 42",
                              "cell 8 ff0000"},
     State::InRoom},
    {"while reconnecting, keys go nowhere and failed attempts wait longer each time",
     entering(Seat::Blue) + std::vector<Step>{Dropped, call([](RoomClient& client) {
                                                  client.key(keys::W, true, KeySource::Keyboard);
                                              }),
                                              WakeUp, Dropped, WakeUp, Connected, WakeUp},
     entered(Seat::Blue) + Log{"status " + Room + " blue empty empty 0 0 reconnecting", "arm 500",
                               "arm 5000", "open " + url(Room), "arm 1000", "arm 5000",
                               "open " + url(Room), sent(Hello{}), sent(Rejoin{Room, Token}),
                               "close", "arm 2000"},
     State::Reconnecting},
    {"a seat no longer held: the room is left with a message",
     entering(Seat::Red) +
         std::vector<Step>{Dropped, WakeUp, Connected, receive(Refused{Reason::NoSeat})},
     entered(Seat::Red) + Log{"status " + Room + " red empty empty 0 0 reconnecting", "arm 500",
                              "arm 5000", "open " + url(Room), sent(Hello{}),
                              sent(Rejoin{Room, Token}), "close", "arm none", "left",
                              "tell " + messageFor(Refused{Reason::NoSeat})},
     State::Idle},
    {"a watcher comes back by joining",
     entering(Seat::Watcher) + std::vector<Step>{Dropped, WakeUp, Connected},
     entered(Seat::Watcher) + Log{"status " + Room + " watcher empty empty 0 0 reconnecting",
                                  "arm 500", "arm 5000", "open " + url(Room), sent(Hello{}),
                                  sent(JoinRoom{Room})},
     State::Reconnecting},
    {"leaving a room tells the server and brings the local game back",
     entering(Seat::Red) + std::vector<Step>{call([](RoomClient& client) { client.leave(); })},
     entered(Seat::Red) + Log{sent(LeaveRoom{}), "close", "arm none", "left"}, State::Idle},
    {"leaving while reconnecting stops trying",
     entering(Seat::Red) +
         std::vector<Step>{Dropped, call([](RoomClient& client) { client.leave(); }), WakeUp},
     entered(Seat::Red) + Log{"status " + Room + " red empty empty 0 0 reconnecting", "arm 500",
                              "close", "arm none", "left"},
     State::Idle},
    {"giving up before the room is entered leaves nothing to restore",
     {join(Other), call([](RoomClient& client) { client.leave(); }), Dropped},
     {"arm 10000", "open " + url(Other), "close", "arm none"},
     State::Idle},
    {"a refused command in a room changes nothing; the menu's states follow the server",
     entering(Seat::Red) + std::vector<Step>{receive(Refused{Reason::Disabled})},
     entered(Seat::Red), State::InRoom},
};

struct Client {
    Client() {
        std::uint8_t draws = 0;
        client = std::make_unique<RoomClient>(screen, screen,
                                              [draws](std::span<std::uint8_t> bytes) mutable {
                                                  std::fill(bytes.begin(), bytes.end(), draws++);
                                              });
    }
    void run(const Step& step) {
        switch (step.kind) {
        case Step::Call:
            step.call(*client);
            break;
        case Step::Connected:
            client->connected();
            break;
        case Step::Received:
            client->received(encode(step.message));
            if (std::holds_alternative<Menu>(step.message)) {
                screen.log.push_back(screen.board.menu());
            }
            break;
        case Step::Dropped:
            client->disconnected();
            break;
        case Step::WakeUp:
            client->wakeUp();
            break;
        }
    }

    FakeScreen screen;
    std::unique_ptr<RoomClient> client;
};

} // namespace

TEST(RoomClient, ScriptedServers) {
    for (const Row& row : Rows) {
        SCOPED_TRACE(row.name);
        Client client;
        for (const Step& step : row.steps) {
            client.run(step);
        }
        EXPECT_EQ(client.screen.log, row.log);
        EXPECT_EQ(client.client->state(), row.state);
    }
}

TEST(RoomClient, OnlyPlayersAndTheLocalGameGiveCommands) {
    const struct {
        std::optional<Seat> seat;
        bool allowed;
    } rows[] = {
        {std::nullopt, true}, {Seat::Red, true}, {Seat::Blue, true}, {Seat::Watcher, false}};
    for (const auto& row : rows) {
        Client client;
        if (row.seat) {
            for (const Step& step : entering(*row.seat)) {
                client.run(step);
            }
        }
        EXPECT_EQ(client.client->commandsAllowed(), row.allowed);
    }
}

// Against a server that stays away, the client retries with longer and longer waits, and gives
// the seat up once they add up to RejoinTime.
TEST(RoomClient, ReconnectingGivesUpAfterItsTime) {
    Client client;
    for (const Step& step : entering(Seat::Red)) {
        client.run(step);
    }
    client.screen.log.clear();
    client.run(Dropped);
    double waited = 0;
    int attempts = 0;
    while (client.client->state() == State::Reconnecting && attempts < 100) {
        const std::string armed = client.screen.log.back();
        ASSERT_TRUE(armed.starts_with("arm ")) << armed;
        waited += std::stod(armed.substr(4));
        client.run(WakeUp);
        if (client.screen.log.back().starts_with("open ")) {
            ++attempts;
            client.run(Dropped);
        }
    }
    EXPECT_EQ(attempts, 9);
    EXPECT_GE(waited, RoomClient::RejoinTime);
    EXPECT_LT(waited, RoomClient::RejoinTime + 4000);
    EXPECT_EQ(client.screen.log.back(), "tell " + messageFor(Notice::RejoinFailed));
    EXPECT_EQ(client.client->state(), State::Idle);
}
