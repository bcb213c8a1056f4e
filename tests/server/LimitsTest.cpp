// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JoinThrottle.h"
#include "SimulatedLobby.h"
#include "TokenBucket.h"

#include <gtest/gtest.h>
#include <map>

using namespace zirvel::protocol;
using namespace zirvel::server;
using namespace zirvel::server::testing;

namespace {

TEST(TokenBucket, ABurstThenTheSteadyRate) {
    struct Step {
        double at;
        int tries;
        int granted;
    };
    const struct {
        const char* name;
        double perSecond;
        double burst;
        std::vector<Step> steps;
    } cases[] = {
        {"the burst at once, then nothing", 60, 120, {{0, 200, 120}, {0, 1, 0}}},
        {"refills at the rate", 60, 120, {{0, 120, 120}, {1000, 100, 60}, {1500, 100, 30}}},
        {"never above the burst", 60, 120, {{0, 1, 1}, {3'600'000, 500, 120}}},
        {"a fraction waits for the rest", 10, 1, {{0, 1, 1}, {50, 1, 0}, {100, 1, 1}}},
        {"a clock read early adds nothing", 1, 2, {{1000, 2, 2}, {500, 1, 0}, {2000, 1, 1}}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        TokenBucket bucket(entry.perSecond, entry.burst, 0);
        for (const Step& step : entry.steps) {
            int granted = 0;
            for (int i = 0; i < step.tries; ++i) {
                granted += bucket.take(step.at) ? 1 : 0;
            }
            EXPECT_EQ(granted, step.granted) << "at " << step.at;
        }
    }
}

TEST(JoinThrottle, EachWrongGuessDoublesTheWaitUpToHalfAMinute) {
    struct Step {
        double at;
        bool fails;   // a wrong guess from "a" at that moment, after the wait is read
        double waitA; // what "a" waits then
    };
    const struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"nothing to wait for before a wrong guess", {{0, false, 0}}},
        {"250 ms after the first",
         {{0, true, 0}, {0, false, 250}, {100, false, 150}, {250, false, 0}}},
        {"doubling",
         {{0, true, 0},
          {250, true, 0},
          {750, true, 0},
          {750, false, 1000},
          {1750, true, 0},
          {1750, false, 2000}}},
        {"never beyond 30 s",
         {{0, true, 0},
          {250, true, 0},
          {750, true, 0},
          {1750, true, 0},
          {3750, true, 0},
          {7750, true, 0},
          {15750, true, 0},
          {31750, true, 0},
          {31750, false, 30000},
          {61750, true, 0},
          {61750, false, 30000}}},
        // Three wrong guesses, then two quiet minutes forgive two: the next is the second.
        {"a minute without a wrong guess forgives one",
         {{0, true, 0}, {250, true, 0}, {750, true, 0}, {120'750, true, 0}, {120'750, false, 500}}},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        JoinThrottle throttle;
        for (const Step& step : entry.steps) {
            EXPECT_EQ(throttle.wait("a", step.at), step.waitA) << "at " << step.at;
            EXPECT_EQ(throttle.wait("b", step.at), 0) << "at " << step.at;
            if (step.fails) {
                throttle.failed("a", step.at);
            }
        }
    }
}

// Addresses whose guesses are all forgiven are forgotten, so that a stream of addresses
// guessing once each does not grow the table for ever.
TEST(JoinThrottle, ForgottenOnceForgiven) {
    JoinThrottle throttle;
    double now = 0;
    for (int minute = 0; minute < 10; ++minute) {
        for (int address = 0; address < 1000; ++address) {
            throttle.failed(std::to_string(minute) + "." + std::to_string(address), now);
        }
        now += 60'000;
    }
    EXPECT_LE(throttle.addresses(), 2000U);
}

// A lobby of three rooms at most whose connections come from given addresses and never answer
// a ping.
struct Guessers : SimulatedLobby {
    Guessers() {
        lobby.limitRooms(3);
        usualRoundTrip.reset();
    }
};

// Every kind of wrong guess delays that address's next join, whichever of its connections
// sends it, and nobody else's.
TEST(JoinThrottle, WrongGuessesDelayTheAddresssNextJoin) {
    const struct {
        const char* name;
        ClientMessage guess;
        Reason reason;
    } cases[] = {
        {"a code of no room", JoinRoom{"0000000000"}, Reason::NoSuchRoom},
        {"a seat not held", Rejoin{"0000000000", "0123456789ABCDEFGHJKMNPQRS"}, Reason::NoSeat},
        {"a new room's code in use", CreateRoom{"ABCDEFGHJK"}, Reason::RoomTaken},
    };
    for (const auto& entry : cases) {
        SCOPED_TRACE(entry.name);
        Guessers lobby;
        lobby.connect(1, "10.0.0.1");
        lobby.say(1, CreateRoom{"ABCDEFGHJK"});
        ClientView& guesser = lobby.connect(2, "10.0.0.2");
        ClientView& sameAddress = lobby.connect(3, "10.0.0.2");
        ClientView& elsewhere = lobby.connect(4, "10.0.0.4");

        lobby.say(2, entry.guess);
        EXPECT_EQ(guesser.refusals, std::vector<Reason>{entry.reason});
        lobby.say(3, JoinRoom{"ABCDEFGHJK"});
        lobby.say(4, JoinRoom{"ABCDEFGHJK"});
        EXPECT_EQ(elsewhere.seat, Seat::Blue);
        EXPECT_FALSE(sameAddress.seat);
        lobby.clock.advance(249);
        EXPECT_FALSE(sameAddress.seat);
        lobby.clock.advance(1);
        EXPECT_EQ(sameAddress.seat, Seat::Watcher);

        // The second wrong guess doubles the wait.
        lobby.say(2, entry.guess);
        lobby.say(2, entry.guess);
        EXPECT_EQ(guesser.refusals.size(), 2U);
        lobby.clock.advance(499);
        EXPECT_EQ(guesser.refusals.size(), 2U);
        lobby.clock.advance(1);
        EXPECT_EQ(guesser.refusals, std::vector<Reason>(3, entry.reason));
    }
}

// What a connection sends behind a waiting join waits too and keeps its order; a connection
// that piles up more than a waiting client ever would is refused the rest, and one that goes
// while it waits is forgotten.
TEST(JoinThrottle, MessagesBehindAWaitingJoinKeepTheirOrder) {
    Guessers lobby;
    lobby.connect(1, "10.0.0.1");
    lobby.say(1, CreateRoom{"ABCDEFGHJK"});
    ClientView& guesser = lobby.connect(2, "10.0.0.2");
    lobby.say(2, JoinRoom{"0000000000"});
    lobby.say(2, JoinRoom{"ABCDEFGHJK"});
    lobby.say(2, LeaveRoom{});
    for (int i = 0; i < 20; ++i) {
        lobby.say(2, Pong{0});
    }
    EXPECT_EQ(guesser.refusals,
              (std::vector<Reason>{Reason::NoSuchRoom, Reason::BadMessage, Reason::BadMessage,
                                   Reason::BadMessage, Reason::BadMessage, Reason::BadMessage,
                                   Reason::BadMessage}));
    lobby.clock.advance(250);
    EXPECT_EQ(guesser.seat, Seat::Blue);
    EXPECT_TRUE(lobby.lobby.inRoom(1));
    EXPECT_FALSE(lobby.lobby.inRoom(2));

    ClientView& dropped = lobby.connect(3, "10.0.0.2");
    lobby.say(3, JoinRoom{"0000000000"});
    lobby.say(3, JoinRoom{"0000000000"});
    lobby.lobby.disconnected(3);
    lobby.clock.advance(60'000);
    EXPECT_EQ(dropped.refusals, std::vector<Reason>{Reason::NoSuchRoom});
}

// Past the server's number of rooms a new one is refused, and taken again once one ends.
TEST(Rooms, PastTheLimitTheServerIsFull) {
    Guessers lobby;
    const char* const codes[] = {"0000000001", "0000000002", "0000000003", "0000000004"};
    for (MemberId creator = 1; creator <= 4; ++creator) {
        lobby.connect(creator, "10.0.0.1");
        lobby.say(creator, CreateRoom{codes[creator - 1]});
    }
    EXPECT_EQ(lobby.lobby.roomCount(), 3U);
    EXPECT_EQ(lobby.views[4].refusals, std::vector<Reason>{Reason::ServerFull});
    lobby.say(1, LeaveRoom{});
    lobby.say(4, CreateRoom{codes[3]});
    EXPECT_EQ(lobby.views[4].seat, Seat::Red);
    EXPECT_EQ(lobby.lobby.roomCount(), 3U);
}

} // namespace
