// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace zirvel::protocol {

// Fills the bytes with random ones.
using RandomBytes = std::function<void(std::span<std::uint8_t>)>;

// The operating system's cryptographic random source (the browser's, in a page).
void systemRandomBytes(std::span<std::uint8_t> bytes);

// A new room code: five random bits for each character of the code's alphabet, so that every
// code is as likely as any other.
std::string newRoomCode(const RandomBytes& random);
// A new secret seat token, drawn the same way.
std::string newSeatToken(const RandomBytes& random);

} // namespace zirvel::protocol
