// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Game.h"
#include "HeldKeys.h"
#include "KeyRule.h"
#include "Pads.h"
#include "PagePicture.h"
#include "RoomClient.h"
#include "Seats.h"
#include "TimerDriver.h"
#include "Touches.h"

#include <optional>
#include <utility>

// The main window in a web page: its picture, and the local game with its timers. Events from
// the page come in through the handlers below.
class WebWindow : public PagePicture, private zirvel::TimerHost {
public:
    enum class Command { NowaGra, Pauza, KoniecGry, Speed1, Speed2, Speed3, Speed4 };

    // `refreshInterval`: one frame of the page's display, in milliseconds.
    explicit WebWindow(double refreshInterval);

    // Page events. A key event returns whether the key is one of the game's.
    bool keyDown(const zirvel::KeyIdentity& key, std::uint16_t shift);
    bool keyUp(const zirvel::KeyIdentity& key, std::uint16_t shift);
    void focusLost();
    void command(Command command);
    // "Gracze": a person plays the player, or the computer at a level.
    void choosePlayer(zirvel::Player player, std::optional<zirvel::opponent::Level> level);
    // Gamepads, numbered as the page numbers them.
    void padConnected(zirvel::PadId pad);
    void padDisconnected(zirvel::PadId pad);
    void padChanged(zirvel::PadId pad, const zirvel::PadSnapshot& state);
    // Pads act only while the board has the keyboard, as keys do.
    void setPadsListening(bool listening);
    // Fingers on a touch screen `width` pixels wide. Each returns in how many milliseconds
    // `touchCheck` is due, for a resting finger to take turbo; -1 while no finger waits.
    double touchDown(zirvel::TouchId id, zirvel::TouchPoint at, float width);
    double touchMove(zirvel::TouchId id, zirvel::TouchPoint at);
    double touchUp(zirvel::TouchId id);
    double touchCheck();
    void wakeUp() { driver_.wakeUp(); }
    void gameOverClosed(bool resetCounters);
    void setRefreshInterval(double milliseconds) { refreshInterval_ = milliseconds; }
    double refreshInterval() const { return refreshInterval_; }
    // A hidden page stops its timers and takes them up where they were when it shows again.
    void setHidden(bool hidden);
    // "Koniec": nothing runs any more.
    void quit();
    // Online play: while a room is shown its client takes this window's keys, pads, touches,
    // commands and game-over window, the local game stands still, and its picture waits to be
    // shown again as it was.
    void setRoom(zirvel::client::RoomClient& room) { room_ = &room; }
    void enterRoom();
    void leaveRoom();

    bool timerEnabled(zirvel::Timer timer) const override { return driver_.enabled(timer); }
    void setTimerEnabled(zirvel::Timer timer, bool enabled) override;
    int timerInterval(zirvel::Timer timer) const override { return driver_.interval(timer); }
    void setTimerInterval(zirvel::Timer timer, int milliseconds) override;

private:
    double clockMilliseconds() const override;
    void armWakeUp(std::optional<double> milliseconds) override;
    void timerFired(zirvel::Timer timer) override;
    void timersSettled() override;

    // Runs one of the rules' handlers, then tells the rules which turbo keys are still down
    // and the page whether a round runs.
    template <typename Handler> void handle(Handler handler);
    void showRound();
    double nextTouchCheck() const;
    // The local game stands still while the page is hidden or shows a room, and takes up its
    // timers where they were once neither holds.
    void standStill();
    void roomCommand(Command command);

    double refreshInterval_;
    bool hidden_ = false;
    bool inRoom_ = false;
    std::optional<double> stillSince_;
    zirvel::client::RoomClient* room_ = nullptr;
    bool quit_ = false;
    // From "Nowa gra" to "Koniec gry": rounds follow each other, running or paused.
    bool started_ = false;
    std::pair<bool, bool> shownRound_{false, false}; // as the page starts
    zirvel::TimerDriver driver_{*this};
    zirvel::Game game_{*this};
    zirvel::HeldKeys heldKeys_{game_};
    zirvel::Pads pads_{heldKeys_, [this](zirvel::PadCommand padCommand) {
                           command(padCommand == zirvel::PadCommand::NowaGra ? Command::NowaGra
                                                                             : Command::Pauza);
                       }};
    zirvel::Touches touches_{heldKeys_};
    zirvel::Seats seats_;
};
