// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <cstdint>
#include <optional>

namespace zirvel {

// Keys that front ends know by name rather than by the character on them.
enum class NamedKey { None, Up, Down, Left, Right, Shift, Space };

// Where a key sits, named by the letter a US keyboard has there; Other for every key but those
// four.
enum class KeyPosition { Other, W, A, S, D };

// A key as a front end reports it: a named key, or else the character its label gives in the
// active layout, and where it sits.
struct KeyIdentity {
    NamedKey named = NamedKey::None;
    char32_t character = 0;
    KeyPosition position = KeyPosition::Other;
};

// The virtual key code of a game key; empty for keys the game does not use.
//
// Letters count by their label, as on any Latin layout. A layout without Latin letters (Cyrillic,
// Greek…) has no W, A, S or D at all, so a character outside ASCII counts by where its key
// sits: the keys at the US positions of W, A, S and D are player 2's.
std::optional<std::uint16_t> virtualKeyCode(const KeyIdentity& key);

} // namespace zirvel
