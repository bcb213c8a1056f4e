// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RoomCode.h"

#include "Messages.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

#ifdef __EMSCRIPTEN__
#include <unistd.h>
#else
#include <sys/random.h>
#endif

namespace zirvel::protocol {

namespace {

constexpr int BitsPerCharacter = 5;
static_assert(RoomCodeAlphabet.size() == 1U << BitsPerCharacter);

// `length` characters of the alphabet, five random bits each.
std::string randomText(const RandomBytes& random, std::size_t length) {
    std::vector<std::uint8_t> bytes((length * BitsPerCharacter + 7) / 8);
    random(bytes);
    std::string text;
    std::size_t bit = 0;
    for (std::size_t character = 0; character < length; ++character) {
        unsigned value = 0;
        for (int i = 0; i < BitsPerCharacter; ++i, ++bit) {
            value = value << 1 | ((bytes[bit / 8] >> (7 - bit % 8)) & 1U);
        }
        text += RoomCodeAlphabet[value];
    }
    return text;
}

} // namespace

#ifdef __EMSCRIPTEN__
// In a page: the browser's crypto.getRandomValues, which gives at most 256 bytes a call.
void systemRandomBytes(std::span<std::uint8_t> bytes) {
    constexpr std::size_t MostPerCall = 256;
    for (std::size_t filled = 0; filled < bytes.size(); filled += MostPerCall) {
        const std::size_t size = std::min(MostPerCall, bytes.size() - filled);
        if (getentropy(bytes.data() + filled, size) != 0) {
            throw std::system_error(errno, std::generic_category(), "getentropy");
        }
    }
}
#else
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
#endif

std::string newRoomCode(const RandomBytes& random) {
    return randomText(random, RoomCodeLength);
}

std::string newSeatToken(const RandomBytes& random) {
    return randomText(random, SeatTokenLength);
}

} // namespace zirvel::protocol
