// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

namespace zirvel {

enum class Timer {
    Timer1, // normal tick
    Timer2, // fast tick
    Timer3, // countdown tick
};

} // namespace zirvel
