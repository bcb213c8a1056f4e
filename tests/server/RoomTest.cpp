// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RoomCode.h"
#include "SimulatedLobby.h"

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

// The lobby of most tests here, with the room they play in: Red's, joined by Blue and a watcher.
struct Rooms : SimulatedLobby {
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
        {Key::Space, true, KeyOrigin::Touch, true},
        {Key::Shift, false, KeyOrigin::Keyboard, true},
        {Key::Shift, true, KeyOrigin::Pad, true},
        {Key::Space, false, KeyOrigin::Touch, true},
        {Key::Shift, false, KeyOrigin::Pad, false},
        {Key::Space, true, KeyOrigin::Touch, true},
    };
    Rooms rooms;
    rooms.open();
    rooms.say(Red, MenuCommand{Command::NowaGra});
    for (const auto& step : steps) {
        rooms.say(Blue, KeyEvent{step.key, step.down, step.origin});
        EXPECT_EQ(rooms.state().Turbo2 == Bool16::True, step.turbo);
        EXPECT_EQ(rooms.state().Turbo1, Bool16::False);
    }
    // A player who leaves lets go of it, the touch's too.
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

// A dropped player's seat is held for them: only its own token takes it back, in its own room,
// within 30 s.
TEST(Seats, OnlyTheSeatsOwnTokenTakesItBackWithin30Seconds) {
    enum class Token { Blues, Reds, OtherRooms, Unknown };
    const struct {
        const char* name;
        std::string code; // empty: the room's own
        Token token;
        double after;
        bool seated;
    } cases[] = {
        {"at once", "", Token::Blues, 0, true},
        {"just before 30 s", "", Token::Blues, 29999, true},
        {"at 30 s", "", Token::Blues, 30000, false},
        {"a seat not held", "", Token::Reds, 0, false},
        {"another room's token", "", Token::OtherRooms, 0, false},
        {"in another room", "ZZZZZZZZZZ", Token::Blues, 0, false},
        {"no such room", "0000000000", Token::Blues, 0, false},
        {"a token never given", "", Token::Unknown, 0, false},
    };
    constexpr MemberId Back = 4, Other = 10;
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        Rooms rooms;
        const std::string code = rooms.open();
        rooms.greet(Other);
        rooms.say(Other, CreateRoom{"ZZZZZZZZZZ"});
        const std::string token = rooms.views[Blue].token;
        ASSERT_TRUE(isSeatToken(token));
        ASSERT_NE(token, rooms.views[Red].token);
        EXPECT_TRUE(rooms.views[Watcher].token.empty());
        rooms.drop(Blue);
        EXPECT_EQ(rooms.views[Red].presence.blue, PlayerState::Away);
        rooms.clock.advance(entry.after);

        const std::map<Token, std::string> tokens = {
            {Token::Blues, token},
            {Token::Reds, rooms.views[Red].token},
            {Token::OtherRooms, rooms.views[Other].token},
            {Token::Unknown, std::string(SeatTokenLength, '7')},
        };
        rooms.greet(Back);
        rooms.say(Back, Rejoin{entry.code.empty() ? code : entry.code, tokens.at(entry.token)});
        if (entry.seated) {
            EXPECT_EQ(rooms.views[Back].seat, Seat::Blue);
            EXPECT_EQ(rooms.views[Back].token, token);
            EXPECT_EQ(rooms.views[Red].presence.blue, PlayerState::Here);
            rooms.expectEveryViewMatchesTheRoom();
        } else {
            EXPECT_EQ(rooms.views[Back].refusals, std::vector<Reason>{Reason::NoSeat});
            EXPECT_FALSE(rooms.views[Back].seat);
            EXPECT_NE(rooms.views[Red].presence.blue, PlayerState::Here);
        }
    }
}

// After 30 s everyone is told that the seat is free, and the next to join takes it.
TEST(Seats, AHeldSeatIsFreedAfter30Seconds) {
    Rooms rooms;
    const std::string code = rooms.open();
    rooms.drop(Red);
    rooms.clock.advance(Room::SeatHeld - 1);
    EXPECT_EQ(rooms.views[Blue].presence.red, PlayerState::Away);
    rooms.clock.advance(1);
    EXPECT_EQ(rooms.views[Watcher].presence.red, PlayerState::Empty);
    rooms.greet(4);
    rooms.say(4, JoinRoom{code});
    EXPECT_EQ(rooms.views[4].seat, Seat::Red);
}

// The round stands still while a player is away, with nothing held; taken back, it goes on
// with the counters as they were.
TEST(Seats, ARoundStandsStillWhileAPlayerIsAwayAndGoesOn) {
    for (const MemberId away : {Red, Blue}) {
        SCOPED_TRACE(away);
        Rooms rooms;
        const std::string code = rooms.open();
        rooms.playRound();
        const std::int16_t start = rooms.state().Poczatek1;
        while (rooms.state().Poczatek1 == start) {
            rooms.clock.advance(10);
        }
        rooms.clock.advance(50);
        rooms.say(away, KeyEvent{Key::Space, true, KeyOrigin::Keyboard});
        const std::array<std::string, 2> counters = rooms.views[Watcher].counters;
        rooms.drop(away);
        const GameState stood = rooms.state();
        EXPECT_EQ(stood.Turbo1, Bool16::False);
        EXPECT_EQ(stood.Turbo2, Bool16::False);
        rooms.clock.advance(20000);
        EXPECT_EQ(rooms.state().Poczatek1, stood.Poczatek1);
        EXPECT_EQ(rooms.state().Poczatek2, stood.Poczatek2);

        rooms.greet(4);
        rooms.say(4, Rejoin{code, rooms.views[away].token});
        ASSERT_TRUE(rooms.views[4].seat);
        rooms.expectEveryViewMatchesTheRoom();
        EXPECT_EQ(rooms.views[4].presence.red, PlayerState::Here);
        EXPECT_EQ(rooms.views[4].presence.blue, PlayerState::Here);
        EXPECT_EQ(rooms.views[4].counters, counters);
        rooms.clock.advance(50);
        EXPECT_NE(rooms.state().Poczatek1, stood.Poczatek1);
        rooms.clock.advance(40 * 50);
        const std::array<std::string, 2>& after = rooms.views[4].counters;
        EXPECT_EQ(std::stoi(after[0]) + std::stoi(after[1]),
                  std::stoi(counters[0]) + std::stoi(counters[1]) + 1);
        rooms.expectEveryViewMatchesTheRoom();
    }
}

// Nobody's round runs without both players: before the second arrives, and once one has left.
TEST(Seats, TheTimersRunOnlyWhileBothPlayersAreHere) {
    Rooms rooms;
    const std::string code = rooms.open({});
    rooms.say(Red, MenuCommand{Command::NowaGra});
    rooms.clock.advance(10000);
    EXPECT_EQ(rooms.views[Red].countdown, rooms.room().window().countdownCaption());
    const GameState alone = rooms.state();
    rooms.greet(Blue);
    rooms.say(Blue, JoinRoom{code});
    rooms.clock.advance(699);
    EXPECT_EQ(rooms.state().Odliczanie, alone.Odliczanie);
    rooms.clock.advance(1);
    EXPECT_NE(rooms.state().Odliczanie, alone.Odliczanie);
    rooms.clock.advance(2500);
    rooms.say(Blue, LeaveRoom{});
    const GameState left = rooms.state();
    rooms.clock.advance(10000);
    EXPECT_EQ(rooms.state().Poczatek1, left.Poczatek1);
    EXPECT_EQ(rooms.views[Red].presence.blue, PlayerState::Empty);
}

// A connection that answers no ping for 5 s is closed and its player's seat held.
TEST(Pings, EverySecondAndSilenceDropsTheConnection) {
    Rooms rooms;
    rooms.open();
    rooms.clock.advance(3000);
    EXPECT_EQ(rooms.views[Watcher].pings, (std::vector<std::uint32_t>{1, 2, 3}));
    rooms.roundTrip(Blue, std::nullopt);
    rooms.clock.advance(5999);
    EXPECT_FALSE(rooms.closed.contains(Blue));
    rooms.clock.advance(1);
    EXPECT_EQ(rooms.closed, (std::map<MemberId, std::uint16_t>{{Blue, Lobby::SilentClose}}));
    EXPECT_EQ(rooms.views[Red].presence.blue, PlayerState::Away);
    EXPECT_EQ(rooms.views[Red].presence.watchers, 1);
}

// Each member is pinged a whole interval after it came in, so that the pings of many rooms, and
// their answers, spread over the second; the lobby looks every 10 ms for pings due.
TEST(Pings, EachMemberOnItsOwnSecond) {
    const struct {
        double enters;                // ms after the room was opened
        std::vector<double> pingedAt; // within the first 2.5 s
    } cases[] = {{0, {1000, 2000}}, {300, {1300, 2300}}, {999, {2000}}, {1650, {}}};
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.enters);
        Rooms rooms;
        rooms.open({Blue});
        rooms.clock.advance(entry.enters);
        rooms.greet(Watcher);
        rooms.say(Watcher, JoinRoom{rooms.views[Red].code});
        std::vector<double> pingedAt;
        for (double at = entry.enters; at < 2500; rooms.clock.advance(1), ++at) {
            if (rooms.views[Watcher].pings.size() > pingedAt.size()) {
                pingedAt.push_back(at);
            }
        }
        EXPECT_EQ(pingedAt, entry.pingedAt);
    }
}

// The nearer player's events wait until the farther one's made at the same moment would come,
// up to 150 ms; everyone is shown the delay.
TEST(EqualDelay, TheNearerPlayersEventsWaitUpTo150Milliseconds) {
    const struct {
        double red, blue; // round trips
        double redHold, blueHold;
        int shown;
    } cases[] = {
        {0, 0, 0, 0, 0},      {60, 60, 0, 0, 30},     {40, 100, 30, 0, 50},
        {100, 40, 0, 30, 50}, {20, 420, 150, 0, 210}, {500, 10, 0, 150, 250},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(::testing::Message() << entry.red << " " << entry.blue);
        Rooms rooms;
        rooms.open();
        rooms.roundTrip(Red, entry.red);
        rooms.roundTrip(Blue, entry.blue);
        rooms.clock.advance(5000);
        EXPECT_EQ(rooms.views[Watcher].presence.delay, entry.shown);
        EXPECT_EQ(rooms.room().delay(), entry.shown);
        rooms.say(Red, MenuCommand{Command::NowaGra});
        rooms.clock.advance(200);

        const struct {
            MemberId who;
            Key key;
            double hold, oneWay;
            Player player;
        } turns[] = {{Red, Key::Left, entry.redHold, entry.red / 2, Player::One},
                     {Blue, Key::Right, entry.blueHold, entry.blue / 2, Player::Two}};
        for (const auto& turn : turns) {
            const std::uint8_t before =
                turn.player == Player::One ? rooms.state().Kierunek1 : rooms.state().Kierunek2;
            // Two events in a row: both wait, and in their order.
            rooms.say(turn.who, KeyEvent{Key::Space, true, KeyOrigin::Keyboard});
            rooms.say(turn.who, KeyEvent{turn.key, true, KeyOrigin::Keyboard});
            if (turn.hold > 0) {
                rooms.clock.advance(turn.hold - 1);
                EXPECT_EQ(turn.player == Player::One ? rooms.state().Kierunek1
                                                     : rooms.state().Kierunek2,
                          before);
                rooms.clock.advance(1);
            }
            EXPECT_NE(turn.player == Player::One ? rooms.state().Kierunek1
                                                 : rooms.state().Kierunek2,
                      before);
            const std::vector<double> delays = rooms.room().delays(turn.player).last(2);
            EXPECT_EQ(delays, (std::vector<double>(2, turn.oneWay + turn.hold)));
        }
    }
}

// Presence goes out again when the delay moves 5 ms, not on every sample.
TEST(EqualDelay, TheDelayIsShownAgainOnceItMovesFiveMilliseconds) {
    const struct {
        double redRoundTrip;
        int shown;
        int presences; // since the room was full
    } steps[] = {{40, 20, 1}, {48, 20, 0}, {50, 25, 1}, {58, 25, 0}, {40, 20, 1}};
    Rooms rooms;
    rooms.open();
    for (const auto& step : steps) {
        SCOPED_TRACE(step.redRoundTrip);
        const int before = rooms.views[Watcher].presences;
        rooms.roundTrip(Red, step.redRoundTrip);
        rooms.clock.advance(10000);
        EXPECT_EQ(rooms.views[Watcher].presence.delay, step.shown);
        EXPECT_EQ(rooms.views[Watcher].presences - before, step.presences);
    }
}

// A crash's last move is on every screen, closed by a Repaint, before the next round's board.
TEST(Play, TheCrashMoveIsShownBeforeTheNewRoundsBoard) {
    const struct {
        const char* name;
        std::optional<MemberId> turbo;
    } cases[] = {{"no turbo", std::nullopt}, {"red in turbo", Red}, {"blue in turbo", Blue}};
    const auto lit = [](const std::array<std::uint32_t, 920>& cells) {
        return std::count_if(cells.begin(), cells.end(), [](std::uint32_t rgb) { return rgb; });
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        Rooms rooms;
        rooms.open();
        rooms.say(Red, ChooseSpeed{4});
        rooms.say(Red, MenuCommand{Command::NowaGra});
        if (entry.turbo) {
            rooms.say(*entry.turbo, KeyEvent{Key::Space, true, KeyOrigin::Keyboard});
        }
        ClientView& view = rooms.views[Watcher];
        std::array<std::uint32_t, 920> lastMove = view.cells;
        while (view.counters == std::array<std::string, 2>{"0", "0"}) {
            lastMove = view.cells;
            view.repainted.clear();
            rooms.clock.advance(1);
        }
        ASSERT_FALSE(view.repainted.empty());
        // The last picture is the new round's board: two heads, each on a cell of trail.
        EXPECT_EQ(lit(view.repainted.back()), 4);
        EXPECT_EQ(view.repainted.back(), view.cells);
        // Before it, the board with the crash move went out complete.
        const std::array<std::uint32_t, 920>& crash =
            view.repainted.size() > 1 ? view.repainted.front() : lastMove;
        EXPECT_GT(lit(crash), 4);
        rooms.expectEveryViewMatchesTheRoom();
    }
}

// Two timers of one moment: what the first changed is not swallowed when the second clears the
// board, and each picture is closed by a Repaint.
TEST(Play, ARepaintFirstHandsOutWhatEarlierTimersOfTheMomentChanged) {
    ManualClock clock;
    std::vector<std::string> handedOut;
    RoomWindow* window = nullptr;
    int fired = 0;
    RoomWindow room(
        clock,
        [&](Timer) {
            if (++fired == 1) {
                window->setCellColour(5, colours::Player1Head);
                return;
            }
            window->setCellColour(5, colours::Free);
            window->setCellColour(6, colours::Player2Head);
            window->repaintNow();
        },
        [&] {
            for (const ServerMessage& message : window->takeChanges()) {
                handedOut.push_back(encode(message));
            }
        });
    window = &room;
    for (Timer timer : {Timer::Timer1, Timer::Timer2}) {
        room.setTimerInterval(timer, 50);
        room.setTimerEnabled(timer, true);
    }
    clock.advance(50);
    const auto rgb = [](Colour colour) {
        return static_cast<std::uint32_t>(colour.red << 16 | colour.green << 8 | colour.blue);
    };
    EXPECT_EQ(handedOut, (std::vector<std::string>{
                             encode(Paint{{{5, rgb(colours::Player1Head)}}}),
                             encode(Repaint{}),
                             encode(Paint{{{5, 0}, {6, rgb(colours::Player2Head)}}}),
                             encode(Repaint{}),
                         }));
}

} // namespace
