// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RoomWindow.h"

#include <utility>

namespace zirvel::server {

namespace {

// The countdown's interval belongs to the window, as on the desktop's.
constexpr int CountdownInterval = 700;

std::size_t slot(Player player) {
    return player == Player::One ? 0 : 1;
}

std::uint32_t packed(Colour colour) {
    return static_cast<std::uint32_t>(colour.red) << 16 |
           static_cast<std::uint32_t>(colour.green) << 8 | colour.blue;
}

} // namespace

RoomWindow::RoomWindow(Clock& clock, std::function<void(Timer)> timerFired,
                       std::function<void()> settled)
    : clock_(clock)
    , timerFired_(std::move(timerFired))
    , settled_(std::move(settled))
    , alarm_(clock.alarm([this] { driver_.wakeUp(); })) {
    driver_.setInterval(Timer::Timer3, CountdownInterval);
}

void RoomWindow::setCellColour(int index, Colour colour) {
    if (cells_.set(index, colour)) {
        changedCells_.set(static_cast<std::size_t>(index));
    }
}

std::string RoomWindow::counterCaption(Player player) const {
    return counters_[slot(player)];
}

void RoomWindow::setCounterCaption(Player player, std::string_view caption) {
    // Built apart and moved in: GCC 12 at -O3 takes the assignment from a view, inlined into
    // closeGameOver's two "0" captions, for an overlapping copy (-Wrestrict).
    counters_[slot(player)] = std::string(caption);
    countersChanged_ = true;
}

void RoomWindow::setCountdownCaption(std::string_view caption) {
    countdownCaption_ = caption;
    countdownChanged_ = true;
}

void RoomWindow::setCountdownVisible(bool visible) {
    countdownVisible_ = visible;
    countdownChanged_ = true;
}

void RoomWindow::setTimerInterval(Timer timer, int milliseconds) {
    driver_.setInterval(timer, milliseconds);
}

void RoomWindow::setMenuEnabled(MenuItem item, bool enabled) {
    menus_.setEnabled(item, enabled);
    menuChanged_ = true;
}

void RoomWindow::setMenuChecked(MenuItem item, bool checked) {
    menus_.setChecked(item, checked);
    menuChanged_ = true;
}

void RoomWindow::showGameOver() {
    gameOverOpen_ = true;
    gameOverChanged_ = true;
}

void RoomWindow::closeGameOver(bool resetCounters) {
    if (resetCounters) {
        setCounterCaption(Player::One, "0");
        setCounterCaption(Player::Two, "0");
    }
    gameOverOpen_ = false;
    gameOverChanged_ = true;
}

protocol::Counters RoomWindow::counters() const {
    return protocol::Counters{counters_[0], counters_[1]};
}

protocol::Countdown RoomWindow::countdown() const {
    return protocol::Countdown{countdownCaption_, countdownVisible_};
}

protocol::Menu RoomWindow::menu() const {
    protocol::Menu result;
    for (std::size_t item = 0; item < result.items.size(); ++item) {
        const auto menuItem = static_cast<MenuItem>(item);
        result.items[item] = {menus_.enabled(menuItem), menus_.checked(menuItem)};
    }
    return result;
}

std::vector<protocol::ServerMessage> RoomWindow::takeChanges() {
    std::vector<protocol::ServerMessage> changes;
    if (changedCells_.any()) {
        protocol::Paint paint;
        for (int index = 1; index <= board::CellCount; ++index) {
            if (changedCells_.test(static_cast<std::size_t>(index))) {
                paint.cells.push_back({index, packed(cells_.at(index))});
            }
        }
        changedCells_.reset();
        changes.emplace_back(std::move(paint));
    }
    if (std::exchange(countersChanged_, false)) {
        changes.emplace_back(counters());
    }
    if (std::exchange(countdownChanged_, false)) {
        changes.emplace_back(countdown());
    }
    if (std::exchange(menuChanged_, false)) {
        changes.emplace_back(menu());
    }
    if (std::exchange(gameOverChanged_, false)) {
        if (gameOverOpen_) {
            changes.emplace_back(protocol::GameOverOpened{counters_[0], counters_[1]});
        } else {
            changes.emplace_back(protocol::GameOverClosed{});
        }
    }
    return changes;
}

std::vector<protocol::ServerMessage> RoomWindow::picture() const {
    std::vector<protocol::ServerMessage> messages;
    protocol::Paint paint;
    for (int index = 1; index <= board::CellCount; ++index) {
        if (cells_.at(index) != colours::Free) {
            paint.cells.push_back({index, packed(cells_.at(index))});
        }
    }
    if (!paint.cells.empty()) {
        messages.emplace_back(std::move(paint));
    }
    messages.emplace_back(counters());
    messages.emplace_back(countdown());
    messages.emplace_back(menu());
    if (gameOverOpen_) {
        messages.emplace_back(protocol::GameOverOpened{counters_[0], counters_[1]});
    }
    return messages;
}

} // namespace zirvel::server
