// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Board.h"
#include "Game.h"
#include "GameWindow.h"
#include "HeldKeys.h"
#include "KeyRule.h"
#include "MenuStates.h"
#include "Pads.h"
#include "PictureHold.h"
#include "RoomClient.h"
#include "Seats.h"
#include "TimerDriver.h"
#include "Touches.h"

#include <array>
#include <bitset>
#include <optional>
#include <string>
#include <utility>

// The main window in a web page: the board, captions, menu states and timers live here, and
// every change is handed to the page's script to show. Events from the page come in through
// the handlers below.
class WebWindow : public zirvel::GameWindow, private zirvel::TimerHost {
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
    void holdEnded();
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

    zirvel::Colour cellColour(int index) const override { return cells_.at(index); }
    void setCellColour(int index, zirvel::Colour colour) override;
    std::string counterCaption(zirvel::Player player) const override;
    void setCounterCaption(zirvel::Player player, std::string_view caption) override;
    std::string countdownCaption() const override { return countdownCaption_; }
    void setCountdownCaption(std::string_view caption) override;
    bool countdownVisible() const override { return countdownVisible_; }
    void setCountdownVisible(bool visible) override;
    bool timerEnabled(zirvel::Timer timer) const override { return driver_.enabled(timer); }
    void setTimerEnabled(zirvel::Timer timer, bool enabled) override;
    int timerInterval(zirvel::Timer timer) const override { return driver_.interval(timer); }
    void setTimerInterval(zirvel::Timer timer, int milliseconds) override;
    bool menuEnabled(zirvel::MenuItem item) const override { return menus_.enabled(item); }
    void setMenuEnabled(zirvel::MenuItem item, bool enabled) override;
    bool menuChecked(zirvel::MenuItem item) const override { return menus_.checked(item); }
    void setMenuChecked(zirvel::MenuItem item, bool checked) override;
    void repaintNow() override;
    void showGameOver() override;

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
    void paintChangedCells();
    void showMenu(zirvel::MenuItem item) const;
    // The local game stands still while the page is hidden or shows a room, and takes up its
    // timers where they were once neither holds.
    void standStill();
    void roomCommand(Command command);
    void showPicture();

    double refreshInterval_;
    zirvel::board::CellGrid cells_;
    zirvel::board::CellGrid shown_;
    std::bitset<zirvel::board::CellCount + 1> changed_;
    zirvel::PictureHold hold_;
    bool holding_ = false;
    std::array<std::string, 2> counters_{"0", "0"};
    std::string countdownCaption_ = "4";
    bool countdownVisible_ = false;
    zirvel::MenuStates menus_;
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
