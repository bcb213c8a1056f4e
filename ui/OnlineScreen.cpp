// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "OnlineScreen.h"

#include "BoardView.h"
#include "MainWindow.h"
#include "RoomInviteDialog.h"

#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>

using namespace zirvel;
using client::RoomClient;

namespace {

// Set by the build: the server offered when creating or joining a room.
const QString DefaultServer = QStringLiteral(ZIRVEL2_SERVER);

QString seatName(protocol::Seat seat) {
    switch (seat) {
    case protocol::Seat::Red:
        return QStringLiteral("czerwony");
    case protocol::Seat::Blue:
        return QStringLiteral("niebieski");
    case protocol::Seat::Watcher:
        break;
    }
    return QStringLiteral("widz");
}

QString stateName(protocol::PlayerState state) {
    switch (state) {
    case protocol::PlayerState::Here:
        return QStringLiteral("jest");
    case protocol::PlayerState::Away:
        return QStringLiteral("nieobecny");
    case protocol::PlayerState::Empty:
        break;
    }
    return QStringLiteral("brak");
}

// "Pokój CODE · czerwony · niebieski: jest · opóźnienie 42 ms": this screen's seat, then the
// seats of the others.
QString statusText(const RoomClient& client) {
    if (client.state() == RoomClient::State::Connecting) {
        return QStringLiteral("Łączenie…");
    }
    const client::RoomStatus& status = client.status();
    QStringList parts{QStringLiteral("Pokój ") + QString::fromStdString(status.code)};
    if (status.reconnecting) {
        parts << QStringLiteral("Wracam do pokoju…");
        return parts.join(QStringLiteral(" · "));
    }
    parts << seatName(status.seat);
    for (protocol::Seat seat : {protocol::Seat::Red, protocol::Seat::Blue}) {
        if (seat != status.seat) {
            parts << seatName(seat) + QStringLiteral(": ") +
                         stateName(seat == protocol::Seat::Red ? status.presence.red
                                                               : status.presence.blue);
        }
    }
    if (status.presence.watchers > 0) {
        parts << QStringLiteral("widzowie: %1").arg(status.presence.watchers);
    }
    parts << QStringLiteral("opóźnienie %1 ms").arg(status.presence.delay);
    return parts.join(QStringLiteral(" · "));
}

} // namespace

OnlineScreen::OnlineScreen(MainWindow& main, GameOverDialog::UrlOpener openUrl)
    : main_(main)
    , openUrl_(std::move(openUrl))
    , client_(connection_, *this, protocol::systemRandomBytes) {
    connection_.setClient(client_);
    connect(&connection_, &WebSocketConnection::reported, this, [this] {
        main_.boardView()->paintChangedCells();
        refresh();
    });
    wakeUp_.setSingleShot(true);
    wakeUp_.setTimerType(Qt::PreciseTimer);
    connect(&wakeUp_, &QTimer::timeout, this, [this] {
        client_.wakeUp();
        refresh();
    });
    ask_ = [this](const QString& label, const QString& text) -> std::optional<QString> {
        // The toolkit's own buttons would speak English without its translations installed.
        QInputDialog dialog(&main_);
        dialog.setWindowTitle(QStringLiteral("Gra przez sieć"));
        dialog.setLabelText(label);
        dialog.setTextValue(text);
        dialog.setOkButtonText(QStringLiteral("OK"));
        dialog.setCancelButtonText(QStringLiteral("Anuluj"));
        if (dialog.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return dialog.textValue();
    };
    status_ = new QLabel(main_.statusBar());
    status_->setObjectName(QStringLiteral("pokoj"));
    main_.statusBar()->addWidget(status_, 1);
    main_.statusBar()->setSizeGripEnabled(false);
    main_.statusBar()->hide();
}

bool OnlineScreen::inRoom() const {
    return client_.state() == RoomClient::State::InRoom ||
           client_.state() == RoomClient::State::Reconnecting;
}

std::optional<QString> OnlineScreen::askServer() {
    std::optional<QString> server = ask_(QStringLiteral("Adres serwera:"), DefaultServer);
    if (server) {
        server_ = server->trimmed();
    }
    return server;
}

void OnlineScreen::createRoom() {
    if (!askServer()) {
        return;
    }
    creating_ = true;
    client_.create(server_.toStdString());
    refresh();
}

void OnlineScreen::joinRoom() {
    if (!askServer()) {
        return;
    }
    const std::optional<QString> typed =
        ask_(QStringLiteral("Kod pokoju albo link zaproszenia:"), QString());
    if (!typed) {
        return;
    }
    const std::string text = typed->toStdString();
    creating_ = false;
    client_.join(server_.toStdString(), client::roomCodeFrom(text).value_or(text));
    refresh();
}

void OnlineScreen::leaveRoom() {
    client_.leave();
    refresh();
}

GameWindow& OnlineScreen::window() {
    return main_;
}

void OnlineScreen::enteredRoom() {
    main_.enterRoom();
    if (std::exchange(creating_, false)) {
        const std::string& code = client_.status().code;
        auto* invite = new RoomInviteDialog(
            QString::fromStdString(code),
            QString::fromStdString(client::inviteLink(server_.toStdString(), code)), &main_);
        invite->setAttribute(Qt::WA_DeleteOnClose);
        invite->open();
    }
}

void OnlineScreen::leftRoom() {
    closeGameOver();
    main_.leaveRoom();
}

void OnlineScreen::showStatus(const client::RoomStatus&) {
    refresh();
}

void OnlineScreen::openGameOver(const std::string& red, const std::string& blue) {
    closeGameOver();
    // The window shows the counters it opened with.
    main_.setCounterCaption(Player::One, red);
    main_.setCounterCaption(Player::Two, blue);
    gameOver_ = new GameOverDialog(main_, openUrl_, &main_);
    gameOver_->setAttribute(Qt::WA_DeleteOnClose);
    gameOver_->reportClosingTo([this](bool reset) { client_.closeGameOver(reset); });
    // Closed with Escape: as if by the author link, which leaves the counters too.
    connect(gameOver_, &QDialog::rejected, this, [this] { client_.closeGameOver(false); });
    gameOver_->open();
}

void OnlineScreen::closeGameOver() {
    if (!gameOver_) {
        return;
    }
    disconnect(gameOver_, nullptr, this, nullptr);
    gameOver_->reportClosingTo({});
    gameOver_->done(QDialog::Rejected);
}

void OnlineScreen::tell(const std::string& message) {
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Gra przez sieć"),
                                QString::fromStdString(message), QMessageBox::Ok, &main_);
    box->setObjectName(QStringLiteral("komunikat"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void OnlineScreen::armWakeUp(std::optional<double> milliseconds) {
    if (!milliseconds) {
        wakeUp_.stop();
        return;
    }
    wakeUp_.start(static_cast<int>(*milliseconds + 0.5));
}

void OnlineScreen::refresh() {
    const bool shown = client_.state() != RoomClient::State::Idle;
    status_->setText(shown ? statusText(client_) : QString());
    main_.statusBar()->setVisible(shown);
    emit changed();
}
