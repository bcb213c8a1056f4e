// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A lobby where a round is being played, fed with a script of arbitrary lines: the first byte
// of each says who does what, the rest is the text sent. Everything the lobby sends must be a
// message of the protocol; the sanitizers watch the rest.
#include "Codec.h"
#include "Lobby.h"
#include "ManualClock.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace zirvel::protocol;
using namespace zirvel::server;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    testing::ManualClock clock;
    std::uint8_t nextByte = 0;
    Lobby lobby(
        clock,
        [&](std::span<std::uint8_t> bytes) {
            for (std::uint8_t& byte : bytes) {
                byte = nextByte++;
            }
        },
        [](MemberId, const std::string& text) {
            if (!decodeServer(text)) {
                std::abort();
            }
        });
    lobby.limitRooms(4);
    constexpr MemberId Red = 100, Blue = 101;
    for (MemberId player : {Red, Blue}) {
        lobby.connected(player, "10.0.0.1");
        lobby.received(player, encode(Hello{Version}));
    }
    lobby.received(Red, encode(CreateRoom{"ABCDEFGHJK"}));
    lobby.received(Blue, encode(JoinRoom{"ABCDEFGHJK"}));
    lobby.received(Red, encode(MenuCommand{Command::NowaGra}));

    const std::string_view script(reinterpret_cast<const char*>(data), size);
    std::size_t start = 0;
    while (start < script.size()) {
        std::size_t end = script.find('\n', start);
        end = end == std::string_view::npos ? script.size() : end;
        const auto command = static_cast<std::uint8_t>(script[start]);
        const std::string_view text = script.substr(start + 1, end - start - 1);
        const MemberId member = 1 + (command & 7);
        switch (command >> 3) {
        case 28:
            lobby.disconnected(member);
            break;
        case 29:
            lobby.connected(member, "10.0.1." + std::to_string(command & 1));
            break;
        case 30:
        case 31:
            clock.advance(static_cast<double>(text.size()) * 37);
            break;
        default:
            lobby.received(member, text);
            break;
        }
        start = end + 1;
    }
    clock.advance(300);
    return 0;
}
