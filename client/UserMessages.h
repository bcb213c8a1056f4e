// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Messages.h"

#include <string>
#include <string_view>

// Everything online play tells its user, in Polish, in one place.
namespace zirvel::client {

// What the user reads beside the refusals: the server's own words need no more.
enum class Notice {
    Unreachable,    // no connection, or it ended before the server answered
    BadAddress,     // the server's address is not http(s)
    ConnectionLost, // the connection ended before a room was entered
    RejoinFailed,   // the seat could not be taken back in time
    Stopping,       // the server is stopping
    RedLeft,        // the other player's held seat was given up
    BlueLeft,
};

// The message the user reads for a refusal.
std::string messageFor(const protocol::Refused& refused);
// The message for a notice; `server` is the address the user gave.
std::string messageFor(Notice notice, std::string_view server = {});

} // namespace zirvel::client
