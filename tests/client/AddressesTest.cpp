// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Addresses.h"

#include <gtest/gtest.h>

using namespace zirvel::client;

TEST(Addresses, TheRoomsWebSocketFollowsFromTheServersAddress) {
    const struct {
        const char* server;
        std::optional<std::string> url;
    } rows[] = {
        {"http://127.0.0.1:8642/", "ws://127.0.0.1:8642/ws?room=ABCDEFGHJK"},
        {"https://gra.example", "wss://gra.example/ws?room=ABCDEFGHJK"},
        {"  HTTPS://Gra.Example:443/zirvel2.html?pokoj=X#y ",
         "wss://Gra.Example:443/ws?room=ABCDEFGHJK"},
        {"http://[::1]:8642", "ws://[::1]:8642/ws?room=ABCDEFGHJK"},
        {"ws://gra.example/", std::nullopt},
        {"gra.example", std::nullopt},
        {"http://", std::nullopt},
        {"http:///ws", std::nullopt},
        {"http://user@gra.example/", std::nullopt},
        {"http://gra example/", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.server);
        EXPECT_EQ(webSocketUrl(row.server, "ABCDEFGHJK"), row.url);
    }
}

TEST(Addresses, AnInviteLinkOpensThePageWithTheCode) {
    EXPECT_EQ(inviteLink("http://127.0.0.1:8642/", "ABCDEFGHJK"),
              "http://127.0.0.1:8642/zirvel2.html?pokoj=ABCDEFGHJK");
    EXPECT_EQ(inviteLink("https://gra.example", "ABCDEFGHJK"),
              "https://gra.example/zirvel2.html?pokoj=ABCDEFGHJK");
}

// What the user types or pastes when joining.
TEST(Addresses, ACodeIsReadFromACodeOrAnInviteLink) {
    const struct {
        const char* typed;
        std::optional<std::string> code;
    } rows[] = {
        {"ABCDEFGHJK", "ABCDEFGHJK"},
        {"abcde fghjk", "ABCDEFGHJK"},
        {" 01234\t56789 ", "0123456789"},
        {"http://127.0.0.1:8642/zirvel2.html?pokoj=abcdefghjk", "ABCDEFGHJK"},
        {"https://gra.example/zirvel2.html?x=1&POKOJ=ABCDEFGHJK&y=2", "ABCDEFGHJK"},
        {"https://gra.example/zirvel2.html?pokoj=ABCDEFGHJK#gra", "ABCDEFGHJK"},
        {"ABCDEFGHJ", std::nullopt},   // one short
        {"ABCDEFGHJKM", std::nullopt}, // one long
        {"ABCDEFGHIK", std::nullopt},  // I is not in the alphabet
        {"https://gra.example/zirvel2.html", std::nullopt},
        {"https://gra.example/zirvel2.html?xpokoj=ABCDEFGHJK", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(roomCodeFrom(row.typed), row.code);
    }
}
