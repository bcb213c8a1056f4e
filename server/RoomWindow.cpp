// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RoomWindow.h"

#include <cmath>
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

void RoomWindow::standStill(bool still) {
    if (still == standingStill()) {
        return;
    }
    if (still) {
        stillSince_ = clock_.milliseconds();
        alarm_->arm(std::nullopt);
        return;
    }
    const double since = *std::exchange(stillSince_, std::nullopt);
    driver_.postpone(std::llround(clock_.milliseconds() - since));
}

double RoomWindow::clockMilliseconds() const {
    return stillSince_ ? *stillSince_ : clock_.milliseconds();
}

void RoomWindow::armWakeUp(std::optional<double> milliseconds) {
    if (!stillSince_) {
        alarm_->arm(milliseconds);
    }
}

void RoomWindow::timerFired(Timer timer) {
    beforeTimer_ = changedCells().cells;
    timerFired_(timer);
}

void RoomWindow::repaintNow() {
    if (!beforeTimer_.empty()) {
        repainted_.emplace_back(protocol::Paint{std::exchange(beforeTimer_, {})});
        repainted_.emplace_back(protocol::Repaint{});
    }
    for (protocol::ServerMessage& change : changes()) {
        repainted_.push_back(std::move(change));
    }
    repainted_.emplace_back(protocol::Repaint{});
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
    beforeTimer_.clear();
    std::vector<protocol::ServerMessage> taken = std::exchange(repainted_, {});
    for (protocol::ServerMessage& change : changes()) {
        taken.push_back(std::move(change));
    }
    return taken;
}

protocol::Paint RoomWindow::changedCells() const {
    protocol::Paint paint;
    if (changedCells_.none()) {
        return paint;
    }
    for (int index = 1; index <= board::CellCount; ++index) {
        if (changedCells_.test(static_cast<std::size_t>(index))) {
            paint.cells.push_back({index, packed(cells_.at(index))});
        }
    }
    return paint;
}

std::vector<protocol::ServerMessage> RoomWindow::changes() {
    std::vector<protocol::ServerMessage> changes;
    if (changedCells_.any()) {
        changes.emplace_back(changedCells());
        changedCells_.reset();
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
