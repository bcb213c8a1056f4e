// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <optional>
#include <string>
#include <string_view>

// The addresses of online play: where a room's WebSocket is, how a room is shared, and how a
// code the user typed or pasted is read.
namespace zirvel::client {

// The WebSocket address for a room on the server at `server`, http(s)://host[:port][/...]:
// ws(s)://host[:port]/ws?room=CODE. Empty for an address that is not http(s) or has no host.
std::optional<std::string> webSocketUrl(std::string_view server, std::string_view code);
// The page's link that opens the room: the server's address, then zirvel2.html?pokoj=CODE.
std::string inviteLink(std::string_view server, std::string_view code);
// The room code in what the user typed: a code, or an invite link with its `pokoj`, in any case
// and with any spaces. Empty when there is no code in it.
std::optional<std::string> roomCodeFrom(std::string_view typed);

} // namespace zirvel::client
