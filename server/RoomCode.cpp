// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RoomCode.h"

#include "Messages.h"

#include <array>
#include <cerrno>
#include <sys/random.h>
#include <system_error>

namespace zirvel::server {

namespace {

constexpr int BitsPerCharacter = 5;
static_assert(protocol::RoomCodeAlphabet.size() == 1U << BitsPerCharacter);
constexpr std::size_t RandomBytesNeeded = (protocol::RoomCodeLength * BitsPerCharacter + 7) / 8;

} // namespace

void systemRandomBytes(std::span<std::uint8_t> bytes) {
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::system_error(errno, std::generic_category(), "getrandom");
        }
        filled += static_cast<std::size_t>(got);
    }
}

std::string newRoomCode(const RandomBytes& random) {
    std::array<std::uint8_t, RandomBytesNeeded> bytes{};
    random(bytes);
    std::string code;
    std::size_t bit = 0;
    for (std::size_t character = 0; character < protocol::RoomCodeLength; ++character) {
        unsigned value = 0;
        for (int i = 0; i < BitsPerCharacter; ++i, ++bit) {
            value = value << 1 | ((bytes[bit / 8] >> (7 - bit % 8)) & 1U);
        }
        code += protocol::RoomCodeAlphabet[value];
    }
    return code;
}

} // namespace zirvel::server
