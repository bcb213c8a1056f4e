// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "MemoryWindow.h"

namespace zirvel::sim {

namespace {

std::size_t counterSlot(Player player) {
    return player == Player::One ? 0 : 1;
}

} // namespace

std::string MemoryWindow::counterCaption(Player player) const {
    return counters_[counterSlot(player)];
}

void MemoryWindow::setCounterCaption(Player player, std::string_view caption) {
    counters_[counterSlot(player)] = caption;
}

void MemoryWindow::setTimerInterval(Timer timer, int milliseconds) {
    clock_.setInterval(timer, milliseconds);
}

void MemoryWindow::showGameOver() {
    if (whileGameOverShown) {
        whileGameOverShown();
    }
}

} // namespace zirvel::sim
