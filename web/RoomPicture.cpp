// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "RoomPicture.h"

#include "Page.h"

#include <emscripten.h>

using namespace zirvel;

namespace {

std::size_t slot(Player player) {
    return player == Player::One ? 0 : 1;
}

} // namespace

void RoomPicture::show() {
    cells_ = {};
    holding_ = false;
    waiting_.reset();
    for (int index = 1; index <= board::CellCount; ++index) {
        page::paintCell(index, 0, 0, 0);
    }
    for (Player player : {Player::One, Player::Two}) {
        setCounterCaption(player, "0");
    }
    countdownCaption_.clear();
    setCountdownVisible(false);
    for (MenuItem item : {MenuItem::Pauza, MenuItem::KoniecGry, MenuItem::Speed1, MenuItem::Speed2,
                          MenuItem::Speed3, MenuItem::Speed4}) {
        menus_.setEnabled(item, false);
        menus_.setChecked(item, false);
        showMenu(item);
    }
}

void RoomPicture::setCellColour(int index, Colour colour) {
    if (!cells_.set(index, colour)) {
        return;
    }
    if (holding_) {
        waiting_.set(static_cast<std::size_t>(index));
        return;
    }
    page::paintCell(index, colour.red, colour.green, colour.blue);
    hold_.shown(emscripten_get_now());
}

void RoomPicture::repaintNow() {
    if (holding_) {
        return;
    }
    const double now = emscripten_get_now();
    if (const std::optional<double> until = hold_.holdUntil(now, refreshInterval_())) {
        holding_ = true;
        page::armRoomHoldEnd(*until - now);
    }
}

void RoomPicture::holdEnded() {
    if (!holding_) {
        return;
    }
    if (hold_.holdUntil(emscripten_get_now(), refreshInterval_())) {
        page::armRoomHoldEnd(1.0); // the browser's timer woke a little early
        return;
    }
    holding_ = false;
    paintWaitingCells();
}

void RoomPicture::paintWaitingCells() {
    bool painted = false;
    for (int index = 1; index <= board::CellCount; ++index) {
        if (waiting_.test(static_cast<std::size_t>(index))) {
            const Colour colour = cells_.at(index);
            page::paintCell(index, colour.red, colour.green, colour.blue);
            painted = true;
        }
    }
    waiting_.reset();
    if (painted) {
        hold_.shown(emscripten_get_now());
    }
}

std::string RoomPicture::counterCaption(Player player) const {
    return counters_[slot(player)];
}

void RoomPicture::setCounterCaption(Player player, std::string_view caption) {
    counters_[slot(player)] = caption;
    page::setCounter(number(player), counters_[slot(player)].c_str());
}

void RoomPicture::setCountdownCaption(std::string_view caption) {
    countdownCaption_ = caption;
    page::setCountdown(countdownCaption_.c_str(), countdownVisible_);
}

void RoomPicture::setCountdownVisible(bool visible) {
    countdownVisible_ = visible;
    page::setCountdown(countdownCaption_.c_str(), countdownVisible_);
}

void RoomPicture::setMenuEnabled(MenuItem item, bool enabled) {
    menus_.setEnabled(item, enabled);
    showMenu(item);
}

void RoomPicture::setMenuChecked(MenuItem item, bool checked) {
    menus_.setChecked(item, checked);
    showMenu(item);
}

void RoomPicture::showMenu(MenuItem item) const {
    page::setMenu(static_cast<int>(item), menus_.enabled(item), menus_.checked(item));
}

void RoomPicture::showGameOver() {
    page::showGameOver(counters_[0].c_str(), counters_[1].c_str());
}
