// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "ClientView.h"
#include "Lobby.h"
#include "ManualClock.h"
#include "RoomCode.h"

#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>

using namespace zirvel;
using namespace zirvel::protocol;
using namespace zirvel::server;
using namespace zirvel::server::testing;

namespace {

constexpr std::uint8_t Up1 = 8, Left1 = 4, Right1 = 6;
constexpr std::uint8_t Up2 = 80, Left2 = 40, Right2 = 60;
constexpr MemberId Red = 1, Blue = 2, Watcher = 3;

// A lobby on simulated time whose clients are views built from the text it sends them.
struct Rooms {
    Rooms() = default;
    explicit Rooms(RandomBytes source)
        : random(std::move(source)) {}

    void say(MemberId who, const ClientMessage& message) { lobby.received(who, encode(message)); }
    ClientView& greet(MemberId who) {
        say(who, Hello{Version});
        return views[who];
    }
    // A room created by `red`, joined by `blue` and the watchers.
    std::string open(std::initializer_list<MemberId> joining = {Blue, Watcher}) {
        greet(Red);
        say(Red, CreateRoom{"ABCDEFGHJK"});
        for (MemberId member : joining) {
            greet(member);
            say(member, JoinRoom{views[Red].code});
        }
        return views[Red].code;
    }
    const Room& room() const { return *lobby.room(views.at(Red).code); }
    const GameState& state() const { return room().game().state(); }
    // Plays until a crash has been counted, at "B. Szybko".
    void playRound() {
        say(Red, ChooseSpeed{4});
        say(Red, MenuCommand{Command::NowaGra});
        clock.advance(2800 + 23 * 50);
    }
    // Every view shows exactly what the room's window shows.
    void expectEveryViewMatchesTheRoom() const {
        const RoomWindow& window = room().window();
        for (const auto& [member, view] : views) {
            if (!view.seat) {
                continue; // in no room
            }
            SCOPED_TRACE(member);
            for (int index = 1; index <= 920; ++index) {
                const Colour colour = window.cellColour(index);
                ASSERT_EQ(
                    view.cells[static_cast<std::size_t>(index - 1)],
                    static_cast<std::uint32_t>(colour.red << 16 | colour.green << 8 | colour.blue))
                    << "cell " << index;
            }
            EXPECT_EQ(view.counters[0], window.counterCaption(Player::One));
            EXPECT_EQ(view.counters[1], window.counterCaption(Player::Two));
            EXPECT_EQ(view.countdown, window.countdownCaption());
            EXPECT_EQ(view.countdownVisible, window.countdownVisible());
            EXPECT_EQ(view.gameOver.has_value(), window.gameOverOpen());
            for (std::size_t item = 0; item < 6; ++item) {
                EXPECT_EQ(view.menu.items[item].enabled,
                          window.menuEnabled(static_cast<MenuItem>(item)));
                EXPECT_EQ(view.menu.items[item].checked,
                          window.menuChecked(static_cast<MenuItem>(item)));
            }
        }
    }

    // The member's client answers each ping this long after it; with none, it answers no more.
    void roundTrip(MemberId who, std::optional<double> milliseconds) {
        roundTrips[who] = milliseconds;
    }
    // The member's connection drops.
    void drop(MemberId who) {
        roundTrip(who, std::nullopt);
        lobby.disconnected(who);
    }
    void answer(MemberId who, std::uint32_t id) {
        const auto found = roundTrips.find(who);
        const std::optional<double> after = found == roundTrips.end() ? 0.0 : found->second;
        if (!after) {
            return;
        }
        answers.push_back(clock.alarm([this, who, id] {
            if (roundTrips[who]) {
                say(who, Pong{id});
            }
        }));
        answers.back()->arm(*after);
    }

    ManualClock clock;
    std::map<MemberId, std::optional<double>> roundTrips;
    std::vector<std::unique_ptr<Alarm>> answers;
    std::map<MemberId, std::uint16_t> closed;
    std::uint8_t nextByte = 0;
    RandomBytes random = [this](std::span<std::uint8_t> bytes) {
        for (std::uint8_t& byte : bytes) {
            byte = nextByte++;
        }
    };
    std::map<MemberId, ClientView> views;
    Lobby lobby{clock, [this](std::span<std::uint8_t> bytes) { random(bytes); },
                [this](MemberId to, const std::string& text) {
                    std::string error;
                    const std::optional<ServerMessage> message = decodeServer(text, &error);
                    ASSERT_TRUE(message) << text << ": " << error;
                    views[to].apply(*message);
                    if (const auto* ping = std::get_if<Ping>(&*message)) {
                        answer(to, ping->id);
                    }
                },
                [this](MemberId to, std::uint16_t code, const std::string&) {
                    closed[to] = code;
                    roundTrip(to, std::nullopt);
                }};
};

TEST(RoomCodes, FiveBitsACharacterFromTheAlphabet) {
    const struct {
        std::array<std::uint8_t, 7> bytes;
        const char* code;
    } cases[] = {
        {{0, 0, 0, 0, 0, 0, 0}, "0000000000"},
        {{0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff}, "ZZZZZZZZZZ"},
        {{0x00, 0x44, 0x32, 0x14, 0xc7, 0x42, 0x40}, "0123456789"},
        {{0xb5, 0xf1, 0x9d, 0x6f, 0x9d, 0xf7, 0xc0}, "PQRSTVWXYZ"},
    };
    for (const auto& entry : cases) {
        const std::string code = newRoomCode([&](std::span<std::uint8_t> bytes) {
            ASSERT_EQ(bytes.size(), entry.bytes.size());
            std::copy(entry.bytes.begin(), entry.bytes.end(), bytes.begin());
        });
        EXPECT_EQ(code, entry.code);
    }
}

TEST(RoomCodes, TheSystemSourceGivesDistinctValidCodes) {
    std::set<std::string> codes;
    for (int i = 0; i < 1000; ++i) {
        const std::string code = newRoomCode(systemRandomBytes);
        EXPECT_TRUE(isRoomCode(code)) << code;
        codes.insert(code);
    }
    EXPECT_EQ(codes.size(), 1000U);
}

// A new room's code that is in use is refused: the creator draws another.
TEST(RoomCodes, ACodeInUseIsNotGivenTwice) {
    Rooms rooms;
    rooms.greet(1);
    rooms.say(1, CreateRoom{"0000000000"});
    rooms.greet(2);
    rooms.say(2, CreateRoom{"0000000000"});
    rooms.say(2, CreateRoom{"ZZZZZZZZZZ"});
    EXPECT_EQ(rooms.views[1].code, "0000000000");
    EXPECT_EQ(rooms.views[2].refusals, std::vector<Reason>{Reason::RoomTaken});
    EXPECT_EQ(rooms.views[2].code, "ZZZZZZZZZZ");
    EXPECT_EQ(rooms.lobby.roomCount(), 2U);
}

TEST(Seats, CreatorRedFirstJoinerBlueThenUpTo32Watchers) {
    Rooms rooms;
    rooms.open({});
    EXPECT_EQ(rooms.views[Red].seat, Seat::Red);
    for (MemberId member = 2; member <= 35; ++member) {
        rooms.greet(member);
        rooms.say(member, JoinRoom{rooms.views[Red].code});
    }
    EXPECT_EQ(rooms.views[2].seat, Seat::Blue);
    EXPECT_EQ(rooms.views[3].seat, Seat::Watcher);
    EXPECT_EQ(rooms.views[34].seat, Seat::Watcher);
    EXPECT_FALSE(rooms.views[35].seat);
    EXPECT_EQ(rooms.views[35].refusals, std::vector<Reason>{Reason::RoomFull});
    const Presence presence = rooms.views[Red].presence;
    EXPECT_EQ(presence.red, PlayerState::Here);
    EXPECT_EQ(presence.blue, PlayerState::Here);
    EXPECT_EQ(presence.watchers, 32);
}

// A seat left is taken by the next to join; the last to leave ends the room.
TEST(Seats, LeavingFreesTheSeatAndTheLastLeavingEndsTheRoom) {
    Rooms rooms;
    const std::string code = rooms.open();
    rooms.say(Red, LeaveRoom{});
    EXPECT_EQ(rooms.views[Blue].presence.red, PlayerState::Empty);
    EXPECT_EQ(rooms.views[Blue].presence.watchers, 1);
    rooms.greet(4);
    rooms.say(4, JoinRoom{code});
    EXPECT_EQ(rooms.views[4].seat, Seat::Red);
    EXPECT_EQ(rooms.views[Blue].presence.red, PlayerState::Here);

    rooms.say(4, LeaveRoom{});
    rooms.drop(Blue);
    EXPECT_EQ(rooms.lobby.roomCount(), 1U);
    rooms.drop(Watcher);
    EXPECT_EQ(rooms.lobby.roomCount(), 1U); // blue's seat is held
    rooms.clock.advance(Room::SeatHeld + Lobby::PingInterval);
    EXPECT_EQ(rooms.lobby.roomCount(), 0U);
    rooms.say(4, JoinRoom{code});
    EXPECT_EQ(rooms.views[4].refusals.back(), Reason::NoSuchRoom);
}

// Either key set steers the seat's own head, never the other one.
TEST(Keys, EachPlayerSteersOnlyTheirOwnHeadWithEitherKeySet) {
    const struct {
        MemberId who;
        Key key;
        std::uint8_t red;
        std::uint8_t blue;
    } cases[] = {
        {Red, Key::Left, Left1, Up2},
        {Red, Key::A, Left1, Up2},
        {Red, Key::D, Right1, Up2},
        {Red, Key::Right, Right1, Up2},
        {Blue, Key::Right, Up1, Right2},
        {Blue, Key::A, Up1, Left2},
        {Blue, Key::Left, Up1, Left2},
        {Red, Key::S, Up1, Up2}, // straight back: refused by the
                                 // rules
        {Red, Key::Down, Up1, Up2},
        {Watcher, Key::Left, Up1, Up2},
    };
    for (const auto& entry : cases) {
        Rooms rooms;
        rooms.open();
        rooms.say(Red, MenuCommand{Command::NowaGra});
        rooms.say(entry.who, KeyEvent{entry.key, true, KeyOrigin::Keyboard});
        SCOPED_TRACE(static_cast<int>(entry.key));
        EXPECT_EQ(rooms.state().Kierunek1, entry.red);
        EXPECT_EQ(rooms.state().Kierunek2, entry.blue);
    }
}

// Shift and Space are one turbo for the seat's player; the pad's turbo counts beside them.
TEST(Keys, TurboLastsWhileAnyOfTheSeatsTurboKeysIsHeld) {
    const struct {
        Key key;
        bool down;
        KeyOrigin origin;
        bool turbo;
    } steps[] = {
        {Key::Space, true, KeyOrigin::Keyboard, true},
        {Key::Shift, true, KeyOrigin::Keyboard, true},
        {Key::Space, false, KeyOrigin::Keyboard, true},
        {Key::Space, true, KeyOrigin::Pad, true},
        {Key::Shift, false, KeyOrigin::Keyboard, true},
        {Key::Space, false, KeyOrigin::Pad, false},
        {Key::Shift, true, KeyOrigin::Keyboard, true},
    };
    Rooms rooms;
    rooms.open();
    rooms.say(Red, MenuCommand{Command::NowaGra});
    for (const auto& step : steps) {
        rooms.say(Blue, KeyEvent{step.key, step.down, step.origin});
        EXPECT_EQ(rooms.state().Turbo2 == Bool16::True, step.turbo);
        EXPECT_EQ(rooms.state().Turbo1, Bool16::False);
    }
    // A player who leaves lets go of it.
    rooms.say(Blue, LeaveRoom{});
    EXPECT_EQ(rooms.state().Turbo2, Bool16::False);
}

// What one screen shows, every screen shows, from the server's messages alone, including a
// screen that comes in the middle of a round.
TEST(Play, EveryScreenShowsTheRoundAndItsCrash) {
    Rooms rooms;
    const std::string code = rooms.open();
    rooms.say(Red, ChooseSpeed{4});
    rooms.say(Red, MenuCommand{Command::NowaGra});
    rooms.say(Blue, KeyEvent{Key::Left, true, KeyOrigin::Keyboard});
    rooms.clock.advance(2800 + 5 * 50);
    rooms.greet(4);
    rooms.say(4, JoinRoom{code});
    rooms.expectEveryViewMatchesTheRoom();
    rooms.clock.advance(40 * 50);
    const std::array<std::string, 2>& counters = rooms.views[Watcher].counters;
    EXPECT_EQ(std::stoi(counters[0]) + std::stoi(counters[1]), 1);
    rooms.expectEveryViewMatchesTheRoom();
}

// Refusals change nothing: the board, the counters and the menu stay as they were.
TEST(Refusals, EachWithItsReasonAndTheRoomUntouched) {
    const struct {
        MemberId who;
        ClientMessage message;
        Reason reason;
    } cases[] = {
        {Watcher, MenuCommand{Command::NowaGra}, Reason::Watcher},
        {Watcher, ChooseSpeed{1}, Reason::Watcher},
        {Watcher, KeyEvent{Key::Left, true, KeyOrigin::Keyboard}, Reason::Watcher},
        {Watcher, CloseGameOver{true}, Reason::Watcher},
        {Red, MenuCommand{Command::Pauza}, Reason::Disabled}, // before any game
        {Red, CloseGameOver{true}, Reason::NoGameOver},
        {Red, CreateRoom{"ABCDEFGHJK"}, Reason::InRoom},
        {Blue, JoinRoom{"0000000000"}, Reason::InRoom},
        {Red, Hello{Version}, Reason::BadMessage},
        {4, CreateRoom{"ABCDEFGHJK"}, Reason::HelloFirst},
        {4, Hello{Version + 1}, Reason::OtherVersion},
        {4, Hello{0}, Reason::OtherVersion},
    };
    for (const auto& entry : cases) {
        Rooms rooms;
        rooms.open();
        rooms.clock.advance(1000);
        const std::array<std::uint32_t, 920> cells = rooms.views[Red].cells;
        rooms.say(entry.who, entry.message);
        SCOPED_TRACE(encode(entry.message));
        ASSERT_EQ(rooms.views[entry.who].refusals, std::vector<Reason>{entry.reason});
        EXPECT_EQ(rooms.views[Red].cells, cells);
        EXPECT_EQ(rooms.lobby.roomCount(), 1U);
        rooms.expectEveryViewMatchesTheRoom();
    }
}

TEST(Refusals, OutsideARoomAndBeforeHello) {
    const struct {
        bool greeted;
        std::string text;
        Reason reason;
    } cases[] = {
        {false, R"({"type":"create","code":"ABCDEFGHJK"})", Reason::HelloFirst},
        {false, "not json", Reason::BadMessage},
        {true, R"({"type":"hello","version":1,"x":1})", Reason::BadMessage},
        {true, R"({"type":"join","code":"0000000000"})", Reason::NoSuchRoom},
        {true, R"({"type":"leave"})", Reason::NotInRoom},
        {true, R"({"type":"command","command":"nowa-gra"})", Reason::NotInRoom},
        {true, R"({"type":"key","key":"up","down":true,"origin":"pad"})", Reason::NotInRoom},
    };
    for (const auto& entry : cases) {
        Rooms rooms;
        if (entry.greeted) {
            rooms.greet(1);
        }
        rooms.lobby.received(1, entry.text);
        EXPECT_EQ(rooms.views[1].refusals, std::vector<Reason>{entry.reason}) << entry.text;
    }
}

// "Koniec gry" opens the game-over window on every screen; while it is open, the board takes
// no keys and the menu no commands; whichever player closes it closes it for all.
TEST(GameOver, OpensEverywhereAndEitherPlayerClosesItForAll) {
    Rooms rooms;
    rooms.open();
    rooms.playRound();
    const std::array<std::string, 2> counters = rooms.views[Watcher].counters;
    ASSERT_NE(counters, (std::array<std::string, 2>{"0", "0"}));
    rooms.say(Red, MenuCommand{Command::NowaGra});
    rooms.say(Blue, KeyEvent{Key::Space, true, KeyOrigin::Keyboard});
    rooms.say(Blue, MenuCommand{Command::KoniecGry});
    for (MemberId member : {Red, Blue, Watcher}) {
        EXPECT_EQ(rooms.views[member].gameOver, counters);
    }
    EXPECT_EQ(rooms.state().Turbo2, Bool16::False);

    for (const ClientMessage& command :
         {ClientMessage{MenuCommand{Command::NowaGra}}, ClientMessage{MenuCommand{Command::Pauza}},
          ClientMessage{MenuCommand{Command::KoniecGry}}, ClientMessage{ChooseSpeed{1}}}) {
        rooms.say(Red, command);
        EXPECT_EQ(rooms.views[Red].refusals.back(), Reason::Disabled) << encode(command);
    }
    rooms.say(Red, KeyEvent{Key::Left, true, KeyOrigin::Keyboard});
    EXPECT_EQ(rooms.state().Kierunek1, Up1);

    rooms.say(Blue, CloseGameOver{false}); // the author link
    rooms.expectEveryViewMatchesTheRoom();
    EXPECT_FALSE(rooms.views[Watcher].gameOver);
    EXPECT_EQ(rooms.views[Watcher].counters, counters);

    rooms.say(Red, MenuCommand{Command::KoniecGry});
    rooms.say(Red, CloseGameOver{true}); // "Zamknij"
    rooms.expectEveryViewMatchesTheRoom();
    EXPECT_EQ(rooms.views[Blue].counters, (std::array<std::string, 2>{"0", "0"}));
}

// "Pauza" follows the menu's enabled state, and its check mark shows on every screen.
TEST(Commands, PauseAndSpeedShowEverywhere) {
    Rooms rooms;
    rooms.open();
    rooms.say(Red, MenuCommand{Command::NowaGra});
    rooms.clock.advance(3000);
    rooms.say(Blue, MenuCommand{Command::Pauza});
    EXPECT_TRUE(rooms.views[Watcher].menu.items[0].checked);
    const GameState paused = rooms.state();
    rooms.clock.advance(2000);
    EXPECT_EQ(rooms.state().Poczatek1, paused.Poczatek1);
    rooms.say(Red, MenuCommand{Command::Pauza});
    rooms.say(Blue, ChooseSpeed{1});
    rooms.expectEveryViewMatchesTheRoom();
    EXPECT_TRUE(rooms.views[Red].menu.items[2].checked);
    EXPECT_EQ(rooms.room().window().timerInterval(Timer::Timer1), 800);
    EXPECT_TRUE(rooms.views[Red].refusals.empty());
}

} // namespace
