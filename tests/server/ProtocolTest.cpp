// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Codec.h"

#include <gtest/gtest.h>

using namespace zirvel::protocol;

namespace {

// Every kind of message, each way, comes back as it went: decoding what was encoded and
// encoding it again gives the same text.
TEST(Protocol, EveryClientMessageSurvivesTheRoundTrip) {
    const ClientMessage messages[] = {
        Hello{1},
        CreateRoom{"ABCDEFGHJK"},
        JoinRoom{"0123456789"},
        Rejoin{"0123456789", "0123456789ABCDEFGHJKMNPQRS"},
        KeyEvent{Key::Up, true, KeyOrigin::Touch},
        Pong{0},
        Pong{4294967295},
        KeyEvent{Key::W, true, KeyOrigin::Keyboard},
        KeyEvent{Key::Space, false, KeyOrigin::Pad},
        MenuCommand{Command::NowaGra},
        MenuCommand{Command::Pauza},
        MenuCommand{Command::KoniecGry},
        ChooseSpeed{1},
        ChooseSpeed{4},
        CloseGameOver{true},
        CloseGameOver{false},
        LeaveRoom{},
    };
    for (const ClientMessage& message : messages) {
        const std::string text = encode(message);
        SCOPED_TRACE(text);
        std::string error;
        const std::optional<ClientMessage> decoded = decodeClient(text, &error);
        ASSERT_TRUE(decoded) << error;
        EXPECT_EQ(decoded->index(), message.index());
        EXPECT_EQ(encode(*decoded), text);
    }
}

TEST(Protocol, EveryServerMessageSurvivesTheRoundTrip) {
    Menu menu;
    menu.items[0] = {false, true};
    menu.items[5] = {true, true};
    const ServerMessage messages[] = {
        HelloAnswer{1},
        Welcome{Seat::Red, "ZZZZZZZZZZ", "ZZZZZZZZZZZZZZZZZZZZZZZZZZ"},
        Welcome{Seat::Watcher, "0000000000", ""},
        Paint{{{1, 0x000000}, {920, 0xFFFFFF}, {390, 0xFF0000}}},
        Counters{"0", "12345678901234567890"},
        Countdown{"3", true},
        menu,
        GameOverOpened{"12", "7"},
        GameOverClosed{},
        Repaint{},
        Presence{PlayerState::Here, PlayerState::Away, 32, 150},
        Presence{PlayerState::Empty, PlayerState::Here, 0, 0},
        Ping{7},
        Stopping{},
        Refused{Reason::ServerFull, 1},
        Refused{Reason::OtherVersion, 1},
        Refused{Reason::NoGameOver, 1},
    };
    for (const ServerMessage& message : messages) {
        const std::string text = encode(message);
        SCOPED_TRACE(text);
        std::string error;
        const std::optional<ServerMessage> decoded = decodeServer(text, &error);
        ASSERT_TRUE(decoded) << error;
        EXPECT_EQ(decoded->index(), message.index());
        EXPECT_EQ(encode(*decoded), text);
    }
}

TEST(Protocol, WrittenFormsThatAreAccepted) {
    const char* const client[] = {
        R"({"type":"hello","version":0})",
        R"({"type":"hello","version":65535})",
        R"( { "version" : 7 , "type" : "hello" } )", // any order, any white space
        R"({"type":"join","code":"ABCDEFGHJK"})",
        R"({"type":"key","key":"shift","down":false,"origin":"keyboard"})",
        R"({"type":"command","command":"koniec-gry"})",
        R"({"type":"create","code":"0123456789"})",
        R"({"type":"key","key":"up","down":true,"origin":"touch"})",
        R"({"type":"pong","id":4294967295})",
    };
    for (const char* text : client) {
        std::string error;
        EXPECT_TRUE(decodeClient(text, &error)) << text << ": " << error;
    }
}

TEST(Protocol, ClientMessagesOutsideTheProtocolAreRefused) {
    const std::string invalidUtf8 = "{\"type\":\"join\",\"code\":\"ABCDEFGH\xff\xfe\"}";
    const std::string text[] = {
        "",
        "null",
        "[]",
        "\"hello\"",
        "{}",
        R"({"type":1})",
        R"({"type":"HELLO","version":1})",
        R"({"type":"welcome","seat":"red","code":"0123456789"})", // the server's message
        R"({"type":"hello"})",
        R"({"type":"hello","version":"1"})",
        R"({"type":"hello","version":1.0})",
        R"({"type":"hello","version":true})",
        R"({"type":"hello","version":-1})",
        R"({"type":"hello","version":65536})",
        R"({"type":"hello","version":18446744073709551615})",
        R"({"type":"hello","version":1e400})",
        R"({"type":"hello","version":1,"name":"x"})",
        R"({"type":"hello","version":1,"version":2})",
        R"({"type":"create"})",
        R"({"type":"create","code":"0123456789"} {"type":"create","code":"0123456789"})",
        R"({"type":"create"},)",
        R"({"type":"join"})",
        R"({"type":"join","code":"abcdefghjk"})",
        R"({"type":"join","code":"0123456789A"})",
        R"({"type":"join","code":"012345678"})",
        R"({"type":"join","code":"IIIIILLLLL"})",
        R"({"type":"join","code":"OOOOOUUUUU"})",
        R"({"type":"join","code":1234567890})",
        invalidUtf8,
        R"({"type":"key","key":"up","down":true})",
        R"({"type":"key","key":"up","down":1,"origin":"keyboard"})",
        R"({"type":"key","key":"q","down":true,"origin":"keyboard"})",
        R"({"type":"key","key":"UP","down":true,"origin":"keyboard"})",
        R"({"type":"key","key":"up","down":true,"origin":"mouse"})",
        R"({"type":"command","command":"koniec"})",
        R"({"type":"command","command":"speed"})",
        R"({"type":"speed","level":0})",
        R"({"type":"speed","level":5})",
        R"({"type":"speed","level":"3"})",
        R"({"type":"close-game-over"})",
        R"({"type":"close-game-over","reset":"yes"})",
        R"({"type":"leave","now":true})",
        R"({"type":"rejoin","code":"0123456789"})",
        R"({"type":"rejoin","code":"0123456789","token":"0123456789"})",
        R"({"type":"rejoin","code":"0123456789","token":"0123456789ABCDEFGHJKMNPQRI"})",
        R"({"type":"pong"})",
        R"({"type":"pong","id":-1})",
        R"({"type":"pong","id":4294967296})",
    };
    for (const std::string& message : text) {
        std::string error;
        EXPECT_FALSE(decodeClient(message, &error)) << message;
        EXPECT_FALSE(error.empty()) << message;
    }
}

TEST(Protocol, ServerMessagesOutsideTheProtocolAreRefused) {
    const char* const text[] = {
        R"({"type":"create","code":"0123456789"})", // the client's message
        R"({"type":"welcome","seat":"green","code":"0123456789","token":""})",
        R"({"type":"welcome","seat":"red","code":"0123456789"})",
        R"({"type":"welcome","seat":"red","code":"0123456789","token":""})",
        R"({"type":"welcome","seat":"watcher","code":"0123456789","token":"0123456789ABCDEFGHJKMNPQRS"})",
        R"({"type":"paint","cells":[]})",
        R"({"type":"paint","cells":[[0,0]]})",
        R"({"type":"paint","cells":[[921,0]]})",
        R"({"type":"paint","cells":[[1,16777216]]})",
        R"({"type":"paint","cells":[[1,-1]]})",
        R"({"type":"paint","cells":[[1]]})",
        R"({"type":"paint","cells":[[1,0,0]]})",
        R"({"type":"paint","cells":[{"index":1,"colour":0}]})",
        R"({"type":"paint","cells":{"1":0}})",
        R"({"type":"counters","red":"0"})",
        R"({"type":"counters","red":0,"blue":"0"})",
        R"({"type":"counters","red":"","blue":"0"})",
        R"({"type":"counters","red":"-1","blue":"0"})",
        R"({"type":"counters","red":" 1","blue":"0"})",
        R"({"type":"counters","red":"123456789012345678901","blue":"0"})",
        R"({"type":"countdown","caption":"3"})",
        R"({"type":"countdown","caption":"drei","visible":true})",
        R"({"type":"game-over-opened","red":"1"})",
        R"({"type":"game-over-closed","reset":true})",
        R"({"type":"presence","red":"here","blue":"here","watchers":33,"delay":0})",
        R"({"type":"presence","red":"here","blue":"here","watchers":-1,"delay":0})",
        R"({"type":"presence","red":true,"blue":"here","watchers":0,"delay":0})",
        R"({"type":"presence","red":"here","blue":"gone","watchers":0,"delay":0})",
        R"({"type":"presence","red":"here","blue":"here","watchers":0})",
        R"({"type":"presence","red":"here","blue":"here","watchers":0,"delay":-1})",
        R"({"type":"repaint","cells":[]})",
        R"({"type":"ping","id":"1"})",
        R"({"type":"stopping","now":true})",
        R"({"type":"refused","reason":"because","version":1})",
        R"({"type":"refused","reason":"room-full"})",
    };
    for (const char* message : text) {
        std::string error;
        EXPECT_FALSE(decodeServer(message, &error)) << message;
    }
}

// The menu names every item, each with exactly its two states.
TEST(Protocol, MenuMessagesNeedEveryItemWithBothStates) {
    Menu menu;
    const std::string good = encode(ServerMessage{menu});
    ASSERT_TRUE(decodeServer(good));
    const struct {
        std::string from;
        std::string to;
    } breaks[] = {
        {R"("speed4":{"checked":false,"enabled":false})",
         R"("speed5":{"checked":false,"enabled":false})"},
        {R"("pauza":{"checked":false,"enabled":false})", R"("pauza":{"checked":false})"},
        {R"("pauza":{"checked":false,"enabled":false})",
         R"("pauza":{"checked":false,"enabled":false,"visible":true})"},
        {R"("pauza":{"checked":false,"enabled":false})", R"("pauza":[false,false])"},
        {R"("pauza":{"checked":false,"enabled":false})",
         R"("pauza":{"checked":0,"enabled":false})"},
    };
    for (const auto& change : breaks) {
        std::string text = good;
        const std::size_t at = text.find(change.from);
        ASSERT_NE(at, std::string::npos) << text;
        text.replace(at, change.from.size(), change.to);
        EXPECT_FALSE(decodeServer(text)) << text;
    }
}

} // namespace
