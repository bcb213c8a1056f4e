// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "GameOverDialog.h"
#include "RoomClient.h"
#include "WebSocketConnection.h"

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <optional>

class MainWindow;
class QLabel;

// Online play in the main window: the room client with its connection and wake-up, and what a
// room shows beside the board: the status line, the room's game-over window, the questions
// before a room and the messages after.
class OnlineScreen : public QObject, public zirvel::client::RoomScreen {
    Q_OBJECT

public:
    // Asks the user for a line of text, offering `text`; empty when cancelled.
    using Ask = std::function<std::optional<QString>(const QString& label, const QString& text)>;

    OnlineScreen(MainWindow& main, GameOverDialog::UrlOpener openUrl);

    zirvel::client::RoomClient& client() { return client_; }
    // Whether the window shows a room: in it, or taking its seat back.
    bool inRoom() const;
    QLabel* statusLine() const { return status_; }
    GameOverDialog* gameOver() const { return gameOver_; }
    // Tests answer the questions themselves.
    void setAsk(Ask ask) { ask_ = std::move(ask); }

    // "Załóż pokój" and "Dołącz do pokoju…": the server's address, and for joining the code.
    void createRoom();
    void joinRoom();
    // "Opuść pokój".
    void leaveRoom();

    zirvel::GameWindow& window() override;
    void enteredRoom() override;
    void leftRoom() override;
    void showStatus(const zirvel::client::RoomStatus& status) override;
    void openGameOver(const std::string& red, const std::string& blue) override;
    void closeGameOver() override;
    void tell(const std::string& message) override;
    void armWakeUp(std::optional<double> milliseconds) override;

signals:
    // The client may have changed state: the menus and the status line follow it.
    void changed();

private:
    std::optional<QString> askServer();
    // Brings the status line up to date, then reports the change.
    void refresh();

    MainWindow& main_;
    GameOverDialog::UrlOpener openUrl_;
    WebSocketConnection connection_;
    zirvel::client::RoomClient client_;
    QTimer wakeUp_;
    QLabel* status_ = nullptr;
    QPointer<GameOverDialog> gameOver_;
    Ask ask_;
    // The server's address as the user gave it, for the invite link.
    QString server_;
    bool creating_ = false;
};
