// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "WebSocketConnection.h"

#include <QUrl>

WebSocketConnection::WebSocketConnection(QObject* parent)
    : QObject(parent) {}

WebSocketConnection::~WebSocketConnection() {
    if (socket_) {
        disconnect(socket_.get(), nullptr, this, nullptr);
    }
}

void WebSocketConnection::open(const std::string& url) {
    close();
    socket_ = std::make_unique<QWebSocket>();
    QWebSocket* socket = socket_.get();
    connect(socket, &QWebSocket::connected, this, [this, socket] {
        // A key must leave at once: Nagle's algorithm would hold a press behind the last
        // message until the server's delayed acknowledgement. Browsers do the same for theirs.
        if (auto* tcp = socket->findChild<QAbstractSocket*>()) {
            tcp->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        }
        report(&zirvel::client::RoomClient::connected);
    });
    connect(socket, &QWebSocket::textMessageReceived, this, [this](const QString& text) {
        client_->received(text.toStdString());
        emit reported();
    });
    // A failed connection reports an error and, depending on how far it got, a disconnection
    // too: the client hears of it once.
    const auto lost = [this, socket] {
        if (socket_.get() == socket) {
            close();
            report(&zirvel::client::RoomClient::disconnected);
        }
    };
    connect(socket, &QWebSocket::disconnected, this, lost);
    connect(socket, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this, lost);
    socket->open(QUrl(QString::fromStdString(url)));
}

void WebSocketConnection::send(const std::string& text) {
    if (socket_) {
        socket_->sendTextMessage(QString::fromStdString(text));
    }
}

// The socket may be the one whose signal is being handled: it goes once that is over.
void WebSocketConnection::close() {
    if (!socket_) {
        return;
    }
    QWebSocket* socket = socket_.release();
    disconnect(socket, nullptr, this, nullptr);
    socket->close();
    socket->deleteLater();
}

void WebSocketConnection::report(void (zirvel::client::RoomClient::*what)()) {
    (client_->*what)();
    emit reported();
}
