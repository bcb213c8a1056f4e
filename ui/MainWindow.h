// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "Board.h"
#include "FormTimers.h"
#include "Game.h"
#include "GameWindow.h"
#include "HeldKeys.h"
#include "Messages.h"
#include "PadReader.h"
#include "Pads.h"
#include "Seats.h"

#include <QMainWindow>
#include <QUrl>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class BoardView;
class OnlineScreen;
class QAction;
class QLabel;
class QMenu;

// The game's only long-lived window: the board, the two counters, the countdown, the three
// timers and the menu. It carries out the rules' window operations and routes its events to
// the rules.
class MainWindow : public QMainWindow, public zirvel::GameWindow {
    Q_OBJECT

public:
    using UrlOpener = std::function<void(const QUrl&)>;

    // `openUrl` hands the author's page to the desktop; tests pass their own.
    explicit MainWindow(UrlOpener openUrl = {});
    ~MainWindow() override;

    zirvel::Game& game() { return game_; }
    BoardView* boardView() const { return board_; }
    FormTimers& timers() { return timers_; }
    const zirvel::Pads& pads() const { return pads_; }
    PadReader& padReader() { return padReader_; }
    const zirvel::Seats& seats() const { return seats_; }
    OnlineScreen& online() { return *online_; }

    // The online screen's: the local game stands still with its picture put aside, and the
    // keys go to the room; then back as it stood.
    void enterRoom();
    void leaveRoom();

    zirvel::Colour cellColour(int index) const override { return cells_.at(index); }
    void setCellColour(int index, zirvel::Colour colour) override;
    std::string counterCaption(zirvel::Player player) const override;
    void setCounterCaption(zirvel::Player player, std::string_view caption) override;
    std::string countdownCaption() const override;
    void setCountdownCaption(std::string_view caption) override;
    bool countdownVisible() const override;
    void setCountdownVisible(bool visible) override;
    bool timerEnabled(zirvel::Timer timer) const override;
    void setTimerEnabled(zirvel::Timer timer, bool enabled) override;
    int timerInterval(zirvel::Timer timer) const override;
    void setTimerInterval(zirvel::Timer timer, int milliseconds) override;
    bool menuEnabled(zirvel::MenuItem item) const override;
    void setMenuEnabled(zirvel::MenuItem item, bool enabled) override;
    bool menuChecked(zirvel::MenuItem item) const override;
    void setMenuChecked(zirvel::MenuItem item, bool checked) override;
    void repaintNow() override;
    void showGameOver() override;

    // "Koniec": ends the program at once.
    void mnuKoniec_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildClientArea();
    void buildMenu();
    // "Gracze": who plays red and who plays blue, a person or the computer.
    void buildPlayersMenu();
    // A command of the menu: the local game's handler, or in a room the server's command.
    QAction* addCommand(QMenu* menu, const char* name, const QString& caption,
                        const QKeySequence& shortcut, void (zirvel::Game::*handler)(),
                        zirvel::protocol::Command online);
    // Runs one of the rules' handlers, then tells the rules which turbo keys are still down.
    void handle(const std::function<void()>& handler);
    // A pad's "Nowa gra" or "Pauza": the menu's own command, which heeds its enabled state.
    void padCommand(zirvel::PadCommand command);
    QLabel* counterLabel(zirvel::Player player) const;
    QAction* menuAction(zirvel::MenuItem item) const;
    // The menus' enabled states that depend on the room the window is in, if any.
    void roomChanged();

    // What the window showed of the local game when it entered a room.
    struct Picture {
        zirvel::board::CellGrid cells;
        std::array<std::string, 2> counters;
        std::string countdown;
        bool countdownVisible = false;
        std::array<bool, 6> menuEnabled{};
        std::array<bool, 6> menuChecked{};
        bool nowaGraEnabled = true;
    };

    zirvel::board::CellGrid cells_;
    BoardView* board_ = nullptr;
    std::array<QLabel*, 2> counters_{};
    QLabel* countdown_ = nullptr;
    QAction* nowaGra_ = nullptr;
    QAction* pauza_ = nullptr;
    QAction* koniecGry_ = nullptr;
    std::array<QAction*, 4> speeds_{};
    QMenu* plik_ = nullptr;
    std::array<QMenu*, 2> seatMenus_{};
    QAction* zaloz_ = nullptr;
    QAction* dolacz_ = nullptr;
    QAction* opusc_ = nullptr;
    std::optional<Picture> aside_;
    FormTimers timers_;
    UrlOpener openUrl_;
    zirvel::Game game_{*this};
    zirvel::HeldKeys heldKeys_{game_};
    zirvel::Pads pads_{heldKeys_, [this](zirvel::PadCommand command) { padCommand(command); }};
    PadReader padReader_{pads_};
    zirvel::Seats seats_;
    std::unique_ptr<OnlineScreen> online_;
};
