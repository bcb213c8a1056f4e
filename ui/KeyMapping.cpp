// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "KeyMapping.h"

#include "KeyRule.h"

namespace {

using namespace zirvel;

struct QtNamedKey {
    int qtKey;
    NamedKey named;
};

// The toolkit reports either Shift key as Key_Shift.
constexpr QtNamedKey QtNamedKeys[] = {
    {Qt::Key_Up, NamedKey::Up},       {Qt::Key_Down, NamedKey::Down},
    {Qt::Key_Left, NamedKey::Left},   {Qt::Key_Right, NamedKey::Right},
    {Qt::Key_Shift, NamedKey::Shift}, {Qt::Key_Space, NamedKey::Space},
};

// X11 and Wayland report a key's xkb key code as its native scan code; these are the codes of
// the keys where a US keyboard has W, A, S and D.
KeyPosition positionOf(std::uint32_t nativeScanCode) {
    switch (nativeScanCode) {
    case 25:
        return KeyPosition::W;
    case 38:
        return KeyPosition::A;
    case 39:
        return KeyPosition::S;
    case 40:
        return KeyPosition::D;
    default:
        return KeyPosition::Other;
    }
}

} // namespace

std::optional<std::uint16_t> virtualKeyCode(int qtKey, std::uint32_t nativeScanCode) {
    KeyIdentity key;
    for (const QtNamedKey& named : QtNamedKeys) {
        if (named.qtKey == qtKey) {
            key.named = named.named;
        }
    }
    // Below the toolkit's own key numbers a key is the character on it, upper case.
    if (key.named == NamedKey::None && qtKey > 0 && qtKey <= 0x10FFFF) {
        key.character = static_cast<char32_t>(qtKey);
    }
    key.position = positionOf(nativeScanCode);
    return virtualKeyCode(key);
}

std::uint16_t modifierMask(Qt::KeyboardModifiers modifiers) {
    std::uint16_t mask = 0;
    if (modifiers & Qt::ShiftModifier) {
        mask |= 1;
    }
    if (modifiers & Qt::ControlModifier) {
        mask |= 2;
    }
    if (modifiers & Qt::AltModifier) {
        mask |= 4;
    }
    return mask;
}
