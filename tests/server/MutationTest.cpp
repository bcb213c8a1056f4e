// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SimulatedLobby.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>

using namespace zirvel::protocol;
using namespace zirvel::server;
using namespace zirvel::server::testing;

namespace {

constexpr MemberId Red = 1, Blue = 2, FirstAbuser = 10, Abusers = 12;
constexpr const char* RoomA = "ABCDEFGHJK";
// From the round's start to its crash at "B. Szybko": the countdown, then 23 moves.
constexpr double RoundLength = 2800 + 23 * 50;

// Valid client messages for the mutations to start from, in their written form.
std::vector<std::string> seeds() {
    const ClientMessage messages[] = {
        Hello{Version},
        CreateRoom{"0123456789"},
        JoinRoom{RoomA},
        Rejoin{RoomA, "0123456789ABCDEFGHJKMNPQRS"},
        KeyEvent{Key::Left, true, KeyOrigin::Pad},
        KeyEvent{Key::Space, false, KeyOrigin::Touch},
        MenuCommand{Command::NowaGra},
        MenuCommand{Command::Pauza},
        MenuCommand{Command::KoniecGry},
        ChooseSpeed{2},
        CloseGameOver{true},
        LeaveRoom{},
        Pong{7},
    };
    std::vector<std::string> texts;
    for (const ClientMessage& message : messages) {
        texts.push_back(encode(message));
    }
    return texts;
}

// Turns valid messages into nearly valid ones, the way a broken or hostile client would.
class Mutator {
public:
    explicit Mutator(std::uint32_t seed)
        : random_(seed) {}

    std::string next() {
        std::string text = pick(seeds_);
        const int mutations = below(4);
        for (int i = 0; i < mutations; ++i) {
            mutate(text);
        }
        return text;
    }
    int below(int bound) { return std::uniform_int_distribution<int>(0, bound - 1)(random_); }

private:
    template <typename T> const T& pick(const std::vector<T>& from) {
        return from[static_cast<std::size_t>(below(static_cast<int>(from.size())))];
    }
    std::size_t position(const std::string& text) {
        return static_cast<std::size_t>(below(static_cast<int>(text.size()) + 1));
    }
    // Where the value of the field `name` starts and ends; npos when the text has none.
    static std::pair<std::size_t, std::size_t> value(const std::string& text,
                                                     const std::string& name) {
        const std::size_t key = text.find('"' + name + "\":");
        if (key == std::string::npos) {
            return {std::string::npos, std::string::npos};
        }
        const std::size_t start = key + name.size() + 3;
        std::size_t end = start;
        if (end < text.size() && text[end] == '"') {
            end = text.find('"', end + 1);
            end = end == std::string::npos ? text.size() : end + 1;
        } else {
            end = text.find_first_of(",}", end);
            end = end == std::string::npos ? text.size() : end;
        }
        return {start, end};
    }

    void mutate(std::string& text) {
        static const std::vector<std::string> types = {
            "hello",           "create", "join", "rejoin",  "key",   "command", "speed",
            "close-game-over", "leave",  "pong", "welcome", "paint", "refused", ""};
        static const std::vector<std::string> numbers = {"1e400",
                                                         "-1",
                                                         "18446744073709551616",
                                                         "2147483648",
                                                         "-0",
                                                         "1.5",
                                                         "4294967296",
                                                         "99999999999999999999999999999999",
                                                         "NaN",
                                                         "0x10",
                                                         "true",
                                                         "null",
                                                         "\"1\"",
                                                         "[]"};
        static const std::vector<std::string> badUtf8 = {
            "\xff",     "\xc3\x28", "\xed\xa0\x80", "\xf4\x90\x80\x80",
            "\xc0\xaf", "\xe2\x82", "\\ud800",      std::string(1, '\0')};
        static const std::vector<std::string> fields = {"code",   "token",   "key",   "down",
                                                        "origin", "command", "level", "reset",
                                                        "id",     "version", "type"};
        switch (below(12)) {
        case 0: // a bit flipped
            if (!text.empty()) {
                text[position(text) % text.size()] ^= static_cast<char>(1 << below(8));
            }
            break;
        case 1: // cut short
            text.resize(position(text));
            break;
        case 2: { // another kind of message with this one's fields
            const auto [start, end] = value(text, "type");
            if (start != std::string::npos) {
                text.replace(start, end - start, '"' + pick(types) + '"');
            }
            break;
        }
        case 3: { // a number out of range, or not a number
            const auto [start, end] = value(text, pick(fields));
            if (start != std::string::npos) {
                text.replace(start, end - start, pick(numbers));
            }
            break;
        }
        case 4: // bytes that are not UTF-8
            text.insert(position(text), pick(badUtf8));
            break;
        case 5: // a field more, or one named twice
            if (const std::size_t brace = text.find('{'); brace != std::string::npos) {
                text.insert(brace + 1, '"' + pick(fields) + "\":1,");
            }
            break;
        case 6: { // a field missing
            const std::string name = pick(fields);
            const auto [start, end] = value(text, name);
            if (start != std::string::npos) {
                const std::size_t key = start - name.size() - 3;
                const std::size_t cut = end < text.size() && text[end] == ',' ? end + 1 : end;
                text.erase(key, cut - key);
            }
            break;
        }
        case 7: // deep nesting, as deep as fits in a message the server takes
            text = std::string(2000, '[') + text + std::string(2000, ']');
            break;
        case 8: // two messages in one
            text += pick(seeds_);
            break;
        case 9: { // a long string, as long as fits
            const auto [start, end] = value(text, pick(fields));
            if (start != std::string::npos) {
                text.replace(start, end - start, '"' + std::string(4000, 'A') + '"');
            }
            break;
        }
        case 10: // a value of another type
            if (const auto [start, end] = value(text, pick(fields)); start != std::string::npos) {
                text.replace(start, end - start,
                             pick(std::vector<std::string>{"{}", "[1]", "\"\"", "false", "0"}));
            }
            break;
        default: // random bytes
            for (int i = below(8); i >= 0; --i) {
                text.insert(position(text), 1, static_cast<char>(below(256)));
            }
            break;
        }
    }

    std::mt19937 random_;
    std::vector<std::string> seeds_ = seeds();
};

// Whatever comes in, decoding refuses it or gives a message that encodes back to text decoding
// to the same.
std::string checkDecoder(const std::string& text) {
    const std::optional<ClientMessage> decoded = decodeClient(text);
    if (!decoded) {
        return {};
    }
    const std::string again = encode(*decoded);
    const std::optional<ClientMessage> redecoded = decodeClient(again);
    if (!redecoded || encode(*redecoded) != again) {
        return "accepted but does not survive the round trip: " + again;
    }
    return {};
}

// A lobby with a round being played in room A by Red and Blue, and abusers in rooms of their
// own, watching room A, or in none, on simulated time. Nobody answers a ping: the round ends
// before any silence would count.
struct Arena : SimulatedLobby {
    Arena() {
        lobby.limitRooms(8);
        usualRoundTrip.reset();
        for (MemberId member : {Red, Blue}) {
            connect(member, "10.0.0.1");
        }
        say(Red, CreateRoom{RoomA});
        say(Blue, JoinRoom{RoomA});
        for (MemberId abuser = FirstAbuser; abuser < FirstAbuser + Abusers; ++abuser) {
            connect(abuser, "10.0.1." + std::to_string(abuser % 3));
        }
        say(FirstAbuser, JoinRoom{RoomA});
        say(FirstAbuser + 1, CreateRoom{"0000000000"});
        say(FirstAbuser + 2, JoinRoom{"0000000000"});
        say(Blue, ChooseSpeed{4});
        say(Red, MenuCommand{Command::NowaGra});
        say(Blue, KeyEvent{Key::Left, true, KeyOrigin::Keyboard});
    }
};

// Mutated messages, for a fixed time, to the decoder and to abusers in a lobby where a round
// is being played: nothing crashes (the sanitizers watch), everything sent is a message, and
// the round ends with its one crash on both players' screens.
TEST(Mutation, NeitherTheDecoderNorALobbyInPlayIsShaken) {
    std::uint32_t seed = 28;
    if (const char* replay = std::getenv("ZIRVEL2_RANDOM_SEED")) {
        seed = static_cast<std::uint32_t>(std::strtoul(replay, nullptr, 10));
    }
    const char* budget = std::getenv("ZIRVEL2_MUTATION_SECONDS");
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::seconds(budget ? std::atoi(budget) : 5);
    Mutator mutator(seed);
    Arena arena;
    long messages = 0;
    double played = 0;
    const auto where = [&] {
        std::ostringstream out;
        out << "seed " << seed << ", message " << messages << ": ";
        return out.str();
    };
    while (std::chrono::steady_clock::now() < until) {
        for (int i = 0; i < 20; ++i, ++messages) {
            const std::string text = mutator.next();
            const std::string problem = checkDecoder(text);
            ASSERT_TRUE(problem.empty()) << where() << problem;
            const MemberId abuser = FirstAbuser + static_cast<MemberId>(mutator.below(Abusers));
            switch (mutator.below(40)) {
            case 0: // gone, and back on the same number
                arena.lobby.disconnected(abuser);
                arena.lobby.connected(abuser, "10.0.1.9");
                break;
            case 1:
                arena.lobby.received(abuser, "{\"type\":\"hello\",\"version\":1}");
                break;
            default:
                arena.lobby.received(abuser, text);
                break;
            }
            ASSERT_FALSE(HasFailure()) << where();
        }
        // The round's time goes on between batches, up to just before its crash.
        if (played + 5 < RoundLength - 50) {
            arena.clock.advance(5);
            played += 5;
        }
    }
    arena.clock.advance(RoundLength - played);
    std::cout << messages << " mutated messages, " << played << " ms of the round among them\n";

    const ClientView& red = arena.views[Red];
    const ClientView& blue = arena.views[Blue];
    EXPECT_TRUE(red.refusals.empty());
    EXPECT_TRUE(blue.refusals.empty());
    EXPECT_EQ(red.counters, blue.counters);
    EXPECT_EQ(std::stoi(red.counters[0]) + std::stoi(red.counters[1]), 1) << where();
    EXPECT_EQ(red.cells, blue.cells);
    EXPECT_TRUE(arena.lobby.inRoom(Red) && arena.lobby.inRoom(Blue));
}

} // namespace
