// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WebWindow.h"

#include "Page.h"

#include <algorithm>
#include <cmath>
#include <emscripten.h>
#include <random>

using namespace zirvel;

namespace {

constexpr int CountdownInterval = 700;

} // namespace

WebWindow::WebWindow(double refreshInterval)
    : PagePicture([this] { return refreshInterval_; }, page::armHoldEnd)
    , refreshInterval_(refreshInterval)
    , seats_(game_, *this, heldKeys_, pads_, std::random_device{}()) {
    driver_.setInterval(Timer::Timer3, CountdownInterval);
    showMenus();
    game_.Form_Load();
}

template <typename Handler> void WebWindow::handle(Handler handler) {
    if (quit_) {
        return;
    }
    handler();
    heldKeys_.pressHeldTurboKeys();
    showRound();
}

// Whether a game has started, and whether its round or countdown runs rather than stands
// paused: the page offers "Nowa gra" to a touch screen and keeps the screen awake by them.
void WebWindow::showRound() {
    const bool running = driver_.enabled(Timer::Timer1) || driver_.enabled(Timer::Timer2) ||
                         driver_.enabled(Timer::Timer3);
    const std::pair<bool, bool> round{started_, started_ && running};
    if (round != shownRound_) {
        shownRound_ = round;
        page::setRound(round.first, round.second);
    }
}

bool WebWindow::keyDown(const KeyIdentity& key, std::uint16_t shift) {
    const std::optional<std::uint16_t> code = virtualKeyCode(key);
    if (code && !quit_) {
        heldKeys_.keyDown(*code, shift);
    }
    return code.has_value();
}

bool WebWindow::keyUp(const KeyIdentity& key, std::uint16_t shift) {
    const std::optional<std::uint16_t> code = virtualKeyCode(key);
    if (code) {
        heldKeys_.keyUp(*code, shift);
    }
    return code.has_value();
}

// Once the page has lost the keyboard, the release of a held turbo key would never arrive.
// Fingers act only where keys would, so they let go too.
void WebWindow::focusLost() {
    heldKeys_.releaseAll();
    touches_.liftAll();
}

double WebWindow::touchDown(TouchId id, TouchPoint at, float width) {
    if (!quit_) {
        touches_.down(id, at, width, clockMilliseconds());
    }
    return nextTouchCheck();
}

double WebWindow::touchMove(TouchId id, TouchPoint at) {
    if (!quit_) {
        touches_.move(id, at, clockMilliseconds());
    }
    return nextTouchCheck();
}

double WebWindow::touchUp(TouchId id) {
    touches_.up(id);
    return nextTouchCheck();
}

double WebWindow::touchCheck() {
    if (!quit_) {
        touches_.elapse(clockMilliseconds());
    }
    return nextTouchCheck();
}

double WebWindow::nextTouchCheck() const {
    const std::optional<double> due = touches_.nextHold();
    return due && !quit_ ? std::max(0.0, *due - clockMilliseconds()) : -1.0;
}

void WebWindow::padConnected(PadId pad) {
    if (!quit_) {
        pads_.connect(pad);
    }
}

void WebWindow::padDisconnected(PadId pad) {
    if (!quit_) {
        pads_.disconnect(pad);
    }
}

void WebWindow::padChanged(PadId pad, const PadSnapshot& state) {
    if (!quit_) {
        pads_.update(pad, state);
    }
}

void WebWindow::setPadsListening(bool listening) {
    pads_.setListening(listening);
}

void WebWindow::command(Command command) {
    if (inRoom_) {
        roomCommand(command);
        return;
    }
    handle([&] {
        switch (command) {
        case Command::NowaGra:
            started_ = true;
            game_.mnunowagra_Click();
            break;
        case Command::Pauza:
            if (menuEnabled(MenuItem::Pauza)) {
                game_.mnupauza_Click();
            }
            break;
        case Command::KoniecGry:
            started_ = false;
            game_.mnukoniecgry_Click();
            break;
        case Command::Speed1:
        case Command::Speed2:
        case Command::Speed3:
        case Command::Speed4:
            game_.mnuspeed_Click(static_cast<std::int16_t>(static_cast<int>(command) -
                                                           static_cast<int>(Command::Speed1) + 1));
            break;
        }
    });
}

void WebWindow::roomCommand(Command command) {
    switch (command) {
    case Command::NowaGra:
        room_->command(protocol::Command::NowaGra);
        break;
    case Command::Pauza:
        room_->command(protocol::Command::Pauza);
        break;
    case Command::KoniecGry:
        room_->command(protocol::Command::KoniecGry);
        break;
    case Command::Speed1:
    case Command::Speed2:
    case Command::Speed3:
    case Command::Speed4:
        room_->speed(static_cast<int>(command) - static_cast<int>(Command::Speed1) + 1);
        break;
    }
}

void WebWindow::choosePlayer(Player player, std::optional<opponent::Level> level) {
    if (quit_ || inRoom_) {
        return;
    }
    seats_.choose(player, level);
    page::setSeat(number(player), level ? static_cast<int>(*level) + 1 : 0);
}

void WebWindow::gameOverClosed(bool resetCounters) {
    if (inRoom_) {
        room_->closeGameOver(resetCounters);
        return;
    }
    if (resetCounters) {
        setCounterCaption(Player::One, "0");
        setCounterCaption(Player::Two, "0");
    }
}

void WebWindow::setHidden(bool hidden) {
    if (quit_) {
        return;
    }
    hidden_ = hidden;
    standStill();
}

void WebWindow::standStill() {
    const bool still = hidden_ || inRoom_;
    if (still == stillSince_.has_value()) {
        return;
    }
    if (still) {
        stillSince_ = clockMilliseconds();
        page::armWakeUp(-1.0);
        return;
    }
    const double stillFor = clockMilliseconds() - *stillSince_;
    stillSince_.reset();
    driver_.postpone(static_cast<std::int64_t>(std::ceil(stillFor)));
}

void WebWindow::enterRoom() {
    if (quit_ || inRoom_) {
        return;
    }
    inRoom_ = true;
    cover();
    heldKeys_.releaseAll();
    touches_.liftAll();
    heldKeys_.divertTo([this](std::uint16_t keyCode, bool down, KeySource source) {
        room_->key(keyCode, down, source);
    });
    standStill();
}

void WebWindow::leaveRoom() {
    if (!inRoom_) {
        return;
    }
    inRoom_ = false;
    heldKeys_.releaseAll();
    heldKeys_.divertTo(nullptr);
    showWhole(); // the local game's picture as it stood when the room came, over the room's
    standStill();
}

void WebWindow::quit() {
    quit_ = true;
    page::armWakeUp(-1.0);
}

void WebWindow::setTimerEnabled(Timer timer, bool enabled) {
    driver_.setEnabled(timer, enabled);
}

void WebWindow::setTimerInterval(Timer timer, int milliseconds) {
    driver_.setInterval(timer, milliseconds);
}

double WebWindow::clockMilliseconds() const {
    return emscripten_get_now();
}

void WebWindow::armWakeUp(std::optional<double> milliseconds) {
    if (quit_ || stillSince_) {
        return; // nothing runs while nobody can see the board, or while a room is shown
    }
    page::armWakeUp(milliseconds.value_or(-1.0));
}

void WebWindow::timerFired(Timer timer) {
    page::timerFired(static_cast<int>(timer), static_cast<double>(driver_.now()),
                     clockMilliseconds());
    handle([&] { game_.timerElapsed(timer); });
}

// A moment's moves are on screen; then the computer players, if any, see them and act.
void WebWindow::timersSettled() {
    paintChangedCells();
    if (!quit_) {
        seats_.timersSettled();
    }
}
