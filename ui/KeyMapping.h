// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <Qt>
#include <cstdint>
#include <optional>

// The virtual key code of a game key, from the toolkit's key and the key's native scan code, by
// the rule both front ends share; empty for keys the game does not use.
std::optional<std::uint16_t> virtualKeyCode(int qtKey, std::uint32_t nativeScanCode);

// The modifier mask the keyboard handlers receive: Shift 1, Ctrl 2, Alt 4.
std::uint16_t modifierMask(Qt::KeyboardModifiers modifiers);
