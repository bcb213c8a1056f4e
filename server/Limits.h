// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

namespace zirvel::server {

// What one server takes from its clients before it shuts a connection or refuses a room. The
// defaults sit far above what two hands on a keyboard send; zirvel2-server sets each from its
// command line.
struct Limits {
    // A client's largest message, a rejoin, is under 100 bytes.
    std::size_t messageBytes = 4096;
    // Messages per connection: a sustained rate, and a burst on top of it.
    double messagesPerSecond = 60;
    double messageBurst = 120;
    // Open WebSockets from one address; as many again may be waiting for their upgrade.
    int connectionsPerAddress = 16;
    std::size_t rooms = 5000;
    // Bytes waiting to go out to one connection: a client that stops reading is dropped rather
    // than kept in memory.
    std::size_t pendingBytes = 1 << 20;
    // From the TCP connection to the WebSocket upgrade.
    std::chrono::milliseconds handshake{10'000};
    // From the upgrade to an accepted Hello.
    std::chrono::milliseconds hello{10'000};
    // Silence from a connection in no room; a room's members answer its pings.
    std::chrono::milliseconds idle{60'000};
    // Reverse proxies in front of the server, by address: every connection through one comes
    // from it, and the per-address limits count the client it names in X-Forwarded-For instead.
    std::vector<std::string> trustedProxies;
};

} // namespace zirvel::server
