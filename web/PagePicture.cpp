// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "PagePicture.h"

#include "Page.h"

#include <emscripten.h>

using namespace zirvel;

namespace {

constexpr MenuItem MenuItems[] = {MenuItem::Pauza,  MenuItem::KoniecGry, MenuItem::Speed1,
                                  MenuItem::Speed2, MenuItem::Speed3,    MenuItem::Speed4};

std::size_t slot(Player player) {
    return player == Player::One ? 0 : 1;
}

} // namespace

void PagePicture::setCellColour(int index, Colour colour) {
    if (cells_.set(index, colour)) {
        changed_.set(static_cast<std::size_t>(index));
    }
}

void PagePicture::repaintNow() {
    if (holding_) {
        return;
    }
    const double now = emscripten_get_now();
    if (const std::optional<double> until = hold_.holdUntil(now, refreshInterval_())) {
        holding_ = true;
        armHoldEnd_(*until - now);
        return;
    }
    paintChangedCells();
}

void PagePicture::holdEnded() {
    if (!holding_) {
        return; // a fresh picture let go of what the hold kept
    }
    if (hold_.holdUntil(emscripten_get_now(), refreshInterval_())) {
        armHoldEnd_(1.0); // the browser's timer woke a little early
        return;
    }
    holding_ = false;
    paintChangedCells();
}

void PagePicture::paintChangedCells() {
    if (holding_ || covered_ || changed_.none()) {
        return;
    }
    bool painted = false;
    for (int index = 1; index <= board::CellCount; ++index) {
        if (!changed_.test(static_cast<std::size_t>(index))) {
            continue;
        }
        const Colour colour = cells_.at(index);
        if (shown_.set(index, colour)) {
            page::paintCell(index, colour.red, colour.green, colour.blue);
            painted = true;
        }
    }
    changed_.reset();
    if (painted) {
        hold_.shown(emscripten_get_now());
    }
}

void PagePicture::showWhole() {
    covered_ = false;
    for (int index = 1; index <= board::CellCount; ++index) {
        const Colour colour = cells_.at(index);
        shown_.set(index, colour);
        page::paintCell(index, colour.red, colour.green, colour.blue);
    }
    changed_.reset();
    for (Player player : {Player::One, Player::Two}) {
        page::setCounter(number(player), counters_[slot(player)].c_str());
    }
    page::setCountdown(countdownCaption_.c_str(), countdownVisible_);
    showMenus();
}

void PagePicture::clear() {
    cells_ = {};
    changed_.reset();
    holding_ = false;
    counters_ = {"0", "0"};
    countdownCaption_.clear();
    countdownVisible_ = false;
    for (MenuItem item : MenuItems) {
        menus_.setEnabled(item, false);
        menus_.setChecked(item, false);
    }
}

std::string PagePicture::counterCaption(Player player) const {
    return counters_[slot(player)];
}

void PagePicture::setCounterCaption(Player player, std::string_view caption) {
    counters_[slot(player)] = caption;
    page::setCounter(number(player), counters_[slot(player)].c_str());
}

void PagePicture::setCountdownCaption(std::string_view caption) {
    countdownCaption_ = caption;
    page::setCountdown(countdownCaption_.c_str(), countdownVisible_);
}

void PagePicture::setCountdownVisible(bool visible) {
    countdownVisible_ = visible;
    page::setCountdown(countdownCaption_.c_str(), countdownVisible_);
}

void PagePicture::setMenuEnabled(MenuItem item, bool enabled) {
    menus_.setEnabled(item, enabled);
    showMenu(item);
}

void PagePicture::setMenuChecked(MenuItem item, bool checked) {
    menus_.setChecked(item, checked);
    showMenu(item);
}

void PagePicture::showMenus() const {
    for (MenuItem item : MenuItems) {
        showMenu(item);
    }
}

void PagePicture::showMenu(MenuItem item) const {
    page::setMenu(static_cast<int>(item), menus_.enabled(item), menus_.checked(item));
}

// The game-over window is a dialog of the page; the rules do nothing after it has opened, so
// returning at once is the same as waiting for it to close.
void PagePicture::showGameOver() {
    page::showGameOver(counters_[0].c_str(), counters_[1].c_str());
}
