// SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include "ClientView.h"
#include "RoomCode.h"

#include <QNetworkRequest>
#include <QTest>
#include <QWebSocket>
#include <functional>

namespace zirvel::server::testing {

// A client of the real server over a real socket, with the screen its messages build. The
// socket is open to the tests for what no well-behaved client sends: frames that are no message,
// binary frames, and the close's code and reason.
struct SocketClient {
    // `forwardedFor` is what a proxy in front would have named as the client.
    explicit SocketClient(const QUrl& url, const QByteArray& forwardedFor = {}) {
        QObject::connect(&socket, &QWebSocket::connected, [this] { opened = true; });
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString& text) {
            const std::optional<protocol::ServerMessage> message =
                protocol::decodeServer(text.toStdString());
            QVERIFY2(message, qPrintable(text));
            if (heard) {
                heard(*message);
            }
            view.apply(*message);
        });
        QObject::connect(&socket, &QWebSocket::disconnected,
                         [this] { stoppingBeforeClose = view.stopping; });
        QNetworkRequest request(url);
        if (!forwardedFor.isEmpty()) {
            request.setRawHeader("X-Forwarded-For", forwardedFor);
        }
        socket.open(request);
    }
    void say(const protocol::ClientMessage& message) {
        socket.sendTextMessage(QString::fromStdString(protocol::encode(message)));
    }

    QWebSocket socket;
    ClientView view;
    // Told of each message before the view shows it, for a client that answers or times them.
    std::function<void(const protocol::ServerMessage&)> heard;
    bool opened = false;
    // Whether Stopping had come when the connection closed.
    bool stoppingBeforeClose = false;
};

// Both clients connected and greeted, `red` in a room of its own and `blue` seated beside it.
// A failure ends the calling test: check QTest::currentTestFailed() after.
inline void seatTwo(SocketClient& red, SocketClient& blue) {
    QTRY_COMPARE(red.socket.state(), QAbstractSocket::ConnectedState);
    QTRY_COMPARE(blue.socket.state(), QAbstractSocket::ConnectedState);
    red.say(protocol::Hello{protocol::Version});
    blue.say(protocol::Hello{protocol::Version});
    red.say(protocol::CreateRoom{protocol::newRoomCode(protocol::systemRandomBytes)});
    QTRY_COMPARE(red.view.seat, std::optional<protocol::Seat>(protocol::Seat::Red));
    blue.say(protocol::JoinRoom{red.view.code});
    QTRY_COMPARE(blue.view.seat, std::optional<protocol::Seat>(protocol::Seat::Blue));
}

} // namespace zirvel::server::testing
