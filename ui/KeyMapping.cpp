// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "KeyMapping.h"

#include "KeyCodes.h"

#include <QChar>

namespace {

using namespace zirvel;

struct GameKey {
    int qtKey;
    // The key's xkb key code on a US keyboard, which X11 and Wayland report as its native scan
    // code; 0 where only the key itself counts.
    std::uint32_t usPosition;
    std::uint16_t code;
};

// The toolkit reports either Shift key as Key_Shift.
constexpr GameKey GameKeys[] = {
    {Qt::Key_Up, 0, keys::Up},       {Qt::Key_Down, 0, keys::Down}, {Qt::Key_Left, 0, keys::Left},
    {Qt::Key_Right, 0, keys::Right}, {Qt::Key_W, 25, keys::W},      {Qt::Key_S, 39, keys::S},
    {Qt::Key_A, 38, keys::A},        {Qt::Key_D, 40, keys::D},      {Qt::Key_Space, 0, keys::Space},
    {Qt::Key_Shift, 0, keys::Shift},
};

// A letter that is not one of A to Z: what a non-Latin layout (Cyrillic, Greek…) puts on the
// letter keys.
bool isLetterOutsideAToZ(int qtKey) {
    const bool latin = qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z;
    return !latin && qtKey > 0 && qtKey <= 0x10FFFF &&
           QChar::isLetter(static_cast<char32_t>(qtKey));
}

} // namespace

// Letters count by their label, as on any Latin layout. A non-Latin layout has no W, A, S or
// D at all, so there player 2's keys count by where they sit: the letters of the keys at the
// US positions of W, A, S and D.
std::optional<std::uint16_t> virtualKeyCode(int qtKey, std::uint32_t nativeScanCode) {
    const bool byPosition = nativeScanCode != 0 && isLetterOutsideAToZ(qtKey);
    for (const GameKey& key : GameKeys) {
        if (key.qtKey == qtKey || (byPosition && key.usPosition == nativeScanCode)) {
            return key.code;
        }
    }
    return std::nullopt;
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
