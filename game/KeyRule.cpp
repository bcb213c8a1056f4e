// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "KeyRule.h"

#include "KeyCodes.h"

namespace zirvel {

namespace {

struct NamedGameKey {
    NamedKey named;
    std::uint16_t code;
};

constexpr NamedGameKey NamedGameKeys[] = {
    {NamedKey::Up, keys::Up},       {NamedKey::Down, keys::Down},   {NamedKey::Left, keys::Left},
    {NamedKey::Right, keys::Right}, {NamedKey::Shift, keys::Shift}, {NamedKey::Space, keys::Space},
};

struct LetterGameKey {
    char32_t letter;
    KeyPosition position;
    std::uint16_t code;
};

constexpr LetterGameKey LetterGameKeys[] = {
    {U'W', KeyPosition::W, keys::W},
    {U'A', KeyPosition::A, keys::A},
    {U'S', KeyPosition::S, keys::S},
    {U'D', KeyPosition::D, keys::D},
};

constexpr char32_t upper(char32_t c) {
    return c >= U'a' && c <= U'z' ? c - U'a' + U'A' : c;
}

} // namespace

std::optional<std::uint16_t> virtualKeyCode(const KeyIdentity& key) {
    if (key.named != NamedKey::None) {
        for (const NamedGameKey& named : NamedGameKeys) {
            if (named.named == key.named) {
                return named.code;
            }
        }
        return std::nullopt;
    }
    const bool byPosition = key.character > 0x7F && key.position != KeyPosition::Other;
    for (const LetterGameKey& letter : LetterGameKeys) {
        if (letter.letter == upper(key.character) ||
            (byPosition && letter.position == key.position)) {
            return letter.code;
        }
    }
    return std::nullopt;
}

} // namespace zirvel
